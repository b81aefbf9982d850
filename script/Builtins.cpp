// The server's commands and functions that the interpreter models, with the server's rules.

#include "script/Interpreter.h"
#include "script/Machine.h"

#include <algorithm>
#include <climits>

namespace script {
namespace {

// The default bounds of a typed number (the server's input_min_value and input_max_value).
constexpr std::int32_t InputMin = 0;
constexpr std::int32_t InputMax = 10'000'000;
// What the client lets a player type into a text box.
constexpr std::size_t InputTextLength = 70;

// Counts the options one menu text shows, stopping at the `limit`-th, and advances `number`, the
// option's number as the script sees it: one for each piece between colons, the empty ones too.
int CountOptions(const std::string& text, int limit, int& number)
{
    ++number;
    std::size_t at = 0;
    while (at < text.size() && text[at] == ':') {
        ++at;
        ++number;
    }
    int shown = 0;
    while (at < text.size()) {
        ++shown;
        if (--limit == 0)
            break;
        while (at < text.size() && text[at] != ':')
            ++at;
        while (at < text.size() && text[at] == ':') {
            ++at;
            ++number;
        }
    }
    return shown;
}

// What the client lists: the texts joined with colons, split again, the empty pieces left out.
std::vector<std::string> ShownOptions(const std::vector<std::string>& texts)
{
    std::vector<std::string> shown;
    for (const std::string& text : texts) {
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t colon = std::min(text.find(':', start), text.size());
            if (colon > start)
                shown.push_back(text.substr(start, colon - start));
            start = colon + 1;
        }
    }
    return shown;
}

} // namespace

const std::map<std::string, TMachine::TBuiltin>& TMachine::Builtins()
{
    static const std::map<std::string, TBuiltin> builtins = {
        {"mes", &TMachine::Mes}, {"next", &TMachine::Next}, {"close", &TMachine::Close},
        {"close2", &TMachine::Close2}, {"end", &TMachine::End}, {"menu", &TMachine::Menu},
        {"select", &TMachine::Select}, {"prompt", &TMachine::Prompt}, {"input", &TMachine::Input},
        {"goto", &TMachine::Goto}, {"callsub", &TMachine::Callsub}, {"callfunc", &TMachine::Callfunc},
        {"return", &TMachine::Return}, {"getarg", &TMachine::Getarg}, {"set", &TMachine::Set},
        {"setarray", &TMachine::Setarray}, {"cleararray", &TMachine::Cleararray},
        {"getarraysize", &TMachine::Getarraysize}, {"copyarray", &TMachine::Copyarray},
        {"deletearray", &TMachine::Deletearray}, {"getelementofarray", &TMachine::Getelementofarray},
        {"rand", &TMachine::Rand}, {"getitem", &TMachine::Getitem}, {"delitem", &TMachine::Delitem},
        {"countitem", &TMachine::Countitem}, {"checkweight", &TMachine::Checkweight},
        {"jobchange", &TMachine::Jobchange}, {"warp", &TMachine::Warp},
        {"strcharinfo", &TMachine::Strcharinfo},
        // Actions whose effect lies outside the mock player: recorded with their arguments.
        {"heal", &TMachine::Action}, {"percentheal", &TMachine::Action}, {"savepoint", &TMachine::Action},
        {"save", &TMachine::Action}, {"setcart", &TMachine::Action}, {"openstorage", &TMachine::Action},
        {"resetstatus", &TMachine::Action}, {"resetskill", &TMachine::Action},
    };
    return builtins;
}

bool IsSimulated(std::string_view command)
{
    return TMachine::IsBuiltin(LowerCase(command));
}

// ---- Dialogue ---------------------------------------------------------------------------------

TValue TMachine::Mes(const TArgs& a, TFrame& f)
{
    std::vector<std::string> lines;
    for (const auto& arg : a)
        lines.push_back(EvalStr(*arg, f));
    if (lines.empty())
        lines.emplace_back();
    for (std::string& line : lines) {
        UseBytes(line.size());
        Emit(TEventKind::Mes).Text = std::move(line);
    }
    DialogueOpen_ = true;
    return TValue::Of(0);
}

TValue TMachine::Next(const TArgs&, TFrame&)
{
    const int pause = TakePause();
    if (Setup_.Presses && PressesUsed_ >= *Setup_.Presses)
        Wait(TWaitKind::Next, "next");
    ++PressesUsed_;
    ++Result_.Pauses;
    Emit(TEventKind::Next).Pause = pause;
    return TValue::Of(0);
}

TValue TMachine::Close(const TArgs&, TFrame&)
{
    Emit(TEventKind::Close).Name = "close";
    DialogueOpen_ = false;
    EndOfScript();
    throw TStop{};
}

