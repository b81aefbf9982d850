#include "script/Machine.h"

#include "script/Interpreter.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace script {
namespace {

constexpr int MaxCallDepth = 64;
// What one play may write before it is cut short: no dialogue is this long, a runaway loop is.
constexpr std::size_t MaxEvents = 100'000;
// The server's check_gotocount: this many jumps between two pauses make it end the script.
constexpr int MaxJumps = 2048;

} // namespace

TMachine::TMachine(const TProgram& program, const TPlaySetup& setup, const TItemLookup* items,
                   const TConstants* constants)
    : Program_(program), Setup_(setup), Rules_(PlayRulesOf(setup.Target)), Constants_(constants),
      Player_(Result_.Player, items, Rules_), Random_(setup.Seed)
{
    TakePlayer(setup.Player);
    JumpsLeft_ = MaxJumps;
}

// The setup names variables as the user wrote them; the run finds them by the server's rule.
void TMachine::TakePlayer(const TPlayerState& player)
{
    Result_.Player = player;
    Result_.Player.Variables.clear();
    for (const auto& [name, value] : player.Variables)
        Result_.Player.Variables[Rules_.NameKey(name)] = value;
}

TRunResult TMachine::Run(const TCodeUnit& unit, int startPc)
{
    NpcUnit_ = &unit;
    TFrame frame;
    frame.Unit = &unit;
    frame.Pc = startPc;
    try {
        RunFrame(frame);
        Fault("'return' outside a function: the script stops");
    } catch (const TStop&) {
    } catch (const TWait&) {
    }
    return std::move(Result_);
}

void TMachine::RunFrame(TFrame& frame)
{
    while (!frame.Returned) {
        const std::vector<TOp>& ops = frame.Unit->Ops;
        if (frame.Pc < 0 || frame.Pc >= static_cast<int>(ops.size())) {
            // Running off the end of the code is `end`, wherever it happens.
            Current_ = nullptr;
            EndOfScript();
            throw TStop{};
        }
        if (++Result_.Steps > Setup_.StepBudget) {
            Current_ = ops[static_cast<std::size_t>(frame.Pc)].Stmt;
            Fault("the script ran " + std::to_string(Setup_.StepBudget) +
                  " commands without ending (an endless loop?); the play stops here");
        }
        const TOp& op = ops[static_cast<std::size_t>(frame.Pc)];
        ++frame.Pc;
        Step(op, frame);
    }
}

void TMachine::Step(const TOp& op, TFrame& frame)
{
    Current_ = op.Stmt;
    switch (op.Kind) {
    case TOpKind::Exec:
        if (op.Stmt->Kind == TStmtKind::Command)
            Invoke(op.Stmt->Name, op.Stmt->Args, frame, true);
        else
            Eval(*op.Stmt->Expr, frame);
        break;
    case TOpKind::JumpIfFalse:
        if (EvalWhole(*op.Cond, frame) == 0)
            Jump(frame, op.Target);
        break;
    case TOpKind::JumpIfTrue:
        // The server's do-while tests with jump_zero and jumps back with goto: one jump either way.
        Jump(frame, EvalWhole(*op.Cond, frame) != 0 ? op.Target : frame.Pc);
        break;
    case TOpKind::Jump: Jump(frame, op.Target); break;
    case TOpKind::Switch:
        // The server keeps the value in a variable and sets it to 0 once a case matched: a case
        // test reached again through a default compares with 0.
        SwitchValues_[&frame.Unit->Ops[static_cast<std::size_t>(op.SwitchAt)]] = op.Cond ? EvalWhole(*op.Cond, frame) : 0;
        break;
    case TOpKind::CaseTest: {
        const std::int64_t value = SwitchValues_[&frame.Unit->Ops[static_cast<std::size_t>(op.SwitchAt)]];
        // `if (<case> != <value>) goto <next test>;`: a jump either way.
        Jump(frame, EvalWhole(*op.Cond, frame) != value ? op.Target : frame.Pc);
        break;
    }
    case TOpKind::Return:
        frame.Result = TValue::Of(0);
        frame.Result.Void = true;
        frame.Returned = true;
        break;
    case TOpKind::Misplaced: {
        const TStmtKind kind = op.Stmt->Kind;
        const char* word = kind == TStmtKind::Break      ? "break"
                           : kind == TStmtKind::Continue ? "continue"
                           : kind == TStmtKind::Case     ? "case"
                                                         : "default";
        Fault(std::string("'") + word + "' is not inside a loop or a switch");
    }
    }
}

