#include "Form_CodeTask.h"

#include "ChildWindows.h"
#include "ControlStrings.h"
#include "Dialogs.h"
#include "ExpressionField.h"
#include "platform/TextEncoding.h"

#include "model/BlockTasks.h"
#include "model/CodeTasks.h"
#include "model/ScriptWriter.h"
#include "platform/Errors.h"
#include "script/ServerRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int EditorWidth = 420;

QString TitleOf(TTaskKind kind)
{
    switch (kind) {
    case TTaskKind::Command: return QStringLiteral("Command");
    case TTaskKind::Set: return QStringLiteral("Set Variable");
    case TTaskKind::Call: return QStringLiteral("Call");
    case TTaskKind::Statement: return QStringLiteral("Statement");
    case TTaskKind::Loop: return QStringLiteral("Loop");
    case TTaskKind::Switch: return QStringLiteral("Switch");
    case TTaskKind::Case: return QStringLiteral("Case");
    case TTaskKind::Branch: return QStringLiteral("Branch");
    case TTaskKind::Group: return QStringLiteral("Group Label");
    default: return QStringLiteral("Task");
    }
}

// A variable's name without its scope prefix: letters, digits and '_', a '$' at the end for
// text.
bool IsVariableName(const std::string& name)
{
    const std::string bare = name.ends_with('$') ? name.substr(0, name.size() - 1) : name;
    return IsLabelText(bare);
}

// The script text of a branch's checks, as the user edits it.
QString ConditionText(const TProject& project, const TBranchTask& branch, const TTextEncoding& encoding)
{
    std::vector<std::string> lines;
    TScriptWriter writer(project, lines);
    return encoding.ToQ(ChecksScriptText(branch.Checks, writer, true));
}

} // namespace

TCodeTaskForm::TCodeTaskForm(TProjectDocument& document, QWidget* parent) : TTaskEditorForm(document, parent)
{
    auto* layout = new QVBoxLayout(this);
    Fields_ = new QFormLayout;
    layout->addLayout(Fields_);
    Message_ = new QLabel(this);
    Message_->setObjectName(QStringLiteral("CheckStatus"));
    Message_->setWordWrap(true);
    Message_->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
    layout->addWidget(Message_);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ApplyButton_ = new QPushButton(QStringLiteral("&Apply"), this);
    ApplyButton_->setObjectName(QStringLiteral("ApplyButton"));
    CancelButton_ = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton_->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(ApplyButton_);
    buttons->addWidget(CancelButton_);
    layout->addLayout(buttons);
    setMinimumWidth(EditorWidth);
    // The arguments' field keeps its Enter for a new line; elsewhere Enter applies.
    SetButtons(ApplyButton_, CancelButton_, ApplyButton_);
    SetKind(TTaskKind::Command);
}

TCodeTaskForm::~TCodeTaskForm() = default;

bool TCodeTaskForm::Edits(TTaskKind kind)
{
    switch (kind) {
    case TTaskKind::Command:
    case TTaskKind::Set:
    case TTaskKind::Call:
    case TTaskKind::Statement:
    case TTaskKind::Loop:
    case TTaskKind::Switch:
    case TTaskKind::Case:
    case TTaskKind::Branch:
    case TTaskKind::Group: return true;
    default: return false;
    }
}

std::string TCodeTaskForm::SummaryOf(const TTask& task, const TProject& project, bool firstBranch)
{
    switch (task.Kind()) {
    case TTaskKind::Command: return static_cast<const TCommandTask&>(task).SummaryText();
    case TTaskKind::Set: return static_cast<const TSetTask&>(task).SummaryText();
    case TTaskKind::Call: return static_cast<const TCallTask&>(task).SummaryText(&project.TaskList);
    case TTaskKind::Statement: return static_cast<const TStatementTask&>(task).SummaryText();
    case TTaskKind::If: return static_cast<const TIfTask&>(task).SummaryText();
    case TTaskKind::Branch: {
        const auto& branch = static_cast<const TBranchTask&>(task);
        if (branch.IsElse())
            return branch.SummaryText(project.Catalogues());
        return (firstBranch ? "If " : "Else if ") + ChecksSummary(branch.Checks, project.Catalogues());
    }
    case TTaskKind::Loop: return static_cast<const TLoopTask&>(task).SummaryText();
    case TTaskKind::Switch: return static_cast<const TSwitchTask&>(task).SummaryText();
    case TTaskKind::Case: return static_cast<const TCaseTask&>(task).SummaryText();
    default: return task.Caption;
    }
}

