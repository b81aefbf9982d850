#include "model/CodeTasks.h"

#include "model/MessageTasks.h"
#include "model/ProjectFile.h"
#include "model/ScriptWriter.h"

#include "script/Checker.h"
#include "script/Parser.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

// In the order of TVarScope. Longer prefixes are tried first when a name is split.
constexpr std::array<const char*, 9> ScopePrefixes = {"", "#", "##", "@", "$", "$@", ".", ".@", "'"};
constexpr std::array<const char*, 4> BareWords = {"end", "return", "break", "continue"};

// Arguments are lines of a record: a count of 0 leaves them empty.
std::vector<std::string> LoadArgs(TFileReader& file)
{
    std::vector<std::string> args;
    LoadLines(file, args);
    return args;
}

} // namespace

std::string JoinArgs(const std::vector<std::string>& args)
{
    std::string text;
    for (std::size_t i = 0; i < args.size(); ++i)
        text += (i > 0 ? ", " : "") + args[i];
    return text;
}

// ---- TCommandTask --------------------------------------------------------------------------

void TCommandTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    WriteString(file, Command);
    SaveLines(file, Args);
}

void TCommandTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    Command = ReadString(file);
    // Empty: a task the editor has not finished, which is saved and read back as it is.
    if (!Command.empty() && !IsLabelText(Command))
        file.Fail("the command name \"" + Command + "\" is not a name the server reads");
    Args = LoadArgs(file);
}

std::string TCommandTask::ScriptText() const
{
    return Args.empty() ? Command + ";" : Command + " " + JoinArgs(Args) + ";";
}

std::string TCommandTask::SummaryText() const
{
    return Args.empty() ? "Command: " + Command : "Command: " + Command + " " + JoinArgs(Args);
}

void TCommandTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    if (Command.empty())
        writer.AddScriptProblem("A command task names no command: choose one in its editor.");
    writer.AddTaskLine(*this, ScriptText());
}

std::vector<script::TDiagnostic> CommandProblems(const TCommandTask& task, TServerTarget target)
{
    const auto error = [](std::string message) {
        return std::vector<script::TDiagnostic>{{script::TSeverity::Error, {}, std::move(message)}};
    };
    if (!IsLabelText(task.Command))
        return error("Write the name of a command of the server's table.");
    // Each argument on its own first: a comma inside one would otherwise read as two.
    for (std::size_t i = 0; i < task.Args.size(); ++i) {
        std::optional<script::TDiagnostic> problem;
        if (!script::ParseExpression(task.Args[i], problem, target) || problem)
            return error("Argument " + std::to_string(i + 1) + " (" + task.Args[i] + "): " +
                         (problem ? problem->Message : std::string("not an expression")) + ".");
    }
    const script::TBodyResult read = script::ParseStatements(task.ScriptText(), nullptr, target);
    if (!read.Body)
        return error(read.Error ? read.Error->Message : "the statement cannot be read");
    script::TCheckOptions options;
    options.Target = target;
    std::vector<script::TDiagnostic> found = script::CheckBody(*read.Body, options);
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.Severity == script::TSeverity::Error && b.Severity != a.Severity; });
    return found;
}

std::string CommandArgumentsText(const std::string& command, TServerTarget target)
{
    const script::TCommandInfo* info = script::TServerRules::For(target).FindCommand(command);
    return info ? info->Name + ": " + script::DescribeArguments(*info) : std::string();
}

// ---- TSetTask ------------------------------------------------------------------------------

const char* ScopePrefix(TVarScope scope)
{
    return ScopePrefixes.at(static_cast<std::size_t>(scope));
}

std::pair<TVarScope, std::string> SplitVariable(const std::string& text)
{
    std::size_t best = 0, length = 0;
    for (std::size_t i = 1; i < ScopePrefixes.size(); ++i) {
        const std::string_view prefix = ScopePrefixes[i];
        if (text.starts_with(prefix) && prefix.size() > length) {
            best = i;
            length = prefix.size();
        }
    }
    return {static_cast<TVarScope>(best), text.substr(length)};
}

void TSetTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    file.WriteByte(static_cast<std::uint8_t>(Scope));
    WriteStrings(file, Name, Index, Expression);
}

void TSetTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    Scope = static_cast<TVarScope>(ReadTag(file, LastVarScope, "a variable's scope"));
    ReadStrings(file, Name, Index, Expression);
}

std::string TSetTask::VariableText() const
{
    return ScopePrefix(Scope) + Name + (Index.empty() ? "" : "[" + Index + "]");
}

std::string TSetTask::SummaryText() const
{
    return "Set " + VariableText() + " = " + Expression;
}

void TSetTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    if (Name.empty() || Expression.empty())
        writer.AddScriptProblem("A Set task lacks its variable or its value: complete it in its editor.");
    writer.AddTaskLine(*this, "set " + VariableText() + ", " + Expression + ";");
}

// ---- TCallTask -----------------------------------------------------------------------------

void TCallTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    file.WriteByte(static_cast<std::uint8_t>(CallKind));
    WriteString(file, Function);
    file.WriteInt(TargetGroup);
    SaveLines(file, Args);
}

void TCallTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    CallKind = static_cast<TCallKind>(ReadTag(file, static_cast<std::uint8_t>(TCallKind::Subroutine), "a call's kind"));
    Function = ReadString(file);
    TargetGroup = file.ReadInt();
    Args = LoadArgs(file);
}

std::string TCallTask::SummaryText(const TTaskList* groups) const
{
    const TGroupTask* group = groups ? groups->FindGroup(TargetGroup) : nullptr;
    const std::string label = group ? group->Label() : "L" + std::to_string(TargetGroup);
    const std::string target = CallKind == TCallKind::Function ? "function " + Function : "subroutine " + label;
    return "Call " + target + "(" + JoinArgs(Args) + ")";
}

void TCallTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    std::string text;
    if (CallKind == TCallKind::Function) {
        if (Function.empty())
            writer.AddScriptProblem("A call names no function: choose one in its editor.");
        text = "callfunc \"" + Function + "\"";
    } else {
        text = "callsub " + writer.LabelOf(TargetGroup);
    }
    for (const std::string& arg : Args)
        text += ", " + arg;
    writer.AddTaskLine(*this, text + ";");
}

// ---- TStatementTask ------------------------------------------------------------------------

const char* BareStatementWord(TBareStatement statement)
{
    return BareWords.at(static_cast<std::size_t>(statement));
}

void TStatementTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    file.WriteByte(static_cast<std::uint8_t>(Statement));
}

void TStatementTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    Statement = static_cast<TBareStatement>(ReadTag(file, LastBareStatement, "a bare statement"));
}

std::string TStatementTask::SummaryText() const
{
    std::string word = BareStatementWord(Statement);
    word.front() = static_cast<char>(word.front() - 'a' + 'A');
    return word;
}

void TStatementTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    writer.AddTaskLine(*this, std::string(BareStatementWord(Statement)) + ";");
}
