#include "model/ScriptStyle.h"

#include "script/Lexer.h"
#include "script/Text.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>

namespace {

using script::TToken;
using script::TTokenKind;

// A text's tokens, each with its bytes as written.
struct TLexed {
    std::vector<TToken> Tokens;
    std::vector<std::string_view> Raw;
    bool Clean = true;  // no comment and no unreadable token
};

TLexed Lex(std::string_view text, script::TTarget target)
{
    TLexed lexed;
    std::vector<script::TComment> comments;
    script::TCursor cursor(text);
    const script::TLexRules rules = script::LexRulesFor(target);
    for (;;) {
        TToken token;
        script::ReadToken(cursor, &comments, token, rules);
        if (token.Kind == TTokenKind::End || token.Kind == TTokenKind::Bad) {
            lexed.Clean = token.Kind == TTokenKind::End && comments.empty();
            return lexed;
        }
        lexed.Raw.push_back(text.substr(token.Range.Begin.Offset, token.Range.End.Offset - token.Range.Begin.Offset));
        lexed.Tokens.push_back(std::move(token));
    }
}

bool IsPunct(const TToken& token, std::string_view text)
{
    return token.Kind == TTokenKind::Punct && token.Text == text;
}

bool IsWord(const TToken& token, std::string_view word)
{
    return token.Kind == TTokenKind::Word && script::LowerCase(token.Text) == word;
}

// Words that open a statement of their own form, never a command written either way.
bool IsKeyword(const TToken& token)
{
    static constexpr std::array<std::string_view, 16> Keywords = {
        "if", "else", "while", "for", "do", "switch", "case", "default", "return", "goto",
        "set", "function", "end", "break", "continue", "menu"};
    return token.Kind == TTokenKind::Word &&
           std::find(Keywords.begin(), Keywords.end(), script::LowerCase(token.Text)) != Keywords.end();
}

bool OpensCondition(const TToken& token)
{
    return IsWord(token, "if") || IsWord(token, "while") || IsWord(token, "for") || IsWord(token, "switch");
}

// The brace at i opens the block of an if, a loop, a switch or an else.
bool OpensBlock(const std::vector<TToken>& tokens, std::size_t i)
{
    return i > 0 && IsPunct(tokens[i], "{") &&
           (IsPunct(tokens[i - 1], ")") || IsWord(tokens[i - 1], "else") || IsWord(tokens[i - 1], "do"));
}

bool IsVariable(const TToken& token)
{
    return token.Kind == TTokenKind::Word && !token.Text.empty() &&
           std::string_view(".@$'#").find(token.Text[0]) != std::string_view::npos;
}

bool IsAssignment(const TToken& token)
{
    static constexpr std::array<std::string_view, 11> Ops = {"=",  "+=", "-=", "*=",  "/=", "%=",
                                                             "&=", "|=", "^=", "<<=", ">>="};
    return token.Kind == TTokenKind::Punct && std::find(Ops.begin(), Ops.end(), token.Text) != Ops.end();
}

bool IsBinaryOperator(const TToken& token)
{
    static constexpr std::array<std::string_view, 19> Ops = {"==", "!=", "<", ">", "<=", ">=", "+", "-", "*", "/",
                                                             "%", "&&", "||", "&", "|", "^", "<<", ">>", "**"};
    return IsAssignment(token) ||
           (token.Kind == TTokenKind::Punct && std::find(Ops.begin(), Ops.end(), token.Text) != Ops.end());
}

// A token after which an operator joins two operands rather than starting one.
bool EndsOperand(const TToken& token)
{
    return (token.Kind == TTokenKind::Word && !IsKeyword(token)) || token.Kind == TTokenKind::Number ||
           token.Kind == TTokenKind::String || IsPunct(token, ")") || IsPunct(token, "]");
}

bool Blank(std::string_view gap)
{
    return gap.find_first_not_of(" \t") == std::string_view::npos;
}

// The token after the bracket that opens at `open`, counting nested brackets; tokens.size() when
// it never closes.
std::size_t AfterClosing(const std::vector<TToken>& tokens, std::size_t open)
{
    int depth = 0;
    for (std::size_t i = open; i < tokens.size(); ++i) {
        if (IsPunct(tokens[i], "(") || IsPunct(tokens[i], "["))
            ++depth;
        else if ((IsPunct(tokens[i], ")") || IsPunct(tokens[i], "]")) && --depth == 0)
            return i + 1;
    }
    return tokens.size();
}

// The first token at bracket depth 0 from `from` that is punct; tokens.size() when none.
std::size_t FindTopLevel(const std::vector<TToken>& tokens, std::size_t from, std::string_view punct)
{
    for (std::size_t i = from; i < tokens.size();) {
        if (IsPunct(tokens[i], punct))
            return i;
        i = IsPunct(tokens[i], "(") || IsPunct(tokens[i], "[") ? AfterClosing(tokens, i) : i + 1;
    }
    return tokens.size();
}

// A command's name at a statement's start, followed by its first argument in the command form.
bool StartsCommandForm(const std::vector<TToken>& tokens, std::size_t i)
{
    if (i + 1 >= tokens.size() || tokens[i].Kind != TTokenKind::Word || IsKeyword(tokens[i]) || IsVariable(tokens[i]))
        return false;
    const TToken& next = tokens[i + 1];
    return next.Kind == TTokenKind::String || next.Kind == TTokenKind::Number || next.Kind == TTokenKind::Word;
}

// A command's name at a statement's start, its arguments in parentheses closing the statement.
bool StartsCallForm(const std::vector<TToken>& tokens, std::size_t i)
{
    if (i + 1 >= tokens.size() || tokens[i].Kind != TTokenKind::Word || IsKeyword(tokens[i]) || IsVariable(tokens[i]) ||
        !IsPunct(tokens[i + 1], "("))
        return false;
    const std::size_t after = AfterClosing(tokens, i + 1);
    return after < tokens.size() && IsPunct(tokens[after], ";");
}

// A variable at a statement's start given a value with an operator.
bool StartsAssignment(const std::vector<TToken>& tokens, std::size_t i)
{
    if (i + 1 >= tokens.size() || tokens[i].Kind != TTokenKind::Word || IsKeyword(tokens[i]))
        return false;
    const std::size_t next = IsPunct(tokens[i + 1], "[") ? AfterClosing(tokens, i + 1) : i + 1;
    return next < tokens.size() && IsAssignment(tokens[next]);
}

std::string Trimmed(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    return std::string(text.substr(begin, text.find_last_not_of(" \t") - begin + 1));
}

std::string_view Between(std::string_view text, const TToken& from, const TToken& to)
{
    return text.substr(from.Range.End.Offset, to.Range.Begin.Offset - from.Range.End.Offset);
}

// `set VAR, EXPR;` as `VAR = EXPR;`, and `cmd ARGS;` as `cmd(ARGS);`, as the style writes them.
std::string WithStatementForm(const std::string& text, const TLexed& lexed, const TScriptStyle& style)
{
    const std::vector<TToken>& t = lexed.Tokens;
    if (t.size() < 3 || !IsPunct(t.back(), ";") || FindTopLevel(t, 0, ";") != t.size() - 1)
        return text;
    const auto slice = [&text](std::size_t begin, std::size_t end) {
        return Trimmed(std::string_view(text).substr(begin, end - begin));
    };
    if (style.AssignOperator && IsWord(t[0], "set")) {
        const std::size_t comma = FindTopLevel(t, 1, ",");
        if (comma + 1 >= t.size() - 1)
            return text;
        return slice(t[1].Range.Begin.Offset, t[comma].Range.Begin.Offset) + " = " +
               slice(t[comma].Range.End.Offset, t.back().Range.Begin.Offset) + ";";
    }
    if (style.CallParentheses && StartsCommandForm(t, 0))
        return std::string(lexed.Raw[0]) + "(" + slice(t[1].Range.Begin.Offset, t.back().Range.Begin.Offset) + ");";
    return text;
}

// The gaps between tokens as the style spaces them; the rest as written.
std::string WithSpacing(const std::string& text, const TLexed& lexed, const TScriptStyle& style)
{
    const std::vector<TToken>& t = lexed.Tokens;
    const std::string_view view(text);
    std::string out(view.substr(0, t.front().Range.Begin.Offset));
    out += lexed.Raw[0];
    bool afterOperator = false;  // the gap after a binary operator is spaced as the one before it
    for (std::size_t i = 1; i < t.size(); ++i) {
        std::string_view gap = Between(view, t[i - 1], t[i]);
        const bool binary = IsBinaryOperator(t[i]) && EndsOperand(t[i - 1]) && i + 1 < t.size();
        if (IsPunct(t[i - 1], ","))
            gap = style.SpaceAfterComma ? " " : "";
        else if (binary || afterOperator)
            gap = style.SpaceAroundOperators ? " " : "";
        else if (OpensCondition(t[i - 1]) && IsPunct(t[i], "("))
            gap = style.SpaceBeforeParen ? " " : "";
        else if (OpensBlock(t, i))
            gap = style.SpaceBeforeBrace ? " " : "";
        afterOperator = binary;
        out += gap;
        out += lexed.Raw[i];
    }
    out += view.substr(t.back().Range.End.Offset);
    return out;
}

bool SameTokens(const TLexed& a, const TLexed& b)
{
    if (!b.Clean || a.Tokens.size() != b.Tokens.size())
        return false;
    for (std::size_t i = 0; i < a.Tokens.size(); ++i)
        if (a.Tokens[i].Kind != b.Tokens[i].Kind || a.Raw[i] != b.Raw[i])
            return false;
    return true;
}

// `if (...) {` as `if (...)` and `{`, and `} else {` as `}`, `else` and `{`.
std::vector<std::string> WithOwnLineBrace(const std::string& text, const TLexed& lexed)
{
    const std::vector<TToken>& t = lexed.Tokens;
    if (t.size() < 2 || !IsPunct(t.back(), "{"))
        return {text};
    std::vector<std::string> lines;
    std::size_t from = 0;
    if (IsPunct(t.front(), "}")) {
        lines.emplace_back("}");
        from = t[1].Range.Begin.Offset;
    }
    const std::string head = Trimmed(std::string_view(text).substr(from, t.back().Range.Begin.Offset - from));
    if (!head.empty())
        lines.push_back(head);
    lines.emplace_back("{");
    return lines;
}

} // namespace

