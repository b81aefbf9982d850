// The project file: byte layout, round trips, old versions, the state a save or load changes, and
// saves that fail.

#include "TaskFixture.h"
#include "TestSupport.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

using ::testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

class ProjectFileTest : public TaskTest {
protected:
    // The file of a new project, section by section, as the version and header flag ask.
    static std::string NewProjectFile(std::int32_t version, bool withHeader)
    {
        std::string bytes = Int32(version) + Int32(1) + Int32(0);
        if (withHeader)
            bytes += Str("<Name> Script") + Str("<Author> (1.0)") + Str("1.0") +
                     Str("Any eAthena Version; RO Episode XX") + Str("<Description>") +
                     Str("<Version History and Comments>");
        bytes += Int32(45) + Int32(0) + Int32(0) + Int32(1) + Int32(0) + Str("");
        bytes += Bytes({0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}) + Str("Start") + Int32(0);
        return bytes;
    }

    TTempDir Dir;
};

class RecordingObserver : public TTreeObserver {
public:
    void BeginReset() override { Events += "begin "; }
    void EndReset() override { Events += "end "; }
    void BeginInsert(TTaskNode*, int) override { Events += "insert "; }
    void SelectionChanged(TTaskNode* node) override { Events += node ? "select " : "select-none "; }
    std::string Events;
};

