#include "model/BlockTasks.h"

#include "model/ProjectFile.h"
#include "model/ScriptWriter.h"

namespace {

bool HasChildren(const TTask& task)
{
    return task.Node && task.Node->ChildCount() > 0;
}

// Whether the task stands directly below a task of kind.
bool StandsIn(const TTask& task, TTaskKind kind)
{
    const TTaskNode* parent = task.Node ? task.Node->Parent() : nullptr;
    return parent && parent->Data() && parent->Data()->Kind() == kind;
}

// Only branches stand in an if and only cases in a switch: anything else would be written outside
// every part of the block.
void CheckParts(const TTask& holder, TTaskKind part, TScriptWriter& writer, const std::string& problem)
{
    for (int i = 0; holder.Node && i < holder.Node->ChildCount(); ++i) {
        const TTask* child = holder.Node->Child(i)->Data();
        if (!child || child->Kind() != part) {
            writer.AddScriptProblem(problem);
            return;
        }
    }
}

} // namespace

// ---- TIfTask -------------------------------------------------------------------------------

void TIfTask::WriteScriptEnd(TScriptWriter& writer) const
{
    CheckParts(*this, TTaskKind::Branch, writer, "A task stands in an if outside its branches: move it into one.");
    if (HasChildren(*this))
        writer.AddTaskLine(*this, "}");
}

// ---- TBranchTask ---------------------------------------------------------------------------

void TBranchTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    SaveChecks(file, Checks);
}

void TBranchTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    Checks = LoadChecks(file);
}

std::string TBranchTask::SummaryText(const TCatalogues& catalogues) const
{
    if (IsElse())
        return "Else";
    const bool first = !Node || Node->Row() == 0;
    return (first ? "If " : "Else if ") + ChecksSummary(Checks, catalogues);
}

void TBranchTask::WriteScript(TScriptWriter& writer) const
{
    if (!StandsIn(*this, TTaskKind::If))
        writer.AddScriptProblem("A branch stands outside an if: move it into one.");
    const bool first = !Node || Node->Row() == 0;
    const TTaskNode* next = Node ? Node->NextSibling() : nullptr;
    if (IsElse() && next)
        writer.AddScriptProblem("An else branch is not the last branch of its if: move it to the end.");
    if (IsElse() && first)
        writer.AddScriptProblem("The first branch of an if has no condition: give it one.");
    std::string line;
    if (IsElse())
        line = first ? "if (1) {" : "} else {";
    else
        line = std::string(first ? "if (" : "} else if (") + ChecksScriptText(Checks, writer, true) + ") {";
    writer.AddTaskLine(*this, line, -1);
    TTask::WriteScript(writer);
}

// ---- TLoopTask -----------------------------------------------------------------------------

void TLoopTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    file.WriteByte(static_cast<std::uint8_t>(LoopKind));
    WriteStrings(file, Init, Condition, Step);
}

void TLoopTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    LoopKind = static_cast<TLoopKind>(ReadTag(file, static_cast<std::uint8_t>(TLoopKind::DoWhile), "a loop's kind"));
    ReadStrings(file, Init, Condition, Step);
}

std::string TLoopTask::SummaryText() const
{
    switch (LoopKind) {
    case TLoopKind::For: return "For " + Init + "; " + Condition + "; " + Step;
    case TLoopKind::DoWhile: return "Do ... while " + Condition;
    case TLoopKind::While: break;
    }
    return "While " + Condition;
}

void TLoopTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    if (LoopKind != TLoopKind::For && Condition.empty())
        writer.AddScriptProblem("A loop has no condition: write one in its editor.");
    switch (LoopKind) {
    case TLoopKind::While: writer.AddTaskLine(*this, "while (" + Condition + ") {"); break;
    case TLoopKind::For: writer.AddTaskLine(*this, "for (" + Init + "; " + Condition + "; " + Step + ") {"); break;
    case TLoopKind::DoWhile: writer.AddTaskLine(*this, "do {"); break;
    }
}

void TLoopTask::WriteScriptEnd(TScriptWriter& writer) const
{
    writer.AddTaskLine(*this, LoopKind == TLoopKind::DoWhile ? "} while (" + Condition + ");" : std::string("}"));
}

// ---- TSwitchTask ---------------------------------------------------------------------------

void TSwitchTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    WriteString(file, Value);
}

void TSwitchTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    Value = ReadString(file);
}

void TSwitchTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    if (Value.empty())
        writer.AddScriptProblem("A switch has no value: write one in its editor.");
    writer.AddTaskLine(*this, "switch (" + Value + ") {");
}

void TSwitchTask::WriteScriptEnd(TScriptWriter& writer) const
{
    CheckParts(*this, TTaskKind::Case, writer, "A task stands in a switch outside its cases: move it into one.");
    writer.AddTaskLine(*this, "}");
}

// ---- TCaseTask -----------------------------------------------------------------------------

void TCaseTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    file.WriteByte(IsDefault ? 1 : 0);
    WriteString(file, Value);
}

void TCaseTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    IsDefault = ReadTag(file, 1, "a case's default flag") == 1;
    Value = ReadString(file);
}

void TCaseTask::WriteScript(TScriptWriter& writer) const
{
    if (!StandsIn(*this, TTaskKind::Switch))
        writer.AddScriptProblem("A case stands outside a switch: move it into one.");
    if (!IsDefault && Value.empty())
        writer.AddScriptProblem("A case has no value: write one in its editor.");
    writer.AddTaskLine(*this, IsDefault ? std::string("default:") : "case " + Value + ":", -1);
    TTask::WriteScript(writer);
}