void TCodeTaskForm::SetKind(TTaskKind kind)
{
    if (!Edits(kind))
        throw EListError("there is no editor for a " + KindName(kind));
    Kind_ = kind;
    BuildFields();
}

// ---- The fields ------------------------------------------------------------------------------

QLineEdit* TCodeTaskForm::AddLine(const QString& label, const QString& name)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    Fields_->addRow(label, edit);
    return edit;
}

QLineEdit* TCodeTaskForm::AddChecked(const QString& label, const QString& name, bool emptyAllowed, bool statement)
{
    QLineEdit* edit = AddLine(label, name);
    const auto shape = statement ? TExpressionField::TShape::Statement : TExpressionField::TShape::Expression;
    auto* field = new TExpressionField(edit, Message_, Project().HeaderInfo.Target, Encoding(), shape, emptyAllowed);
    Checked_.emplace_back(QString(label).remove(u'&').remove(u':'), field);
    return edit;
}

QComboBox* TCodeTaskForm::AddCombo(const QString& label, const QString& name, const QStringList& items)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    combo->addItems(items);
    combo->setCurrentIndex(0);
    Fields_->addRow(label, combo);
    connect(combo, &QComboBox::currentIndexChanged, this, &TCodeTaskForm::UpdateControls);
    return combo;
}

QPlainTextEdit* TCodeTaskForm::AddArgs()
{
    ArgsEdit_ = new QPlainTextEdit(this);
    ArgsEdit_->setObjectName(QStringLiteral("ArgsEdit"));
    ArgsEdit_->setToolTip(QStringLiteral("One argument a line, each an expression"));
    ArgsEdit_->setTabChangesFocus(true);
    Fields_->addRow(QStringLiteral("&Arguments:\n(one a line)"), ArgsEdit_);
    return ArgsEdit_;
}

