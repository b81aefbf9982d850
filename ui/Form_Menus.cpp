#include "Form_Menus.h"

// Placeholder until the window is built.
TMenuForm::TMenuForm(QWidget* parent) : TTaskEditorForm(parent) {}

void TMenuForm::LoadTask(TTask* task)
{
    SetEditedTask(task);
}
