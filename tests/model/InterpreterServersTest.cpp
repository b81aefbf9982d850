// The interpreter's rules where the servers' engines differ: each row plays one body on eAthena,
// rAthena and Hercules, with what each server's script.c / script.cpp computes for it.

#include "InterpreterSupport.h"

#include "script/PlayRules.h"

#include <gtest/gtest.h>

using namespace script;
using namespace interpretertest;

namespace {

struct ServerRow {
    const char* Name;
    const char* Body;
    const char* EAthena;  // the transcript lines joined with |
    const char* RAthena;
    const char* Hercules;
    TPlayerState Player = {};
};

class ServerPlay : public ::testing::TestWithParam<ServerRow> {};

TEST_P(ServerPlay, FollowsEachServersEngine)
{
    const ServerRow& row = GetParam();
    for (const auto& [target, expected] : {std::pair{TTarget::EAthena, row.EAthena}, std::pair{TTarget::RAthena, row.RAthena},
                                           std::pair{TTarget::Hercules, row.Hercules}}) {
        TPlaySetup setup;
        setup.Player = row.Player;
        setup.Target = target;
        setup.StepBudget = 5000;
        EXPECT_EQ(Events(PlayBody(row.Body, setup)), expected) << TargetName(target);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerPlay, ::testing::Values(
    // op_2num: eAthena and Hercules saturate 32-bit results with a warning, rAthena computes in 64 bits.
    ServerRow{"AdditionBeyond32Bits", "mes \"\" + (2147483647 + 1); close;",
              "warning at line 3: 2147483647 + 1 is beyond 32 bits: the server gives 2147483647 (op_2num: overflow detected)|"
              "2147483647|  [Close]|-- end --",
              "2147483648|  [Close]|-- end --",
              "warning at line 3: 2147483647 + 1 is beyond 32 bits: the server gives 2147483647 (op_2num: overflow detected)|"
              "2147483647|  [Close]|-- end --"},
    ServerRow{"MultiplicationBeyond64BitsEndsRAthenasScript", "set .@x, 140737488355327 * 140737488355327; mes \"on\"; close;",
              "on|  [Close]|-- end --",
              "fault at line 3: 140737488355327 * 140737488355327 is beyond 64 bits: the server ends the script here "
              "(op_2num: overflow detected)",
              "warning at line 3: 2147483647 * 2147483647 is beyond 32 bits: the server gives 2147483647 (op_2num: overflow detected)|"
              "on|  [Close]|-- end --"},
    ServerRow{"ShiftsUseTheServersWidth", "mes \"\" + (1 << 40); close;",
              "256|  [Close]|-- end --", "1099511627776|  [Close]|-- end --", "256|  [Close]|-- end --"},
    // parse_simpleexpr: eAthena keeps the low 32 bits of a literal, Hercules caps it, rAthena keeps it.
    ServerRow{"LiteralsBeyond32Bits", "mes 2147483648 + \" \" + -3000000000; close;",
              "-2147483648 1294967296|  [Close]|-- end --", "2147483648 -3000000000|  [Close]|-- end --",
              "2147483647 -2147483647|  [Close]|-- end --"},
    // conv_num: strtol on eAthena and Hercules, strtoll on rAthena, each capped at its width.
    ServerRow{"NumberReadFromAString", "set .@n, \"99999999999\"; mes \"\" + .@n; close;",
              "2147483647|  [Close]|-- end --", "99999999999|  [Close]|-- end --", "2147483647|  [Close]|-- end --"},
    // SCRIPT_MAX_ARRAYSIZE: 128 on eAthena, UINT_MAX - 1 on rAthena and Hercules.
    ServerRow{"ArraysBeyond128", "set .@a[500], 7; mes getarraysize(.@a) + \" \" + .@a[500]; close;",
              "fault at line 3: array index 500 of .@a is outside 0..127: the server stops the script (getelementofarray: index out of range)",
              "501 7|  [Close]|-- end --", "501 7|  [Close]|-- end --"},
    ServerRow{"DeletearrayInALargeArray",
              "setarray .@a[1000], 1, 2, 3; deletearray .@a[999], 2; mes getarraysize(.@a) + \" \" + .@a[999] + .@a[1000]; close;",
              "fault at line 3: array index 1000 of .@a is outside 0..127: the server stops the script (getelementofarray: index out of range)",
              "1001 23|  [Close]|-- end --", "1001 23|  [Close]|-- end --"},
    ServerRow{"ANegativeIndexStopsEveryServer", "mes \"\" + .@a[-1];",
              "fault at line 3: array index -1 of .@a is outside 0..127: the server stops the script (getelementofarray: index out of range)",
              "fault at line 3: array index -1 of .@a is outside 0..4294967294: the server stops the script (getelementofarray: index out of range)",
              "fault at line 3: array index -1 of .@a is outside 0..2147483646: the server stops the script (getelementofarray: index out of range)"},
    // itemdb_isstackable: rAthena's shadow gear does not stack; it comes one place at a time.
    ServerRow{"ShadowGearTakesAPlaceEachOnRAthena", "getitem 24000, 2; close;",
              "got 2 x Shadow Armor (24000)|  [Close]|-- end --",
              "got 1 x Shadow Armor (24000)|getitem 24000, 2 (1 of them dropped on the floor: the inventory's 100 places are taken)|"
              "  [Close]|-- end --",
              "got 2 x Shadow Armor (24000)|  [Close]|-- end --", Places(99)},
    // The servers count a default among the cases: one written first falls through into the next.
    ServerRow{"DefaultFirstFallsThrough", "switch (2) { default: mes \"d\"; case 1: mes \"one\"; } close;",
              "d|one|  [Close]|-- end --", "d|one|  [Close]|-- end --", "d|one|  [Close]|-- end --"},
    // parse_simpleexpr: a leading 0 is octal on eAthena (strtoul base 0); the others skip leading zeros.
    ServerRow{"OctalLookingLiterals", "mes \"\" + 010 + \" \" + 0x10; close;",
              "8 16|  [Close]|-- end --", "10 16|  [Close]|-- end --", "10 16|  [Close]|-- end --"},
    ServerRow{"GetarraysizeOfAnElement", "setarray .@a, 1, 2, 3; mes \"\" + getarraysize(.@a[5]); close;",
              "5|  [Close]|-- end --", "3|  [Close]|-- end --", "3|  [Close]|-- end --"},
    // Hercules compiles ?: to jumps; the others compute both branches (op_3).
    ServerRow{"TernaryBranchNotTaken", "set .@x, 1 ? 5 : callsub(S); mes .@x + \" \" + .s; close; S: set .s, 9; return 0;",
              "5 9|  [Close]|-- end --", "5 9|  [Close]|-- end --", "5 0|  [Close]|-- end --"},
    ServerRow{"ConditionsUseTheWholeInteger", "if (4294967296) mes \"yes\"; else mes \"no\"; close;",
              "no|  [Close]|-- end --", "yes|  [Close]|-- end --", "yes|  [Close]|-- end --"},
    // parse_callfunc takes no more arguments than the command's pattern: rAthena's mes takes any number.
    ServerRow{"MesWithTwoTexts", "mes \"a\", \"b\"; close;",
              "fault: eAthena does not load the NPC Tester: line 3: 'mes' takes at most 1 argument (the server's parser: need ';')",
              "a|b|  [Close]|-- end --",
              "fault: Hercules does not load the NPC Tester: line 3: 'mes' takes at most 1 argument (the server's parser: need ';')"},
    // Hercules keeps the case of names (strcmp); the others fold it.
    ServerRow{"NamesInAnotherCase",
              "set .@A, 1; set .@a, 2; set Quest, 3; set quest, 4; mes .@A + \" \" + .@a + \" \" + Quest; close;",
              "2 2 4|  [Close]|-- end --", "2 2 4|  [Close]|-- end --", "1 2 3|  [Close]|-- end --"},
    // ... parameters too: Hercules' `zeny` is a variable of the character's, not its Zeny.
    ServerRow{"ParametersInAnotherCase", "set zeny, 5; mes Zeny + \" \" + zeny; close;",
              "Zeny 0 -> 5|5 5|  [Close]|-- end --", "Zeny 0 -> 5|5 5|  [Close]|-- end --", "0 5|  [Close]|-- end --"},
    // buildin_return hands back the variable: the caller reads it where its operator runs.
    ServerRow{"ReturnedVariableIsReadWhereUsed",
              "set .v, 1; mes \"\" + (callsub(S) + callsub(T)); close; S: return .v; T: set .v, 10; return 0;",
              "10|  [Close]|-- end --", "10|  [Close]|-- end --", "10|  [Close]|-- end --"},
    // ... but a `.@` of the function's own scope, gone after the return, as its value; one the
    // caller passed (getarg) stays the caller's variable.
    ServerRow{"ReturnedScopeVariables",
              "set .@x, 1; mes \"\" + (callsub(S) + (callsub(G, .@x) + callsub(T, .@x))); close; "
              "S: set .@x, 5; return .@x; G: return getarg(0); T: set getarg(0), 10; return 0;",
              "15|  [Close]|-- end --", "15|  [Close]|-- end --", "15|  [Close]|-- end --"},
    // rAthena ties a returned `.v` to no script: the caller reads its own.
    ServerRow{"ReturnedNpcVariableOfAFunction", "set .v, 1; mes \"\" + callfunc(\"Remember\", 5); close;",
              "5|  [Close]|-- end --", "1|  [Close]|-- end --", "5|  [Close]|-- end --"},
    // Hercules' values come from its own constants.conf, which numbers some apart from const.txt.
    ServerRow{"HerculesOwnConstants", "mes SC_CONCENTRATION + \" \" + RC_Boss + \" \" + rc_boss; close;",
              "0 0 0|  [Close]|-- end --", "0 0 0|  [Close]|-- end --", "23 11 0|  [Close]|-- end --"},
    // getelementofarray takes its index as conv_num gives it: rAthena's 64-bit value loses its high bits.
    ServerRow{"IndexBeyond32Bits", "set .@a[4294967297], 7; mes .@a[1] + \" \" + getarraysize(.@a); close;",
              "7 2|  [Close]|-- end --", "7 2|  [Close]|-- end --",
              "fault at line 3: array index 2147483647 of .@a is outside 0..2147483646: the server stops the script "
              "(getelementofarray: index out of range)"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(PlayRules, LiteralsAsEachParserStoresThem)
{
    EXPECT_EQ(PlayRulesOf(TTarget::EAthena).Literal(4294967297, false), 1);
    EXPECT_EQ(PlayRulesOf(TTarget::EAthena).Literal(2147483648, true), INT32_MIN);
    EXPECT_EQ(PlayRulesOf(TTarget::Hercules).Literal(4294967297, false), INT32_MAX);
    EXPECT_EQ(PlayRulesOf(TTarget::Hercules).Literal(4294967297, true), -INT32_MAX);  // the minus is an operator
    EXPECT_EQ(PlayRulesOf(TTarget::RAthena).Literal(4294967297, true), -4294967297);
}

} // namespace
