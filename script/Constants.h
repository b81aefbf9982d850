#pragma once
// The server's script constants (db/const.txt): names a script reads as fixed numbers, such as
// Job_Knight. Parameters (type 1 in the file) are not constants: the mock player answers them.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace script {

// By name in lower case, as the server ignores case (as written for a server that keeps it).
using TConstants = std::map<std::string, std::int32_t>;

// Lines "Name,Value[,Type]" or "Name Value [Type]" with any white space between the fields, as the
// server's loader reads them; values as strtol reads them (decimal, 0x hex, 0 octal); comments
// ("//") and lines that do not read are skipped.
TConstants ReadConstants(std::string_view text);

// The constants of a compiled-in table (script/ServerTables.h: "name<TAB>value<TAB>type" a line)
// that it gives a value, by name as written (`keepCase`) or in lower case. Parameters and the
// names whose value the server takes from its source code are left out.
TConstants TableConstants(std::string_view table, bool keepCase);

} // namespace script