TEST_F(ProjectFileTest, NewProjectSavedAtOnceIsByteExact)
{
    const std::string expected = NewProjectFile(258, true);
    ASSERT_EQ(expected.substr(0, 12), Bytes({0x02, 0x01, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(SaveProjectBytes(), expected);
    const std::string path = (Dir / "new.NPC").string();
    SaveProject(path);
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(ProjectFileTest, EveryKindProjectMatchesItsGoldenFileAndScript)
{
    BuildEveryKindProject();
    EXPECT_EQ(CompareWithGolden("project-every-kind.NPC", SaveProjectBytes()), "");
    std::vector<std::string> lines;
    const TScriptResult result = GenerateScript(TaskTree, lines);
    EXPECT_FALSE(result.HasProblems());
    EXPECT_EQ(CompareWithGolden("project-every-kind.txt", JoinScriptLines(lines)), "");
}

TEST_F(ProjectFileTest, EveryKindProjectRoundTripsToTheSameTreeRecordsAndBytes)
{
    BuildEveryKindProject();
    const std::string path = (Dir / "every.NPC").string();
    SaveProject(path);
    const std::string before = ProjectSnapshot(false);
    const std::string bytes = ReadBytes(path);
    std::vector<std::string> scriptBefore;
    GenerateScript(TaskTree, scriptBefore);

    NewProject();
    LoadProject(path);
    EXPECT_EQ(ProjectSnapshot(false), before);
    EXPECT_EQ(SaveProjectBytes(), bytes);
    std::vector<std::string> scriptAfter;
    GenerateScript(TaskTree, scriptAfter);
    EXPECT_EQ(scriptAfter, scriptBefore);
}

TEST_F(ProjectFileTest, LoadedNodesShowFullCaptionsAndTheFirstIsSelected)
{
    const std::string longCaption(300, 'x');
    auto message = std::make_unique<TMessageTask>(std::vector<std::string>{"Hi"});
    message->Caption = longCaption;
    Add(StartNode(), std::move(message));
    const std::string bytes = SaveProjectBytes();
    TaskTree.Select(TaskTree.GetFirstNode()->Child(0));
    LoadProjectBytes("long.NPC", bytes);
    ASSERT_EQ(TaskTree.Count(), 2);
    EXPECT_EQ(TaskTree.GetFirstNode()->Child(0)->Text(), longCaption);
    EXPECT_EQ(TaskTree.Selected(), TaskTree.GetFirstNode());
    EXPECT_EQ(TaskTree.GetFirstNode()->Child(0)->Data()->Node, TaskTree.GetFirstNode()->Child(0));
}

TEST_F(ProjectFileTest, OldVersionHasNoHeaderAndKeepsTheHeaderInMemory)
{
    for (const std::int32_t version : {257, 1, 0}) {
        std::string bytes = NewProjectFile(version, false);
        HeaderInfo.ScriptName = "Kept";
        HeaderInfo.Comments = "kept\r\ntoo";
        const TNPCHeader header = HeaderInfo;
        NPCInfo.Name = "Replaced";
        LoadProjectBytes("old.NPC", bytes);
        EXPECT_EQ(HeaderInfo, header) << "version " << version;
        EXPECT_EQ(NPCInfo, (TNPC{45, 0, 0, 1, 0, ""}));
        EXPECT_EQ(TaskList.TaskCount(), 1);
    }
}

TEST_F(ProjectFileTest, NewerVersionIsRefused)
{
    EXPECT_THROW(LoadProjectBytes("new.NPC", NewProjectFile(259, true)), EInOutError);
}

TEST_F(ProjectFileTest, GroupsSavedInDisplayOrderAndNumberingContinuesAfterTheHighest)
{
    TGroupTask* one = AddGroup(StartNode(), "One");
    TGroupTask* two = AddGroup(StartNode(), "Two");
    Add(two->Node, MakeAction(6, {}));
    TaskTree.MoveBefore(two->Node, one->Node);
    const std::string bytes = SaveProjectBytes();
    // Start (0), then Two (2) before One (1): two's record precedes one's.
    EXPECT_LT(bytes.find(Str("Two") + Int32(2)), bytes.find(Str("One") + Int32(1)));

    LoadProjectBytes("moved.NPC", bytes);
    EXPECT_EQ(NextGroupNumber, 3);
    TGroupTask fresh("New Group");
    EXPECT_EQ(fresh.GroupNumber, 3);
    TTaskNode* start = TaskTree.GetFirstNode();
    ASSERT_EQ(start->ChildCount(), 2);
    EXPECT_EQ(start->Child(0)->Text(), "Two");
    EXPECT_EQ(start->Child(0)->ChildCount(), 1);
    EXPECT_EQ(start->Child(1)->Text(), "One");
}

TEST_F(ProjectFileTest, TaskListOrderAfterLoadingIsDisplayOrder)
{
    TGroupTask* group = AddGroup(StartNode(), "G");
    TaskTree.Insert(group->Node, "first", nullptr);  // node without task: not saved below
    TaskTree.Delete(TaskTree.GetFirstNode()->Child(0));
    Add(StartNode(), MakeAction(5, {}));
    TaskTree.MoveToEnd(group->Node, StartNode());
    LoadProjectBytes("order.NPC", SaveProjectBytes());
    for (int i = 0; i < TaskList.TaskCount(); ++i)
        EXPECT_EQ(TaskList.TaskAt(i)->Node->AbsoluteIndex(), i);
}

// ---- State changes --------------------------------------------------------------------------

TEST_F(ProjectFileTest, SaveSetsFileNameClearsModifiedAndChangesNothingElse)
{
    BuildEveryKindProject();
    SetModified(true);
    TChangeLog log;
    const std::vector<const void*> identity = ProjectIdentity();
    const TNPCHeader header = HeaderInfo;
    const TNPC npc = NPCInfo;
    const std::int32_t next = NextGroupNumber;
    const std::string path = (Dir / "saved.NPC").string();
    SaveProject(path);
    EXPECT_EQ(ProjectFileName, path);
    EXPECT_FALSE(Modified);
    EXPECT_EQ(log.Count(CP_State), 1);
    EXPECT_EQ(log.Changes.size(), 1u);
    EXPECT_EQ(ProjectIdentity(), identity);
    EXPECT_EQ(HeaderInfo, header);
    EXPECT_EQ(NPCInfo, npc);
    EXPECT_EQ(NextGroupNumber, next);
}

TEST_F(ProjectFileTest, SaveWithoutChangesStillTellsTheTitleAboutTheNewName)
{
    TChangeLog log;
    SaveProject((Dir / "a.NPC").string());
    EXPECT_EQ(log.Count(CP_State), 1);
}

TEST_F(ProjectFileTest, LoadReplacesEverythingButModifiedAndTellsTheWindows)
{
    BuildEveryKindProject();
    const std::string path = (Dir / "every.NPC").string();
    SaveProject(path);
    const std::string expected = ProjectSnapshot(false);

    NewProject();
    SetModified(true);
    ProjectFileName = "other.NPC";
    TChangeLog log;
    RecordingObserver observer;
    TaskTree.AddObserver(&observer);
    LoadProject(path);
    TaskTree.RemoveObserver(&observer);

    EXPECT_TRUE(Modified);
    EXPECT_EQ(ProjectFileName, path);
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_TRUE(log.Changes[0].Has(CP_Replaced));
    EXPECT_TRUE(log.Changes[0].Has(CP_State));
    EXPECT_EQ(observer.Events, "begin end select ");
    SetModified(false);
    EXPECT_EQ(ProjectSnapshot(false), expected);
}

// ---- Saves that fail ------------------------------------------------------------------------

class FailedSaveTest : public ProjectFileTest {
protected:
    void SetUp() override
    {
        ProjectFileTest::SetUp();
        SetModified(true);
        ProjectFileName = "before.NPC";
    }
    void ExpectStateKept()
    {
        EXPECT_TRUE(Modified);
        EXPECT_EQ(ProjectFileName, "before.NPC");
    }
};

TEST_F(FailedSaveTest, FolderThatDoesNotExist)
{
    const std::string path = (Dir / "missing" / "p.NPC").string();
    try {
        SaveProject(path);
        FAIL() << "saved into a folder that does not exist";
    } catch (const EInOutError& error) {
        EXPECT_THAT(error.what(), HasSubstr(path));
    }
    ExpectStateKept();
    EXPECT_FALSE(fs::exists(Dir / "missing"));
}

TEST_F(FailedSaveTest, TargetIsAFolder)
{
    fs::create_directory(Dir / "taken.NPC");
    EXPECT_THROW(SaveProject((Dir / "taken.NPC").string()), EInOutError);
    ExpectStateKept();
    EXPECT_TRUE(fs::is_directory(Dir / "taken.NPC"));
}

TEST_F(FailedSaveTest, ReadOnlyFolderKeepsTheOldFileByteForByte)
{
    const fs::path folder = Dir / "locked";
    fs::create_directory(folder);
    const std::string old = "old project bytes";
    WriteBytes(folder / "p.NPC", old);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    const bool enforced = !std::ofstream(folder / "probe");
    if (!enforced) {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
        GTEST_SKIP() << "folder permissions are not enforced for this user (running as root?)";
    }
    const std::string path = (folder / "p.NPC").string();
    try {
        SaveProject(path);
        ADD_FAILURE() << "saved into a read-only folder";
    } catch (const EInOutError& error) {
        EXPECT_THAT(error.what(), HasSubstr(path));
    }
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(ReadBytes(folder / "p.NPC"), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    ExpectStateKept();
}

TEST_F(ProjectFileTest, SavingOverAnOldFileReplacesItWhole)
{
    const fs::path path = Dir / "p.NPC";
    WriteBytes(path, std::string(10000, 'z'));
    SaveProject(path.string());
    EXPECT_EQ(ReadBytes(path), NewProjectFile(258, true));
}

}  // namespace
