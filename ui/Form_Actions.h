#pragma once
// The action editor: picks one entry of the action catalogue and fills in its parameters. Opened
// by the task tree window for action tasks (statements) and by the condition editor for the value
// that a check compares (values).

#include "TaskEditor.h"

#include "model/ActionTasks.h"

#include <QPointer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class TActionForm;
}
class QLabel;
class TItemForm;

class TActionForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TActionForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~TActionForm() override;

    // Lists the statement entries (1) or the value entries (0) and selects the first. The value
    // list shows only the fields the selected value uses.
    void ShowActions(int isStatement);
    void LoadTask(TTask* task) override;

    // The catalogue entry of the selected list row, nullptr when none is selected.
    const TDAction* SelectedAction() const;
    // Enables the controls of the selected entry's parameter kinds, disables all others.
    void UpdateParamControls();
    std::int32_t ReadParamControl(ParamTypes kind) const;
    void WriteParamControl(ParamTypes kind, std::int32_t value);

    // The item picker opened by Browse, while it is open.
    TItemForm* Picker() const;

protected:
    bool ReadyToApply() const override;
    std::unique_ptr<TTask> NewTask() const override;
    void Store(TTask& task) const override;
    void GroupsChanged() override;

private:
    struct TParamControl {
        ParamTypes Kind;
        QLabel* Label;
        QWidget* Control;
    };
    std::vector<TParamControl> ParamControls() const;
    bool HasParamKind(ParamTypes kind) const;
    bool ChoicesMade() const;
    void BrowseButtonClick();
    void ItemPicked(TItemForm* picker, bool cancelled);
    void ShowMap(const TActionTask& task);
    void ShowKeptJob();
    void StoreParams(TActionTask& task) const;

    std::unique_ptr<Ui::TActionForm> Ui_;
    QPointer<TItemForm> Picker_;
    // Listing values to compare (ShowActions(0)) rather than actions to run.
    bool Values_ = false;
    // The map of the edited task as the script names it, and whether the user picked another.
    std::string KeptMap_;
    std::int32_t KeptMapIndex_ = -1;
    bool MapPicked_ = false;
    // The edited task's job when the catalogue lacks it, until the user picks one.
    std::optional<std::int32_t> KeptJob_;
};