// Every jump counts against the server's check_gotocount, which starts afresh at each pause.
void TMachine::Jump(TFrame& frame, int target)
{
    if (--JumpsLeft_ < 0)
        Fault("more than " + std::to_string(MaxJumps) +
              " jumps without a pause: the server ends the script here (run_script: infinity loop!)");
    frame.Pc = target;
}

// callsub and callfunc jump there, and return jumps back: two of the server's jumps.
// A variable the callee returns is read where the caller uses it (Operand); a caller that uses the
// value at once reads it now, in its own scopes.
TValue TMachine::Call(const TCodeUnit& unit, int pc, std::vector<TArg> args, TFrame& caller, const TArgs& site)
{
    if (Depth_ >= MaxCallDepth)
        Fault("calls nested more than " + std::to_string(MaxCallDepth) +
              " deep; the play stops here (the server would go on)");
    Jump(caller, caller.Pc);
    TFrame frame;
    frame.Unit = &unit;
    frame.Pc = pc;
    frame.Args = std::move(args);
    frame.InCall = true;
    const TStmt* callerStmt = Current_;
    ++Depth_;
    RunFrame(frame);
    --Depth_;
    Current_ = callerStmt;
    Jump(caller, caller.Pc);
    caller.Handed = std::move(frame.ResultRef);
    caller.HandedBy = &site;
    return caller.Handed ? ReadRef(*caller.Handed, caller) : std::move(frame.Result);
}

// What buildin_return does with a variable: a `.@` of the function's own scope, which ends with
// it, becomes its value; one the caller passed (getarg) stays the caller's; any other variable
// is handed back as itself, a `.` one tied to the returning script where the server ties it.
std::optional<TMachine::TVarRef> TMachine::ReturnedRef(const TExpr& value, TFrame& frame)
{
    const bool passed = value.Kind == TExprKind::Call && SameLetters(value.Text, "getarg");
    if (passed) {
        const std::int32_t index = value.Args.empty() ? -1 : EvalInt(*value.Args[0], frame);
        if (index < 0 || index >= static_cast<std::int32_t>(frame.Args.size()))
            return std::nullopt;
        return frame.Args[static_cast<std::size_t>(index)].Ref;
    }
    if (!IsVariable(value))
        return std::nullopt;
    TVarRef ref = Ref(value, frame);
    if (ref.Name.rfind(".@", 0) == 0)
        return std::nullopt;
    if (ref.Name.rfind('.', 0) == 0 && !Rules_.ReturnedNpcVariableIsCallers)
        ref.Script = frame.Unit;
    return ref;
}

std::vector<TMachine::TArg> TMachine::CallArgs(const TArgs& a, std::size_t from, TFrame& frame)
{
    std::vector<TArg> args;
    for (std::size_t i = from; i < a.size(); ++i) {
        TArg arg;
        if (IsVariable(*a[i])) {
            arg.Ref = Ref(*a[i], frame);
            arg.Ref->Owner = &frame;
        } else {
            arg.Value = Eval(*a[i], frame);
        }
        args.push_back(std::move(arg));
    }
    return args;
}

TValue TMachine::Eval(const TExpr& e, TFrame& frame)
{
    switch (e.Kind) {
    case TExprKind::Number: return TValue::Of(Rules_.Literal(e.Value, false));
    case TExprKind::String: return TValue::Of(e.Text);
    case TExprKind::Identifier: return Read(e, frame);
    case TExprKind::NextLine: return TValue::Of(0);
    case TExprKind::Unary: return Unary(e, frame);
    case TExprKind::Binary: return BinaryExpr(e, frame);
    case TExprKind::Conditional: return Conditional(e, frame);
    case TExprKind::Assign:
    case TExprKind::IncDec: return Assign(e, frame);
    case TExprKind::Call: return Invoke(e.Text, e.Args, frame, false);
    }
    return TValue::Of(0);
}

