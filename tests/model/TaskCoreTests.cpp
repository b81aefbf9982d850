// Task core: group numbering, the task list's lookups, the string primitives and the task tree.
#include "ModelFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "model/ProjectFile.h"
#include "model/MessageTasks.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

class TaskCoreTest : public ModelTest {};

std::vector<std::string> Texts(const TStringList& list)
{
    std::vector<std::string> texts;
    for (const auto& entry : list.Items)
        texts.push_back(entry.Text);
    return texts;
}

std::vector<std::string> TreeTexts()
{
    std::vector<std::string> texts;
    for (TTaskNode* node : Project().TaskTree.Nodes())
        texts.push_back(std::string(static_cast<std::size_t>(node->Level()), ' ') + node->Text());
    return texts;
}

TEST_F(TaskCoreTest, NewProjectHasOnlyTheStartGroupNumberedZero)
{
    ASSERT_EQ(Project().TaskTree.Count(), 1);
    ASSERT_EQ(Project().TaskList.TaskCount(), 1);
    EXPECT_EQ(Start()->Caption, "Start");
    EXPECT_EQ(Start()->GroupNumber, 0);
    EXPECT_EQ(Start()->Node, Project().TaskTree.GetFirstNode());
    EXPECT_EQ(Project().TaskTree.Selected(), Project().TaskTree.GetFirstNode());
    EXPECT_EQ(Project().NextGroupNumber, 1);
}

TEST_F(TaskCoreTest, GroupNumbersAreNeverReusedAfterADelete)
{
    TGroupTask* first = AddGroup(Project().TaskTree.GetFirstNode(), "New Group");
    TGroupTask* second = AddGroup(Project().TaskTree.GetFirstNode(), "New Group");
    EXPECT_EQ(first->GroupNumber, 1);
    EXPECT_EQ(second->GroupNumber, 2);
    Project().TaskTree.Delete(first->Node);
    EXPECT_EQ(AddGroup(Project().TaskTree.GetFirstNode(), "New Group")->GroupNumber, 3);
}

TEST_F(TaskCoreTest, NewProjectRestartsTheNumbering)
{
    AddGroup(Project().TaskTree.GetFirstNode(), "A");
    Document().NewProject();
    EXPECT_EQ(Start()->GroupNumber, 0);
    EXPECT_EQ(AddGroup(Project().TaskTree.GetFirstNode(), "B")->GroupNumber, 1);
}

TEST_F(TaskCoreTest, FindLabelMatchesExactlyAndExitsOnlyWhenAsked)
{
    EXPECT_EQ(Project().TaskList.FindLabel("L0", false), Start());
    EXPECT_EQ(Project().TaskList.FindLabel("L0Exit", false), nullptr);
    EXPECT_EQ(Project().TaskList.FindLabel("L0Exit", true), Start());
    EXPECT_EQ(Project().TaskList.FindLabel("l0", true), nullptr);
    EXPECT_EQ(Project().TaskList.FindLabel("L0exit", true), nullptr);
    EXPECT_EQ(Project().TaskList.FindLabel("L1", true), nullptr);
}

TEST_F(TaskCoreTest, FindLabelPrintsNegativeNumbersUnsigned)
{
    Start()->GroupNumber = -1;
    EXPECT_EQ(Project().TaskList.FindLabel("L4294967295", false), Start());
    EXPECT_EQ(Project().TaskList.FindLabel("L-1", false), nullptr);
}

TEST_F(TaskCoreTest, EmptyTaskListFindsNothingAndFillsNothing)
{
    Project().TaskTree.Clear();
    ASSERT_EQ(Project().TaskList.TaskCount(), 0);
    EXPECT_EQ(Project().TaskList.FindLabel("L0", true), nullptr);
    TStringList list;
    Project().TaskList.FillGroupList(list);
    EXPECT_TRUE(list.Items.empty());
}

TEST_F(TaskCoreTest, FillGroupListAppendsGroupsInListOrderAfterExistingEntries)
{
    TGroupTask* shop = AddGroup(Project().TaskTree.GetFirstNode(), "Shop");
    Add(Project().TaskTree.GetFirstNode(), std::make_unique<TMessageTask>(std::vector<std::string>{"Hi"}));
    TStringList list;
    list.AddObject("kept", nullptr);
    Project().TaskList.FillGroupList(list);
    EXPECT_THAT(Texts(list), ElementsAre("kept", "Start", "Shop"));
    EXPECT_EQ(list.Items[2].Object, shop);
    EXPECT_EQ(list.Updates, 1);
}

