#pragma once
// A stand-in for the dialogs, for every window test: questions, file dialogs, the server of a
// script file, the colour chooser and the recovery offer answer from queues the test fills, and
// what was shown is recorded. A dialog opened without a prepared answer fails the test, and so
// does a message box unless the test reads the messages shown.

#include "ui/Dialogs.h"

#include <QColor>
#include <QString>

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <vector>

namespace widgettest {

class TFakeDialogs final : public TDialogs {
public:
    struct TShown {
        QString Text;
        QString Caption;
    };

    // Whether message boxes are expected (recorded in Messages) rather than a failure.
    bool RecordMessages = false;

    std::deque<TAnswer> Answers;
    std::deque<QString> OpenNames;
    std::deque<QString> SaveNames;
    std::deque<QString> ScriptNames;
    std::deque<TServerTarget> ScriptServers;
    std::deque<std::optional<QColor>> Colours;
    std::deque<TRecoveryAnswer> RecoveryAnswers;

    std::vector<TServerTarget> OfferedServers;
    std::vector<TShown> Questions;
    std::vector<TShown> Messages;
    std::vector<QString> Errors;
    std::vector<QString> RecoveryOffers;
    // The colour each colour chooser started from.
    std::vector<QColor> InitialColours;
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
        if (!RecordMessages)
            ADD_FAILURE() << "unexpected message: " << text.toStdString();
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
    // Nothing queued as an answer stands for the user cancelling.
    std::optional<QColor> ChooseColor(QWidget*, const QColor& initial) override
    {
        InitialColours.push_back(initial);
        return NextAnswer(Colours, std::optional<QColor>(), "colour chooser", initial.name());
    }
    TRecoveryAnswer RecoveryChoice(QWidget*, const QString& text) override
    {
        RecoveryOffers.push_back(text);
        return NextAnswer(RecoveryAnswers, TRecoveryAnswer::Restore, "recovery offer", text);
    }

private:
    // The next queued answer; a dialog nobody queued an answer for fails the test.
    template <class TReply>
    static TReply NextAnswer(std::deque<TReply>& answers, TReply unexpected, const char* what, const QString& text)
    {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected " << what << ": " << text.toStdString();
            return unexpected;
        }
        TReply answer = answers.front();
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

} // namespace widgettest
