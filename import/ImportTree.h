#pragma once
// The task tree of an imported NPC, built below the "Start" group of the current project.

#include "import/Import.h"
#include "import/ImportKept.h"

// Fills the tree from the entry's body: groups for its labels, tasks for its statements.
// EImportError when a label the import keeps would clash with the writer's own labels.
// The code each task was made from goes into ranges.
void BuildImportTree(const TImportSource& source, const script::TTopLevel& entry, TImportResult& result,
                     TCodeRanges& ranges);