void TCodeTaskForm::BuildFields()
{
    while (Fields_->rowCount() > 0)
        Fields_->removeRow(0);
    Checked_.clear();
    CommandEdit_ = NameEdit_ = IndexEdit_ = ValueEdit_ = InitEdit_ = ConditionEdit_ = StepEdit_ = nullptr;
    ScopeCombo_ = CallKindCombo_ = GroupCombo_ = StatementCombo_ = LoopKindCombo_ = nullptr;
    ArgsEdit_ = nullptr;
    DefaultCheck_ = nullptr;
    PatternLabel_ = nullptr;
    setWindowTitle(TitleOf(Kind_));
    switch (Kind_) {
    case TTaskKind::Command:
        CommandEdit_ = AddLine(QStringLiteral("C&ommand:"), QStringLiteral("CommandEdit"));
        PatternLabel_ = new QLabel(this);
        PatternLabel_->setObjectName(QStringLiteral("PatternLabel"));
        PatternLabel_->setWordWrap(true);
        Fields_->addRow(QString(), PatternLabel_);
        AddArgs();
        connect(CommandEdit_, &QLineEdit::textChanged, this, &TCodeTaskForm::ShowCommandStatus);
        connect(ArgsEdit_, &QPlainTextEdit::textChanged, this, &TCodeTaskForm::ShowCommandStatus);
        break;
    case TTaskKind::Set:
        ScopeCombo_ = AddCombo(QStringLiteral("&Scope:"), QStringLiteral("ScopeCombo"),
                               {QStringLiteral("Character"), QStringLiteral("Account (#)"),
                                QStringLiteral("Global account (##)"), QStringLiteral("Temporary (@)"),
                                QStringLiteral("Server ($)"), QStringLiteral("Server temporary ($@)"),
                                QStringLiteral("NPC (.)"), QStringLiteral("Local (.@)"), QStringLiteral("Instance (')")});
        NameEdit_ = AddLine(QStringLiteral("&Name:"), QStringLiteral("NameEdit"));
        IndexEdit_ = AddChecked(QStringLiteral("&Index:"), QStringLiteral("IndexEdit"), true);
        ValueEdit_ = AddChecked(QStringLiteral("&Value:"), QStringLiteral("ValueEdit"), false);
        break;
    case TTaskKind::Call:
        CallKindCombo_ = AddCombo(QStringLiteral("&Call:"), QStringLiteral("CallKindCombo"),
                                  {QStringLiteral("Function (callfunc)"), QStringLiteral("Subroutine (callsub)")});
        NameEdit_ = AddLine(QStringLiteral("&Function:"), QStringLiteral("FunctionEdit"));
        GroupCombo_ = AddCombo(QStringLiteral("&Group:"), QStringLiteral("GroupCombo"), {});
        FillGroupCombo(GroupCombo_, Project().TaskList, Encoding());
        GroupCombo_->setCurrentIndex(GroupCombo_->count() > 0 ? 0 : -1);
        AddArgs();
        break;
    case TTaskKind::Statement:
        StatementCombo_ = AddCombo(QStringLiteral("&Statement:"), QStringLiteral("StatementCombo"),
                                   {QStringLiteral("end"), QStringLiteral("return"), QStringLiteral("break"),
                                    QStringLiteral("continue")});
        break;
    case TTaskKind::Loop:
        LoopKindCombo_ = AddCombo(QStringLiteral("&Loop:"), QStringLiteral("LoopKindCombo"),
                                  {QStringLiteral("while"), QStringLiteral("for"), QStringLiteral("do ... while")});
        InitEdit_ = AddChecked(QStringLiteral("&Start:"), QStringLiteral("InitEdit"), true, true);
        ConditionEdit_ = AddChecked(QStringLiteral("&Condition:"), QStringLiteral("ConditionEdit"), true);
        StepEdit_ = AddChecked(QStringLiteral("S&tep:"), QStringLiteral("StepEdit"), true, true);
        break;
    case TTaskKind::Switch:
        ValueEdit_ = AddChecked(QStringLiteral("&Value:"), QStringLiteral("ValueEdit"), false);
        break;
    case TTaskKind::Case:
        DefaultCheck_ = new QCheckBox(QStringLiteral("&Default (every other value)"), this);
        DefaultCheck_->setObjectName(QStringLiteral("DefaultCheck"));
        Fields_->addRow(QString(), DefaultCheck_);
        connect(DefaultCheck_, &QCheckBox::toggled, this, &TCodeTaskForm::UpdateControls);
        ValueEdit_ = AddChecked(QStringLiteral("&Value:"), QStringLiteral("ValueEdit"), false);
        break;
    case TTaskKind::Branch:
        ConditionEdit_ = AddChecked(QStringLiteral("&Condition:"), QStringLiteral("ConditionEdit"), true);
        ConditionEdit_->setPlaceholderText(QStringLiteral("empty: else"));
        break;
    case TTaskKind::Group:
        NameEdit_ = AddLine(QStringLiteral("&Label:"), QStringLiteral("LabelEdit"));
        NameEdit_->setPlaceholderText(QStringLiteral("empty: the group's own L<number>"));
        break;
    default: break;
    }
    UpdateControls();
}

