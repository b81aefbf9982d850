#pragma once
// Warnings about scripts that load but fail when a player meets them, found on each NPC's
// control flow: jumps to labels the NPC lacks, dialogs left open or opened empty, code nothing
// reaches, menu options the client mangles, Zeny taken without a check, names the server cuts.

#include "script/FlowGraph.h"
#include "script/FlowState.h"
#include "script/SyntaxTree.h"

#include <vector>

namespace script {

class TKeptFlowParts;

// Every warning of the file's NPCs and functions, in file order. Bodies the reader could not
// read are skipped: their error says enough.
// kept: the graph's parts of a file of one NPC read by a TIncrementalReader whose change it has
// followed, or null.
std::vector<TDiagnostic> CheckFlow(const TScriptFile& file, TKeptFlowParts* kept = nullptr);

// The single checks, each over one body's graph and the facts on entry to its nodes. Checks
// over facts look only at nodes some path reaches (facts not empty).
void CheckMissingTargets(const TFlowGraph& graph, std::vector<TDiagnostic>& out);
void CheckDialogLeftOpen(const TFlowGraph& graph, const std::vector<TFlowFacts>& facts,
                         std::vector<TDiagnostic>& out);
void CheckEmptyDialog(const TFlowGraph& graph, const std::vector<TFlowFacts>& facts,
                      std::vector<TDiagnostic>& out);
// Unreachable whatever the variables hold: a branch a value rules out is left alone.
void CheckUnreachable(const TStmt& body, const TFlowGraph& graph, std::vector<TDiagnostic>& out);
void CheckMenuOptions(const TFlowGraph& graph, std::vector<TDiagnostic>& out);
void CheckUncheckedZeny(const TFlowGraph& graph, const std::vector<TFlowFacts>& facts,
                        std::vector<TDiagnostic>& out);
void CheckNameLength(const TTopLevel& entry, std::vector<TDiagnostic>& out);

} // namespace script
