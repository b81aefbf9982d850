#include "catalogue/Catalogues.h"

#include "platform/UpdateScope.h"

#include "catalogue/IniFile.h"
#include "platform/PlainText.h"
#include "script/ServerRules.h"

#include <charconv>
#include <limits>

TOwnedList<TJob> JobList;
TOwnedList<TMap> MapList;
TOwnedList<TItem> ItemList;
TOwnedList<TVariable> VariableList;
TOwnedList<TNPCImg> NPCImgList;
TImageList NPCImages(SpriteImageWidth, SpriteImageHeight);
std::uint32_t MinSpriteID = std::numeric_limits<std::uint32_t>::max();
std::uint32_t MaxSpriteID = 0;

namespace {


void AddVariable(ParamTypes kind, const char* name)
{
    VariableList.push_back(std::make_unique<TVariable>(TVariable{0, kind, name}));
}

// Condition records store a variable as its index here, so this order is part of the file format.
void BuildVariableList()
{
    AddVariable(PT_Job, "Class");
    AddVariable(PT_Amount, "Zeny");
    AddVariable(PT_Amount, "BaseLevel");
    AddVariable(PT_Amount, "JobLevel");
    AddVariable(PT_Sex, "Sex");
    AddVariable(PT_Amount, "StatusPoint");
    AddVariable(PT_Amount, "Weight");
    AddVariable(PT_Amount, "MaxWeight");
}

bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

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

void InitCatalogues()
{
    JobList.clear();
    MapList.clear();
    ItemList.clear();
    VariableList.clear();
    NPCImgList.clear();
    NPCImages.Clear();
    MinSpriteID = std::numeric_limits<std::uint32_t>::max();
    MaxSpriteID = 0;
    BuildVariableList();
}

void LoadJobs(const std::filesystem::path& dir)
{
    const TIniFile ini = TIniFile::Load(dir / "jobs.ini");
    const std::int32_t count = ini.ReadEntryCount("Jobs");
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::string section = "Job" + std::to_string(i);
        JobList.push_back(std::make_unique<TJob>(
            TJob{ini.ReadInteger(section, "ID", 0), ini.ReadString(section, "Name", "error")}));
    }
}

void LoadMaps(const std::filesystem::path& dir)
{
    const TIniFile ini = TIniFile::Load(dir / "maps.ini");
    const std::int32_t count = ini.ReadEntryCount("Maps");
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::string section = "Map" + std::to_string(i);
        MapList.push_back(std::make_unique<TMap>(
            TMap{ini.ReadString(section, "Name", ""), ini.ReadString(section, "Map", "")}));
    }
}

const TJob* FindJob(std::int32_t id)
{
    for (const auto& job : JobList)
        if (job->ID == id)
            return job.get();
    return nullptr;
}

const TMap* MapAt(int index)
{
    return EntryAt(MapList, index, "MapList");
}

bool IsMapIndex(int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < MapList.size();
}

const TMap* FindMap(std::string_view fileName)
{
    for (const auto& map : MapList)
        if (SameTextAscii(map->MapFile, fileName))
            return map.get();
    return nullptr;
}

int IndexOfMap(const TMap* map)
{
    return IndexIn(MapList, map);
}

bool SameMapName(std::string_view a, std::string_view b)
{
    return script::MapKey(a) == script::MapKey(b);
}

const TMap* FindMapNamed(std::string_view name)
{
    if (name.empty())
        return nullptr;
    for (const auto& map : MapList)
        if (SameMapName(map->MapFile, name))
            return map.get();
    return nullptr;
}

const TVariable* FindVariable(std::string_view name)
{
    for (const auto& variable : VariableList)
        if (variable->Name == name)
            return variable.get();
    return nullptr;
}

const TVariable* VariableAt(int index)
{
    if (index == -1)
        return nullptr;
    return EntryAt(VariableList, index, "VariableList");
}

int IndexOfVariable(const TVariable* variable)
{
    return IndexIn(VariableList, variable);
}

const TNPCImg* FindNPCImg(std::int32_t id)
{
    for (const auto& sprite : NPCImgList)
        if (sprite->ID == id)
            return sprite.get();
    return nullptr;
}

void FillJobList(TStrings& strings)
{
    const TUpdateScope<TStrings> update(strings);
    for (const auto& job : JobList)
        strings.AddObject(job->Name, job.get());
}

void FillMapList(TStrings& strings)
{
    const TUpdateScope<TStrings> update(strings);
    for (const auto& map : MapList)
        strings.AddObject(map->Name, map.get());
}

void FillVariableList(TStrings& strings)
{
    const TUpdateScope<TStrings> update(strings);
    strings.AddObject("Don't use", nullptr);
    for (const auto& variable : VariableList)
        strings.AddObject(variable->Name, variable.get());
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
