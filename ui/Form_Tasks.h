#pragma once
// The task tree window: shows the task tree of its document's project, adds groups, opens the
// task editors, renames, moves and deletes tasks, and regenerates the output window after every
// change. The program's own is made once at start-up, framed by itself, and lives until the program
// ends; one made inside another window (an NPC of an open script file) serves that window's
// document and goes with it.

#include "check/Problems.h"
#include "model/Tasks.h"
#include "model/ScriptMemo.h"
#include "model/ScriptWriter.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class TTaskForm;
}
class QAction;
class QPushButton;
class TActionTask;
class TConTask;
class TManualForm;
class TManualTask;
class TMenuTask;
class TMessageTask;
class TTaskEditorForm;
class TTaskTreeModel;
class TTaskTreeView;
class TProjectDocument;
class TTaskTree;
struct TProjectChange;

class TEditorForm;

class TTaskForm : public QWidget {
    Q_OBJECT
public:
    // Without parent: a task window in a child window of its own, in owner's frame.
    explicit TTaskForm(TProjectDocument& document, QWidget* parent = nullptr, QObject* owner = nullptr);
    ~TTaskForm() override;

    // This window's output window, while it is open.
    TEditorForm* Output() const;
    // The windows this one opened that are still open: the output window and the task editors.
    QList<QWidget*> OpenedWindows() const;

    // text itself up to 40 characters; otherwise its first 38 followed by "..".
    static std::string ShortCaption(const std::string& text);
    // The task of the selected node, or nullptr.
    TTask* SelectedTask() const;

    // Regenerates the script into the output window (made when there is none), coloured, and
    // brings that window to the front; the tree's problem marks follow. Returns what the script
    // writer found.
    TScriptResult ShowOutput();
    // The title of the output window this one makes; empty: "Output", the main window's own.
    QString OutputTitle;
    // What the last check found in the script the output window shows; its tasks are valid until
    // the project next changes.
    const TProjectCheck& LastCheck() const { return LastCheck_; }
    void OutputButtonClick();
    // Marks the task a play-test is running at in the tree (null: none) and scrolls to it.
    void ShowPlayingTask(const TTask* task);


    // A new task joins the project through the project document (last child of the selected
    // group, else just before the selected node); with startRename its text is open for typing
    // at once.
    // A new if block or switch is selected, so that its branches or cases go into it.
    TTask* AddTaskNode(std::unique_ptr<TTask> task, bool startRename);

    // nullptr: the editor makes a new task.
    void OpenActionEditor(TActionTask* task);
    void OpenConditionEditor(TConTask* task);
    void OpenMessageEditor(TMessageTask* task);
    void OpenMenuEditor(TMenuTask* task);
    void OpenManualEditor(TManualTask* task);
    // The statement kinds' editor (TCodeTaskForm): task nullptr makes a new task of kind; a group
    // has its label name edited. Nothing when the editor is open already.
    void OpenCodeEditor(TTask* task, TTaskKind kind);
    // Adds an if block (it has nothing to edit; its branches are added into it).
    void AddIfBlock();
    // Opens the manual-code editor on task with the caret on line (from 0); nullptr when a
    // manual-code editor is open already.
    TManualForm* OpenManualEditorAt(TManualTask* task, int line);

    // Called by the editors when they end.
    void ActionEditorDone(TTaskEditorForm* editor, bool cancelled);
    void ConditionEditorDone(TTaskEditorForm* editor, bool cancelled);
    void MessageEditorDone(TTaskEditorForm* editor, bool cancelled);
    void MenuEditorDone(TTaskEditorForm* editor, bool cancelled);
    void ManualEditorDone(TTaskEditorForm* editor, bool cancelled);
    void CodeEditorDone(TTaskEditorForm* editor, bool cancelled);

    void EditButtonClick();
    void DeleteButtonClick();
    void GroupButtonClick();
    void EditActionExecute();
    // Ctrl+Up, Ctrl+Down: the selected task one place up or down among its siblings.
    void MoveUpExecute();
    void MoveDownExecute();
    // Ctrl+C: puts a copy of the selected task on the clipboard, for any task window (of this run
    // or another) to paste. A task that holds others (a group, a block) is not copied: its copy
    // would need them too.
    void CopyExecute();
    // Ctrl+V: adds a copy of the task on the clipboard where a new task goes (AddTaskNode); raises
    // EInOutError when the clipboard holds bytes of our type that are not one whole task.
    void PasteExecute();

    // An in-place edit of node's text was confirmed with text.
    void TasksListEdited(TTaskNode* node, const std::string& text);
    // May the selected node be dropped on the tree?
    bool TasksListDragOver() const;
    // dragged was dropped on target (nullptr: on no node).
    void TasksListEndDrag(TTaskNode* dragged, TTaskNode* target);

    TTaskTreeView* TasksList() const;
    TProjectDocument& Document() const { return Document_; }

    // Set by the main window once it has agreed to close: then closing destroys this window.
    bool Closing = false;

signals:
    // The project was checked again after a change (ShowOutput, and every change the project
    // document reports): check is what the tree's marks show, so a listener need not check again.
    void Checked(const TProjectCheck& check);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate(QObject* owner);
    void ConnectButtons();
    void ConnectTreeCommands();
    // The Statement button's menu: one entry for each statement kind.
    void MakeStatementMenu();
    void LabelNameExecute();
    void MoveSelectedBy(int step);
    void StartRename(TTaskNode* node);
    // Places dragged by the drop rules; false when the move is not performed.
    bool MoveDropped(TTaskNode* dragged, TTaskNode* target);
    // Listens to the project document: an open output window follows every change.
    void ProjectChanged(const TProjectChange& change);
    // The end of each of this window's own edits: the output window comes (or is made) to the
    // front.
    void ShowChangedOutput();

    using TDoneHandler = void (TTaskForm::*)(TTaskEditorForm* editor, bool cancelled);
    // The steps every kind shares; prepare runs on the new editor before it loads the task.
    template <class TForm, class TPrepare>
    TForm* OpenEditor(TTask* task, QPushButton* button, TDoneHandler done, TPrepare prepare);
    template <class TForm>
    TForm* OpenEditor(TTask* task, QPushButton* button, TDoneHandler done);
    // Checks the script memo's last write.
    void ShowMarks(const TScriptResult& written);
    // The common part of the done handlers; captionOf gives the caption of a task of the kind
    // that its user has not named.
    template <class TKindTask, class TCaption>
    void EditorDone(TTaskEditorForm* editor, bool cancelled, QPushButton* button, TCaption captionOf);

    // The open project's tree.
    TTaskTree& Tree() const;

    TProjectDocument& Document_;
    std::unique_ptr<Ui::TTaskForm> Ui_;
    TTaskTreeModel* Model_ = nullptr;
    QAction* EditAction_ = nullptr;
    TProjectCheck LastCheck_;
    // The script text last checked: showing the output of a project checked already reads nothing again.
    TScriptCheckMemo CheckMemo_;
    std::uint64_t CheckedWrite_ = 0;  // the script memo's write that CheckMemo_ checked
    // The script last written: a change writes again only the tasks it reached.
    TScriptMemo ScriptMemo_;
    QPointer<TEditorForm> Output_;
    QList<QPointer<TTaskEditorForm>> Editors_;
};

