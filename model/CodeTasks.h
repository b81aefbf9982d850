#pragma once
// Statement tasks beyond the action catalogue: any command of the target server, setting a
// variable, calling a function or subroutine, and the bare statements (end, return, break,
// continue). Their arguments are expression texts as the author writes them; the checker reads
// them in the written script. They exist in the extended project file only.

#include "model/Tasks.h"

#include "catalogue/Targets.h"
#include "script/SyntaxTree.h"

#include <cstdint>
#include <string>
#include <vector>

// Expression texts joined by ", ".
std::string JoinArgs(const std::vector<std::string>& args);

// `name arg, arg;`: a command of the server's table.
class TCommandTask : public TExtendedTask {
public:
    TCommandTask() = default;
    TCommandTask(std::string command, std::vector<std::string> args) : Command(std::move(command)), Args(std::move(args)) {}

    TTaskKind Kind() const override { return TTaskKind::Command; }
    // Record: Command, then the arguments as lines.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;

    std::string ScriptText() const;   // "name a, b;"
    std::string SummaryText() const;  // "Command: name a, b"

    std::string Command;
    std::vector<std::string> Args;
};

// What target's server says against the task's statement, as the project's check finds it in the
// written script: no command or one the server lacks, an argument that is no expression, and the
// script checker's findings on the statement (arguments against the table's pattern: too few or
// too many, a literal text or number where the other is wanted). Columns count in ScriptText.
std::vector<script::TDiagnostic> CommandProblems(const TCommandTask& task, TServerTarget target);
// What target's table says of command's arguments ("warp: text, number, number"); empty for a
// command the server lacks.
std::string CommandArgumentsText(const std::string& command, TServerTarget target);

// Where a variable lives, by its name's prefix.
enum class TVarScope : std::uint8_t {
    Character = 0,        // name
    Account = 1,          // #name
    GlobalAccount = 2,    // ##name
    Temporary = 3,        // @name
    Server = 4,           // $name
    ServerTemporary = 5,  // $@name
    Npc = 6,              // .name
    Local = 7,            // .@name
    Instance = 8,         // 'name
};
inline constexpr std::uint8_t LastVarScope = static_cast<std::uint8_t>(TVarScope::Instance);
const char* ScopePrefix(TVarScope scope);
// The scope a variable's prefix names, and the rest of the text: (Character, text) without one.
std::pair<TVarScope, std::string> SplitVariable(const std::string& text);

// `set <scope><name>[<index>], <expression>;`
class TSetTask : public TExtendedTask {
public:
    TTaskKind Kind() const override { return TTaskKind::Set; }
    // Record: Scope (a byte), Name, Index, Expression.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;

    std::string VariableText() const;  // ".@name$[index]"
    std::string SummaryText() const;   // "Set .@name = expression"

    TVarScope Scope = TVarScope::Character;
    std::string Name;        // with its $ when it holds text
    std::string Index;       // empty: no index
    std::string Expression;
};

enum class TCallKind : std::uint8_t {
    Function = 0,    // callfunc "Name", args;
    Subroutine = 1,  // callsub <group's label>, args;
};

class TCallTask : public TExtendedTask {
public:
    TTaskKind Kind() const override { return TTaskKind::Call; }
    // Record: CallKind (a byte), Function, TargetGroup, then the arguments as lines.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;

    // "Call function Name(a, b)", "Call subroutine L3(a)": the subroutine under the label the
    // writer writes for it, its author's name when groups has the group and it has one.
    std::string SummaryText(const TTaskList* groups = nullptr) const;

    TCallKind CallKind = TCallKind::Function;
    std::string Function;         // for Function
    std::int32_t TargetGroup = 0; // for Subroutine: a group number
    std::vector<std::string> Args;
};

enum class TBareStatement : std::uint8_t { End = 0, Return = 1, Break = 2, Continue = 3 };
inline constexpr std::uint8_t LastBareStatement = static_cast<std::uint8_t>(TBareStatement::Continue);
const char* BareStatementWord(TBareStatement statement);  // "end", "return", ...

// `end;`, `return;`, `break;`, `continue;`
class TStatementTask : public TExtendedTask {
public:
    TStatementTask() = default;
    explicit TStatementTask(TBareStatement statement) : Statement(statement) {}

    TTaskKind Kind() const override { return TTaskKind::Statement; }
    // Record: Statement (a byte).
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;

    std::string SummaryText() const;  // "End", "Return", "Break", "Continue"

    TBareStatement Statement = TBareStatement::End;
};
