#pragma once
// What every task editor window (action, condition, message, menu, manual code) offers its
// opener: LoadTask before it is shown, Task and EditMode when it reports back, and OnDone, called
// exactly once when the user ends the editor, just before the window destroys itself.

#include "tasks/DTasks.h"

#include <QWidget>

#include <functional>
#include <memory>

class TTaskEditorForm : public QWidget {
    Q_OBJECT
public:
    using TDoneHandler = std::function<void(TTaskEditorForm* editor, bool cancelled)>;

    explicit TTaskEditorForm(QWidget* parent = nullptr);
    ~TTaskEditorForm() override;

    // nullptr: new mode. Otherwise the editor shows the task and EditMode becomes true.
    virtual void LoadTask(TTask* task) = 0;

    // In edit mode the edited task (nullptr once it has been destroyed elsewhere); in new mode
    // the task created by Apply (nullptr before).
    TTask* Task() const;
    bool EditMode() const { return EditMode_; }
    // Hands the task made by Apply in new mode to the caller (who registers it).
    std::unique_ptr<TTask> TakeNewTask() { return std::move(NewTask_); }

    TDoneHandler OnDone;

protected:
    void SetEditedTask(TTask* task);
    TTask* EditedTask() const { return Edited_.get(); }
    void SetNewTask(std::unique_ptr<TTask> task) { NewTask_ = std::move(task); }
    // Reports the end to OnDone (once) and destroys the window. An Apply whose edited task was
    // destroyed while the editor was open is reported as a cancel: there is nothing to store into.
    void Finish(bool cancelled);

private:
    TTaskGuard<TTask> Edited_;
    bool EditMode_ = false;
    std::unique_ptr<TTask> NewTask_;
    bool Finished_ = false;
};
