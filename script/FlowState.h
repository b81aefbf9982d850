#pragma once
// What may hold when the run reaches each node of a flow graph: whether the player's dialog
// window is open, and whether Zeny has been compared on the way. Each fact is a set of
// possibilities (one bit each), merged over every path that reaches the node; a node no path
// reaches has the empty set.

#include "script/FlowGraph.h"

#include <cstdint>
#include <vector>

namespace script {

enum TFlowFact : std::uint8_t {
    DialogClosed = 1,   // no dialog window: nothing shown yet, or closed by close2
    DialogOpen = 2,     // a mes is showing and no close followed
    DialogUnknown = 4,  // a caller or a called function may have shown or closed it
    ZenyUnchecked = 8,  // no comparison of Zeny on the way here
    ZenyChecked = 16,
};

using TFlowFacts = std::uint8_t;

// The facts on entry to each node, indexed like graph.Nodes.
std::vector<TFlowFacts> FlowFactsOnEntry(const TFlowGraph& graph);

// The traits of a node made for stmt in the role (see TNodeTrait).
TNodeTraits NodeTraits(const TStmt& stmt, TNodeRole role);

// A call of a function or subroutine, which may show, close or end anything.
bool RunsOtherCode(const TFlowNode& node, const TFlowGraph& graph);
// Whether the statement takes Zeny away (see TakesZenyAway).
bool TakesZeny(const TStmt& stmt);
// A `menu` option the client does not show (empty) or splits in several (with ':').
bool IsBadMenuOption(const TExpr& option);

} // namespace script
