#pragma once
// The manual-code editor window.

#include "TaskEditor.h"

class TManualForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TManualForm(QWidget* parent = nullptr);
    void LoadTask(TTask* task) override;
};
