#include "Form_Conditions.h"

#include "ui_Form_Conditions.h"

#include "ChildWindows.h"
#include "ControlStrings.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "ExpressionField.h"
#include "Form_Actions.h"
#include "platform/TextEncoding.h"

#include "platform/Errors.h"

#include <QLabel>
#include <QLineEdit>

namespace {

const QString ValueCaption = QStringLiteral("Value");
constexpr int FormWidth = 568;
constexpr int FormHeight = 264;
// The expression row below the comparison's controls.
constexpr int ExpressionRowHeight = 66;

} // namespace

TConForm::TConForm(TProjectDocument& document, QWidget* parent)
    : TTaskEditorForm(document, parent), Ui_(std::make_unique<Ui::TConForm>())
{
    Ui_->setupUi(this);
    setFixedSize(FormWidth, FormHeight + ExpressionRowHeight);
    MakeExpressionRow();

    TComboStrings variables(Ui_->VarCombo, Encoding());
    FillVariableList(variables);
    Ui_->VarCombo->setCurrentIndex(0);
    TComboStrings jobs(Ui_->JobCombo, Encoding());
    Catalogues().FillJobList(jobs);
    Ui_->JobCombo->setCurrentIndex(Ui_->JobCombo->count() > 0 ? 0 : -1);
    Ui_->GroupCombo->addItem(QStringLiteral("Group Exit"));
    FillGroupCombo(Ui_->GroupCombo, Project().TaskList, Encoding());
    Ui_->GroupCombo->setCurrentIndex(0);
    Working_ = std::make_unique<TConTask>();

    connect(Ui_->VarCombo, &QComboBox::currentIndexChanged, this, &TConForm::VarComboSelect);
    connect(Ui_->JobCombo, &QComboBox::currentIndexChanged, this, &TConForm::UpdateConControls);
    connect(Ui_->GroupCombo, &QComboBox::currentIndexChanged, this, &TConForm::UpdateConControls);
    connect(Ui_->ActButton, &QPushButton::clicked, this, &TConForm::ActButtonClick);
    connect(Ui_->AddButton, &QPushButton::clicked, this, &TConForm::AddButtonClick);
    connect(Ui_->AndButton, &QPushButton::clicked, this, [this] { AddJoiner(ConAnd); });
    connect(Ui_->ORButton, &QPushButton::clicked, this, [this] { AddJoiner(ConOr); });
    connect(Ui_->DeleteButton, &QPushButton::clicked, this, &TConForm::DeleteButtonClick);
    // Enter adds the comparison being built; Apply is a click away.
    SetButtons(Ui_->ApplyButton, Ui_->CancelButton, Ui_->AddButton);
    UpdateConControls();
}

TConForm::~TConForm()
{
    CloseOwned(ValueEditor_);
}

TActionForm* TConForm::ValueEditor() const
{
    return ValueEditor_.data();
}

void TConForm::LoadTask(TTask* task)
{
    auto* condition = dynamic_cast<TConTask*>(task);
    if (!condition)
        return;
    Working_->Assign(*condition);
    for (const auto& check : Working_->Checks)
        AppendLine(check.get());
    const int group = IndexOfComboGroup(Ui_->GroupCombo, Project().TaskList, condition->Target);
    Ui_->GroupCombo->setCurrentIndex(group >= 0 ? group : 0);
    SetEditedTask(condition);
    UpdateConControls();
}

bool TConForm::TargetChosen() const
{
    const int index = Ui_->GroupCombo->currentIndex();
    const auto group = ComboGroupNumber(Ui_->GroupCombo, index);
    return index >= 0 && (!group || Project().TaskList.FindGroup(*group));
}

void TConForm::GroupsChanged()
{
    RefillGroupCombo(Ui_->GroupCombo, Project().TaskList, Encoding());
    UpdateConControls();
}

bool TConForm::EndsWithComparison() const
{
    if (!Working_ || Working_->Checks.empty())
        return false;
    const TConCheck& last = *Working_->Checks.back();
    return last.IsComparison() || last.IsExpression();
}

