#pragma once
// The manual-code editor: raw script lines, coloured as they are typed and checked in the
// context of their NPC: errors are underlined, the messages of the caret's line shown below.

#include "TaskEditor.h"

#include "check/Problems.h"

#include <memory>
#include <vector>

class QLabel;
class QTimer;

namespace Ui {
class TManualForm;
}

class TManualForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TManualForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~TManualForm() override;

    void LoadTask(TTask* task) override;
    // Puts the caret at the start of line (from 0) and shows it.
    void GoToLine(int line);
    // Checks the code now rather than after the pause in typing.
    void CheckNow();
    const std::vector<TCodeFinding>& Findings() const { return Findings_; }

protected:
    std::unique_ptr<TTask> NewTask() const override;
    void Store(TTask& task) const override;
    void showEvent(QShowEvent* event) override;

private:
    void CodeEditChange();
    void ShowFindings();
    void ShowCaretMessage();

    std::unique_ptr<Ui::TManualForm> Ui_;
    QLabel* CheckStatus_ = nullptr;
    QTimer* CheckTimer_ = nullptr;
    std::vector<TCodeFinding> Findings_;
    bool Colouring_ = false;
    bool Sized_ = false;
};
