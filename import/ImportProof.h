#pragma once
// The proof of an import: the script the editor writes for the imported project loads without a
// checker error, and the interpreter gives the same events on it as on the original NPC for every
// path of menu choices (all sequences up to MaxDepth choices, at most MaxPaths paths), from a click
// and from each of the NPC's event labels (OnTouch and the others), on the same player state (two
// of them: a new character and a rich, experienced one). Labels are renamed by the import, so events are compared with the old label
// names read as the new ones.

#include "import/Import.h"

#include "script/ServerRules.h"

#include <string>
#include <unordered_set>

struct TProofOptions {
    script::TTarget Target = script::TTarget::EAthena;
    // The maps the checker accepts; null: eAthena's own.
    const std::unordered_set<std::string>* Maps = nullptr;
    // The catalogues the imported project reads (ImportAndProve).
    std::shared_ptr<const TCatalogues> Catalogues;
    int MaxDepth = 6;
    int MaxPaths = 500;
};

struct TProofResult {
    bool Passed = false;
    std::string Reason;  // why not
    int Paths = 0;       // menu-choice paths played on both scripts, over both player states
    std::string Script;  // the editor's script (CR LF lines)
};

// eAthena's maps and those of the map catalogue, as the checker looks them up.
std::unordered_set<std::string> ProofMaps(const TCatalogues& catalogues);

// Proves the current project, just imported from entry, against the original.
TProofResult ProveImport(const TImportSource& source, const script::TTopLevel& entry, const TImportResult& import,
                         const TProofOptions& options);

// Imports and proves; EImportError with the proof's reason when it fails.
struct TProvedImport {
    TImportResult Import;
    TProofResult Proof;
};
TProvedImport ImportAndProve(const TImportSource& source, const script::TTopLevel& entry,
                             const TProofOptions& options);
