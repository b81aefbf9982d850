#pragma once
// The running state of one play: the call frames, the variables, the answers still to give, and
// the events so far. Machine.cpp runs operations and expressions, Operators.cpp the operators;
// Builtins.cpp holds the server's commands of flow and dialogue, Arrays.cpp its array commands,
// PlayerCommands.cpp those that act on the player.

#include "script/Constants.h"
#include "script/MockPlayer.h"
#include "script/PlayProgram.h"
#include "script/PlayTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace script {

class TMachine {
public:
    TMachine(const TProgram& program, const TPlaySetup& setup, const TItemLookup* items, const TConstants* constants);
    TRunResult Run(const TCodeUnit& unit, int startPc);
    static bool IsBuiltin(const std::string& lowerName) { return Builtins().count(lowerName) != 0; }

    // Control flow that leaves the run loop. Each is thrown after its events are recorded.
    struct TStop {};   // the script ends (end, close, a fault that stops the server's script)
    struct TWait {};   // an answer is missing

private:
    void TakePlayer(const TPlayerState& player);
    struct TFrame;
    // A variable as the script names it: its name as written and the element, and the call whose
    // scope it belongs to (a variable passed to a call; null: the frame that uses it).
    struct TVarRef {
        std::string Name;
        std::int64_t Index = 0;
        TFrame* Owner = nullptr;
        const TCodeUnit* Script = nullptr;  // a `.` variable tied to this script's; null: the owner's
    };
    // An argument of callsub or callfunc: the server passes a variable as itself, read when the
    // callee reads it, and anything else as its value.
    struct TArg {
        TValue Value;
        std::optional<TVarRef> Ref;
    };
    struct TFrame {
        const TCodeUnit* Unit = nullptr;
        int Pc = 0;
        std::map<std::string, TValue> Locals;  // `.@` variables
        std::vector<TArg> Args;
        bool InCall = false;
        bool Returned = false;
        TValue Result;
        std::optional<TVarRef> ResultRef;  // `return <variable>;` hands back the variable itself
        // The variable the last call made from this frame handed back, and that call's arguments.
        std::optional<TVarRef> Handed;
        const void* HandedBy = nullptr;
    };
    using TArgs = std::vector<std::unique_ptr<TExpr>>;
    using TBuiltin = TValue (TMachine::*)(const TArgs&, TFrame&);

    // Machine.cpp
    void RunFrame(TFrame& frame);
    void Step(const TOp& op, TFrame& frame);
    void Jump(TFrame& frame, int target);
    TValue Call(const TCodeUnit& unit, int pc, std::vector<TArg> args, TFrame& caller, const TArgs& site);
    std::optional<TVarRef> ReturnedRef(const TExpr& value, TFrame& frame);
    std::vector<TArg> CallArgs(const TArgs& a, std::size_t from, TFrame& frame);
    TValue Eval(const TExpr& e, TFrame& frame);
    std::int32_t EvalInt(const TExpr& e, TFrame& frame) { return ToInt(Eval(e, frame)); }
    // An array index, as conv_num gives every server's getelementofarray its argument.
    std::int64_t EvalIndex(const TExpr& e, TFrame& frame) { return EvalInt(e, frame); }
    // A condition or a switch value: the whole integer (64 bits on rAthena), not a command's int.
    std::int64_t EvalWhole(const TExpr& e, TFrame& frame) { return Number(Eval(e, frame)); }
    std::string EvalStr(const TExpr& e, TFrame& frame) { return ToStr(Eval(e, frame)); }
    const TValue& Used(const TValue& value);
    TValue Assign(const TExpr& e, TFrame& frame);
    TValue Invoke(const std::string& name, const TArgs& args, TFrame& frame, bool asCommand);
    TVarRef Ref(const TExpr& target, TFrame& frame);
    void CheckIndex(const std::string& name, std::int64_t index);
    bool IsVariable(const TExpr& e) const;

    // Operators.cpp: the server's operators, each operand read when the operator runs.
    TValue Operand(const TExpr& e, TFrame& frame, std::optional<TVarRef>& ref);
    TValue Late(const TValue& value, const std::optional<TVarRef>& ref, TFrame& frame);
    TValue Unary(const TExpr& e, TFrame& frame);
    TValue BinaryExpr(const TExpr& e, TFrame& frame);
    TValue Conditional(const TExpr& e, TFrame& frame);
    TValue Binary(const std::string& op, const TValue& left, const TValue& right);
    std::int64_t Arithmetic(const std::string& op, std::int64_t a, std::int64_t b);
    TValue Read(const TExpr& target, TFrame& frame) { return ReadRef(Ref(target, frame), frame); }
    void Write(const TExpr& target, TValue value, TFrame& frame) { WriteRef(Ref(target, frame), std::move(value), frame); }
    TValue ReadRef(const TVarRef& ref, TFrame& frame);
    void WriteRef(const TVarRef& ref, TValue value, TFrame& frame);
    std::map<std::string, TValue>& Scope(const TVarRef& ref, TFrame& frame, std::string& key);
    // A value as a number in the server's width (a string read as strtol / strtoll reads it),
    // and as the 32-bit int a command's argument is (conv_num).
    std::int64_t Number(const TValue& v) const;
    std::int32_t ToInt(const TValue& v) const { return static_cast<std::int32_t>(static_cast<std::uint64_t>(Number(v))); }
    static std::string ToStr(const TValue& v);

