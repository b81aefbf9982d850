#include "TaskEditor.h"

#include "ChildWindows.h"
#include "Dialogs.h"
#include "EditorControls.h"

#include <QCloseEvent>
#include <QPushButton>

TTaskEditorForm::TTaskEditorForm(TProjectDocument& document, QWidget* parent) : QWidget(parent), Document_(document)
{
    setAttribute(Qt::WA_DeleteOnClose);
    connect(&Document_, &TProjectDocument::Changed, this,
            [this](const TProjectChange& change) { Guarded(this, [&] { ProjectChanged(change); }); });
}

TTaskEditorForm::~TTaskEditorForm() = default;

TTask* TTaskEditorForm::Task() const
{
    return EditMode_ ? Edited_.get() : Result_.get();
}

void TTaskEditorForm::SetButtons(QPushButton* apply, QPushButton* cancel, QAbstractButton* enterButton,
                                 TCloseBox closeBox)
{
    EnterButton_ = enterButton;
    CancelButton_ = cancel;
    CloseBox_ = closeBox;
    connect(apply, &QPushButton::clicked, this, &TTaskEditorForm::Apply);
    connect(cancel, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Finish(true); }); });
}

void TTaskEditorForm::SetEditedTask(TTask* task)
{
    Edited_ = TTaskGuard<TTask>(task);
    Opened_ = task ? CopyTask(*task) : nullptr;
    EditMode_ = task != nullptr;
}

std::unique_ptr<TTask> TTaskEditorForm::CopyOfEdited() const
{
    const TTask* source = EditedTask() ? EditedTask() : Opened_.get();
    return source ? CopyTask(*source) : nullptr;
}

void TTaskEditorForm::Apply()
{
    Guarded(this, [this] {
        if (!ReadyToApply())
            return;
        if (std::unique_ptr<TTask> task = EditMode() ? CopyOfEdited() : NewTask()) {
            Store(*task);
            SetResult(std::move(task));
        }
        Finish(false);
    });
}

void TTaskEditorForm::Finish(bool cancelled)
{
    FinishOnce(this, Finished_, OnDone, cancelled);
}

void TTaskEditorForm::closeEvent(QCloseEvent* event)
{
    if (!Finished_ && CloseBox_ == TCloseBox::Minimises) {
        event->ignore();
        MinimizeChild(this);
        return;
    }
    Guarded(this, [this] { Finish(true); });
    event->accept();
}

void TTaskEditorForm::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event, EnterButton_, CancelButton_))
        QWidget::keyPressEvent(event);
}

void TTaskEditorForm::ProjectChanged(const TProjectChange& change)
{
    if (Finished_)
        return;
    // An undo or a redo that changed the edited task leaves the editor showing what is no longer
    // there: it ends as a cancel rather than write the old content back on Apply.
    if (change.Has(CP_Replaced))
        Edited_ = {};
    if (change.Has(CP_Replaced) || (change.FromHistory && change.Has(CP_Task) && EditMode_ && change.Task && change.Task == Edited_.get()))
        Finish(true);
    else if (change.Has(CP_Groups))
        GroupsChanged();
}
