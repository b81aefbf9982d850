#pragma once
// npc-lint's work, apart from its command line: check script files for the chosen server and
// report in the compilers' form so editors and CI pick the findings up.

#include "script/ServerRules.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

struct TLintRequest {
    // Read in this order as one load, as the server loads them: what an earlier file defines is
    // known in the later ones. "-" reads standard input.
    std::vector<std::string> Files;
    // A list of further files, one a line (after Files; blank lines and `//` comments skipped;
    // relative names are taken from the current folder, as the server takes them from its own).
    std::optional<std::filesystem::path> LoadOrder;
    std::optional<std::filesystem::path> DataDir;  // its maps.ini names the known maps
    script::TTarget Target = script::TTarget::EAthena;
    // The files are all the server loads (its whole tree from its own lists): a function or NPC
    // none of them defines is missing, an error, not a name another file may define.
    bool Complete = false;
};

constexpr int LintClean = 0;
constexpr int LintErrors = 1;
constexpr int LintUnusable = 2;  // a file or the maps catalogue could not be read

// The map names of the editor's catalogue DIR/maps.ini, as the server looks them up (without
// `.gat`); EInOutError when there is no catalogue.
std::unordered_set<std::string> CatalogueMapNames(const std::filesystem::path& dir);

// Writes `FILE:LINE:COLUMN: error: MESSAGE` lines to `out`, a summary to `err`; returns the
// exit status.
int RunLint(const TLintRequest& request, std::istream& in, std::ostream& out, std::ostream& err);