ParamTypes TConForm::PendingValueKind() const
{
    if (PendingVariable_)
        return PendingVariable_->ValueKind;
    if (PendingValueAction_ && PendingValueAction_->Action)
        return PendingValueAction_->Action->ResultKind;
    return PT_None;
}

bool TConForm::RightSideReady(ParamTypes kind) const
{
    // An empty job catalogue leaves nothing to compare a class with.
    return kind != PT_Job || Ui_->JobCombo->currentIndex() >= 0;
}

void TConForm::UpdateConControls()
{
    const bool ends = EndsWithComparison();
    const bool variable = Ui_->VarCombo->currentIndex() > 0;
    const ParamTypes kind = PendingValueKind();
    Ui_->AddButton->setEnabled((PendingValueAction_ || variable) && !ends && RightSideReady(kind));
    Ui_->AndButton->setEnabled(ends);
    Ui_->ORButton->setEnabled(ends);
    Ui_->ApplyButton->setEnabled(ends && TargetChosen());
    Ui_->DeleteButton->setEnabled(Ui_->CheckList->count() > 0);
    Ui_->ConCombo->setEnabled(!ends);
    if (ExpressionEdit_) {
        ExpressionEdit_->setEnabled(!ends);
        AddExpressionButton_->setEnabled(!ends && Expression_->Problem().empty());
    }
    Ui_->Var1Label->setEnabled(!ends);
    Ui_->VarCombo->setEnabled(!ends);
    Ui_->ActLabel->setEnabled(!ends && !variable);
    // One value editor at a time.
    Ui_->ActButton->setEnabled(!ends && !variable && !ValueEditor_);
    Ui_->AmountLabel->setEnabled(kind == PT_Amount);
    Ui_->AmountEdit->setEnabled(kind == PT_Amount);
    Ui_->JobLabel->setEnabled(kind == PT_Job);
    Ui_->JobCombo->setEnabled(kind == PT_Job);
    Ui_->SexLabel->setEnabled(kind == PT_Sex);
    Ui_->SexCombo->setEnabled(kind == PT_Sex);
}

std::int32_t TConForm::ReadToThisValue(ParamTypes kind) const
{
    switch (kind) {
    case PT_Amount: return Ui_->AmountEdit->Value();
    case PT_Job: {
        const TJob* job = SelectedComboObject<TJob>(Ui_->JobCombo);
        return job ? job->ID : 0;
    }
    case PT_Sex: return Ui_->SexCombo->currentIndex();
    default: return 0;
    }
}

void TConForm::AppendLine(TConCheck* check)
{
    TListStrings lines(Ui_->CheckList, Encoding());
    lines.AddObject(CheckText(*check, Catalogues()), check);
    Ui_->CheckList->setCurrentRow(Ui_->CheckList->count() - 1);
}

void TConForm::VarComboSelect()
{
    PendingVariable_ = static_cast<const TVariable*>(ComboObject(Ui_->VarCombo, Ui_->VarCombo->currentIndex()));
    UpdateConControls();
}

void TConForm::ActButtonClick()
{
    Guarded(this, [this] {
        Ui_->ActButton->setEnabled(false);
        auto* editor = new TActionForm(Document());
        editor->OnDone = [this](TTaskEditorForm* done, bool cancelled) { ValuePicked(done, cancelled); };
        editor->ShowActions(0);
        // The editor lists the values a script can compute here, not actions to run: its title
        // says what the pick is for.
        editor->setWindowTitle(QStringLiteral("Value to Compare"));
        ValueEditor_ = editor;
        ShowChildWindow(editor, this);
        UpdateConControls();
    });
}

void TConForm::ValuePicked(TTaskEditorForm* editor, bool cancelled)
{
    ValueEditor_ = nullptr;
    if (!cancelled) {
        std::unique_ptr<TTask> picked = editor->TakeResult();
        if (auto* action = dynamic_cast<TActionTask*>(picked.get())) {
            picked.release();
            PendingValueAction_.reset(action);
            Ui_->ActLabel->setText(ValueCaption + QStringLiteral(": ") + Encoding().ToQ(action->Caption));
        }
    }
    UpdateConControls();
    BringToFront(this);
}

