// The project file: byte layout, round trips, old versions, the state a save or load changes, and
// saves that fail.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

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
    EXPECT_EQ(SaveProjectBytes(Project()), expected);
    const std::string path = (Dir / "new.NPC").string();
    Document().SaveProject(path);
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(ProjectFileTest, EveryKindProjectMatchesItsGoldenFileAndScript)
{
    BuildEveryKindProject();
    EXPECT_EQ(CompareWithGolden("project-every-kind.NPC", SaveProjectBytes(Project())), "");
    std::vector<std::string> lines;
    const TScriptResult result = GenerateScript(Project(), lines);
    EXPECT_FALSE(result.HasProblems());
    EXPECT_EQ(CompareWithGolden("project-every-kind.txt", JoinScriptLines(lines)), "");
}

TEST_F(ProjectFileTest, EveryKindProjectRoundTripsToTheSameTreeRecordsAndBytes)
{
    BuildEveryKindProject();
    const std::string path = (Dir / "every.NPC").string();
    Document().SaveProject(path);
    const std::string before = ProjectSnapshot(false);
    const std::string bytes = ReadBytes(path);
    std::vector<std::string> scriptBefore;
    GenerateScript(Project(), scriptBefore);

    Document().NewProject();
    Document().LoadProject(path);
    EXPECT_EQ(ProjectSnapshot(false), before);
    EXPECT_EQ(SaveProjectBytes(Project()), bytes);
    std::vector<std::string> scriptAfter;
    GenerateScript(Project(), scriptAfter);
    EXPECT_EQ(scriptAfter, scriptBefore);
}

TEST_F(ProjectFileTest, LoadedNodesShowFullCaptionsAndTheFirstIsSelected)
{
    const std::string longCaption(300, 'x');
    auto message = std::make_unique<TMessageTask>(std::vector<std::string>{"Hi"});
    message->Caption = longCaption;
    Add(StartNode(), std::move(message));
    const std::string bytes = SaveProjectBytes(Project());
    Project().TaskTree.Select(Project().TaskTree.GetFirstNode()->Child(0));
    Document().LoadProjectBytes("long.NPC", bytes);
    ASSERT_EQ(Project().TaskTree.Count(), 2);
    EXPECT_EQ(Project().TaskTree.GetFirstNode()->Child(0)->Text(), longCaption);
    EXPECT_EQ(Project().TaskTree.Selected(), Project().TaskTree.GetFirstNode());
    EXPECT_EQ(Project().TaskTree.GetFirstNode()->Child(0)->Data()->Node, Project().TaskTree.GetFirstNode()->Child(0));
}

// A file from before the header record gets the header of a new project, never the texts of the
// project that happened to be open before it.
TEST_F(ProjectFileTest, OldVersionHasNoHeaderAndGetsANewProjectsHeader)
{
    for (const std::int32_t version : {257, 1, 0}) {
        std::string bytes = NewProjectFile(version, false);
        Project().HeaderInfo.ScriptName = "Not this one";
        Project().HeaderInfo.Comments = "left\r\nbehind";
        Project().NPCInfo.Name = "Replaced";
        Document().LoadProjectBytes("old.NPC", bytes);
        EXPECT_EQ(Project().HeaderInfo, DefaultHeader()) << "version " << version;
        EXPECT_EQ(Project().NPCInfo, (TNPC{45, 0, 0, 1, 0, ""}));
        EXPECT_EQ(Project().TaskList.TaskCount(), 1);
    }
}

TEST_F(ProjectFileTest, NewerVersionIsRefused)
{
    EXPECT_THROW(Document().LoadProjectBytes("new.NPC", NewProjectFile(260, true)), EInOutError);
}

TEST_F(ProjectFileTest, GroupsSavedInDisplayOrderAndNumberingContinuesAfterTheHighest)
{
    TGroupTask* one = AddGroup(StartNode(), "One");
    TGroupTask* two = AddGroup(StartNode(), "Two");
    Add(two->Node, MakeAction(6, {}));
    Project().TaskTree.MoveBefore(two->Node, one->Node);
    const std::string bytes = SaveProjectBytes(Project());
    // Start (0), then Two (2) before One (1): two's record precedes one's.
    EXPECT_LT(bytes.find(Str("Two") + Int32(2)), bytes.find(Str("One") + Int32(1)));

    Document().LoadProjectBytes("moved.NPC", bytes);
    EXPECT_EQ(Project().NextGroupNumber, 3);
    EXPECT_EQ(Project().NewGroup("New Group")->GroupNumber, 3);
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    ASSERT_EQ(start->ChildCount(), 2);
    EXPECT_EQ(start->Child(0)->Text(), "Two");
    EXPECT_EQ(start->Child(0)->ChildCount(), 1);
    EXPECT_EQ(start->Child(1)->Text(), "One");
}

TEST_F(ProjectFileTest, TaskListOrderAfterLoadingIsDisplayOrder)
{
    TGroupTask* group = AddGroup(StartNode(), "G");
    Project().TaskTree.Insert(group->Node, "first", nullptr);  // node without task: not saved below
    Project().TaskTree.Delete(Project().TaskTree.GetFirstNode()->Child(0));
    Add(StartNode(), MakeAction(5, {}));
    Project().TaskTree.MoveToEnd(group->Node, StartNode());
    Document().LoadProjectBytes("order.NPC", SaveProjectBytes(Project()));
    for (int i = 0; i < Project().TaskList.TaskCount(); ++i)
        EXPECT_EQ(Project().TaskList.TaskAt(i)->Node->AbsoluteIndex(), i);
}

