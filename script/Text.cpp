#include "script/Text.h"

namespace script {
namespace {

char LowerLetter(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string LowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = LowerLetter(c);
    return lower;
}

bool SameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerLetter(a[i]) != LowerLetter(b[i]))
            return false;
    return true;
}

} // namespace script
