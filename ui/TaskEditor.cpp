#include "TaskEditor.h"

#include "ChildWindows.h"

TTaskEditorForm::TTaskEditorForm(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

TTaskEditorForm::~TTaskEditorForm() = default;

TTask* TTaskEditorForm::Task() const
{
    return EditMode_ ? Edited_.get() : NewTask_.get();
}

void TTaskEditorForm::SetEditedTask(TTask* task)
{
    Edited_ = TTaskGuard<TTask>(task);
    EditMode_ = task != nullptr;
}

void TTaskEditorForm::Finish(bool cancelled)
{
    if (Finished_)
        return;
    Finished_ = true;
    if (!cancelled && EditMode_ && !Edited_)
        cancelled = true;
    if (OnDone)
        OnDone(this, cancelled);
    ChildFrame(this)->close();
    deleteLater();
}