// ---- State changes --------------------------------------------------------------------------

TEST_F(ProjectFileTest, SaveSetsFileNameClearsModifiedAndChangesNothingElse)
{
    BuildEveryKindProject();
    Document().SetModified(true);
    TChangeLog log;
    const std::vector<const void*> identity = ProjectIdentity();
    const TNPCHeader header = Project().HeaderInfo;
    const TNPC npc = Project().NPCInfo;
    const std::int32_t next = Project().NextGroupNumber;
    const std::string path = (Dir / "saved.NPC").string();
    Document().SaveProject(path);
    EXPECT_EQ(Project().ProjectFileName, path);
    EXPECT_FALSE(Project().Modified);
    EXPECT_EQ(log.Count(CP_State), 1);
    EXPECT_EQ(log.Changes.size(), 1u);
    EXPECT_EQ(ProjectIdentity(), identity);
    EXPECT_EQ(Project().HeaderInfo, header);
    EXPECT_EQ(Project().NPCInfo, npc);
    EXPECT_EQ(Project().NextGroupNumber, next);
}

TEST_F(ProjectFileTest, SaveWithoutChangesStillTellsTheTitleAboutTheNewName)
{
    TChangeLog log;
    Document().SaveProject((Dir / "a.NPC").string());
    EXPECT_EQ(log.Count(CP_State), 1);
}

TEST_F(ProjectFileTest, LoadReplacesTheProjectAsSavedAndTellsTheWindows)
{
    BuildEveryKindProject();
    const std::string path = (Dir / "every.NPC").string();
    Document().SaveProject(path);
    const std::string expected = ProjectSnapshot(false);

    Document().NewProject();
    Document().AddTask(std::make_unique<TManualTask>(std::vector<std::string>{"end;"}));
    ASSERT_TRUE(Project().Modified);
    const TProject* before = &Project();
    TChangeLog log;
    // The listeners hear of the new project while the old one still exists, so that they can let
    // go of it.
    bool oldProjectAlive = false;
    const QMetaObject::Connection listening =
        QObject::connect(&Document(), &TProjectDocument::Changed,
                         [&](const TProjectChange&) { oldProjectAlive = before->TaskTree.Count() == 2; });
    Document().LoadProject(path);
    QObject::disconnect(listening);

    EXPECT_NE(&Project(), before);
    EXPECT_TRUE(oldProjectAlive);
    EXPECT_FALSE(Project().Modified);
    EXPECT_FALSE(Document().CanUndo());
    EXPECT_EQ(Project().ProjectFileName, path);
    ASSERT_EQ(log.Changes.size(), 1u);
    EXPECT_TRUE(log.Changes[0].Has(CP_Replaced));
    EXPECT_TRUE(log.Changes[0].Has(CP_State));
    EXPECT_EQ(ProjectSnapshot(false), expected);
}

// ---- Where a save lands ----------------------------------------------------------------------

// A project kept behind a link (in a shared folder, say) stays behind it: the file it names gets
// the new bytes, and so does the side file beside the link.
TEST_F(ProjectFileTest, SavingThroughASymbolicLinkKeepsTheLink)
{
    fs::create_directory(Dir / "store");
    WriteBytes(Dir / "store" / "real.NPC", "old");
    fs::create_symlink(fs::path("store") / "real.NPC", Dir / "link.NPC");
    Project().HeaderInfo.Target = TServerTarget::RAthena;
    Document().SaveProject((Dir / "link.NPC").string());
    EXPECT_TRUE(fs::is_symlink(Dir / "link.NPC"));
    EXPECT_EQ(ReadBytes(Dir / "store" / "real.NPC"), SaveProjectBytes(Project()));
    EXPECT_EQ(ReadBytes(Dir / "link.NPC.server"), "server=rathena\r\n");
}

// What a save that died between writing and renaming left behind goes with the next save of the
// same file; a save still running in this process keeps its file.
TEST_F(ProjectFileTest, TemporariesOfADeadSaveAreRemovedByTheNextSave)
{
    const fs::path dead = Dir / "p.NPC.tmp999999999-0";
    const fs::path running = Dir / ("p.NPC.tmp" + std::to_string(::getpid()) + "-7");
    const fs::path other = Dir / "q.NPC.tmp999999999-0";
    for (const fs::path& path : {dead, running, other})
        WriteBytes(path, "half");
    Document().SaveProject((Dir / "p.NPC").string());
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(other));
}

// ---- Saves that fail ------------------------------------------------------------------------

class FailedSaveTest : public ProjectFileTest {
protected:
    void SetUp() override
    {
        ProjectFileTest::SetUp();
        Document().SetModified(true);
        Project().ProjectFileName = "before.NPC";
    }
    void ExpectStateKept()
    {
        EXPECT_TRUE(Project().Modified);
        EXPECT_EQ(Project().ProjectFileName, "before.NPC");
    }
};

TEST_F(FailedSaveTest, FolderThatDoesNotExist)
{
    const std::string path = (Dir / "missing" / "p.NPC").string();
    try {
        Document().SaveProject(path);
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
    EXPECT_THROW(Document().SaveProject((Dir / "taken.NPC").string()), EInOutError);
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
        Document().SaveProject(path);
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
    Document().SaveProject(path.string());
    EXPECT_EQ(ReadBytes(path), NewProjectFile(258, true));
}

}  // namespace
