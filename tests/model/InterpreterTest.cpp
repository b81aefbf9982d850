// The interpreter on small scripts: each row plays one NPC body with a player, menu choices and
// typed input, and lists the events as the transcript shows them.

#include "InterpreterSupport.h"

#include "script/Constants.h"
#include "script/FileReader.h"
#include "script/Interpreter.h"
#include "script/MockPlayer.h"
#include "script/PlaySession.h"
#include "script/Text.h"
#include "script/Transcript.h"

#include <gtest/gtest.h>

#include <map>

using namespace script;

namespace {

using namespace interpretertest;

struct PlayRow {
    const char* Name;
    const char* Body;
    std::vector<int> Choices;
    std::vector<std::string> Inputs;
    const char* Expected;  // the transcript lines joined with |
    TPlayerState Player = {};
};

TPlayerState With(std::int32_t zeny, std::int32_t maxWeight = 20000, std::map<std::int32_t, std::int32_t> items = {})
{
    TPlayerState p;
    p.Zeny = zeny;
    p.MaxWeight = maxWeight;
    p.Inventory = std::move(items);
    return p;
}

class PlayTable : public ::testing::TestWithParam<PlayRow> {};

TEST_P(PlayTable, GivesTheServersEvents)
{
    TPlaySetup setup;
    setup.Player = GetParam().Player;
    setup.Choices = GetParam().Choices;
    setup.Inputs = GetParam().Inputs;
    setup.StepBudget = 5000;
    EXPECT_EQ(Events(PlayBody(GetParam().Body, setup)), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Interpreter, PlayTable, ::testing::Values(
    // Dialogue
    PlayRow{"MesNextClose", "mes \"A\"; next; mes \"B\"; close;", {}, {}, "A|  [Next]|B|  [Close]|-- end --"},
    PlayRow{"EndLeavesTheDialogueOpen", "mes \"A\";\nend;", {}, {},
            "A|warning at line 4: the script ends with its dialogue open: the player has no button to leave it "
            "(close is missing)|-- end --"},
    PlayRow{"OffTheEndIsEnd", "set @x, 1;", {}, {}, "-- end --"},
    PlayRow{"Close2GoesOn", "mes \"A\"; close2; set Zeny, 5; end;", {}, {},
            "A|  [Close] (the script goes on)|Zeny 0 -> 5|-- end --"},
    // Menus
    PlayRow{"MenuJumpsToTheChosenLabel", "menu \"A\",L_A,\"B\",L_B; L_A: mes \"a\"; close; L_B: mes \"b\"; close;",
            {2}, {}, "  menu: 1) A  2) B|  > 2|b|  [Close]|-- end --"},
    PlayRow{"MenuDashGoesOn", "menu \"A\",-,\"B\",L_B; mes \"after \" + @menu; close; L_B: close;", {1}, {},
            "  menu: 1) A  2) B|  > 1|after 1|  [Close]|-- end --"},
    PlayRow{"ColonsSplitAndEmptyOptionsCount", "menu \"A::B\",-,\"\",L_X,\"C\",-; mes \"\" + @menu; close; L_X: end;",
            {3}, {}, "  menu: 1) A  2) B  3) C|  > 3|5|  [Close]|-- end --"},
    PlayRow{"GroupedOptionsShareTheirLabel", "menu \"A:B\",L_AB,\"C\",-; mes \"C\"; close; L_AB: mes \"\" + @menu; close;",
            {2}, {}, "  menu: 1) A  2) B  3) C|  > 2|2|  [Close]|-- end --"},
    PlayRow{"SelectReturnsTheNumber", "switch (select(\"X:Y:Z\")) { case 3: mes \"three\"; break; default: mes \"other\"; }\nclose;",
            {3}, {}, "  menu: 1) X  2) Y  3) Z|  > 3|three|  [Close]|-- end --"},
    PlayRow{"PromptCancelGives255", "set .@c, prompt(\"X:Y\"); mes .@c + \" \" + @menu; close;", {0}, {},
            "  menu: 1) X  2) Y|  > cancel|255 255|  [Close]|-- end --"},
    PlayRow{"MenuCancelEndsAndClosesTheDialogue", "mes \"hi\"; menu \"A\",-; mes \"no\"; close;", {0}, {},
            "hi|  menu: 1) A|  > cancel|-- end --"},
    PlayRow{"ChoiceOutOfRange", "menu \"A\",-,\"B\",-;", {3}, {},
            "  menu: 1) A  2) B|  > 3|fault at line 3: menu: option 3 chosen, but 2 are shown"},
    PlayRow{"WaitsForAMenuChoice", "mes \"?\"; menu \"A\",-;", {}, {}, "?|  menu: 1) A|-- waiting for a menu choice --"},
    // Input
    PlayRow{"InputNumberKeptWithinBounds", "set .@r, input(.@n, 1, 10); mes .@n + \" \" + .@r; close;", {}, {"50"},
            "  > typed 50|10 1|  [Close]|-- end --"},
    PlayRow{"InputText", "input .@s$; mes \"hi \" + .@s$; close;", {}, {"Bob"}, "  > typed Bob|hi Bob|  [Close]|-- end --"},
    PlayRow{"WaitsForInput", "input .@n;", {}, {}, "-- waiting for input --"},
    // Flow
    PlayRow{"IfElse", "if (Zeny > 10) mes \"rich\"; else mes \"poor\"; close;", {}, {}, "poor|  [Close]|-- end --", With(5)},
    PlayRow{"LoopsWithBreakAndContinue",
            "for (.@i = 0; .@i < 10; .@i++) { if (.@i == 1) continue; if (.@i == 4) break; .@s$ += .@i; }\n"
            ".@j = 3; while (.@j) .@j--; do { .@k++; } while (.@k < 2); mes .@s$ + \" \" + .@j + \" \" + .@k; close;",
            {}, {}, "023 0 2|  [Close]|-- end --"},
    PlayRow{"CallsubWithArguments", "mes \"\" + callsub(L_Sq, 7); close;\nL_Sq: return getarg(0) * getarg(0);", {}, {},
            "49|  [Close]|-- end --"},
    PlayRow{"LocalFunctionAndFileFunction", "function Twice { return getarg(0) * 2; }\nmes Twice(4) + \" \" + callfunc(\"Double\", 5); close;",
            {}, {}, "8 10|  [Close]|-- end --"},
    PlayRow{"FunctionOfAnotherFileStops", "set .@x, callfunc(\"F_Elsewhere\", 1); mes \"\" + .@x; close;", {}, {},
            "fault at line 3: callfunc: there is no function F_Elsewhere in this file; the server stops the script "
            "when no loaded file defines it"},
    PlayRow{"ScopeVariablesBelongToTheirCall", "set .@x, 1; set @y, 2; callsub L_S; mes .@x + \" \" + @Y; close;\n"
            "L_S: set .@x, 9; set @y, 3; return;", {}, {}, "1 3|  [Close]|-- end --"},
    PlayRow{"GotoMissingLabelStops", "mes \"a\";\ngoto L_Nowhere; mes \"b\";", {}, {},
            "a|fault at line 4: goto: there is no label L_Nowhere; the script stops here"},
    PlayRow{"StepBudgetEndsAnEndlessLoop", "while (1)\n\tset .@i, .@i + 1;", {}, {},
            "fault at line 3: the script ran 5000 commands without ending (an endless loop?); the play stops here"},
    PlayRow{"BreakOutsideALoop", "break;", {}, {}, "fault at line 3: 'break' is not inside a loop or a switch"},
    // Expressions
    PlayRow{"IntegerOverflowSaturates", "mes (2147483647 + 1) + \" \" + (-2147483647 - 1) / -1 + \" \" + (65536 * 65536) + \" \" + (1 << 33);\nclose;",
            {}, {}, "warning at line 3: 2147483647 + 1 is beyond 32 bits: the server gives 2147483647 (op_2num: overflow detected)|"
            "warning at line 3: 65536 * 65536 is beyond 32 bits: the server gives 2147483647 (op_2num: overflow detected)|"
            "2147483647 -2147483648 2147483647 2|  [Close]|-- end --"},
    PlayRow{"DivisionByZeroStops", "set .@x, 5 / .@zero;", {}, {}, "fault at line 3: division by zero"},
    PlayRow{"StringsCompareAndJoin", "if (\"abc\" < \"abd\" && \"x\" == \"x\") mes \"a\" + 1 + \"b\"; close;", {}, {},
            "a1b|  [Close]|-- end --"},
    PlayRow{"ArraysAndSetarray", "setarray .@a, 4, 5, 6; mes .@a[1] + \" \" + getarraysize(.@a); close;", {}, {},
            "5 3|  [Close]|-- end --"},
    PlayRow{"CleararrayStopsAtTheArraysEnd", "setarray .@a[126], 1, 2, 3; cleararray .@a[1], 7, 1000000000;\n"
            "mes .@a[0] + \" \" + .@a[5] + \" \" + getarraysize(.@a); close;", {}, {}, "0 7 128|  [Close]|-- end --"},
    PlayRow{"ACallIntoAnotherFileStops", "mes \"a\"; callfunc \"F_Elsewhere\";", {}, {},
            "a|fault at line 3: callfunc: there is no function F_Elsewhere in this file; the server stops the script "
            "when no loaded file defines it"},
    // The player
    PlayRow{"ZenyBelowZeroEndsTheScript", "set Zeny, Zeny - 500; mes \"\" + Zeny; Zeny += 50; close;", {}, {},
            "fault at line 3: set Zeny, -400: Zeny cannot go below 0: the server refuses the set and ends the script",
            With(100)},
    PlayRow{"ZenyCappedAtTheMaximum", "set Zeny, 2000000000; end;", {}, {}, "Zeny 0 -> 1000000000|-- end --"},
    PlayRow{"CheckweightAgainstMaxWeight",
            "mes checkweight(501, 10) + \" \" + checkweight(501, 20) + \" \" + checkweight(986, 1); close;", {}, {},
            "1 0 0|  [Close]|-- end --", With(0, 1000)},
    PlayRow{"ItemsGivenCountedAndTaken",
            "getitem 501, 3; getitem \"Red_Potion\", 1; delitem 501, 2; mes countitem(501) + \" \" + Weight; close;",
            {}, {}, "got 3 x Red_Potion (501)|got 1 x Red_Potion (501)|lost 2 x Red_Potion (501)|2 140|  [Close]|-- end --"},
    PlayRow{"TooHeavyFallsToTheFloor", "getitem 986, 1; mes \"\" + countitem(986); close;", {}, {},
            "getitem 986, 1 (dropped on the floor: too heavy to carry)|0|  [Close]|-- end --", With(0, 1000)},
    PlayRow{"DelitemWithTooFewStops", "delitem 501, 5; mes \"b\";", {}, {},
            "fault at line 3: delitem: the player has 2 of item 501, not 5; the script stops here",
            With(0, 20000, {{501, 2}})},
    PlayRow{"UnknownItemIsReportedAndTheScriptGoesOn", "getitem 4242, 1; end;", {}, {},
            "warning at line 3: getitem: there is no item 4242 in the item database|-- end --"},
    PlayRow{"JobchangeResetsTheJobLevel", "jobchange 7; end;", {}, {}, "Class 0 -> 7|JobLevel 1 -> 1|-- end --"},
    PlayRow{"WarpIsRecordedAndTheScriptGoesOn", "warp \"prontera.gat\", 150, 180; mes \"still\"; close;", {}, {},
            "warped to prontera.gat 150,180|still|  [Close]|-- end --"},
    PlayRow{"ActionsAreRecorded", "heal 100, 0; savepoint \"izlude.gat\", 1, 2; setcart; openstorage; resetstatus; resetskill; end;",
            {}, {}, "heal 100, 0|savepoint izlude.gat, 1, 2|setcart|openstorage|resetstatus|resetskill|-- end --"},
    PlayRow{"NotSimulatedResultFitsAString", "if (strnpcinfo(0) == \"x\") end; mes \"b\"; warp \"izlude.gat\", 1, 2; end;", {}, {},
            "not simulated: strnpcinfo 0|b|warped to izlude.gat 1,2|-- end --"},
    PlayRow{"UnknownCommandIsNotSimulated", "specialeffect 15; mes \"\" + getcharid(0); close;", {}, {},
            "not simulated: specialeffect 15|not simulated: getcharid 0|0|  [Close]|-- end --"}),
    [](const auto& info) { return std::string(info.param.Name); });

// What eAthena's map-server computes for each rule where a simple interpreter would differ, as its
// script.c and pc.c give it: the differential table of the play against the server.
// 100 different items, an Anvil among them, and room for more weight.
TPlayerState Full()
{
    TPlayerState p = With(0, 1'000'000);
    for (std::int32_t id = 1; id < 100; ++id)
        p.Inventory[id] = 1;
    p.Inventory[986] = 1;
    return p;
}

TPlayerState Woman()
{
    TPlayerState p;
    p.Sex = 0;
    return p;
}

INSTANTIATE_TEST_SUITE_P(Server, PlayTable, ::testing::Values(
    // op_3: a string tests its first byte; op_2 and op_3 take every operand, so nothing short-circuits.
    PlayRow{"StringTestOfConditional", "mes \"\" + (\"0\" ? 1 : 2) + (\"\" ? 1 : 2); close;", {}, {}, "12|  [Close]|-- end --"},
    PlayRow{"OrRunsItsRightSide", "set .@x, 1 || callsub(L_S); mes .@x + \" \" + .ran; close;\nL_S: set .ran, 1; return 0;",
            {}, {}, "1 1|  [Close]|-- end --"},
    PlayRow{"AndRunsItsRightSide", "set .@x, 0 && (1 / 0); mes \"no\";", {}, {}, "fault at line 3: division by zero"},
    PlayRow{"ConditionalRunsBothBranches", "set .@x, 1 ? 5 : callsub(L_S); mes .@x + \" \" + .ran; close;\nL_S: set .ran, 2; return 0;",
            {}, {}, "5 2|  [Close]|-- end --"},
    // callsub passes a variable as itself: getarg reads it when read, set getarg(0) writes it.
    PlayRow{"GetargReadsTheCallersVariable", "set .v, 1; mes \"\" + callsub(L_S, .v); close;\nL_S: set .v, 9; return getarg(0);",
            {}, {}, "9|  [Close]|-- end --"},
    PlayRow{"AFunctionReadsTheNpcsVariablePassedToIt", "set .v, 4; mes \"\" + callfunc(\"Double\", .v); close;", {}, {},
            "8|  [Close]|-- end --"},
    PlayRow{"SetGetargWritesTheCallersVariable", "set .@v, 1; callsub L_S, .@v, 2; mes \"\" + .@v; close;\nL_S: set getarg(0), getarg(1) * 5; return;",
            {}, {}, "10|  [Close]|-- end --"},
    // get_val runs when the operator runs: the left variable is read after the right side ran.
    PlayRow{"LeftVariableReadWhenTheOperatorRuns", "set .v, 1; mes \"\" + (.v + callsub(L_S)); close;\nL_S: set .v, 10; return 0;",
            {}, {}, "10|  [Close]|-- end --"},
    // setarray: every value before the first store, those past index 127 too.
    PlayRow{"SetarrayComputesEveryValue", "setarray .@a[126], 1, 2, callsub(L_S); mes .@a[126] + \" \" + .@a[127] + \" \" + .ran; close;\n"
            "L_S: set .ran, 7; return 3;", {}, {}, "1 2 7|  [Close]|-- end --"},
    PlayRow{"SetarrayReadsAVariableAsItStores", "set .@a[0], 5; setarray .@a, 1, .@a[0]; mes .@a[0] + \" \" + .@a[1]; close;",
            {}, {}, "1 1|  [Close]|-- end --"},
    // The switch value is reset to 0 after a match; a default not last jumps to the next case's test.
    PlayRow{"CaseIntoDefaultTestsTheNextCaseAgainstZero",
            "switch (1) { case 1: mes \"one\"; default: mes \"default\"; case 0: mes \"zero\"; break; case 2: mes \"two\"; }\nclose;",
            {}, {}, "one|zero|  [Close]|-- end --"},
    PlayRow{"NoMatchRunsTheDefaultAndFallsOn", "switch (5) { case 1: mes \"one\"; default: mes \"default\"; case 2: mes \"two\"; }\nclose;",
            {}, {}, "default|two|  [Close]|-- end --"},
    PlayRow{"LastDefaultAndBreak", "switch (2) { case 1: mes \"one\"; case 2: mes \"two\"; break; default: mes \"default\"; }\nclose;",
            {}, {}, "two|  [Close]|-- end --"},
    // copyarray, deletearray, getelementofarray, getarraysize(a[k]).
    PlayRow{"ArrayCommandsAreComputed",
            "setarray .@a, 1, 2, 3, 4; copyarray .@b[1], .@a, 3; deletearray .@a[1], 2;\n"
            "mes \"\" + .@b[0] + .@b[1] + .@b[2] + .@b[3] + \" \" + .@a[0] + .@a[1] + .@a[2] + \" \" + getarraysize(.@a) + \" \" + getelementofarray(.@b, 2);\n"
            "close;", {}, {}, "0123 140 2 2|  [Close]|-- end --"},
    PlayRow{"CopyarrayWithinOneArrayCopiesFromTheBack", "setarray .@a, 1, 2, 3; copyarray .@a[1], .@a, 3; deletearray .@a;\n"
            "mes \"\" + getarraysize(.@a); setarray .@c, 1, 2, 3; copyarray .@c[1], .@c, 3; mes \"\" + .@c[1] + .@c[2] + .@c[3]; close;",
            {}, {}, "0|123|  [Close]|-- end --"},
    PlayRow{"CopyarrayOfStringsIntoNumbersStops", "setarray .@s$, \"a\"; copyarray .@n, .@s$, 1; mes \"no\";", {}, {},
            "fault at line 3: copyarray: one array holds strings, the other numbers: the server stops the script"},
    PlayRow{"DeletearrayWithoutACountEmptiesTheRest", "setarray .@a, 1, 2, 3, 4; deletearray .@a[1]; mes .@a[0] + \" \" + getarraysize(.@a); close;",
            {}, {}, "1 1|  [Close]|-- end --"},
    PlayRow{"GetarraysizeCountsFromItsIndex", "setarray .@a, 1, 2; mes getarraysize(.@a[5]) + \" \" + getarraysize(.@a[1]) + \" \" + getarraysize(.@z[3]); close;",
            {}, {}, "5 2 3|  [Close]|-- end --"},
    PlayRow{"Index128Stops", "mes \"\" + .@a[127];\nmes \"\" + .@a[128];", {}, {},
            "0|fault at line 4: array index 128 of .@a is outside 0..127: the server stops the script (getelementofarray: index out of range)"},
    // op_2 on what a bare return gave; op_1 and && on strings.
    PlayRow{"ValueOfABareReturnStops", "mes \"\" + (1 + callsub(L_S)); close;\nL_S: return;", {}, {},
            "fault at line 3: op_2: invalid data (the value of a 'return' without one); the script stops here"},
    PlayRow{"NotOnAStringStops", "set .@name$, \"x\"; if (!.@name$) mes \"empty\"; close;", {}, {},
            "fault at line 3: '!' on a string: the server stops the script (op_1: argument is not a number)"},
    PlayRow{"AndOnAStringStops", "if (\"a\" && 1) mes \"yes\"; close;", {}, {},
            "fault at line 3: '&&' on a string: the server stops the script"},
    // conv_num is strtol: \v and \f are white space too.
    PlayRow{"NumberFromAStringSkipsStrtolsBlanks", "set .@n, \"\\v\\f12\"; mes \"\" + (.@n + 1); close;", {}, {}, "13|  [Close]|-- end --"},
    // check_gotocount: 2,048 jumps; a for turn costs three, the exit one.
    PlayRow{"JumpsUpToTheLimitRun", "for (.@i = 0; .@i < 682; .@i++) set .@s, .@s + 1;\nmes \"\" + .@s; close;", {}, {},
            "682|  [Close]|-- end --"},
    PlayRow{"JumpsBeyondTheLimitStop", "for (.@i = 0; .@i < 683; .@i++) set .@s, .@s + 1;\nmes \"\" + .@s; close;", {}, {},
            "fault at line 3: more than 2048 jumps without a pause: the server ends the script here (run_script: infinity loop!)"},
    PlayRow{"APauseStartsTheCountAfresh", "for (.@i = 0; .@i < 600; .@i++) if (.@i == 300) next;\nmes \"done\"; close;", {}, {},
            "  [Next]|done|  [Close]|-- end --"},
    // The play's own guards, where the server would go on.
    PlayRow{"CallsDeeperThan64", "callsub L_R; end;\nL_R: callsub L_R;", {}, {},
            "fault at line 4: calls nested more than 64 deep; the play stops here (the server would go on)"},
    PlayRow{"AStringBeyondOneMebibyte", "set .@s$, \"xxxxxxxx\"; for (.@i = 0; .@i < 20; .@i++) set .@s$, .@s$ + .@s$;", {}, {},
            "fault at line 3: a string grew beyond 1048576 bytes; the play stops here (the server would go on)"},
    // parse_simpleexpr: a sign right before a digit belongs to the number.
    PlayRow{"SignedNumbers", "mes (+5) + \" \" + (3--5) + \" \" + (3++5) + \" \" + (2--3*2); close;", {}, {}, "5 8 8 8|  [Close]|-- end --"},
    // pc_setparam
    PlayRow{"ClassCannotBeSet", "set Class, 7; mes \"no\";", {}, {},
            "fault at line 3: set Class, 7: Class cannot be set: the server fails to set it and ends the script"},
    PlayRow{"NextBaseExpCannotBeSet", "set NextBaseExp, 7;", {}, {},
            "fault at line 3: set NextBaseExp, 7: NextBaseExp cannot be set: the server fails to set it and ends the script"},
    PlayRow{"SexIsZeroOrOne", "set Sex, 0; set Sex, 5; end;", {}, {}, "Sex 1 -> 0|Sex 0 -> 1|-- end --"},
    PlayRow{"ZenySaturatesThenCaps", "set Zeny, Zeny + 2000000000; end;", {}, {},
            "warning at line 3: 200000000 + 2000000000 is beyond 32 bits: the server gives 2147483647 (op_2num: overflow detected)|"
            "Zeny 200000000 -> 1000000000|-- end --", With(200000000)},
    PlayRow{"LevelsAreCappedAndBringPoints", "set BaseLevel, 5; set BaseLevel, 150; set JobLevel, 20; set JobLevel, 3; end;", {}, {},
            "BaseLevel 1 -> 5|StatusPoint 48 -> 60|BaseLevel 5 -> 99|StatusPoint 60 -> 1273|JobLevel 1 -> 10|SkillPoint 0 -> 9|"
            "JobLevel 10 -> 3|-- end --"},
    PlayRow{"ANegativeLevelIsTheMaximum", "set BaseLevel, -1; end;", {}, {}, "BaseLevel 1 -> 99|StatusPoint 48 -> 1273|-- end --"},
    PlayRow{"ATranscendentJobStopsAtSeventy", "jobchange 4008; set JobLevel, 80; end;", {}, {},
            "Class 0 -> 4008|JobLevel 1 -> 1|JobLevel 1 -> 70|SkillPoint 0 -> 69|-- end --"},
    PlayRow{"HpStaysWithinOneAndMaxHp", "set Hp, 0; set Hp, 500; set MaxHp, 10; end;", {}, {},
            "Hp 40 -> 1|Hp 1 -> 40|MaxHp 40 -> 10|Hp 40 -> 10|-- end --"},
    PlayRow{"OtherParametersAreNotSimulated", "set BaseExp, 10; mes \"\" + NextBaseExp; close;", {}, {},
            "not simulated: set BaseExp, 10|not simulated: NextBaseExp|0|  [Close]|-- end --"},
    // pc_jobchange
    PlayRow{"JobchangeOfAnUnknownOrTheSameJobChangesNothing", "jobchange 9999; jobchange 0; end;", {}, {},
            "jobchange 9999 (nothing changes: an unknown job or the player's own)|"
            "jobchange 0 (nothing changes: an unknown job or the player's own)|-- end --"},
    PlayRow{"DancerForAManIsABard", "jobchange 20; end;", {}, {}, "Class 0 -> 19|JobLevel 1 -> 1|-- end --"},
    PlayRow{"AMountedKnightIsAKnight", "jobchange 13; jobchange 7; end;", {}, {},
            "Class 0 -> 7|JobLevel 1 -> 1|jobchange 7 (nothing changes: an unknown job or the player's own)|-- end --"},
    PlayRow{"BardForAWomanIsADancer", "jobchange 19; end;", {}, {}, "Class 0 -> 20|JobLevel 1 -> 1|-- end --", Woman()},
    // delitem, checkweight, input, warp
    PlayRow{"DelitemOfAnUnknownItemStops", "delitem 4242, 1; mes \"b\";", {}, {},
            "fault at line 3: delitem: there is no item 4242 in the item database; the script stops here"},
    PlayRow{"CheckweightOfNoneIsZero", "mes checkweight(501, 0) + \" \" + checkweight(501, -1) + \" \" + checkweight(501, 1); close;",
            {}, {}, "0 0 1|  [Close]|-- end --"},
    PlayRow{"InputKeepsSeventyCharacters", "input .@s$; mes .@s$; close;", {}, {std::string(80, 'x')},
            "  > typed xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx|"
            "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx|  [Close]|-- end --"},
    PlayRow{"InputWithMinAboveMax", "input .@a, 10, 1; input .@b, 10, 1; mes .@a + \" \" + .@b; close;", {}, {"5", "0"},
            "  > typed 5|  > typed 0|1 10|  [Close]|-- end --"},
    PlayRow{"AFullInventoryDropsANewItem", "mes checkweight(501, 1) + \" \" + checkweight(986, 1); getitem 501, 1; getitem 986, 1; close;", {}, {},
            "0 1|getitem 501, 1 (dropped on the floor: the inventory's 100 places are taken)|got 1 x Anvil (986)|  [Close]|-- end --",
            Full()},
    PlayRow{"ItemNamesMatchInAnyCase", "getitem \"red_potion\", 1; mes \"\" + countitem(\"RED_POTION\"); close;", {}, {},
            "got 1 x Red_Potion (501)|1|  [Close]|-- end --"},
    // itemdb_searchname: the first item by database name, else the last by display name.
    PlayRow{"TheDatabaseNameComesFirst", "getitem \"crown\", 1; getitem \"cotton_shirt\", 1; getitem \"COTTON SHIRT\", 1; end;", {}, {},
            "got 1 x Jewel (603)|got 1 x Cotton Shirt (2301)|got 1 x Cotton Shirt (2301)|-- end --"},
    PlayRow{"ADisplayNameFindsItsLastItem", "getitem \"shared\", 1; mes countitem(\"Y_Card\") + \" \" + countitem(600); close;", {}, {},
            "got 1 x Shared (601)|1 0|  [Close]|-- end --"},
    // buildin_getitem: an item that does not stack is added one at a time, each in a place of its own.
    PlayRow{"UnstackableItemsComeOneAtATimeToTheWeightLimit", "getitem 1101, 3; mes countitem(1101) + \" \" + Weight; close;", {}, {},
            "got 2 x Sword (1101)|getitem 1101, 3 (1 of them dropped on the floor: too heavy to carry)|2 1000|  [Close]|-- end --",
            With(0, 1200)},
    PlayRow{"UnstackableItemsTakeAPlaceEach", "getitem 2301, 3; getitem 2301, 1; mes \"\" + countitem(2301); close;", {}, {},
            "got 1 x Cotton Shirt (2301)|getitem 2301, 3 (2 of them dropped on the floor: the inventory's 100 places are taken)|"
            "getitem 2301, 1 (dropped on the floor: the inventory's 100 places are taken)|1|  [Close]|-- end --",
            Places(99)},
    PlayRow{"StackableItemsAreAllOrNothing", "getitem 501, 20; mes \"\" + countitem(501); close;", {}, {},
            "getitem 501, 20 (dropped on the floor: too heavy to carry)|0|  [Close]|-- end --", With(0, 1000)},
    PlayRow{"GetitemForAnAccountIsNotThisPlayers", "getitem 501, 1, 2000001; mes \"\" + countitem(501); close;", {}, {},
            "getitem 501, 1, 2000001 (given to that account's player, if one is online, not to this player)|0|  [Close]|-- end --"},
    PlayRow{"NegativeItemFromAVariableIsAnItemGroup", "set .@id, -1; getitem .@id, 1; end;", {}, {},
            "not simulated: getitem -1, 1|-- end --"},
    // parse_callfunc: a command takes no more arguments than it has; eAthena does not load the NPC.
    PlayRow{"MesWithTwoTextsDoesNotLoad", "mes \"a\";\nif (1) mes \"one\", \"two\";", {}, {},
            "fault: eAthena does not load the NPC Tester: line 4: 'mes' takes at most 1 argument (the server's parser: need ';')"},
    PlayRow{"WarpToAnUnknownMapStaysPut", "warp \"nowhere.gat\", 1, 1; mes \"here\"; close;", {}, {},
            "warning at line 3: warp: there is no map nowhere.gat on the server: the player stays where they are|here|  [Close]|-- end --"},
    PlayRow{"WarpToTheServersOwnPlaces", "warp \"SavePoint\", 0, 0; warp \"Save\", 0, 0; warp \"Random\", 0, 0; end;", {}, {},
            "warped to the save point|warped to the save point|warped to a random cell of the map|-- end --"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Interpreter, RandIsTheSameForTheSameSeed)
{
    const char* body = "for (.@i = 0; .@i < 20; .@i++) .@s$ += rand(10); mes .@s$ + \" \" + rand(4, 4); close;";
    TPlaySetup setup;
    setup.Seed = 7;
    const std::string first = Events(PlayBody(body, setup));
    EXPECT_EQ(Events(PlayBody(body, setup)), first);
    setup.Seed = 8;
    EXPECT_NE(Events(PlayBody(body, setup)), first);
    EXPECT_EQ(first.substr(20, 2), " 4");
}

TEST(Interpreter, RunawayOutputIsCutShort)
{
    TPlaySetup setup;
    setup.ByteBudget = 1 << 20;
    TRunResult result = PlayBody("set .@s$, \"x\"; for (.@i = 0; .@i < 18; .@i++) .@s$ += .@s$;\nwhile (1) mes .@s$;", setup);
    ASSERT_FALSE(result.Events.empty());
    EXPECT_EQ(TranscriptLine(result.Events.back()),
              "fault at line 4: the play built or wrote more than 1048576 bytes of text (a runaway loop?); it stops here");
    EXPECT_LE(result.Events.size(), 4u);
    result = PlayBody("while (1) { mes \"\"; next; }", {});
    EXPECT_EQ(TranscriptLine(result.Events.back()), "fault at line 3: the play wrote more than 100000 events; it stops here");
}

TEST(Interpreter, ConstantsReadFromTheServersList)
{
    const TConstants constants = ReadConstants("// comment\r\nJob_Knight\t7\r\nEAJL_2,0x100\nZeny\t20\t1\nbroken\n\tno name 5\n"
                                               "bAgiVit\t\t1074\nOctal 010 0\nMinus,-0x10,0\nNoComma, 5\nUpper  56  1\n"
                                               "Wide 4294967297\nHuge 99999999999999999999999\nTiny -99999999999999999999999\n");
    EXPECT_EQ(constants, (TConstants{{"job_knight", 7}, {"eajl_2", 256}, {"bagivit", 1074}, {"octal", 8}, {"minus", -16},
                                     {"wide", 1}, {"huge", -1}, {"tiny", 0}}));
    const std::string text = "-\tscript\tT\t-1,{\n\tswitch (Class) { case Job_Knight: mes \"knight \" + EAJL_2; break; }\n\tclose;\n}\n";
    const TScriptFile file = ReadScriptFile(text);
    const TProgram program(file);
    TPlaySetup setup;
    setup.Player.Class = 7;
    EXPECT_EQ(Events(Play(program, "", setup, nullptr, &constants)), "knight 256|  [Close]|-- end --");
    EXPECT_EQ(Events(Play(program, "", setup, nullptr)), "  [Close]|-- end --") << "without the list they are variables";
}

TEST(Interpreter, NotSimulatedMarksTheRunApproximate)
{
    EXPECT_TRUE(PlayBody("cutin \"a\", 2; end;", {}).Approximate);
    EXPECT_FALSE(PlayBody("heal 1, 1; end;", {}).Approximate);
}

const char* const Shop = "mes \"Hi\";\nnext;\nmenu \"Buy\",-,\"Leave\",L_Bye;\nmes \"Zeny \" + Zeny;\nclose;\nL_Bye:\nmes \"Bye\";\nclose;";

TEST(Interpreter, LimitedPressesWaitAtNext)
{
    TPlaySetup setup;
    setup.Presses = 0;
    const TRunResult result = PlayBody(Shop, setup);
    EXPECT_EQ(Events(result), "Hi|-- waiting for the next button --");
    EXPECT_EQ(result.Outcome, TOutcome::Waiting);
    EXPECT_EQ(result.WaitingFor, TWaitKind::Next);
}

TEST(Interpreter, RewindReplaysToAnEarlierPause)
{
    TPlaySetup setup;
    setup.Choices = {1};
    const TRunResult full = PlayBody(Shop, setup);
    ASSERT_EQ(full.Pauses, 2);
    const TRunResult atMenu = PlayBody(Shop, SetupAtPause(setup, full, 1));
    EXPECT_EQ(Events(atMenu), "Hi|  [Next]|  menu: 1) Buy  2) Leave|-- waiting for a menu choice --");
    EXPECT_EQ(atMenu.Options, (std::vector<std::string>{"Buy", "Leave"}));
    const TRunResult atStart = PlayBody(Shop, SetupAtPause(setup, full, 0));
    EXPECT_EQ(Events(atStart), "Hi|-- waiting for the next button --");
}

TEST(Interpreter, PlayerEditedWhilePausedHoldsFromThatPause)
{
    TPlaySetup setup;
    setup.Choices = {1};
    TPlayerState richer;
    richer.Zeny = 900;
    setup.Edits.push_back({1, richer});
    const TRunResult result = PlayBody(Shop, setup);
    EXPECT_EQ(Events(result), "Hi|  [Next]|  menu: 1) Buy  2) Leave|-- the player was changed --|  > 1|Zeny 900|  [Close]|-- end --");
    EXPECT_EQ(result.Player.Zeny, 900);
}

TEST(Interpreter, PlaysFromALabel)
{
    TPlaySetup setup;
    setup.StartLabel = "l_bye";
    EXPECT_EQ(Events(PlayBody(Shop, setup)), "Bye|  [Close]|-- end --");
    setup.StartLabel = "L_Gone";
    EXPECT_EQ(Events(PlayBody(Shop, setup)), "fault: the NPC Tester has no label L_Gone");
}

TEST(PlaySession, StepsRewindsAndRestartsWithTheAnswersThatStillFit)
{
    const auto file = [](const std::string& menu) {
        return ReadScriptFile("-\tscript\tS\t-1,{\n\tmes \"Hi\";\n\tnext;\n\tmenu " + menu +
                              ";\n\tmes \"Zeny \" + Zeny;\n\tclose;\n}\n");
    };
    const TScriptFile first = file("\"A\",-,\"B\",-,\"C\",-");
    const TProgram three(first);
    TPlaySession session(three, "", {});
    EXPECT_EQ(Events(session.Result()), "Hi|-- waiting for the next button --");
    session.Choose(1);  // not waiting for a menu: ignored
    session.Press();
    EXPECT_EQ(session.Result().Options, (std::vector<std::string>{"A", "B", "C"}));
    TPlayerState rich;
    rich.Zeny = 70;
    session.EditPlayer(rich);
    session.Choose(3);
    EXPECT_EQ(Events(session.Result()),
              "Hi|  [Next]|  menu: 1) A  2) B  3) C|-- the player was changed --|  > 3|Zeny 70|  [Close]|-- end --");

    const TScriptFile second = file("\"A\",-,\"B\",-");
    const TProgram two(second);
    session.Restart(two);
    EXPECT_EQ(Events(session.Result()), "Hi|  [Next]|  menu: 1) A  2) B|-- the player was changed --|-- waiting for a menu choice --");
    session.RewindTo(0);
    EXPECT_EQ(Events(session.Result()), "Hi|-- waiting for the next button --");
}

TEST(Interpreter, EventsCarryTheirStatementsRange)
{
    const TRunResult result = PlayBody(Shop, {});
    ASSERT_GE(result.Events.size(), 3u);
    EXPECT_EQ(result.Events[0].Line(), 3);
    EXPECT_EQ(result.Events[0].Range.Begin.Column, 1);
    EXPECT_EQ(result.Events[0].Range.End.Column, 10);
    EXPECT_EQ(result.Events[2].Line(), 5);
}

} // namespace
