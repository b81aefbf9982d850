#include "script/Parser.h"

#include "script/ParserInternals.h"

namespace script::parser {

std::unique_ptr<TStmt> TParser::Finish(std::unique_ptr<TStmt> s, TSourcePos begin)
{
    s->Range = {begin, LastEnd()};
    return s;
}

template <typename TDone>
void TParser::BlockStatements(TStmt& block, TDone done)
{
    try {
        while (!done())
            block.Children.push_back(Statement());
    } catch (const TParseError&) {
        for (auto& child : block.Children)
            ReadBeforeError_.push_back(std::move(child));
        throw;
    }
}

std::unique_ptr<TStmt> TParser::Block()
{
    const TSourcePos begin = Cur().Range.Begin;
    Expect("{", "'{' expected");
    auto block = std::make_unique<TStmt>(TStmtKind::Block, TSourceRange{});
    BlockStatements(*block, [this] {
        if (Cur().Kind == TTokenKind::End)
            Fail("missing '}'");
        return IsPunct("}");
    });
    Take();
    return Finish(std::move(block), begin);
}

std::unique_ptr<TStmt> TParser::Statements()
{
    const TSourcePos begin = Cur().Range.Begin;
    auto block = std::make_unique<TStmt>(TStmtKind::Block, TSourceRange{});
    BlockStatements(*block, [this] {
        if (IsPunct("}"))
            Fail("'}' without its '{'");
        return Cur().Kind == TTokenKind::End;
    });
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
    bool ended = false;
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
        ended = LooseAssignmentEnd(inFor ? ")" : ";");
    } else {
        s = Command(inFor);
    }
    if (!ended)
        inFor ? Expect(")", "')' expected") : Expect(";", "';' expected");
    return Finish(std::move(s), begin);
}

// rAthena's parse_line skips the character after an assignment without looking at it, so
// `.@i = 0, .@i < 3;` in a `for`, a stray `)` or a `:` there ends the assignment as `;` would.
bool TParser::LooseAssignmentEnd(const char* end)
{
    const TToken& t = Cur();
    if (!LooseAssignmentEnd_ || IsPunct(end) || t.Kind != TTokenKind::Punct || t.Text.size() != 1 || IsPunct("{") || IsPunct("}"))
        return false;
    Warnings_.push_back({TSeverity::Warning, t.Range,
                         "'" + t.Text + "' ends this assignment: rAthena skips the character after an assignment unread, as if it were '" +
                             end + "'"});
    Take();
    return true;
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

void TParser::RefuseMiscasedKeyword() const
{
    for (const char* keyword : {"if", "else", "while", "do", "for", "switch", "case", "default", "break", "continue", "function"})
        if (SameLetters(Cur().Text, keyword) && Cur().Text != keyword)
            Fail("'" + Cur().Text + "' is no keyword: names are case-sensitive here (did you mean `" + keyword + "`?)");
}

// The statements that start with a keyword; null when the word is none (a command, a variable).
std::unique_ptr<TStmt> TParser::Keyword()
{
    if (Cur().Kind != TTokenKind::Word)
        return nullptr;
    if (CaseSensitive_)
        RefuseMiscasedKeyword();
    const TSourcePos begin = Cur().Range.Begin;
    std::unique_ptr<TStmt> s;
    if (IsKeyword("if"))
        s = If();
    else if (IsKeyword("else"))
        Fail("'else' without 'if'");
    else if (IsKeyword("while"))
        s = While();
    else if (IsKeyword("do"))
        s = DoWhile();
    else if (IsKeyword("for"))
        s = For();
    else if (IsKeyword("switch"))
        s = Switch();
    else if (IsKeyword("case"))
        s = Case();
    else if (IsKeyword("default") && IsPunct(":", 1))
        s = Default();
    else if (IsKeyword("break") || IsKeyword("continue"))
        s = BreakOrContinue();
    else if (IsKeyword("function") && Ahead(1).Kind == TTokenKind::Word)
        s = Function();
    else
        return nullptr;
    return Finish(std::move(s), begin);
}

// The statement of the keyword at hand, the keyword taken.
std::unique_ptr<TStmt> TParser::KeywordStatement(TStmtKind kind)
{
    auto s = std::make_unique<TStmt>(kind, TSourceRange{});
    s->NameRange = Cur().Range;
    Take();
    return s;
}

std::unique_ptr<TStmt> TParser::If()
{
    auto s = KeywordStatement(TStmtKind::If);
    s->Cond = Condition();
    s->Then = Statement();
    if (IsKeyword("else")) {
        Take();
        s->Else = Statement();
    }
    return s;
}

std::unique_ptr<TStmt> TParser::While()
{
    auto s = KeywordStatement(TStmtKind::While);
    s->Cond = Condition();
    s->Then = Statement();
    return s;
}

std::unique_ptr<TStmt> TParser::DoWhile()
{
    auto s = KeywordStatement(TStmtKind::Do);
    s->Then = Statement();
    if (!IsKeyword("while"))
        Fail("'while' expected after the body of 'do'");
    Take();
    s->Cond = Condition();
    Expect(";", "';' expected");
    return s;
}

// Each of the three parts may be left out: `for (;;)`.
std::unique_ptr<TStmt> TParser::For()
{
    auto s = KeywordStatement(TStmtKind::For);
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
    return s;
}

std::unique_ptr<TStmt> TParser::Switch()
{
    auto s = KeywordStatement(TStmtKind::Switch);
    s->Cond = Condition();
    if (!IsPunct("{"))
        Fail("'{' expected after 'switch'");
    s->Then = Block();
    return s;
}

// The servers take a number (a sign only right before it) or a constant's name, no expression.
std::unique_ptr<TStmt> TParser::Case()
{
    auto s = KeywordStatement(TStmtKind::Case);
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
    return s;
}

std::unique_ptr<TStmt> TParser::Default()
{
    auto s = KeywordStatement(TStmtKind::Default);
    Take();
    return s;
}

std::unique_ptr<TStmt> TParser::BreakOrContinue()
{
    auto s = KeywordStatement(IsKeyword("break") ? TStmtKind::Break : TStmtKind::Continue);
    Expect(";", "';' expected");
    return s;
}

// `function Name;` declares a function written further down; `function Name { ... }` writes it.
std::unique_ptr<TStmt> TParser::Function()
{
    auto s = KeywordStatement(TStmtKind::Function);
    s->Name = Cur().Text;
    s->NameRange = Cur().Range;
    Take();
    if (IsPunct(";"))
        Take();
    else if (IsPunct("{"))
        s->Then = Block();
    else
        Fail("';' or '{' expected after the function name");
    return s;
}

namespace {

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
        result.ReadBeforeError = std::move(parser.ReadBeforeError());
    }
    parser.ReadToTheEnd();
    result.Warnings = std::move(parser.Warnings());
    return result;
}

} // namespace
} // namespace script::parser

namespace script {

using parser::Run;
using parser::TParseError;
using parser::TParser;
using parser::ToDiagnostic;

TBodyResult ParseBlock(std::string_view text, TSourcePos start, std::size_t limit,
                       std::vector<TComment>* comments, TTarget target)
{
    TCursor cursor(text, start, limit);
    return Run(cursor, comments, target, [](TParser& p) { return p.Block(); });
}

TBodyResult ParseStatements(std::string_view text, std::vector<TComment>* comments, TTarget target)
{
    return ParseStatements(text, TSourcePos{}, text.size(), comments, target);
}

TBodyResult ParseStatements(std::string_view text, TSourcePos start, std::size_t limit,
                            std::vector<TComment>* comments, TTarget target)
{
    TCursor cursor(text, start, limit);
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