std::string DetectIndentUnit(const std::vector<std::string>& lines)
{
    int tabs = 0;
    std::map<std::size_t, int> spaces;  // how many lines begin with so many spaces
    for (const std::string& line : lines) {
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        if (line.front() == '\t')
            ++tabs;
        else if (line.front() == ' ')
            ++spaces[line.find_first_not_of(' ')];
    }
    int spaced = 0, most = 0;
    for (const auto& [width, count] : spaces) {
        spaced += count;
        most = std::max(most, count);
    }
    if (tabs >= spaced)
        return "\t";
    // Lines aligned under an opening parenthesis are few: the unit is the narrowest common indent.
    for (const auto& [width, count] : spaces)
        if (4 * count >= most)
            return std::string(width, ' ');
    return "\t";
}

void TStyleDetector::Read(const std::vector<std::string>& lines)
{
    Lines_.insert(Lines_.end(), lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text.append(line).push_back('\n');
    const TLexed lexed = Lex(text, Target_);
    const std::vector<TToken>& t = lexed.Tokens;
    const auto sameLine = [&t](std::size_t a, std::size_t b) { return t[a].Range.Begin.Line == t[b].Range.Begin.Line; };
    const auto vote = [](TVote& v, bool yes) { ++(yes ? v.Yes : v.No); };
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool hasNext = i + 1 < t.size() && sameLine(i, i + 1);
        const std::string_view after = hasNext ? Between(text, t[i], t[i + 1]) : std::string_view(" ");
        const bool hasBefore = i > 0 && sameLine(i - 1, i);
        const std::string_view before = hasBefore ? Between(text, t[i - 1], t[i]) : std::string_view(" ");
        if (IsPunct(t[i], ",") && hasNext && Blank(after))
            vote(Comma_, !after.empty());
        if (IsBinaryOperator(t[i]) && hasBefore && EndsOperand(t[i - 1]) && hasNext && Blank(before) && Blank(after) &&
            before.empty() == after.empty())
            vote(Operators_, !after.empty());
        if (OpensCondition(t[i]) && hasNext && IsPunct(t[i + 1], "(") && Blank(after))
            vote(Paren_, !after.empty());
        if (OpensBlock(t, i)) {
            vote(OwnLineBrace_, !sameLine(i - 1, i));
            if (sameLine(i - 1, i) && Blank(before))
                vote(BraceGap_, !before.empty());
        }
        const bool statementStart =
            i == 0 || !sameLine(i - 1, i) || IsPunct(t[i - 1], ";") || IsPunct(t[i - 1], "{") || IsPunct(t[i - 1], "}");
        if (!statementStart || !hasNext)
            continue;
        if (StartsCallForm(t, i) || StartsCommandForm(t, i))
            vote(Call_, StartsCallForm(t, i));
        if (IsWord(t[i], "set") || StartsAssignment(t, i))
            vote(Assign_, !IsWord(t[i], "set"));
    }
}

