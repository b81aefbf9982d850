#include "output/Highlight.h"

#include "model/ActionTasks.h"
#include "model/Tasks.h"

#include "catalogue/Catalogues.h"
#include "script/Text.h"

#include <algorithm>

namespace {

bool IsSkipped(unsigned char c)
{
    return c == '\t' || c == '\n' || c == '\r';
}

bool IsLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

bool IsWordChar(unsigned char c)
{
    return IsLetter(c) || IsDigit(c) || c == '_';
}

bool IsPunctuation(unsigned char c)
{
    constexpr std::string_view punctuation = "!&()*+,-./:;<=>{|}";
    return punctuation.find(static_cast<char>(c)) != std::string_view::npos;
}

// Splits one line into tokens, left to right.
class TLineScanner {
public:
    TLineScanner(std::string_view line, const TWordLookup& words, bool& openComment)
        : Line_(line), Words_(words), OpenComment_(openComment)
    {
    }

    std::vector<TColourRange> Scan()
    {
        std::vector<TColourRange> ranges;
        // Room for the tokens of nearly every script line at once: growing one at a time cost
        // a line of a large script four allocations.
        ranges.reserve(16);
        std::size_t pos = 0;
        // A comment begun on an earlier line runs on to its "*/", or through the whole line.
        if (OpenComment_ && !Line_.empty()) {
            pos = CommentEnd(0);
            ranges.push_back({0, static_cast<int>(pos), ColourSilver});
        }
        while (pos < Line_.size()) {
            while (pos < Line_.size() && IsSkipped(At(pos)))
                ++pos;
            if (pos >= Line_.size())
                break;
            const std::size_t start = pos;
            const std::optional<TRgb> colour = ReadToken(pos);
            ranges.push_back({static_cast<int>(start), static_cast<int>(pos - start), colour});
        }
        return ranges;
    }

private:
    unsigned char At(std::size_t pos) const { return static_cast<unsigned char>(Line_[pos]); }

    std::size_t SkipWhile(std::size_t pos, bool (*member)(unsigned char)) const
    {
        while (pos < Line_.size() && member(At(pos)))
            ++pos;
        return pos;
    }

    // Reads the token at pos (never a skipped character), moving pos past it. The tests run in
    // this order; the first that matches decides the token.
    std::optional<TRgb> ReadToken(std::size_t& pos) const
    {
        const unsigned char c = At(pos);
        const std::size_t start = pos;
        if (IsLetter(c)) {
            pos = SkipWhile(pos, IsWordChar);
            return Words_.WordColour(Line_.substr(start, pos - start));
        }
        if (IsDigit(c)) {
            pos = SkipWhile(pos, IsDigit);
            return ColourAqua;
        }
        if (c == '"') {
            pos = StringEnd(pos);
            return ColourRed;
        }
        if (c == '/' && pos + 1 < Line_.size() && Line_[pos + 1] == '/') {
            pos = Line_.size();
            return ColourSilver;
        }
        if (c == '/' && pos + 1 < Line_.size() && Line_[pos + 1] == '*') {
            OpenComment_ = true;
            pos = CommentEnd(pos + 2);
            return ColourSilver;
        }
        if (IsPunctuation(c)) {
            pos = SkipWhile(pos, IsPunctuation);
            return ColourWhite;
        }
        ++pos;
        return ColourYellow;
    }

    // A doubled quote does not end the string; a missing closing quote runs it to the line's end.
    std::size_t StringEnd(std::size_t pos) const
    {
        ++pos;
        for (;;) {
            while (pos < Line_.size() && Line_[pos] != '"')
                ++pos;
            if (pos >= Line_.size())
                return pos;
            ++pos;
            if (pos < Line_.size() && Line_[pos] == '"')
                ++pos;
            else
                return pos;
        }
    }

    // Past the "*/" that closes the open comment, searched from pos; the line's end, the comment
    // still open, when there is none.
    std::size_t CommentEnd(std::size_t pos) const
    {
        const std::size_t close = Line_.find("*/", pos);
        if (close == std::string_view::npos)
            return Line_.size();
        OpenComment_ = false;
        return close + 2;
    }

