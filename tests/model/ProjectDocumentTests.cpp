// The project document: every kind of edit goes through it, is named, marks the project modified
// and is reported once; an edit that changes nothing is neither stored nor reported.
#include "TaskFixture.h"

#include "tasks/DDocument.h"

#include <functional>
#include <limits>

namespace {

class ProjectDocumentTest : public TaskTest {
protected:
    TGroupTask* Shop = nullptr;
    TMessageTask* Hello = nullptr;

    void SetUp() override
    {
        TaskTest::SetUp();
        Shop = AddTask(TaskTree.GetFirstNode(), std::make_unique<TGroupTask>("Shop"));
        Hello = AddTask(TaskTree.GetFirstNode(), std::make_unique<TMessageTask>(std::vector<std::string>{"Hi"}));
        TaskTree.Select(TaskTree.GetFirstNode());
    }
};

struct TEditCase {
    const char* Name;
    std::function<void(TGroupTask* shop, TMessageTask* hello)> Edit;
    std::string ChangeName;
    unsigned Parts;  // besides CP_State, which the first change of a saved project adds
};

void PrintTo(const TEditCase& edit, std::ostream* out)
{
    *out << edit.Name;
}

class EditTable : public ProjectDocumentTest, public ::testing::WithParamInterface<TEditCase> {};

TEST_P(EditTable, IsNamedReportedOnceAndMarksModified)
{
    TChangeLog log;
    GetParam().Edit(Shop, Hello);
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_EQ(log.Changes[0].Name, GetParam().ChangeName);
    EXPECT_EQ(log.Changes[0].Parts, GetParam().Parts | CP_State);
    EXPECT_TRUE(Modified);
}

std::unique_ptr<TMessageTask> Message(const std::vector<std::string>& lines)
{
    auto message = std::make_unique<TMessageTask>(lines);
    message->Caption = "Message: " + LinesText(lines);
    return message;
}

INSTANTIATE_TEST_SUITE_P(
    Edits, EditTable,
    ::testing::Values(
        TEditCase{"AddGroup", [](auto, auto) { ProjectDocument().AddTask(std::make_unique<TGroupTask>("Inn")); },
                  "Add group Inn", CP_Tree | CP_Groups},
        TEditCase{"AddMessage", [](auto, auto) { ProjectDocument().AddTask(std::make_unique<TMessageTask>()); },
                  "Add message", CP_Tree},
        TEditCase{"DeleteGroup", [](TGroupTask* shop, auto) { ProjectDocument().DeleteNode(shop->Node); },
                  "Delete group Shop", CP_Tree | CP_Groups},
        TEditCase{"RenameGroup", [](TGroupTask* shop, auto) { ProjectDocument().RenameNode(shop->Node, "Inn"); },
                  "Rename group Shop", CP_Tree | CP_Task | CP_Groups},
        TEditCase{"MoveMessage",
                  [](auto, TMessageTask* hello) { ProjectDocument().MoveNode(hello->Node, TaskTree.GetFirstNode(), 0); },
                  "Move message", CP_Tree},
        TEditCase{"EditMessage",
                  [](auto, TMessageTask* hello) { ProjectDocument().EditTask(hello, *Message({"Bye"})); },
                  "Edit message", CP_Tree | CP_Task},
        TEditCase{"SetNPC",
                  [](auto, auto) {
                      TNPC npc = NPCInfo;
                      npc.Name = "Guide";
                      ProjectDocument().SetNPC(npc);
                  },
                  "Edit NPC", CP_NPC},
        TEditCase{"SetHeader",
                  [](auto, auto) {
                      TNPCHeader header = HeaderInfo;
                      header.Author = "Me";
                      ProjectDocument().SetHeader(header);
                  },
                  "Edit header", CP_Header}),
    [](const ::testing::TestParamInfo<TEditCase>& info) { return std::string(info.param.Name); });

class NoChangeTable : public ProjectDocumentTest, public ::testing::WithParamInterface<TEditCase> {};

TEST_P(NoChangeTable, IsNeitherStoredNorReported)
{
    const std::string before = ProjectSnapshot();
    TChangeLog log;
    GetParam().Edit(Shop, Hello);
    EXPECT_TRUE(log.Changes.empty());
    EXPECT_FALSE(Modified);
    EXPECT_EQ(ProjectSnapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, NoChangeTable,
    ::testing::Values(
        TEditCase{"DeleteStart", [](auto, auto) { ProjectDocument().DeleteNode(TaskTree.GetFirstNode()); }},
        TEditCase{"RenameEmpty", [](TGroupTask* shop, auto) { ProjectDocument().RenameNode(shop->Node, ""); }},
        TEditCase{"RenameUnchanged",
                  [](TGroupTask* shop, auto) { ProjectDocument().RenameNode(shop->Node, shop->Node->Text()); }},
        TEditCase{"MoveIntoItself",
                  [](TGroupTask* shop, auto) { ProjectDocument().MoveNode(shop->Node, shop->Node, 0); }},
        TEditCase{"MoveToWhereItIs",
                  [](auto, TMessageTask* hello) {
                      ProjectDocument().MoveNode(hello->Node, TaskTree.GetFirstNode(), hello->Node->Row());
                  }},
        TEditCase{"SameNPC", [](auto, auto) { ProjectDocument().SetNPC(NPCInfo); }},
        TEditCase{"SameHeader", [](auto, auto) { ProjectDocument().SetHeader(HeaderInfo); }}),
    [](const ::testing::TestParamInfo<TEditCase>& info) { return std::string(info.param.Name); });

TEST_F(ProjectDocumentTest, AnEditReplacesTheWholeContentAndKeepsTheTaskAndItsNode)
{
    TTaskNode* node = Hello->Node;
    ProjectDocument().EditTask(Hello, *Message({}));
    EXPECT_TRUE(Hello->Lines.empty());
    EXPECT_EQ(Hello->Node, node);
    EXPECT_EQ(node->Text(), "Message: ");
    EXPECT_THROW(ProjectDocument().EditTask(Hello, TGroupTask()), EListError);
}

TEST_F(ProjectDocumentTest, ReplacingTheProjectIsReportedAsSuchAndLeavesItUnmodified)
{
    SetModified(true);
    TChangeLog log;
    NewProject();
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_TRUE(log.Changes[0].Has(CP_Replaced));
    EXPECT_FALSE(Modified);
}

TEST_F(ProjectDocumentTest, NoGroupIsMadeWhenTheNumbersAreUsedUp)
{
    NextGroupNumber = std::numeric_limits<std::int32_t>::max();
    const int count = TaskList.TaskCount();
    EXPECT_THROW(std::make_unique<TGroupTask>("Late"), EListError);
    EXPECT_EQ(NextGroupNumber, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TaskList.TaskCount(), count);
    NextGroupNumber = std::numeric_limits<std::int32_t>::max() - 1;
    EXPECT_EQ(std::make_unique<TGroupTask>("Last")->GroupNumber, std::numeric_limits<std::int32_t>::max() - 1);
}

}  // namespace
