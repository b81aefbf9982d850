// The script writer: header block, NPC line, the tree walk, exit labels and the final pass.
#include "ModelFixture.h"
#include "DocumentSupport.h"

#include "TestSupport.h"
#include "model/ConditionTasks.h"
#include "model/ManualTasks.h"
#include "model/MessageTasks.h"
#include "model/ScriptWriter.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

class ScriptWriterTest : public ModelTest {
protected:
    TActionTask* AddAction(TTaskNode* parent, const std::string& command)
    {
        return Add(parent, std::make_unique<TActionTask>("", FindAction(command)));
    }
    TMessageTask* AddMessage(TTaskNode* parent, const std::string& line)
    {
        return Add(parent, std::make_unique<TMessageTask>(std::vector<std::string>{line}));
    }
    // A condition "Zeny at least 1" that jumps to target.
    TConTask* AddCondition(TTaskNode* parent, std::int32_t target)
    {
        auto condition = std::make_unique<TConTask>();
        auto check = std::make_unique<TConCheck>();
        check->Kind = 2;
        check->Value = 1;
        check->Variable = FindVariable("Zeny");
        condition->AddCheck(std::move(check));
        condition->Target = target;
        return Add(parent, std::move(condition));
    }
    void UseGuide()
    {
        Project().NPCInfo.Name = "Guide";
        Project().NPCInfo.MapIndex = 0;
        Project().NPCInfo.X = 150;
        Project().NPCInfo.Y = 180;
        Project().NPCInfo.Direction = 5;
        Project().NPCInfo.SpriteID = 113;
    }
    // The lines after the NPC line, without the closing brace.
    static std::vector<std::string> Body(const std::vector<std::string>& script)
    {
        return {script.begin() + 16, script.end() - 1};
    }
};

TEST_F(ScriptWriterTest, WorkedExampleMatchesTheGoldenScript)
{
    UseGuide();
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    AddMessage(start, "Hello.");
    AddAction(start, "next");
    TGroupTask* bye = AddGroup(start, "Bye");
    AddMessage(bye->Node, "Goodbye.");
    AddAction(bye->Node, "close");
    std::vector<std::string> lines;
    const TScriptResult result = GenerateScript(Project(), lines);
    EXPECT_FALSE(result.HasProblems());
    EXPECT_EQ(CompareWithGolden("worked-example.txt", JoinScriptLines(lines)), "");
}

TEST_F(ScriptWriterTest, UserNamedGroupGetsItsCommentBeforeTheLabel)
{
    UseGuide();
    TGroupTask* bye = AddGroup(Project().TaskTree.GetFirstNode(), "Bye");
    bye->Rename("Farewell");
    EXPECT_THAT(Body(CurrentScript()), ElementsAre("\tL0:", "\t\t// Farewell //", "\t\tL1:"));
}

TEST_F(ScriptWriterTest, OnlyStartGivesHeaderNpcLineLabelAndBrace)
{
    UseGuide();
    const auto script = CurrentScript();
    ASSERT_EQ(script.size(), 18u);
    EXPECT_EQ(script[14], "");
    EXPECT_EQ(script[15], "prontera.gat,150,180,5\tscript\tGuide\t113,{");
    EXPECT_EQ(script[16], "\tL0:");
    EXPECT_EQ(script[17], "}");
}

struct CommentsCase {
    const char* Name;
    std::string Comments;
    std::vector<std::string> Lines;
};

class HeaderCommentsTest : public ScriptWriterTest, public ::testing::WithParamInterface<CommentsCase> {};

TEST_P(HeaderCommentsTest, SplitsAtEveryKindOfLineBreak)
{
    Project().HeaderInfo.Comments = GetParam().Comments;
    const auto script = CurrentScript();
    const auto ruler = std::find(script.begin(), script.end(),
                                 "//===== Additional Comments: =================================");
    ASSERT_NE(ruler, script.end());
    const auto closing = std::find(ruler, script.end(),
                                   "//============================================================");
    EXPECT_THAT(std::vector<std::string>(ruler + 1, closing), ElementsAreArray(GetParam().Lines));
}