    // Events and faults.
    TEvent& Emit(TEventKind kind);
    [[noreturn]] void Fault(const std::string& message);
    [[noreturn]] void Wait(TWaitKind kind, const char* what, std::vector<std::string> options = {});
    void Warn(const std::string& message);
    void NotSimulated(const std::string& name, const TArgs& args, TFrame& frame);
    void NotSimulated(const std::string& name, std::vector<std::string> values);
    void EmitChanges(const std::vector<TMockPlayer::TChange>& changes);
    void Recorded(const std::string& name, const TArgs& args, TFrame& frame, const std::string& note = {});
    std::vector<std::string> ArgTexts(const TArgs& args, TFrame& frame, std::size_t from = 0);
    void EndOfScript();
    int TakePause();

    // Builtins.cpp and PlayerCommands.cpp
    static const std::map<std::string, TBuiltin>& Builtins();
    int JumpTarget(const TExpr& label, const TFrame& frame);
    int ChooseOption(const std::vector<std::string>& texts, int& position);
    TValue Mes(const TArgs& a, TFrame& f);
    TValue Next(const TArgs& a, TFrame& f);
    TValue Close(const TArgs& a, TFrame& f);
    TValue Close2(const TArgs& a, TFrame& f);
    TValue End(const TArgs& a, TFrame& f);
    TValue Menu(const TArgs& a, TFrame& f);
    TValue Select(const TArgs& a, TFrame& f);
    TValue Prompt(const TArgs& a, TFrame& f);
    TValue Input(const TArgs& a, TFrame& f);
    TValue Goto(const TArgs& a, TFrame& f);
    TValue Callsub(const TArgs& a, TFrame& f);
    TValue Callfunc(const TArgs& a, TFrame& f);
    TValue Return(const TArgs& a, TFrame& f);
    TValue Getarg(const TArgs& a, TFrame& f);
    TValue Set(const TArgs& a, TFrame& f);
    TValue Setarray(const TArgs& a, TFrame& f);
    TValue Cleararray(const TArgs& a, TFrame& f);
    TValue Getarraysize(const TArgs& a, TFrame& f);
    TValue Copyarray(const TArgs& a, TFrame& f);
    TValue Deletearray(const TArgs& a, TFrame& f);
    TValue Getelementofarray(const TArgs& a, TFrame& f);
    TVarRef ArrayRef(const TArgs& a, std::size_t at, TFrame& f);
    // The indices of the array's elements that exist, from `from` on, in order.
    std::vector<std::int64_t> Elements(const TVarRef& array, TFrame& f, std::int64_t from);
    void Spend(std::int64_t steps);  // array work against the step budget
    TValue Rand(const TArgs& a, TFrame& f);
    TValue Getitem(const TArgs& a, TFrame& f);
    TValue Delitem(const TArgs& a, TFrame& f);
    TValue Countitem(const TArgs& a, TFrame& f);
    TValue Checkweight(const TArgs& a, TFrame& f);
    TValue Jobchange(const TArgs& a, TFrame& f);
    TValue Warp(const TArgs& a, TFrame& f);
    TValue Strcharinfo(const TArgs& a, TFrame& f);
    TValue Action(const TArgs& a, TFrame& f);  // recorded actions: heal, savepoint, setcart...
    std::optional<TItemInfo> ItemArg(const TExpr& e, TFrame& f, const char* command);
    TValue Menu(const TArgs& a, TFrame& f, bool labels, bool cancelContinues);

    const TProgram& Program_;
    const TPlaySetup& Setup_;
    const TPlayRules& Rules_;
    const TConstants* Constants_;
    TRunResult Result_;
    TMockPlayer Player_;
    std::mt19937 Random_;
    std::size_t ChoicesUsed_ = 0;
    std::size_t InputsUsed_ = 0;
    int PressesUsed_ = 0;
    std::size_t EditsApplied_ = 0;
    bool DialogueOpen_ = false;
    bool OutputFull_ = false;
    std::size_t BytesUsed_ = 0;  // text built and written so far, against the byte budget
    void UseBytes(std::size_t count);
    int Depth_ = 0;
    int JumpsLeft_ = 0;  // the server's jumps left before it calls the run an endless loop
    std::map<const TOp*, std::int64_t> SwitchValues_;  // each switch's value, as the server keeps it
    const TStmt* Current_ = nullptr;
    const TCodeUnit* NpcUnit_ = nullptr;
    std::string CurrentName_;  // the builtin being run, for messages
};

} // namespace script
