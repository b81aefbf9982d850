#include "script/FlowState.h"

#include "script/FlowValues.h"
#include "script/Text.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <iterator>
#include <map>
#include <string_view>

namespace script {
namespace {

constexpr TFlowFacts DialogFacts = DialogClosed | DialogOpen | DialogUnknown;
constexpr TFlowFacts ZenyFacts = ZenyUnchecked | ZenyChecked;

template <typename TTest>
bool AnyExpr(const TExpr& e, const TTest& test)
{
    if (test(e))
        return true;
    for (const auto& arg : e.Args)
        if (arg && AnyExpr(*arg, test))
            return true;
    return false;
}

// Whether `visit` holds for some expression the node evaluates: a test evaluates only its
// condition, not its branches.
template <typename TVisit>
bool AnyEvaluated(const TFlowNode& node, TVisit visit)
{
    if (node.Role == TNodeRole::Test)
        return node.Stmt->Cond && visit(*node.Stmt->Cond);
    if (node.Role != TNodeRole::Plain)
        return false;
    for (const auto& arg : node.Stmt->Args)
        if (visit(*arg))
            return true;
    return node.Stmt->Expr && visit(*node.Stmt->Expr);
}

bool IsZeny(const TExpr& e)
{
    return e.Kind == TExprKind::Identifier && e.Args.empty() && SameLetters(e.Text, "zeny");
}

// Only the calls of local functions: the callfunc and callsub ones are a trait of the node.
bool CallsLocalFunction(const TExpr& e, const TFlowGraph& graph)
{
    return AnyExpr(e, [&](const TExpr& x) {
        return x.Kind == TExprKind::Call && graph.LocalFunctions.count(LowerCase(x.Text)) > 0;
    });
}

// The commands a node has a trait for by their name alone. A warp loads a map and the client
// drops the NPC's window with the old one (scripts end after it with end and with close alike);
// the group warps and @-commands may move the player too, and attachrid/detachrid change whose
// dialog the script talks to.
struct TNamedTrait {
    std::string_view Name;
    TNodeTraits Traits;
};
constexpr TNamedTrait CommandTraits[] = {  // the commonest first: a name matches one at most
    {"mes", ShowsText}, {"next", NeedsDialog}, {"close", NeedsDialog | ClosesWindow}, {"end", EndsRun},
    {"close2", ClosesWindow}, {"callfunc", CallsCode}, {"callsub", CallsCode},
    {"warp", MovesPlayer}, {"warpparty", MovesPlayer}, {"warpguild", MovesPlayer}, {"warpchar", MovesPlayer},
    {"areawarp", MovesPlayer}, {"mapwarp", MovesPlayer}, {"warpwaitingpc", MovesPlayer}, {"bg_warp", MovesPlayer},
    {"instance_warpall", MovesPlayer}, {"atcommand", MovesPlayer}, {"attachrid", MovesPlayer},
    {"detachrid", MovesPlayer}};

// A bit for a name's length and first letter: most commands have no trait, and the bit tells
// them at once (every node is given its traits when a graph is built from nothing).
constexpr std::uint64_t NameBit(std::string_view name)
{
    const char first = name.empty() ? '\0' : static_cast<char>(name[0] | 0x20);
    return std::uint64_t{1} << ((name.size() * 7 + static_cast<unsigned char>(first)) & 63);
}

constexpr std::uint64_t CommandTraitBits = [] {
    std::uint64_t bits = 0;
    for (const TNamedTrait& command : CommandTraits)
        bits |= NameBit(command.Name);
    return bits;
}();

TNodeTraits TraitsByName(std::string_view name)
{
    if (!(CommandTraitBits & NameBit(name)))
        return 0;
    for (const TNamedTrait& command : CommandTraits)
        if (SameLetters(name, command.Name))
            return command.Traits;
    return 0;
}

bool IsZenyComparison(const TExpr& x)
{
    return x.Kind == TExprKind::Binary && IsComparison(x.Op) && (AnyExpr(*x.Args[0], IsZeny) || AnyExpr(*x.Args[1], IsZeny));
}

// Most expressions are plain strings, numbers and names: nothing that calls or compares. The
// kind tells strings and numbers (never given arguments) without reading further into the
// expression, which is the first read of it in a check from nothing and a miss of the cache.
bool MayHaveTraits(const TExpr& e)
{
    switch (e.Kind) {
    case TExprKind::Call: return true;
    case TExprKind::Number:
    case TExprKind::String:
    case TExprKind::NextLine: return false;
    default: return !e.Args.empty();
    }
}

// The traits of what a node evaluates, in one walk: its calls and its comparisons of Zeny.
void MarkEvaluated(const TExpr& e, TNodeTraits& traits)
{
    if (e.Kind == TExprKind::Call) {
        traits |= MayCallLocal;
        if (SameLetters(e.Text, "callfunc") || SameLetters(e.Text, "callsub"))
            traits |= CallsCode;
    } else if (!(traits & TestsZeny) && IsZenyComparison(e)) {
        traits |= TestsZeny;
    }
    for (const auto& arg : e.Args)
        if (arg && MayHaveTraits(*arg))
            MarkEvaluated(*arg, traits);
}

// What a node does to the facts, the same on every visit: out = (in & Keep) | Set. Worked out
// on a node's first visit and kept for the others the facts make.
struct TEffect {
    bool Known = false;
    TFlowFacts Keep = 0xFF;
    TFlowFacts Set = 0;
};

TEffect EffectOf(const TFlowNode& node, const TFlowGraph& graph)
{
    TEffect effect{true};
    const auto dialog = [&effect](TFlowFacts fact) {
        effect.Keep &= static_cast<TFlowFacts>(~DialogFacts);
        effect.Set = static_cast<TFlowFacts>((effect.Set & ~DialogFacts) | fact);
    };
    if ((node.Traits & MovesPlayer) || RunsOtherCode(node, graph))
        dialog(DialogUnknown);
    if (node.Traits & TestsZeny) {
        effect.Keep &= static_cast<TFlowFacts>(~ZenyFacts);
        effect.Set = static_cast<TFlowFacts>((effect.Set & ~ZenyFacts) | ZenyChecked);
    }
    if (node.Traits & ShowsText)
        dialog(DialogOpen);
    if (node.Traits & ClosesWindow)
        dialog(DialogClosed);
    return effect;
}

class TTransfer {
public:
    explicit TTransfer(const TFlowGraph& graph) : Graph_(graph), Effects_(graph.Nodes.size()) {}

