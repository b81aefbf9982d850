#include "script/FlowValues.h"

#include "script/FlowState.h"

#include <algorithm>

namespace script {
namespace {

bool IsPlainVariable(const TExpr& e)
{
    return e.Kind == TExprKind::Identifier && e.Args.empty();
}

// The variables whose values decide a test: named alone, negated, compared or joined by && and ||.
// see returns whether it has seen enough: then true, and no more are shown.
template <class TSee>
bool ForEachTested(const TExpr& e, const TSee& see)
{
    if (IsPlainVariable(e))
        return see(e.Text);
    if (e.Kind == TExprKind::Unary && e.Op == "!")
        return ForEachTested(*e.Args[0], see);
    if (e.Kind == TExprKind::Binary && (e.Op == "&&" || e.Op == "||" || IsComparison(e.Op)))
        return ForEachTested(*e.Args[0], see) || ForEachTested(*e.Args[1], see);
    return false;
}

} // namespace

std::optional<std::pair<const TExpr*, const TExpr*>> SimpleAssignment(const TStmt& s)
{
    if (IsCommand(s, "set") && s.Args.size() == 2 && IsPlainVariable(*s.Args[0]))
        return std::make_pair(s.Args[0].get(), s.Args[1].get());
    if (s.Kind == TStmtKind::Assign && s.Expr && s.Expr->Kind == TExprKind::Assign && s.Expr->Op == "=" &&
        IsPlainVariable(*s.Expr->Args[0]))
        return std::make_pair(s.Expr->Args[0].get(), s.Expr->Args[1].get());
    return std::nullopt;
}

bool IsNumberOrChoice(const TExpr& value)
{
    return value.Kind == TExprKind::Number || ChoiceValues(value).has_value();
}

bool TestsAnyVariable(const TExpr& cond)
{
    return ForEachTested(cond, [](std::string_view) { return true; });
}

TTrackedValues::TTrackedValues(const TFlowGraph& graph) : Graph_(graph)
{
    // A body that never sets a variable to a number, or never tests one, follows none: most do
    // not, and the nodes' traits tell it without a look at their statements.
    if (!(graph.Traits & SetsNumber) || !(graph.Traits & TestsVariable))
        return;
    // The names as written, compared without regard to case: a large NPC tests and sets
    // thousands of variables, and a lower-case copy of each cost more than the rest.
    std::vector<std::string_view> tested;
    std::vector<std::string_view> numbered;
    for (const TFlowNode& node : graph.Nodes) {
        if (node.Traits & TestsVariable)
            ForEachTested(*node.Stmt->Cond, [&tested](std::string_view name) {
                tested.push_back(name);
                return false;
            });
        else if (node.Traits & SetsNumber)
            numbered.push_back(SimpleAssignment(*node.Stmt)->first->Text);
    }
    const auto before = [](std::string_view a, std::string_view b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) { return LowerLetter(x) < LowerLetter(y); });
    };
    std::sort(numbered.begin(), numbered.end(), before);
    for (const std::string_view name : tested) {
        if (Names_.size() == MaxTracked)
            break;
        const bool setToNumber = std::binary_search(numbered.begin(), numbered.end(), name, before);
        if (setToNumber && std::none_of(Names_.begin(), Names_.end(), [&](const std::string& n) { return SameLetters(n, name); }))
            Names_.push_back(LowerCase(name));
    }
}

TTrackedValues::TValues TTrackedValues::AllUnknown()
{
    TValues values;
    values.fill(Unknown);
    return values;
}

int TTrackedValues::Index(const TExpr& e) const
{
    if (!IsPlainVariable(e) || Names_.empty())
        return -1;
    const auto it = std::find(Names_.begin(), Names_.end(), LowerCase(e.Text));
    return it == Names_.end() ? -1 : static_cast<int>(it - Names_.begin());
}

std::optional<std::int64_t> TTrackedValues::Value(const TExpr& e, const TValues& values) const
{
    if (e.Kind == TExprKind::Number)
        return e.Value;
    if (e.Kind == TExprKind::Unary && e.Op == "-")
        if (const auto v = Value(*e.Args[0], values); v && *v != Unknown)
            return -*v;
    const int i = Index(e);
    if (i >= 0 && values[i] != Unknown)
        return values[i];
    return std::nullopt;
}

