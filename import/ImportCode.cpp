#include "import/ImportCode.h"

#include "model/CodeTasks.h"

#include "script/PlayProgram.h"
#include "script/ServerRules.h"

#include <algorithm>
#include <cctype>

using script::TExpr;
using script::TExprKind;
using script::TStmt;
using script::TStmtKind;

namespace {

// Parentheses leave no node, so a range may start inside the parenthesis its expression opens
// with (`(a + b) * 2` begins at a) or end before the one it closes with: both are taken in.
std::optional<std::pair<std::size_t, std::size_t>> Balanced(const std::string& text, std::size_t begin, std::size_t end)
{
    int depth = 0, lowest = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < end && text[i] != '"'; ++i)
                if (text[i] == '\\')
                    ++i;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            lowest = std::min(lowest, --depth);
        }
    }
    for (int open = -lowest; open > 0; --open) {
        while (begin > 0 && std::isspace(static_cast<unsigned char>(text[begin - 1])))
            --begin;
        if (begin == 0 || text[begin - 1] != '(')
            return std::nullopt;
        --begin;
    }
    for (int close = depth - lowest; close > 0; --close) {
        while (end < text.size() && std::isspace(static_cast<unsigned char>(text[end])))
            ++end;
        if (end == text.size() || text[end] != ')')
            return std::nullopt;
        ++end;
    }
    return std::pair{begin, end};
}

// Runs of blanks that hold a line break become one blank: the task writes one line.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t run = text.find_first_not_of(" \t\r\n", i);
        const std::size_t stop = run == std::string::npos ? text.size() : run;
        const std::string blanks = text.substr(i, stop - i);
        line += blanks.find_first_of("\r\n") != std::string::npos ? std::string(" ") : blanks;
        if (stop == text.size())
            break;
        line += text[stop];
        i = stop + 1;
    }
    return line;
}

bool IsLabelArgument(const TMatchContext& ctx, const std::string& lower, std::size_t i)
{
    if (lower == "menu")
        return i % 2 == 1;
    const script::TCommandInfo* info = script::TServerRules::For(ctx.Target).FindCommand(lower);
    return info && i < info->Pattern.size() && info->Pattern[i] == 'l';
}

// The label a group argument is written as, when e names a group.
std::optional<std::string> LabelText(const TMatchContext& ctx, const TExpr& e)
{
    if (e.Kind != TExprKind::Identifier || !e.Args.empty() || !ctx.Labels)
        return std::nullopt;
    const auto found = ctx.Labels->find(script::LowerCase(e.Text));
    if (found == ctx.Labels->end())
        return std::nullopt;
    return found->second;
}

void CollectCallRefs(const TMatchContext& ctx, const std::string& name,
                     const std::vector<std::unique_ptr<TExpr>>& args, std::vector<TReplacement>& out)
{
    const std::string lower = script::LowerCase(name);
    for (std::size_t i = 0; i < args.size(); ++i)
        if (IsLabelArgument(ctx, lower, i))
            if (const auto label = LabelText(ctx, *args[i]))
                out.push_back({args[i]->Range.Begin.Offset, args[i]->Range.End.Offset, *label});
}

void CollectExprRefs(const TMatchContext& ctx, const TExpr& e, std::vector<TReplacement>& out)
{
    if (e.Kind == TExprKind::Call)
        CollectCallRefs(ctx, e.Text, e.Args, out);
    for (const auto& arg : e.Args)
        CollectExprRefs(ctx, *arg, out);
}

std::optional<std::vector<std::string>> ArgTexts(const TMatchContext& ctx, const TStmt& s, std::size_t from)
{
    std::vector<std::string> texts;
    const std::string lower = script::LowerCase(s.Name);
    for (std::size_t i = from; i < s.Args.size(); ++i) {
        const auto label = IsLabelArgument(ctx, lower, i) ? LabelText(ctx, *s.Args[i]) : std::nullopt;
        const auto text = label ? label : ExprText(ctx, *s.Args[i]);
        if (!text || text->empty())
            return std::nullopt;
        texts.push_back(*text);
    }
    return texts;
}

