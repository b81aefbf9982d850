#include "model/ConditionTasks.h"

#include "model/OwnedParts.h"
#include "model/ProjectFile.h"
#include "model/Project.h"
#include "model/ScriptWriter.h"

#include <algorithm>

const char* const ConditionNames[6] = {"Equal to", "Not", "At least", "At most", "More than", "Less than"};

namespace {

const char* const ComparisonScriptTexts[6] = {" == ", " != ", " >= ", " <= ", " > ", " < "};

bool IsKnownKind(std::int32_t kind, std::int32_t version)
{
    return kind >= ConOr && (kind <= 5 || (kind == ConExpression && version >= ExtendedProjectFileVersion));
}

bool HasLeftSide(const TConCheck& check)
{
    return check.Variable || (check.ValueAction && check.ValueAction->Action);
}

// The smallest check record: a joiner, Kind and Value.
constexpr std::size_t MinCheckRecordSize = 8;

}  // namespace

std::string ConditionName(std::int32_t kind)
{
    if (kind == ConAnd)
        return "And";
    if (kind == ConOr)
        return "OR";
    if (kind == ConExpression)
        return "Expression";
    return kind >= 0 && kind <= 5 ? ConditionNames[kind] : "";
}

std::string ConditionScriptText(std::int32_t kind)
{
    if (kind == ConAnd)
        return " && ";
    if (kind == ConOr)
        return " || ";
    return kind >= 0 && kind <= 5 ? ComparisonScriptTexts[kind] : "";
}

// ---- TConCheck -----------------------------------------------------------------------------

TConCheck::TConCheck(const TConCheck& source)
    : Kind(source.Kind),
      Value(source.Value),
      Variable(source.Variable),
      ValueAction(source.ValueAction ? std::make_unique<TActionTask>(*source.ValueAction) : nullptr),
      Expression(source.Expression)
{
}

void TConCheck::SaveToFile(TFileWriter& file) const
{
    if (IsExpression() && file.Version() < ExtendedProjectFileVersion)
        throw EInOutError(file.FileName(), "a condition's expression needs the extended project file");
    file.WriteInt(Kind);
    file.WriteInt(Value);
    if (IsExpression())
        WriteString(file, Expression);
    if (!IsComparison())
        return;
    const int index = Variable ? IndexOfVariable(Variable) : -1;
    file.WriteInt(index);
    if (index != -1)
        return;
    // Without a left side the record would end where the loader expects an action record; the
    // condition editor never builds such a check, so refuse rather than write a file that cannot
    // be read back.
    if (!HasLeftSide(*this))
        throw EInOutError(file.FileName(), "a condition compares nothing: it has neither a variable nor "
                                           "an item action on its left side");
    ValueAction->SaveToFile(file);
}

void TConCheck::LoadFromFile(TFileReader& file)
{
    Kind = file.ReadInt();
    if (!IsKnownKind(Kind, file.Version()))
        file.Fail("condition type " + std::to_string(Kind) + " is not a comparison, And or OR" +
                  (file.Version() >= ExtendedProjectFileVersion ? " or an expression" : ""));
    Value = file.ReadInt();
    Variable = nullptr;
    ValueAction.reset();
    Expression.clear();
    if (IsExpression())
        Expression = ReadString(file);
    if (!IsComparison())
        return;
    const std::int32_t index = file.ReadInt();
    if (index == -1) {
        ValueAction = std::make_unique<TActionTask>();
        ValueAction->LoadFromFile(file);
        return;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= ScriptVariables().size())
        file.Fail("variable index " + std::to_string(index) + " is outside the variable list");
    Variable = VariableAt(index);
}

ParamTypes LeftValueKind(const TConCheck& check)
{
    if (check.Variable)
        return check.Variable->ValueKind;
    if (check.ValueAction && check.ValueAction->Action)
        return check.ValueAction->Action->ResultKind;
    return PT_None;
}

namespace {

std::string ValueText(const TConCheck& check, const TCatalogues& catalogues)
{
    switch (LeftValueKind(check)) {
    case PT_Amount:
        return std::to_string(check.Value);
    case PT_Job: {
        // A job that left jobs.ini still shows which job it was.
        const TJob* job = catalogues.FindJob(check.Value);
        return job ? job->Name : std::to_string(check.Value);
    }
    case PT_Sex:
        return check.Value == 0 ? "Female" : check.Value == 1 ? "Male" : std::to_string(check.Value);
    default:
        return {};
    }
}

std::string LeftText(const TConCheck& check, bool forDisplay, const TCatalogues& catalogues)
{
    if (check.Variable)
        return check.Variable->Name;
    if (check.ValueAction)
        return check.ValueAction->ActionText(forDisplay, catalogues);
    return {};
}

}  // namespace

