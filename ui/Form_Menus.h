#pragma once
// The menu editor: builds the choices of a menu, each with the group it jumps to. It works on a
// private copy of the task, so Cancel leaves the edited task untouched.

#include "TaskEditor.h"

#include "model/MenuTasks.h"

#include <cstdint>
#include <memory>

namespace Ui {
class TMenuForm;
}

class TMenuForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TMenuForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~TMenuForm() override;

    void LoadTask(TTask* task) override;
    void UpdateMenuControls();

protected:
    bool ReadyToApply() const override;
    std::unique_ptr<TTask> NewTask() const override;
    void Store(TTask& task) const override;
    void GroupsChanged() override;

private:
    // The GroupCombo text of the group numbered target; empty when that group is gone.
    QString GroupText(std::int32_t target) const;
    void AppendRow(TDMenu* entry, const QString& groupText);
    void AddButtonClick();
    void DeleteButtonClick();
    void ChangeButtonClick();
    void MoveSelected(int step);
    void ShowSelectedRow();

    std::unique_ptr<Ui::TMenuForm> Ui_;
    std::unique_ptr<TMenuTask> Working_;
};
