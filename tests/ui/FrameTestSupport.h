#pragma once
// What the frame window tests share (main window, NPC and header windows, help viewer): small
// catalogues set up in place, a stand-in for the dialogs that answers from queues and records
// what was shown, and user input on real widgets.

#include "TestSupport.h"
#include "DocumentSupport.h"
#include "model/Records.h"
#include "model/ActionTasks.h"
#include "model/Tasks.h"
#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace frametest {

// The main window's title: the program, the project file (or "No File Open"), the server the
// script is written for, and whether there are unsaved changes.
inline std::string ExpectedTitle(const std::string& file, const std::string& server = "eAthena", bool modified = false)
{
    return "Vask's NPC Editor (0.9 Alpha) - " + file + " [" + server + "]" + (modified ? " [Modified]" : "");
}


inline void AddMap(const std::string& name, const std::string& file)
{
    TestCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{name, file}));
}

// A sprite with a plain picture of its own colour, as the loader leaves it.
inline void AddSprite(std::int32_t id, const std::string& name)
{
    QImage picture(SpriteImageWidth, SpriteImageHeight, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv((id * 37) % 360, 160, 200));
    auto sprite = std::make_unique<TNPCImg>();
    sprite->ID = id;
    sprite->Name = name;
    sprite->ImageIndex = TestCatalogues().Images.Add(picture);
    TestCatalogues().Sprites.push_back(std::move(sprite));
    TestCatalogues().MinSpriteID = std::min(TestCatalogues().MinSpriteID, static_cast<std::uint32_t>(id));
    TestCatalogues().MaxSpriteID = std::max(TestCatalogues().MaxSpriteID, static_cast<std::uint32_t>(id));
}

// Maps Geffen, Prontera (second, so that the default map is not simply the first) and Payon;
// sprites 45 (Guide), 800 (Kafra) and 111 (Merchant), in that order; the action catalogue.
inline void SetUpCatalogues()
{
    TestCatalogues().Clear();
    AddMap("Geffen", "geffen.gat");
    AddMap("Prontera", "prontera.gat");
    AddMap("Payon", "payon.gat");
    AddSprite(45, "Guide");
    AddSprite(800, "Kafra");
    AddSprite(111, "Merchant");
    ResetTestDocument();
}

// Answers questions and file dialogs from queues and records everything shown. A dialog opened
// without a prepared answer fails the test.
class TFakeDialogs final : public TDialogs {
public:
    struct TShown {
        QString Text;
        QString Caption;
    };

    std::deque<TAnswer> Answers;
    std::deque<QString> OpenNames;
    std::deque<QString> SaveNames;
    std::deque<QString> ScriptNames;
    std::deque<TServerTarget> ScriptServers;
    std::vector<TServerTarget> OfferedServers;
    std::vector<TShown> Questions;
    std::vector<TShown> Messages;
    std::vector<QString> Errors;
    std::deque<TRecoveryAnswer> RecoveryAnswers;
    std::vector<QString> RecoveryOffers;
    int OpenDialogs = 0;
    int SaveDialogs = 0;
    int ScriptDialogs = 0;
    // Where each file dialog started: the open dialogs' folders, the save dialog's suggestion.
    std::vector<QString> DialogStarts;

