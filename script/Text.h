#pragma once
// Names in scripts compare without regard to ASCII case, as the servers compare them; every other
// byte (Latin-1 letters included) stays as it is.

#include <string>
#include <string_view>

namespace script {

std::string LowerCase(std::string_view text);
bool SameLetters(std::string_view a, std::string_view b);
// The value of a hexadecimal digit (either case), or 16 for any other byte: a digit of base b is
// one whose value is below b.
int DigitValue(char c);

} // namespace script
