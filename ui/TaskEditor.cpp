#include "TaskEditor.h"

#include "ChildWindows.h"

TTaskEditorForm::TTaskEditorForm(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    connect(&ProjectDocument(), &TProjectDocument::Changed, this, &TTaskEditorForm::ProjectChanged);
}

TTaskEditorForm::~TTaskEditorForm() = default;

TTask* TTaskEditorForm::Task() const
{
    return EditMode_ ? Edited_.get() : Result_.get();
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

void TTaskEditorForm::ProjectChanged(const TProjectChange& change)
{
    if (Finished_)
        return;
    // An undo or a redo that changed the edited task leaves the editor showing what is no longer
    // there: it ends as a cancel rather than write the old content back on Apply.
    if (change.Has(CP_Replaced) || (change.FromHistory && change.Has(CP_Task) && EditMode_ && change.Task && change.Task == Edited_.get()))
        Finish(true);
    else if (change.Has(CP_Groups))
        GroupsChanged();
}