    TAnswer Question(QWidget*, const QString& text, const QString& caption) override
    {
        Questions.push_back({text, caption});
        return NextAnswer(Answers, TAnswer::Cancel, "question", text);
    }
    void Message(QWidget*, const QString& text, const QString& caption) override
    {
        Messages.push_back({text, caption});
    }
    void Error(QWidget*, const QString& text) override { Errors.push_back(text); }
    QString OpenProjectFileName(QWidget*, const QString& folder) override
    {
        DialogStarts.push_back(folder);
        return Next(OpenNames, OpenDialogs, "open");
    }
    QString SaveProjectFileName(QWidget*, const QString& suggested) override
    {
        DialogStarts.push_back(suggested);
        return Next(SaveNames, SaveDialogs, "save");
    }
    QString OpenScriptFileName(QWidget*, const QString& folder) override
    {
        DialogStarts.push_back(folder);
        return Next(ScriptNames, ScriptDialogs, "script");
    }
    // The server named for each script file opened; none prepared takes the one offered.
    std::optional<TServerTarget> ScriptFileServer(QWidget*, const QString&, TServerTarget suggested) override
    {
        OfferedServers.push_back(suggested);
        if (ScriptServers.empty())
            return suggested;
        const TServerTarget server = ScriptServers.front();
        ScriptServers.pop_front();
        return server;
    }
    std::optional<QColor> ChooseColor(QWidget*, const QColor&) override
    {
        ADD_FAILURE() << "unexpected colour chooser";
        return std::nullopt;
    }
    TRecoveryAnswer RecoveryChoice(QWidget*, const QString& text) override
    {
        RecoveryOffers.push_back(text);
        return NextAnswer(RecoveryAnswers, TRecoveryAnswer::Restore, "recovery offer", text);
    }

private:
    // The next queued answer; a question nobody queued an answer for fails the test.
    template <class TReply>
    static TReply NextAnswer(std::deque<TReply>& answers, TReply unexpected, const char* what, const QString& text)
    {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected " << what << ": " << text.toStdString();
            return unexpected;
        }
        const TReply answer = answers.front();
        answers.pop_front();
        return answer;
    }

    static QString Next(std::deque<QString>& names, int& count, const char* kind)
    {
        ++count;
        if (names.empty()) {
            ADD_FAILURE() << "unexpected " << kind << " dialog";
            return {};
        }
        QString name = names.front();
        names.pop_front();
        return name;
    }
};

// Hands every question on to a TFakeDialogs that lives elsewhere: a window holds this, while the
// fake outlives the window for the test to read.
class TForwardDialogs final : public TDialogs {
public:
    explicit TForwardDialogs(TDialogs& to) : To_(to) {}
    TAnswer Question(QWidget* owner, const QString& text, const QString& caption) override
    {
        return To_.Question(owner, text, caption);
    }
    bool Confirm(QWidget* owner, const QString& text, const QString& caption) override
    {
        return To_.Confirm(owner, text, caption);
    }
    void Message(QWidget* owner, const QString& text, const QString& caption) override
    {
        To_.Message(owner, text, caption);
    }
    void Error(QWidget* owner, const QString& text) override { To_.Error(owner, text); }
    QString OpenProjectFileName(QWidget* owner, const QString& folder) override
    {
        return To_.OpenProjectFileName(owner, folder);
    }
    QString SaveProjectFileName(QWidget* owner, const QString& suggested) override
    {
        return To_.SaveProjectFileName(owner, suggested);
    }
    QString OpenScriptFileName(QWidget* owner, const QString& folder) override
    {
        return To_.OpenScriptFileName(owner, folder);
    }
    std::optional<TServerTarget> ScriptFileServer(QWidget* owner, const QString& file, TServerTarget suggested) override
    {
        return To_.ScriptFileServer(owner, file, suggested);
    }
    std::optional<QColor> ChooseColor(QWidget* owner, const QColor& initial) override
    {
        return To_.ChooseColor(owner, initial);
    }
    TRecoveryAnswer RecoveryChoice(QWidget* owner, const QString& text) override
    {
        return To_.RecoveryChoice(owner, text);
    }

private:
    TDialogs& To_;
};

// A fresh TFakeDialogs for the life of the object, answering for the window it is installed in
// (and the windows opened from it).
class TDialogsScope {
public:
    TDialogsScope() = default;
    TDialogsScope(const TDialogsScope&) = delete;
    TDialogsScope& operator=(const TDialogsScope&) = delete;
    // What a window is given to hold (by SetDialogs, or StartEditor).
    std::unique_ptr<TDialogs> Answering() const { return std::make_unique<TForwardDialogs>(*Fake_); }
    void InstallIn(QWidget& window) const { SetDialogs(window, Answering()); }
    TFakeDialogs* operator->() const { return Fake_.get(); }
    TFakeDialogs& operator*() const { return *Fake_; }

private:
    std::unique_ptr<TFakeDialogs> Fake_ = std::make_unique<TFakeDialogs>();
};

using widgettest::Child;
using widgettest::Click;
using widgettest::ProcessDeletions;
using widgettest::ShowsWholeCaption;
using widgettest::ShowsWholeText;

// Picks an entry the way the keyboard does: Home, then Down until it is reached.
inline void PickEntry(QComboBox* combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

// Selects the whole text of a field, so that typing replaces it.
inline void SelectAllOf(QWidget* field)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
}

} // namespace frametest
