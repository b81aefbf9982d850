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
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace script {

enum class TNodeRole : std::uint8_t {
    Plain,    // a statement that runs and goes on
    Test,     // the condition of if/while/for/do or the value of switch (Stmt->Cond)
    BodyEnd,  // the closing brace: the run stops here (a function returns to its caller)
};

// What the checks ask of a node's statement, worked out once when the node is made: the checks
// after every edit then read a few bits of each node instead of its statement's tree (a large NPC
// has tens of thousands of nodes, and following each one's pointers cost more than the checks).
enum TNodeTrait : std::uint16_t {
    EndsRun = 1 << 0,        // `end`
    NeedsDialog = 1 << 1,    // `next` or `close`: empty without a mes before
    ShowsText = 1 << 2,      // `mes`
    ClosesWindow = 1 << 3,   // `close` or `close2`
    MovesPlayer = 1 << 4,    // a warp or a change of the attached player: the dialog is uncertain
    BadMenuOption = 1 << 5,  // `menu` with an option the client mangles (see CheckMenuOptions)
    TakesZenyAway = 1 << 6,  // see TakesZeny
    TestsZeny = 1 << 7,      // compares Zeny in what the node evaluates
    CallsCode = 1 << 8,      // callfunc or callsub, as a command or in what the node evaluates
    MayCallLocal = 1 << 9,   // a command or a call by another name: a local function's, if the body has it
    SetsNumber = 1 << 10,    // `set V, n` or `V = n` with a number or a choice (see TTrackedValues)
    TestsVariable = 1 << 11, // a test whose condition names a variable TTrackedValues may follow
};
using TNodeTraits = std::uint16_t;
// The traits of the commands the warnings are about: the checks look at these nodes alone.
constexpr TNodeTraits WarnedTraits = EndsRun | NeedsDialog | BadMenuOption | TakesZenyAway;

struct TFlowNode {
    const TStmt* Stmt = nullptr;  // for BodyEnd, the body block itself
    TNodeRole Role = TNodeRole::Plain;
    TNodeTraits Traits = 0;
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
    // The body's statements are numbered in the order Walk visits them, the body itself 0, so
    // that a statement and every statement within it are the numbers [n, n + Sizes[n]): the
    // checks look a statement up by its number rather than by its address, which would need a
    // sorted list or a map of tens of thousands of statements built anew each time.
    std::vector<int> Sizes;
    // Where the run enters each statement, by number; -1 for a block, which the run enters at its
    // first statement or, empty, not at all.
    std::vector<int> FirstNodes;
    std::vector<TMissingTarget> Missing;
    std::set<std::string> LocalFunctions;   // `function Name {...}` in the body, lower case
    TNodeTraits Traits = 0;                 // every trait some node has: a check with none to find skips
    std::vector<int> Warned;  // the nodes with a trait of WarnedTraits and BodyEnd, in order
    bool IsFunction = false;                // a `function script`: its end returns
    int BodyEnd = 0;                        // the closing brace of the whole body
};

// The statements directly within s, in the order Walk visits them: Init, Step, Then, Else and
// the children.
template <class TSee>
void ForEachInner(const TStmt& s, const TSee& see)
{
    for (const TStmt* inner : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
        if (inner)
            see(*inner);
    for (const auto& child : s.Children)
        see(*child);
}

// The same with their numbers (see TFlowGraph::Sizes), s being statement `number`.
template <class TSee>
void ForEachInner(const TStmt& s, int number, const std::vector<int>& sizes, const TSee& see)
{
    int at = number + 1;
    ForEachInner(s, [&](const TStmt& inner) {
        see(inner, at);
        at += sizes[static_cast<std::size_t>(at)];
    });
}

// The graph of one statement of a body, built apart: its nodes and statements numbered from 0 and
// the way on to the statement after it left open (Out). Labels and jumps are joined over the whole
// body, so the part depends on its statement alone: a statement the incremental reader did not
// read again keeps its part, and only the statements it read again are built anew.
struct TFlowPart {
    static constexpr int Out = std::numeric_limits<int>::max();
    struct TJump {
        int From;
        const TStmt* Jump;
        const TExpr* Target;
        std::string Label;  // the target's name in lower case; empty when it is not a name
        bool Edge;          // false: callsub, which enters the target and comes back
    };

    // What only a few statements have: entries, labels, jumps and local functions.
    struct TNamed {
        std::vector<TFlowEntry> Events;
        std::vector<std::pair<std::string, int>> Labels;  // lower case, in the order they were met
        std::vector<TJump> Jumps;
        std::vector<std::pair<const TStmt*, int>> FunctionBodies;  // a local function and its number
        std::vector<std::string> LocalFunctions;  // lower case, sorted
    };

    // A part kept for a statement is laid out beside the others, small: a join reads every part
    // after every edit, and the parts after an edited statement move by its difference in number.
    const TStmt* Stmt = nullptr;    // null: no part built yet
    int First = Out;                // where the run enters the statement
    std::vector<TFlowNode> Nodes;   // Next left empty: the edges are laid out when joined
    std::vector<std::pair<int, int>> Edges;  // from, to: in the order they were linked
    std::vector<int> Sizes;
    std::vector<int> FirstNodes;
    std::unique_ptr<TNamed> Named;  // null when the statement has none of it
};

TFlowPart BuildFlowPart(const TStmt& stmt);
// The graph of `body` (a Block) from a part for each of its statements, in order.
// `isFunction`: the body of a `function script`.
TFlowGraph JoinFlowParts(const TStmt& body, bool isFunction, std::span<const TFlowPart> parts);
// The same graph built at once, for a check from nothing.
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
