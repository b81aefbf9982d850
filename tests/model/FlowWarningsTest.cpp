// The control-flow warnings: one small script per rule, with and without the fault, and the
// server's own scripts, which must give only findings that were read and found real.

#include "TestSupport.h"

#include "script/FileReader.h"
#include "script/FlowWarnings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

using namespace script;
namespace fs = std::filesystem;

namespace {

// An NPC on a map whose body starts on line 2.
std::string Npc(const std::string& body, const std::string& name = "Greeter")
{
    return "prontera,150,150,4\tscript\t" + name + "\t100,{\n" + body + "}\n";
}

// Each warning as "LINE: message".
std::vector<std::string> Warnings(const std::string& text)
{
    const TScriptFile file = ReadScriptFile(text);
    EXPECT_TRUE(file.Diagnostics.empty()) << file.Diagnostics[0].Message;
    std::vector<std::string> lines;
    for (const TDiagnostic& d : CheckFlow(file)) {
        EXPECT_EQ(d.Severity, TSeverity::Warning);
        lines.push_back(std::to_string(d.Range.Begin.Line) + ": " + d.Message);
    }
    return lines;
}

struct FlowCase {
    const char* Name;
    std::string Text;
    std::vector<std::string> Expected;  // "LINE: part of the message", in file order
};

void PrintTo(const FlowCase& c, std::ostream* out)
{
    *out << c.Name;
}

class FlowWarning : public ::testing::TestWithParam<FlowCase> {};

TEST_P(FlowWarning, ReportsWhatAPlayerWouldMeet)
{
    const std::vector<std::string> actual = Warnings(GetParam().Text);
    std::string all;
    for (const std::string& line : actual)
        all += "\n  " + line;
    ASSERT_EQ(actual.size(), GetParam().Expected.size()) << all;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const std::string& expected = GetParam().Expected[i];
        const std::string line = expected.substr(0, expected.find(':'));
        const std::string part = expected.substr(expected.find(':') + 2);
        EXPECT_EQ(actual[i].substr(0, actual[i].find(':')), line) << all;
        EXPECT_NE(actual[i].find(part), std::string::npos) << all;
    }
}

const std::string Bye = "\tmes \"Bye.\";\n\tclose;\n";

