#include "Form_Manual.h"

// Placeholder until the window is built.
TManualForm::TManualForm(QWidget* parent) : TTaskEditorForm(parent) {}

void TManualForm::LoadTask(TTask* task)
{
    SetEditedTask(task);
}
