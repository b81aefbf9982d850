#pragma once
// npc-import's work, apart from its command line: list a script file's NPCs, import one or all of
// them into project files, each proved before it is written.

#include "script/ServerRules.h"

#include <filesystem>
#include <iosfwd>
#include <set>
#include <string>

enum class TImportMode { List, One, All };

struct TImportRequest {
    std::filesystem::path DataDir;  // the catalogue folder; empty: the working directory
    script::TTarget Target = script::TTarget::EAthena;
    std::string Script;
    TImportMode Mode = TImportMode::List;
    std::string Npc;     // One: the NPC's name
    std::string Output;  // One: the project file; All: the folder; empty: nothing is written
    bool Verify = false; // say what the proof played
};

constexpr int ImportDone = 0;
constexpr int ImportFailed = 1;  // something asked for was not imported
constexpr int ImportUsage = 2;

// A file name for an NPC's project: letters, digits, _ and - kept, the rest _, made unique
// (without regard to case) among used, which it joins. Ends in ".NPC".
std::string ProjectFileNameFor(const std::string& npcName, std::set<std::string>& used);

// Reports on out, reasons on err as "npc-import: ...".
int RunImport(const TImportRequest& request, std::ostream& out, std::ostream& err);
