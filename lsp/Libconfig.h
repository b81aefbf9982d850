#pragma once
// Hercules' configuration files (libconfig, with Hercules' `<" ... ">` script blocks): read for
// what npc-lsp needs of them, the script lists and the item database, not as a full grammar.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lsp {

// The file `name` (relative to root, as the server names it) with its `@include`s in place and
// its comments (`//`, `#`, `/* */`) gone, strings and script blocks kept whole. What cannot be
// read (a missing file, an include without a name) goes to warnings and reads as nothing.
std::string LibconfigText(const std::filesystem::path& root, const std::string& name, std::vector<std::string>& warnings);

// The strings of each list or group, with the name of the innermost one that holds them.
std::vector<std::pair<std::string, std::string>> LibconfigStrings(const std::string& text);

// The settings of each group in the list named list (`item_db: ( {...}, {...} )`): a setting's
// name and value, a string without its quotes, a script block without its `<"` and `">`,
// anything else as written. Groups and lists nested in a group are left out. Raises
// std::runtime_error on text the server's reader refuses (an unclosed string, bracket or block).
using TLibconfigGroup = std::vector<std::pair<std::string, std::string>>;
std::vector<TLibconfigGroup> LibconfigGroups(const std::string& text, std::string_view list);

} // namespace lsp