// Shows the Close button and waits for it; the script goes on once the player pressed it.
TValue TMachine::Close2(const TArgs&, TFrame&)
{
    const int pause = TakePause();
    if (Setup_.Presses && PressesUsed_ >= *Setup_.Presses)
        Wait(TWaitKind::Next, "close");
    ++PressesUsed_;
    ++Result_.Pauses;
    TEvent& e = Emit(TEventKind::Close);
    e.Name = "close2";
    e.Pause = pause;
    DialogueOpen_ = false;
    return TValue::Of(0);
}

TValue TMachine::End(const TArgs&, TFrame&)
{
    EndOfScript();
    throw TStop{};
}

// ---- Menus and input --------------------------------------------------------------------------

int TMachine::JumpTarget(const TExpr& label, const TFrame& frame)
{
    if (label.Kind != TExprKind::Identifier || !label.Args.empty())
        Fault(CurrentName_ + ": a label expected");
    const int at = FindName(frame.Unit->Labels, label.Text, Rules_.NamesKeepCase);
    if (at < 0)
        Fault(CurrentName_ + ": there is no label " + label.Text + "; the script stops here");
    return at;
}

// The argument whose text holds the option the player chose (the `choice`-th shown); `number`
// becomes the option's number as the script sees it.
int TMachine::ChooseOption(const std::vector<std::string>& texts, int& number)
{
    int remaining = ChoicesUsed_ > 0 ? Setup_.Choices[ChoicesUsed_ - 1] : 0;
    number = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        remaining -= CountOptions(texts[i], remaining, number);
        if (remaining <= 0)
            return static_cast<int>(i);
    }
    return -1;
}

TValue TMachine::Menu(const TArgs& a, TFrame& f, bool labels, bool cancelContinues)
{
    if (a.empty() || (labels && a.size() % 2 != 0))
        Fault(CurrentName_ + ": each option needs its text" + std::string(labels ? " and its label" : ""));
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < a.size(); i += labels ? 2 : 1) {
        texts.push_back(EvalStr(*a[i], f));
        if (labels && a[i + 1]->Kind != TExprKind::NextLine)
            JumpTarget(*a[i + 1], f);
    }
    std::vector<std::string> shown = ShownOptions(texts);
    Emit(TEventKind::Menu).Values = shown;
    const int pause = TakePause();
    if (ChoicesUsed_ >= Setup_.Choices.size())
        Wait(TWaitKind::Menu, "menu", std::move(shown));
    const int choice = Setup_.Choices[ChoicesUsed_++];
    ++Result_.Pauses;
    TEvent& chosen = Emit(TEventKind::Choose);
    chosen.Amount = choice;
    chosen.Pause = pause;
    if (choice == 0) {
        // Cancel: the client closes the dialogue; the server ends the script, but for prompt.
        if (!cancelContinues) {
            DialogueOpen_ = false;
            EndOfScript();
            throw TStop{};
        }
        WriteRef({"@menu", 0}, TValue::Of(255), f);
        return TValue::Of(255);
    }
    if (choice < 0 || choice > static_cast<int>(shown.size()))
        Fault(CurrentName_ + ": option " + std::to_string(choice) + " chosen, but " +
              std::to_string(shown.size()) + " are shown");
    int number = 0;
    const int index = ChooseOption(texts, number);
    WriteRef({"@menu", 0}, TValue::Of(number), f);
    if (labels) {
        const TExpr& label = *a[static_cast<std::size_t>(index) * 2 + 1];
        if (label.Kind != TExprKind::NextLine)
            Jump(f, JumpTarget(label, f));
    }
    return TValue::Of(number);
}

TValue TMachine::Menu(const TArgs& a, TFrame& f) { return Menu(a, f, true, false); }
TValue TMachine::Select(const TArgs& a, TFrame& f) { return Menu(a, f, false, false); }
TValue TMachine::Prompt(const TArgs& a, TFrame& f) { return Menu(a, f, false, true); }