TValue TMachine::Assign(const TExpr& e, TFrame& frame)
{
    const TExpr& target = *e.Args[0];
    if (target.Kind != TExprKind::Identifier)
        Fault("only a variable can be assigned to");
    if (e.Kind == TExprKind::IncDec) {
        const TValue before = Read(target, frame);
        const TValue after = Binary(e.Op == "++" ? "+" : "-", TValue::Of(Number(before)), TValue::Of(1));
        Write(target, after, frame);
        return e.Prefix ? after : before;
    }
    TValue value = Eval(*e.Args[1], frame);
    if (e.Op != "=")
        value = Binary(e.Op.substr(0, e.Op.size() - 1), Read(target, frame), Used(value));
    Write(target, value, frame);
    return Read(target, frame);
}

TValue TMachine::Invoke(const std::string& name, const TArgs& args, TFrame& frame, bool asCommand)
{
    const std::string lower = LowerCase(name);
    if (const int local = FindName(frame.Unit->Functions, name, Rules_.NamesKeepCase); local >= 0)
        return Call(*frame.Unit, local, CallArgs(args, 0, frame), frame, args);
    const auto builtin = Builtins().find(lower);
    if (builtin == Builtins().end()) {
        NotSimulated(name, args, frame);
        TValue unknown = TValue::Of(0);
        unknown.Unknown = true;
        return unknown;
    }
    (void)asCommand;
    const std::string outer = std::move(CurrentName_);
    CurrentName_ = lower;
    TValue result = (this->*builtin->second)(args, frame);
    CurrentName_ = outer;
    return result;
}

TMachine::TVarRef TMachine::Ref(const TExpr& target, TFrame& frame)
{
    // `set getarg(0), v;` writes the variable the caller passed.
    if (target.Kind == TExprKind::Call && SameLetters(target.Text, "getarg") && frame.InCall && !target.Args.empty()) {
        const std::int32_t index = EvalInt(*target.Args[0], frame);
        if (index >= 0 && index < static_cast<std::int32_t>(frame.Args.size()))
            if (const auto& passed = frame.Args[static_cast<std::size_t>(index)].Ref)
                return *passed;
    }
    if (target.Kind != TExprKind::Identifier)
        Fault("a variable expected");
    TVarRef ref{target.Text, 0};
    if (!target.Args.empty()) {
        ref.Index = EvalIndex(*target.Args[0], frame);
        CheckIndex(target.Text, ref.Index);
    }
    return ref;
}

void TMachine::CheckIndex(const std::string& name, std::int64_t index)
{
    if (index < 0 || index > Rules_.LastIndex)
        Fault("array index " + std::to_string(index) + " of " + name + " is outside 0.." +
              std::to_string(Rules_.LastIndex) + ": the server stops the script (getelementofarray: index out of range)");
}

std::map<std::string, TValue>& TMachine::Scope(const TVarRef& ref, TFrame& frame, std::string& key)
{
    key = Rules_.NameKey(ref.Name);
    if (ref.Index != 0)
        key += "[" + std::to_string(ref.Index) + "]";
    // A variable passed to a call belongs to the caller's scopes.
    TFrame& owner = ref.Owner ? *ref.Owner : frame;
    if (key.rfind(".@", 0) == 0)
        return owner.Locals;
    // A `function script` keeps its own `.` variables, apart from the NPC's.
    const TCodeUnit& script = ref.Script ? *ref.Script : *owner.Unit;
    if (key.rfind('.', 0) == 0 && script.IsFunction)
        key = LowerCase(script.Name) + "::" + key;
    return Result_.Player.Variables;
}

TValue TMachine::ReadRef(const TVarRef& ref, TFrame& frame)
{
    if (const std::string param = Player_.ParamName(ref.Name); !param.empty()) {
        if (const auto value = Player_.Param(param))
            return TValue::Of(*value);
        NotSimulated(param, {});
        TValue unknown = TValue::Of(0);
        unknown.Unknown = true;
        return unknown;
    }
    if (const TConstants& own = Rules_.OwnConstants(); ref.Index == 0 && !own.empty()) {
        const auto constant = own.find(Rules_.NameKey(ref.Name));
        if (constant != own.end())
            return TValue::Of(constant->second);
    }
    if (Constants_ && ref.Index == 0) {
        const auto constant = Constants_->find(LowerCase(ref.Name));
        if (constant != Constants_->end())
            return TValue::Of(constant->second);
    }
    std::string key;
    const auto& scope = Scope(ref, frame, key);
    const auto it = scope.find(key);
    if (it != scope.end())
        return it->second;
    return !ref.Name.empty() && ref.Name.back() == '$' ? TValue::Of(std::string()) : TValue::Of(0);
}