std::unique_ptr<TSetTask> MakeSet(const TMatchContext& ctx, const TExpr& target, std::string expression)
{
    if (target.Kind != TExprKind::Identifier || target.Args.size() > 1 || expression.empty())
        return nullptr;
    auto task = std::make_unique<TSetTask>();
    std::tie(task->Scope, task->Name) = SplitVariable(target.Text);
    if (!target.Args.empty()) {
        const auto index = ExprText(ctx, *target.Args[0]);
        if (!index)
            return nullptr;
        task->Index = *index;
    }
    task->Expression = std::move(expression);
    task->Caption = task->SummaryText();
    return task;
}

// Whether evaluating e may change something or give another value the next time (an increment,
// an assignment, a function's call such as rand).
bool MayChange(const TExpr& e)
{
    if (e.Kind == TExprKind::Assign || e.Kind == TExprKind::IncDec || e.Kind == TExprKind::Call)
        return true;
    return std::any_of(e.Args.begin(), e.Args.end(), [](const auto& arg) { return arg && MayChange(*arg); });
}

// `x = e`, `x += e`, `x++`: the value the variable gets, written out. `x += e` and `x++` name the
// variable twice once written out, so a target whose index may change stays as written.
std::unique_ptr<TSetTask> MatchAssign(const TMatchContext& ctx, const TExpr& e)
{
    if (e.Args.empty() || e.Args[0]->Kind != TExprKind::Identifier)
        return nullptr;
    if (!(e.Kind == TExprKind::Assign && e.Op == "=") &&
        std::any_of(e.Args[0]->Args.begin(), e.Args[0]->Args.end(), [](const auto& index) { return MayChange(*index); }))
        return nullptr;
    const auto variable = ExprText(ctx, *e.Args[0]);
    if (!variable)
        return nullptr;
    if (e.Kind == TExprKind::IncDec)
        return MakeSet(ctx, *e.Args[0], *variable + (e.Op == "++" ? " + 1" : " - 1"));
    if (e.Kind != TExprKind::Assign || e.Args.size() != 2)
        return nullptr;
    const auto value = ExprText(ctx, *e.Args[1]);
    if (!value)
        return nullptr;
    if (e.Op == "=")
        return MakeSet(ctx, *e.Args[0], *value);
    return MakeSet(ctx, *e.Args[0], *variable + " " + e.Op.substr(0, e.Op.size() - 1) + " (" + *value + ")");
}

std::unique_ptr<TCallTask> MatchCall(const TMatchContext& ctx, const TStmt& s, const std::string& lower)
{
    if (s.Args.empty())
        return nullptr;
    auto call = std::make_unique<TCallTask>();
    if (lower == "callfunc") {
        const auto name = RawString(ctx, *s.Args[0]);
        if (!name || *name != s.Args[0]->Text || name->empty())
            return nullptr;
        call->Function = *name;
    } else {
        const auto group = GroupOf(ctx, *s.Args[0]);
        if (!group)
            return nullptr;
        call->CallKind = TCallKind::Subroutine;
        call->TargetGroup = *group;
    }
    auto args = ArgTexts(ctx, s, 1);
    if (!args)
        return nullptr;
    call->Args = std::move(*args);
    call->Caption = call->SummaryText();
    if (call->CallKind == TCallKind::Subroutine)
        call->Caption = "Call subroutine " + LabelText(ctx, *s.Args[0]).value_or(s.Args[0]->Text) + "(" +
                        JoinArgs(call->Args) + ")";
    return call;
}

std::unique_ptr<TTask> Bare(TBareStatement statement)
{
    auto task = std::make_unique<TStatementTask>(statement);
    task->Caption = task->SummaryText();
    return task;
}

std::unique_ptr<TTask> MatchCommand(const TMatchContext& ctx, const TStmt& s)
{
    const std::string lower = script::LowerCase(s.Name);
    if (lower == "end" && s.Args.empty())
        return Bare(TBareStatement::End);
    if (lower == "return" && s.Args.empty())
        return Bare(TBareStatement::Return);
    if (lower == "set" && s.Args.size() == 2) {
        const auto value = ExprText(ctx, *s.Args[1]);
        return value ? MakeSet(ctx, *s.Args[0], *value) : nullptr;
    }
    if (lower == "callfunc" || lower == "callsub")
        if (auto call = MatchCall(ctx, s, lower))
            return call;
    if (!script::TServerRules::For(ctx.Target).FindCommand(lower) || !IsLabelText(s.Name))
        return nullptr;
    auto args = ArgTexts(ctx, s, 0);
    if (!args)
        return nullptr;
    auto task = std::make_unique<TCommandTask>(s.Name, std::move(*args));
    task->Caption = task->SummaryText();
    return task;
}

} // namespace

