#include "Form_Actions.h"

// Placeholder until the window is built.
TActionForm::TActionForm(QWidget* parent) : TTaskEditorForm(parent) {}

void TActionForm::LoadTask(TTask* task)
{
    SetEditedTask(task);
}

void TActionForm::ShowActions(int /*isStatement*/) {}
