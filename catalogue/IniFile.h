#pragma once
// The text catalogue files: walking them line by line, and the INI files jobs.ini, maps.ini and
// npcs.ini read into a lookup of section and key.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

// Walks a text line by line. A line ends at LF, and a CR right before the LF belongs to the line
// end, so a CR LF file reads exactly like an LF file. A last line without LF still counts.
class TLineReader {
public:
    explicit TLineReader(std::string_view text) : Rest_(text) {}
    // The next line without its line end; false once the text is used up. Inline, as the item
    // database's thousands of lines all pass through here.
    bool Next(std::string_view& line)
    {
        if (Rest_.empty())
            return false;
        const std::size_t end = Rest_.find('\n');
        if (end == std::string_view::npos) {
            line = Rest_;
            Rest_ = {};
        } else {
            line = Rest_.substr(0, end);
            Rest_.remove_prefix(end + 1);
        }
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return true;
    }

private:
    std::string_view Rest_;
};

// An INI file held in memory. The rules:
//  - "[name]" starts a section (a missing ']' ends the name at the line end); "key=value" lines
//    belong to the last section started;
//  - the value is everything after the first '=' (a ';' or ':' inside it is just text);
//  - blanks and tabs around section names, keys and values are dropped;
//  - lines starting with ';' are comments, and any other line without '=' is ignored;
//  - section and key names match without regard to letter case, and the first value given for
//    a key wins;
//  - lines may be of any length, and an indented line is an ordinary line.
class TIniFile {
public:
    // A file that does not exist reads as an empty one; one that exists but cannot be read
    // raises EInOutError naming it.
    static TIniFile Load(const std::filesystem::path& path);
    static TIniFile Parse(std::string_view text);

    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& def) const;
    // The value read by ParseIntDef; def when the key is absent or not an integer.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;
    // The "Count" key of section, 0 when absent, not an integer or negative.
    std::int32_t ReadCount(std::string_view section) const;
    // ReadCount for a catalogue about to build that many entries. A count above MaxEntries
    // raises EInOutError naming the file: it can only be a mistake, and taken at its word it
    // would have the program build entries until memory runs out.
    std::int32_t ReadEntryCount(std::string_view section) const;
    static constexpr std::int32_t MaxEntries = 65535;

private:
    const std::string* Find(std::string_view section, std::string_view key) const;

    std::string FileName_;  // for error messages; empty for text not read from a file
    std::unordered_map<std::string, std::string> Values_;  // "section\nkey", lower case
};
