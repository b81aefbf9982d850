#pragma once
// The load-time checker: what the chosen server refuses when it loads a script file, reported
// where that server reports it. The reader's syntax errors come first; the checker adds the
// rules that need the server's tables (commands and their arguments, labels, maps).

#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace script {

struct TCheckOptions {
    TTarget Target = TTarget::EAthena;
    // Map names the server knows (without `.gat`); null: the maps eAthena ships.
    const std::unordered_set<std::string>* Maps = nullptr;
};

// The diagnostics of a file already read, in file order (the reader's included).
std::vector<TDiagnostic> CheckScriptFile(const TScriptFile& file, std::string_view text,
                                         const TCheckOptions& options);

// Checks one script body on its own (hand-written code read with ParseStatements, for instance):
// commands, arguments, labels and statements out of place. Maps are not involved.
std::vector<TDiagnostic> CheckBody(const TStmt& body, const TCheckOptions& options);

// Reads and checks file text: what the server refuses at load, nothing else.
std::vector<TDiagnostic> CheckScriptText(std::string_view text, const TCheckOptions& options);

// Everything known about file text: the load-time errors and the warnings about what fails when
// a player meets it, in file order (an error before a warning at the same place).
std::vector<TDiagnostic> CheckScript(std::string_view text, const TCheckOptions& options);

// Longest label and NPC name the server keeps, in bytes.
constexpr std::size_t MaxNameLength = 23;

} // namespace script
