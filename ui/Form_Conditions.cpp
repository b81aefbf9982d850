#include "Form_Conditions.h"

// Placeholder until the window is built.
TConForm::TConForm(QWidget* parent) : TTaskEditorForm(parent) {}

void TConForm::LoadTask(TTask* task)
{
    SetEditedTask(task);
}
