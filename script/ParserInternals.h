#pragma once
// The parser's state and steps, shared by its two halves: the statements (Parser.cpp) and the
// expressions (ExpressionParser.cpp). Only those two include it.

#include "script/Lexer.h"
#include "script/ServerRules.h"
#include "script/SyntaxTree.h"
#include "script/Text.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace script::parser {

struct TParseError {
    TSourceRange Range;
    std::string Message;
};

// Whether op is want. Operators are compared after every operand: a loop over their one to three
// characters, rather than a call of the library's comparison each time.
inline bool SameOp(std::string_view op, std::string_view want)
{
    if (op.size() != want.size())
        return false;
    for (std::size_t i = 0; i < op.size(); ++i)
        if (op[i] != want[i])
            return false;
    return true;
}

inline bool IsAssignOp(std::string_view op)
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
          CaseSensitive_(DialectOf(target).CaseSensitive), JoinedStrings_(DialectOf(target).JoinedStrings),
          LooseAssignmentEnd_(DialectOf(target).LooseAssignmentEnd), DoubledSigns_(DialectOf(target).DoubledSigns)
    {
    }

    // Reads what is left, so that the comments after an error (or after the block) are kept too.
    void ReadToTheEnd() { Tokens_.ReadToTheEnd(); }
    // What the server loads but reads otherwise than it looks (a warning each).
    std::vector<TDiagnostic>& Warnings() { return Warnings_; }
    // The statements an error cut short the blocks of, each read whole before it: the server
    // checks as it reads, so what it refuses in them comes before the error.
    std::vector<std::unique_ptr<TStmt>>& ReadBeforeError() { return ReadBeforeError_; }

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
        return t.Kind == TTokenKind::Word && (CaseSensitive_ ? t.Text == word : SameLetters(t.Text, word));
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
    // Reads statements into block until done() says the block ends; on an error keeps those read.
    template <typename TDone>
    void BlockStatements(TStmt& block, TDone done);
    std::unique_ptr<TStmt> Keyword();
    void RefuseMiscasedKeyword() const;
    std::unique_ptr<TStmt> KeywordStatement(TStmtKind kind);
    std::unique_ptr<TStmt> If();
    std::unique_ptr<TStmt> While();
    std::unique_ptr<TStmt> DoWhile();
    std::unique_ptr<TStmt> For();
    std::unique_ptr<TStmt> Switch();
    std::unique_ptr<TStmt> Case();
    std::unique_ptr<TStmt> Default();
    std::unique_ptr<TStmt> BreakOrContinue();
    std::unique_ptr<TStmt> Function();
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
    bool LooseAssignmentEnd(const char* end);

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
    bool LooseAssignmentEnd_;  // any one character ends an assignment
    bool DoubledSigns_;        // `3--5` is 3 - -5
    std::vector<TDiagnostic> Warnings_;
    std::vector<std::unique_ptr<TStmt>> ReadBeforeError_;
};

} // namespace script::parser
