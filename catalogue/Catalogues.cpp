#include "catalogue/Catalogues.h"

#include "platform/UpdateScope.h"

#include "catalogue/IniFile.h"
#include "platform/PlainText.h"
#include "script/ServerRules.h"
#include "script/Text.h"

#include <charconv>
#include <limits>

namespace {

template <class T>
int IndexIn(const TOwnedList<T>& list, const T* entry)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == entry)
            return static_cast<int>(i);
    return -1;
}

template <class T>
const T* EntryAt(const TOwnedList<T>& list, int index, const char* listName)
{
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        throw EListError(std::string(listName) + ": list index out of bounds (" +
                         std::to_string(index) + ")");
    return list[static_cast<std::size_t>(index)].get();
}

}  // namespace

void TCatalogues::Clear()
{
    Jobs.clear();
    Maps.clear();
    Items.clear();
    Sprites.clear();
    Images.Clear();
    MinSpriteID = std::numeric_limits<std::uint32_t>::max();
    MaxSpriteID = 0;
}

void TCatalogues::LoadJobs(const std::filesystem::path& dir)
{
    const TIniFile ini = TIniFile::Load(dir / "jobs.ini");
    const std::int32_t count = ini.ReadEntryCount("Jobs");
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::string section = "Job" + std::to_string(i);
        Jobs.push_back(std::make_unique<TJob>(
            TJob{ini.ReadInteger(section, "ID", 0), ini.ReadString(section, "Name", "error")}));
    }
}

void TCatalogues::LoadMaps(const std::filesystem::path& dir)
{
    const TIniFile ini = TIniFile::Load(dir / "maps.ini");
    const std::int32_t count = ini.ReadEntryCount("Maps");
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::string section = "Map" + std::to_string(i);
        Maps.push_back(std::make_unique<TMap>(
            TMap{ini.ReadString(section, "Name", ""), ini.ReadString(section, "Map", "")}));
    }
}

const TJob* TCatalogues::FindJob(std::int32_t id) const
{
    for (const auto& job : Jobs)
        if (job->ID == id)
            return job.get();
    return nullptr;
}

const TMap* TCatalogues::MapAt(int index) const
{
    return EntryAt(Maps, index, "MapList");
}

bool TCatalogues::IsMapIndex(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < Maps.size();
}

const TMap* TCatalogues::FindMap(std::string_view fileName) const
{
    for (const auto& map : Maps)
        if (script::SameLetters(map->MapFile, fileName))
            return map.get();
    return nullptr;
}

int TCatalogues::IndexOfMap(const TMap* map) const
{
    return IndexIn(Maps, map);
}

bool SameMapName(std::string_view a, std::string_view b)
{
    return script::MapKey(a) == script::MapKey(b);
}

const TMap* TCatalogues::FindMapNamed(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (const auto& map : Maps)
        if (SameMapName(map->MapFile, name))
            return map.get();
    return nullptr;
}

const TNPCImg* TCatalogues::FindNPCImg(std::int32_t id) const
{
    for (const auto& sprite : Sprites)
        if (sprite->ID == id)
            return sprite.get();
    return nullptr;
}

void TCatalogues::FillJobList(TStrings& strings) const
{
    const TUpdateScope<TStrings> update(strings);
    for (const auto& job : Jobs)
        strings.AddObject(job->Name, job.get());
}

void TCatalogues::FillMapList(TStrings& strings) const
{
    const TUpdateScope<TStrings> update(strings);
    for (const auto& map : Maps)
        strings.AddObject(map->Name, map.get());
}

// ---- The script variables ---------------------------------------------------------------------

const std::vector<TVariable>& ScriptVariables()
{
    static const std::vector<TVariable> variables = {
        {0, PT_Job, "Class"},    {0, PT_Amount, "Zeny"},        {0, PT_Amount, "BaseLevel"},
        {0, PT_Amount, "JobLevel"}, {0, PT_Sex, "Sex"},         {0, PT_Amount, "StatusPoint"},
        {0, PT_Amount, "Weight"}, {0, PT_Amount, "MaxWeight"},
    };
    return variables;
}

const TVariable* FindVariable(std::string_view name)
{
    for (const TVariable& variable : ScriptVariables())
        if (variable.Name == name)
            return &variable;
    return nullptr;
}

const TVariable* VariableAt(int index)
{
    const std::vector<TVariable>& variables = ScriptVariables();
    if (index == -1)
        return nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= variables.size())
        throw EListError("VariableList: list index out of bounds (" + std::to_string(index) + ")");
    return &variables[static_cast<std::size_t>(index)];
}

int IndexOfVariable(const TVariable* variable)
{
    return IndexInTable(ScriptVariables(), variable);
}

void FillVariableList(TStrings& strings)
{
    const TUpdateScope<TStrings> update(strings);
    strings.AddObject("Don't use", nullptr);
    for (const TVariable& variable : ScriptVariables())
        strings.AddObject(variable.Name, &variable);
}

std::int32_t ParseIntDef(std::string_view text, std::int32_t def)
{
    // Leading blanks are allowed, as the platform's own integer conversion allows them; a '+'
    // must be followed by a digit, or "+-5" would pass as -5.
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.size() >= 2 && text.front() == '+' && text[1] >= '0' && text[1] <= '9')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    if (error != std::errc() || stop != end)
        return def;
    return value;
}

bool IsPlainName(std::string_view text)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    // From sixteen characters on they are checked sixteen at a time, the last block overlapping
    // the one before it.
    if (text.size() >= 16) {
        for (; i + 16 < text.size(); i += 16)
            if (PlainBits16(text.data() + i) != 0xFFFF)
                return false;
        return PlainBits16(text.data() + text.size() - 16) == 0xFFFF;
    }
#endif
    // Without a branch per character: the loop's end is the only one, and it is well predicted.
    bool plain = true;
    for (; i < text.size(); ++i)
        plain &= PlainChars[static_cast<unsigned char>(text[i])];
    return plain;
}
