#pragma once
// What every task editor window (action, condition, message, menu, manual code) offers its
// opener: LoadTask before it is shown, Task and EditMode when it reports back, and OnDone, called
// exactly once when the user ends the editor, just before the window destroys itself.
//
// The ending is shared: an editor names its buttons once (SetButtons) and fills in Apply's steps
// (ReadyToApply, NewTask, Store); Apply, Cancel, Enter, Escape, the close box, a replaced project
// and an undo of the edited task all end the editor here, the same way for every kind.

#include "document/Document.h"
#include "model/Tasks.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QPushButton;

class TTaskEditorForm : public QWidget {
    Q_OBJECT
public:
    using TDoneHandler = std::function<void(TTaskEditorForm* editor, bool cancelled)>;

    // The editor works on document's project.
    explicit TTaskEditorForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~TTaskEditorForm() override;

    // nullptr: new mode. Otherwise the editor shows the task and EditMode becomes true.
    virtual void LoadTask(TTask* task) = 0;

    // In edit mode the edited task (nullptr once it has been destroyed elsewhere); in new mode
    // the task created by Apply (nullptr before).
    TTask* Task() const;
    bool EditMode() const { return EditMode_; }
    // What Apply made, handed to the caller: in new mode the new task (the caller adds it to the
    // project), in edit mode a filled copy of the edited task (the caller hands it to the project
    // document, which stores it into the edited task). An editor never writes into a live task.
    std::unique_ptr<TTask> TakeResult() { return std::move(Result_); }

    TDoneHandler OnDone;

protected:
    // What the close box does: cancel the editor, or only minimise it (an editor whose typing
    // would be lost by a stray click keeps it until Apply or Cancel).
    enum class TCloseBox { Cancels, Minimises };
    // Apply and Cancel end the editor; Escape presses Cancel and Enter presses enterButton
    // (nullptr: Enter stays with the focused control, as in a text editor).
    void SetButtons(QPushButton* apply, QPushButton* cancel, QAbstractButton* enterButton,
                    TCloseBox closeBox = TCloseBox::Cancels);

    // Apply's steps. Whether the controls hold a task to store: false leaves the editor open
    // (an exception says why to the user).
    virtual bool ReadyToApply() const { return true; }
    // An empty task of the editor's kind, for Apply in new mode.
    virtual std::unique_ptr<TTask> NewTask() const = 0;
    // Writes the controls into task: a new task, or a copy of the edited one.
    virtual void Store(TTask& task) const = 0;

    void SetEditedTask(TTask* task);
    TTask* EditedTask() const { return Edited_.get(); }
    void SetResult(std::unique_ptr<TTask> task) { Result_ = std::move(task); }
    // Reports the end to OnDone (once) and destroys the window. After an Apply whose edited task
    // was destroyed while the editor was open, Task() is nullptr and the result is still there:
    // the opener decides what becomes of it.
    void Finish(bool cancelled);
    TProjectDocument& Document() const { return Document_; }
    const TProject& Project() const { return Document_.Project(); }
    // The encoding the document's text is shown and typed in.
    const TTextEncoding& Encoding() const { return Document_.Encoding(); }
    // The catalogues of the server the document's project is written for.
    const TCatalogues& Catalogues() const { return Document_.ServerData()->Catalogues(); }
    // The groups of the project changed while the editor was open: group pickers list them again.
    virtual void GroupsChanged() {}

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Destroys a window the editor opened for itself (its item picker, its value editor) without
    // letting it report back to the editor that is going.
    template <class TForm>
    static void CloseOwned(QPointer<TForm>& owned)
    {
        if (owned) {
            owned->OnDone = nullptr;
            delete owned.data();
        }
    }

private:
    void Apply();
    // A copy of the edited task to fill in on Apply: of the task as it is, or, once it is gone, as
    // it was when the editor opened, so that what the user typed still has somewhere to go.
    std::unique_ptr<TTask> CopyOfEdited() const;
    // A replaced project (new or loaded) ends the editor as a cancel: the task it edits and the
    // groups it lists belong to the project that is gone. So does an undo or redo of its task.
    void ProjectChanged(const TProjectChange& change);

    TProjectDocument& Document_;
    TTaskGuard<TTask> Edited_;
    // The edited task's record when the editor opened.
    std::unique_ptr<TTask> Opened_;
    bool EditMode_ = false;
    std::unique_ptr<TTask> Result_;
    bool Finished_ = false;
    QAbstractButton* EnterButton_ = nullptr;
    QAbstractButton* CancelButton_ = nullptr;
    TCloseBox CloseBox_ = TCloseBox::Cancels;
};
