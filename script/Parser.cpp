#include "script/Parser.h"

#include <array>
#include <cstring>

namespace script {
namespace {

struct TParseError {
    TSourceRange Range;
    std::string Message;
};

bool SameWord(const std::string& a, std::string_view b)
{
    const std::size_t n = b.size();
    if (a.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i])
            return false;
    }
    return true;
}

// Whether op is want. Operators are compared after every operand: a loop over their one to three
// characters, rather than a call of the library's comparison each time.
bool SameOp(std::string_view op, std::string_view want)
{
    if (op.size() != want.size())
        return false;
    for (std::size_t i = 0; i < op.size(); ++i)
        if (op[i] != want[i])
            return false;
    return true;
}

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

bool IsAssignOp(std::string_view op)
{
    static constexpr std::array<std::string_view, 11> ops = {"=", "+=", "-=", "*=", "/=", "%=",
                                                             "&=", "|=", "^=", "<<=", ">>="};
    if (op.empty() || op.back() != '=')
        return false;
    for (std::string_view o : ops)
        if (SameOp(op, o))
            return true;
    return false;
}

class TParser {
public:
    TParser(TCursor& cursor, std::vector<TComment>* comments, TTarget target)
        : Tokens_(cursor, comments, LexRulesFor(target)), CLike_(target != TTarget::EAthena),
          CaseSensitive_(DialectOf(target).CaseSensitive), JoinedStrings_(DialectOf(target).JoinedStrings)
    {
    }

    // Reads what is left, so that the comments after an error (or after the block) are kept too.
    void ReadToTheEnd() { Tokens_.ReadToTheEnd(); }

    std::unique_ptr<TStmt> Block();
    std::unique_ptr<TStmt> Statements();
    std::unique_ptr<TExpr> WholeExpression();

private:
    const TToken& Cur() const { return Tokens_.Current(); }
    const TToken& Ahead(std::size_t n) const { return Tokens_.Ahead(n); }
    bool IsPunct(std::string_view p, std::size_t ahead = 0) const
    {
        const TToken& t = Ahead(ahead);
        return t.Kind == TTokenKind::Punct && SameOp(t.Text, p);
    }
    bool IsKeyword(std::string_view word, std::size_t ahead = 0) const
    {
        const TToken& t = Ahead(ahead);
        return t.Kind == TTokenKind::Word && (CaseSensitive_ ? t.Text == word : SameWord(t.Text, word));
    }
    const TToken& Take() { return Tokens_.Take(); }
    [[noreturn]] void Fail(const std::string& message) const
    {
        const TToken& t = Cur();
        throw TParseError{t.Range, t.Kind == TTokenKind::Bad ? t.Text : message};
    }
    void Expect(const char* punct, const char* message)
    {
        if (!IsPunct(punct))
            Fail(message);
        Take();
    }
    TSourcePos LastEnd() const { return Tokens_.LastEnd(); }

    std::unique_ptr<TStmt> Statement();
    std::unique_ptr<TStmt> Keyword();
    std::unique_ptr<TStmt> Command(bool inFor);
    std::unique_ptr<TStmt> SimpleStatement(bool inFor);
    std::unique_ptr<TStmt> Finish(std::unique_ptr<TStmt> s, TSourcePos begin);
    std::unique_ptr<TExpr> Condition();
    std::unique_ptr<TExpr> Expression(int limit);
    std::unique_ptr<TExpr> Operand();
    std::unique_ptr<TExpr> Primary();
    std::unique_ptr<TExpr> Binary(std::unique_ptr<TExpr> left, int limit);
    std::unique_ptr<TExpr> SignedOperand(const std::string& sign, TSourcePos begin);
    std::unique_ptr<TExpr> PostfixOrAssign(std::unique_ptr<TExpr> target);
    void CallArguments(TExpr& call);

