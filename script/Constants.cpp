#include "script/Constants.h"

#include "script/Text.h"

#include <algorithm>
#include <cstdint>

namespace script {
namespace {

bool IsNameByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsValueByte(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == 'x' || c == 'X' || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The leading run of bytes that `keep` accepts, taken off `text`.
std::string_view TakeRun(std::string_view& text, bool (*keep)(char))
{
    std::size_t n = 0;
    while (n < text.size() && keep(text[n]))
        ++n;
    const std::string_view run = text.substr(0, n);
    text.remove_prefix(n);
    return run;
}

void SkipBlanks(std::string_view& text)
{
    TakeRun(text, IsBlank);
}

// strtol(text, NULL, 0) as the server reads a constant: a sign, then 0x for hexadecimal or a
// leading 0 for octal, up to the first byte that is no digit; the value as a C int keeps it.
std::int32_t ReadNumber(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && DigitValue(text[2]) < 16) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text[0] == '0') {
        base = 8;
    }
    // strtol gives LONG_MAX or LONG_MIN beyond 64 bits; the server keeps their low 32 bits.
    constexpr std::uint64_t Beyond = std::uint64_t(1) << 63;
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = DigitValue(c);
        if (digit >= base)
            break;
        value = value >= Beyond / 16 ? Beyond : value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    if (value >= Beyond)
        return negative ? 0 : -1;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(negative ? 0 - value : value));
}

// One line as the server's two sscanf patterns read it: "name,value[,type]" or "name value
// [type]" with any white space (or none) between the fields; the type, when it reads, marks a
// parameter unless it is 0.
bool ReadLine(std::string_view line, std::string_view& name, std::int32_t& value, bool& parameter)
{
    name = TakeRun(line, IsNameByte);
    if (name.empty())
        return false;
    const bool commas = !line.empty() && line.front() == ',';
    if (commas)
        line.remove_prefix(1);
    else
        SkipBlanks(line);
    const std::string_view number = TakeRun(line, IsValueByte);
    if (number.empty())
        return false;
    value = ReadNumber(number);
    if (commas) {
        if (line.empty() || line.front() != ',')
            return (parameter = false, true);
        line.remove_prefix(1);
    }
    SkipBlanks(line);
    if (!line.empty() && (line.front() == '-' || line.front() == '+'))
        line.remove_prefix(1);
    // A type of 0 (any number of zeros) is a constant; any other number a parameter.
    const std::string_view type = TakeRun(line, [](char c) { return c >= '0' && c <= '9'; });
    parameter = type.find_first_not_of('0') != std::string_view::npos;
    return true;
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
        std::string_view name;
        std::int32_t value = 0;
        bool parameter = false;
        if (ReadLine(line, name, value, parameter) && !parameter)
            constants.emplace(LowerCase(name), value);
    }
    return constants;
}

TConstants TableConstants(std::string_view table, bool keepCase)
{
    TConstants constants;
    while (!table.empty()) {
        const std::size_t end = std::min(table.find('\n'), table.size());
        std::string_view line = table.substr(0, end);
        table.remove_prefix(std::min(end + 1, table.size()));
        const std::size_t tab = line.find('\t');
        const std::size_t typeTab = line.find('\t', tab == std::string_view::npos ? line.size() : tab + 1);
        if (typeTab == std::string_view::npos || line.substr(typeTab + 1) != "0" || typeTab == tab + 1)
            continue;
        const std::string_view name = line.substr(0, tab);
        const std::int32_t value = ReadNumber(line.substr(tab + 1, typeTab - tab - 1));
        constants.emplace(keepCase ? std::string(name) : LowerCase(name), value);
    }
    return constants;
}

} // namespace script
