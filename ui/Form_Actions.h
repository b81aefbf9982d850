#pragma once
// The action editor window.

#include "TaskEditor.h"

class TActionForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TActionForm(QWidget* parent = nullptr);
    void LoadTask(TTask* task) override;
    // Fills the action list with the statement entries (1) or the value entries (0).
    void ShowActions(int isStatement);
};
