#include "script/Constants.h"

#include "script/PlayProgram.h"

#include <charconv>
#include <optional>

namespace script {
namespace {

std::optional<std::int32_t> ReadNumber(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

} // namespace

TConstants ReadConstants(std::string_view text)
{
    TConstants constants;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.rfind("//", 0) == 0)
            continue;
        const std::size_t first = line.find_first_of("\t,");
        if (first == 0 || first == std::string_view::npos)
            continue;
        const std::size_t second = line.find_first_of("\t,", first + 1);
        const std::optional<std::int32_t> value = ReadNumber(line.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1));
        const bool parameter = second != std::string_view::npos && ReadNumber(line.substr(second + 1)) == 1;
        if (value && !parameter)
            constants.emplace(LowerCase(line.substr(0, first)), *value);
    }
    return constants;
}

} // namespace script
