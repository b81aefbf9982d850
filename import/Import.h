#pragma once
// Import of hand-written eAthena scripts: one NPC of a script file becomes the current project.
// Labels become groups under their own names, runs of mes lines messages with their speakers,
// label menus menu tasks, `if (...) goto L;` conditions, catalogued statements actions, if / else,
// loops and switches tasks holding the tasks of their bodies, other commands of the server, set,
// calls and bare statements tasks of their own; everything else stays manual code, whole lines as
// written, with its label names rewritten to the groups' labels.

#include "model/Project.h"

#include "script/SyntaxTree.h"

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// An NPC that cannot be imported, or an import that failed; the message says why.
class EImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A script file read once, shared by every NPC imported from it.
struct TImportSource {
    std::string FileName;  // names the file in messages
    std::string Text;
    script::TScriptFile File;

    // Read by target's rules for the entries' kinds (rAthena's warp2, say).
    TImportSource(std::string fileName, std::string text, script::TTarget target = script::TTarget::EAthena);
    TImportSource(const TImportSource&) = delete;
    TImportSource& operator=(const TImportSource&) = delete;
    // The source text of a range.
    std::string Slice(const script::TSourceRange& range) const;
};

// One top-level entry of the file as the import sees it.
struct TImportCandidate {
    std::size_t Entry = 0;  // index into File.Entries
    std::string Name;       // the NPC's name, or what the entry is
    int FirstLine = 0;
    int LastLine = 0;
    bool Importable = false;
    std::string Reason;  // why not, when not importable
};

std::vector<TImportCandidate> ListCandidates(const TImportSource& source);

// The lines of text as the script holds them: split at LF, a CR before it dropped.
std::vector<std::string> SplitSourceLines(const std::string& text);
// Whether an entry's name as written is wanted: the same, or its part before "::", letters in any case.
bool NameMatches(const std::string& written, const std::string& wanted);
// The entry of the script NPC with that name (as written, or its part before "::", letters in any
// case); EImportError when there is none or the NPC cannot be imported.
const script::TTopLevel& FindImportable(const TImportSource& source, const std::string& name);

// How much of the NPC's code became tasks other than manual code (every statement counts, also
// those nested inside a manual statement).
struct TImportStats {
    int Statements = 0;
    int Structured = 0;
};

struct TImportResult {
    // The NPC's project: untitled and unsaved.
    std::unique_ptr<TProject> Project;
    std::vector<std::string> Notes;  // what the user should know (a map the catalogue lacks)
    TImportStats Stats;
    // The labels the import renames (the author's L<n> and L<n>Exit, which the writer uses itself):
    // old name in lower case -> the label the editor writes for its group.
    std::map<std::string, std::string> Labels;
    std::string OriginalMap;  // the map as the script names it
};

// A new project of the NPC's: header, NPC record and task tree, for target, reading catalogues.
// The project has no file name and counts as unsaved. EImportError when the NPC cannot be imported.
TImportResult ImportNpc(const TImportSource& source, const script::TTopLevel& entry,
                        std::shared_ptr<const TCatalogues> catalogues, TServerTarget target = DefaultTarget);

// The touch area a script NPC's sprite field gives (`111,3,2,` reads as 3 by 2), as the servers
// read it; none for a field with the sprite alone.
std::optional<TTouchArea> TouchAreaOf(const std::string& spriteField);

// Fills header from the file's leading comments (the writer's own block, or any other comments
// into Comments) and the comments just before the entry.
void ImportHeader(const TImportSource& source, const script::TTopLevel& entry, TNPCHeader& header);
