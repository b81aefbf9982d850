// The project document: every kind of edit goes through it, is named, marks the project modified
// and is reported once; an edit that changes nothing is neither stored nor reported.
#include "TaskFixture.h"
#include "DocumentSupport.h"

#include "document/Document.h"

#include <gmock/gmock.h>

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
        Shop = AddTask(Project().TaskTree.GetFirstNode(), Project().NewGroup("Shop"));
        Hello = AddTask(Project().TaskTree.GetFirstNode(), std::make_unique<TMessageTask>(std::vector<std::string>{"Hi"}));
        Project().TaskTree.Select(Project().TaskTree.GetFirstNode());
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
    EXPECT_TRUE(Project().Modified);
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
        TEditCase{"AddGroup", [](auto, auto) { Document().AddTask(Project().NewGroup("Inn")); },
                  "Add group Inn", CP_Tree | CP_Groups},
        TEditCase{"AddMessage", [](auto, auto) { Document().AddTask(std::make_unique<TMessageTask>()); },
                  "Add message", CP_Tree},
        TEditCase{"DeleteGroup", [](TGroupTask* shop, auto) { Document().DeleteNode(shop->Node); },
                  "Delete group Shop", CP_Tree | CP_Groups},
        TEditCase{"RenameGroup", [](TGroupTask* shop, auto) { Document().RenameNode(shop->Node, "Inn"); },
                  "Rename group Shop", CP_Tree | CP_Task | CP_Groups},
        TEditCase{"MoveMessage",
                  [](auto, TMessageTask* hello) { Document().MoveNode(hello->Node, Project().TaskTree.GetFirstNode(), 0); },
                  "Move message", CP_Tree},
        TEditCase{"EditMessage",
                  [](auto, TMessageTask* hello) { Document().EditTask(hello, *Message({"Bye"})); },
                  "Edit message", CP_Tree | CP_Task},
        TEditCase{"SetNPC",
                  [](auto, auto) {
                      TNPC npc = Project().NPCInfo;
                      npc.Name = "Guide";
                      Document().SetNPC(npc);
                  },
                  "Edit NPC name", CP_NPC},
        TEditCase{"SetHeader",
                  [](auto, auto) {
                      TNPCHeader header = Project().HeaderInfo;
                      header.Author = "Me";
                      Document().SetHeader(header);
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
    EXPECT_FALSE(Project().Modified);
    EXPECT_EQ(ProjectSnapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, NoChangeTable,
    ::testing::Values(
        TEditCase{"DeleteStart", [](auto, auto) { Document().DeleteNode(Project().TaskTree.GetFirstNode()); }},
        TEditCase{"RenameEmpty", [](TGroupTask* shop, auto) { Document().RenameNode(shop->Node, ""); }},
        TEditCase{"RenameUnchanged",
                  [](TGroupTask* shop, auto) { Document().RenameNode(shop->Node, shop->Node->Text()); }},
        TEditCase{"MoveIntoItself",
                  [](TGroupTask* shop, auto) { Document().MoveNode(shop->Node, shop->Node, 0); }},
        TEditCase{"MoveToWhereItIs",
                  [](auto, TMessageTask* hello) {
                      Document().MoveNode(hello->Node, Project().TaskTree.GetFirstNode(), hello->Node->Row());
                  }},
        // Only groups hold tasks: a tree with a task below a message could not be saved.
        TEditCase{"MoveBelowAMessage",
                  [](TGroupTask* shop, TMessageTask* hello) { Document().MoveNode(shop->Node, hello->Node, 0); }},
        TEditCase{"SameNPC", [](auto, auto) { Document().SetNPC(Project().NPCInfo); }},
        TEditCase{"SameHeader", [](auto, auto) { Document().SetHeader(Project().HeaderInfo); }}),
    [](const ::testing::TestParamInfo<TEditCase>& info) { return std::string(info.param.Name); });

TEST_F(ProjectDocumentTest, AnEditReplacesTheWholeContentAndKeepsTheTaskAndItsNode)
{
    TTaskNode* node = Hello->Node;
    Document().EditTask(Hello, *Message({}));
    EXPECT_TRUE(Hello->Lines.empty());
    EXPECT_EQ(Hello->Node, node);
    EXPECT_EQ(node->Text(), "Message: ");
    EXPECT_THROW(Document().EditTask(Hello, TGroupTask()), EListError);
}

TEST_F(ProjectDocumentTest, ReplacingTheProjectIsReportedAsSuchAndLeavesItUnmodified)
{
    Document().SetModified(true);
    TChangeLog log;
    Document().NewProject();
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_TRUE(log.Changes[0].Has(CP_Replaced));
    EXPECT_FALSE(Project().Modified);
}

// A loaded node shows its whole caption as a node made by an editor does, so an editor's Apply that
// changed nothing is no step, however long the caption.
TEST_F(ProjectDocumentTest, ApplyWithoutAChangeOnALoadedLongMessageIsNoStep)
{
    Hello->Lines = {std::string(60, 'x')};
    Hello->Caption = "Message: " + Hello->Lines[0];
    Document().LoadProjectBytes("long.NPC", SaveProjectBytes(Project()));
    TTask* loaded = Project().TaskTree.GetFirstNode()->Child(1)->Data();
    ASSERT_EQ(loaded->Node->Text(), loaded->Caption);
    TChangeLog log;
    Document().EditTask(loaded, *CopyTask(*loaded));
    EXPECT_TRUE(log.Changes.empty());
    EXPECT_FALSE(Project().Modified);
    EXPECT_FALSE(Document().CanUndo());
}

// A listener that fails while an edit is announced: the step is in the history once (it used to be
// deleted a second time by the document, a use after free under the sanitizers), and undo works.
TEST_F(ProjectDocumentTest, AListenerThatThrowsLeavesTheHistoryWhole)
{
    bool thrown = false;
    const QMetaObject::Connection failing =
        QObject::connect(&Document(), &TProjectDocument::Changed, [&thrown](const TProjectChange&) {
            if (!std::exchange(thrown, true))
                throw std::runtime_error("listener failed");
        });
    EXPECT_THROW(Document().AddTask(std::make_unique<TMessageTask>(std::vector<std::string>{"Late"})),
                 std::runtime_error);
    QObject::disconnect(failing);
    EXPECT_EQ(Document().History().count(), 1);
    EXPECT_EQ(Project().TaskTree.Count(), 4);
    Document().Undo();
    EXPECT_EQ(Project().TaskTree.Count(), 3);
}

TEST_F(ProjectDocumentTest, NoGroupIsMadeWhenTheNumbersAreUsedUp)
{
    Project().NextGroupNumber = std::numeric_limits<std::int32_t>::max();
    const int count = Project().TaskList.TaskCount();
    EXPECT_THROW(Project().NewGroup("Late"), EListError);
    EXPECT_EQ(Project().NextGroupNumber, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Project().TaskList.TaskCount(), count);
    Project().NextGroupNumber = std::numeric_limits<std::int32_t>::max() - 1;
    EXPECT_EQ(Project().NewGroup("Last")->GroupNumber, std::numeric_limits<std::int32_t>::max() - 1);
}

}  // namespace

namespace {

// The captions of a node's children, in order.
std::vector<std::string> ChildTexts(const TTaskNode* parent)
{
    std::vector<std::string> texts;
    for (int i = 0; i < parent->ChildCount(); ++i)
        texts.push_back(parent->Child(i)->Text());
    return texts;
}

struct TAddOrderCase {
    const char* Name;
    bool SelectHello;  // else Start, the group
    std::vector<std::string> Expected;
};

class AddOrderTable : public ProjectDocumentTest, public ::testing::WithParamInterface<TAddOrderCase> {};

// Tasks added one after another keep their order: the selection stays where it was, so each goes
// before the same selected task, or last into the same selected group. Undo and redo keep both.
TEST_P(AddOrderTable, TasksAddedInTurnKeepTheirOrder)
{
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    TTaskNode* selected = GetParam().SelectHello ? Hello->Node : start;
    Project().TaskTree.Select(selected);
    for (const char* line : {"One", "Two", "Three"})
        ASSERT_NE(Document().AddTask(Message({line})), nullptr);
    EXPECT_EQ(ChildTexts(start), GetParam().Expected);
    EXPECT_EQ(Project().TaskTree.Selected(), selected);

    Document().Undo();
    Document().Redo();
    EXPECT_EQ(ChildTexts(start), GetParam().Expected);
    EXPECT_EQ(Project().TaskTree.Selected(), selected);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, AddOrderTable,
    ::testing::Values(
        TAddOrderCase{"BeforeATask", true,
                      {"Shop", "Message: One\r\n", "Message: Two\r\n", "Message: Three\r\n", ""}},
        TAddOrderCase{"LastInAGroup", false,
                      {"Shop", "", "Message: One\r\n", "Message: Two\r\n", "Message: Three\r\n"}}),
    [](const ::testing::TestParamInfo<TAddOrderCase>& info) { return std::string(info.param.Name); });

} // namespace

namespace {

// The NPC window's undo step names the fields it changed, by the window's own names.
struct TNPCEditRow {
    const char* Name;
    std::function<void(TNPC&)> Change;
    std::string UndoName;
};

class NPCEditNameTable : public ProjectDocumentTest, public ::testing::WithParamInterface<TNPCEditRow> {};

TEST_P(NPCEditNameTable, NamesTheFieldsChanged)
{
    TNPC npc = Project().NPCInfo;
    GetParam().Change(npc);
    ASSERT_TRUE(Document().SetNPC(npc));
    EXPECT_EQ(Document().UndoName(), GetParam().UndoName);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, NPCEditNameTable,
    ::testing::Values(
        TNPCEditRow{"Name", [](TNPC& n) { n.Name = "Guide"; }, "Edit NPC name"},
        TNPCEditRow{"Sprite", [](TNPC& n) { n.SpriteID += 1; }, "Edit NPC sprite"},
        TNPCEditRow{"X", [](TNPC& n) { n.X += 1; }, "Edit NPC X position"},
        TNPCEditRow{"Direction", [](TNPC& n) { n.Direction = 4; }, "Edit NPC direction"},
        // Picking another map changes its catalogue position and its name: one field to the user.
        TNPCEditRow{"MapByName", [](TNPC& n) { n.MapIndex = -1; n.MapName = "izlude.gat"; }, "Edit NPC map"},
        TNPCEditRow{"TouchArea", [](TNPC& n) { n.Touch = TTouchArea{2, 3}; }, "Edit NPC touch area"},
        TNPCEditRow{"TwoFields", [](TNPC& n) { n.X += 1; n.Y += 1; }, "Edit NPC X position and Y position"},
        TNPCEditRow{"ThreeFields",
                    [](TNPC& n) {
                        n.SpriteID += 1;
                        n.Direction = 6;
                        n.Name = "Guide";
                    },
                    "Edit NPC sprite, direction and name"}),
    [](const ::testing::TestParamInfo<TNPCEditRow>& info) { return std::string(info.param.Name); });

}  // namespace

namespace {

// A project and a script file's NPC of other servers, side by side: each document reads its own
// server's data, and follows its project when the target changes; one server's documents share one.
TEST(ServerDataTest, EachDocumentReadsItsOwnServersData)
{
    auto catalogues = std::make_shared<TCatalogues>();
    catalogues->Jobs.push_back(std::make_unique<TJob>(TJob{7, "Knight"}));
    const auto servers = std::make_shared<const TServers>(catalogues);
    TProjectDocument project(servers);
    TProjectDocument file(servers);
    TNPCHeader header = file.Project().HeaderInfo;
    header.Target = TServerTarget::RAthena;
    file.SetHeader(header);
    EXPECT_EQ(project.ServerData()->Target(), TServerTarget::EAthena);
    EXPECT_EQ(file.ServerData()->Target(), TServerTarget::RAthena);
    EXPECT_EQ(file.ServerData(), servers->For(TServerTarget::RAthena));
    ASSERT_NE(file.ServerData()->Catalogues().FindJob(7), nullptr);
    EXPECT_EQ(&project.ServerData()->Catalogues(), catalogues.get());
    file.Undo();
    EXPECT_EQ(file.ServerData(), project.ServerData());
}

// One project file read by two documents of different catalogues: each resolves the NPC's map
// and a warp's map against its own, and each writes the map as the file names it.
TEST(ServerDataTest, EachDocumentReadsAProjectAgainstItsOwnCatalogues)
{
    auto withMap = std::make_shared<TCatalogues>();
    withMap->Maps.push_back(std::make_unique<TMap>(TMap{"Izlude", "izlude.gat"}));
    TProjectDocument writer(std::make_shared<const TServers>(withMap));
    writer.Project().NPCInfo.MapName = "izlude.gat";
    auto warp = std::make_unique<TActionTask>("Warp", FindAction("warp"));
    warp->MapName = "izlude.gat";
    writer.Project().AttachTask(writer.Project().TaskTree.GetFirstNode(), std::move(warp));
    const std::string bytes = SaveProjectBytes(writer.Project());

    TProjectDocument with(std::make_shared<const TServers>(withMap));
    TProjectDocument without(std::make_shared<const TServers>(std::make_shared<const TCatalogues>()));
    with.LoadProjectBytes("shared.NPC", bytes);
    without.LoadProjectBytes("shared.NPC", bytes);
    const auto warpOf = [](TProjectDocument& document) {
        return static_cast<const TActionTask*>(document.Project().TaskTree.GetFirstNode()->Child(0)->Data());
    };
    EXPECT_EQ(with.Project().NPCInfo.MapIndex, 0);
    EXPECT_EQ(without.Project().NPCInfo.MapIndex, -1);
    EXPECT_EQ(warpOf(with)->GetParam(0), 0);
    EXPECT_EQ(warpOf(without)->GetParam(0), -1);
    for (TProjectDocument* document : {&with, &without}) {
        std::vector<std::string> lines;
        GenerateScript(document->Project(), lines);
        EXPECT_THAT(lines, ::testing::Contains(::testing::HasSubstr("izlude.gat,"))) << "the NPC line";
        EXPECT_THAT(lines, ::testing::Contains(::testing::HasSubstr("warp \"izlude.gat\"")));
    }
}

}  // namespace