void TCodeTaskForm::UpdateControls()
{
    if (CallKindCombo_) {
        const bool function = CallKindCombo_->currentIndex() == static_cast<int>(TCallKind::Function);
        NameEdit_->setEnabled(function);
        GroupCombo_->setEnabled(!function);
    }
    if (LoopKindCombo_) {
        const bool forLoop = LoopKindCombo_->currentIndex() == static_cast<int>(TLoopKind::For);
        InitEdit_->setEnabled(forLoop);
        StepEdit_->setEnabled(forLoop);
    }
    if (DefaultCheck_)
        ValueEdit_->setEnabled(!DefaultCheck_->isChecked());
}

void TCodeTaskForm::GroupsChanged()
{
    if (GroupCombo_)
        RefillGroupCombo(GroupCombo_, Project().TaskList, Encoding());
}

// ---- Loading ---------------------------------------------------------------------------------

void TCodeTaskForm::LoadTask(TTask* task)
{
    if (!task) {
        UpdateControls();
        return;
    }
    SetKind(task->Kind());
    Load(*task);
    UpdateControls();
    SetEditedTask(task);
}

void TCodeTaskForm::Load(const TTask& task)
{
    switch (task.Kind()) {
    case TTaskKind::Command: {
        const auto& command = static_cast<const TCommandTask&>(task);
        CommandEdit_->setText(Encoding().ToQ(command.Command));
        SetEditLines(ArgsEdit_, command.Args, Encoding());
        break;
    }
    case TTaskKind::Set: {
        const auto& set = static_cast<const TSetTask&>(task);
        ScopeCombo_->setCurrentIndex(static_cast<int>(set.Scope));
        NameEdit_->setText(Encoding().ToQ(set.Name));
        IndexEdit_->setText(Encoding().ToQ(set.Index));
        ValueEdit_->setText(Encoding().ToQ(set.Expression));
        break;
    }
    case TTaskKind::Call: LoadCall(task); break;
    case TTaskKind::Statement:
        StatementCombo_->setCurrentIndex(static_cast<int>(static_cast<const TStatementTask&>(task).Statement));
        break;
    case TTaskKind::Loop: LoadLoop(task); break;
    case TTaskKind::Switch: ValueEdit_->setText(Encoding().ToQ(static_cast<const TSwitchTask&>(task).Value)); break;
    case TTaskKind::Case: {
        const auto& branch = static_cast<const TCaseTask&>(task);
        DefaultCheck_->setChecked(branch.IsDefault);
        ValueEdit_->setText(Encoding().ToQ(branch.Value));
        break;
    }
    case TTaskKind::Branch:
        LoadedCondition_ = ConditionText(Project(), static_cast<const TBranchTask&>(task), Encoding());
        ConditionEdit_->setText(LoadedCondition_);
        break;
    case TTaskKind::Group: NameEdit_->setText(Encoding().ToQ(static_cast<const TGroupTask&>(task).LabelName)); break;
    default: break;
    }
}

void TCodeTaskForm::LoadCall(const TTask& task)
{
    const auto& call = static_cast<const TCallTask&>(task);
    CallKindCombo_->setCurrentIndex(static_cast<int>(call.CallKind));
    NameEdit_->setText(Encoding().ToQ(call.Function));
    const int group = IndexOfComboGroup(GroupCombo_, Project().TaskList, call.TargetGroup);
    GroupCombo_->setCurrentIndex(group);
    SetEditLines(ArgsEdit_, call.Args, Encoding());
}

void TCodeTaskForm::LoadLoop(const TTask& task)
{
    const auto& loop = static_cast<const TLoopTask&>(task);
    LoopKindCombo_->setCurrentIndex(static_cast<int>(loop.LoopKind));
    InitEdit_->setText(Encoding().ToQ(loop.Init));
    ConditionEdit_->setText(Encoding().ToQ(loop.Condition));
    StepEdit_->setText(Encoding().ToQ(loop.Step));
}

// ---- Apply -----------------------------------------------------------------------------------

std::vector<std::string> TCodeTaskForm::Args() const
{
    std::vector<std::string> args;
    if (!ArgsEdit_)
        return args;
    for (const std::string& line : EditLines(ArgsEdit_, Encoding())) {
        if (line.find_first_not_of(" \t") != std::string::npos)
            args.push_back(line);
    }
    return args;
}

