#pragma once
// The condition editor window.

#include "TaskEditor.h"

class TConForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TConForm(QWidget* parent = nullptr);
    void LoadTask(TTask* task) override;
};