    // Keeps hostile input (thousands of nested parentheses or blocks) from exhausting the stack.
    struct TDepth {
        TDepth(TParser& p) : P(p)
        {
            if (++P.Depth_ > MaxDepth)
                P.Fail("nested too deeply");
        }
        ~TDepth() { --P.Depth_; }
        TParser& P;
    };
    static constexpr int MaxDepth = 400;
    static constexpr int MaxChain = 2000;
    // Room made at once for an argument list: most take one to four, and each step of a vector's
    // growth is an allocation and a move.
    static constexpr std::size_t ListedArguments = 4;

    TTokenStream Tokens_;
    int Depth_ = 0;
    bool CLike_;  // the successors' operator ranks
    bool CaseSensitive_;  // keywords as written, `If` is no `if`
    bool JoinedStrings_;  // `"a" "b"` read as one string
};

std::unique_ptr<TStmt> TParser::Finish(std::unique_ptr<TStmt> s, TSourcePos begin)
{
    s->Range = {begin, LastEnd()};
    return s;
}

std::unique_ptr<TStmt> TParser::Block()
{
    const TSourcePos begin = Cur().Range.Begin;
    Expect("{", "'{' expected");
    auto block = std::make_unique<TStmt>(TStmtKind::Block, TSourceRange{});
    while (!IsPunct("}")) {
        if (Cur().Kind == TTokenKind::End)
            Fail("missing '}'");
        block->Children.push_back(Statement());
    }
    Take();
    return Finish(std::move(block), begin);
}

std::unique_ptr<TStmt> TParser::Statements()
{
    const TSourcePos begin = Cur().Range.Begin;
    auto block = std::make_unique<TStmt>(TStmtKind::Block, TSourceRange{});
    while (Cur().Kind != TTokenKind::End) {
        if (IsPunct("}"))
            Fail("'}' without its '{'");
        block->Children.push_back(Statement());
    }
    return Finish(std::move(block), begin);
}

std::unique_ptr<TStmt> TParser::Statement()
{
    const TDepth depth(*this);
    const TToken& first = Cur();
    const TSourcePos begin = first.Range.Begin;
    if (IsPunct(";")) {
        Take();
        return Finish(std::make_unique<TStmt>(TStmtKind::Empty, TSourceRange{}), begin);
    }
    if (IsPunct("{"))
        return Block();
    // The servers take any run of letters, digits and `_` before a `:` as a label (`55000:`).
    const bool labelName = first.Kind == TTokenKind::Word ||
                           (first.Kind == TTokenKind::Number && IsWordChar(first.Text.back()) && first.Text.find_first_of("xX") == std::string::npos);
    if (labelName && IsPunct(":", 1) && !IsKeyword("default")) {
        auto label = std::make_unique<TStmt>(TStmtKind::Label, TSourceRange{});
        label->Name = first.Text;
        label->NameRange = first.Range;
        Take();
        Take();
        return Finish(std::move(label), begin);
    }
    if (auto keyword = Keyword())
        return keyword;
    return SimpleStatement(false);
}

// A command call or an assignment, ended by `;` (or by `)` as the step of a `for`).
std::unique_ptr<TStmt> TParser::SimpleStatement(bool inFor)
{
    const TSourcePos begin = Cur().Range.Begin;
    std::unique_ptr<TStmt> s;
    const bool prefixStep = IsPunct("++") || IsPunct("--");
    const TToken& next = Ahead(1);
    const bool assign = prefixStep ||
        (Cur().Kind == TTokenKind::Word && next.Kind == TTokenKind::Punct &&
         (IsAssignOp(next.Text) || SameOp(next.Text, "++") || SameOp(next.Text, "--") || SameOp(next.Text, "[")));
    if (assign) {
        s = std::make_unique<TStmt>(TStmtKind::Assign, TSourceRange{});
        s->Expr = prefixStep ? Operand() : PostfixOrAssign(Primary());
        if (s->Expr->Kind != TExprKind::Assign && s->Expr->Kind != TExprKind::IncDec)
            throw TParseError{s->Expr->Range, "an assignment or ++/-- expected"};
    } else {
        s = Command(inFor);
    }
    if (inFor)
        Expect(")", "')' expected");
    else
        Expect(";", "';' expected");
    return Finish(std::move(s), begin);
}