void TMachine::NotSimulated(const std::string& name, std::vector<std::string> values)
{
    TEvent& e = Emit(TEventKind::Command);
    e.Name = name;
    e.Values = std::move(values);
    e.Simulated = false;
    e.Text = "not simulated";
    Result_.Approximate = true;
}

void TMachine::EmitChanges(const std::vector<TMockPlayer::TChange>& changes)
{
    for (const TMockPlayer::TChange& change : changes) {
        TEvent& e = Emit(TEventKind::Set);
        e.Name = change.Name;
        e.From = change.From;
        e.To = change.To;
    }
}

void TMachine::WriteRef(const TVarRef& ref, TValue value, TFrame& frame)
{
    const std::string param = Player_.ParamName(ref.Name);
    if (!param.empty()) {
        const std::int32_t wanted = ToInt(value);
        const auto outcome = Player_.SetParam(param, wanted);
        if (outcome.Kind == TMockPlayer::TSetOutcome::Ends)
            Fault("set " + param + ", " + std::to_string(wanted) + ": " + outcome.Why);
        if (outcome.Kind == TMockPlayer::TSetOutcome::NotSimulated)
            NotSimulated("set", {param, std::to_string(wanted)});
        EmitChanges(outcome.Changes);
        return;
    }
    std::string key;
    auto& scope = Scope(ref, frame, key);
    const bool isString = !ref.Name.empty() && ref.Name.back() == '$';
    value = isString ? TValue::Of(ToStr(value)) : TValue::Of(Number(value));
    // An empty string or a 0 is no variable at all, as on the server.
    if ((isString && value.Str.empty()) || (!isString && value.Int == 0))
        scope.erase(key);
    else
        scope[key] = std::move(value);
}

std::int64_t TMachine::Number(const TValue& v) const
{
    if (!v.IsString)
        return v.Int;
    std::size_t i = 0;
    const std::string& s = v.Str;
    // strtol's white space: blank, tab, line feed, vertical tab, form feed, carriage return.
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    // Capped at the server's width (strtol, or rAthena's strtoll), the digits counted as unsigned.
    const std::uint64_t limit = Rules_.IntBits == 64 ? std::uint64_t{1} << 63 : std::uint64_t{1} << 31;
    std::uint64_t n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(s[i] - '0');
        n = n > (limit - digit) / 10 ? limit : n * 10 + digit;
    }
    if (negative)
        return n == limit ? (Rules_.IntBits == 64 ? INT64_MIN : INT32_MIN) : -static_cast<std::int64_t>(n);
    return static_cast<std::int64_t>(std::min(n, limit - 1));
}

std::string TMachine::ToStr(const TValue& v)
{
    return v.IsString ? v.Str : std::to_string(v.Int);
}

TEvent& TMachine::Emit(TEventKind kind)
{
    if (!OutputFull_ && Result_.Events.size() >= MaxEvents) {
        OutputFull_ = true;
        Fault("the play wrote more than " + std::to_string(MaxEvents) + " events; it stops here");
    }
    TEvent& e = Result_.Events.emplace_back();
    e.Kind = kind;
    e.Range = Current_ ? Current_->Range : NpcUnit_->End;
    return e;
}

void TMachine::Fault(const std::string& message)
{
    Emit(TEventKind::Fault).Text = message;
    Result_.Outcome = TOutcome::Faulted;
    throw TStop{};
}

void TMachine::UseBytes(std::size_t count)
{
    BytesUsed_ += count;
    if (BytesUsed_ > Setup_.ByteBudget && !OutputFull_) {
        OutputFull_ = true;
        Fault("the play built or wrote more than " + std::to_string(Setup_.ByteBudget) +
              " bytes of text (a runaway loop?); it stops here");
    }
}

void TMachine::Warn(const std::string& message)
{
    TEvent& e = Emit(TEventKind::Fault);
    e.Name = "warning";
    e.Text = message;
}

void TMachine::Wait(TWaitKind kind, const char* what, std::vector<std::string> options)
{
    Result_.Outcome = TOutcome::Waiting;
    Result_.WaitingFor = kind;
    Result_.Options = std::move(options);
    Emit(TEventKind::Waiting).Name = what;
    throw TWait{};
}

