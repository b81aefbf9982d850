#pragma once
// A server checkout's script load order, read from the server's own lists as its map server
// reads them: eAthena's and rAthena's `scripts_main.conf` (`npc:`, `delnpc:`, `import:` lines),
// Hercules' libconfig lists (`npc_global_list`, `npc_removed_list`, `@include`).

#include "script/ServerRules.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lsp {

struct TServerTree {
    script::TTarget Target = script::TTarget::EAthena;
    std::filesystem::path Root;
    // The list the map server starts from, relative to Root ("npc/re/scripts_main.conf").
    std::string MainList;
    // Script files in load order, relative to Root as the lists write them; a file the lists
    // name that is not in the tree is left out, as the server skips it.
    std::vector<std::string> Files;
    // Lists that could not be read, files named that are missing: what the server would warn of.
    std::vector<std::string> Warnings;
};

// The server the tree belongs to: Hercules when its main list is a libconfig list, rAthena when
// the list sits in `npc/re/` or `npc/pre-re/`, eAthena when it is `npc/scripts_main.conf`;
// nothing when the folder has none of them.
std::optional<script::TTarget> DetectServer(const std::filesystem::path& root);

// The load order of the tree at root for target. renewal chooses `npc/re/` over `npc/pre-re/`
// where the server has both (rAthena, Hercules). A tree without the main list has no files.
TServerTree ReadServerTree(const std::filesystem::path& root, script::TTarget target, bool renewal = true);

} // namespace lsp
