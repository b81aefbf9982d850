#pragma once
// A project's NPC written into a script file of many NPCs in place of one of its entries: the
// editor's own lines for the NPC (its NPC line and body in the project's target form, without the
// header comment block), in the file's line end; the rest of the file stays byte for byte.

#include "workspace/ScriptWorkspace.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

class TProject;

// The parts of NPCs (script entries) named name: as written, its part before "::" or its unique
// name after it, letters in any case.
std::vector<std::size_t> FindNpcParts(const TScriptWorkspace& workspace, const std::string& name);

// Replaces part's text by project's NPC. An NPC whose map the catalogue lacks stands on
// mapWhenNone, when given. EInOutError naming the file with the writer's first problem when the
// script would be unfit; the workspace is then unchanged.
void WriteNpcInto(TScriptWorkspace& workspace, std::size_t part, const TProject& project,
                  const std::string& mapWhenNone = {});

struct TIntoRequest {
    std::filesystem::path DataDir;  // the catalogue folder; empty: the working directory
    std::string ProjectPath;
    std::string ScriptPath;         // the file written into
    std::string Npc;                // the NPC replaced; empty: the project's NPC name
};

// npc-export --into. 0: the NPC was replaced and the file saved. 1: the file is untouched (no
// such NPC, more than one, a project or file that cannot be read, or the new file would not load
// on the project's target); each reason is a line "npc-export: ..." on err.
int RunExportInto(const TIntoRequest& request, std::ostream& err);