// `name args` or `name(args)`. A `(` right after the name is an argument list only when the
// first expression inside is followed by `,` or `)` ends the whole call; otherwise the
// parenthesised expression is the first argument (`mes ("a") + "b";`).
std::unique_ptr<TStmt> TParser::Command(bool inFor)
{
    if (Cur().Kind != TTokenKind::Word)
        Fail("a command expected");
    auto s = std::make_unique<TStmt>(TStmtKind::Command, TSourceRange{});
    s->Name = Cur().Text;
    s->NameRange = Cur().Range;
    Take();
    const char* end = inFor ? ")" : ";";
    if (IsPunct(end))
        return s;
    if (IsPunct("(") && IsPunct(")", 1)) {
        Take();
        Take();
        s->Parenthesized = true;
        return s;
    }
    s->Args.reserve(ListedArguments);
    if (IsPunct("(")) {
        Take();
        auto first = Expression(-1);
        if (IsPunct(",")) {
            s->Parenthesized = true;
            s->Args.push_back(std::move(first));
            while (IsPunct(",")) {
                Take();
                s->Args.push_back(Expression(-1));
            }
            Expect(")", "')' expected to close the argument list");
            return s;
        }
        Expect(")", "')' expected");
        s->Parenthesized = IsPunct(end);  // `name(x);` is a call of one argument
        s->Args.push_back(Binary(std::move(first), -1));
    } else {
        s->Args.push_back(Expression(-1));
    }
    while (IsPunct(",")) {
        Take();
        s->Args.push_back(Expression(-1));
    }
    return s;
}

std::unique_ptr<TExpr> TParser::Condition()
{
    if (!IsPunct("("))
        Fail("'(' expected");
    return Expression(-1);
}

