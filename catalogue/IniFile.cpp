#include "catalogue/IniFile.h"

#include "catalogue/Catalogues.h"
#include "platform/FileAccess.h"
#include "script/Text.h"

#include <algorithm>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Section and key names compare as script names do: A to Z as a to z, whatever the locale. A line
// end cannot occur inside a line, so no two pairs share a lookup key.
std::string LookupKey(std::string_view section, std::string_view key)
{
    return script::LowerCase(section) + '\n' + script::LowerCase(key);
}

// Editors that save UTF-8 often put a byte order mark in front of the text; left in place, it
// would keep the first section line from starting with '['.
std::string_view WithoutByteOrderMark(std::string_view text)
{
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    if (text.substr(0, mark.size()) == mark)
        text.remove_prefix(mark.size());
    return text;
}

}  // namespace

TIniFile TIniFile::Load(const std::filesystem::path& path)
{
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored))
        return {};
    TIniFile ini = Parse(ReadWholeFile(path.string()));
    ini.FileName_ = path.string();
    return ini;
}

TIniFile TIniFile::Parse(std::string_view text)
{
    TIniFile ini;
    std::string section;
    TLineReader lines(WithoutByteOrderMark(text));
    std::string_view line;
    while (lines.Next(line)) {
        line = Trim(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            section = Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        ini.Values_.try_emplace(LookupKey(section, Trim(line.substr(0, equals))),
                                Trim(line.substr(equals + 1)));
    }
    return ini;
}

const std::string* TIniFile::Find(std::string_view section, std::string_view key) const
{
    const auto found = Values_.find(LookupKey(section, key));
    return found == Values_.end() ? nullptr : &found->second;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& def) const
{
    const std::string* value = Find(section, key);
    return value ? *value : def;
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) const
{
    const std::string* value = Find(section, key);
    return value ? ParseIntDef(*value, def) : def;
}

std::int32_t TIniFile::ReadCount(std::string_view section) const
{
    // A negative count would otherwise turn into billions of sections once used as a size.
    return std::max(ReadInteger(section, "Count", 0), 0);
}

std::int32_t TIniFile::ReadEntryCount(std::string_view section) const
{
    const std::int32_t count = ReadCount(section);
    if (count > MaxEntries)
        throw EInOutError(FileName_, "[" + std::string(section) + "] Count=" +
                                         std::to_string(count) + " is more than the " +
                                         std::to_string(MaxEntries) +
                                         " entries a catalogue can hold");
    return count;
}
