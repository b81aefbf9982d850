#include "script/PlayProgram.h"

#include "script/ServerRules.h"

namespace script {
namespace {

class TCompiler {
public:
    explicit TCompiler(TCodeUnit& unit) : Unit_(unit) {}
    void Statement(const TStmt& s);

private:
    struct TContext {
        bool Loop = false;
        int SwitchOp = -1;
        std::vector<int> Breaks = {};
        std::vector<int> Continues = {};
        std::vector<int> Mismatches = {};  // switch: jumps to the next case's test
        int Reset = -1;               // switch: the value's reset after the last case's test
        int Default = -1;             // switch: where the default's statements start
        bool SeenCase = false;
    };

    int Here() const { return static_cast<int>(Unit_.Ops.size()); }
    int Emit(TOpKind kind, const TStmt& s, const TExpr* cond = nullptr, int target = -1)
    {
        TOp op;
        op.Kind = kind;
        op.Stmt = &s;
        op.Cond = cond;
        op.Target = target;
        Unit_.Ops.push_back(std::move(op));
        return Here() - 1;
    }
    void Patch(int op, int target) { Unit_.Ops[static_cast<std::size_t>(op)].Target = target; }
    void Close(TContext& context, int continueAt, int breakAt)
    {
        for (int op : context.Continues)
            Patch(op, continueAt);
        for (int op : context.Breaks)
            Patch(op, breakAt);
    }
    TContext* Innermost(bool loopOnly);
    void Conditional(const TStmt& s);
    void Loop(const TStmt& s);
    void Switch(const TStmt& s);
    void Function(const TStmt& s);
    void Jump(const TStmt& s);
    void CaseLabel(const TStmt& s);

