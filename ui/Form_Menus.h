#pragma once
// The menu editor window.

#include "TaskEditor.h"

class TMenuForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TMenuForm(QWidget* parent = nullptr);
    void LoadTask(TTask* task) override;
};