    std::string_view Line_;
    const TWordLookup& Words_;
    bool& OpenComment_;
};

} // namespace

bool IsKeyword(std::string_view word)
{
    return std::find(KeywordList.begin(), KeywordList.end(), word) != KeywordList.end();
}

TWordLookup TWordLookup::FromCatalogues()
{
    return FromModel(TTaskList());
}

TWordLookup TWordLookup::FromModel(const TTaskList& tasks)
{
    // Filled from the weakest match to the strongest, so that a word known twice keeps the colour
    // of the test that runs first: keyword, then action, then variable, then label.
    TWordLookup lookup;
    auto& colours = lookup.Colours_;
    for (const TGroupTask* group : tasks.Groups()) {
        // The labels as the writer writes them: the author's name where the group has one.
        const auto number = static_cast<std::uint32_t>(group->GroupNumber);
        lookup.Labels_.emplace_back(group->GroupNumber, group->LabelName);
        colours.insert_or_assign(group->LabelName.empty() ? "L" + std::to_string(number) : group->LabelName, ColourLime);
        colours.insert_or_assign("L" + std::to_string(number) + "Exit", ColourLime);
    }
    for (const TVariable& variable : ScriptVariables())
        colours.insert_or_assign(variable.Name, ColourSkyBlue);
    for (const TDAction& action : Actions())
        colours.insert_or_assign(action.Command, ColourYellow);
    for (std::string_view keyword : KeywordList)
        colours.insert_or_assign(std::string(keyword), ColourWhite);
    return lookup;
}

bool TWordLookup::HasLabelsOf(const TTaskList& tasks) const
{
    const auto& groups = tasks.Groups();
    return std::equal(groups.begin(), groups.end(), Labels_.begin(), Labels_.end(), [](const TGroupTask* group, const auto& label) {
        return group->GroupNumber == label.first && group->LabelName == label.second;
    });
}

std::optional<TRgb> TWordLookup::WordColour(std::string_view word) const
{
    const auto found = Colours_.find(word);
    if (found == Colours_.end())
        return std::nullopt;
    return found->second;
}

std::vector<std::string> TWordLookup::WordsColouredOtherwise(const TWordLookup& other) const
{
    std::vector<std::string> words;
    for (const auto& [word, colour] : Colours_) {
        if (other.WordColour(word) != colour)
            words.push_back(word);
    }
    for (const auto& [word, colour] : other.Colours_) {
        if (!Colours_.contains(word))
            words.push_back(word);
    }
    return words;
}

std::vector<TColourRange> ScanLine(std::string_view line, const TWordLookup& words, bool& openComment)
{
    return TLineScanner(line, words, openComment).Scan();
}

std::vector<TColourRange> ScanLine(std::string_view line, const TWordLookup& words)
{
    bool openComment = false;
    return ScanLine(line, words, openComment);
}

std::vector<TColourRange> ScanLine(std::string_view line)
{
    return ScanLine(line, TWordLookup::FromCatalogues());
}

namespace {

// The colour of a code starting at text[pos] (the caret), when it is one.
std::optional<TRgb> ColourCodeAt(std::string_view text, std::size_t pos)
{
    if (text.size() - pos < 7 || text[pos] != '^')
        return std::nullopt;
    std::uint8_t parts[3];
    for (int i = 0; i < 3; ++i) {
        const int high = script::DigitValue(text[pos + 1 + 2 * i]);
        const int low = script::DigitValue(text[pos + 2 + 2 * i]);
        if (high > 15 || low > 15)
            return std::nullopt;
        parts[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return TRgb{parts[0], parts[1], parts[2]};
}

} // namespace

std::vector<TColouredText> SplitColourCodes(std::string_view message)
{
    std::vector<TColouredText> runs(1);
    for (std::size_t pos = 0; pos < message.size();) {
        if (const std::optional<TRgb> colour = ColourCodeAt(message, pos)) {
            if (!runs.back().Text.empty())
                runs.emplace_back();
            runs.back().Colour = colour;
            pos += 7;
            continue;
        }
        runs.back().Text += message[pos++];
    }
    if (runs.back().Text.empty())
        runs.pop_back();
    return runs;
}
