// The extended project file (version 259): when a project is written in it, its byte layout, the
// map kept by name and the touch area, parents by record position, and that version 258 stays
// as it was for every project that needs nothing new.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include <gmock/gmock.h>

using ::testing::HasSubstr;

namespace {

// A group that says it needs the extended file: stands in for the new task kinds, which write
// their own records.
class TExtendedGroup : public TGroupTask {
public:
    using TGroupTask::TGroupTask;
    bool NeedsExtendedFormat(const TCatalogues& /*catalogues*/) const override { return true; }
};

class ExtendedProjectFileTest : public TaskTest {
protected:
    // A new project's file from its start to the NPC's direction, in version 259 (not an author's
    // header, no other sections).
    static std::string NewProjectStart(std::int32_t version, std::int32_t count)
    {
        return Int32(version) + Int32(count) + Int32(0) + Str("<Name> Script") + Str("<Author> (1.0)") + Str("1.0") +
               Str("Any eAthena Version; RO Episode XX") + Str("<Description>") +
               Str("<Version History and Comments>") + Bytes({0}) + Str("") + Int32(45) + Int32(0) + Int32(0) +
               Int32(1);
    }
    // In version 259 a group's record ends with its label name (empty: the writer's L<number>)
    // and whether it writes no label line (0: it writes one).
    static std::string StartGroupRecord()
    {
        return Bytes({0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}) + Str("Start") + Int32(0) + Str("") + Bytes({0});
    }