INSTANTIATE_TEST_SUITE_P(Flow, FlowWarning, ::testing::Values(
    // Jumps to labels the NPC lacks; labels match without regard to case.
    FlowCase{"GotoMissingLabel", Npc("\tmes \"a\";\n\tgoto L_Nowhere;\n"), {"3: 'L_Nowhere' is not a label"}},
    FlowCase{"GotoLabelOtherCase", Npc("\tgoto l_bye;\nL_Bye:\n" + Bye), {}},
    FlowCase{"MenuMissingLabel", Npc("\tmes \"a\";\n\tmenu \"Yes\",L_Yes,\"No\",-;\n" + Bye),
             {"3: menu: 'L_Yes' is not a label"}},
    FlowCase{"MenuNextLineAndLabel", Npc("\tmes \"a\";\n\tmenu \"Yes\",L_Yes,\"No\",-;\n" + Bye + "L_Yes:\n" + Bye), {}},
    FlowCase{"CallsubMissing", Npc("\tcallsub S_Pay;\n\tend;\n"), {"2: callsub: 'S_Pay' is not a label"}},
    FlowCase{"CallsubLocalFunction", Npc("\tcallsub F_Pay;\n\tend;\nfunction F_Pay {\n\treturn;\n}\n"), {}},
    // A dialog left open when the script ends.
    FlowCase{"EndAfterMes", Npc("\tmes \"Hi\";\n\tend;\n"), {"3: the dialog is still open"}},
    FlowCase{"BodyEndAfterMes", Npc("\tmes \"Hi\";\n"), {"3: the dialog is still open"}},
    FlowCase{"OneBranchLeavesItOpen", Npc("\tmes \"Hi\";\n\tif (BaseLevel > 10) close;\n\tend;\n"),
             {"4: the dialog is still open"}},
    FlowCase{"Close2ThenEnd", Npc("\tmes \"Hi\";\n\tclose2;\n\tpercentheal 100,100;\n\tend;\n"), {}},
    FlowCase{"WarpThenEnd", Npc("\tmes \"Off you go.\";\n\tnext;\n\twarp \"alberta\",20,20;\n\tend;\n"), {}},
    FlowCase{"PartyWarpThenEnd", Npc("\tmes \"All aboard.\";\n\twarpparty \"alberta\",20,20,getcharid(1);\n\tend;\n"), {}},
    FlowCase{"CalledFunctionMayClose", Npc("\tmes \"Hi\";\n\tcallfunc \"F_Bye\";\n\tend;\n"), {}},
    FlowCase{"LocalFunctionMayClose", Npc("\tmes \"Hi\";\n\tF_Bye;\n\tend;\nfunction F_Bye {\n\tclose2;\n\treturn;\n}\n"), {}},
    FlowCase{"LocalFunctionInAValueMayClose",
             Npc("\tmes \"Hi\";\n\tset .@x, F_Bye();\n\tend;\nfunction F_Bye {\n\tclose2;\n\treturn 1;\n}\n"), {}},
    FlowCase{"SwitchCoversEveryOption",
             Npc("\tmes \"Hi\";\n\tswitch (select(\"A:B\")) {\n\tcase 1: close;\n\tcase 2: close;\n\t}\n\tend;\n"), {}},
    FlowCase{"SwitchMissesAnOption",
             Npc("\tmes \"Hi\";\n\tswitch (select(\"A:B:Cancel\")) {\n\tcase 1: close;\n\tcase 2: close;\n\t}\n\tend;\n"),
             {"7: the dialog is still open"}},
    FlowCase{"IfChainOverEveryRandomValue",
             Npc("\tmes \"Hi\";\n\tset .@r, rand(1,3);\n\tif (.@r == 1) close;\n\telse if (.@r == 2) close;\n"
                 "\telse if (.@r == 3) close;\n\tend;\n"), {}},
    FlowCase{"LoopLeftOnlyAfterClose2",
             Npc("\tmes \"Hi\";\n\tset .@loop, 1;\n\twhile (.@loop) {\n\t\tnext;\n"
                 "\t\tif (select(\"Again:Stop\") == 2) {\n\t\t\tclose2;\n\t\t\tset .@loop, 0;\n\t\t} else mes \"Again.\";\n"
                 "\t}\n\tend;\n"), {}},
    // Code after close or end.
    FlowCase{"CodeAfterClose", Npc("\tmes \"Take this.\";\n\tclose;\n\tgetitem 501,1;\n\tend;\n"),
             {"4: this code never runs"}},
    FlowCase{"BreakAfterCloseIsHarmless",
             Npc("\tmes \"a\";\n\tswitch (select(\"A:B\")) {\n\tcase 1: close; break;\n\tcase 2: close; break;\n\t}\n"), {}},
    FlowCase{"CodeBeforeTheFirstCase",
             Npc("\tmes \"a\";\n\tswitch (select(\"A:B\")) {\n\tmes \"b\";\n\tcase 1: close;\n\tdefault: close;\n\t}\n"),
             {"4: this code never runs"}},
    FlowCase{"SwitchOverEveryRandomValue",
             Npc("\tmes \"a\";\n\tswitch (rand(2)) {\n\tcase 0: close;\n\tcase 1: close;\n\t}\n"), {}},
    FlowCase{"EventLabelAfterEnd", Npc("\tend;\nOnInit:\n\tset .count, 0;\n\tend;\n"), {}},
    FlowCase{"UnusedLabelAfterEnd", Npc("\tend;\nL_Old:\n\tset .count, 0;\n\tend;\n"), {"3: this code never runs"}},
    // next or close with no mes before.
    FlowCase{"NextFirst", Npc("\tnext;\n" + Bye), {"2: next with no mes"}},
    FlowCase{"CloseOnAPathWithoutMes", Npc("\tif (BaseLevel > 10) mes \"Strong!\";\n\tclose;\n"), {"3: close with no mes"}},
    FlowCase{"CloseAfterNextAndMenu", Npc("\tmes \"a\";\n\tnext;\n\tmenu \"Bye\",-;\n\tclose;\n"), {}},
    // Menu option texts.
    FlowCase{"MenuOptionWithColon", Npc("\tmes \"a\";\n\tmenu \"Yes: now\",-,\"No\",-;\n" + Bye),
             {"3: contains ':'"}},
    FlowCase{"MenuOptionEmpty", Npc("\tmes \"a\";\n\tmenu \"\",-,\"No\",-;\n" + Bye), {"3: empty menu option"}},
    FlowCase{"SelectSplitsOnColonByDesign", Npc("\tmes \"a\";\n\tif (select(\"Yes:No\") == 1) close;\n" + Bye), {}},
    // Zeny taken without a comparison.
    FlowCase{"ZenyTakenBlind", Npc("\tset Zeny, Zeny - 500;\n\tgetitem 501,1;\n\tend;\n"), {"2: Zeny is taken"}},
    FlowCase{"ZenyCompoundTakenBlind", Npc("\tzeny -= 500;\n\tend;\n"), {"2: Zeny is taken"}},
    FlowCase{"ZenyTakenInTwoParts", Npc("\tZeny = Zeny - .@price - .@tax;\n\tend;\n"), {"2: Zeny is taken"}},
    FlowCase{"ZenyCheckedFirst",
             Npc("\tmes \"500 z\";\n\tif (Zeny < 500) {\n\t\tclose;\n\t}\n\tset Zeny, Zeny - 500;\n\tclose;\n"), {}},
    FlowCase{"ZenyCheckedBeforeAJump",
             Npc("\tif (Zeny < 500) goto L_Poor;\n\tZeny = Zeny - 500;\n\tend;\nL_Poor:\n\tend;\n"), {}},
    FlowCase{"ZenyInAFunctionIsTheCallersCheck", "function\tscript\tF_Pay\t{\n\tset Zeny, Zeny - 500;\n\treturn;\n}\n", {}},
    // Names the server cuts.
    FlowCase{"NameOf25Bytes", Npc("\tend;\n", "Bulletin Board#einbech111"), {"1: is 25 bytes long"}},
    FlowCase{"NameOf24Bytes", Npc("\tend;\n", "Bulletin Board#einbech11"), {}},
    FlowCase{"UniqueNameTooLong", Npc("\tend;\n", "Guard::GuardOfTheNorthernGateABC"), {"1: 'GuardOfTheNorthernGateABC' is 25"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// The warning points at the statement and, for a body that ends open, at its closing brace.
TEST(Flow, RangesPointAtTheFault)
{
    const std::string text = Npc("\tmes \"Hi\";\n\tgoto L_X;\n");
    const auto warnings = CheckFlow(ReadScriptFile(text));
    ASSERT_EQ(warnings.size(), 1u);
    const TSourceRange& r = warnings[0].Range;
    EXPECT_EQ(text.substr(r.Begin.Offset, r.End.Offset - r.Begin.Offset), "L_X");
    EXPECT_EQ(r.Begin.Column, 7);
    const std::string open = Npc("\tmes \"Hi\";\n");
    const auto end = CheckFlow(ReadScriptFile(open));
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(open.substr(end[0].Range.Begin.Offset, 1), "}");
}

// The server's own scripts load and run; what the checker says about them was read line by line
// and is real (code after close that never runs, a menu choice that leaves the window open...).
TEST(Flow, ServerScriptsGiveOnlyReviewedFindings)
{
    SKIP_WITHOUT_SHARED_DATA(data);
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(data / "npc"))
        if (entry.is_regular_file() && entry.path().extension() == ".txt")  // not the server's .conf lists
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 53u);
    std::string report;
    std::map<std::string, int> perRule;
    for (const fs::path& path : files) {
        const TScriptFile file = ReadScriptFile(ReadBytes(path));
        ASSERT_TRUE(file.Diagnostics.empty()) << path << ": " << file.Diagnostics[0].Message;
        for (const TDiagnostic& d : CheckFlow(file)) {
            report += fs::relative(path, data).generic_string() + ":" + std::to_string(d.Range.Begin.Line) + ": " +
                      d.Message + "\n";
            ++perRule[d.Message.substr(0, d.Message.find_first_of(":'\""))];
        }
    }
    for (const auto& [rule, count] : perRule)
        std::cout << "[ flow     ] " << count << " x " << rule << "\n";
    EXPECT_EQ(CompareWithGolden("flow-warnings-eathena.txt", report), "");
}

} // namespace
