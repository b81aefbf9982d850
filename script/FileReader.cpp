#include "script/Text.h"
#include "script/FileReader.h"

#include "script/Lexer.h"
#include "script/Parser.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace script {
namespace {

std::vector<std::string_view> SplitComma(std::string_view text)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            return parts;
        start = comma + 1;
    }
}

std::optional<int> ToInt(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end == first)
        return std::nullopt;
    return value;
}

// The position of offset, counted on from the earlier position from (as a cursor stepping there
// would count it), finding the line ends with a library search rather than byte by byte.
TSourcePos PosAfter(std::string_view text, TSourcePos from, std::size_t offset)
{
    offset = std::min(offset, text.size());
    const std::string_view between = text.substr(from.Offset, offset - from.Offset);
    const auto lines = std::count(between.begin(), between.end(), '\n');
    TSourcePos pos = from;
    pos.Offset = offset;
    if (lines == 0) {
        pos.Column += static_cast<int>(between.size());
    } else {
        pos.Line += static_cast<int>(lines);
        pos.Column = static_cast<int>(between.size() - between.rfind('\n'));
    }
    return pos;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A byte that cannot open a comment, a string or a block nor end a line: the search for a body's
// end steps over it with one table look-up.
bool IsPlainByte(char c)
{
    static constexpr auto plain = [] {
        std::array<bool, 256> table{};
        table.fill(true);
        for (const unsigned char special : std::string_view(" \t\r\n\v\f/{}\""))
            table[special] = false;
        return table;
    }();
    return plain[static_cast<unsigned char>(c)];
}

class TFileReader {
public:
    TFileReader(std::string_view text, TTarget target)
        : Text_(text), Cursor_(text), Target_(target), Dialect_(DialectOf(target))
    {
    }
    TScriptFile Read();

private:
    enum class TNext { Continue, Stop };

    void Error(TSourceRange range, std::string message)
    {
        File_.Diagnostics.push_back({TSeverity::Error, range, std::move(message)});
    }
    TSourceRange FieldRange(std::size_t field) const { return Line_.Fields[field].Range; }
    TNext Entry();
    bool Placement(TTopLevel& entry, bool withDir);
    TNext ScriptEntry(TTopLevel& entry, std::size_t brace);
    std::optional<TSourcePos> SkipScript(TSourcePos brace);
    TSourcePos PosAt(std::size_t offset) const;
    void NextLine();

    std::string_view Text_;
    TCursor Cursor_;
    TTarget Target_;
    const TDialect& Dialect_;
    TScriptFile File_;
    TTopLevel Line_;  // the entry being read
};

TSourcePos TFileReader::PosAt(std::size_t offset) const
{
    return PosAfter(Text_, Cursor_.Pos(), offset);
}

void TFileReader::NextLine()
{
    while (!Cursor_.AtEnd() && Cursor_.Peek() != '\n')
        Cursor_.Advance();
    Cursor_.Advance();
}

TScriptFile TFileReader::Read()
{
    while (true) {
        Cursor_.SkipSpace(&File_.Comments);
        if (Cursor_.AtEnd())
            break;
        if (Entry() == TNext::Stop)
            break;
    }
    return std::move(File_);
}

// One top-level line: three tab-separated fields and a fourth running to the line end.
TFileReader::TNext TFileReader::Entry()
{
    Line_ = TTopLevel{};
    const TSourcePos begin = Cursor_.Pos();
    std::size_t lineEnd = Text_.find('\n', begin.Offset);
    if (lineEnd == std::string_view::npos)
        lineEnd = Text_.size();
    std::size_t contentEnd = lineEnd;
    if (contentEnd > begin.Offset && Text_[contentEnd - 1] == '\r')
        --contentEnd;
    std::size_t start = begin.Offset;
    std::size_t count = 0;
    while (true) {
        const std::size_t tab = Text_.find('\t', start);
        const std::size_t end = (tab == std::string_view::npos || tab > contentEnd) ? contentEnd : tab;
        ++count;
        if (Line_.Fields.size() < 4)
            Line_.Fields.push_back({std::string(Text_.substr(start, end - start)), {PosAt(start), PosAt(end)}});
        if (end == contentEnd)
            break;
        start = end + 1;
    }
    if (Line_.Fields.size() == 4) {  // the fourth field runs to the line end, further tabs and all
        TField& w4 = Line_.Fields[3];
        w4.Range.End = PosAt(contentEnd);
        w4.Text = std::string(Text_.substr(w4.Range.Begin.Offset, contentEnd - w4.Range.Begin.Offset));
    }
    Line_.Range = {begin, PosAt(contentEnd)};
    const TSourceRange lineRange = Line_.Range;
    if (count < 3) {
        Error(lineRange, "cannot read this line: a header has four fields separated by tabs (an "
                         "extra '}' above may have ended a script early); the server stops reading the file here");
        return TNext::Stop;
    }
    const std::string& w1 = Line_.Fields[0].Text;
    const std::string& w2 = Line_.Fields[1].Text;
    const bool hasW4 = count > 3;
    Line_.Name = Line_.Fields[2].Text;
    if (w1 == "-")
        Line_.Floating = true;
    else if (!SameLetters(w1, "function"))
        Line_.Map = std::string(SplitComma(w1)[0]);

    const auto is = [&w2](const char* types) { return TServerRules::IsType(types, w2); };
    if (is(Dialect_.ScriptTypes) && hasW4) {
        Line_.Kind = SameLetters(w1, "function") ? TTopKind::Function : TTopKind::Script;
        const std::string& w4 = Line_.Fields[3].Text;
        const std::size_t brace = Line_.Kind == TTopKind::Function ? (w4.rfind('{', 0) == 0 ? 0 : std::string::npos)
                                                                    : w4.find(",{");
        if (Line_.Kind == TTopKind::Script && !Line_.Floating && !Placement(Line_, true)) {
            Error(FieldRange(0), "the position must be written map,x,y,facing (the server stops reading the file here)");
            return TNext::Stop;
        }
        if (brace == std::string::npos) {
            Error(FieldRange(3), Line_.Kind == TTopKind::Function ? "'{' expected after the function name"
                                                                  : "',{' expected after the sprite");
            return TNext::Stop;
        }
        const std::size_t sprite = w4.find(',');
        const std::size_t first = std::min(w4.find_first_not_of(" \t"), sprite);  // as %d skips blanks
        Line_.Sprite = Line_.Kind == TTopKind::Function ? std::string() : w4.substr(first, sprite - first);
        return ScriptEntry(Line_, Line_.Fields[3].Range.Begin.Offset + brace + (Line_.Kind == TTopKind::Script));
    }
    if (is(Dialect_.WarpTypes) && hasW4) {
        Line_.Kind = TTopKind::Warp;
        if (!Placement(Line_, false))
            Error(FieldRange(0), "the position must be written map,x,y");
    } else if ((is(Dialect_.ShopTypes) || is(Dialect_.PlainTypes)) && hasW4) {
        Line_.Kind = TTopKind::Shop;
        if (!Line_.Floating && !Placement(Line_, true))
            Error(FieldRange(0), "the position must be written map,x,y,facing");
        Line_.Sprite = std::string(SplitComma(Line_.Fields[3].Text)[0]);
    } else if (w2.size() > 10 && SameLetters(std::string_view(w2).substr(0, 10), "duplicate(") && hasW4) {
        Line_.Kind = TTopKind::Duplicate;
        const std::size_t close = w2.find(')');
        Line_.DuplicateOf = w2.substr(10, close == std::string::npos ? std::string::npos : close - 10);
        if (!Line_.Floating && !Placement(Line_, true))
            Error(FieldRange(0), "the position must be written map,x,y,facing");
        Line_.Sprite = std::string(SplitComma(Line_.Fields[3].Text)[0]);
    } else if (is(Dialect_.MonsterTypes) && hasW4) {
        Line_.Kind = TTopKind::Monster;
        Placement(Line_, false);
    } else if (SameLetters(w2, "mapflag")) {
        Line_.Kind = TTopKind::Mapflag;
    } else {
        Error(lineRange, "cannot read this line: probably a missing or extra tab");
        NextLine();
        return TNext::Continue;
    }
    Line_.Range.End = PosAt(contentEnd);
    File_.Entries.push_back(std::move(Line_));
    NextLine();
    return TNext::Continue;
}

bool TFileReader::Placement(TTopLevel& entry, bool withDir)
{
    const auto parts = SplitComma(entry.Fields[0].Text);
    if (parts.size() < (withDir ? 4u : 3u))
        return false;
    const auto x = ToInt(parts[1]), y = ToInt(parts[2]);
    const auto dir = withDir ? ToInt(parts[3]) : std::optional<int>(0);
    if (!x || !y || !dir)
        return false;
    entry.X = *x;
    entry.Y = *y;
    entry.Dir = *dir;
    return true;
}

TFileReader::TNext TFileReader::ScriptEntry(TTopLevel& entry, std::size_t braceOffset)
{
    const TSourcePos brace = PosAt(braceOffset);
    Cursor_ = TCursor(Text_, brace, Text_.size());
    const std::optional<TSourcePos> end = SkipScript(brace);
    if (!end)
        return TNext::Stop;
    TBodyResult body = ParseBlock(Text_, brace, end->Offset, &File_.Comments, Target_);
    if (body.Error)
        File_.Diagnostics.push_back(*body.Error);
    entry.Body = std::move(body.Body);
    entry.Range.End = *end;
    entry.Fields[3].Text = std::string(Text_.substr(entry.Fields[3].Range.Begin.Offset,
                                                    braceOffset - entry.Fields[3].Range.Begin.Offset));
    entry.Fields[3].Range.End = brace;
    File_.Entries.push_back(std::move(entry));
    Cursor_ = TCursor(Text_, *end, Text_.size());
    return TNext::Continue;
}

// Finds the brace closing the body, skipping strings and comments; the body is parsed only
// once its extent is known, as the server does. It walks the bytes by index (the whole script
// passes through here) and counts lines only for the positions it gives.
std::optional<TSourcePos> TFileReader::SkipScript(TSourcePos brace)
{
    const std::string_view text = Text_;
    const std::size_t size = text.size();
    std::size_t i = brace.Offset;
    int depth = 0;
    // Line ends passed so far, for the closing brace's position without a second pass.
    int lines = 0;
    std::size_t lineStart = 0;
    auto passLineEnds = [&](std::size_t from, std::size_t to) {
        for (std::size_t at = text.find('\n', from); at < to; at = text.find('\n', at + 1)) {
            ++lines;
            lineStart = at + 1;
        }
    };
    while (true) {
        while (i < size) {  // blanks and comments between tokens
            if (IsBlank(text[i])) {
                if (text[i] == '\n') {
                    ++lines;
                    lineStart = i + 1;
                }
                ++i;
            } else if (text[i] == '/' && i + 1 < size && text[i + 1] == '/') {
                i = std::min(text.find('\n', i), size);
            } else if (text[i] == '/' && i + 1 < size && text[i + 1] == '*') {
                const std::size_t close = text.find("*/", i + 2);  // unterminated: runs to the end
                const std::size_t end = close == std::string_view::npos ? size : close + 2;
                passLineEnds(i, end);
                i = end;
            } else {
                break;
            }
        }
        if (i >= size) {
            const TSourcePos end = PosAfter(text, brace, size);
            Error({end, end}, "missing '}': " + std::to_string(depth) + " block(s) still open at the end of the file");
            return std::nullopt;
        }
        const char ch = text[i];
        if (ch == '{') {
            ++depth;
        } else if (ch == '}') {
            if (--depth == 0) {
                TSourcePos end{brace.Line + lines, 0, i + 1};
                end.Column = lines == 0 ? brace.Column + static_cast<int>(i + 1 - brace.Offset)
                                        : static_cast<int>(i + 1 - lineStart) + 1;
                return end;
            }
        } else if (ch == '"') {
            const std::size_t quote = i++;
            while (i < size && text[i] != '"' && text[i] != '\n') {
                // As the lexer: after a byte above 0x7E a backslash is part of a double-byte character.
                if (text[i] == '\\' && static_cast<unsigned char>(text[i - 1]) <= 0x7E && (i + 1 >= size || text[i + 1] != '\n'))
                    ++i;
                i = std::min(i + 1, size);
            }
            if (i >= size || text[i] == '\n') {
                Error({PosAfter(text, brace, quote), PosAfter(text, brace, i)},
                      i >= size ? "the string is not closed before the end of the file"
                                : "newline inside a string (the closing '\"' is missing)");
                return std::nullopt;
            }
        }
        ++i;
        while (i < size && IsPlainByte(text[i]))  // most of a body: words, numbers, operators
            ++i;
    }
}

} // namespace

TScriptFile ReadScriptFile(std::string_view text, TTarget target)
{
    return TFileReader(text, target).Read();
}

} // namespace script
