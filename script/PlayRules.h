#pragma once
// The run-time rules that tell the servers' script engines apart, one table per server: the
// interpreter and the value warnings read them here instead of asking which server it is.

#include "script/Constants.h"
#include "script/ServerRules.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace script {

// How the parser stores a number literal its integers cannot hold.
enum class TLiteralRule {
    Wraps,   // eAthena: strtoul into an int, the high bits lost
    Capped,  // Hercules: strtoll, then capped at INT_MAX with a load warning; a minus before it is an operator
    Exact,   // rAthena: 64-bit integers hold every literal the reader takes
};

struct TPlayRules {
    TTarget Target = TTarget::EAthena;
    int IntBits = 32;  // the width values are computed and stored in
    TLiteralRule Literals = TLiteralRule::Wraps;
    // `+ - *` beyond the integers: saturated with a warning (false), or the script ends there.
    bool OverflowStops = false;
    // The last index an array has; one beyond it stops the script.
    std::int64_t LastIndex = 127;
    // The item types pc_additem gives one place each (itemdb_isstackable): getitem adds them one
    // at a time. Bit n: type n.
    std::uint32_t UnstackableTypes = 0;
    // getarraysize(a[k]): counted from k (eAthena takes every element before k as there), or
    // from 0 whatever k is (rAthena, Hercules: the array's highest key).
    bool ArraySizeIgnoresIndex = false;
    // `?:` compiled to jumps (Hercules): the branch not taken never runs. Otherwise op_3 takes
    // the test and both branches computed.
    bool TernaryJumps = false;
    // Names of variables, labels and functions as written (Hercules: `.@A` and `.@a` are two
    // variables), or without regard to case (eAthena, rAthena).
    bool NamesKeepCase = false;
    // `return .v;` hands the caller the variable, not its value. eAthena and Hercules tie `.v` to
    // the script that returns it; rAthena ties it to none, so the caller reads its own `.v`.
    bool ReturnedNpcVariableIsCallers = false;

    bool Stacks(std::int32_t itemType) const;
    // The constants whose values the server's own compiled-in table gives (Hercules'
    // constants.conf and the names it registers), before the data folder's const.txt; empty where
    // the play has only const.txt's values.
    const TConstants& OwnConstants() const;
    // The value the parser stores for a literal written with these digits (`negative`: a minus
    // sign right before them).
    std::int64_t Literal(std::int64_t digits, bool negative) const;
    // The key a name is kept under, and whether two names are one.
    std::string NameKey(std::string_view name) const;
    bool SameName(std::string_view a, std::string_view b) const;
};

const TPlayRules& PlayRulesOf(TTarget target);

} // namespace script
