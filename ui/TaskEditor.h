#pragma once
// What every task editor window (action, condition, message, menu, manual code) offers its
// opener: LoadTask before it is shown, Task and EditMode when it reports back, and OnDone, called
// exactly once when the user ends the editor, just before the window destroys itself.

#include "document/Document.h"
#include "model/Tasks.h"

#include <QWidget>

#include <functional>
#include <memory>

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
    void SetEditedTask(TTask* task);
    TTask* EditedTask() const { return Edited_.get(); }
    void SetResult(std::unique_ptr<TTask> task) { Result_ = std::move(task); }
    // A copy of the edited task to fill in on Apply: of the task as it is, or, once it is gone, as
    // it was when the editor opened, so that what the user typed still has somewhere to go.
    template <class T>
    std::unique_ptr<T> CopyOfEdited() const
    {
        const TTask* source = EditedTask() ? EditedTask() : Opened_.get();
        return source ? std::unique_ptr<T>(static_cast<T*>(CopyTask(*source).release())) : nullptr;
    }
    // Reports the end to OnDone (once) and destroys the window. After an Apply whose edited task
    // was destroyed while the editor was open, Task() is nullptr and the result is still there:
    // the opener decides what becomes of it.
    void Finish(bool cancelled);
    TProjectDocument& Document() const { return Document_; }
    const TProject& Project() const { return Document_.Project(); }
    // The groups of the project changed while the editor was open: group pickers list them again.
    virtual void GroupsChanged() {}

private:
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
};
