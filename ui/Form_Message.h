#pragma once
// The message editor window.

#include "TaskEditor.h"

class TMessageForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TMessageForm(QWidget* parent = nullptr);
    void LoadTask(TTask* task) override;
};
