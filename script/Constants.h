#pragma once
// The server's script constants (db/const.txt): names a script reads as fixed numbers, such as
// Job_Knight. Parameters (type 1 in the file) are not constants: the mock player answers them.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace script {

// By name in lower case, as the server ignores case.
using TConstants = std::map<std::string, std::int32_t>;

// Lines "Name,Value[,Type]" or "Name Value [Type]" with any white space between the fields, as the
// server's loader reads them; values as strtol reads them (decimal, 0x hex, 0 octal); comments
// ("//") and lines that do not read are skipped.
TConstants ReadConstants(std::string_view text);

} // namespace script
