#pragma once
// Warnings about values the servers mishandle when a player meets them: an operator that stops
// the script on a string (`if (!.@name$)`, where the script meant `if (.@name$ == "")`), and
// three things that break the server: a number literal beyond its integers, an escape its
// parser does not know (`"a\qb"`), and INT_MIN / -1 written with constants.

#include "script/KeptFindings.h"
#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <string_view>
#include <vector>

namespace script {

// Every such warning of the file's NPCs and functions, in file order. `text` is the file as
// read: escapes are looked for in the string literals as written. kept: what the last check of a
// file of one NPC found in the statements of its body (TCheckOptions::Kept).
std::vector<TDiagnostic> CheckValues(const TScriptFile& file, std::string_view text, TTarget target,
                                     TStatementFindings* kept = nullptr);

} // namespace script
