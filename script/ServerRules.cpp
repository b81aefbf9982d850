#include "script/ServerRules.h"

#include "script/ServerTables.h"
#include "script/Text.h"

#include <charconv>

namespace script {
namespace {

TCommandInfo MakeCommand(std::string_view name, std::string_view pattern)
{
    TCommandInfo info{std::string(name), std::string(pattern), 0, 0};
    bool unlimited = false;
    for (char letter : pattern) {
        if (letter == '*')
            unlimited = true;
        else if (letter == '?')
            ++info.Maximum;
        else {
            ++info.Mandatory;
            ++info.Maximum;
        }
    }
    if (unlimited)
        info.Maximum = -1;
    return info;
}

const char* ArgumentWord(char letter)
{
    switch (letter) {
    case 's': return "text";
    case 'i': return "number";
    case 'r': return "variable";
    case 'l': return "label";
    default: return "value";
    }
}

// Read in each server's npc.c / npc.cpp (the types npc_parsesrcfile tells apart) and script.c /
// script.cpp (what its expression parser accepts).
constexpr TDialect EAthenaDialect{
    .ScriptTypes = "script",
    .ShopTypes = "shop cashshop",
    .WarpTypes = "warp",
    .MonsterTypes = "monster boss_monster",
    .MapFlags = &tables::EAthenaMapFlags,
};
constexpr TDialect RAthenaDialect{
    .Assignment = true,
    .ByteOrderMarkRefused = true,
    .DigitConstants = true,
    .DecimalZero = true,
    .DirectCalls = true,
    .ScriptTypes = "script",
    .ShopTypes = "shop cashshop itemshop pointshop marketshop",
    .WarpTypes = "warp warp2",
    .MonsterTypes = "monster boss_monster miniboss_monster",
    .PlainTypes = "barter",
    .MonsterPlaceFields = 1,
    .MapFlags = &tables::RAthenaMapFlags,
    .StateInType = true,
    .ShopDiscount = true,
    .MonsterNames = true,
    .LooseAssignmentEnd = true,
    .DoubledSigns = false,
    .NeedSemicolon = "expected ';'",
};
constexpr TDialect HerculesDialect{
    .CaseSensitive = true,
    .Assignment = true,
    .ByteOrderMarkRefused = true,
    .DigitConstants = true,
    .PowerOperator = true,
    .JoinedStrings = true,
    .DecimalZero = true,
    .RadixNumbers = true,
    .DirectCalls = true,
    .ScriptTypes = "script trader",
    .ShopTypes = "shop cashshop",
    .WarpTypes = "warp",
    .MonsterTypes = "monster boss_monster",
    .MonsterPlaceFields = 1,
};

} // namespace

std::string DescribeArguments(const TCommandInfo& info)
{
    std::string text;
    for (std::size_t i = 0; i < info.Pattern.size(); ++i) {
        const char letter = info.Pattern[i];
        text += text.empty() ? "" : ", ";
        if (letter == '*')
            text += "...";
        else if (letter == '?')
            text += "[value]";
        else
            text += ArgumentWord(letter);
    }
    return text.empty() ? "no arguments" : text;
}

const TDialect& DialectOf(TTarget target)
{
    return Pick(target, EAthenaDialect, RAthenaDialect, HerculesDialect);
}

bool TServerRules::IsType(const char* types, std::string_view word)
{
    std::string_view rest(types);
    while (!rest.empty()) {
        const std::size_t space = rest.find_first_of(" \n");
        if (SameLetters(rest.substr(0, space), word))
            return true;
        rest.remove_prefix(space == std::string_view::npos ? rest.size() : space + 1);
    }
    return false;
}

bool TargetFromName(std::string_view name, TTarget& target)
{
    const std::string lower = LowerCase(name);
    for (const TTarget candidate : {TTarget::EAthena, TTarget::RAthena, TTarget::Hercules}) {
        if (lower == TargetKey(candidate)) {
            target = candidate;
            return true;
        }
    }
    return false;
}

const char* TargetKey(TTarget target)
{
    switch (target) {
    case TTarget::EAthena: return "eathena";
    case TTarget::RAthena: return "rathena";
    case TTarget::Hercules: return "hercules";
    }
    return "?";
}

const char* TargetName(TTarget target)
{
    switch (target) {
    case TTarget::EAthena: return "eAthena";
    case TTarget::RAthena: return "rAthena";
    case TTarget::Hercules: return "Hercules";
    }
    return "?";
}

std::size_t TServerRules::TNameHash::operator()(std::string_view name) const
{
    // FNV-1a over the bytes, letters folded when the target ignores case.
    std::size_t hash = 14695981039346656037ull;
    for (char c : name) {
        if (Fold)
            c = LowerLetter(c);
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

bool TServerRules::TNameEqual::operator()(std::string_view a, std::string_view b) const
{
    return Fold ? SameLetters(a, b) : a == b;
}

TServerRules::TServerRules(TTarget target)
    : Target_(target), Dialect_(DialectOf(target)),
      Commands_(0, TNameHash{!CaseSensitive()}, TNameEqual{!CaseSensitive()}),
      Folded_(0, TNameHash{true}, TNameEqual{true}),
      Constants_(0, TNameHash{!CaseSensitive()}, TNameEqual{!CaseSensitive()})
{
    const char* table = Pick(target, tables::EAthenaCommands, tables::RAthenaCommands, tables::HerculesCommands);
    // The tables hash and compare names as the target does, so names go in as written.
    EachRow(table, [this](std::string_view name, std::string_view pattern) {
        Commands_.emplace(std::string(name), MakeCommand(name, pattern));
    });
    for (const auto& [name, info] : Commands_)
        Folded_.emplace(name, &info);
    EachRow(Pick(target, tables::EAthenaConstants, tables::RAthenaConstants, tables::HerculesConstants),
            [this](std::string_view name, std::string_view) { Constants_.emplace(name); });
    EachRow(Pick(target, tables::EAthenaFunctions, tables::RAthenaFunctions, tables::HerculesFunctions),
            [this](std::string_view name, std::string_view) {
                Functions_.emplace(CaseSensitive() ? std::string(name) : LowerCase(name));
            });
    if (target == TTarget::Hercules)
        EachRow(tables::RAthenaConstants, [this](std::string_view name, std::string_view) {
            EachRow(tables::HerculesSourceGroups, [&](std::string_view prefix, std::string_view) {
                if (!prefix.empty() && name.substr(0, prefix.size()) == prefix)
                    Constants_.emplace(name);
            });
        });
}

const TServerRules& TServerRules::For(TTarget target)
{
    static const TServerRules eathena(TTarget::EAthena);
    static const TServerRules rathena(TTarget::RAthena);
    static const TServerRules hercules(TTarget::Hercules);
    return target == TTarget::EAthena ? eathena : target == TTarget::RAthena ? rathena : hercules;
}

const TCommandInfo* TServerRules::FindCommand(std::string_view name) const
{
    const auto it = Commands_.find(name);
    return it == Commands_.end() ? nullptr : &it->second;
}

const TCommandInfo* TServerRules::FindCommandIgnoringCase(std::string_view name) const
{
    const auto it = Folded_.find(name);
    return it == Folded_.end() ? nullptr : it->second;
}

bool TServerRules::IsConstant(std::string_view name) const
{
    return Constants_.find(name) != Constants_.end();
}

std::string MapKey(std::string_view name)
{
    if (name.size() > 4 && LowerCase(name.substr(name.size() - 4)) == ".gat")
        name.remove_suffix(4);
    return std::string(name);
}

// The view names are the client's, the same on every server that has them (rAthena's JT_ names
// without their prefix, as its scripts write them).
std::optional<std::int32_t> SpriteId(std::string_view name)
{
    static const std::unordered_map<std::string, std::int32_t> views = [] {
        std::unordered_map<std::string, std::int32_t> table;
        EachRow(tables::ViewConstants, [&table](std::string_view constant, std::string_view number) {
            std::int32_t value = 0;
            const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
            if (ec == std::errc() && end == number.data() + number.size() && !number.empty())
                table.emplace(constant, value);
        });
        return table;
    }();
    const auto it = views.find(std::string(name));
    return it == views.end() ? std::nullopt : std::optional<std::int32_t>(it->second);
}

const std::unordered_set<std::string>& BuiltInMaps(TTarget target)
{
    static const auto load = [](const char* table) {
        std::unordered_set<std::string> set;
        EachRow(table, [&set](std::string_view name, std::string_view) { set.emplace(name); });
        return set;
    };
    static const std::unordered_set<std::string> eathena = load(tables::EAthenaMaps);
    static const std::unordered_set<std::string> rathena = load(tables::RAthenaMaps);
    static const std::unordered_set<std::string> hercules = load(tables::HerculesMaps);
    return Pick(target, eathena, rathena, hercules);
}

} // namespace script
