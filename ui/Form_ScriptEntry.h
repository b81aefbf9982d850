#pragma once
// The windows of one entry of an open script file. As code: the entry's lines in a coloured editor
// with its own undo, checked as part of the whole new file while typing, every change going into
// the file at once. As tasks: an importable NPC imported (and proved) into a project document of
// its own, edited in the program's own windows bound to that document, with its own undo; while
// the project differs from what was read, the editor's lines for the NPC take the entry's place in
// the file.

#include "script/SyntaxTree.h"
#include "workspace/WriteBack.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QTimer;
class TNPCForm;
class TPlayTestForm;
class TProjectDocument;
class TScriptFileForm;
class TTaskForm;
class TTextEncoding;

// Underlines the lines of the errors among diagnostics (line numbers less firstLine - 1), each
// with its message as tool tip; returns how many were marked.
int ShowErrorMarks(QPlainTextEdit* control, const std::vector<script::TDiagnostic>& diagnostics,
                   const TTextEncoding& encoding, int firstLine = 1);

// The script views' look: yellow fixed-pitch text on navy, which the highlighter's colours are
// chosen for, and its tab stops.
void UseScriptLook(QWidget* window, QPlainTextEdit* control);

class TScriptCodeForm : public QWidget {
    Q_OBJECT
public:
    TScriptCodeForm(TScriptFileForm& file, std::size_t part, QWidget* parent = nullptr);

    // The file was read again and holds the entry as part.
    void MoveTo(std::size_t part) { Part_ = part; }

    QPlainTextEdit* Code() const { return Code_; }
    // Checks the file with this entry's text now rather than after the pause in typing.
    void CheckNow();

private:
    void TextEdited();

    TScriptFileForm& File_;
    std::size_t Part_;
    QPlainTextEdit* Code_ = nullptr;
    QLabel* Check_ = nullptr;
    QTimer* CheckTimer_ = nullptr;
    QString Shown_;  // the text the file holds for the entry
};

// The NPC's windows are the program's own, bound to the NPC's document: the task window (add,
// delete, move, rename, the task editors, the output window) and the NPC window side by side, and
// on demand the play-test window.
class TScriptNpcForm : public QWidget {
    Q_OBJECT
public:
    // Imports and proves the NPC of part; EImportError when it cannot be imported or proved.
    TScriptNpcForm(TScriptFileForm& file, std::size_t part, QWidget* parent = nullptr);
    ~TScriptNpcForm() override;

    TProjectDocument& Document() const { return *Document_; }
    TTaskForm* Tasks() const { return Tasks_; }
    TNPCForm* NpcWindow() const { return Npc_; }
    // Opens the play-test window on this NPC (once) and brings it to the front.
    TPlayTestForm* PlayTest();
    // The file was saved with this NPC as it stands: it is unchanged from now on.
    void Saved();
    // The file was read again and holds the entry as part.
    void MoveTo(std::size_t part) { Entry_.MoveTo(part); }
    // Why the tasks as they stand cannot be written into the file; empty when they are there.
    const std::string& WriteError() const { return Entry_.WriteError(); }

protected:
    // The undo and redo keys inside this window work on the NPC's history; the main window's Edit
    // menu would take them for its own project's.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ProjectChanged();

    TScriptFileForm& File_;
    TNpcEntryTasks Entry_;
    std::unique_ptr<TProjectDocument> Document_;
    TTaskForm* Tasks_ = nullptr;
    TNPCForm* Npc_ = nullptr;
    QPointer<TPlayTestForm> PlayTest_;
    QLabel* Status_ = nullptr;
};