void TCodeTaskForm::CheckArgs() const
{
    int number = 0;
    for (const std::string& arg : Args()) {
        ++number;
        const std::string problem = ExpressionProblem(arg, Project().HeaderInfo.Target);
        if (!problem.empty())
            throw EListError("Argument " + std::to_string(number) + " (" + arg + "): " + problem + ".");
    }
}

std::vector<script::TDiagnostic> TCodeTaskForm::CommandFindings() const
{
    TCommandTask typed(Encoding().FromQ(CommandEdit_->text().trimmed()), Args());
    return CommandProblems(typed, Project().HeaderInfo.Target);
}

// Warnings leave Apply to the user: the server runs the command, only not as the author may think.
void TCodeTaskForm::CheckCommand() const
{
    const auto found = CommandFindings();
    if (!found.empty() && found.front().Severity == script::TSeverity::Error)
        throw EListError(found.front().Message);
}

// As the command or its arguments are typed: what the table says of its arguments, and the first
// thing the server would say against the statement.
void TCodeTaskForm::ShowCommandStatus()
{
    const std::string name = Encoding().FromQ(CommandEdit_->text().trimmed());
    const std::string pattern = CommandArgumentsText(name, Project().HeaderInfo.Target);
    PatternLabel_->setText(pattern.empty() ? QString() : QStringLiteral("Takes ") + Encoding().ToQ(pattern));
    const auto found = name.empty() ? std::vector<script::TDiagnostic>() : CommandFindings();
    const bool error = !found.empty() && found.front().Severity == script::TSeverity::Error;
    Message_->setText(found.empty() ? QString() : Encoding().ToQ((error ? "" : "Warning: ") + found.front().Message));
}

void TCodeTaskForm::CheckNames() const
{
    const std::string name = NameEdit_ ? Encoding().FromQ(NameEdit_->text().trimmed()) : std::string();
    if (Kind_ == TTaskKind::Set && !IsVariableName(SplitVariable(name).second))
        throw EListError("A variable's name is letters, digits and '_' (and '$' at the end for text).");
    if (Kind_ == TTaskKind::Call) {
        const bool function = CallKindCombo_->currentIndex() == static_cast<int>(TCallKind::Function);
        if (function && name.empty())
            throw EListError("Write the name of the function to call.");
        if (!function && !ComboGroupNumber(GroupCombo_, GroupCombo_->currentIndex()))
            throw EListError("Choose the group the subroutine starts at.");
    }
    if (Kind_ == TTaskKind::Group && !name.empty()) {
        if (!IsLabelText(name))
            throw EListError("A label is a letter or '_', then letters, digits and '_'.");
        const TGroupTask* owner = Project().TaskList.FindLabel(name, true);
        if (owner && owner != EditedTask())
            throw EListError("The label \"" + name + "\" is the label of the group \"" + owner->Caption + "\" already.");
    }
}

bool TCodeTaskForm::ReadyToApply() const
{
    for (const auto& [label, field] : Checked_) {
        // A field this kind of task does not use (a while loop's start) is not checked.
        const auto* edit = qobject_cast<const QLineEdit*>(field->parent());
        if (edit && !edit->isEnabled())
            continue;
        const std::string problem = field->Problem();
        if (!problem.empty())
            throw EListError(Encoding().FromQ(label) + ": " + problem + ".");
    }
    if (Kind_ == TTaskKind::Command)
        CheckCommand();
    CheckArgs();
    CheckNames();
    if (Kind_ == TTaskKind::Loop && LoopKindCombo_->currentIndex() != static_cast<int>(TLoopKind::For) &&
        Encoding().FromQ(ConditionEdit_->text().trimmed()).empty())
        throw EListError("Condition: a while loop needs one.");
    return true;
}

