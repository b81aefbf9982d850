#include "lsp/ItemDb.h"

#include "catalogue/Catalogues.h"
#include "catalogue/IniFile.h"
#include "lsp/Libconfig.h"
#include "platform/FileAccess.h"
#include "script/Text.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace lsp {

namespace {

using TItemMap = std::map<std::int32_t, TItemRecord>;

bool Exists(const std::filesystem::path& path)
{
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

std::int32_t Number(std::string_view text)
{
    return ParseIntDef(text, 0);
}

// eAthena's item types by number (its itemdb.h).
std::string AthenaType(std::int32_t type)
{
    static const char* const names[] = {"healing", "unknown", "usable", "etc", "weapon", "armor",
                                        "card", "pet egg", "pet armor", "unknown", "ammo", "delay-consume"};
    return type >= 0 && type < static_cast<std::int32_t>(std::size(names)) ? names[type] : std::to_string(type);
}

// item_db.txt, read line by line with the catalogue's own parser (eAthena's itemdb.c reads
// item_db.txt, then item_db2.txt over it).
void ReadAthenaText(const std::filesystem::path& file, TItemMap& items)
{
    const std::string text = ReadWholeFile(file.string());
    TLineReader lines(text);
    std::string_view line;
    while (lines.Next(line))
        if (const std::optional<TItem> item = ParseItemLine(line))
            items[item->ID] = TItemRecord{item->ID, item->DbName, item->Name, AthenaType(item->Type), item->Price, item->Weight};
}

// A buying price left out is twice the selling price, in rAthena's and Hercules' readers alike.
void SetPrices(TItemRecord& item, const std::string* buy, const std::string* sell)
{
    if (buy)
        item.Price = Number(*buy);
    else if (sell)
        item.Price = Number(*sell) * 2;
}

// rAthena's YAML database: its Body's entries, then the files its Footer imports for this mode.
// An entry for an ID already read changes only the fields it gives, as rAthena's loader does.
void ReadYaml(const std::filesystem::path& root, const std::string& name, bool renewal, TItemMap& items, int depth)
{
    const std::filesystem::path file = root / name;
    YAML::Node document;
    try {
        document = YAML::LoadFile(file.string());
    } catch (const YAML::Exception& e) {
        throw std::runtime_error(file.string() + ": " + e.what());
    }
    try {
        for (const YAML::Node& entry : document["Body"]) {
            if (!entry.IsMap() || !entry["Id"])
                continue;
            const auto text = [&entry](const char* key) { return entry[key] ? std::optional(entry[key].as<std::string>()) : std::nullopt; };
            const std::int32_t id = Number(*text("Id"));
            TItemRecord& item = items.try_emplace(id, TItemRecord{id, {}, {}, "Etc", 0, 0}).first->second;
            if (const auto aegis = text("AegisName"))
                item.DbName = *aegis;
            if (const auto shown = text("Name"))
                item.Name = *shown;
            if (const auto type = text("Type"))
                item.Type = *type;
            if (const auto weight = text("Weight"))
                item.Weight = Number(*weight);
            const auto buy = text("Buy"), sell = text("Sell");
            SetPrices(item, buy ? &*buy : nullptr, sell ? &*sell : nullptr);
        }
        constexpr int MaxImportDepth = 16;
        for (const YAML::Node& import : document["Footer"]["Imports"]) {
            const std::string mode = import["Mode"] ? import["Mode"].as<std::string>() : std::string();
            if (!import["Path"] || (!mode.empty() && script::LowerCase(mode) != (renewal ? "renewal" : "prerenewal")))
                continue;
            const std::string path = import["Path"].as<std::string>();
            // The import folder is the server owner's and is often not there at all.
            if (Exists(root / path) && depth < MaxImportDepth)
                ReadYaml(root, path, renewal, items, depth + 1);
        }
    } catch (const YAML::Exception& e) {
        throw std::runtime_error(file.string() + ": " + e.what());
    }
}

// Hercules' libconfig database: each group of `item_db` replaces the item of its ID.
void ReadLibconfig(const std::filesystem::path& root, const std::string& name, TItemMap& items)
{
    std::vector<std::string> warnings;
    const std::string text = LibconfigText(root, name, warnings);
    if (!warnings.empty())
        throw std::runtime_error(warnings.front());
    std::vector<TLibconfigGroup> groups;
    try {
        groups = LibconfigGroups(text, "item_db");
    } catch (const std::runtime_error& e) {
        throw std::runtime_error((root / name).string() + ": " + e.what());
    }
    for (const TLibconfigGroup& group : groups) {
        const auto find = [&group](std::string_view key) -> const std::string* {
            const auto it = std::find_if(group.begin(), group.end(), [key](const auto& setting) { return setting.first == key; });
            return it == group.end() ? nullptr : &it->second;
        };
        const std::string* id = find("Id");
        if (!id || Number(*id) == 0)
            continue;
        TItemRecord item{Number(*id), {}, {}, "IT_ETC", 0, 0};
        for (const auto& [key, value] : group) {
            if (key == "AegisName")
                item.DbName = value;
            else if (key == "Name")
                item.Name = value;
            else if (key == "Type")
                item.Type = value;
            else if (key == "Weight")
                item.Weight = Number(value);
        }
        SetPrices(item, find("Buy"), find("Sell"));
        items[item.Id] = std::move(item);
    }
}

} // namespace

std::string DescribeItem(const TItemRecord& item)
{
    const std::string weight = std::to_string(item.Weight / 10) + (item.Weight % 10 ? "." + std::to_string(item.Weight % 10) : "");
    return "item **" + item.DbName + "** (" + std::to_string(item.Id) + "): " + item.Name + ", " + item.Type + ", " +
           std::to_string(item.Price) + " zeny, weight " + weight;
}

bool TakesItem(std::string_view command, script::TTarget target)
{
    // Read in the servers' script.c / script.cpp: the commands that look their first argument up
    // in the item database, by ID or by name.
    static const char* const commands[] = {
        "getitem", "getitem2", "getitem3", "getnameditem", "rentitem", "rentitem2", "rentitem3", "makeitem",
        "makeitem2", "makeitem3", "delitem", "delitem2", "storagedelitem", "storagedelitem2", "guildstoragedelitem",
        "guildstoragedelitem2", "cartdelitem", "cartdelitem2", "countitem", "countitem2", "storagecountitem",
        "storagecountitem2", "guildstoragecountitem", "guildstoragecountitem2", "cartcountitem", "cartcountitem2",
        "checkweight", "getitemname", "getitemslots", "getiteminfo", "setiteminfo", "getitembound", "getitembound2",
        "getitembound3", "consumeitem"};
    const script::TCommandInfo* info = script::TServerRules::For(target).FindCommand(command);
    return info && std::find(std::begin(commands), std::end(commands), script::LowerCase(info->Name)) != std::end(commands);
}

TItemDb TItemDb::Read(const TServerTree& tree)
{
    TItemDb db;
    if (tree.Root.empty())
        return db;
    const bool renewal = tree.MainList.rfind("npc/pre-re/", 0) != 0;
    const std::string mode = renewal ? "re" : "pre-re";
    const std::filesystem::path& root = tree.Root;
    TItemMap items;
    switch (tree.Target) {
    case script::TTarget::EAthena:
        ReadAthenaText(root / "db/item_db.txt", items);
        if (Exists(root / "db/item_db2.txt"))
            ReadAthenaText(root / "db/item_db2.txt", items);
        break;
    case script::TTarget::RAthena:
        ReadYaml(root, Exists(root / "db/item_db.yml") ? "db/item_db.yml" : "db/" + mode + "/item_db.yml", renewal, items, 0);
        break;
    case script::TTarget::Hercules:
        ReadLibconfig(root, "db/" + mode + "/item_db.conf", items);
        if (Exists(root / "db/item_db2.conf"))
            ReadLibconfig(root, "db/item_db2.conf", items);
        break;
    }
    for (auto& [id, item] : items)
        db.Items_.push_back(std::move(item));
    db.Index();
    return db;
}

void TItemDb::Index()
{
    for (std::size_t i = 0; i < Items_.size(); ++i) {
        Ids_.emplace(Items_[i].Id, i);
        DbNames_.emplace(script::LowerCase(Items_[i].DbName), i);
        Names_.emplace(script::LowerCase(Items_[i].Name), i);
    }
}

const TItemRecord* TItemDb::Find(std::int32_t id) const
{
    const auto it = Ids_.find(id);
    return it == Ids_.end() ? nullptr : &Items_[it->second];
}

const TItemRecord* TItemDb::FindName(std::string_view name) const
{
    const std::string key = script::LowerCase(name);
    if (const auto it = DbNames_.find(key); it != DbNames_.end())
        return &Items_[it->second];
    const auto it = Names_.find(key);
    return it == Names_.end() ? nullptr : &Items_[it->second];
}

} // namespace lsp
