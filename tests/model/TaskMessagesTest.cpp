// Message and manual tasks: mes lines with the speaker line, manual code, the shared lines record.

#include "TaskFixture.h"
#include "DocumentSupport.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

class MessageTest : public TaskTest {
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        Project().NPCInfo.Name = "Guide";
    }
};

TEST_F(MessageTest, WorkedExampleOfAMessageAndManualCode)
{
    Add(StartNode(), std::make_unique<TMessageTask>(std::vector<std::string>{"Welcome!", "", "How can I help?"}));
    Add(StartNode(), std::make_unique<TManualTask>(std::vector<std::string>{"set Zeny, Zeny - 10;", "close;"}));
    const auto script = ScriptLines();
    EXPECT_THAT(std::vector<std::string>(script.begin() + 17, script.end() - 1),
                ElementsAre("\t\tmes \"[Guide]\";", "\t\tmes \"Welcome!\";", "\t\tmes \"\";",
                            "\t\tmes \"How can I help?\";", "\t\tset Zeny, Zeny - 10;", "\t\tclose;"));
}

TEST_F(MessageTest, SpeakerLineOnlyBeforeTheFirstMessageAfterAGroupLabel)
{
    Add(StartNode(), MakeAction(5, {}));
    Add(StartNode(), std::make_unique<TMessageTask>(std::vector<std::string>{"One"}));
    Add(StartNode(), std::make_unique<TMessageTask>(std::vector<std::string>{"Two"}));
    TGroupTask* next = AddGroup(StartNode(), "Next");
    Add(next->Node, std::make_unique<TManualTask>(std::vector<std::string>{"end;"}));
    Add(next->Node, std::make_unique<TMessageTask>(std::vector<std::string>{"Three"}));
    const auto script = ScriptLines();
    EXPECT_THAT(std::vector<std::string>(script.begin() + 16, script.end() - 1),
                ElementsAre("\tL0:", "\t\tnext;", "\t\tmes \"[Guide]\";", "\t\tmes \"One\";", "\t\tmes \"Two\";",
                            "\t\tL1:", "\t\t\tend;", "\t\t\tmes \"[Guide]\";", "\t\t\tmes \"Three\";"));
}

TEST_F(MessageTest, NoLinesAndOneEmptyLineBothWriteAnEmptyMes)
{
    const TMessageTask none;
    const TMessageTask empty(std::vector<std::string>{""});
    EXPECT_THAT(LinesOf(none), ElementsAre("\t\tmes \"\";"));
    EXPECT_THAT(LinesOf(empty), ElementsAre("\t\tmes \"\";"));
    EXPECT_EQ(RecordOf(none), Bytes({0}) + Str("") + Int32(0));
    EXPECT_EQ(RecordOf(empty), Bytes({0}) + Str("") + Int32(1) + Int32(0));
}

TEST_F(MessageTest, SpeakerLineClearsTheFlagAndLinesStayUnescaped)
{
    TMessageTask message(std::vector<std::string>{"Say \"hi\" \\ ^FF0000red"});
    message.Rename("Greeting");
    std::vector<std::string> lines;
    TScriptWriter writer(Project(), lines);
    writer.CurrentLevel = 1;
    writer.NeedSpeakerLine = true;
    message.WriteScript(writer);
    EXPECT_THAT(lines,
                ElementsAre("\t\t// Greeting //", "\t\tmes \"[Guide]\";", "\t\tmes \"Say \"hi\" \\ ^FF0000red\";"));
    EXPECT_FALSE(writer.NeedSpeakerLine);
}

TEST_F(MessageTest, ManualLinesKeepTheirOwnIndentationAfterTheTabs)
{
    const TManualTask manual(std::vector<std::string>{"\tif (Zeny) {", "  close;", ""});
    EXPECT_THAT(LinesOf(manual), ElementsAre("\t\t\tif (Zeny) {", "\t\t  close;", "\t\t"));
}

TEST_F(MessageTest, ManualWithoutLinesWritesOnlyItsComment)
{
    TManualTask manual;
    EXPECT_TRUE(LinesOf(manual).empty());
    manual.Rename("Nothing yet");
    EXPECT_THAT(LinesOf(manual), ElementsAre("\t\t// Nothing yet //"));
}

TEST_F(MessageTest, LinesTextEndsEveryLineWithCrLf)
{
    EXPECT_EQ(LinesText({"Welcome!"}), "Welcome!\r\n");
    EXPECT_EQ(LinesText({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(LinesText({}), "");
}

TEST_F(MessageTest, RecordOfHiIsByteExact)
{
    TMessageTask message(std::vector<std::string>{"Hi"});
    message.Caption = "Message: " + LinesText(message.Lines);
    const std::string expected = Bytes({0x00, 0x0D, 0, 0, 0}) + "Message: Hi\r\n" + Bytes({0x01, 0, 0, 0}) +
                                 Bytes({0x02, 0, 0, 0}) + "Hi";
    EXPECT_EQ(RecordOf(message), expected);
    const auto loaded = TaskFromRecord<TMessageTask>(expected);
    EXPECT_THAT(loaded->Lines, ElementsAre("Hi"));
    EXPECT_EQ(loaded->Caption, "Message: Hi\r\n");
}

TEST_F(MessageTest, ManualRecordHasTheSameLayout)
{
    const TManualTask manual(std::vector<std::string>{" a ", ""});
    EXPECT_EQ(RecordOf(manual), Bytes({0}) + Str("") + Int32(2) + Str(" a ") + Str(""));
    EXPECT_THAT(TaskFromRecord<TManualTask>(RecordOf(manual))->Lines, ElementsAre(" a ", ""));
}

TEST_F(MessageTest, CountZeroLeavesTheLinesUntouched)
{
    std::vector<std::string> lines = {"kept"};
    TFileReader file("lines", Int32(0));
    LoadLines(file, lines);
    EXPECT_THAT(lines, ElementsAre("kept"));
    TFileReader two("lines", Int32(2) + Str("x") + Str("y"));
    LoadLines(two, lines);
    EXPECT_THAT(lines, ElementsAre("x", "y"));
}

TEST_F(MessageTest, BadLineCountsFailAtOnceAndLeaveTheLines)
{
    for (const std::int32_t count : {-1, 3, 2147483647}) {
        std::vector<std::string> lines = {"kept"};
        TFileReader file("bad.NPC", Int32(count) + Str("x") + Str("y"));
        EXPECT_THROW(LoadLines(file, lines), EInOutError) << "count " << count;
        EXPECT_THAT(lines, ElementsAre("kept"));
    }
}

}  // namespace
