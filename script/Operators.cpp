// The server's operators as its engine runs them: every operand is evaluated (no short circuit),
// a variable operand is pushed as a name and read only when its operator runs, `+ - *` beyond the
// server's integers saturate with a warning (or end the script on rAthena, see TPlayRules), and
// an operator that meets a string it has no rule for stops the script.

#include "script/Machine.h"

#include <climits>
#include <cstdint>

namespace script {
namespace {

// A string this long is a runaway concatenation; the server would run out of memory on it.
constexpr std::size_t MaxStringLength = 1 << 20;

std::int32_t Compare(const std::string& op, std::int64_t a, std::int64_t b, bool& known)
{
    known = true;
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

// An operand: what a bare `return;` gave is no value, and the server's operators stop the script
// on it (a command given it goes on).
const TValue& TMachine::Used(const TValue& value)
{
    if (value.Void)
        Fault("op_2: invalid data (the value of a 'return' without one); the script stops here");
    return value;
}

bool TMachine::IsVariable(const TExpr& e) const
{
    return e.Kind == TExprKind::Identifier;
}

TValue TMachine::Operand(const TExpr& e, TFrame& frame, std::optional<TVarRef>& ref)
{
    if (IsVariable(e)) {
        ref = Ref(e, frame);
        return {};
    }
    TValue value = Eval(e, frame);
    // A call that handed back a variable: the operator reads it when it runs.
    if (e.Kind == TExprKind::Call && frame.HandedBy == &e.Args)
        ref = frame.Handed;
    return value;
}

TValue TMachine::Late(const TValue& value, const std::optional<TVarRef>& ref, TFrame& frame)
{
    return ref ? ReadRef(*ref, frame) : value;
}

TValue TMachine::Unary(const TExpr& e, TFrame& frame)
{
    const TExpr& operand = *e.Args[0];
    // A minus right before the digits is part of the literal, which the parser stores whole.
    if (e.Op == "-" && operand.Kind == TExprKind::Number && operand.Range.Begin.Offset == e.Range.Begin.Offset + 1)
        return TValue::Of(Rules_.Literal(operand.Value, true));
    const TValue value = Used(Eval(operand, frame));
    if (value.IsString)
        Fault("'" + e.Op + "' on a string: the server stops the script (op_1: argument is not a number)");
    const std::int64_t v = value.Int;
    if (e.Op == "-")
        return TValue::Of(Rules_.IntBits == 64 ? static_cast<std::int64_t>(0ull - static_cast<std::uint64_t>(v))
                                               : static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v)));
    return TValue::Of(e.Op == "!" ? std::int64_t(v == 0) : ~v);
}

TValue TMachine::BinaryExpr(const TExpr& e, TFrame& frame)
{
    std::optional<TVarRef> leftRef, rightRef;
    const TValue leftValue = Operand(*e.Args[0], frame, leftRef);
    const TValue rightValue = Operand(*e.Args[1], frame, rightRef);
    const TValue left = Used(Late(leftValue, leftRef, frame));
    const TValue right = Used(Late(rightValue, rightRef, frame));
    if (e.Op == "&&" || e.Op == "||") {
        if (left.IsString || right.IsString)
            Fault("'" + e.Op + "' on a string: the server stops the script");
        return TValue::Of(e.Op == "&&" ? left.Int && right.Int : left.Int || right.Int);
    }
    return Binary(e.Op, left, right);
}

// The server pushes the test and both branches, then keeps one: a string tests its first byte.
TValue TMachine::Conditional(const TExpr& e, TFrame& frame)
{
    if (Rules_.TernaryJumps) {
        const TValue test = Eval(*e.Args[0], frame);
        if (test.Void)
            return test;
        const bool flag = test.IsString ? !test.Str.empty() && test.Str[0] != '\0' : test.Int != 0;
        return Eval(*e.Args[flag ? 1 : 2], frame);
    }
    std::optional<TVarRef> testRef, thenRef, elseRef;
    const TValue testValue = Operand(*e.Args[0], frame, testRef);
    const TValue thenValue = Operand(*e.Args[1], frame, thenRef);
    const TValue elseValue = Operand(*e.Args[2], frame, elseRef);
    const TValue test = Late(testValue, testRef, frame);
    // op_3 on no value gives no value, which the operator that uses it stops on.
    if (test.Void)
        return test;
    const bool flag = test.IsString ? !test.Str.empty() && test.Str[0] != '\0' : test.Int != 0;
    return flag ? Late(thenValue, thenRef, frame) : Late(elseValue, elseRef, frame);
}

TValue TMachine::Binary(const std::string& op, const TValue& left, const TValue& right)
{
    // What a command the play does not model gave (0) compares with a string as an empty one.
    const bool joins = op == "+";
    const TValue a = left.Unknown && right.IsString && !joins ? TValue::Of(std::string()) : left;
    const TValue b = right.Unknown && left.IsString && !joins ? TValue::Of(std::string()) : right;
    if (a.IsString || b.IsString) {
        if (op == "+") {
            std::string joined = ToStr(a);
            const std::string tail = ToStr(b);
            if (joined.size() + tail.size() > MaxStringLength)
                Fault("a string grew beyond " + std::to_string(MaxStringLength) +
                      " bytes; the play stops here (the server would go on)");
            UseBytes(joined.size() + tail.size());
            return TValue::Of(joined + tail);
        }
        if (!a.IsString || !b.IsString)
            Fault("'" + op + "' needs two numbers or two strings: the server stops the script (op_2: invalid data)");
        bool known = false;
        const std::int32_t result = Compare(op, a.Str.compare(b.Str), 0, known);
        if (!known)
            Fault("'" + op + "' does not work on strings: the server stops the script");
        return TValue::Of(result);
    }
    if (op == "/" || op == "%") {
        if (b.Int == 0)
            Fault("division by zero");
        // The server's own division traps here; the play gives what the processor would.
        const std::int64_t lowest = Rules_.IntBits == 64 ? INT64_MIN : INT32_MIN;
        if (a.Int == lowest && b.Int == -1)
            return TValue::Of(op == "/" ? lowest : 0);
        return TValue::Of(op == "/" ? a.Int / b.Int : a.Int % b.Int);
    }
    bool known = false;
    const std::int32_t compared = Compare(op, a.Int, b.Int, known);
    if (known)
        return TValue::Of(compared);
    return TValue::Of(Arithmetic(op, a.Int, b.Int));
}

std::int64_t TMachine::Arithmetic(const std::string& op, std::int64_t a, std::int64_t b)
{
    const int bits = Rules_.IntBits;
    if (op == "&") return a & b;
    if (op == "|") return a | b;
    if (op == "^") return a ^ b;
    // The server shifts with the processor's instruction, which uses the low five bits of the
    // count for 32-bit values and the low six for 64-bit ones.
    const auto count = static_cast<unsigned>(b) & static_cast<unsigned>(bits - 1);
    if (op == "<<")
        return bits == 64 ? static_cast<std::int64_t>(static_cast<std::uint64_t>(a) << count)
                          : static_cast<std::int32_t>(static_cast<std::uint32_t>(a) << count);
    if (op == ">>") return a >> count;
    __int128 exact = 0;  // wide enough for any product of two 64-bit values
    if (op == "+")
        exact = static_cast<__int128>(a) + b;
    else if (op == "-")
        exact = static_cast<__int128>(a) - b;
    else if (op == "*")
        exact = static_cast<__int128>(a) * b;
    else
        Fault("unknown operator '" + op + "'");
    const std::int64_t highest = bits == 64 ? INT64_MAX : INT32_MAX, lowest = bits == 64 ? INT64_MIN : INT32_MIN;
    if (exact >= lowest && exact <= highest)
        return static_cast<std::int64_t>(exact);
    const std::string what = std::to_string(a) + " " + op + " " + std::to_string(b) + " is beyond " + std::to_string(bits) + " bits";
    // rAthena ends the script; eAthena and Hercules saturate and go on.
    if (Rules_.OverflowStops)
        Fault(what + ": the server ends the script here (op_2num: overflow detected)");
    const bool up = exact > highest;
    const std::int64_t capped = up ? highest : lowest;
    Warn(what + ": the server gives " + std::to_string(capped) + " (op_2num: " + (up ? "overflow" : "underflow") + " detected)");
    return capped;
}

} // namespace script
