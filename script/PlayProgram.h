#pragma once
// The syntax tree of a script file laid out for running: each NPC body and each `function script`
// becomes a code unit, a flat list of operations with its labels, as the server compiles it, so
// that `goto` may jump anywhere in the unit and a run can start from any label. The units point
// into the tree, which must outlive the program.
//
// Each jump the server's compiler writes (`if`, loops and `switch` become jump_zero and goto) is
// one operation here too, so that a run counts the jumps the server counts against its endless
// loop guard; a switch is a chain of case tests, as on the server.

#include "script/Text.h"
#include "script/SyntaxTree.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace script {

enum class TOpKind {
    Exec,         // run Stmt (a command or an assignment)
    JumpIfFalse,  // to Target when Cond is 0
    JumpIfTrue,   // to Target when Cond is not 0
    Jump,         // to Target
    Switch,       // keeps Cond as the value of switch SwitchAt (this op); without Cond sets it to 0
    CaseTest,     // to Target unless Cond equals the value of switch SwitchAt
    Return,       // the end of a local function's body
    Misplaced     // a break, continue, case or default with nothing to belong to
};

struct TOp {
    TOpKind Kind = TOpKind::Exec;
    const TStmt* Stmt = nullptr;  // the statement the operation comes from
    const TExpr* Cond = nullptr;
    int Target = -1;
    int SwitchAt = -1;  // Switch, CaseTest: the switch's first operation
};

struct TCodeUnit {
    std::string Name;         // the NPC or function name as written
    bool IsFunction = false;  // a `function script` entry
    std::vector<TOp> Ops;
    std::map<std::string, int> Labels;     // by name as written (FindName looks them up)
    std::map<std::string, int> Functions;  // local `function Name { }`, by name as written
    TSourceRange End;                      // the closing brace
    // Why each server (by TTarget) does not load it; empty when it does.
    std::array<std::string, 3> LoadErrors;
};

// Where the label or local function `name` of `names` starts, as a server finds it that keeps the
// case of names (`keepCase`) or ignores it; -1 when there is none.
int FindName(const std::map<std::string, int>& names, std::string_view name, bool keepCase);

class TProgram {
public:
    explicit TProgram(const TScriptFile& file);

    // The NPC by name (as written, or its part before "::", or in another case); the first NPC
    // of the file for an empty name; null when there is none.
    const TCodeUnit* Npc(std::string_view name) const;
    const TCodeUnit* Function(std::string_view name) const;
    std::vector<std::string> NpcNames() const;

private:
    std::vector<std::unique_ptr<TCodeUnit>> Npcs_;
    std::vector<std::pair<std::string, const TCodeUnit*>> Duplicates_;
    std::vector<std::unique_ptr<TCodeUnit>> Functions_;
};

} // namespace script
