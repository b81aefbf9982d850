#pragma once
// The INI reader of the catalogue files, and LoadJobs and LoadMaps built on it, checked against a
// plain reading of the INI rules.

#include "OracleSupport.h"

#include "catalogue/Catalogues.h"
#include "catalogue/IniFile.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace parsercheck {

// The loaders make one entry per counted section, present or not; beyond this count the checks
// leave the loaders out (CheckIniCatalogues), as the entries alone would take seconds to build.
inline constexpr std::int32_t MaxLoadedCount = 10000;

inline std::string ReferenceLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

inline std::string_view ReferenceTrim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The INI rules the catalogue files are written by: "[name]" opens a section, "key=value" belongs
// to the last one, ';' starts a comment line, blanks and tabs around names and values are
// dropped, names match without regard to case, and the first value of a key wins.
class TReferenceIni {
public:
    explicit TReferenceIni(std::string_view text)
    {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);
        std::string section;
        for (std::string_view line : TextLines(text)) {
            line = ReferenceTrim(line);
            if (line.empty() || line.front() == ';')
                continue;
            if (line.front() == '[') {
                const std::size_t close = line.find(']');
                section = ReferenceLower(ReferenceTrim(
                    close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1)));
                continue;
            }
            const std::size_t equals = line.find('=');
            if (equals == std::string_view::npos)
                continue;
            const std::string key = ReferenceLower(ReferenceTrim(line.substr(0, equals)));
            Sections_[section].try_emplace(key, ReferenceTrim(line.substr(equals + 1)));
        }
    }

    std::optional<std::string> Value(std::string_view section, std::string_view key) const
    {
        const auto found = Sections_.find(ReferenceLower(section));
        if (found == Sections_.end())
            return std::nullopt;
        const auto value = found->second.find(ReferenceLower(key));
        if (value == found->second.end())
            return std::nullopt;
        return value->second;
    }
    std::string String(std::string_view section, std::string_view key, const std::string& def) const
    {
        return Value(section, key).value_or(def);
    }
    std::int32_t Integer(std::string_view section, std::string_view key, std::int32_t def) const
    {
        const std::optional<std::string> value = Value(section, key);
        return value ? ReferenceIntDef(*value, def) : def;
    }
    std::int32_t Count(std::string_view section) const
    {
        return std::max(Integer(section, "Count", 0), 0);
    }
    const std::map<std::string, std::map<std::string, std::string>>& Sections() const
    {
        return Sections_;
    }

private:
    std::map<std::string, std::map<std::string, std::string>> Sections_;
};

inline void CheckSame(TProblems& problems, const std::string& what, const std::string& actual,
                      const std::string& expected)
{
    if (actual != expected)
        problems.push_back(what + " is '" + Shown(actual) + "', expected '" + Shown(expected) + "'");
}

// TIniFile::Parse and TIniFile::Load (on a file in dir) against the reference, every value the
// text holds; then LoadJobs and LoadMaps with the text as jobs.ini and maps.ini.
inline TProblems CheckIniCatalogues(std::string_view text, const std::filesystem::path& dir)
{
    TProblems problems;
    const TReferenceIni reference(text);
    const TIniFile parsed = TIniFile::Parse(text);
    for (const auto& [section, keys] : reference.Sections())
        for (const auto& [key, value] : keys)
            CheckSame(problems, "[" + section + "] " + key, parsed.ReadString(section, key, "<absent>"),
                      value);
    CheckSame(problems, "an absent key", parsed.ReadString("no such", "section", "<absent>"), "<absent>");
    for (const char* section : {"Jobs", "Maps"})
        if (parsed.ReadCount(section) != reference.Count(section))
            problems.push_back(std::string("Count of ") + section + " is " +
                               std::to_string(parsed.ReadCount(section)) + ", expected " +
                               std::to_string(reference.Count(section)));

    // Each counted section becomes an entry; a count in the millions asks for millions of entries
    // and is checked through the parser alone.
    const std::int32_t jobs = reference.Count("Jobs");
    const std::int32_t maps = reference.Count("Maps");
    if (jobs > MaxLoadedCount || maps > MaxLoadedCount)
        return problems;
    for (const char* name : {"jobs.ini", "maps.ini"}) {
        std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    TCatalogues catalogues;
    catalogues.LoadJobs(dir);
    catalogues.LoadMaps(dir);
    if (catalogues.Jobs.size() != static_cast<std::size_t>(jobs) || catalogues.Maps.size() != static_cast<std::size_t>(maps)) {
        problems.push_back("LoadJobs/LoadMaps read " + std::to_string(catalogues.Jobs.size()) + "/" +
                           std::to_string(catalogues.Maps.size()) + " entries, the counts say " +
                           std::to_string(jobs) + "/" + std::to_string(maps));
    } else {
        for (std::int32_t i = 1; i <= jobs; ++i) {
            const std::string section = "Job" + std::to_string(i);
            const TJob& job = *catalogues.Jobs[static_cast<std::size_t>(i - 1)];
            if (job.ID != reference.Integer(section, "ID", 0))
                problems.push_back(section + " ID is " + std::to_string(job.ID));
            CheckSame(problems, section + " Name", job.Name, reference.String(section, "Name", "error"));
        }
        for (std::int32_t i = 1; i <= maps; ++i) {
            const std::string section = "Map" + std::to_string(i);
            const TMap& map = *catalogues.Maps[static_cast<std::size_t>(i - 1)];
            CheckSame(problems, section + " Name", map.Name, reference.String(section, "Name", ""));
            CheckSame(problems, section + " Map", map.MapFile, reference.String(section, "Map", ""));
        }
    }
    return problems;
}

}  // namespace parsercheck
