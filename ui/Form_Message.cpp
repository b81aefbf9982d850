#include "Form_Message.h"

// Placeholder until the window is built.
TMessageForm::TMessageForm(QWidget* parent) : TTaskEditorForm(parent) {}

void TMessageForm::LoadTask(TTask* task)
{
    SetEditedTask(task);
}
