#include "script/FlowGraph.h"

#include "script/Text.h"

#include <algorithm>
#include <functional>
#include <optional>
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

class TGraphBuilder {
public:
    explicit TGraphBuilder(bool isFunction) { Graph_.IsFunction = isFunction; }
    TFlowGraph Build(const TStmt& body);

private:
    struct TJumpContext {
        int Break = -1;
        int Continue = -1;
        std::vector<int>* Cases = nullptr;  // a switch collects its case labels here
        bool* HasDefault = nullptr;
    };
    struct TPending {
        int From;
        const TStmt* Jump;
        const TExpr* Target;
        bool Edge;  // false: callsub, which enters the target and comes back
    };

    int Add(const TStmt* stmt, TNodeRole role)
    {
        Graph_.Nodes.push_back({stmt, role, {}});
        return static_cast<int>(Graph_.Nodes.size()) - 1;
    }
    void Link(int from, int to) { Edges_.emplace_back(from, to); }
    void StoreEdges();
    void Branch(int test, std::optional<bool> truth, int whenTrue, int whenFalse);
    int Statement(const TStmt& s, int next);
    int Sequence(const std::vector<std::unique_ptr<TStmt>>& children, int next);
    int Command(const TStmt& s, int next);
    int Conditional(const TStmt& s, int next);
    int Loop(const TStmt& s, int next);
    int Switch(const TStmt& s, int next);
    int Plain(const TStmt& s, int next);
    void Target(int from, const TStmt& jump, const TExpr* target, bool edge);
    void Resolve();

    TFlowGraph Graph_;
    std::vector<TJumpContext> Jumps_;
    std::vector<TPending> Pending_;
    std::vector<std::pair<int, int>> Edges_;  // from, to: in the order they were linked
    std::unordered_map<std::string, int> Labels_;
    std::unordered_map<std::string, int> Functions_;
    std::vector<const TStmt*> FunctionBodies_;
};

// Statements in s and below it: the graph has about one node for each, made room for at once
// (a large NPC has tens of thousands).
std::size_t CountStatements(const TStmt& s)
{
    std::size_t count = 1;
    for (const auto& child : s.Children)
        count += CountStatements(*child);
    for (const TStmt* inner : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
        if (inner)
            count += CountStatements(*inner);
    return count;
}

TFlowGraph TGraphBuilder::Build(const TStmt& body)
{
    const std::size_t statements = CountStatements(body);
    Graph_.Nodes.reserve(statements + 1);
    Edges_.reserve(statements + 1);
    Graph_.FirstNodes.reserve(statements);
    const int end = Add(&body, TNodeRole::BodyEnd);
    Graph_.BodyEnd = end;
    const int start = Statement(body, end);
    Graph_.Entries.push_back({start, Graph_.IsFunction ? TEntryKind::Called : TEntryKind::Start});
    // Local function bodies are jumped over where they are written and run when called.
    for (std::size_t i = 0; i < FunctionBodies_.size(); ++i) {
        const TStmt& fn = *FunctionBodies_[i];
        const int fnEnd = Add(fn.Then.get(), TNodeRole::BodyEnd);
        const int fnStart = Statement(*fn.Then, fnEnd);
        Functions_.emplace(LowerCase(fn.Name), fnStart);
        Graph_.Entries.push_back({fnStart, TEntryKind::Called});
    }
    Resolve();
    StoreEdges();
    std::sort(Graph_.FirstNodes.begin(), Graph_.FirstNodes.end(),
              [](const auto& a, const auto& b) { return std::less<const TStmt*>()(a.first, b.first); });
    return std::move(Graph_);
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
    for (std::size_t i = 0; i < Graph_.Nodes.size(); ++i)
        Graph_.Nodes[i].Next = std::span<const int>(Graph_.Targets).subspan(start[i], start[i + 1] - start[i]);
}

int TGraphBuilder::Sequence(const std::vector<std::unique_ptr<TStmt>>& children, int next)
{
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        next = Statement(**it, next);
    return next;
}

int TGraphBuilder::Statement(const TStmt& s, int next)
{
    int first = next;
    switch (s.Kind) {
    case TStmtKind::Block: first = Sequence(s.Children, next); break;
    case TStmtKind::Command: first = Command(s, next); break;
    case TStmtKind::If: first = Conditional(s, next); break;
    case TStmtKind::While:
    case TStmtKind::Do:
    case TStmtKind::For: first = Loop(s, next); break;
    case TStmtKind::Switch: first = Switch(s, next); break;
    default: first = Plain(s, next); break;
    }
    Graph_.FirstNodes.emplace_back(&s, first);
    return first;
}

int TGraphBuilder::Plain(const TStmt& s, int next)
{
    const int n = Add(&s, TNodeRole::Plain);
    const TJumpContext* inner = Jumps_.empty() ? nullptr : &Jumps_.back();
    switch (s.Kind) {
    case TStmtKind::Label:
        Labels_.emplace(LowerCase(s.Name), n);  // a second definition is a load error anyway
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
            FunctionBodies_.push_back(&s);
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
    if (target)
        Pending_.push_back({from, &jump, target, edge});
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

int TGraphBuilder::Conditional(const TStmt& s, int next)
{
    const int n = Add(&s, TNodeRole::Test);
    const int thenFirst = Statement(*s.Then, next);
    const int elseFirst = s.Else ? Statement(*s.Else, next) : next;
    Branch(n, ConstantTruth(s.Cond.get()), thenFirst, elseFirst);
    return n;
}

int TGraphBuilder::Loop(const TStmt& s, int next)
{
    const int test = Add(&s, TNodeRole::Test);
    const int step = s.Kind == TStmtKind::For && s.Step ? Statement(*s.Step, test) : test;
    Jumps_.push_back({next, step, nullptr, nullptr});
    const int body = Statement(*s.Then, step);
    Jumps_.pop_back();
    // A `for` without a condition loops until something inside leaves it.
    const std::optional<bool> truth = s.Kind == TStmtKind::For && !s.Cond ? std::optional<bool>(true)
                                                                          : ConstantTruth(s.Cond.get());
    Branch(test, truth, body, next);
    if (s.Kind == TStmtKind::Do)
        return body;
    if (s.Kind == TStmtKind::For && s.Init)
        return Statement(*s.Init, test);
    return test;
}

int TGraphBuilder::Switch(const TStmt& s, int next)
{
    const int n = Add(&s, TNodeRole::Test);
    std::vector<int> cases;
    bool hasDefault = false;
    const int outerContinue = Jumps_.empty() ? -1 : Jumps_.back().Continue;
    Jumps_.push_back({next, outerContinue, &cases, &hasDefault});
    Statement(*s.Then, next);
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
    for (const TPending& p : Pending_) {
        std::optional<int> to;
        if (p.Target->Kind == TExprKind::Identifier && p.Target->Args.empty()) {
            const std::string name = LowerCase(p.Target->Text);
            if (auto it = Labels_.find(name); it != Labels_.end())
                to = it->second;
            else if (auto fn = Functions_.find(name); fn != Functions_.end() && !p.Edge)
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

TFlowGraph BuildFlowGraph(const TStmt& body, bool isFunction)
{
    return TGraphBuilder(isFunction).Build(body);
}

int TFlowGraph::FirstNodeOf(const TStmt& stmt) const
{
    const auto it = std::lower_bound(FirstNodes.begin(), FirstNodes.end(), &stmt,
                                     [](const auto& entry, const TStmt* s) { return std::less<const TStmt*>()(entry.first, s); });
    return it != FirstNodes.end() && it->first == &stmt ? it->second : -1;
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
