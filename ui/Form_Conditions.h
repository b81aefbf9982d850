#pragma once
// The condition editor: builds the check list of a condition one comparison (or free expression,
// checked by the script reader as it is typed) at a time, joined by AND / OR, and chooses the group
// it jumps to. It works on a private copy of the task, so Cancel
// leaves the edited task untouched.

#include "TaskEditor.h"

#include "model/ConditionTasks.h"

#include <QPointer>

#include <cstdint>
#include <memory>

namespace Ui {
class TConForm;
}
class QLabel;
class QLineEdit;
class QPushButton;
class TActionForm;
class TExpressionField;

class TConForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TConForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~TConForm() override;

    void LoadTask(TTask* task) override;
    // Sets every control's enabled state from the check list and the chosen left side.
    void UpdateConControls();
    // A target is chosen: the group exit, or a group that exists now.
    bool TargetChosen() const;

    // The variable picked in VarCombo; nullptr for "Don't use".
    const TVariable* PendingVariable() const { return PendingVariable_; }
    // The value action picked through "Change" that no check has taken yet.
    const TActionTask* PendingValueAction() const { return PendingValueAction_.get(); }
    // The action editor opened by "Change", while it is open.
    TActionForm* ValueEditor() const;

protected:
    bool ReadyToApply() const override;
    std::unique_ptr<TTask> NewTask() const override;
    void Store(TTask& task) const override;
    void GroupsChanged() override;

private:
    bool EndsWithComparison() const;
    // The value kind of the current left side: the pending variable's, else the pending value
    // action's, else PT_None.
    ParamTypes PendingValueKind() const;
    bool RightSideReady(ParamTypes kind) const;
    std::int32_t ReadToThisValue(ParamTypes kind) const;
    void AppendLine(TConCheck* check);

    void VarComboSelect();
    void ActButtonClick();
    void ValuePicked(TTaskEditorForm* editor, bool cancelled);
    void AddButtonClick();
    void AddJoiner(std::int32_t kind);
    void MakeExpressionRow();
    void AddExpressionClick();
    void DeleteButtonClick();

    std::unique_ptr<Ui::TConForm> Ui_;
    std::unique_ptr<TConTask> Working_;
    const TVariable* PendingVariable_ = nullptr;
    std::unique_ptr<TActionTask> PendingValueAction_;
    QPointer<TActionForm> ValueEditor_;
    QLineEdit* ExpressionEdit_ = nullptr;
    TExpressionField* Expression_ = nullptr;
    QPushButton* AddExpressionButton_ = nullptr;
};
