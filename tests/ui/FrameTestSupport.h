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
#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <QWidget>

#include "CatalogueTestSupport.h"
#include "FakeDialogs.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace frametest {

using cataloguetest::AddMap;
using cataloguetest::AddSprite;
using cataloguetest::SetUpFrameCatalogues;
// The widget helpers and the fake dialogs every window test uses.
using namespace widgettest;

// The main window's title: the program, the project file (or "No File Open"), the server the
// script is written for, and whether there are unsaved changes.
inline std::string ExpectedTitle(const std::string& file, const std::string& server = "eAthena", bool modified = false)
{
    return "Vask's NPC Editor (0.9 Alpha) - " + file + " [" + server + "]" + (modified ? " [Modified]" : "");
}

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
    // Frame tests read the messages shown rather than forbid them.
    std::unique_ptr<TFakeDialogs> Fake_ = [] {
        auto fake = std::make_unique<TFakeDialogs>();
        fake->RecordMessages = true;
        return fake;
    }();
};

// The build stages the help file beside the catalogues: <build>/data/help.chm, and the tests run
// from <build>/tests.
inline QString BuiltHelpFile()
{
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../data/help.chm"))
        .absoluteFilePath();
}

// Selects the whole text of a field, so that typing replaces it.
inline void SelectAllOf(QWidget* field)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
}

} // namespace frametest
