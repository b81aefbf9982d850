#pragma once
// The source an imported NPC keeps: each task's own lines and those of the NPC's frame, recognised
// later by what the script writer writes for them (model/KeptSource.h).

#include "import/Import.h"

#include <cstddef>
#include <optional>
#include <unordered_map>

// Where a task's code stands in the script: byte offsets, the end exclusive.
struct TCodeRange {
    std::size_t Begin = 0;
    std::size_t End = 0;
};

// A task's head (the lines WriteScript writes) and its end (WriteScriptEnd's); none where the
// writer's lines have no code of the author's (an if's own head, a brace the author left out).
struct TTaskRanges {
    std::optional<TCodeRange> Head;
    std::optional<TCodeRange> End;
};

using TCodeRanges = std::unordered_map<const TTask*, TTaskRanges>;

// Gives the tasks of result's project and its frame the source lines they were made from, with
// the comment and blank lines before them. Written unchanged into the entry's place, the NPC is
// then the entry's text exactly; when it would not be (code the import moved), nothing is kept
// and the NPC is written in the editor's style, with a note saying so.
void KeepImportedSource(const TImportSource& source, const script::TTopLevel& entry, const TCodeRanges& ranges,
                        TImportResult& result);

// The project forgets the source its NPC was imported from: it is written in the editor's style.
void DropKeptSource(TProject& project);

