#include "Form_Actions.h"

#include "ui_Form_Actions.h"

#include "ChildWindows.h"
#include "ControlStrings.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "Form_Items.h"
#include "platform/TextEncoding.h"

#include <algorithm>

namespace {

const QString ItemIDCaption = QStringLiteral("Item ID");

void SelectFirst(QComboBox* combo)
{
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

} // namespace

TActionForm::TActionForm(TProjectDocument& document, QWidget* parent)
    : TTaskEditorForm(document, parent), Ui_(std::make_unique<Ui::TActionForm>())
{
    Ui_->setupUi(this);
    setFixedSize(400, 400);

    TComboStrings jobs(Ui_->JobCombo, Encoding());
    Catalogues().FillJobList(jobs);
    FillGroupCombo(Ui_->GroupCombo, Project().TaskList, Encoding());
    FillServerMapCombo(Ui_->MapCombo, *Document().ServerData(), Encoding());
    // Only the user's own pick replaces a map kept by its name.
    connect(Ui_->MapCombo, &QComboBox::activated, this, [this] {
        MapPicked_ = true;
        ShowKeptMap(Ui_->MapCombo, {}, Encoding());
    });
    connect(Ui_->JobCombo, &QComboBox::activated, this, [this] {
        KeptJob_.reset();
        ShowKeptJob();
    });
    for (QComboBox* combo : {Ui_->JobCombo, Ui_->GroupCombo, Ui_->MapCombo}) {
        SelectFirst(combo);
        connect(combo, &QComboBox::currentIndexChanged, this, &TActionForm::UpdateParamControls);
    }

    connect(Ui_->ActionsList, &QListWidget::currentRowChanged, this, &TActionForm::UpdateParamControls);
    SetButtons(Ui_->ApplyButton, Ui_->CancelButton, Ui_->ApplyButton);
    connect(Ui_->BrowseButton, &QPushButton::clicked, this, &TActionForm::BrowseButtonClick);
    UpdateParamControls();
}

TActionForm::~TActionForm()
{
    CloseOwned(Picker_);
}

TItemForm* TActionForm::Picker() const
{
    return Picker_.data();
}

void TActionForm::ShowActions(int isStatement)
{
    Values_ = isStatement == 0;
    // Picking a value to compare runs no action: the window says what it lists.
    Ui_->ActionsGroup->setTitle(Values_ ? QStringLiteral("Values") : QStringLiteral("Actions"));
    Ui_->ActionsList->clear();
    TListStrings actions(Ui_->ActionsList, Encoding());
    FillActionList(isStatement != 0, actions);
    Ui_->ActionsList->setCurrentRow(0);
    UpdateParamControls();
}

void TActionForm::LoadTask(TTask* task)
{
    auto* action = dynamic_cast<TActionTask*>(task);
    if (!action)
        return;
    if (action->Action) {
        Ui_->ActionsList->setCurrentRow(IndexOfListObject(Ui_->ActionsList, action->Action));
        for (int i = 0; i < action->ParamCount(); ++i)
            WriteParamControl(action->Action->ParamKind(i), action->GetParam(i));
        ShowMap(*action);
    }
    UpdateParamControls();
    SetEditedTask(action);
}

const TDAction* TActionForm::SelectedAction() const
{
    return static_cast<const TDAction*>(ListObject(Ui_->ActionsList->currentItem()));
}

std::vector<TActionForm::TParamControl> TActionForm::ParamControls() const
{
    return {
        {PT_Group, Ui_->GroupLabel, Ui_->GroupCombo}, {PT_Map, Ui_->MapLabel, Ui_->MapCombo},
        {PT_Job, Ui_->JobLabel, Ui_->JobCombo},       {PT_ItemID, Ui_->ItemIDLabel, Ui_->ItemIDEdit},
        {PT_Amount, Ui_->AmountLabel, Ui_->AmountEdit}, {PT_HP, Ui_->HPLabel, Ui_->HPEdit},
        {PT_SP, Ui_->SPLabel, Ui_->SPEdit},           {PT_X, Ui_->XLabel, Ui_->XEdit},
        {PT_Y, Ui_->YLabel, Ui_->YEdit},
    };
}

bool TActionForm::HasParamKind(ParamTypes kind) const
{
    const TDAction* action = SelectedAction();
    return action && std::find(action->ParamKinds.begin(), action->ParamKinds.end(), kind) !=
                         action->ParamKinds.end();
}

bool TActionForm::ChoicesMade() const
{
    // A pick list without a selection (empty catalogue, or a stored entry that no longer exists)
    // has no value to store, so Apply waits until the user picks one.
    const auto picked = [this](ParamTypes kind, const QComboBox* combo) {
        return !HasParamKind(kind) || combo->currentIndex() >= 0;
    };
    // A jump must lead to a group that exists now, not to whatever once had that number.
    const auto group = ComboGroupNumber(Ui_->GroupCombo, Ui_->GroupCombo->currentIndex());
    const bool groupExists = !HasParamKind(PT_Group) || (group && Project().TaskList.FindGroup(*group));
    const bool mapKept = !KeptMap_.empty() && !MapPicked_;
    return SelectedAction() && groupExists && (mapKept || picked(PT_Map, Ui_->MapCombo)) &&
           (KeptJob_ || picked(PT_Job, Ui_->JobCombo));
}

void TActionForm::GroupsChanged()
{
    RefillGroupCombo(Ui_->GroupCombo, Project().TaskList, Encoding());
    UpdateParamControls();
}

void TActionForm::UpdateParamControls()
{
    for (const TParamControl& param : ParamControls()) {
        const bool used = HasParamKind(param.Kind);
        param.Label->setEnabled(used);
        param.Control->setEnabled(used);
        // A value uses one field or none: the window shows that field, not a dozen greyed ones.
        param.Label->setHidden(Values_ && !used);
        param.Control->setHidden(Values_ && !used);
    }
    Ui_->BrowseButton->setEnabled(HasParamKind(PT_ItemID) && !Picker_);
    Ui_->BrowseButton->setHidden(Values_ && !HasParamKind(PT_ItemID));
    Ui_->ApplyButton->setEnabled(ChoicesMade());
}

std::int32_t TActionForm::ReadParamControl(ParamTypes kind) const
{
    switch (kind) {
    case PT_ItemID: return Ui_->ItemIDEdit->Value();
    case PT_Group: return ComboGroupNumber(Ui_->GroupCombo, Ui_->GroupCombo->currentIndex()).value_or(0);
    // A map of the server outside the catalogue has no index: the task keeps it by name.
    case PT_Map: return Catalogues().IsMapIndex(Ui_->MapCombo->currentIndex()) ? Ui_->MapCombo->currentIndex() : -1;
    case PT_Amount: return Ui_->AmountEdit->Value();
    case PT_Job: {
        const TJob* job = SelectedComboObject<TJob>(Ui_->JobCombo);
        return job ? job->ID : KeptJob_.value_or(0);
    }
    case PT_HP: return Ui_->HPEdit->Value();
    case PT_SP: return Ui_->SPEdit->Value();
    case PT_X: return Ui_->XEdit->Value();
    case PT_Y: return Ui_->YEdit->Value();
    case PT_None:
    case PT_Sex: return 0;
    }
    return 0;
}

void TActionForm::WriteParamControl(ParamTypes kind, std::int32_t value)
{
    switch (kind) {
    case PT_ItemID: Ui_->ItemIDEdit->SetValue(value); break;
    case PT_Group: Ui_->GroupCombo->setCurrentIndex(IndexOfComboGroup(Ui_->GroupCombo, Project().TaskList, value)); break;
    case PT_Map:
        Ui_->MapCombo->setCurrentIndex(value >= 0 && value < Ui_->MapCombo->count() ? value : -1);
        break;
    case PT_Amount: Ui_->AmountEdit->SetValue(value); break;
    case PT_Job: {
        // A job the catalogue lacks (a newer class, an imported script's) is kept until the user
        // picks one, as a map outside the list is.
        const TJob* job = Catalogues().FindJob(value);
        Ui_->JobCombo->setCurrentIndex(job ? IndexOfComboObject(Ui_->JobCombo, job) : -1);
        KeptJob_ = job ? std::nullopt : std::optional<std::int32_t>(value);
        ShowKeptJob();
        break;
    }
    case PT_HP: Ui_->HPEdit->SetValue(value); break;
    case PT_SP: Ui_->SPEdit->SetValue(value); break;
    case PT_X: Ui_->XEdit->SetValue(value); break;
    case PT_Y: Ui_->YEdit->SetValue(value); break;
    case PT_None:
    case PT_Sex: break;
    }
}

// The map the task is written with: one the catalogue has at the index of the row, any other
// under its name; a map neither list has (an import's) shows as the list's placeholder.
void TActionForm::ShowMap(const TActionTask& task)
{
    for (int i = 0; i < task.ParamCount(); ++i) {
        if (task.Action->ParamKind(i) != PT_Map)
            continue;
        KeptMap_ = task.MapFile(i, Catalogues());
        KeptMapIndex_ = task.GetParam(i);
        const int row = task.MapName.empty() ? Ui_->MapCombo->currentIndex() : IndexOfComboMap(Ui_->MapCombo, KeptMap_);
        Ui_->MapCombo->setCurrentIndex(row);
        ShowKeptMap(Ui_->MapCombo, row < 0 ? KeptMap_ : std::string(), Encoding());
        return;
    }
}

void TActionForm::ShowKeptJob()
{
    QComboBox* combo = Ui_->JobCombo;
    combo->setPlaceholderText(KeptJob_ ? QStringLiteral("Job %1 (kept as written)").arg(*KeptJob_) : QString());
    combo->setToolTip(KeptJob_ ? QStringLiteral("The job catalogue has no job %1; it is written unchanged until "
                                                "you pick one.")
                                     .arg(*KeptJob_)
                               : QString());
}

void TActionForm::StoreParams(TActionTask& task) const
{
    bool hasMap = false;
    for (int i = 0; i < task.ParamCount(); ++i) {
        const ParamTypes kind = task.Action->ParamKind(i);
        hasMap = hasMap || kind == PT_Map;
        const bool keep = kind == PT_Map && !MapPicked_ && !KeptMap_.empty();
        task.SetParam(i, keep ? KeptMapIndex_ : ReadParamControl(kind));
    }
    if (!hasMap)
        task.MapName.clear();
    else if (MapPicked_ || KeptMap_.empty()) {
        const int row = Ui_->MapCombo->currentIndex();
        task.MapName = Catalogues().IsMapIndex(row) ? std::string() : ComboMapFile(Ui_->MapCombo, row);
    }
}

bool TActionForm::ReadyToApply() const
{
    return SelectedAction() && ChoicesMade();
}

std::unique_ptr<TTask> TActionForm::NewTask() const
{
    return std::make_unique<TActionTask>(SelectedAction()->Caption, SelectedAction());
}

void TActionForm::Store(TTask& task) const
{
    auto& action = static_cast<TActionTask&>(task);
    action.Action = SelectedAction();
    action.ResetParams();
    StoreParams(action);
}

void TActionForm::BrowseButtonClick()
{
    Guarded(this, [this] {
        Ui_->BrowseButton->setEnabled(false);
        // Filling the picker takes a moment with a large item catalogue; say so first.
        Ui_->ItemIDLabel->setText(QStringLiteral("Please wait.."));
        repaint();
        auto* picker = new TItemForm(Document().ServerData(), Encoding());
        picker->OnDone = [this](TItemForm* done, bool cancelled) { ItemPicked(done, cancelled); };
        picker->SelectItemID(Ui_->ItemIDEdit->Value());
        Picker_ = picker;
        ShowChildWindow(picker, this);
        Ui_->ItemIDLabel->setText(ItemIDCaption);
    });
}

void TActionForm::ItemPicked(TItemForm* picker, bool cancelled)
{
    Picker_ = nullptr;
    const TItem* item = picker->SelectedItem();
    if (!cancelled && item) {
        Ui_->ItemIDEdit->SetValue(item->ID);
        Ui_->ItemIDLabel->setText(ItemIDCaption + QStringLiteral(" (") + Encoding().ToQ(item->Name) + QLatin1Char(')'));
    }
    UpdateParamControls();
    // The user goes on where the picker was opened, in the field it filled, so that Enter
    // applies this editor.
    BringToFront(this);
    if (Ui_->ItemIDEdit->isEnabled())
        Ui_->ItemIDEdit->setFocus();
}
