#pragma once
// Reference catalogues of a data folder (jobs, maps, items, sprites with their pictures), the fixed
// table of script variables, the parameter kinds, and the picker fillers.

#include "platform/Errors.h"

#include <QImage>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum ParamTypes : std::uint8_t {
    PT_None = 0,
    PT_ItemID = 1,
    PT_Group = 2,
    PT_Map = 3,
    PT_Amount = 4,
    PT_Job = 5,
    PT_HP = 6,
    PT_SP = 7,
    PT_X = 8,
    PT_Y = 9,
    PT_Sex = 10,
};

using TParamTypeList = std::vector<ParamTypes>;
using TParamValueList = std::vector<std::int32_t>;

template <class T>
using TOwnedList = std::vector<std::unique_ptr<T>>;

struct TJob {
    std::int32_t ID = 0;
    std::string Name;
};

struct TMap {
    std::string Name;     // display name
    std::string MapFile;  // the server's file name, e.g. prontera.gat
};

struct TItem {
    std::int32_t ID = 0;
    std::int32_t Price = 0;
    std::int32_t Slots = 0;
    std::int32_t Weight = 0;
    std::int32_t ATK = 0;
    std::int32_t DEF = 0;
    std::string Name;    // as shown to the player
    std::string DbName;  // the database's own name, the one scripts use (Red_Potion)
    std::int32_t Type = 0;  // the database's item type: 4 weapon, 5 armour, 7 pet egg, ...
};

struct TVariable {
    std::uint8_t Reserved = 0;  // always 0
    ParamTypes ValueKind = PT_None;
    std::string Name;
};

struct TNPCImg {
    std::int32_t ID = 0;          // sprite number
    std::int32_t ImageIndex = 0;  // index of its picture in NPCImages
    std::string Name;
};

// A list of equally sized pictures (the sprite previews).
class TImageList {
public:
    TImageList(int width, int height) : Width_(width), Height_(height) {}
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    int Count() const { return static_cast<int>(Images_.size()); }
    // Appends a picture of exactly Width() x Height() pixels; returns its index.
    int Add(QImage image);
    const QImage& At(int index) const;
    void Clear() { Images_.clear(); }

private:
    int Width_;
    int Height_;
    std::vector<QImage> Images_;
};

// A list of display strings, each with the catalogue object it stands for. The model fills pickers
// through it; the user interface adapts it to its combo boxes and lists.
class TStrings {
public:
    virtual ~TStrings() = default;
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    virtual void AddObject(const std::string& text, const void* object) = 0;
};

// A plain in-memory TStrings, for the model's own use and for tests.
class TStringList final : public TStrings {
public:
    struct Entry {
        std::string Text;
        const void* Object = nullptr;
    };
    std::vector<Entry> Items;
    int UpdateDepth = 0;
    int Updates = 0;  // completed BeginUpdate/EndUpdate pairs

    void BeginUpdate() override { ++UpdateDepth; }
    void EndUpdate() override { --UpdateDepth; ++Updates; }
    void AddObject(const std::string& text, const void* object) override {
        Items.push_back({text, object});
    }
};

inline constexpr int SpriteImageWidth = 100;
inline constexpr int SpriteImageHeight = 128;

// The catalogues of one data folder: read once, then only read. Each server's data holds them
// (catalogue/ServerData.h) and every project is given its own (TProject::Catalogues); every lookup
// that a project, a check or a window makes goes through an object of this class. Whoever reads
// them owns the object until it is handed out, read-only, as std::shared_ptr<const TCatalogues>.
class TCatalogues {
public:
    TCatalogues() = default;  // empty catalogues
    TCatalogues(const TCatalogues&) = delete;
    TCatalogues& operator=(const TCatalogues&) = delete;

    TOwnedList<TJob> Jobs;
    TOwnedList<TMap> Maps;
    TOwnedList<TItem> Items;
    TOwnedList<TNPCImg> Sprites;
    TImageList Images{SpriteImageWidth, SpriteImageHeight};  // one 100 x 128 picture per sprite
    std::uint32_t MinSpriteID = 4294967295U;  // until a sprite is read
    std::uint32_t MaxSpriteID = 0;            // until a sprite is read

    // Empties every catalogue and the picture list and resets the sprite range.
    void Clear();

    // The four loaders. Files are looked up in dir; an empty dir means the working directory.
    // Missing INI files give empty catalogues. A missing item_db.txt or an unreadable sprite bitmap
    // raises EInOutError naming the file.
    void LoadNPCs(const std::filesystem::path& dir = {});
    void LoadItems(const std::filesystem::path& dir = {});
    void LoadJobs(const std::filesystem::path& dir = {});
    void LoadMaps(const std::filesystem::path& dir = {});

    // Lookups; each yields nullptr when nothing matches.
    const TJob* FindJob(std::int32_t id) const;
    const TMap* MapAt(int index) const;  // raises EListError outside the list
    bool IsMapIndex(int index) const;
    const TMap* FindMap(std::string_view fileName) const;  // letters compared without regard to case
    int IndexOfMap(const TMap* map) const;                 // -1 when absent
    // The catalogue's entry for the map a script's map name means, as the servers' map index reads
    // the name (script::MapKey: a ".gat" at the end dropped in any letter case, the rest compared
    // letter for letter, case counting); nullptr when it has none.
    const TMap* FindMapNamed(std::string_view name) const;
    const TNPCImg* FindNPCImg(std::int32_t id) const;

    // Picker fillers: append one entry per catalogue object, inside BeginUpdate/EndUpdate.
    void FillJobList(TStrings& strings) const;
    void FillMapList(TStrings& strings) const;
};

bool SameMapName(std::string_view a, std::string_view b);

// The index of entry in table (records store a table's entries as their index); -1 for an entry
// that is not one of the table's own, nullptr included.
template <typename T>
int IndexInTable(const std::vector<T>& table, const T* entry)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (&table[i] == entry)
            return static_cast<int>(i);
    return -1;
}

// The eight script variables a condition compares, the same for every server and data folder.
// Condition records store a variable as its index here, so the order is part of the project file
// format; the table is built once and never changes, so a condition may keep a pointer into it.
const std::vector<TVariable>& ScriptVariables();
const TVariable* FindVariable(std::string_view name);  // exact, case-sensitive; nullptr when absent
const TVariable* VariableAt(int index);  // nullptr for -1; raises EListError outside the table
int IndexOfVariable(const TVariable* variable);  // -1 when absent
void FillVariableList(TStrings& strings);  // "Don't use" (no object) first

// The text, after any leading blanks, read as a signed decimal 32-bit integer; anything else,
// the empty text included, gives def.
std::int32_t ParseIntDef(std::string_view text, std::int32_t def);
// Letters, digits, blank, apostrophe and hyphen only; true for the empty text.
bool IsPlainName(std::string_view text);
// One line of item_db.txt: the item it describes, or nothing when the line is skipped (empty or
// a "/" comment) or the item is not catalogued (ID 0 or a name that is not plain).
std::optional<TItem> ParseItemLine(std::string_view line);
// How an item is shown in the item picker: its name, or "%s [%u]" with the slots.
std::string ItemCaption(const TItem& item);