    TFlowFacts operator()(TFlowFacts in, int node)
    {
        TEffect& effect = Effects_[static_cast<std::size_t>(node)];
        if (!effect.Known)
            effect = EffectOf(Graph_.Nodes[static_cast<std::size_t>(node)], Graph_);
        return static_cast<TFlowFacts>((in & effect.Keep) | effect.Set);
    }

private:
    const TFlowGraph& Graph_;
    std::vector<TEffect> Effects_;
};

TFlowFacts EntryFacts(TEntryKind kind)
{
    // A caller may have shown a dialog or checked the player's Zeny before coming here.
    return kind == TEntryKind::Called ? TFlowFacts(DialogUnknown | ZenyChecked)
                                      : TFlowFacts(DialogClosed | ZenyUnchecked);
}

} // namespace

namespace {

// The options are every other argument, each followed by its label.
bool HasBadMenuOption(const TStmt& menu)
{
    for (std::size_t i = 0; i < menu.Args.size(); i += 2)
        if (IsBadMenuOption(*menu.Args[i]))
            return true;
    return false;
}

} // namespace

TNodeTraits NodeTraits(const TStmt& stmt, TNodeRole role)
{
    TNodeTraits traits = 0;
    AnyEvaluated(TFlowNode{&stmt, role, 0, {}}, [&traits](const TExpr& e) {
        if (MayHaveTraits(e))
            MarkEvaluated(e, traits);
        return false;
    });
    if (role == TNodeRole::Test && stmt.Cond && TestsAnyVariable(*stmt.Cond))
        traits |= TestsVariable;
    if (role != TNodeRole::Plain)
        return traits;
    if (stmt.Kind == TStmtKind::Command) {
        traits |= MayCallLocal;
        traits |= TraitsByName(stmt.Name);
        if (IsCommand(stmt, "menu") && HasBadMenuOption(stmt))
            traits |= BadMenuOption;
    }
    // Both are about `set` and assignments alone.
    if (stmt.Kind != TStmtKind::Assign && !IsCommand(stmt, "set"))
        return traits;
    if (TakesZeny(stmt))
        traits |= TakesZenyAway;
    if (const auto assignment = SimpleAssignment(stmt); assignment && IsNumberOrChoice(*assignment->second))
        traits |= SetsNumber;
    return traits;
}

bool RunsOtherCode(const TFlowNode& node, const TFlowGraph& graph)
{
    if (node.Traits & CallsCode)
        return true;
    if (graph.LocalFunctions.empty() || !(node.Traits & MayCallLocal))
        return false;
    const TStmt& stmt = *node.Stmt;
    if (node.Role == TNodeRole::Plain && stmt.Kind == TStmtKind::Command &&
        graph.LocalFunctions.count(LowerCase(stmt.Name)) > 0)
        return true;
    return AnyEvaluated(node, [&](const TExpr& e) { return CallsLocalFunction(e, graph); });
}

// `set Zeny, Zeny - N`, `Zeny = Zeny - N - M`, `Zeny -= N` and `Zeny--` all take Zeny.
bool TakesZeny(const TStmt& stmt)
{
    auto minusZeny = [](const TExpr& value) {
        if (value.Kind != TExprKind::Binary || value.Op != "-")
            return false;
        const TExpr* left = value.Args[0].get();
        while (left->Kind == TExprKind::Binary && (left->Op == "-" || left->Op == "+"))
            left = left->Args[0].get();
        return IsZeny(*left);
    };
    if (IsCommand(stmt, "set"))
        return stmt.Args.size() == 2 && IsZeny(*stmt.Args[0]) && minusZeny(*stmt.Args[1]);
    if (stmt.Kind != TStmtKind::Assign || !stmt.Expr)
        return false;
    const TExpr& e = *stmt.Expr;
    if (e.Kind == TExprKind::IncDec)
        return e.Op == "--" && IsZeny(*e.Args[0]);
    if (e.Kind != TExprKind::Assign || !IsZeny(*e.Args[0]))
        return false;
    return e.Op == "-=" || (e.Op == "=" && minusZeny(*e.Args[1]));
}

bool IsBadMenuOption(const TExpr& option)
{
    return option.Kind == TExprKind::String && (option.Text.empty() || option.Text.find(':') != std::string::npos);
}

namespace {

// With no variable followed the facts of a node are one set, and the union over every path is
// the same whatever order the nodes are visited in.
std::vector<TFlowFacts> FactsOverEveryWay(const TFlowGraph& graph)
{
    TTransfer transfer(graph);
    std::vector<TFlowFacts> facts(graph.Nodes.size(), 0);
    std::vector<int> work;
    auto reach = [&](int node, TFlowFacts add) {
        if ((facts[node] | add) == facts[node])
            return;
        facts[node] |= add;
        work.push_back(node);
    };
    for (const TFlowEntry& entry : graph.Entries)
        reach(entry.Node, EntryFacts(entry.Kind));
    while (!work.empty()) {
        const int node = work.back();
        work.pop_back();
        const TFlowFacts out = transfer(facts[node], node);
        for (const int next : graph.Nodes[node].Next)
            reach(next, out);
    }
    return facts;
}

} // namespace

// The facts are followed separately for each combination of the tracked variables' values, so a
// way the values rule out carries nothing. A node seen with too many combinations stops telling
// them apart, which keeps the work bounded.
std::vector<TFlowFacts> FlowFactsOnEntry(const TFlowGraph& graph)
{
    using TValues = TTrackedValues::TValues;
    constexpr std::size_t MaxCombinations = 32;
    const TTrackedValues tracked(graph);
    if (tracked.Empty())
        return FactsOverEveryWay(graph);
    TTransfer transfer(graph);
    std::vector<std::map<TValues, TFlowFacts>> states(graph.Nodes.size());
    std::deque<std::pair<int, TValues>> work;
    auto reach = [&](int node, TValues values, TFlowFacts add) {
        auto& known = states[node];
        if (!known.count(values) && known.size() >= MaxCombinations)
            values = TTrackedValues::AllUnknown();
        TFlowFacts& facts = known[values];
        if ((facts | add) == facts)
            return;
        facts |= add;
        work.emplace_back(node, values);
    };
    for (const TFlowEntry& entry : graph.Entries)
        reach(entry.Node, TTrackedValues::AllUnknown(), EntryFacts(entry.Kind));
    while (!work.empty()) {
        const auto [node, values] = work.front();
        work.pop_front();
        const TFlowNode& n = graph.Nodes[node];
        const TFlowFacts out = transfer(states[node][values], node);
        for (const TValues& after : tracked.After(n, values))
            for (const int next : tracked.Ways(n, after))
                reach(next, after, out);
    }
    std::vector<TFlowFacts> merged(graph.Nodes.size(), 0);
    for (std::size_t i = 0; i < states.size(); ++i)
        for (const auto& [values, facts] : states[i])
            merged[i] |= facts;
    return merged;
}

} // namespace script
