#pragma once
// Reads a whole script file the way the server's loader does: top-level lines split at tabs,
// blanks and comments between them, each script body found by brace matching (strings and
// comments skipped) and then parsed. Where the loader gives up on the rest of the file, so does
// the reader; the diagnostics say why.

#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <string_view>

namespace script {

// Expressions are grouped by the target's operator ranks.
TScriptFile ReadScriptFile(std::string_view text, TTarget target = TTarget::EAthena);

} // namespace script
