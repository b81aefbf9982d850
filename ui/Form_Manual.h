#pragma once
// The manual-code editor: raw script lines, coloured as they are typed.

#include "TaskEditor.h"

#include <memory>

namespace Ui {
class TManualForm;
}

class TManualForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TManualForm(QWidget* parent = nullptr);
    ~TManualForm() override;

    void LoadTask(TTask* task) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CodeEditChange();
    void ApplyButtonClick();
    void CancelButtonClick();
    void End(bool cancelled);

    std::unique_ptr<Ui::TManualForm> Ui_;
    bool Colouring_ = false;
    bool Ending_ = false;
    bool Sized_ = false;
};