TScriptStyle TStyleDetector::Style(const TScriptStyle& fallback) const
{
    TScriptStyle style;
    const bool indented = std::any_of(Lines_.begin(), Lines_.end(), [](const std::string& line) {
        return !line.empty() && (line.front() == ' ' || line.front() == '\t') && !Blank(line);
    });
    style.IndentUnit = indented ? DetectIndentUnit(Lines_) : fallback.IndentUnit;
    style.SpaceAfterComma = Comma_.Decide(fallback.SpaceAfterComma);
    style.SpaceAroundOperators = Operators_.Decide(fallback.SpaceAroundOperators);
    style.SpaceBeforeParen = Paren_.Decide(fallback.SpaceBeforeParen);
    style.SpaceBeforeBrace = BraceGap_.Decide(fallback.SpaceBeforeBrace);
    style.BraceOnOwnLine = OwnLineBrace_.Decide(fallback.BraceOnOwnLine);
    style.CallParentheses = Call_.Decide(fallback.CallParentheses);
    style.AssignOperator = Assign_.Decide(fallback.AssignOperator);
    return style;
}

std::vector<std::string> RestyleLine(const std::string& text, const TScriptStyle& style, script::TTarget target)
{
    const TLexed original = Lex(text, target);
    if (!original.Clean || original.Tokens.empty())
        return {text};
    const std::string formed = WithStatementForm(text, original, style);
    const TLexed lexedForm = Lex(formed, target);
    if (!lexedForm.Clean || lexedForm.Tokens.empty())
        return {text};
    std::string spaced = WithSpacing(formed, lexedForm, style);
    TLexed lexedSpaced = Lex(spaced, target);
    // A gap taken out may join two tokens into another (`a - -1` into `a--1`).
    if (!SameTokens(lexedForm, lexedSpaced)) {
        spaced = formed;
        lexedSpaced = Lex(spaced, target);
    }
    return style.BraceOnOwnLine ? WithOwnLineBrace(spaced, lexedSpaced) : std::vector<std::string>{spaced};
}