void TConForm::AddButtonClick()
{
    Guarded(this, [this] {
        if (!Ui_->AddButton->isEnabled())
            return;
        auto check = std::make_unique<TConCheck>();
        check->Kind = Ui_->ConCombo->currentIndex();
        check->Variable = PendingVariable_;
        check->Value = ReadToThisValue(PendingValueKind());
        check->ValueAction = std::move(PendingValueAction_);
        Ui_->ActLabel->setText(ValueCaption);
        TConCheck* added = check.get();
        Working_->AddCheck(std::move(check));
        AppendLine(added);
        UpdateConControls();
    });
}

void TConForm::MakeExpressionRow()
{
    auto* label = new QLabel(QStringLiteral("Or any e&xpression the server reads:"), this);
    label->setGeometry(8, FormHeight + 2, 384, 16);
    ExpressionEdit_ = new QLineEdit(this);
    ExpressionEdit_->setObjectName(QStringLiteral("ExpressionEdit"));
    ExpressionEdit_->setGeometry(8, FormHeight + 20, 384, 22);
    label->setBuddy(ExpressionEdit_);
    AddExpressionButton_ = new QPushButton(QStringLiteral("Add Expression"), this);
    AddExpressionButton_->setObjectName(QStringLiteral("AddExpressionButton"));
    AddExpressionButton_->setGeometry(400, FormHeight + 19, 160, 25);
    AddExpressionButton_->setAutoDefault(false);
    auto* message = new QLabel(this);
    message->setObjectName(QStringLiteral("ExpressionStatus"));
    message->setGeometry(8, FormHeight + 46, 552, 16);
    message->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
    Expression_ = new TExpressionField(ExpressionEdit_, message, Project().HeaderInfo.Target, Encoding());
    connect(ExpressionEdit_, &QLineEdit::textChanged, this, &TConForm::UpdateConControls);
    connect(AddExpressionButton_, &QPushButton::clicked, this, &TConForm::AddExpressionClick);
    connect(ExpressionEdit_, &QLineEdit::returnPressed, this, &TConForm::AddExpressionClick);
}

void TConForm::AddExpressionClick()
{
    Guarded(this, [this] {
        if (EndsWithComparison())
            return;
        if (const std::string problem = Expression_->Problem(); !problem.empty())
            throw EListError("The expression cannot be read: " + problem + ".");
        auto check = std::make_unique<TConCheck>();
        check->Kind = ConExpression;
        check->Expression = Expression_->Text();
        TConCheck* added = check.get();
        Working_->AddCheck(std::move(check));
        AppendLine(added);
        ExpressionEdit_->clear();
        UpdateConControls();
    });
}

void TConForm::AddJoiner(std::int32_t kind)
{
    Guarded(this, [this, kind] {
        if (!EndsWithComparison() || !TargetChosen())
            return;
        auto check = std::make_unique<TConCheck>();
        check->Kind = kind;
        TConCheck* added = check.get();
        Working_->AddCheck(std::move(check));
        AppendLine(added);
        UpdateConControls();
    });
}

void TConForm::DeleteButtonClick()
{
    Guarded(this, [this] {
        QListWidget* list = Ui_->CheckList;
        if (list->count() == 0)
            return;
        // Always the most recent line, so the list stays comparison, joiner, comparison... The
        // lines follow the working task's checks one to one.
        const int last = list->count() - 1;
        Working_->RemoveCheck(Working_->Checks.back().get());
        delete list->takeItem(last);
        if (list->count() > 0)
            list->setCurrentRow(list->count() - 1);
        UpdateConControls();
    });
}

bool TConForm::ReadyToApply() const
{
    return EndsWithComparison();
}

std::unique_ptr<TTask> TConForm::NewTask() const
{
    return std::make_unique<TConTask>();
}

void TConForm::Store(TTask& task) const
{
    auto& condition = static_cast<TConTask&>(task);
    condition.Assign(*Working_);
    condition.Target = ComboGroupNumber(Ui_->GroupCombo, Ui_->GroupCombo->currentIndex()).value_or(GroupExitTarget);
    if (condition.UserNamed == 0)
        condition.Caption = condition.SummaryText(Catalogues());
}