// input <variable>{,<min>{,<max>}}: the value is kept within the bounds (a text's length is only
// compared); the result says 1 above, -1 below, 0 within.
TValue TMachine::Input(const TArgs& a, TFrame& f)
{
    if (a.empty() || a[0]->Kind != TExprKind::Identifier)
        Fault("input: a variable expected");
    const TVarRef ref = Ref(*a[0], f);
    const std::int32_t min = a.size() > 1 ? EvalInt(*a[1], f) : InputMin;
    const std::int32_t max = a.size() > 2 ? EvalInt(*a[2], f) : InputMax;
    const int pause = TakePause();
    if (InputsUsed_ >= Setup_.Inputs.size())
        Wait(TWaitKind::Input, "input");
    const std::string& typed = Setup_.Inputs[InputsUsed_++];
    ++Result_.Pauses;
    TEvent& e = Emit(TEventKind::Input);
    e.Text = typed;
    e.Pause = pause;
    if (!ref.Name.empty() && ref.Name.back() == '$') {
        // The client's text box holds no more.
        const std::string kept = typed.substr(0, std::min(typed.size(), InputTextLength));
        WriteRef(ref, TValue::Of(kept), f);
        const auto length = static_cast<std::int64_t>(kept.size());
        return TValue::Of(length > max ? 1 : length < min ? -1 : 0);
    }
    const std::int32_t value = ToInt(TValue::Of(typed));
    // The server's cap_value tests the maximum first: with min above max a number from max up
    // becomes max, anything below it min.
    WriteRef(ref, TValue::Of(value >= max ? max : value <= min ? min : value), f);
    return TValue::Of(value > max ? 1 : value < min ? -1 : 0);
}

// ---- Flow -------------------------------------------------------------------------------------

TValue TMachine::Goto(const TArgs& a, TFrame& f)
{
    if (a.empty())
        Fault("goto: a label expected");
    Jump(f, JumpTarget(*a[0], f));
    return TValue::Of(0);
}

TValue TMachine::Callsub(const TArgs& a, TFrame& f)
{
    if (a.empty())
        Fault("callsub: a label expected");
    const int target = JumpTarget(*a[0], f);
    return Call(*f.Unit, target, CallArgs(a, 1, f), f, a);
}

TValue TMachine::Callfunc(const TArgs& a, TFrame& f)
{
    if (a.empty())
        Fault("callfunc: a function name expected");
    const std::string name = EvalStr(*a[0], f);
    const TCodeUnit* unit = Program_.Function(name);
    // The play knows the functions of its own file; the server stops at a name no loaded file
    // defines.
    if (!unit)
        Fault("callfunc: there is no function " + name +
              " in this file; the server stops the script when no loaded file defines it");
    return Call(*unit, 0, CallArgs(a, 1, f), f, a);
}

TValue TMachine::Return(const TArgs& a, TFrame& f)
{
    if (!f.InCall)
        Fault("'return' outside a function: the script stops");
    if (a.empty()) {
        f.Result = TValue::Of(0);
        f.Result.Void = true;
    } else {
        f.ResultRef = ReturnedRef(*a[0], f);
        if (!f.ResultRef)
            f.Result = Eval(*a[0], f);
    }
    f.Returned = true;
    return TValue::Of(0);
}

TValue TMachine::Getarg(const TArgs& a, TFrame& f)
{
    if (!f.InCall)
        Fault("getarg outside a function or subroutine");
    if (a.empty())
        Fault("getarg: an index expected");
    const std::int32_t index = EvalInt(*a[0], f);
    if (index >= 0 && index < static_cast<std::int32_t>(f.Args.size())) {
        const TArg& arg = f.Args[static_cast<std::size_t>(index)];
        return arg.Ref ? ReadRef(*arg.Ref, f) : arg.Value;
    }
    if (a.size() > 1)
        return Eval(*a[1], f);
    Fault("getarg(" + std::to_string(index) + "): the call passed " + std::to_string(f.Args.size()) +
          " arguments and there is no default");
}

// ---- Variables --------------------------------------------------------------------------------

TValue TMachine::Set(const TArgs& a, TFrame& f)
{
    if (a.size() < 2)
        Fault("set: a variable and a value expected");
    const TVarRef ref = Ref(*a[0], f);
    TValue value = Eval(*a[1], f);
    WriteRef(ref, value, f);
    return value;
}

TValue TMachine::Rand(const TArgs& a, TFrame& f)
{
    if (a.empty())
        Fault("rand: a range expected");
    std::int32_t min = 0;
    std::int64_t range = EvalInt(*a[0], f);
    if (a.size() > 1) {
        min = static_cast<std::int32_t>(range);
        std::int32_t max = EvalInt(*a[1], f);
        if (max < min)
            std::swap(min, max);
        range = static_cast<std::int32_t>(static_cast<std::uint32_t>(max) - static_cast<std::uint32_t>(min) + 1u);
    }
    if (range <= 1)
        return TValue::Of(min);
    const auto drawn = static_cast<std::uint32_t>(Random_() % static_cast<std::uint32_t>(range));
    return TValue::Of(static_cast<std::int32_t>(drawn + static_cast<std::uint32_t>(min)));
}

TValue TMachine::Strcharinfo(const TArgs&, TFrame&)
{
    return TValue::Of(Result_.Player.Name);
}

} // namespace script