std::vector<std::string> TMachine::ArgTexts(const TArgs& args, TFrame& frame, std::size_t from)
{
    std::vector<std::string> texts;
    for (std::size_t i = from; i < args.size(); ++i) {
        const TExpr& arg = *args[i];
        if (arg.Kind == TExprKind::NextLine)
            texts.push_back("-");
        else if (arg.Kind == TExprKind::Identifier && arg.Args.empty() &&
                 FindName(frame.Unit->Labels, arg.Text, Rules_.NamesKeepCase) >= 0)
            texts.push_back(arg.Text);  // a label
        else
            texts.push_back(ToStr(Eval(arg, frame)));
    }
    for (const std::string& text : texts)
        UseBytes(text.size());
    return texts;
}

void TMachine::NotSimulated(const std::string& name, const TArgs& args, TFrame& frame)
{
    NotSimulated(name, ArgTexts(args, frame));
}

void TMachine::Recorded(const std::string& name, const TArgs& args, TFrame& frame, const std::string& note)
{
    std::vector<std::string> values = ArgTexts(args, frame);
    TEvent& e = Emit(TEventKind::Command);
    e.Name = name;
    e.Values = std::move(values);
    e.Text = note;
}

void TMachine::EndOfScript()
{
    if (DialogueOpen_)
        Warn("the script ends with its dialogue open: the player has no button to leave it (close is missing)");
    Emit(TEventKind::End);
    Result_.Outcome = TOutcome::Ended;
}

int TMachine::TakePause()
{
    JumpsLeft_ = MaxJumps;
    const int pause = Result_.Pauses;
    const auto& edits = Setup_.Edits;
    for (; EditsApplied_ < edits.size() && edits[EditsApplied_].Pause <= pause; ++EditsApplied_) {
        TakePlayer(edits[EditsApplied_].Player);
        Emit(TEventKind::Edit).Pause = pause;
    }
    return pause;
}

// ---- The public face --------------------------------------------------------------------------

bool TRunResult::HasFault() const
{
    for (const TEvent& e : Events)
        if (e.Kind == TEventKind::Fault)
            return true;
    return false;
}

TRunResult Play(const TProgram& program, std::string_view npc, const TPlaySetup& setup, const TItemLookup* items,
                const TConstants* constants)
{
    const TCodeUnit* unit = program.Npc(npc);
    auto refuse = [&](const std::string& message) {
        TRunResult result;
        result.Player = setup.Player;
        result.Outcome = TOutcome::Faulted;
        TEvent& e = result.Events.emplace_back();
        e.Kind = TEventKind::Fault;
        e.Text = message;
        e.Range.Begin.Line = 0;  // no statement made it
        return result;
    };
    if (!unit)
        return refuse(npc.empty() ? "the file has no NPC with a script" : "there is no NPC named " + std::string(npc));
    if (const std::string& why = unit->LoadErrors[static_cast<std::size_t>(setup.Target)]; !why.empty())
        return refuse(std::string(TargetName(setup.Target)) + " does not load the NPC " + unit->Name + ": " + why);
    int start = 0;
    if (!setup.StartLabel.empty()) {
        start = FindName(unit->Labels, setup.StartLabel, PlayRulesOf(setup.Target).NamesKeepCase);
        if (start < 0)
            return refuse("the NPC " + unit->Name + " has no label " + setup.StartLabel);
    }
    return TMachine(program, setup, items, constants).Run(*unit, start);
}

TPlaySetup SetupAtPause(const TPlaySetup& setup, const TRunResult& result, int pause)
{
    TPlaySetup at = setup;
    std::size_t choices = 0, inputs = 0;
    int presses = 0;
    for (const TEvent& e : result.Events) {
        if (e.Pause < 0 || e.Pause >= pause)
            continue;
        if (e.Kind == TEventKind::Choose)
            ++choices;
        else if (e.Kind == TEventKind::Input)
            ++inputs;
        else if (e.Kind == TEventKind::Next || e.Kind == TEventKind::Close)
            ++presses;
    }
    at.Choices.resize(std::min(choices, at.Choices.size()));
    at.Inputs.resize(std::min(inputs, at.Inputs.size()));
    at.Presses = presses;
    std::erase_if(at.Edits, [&](const TPlayerEdit& edit) { return edit.Pause > pause; });
    return at;
}

} // namespace script
