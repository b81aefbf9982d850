#pragma once
// The script colouring scanner checked against the colouring rules applied character by character.

#include "OracleSupport.h"

#include "model/ActionTasks.h"
#include "output/Highlight.h"
#include "model/Tasks.h"

#include "catalogue/Catalogues.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parsercheck {

// The colouring rules applied character by character over the line with a NUL sentinel after
// it, asking the model's own lookups for every word.
class TReferenceScanner {
public:
    // Group labels are those of labels (none when nullptr).
    explicit TReferenceScanner(std::string_view line, const TTaskList* labels = nullptr)
        : Buffer_(std::string(line) + '\0'), Labels_(labels)
    {
    }

    std::vector<TColourRange> Scan()
    {
        std::vector<TColourRange> ranges;
        const std::size_t n = Buffer_.size();
        std::size_t pos = 0;  // 0-based here
        if (Open && pos + 1 < n) {
            SkipComment(pos);
            ranges.push_back({0, static_cast<int>(pos), ColourSilver});
        }
        while (pos + 1 < n) {
            while (pos + 1 < n && IsSkipped(pos))
                ++pos;
            if (pos + 1 >= n)
                break;
            const std::size_t start = pos;
            const std::optional<TRgb> colour = Token(pos);
            ranges.push_back({static_cast<int>(start), static_cast<int>(pos - start), colour});
        }
        return ranges;
    }

private:
    unsigned char At(std::size_t pos) const { return static_cast<unsigned char>(Buffer_[pos]); }
    bool IsSkipped(std::size_t pos) const { return At(pos) == 9 || At(pos) == 10 || At(pos) == 13; }
    static bool Letter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
    static bool Digit(unsigned char c) { return c >= '0' && c <= '9'; }
    static bool WordChar(unsigned char c) { return Letter(c) || Digit(c) || c == '_'; }
    static bool Punctuation(unsigned char c)
    {
        return c != 0 && std::strchr("!&()*+,-./:;<=>{|}", c) != nullptr;
    }
    // Inside the line only: the sentinel ends every run.
    bool InLine(std::size_t pos) const { return pos + 1 < Buffer_.size(); }

    std::optional<TRgb> Token(std::size_t& pos) const
    {
        const unsigned char c = At(pos);
        const std::size_t start = pos;
        if (Letter(c)) {
            while (InLine(pos) && WordChar(At(pos)))
                ++pos;
            return WordColour(Buffer_.substr(start, pos - start));
        }
        if (Digit(c)) {
            while (InLine(pos) && Digit(At(pos)))
                ++pos;
            return ColourAqua;
        }
        if (c == '"') {
            ++pos;
            for (;;) {
                while (InLine(pos) && At(pos) != '"')
                    ++pos;
                if (!InLine(pos))
                    break;
                ++pos;
                if (InLine(pos) && At(pos) == '"')
                    ++pos;
                else
                    break;
            }
            return ColourRed;
        }
        if (c == '/' && At(pos + 1) == '/') {
            pos = Buffer_.size() - 1;
            return ColourSilver;
        }
        if (c == '/' && At(pos + 1) == '*') {
            pos += 2;
            Open = true;
            SkipComment(pos);
            return ColourSilver;
        }
        if (Punctuation(c)) {
            while (InLine(pos) && Punctuation(At(pos)))
                ++pos;
            return ColourWhite;
        }
        ++pos;
        return ColourYellow;
    }

    std::optional<TRgb> WordColour(const std::string& word) const
    {
        if (IsKeyword(word))
            return ColourWhite;
        if (FindAction(word))
            return ColourYellow;
        if (FindVariable(word))
            return ColourSkyBlue;
        if (Labels_ && Labels_->FindLabel(word, true))
            return ColourLime;
        return std::nullopt;
    }

    // Moves pos past the "*/" of the open comment, or to the line's end leaving it open.
    void SkipComment(std::size_t& pos) const
    {
        while (InLine(pos) && !(At(pos) == '*' && InLine(pos + 1) && At(pos + 1) == '/'))
            ++pos;
        if (InLine(pos)) {
            pos += 2;
            Open = false;
        }
    }

public:
    // Whether the line starts, and after Scan ends, inside a "/*" comment.
    mutable bool Open = false;

private:
    std::string Buffer_;
    const TTaskList* Labels_;
};

inline std::string RangesText(const std::vector<TColourRange>& ranges)
{
    std::string text;
    for (const TColourRange& range : ranges) {
        text += "[" + std::to_string(range.Start) + "+" + std::to_string(range.Length);
        if (range.Colour)
            text += " " + std::to_string(range.Colour->R) + "," + std::to_string(range.Colour->G) +
                    "," + std::to_string(range.Colour->B);
        text += "]";
    }
    return text;
}

// A task list of groups of the given numbers, so that label lookups have something to find. The
// action catalogue and the variables must exist.
inline void RegisterGroups(TTaskList& tasks, const std::vector<std::int32_t>& numbers)
{
    for (const std::int32_t number : numbers)
        tasks.RegisterTask(std::make_unique<TGroupTask>("", number));
}

// The fuzz input for the scanner: up to three group numbers (four bytes each, announced by the
// first byte), then the line.
struct THighlightInput {
    std::vector<std::int32_t> Groups;
    std::string_view Line;
};

inline THighlightInput SplitHighlightInput(std::string_view data)
{
    THighlightInput input;
    if (data.empty())
        return input;
    std::size_t groups = static_cast<unsigned char>(data.front()) % 4;
    data.remove_prefix(1);
    for (; groups > 0 && data.size() >= 4; --groups) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
        input.Groups.push_back(static_cast<std::int32_t>(number));
        data.remove_prefix(4);
    }
    input.Line = data;
    return input;
}

// ScanLine, with the catalogues' words alone and with one word lookup that knows the groups,
// against the reference, for the whole input as one line and for each of its lines.
inline TProblems CheckScanLine(std::string_view data)
{
    TProblems problems;
    const THighlightInput input = SplitHighlightInput(data);
    TTaskList groups;
    RegisterGroups(groups, input.Groups);
    const TWordLookup words = TWordLookup::FromModel(groups);
    std::vector<std::string_view> lines = TextLines(input.Line);
    lines.push_back(input.Line);
    for (const std::string_view line : lines) {
        // Each line on its own (no comment open at its start), as a line of the output window.
        const std::pair<std::vector<TColourRange>, std::vector<TColourRange>> runs[] = {
            {ScanLine(line), TReferenceScanner(line).Scan()},
            {ScanLine(line, words), TReferenceScanner(line, &groups).Scan()}};
        for (const auto& [actual, expected] : runs)
            if (actual != expected)
                problems.push_back("ScanLine('" + Shown(line) + "') gave " + RangesText(actual) +
                                   ", expected " + RangesText(expected));
    }
    return problems;
}

}  // namespace parsercheck