std::optional<bool> TTrackedValues::Truth(const TExpr& e, const TValues& values) const
{
    if (e.Kind == TExprKind::Unary && e.Op == "!") {
        const auto inner = Truth(*e.Args[0], values);
        return inner ? std::optional<bool>(!*inner) : std::nullopt;
    }
    if (e.Kind == TExprKind::Binary && (e.Op == "&&" || e.Op == "||")) {
        const auto left = Truth(*e.Args[0], values), right = Truth(*e.Args[1], values);
        const bool decider = e.Op == "||";  // the value that settles the whole test
        if (left == decider || right == decider)
            return decider;
        if (left && right)
            return !decider;
        return std::nullopt;
    }
    if (e.Kind == TExprKind::Binary && IsComparison(e.Op)) {
        const auto a = Value(*e.Args[0], values), b = Value(*e.Args[1], values);
        if (!a || !b)
            return std::nullopt;
        const std::string& op = e.Op;
        return op == "==" ? *a == *b : op == "!=" ? *a != *b : op == "<" ? *a < *b
             : op == "<=" ? *a <= *b : op == ">" ? *a > *b : *a >= *b;
    }
    if (const auto v = Value(e, values))
        return *v != 0;
    return std::nullopt;
}

void TTrackedValues::Assign(const TExpr& target, const TExpr* value, std::vector<TValues>& out) const
{
    const int i = Index(target);
    if (i < 0)
        return;
    std::vector<std::int64_t> choices{Unknown};
    if (value) {
        if (const auto v = Value(*value, out.front()))
            choices = {*v};
        else if (const auto c = ChoiceValues(*value))
            choices = *c;
    }
    std::vector<TValues> forked;
    for (const TValues& values : out)
        for (const std::int64_t choice : choices) {
            forked.push_back(values);
            forked.back()[i] = choice;
        }
    out = std::move(forked);
}

std::vector<TTrackedValues::TValues> TTrackedValues::After(const TFlowNode& node, const TValues& before) const
{
    std::vector<TValues> out{before};
    if (Names_.empty() || node.Role != TNodeRole::Plain)
        return out;
    const TStmt& s = *node.Stmt;
    // Called code may change every variable but the caller's own `.@` ones.
    if (RunsOtherCode(node, Graph_))
        for (std::size_t i = 0; i < Names_.size(); ++i)
            if (Names_[i].rfind(".@", 0) != 0)
                out.front()[i] = Unknown;
    if (const auto assignment = SimpleAssignment(s)) {
        Assign(*assignment->first, assignment->second, out);
    } else if (s.Kind == TStmtKind::Assign && s.Expr && !s.Expr->Args.empty()) {
        Assign(*s.Expr->Args[0], nullptr, out);  // `+=`, `++` and the like: no longer followed
    } else if (s.Kind == TStmtKind::Command) {
        // A command may write any variable passed to it (`input .@n;`).
        for (const auto& arg : s.Args)
            Assign(*arg, nullptr, out);
    }
    return out;
}

std::vector<int> TTrackedValues::Ways(const TFlowNode& node, const TValues& values) const
{
    const auto all = [&node] { return std::vector<int>(node.Next.begin(), node.Next.end()); };
    if (node.Role != TNodeRole::Test || Names_.empty() || !node.Stmt->Cond)
        return all();
    const TExpr& cond = *node.Stmt->Cond;
    if (node.Stmt->Kind == TStmtKind::Switch) {
        const auto v = Value(cond, values);
        if (!v)
            return all();
        std::vector<int> ways;
        for (const int next : node.Next) {
            const TStmt& c = *Graph_.Nodes[next].Stmt;
            if (c.Kind != TStmtKind::Case || next == node.OnFalse)
                continue;
            if (!c.Cond || c.Cond->Kind != TExprKind::Number)
                return all();  // a case written as a constant: cannot tell
            if (c.Cond->Value == *v)
                ways.push_back(next);
        }
        if (ways.empty() && node.OnFalse >= 0)
            ways.push_back(node.OnFalse);
        return ways;
    }
    if (node.OnTrue < 0)
        return all();
    const auto truth = Truth(cond, values);
    if (!truth)
        return all();
    return {*truth ? node.OnTrue : node.OnFalse};
}

} // namespace script
