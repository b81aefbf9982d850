#pragma once
// The load-time checker: what the chosen server refuses when it loads a script file, reported
// where that server reports it. The reader's syntax errors come first; the checker adds the
// rules that need the server's tables (commands and their arguments, labels, maps).

#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace script {

struct TKeptFindings;

// Several files checked as one load, in the order the server loads them: what the files read so
// far define is known in the later ones, and what a later file defines is known to come too late.
class TLoadState {
public:
    explicit TLoadState(TTarget target) : Target_(target) {}

    // Notes the global functions and NPC names of a file of the run (before any is checked), so
    // that a name none of the files defines can be told from one a later file defines.
    void Scan(std::string_view text, const std::string& file);
    // The file checked now, as the messages name it.
    void Begin(const std::string& file) { Current_ = file; }
    const std::string& Current() const { return Current_; }
    // Adds an entry checked now: a global function, or an NPC a `duplicate` may copy.
    void Define(const TTopLevel& entry);
    // Counts the global functions of the target's own scripts as loaded, as they are before a
    // project's script on a server that runs its shipped scripts.
    void DefineShippedFunctions();
    // Says that the run holds every file the server loads up to the last one checked, as when a
    // whole tree is checked from the server's own lists: a function or NPC that none of them
    // defines does not exist, and the server refuses what needs it.
    void MarkComplete() { Complete_ = true; }
    bool Complete() const { return Complete_; }

    bool FunctionLoaded(const std::string& name) const;
    bool NpcLoaded(const std::string& name) const { return Npcs_.count(name) > 0; }
    // The file of the run that defines it, or null when none does.
    const std::string* FunctionFile(const std::string& name) const;
    const std::string* NpcFile(const std::string& name) const;

    // Takes in what another run of the same server noted and defined, as if its files had been
    // read in this one after those read so far: a name this run places already keeps its file.
    void Absorb(const TLoadState& other);

    // What a `duplicate(...)` names: the unique part after `::` when there is one.
    static std::string UniqueName(std::string_view name);

private:
    std::string Key(std::string_view name) const;

    TTarget Target_;
    bool Complete_ = false;
    std::string Current_;
    std::unordered_set<std::string> Functions_, Npcs_;
    // The target's shipped functions, looked up where the rules keep them rather than copied
    // into every run: a project's check counts them after every change.
    const std::unordered_set<std::string>* Shipped_ = nullptr;
    std::unordered_map<std::string, std::string> FunctionFiles_, NpcFiles_;
};

struct TCheckOptions {
    TTarget Target = TTarget::EAthena;
    // Map names the server knows (without `.gat`); null: the maps the target ships.
    const std::unordered_set<std::string>* Maps = nullptr;
    // The run this file is part of; null: the file on its own (names of other files unknown).
    TLoadState* Load = nullptr;
    // What the last check of the file found in the statements of its NPC's body, for a file of
    // one NPC read by a TIncrementalReader whose change it has followed: statements the reader did
    // not read again are not checked again. The other options must be those of that check. Null:
    // every statement is checked.
    TKeptFindings* Kept = nullptr;
};

// The diagnostics of a file already read, in file order (the reader's included).
std::vector<TDiagnostic> CheckScriptFile(const TScriptFile& file, std::string_view text,
                                         const TCheckOptions& options);

// Checks one script body on its own (hand-written code read with ParseStatements, for instance):
// commands, arguments, labels and statements out of place. Maps are not involved.
std::vector<TDiagnostic> CheckBody(const TStmt& body, const TCheckOptions& options);

// What the server's table says against a call of info with args: too few or too many arguments
// (errors: the server refuses the script) and, where the pattern wants text or a number, a literal
// of the other kind (warnings). afterName is where the name ends; statement: written without
// parentheses as a statement of its own.
std::vector<TDiagnostic> CheckArguments(const TServerRules& rules, const TCommandInfo& info,
                                        const std::vector<std::unique_ptr<TExpr>>& args, TSourcePos afterName,
                                        bool statement);

// Reads and checks file text: what the server refuses at load, nothing else.
std::vector<TDiagnostic> CheckScriptText(std::string_view text, const TCheckOptions& options);

// Everything known about file text: the load-time errors and the warnings about what fails when
// a player meets it, in file order (an error before a warning at the same place).
std::vector<TDiagnostic> CheckScript(std::string_view text, const TCheckOptions& options);
// The same for file, already read from text.
std::vector<TDiagnostic> CheckScript(const TScriptFile& file, std::string_view text, const TCheckOptions& options);

// Longest label and NPC name the server keeps, in bytes.
constexpr std::size_t MaxNameLength = 23;

} // namespace script
