#include "import/ImportMatch.h"

#include "import/ImportCode.h"

#include "catalogue/Catalogues.h"
#include "script/PlayProgram.h"

#include <array>
#include <limits>

using script::TExpr;
using script::TExprKind;
using script::TStmt;
using script::TStmtKind;

namespace {

bool IsCommand(const TStmt& s, const char* name, std::size_t args)
{
    return s.Kind == TStmtKind::Command && s.Name == name && s.Args.size() == args;
}

// A whole number as the writer prints it: a literal, or a minus before one.
std::optional<std::int32_t> IntLiteral(const TExpr& e)
{
    std::int64_t value = 0;
    if (e.Kind == TExprKind::Number)
        value = e.Value;
    else if (e.Kind == TExprKind::Unary && e.Op == "-" && e.Args.size() == 1 && e.Args[0]->Kind == TExprKind::Number)
        value = -e.Args[0]->Value;
    else
        return std::nullopt;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

bool IsPlainIdentifier(const TExpr& e)
{
    return e.Kind == TExprKind::Identifier && e.Args.empty();
}

// The catalogue's position of the map the literal names, as the server finds it (-1 when the
// catalogue lacks it); the action keeps the literal itself as its map name (MapNameOf).
std::optional<std::int32_t> MapParam(const TMatchContext& ctx, const TExpr& e)
{
    const auto raw = RawString(ctx, e);
    if (!raw || e.Text != *raw || raw->empty())
        return std::nullopt;
    return ctx.Catalogues.IndexOfMap(ctx.Catalogues.FindMapNamed(*raw));
}

std::optional<std::int32_t> ParamValue(const TMatchContext& ctx, ParamTypes kind, const TExpr& e)
{
    switch (kind) {
    case PT_Group: return GroupOf(ctx, e);
    case PT_Map: return MapParam(ctx, e);
    default: return IntLiteral(e);
    }
}

std::unique_ptr<TActionTask> MakeAction(const TMatchContext& ctx, const TDAction* action,
                                        const std::vector<std::int32_t>& values)
{
    auto task = std::make_unique<TActionTask>(action->Caption, action);
    for (std::size_t i = 0; i < values.size(); ++i)
        task->SetParam(static_cast<int>(i), values[i]);
    task->Caption = ActionCaption(*task, ctx.Catalogues);
    return task;
}

// `set Zeny, Zeny - 10;` and the other five forms on Zeny, BaseLevel and JobLevel.
std::unique_ptr<TActionTask> MatchSetAction(const TMatchContext& ctx, const TStmt& s)
{
    if (!IsCommand(s, "set", 2) || !IsPlainIdentifier(*s.Args[0]))
        return nullptr;
    const TExpr& value = *s.Args[1];
    if (value.Kind != TExprKind::Binary || (value.Op != "+" && value.Op != "-") || !IsPlainIdentifier(*value.Args[0]))
        return nullptr;
    const std::string name = script::LowerCase(s.Args[0]->Text);
    if (script::LowerCase(value.Args[0]->Text) != name)
        return nullptr;
    const auto amount = IntLiteral(*value.Args[1]);
    if (!amount)
        return nullptr;
    for (const char* param : {"Zeny", "BaseLevel", "JobLevel"}) {
        if (script::LowerCase(param) != name)
            continue;
        const std::string command = std::string("set ") + param + ", " + param + " " + value.Op;
        for (const TDAction& action : Actions())
            if (action.IsStatement && action.Command == command)
                return MakeAction(ctx, &action, {*amount});
    }
    return nullptr;
}

// Comparison operators in the order of the condition kinds 0 to 5.
constexpr std::array<const char*, 6> ComparisonOps = {"==", "!=", ">=", "<=", ">", "<"};

std::unique_ptr<TConCheck> MatchComparison(const TMatchContext& ctx, const TExpr& e)
{
    if (e.Kind != TExprKind::Binary)
        return nullptr;
    int kind = -1;
    for (std::size_t i = 0; i < ComparisonOps.size(); ++i)
        if (e.Op == ComparisonOps[i])
            kind = static_cast<int>(i);
    const auto value = kind >= 0 ? IntLiteral(*e.Args[1]) : std::nullopt;
    if (!value)
        return nullptr;
    auto check = std::make_unique<TConCheck>();
    check->Kind = kind;
    check->Value = *value;
    const TExpr& left = *e.Args[0];
    if (IsPlainIdentifier(left)) {
        // Character parameters are found in any case by the server.
        for (const TVariable& variable : ScriptVariables())
            if (script::LowerCase(variable.Name) == script::LowerCase(left.Text))
                check->Variable = &variable;
        return check->Variable ? std::move(check) : nullptr;
    }
    if (left.Kind != TExprKind::Call)
        return nullptr;
    for (const TDAction& action : Actions()) {
        if (action.IsStatement || action.Command != left.Text ||
            left.Args.size() != static_cast<std::size_t>(action.ParamCount()))
            continue;
        std::vector<std::int32_t> values;
        for (const auto& arg : left.Args) {
            const auto v = IntLiteral(*arg);
            if (!v)
                return nullptr;
            values.push_back(*v);
        }
        check->ValueAction = MakeAction(ctx, &action, values);
        check->ValueAction->Caption = action.Caption;
        return check;
    }
    return nullptr;
}

// The writer joins comparisons flat, so only trees that the server's precedence reads back the
// same way qualify: an OR of ANDs of comparisons.
bool FlattenChecks(const TMatchContext& ctx, const TExpr& e, bool insideAnd, TConTask& task)
{
    const bool isOr = e.Kind == TExprKind::Binary && e.Op == "||";
    const bool isAnd = e.Kind == TExprKind::Binary && e.Op == "&&";
    if (isOr && insideAnd)
        return false;
    if (isOr || isAnd) {
        if (!FlattenChecks(ctx, *e.Args[0], isAnd, task))
            return false;
        auto joiner = std::make_unique<TConCheck>();
        joiner->Kind = isOr ? ConOr : ConAnd;
        task.AddCheck(std::move(joiner));
        return FlattenChecks(ctx, *e.Args[1], isAnd, task);
    }
    auto check = MatchComparison(ctx, e);
    if (!check)
        return false;
    task.AddCheck(std::move(check));
    return true;
}

} // namespace

std::string ActionCaption(const TActionTask& task, const TCatalogues& catalogues)
{
    return "Action: " + task.ActionText(true, catalogues);
}

std::optional<std::string> RawString(const TMatchContext& ctx, const TExpr& e)
{
    const std::size_t begin = e.Range.Begin.Offset, end = e.Range.End.Offset;
    if (e.Kind != TExprKind::String || end < begin + 2 || end > ctx.Text.size() || ctx.Text[begin] != '"' ||
        ctx.Text[end - 1] != '"')
        return std::nullopt;
    std::string raw = ctx.Text.substr(begin + 1, end - begin - 2);
    if (raw.find_first_of("\r\n") != std::string::npos)
        return std::nullopt;
    return raw;
}

std::optional<std::int32_t> GroupOf(const TMatchContext& ctx, const TExpr& e)
{
    if (!IsPlainIdentifier(e))
        return std::nullopt;
    const auto found = ctx.Groups.find(script::LowerCase(e.Text));
    if (found == ctx.Groups.end())
        return std::nullopt;
    return found->second;
}

std::optional<std::string> MatchMes(const TMatchContext& ctx, const TStmt& s)
{
    if (!IsCommand(s, "mes", 1))
        return std::nullopt;
    return RawString(ctx, *s.Args[0]);
}

std::unique_ptr<TActionTask> MatchAction(const TMatchContext& ctx, const TStmt& s)
{
    if (s.Kind != TStmtKind::Command)
        return nullptr;
    if (s.Name == "set")
        return MatchSetAction(ctx, s);
    const TDAction* action = FindAction(s.Name);
    if (!action || !action->IsStatement || s.Args.size() != static_cast<std::size_t>(action->ParamCount()))
        return nullptr;
    std::vector<std::int32_t> values;
    for (int i = 0; i < action->ParamCount(); ++i) {
        const auto value = ParamValue(ctx, action->ParamKind(i), *s.Args[static_cast<std::size_t>(i)]);
        if (!value)
            return nullptr;
        values.push_back(*value);
    }
    auto task = MakeAction(ctx, action, values);
    for (int i = 0; i < action->ParamCount(); ++i)
        if (action->ParamKind(i) == PT_Map)
            task->MapName = *RawString(ctx, *s.Args[static_cast<std::size_t>(i)]);
    // The catalogue's own spelling needs no name of its own (the project stays version 258).
    if (!task->NeedsExtendedFormat(ctx.Catalogues))
        task->MapName.clear();
    task->Caption = ActionCaption(*task, ctx.Catalogues);
    return task;
}

std::unique_ptr<TConTask> MatchCondition(const TMatchContext& ctx, const TStmt& s)
{
    if (s.Kind != TStmtKind::If || s.Else || !s.Then || !s.Cond)
        return nullptr;
    const TStmt* jump = s.Then.get();
    if (jump->Kind == TStmtKind::Block && jump->Children.size() == 1)
        jump = jump->Children.front().get();
    if (!IsCommand(*jump, "goto", 1))
        return nullptr;
    const auto target = GroupOf(ctx, *jump->Args[0]);
    if (!target)
        return nullptr;
    auto checks = MatchChecks(ctx, *s.Cond);
    if (!checks)
        return nullptr;
    auto task = std::make_unique<TConTask>();
    task->Target = *target;
    task->Checks = std::move(*checks);
    task->Caption = "Condition: " + task->SummaryText(ctx.Catalogues);
    return task;
}

std::optional<TConChecks> MatchComparisons(const TMatchContext& ctx, const TExpr& cond)
{
    TConTask task;
    if (!FlattenChecks(ctx, cond, false, task))
        return std::nullopt;
    return std::move(task.Checks);
}

std::optional<TMenuMatch> MatchMenu(const TMatchContext& ctx, const TStmt& s, std::int32_t nextGroup)
{
    if (s.Kind != TStmtKind::Command || s.Name != "menu" || s.Args.empty() || s.Args.size() % 2 != 0)
        return std::nullopt;
    TMenuMatch match{std::make_unique<TMenuTask>(), false};
    for (std::size_t i = 0; i < s.Args.size(); i += 2) {
        const auto text = RawString(ctx, *s.Args[i]);
        // An empty option is a trick of hand-written menus the menu editor cannot hold.
        if (!text || text->empty())
            return std::nullopt;
        std::optional<std::int32_t> target;
        if (s.Args[i + 1]->Kind == TExprKind::NextLine) {
            target = nextGroup;
            match.FallsThrough = true;
        } else {
            target = GroupOf(ctx, *s.Args[i + 1]);
        }
        if (!target)
            return std::nullopt;
        match.Task->AddEntry(std::make_unique<TDMenu>(*text, *target));
    }
    match.Task->Caption = "Menu: " + match.Task->SummaryText();
    return match;
}
