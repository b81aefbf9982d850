#pragma once
// Positions as the protocol counts them (lines from 0, characters in UTF-16 code units of the
// UTF-8 text) against the byte offsets, lines and byte columns of the script reader.

#include "script/SyntaxTree.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lsp {

struct TPosition {
    int Line = 0;
    int Character = 0;
    friend bool operator==(const TPosition&, const TPosition&) = default;
};

struct TRange {
    TPosition Start;
    TPosition End;
};

// A position the text does not have: the editor and the server no longer see the same text.
class EOutsideText : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

class TLineIndex {
public:
    explicit TLineIndex(std::string_view text);

    // The byte offset of position. A character past the line's end means the end, as the protocol
    // says; a line after the last throws EOutsideText.
    std::size_t Offset(TPosition position) const;
    TPosition Position(std::size_t offset) const;
    // The reader's position (line and byte column from 1).
    TPosition Position(const script::TSourcePos& pos) const { return Position(pos.Offset); }
    TRange Range(const script::TSourceRange& range) const { return {Position(range.Begin), Position(range.End)}; }
    int Lines() const { return static_cast<int>(Starts_.size()); }

private:
    std::string_view Text_;
    std::vector<std::size_t> Starts_;
};

// Applies a change of range [start, end) to text; EOutsideText when the range is not in it.
void ApplyChange(std::string& text, TRange range, std::string_view replacement);

} // namespace lsp
