#include "script/FlowGraph.h"

#include "script/FlowState.h"
#include "script/Text.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <unordered_map>

namespace script {

bool IsEventLabel(std::string_view name)
{
    return name.size() >= 2 && (name[0] == 'O' || name[0] == 'o') && (name[1] == 'N' || name[1] == 'n');
}

namespace {

// A condition written as a number decides its branch once and for all (`while (1)`).
std::optional<bool> ConstantTruth(const TExpr* cond)
{
    if (cond && cond->Kind == TExprKind::Number)
        return cond->Value != 0;
    return std::nullopt;
}

bool IsCall(const TExpr& e, std::string_view lowerName)
{
    return e.Kind == TExprKind::Call && SameLetters(e.Text, lowerName);
}

// The option numbers a player can pick in `select(...)`: every `:`-separated part counts, the
// empty ones cannot be picked. Unknown when an option is not written as a plain string.
std::optional<std::vector<std::int64_t>> SelectableOptions(const TExpr& select)
{
    std::vector<std::int64_t> options;
    std::int64_t number = 0;
    for (const auto& arg : select.Args) {
        if (arg->Kind != TExprKind::String)
            return std::nullopt;
        std::size_t start = 0;
        while (true) {
            const std::size_t colon = arg->Text.find(':', start);
            const std::size_t end = colon == std::string::npos ? arg->Text.size() : colon;
            ++number;
            if (end > start)
                options.push_back(number);
            if (colon == std::string::npos)
                break;
            start = colon + 1;
        }
    }
    return options;
}

// `rand(n)` gives 0..n-1 and `rand(a, b)` gives a..b in either order; a range of one value or
// less gives its lower end.
std::optional<std::vector<std::int64_t>> RandomRange(const TExpr& rand)
{
    for (const auto& arg : rand.Args)
        if (arg->Kind != TExprKind::Number)
            return std::nullopt;
    std::int64_t low = 0, high = 0;
    if (rand.Args.size() == 1)
        high = rand.Args[0]->Value > 1 ? rand.Args[0]->Value - 1 : 0;
    else if (rand.Args.size() == 2)
        low = std::min(rand.Args[0]->Value, rand.Args[1]->Value), high = std::max(rand.Args[0]->Value, rand.Args[1]->Value);
    else
        return std::nullopt;
    // Unsigned, so that the width of any range is computed without overflow.
    if (static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low) >= static_cast<std::uint64_t>(MaxChoices))
        return std::nullopt;
    std::vector<std::int64_t> values;
    for (std::int64_t v = low; v <= high; ++v)
        values.push_back(v);
    return values;
}

// A switch on a player's choice or a random number leaves only when some value has no case.
// Cancelling a menu ends the script, and options the script cannot count are taken as handled.
bool SwitchFallsThrough(const TStmt& s, const std::vector<const TStmt*>& cases)
{
    if (!s.Cond)
        return true;
    const auto values = ChoiceValues(*s.Cond);
    if (!values)
        return !IsCall(*s.Cond, "select");
    return std::any_of(values->begin(), values->end(), [&](std::int64_t value) {
        return std::none_of(cases.begin(), cases.end(), [&](const TStmt* c) {
            return c->Kind == TStmtKind::Case && c->Cond && c->Cond->Kind == TExprKind::Number &&
                   c->Cond->Value == value;
        });
    });
}

// The labels by name, the first definition of each: an open table rather than a map, which
// would allocate a node for each of the thousands of labels of a large NPC at every check.
class TLabelTable {
public:
    explicit TLabelTable(const std::vector<std::pair<std::string_view, int>>& labels)
    {
        std::size_t size = 16;
        while (size < 2 * labels.size())
            size *= 2;
        Slots_.resize(size);
        for (const auto& [name, node] : labels)
            if (TSlot& slot = Slots_[Find(name)]; slot.Node < 0)
                slot = {name, node};
    }
    // -1 when no label has the name.
    int Node(std::string_view name) const { return Slots_[Find(name)].Node; }

private:
    struct TSlot {
        std::string_view Name;
        int Node = -1;
    };
    std::size_t Find(std::string_view name) const
    {
        const std::size_t mask = Slots_.size() - 1;
        std::size_t i = std::hash<std::string_view>()(name) & mask;
        while (Slots_[i].Node >= 0 && Slots_[i].Name != name)
            i = (i + 1) & mask;
        return i;
    }
    std::vector<TSlot> Slots_;
};

class TGraphBuilder {
public:
    explicit TGraphBuilder(bool isFunction) { Graph_.IsFunction = isFunction; }
    TFlowGraph Build(const TStmt& body);
    TFlowPart BuildPart(const TStmt& stmt);
    TFlowGraph Join(const TStmt& body, std::span<const TFlowPart> parts);

private:
    struct TJumpContext {
        int Break = -1;
        int Continue = -1;
        std::vector<int>* Cases = nullptr;  // a switch collects its case labels here
        bool* HasDefault = nullptr;
    };
    // A jump waiting for the labels, its label's name a view of a string the builder or a part
    // keeps: a join then copies no name.
    struct TPending {
        int From;
        const TStmt* Jump;
        const TExpr* Target;
        std::string_view Label;
        bool Edge;
    };