INSTANTIATE_TEST_SUITE_P(
    Comments, HeaderCommentsTest,
    ::testing::Values(CommentsCase{"Empty", "", {}},
                      CommentsCase{"OneLine", "Hi", {"//= Hi"}},
                      CommentsCase{"CrLf", "a\r\nb\r\n", {"//= a", "//= b"}},
                      CommentsCase{"LoneLf", "a\nb", {"//= a", "//= b"}},
                      CommentsCase{"LoneCr", "a\rb\r", {"//= a", "//= b"}},
                      CommentsCase{"EmptyLineInside", "a\r\n\r\nb", {"//= a", "//= ", "//= b"}},
                      CommentsCase{"OnlyABreak", "\r\n", {"//= "}},
                      CommentsCase{"LfThenCr", "a\n\rb", {"//= a", "//= ", "//= b"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// An empty field keeps its comment line; a field of several lines is a comment line for each, as
// a line break inside one would put the rest of the field into the script as code.
TEST_F(ScriptWriterTest, FieldsAreCommentLinesEvenEmptyOrOfSeveralLines)
{
    Project().HeaderInfo.ScriptName = "";
    Project().HeaderInfo.Author = "two\r\nlines";
    const auto script = CurrentScript();
    EXPECT_EQ(script[1], "//= ");
    EXPECT_EQ(script[4], "//= two");
    EXPECT_EQ(script[5], "//= lines");
    for (int ruler : {0, 3, 6, 8, 10, 12})
        EXPECT_EQ(script[static_cast<std::size_t>(ruler)].size(), 62u) << script[static_cast<std::size_t>(ruler)];
}

TEST_F(ScriptWriterTest, SpriteFromAnEmptyCatalogueIsPrintedSigned)
{
    Project().NPCInfo.SpriteID = static_cast<std::int32_t>(4294967295u);
    EXPECT_EQ(CurrentScript()[15],
              "prontera.gat,0,0,1\tscript\t\t-1,{");
}

TEST_F(ScriptWriterTest, NpcWithoutAValidMapIsWrittenWithAnEmptyMapAndAProblem)
{
    for (int index : {-1, 2, 1000}) {
        Project().NPCInfo.MapIndex = index;
        std::vector<std::string> lines;
        const TScriptResult result = GenerateScript(Project(), lines);
        EXPECT_EQ(lines[15], ",0,0,1\tscript\t\t45,{") << index;
        EXPECT_EQ(lines.back(), "}");
        EXPECT_THAT(result.Problems, ElementsAre(NoMapProblem));
    }
}

TEST_F(ScriptWriterTest, SpeakerLineAfterEveryGroupLabelOnly)
{
    UseGuide();
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    AddAction(start, "next");
    TGroupTask* inner = AddGroup(start, "Inner");
    AddMessage(inner->Node, "inner");
    AddMessage(start, "outer after inner");
    AddMessage(start, "outer again");
    EXPECT_THAT(Body(CurrentScript()),
                ElementsAre("\tL0:", "\t\tnext;", "\t\tL1:", "\t\t\tmes \"[Guide]\";",
                            "\t\t\tmes \"inner\";", "\t\tmes \"outer after inner\";",
                            "\t\tmes \"outer again\";"));
}

TEST_F(ScriptWriterTest, ExitLabelOfTheInnermostGroupIsWrittenOnceAfterItsLastNode)
{
    TGroupTask* bye = AddGroup(Project().TaskTree.GetFirstNode(), "Bye");
    AddCondition(bye->Node, GroupExitTarget);
    AddCondition(bye->Node, GroupExitTarget);
    AddAction(bye->Node, "close");
    EXPECT_THAT(Body(CurrentScript()),
                ElementsAre("\tL0:", "\t\tL1:", "\t\t\tif((Zeny >= 1)) goto L1Exit;",
                            "\t\t\tif((Zeny >= 1)) goto L1Exit;", "\t\t\tclose;", "\t\t\tL1Exit:"));
}

TEST_F(ScriptWriterTest, OuterGroupExitIsWrittenByTheFinalPass)
{
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    AddCondition(start, GroupExitTarget);
    TGroupTask* bye = AddGroup(start, "Bye");
    AddAction(bye->Node, "close");
    EXPECT_THAT(Body(CurrentScript()),
                ElementsAre("\tL0:", "\t\tif((Zeny >= 1)) goto L0Exit;", "\t\tL1:", "\t\t\tclose;",
                            "\t\tL0Exit:"));
}

TEST_F(ScriptWriterTest, ExitOfAGroupLeftForASiblingIsWrittenWhereTheWalkLeavesIt)
{
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    TGroupTask* a = AddGroup(start, "A");
    AddCondition(a->Node, GroupExitTarget);
    TGroupTask* b = AddGroup(start, "B");
    AddAction(b->Node, "close");
    EXPECT_THAT(Body(CurrentScript()),
                ElementsAre("\tL0:", "\t\tL1:", "\t\t\tif((Zeny >= 1)) goto L1Exit;", "\t\t\tL1Exit:",
                            "\t\tL2:", "\t\t\tclose;"));
}

TEST_F(ScriptWriterTest, FinishGroupWritesNothingUnlessPendingAndOnlyOnce)
{
    std::vector<std::string> lines;
    TScriptWriter writer(Project(), lines);
    writer.FinishGroup(*Start());
    EXPECT_TRUE(lines.empty());
    writer.RequireExit(*Start());
    writer.FinishGroup(*Start());
    writer.FinishGroup(*Start());
    EXPECT_THAT(lines, ElementsAre("\tL0Exit:"));
}

TEST_F(ScriptWriterTest, BaseCommentLineOnlyWhenUserNamed)
{
    std::vector<std::string> lines;
    TScriptWriter writer(Project(), lines);
    TMessageTask task;
    task.Caption = "Check money";
    static_cast<const TTask&>(task).TTask::WriteScript(writer);
    EXPECT_TRUE(lines.empty());
    task.UserNamed = 1;
    static_cast<const TTask&>(task).TTask::WriteScript(writer);
    EXPECT_THAT(lines, ElementsAre("\t// Check money //"));
}

// A user-named caption stays one comment line whatever breaks it holds: a message or manual caption
// named by an earlier version holds one per line, and each would start live script.
struct TCaptionCase {
    const char* Name;
    std::string Caption;
    std::string Comment;
};

void PrintTo(const TCaptionCase& caption, std::ostream* out)
{
    *out << caption.Name;
}

class UserCaptionTable : public ScriptWriterTest, public ::testing::WithParamInterface<TCaptionCase> {};

TEST_P(UserCaptionTable, StaysOneCommentLine)
{
    TManualTask task(std::vector<std::string>{"close;"});
    task.Rename(GetParam().Caption);
    std::vector<std::string> lines;
    TScriptWriter writer(Project(), lines);
    task.WriteScript(writer);
    EXPECT_THAT(lines, ElementsAre("\t// " + GetParam().Comment + " //", "\tclose;"));
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, UserCaptionTable,
    ::testing::Values(TCaptionCase{"CrLf", "Message: Hello\r\nBye\r\n", "Message: Hello Bye"},
                      TCaptionCase{"LoneLf", "Manual: next;\nend;", "Manual: next; end;"},
                      TCaptionCase{"LoneCr", "A\rB", "A B"},
                      TCaptionCase{"EmptyLinesBetween", "A\r\n\r\n\nB", "A B"},
                      TCaptionCase{"LeadingBreak", "\r\nA", "A"},
                      TCaptionCase{"OnlyBreaks", "\r\n", ""}),
    [](const ::testing::TestParamInfo<TCaptionCase>& info) { return std::string(info.param.Name); });

TEST(ScriptLinesTest, JoinedWithCrLfAfterEveryLine)
{
    EXPECT_EQ(JoinScriptLines({"a", "", "\tb"}), "a\r\n\r\n\tb\r\n");
    EXPECT_EQ(JoinScriptLines({}), "");
}


TEST_F(ScriptWriterTest, EveryLineKnowsTheTaskThatWroteIt)
{
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    TConTask* condition = AddCondition(start, GroupExitTarget);
    TGroupTask* bye = AddGroup(start, "Bye");
    TActionTask* close = AddAction(bye->Node, "close");
    std::vector<std::string> lines;
    const TScriptResult result = GenerateScript(Project(), lines);
    ASSERT_EQ(result.LineTasks.size(), lines.size());
    const std::vector<const TTask*> body(result.LineTasks.begin() + 16, result.LineTasks.end() - 1);
    // The exit label of Start comes from the final pass, and still belongs to Start.
    EXPECT_THAT(body, ElementsAre(start->Data(), condition, bye, close, start->Data()));
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(result.LineTasks[i], nullptr) << "line " << i + 1 << ": " << lines[i];
    EXPECT_EQ(result.LineTasks.back(), nullptr);
}

} // namespace
