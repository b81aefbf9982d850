#pragma once
// Message boxes, file dialogs and the colour chooser go through a replaceable object, so tests
// answer them without a modal loop. The main window holds the real Qt dialogs for itself and every
// window in it; a test installs its own in the window it drives.

#include "catalogue/Targets.h"

#include <QColor>
#include <QString>

#include <exception>
#include <memory>
#include <optional>
#include <utility>

class QWidget;

enum class TAnswer { Yes, No, Cancel };
// The start-up offer of a copy left by a run that did not end normally.
enum class TRecoveryAnswer { Restore, OpenAsNew, Discard };

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // Yes / No / Cancel question; closing the box answers Cancel.
    virtual TAnswer Question(QWidget* owner, const QString& text, const QString& caption) = 0;
    // A Yes / No question whose default answer is No: true for Yes.
    virtual bool Confirm(QWidget* owner, const QString& text, const QString& caption)
    {
        return Question(owner, text, caption) == TAnswer::Yes;
    }
    // A message with one OK button.
    virtual void Message(QWidget* owner, const QString& text, const QString& caption) = 0;
    // The application's generic error box.
    virtual void Error(QWidget* owner, const QString& text) = 0;
    // Open / save dialogs for project files; an empty string when cancelled. The open dialog
    // starts in folder, the save dialog with the file name suggested (its folder and name).
    virtual QString OpenProjectFileName(QWidget* owner, const QString& folder) = 0;
    virtual QString SaveProjectFileName(QWidget* owner, const QString& suggested) = 0;
    // The open dialog for an eAthena script to import, started in folder; an empty string when
    // cancelled.
    virtual QString OpenScriptFileName(QWidget* owner, const QString& folder);
    // The server that loads the script file named file, asked as it is opened (the file's own
    // server, which need not be the project's); suggested is offered first. Nothing when cancelled.
    virtual std::optional<TServerTarget> ScriptFileServer(QWidget* owner, const QString& file,
                                                          TServerTarget suggested);
    // The colour chooser; nothing when cancelled.
    virtual std::optional<QColor> ChooseColor(QWidget* owner, const QColor& initial) = 0;
    // Restore the recovery copy text describes, open it as a new untitled project, or discard
    // it. Only an explicit Discard deletes the copy.
    virtual TRecoveryAnswer RecoveryChoice(QWidget* owner, const QString& text);
};

// The real Qt dialogs.
std::unique_ptr<TDialogs> QtDialogs();
// The dialogs of owner: those its window holds (the main window's, for a window in its workspace),
// else those of the window it was opened from (ShowChildWindow's owner), and so on; the real ones
// when none on that way holds any.
TDialogs& Dialogs(const QWidget* owner);
// Makes dialogs those of window and of the windows opened from it (nullptr: none of its own, so
// that its opener's or the real ones answer); returns those it held before (nullptr: none).
std::unique_ptr<TDialogs> SetDialogs(QWidget& window, std::unique_ptr<TDialogs> dialogs);

// Runs a user command; an exception it raises is shown in the error box instead of leaving
// through the event loop. Returns false when the command failed.
template <class F>
bool Guarded(QWidget* owner, F&& command)
{
    try {
        std::forward<F>(command)();
        return true;
    } catch (const std::exception& error) {
        Dialogs(owner).Error(owner, QString::fromUtf8(error.what()));
    } catch (...) {
        Dialogs(owner).Error(owner, QStringLiteral("Unexpected error."));
    }
    return false;
}