TEST_F(TaskCoreTest, RenameSetsUserNamedAndAssignCaptionDoesNot)
{
    TGroupTask* group = AddGroup(Project().TaskTree.GetFirstNode(), "New Group");
    group->Rename("Shop");
    EXPECT_EQ(group->Caption, "Shop");
    EXPECT_EQ(group->UserNamed, 1);
    TGroupTask copy;
    copy.AssignCaption(*group);
    EXPECT_EQ(copy.Caption, "Shop");
    EXPECT_EQ(copy.UserNamed, 0);
}

TEST_F(TaskCoreTest, DeletingAGroupUnregistersEveryTaskBelowIt)
{
    TGroupTask* outer = AddGroup(Project().TaskTree.GetFirstNode(), "Outer");
    TGroupTask* inner = AddGroup(outer->Node, "Inner");
    Add(inner->Node, std::make_unique<TMessageTask>());
    Add(outer->Node, std::make_unique<TMessageTask>());
    ASSERT_EQ(Project().TaskList.TaskCount(), 5);
    Project().TaskTree.Delete(outer->Node);
    EXPECT_EQ(Project().TaskList.TaskCount(), 1);
    EXPECT_EQ(Project().TaskList.TaskAt(0), Start());
    EXPECT_EQ(Project().TaskTree.Count(), 1);
}

TEST_F(TaskCoreTest, DeletingTheSelectedNodeSelectsANeighbour)
{
    TGroupTask* a = AddGroup(Project().TaskTree.GetFirstNode(), "A");
    TGroupTask* b = AddGroup(Project().TaskTree.GetFirstNode(), "B");
    Project().TaskTree.Select(a->Node);
    TTaskNode* bNode = b->Node;
    Project().TaskTree.Delete(a->Node);
    EXPECT_EQ(Project().TaskTree.Selected(), bNode);
    Project().TaskTree.Delete(bNode);
    EXPECT_EQ(Project().TaskTree.Selected(), Project().TaskTree.GetFirstNode());
}

TEST_F(TaskCoreTest, PreOrderLevelsAndAbsoluteIndexes)
{
    TGroupTask* g = AddGroup(Project().TaskTree.GetFirstNode(), "G");
    AddGroup(g->Node, "B");
    TGroupTask* d = AddGroup(Project().TaskTree.GetFirstNode(), "D");
    EXPECT_THAT(TreeTexts(), ElementsAre("Start", " G", "  B", " D"));
    EXPECT_EQ(d->Node->AbsoluteIndex(), 3);
    EXPECT_EQ(d->Node->Level(), 1);
    EXPECT_EQ(d->Node->GetNext(), nullptr);
}

TEST_F(TaskCoreTest, InsertPlacesTheNodeBeforeItsSibling)
{
    TGroupTask* b = AddGroup(Project().TaskTree.GetFirstNode(), "B");
    auto a = Project().NewGroup("A");
    Project().TaskTree.Insert(b->Node, "A", a.get());
    EXPECT_EQ(a->Node->NextSibling(), b->Node);
    Project().TaskList.RegisterTask(std::move(a));
    EXPECT_THAT(TreeTexts(), ElementsAre("Start", " A", " B"));
}

TEST_F(TaskCoreTest, MovesKeepNodesAndRefuseTheOwnSubtree)
{
    TGroupTask* g = AddGroup(Project().TaskTree.GetFirstNode(), "G");
    TGroupTask* b = AddGroup(g->Node, "B");
    TGroupTask* d = AddGroup(Project().TaskTree.GetFirstNode(), "D");
    TTaskNode* gNode = g->Node;
    EXPECT_FALSE(Project().TaskTree.MoveToEnd(gNode, b->Node));
    EXPECT_FALSE(Project().TaskTree.MoveBefore(d->Node, d->Node));
    EXPECT_TRUE(Project().TaskTree.MoveBefore(d->Node, gNode));
    EXPECT_THAT(TreeTexts(), ElementsAre("Start", " D", " G", "  B"));
    EXPECT_TRUE(Project().TaskTree.MoveToEnd(d->Node, b->Node));
    EXPECT_THAT(TreeTexts(), ElementsAre("Start", " G", "  B", "   D"));
    EXPECT_EQ(g->Node, gNode);
    EXPECT_EQ(Project().TaskList.TaskCount(), 4);
}

