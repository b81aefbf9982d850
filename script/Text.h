#pragma once
// Names in scripts compare without regard to ASCII case, as the servers compare them; every other
// byte (Latin-1 letters included) stays as it is.

#include <string>
#include <string_view>
#include <vector>

namespace script {

// Inline: the parser and the name tables fold every letter of every name through it.
inline char LowerLetter(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCase(std::string_view text);

// Inline too: the checks ask it of every statement for several words, and most differ in length.
inline bool SameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerLetter(a[i]) != LowerLetter(b[i]))
            return false;
    return true;
}

// The parts of a comma-separated list, empty ones included: "a,,b" is three.
std::vector<std::string_view> SplitCommas(std::string_view text);
// The value of a hexadecimal digit (either case), or 16 for any other byte: a digit of base b is
// one whose value is below b.
int DigitValue(char c);

} // namespace script