    int Add(const TStmt* stmt, TNodeRole role)
    {
        Graph_.Nodes.push_back({stmt, role, NodeTraits(*stmt, role), {}});
        return static_cast<int>(Graph_.Nodes.size()) - 1;
    }
    void Link(int from, int to) { Edges_.emplace_back(from, to); }
    void StoreEdges();
    void Branch(int test, std::optional<bool> truth, int whenTrue, int whenFalse);
    // The numbers of a statement's Init, Step, Then and Else (-1 where it has none).
    struct TInner {
        int Init = -1, Step = -1, Then = -1, Else = -1;
    };
    TInner Inner(const TStmt& s, int number) const;
    int Number(const TStmt& s);
    int Statement(const TStmt& s, int next, int number);
    int Sequence(const TStmt& block, int next, int number);
    int Command(const TStmt& s, int next);
    int Conditional(const TStmt& s, int next, int number);
    int Loop(const TStmt& s, int next, int number);
    int Switch(const TStmt& s, int next, int number);
    int Plain(const TStmt& s, int next, int number);
    void Target(int from, const TStmt& jump, const TExpr* target, bool edge);
    void Append(const TFlowPart& part, int firstNode, int out);
    void AppendNamed(const TFlowPart::TNamed& named, int firstNode, int after);
    TFlowGraph Finish(int start);
    void Resolve();