std::unique_ptr<TStmt> TParser::Keyword()
{
    const TSourcePos begin = Cur().Range.Begin;
    if (Cur().Kind != TTokenKind::Word)
        return nullptr;
    if (CaseSensitive_)
        for (const char* keyword : {"if", "else", "while", "do", "for", "switch", "case", "default", "break", "continue", "function"})
            if (SameWord(Cur().Text, keyword) && Cur().Text != keyword)
                Fail("'" + Cur().Text + "' is no keyword: names are case-sensitive here (did you mean `" + keyword + "`?)");
    auto make = [&](TStmtKind kind) {
        auto s = std::make_unique<TStmt>(kind, TSourceRange{});
        s->NameRange = Cur().Range;
        Take();
        return s;
    };
    if (IsKeyword("if")) {
        auto s = make(TStmtKind::If);
        s->Cond = Condition();
        s->Then = Statement();
        if (IsKeyword("else")) {
            Take();
            s->Else = Statement();
        }
        return Finish(std::move(s), begin);
    }
    if (IsKeyword("else"))
        Fail("'else' without 'if'");
    if (IsKeyword("while")) {
        auto s = make(TStmtKind::While);
        s->Cond = Condition();
        s->Then = Statement();
        return Finish(std::move(s), begin);
    }
    if (IsKeyword("do")) {
        auto s = make(TStmtKind::Do);
        s->Then = Statement();
        if (!IsKeyword("while"))
            Fail("'while' expected after the body of 'do'");
        Take();
        s->Cond = Condition();
        Expect(";", "';' expected");
        return Finish(std::move(s), begin);
    }
    if (IsKeyword("for")) {
        auto s = make(TStmtKind::For);
        Expect("(", "'(' expected");
        if (IsPunct(";"))
            Take();
        else
            s->Init = SimpleStatement(false);
        if (!IsPunct(";"))
            s->Cond = Expression(-1);
        Expect(";", "';' expected");
        if (IsPunct(")"))
            Take();
        else
            s->Step = SimpleStatement(true);
        s->Then = Statement();
        return Finish(std::move(s), begin);
    }
    if (IsKeyword("switch")) {
        auto s = make(TStmtKind::Switch);
        s->Cond = Condition();
        if (!IsPunct("{"))
            Fail("'{' expected after 'switch'");
        s->Then = Block();
        return Finish(std::move(s), begin);
    }
    if (IsKeyword("case")) {
        auto s = make(TStmtKind::Case);
        const TSourcePos valueBegin = Cur().Range.Begin;
        const bool negative = IsPunct("-") && Ahead(1).Kind == TTokenKind::Number;
        if (negative)
            Take();
        if (Cur().Kind == TTokenKind::Number) {
            s->Cond = std::make_unique<TExpr>(TExprKind::Number, TSourceRange{valueBegin, Cur().Range.End});
            s->Cond->Value = negative ? -Cur().Value : Cur().Value;
        } else if (Cur().Kind == TTokenKind::Word && !negative) {
            s->Cond = std::make_unique<TExpr>(TExprKind::Identifier, Cur().Range);
            s->Cond->Text = Cur().Text;
        } else {
            Fail("'case' needs a number or a constant");
        }
        Take();
        Expect(":", "':' expected after the case value");
        return Finish(std::move(s), begin);
    }
    if (IsKeyword("default") && IsPunct(":", 1)) {
        auto s = make(TStmtKind::Default);
        Take();
        return Finish(std::move(s), begin);
    }
    if (IsKeyword("break") || IsKeyword("continue")) {
        auto s = make(IsKeyword("break") ? TStmtKind::Break : TStmtKind::Continue);
        Expect(";", "';' expected");
        return Finish(std::move(s), begin);
    }
    if (IsKeyword("function") && Ahead(1).Kind == TTokenKind::Word) {
        auto s = make(TStmtKind::Function);
        s->Name = Cur().Text;
        s->NameRange = Cur().Range;
        Take();
        if (IsPunct(";"))
            Take();
        else if (IsPunct("{"))
            s->Then = Block();
        else
            Fail("';' or '{' expected after the function name");
        return Finish(std::move(s), begin);
    }
    return nullptr;
}

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
        const bool doubled = SameOp(op, "--") || (SameOp(op, "++") && Ahead(1).Kind == TTokenKind::Number);
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

TDiagnostic ToDiagnostic(const TParseError& error)
{
    return {TSeverity::Error, error.Range, error.Message};
}

template <typename TRead>
TBodyResult Run(TCursor& cursor, std::vector<TComment>* comments, TTarget target, TRead read)
{
    TBodyResult result;
    TParser parser(cursor, comments, target);
    try {
        result.Body = read(parser);
    } catch (const TParseError& error) {
        result.Error = ToDiagnostic(error);
    }
    parser.ReadToTheEnd();
    return result;
}

} // namespace

TBodyResult ParseBlock(std::string_view text, TSourcePos start, std::size_t limit,
                       std::vector<TComment>* comments, TTarget target)
{
    TCursor cursor(text, start, limit);
    return Run(cursor, comments, target, [](TParser& p) { return p.Block(); });
}

TBodyResult ParseStatements(std::string_view text, std::vector<TComment>* comments, TTarget target)
{
    TCursor cursor(text);
    return Run(cursor, comments, target, [](TParser& p) { return p.Statements(); });
}

std::unique_ptr<TExpr> ParseExpression(std::string_view text, std::optional<TDiagnostic>& error, TTarget target)
{
    TCursor cursor(text);
    TParser parser(cursor, nullptr, target);
    try {
        return parser.WholeExpression();
    } catch (const TParseError& e) {
        error = ToDiagnostic(e);
        return nullptr;
    }
}

} // namespace script
