#pragma once
// The control flow of one script body, one node per statement.
//
// A node stands for a statement as the server runs it: a plain statement (command, assignment,
// label, case), the test of an if/loop/switch, or the closing brace of the body. `Next` lists
// where the run may go afterwards: a goto or menu goes to its labels, `-` in a menu to the
// next statement, a label is just a statement the run falls through, and end, close, return and a
// jump to a missing label go nowhere. A menu's cancel button also ends the run, but the client
// closes the dialog itself then, so that way out is left out of the graph.
//
// The run starts at the top of the body and at every event label (`On...`, which the server
// exports); callsub targets and the bodies of local functions are entered from a caller.

#include "script/Text.h"
#include "script/SyntaxTree.h"

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace script {

enum class TNodeRole {
    Plain,    // a statement that runs and goes on
    Test,     // the condition of if/while/for/do or the value of switch (Stmt->Cond)
    BodyEnd,  // the closing brace: the run stops here (a function returns to its caller)
};

struct TFlowNode {
    const TStmt* Stmt = nullptr;  // for BodyEnd, the body block itself
    TNodeRole Role = TNodeRole::Plain;
    std::span<const int> Next;  // into the graph's Targets
    // A test's two ways, when both are open: the first node run when the condition holds and when
    // it fails. For a switch, OnFalse is where the run goes when no case matches (-1: nowhere).
    int OnTrue = -1;
    int OnFalse = -1;
};

enum class TEntryKind {
    Start,   // the top of an NPC's body: a player clicked or touched the NPC
    Event,   // an `On...` label
    Called,  // a callsub target, a local function or a function script: a caller came first
};

struct TFlowEntry {
    int Node = 0;
    TEntryKind Kind = TEntryKind::Start;
};

// A goto, menu, callsub or jump_zero whose label argument names nothing the body defines.
struct TMissingTarget {
    const TStmt* Jump = nullptr;
    const TExpr* Target = nullptr;
};

struct TFlowGraph {
    TFlowGraph() = default;
    // The nodes' Next views point into Targets, which a move keeps in place and a copy would not.
    TFlowGraph(TFlowGraph&&) = default;
    TFlowGraph& operator=(TFlowGraph&&) = default;
    TFlowGraph(const TFlowGraph&) = delete;
    TFlowGraph& operator=(const TFlowGraph&) = delete;

    std::vector<TFlowNode> Nodes;
    std::vector<int> Targets;  // every node's Next, node after node (one list, not one per node)
    std::vector<TFlowEntry> Entries;
    // Where the run enters each statement, sorted by statement (FirstNodeOf looks them up): a
    // sorted list rather than a map, as it holds every statement of the body.
    std::vector<std::pair<const TStmt*, int>> FirstNodes;
    std::vector<TMissingTarget> Missing;
    std::set<std::string> LocalFunctions;   // `function Name {...}` in the body, lower case
    bool IsFunction = false;                // a `function script`: its end returns
    int BodyEnd = 0;                        // the closing brace of the whole body

    // The node where the run enters stmt; -1 for a statement not in the graph.
    int FirstNodeOf(const TStmt& stmt) const;
};

// Builds the graph of `body` (a Block). `isFunction`: the body of a `function script`.
TFlowGraph BuildFlowGraph(const TStmt& body, bool isFunction);

// The nodes some way leads to from an entry, whatever the values of the variables.
std::vector<bool> ReachableNodes(const TFlowGraph& graph);

// The values a player's choice (`select`) or a small `rand` can take; unknown for anything else.
constexpr std::int64_t MaxChoices = 64;
std::optional<std::vector<std::int64_t>> ChoiceValues(const TExpr& value);

// Script words are matched without regard to case, as the server does. Inline: the checks ask it
// of every node for several words.
inline bool IsCommand(const TStmt& stmt, std::string_view lowerName)
{
    return stmt.Kind == TStmtKind::Command && SameLetters(stmt.Name, lowerName);
}
bool IsEventLabel(std::string_view name);
// ==, !=, <, <=, > or >=: asked of every operator of every test.
inline bool IsComparison(std::string_view op)
{
    return (op.size() == 1 && (op[0] == '<' || op[0] == '>')) ||
           (op.size() == 2 && op[1] == '=' && (op[0] == '=' || op[0] == '!' || op[0] == '<' || op[0] == '>'));
}

} // namespace script
