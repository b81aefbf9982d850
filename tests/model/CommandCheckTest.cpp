// A command task's arguments against the server table's pattern: the task's own check (as its
// editor shows it), the project's check (Problems window, npc-lint), and the words the editor
// shows for a command's arguments.

#include "TaskFixture.h"

#include "check/Problems.h"
#include "model/CodeTasks.h"
#include "script/Checker.h"

#include <gtest/gtest.h>

namespace {

struct TCommandCase {
    const char* Name;
    TServerTarget Target;
    std::string Command;
    std::vector<std::string> Args;
    // "" when the task is fit; else "error: " or "warning: " and the first finding's message.
    std::string First;
};

std::string FirstFinding(const std::vector<script::TDiagnostic>& found)
{
    if (found.empty())
        return "";
    return (found.front().Severity == script::TSeverity::Error ? "error: " : "warning: ") + found.front().Message;
}

class CommandCheckTable : public ::testing::TestWithParam<TCommandCase> {};

TEST_P(CommandCheckTable, FindsWhatTheServerSaysFirst)
{
    const TCommandCase& c = GetParam();
    const TCommandTask task(c.Command, c.Args);
    EXPECT_EQ(FirstFinding(CommandProblems(task, c.Target)), c.First) << task.ScriptText();
}

const auto EA = TServerTarget::EAthena;
const auto RA = TServerTarget::RAthena;
const auto HE = TServerTarget::Hercules;

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandCheckTable,
    ::testing::Values(
        TCommandCase{"WarpAsThePatternWants", EA, "warp", {"\"prontera\"", "150", "180"}, ""},
        TCommandCase{"VariablesAndConstantsAreAnyKind", EA, "warp", {".@map$", ".@x", "Zeny"}, ""},
        TCommandCase{"TooFew", EA, "warp", {"\"prontera\"", "150"},
                     "error: 'warp' needs 3 argument(s), 2 given"},
        TCommandCase{"TooMany", EA, "warp", {"\"prontera\"", "1", "2", "3"},
                     "error: too many arguments: 'warp' takes at most 3: eAthena wants ';' (parse_line: need ';') here"},
        TCommandCase{"NumberWhereTextIsWanted", EA, "warp", {"5", "150", "180"},
                     "warning: argument 1 of 'warp' is text, not the number 5 (write it in quotes)"},
        TCommandCase{"TextWhereANumberIsWanted", EA, "warp", {"\"prontera\"", "\"x\"", "180"},
                     "warning: argument 2 of 'warp' is a number, not the text \"x\""},
        TCommandCase{"AnyValueTakesText", EA, "getitem", {"\"Red_Potion\"", "1"}, ""},
        TCommandCase{"OptionalArgumentsHaveNoKind", EA, "getitem", {"501", "1", "\"x\""}, ""},
        TCommandCase{"AnErrorComesBeforeAWarning", EA, "warp", {"5", "150"},
                     "error: 'warp' needs 3 argument(s), 2 given"},
        TCommandCase{"EAthenaMesTakesOneText", EA, "mes", {"\"a\"", "\"b\""},
                     "error: too many arguments: 'mes' takes at most 1: eAthena wants ';' (parse_line: need ';') here"},
        TCommandCase{"RAthenaMesTakesMoreLines", RA, "mes", {"\"a\"", "\"b\""}, ""},
        TCommandCase{"UnknownCommand", EA, "teleportall", {}, "error: unknown command 'teleportall'"},
        TCommandCase{"NoCommand", EA, "", {}, "error: Write the name of a command of the server's table."},
        TCommandCase{"ArgumentThatIsNoExpression", EA, "mes", {"1 +"},
                     "error: Argument 1 (1 +): unexpected end of the script."},
        TCommandCase{"NestedCallChecked", EA, "mes", {"strcharinfo()"}, "error: 'strcharinfo' needs 1 argument(s), 0 given"},
        TCommandCase{"HerculesNamesAreCaseSensitive", HE, "Mes", {"\"a\""},
                     "error: unknown command 'Mes' (Hercules names are case-sensitive: did you mean `mes`?)"}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TPatternCase {
    TServerTarget Target;
    const char* Command;
    const char* Text;
};

TEST(CommandArgumentsText, SaysThePatternInWords)
{
    const TPatternCase cases[] = {
        {EA, "warp", "warp: text, number, number"},
        {EA, "getitem", "getitem: value, number, [value]"},
        {EA, "menu", "menu: text, label, ..."},
        {EA, "set", "set: variable, value"},
        {EA, "close", "close: no arguments"},
        {RA, "mes", "mes: text, ..."},
        {EA, "teleportall", ""},
    };
    for (const TPatternCase& c : cases)
        EXPECT_EQ(CommandArgumentsText(c.Command, c.Target), c.Text) << c.Command;
}

// The script checker finds the same in a script file, at the argument.
TEST(CheckArguments, AWrongLiteralIsAWarningAtTheArgument)
{
    const auto found = script::CheckScriptText("prontera.gat,150,150,4\tscript\tGuide\t116,{\n"
                                               "\twarp \"prontera\",\"x\",180;\n}\n",
                                               {});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Severity, script::TSeverity::Warning);
    EXPECT_EQ(found[0].Range.Begin.Line, 2);
    EXPECT_EQ(found[0].Range.Begin.Column, 18);  // the "x"
    EXPECT_EQ(found[0].Message, "argument 2 of 'warp' is a number, not the text \"x\"");
}

class CommandProblemsInProject : public TaskTest {};

// The project's check finds the task's problems in the written script and names the task.
TEST_F(CommandProblemsInProject, AreTheTasksOwn)
{
    Project().NPCInfo.Name = "Guide";
    auto kind = std::make_unique<TCommandTask>("warp", std::vector<std::string>{"5", "150", "180"});
    kind->Caption = "Kind";
    AddTask(StartNode(), std::move(kind));
    auto count = std::make_unique<TCommandTask>("warp", std::vector<std::string>{"\"prontera\""});
    count->Caption = "Count";
    AddTask(StartNode(), std::move(count));
    std::vector<std::string> found;
    for (const TProblem& p : CheckProject(Project()).Problems)
        found.push_back((p.Task ? p.Task->Caption : std::string("NPC")) + ": " + p.Message);
    EXPECT_EQ(found, (std::vector<std::string>{
                         "Kind: argument 1 of 'warp' is text, not the number 5 (write it in quotes)",
                         "Count: 'warp' needs 3 argument(s), 1 given",
                     }));
}

} // namespace
