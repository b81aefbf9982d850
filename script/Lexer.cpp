#include "script/Lexer.h"
#include "script/Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace script {

TCursor::TCursor(std::string_view text, TSourcePos start, std::size_t limit)
    : Text_(text), Pos_(start), Limit_(limit < text.size() ? limit : text.size())
{
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void TCursor::SkipSpace(std::vector<TComment>* comments)
{
    while (!AtEnd()) {
        const char c = Peek();
        if (IsBlank(c)) {
            Advance();
            continue;
        }
        if (c != '/' || (Peek(1) != '/' && Peek(1) != '*'))
            return;
        const TSourcePos begin = Pos_;
        if (Peek(1) == '/') {
            const std::size_t lineEnd = Text_.substr(0, Limit_).find('\n', Pos_.Offset);
            AdvanceInLine((lineEnd == std::string_view::npos ? Limit_ : lineEnd) - Pos_.Offset);
        } else {
            Advance(2);
            while (!AtEnd() && !(Peek() == '*' && Peek(1) == '/'))
                Advance();
            Advance(2);  // an unterminated comment runs to the end
        }
        if (comments) {
            std::size_t end = Pos_.Offset;
            if (end > begin.Offset && Text_[end - 1] == '\r')
                --end;  // a CR before the line end is not part of the comment
            comments->push_back({{begin, Pos_}, std::string(Text_.substr(begin.Offset, end - begin.Offset))});
        }
    }
}

bool IsWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

static bool IsDigit(char c) { return c >= '0' && c <= '9'; }


static bool IsPrefixChar(char c)
{
    return c == '.' || c == '@' || c == '$' || c == '#' || c == '\'';
}

// The servers read one prefix before a name: one of these, nothing else.
static bool KnownPrefix(std::string_view prefix)
{
    static constexpr std::array<std::string_view, 9> known = {"", "@", "#", "##", "'", ".", ".@", "$", "$@"};
    return std::find(known.begin(), known.end(), prefix) != known.end();
}

// Variable prefixes come before the name (`.@`, `$@`, `##`, `'`), `$` after it for strings.
static bool ReadWord(TCursor& c, TToken& token)
{
    std::size_t n = 0;
    while (n < 3 && IsPrefixChar(c.Peek(n)))
        ++n;
    if (!IsWordChar(c.Peek(n)))
        return false;
    if (!KnownPrefix(c.Text().substr(c.Pos().Offset, n))) {
        token.Kind = TTokenKind::Bad;
        token.Text = "'" + std::string(c.Text().substr(c.Pos().Offset, n)) + "' is no variable prefix (the servers know @, #, ##, ', ., .@, $ and $@)";
        return true;
    }
    while (IsWordChar(c.Peek(n)))
        ++n;
    if (c.Peek(n) == '$')
        ++n;
    token.Kind = TTokenKind::Word;
    token.Text.assign(c.Text().data() + c.Pos().Offset, n);
    c.AdvanceInLine(n);
    return true;
}

// The radix a number's prefix names (0x, and where the target reads them 0o and 0b), or 0.
static int RadixPrefix(const TCursor& c, const TLexRules& rules)
{
    if (c.Peek() != '0')
        return 0;
    const char letter = c.Peek(1);
    const int radix = letter == 'x' || letter == 'X'                      ? 16
                      : rules.RadixNumbers && (letter == 'o' || letter == 'O') ? 8
                      : rules.RadixNumbers && (letter == 'b' || letter == 'B') ? 2
                                                                               : 0;
    return radix && DigitValue(c.Peek(2)) < radix ? radix : 0;
}

static void ReadNumber(TCursor& c, TToken& token, const TLexRules& rules)
{
    const std::size_t start = c.Pos().Offset;
    int base = RadixPrefix(c, rules);
    if (base)
        c.AdvanceInLine(2);
    else
        base = c.Peek() == '0' && !rules.DecimalZero ? 8 : 10;
    std::uint64_t value = 0;
    constexpr std::uint64_t Largest = INT64_MAX;  // strtoll's saturation; each target narrows it
    while (DigitValue(c.Peek()) < base || (rules.RadixNumbers && c.Peek() == '_' && DigitValue(c.Peek(1)) < base)) {
        if (c.Peek() != '_') {
            const auto digit = static_cast<std::uint64_t>(DigitValue(c.Peek()));
            value = value > (Largest - digit) / static_cast<std::uint64_t>(base) ? Largest : value * base + digit;
        }
        c.AdvanceInLine(1);
    }
    token.Kind = TTokenKind::Number;
    token.Value = static_cast<std::int64_t>(value);
    token.Text.assign(c.Text().substr(start, c.Pos().Offset - start));  // a label may be all digits
}

// One escape after a backslash, as C writes them; an unknown escape stands for its character.
static char ReadEscape(TCursor& c)
{
    const char e = c.Peek();
    c.Advance();
    switch (e) {
    case 'a': return '\a';
    case 'b': return '\b';
    case 't': return '\t';
    case 'n': return '\n';
    case 'v': return '\v';
    case 'f': return '\f';
    case 'r': return '\r';
    case 'x': {
        unsigned value = 0;
        while (DigitValue(c.Peek()) < 16) {
            value = (value * 16 + DigitValue(c.Peek())) & 0xff;
            c.Advance();
        }
        return static_cast<char>(value);
    }
    default:
        if (e >= '0' && e <= '7') {
            unsigned value = e - '0';
            for (int i = 0; i < 2 && c.Peek() >= '0' && c.Peek() <= '7'; ++i) {
                value = (value * 8 + (c.Peek() - '0')) & 0xff;
                c.Advance();
            }
            return static_cast<char>(value);
        }
        return e;
    }
}

static void ReadString(TCursor& c, TToken& token)
{
    c.Advance();  // the opening quote
    token.Kind = TTokenKind::String;
    // Most strings hold no escape and end on their line: taken whole, in one allocation.
    const std::string_view rest = c.Text().substr(c.Pos().Offset, c.Limit() - c.Pos().Offset);
    const std::size_t stop = rest.find_first_of("\"\\\n");
    if (stop != std::string_view::npos && rest[stop] == '"') {
        token.Text.assign(rest.data(), stop);
        c.AdvanceInLine(stop + 1);
        return;
    }
    while (true) {
        const char ch = c.Peek();
        if (c.AtEnd() || ch == '\n') {
            token.Kind = TTokenKind::Bad;
            token.Text = c.AtEnd() ? "unexpected end of file in a string" : "newline inside a string";
            return;
        }
        if (ch == '"') {
            c.Advance();
            return;
        }
        // A backslash right after a byte above 0x7E is the second byte of a double-byte character
        // (Shift-JIS, Big5, GBK), as the servers read it, not an escape.
        const auto before = static_cast<unsigned char>(c.Text()[c.Pos().Offset - 1]);
        c.Advance();
        if (ch == '\\' && before <= 0x7E && !c.AtEnd() && c.Peek() != '\n')
            token.Text += ReadEscape(c);
        else
            token.Text += ch;
    }
}

TLexRules LexRulesFor(TTarget target)
{
    const TDialect& dialect = DialectOf(target);
    return {dialect.DigitConstants, dialect.PowerOperator, dialect.DecimalZero, dialect.RadixNumbers};
}

// A word that starts with digits, such as a sprite constant (`4_F_KAFRA1`): digits run into
// letters or an underscore. Hex numbers (`0x1F`) stay numbers.
static bool ReadDigitWord(TCursor& c, TToken& token, const TLexRules& rules)
{
    if (RadixPrefix(c, rules))
        return false;
    std::size_t n = 0;
    while (IsDigit(c.Peek(n)))
        ++n;
    if (!IsWordChar(c.Peek(n)))
        return false;
    bool letters = false;
    while (IsWordChar(c.Peek(n))) {
        const char ch = c.Peek(n++);
        letters |= !IsDigit(ch) && ch != '_';
    }
    if (rules.RadixNumbers && !letters)
        return false;  // digits grouped with `_` (1_000)
    token.Kind = TTokenKind::Word;
    token.Text.assign(c.Text().data() + c.Pos().Offset, n);
    c.AdvanceInLine(n);
    return true;
}

static void ReadPunct(TCursor& c, TToken& token, const TLexRules& rules)
{
    if (rules.PowerOperator && c.Peek() == '*' && c.Peek(1) == '*') {
        token.Kind = TTokenKind::Punct;
        token.Text.assign("**");
        c.AdvanceInLine(2);
        return;
    }
    static constexpr std::array<std::string_view, 21> multi = {
        "<<=", ">>=", "==", "!=", ">=", "<=", ">>", "<<", "&&", "||", "++", "--",
        "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "::"};
    const char ch = c.Peek();
    // Every operator of two or three characters has one of these second characters; most
    // punctuation is followed by a blank or a word and needs no look through the list.
    const char second = c.Peek(1);
    const bool maybeMulti = second != '\0' && std::strchr("=><&|+-:", second);
    for (std::string_view op : multi) {
        if (!maybeMulti)
            break;
        if (op[0] != ch || op[1] != c.Peek(1) || (op.size() == 3 && op[2] != c.Peek(2)))
            continue;
        token.Kind = TTokenKind::Punct;
        token.Text.assign(op);
        c.AdvanceInLine(op.size());
        return;
    }
    if (ch != '\0' && std::strchr("(){}[],;:?+-*/%&|^~!<>=", ch)) {
        token.Kind = TTokenKind::Punct;
        token.Text.assign(1, ch);
        c.AdvanceInLine(1);
        return;
    }
    token.Kind = TTokenKind::Bad;
    token.Text = "unexpected character";
    c.Advance();
}

void ReadToken(TCursor& c, std::vector<TComment>* comments, TToken& token, const TLexRules& rules)
{
    c.SkipSpace(comments);
    token.Kind = TTokenKind::End;
    token.Text.clear();
    token.Value = 0;
    token.Range.Begin = c.Pos();
    if (!c.AtEnd()) {
        const char ch = c.Peek();
        if (IsDigit(ch)) {
            if (!rules.DigitConstants || !ReadDigitWord(c, token, rules))
                ReadNumber(c, token, rules);
        } else if (ch == '"') {
            ReadString(c, token);
        } else if (!ReadWord(c, token)) {
            ReadPunct(c, token, rules);
        }
    }
    token.Range.End = c.Pos();
}

TTokenStream::TTokenStream(TCursor& cursor, std::vector<TComment>* comments, TLexRules rules)
    : Cursor_(cursor), Comments_(comments), Rules_(rules)
{
    Fill();
}

TSourcePos TTokenStream::LastEnd() const
{
    return Index_ > 0 ? Window_[(Index_ - 1) % WindowSize].Range.End : Current().Range.Begin;
}

void TTokenStream::ReadToTheEnd()
{
    while (!Ended_)
        ReadNext();
}

void TTokenStream::ReadNext()
{
    TToken& token = Window_[Read_ % WindowSize];
    ReadToken(Cursor_, Comments_, token, Rules_);
    ++Read_;
    Ended_ = token.Kind == TTokenKind::End || token.Kind == TTokenKind::Bad;
}

} // namespace script