void CollectLabelRefs(const TMatchContext& ctx, const TStmt& s, std::vector<TReplacement>& out)
{
    if (s.Kind == TStmtKind::Command)
        CollectCallRefs(ctx, s.Name, s.Args, out);
    for (const auto& arg : s.Args)
        CollectExprRefs(ctx, *arg, out);
    for (const TExpr* e : {s.Expr.get(), s.Cond.get()})
        if (e)
            CollectExprRefs(ctx, *e, out);
    for (const TStmt* child : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
        if (child)
            CollectLabelRefs(ctx, *child, out);
    for (const auto& child : s.Children)
        CollectLabelRefs(ctx, *child, out);
}

std::string ApplyReplacements(const std::string& text, std::size_t begin, std::vector<TReplacement> refs)
{
    std::sort(refs.begin(), refs.end(), [](const auto& a, const auto& b) { return a.Begin > b.Begin; });
    std::string out = text;
    for (const TReplacement& r : refs)
        if (r.Begin >= begin && r.End - begin <= out.size())
            out.replace(r.Begin - begin, r.End - r.Begin, r.Text);
    return out;
}

std::optional<std::string> RangeText(const TMatchContext& ctx, std::size_t begin, std::size_t end,
                                     const std::vector<TReplacement>& refs)
{
    if (end < begin || end > ctx.Text.size())
        return std::nullopt;
    const auto range = Balanced(ctx.Text, begin, end);
    if (!range)
        return std::nullopt;
    if (ctx.Comments)
        for (const script::TComment* comment : *ctx.Comments)
            if (comment->Range.End.Offset > range->first && comment->Range.Begin.Offset < range->second)
                return std::nullopt;
    const std::string text = ctx.Text.substr(range->first, range->second - range->first);
    return OneLine(ApplyReplacements(text, range->first, refs));
}

std::optional<std::string> RangeText(const TMatchContext& ctx, std::size_t begin, std::size_t end)
{
    return RangeText(ctx, begin, end, {});
}

std::optional<std::string> ExprText(const TMatchContext& ctx, const TExpr& e)
{
    std::vector<TReplacement> refs;
    CollectExprRefs(ctx, e, refs);
    return RangeText(ctx, e.Range.Begin.Offset, e.Range.End.Offset, refs);
}

std::optional<std::tuple<std::string, std::string, std::string>> ForParts(const std::string& header)
{
    const std::size_t first = header.find_first_not_of(' '), last = header.find_last_not_of(' ');
    if (first == std::string::npos || header[first] != '(' || header[last] != ')')
        return std::nullopt;
    std::vector<std::string> parts(1);
    int depth = 0;
    for (std::size_t i = first + 1; i < last; ++i) {
        const char c = header[i];
        if (c == '"') {
            const std::size_t from = i;
            for (++i; i < last && header[i] != '"'; ++i)
                if (header[i] == '\\')
                    ++i;
            parts.back() += header.substr(from, i - from + 1);
            continue;
        }
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (c == ';' && depth == 0)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    if (parts.size() != 3)
        return std::nullopt;
    for (std::string& part : parts) {
        const std::size_t b = part.find_first_not_of(' '), e = part.find_last_not_of(' ');
        part = b == std::string::npos ? std::string() : part.substr(b, e - b + 1);
    }
    return std::tuple{parts[0], parts[1], parts[2]};
}

std::optional<TConChecks> MatchChecks(const TMatchContext& ctx, const TExpr& cond)
{
    if (auto checks = MatchComparisons(ctx, cond))
        return checks;
    const auto text = ExprText(ctx, cond);
    if (!text || text->empty())
        return std::nullopt;
    auto check = std::make_unique<TConCheck>();
    check->Kind = ConExpression;
    check->Expression = *text;
    TConChecks checks;
    checks.push_back(std::move(check));
    return checks;
}

std::unique_ptr<TTask> MatchCode(const TMatchContext& ctx, const TStmt& s)
{
    switch (s.Kind) {
    case TStmtKind::Assign: return s.Expr ? MatchAssign(ctx, *s.Expr) : nullptr;
    case TStmtKind::Break: return Bare(TBareStatement::Break);
    case TStmtKind::Continue: return Bare(TBareStatement::Continue);
    case TStmtKind::Command: return MatchCommand(ctx, s);
    default: return nullptr;
    }
}
