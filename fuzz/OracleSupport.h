#pragma once
// What the parser fuzzers and their regression test share: a problem list, printable bytes, the
// lines of a text and the reading of a number. Each parser is compared with a plain reference written straight from its
// rules, without the optimisations (SSE masks, word-at-a-time digits, lookup caches) that the real
// parsers use for speed, in ItemDbOracle.h, IniOracle.h and HighlightOracle.h. Every check returns
// the problems it found; an empty list means the input passed.

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace parsercheck {

using TProblems = std::vector<std::string>;

// Printable form of a byte string for a problem report.
inline std::string Shown(std::string_view text)
{
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127 && byte != '\\') {
            shown += c;
        } else {
            constexpr char hex[] = "0123456789ABCDEF";
            shown += "\\x";
            shown += hex[byte >> 4];
            shown += hex[byte & 15];
        }
    }
    return shown;
}

// Blanks, an optional sign, then decimal digits only, within 32 bits; anything else gives def.
inline std::int32_t ReferenceIntDef(std::string_view text, std::int32_t def)
{
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    if (pos == text.size())
        return def;
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] < '0' || text[pos] > '9')
            return def;
        value = value * 10 + (text[pos] - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            return def;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return def;
    return static_cast<std::int32_t>(value);
}

// The lines of a text file: LF ends a line, a CR before it belongs to the line end.
inline std::vector<std::string_view> TextLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
    }
    return lines;
}

}  // namespace parsercheck