TEST_F(TaskCoreTest, ATreeOfAnyDepthIsDeletedWithoutRunningOutOfStack)
{
    TTaskNode* parent = Project().TaskTree.GetFirstNode();
    for (int level = 0; level < 200000; ++level)
        parent = AddGroup(parent, "G")->Node;
    ASSERT_EQ(Project().TaskList.TaskCount(), 200001);
    Project().TaskTree.Delete(Project().TaskTree.GetFirstNode()->Child(0));
    EXPECT_EQ(Project().TaskList.TaskCount(), 1);
    parent = Project().TaskTree.GetFirstNode();
    for (int level = 0; level < 200000; ++level)
        parent = AddGroup(parent, "G")->Node;
    Document().NewProject();
    EXPECT_EQ(Project().TaskList.TaskCount(), 1);
    EXPECT_EQ(Project().TaskTree.Count(), 1);
}

TEST_F(TaskCoreTest, SiblingPositionsFollowInsertsMovesAndDeletes)
{
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    std::vector<TGroupTask*> groups;
    for (const char* name : {"A", "B", "C", "D"})
        groups.push_back(AddGroup(start, name));
    auto x = Project().NewGroup("X");
    Project().TaskTree.Insert(groups[1]->Node, "X", x.get());
    Project().TaskList.RegisterTask(std::move(x));
    Project().TaskTree.MoveToEnd(groups[0]->Node, start);
    Project().TaskTree.Delete(groups[2]->Node);
    EXPECT_THAT(TreeTexts(), ElementsAre("Start", " X", " B", " D", " A"));
    for (int row = 0; row < start->ChildCount(); ++row) {
        EXPECT_EQ(start->Child(row)->Row(), row);
        EXPECT_EQ(start->Child(row)->NextSibling(), row + 1 < start->ChildCount() ? start->Child(row + 1) : nullptr);
    }
}

// ---- string primitives ----

TEST(StringRecordTest, LengthPrefixedLittleEndianWithoutTerminator)
{
    TFileWriter writer("x.NPC");
    WriteString(writer, "Start");
    WriteString(writer, "");
    EXPECT_EQ(writer.Bytes(), std::string("\x05\0\0\0Start\0\0\0\0", 13));
    TFileReader reader("x.NPC", writer.Bytes());
    EXPECT_EQ(ReadString(reader), "Start");
    EXPECT_EQ(ReadString(reader), "");
    EXPECT_TRUE(reader.AtEnd());
}

TEST(StringRecordTest, EveryByteValueSurvives)
{
    std::string text;
    for (int b = 0; b < 256; ++b)
        text.push_back(static_cast<char>(b));
    TFileWriter writer;
    WriteString(writer, text);
    TFileReader reader("x.NPC", writer.Bytes());
    EXPECT_EQ(ReadString(reader), text);
}

struct BadString {
    const char* Name;
    std::string Bytes;
    const char* Message;
};

class BadStringTest : public ::testing::TestWithParam<BadString> {};

TEST_P(BadStringTest, IsAnErrorNamingTheFile)
{
    TFileReader reader("shop.NPC", GetParam().Bytes);
    const std::string error = InOutErrorOf([&] { ReadString(reader); });
    EXPECT_THAT(error, ::testing::StartsWith("shop.NPC: "));
    EXPECT_THAT(error, ::testing::HasSubstr(GetParam().Message));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, BadStringTest,
    ::testing::Values(BadString{"Negative", std::string("\xFF\xFF\xFF\xFF", 4), "negative length"},
                      BadString{"Huge", std::string("\xFF\xFF\xFF\x7F", 4), "past the end"},
                      BadString{"OneTooMany", std::string("\x03\0\0\0ab", 6), "past the end"},
                      BadString{"NoLength", std::string("\x03\0", 2), "the file ends early: 2 more bytes expected"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
