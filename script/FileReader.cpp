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

// rAthena reads a type by its first letters: `script(CLOAKED)` is a script, `warp2` a warp.
bool StartsWithType(std::string_view w2, std::string_view type)
{
    return w2.size() >= type.size() && SameLetters(w2.substr(0, type.size()), type);
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

// The search for a body's closing brace. It walks the bytes by index (the whole script passes
// through here) and counts the line ends it passes, for the brace's position without a second pass.
struct TBodyWalk {
    std::string_view Text;
    std::size_t At;
    int Lines = 0;
    std::size_t LineStart = 0;

    bool AtEnd() const { return At >= Text.size(); }

    void PassLineEnds(std::size_t to)
    {
        for (std::size_t nl = Text.find('\n', At); nl < to; nl = Text.find('\n', nl + 1)) {
            ++Lines;
            LineStart = nl + 1;
        }
        At = to;
    }

    // Blanks and comments between tokens; an unterminated block comment runs to the end.
    void SkipBlanksAndComments()
    {
        const std::size_t size = Text.size();
        while (At < size) {
            if (IsBlank(Text[At])) {
                if (Text[At] == '\n') {
                    ++Lines;
                    LineStart = At + 1;
                }
                ++At;
            } else if (Text[At] == '/' && At + 1 < size && Text[At + 1] == '/') {
                At = std::min(Text.find('\n', At), size);
            } else if (Text[At] == '/' && At + 1 < size && Text[At + 1] == '*') {
                const std::size_t close = Text.find("*/", At + 2);
                PassLineEnds(close == std::string_view::npos ? size : close + 2);
            } else {
                return;
            }
        }
    }

    // From the opening quote to the closing one; false when a line end or the end of the text
    // comes first (At is there).
    bool SkipString()
    {
        const std::size_t size = Text.size();
        ++At;
        while (At < size && Text[At] != '"' && Text[At] != '\n') {
            // As the lexer: after a byte above 0x7E a backslash is part of a double-byte character.
            if (Text[At] == '\\' && static_cast<unsigned char>(Text[At - 1]) <= 0x7E &&
                (At + 1 >= size || Text[At + 1] != '\n'))
                ++At;
            At = std::min(At + 1, size);
        }
        return At < size && Text[At] != '\n';
    }

    // Most of a body: words, numbers, operators.
    void SkipPlainBytes()
    {
        while (At < Text.size() && IsPlainByte(Text[At]))
            ++At;
    }

    // The position just after the byte at At, counted on from the body's brace.
    TSourcePos ClosingPos(TSourcePos brace) const
    {
        TSourcePos end{brace.Line + Lines, 0, At + 1};
        end.Column = Lines == 0 ? brace.Column + static_cast<int>(At + 1 - brace.Offset)
                                : static_cast<int>(At + 1 - LineStart) + 1;
        return end;
    }
};

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
    bool IsScriptType(std::string_view w2) const
    {
        return TServerRules::IsType(Dialect_.ScriptTypes, w2) || (Dialect_.StateInType && StartsWithType(w2, "script"));
    }
    void TypeState(std::string_view type);
    TSourceRange FieldRange(std::size_t field) const { return Line_.Fields[field].Range; }
    TNext Entry();
    std::size_t ContentEnd(std::size_t from) const;
    std::size_t SplitFields(std::size_t start, std::size_t contentEnd);
    TNext ScriptHeader();
    bool OtherEntry(bool hasW4);
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

// Where the text of the line starting at from ends, before its LF or CR LF.
std::size_t TFileReader::ContentEnd(std::size_t from) const
{
    std::size_t end = Text_.find('\n', from);
    if (end == std::string_view::npos)
        end = Text_.size();
    if (end > from && Text_[end - 1] == '\r')
        --end;
    return end;
}

// Splits the line at its tabs into Line_.Fields and returns how many fields the tabs make. Four
// are kept: the fourth runs to the line end, further tabs and all.
std::size_t TFileReader::SplitFields(std::size_t start, std::size_t contentEnd)
{
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
    if (Line_.Fields.size() == 4) {
        TField& w4 = Line_.Fields[3];
        w4.Range.End = PosAt(contentEnd);
        w4.Text = std::string(Text_.substr(w4.Range.Begin.Offset, contentEnd - w4.Range.Begin.Offset));
    }
    return count;
}

// One top-level line: three tab-separated fields and a fourth running to the line end.
TFileReader::TNext TFileReader::Entry()
{
    Line_ = TTopLevel{};
    const TSourcePos begin = Cursor_.Pos();
    const std::size_t contentEnd = ContentEnd(begin.Offset);
    const std::size_t count = SplitFields(begin.Offset, contentEnd);
    Line_.Range = {begin, PosAt(contentEnd)};
    if (count < 3) {
        Error(Line_.Range, "cannot read this line: a header has four fields separated by tabs (an "
                           "extra '}' above may have ended a script early); the server stops reading the file here");
        return TNext::Stop;
    }
    const std::string& w1 = Line_.Fields[0].Text;
    const bool hasW4 = count > 3;
    Line_.Name = Line_.Fields[2].Text;
    if (w1 == "-")
        Line_.Floating = true;
    else if (!SameLetters(w1, "function"))
        Line_.Map = std::string(SplitCommas(w1)[0]);
    if (IsScriptType(Line_.Fields[1].Text) && hasW4) {
        if (SameLetters(w1, "function") && !TServerRules::IsType(Dialect_.ScriptTypes, Line_.Fields[1].Text)) {
            Error(FieldRange(1), "cannot read this line: a function's type is 'script' alone (the server skips the line)");
            NextLine();
            return TNext::Continue;
        }
        TypeState("script");
        return ScriptHeader();
    }
    if (OtherEntry(hasW4))
        File_.Entries.push_back(std::move(Line_));
    else
        Error(Line_.Range, "cannot read this line: probably a missing or extra tab");
    NextLine();
    return TNext::Continue;
}

// A script or a function: the placement and the sprite before the body's brace, then the body.
TFileReader::TNext TFileReader::ScriptHeader()
{
    Line_.Kind = SameLetters(Line_.Fields[0].Text, "function") ? TTopKind::Function : TTopKind::Script;
    const std::string& w4 = Line_.Fields[3].Text;
    const bool function = Line_.Kind == TTopKind::Function;
    const std::size_t brace = function ? (w4.rfind('{', 0) == 0 ? 0 : std::string::npos) : w4.find(",{");
    if (!function && !Line_.Floating && !Placement(Line_, true)) {
        Error(FieldRange(0), "the position must be written map,x,y,facing (the server stops reading the file here)");
        return TNext::Stop;
    }
    if (brace == std::string::npos) {
        Error(FieldRange(3), function ? "'{' expected after the function name" : "',{' expected after the sprite");
        return TNext::Stop;
    }
    const std::size_t sprite = w4.find(',');
    const std::size_t first = std::min(w4.find_first_not_of(" \t"), sprite);  // as %d skips blanks
    Line_.Sprite = function ? std::string() : w4.substr(first, sprite - first);
    return ScriptEntry(Line_, Line_.Fields[3].Range.Begin.Offset + brace + (function ? 0 : 1));
}

// The entries without a body: warps, shops, duplicates, monsters and map flags. False when the
// type is none of them.
bool TFileReader::OtherEntry(bool hasW4)
{
    const std::string& w2 = Line_.Fields[1].Text;
    const auto is = [&](const char* types) { return hasW4 && TServerRules::IsType(types, w2); };
    const auto sprite = [this] { Line_.Sprite = std::string(SplitCommas(Line_.Fields[3].Text)[0]); };
    if (is(Dialect_.WarpTypes) || (hasW4 && Dialect_.StateInType && StartsWithType(w2, "warp"))) {
        Line_.Kind = TTopKind::Warp;
        TypeState("warp");
        if (!Placement(Line_, false))
            Error(FieldRange(0), "the position must be written map,x,y");
    } else if (is(Dialect_.ShopTypes) || is(Dialect_.PlainTypes)) {
        Line_.Kind = TTopKind::Shop;
        if (!Line_.Floating && !Placement(Line_, true))
            Error(FieldRange(0), "the position must be written map,x,y,facing");
        sprite();
    } else if (hasW4 && w2.size() > 10 && SameLetters(std::string_view(w2).substr(0, 10), "duplicate(")) {
        Line_.Kind = TTopKind::Duplicate;
        const std::size_t close = w2.find(')');
        Line_.DuplicateOf = w2.substr(10, close == std::string::npos ? std::string::npos : close - 10);
        if (!Line_.Floating && !Placement(Line_, true))
            Error(FieldRange(0), "the position must be written map,x,y,facing");
        sprite();
    } else if (is(Dialect_.MonsterTypes)) {
        Line_.Kind = TTopKind::Monster;
        Placement(Line_, false);
    } else if (SameLetters(w2, "mapflag")) {
        Line_.Kind = TTopKind::Mapflag;
    } else {
        return false;
    }
    return true;
}

// The state written after a type (`script(HIDDEN)`): the server reads CLOAKED, HIDDEN and DISABLED
// and shows the NPC for anything else, with a warning.
void TFileReader::TypeState(std::string_view type)
{
    const std::string& w2 = Line_.Fields[1].Text;
    if (w2.size() <= type.size() || TServerRules::IsType(Dialect_.WarpTypes, w2) || TServerRules::IsType(Dialect_.ScriptTypes, w2))
        return;
    const bool written = w2[type.size()] == '(' && w2.back() == ')' && w2.size() > type.size() + 2;
    const std::string state = written ? w2.substr(type.size() + 1, w2.size() - type.size() - 2) : std::string();
    if (SameLetters(state, "CLOAKED") || SameLetters(state, "HIDDEN") || SameLetters(state, "DISABLED"))
        return;
    File_.Diagnostics.push_back({TSeverity::Warning, FieldRange(1),
                                 "invalid NPC state in '" + w2 + "': the server loads the NPC visible (it knows " +
                                     std::string(type) + "(CLOAKED), (HIDDEN) and (DISABLED))"});
}

bool TFileReader::Placement(TTopLevel& entry, bool withDir)
{
    const auto parts = SplitCommas(entry.Fields[0].Text);
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
    File_.Diagnostics.insert(File_.Diagnostics.end(), body.Warnings.begin(), body.Warnings.end());
    if (body.Error)
        File_.Diagnostics.push_back(*body.Error);
    entry.Body = std::move(body.Body);
    entry.ReadBeforeError = std::move(body.ReadBeforeError);
    entry.Range.End = *end;
    entry.Fields[3].Text = std::string(Text_.substr(entry.Fields[3].Range.Begin.Offset,
                                                    braceOffset - entry.Fields[3].Range.Begin.Offset));
    entry.Fields[3].Range.End = brace;
    File_.Entries.push_back(std::move(entry));
    Cursor_ = TCursor(Text_, *end, Text_.size());
    return TNext::Continue;
}

// Finds the brace closing the body, skipping strings and comments; the body is parsed only
// once its extent is known, as the server does.
std::optional<TSourcePos> TFileReader::SkipScript(TSourcePos brace)
{
    TBodyWalk walk{Text_, brace.Offset};
    int depth = 0;
    while (true) {
        walk.SkipBlanksAndComments();
        if (walk.AtEnd()) {
            const TSourcePos end = PosAfter(Text_, brace, Text_.size());
            Error({end, end}, "missing '}': " + std::to_string(depth) + " block(s) still open at the end of the file");
            return std::nullopt;
        }
        const char ch = Text_[walk.At];
        if (ch == '{') {
            ++depth;
        } else if (ch == '}') {
            if (--depth == 0)
                return walk.ClosingPos(brace);
        } else if (ch == '"') {
            const std::size_t quote = walk.At;
            if (!walk.SkipString()) {
                Error({PosAfter(Text_, brace, quote), PosAfter(Text_, brace, walk.At)},
                      walk.AtEnd() ? "the string is not closed before the end of the file"
                                   : "newline inside a string (the closing '\"' is missing)");
                return std::nullopt;
            }
        }
        ++walk.At;
        walk.SkipPlainBytes();
    }
}

} // namespace

TScriptFile ReadScriptFile(std::string_view text, TTarget target)
{
    return TFileReader(text, target).Read();
}

} // namespace script
