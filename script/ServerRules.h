#pragma once
// What each target server's parser knows: its command table with argument patterns, whether
// names are case-sensitive, the constructs it accepts, its map names and constants.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace script {

enum class TTarget { EAthena, RAthena, Hercules };

// Reads a target's key (any case); false for anything else.
bool TargetFromName(std::string_view name, TTarget& target);
// "eathena", "rathena", "hercules": on command lines and in files.
const char* TargetKey(TTarget target);
// "eAthena", "rAthena", "Hercules": in messages and windows.
const char* TargetName(TTarget target);

// The grammar and loader rules that tell the servers apart: one table per server drives the one
// reader and checker.
struct TDialect {
    bool CaseSensitive = false;     // names as written: `Mes` is no `mes`
    bool Assignment = false;        // `x = 1;`, `x += 1;`, `x++;` without `set`
    bool ByteOrderMarkRefused = false;
    bool DigitConstants = false;    // a constant may start with a digit (`4_F_KAFRA1`) in a script
    bool PowerOperator = false;     // `**`
    bool JoinedStrings = false;     // `"a" "b"` is one string
    bool DecimalZero = false;       // `010` is 10: leading zeros skipped, no octal literals
    bool RadixNumbers = false;      // `0o17`, `0b101`, `1_000`
    bool DirectCalls = false;       // a `function script` loaded earlier is called by its name
    // The loader's second header field: what each type of line is, as written there.
    const char* ScriptTypes = "";   // with a script body
    const char* ShopTypes = "";     // an item list after the sprite
    const char* WarpTypes = "";
    const char* MonsterTypes = "";
    const char* PlainTypes = "";    // header only (the server's own tables fill them)
    int MonsterPlaceFields = 3;     // a spawn's map,x,y: 1 = the map alone spawns anywhere on it
    // The flag names its loader knows, one a line (a compiled-in table); null: not checked.
    const char* const* MapFlags = nullptr;
    // rAthena: a type that starts with `script` or `warp` is that type, with the NPC's state after
    // it (`script(CLOAKED)`); a shop's first field after the sprite may be its discount flag
    // (`yes`, `no`); a spawn names its monster by number or by name (`GAN_CEANN`); the character
    // after an assignment ends it whatever it is (its parse_line skips it unread).
    bool StateInType = false;
    bool ShopDiscount = false;
    bool MonsterNames = false;
    bool LooseAssignmentEnd = false;
    // `3--5` is 3 - -5 (eAthena, Hercules); rAthena's expression reader takes no operator there
    // (`-` followed by `-` is no minus) and refuses the line.
    bool DoubledSigns = true;
    // What parse_line says (after "parse_line: ") where a command has more arguments than its table takes.
    const char* NeedSemicolon = "need ';'";
};

struct TCommandInfo {
    std::string Name;       // as the server spells it
    std::string Pattern;    // argument letters, e.g. "sl*"
    int Mandatory = 0;      // arguments that must be given
    int Maximum = 0;        // -1: any number
};

// The pattern's arguments in words: "text, number, [value], ..." ("no arguments" for none).
std::string DescribeArguments(const TCommandInfo& info);

class TServerRules {
public:
    static const TServerRules& For(TTarget target);

    TTarget Target() const { return Target_; }
    const TDialect& Dialect() const { return Dialect_; }
    bool CaseSensitive() const { return Dialect_.CaseSensitive; }
    bool AcceptsAssignment() const { return Dialect_.Assignment; }
    bool RefusesByteOrderMark() const { return Dialect_.ByteOrderMarkRefused; }
    // Whether the second header field names a type of this kind ("script", "shop", ...); the
    // names are separated by blanks or line ends.
    static bool IsType(const char* types, std::string_view word);
    // The global functions the target's own scripts define, lower case where the target ignores
    // the case of names.
    const std::unordered_set<std::string>& ShippedFunctions() const { return Functions_; }

    const TCommandInfo* FindCommand(std::string_view name) const;
    // The command a wrongly cased name means, for "did you mean" hints on case-sensitive targets.
    const TCommandInfo* FindCommandIgnoringCase(std::string_view name) const;
    bool IsConstant(std::string_view name) const;   // constants and character parameters

private:
    // Hashes and compares names as the target's parser does (letters folded, or as written), so
    // a name is looked up as it stands, without a folded copy: the checker asks for every
    // command and label of a script.
    struct TNameHash {
        using is_transparent = void;
        bool Fold = true;
        std::size_t operator()(std::string_view name) const;
    };
    struct TNameEqual {
        using is_transparent = void;
        bool Fold = true;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    template <class T>
    using TNameMap = std::unordered_map<std::string, T, TNameHash, TNameEqual>;

    explicit TServerRules(TTarget target);

    TTarget Target_;
    TDialect Dialect_;
    TNameMap<TCommandInfo> Commands_;
    TNameMap<const TCommandInfo*> Folded_;
    std::unordered_set<std::string, TNameHash, TNameEqual> Constants_;
    std::unordered_set<std::string> Functions_;
};


const TDialect& DialectOf(TTarget target);

// Calls row(name, rest) for every line of a compiled-in table (`name<TAB>rest`, one a line); rest
// is empty where a line has no tab.
template <typename TRow>
void EachRow(std::string_view table, const TRow& row)
{
    while (!table.empty()) {
        const std::string_view line = table.substr(0, table.find('\n'));
        table.remove_prefix(std::min(table.size(), line.size() + 1));
        const std::size_t tab = line.find('\t');
        row(line.substr(0, tab), tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1));
    }
}

// The one of three things (tables, sets) that is the target's.
template <typename T>
const T& Pick(TTarget target, const T& eathena, const T& rathena, const T& hercules)
{
    return target == TTarget::EAthena ? eathena : target == TTarget::RAthena ? rathena : hercules;
}

// The client's view ID a sprite constant stands for (`4_F_KAFRA1` is 117), the same on every
// server that has the names; nothing for any other name.
std::optional<std::int32_t> SpriteId(std::string_view name);

// The map names the target ships (its map_index), without `.gat`.
const std::unordered_set<std::string>& BuiltInMaps(TTarget target = TTarget::EAthena);
// A map name as the server looks it up: `.gat` removed.
std::string MapKey(std::string_view name);

} // namespace script
