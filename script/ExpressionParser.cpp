#include "script/ParserInternals.h"

namespace script::parser {
namespace {

// Binding strength of a binary operator; 0 = not a binary operator. eAthena ranks comparisons
// below the bit operators and `^` below `|`; its successors rank them as C does.
int BinaryLevel(std::string_view op, bool cLike)
{
    struct TLevel {
        int EAthena = 0;
        int CLike = 0;
    };
    if (op.empty() || op.size() > 2)
        return 0;
    const char second = op.size() == 2 ? op[1] : '\0';
    TLevel level;
    switch (op[0]) {
    case '|': level = second == '|' ? TLevel{1, 1} : second == '\0' ? TLevel{5, 3} : TLevel{}; break;
    case '&': level = second == '&' ? TLevel{2, 2} : second == '\0' ? TLevel{6, 5} : TLevel{}; break;
    case '=':
    case '!': level = second == '=' ? TLevel{3, 6} : TLevel{}; break;
    case '>':
    case '<':
        level = second == '=' || second == '\0' ? TLevel{3, 7} : second == op[0] ? TLevel{7, 8} : TLevel{};
        break;
    case '^': level = second == '\0' ? TLevel{4, 4} : TLevel{}; break;
    case '+':
    case '-': level = second == '\0' ? TLevel{8, 9} : TLevel{}; break;
    case '*': level = second == '\0' ? TLevel{9, 10} : second == '*' ? TLevel{0, 11} : TLevel{}; break;
    case '/':
    case '%': level = second == '\0' ? TLevel{9, 10} : TLevel{}; break;
    default: break;
    }
    return cLike ? level.CLike : level.EAthena;
}

} // namespace

std::unique_ptr<TExpr> TParser::Expression(int limit)
{
    return Binary(Operand(), limit);
}

// Precedence climbing: an operator binds when it is stronger than `limit`; operators of one
// level group to the left, `?:` (the weakest) to the right.
std::unique_ptr<TExpr> TParser::Binary(std::unique_ptr<TExpr> left, int limit)
{
    // Each operator adds a level to the tree, which every walker descends recursively.
    for (int chain = 0; Cur().Kind == TTokenKind::Punct; ++chain) {
        if (chain + Depth_ > MaxChain)
            Fail("expression too long");
        const std::string& op = Cur().Text;
        if (SameOp(op, "?") && limit < 0) {
            Take();
            auto e = std::make_unique<TExpr>(TExprKind::Conditional, TSourceRange{});
            e->Args.reserve(3);
            e->Args.push_back(std::move(left));
            e->Args.push_back(Expression(-1));
            Expect(":", "':' expected");
            e->Args.push_back(Expression(-1));
            e->Range = {e->Args[0]->Range.Begin, LastEnd()};
            left = std::move(e);
            continue;
        }
        // The servers read `3--5` as 3 - -5 and `3++5` as 3 + +5: the second sign starts the operand.
        const bool doubled = DoubledSigns_ && (SameOp(op, "--") || (SameOp(op, "++") && Ahead(1).Kind == TTokenKind::Number));
        const std::string single = doubled ? op.substr(0, 1) : op;
        const int level = BinaryLevel(single, CLike_);
        if (level == 0 || level <= limit)
            break;
        TSourcePos sign = Cur().Range.Begin;
        ++sign.Column;
        ++sign.Offset;
        Take();
        auto e = std::make_unique<TExpr>(TExprKind::Binary, TSourceRange{});
        e->Op = single;
        e->Args.reserve(2);
        e->Args.push_back(std::move(left));
        e->Args.push_back(doubled ? Binary(SignedOperand(single, sign), level) : Expression(level));
        e->Range = {e->Args[0]->Range.Begin, LastEnd()};
        left = std::move(e);
    }
    return left;
}

std::unique_ptr<TExpr> TParser::Operand()
{
    const TDepth depth(*this);
    const TSourcePos begin = Cur().Range.Begin;
    if (IsPunct("-") && (IsPunct(";", 1) || IsPunct(",", 1))) {
        Take();
        return std::make_unique<TExpr>(TExprKind::NextLine, TSourceRange{begin, LastEnd()});
    }
    if (IsPunct("-") || IsPunct("!") || IsPunct("~")) {
        auto e = std::make_unique<TExpr>(TExprKind::Unary, TSourceRange{});
        e->Op = Take().Text;
        e->Args.push_back(Expression(CLike_ ? 12 : 10));  // tighter than every binary operator
        e->Range = {begin, LastEnd()};
        return e;
    }
    // A sign written right before a digit is part of the number, as the servers read it.
    if (IsPunct("+") && Ahead(1).Kind == TTokenKind::Number && Ahead(1).Range.Begin.Offset == Cur().Range.End.Offset) {
        Take();
        return Primary();
    }
    if (IsPunct("++") || IsPunct("--")) {
        auto e = std::make_unique<TExpr>(TExprKind::IncDec, TSourceRange{});
        e->Op = Take().Text;
        e->Prefix = true;
        if (Cur().Kind != TTokenKind::Word)
            Fail("a variable expected after " + e->Op);
        e->Args.push_back(Primary());
        e->Range = {begin, LastEnd()};
        return e;
    }
    return PostfixOrAssign(Primary());
}

// The operand after the second sign of `--` or `++` in an operator's place: -<operand> or a number.
std::unique_ptr<TExpr> TParser::SignedOperand(const std::string& sign, TSourcePos begin)
{
    if (sign == "+")
        return Primary();
    auto e = std::make_unique<TExpr>(TExprKind::Unary, TSourceRange{});
    e->Op = "-";
    e->Args.push_back(Expression(CLike_ ? 11 : 10));
    e->Range = {begin, LastEnd()};
    return e;
}

std::unique_ptr<TExpr> TParser::PostfixOrAssign(std::unique_ptr<TExpr> target)
{
    if (target->Kind != TExprKind::Identifier || Cur().Kind != TTokenKind::Punct)
        return target;
    const std::string& op = Cur().Text;
    if (SameOp(op, "++") || SameOp(op, "--")) {
        auto e = std::make_unique<TExpr>(TExprKind::IncDec, TSourceRange{});
        e->Op = op;
        Take();
        e->Range = {target->Range.Begin, LastEnd()};
        e->Args.push_back(std::move(target));
        return e;
    }
    if (!IsAssignOp(op))
        return target;
    Take();
    auto e = std::make_unique<TExpr>(TExprKind::Assign, TSourceRange{});
    e->Op = op;
    e->Args.reserve(2);
    e->Args.push_back(std::move(target));
    e->Args.push_back(Expression(-1));
    e->Range = {e->Args[0]->Range.Begin, LastEnd()};
    return e;
}

std::unique_ptr<TExpr> TParser::Primary()
{
    const TToken& t = Cur();
    const TSourcePos begin = t.Range.Begin;
    if (t.Kind == TTokenKind::Number || t.Kind == TTokenKind::String) {
        auto e = std::make_unique<TExpr>(t.Kind == TTokenKind::Number ? TExprKind::Number : TExprKind::String, t.Range);
        e->Value = t.Value;
        e->Text = Tokens_.TakeText();  // read once: the parser never steps back
        Take();
        while (JoinedStrings_ && e->Kind == TExprKind::String && Cur().Kind == TTokenKind::String) {
            e->Text += Tokens_.TakeText();
            Take();
            e->Range.End = LastEnd();
        }
        return e;
    }
    if (IsPunct("(")) {
        Take();
        auto e = Expression(-1);
        Expect(")", "')' expected");
        return e;
    }
    if (t.Kind != TTokenKind::Word)
        Fail(t.Kind == TTokenKind::End ? "unexpected end of the script" : "'" + t.Text + "' is not a value");
    auto e = std::make_unique<TExpr>(TExprKind::Identifier, t.Range);
    e->Text = t.Text;
    Take();
    if (IsPunct("(")) {
        e->Kind = TExprKind::Call;
        CallArguments(*e);
    } else if (IsPunct("[")) {
        Take();
        e->Args.push_back(Expression(-1));
        Expect("]", "']' expected");
    }
    e->Range = {begin, LastEnd()};
    return e;
}

void TParser::CallArguments(TExpr& call)
{
    Expect("(", "'(' expected");
    if (IsPunct(")")) {
        Take();
        return;
    }
    call.Args.reserve(ListedArguments);
    call.Args.push_back(Expression(-1));
    while (IsPunct(",")) {
        Take();
        call.Args.push_back(Expression(-1));
    }
    Expect(")", "')' expected to close the argument list");
}

std::unique_ptr<TExpr> TParser::WholeExpression()
{
    auto e = Expression(-1);
    if (Cur().Kind != TTokenKind::End)
        Fail("unexpected text after the expression");
    return e;
}

} // namespace script::parser
