#include "script/Machine.h"

#include "script/Interpreter.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace script {
namespace {

constexpr int MaxCallDepth = 64;
// A string this long is a runaway concatenation; the server would run out of memory on it.
constexpr std::size_t MaxStringLength = 1 << 20;
// What one play may write before it is cut short: no dialogue is this long, a runaway loop is.
constexpr std::size_t MaxEvents = 100'000;

std::int32_t Wrap(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int32_t IntOp(const std::string& op, std::int32_t a, std::int32_t b, bool& known)
{
    const auto ua = static_cast<std::uint32_t>(a);
    const auto ub = static_cast<std::uint32_t>(b);
    known = true;
    if (op == "+") return static_cast<std::int32_t>(ua + ub);
    if (op == "-") return static_cast<std::int32_t>(ua - ub);
    if (op == "*") return static_cast<std::int32_t>(ua * ub);
    if (op == "&") return a & b;
    if (op == "|") return a | b;
    if (op == "^") return a ^ b;
    // The server shifts with the processor's instruction, which uses the low five bits.
    if (op == "<<") return static_cast<std::int32_t>(ua << (ub & 31));
    if (op == ">>") return a >> (ub & 31);
    if (op == "==") return a == b;
    if (op == "!=") return a != b;
    if (op == "<") return a < b;
    if (op == ">") return a > b;
    if (op == "<=") return a <= b;
    if (op == ">=") return a >= b;
    known = false;
    return 0;
}

} // namespace

TMachine::TMachine(const TProgram& program, const TPlaySetup& setup, const TItemLookup* items)
    : Program_(program), Setup_(setup), Player_(Result_.Player, items), Random_(setup.Seed)
{
    Result_.Player = setup.Player;
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
        if (EvalInt(*op.Cond, frame) == 0)
            frame.Pc = op.Target;
        break;
    case TOpKind::JumpIfTrue:
        if (EvalInt(*op.Cond, frame) != 0)
            frame.Pc = op.Target;
        break;
    case TOpKind::Jump: frame.Pc = op.Target; break;
    case TOpKind::Switch: {
        const std::int32_t value = EvalInt(*op.Cond, frame);
        frame.Pc = op.Default;
        for (const auto& [caseValue, target] : op.Cases)
            if (EvalInt(*caseValue, frame) == value) {
                frame.Pc = target;
                break;
            }
        break;
    }
    case TOpKind::Return:
        frame.Result = TValue::Of(0);
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

TValue TMachine::Call(const TCodeUnit& unit, int pc, std::vector<TValue> args)
{
    if (Depth_ >= MaxCallDepth)
        Fault("calls nested more than " + std::to_string(MaxCallDepth) + " deep; the play stops here");
    TFrame frame;
    frame.Unit = &unit;
    frame.Pc = pc;
    frame.Args = std::move(args);
    frame.InCall = true;
    const TStmt* caller = Current_;
    ++Depth_;
    RunFrame(frame);
    --Depth_;
    Current_ = caller;
    return std::move(frame.Result);
}

TValue TMachine::Eval(const TExpr& e, TFrame& frame)
{
    switch (e.Kind) {
    case TExprKind::Number: return TValue::Of(Wrap(e.Value));
    case TExprKind::String: return TValue::Of(e.Text);
    case TExprKind::Identifier: return Read(e, frame);
    case TExprKind::NextLine: return TValue::Of(0);
    case TExprKind::Unary: {
        const std::int32_t v = EvalInt(*e.Args[0], frame);
        if (e.Op == "-")
            return TValue::Of(Wrap(-static_cast<std::int64_t>(v)));
        return TValue::Of(e.Op == "!" ? std::int32_t(v == 0) : ~v);
    }
    case TExprKind::Binary:
        if (e.Op == "&&")
            return TValue::Of(EvalInt(*e.Args[0], frame) != 0 && EvalInt(*e.Args[1], frame) != 0);
        if (e.Op == "||")
            return TValue::Of(EvalInt(*e.Args[0], frame) != 0 || EvalInt(*e.Args[1], frame) != 0);
        {
            TValue left = Eval(*e.Args[0], frame);
            TValue right = Eval(*e.Args[1], frame);
            return Binary(e.Op, left, right);
        }
    case TExprKind::Conditional:
        return Eval(*e.Args[EvalInt(*e.Args[0], frame) != 0 ? 1 : 2], frame);
    case TExprKind::Assign:
    case TExprKind::IncDec: return Assign(e, frame);
    case TExprKind::Call: return Invoke(e.Text, e.Args, frame, false);
    }
    return TValue::Of(0);
}

TValue TMachine::Binary(const std::string& op, const TValue& a, const TValue& b)
{
    if (a.IsString || b.IsString) {
        if (op == "+") {
            std::string joined = ToStr(a);
            const std::string right = ToStr(b);
            if (joined.size() + right.size() > MaxStringLength)
                Fault("a string grew beyond " + std::to_string(MaxStringLength) + " bytes; the play stops here");
            UseBytes(joined.size() + right.size());
            return TValue::Of(joined + right);
        }
        if (!a.IsString || !b.IsString)
            Fault("'" + op + "' needs two numbers or two strings");
        const int order = a.Str.compare(b.Str);
        bool known = false;
        const std::int32_t result = IntOp(op, order, 0, known);
        if (!known || op == "&" || op == "|" || op == "^" || op == "<<" || op == ">>" || op == "-" || op == "*")
            Fault("'" + op + "' does not work on strings");
        return TValue::Of(result);
    }
    if (op == "/" || op == "%") {
        if (b.Int == 0)
            Fault("division by zero");
        if (a.Int == INT32_MIN && b.Int == -1)
            return TValue::Of(op == "/" ? INT32_MIN : 0);
        return TValue::Of(op == "/" ? a.Int / b.Int : a.Int % b.Int);
    }
    bool known = false;
    const std::int32_t result = IntOp(op, a.Int, b.Int, known);
    if (!known)
        Fault("unknown operator '" + op + "'");
    return TValue::Of(result);
}

TValue TMachine::Assign(const TExpr& e, TFrame& frame)
{
    const TExpr& target = *e.Args[0];
    if (target.Kind != TExprKind::Identifier)
        Fault("only a variable can be assigned to");
    if (e.Kind == TExprKind::IncDec) {
        const TValue before = Read(target, frame);
        const TValue after = Binary(e.Op == "++" ? "+" : "-", TValue::Of(ToInt(before)), TValue::Of(1));
        Write(target, after, frame);
        return e.Prefix ? after : before;
    }
    TValue value = Eval(*e.Args[1], frame);
    if (e.Op != "=")
        value = Binary(e.Op.substr(0, e.Op.size() - 1), Read(target, frame), value);
    Write(target, value, frame);
    return Read(target, frame);
}

TValue TMachine::Invoke(const std::string& name, const TArgs& args, TFrame& frame, bool asCommand)
{
    const std::string lower = LowerCase(name);
    const auto local = frame.Unit->Functions.find(lower);
    if (local != frame.Unit->Functions.end()) {
        std::vector<TValue> values;
        for (const auto& arg : args)
            values.push_back(Eval(*arg, frame));
        return Call(*frame.Unit, local->second, std::move(values));
    }
    const auto builtin = Builtins().find(lower);
    if (builtin == Builtins().end()) {
        NotSimulated(name, args, frame);
        return TValue::Of(0);
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
    if (target.Kind != TExprKind::Identifier)
        Fault("a variable expected");
    TVarRef ref{target.Text, 0};
    if (!target.Args.empty()) {
        ref.Index = EvalInt(*target.Args[0], frame);
        if (ref.Index < 0)
            Fault("array index " + std::to_string(ref.Index) + " of " + target.Text + " is below 0");
    }
    return ref;
}

std::map<std::string, TValue>& TMachine::Scope(const TVarRef& ref, TFrame& frame, std::string& key)
{
    key = LowerCase(ref.Name);
    if (ref.Index != 0)
        key += "[" + std::to_string(ref.Index) + "]";
    if (key.rfind(".@", 0) == 0)
        return frame.Locals;
    // A `function script` keeps its own `.` variables, apart from the NPC's.
    if (key.rfind('.', 0) == 0 && frame.Unit->IsFunction)
        key = LowerCase(frame.Unit->Name) + "::" + key;
    return Result_.Player.Variables;
}

TValue TMachine::ReadRef(const TVarRef& ref, TFrame& frame)
{
    if (const auto param = Player_.Param(ref.Name))
        return TValue::Of(*param);
    std::string key;
    const auto& scope = Scope(ref, frame, key);
    const auto it = scope.find(key);
    if (it != scope.end())
        return it->second;
    return !ref.Name.empty() && ref.Name.back() == '$' ? TValue::Of(std::string()) : TValue::Of(0);
}

void TMachine::WriteRef(const TVarRef& ref, TValue value, TFrame& frame)
{
    const std::string param = TMockPlayer::ParamName(ref.Name);
    if (!param.empty()) {
        const std::int32_t wanted = ToInt(value);
        const auto outcome = Player_.SetParam(param, wanted);
        if (outcome.Accepted) {
            TEvent& e = Emit(TEventKind::Set);
            e.Name = param;
            e.From = outcome.From;
            e.To = outcome.To;
        } else {
            TEvent& e = Emit(TEventKind::Command);
            e.Name = "set";
            e.Values = {param, std::to_string(wanted)};
            e.Text = "refused: " + param + " stay " + std::to_string(outcome.From);
        }
        return;
    }
    std::string key;
    auto& scope = Scope(ref, frame, key);
    const bool isString = !ref.Name.empty() && ref.Name.back() == '$';
    value = isString ? TValue::Of(ToStr(value)) : TValue::Of(ToInt(value));
    // An empty string or a 0 is no variable at all, as on the server.
    if ((isString && value.Str.empty()) || (!isString && value.Int == 0))
        scope.erase(key);
    else
        scope[key] = std::move(value);
}

std::int32_t TMachine::ToInt(const TValue& v)
{
    if (!v.IsString)
        return v.Int;
    std::size_t i = 0;
    const std::string& s = v.Str;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    std::int64_t n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        n = std::min<std::int64_t>(n * 10 + (s[i] - '0'), std::int64_t(INT32_MAX) + 1);
    n = negative ? -n : n;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, INT32_MIN, INT32_MAX));
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
    Emit(TEventKind::Fault).Text = message;
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
        else if (arg.Kind == TExprKind::Identifier && arg.Args.empty() && frame.Unit->Labels.count(LowerCase(arg.Text)))
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
    std::vector<std::string> values = ArgTexts(args, frame);
    TEvent& e = Emit(TEventKind::Command);
    e.Name = name;
    e.Values = std::move(values);
    e.Simulated = false;
    e.Text = "not simulated";
    Result_.Approximate = true;
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
    if (DialogueOpen_ && DialogueKnown_)
        Warn("the script ends with its dialogue open: the player has no button to leave it (close is missing)");
    Emit(TEventKind::End);
    Result_.Outcome = TOutcome::Ended;
}

int TMachine::TakePause()
{
    const int pause = Result_.Pauses;
    const auto& edits = Setup_.Edits;
    for (; EditsApplied_ < edits.size() && edits[EditsApplied_].Pause <= pause; ++EditsApplied_) {
        Result_.Player = edits[EditsApplied_].Player;
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

TRunResult Play(const TProgram& program, std::string_view npc, const TPlaySetup& setup, const TItemLookup* items)
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
    int start = 0;
    if (!setup.StartLabel.empty()) {
        const auto label = unit->Labels.find(LowerCase(setup.StartLabel));
        if (label == unit->Labels.end())
            return refuse("the NPC " + unit->Name + " has no label " + setup.StartLabel);
        start = label->second;
    }
    return TMachine(program, setup, items).Run(*unit, start);
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