std::unique_ptr<TTask> TCodeTaskForm::NewTask() const
{
    switch (Kind_) {
    case TTaskKind::Command: return std::make_unique<TCommandTask>();
    case TTaskKind::Set: return std::make_unique<TSetTask>();
    case TTaskKind::Call: return std::make_unique<TCallTask>();
    case TTaskKind::Statement: return std::make_unique<TStatementTask>();
    case TTaskKind::Loop: return std::make_unique<TLoopTask>();
    case TTaskKind::Switch: return std::make_unique<TSwitchTask>();
    case TTaskKind::Case: return std::make_unique<TCaseTask>();
    case TTaskKind::Branch: return std::make_unique<TBranchTask>();
    default: throw EListError("a new " + KindName(Kind_) + " is not made in this editor");
    }
}

void TCodeTaskForm::Store(TTask& task) const
{
    const auto text = [this](const QLineEdit* edit) { return Encoding().FromQ(edit->text().trimmed()); };
    switch (task.Kind()) {
    case TTaskKind::Command: {
        auto& command = static_cast<TCommandTask&>(task);
        command.Command = text(CommandEdit_);
        command.Args = Args();
        break;
    }
    case TTaskKind::Set: {
        auto& set = static_cast<TSetTask&>(task);
        const std::string name = text(NameEdit_);
        // A name typed with its prefix says its scope itself.
        const auto [scope, bare] = SplitVariable(name);
        set.Scope = bare != name ? scope : static_cast<TVarScope>(ScopeCombo_->currentIndex());
        set.Name = bare;
        set.Index = text(IndexEdit_);
        set.Expression = text(ValueEdit_);
        break;
    }
    case TTaskKind::Call: {
        auto& call = static_cast<TCallTask&>(task);
        call.CallKind = static_cast<TCallKind>(CallKindCombo_->currentIndex());
        call.Function = call.CallKind == TCallKind::Function ? text(NameEdit_) : std::string();
        call.TargetGroup = ComboGroupNumber(GroupCombo_, GroupCombo_->currentIndex()).value_or(0);
        call.Args = Args();
        break;
    }
    case TTaskKind::Statement:
        static_cast<TStatementTask&>(task).Statement = static_cast<TBareStatement>(StatementCombo_->currentIndex());
        break;
    case TTaskKind::Loop: {
        auto& loop = static_cast<TLoopTask&>(task);
        loop.LoopKind = static_cast<TLoopKind>(LoopKindCombo_->currentIndex());
        const bool forLoop = loop.LoopKind == TLoopKind::For;
        loop.Init = forLoop ? text(InitEdit_) : std::string();
        loop.Condition = text(ConditionEdit_);
        loop.Step = forLoop ? text(StepEdit_) : std::string();
        break;
    }
    case TTaskKind::Switch: static_cast<TSwitchTask&>(task).Value = text(ValueEdit_); break;
    case TTaskKind::Case: {
        auto& branch = static_cast<TCaseTask&>(task);
        branch.IsDefault = DefaultCheck_->isChecked();
        branch.Value = branch.IsDefault ? std::string() : text(ValueEdit_);
        break;
    }
    case TTaskKind::Branch: {
        auto& branch = static_cast<TBranchTask&>(task);
        // Checks the condition editor made stay as they are while their text is not changed.
        if (EditMode() && ConditionEdit_->text() == LoadedCondition_)
            break;
        branch.Checks.clear();
        if (const std::string condition = text(ConditionEdit_); !condition.empty()) {
            auto check = std::make_unique<TConCheck>();
            check->Kind = ConExpression;
            check->Expression = condition;
            branch.Checks.push_back(std::move(check));
        }
        break;
    }
    case TTaskKind::Group: {
        auto& group = static_cast<TGroupTask&>(task);
        group.LabelName = text(NameEdit_);
        // A group the author names is one a script jumps to: its label line is written again.
        if (!group.LabelName.empty())
            group.NoLabel = false;
        break;
    }
    default: break;
    }
}
