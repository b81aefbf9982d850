// The interpreter on small scripts: each row plays one NPC body with a player, menu choices and
// typed input, and lists the events as the transcript shows them.

#include "script/FileReader.h"
#include "script/Interpreter.h"
#include "script/MockPlayer.h"
#include "script/Transcript.h"

#include <gtest/gtest.h>

#include <map>

using namespace script;

namespace {

// Red Potion and a heavy Anvil; nothing else exists.
class TTestItems final : public TItemLookup {
public:
    std::optional<TItemInfo> Find(std::int32_t id) const override
    {
        const auto it = Items.find(id);
        return it == Items.end() ? std::nullopt : std::optional<TItemInfo>(it->second);
    }
    std::optional<TItemInfo> FindByName(std::string_view name) const override
    {
        for (const auto& [id, item] : Items)
            if (item.Name == name)
                return item;
        return std::nullopt;
    }
    std::map<std::int32_t, TItemInfo> Items = {{501, {501, "Red_Potion", 70}}, {986, {986, "Anvil", 5000}}};
};

// The body goes into an NPC on line 2; a function of the file follows it.
TRunResult PlayBody(const std::string& body, const TPlaySetup& setup)
{
    static const TTestItems items;
    const std::string text = "// test\nprontera,150,150,4\tscript\tTester\t100,{\n" + body +
                             "\n}\nfunction\tscript\tDouble\t{\n\treturn getarg(0) * 2;\n}\n";
    const TScriptFile file = ReadScriptFile(text);
    EXPECT_TRUE(file.Diagnostics.empty()) << file.Diagnostics.front().Message;
    const TProgram program(file);
    return Play(program, "Tester", setup, &items);
}

std::string Events(const TRunResult& result)
{
    std::string out;
    for (const TEvent& e : result.Events)
        out += (out.empty() ? "" : "|") + TranscriptLine(e);
    return out;
}

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
            "A|fault at line 4: the script ends with its dialogue open: the player has no button to leave it "
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
    PlayRow{"FunctionOfAnotherFileIsNotSimulated", "set .@x, callfunc(\"F_Elsewhere\", 1); mes \"\" + .@x; close;", {}, {},
            "not simulated: callfunc F_Elsewhere, 1|0|  [Close]|-- end --"},
    PlayRow{"ScopeVariablesBelongToTheirCall", "set .@x, 1; set @y, 2; callsub L_S; mes .@x + \" \" + @Y; close;\n"
            "L_S: set .@x, 9; set @y, 3; return;", {}, {}, "1 3|  [Close]|-- end --"},
    PlayRow{"GotoMissingLabelStops", "mes \"a\";\ngoto L_Nowhere; mes \"b\";", {}, {},
            "a|fault at line 4: goto: there is no label L_Nowhere; the script stops here"},
    PlayRow{"StepBudgetEndsAnEndlessLoop", "while (1)\n\tset .@i, .@i + 1;", {}, {},
            "fault at line 3: the script ran 5000 commands without ending (an endless loop?); the play stops here"},
    PlayRow{"BreakOutsideALoop", "break;", {}, {}, "fault at line 3: 'break' is not inside a loop or a switch"},
    // Expressions
    PlayRow{"IntegerOverflowWraps", "mes (2147483647 + 1) + \" \" + (-2147483647 - 1) / -1 + \" \" + (65536 * 65536) + \" \" + (1 << 33);\nclose;",
            {}, {}, "-2147483648 -2147483648 0 2|  [Close]|-- end --"},
    PlayRow{"DivisionByZeroStops", "set .@x, 5 / .@zero;", {}, {}, "fault at line 3: division by zero"},
    PlayRow{"StringsCompareAndJoin", "if (\"abc\" < \"abd\" && \"x\" == \"x\") mes \"a\" + 1 + \"b\"; close;", {}, {},
            "a1b|  [Close]|-- end --"},
    PlayRow{"ArraysAndSetarray", "setarray .@a, 4, 5, 6; mes .@a[1] + \" \" + getarraysize(.@a); close;", {}, {},
            "5 3|  [Close]|-- end --"},
    PlayRow{"CleararrayStopsAtTheArraysEnd", "setarray .@a[126], 1, 2, 3; cleararray .@a[1], 7, 1000000000;\n"
            "mes .@a[0] + \" \" + .@a[5] + \" \" + getarraysize(.@a); close;", {}, {}, "0 7 128|  [Close]|-- end --"},
    PlayRow{"ACallIntoAnotherFileLeavesTheDialogueToIt", "mes \"a\"; callfunc \"F_Elsewhere\";", {}, {},
            "a|not simulated: callfunc F_Elsewhere|-- end --"},
    // The player
    PlayRow{"ZenyBelowZeroIsRefused", "set Zeny, Zeny - 500; mes \"\" + Zeny; Zeny += 50; close;", {}, {},
            "set Zeny, -400 (refused: Zeny stay 100)|100|Zeny 100 -> 150|  [Close]|-- end --", With(100)},
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
            "fault at line 3: getitem: there is no item 4242 in the item database|-- end --"},
    PlayRow{"JobchangeResetsTheJobLevel", "jobchange 7; end;", {}, {}, "Class 0 -> 7|JobLevel 1 -> 1|-- end --"},
    PlayRow{"WarpIsRecordedAndTheScriptGoesOn", "warp \"prontera.gat\", 150, 180; mes \"still\"; close;", {}, {},
            "warped to prontera.gat 150,180|still|  [Close]|-- end --"},
    PlayRow{"ActionsAreRecorded", "heal 100, 0; savepoint \"izlude.gat\", 1, 2; setcart; openstorage; resetstatus; resetskill; end;",
            {}, {}, "heal 100, 0|savepoint izlude.gat, 1, 2|setcart|openstorage|resetstatus|resetskill|-- end --"},
    PlayRow{"UnknownCommandIsNotSimulated", "specialeffect 15; mes \"\" + getcharid(0); close;", {}, {},
            "not simulated: specialeffect 15|not simulated: getcharid 0|0|  [Close]|-- end --"}),
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
    result = PlayBody("while (1) mes \"\";", {});
    EXPECT_EQ(TranscriptLine(result.Events.back()), "fault at line 3: the play wrote more than 100000 events; it stops here");
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