std::string CheckText(const TConCheck& check, const TCatalogues& catalogues)
{
    if (check.IsExpression())
        return check.Expression;
    if (!check.IsComparison())
        return ConditionName(check.Kind);
    return ConditionName(check.Kind) + " " + ValueText(check, catalogues) + " " + LeftText(check, true, catalogues);
}

// ---- TConTask ------------------------------------------------------------------------------

void TConTask::Assign(const TConTask& source)
{
    AssignCaption(source);
    Target = source.Target;
    Checks = CopyChecks(source.Checks);
}

TConCheck* TConTask::CheckAt(int i) const
{
    return ClampedPart(Checks, i);
}

void TConTask::AddCheck(std::unique_ptr<TConCheck> check)
{
    Checks.push_back(std::move(check));
}

void TConTask::RemoveCheck(TConCheck* check)
{
    RemovePart(Checks, check);
}

std::string TConTask::SummaryText(const TCatalogues& catalogues) const
{
    return ChecksSummary(Checks, catalogues);
}

// ---- Check lists ---------------------------------------------------------------------------

void SaveChecks(TFileWriter& file, const TConChecks& checks)
{
    SaveParts(file, checks);
}

TConChecks LoadChecks(TFileReader& file)
{
    return LoadParts<TConCheck>(file, MinCheckRecordSize, "condition check");
}

TConChecks CopyChecks(const TConChecks& checks)
{
    TConChecks copies;
    copies.reserve(checks.size());
    for (const auto& check : checks)
        copies.push_back(std::make_unique<TConCheck>(*check));
    return copies;
}

bool HasExpressionCheck(const TConChecks& checks)
{
    return std::any_of(checks.begin(), checks.end(), [](const auto& check) { return check->IsExpression(); });
}

std::string ChecksScriptText(const TConChecks& checks, TScriptWriter& writer, bool bareSingle)
{
    std::string text;
    for (const auto& check : checks) {
        if (check->IsExpression()) {
            if (check->Expression.empty())
                writer.AddScriptProblem("A condition has an empty expression: write one in its condition editor.");
            text.append("(").append(check->Expression).append(")");
        } else if (check->IsComparison()) {
            if (!HasLeftSide(*check))
                writer.AddScriptProblem("A condition compares nothing: choose a variable or an item action in its "
                                        "condition editor.");
            text.append("(")
                .append(LeftText(*check, false, writer.Project().Catalogues()))
                .append(ConditionScriptText(check->Kind))
                .append(std::to_string(check->Value))
                .append(")");
        } else {
            text += ConditionScriptText(check->Kind);
        }
    }
    // One check needs no parentheses of its own where the line gives it some.
    if (bareSingle && checks.size() == 1 && (checks.front()->IsExpression() || checks.front()->IsComparison()))
        return text.substr(1, text.size() - 2);
    return text;
}

std::string ChecksSummary(const TConChecks& checks, const TCatalogues& catalogues)
{
    std::string text;
    for (const auto& check : checks) {
        if (!text.empty())
            text += ' ';
        text += CheckText(*check, catalogues);
    }
    return text;
}

void TConTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    file.WriteInt(Target);
    SaveChecks(file, Checks);
}

void TConTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    Target = file.ReadInt();
    Checks = LoadChecks(file);
}

void TConTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    // A condition without checks is never built by the editor; writing "if() goto" would break
    // the whole script, and writing nothing keeps the meaning "never jump".
    if (Checks.empty())
        return;
    const std::string checks = ChecksScriptText(Checks, writer, false);
    std::string label;
    if (Target != GroupExitTarget) {
        label = writer.LabelOf(Target);
    } else if (writer.CurrentGroup) {
        writer.RequireExit(*writer.CurrentGroup);
        label = writer.CurrentGroup->ExitLabel();
    } else {
        writer.AddScriptProblem("A condition jumps to the exit of its group but stands in no group.");
        return;
    }
    writer.AddTaskLine(*this, {"if(", checks, ") goto ", label, ";"});
}
