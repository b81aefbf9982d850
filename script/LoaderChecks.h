#pragma once
// The loader's checks of the lines that are not scripts (shop item lists, warps, monster spawns)
// and of every NPC's placement, read as the servers read them (C's sscanf over each field).

#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <vector>

namespace script {

// Adds what the target's loader refuses (errors) or loads but gets wrong (warnings) in one
// top-level line of a file.
void CheckLoaderLine(const TTopLevel& entry, const TDialect& dialect, std::vector<TDiagnostic>& out);

} // namespace script