    TCodeUnit& Unit_;
    std::vector<TContext> Contexts_;
};

TCompiler::TContext* TCompiler::Innermost(bool loopOnly)
{
    for (auto it = Contexts_.rbegin(); it != Contexts_.rend(); ++it)
        if (it->Loop || !loopOnly)
            return &*it;
    return nullptr;
}

void TCompiler::Statement(const TStmt& s)
{
    switch (s.Kind) {
    case TStmtKind::Block:
        for (const auto& child : s.Children)
            Statement(*child);
        break;
    case TStmtKind::Label:
        Unit_.Labels.emplace(s.Name, Here());
        break;
    case TStmtKind::Command:
    case TStmtKind::Assign: Emit(TOpKind::Exec, s); break;
    case TStmtKind::If: Conditional(s); break;
    case TStmtKind::While:
    case TStmtKind::Do:
    case TStmtKind::For: Loop(s); break;
    case TStmtKind::Switch: Switch(s); break;
    case TStmtKind::Case:
    case TStmtKind::Default: CaseLabel(s); break;
    case TStmtKind::Break:
    case TStmtKind::Continue: Jump(s); break;
    case TStmtKind::Function: Function(s); break;
    case TStmtKind::Empty: break;
    }
}

// jump_zero <cond>, L_else; <then>; goto L_end; L_else: <else>; goto L_end; L_end: (an `else if`
// shares the outer end).
void TCompiler::Conditional(const TStmt& s)
{
    const int test = Emit(TOpKind::JumpIfFalse, s, s.Cond.get());
    if (s.Then)
        Statement(*s.Then);
    const int skip = Emit(TOpKind::Jump, s);
    Patch(test, Here());
    if (s.Else) {
        Statement(*s.Else);
        if (s.Else->Kind != TStmtKind::If) {
            const int tail = Emit(TOpKind::Jump, s);
            Patch(tail, Here());
        }
    }
    Patch(skip, Here());
}

// while: L_next: jump_zero <cond>, L_end; <body>; goto L_next;
// for:   <init>; L_test: jump_zero <cond>, L_end; goto L_body; L_next: <step>; goto L_test;
//        L_body: <body>; goto L_next;
// do:    L_top: <body>; L_next: jump_zero <cond>, L_end; goto L_top;
void TCompiler::Loop(const TStmt& s)
{
    if (s.Kind == TStmtKind::For && s.Init)
        Statement(*s.Init);
    const int top = Here();
    const int test = s.Kind != TStmtKind::Do && s.Cond ? Emit(TOpKind::JumpIfFalse, s, s.Cond.get()) : -1;
    int next = top;
    int toBody = -1;
    if (s.Kind == TStmtKind::For) {
        toBody = Emit(TOpKind::Jump, s);
        next = Here();
        if (s.Step)
            Statement(*s.Step);
        Emit(TOpKind::Jump, s, nullptr, top);
        Patch(toBody, Here());
    }
    Contexts_.push_back(TContext{.Loop = true});
    if (s.Then)
        Statement(*s.Then);
    if (s.Kind == TStmtKind::Do) {
        next = Here();
        Emit(TOpKind::JumpIfTrue, s, s.Cond.get(), top);
    } else {
        Emit(TOpKind::Jump, s, nullptr, next);
    }
    if (test >= 0)
        Patch(test, Here());
    TContext context = std::move(Contexts_.back());
    Contexts_.pop_back();
    Close(context, next, Here());
}

// set <value>; each case: [goto L_reset;] L_test: if (<case> != <value>) goto <next test>;
// L_reset: <value> = 0; its statements. A default: goto <next test>; L_default: its statements.
// The end: <value> = 0; goto L_end; L_last: [goto L_default;] L_end:
void TCompiler::Switch(const TStmt& s)
{
    const int op = Emit(TOpKind::Switch, s, s.Cond.get());
    Unit_.Ops[static_cast<std::size_t>(op)].SwitchAt = op;
    Contexts_.push_back(TContext{.SwitchOp = op});
    if (s.Then)
        Statement(*s.Then);
    TContext context = std::move(Contexts_.back());
    Contexts_.pop_back();
    Unit_.Ops[static_cast<std::size_t>(Emit(TOpKind::Switch, s))].SwitchAt = op;
    context.Breaks.push_back(Emit(TOpKind::Jump, s));
    for (int mismatch : context.Mismatches)
        Patch(mismatch, Here());
    if (context.Default >= 0)
        Emit(TOpKind::Jump, s, nullptr, context.Default);
    Close(context, -1, Here());
}

void TCompiler::CaseLabel(const TStmt& s)
{
    TContext* context = nullptr;
    for (auto it = Contexts_.rbegin(); it != Contexts_.rend() && !context; ++it)
        if (it->SwitchOp >= 0)
            context = &*it;
    if (!context) {
        Emit(TOpKind::Misplaced, s);
        return;
    }
    if (s.Kind == TStmtKind::Default) {
        for (int mismatch : context->Mismatches)
            Patch(mismatch, Here());
        context->Mismatches = {Emit(TOpKind::Jump, s)};
        context->Default = Here();
        // A case after it is reached from its statements as from a case's: the servers count
        // the default among the cases, so a default written first falls through too.
        context->SeenCase = true;
        return;
    }
    const int fall = context->SeenCase ? Emit(TOpKind::Jump, s) : -1;
    context->SeenCase = true;
    for (int mismatch : context->Mismatches)
        Patch(mismatch, Here());
    const int test = Emit(TOpKind::CaseTest, s, s.Cond.get());
    Unit_.Ops[static_cast<std::size_t>(test)].SwitchAt = context->SwitchOp;
    context->Mismatches = {test};
    if (fall >= 0)
        Patch(fall, Here());
    Unit_.Ops[static_cast<std::size_t>(Emit(TOpKind::Switch, s))].SwitchAt = context->SwitchOp;
}

void TCompiler::Jump(const TStmt& s)
{
    TContext* context = Innermost(s.Kind == TStmtKind::Continue);
    if (!context) {
        Emit(TOpKind::Misplaced, s);
        return;
    }
    const int op = Emit(TOpKind::Jump, s);
    (s.Kind == TStmtKind::Break ? context->Breaks : context->Continues).push_back(op);
}

// A local function's body sits where it is written; the flow of the script jumps over it.
void TCompiler::Function(const TStmt& s)
{
    if (!s.Then)
        return;
    const int skip = Emit(TOpKind::Jump, s);
    Unit_.Functions.emplace(s.Name, Here());
    std::vector<TContext> outer = std::move(Contexts_);
    Contexts_.clear();
    Statement(*s.Then);
    Contexts_ = std::move(outer);
    Emit(TOpKind::Return, s);
    Patch(skip, Here());
}

std::string ArgumentsBeyond(const TExpr& e, const TServerRules& rules);

// The servers' parsers take no more arguments than a command has and want ';' where one more
// starts: `mes "one", "two";` keeps the whole NPC from loading. The first such call, as text.
std::string ArgumentsBeyond(const std::string& name, const std::vector<std::unique_ptr<TExpr>>& args, const TServerRules& rules)
{
    for (const auto& arg : args)
        if (std::string found = ArgumentsBeyond(*arg, rules); !found.empty())
            return found;
    const TCommandInfo* info = rules.FindCommand(name);
    if (!info || info->Maximum < 0 || args.size() <= static_cast<std::size_t>(info->Maximum))
        return {};
    const TExpr& extra = *args[static_cast<std::size_t>(info->Maximum)];
    return "line " + std::to_string(extra.Range.Begin.Line) + ": '" + info->Name + "' takes at most " +
           std::to_string(info->Maximum) + " argument" + (info->Maximum == 1 ? "" : "s") + " (the server's parser: " +
           rules.Dialect().NeedSemicolon + ")";
}

std::string ArgumentsBeyond(const TExpr& e, const TServerRules& rules)
{
    if (e.Kind == TExprKind::Call)
        return ArgumentsBeyond(e.Text, e.Args, rules);
    for (const auto& arg : e.Args)
        if (std::string found = ArgumentsBeyond(*arg, rules); !found.empty())
            return found;
    return {};
}

std::string LoadError(const TCodeUnit& unit, const TServerRules& rules)
{
    for (const TOp& op : unit.Ops) {
        const bool command = op.Kind == TOpKind::Exec && op.Stmt->Kind == TStmtKind::Command;
        std::string found = command                                    ? ArgumentsBeyond(op.Stmt->Name, op.Stmt->Args, rules)
                            : op.Kind == TOpKind::Exec && op.Stmt->Expr ? ArgumentsBeyond(*op.Stmt->Expr, rules)
                            : op.Cond                                   ? ArgumentsBeyond(*op.Cond, rules)
                                                                        : std::string();
        if (!found.empty())
            return found;
    }
    return {};
}

} // namespace

int FindName(const std::map<std::string, int>& names, std::string_view name, bool keepCase)
{
    if (const auto exact = names.find(std::string(name)); exact != names.end())
        return exact->second;
    if (!keepCase)
        for (const auto& [written, at] : names)
            if (SameLetters(written, name))
                return at;
    return -1;
}

namespace {

std::unique_ptr<TCodeUnit> Compile(const TTopLevel& entry)
{
    auto unit = std::make_unique<TCodeUnit>();
    unit->Name = entry.Name;
    unit->IsFunction = entry.Kind == TTopKind::Function;
    unit->End = {entry.Body->Range.End, entry.Body->Range.End};
    TCompiler(*unit).Statement(*entry.Body);
    for (const TTarget target : {TTarget::EAthena, TTarget::RAthena, TTarget::Hercules})
        unit->LoadErrors[static_cast<std::size_t>(target)] = LoadError(*unit, TServerRules::For(target));
    return unit;
}

bool NameMatches(std::string_view written, std::string_view wanted)
{
    if (written == wanted)
        return true;
    const std::size_t colons = written.find("::");
    return colons != std::string_view::npos && written.substr(0, colons) == wanted;
}

} // namespace

TProgram::TProgram(const TScriptFile& file)
{
    for (const TTopLevel& entry : file.Entries) {
        if (entry.Kind == TTopKind::Script && entry.Body)
            Npcs_.push_back(Compile(entry));
        else if (entry.Kind == TTopKind::Function && entry.Body)
            Functions_.push_back(Compile(entry));
    }
    for (const TTopLevel& entry : file.Entries)
        if (entry.Kind == TTopKind::Duplicate)
            if (const TCodeUnit* original = Npc(entry.DuplicateOf))
                Duplicates_.emplace_back(entry.Name, original);
}

const TCodeUnit* TProgram::Npc(std::string_view name) const
{
    if (name.empty())
        return Npcs_.empty() ? nullptr : Npcs_.front().get();
    for (int pass = 0; pass < 2; ++pass) {
        auto matches = [&](const std::string& written) {
            return pass == 0 ? NameMatches(written, name) : NameMatches(LowerCase(written), LowerCase(name));
        };
        for (const auto& unit : Npcs_)
            if (matches(unit->Name))
                return unit.get();
        for (const auto& [written, unit] : Duplicates_)
            if (matches(written))
                return unit;
    }
    return nullptr;
}

const TCodeUnit* TProgram::Function(std::string_view name) const
{
    for (const auto& unit : Functions_)
        if (unit->Name == name)
            return unit.get();
    return nullptr;
}

std::vector<std::string> TProgram::NpcNames() const
{
    std::vector<std::string> names;
    for (const auto& unit : Npcs_)
        names.push_back(unit->Name);
    for (const auto& [written, unit] : Duplicates_)
        names.push_back(written);
    return names;
}

} // namespace script