    TFlowGraph Graph_;
    std::vector<TJumpContext> Jumps_;
    std::vector<TPending> Pending_;
    std::vector<std::pair<int, int>> Edges_;  // from, to: in the order they were linked
    std::vector<std::pair<std::string_view, int>> Labels_;  // in the order they were met: the first counts
    std::deque<std::string> Names_;  // the lower-case names Labels_ and Pending_ view, when built here
    std::string_view Keep(std::string name) { return Names_.emplace_back(std::move(name)); }
    std::unordered_map<std::string, int> Functions_;
    std::vector<std::pair<const TStmt*, int>> FunctionBodies_;  // the function statement, its number
};

// Numbers s and every statement within it from the next free number on; gives how many it
// numbered.
int TGraphBuilder::Number(const TStmt& s)
{
    const std::size_t at = Graph_.Sizes.size();
    Graph_.Sizes.push_back(1);
    int size = 1;
    ForEachInner(s, [&](const TStmt& inner) { size += Number(inner); });
    Graph_.Sizes[at] = size;
    return size;
}

TGraphBuilder::TInner TGraphBuilder::Inner(const TStmt& s, int number) const
{
    TInner inner;
    ForEachInner(s, number, Graph_.Sizes, [&](const TStmt& i, int at) {
        if (&i == s.Init.get())
            inner.Init = at;
        else if (&i == s.Step.get())
            inner.Step = at;
        else if (&i == s.Then.get())
            inner.Then = at;
        else if (&i == s.Else.get())
            inner.Else = at;
    });
    return inner;
}

TFlowGraph TGraphBuilder::Build(const TStmt& body)
{
    // The graph has about one node for each statement, made room for at once (a large NPC has
    // tens of thousands).
    const auto statements = static_cast<std::size_t>(Number(body));
    Graph_.FirstNodes.assign(statements, -1);
    Graph_.Nodes.reserve(statements + 1);
    Edges_.reserve(statements + 1);
    Graph_.BodyEnd = Add(&body, TNodeRole::BodyEnd);
    return Finish(Statement(body, Graph_.BodyEnd, 0));
}

TFlowPart TGraphBuilder::BuildPart(const TStmt& stmt)
{
    const auto statements = static_cast<std::size_t>(Number(stmt));
    Graph_.FirstNodes.assign(statements, -1);
    Graph_.Nodes.reserve(statements);
    Edges_.reserve(statements);
    TFlowPart part;
    part.Stmt = &stmt;
    part.First = Statement(stmt, TFlowPart::Out, 0);
    part.Nodes = std::move(Graph_.Nodes);
    part.Edges = std::move(Edges_);
    if (!Graph_.Entries.empty() || !Labels_.empty() || !Pending_.empty() || !FunctionBodies_.empty()) {
        part.Named = std::make_unique<TFlowPart::TNamed>();
        TFlowPart::TNamed& named = *part.Named;
        named.Events = std::move(Graph_.Entries);
        named.Labels.reserve(Labels_.size());
        for (const auto& [name, node] : Labels_)
            named.Labels.emplace_back(std::string(name), node);
        named.Jumps.reserve(Pending_.size());
        for (const TPending& p : Pending_)
            named.Jumps.push_back({p.From, p.Jump, p.Target, std::string(p.Label), p.Edge});
        named.FunctionBodies = std::move(FunctionBodies_);
        named.LocalFunctions.assign(Graph_.LocalFunctions.begin(), Graph_.LocalFunctions.end());
    }
    part.Sizes = std::move(Graph_.Sizes);
    part.FirstNodes = std::move(Graph_.FirstNodes);
    return part;
}

// The parts are laid out last first, as a body is built (each statement goes on to the first node
// of the one after it): the nodes, their ways, the entries and the labels come in the order a
// build of the whole body gives, which the facts' bounded search depends on.
TFlowGraph TGraphBuilder::Join(const TStmt& body, std::span<const TFlowPart> parts)
{
    if (body.Kind != TStmtKind::Block || parts.size() != body.Children.size())
        throw std::invalid_argument("flow graph: the parts do not match the body's statements");
    // One pass over the parts, which is what a join costs: a large NPC has tens of thousands and
    // reading each is a miss of the cache. Statements are numbered first to last but the parts
    // come last to first, so their numbers are laid out backwards and turned round at the end.
    Graph_.Nodes.reserve(2 * parts.size() + 1);
    Edges_.reserve(2 * parts.size() + 1);
    Graph_.Sizes.reserve(parts.size() + 1);
    Graph_.FirstNodes.reserve(parts.size() + 1);
    Graph_.BodyEnd = Add(&body, TNodeRole::BodyEnd);
    // Each part goes on to the first node of the next that has one.
    int start = Graph_.BodyEnd;
    for (std::size_t i = parts.size(); i-- > 0;) {
        const TFlowPart& part = parts[i];
        const int firstNode = static_cast<int>(Graph_.Nodes.size());
        Append(part, firstNode, start);
        start = part.First == TFlowPart::Out ? start : part.First + firstNode;
    }
    const auto statements = static_cast<int>(Graph_.Sizes.size()) + 1;  // and the body, statement 0
    Graph_.Sizes.push_back(statements);
    Graph_.FirstNodes.push_back(-1);
    std::reverse(Graph_.Sizes.begin(), Graph_.Sizes.end());
    std::reverse(Graph_.FirstNodes.begin(), Graph_.FirstNodes.end());
    for (auto& [fn, number] : FunctionBodies_)
        number = statements - number;
    return Finish(start);
}

// The body's statements are in the graph; the run starts at start.
TFlowGraph TGraphBuilder::Finish(int start)
{
    Graph_.Entries.push_back({start, Graph_.IsFunction ? TEntryKind::Called : TEntryKind::Start});
    // Local function bodies are jumped over where they are written and run when called.
    for (std::size_t i = 0; i < FunctionBodies_.size(); ++i) {
        const auto [fn, number] = FunctionBodies_[i];
        const int fnEnd = Add(fn->Then.get(), TNodeRole::BodyEnd);
        const int fnStart = Statement(*fn->Then, fnEnd, Inner(*fn, number).Then);
        Functions_.emplace(LowerCase(fn->Name), fnStart);
        Graph_.Entries.push_back({fnStart, TEntryKind::Called});
    }
    Resolve();
    StoreEdges();
    return std::move(Graph_);
}

// Moves a part's nodes to firstNode on and lays its statements out backwards after those laid out
// so far (a local function's number is kept as its distance from the end, until the whole count is
// known); its way out goes to node out.
void TGraphBuilder::Append(const TFlowPart& part, int firstNode, int out)
{
    const auto node = [&](int n) { return n == TFlowPart::Out ? out : n < 0 ? n : n + firstNode; };
    for (TFlowNode n : part.Nodes) {
        n.OnTrue = node(n.OnTrue);
        n.OnFalse = node(n.OnFalse);
        Graph_.Nodes.push_back(n);
    }
    for (const auto& [from, to] : part.Edges)
        Edges_.emplace_back(from + firstNode, node(to));
    if (part.Named)
        AppendNamed(*part.Named, firstNode, static_cast<int>(Graph_.Sizes.size() + part.Sizes.size()));
    Graph_.Sizes.insert(Graph_.Sizes.end(), part.Sizes.rbegin(), part.Sizes.rend());
    std::transform(part.FirstNodes.rbegin(), part.FirstNodes.rend(), std::back_inserter(Graph_.FirstNodes),
                   [firstNode](int first) { return first < 0 ? first : first + firstNode; });
}

// A part's entries, labels, jumps and local functions, its nodes from firstNode on; after: the
// number of statements laid out with it (see Append).
void TGraphBuilder::AppendNamed(const TFlowPart::TNamed& named, int firstNode, int after)
{
    for (const TFlowEntry& event : named.Events)
        Graph_.Entries.push_back({event.Node + firstNode, event.Kind});
    for (const auto& [name, n] : named.Labels)
        Labels_.emplace_back(name, n + firstNode);
    for (const TFlowPart::TJump& jump : named.Jumps)
        Pending_.push_back({jump.From + firstNode, jump.Jump, jump.Target, jump.Label, jump.Edge});
    for (const auto& [fn, number] : named.FunctionBodies)
        FunctionBodies_.emplace_back(fn, after - number);
    Graph_.LocalFunctions.insert(named.LocalFunctions.begin(), named.LocalFunctions.end());
}

// Lays the edges out node after node, each node's in the order they were linked.
void TGraphBuilder::StoreEdges()
{
    std::vector<std::size_t> start(Graph_.Nodes.size() + 1, 0);
    for (const auto& [from, to] : Edges_)
        ++start[static_cast<std::size_t>(from) + 1];
    for (std::size_t i = 1; i < start.size(); ++i)
        start[i] += start[i - 1];
    Graph_.Targets.resize(Edges_.size());
    std::vector<std::size_t> filled(start.begin(), start.end() - 1);
    for (const auto& [from, to] : Edges_)
        Graph_.Targets[filled[static_cast<std::size_t>(from)]++] = to;
    // The graph's traits are gathered on the same pass over the nodes.
    for (std::size_t i = 0; i < Graph_.Nodes.size(); ++i) {
        Graph_.Nodes[i].Next = std::span<const int>(Graph_.Targets).subspan(start[i], start[i + 1] - start[i]);
        Graph_.Traits |= Graph_.Nodes[i].Traits;
        if ((Graph_.Nodes[i].Traits & WarnedTraits) || static_cast<int>(i) == Graph_.BodyEnd)
            Graph_.Warned.push_back(static_cast<int>(i));
    }
}

// The statements are built last to first: each goes on to the first node of the one after it.
int TGraphBuilder::Sequence(const TStmt& block, int next, int number)
{
    std::vector<int> numbers;
    numbers.reserve(block.Children.size());
    ForEachInner(block, number, Graph_.Sizes, [&](const TStmt&, int at) { numbers.push_back(at); });
    for (std::size_t i = block.Children.size(); i-- > 0;)
        next = Statement(*block.Children[i], next, numbers[i]);
    return next;
}

int TGraphBuilder::Statement(const TStmt& s, int next, int number)
{
    switch (s.Kind) {
    case TStmtKind::Block: return Sequence(s, next, number);
    case TStmtKind::Command: next = Command(s, next); break;
    case TStmtKind::If: next = Conditional(s, next, number); break;
    case TStmtKind::While:
    case TStmtKind::Do:
    case TStmtKind::For: next = Loop(s, next, number); break;
    case TStmtKind::Switch: next = Switch(s, next, number); break;
    default: next = Plain(s, next, number); break;
    }
    Graph_.FirstNodes[static_cast<std::size_t>(number)] = next;
    return next;
}

int TGraphBuilder::Plain(const TStmt& s, int next, int number)
{
    const int n = Add(&s, TNodeRole::Plain);
    const TJumpContext* inner = Jumps_.empty() ? nullptr : &Jumps_.back();
    switch (s.Kind) {
    case TStmtKind::Label:
        Labels_.emplace_back(Keep(LowerCase(s.Name)), n);  // a second definition is a load error anyway
        if (IsEventLabel(s.Name))
            Graph_.Entries.push_back({n, TEntryKind::Event});
        break;
    case TStmtKind::Break:
    case TStmtKind::Continue: {
        // Innermost loop or switch for break; innermost loop for continue.
        int to = -1;
        for (auto it = Jumps_.rbegin(); it != Jumps_.rend() && to < 0; ++it)
            to = s.Kind == TStmtKind::Break ? it->Break : it->Continue;
        if (to >= 0)
            Link(n, to);
        return n;
    }
    case TStmtKind::Case:
    case TStmtKind::Default:
        if (inner && inner->Cases) {
            inner->Cases->push_back(n);
            if (s.Kind == TStmtKind::Default)
                *inner->HasDefault = true;
        }
        break;
    case TStmtKind::Function:
        if (s.Then) {
            FunctionBodies_.emplace_back(&s, number);
            Graph_.LocalFunctions.insert(LowerCase(s.Name));
        }
        break;
    default: break;
    }
    Link(n, next);
    return n;
}

int TGraphBuilder::Command(const TStmt& s, int next)
{
    const int n = Add(&s, TNodeRole::Plain);
    auto arg = [&](std::size_t i) { return i < s.Args.size() ? s.Args[i].get() : nullptr; };
    if (IsCommand(s, "goto")) {
        Target(n, s, arg(0), true);
    } else if (IsCommand(s, "menu")) {
        for (std::size_t i = 1; i < s.Args.size(); i += 2) {
            if (s.Args[i]->Kind == TExprKind::NextLine)
                Link(n, next);
            else
                Target(n, s, s.Args[i].get(), true);
        }
    } else if (IsCommand(s, "jump_zero")) {
        Target(n, s, arg(1), true);
        Link(n, next);
    } else if (IsCommand(s, "callsub")) {
        Target(n, s, arg(0), false);
        Link(n, next);
    } else if (!IsCommand(s, "end") && !IsCommand(s, "close") && !IsCommand(s, "return")) {
        Link(n, next);
    }
    return n;
}

void TGraphBuilder::Target(int from, const TStmt& jump, const TExpr* target, bool edge)
{
    if (!target)
        return;
    const bool named = target->Kind == TExprKind::Identifier && target->Args.empty();
    Pending_.push_back({from, &jump, target, named ? Keep(LowerCase(target->Text)) : std::string_view(), edge});
}

void TGraphBuilder::Branch(int test, std::optional<bool> truth, int whenTrue, int whenFalse)
{
    if (truth != false)
        Link(test, whenTrue);
    if (truth != true)
        Link(test, whenFalse);
    if (!truth) {
        Graph_.Nodes[test].OnTrue = whenTrue;
        Graph_.Nodes[test].OnFalse = whenFalse;
    }
}

int TGraphBuilder::Conditional(const TStmt& s, int next, int number)
{
    const int n = Add(&s, TNodeRole::Test);
    const TInner inner = Inner(s, number);
    const int thenFirst = Statement(*s.Then, next, inner.Then);
    const int elseFirst = s.Else ? Statement(*s.Else, next, inner.Else) : next;
    Branch(n, ConstantTruth(s.Cond.get()), thenFirst, elseFirst);
    return n;
}

int TGraphBuilder::Loop(const TStmt& s, int next, int number)
{
    const int test = Add(&s, TNodeRole::Test);
    const TInner inner = Inner(s, number);
    const int step = s.Kind == TStmtKind::For && s.Step ? Statement(*s.Step, test, inner.Step) : test;
    Jumps_.push_back({next, step, nullptr, nullptr});
    const int body = Statement(*s.Then, step, inner.Then);
    Jumps_.pop_back();
    // A `for` without a condition loops until something inside leaves it.
    const std::optional<bool> truth = s.Kind == TStmtKind::For && !s.Cond ? std::optional<bool>(true)
                                                                          : ConstantTruth(s.Cond.get());
    Branch(test, truth, body, next);
    if (s.Kind == TStmtKind::Do)
        return body;
    if (s.Kind == TStmtKind::For && s.Init)
        return Statement(*s.Init, test, inner.Init);
    return test;
}

int TGraphBuilder::Switch(const TStmt& s, int next, int number)
{
    const int n = Add(&s, TNodeRole::Test);
    std::vector<int> cases;
    bool hasDefault = false;
    const int outerContinue = Jumps_.empty() ? -1 : Jumps_.back().Continue;
    Jumps_.push_back({next, outerContinue, &cases, &hasDefault});
    Statement(*s.Then, next, Inner(s, number).Then);
    Jumps_.pop_back();
    std::vector<const TStmt*> caseStmts;
    for (const int c : cases) {
        Link(n, c);
        caseStmts.push_back(Graph_.Nodes[c].Stmt);
        if (Graph_.Nodes[c].Stmt->Kind == TStmtKind::Default)
            Graph_.Nodes[n].OnFalse = c;
    }
    if (!hasDefault && SwitchFallsThrough(s, caseStmts)) {
        Link(n, next);
        Graph_.Nodes[n].OnFalse = next;
    }
    return n;
}

// Labels and functions are known only once the whole body is read: jumps go both ways.
void TGraphBuilder::Resolve()
{
    const TLabelTable labels(Labels_);
    for (const TPending& p : Pending_) {
        std::optional<int> to;
        if (!p.Label.empty()) {
            if (const int label = labels.Node(p.Label); label >= 0)
                to = label;
            else if (auto fn = p.Edge ? Functions_.end() : Functions_.find(std::string(p.Label)); fn != Functions_.end())
                to = fn->second;
        }
        if (!to)
            Graph_.Missing.push_back({p.Jump, p.Target});
        else if (p.Edge)
            Link(p.From, *to);
        else
            Graph_.Entries.push_back({*to, TEntryKind::Called});
    }
}

} // namespace

std::optional<std::vector<std::int64_t>> ChoiceValues(const TExpr& value)
{
    if (IsCall(value, "select"))
        return SelectableOptions(value);
    if (IsCall(value, "rand"))
        return RandomRange(value);
    return std::nullopt;
}

TFlowPart BuildFlowPart(const TStmt& stmt)
{
    return TGraphBuilder(false).BuildPart(stmt);
}

TFlowGraph JoinFlowParts(const TStmt& body, bool isFunction, std::span<const TFlowPart> parts)
{
    return TGraphBuilder(isFunction).Join(body, parts);
}

TFlowGraph BuildFlowGraph(const TStmt& body, bool isFunction)
{
    return TGraphBuilder(isFunction).Build(body);
}

std::vector<bool> ReachableNodes(const TFlowGraph& graph)
{
    std::vector<bool> reached(graph.Nodes.size(), false);
    std::vector<int> work;
    for (const TFlowEntry& entry : graph.Entries)
        work.push_back(entry.Node);
    while (!work.empty()) {
        const int node = work.back();
        work.pop_back();
        if (reached[node])
            continue;
        reached[node] = true;
        for (const int next : graph.Nodes[node].Next)
            work.push_back(next);
    }
    return reached;
}

} // namespace script
