// The value warnings: an operator the server stops the script on when it meets a string, and the
// constructs that break the server (a literal beyond its integers, an unknown escape, INT_MIN / -1
// in constants). One row per rule and server: the body of an NPC and the warnings expected.

#include "script/Checker.h"
#include "script/FileReader.h"
#include "script/ValueWarnings.h"

#include <gtest/gtest.h>

using namespace script;

namespace {

constexpr TTarget EA = TTarget::EAthena;
constexpr TTarget RA = TTarget::RAthena;
constexpr TTarget HE = TTarget::Hercules;

struct ValueCase {
    const char* Name;
    TTarget Target;
    std::string Body;
    std::vector<std::string> Expected;  // "LINE:COLUMN: message", in file order
};

std::string Npc(const std::string& body)
{
    return "prontera,150,150,4\tscript\tTester\t100,{\n" + body + "\tend;\n}\n";
}

std::vector<std::string> Lines(const std::vector<TDiagnostic>& found)
{
    std::vector<std::string> lines;
    for (const TDiagnostic& d : found)
        lines.push_back(std::to_string(d.Range.Begin.Line) + ":" + std::to_string(d.Range.Begin.Column) + ": " + d.Message);
    return lines;
}

class ValueWarning : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueWarning, FindsWhatTheServerMishandles)
{
    const std::string text = Npc(GetParam().Body);
    const TScriptFile file = ReadScriptFile(text, GetParam().Target);
    ASSERT_TRUE(file.Diagnostics.empty()) << file.Diagnostics.front().Message;
    EXPECT_EQ(Lines(CheckValues(file, text, GetParam().Target)), GetParam().Expected);
}

const std::string NotOnString = "'!' on a string: the server stops the script here (op_1: argument is not a number); "
                                "compare it with \"\" instead";
const std::string AndOnString = "'&&' on a string: the server stops the script here (op_2: invalid data); compare it with \"\" instead";

INSTANTIATE_TEST_SUITE_P(Values, ValueWarning, ::testing::Values(
    // op_1 and op_2 stop the script on a string operand, on every server.
    ValueCase{"NotOnAStringVariable", EA, "\tif (!.@name$) end;\n", {"2:6: " + NotOnString}},
    ValueCase{"NotOnAStringOnRAthena", RA, "\tif (!.@name$) end;\n", {"2:6: " + NotOnString}},
    ValueCase{"NotOnAnArrayElement", HE, "\tif (!.@names$[2]) end;\n", {"2:6: " + NotOnString}},
    ValueCase{"MinusOnAStringLiteral", EA, "\tset .@x, -\"5\";\n",
              {"2:11: '-' on a string: the server stops the script here (op_1: argument is not a number)"}},
    ValueCase{"TildeOnAStringFunction", EA, "\tset .@x, ~strcharinfo(0);\n",
              {"2:11: '~' on a string: the server stops the script here (op_1: argument is not a number)"}},
    ValueCase{"NotOnAJoinedString", EA, "\tif (!(.@a$ + 1)) end;\n", {"2:6: " + NotOnString}},
    ValueCase{"AndWithAString", EA, "\tif (.@a$ && 1) end;\n", {"2:6: " + AndOnString}},
    ValueCase{"OrWithAStringOnTheRight", RA, "\tif (1 || .@s$) end;\n",
              {"2:6: '||' on a string: the server stops the script here (op_2: invalid data); compare it with \"\" instead"}},
    ValueCase{"StringsComparedAreFine", EA, "\tif (.@name$ == \"\" || !.@n || !getarg(0)) end;\n", {}},
    // parse_simpleexpr: eAthena keeps the low 32 bits, Hercules caps, rAthena holds 64 bits.
    ValueCase{"NumbersAtTheLimitsFit", EA, "\tset .@x, 2147483647;\n\tset .@y, -2147483648;\n", {}},
    ValueCase{"LiteralOf2To31OnEAthena", EA, "\tset .@x, 2147483648;\n",
              {"2:11: the number 2147483648 does not fit in eAthena's 32-bit integers: it is read as -2147483648"}},
    ValueCase{"HexLiteralOnEAthena", EA, "\tset .@x, 0xFFFFFFFF;\n",
              {"2:11: the number 0xFFFFFFFF does not fit in eAthena's 32-bit integers: it is read as -1"}},
    ValueCase{"NegativeLiteralOnEAthena", EA, "\tset .@x, -3000000000;\n",
              {"2:11: the number -3000000000 does not fit in eAthena's 32-bit integers: it is read as 1294967296"}},
    ValueCase{"MinusAfterAnOperatorIsNotTheLiteralsSign", EA, "\tset .@x, 1 - 2147483648;\n",
              {"2:15: the number 2147483648 does not fit in eAthena's 32-bit integers: it is read as -2147483648"}},
    ValueCase{"LiteralOnHercules", HE, "\tset .@x, 4294967296;\n",
              {"2:11: the number 4294967296 does not fit in Hercules's 32-bit integers: it is read as 2147483647 "
               "(parse_simpleexpr: overflow detected)"}},
    ValueCase{"LiteralOnRAthena", RA, "\tset .@x, 4294967296;\n", {}},
    // sv_unescape_c knows \a \b \t \n \v \f \r \\ \' \" \? \x.. and octal.
    ValueCase{"UnknownEscape", EA, "\tmes \"a\\qb\";\n",
              {"2:8: unknown escape '\\q' in a string: eAthena's parser does not keep it as written (sv_unescape_c: unknown "
               "escape sequence); write \\\\ for a backslash"}},
    ValueCase{"HexEscapeWithoutDigits", RA, "\tmes \"\\xg\";\n",
              {"2:7: unknown escape '\\x' in a string: rAthena's parser does not keep it as written (sv_unescape_c: unknown "
               "escape sequence); write \\\\ for a backslash"}},
    ValueCase{"KnownEscapes", EA, "\tmes \"a\\nb\\\\c\\\"d\\x41\\101\\'\\?\\t\";\n", {}},
    ValueCase{"BackslashOfADoubleByteCharacter", EA, "\tmes \"\x82\\q\";\n", {}},
    // INT_MIN / -1 traps the processor of the 32-bit servers; rAthena's integers are 64 bits.
    ValueCase{"IntMinDividedByMinusOne", EA, "\tset .@x, -2147483648 / -1;\n",
              {"2:11: -2147483648 / -1 overflows eAthena's 32-bit integers: the map-server's process dies on this division"}},
    ValueCase{"IntMinWrittenAsASumModuloMinusOne", HE, "\tset .@x, (-2147483647 - 1) % -1;\n",
              {"2:12: -2147483648 % -1 overflows Hercules's 32-bit integers: the map-server's process dies on this division"}},
    ValueCase{"IntMinDividedOnRAthena", RA, "\tset .@x, -2147483648 / -1;\n", {}},
    ValueCase{"AVariableDivisorIsNotKnown", EA, "\tset .@x, -2147483648 / .@d;\n", {}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ValueWarnings, AreAmongTheCheckersFindings)
{
    TCheckOptions options;
    const std::vector<TDiagnostic> found = CheckScript(Npc("\tif (!.@name$) end;\n"), options);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Severity, TSeverity::Warning);
    EXPECT_EQ(Lines(found)[0], "2:6: " + NotOnString);
}

} // namespace
