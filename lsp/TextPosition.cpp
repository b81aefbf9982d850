#include "lsp/TextPosition.h"

#include <algorithm>

namespace lsp {

namespace {

// UTF-16 units of the UTF-8 sequence that starts with lead; a stray byte counts as one
// replacement character.
int Utf16Units(unsigned char lead)
{
    return lead >= 0xF0 && lead < 0xF8 ? 2 : 1;
}

int SequenceBytes(unsigned char lead)
{
    if (lead >= 0xF0 && lead < 0xF8)
        return 4;
    if (lead >= 0xE0 && lead < 0xF0)
        return 3;
    if (lead >= 0xC0 && lead < 0xE0)
        return 2;
    return 1;
}

} // namespace

TLineIndex::TLineIndex(std::string_view text) : Text_(text)
{
    Starts_.push_back(0);
    for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1))
        Starts_.push_back(at + 1);
}

std::size_t TLineIndex::Offset(TPosition position) const
{
    if (position.Line < 0 || position.Character < 0)
        throw EOutsideText("position " + std::to_string(position.Line) + ":" + std::to_string(position.Character) +
                           " is negative");
    if (position.Line >= Lines()) {
        // Just after the last line: some editors append there.
        if (position.Line == Lines() && position.Character == 0)
            return Text_.size();
        throw EOutsideText("line " + std::to_string(position.Line) + " is past the text's " + std::to_string(Lines()) +
                           " line(s)");
    }
    const std::size_t start = Starts_[position.Line];
    std::size_t end = position.Line + 1 < Lines() ? Starts_[position.Line + 1] - 1 : Text_.size();
    if (end > start && Text_[end - 1] == '\r')
        --end;
    std::size_t at = start;
    for (int units = 0; at < end && units < position.Character;) {
        const auto lead = static_cast<unsigned char>(Text_[at]);
        units += Utf16Units(lead);
        at = std::min(end, at + SequenceBytes(lead));
    }
    return at;
}

TPosition TLineIndex::Position(std::size_t offset) const
{
    offset = std::min(offset, Text_.size());
    const auto next = std::upper_bound(Starts_.begin(), Starts_.end(), offset);
    const int line = static_cast<int>(next - Starts_.begin()) - 1;
    int units = 0;
    for (std::size_t at = Starts_[line]; at < offset;) {
        const auto lead = static_cast<unsigned char>(Text_[at]);
        units += Utf16Units(lead);
        at += SequenceBytes(lead);
    }
    return {line, units};
}

void ApplyChange(std::string& text, TRange range, std::string_view replacement)
{
    const TLineIndex lines(text);
    const std::size_t begin = lines.Offset(range.Start), end = lines.Offset(range.End);
    if (end < begin)
        throw EOutsideText("the change's range ends before it starts");
    text.replace(begin, end - begin, replacement);
}

} // namespace lsp