    // The project's NPC line, as the script writes it.
    std::string NpcLine()
    {
        std::vector<std::string> lines;
        GenerateScript(Project(), lines);
        for (const std::string& line : lines)
            if (line.find("\tscript\t") != std::string::npos)
                return line;
        return {};
    }
};

// Worked example: a new project whose NPC has a touch area of 2 by 3 cells around it and whose
// map the catalogue has (prontera.gat, index 0): version 259, the map named after the index.
TEST_F(ExtendedProjectFileTest, TouchAreaGivesVersion259WithTheMapByNameAndTheArea)
{
    Project().NPCInfo.Touch = TTouchArea{2, 3};
    const std::string expected = NewProjectStart(259, 1) + Int32(0) + Str("") + Str("prontera.gat") + Bytes({1}) +
                                 Int32(2) + Int32(3) + StartGroupRecord();
    ASSERT_EQ(expected.substr(0, 4), Bytes({0x03, 0x01, 0, 0}));
    EXPECT_EQ(SaveProjectBytes(Project()), expected);
    Document().LoadProjectBytes("touch.NPC", expected);
    EXPECT_EQ(Project().NPCInfo.Touch, (TTouchArea{2, 3}));
    EXPECT_EQ(Project().NPCInfo.MapName, "prontera.gat");
    EXPECT_EQ(Project().NPCInfo.MapIndex, 0);
    EXPECT_EQ(SaveProjectBytes(Project()), expected);
}

struct VersionCase {
    const char* Name;
    std::int32_t MapIndex;
    const char* MapName;
    std::optional<TTouchArea> Touch;
    std::int32_t Version;
    const char* Written;  // the map field of the NPC line
};

class FileVersionTest : public ExtendedProjectFileTest, public ::testing::WithParamInterface<VersionCase> {};

// Version 258 holds the map as a catalogue position only: every NPC whose map that says exactly
// stays 258, byte for byte; a map the catalogue writes otherwise, or lacks, needs 259.
TEST_P(FileVersionTest, IsTheLowestThatHoldsTheNpc)
{
    const VersionCase& row = GetParam();
    TNPC& npc = Project().NPCInfo;
    npc.MapIndex = row.MapIndex;
    npc.MapName = row.MapName;
    npc.Touch = row.Touch;
    const std::string bytes = SaveProjectBytes(Project());
    EXPECT_EQ(bytes.substr(0, 4), Int32(row.Version));
    EXPECT_THAT(NpcLine(), ::testing::StartsWith(std::string(row.Written) + ","));
    // Loading replaces the project, and with it the record npc refers to.
    const std::string mapBefore = NpcMapFile(npc, Project().Catalogues());
    Document().LoadProjectBytes("again.NPC", bytes);
    EXPECT_EQ(NpcMapFile(Project().NPCInfo, Project().Catalogues()), mapBefore) << "the map written changed on loading";
    EXPECT_EQ(Project().NPCInfo.Touch, row.Touch);
    EXPECT_EQ(SaveProjectBytes(Project()), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Npcs, FileVersionTest,
    ::testing::Values(VersionCase{"CatalogueMapByIndex", 1, "", std::nullopt, 258, "izlude.gat"},
                      VersionCase{"NoMap", -1, "", std::nullopt, 258, ""},
                      VersionCase{"NameAsTheCatalogueWritesIt", 1, "izlude.gat", std::nullopt, 258, "izlude.gat"},
                      VersionCase{"NameWithoutGat", 1, "izlude", std::nullopt, 259, "izlude"},
                      VersionCase{"NameInOtherLetterCase", -1, "Prontera.gat", std::nullopt, 259, "Prontera.gat"},
                      VersionCase{"MapTheCatalogueLacks", -1, "payon_in03.gat", std::nullopt, 259, "payon_in03.gat"},
                      VersionCase{"TouchArea", 0, "", TTouchArea{1, 1}, 259, "prontera.gat"},
                      VersionCase{"EmptyTouchArea", 0, "", TTouchArea{0, 0}, 259, "prontera.gat"}),
    TNameOfRow());

// The same 259 project opened with a catalogue in another order (or without the map) writes the
// same map; the index follows the catalogue of the editor reading it.
TEST_F(ExtendedProjectFileTest, MapByNameSurvivesAnotherCatalogue)
{
    Project().NPCInfo.MapIndex = 0;
    Project().NPCInfo.Touch = TTouchArea{4, 0};
    const std::string bytes = SaveProjectBytes(Project());
    std::swap(TestCatalogues().Maps[0], TestCatalogues().Maps[1]);
    Document().LoadProjectBytes("reordered.NPC", bytes);
    EXPECT_EQ(Project().NPCInfo.MapIndex, 1);
    EXPECT_THAT(NpcLine(), ::testing::StartsWith("prontera.gat,0,0,1\tscript\t\t45,4,0,{"));
    TestCatalogues().Maps.clear();
    Document().LoadProjectBytes("nocatalogue.NPC", bytes);
    EXPECT_EQ(Project().NPCInfo.MapIndex, -1);
    EXPECT_THAT(NpcLine(), ::testing::StartsWith("prontera.gat,"));
}

TEST_F(ExtendedProjectFileTest, TaskThatNeedsItGivesVersion259WithParentsByRecordPosition)
{
    // Start (record 0) > Outer (1) > [message (2), Inner (3) > action (4)]
    TGroupTask* outer = AddTask(StartNode(), Project().NewGroup("Outer"));
    AddTask(outer->Node, std::make_unique<TMessageTask>(std::vector<std::string>{"Hi"}));
    TGroupTask* inner = AddTask(outer->Node, std::make_unique<TExtendedGroup>("Inner", Project().NextGroupNumber++));
    AddTask(inner->Node, MakeAction(6, {}));
    const std::string bytes = SaveProjectBytes(Project());
    EXPECT_EQ(bytes.substr(0, 8), Int32(259) + Int32(5));
    TFileReader file("extended.NPC", bytes);
    file.SetVersion(259);
    const std::size_t npcEnd = NewProjectStart(259, 5).size() + 4 + 4 + Str("prontera.gat").size() + 1;
    file.ReadBytes(npcEnd);
    std::vector<std::int32_t> parents;
    for (int record = 0; record < 5; ++record) {
        const std::uint8_t tag = file.ReadByte();
        parents.push_back(file.ReadInt());
        std::unique_ptr<TTask> task = NewTaskOfKind(file, tag);
        task->LoadFromFile(file);
    }
    EXPECT_TRUE(file.AtEnd());
    EXPECT_EQ(parents, (std::vector<std::int32_t>{-1, 0, 1, 1, 3}));
    Document().LoadProjectBytes("extended.NPC", bytes);
    const TTaskNode* loadedInner = Project().TaskTree.GetFirstNode()->Child(0)->Child(1);
    ASSERT_NE(loadedInner, nullptr);
    EXPECT_EQ(loadedInner->Data()->Caption, "Inner");
    EXPECT_EQ(loadedInner->Child(0)->Data()->Kind(), TTaskKind::Action);
}

TEST_F(ExtendedProjectFileTest, GoldenFileAndScript)
{
    BuildEveryKindProject();
    Project().NPCInfo.MapIndex = -1;
    Project().NPCInfo.MapName = "payon_in03";
    Project().NPCInfo.Touch = TTouchArea{3, 2};
    const std::string bytes = SaveProjectBytes(Project());
    EXPECT_EQ(CompareWithGolden("project-extended.NPC", bytes), "");
    std::vector<std::string> lines;
    EXPECT_FALSE(GenerateScript(Project(), lines).HasProblems());
    EXPECT_EQ(CompareWithGolden("project-extended.txt", JoinScriptLines(lines)), "");
    // The fuzzer's seed is the same file, so the fuzzer starts from a valid 259 project.
    EXPECT_EQ(ReadBytes(SourceDir() / "fuzz" / "corpus" / "project" / "extended-259.NPC"), bytes);
}

TEST_F(ExtendedProjectFileTest, EveryTruncationOfTheGoldenFileIsRefused)
{
    const std::string bytes = ReadBytes(SourceDir() / "tests" / "golden" / "project-extended.NPC");
    ASSERT_GT(bytes.size(), 1000u);
    for (std::size_t size = 0; size < bytes.size(); ++size)
        EXPECT_THROW(CheckProjectBytes("cut.NPC", bytes.substr(0, size)), EInOutError) << size << " bytes";
    EXPECT_NO_THROW(CheckProjectBytes("whole.NPC", bytes));
}

}  // namespace
