#include "script/PlayRules.h"

#include "script/ServerTables.h"
#include "script/Text.h"

#include <algorithm>
#include <initializer_list>

namespace script {
namespace {

constexpr std::uint32_t Types(std::initializer_list<int> types)
{
    std::uint32_t bits = 0;
    for (int type : types)
        bits |= std::uint32_t{1} << type;
    return bits;
}

// Read in each server's script.c / script.cpp (parse_simpleexpr, op_2num, SCRIPT_MAX_ARRAYSIZE)
// and itemdb.c / itemdb.cpp (itemdb_isstackable). Item types: 4 weapon, 5 armour, 7 pet egg,
// 8 pet armour, 12 shadow gear (rAthena's only).
const TPlayRules EAthenaRules{
    .Target = TTarget::EAthena,
    .UnstackableTypes = Types({4, 5, 7, 8}),
};
const TPlayRules RAthenaRules{
    .Target = TTarget::RAthena,
    .IntBits = 64,
    .Literals = TLiteralRule::Exact,
    .OverflowStops = true,
    .LastIndex = 4294967294,  // UINT_MAX - 1
    .UnstackableTypes = Types({4, 5, 7, 8, 12}),
    .ArraySizeIgnoresIndex = true,
    .ReturnedNpcVariableIsCallers = true,  // buildin_return links no script to a `.` variable
};
const TPlayRules HerculesRules{
    .Target = TTarget::Hercules,
    .Literals = TLiteralRule::Capped,
    .LastIndex = 2147483646,  // INT_MAX - 1
    .UnstackableTypes = Types({4, 5, 7, 8}),
    .ArraySizeIgnoresIndex = true,
    .TernaryJumps = true,
    .NamesKeepCase = true,  // its str_data hash and lookups compare names with strcmp
};

} // namespace

bool TPlayRules::Stacks(std::int32_t itemType) const
{
    return itemType < 0 || itemType >= 32 || (UnstackableTypes >> itemType & 1) == 0;
}

std::int64_t TPlayRules::Literal(std::int64_t digits, bool negative) const
{
    const std::int64_t written = negative ? -digits : digits;
    switch (Literals) {
    case TLiteralRule::Wraps: return static_cast<std::int32_t>(static_cast<std::uint32_t>(written));
    case TLiteralRule::Capped: {
        const std::int64_t capped = std::min<std::int64_t>(digits, INT32_MAX);
        return negative ? -capped : capped;
    }
    case TLiteralRule::Exact: break;
    }
    return written;
}

const TConstants& TPlayRules::OwnConstants() const
{
    static const TConstants none;
    static const TConstants hercules = TableConstants(tables::HerculesConstants, true);
    return Target == TTarget::Hercules ? hercules : none;
}

std::string TPlayRules::NameKey(std::string_view name) const
{
    return NamesKeepCase ? std::string(name) : LowerCase(name);
}

bool TPlayRules::SameName(std::string_view a, std::string_view b) const
{
    return NamesKeepCase ? a == b : SameLetters(a, b);
}

const TPlayRules& PlayRulesOf(TTarget target)
{
    return target == TTarget::EAthena ? EAthenaRules : target == TTarget::RAthena ? RAthenaRules : HerculesRules;
}

} // namespace script
