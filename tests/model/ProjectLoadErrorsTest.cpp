// Project files that must not load: every bad input is an error naming the file, and the project
// in memory stays exactly as it was (same objects, same records, no window told anything).

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include <gmock/gmock.h>

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

std::string FileHeader(std::int32_t count, std::int32_t version = 258)
{
    std::string bytes = Int32(version) + Int32(count) + Int32(0);
    for (int i = 0; i < 6; ++i)
        bytes += Str("h");
    if (version >= 259)
        bytes += Bytes({0}) + Str("");  // not an author's header, no other sections
    return bytes + Int32(45) + Int32(1) + Int32(2) + Int32(3) + Int32(0) + Str("Npc");
}

// Version 259: the NPC record goes on with the map's name and the touch area flag (0: none).
std::string ExtendedHeader(std::int32_t count, const std::string& touch = Bytes({0}))
{
    return FileHeader(count, 259) + Str("prontera.gat") + touch;
}

std::string TaskRecord(int tag, std::int32_t parent, const std::string& body, const std::string& caption = "t")
{
    return Bytes({tag}) + Int32(parent) + Bytes({0}) + Str(caption) + body;
}

std::string Group(std::int32_t parent, std::int32_t number)
{
    return TaskRecord(0, parent, Int32(number), "g" + std::to_string(number));
}

std::string Root()
{
    return Group(-1, 0);
}

// Version 259: a group's record ends with its label name (empty: the writer's L<number>) and
// whether it writes no label line at all (0: it writes one).
std::string XGroup(std::int32_t parent, std::int32_t number)
{
    return Group(parent, number) + Str("") + Bytes({0});
}

std::string XRoot()
{
    return XGroup(-1, 0);
}

// Version 260: one task, the root, whose name is followed by its kept head and end (kept).
std::string KeptHeader()
{
    return FileHeader(1, 260) + Str("prontera.gat") + Bytes({0});
}

std::string KeptRoot(const std::string& kept)
{
    return Bytes({0}) + Int32(-1) + Bytes({0}) + Str("g0") + kept + Int32(0) + Str("") + Bytes({0});
}

// No kept header, NPC line or closing brace; the indent unit.
std::string KeptFrame(const std::string& unit)
{
    return Bytes({0, 0, 0}) + Str(unit);
}

// Groups each inside the previous one, the innermost at the given level.
std::string Chain(int deepestLevel)
{
    std::string records = Root();
    for (int level = 1; level <= deepestLevel; ++level)
        records += Group(level - 1, level);
    return FileHeader(deepestLevel + 1) + records;
}

// The same in version 259, where the parent is the previous record.
std::string ExtendedChain(int deepestLevel)
{
    std::string records = XRoot();
    for (int level = 1; level <= deepestLevel; ++level)
        records += XGroup(level - 1, level);
    return ExtendedHeader(deepestLevel + 1) + records;
}

struct BadFile {
    const char* Name;
    std::string Bytes;
    const char* Message;  // part of the message after "bad.NPC: "
};

std::vector<BadFile> BadFiles()
{
    const std::string close = TaskRecord(1, 0, Int32(6));
    return {
        {"EmptyFile", "", "bad.NPC: the file ends inside the file header: 4 more bytes expected"},
        {"NewerVersion", FileHeader(1, 261) + Root(), "version 261, newer than this editor reads (260)"},
        {"NoTasks", FileHeader(0), "holds no tasks"},
        {"NegativeTaskCount", FileHeader(-1) + Root(), "holds no tasks"},
        {"HugeTaskCount", FileHeader(2147483647) + Root(), "task count 2147483647"},
        {"CountLargerThanRecords", FileHeader(3) + Root() + close, "the file ends after task 2, but its header counts 3 tasks"},
        {"CountSmallerThanRecords", FileHeader(1) + Root() + close,
         "the file goes on for 15 bytes after task 1, but its header counts 1 task"},
        {"BytesAfterTheLastRecord", FileHeader(2) + Root() + close + Bytes({0}), "goes on for 1 byte after task 2"},
        {"CutInsideTheFileHeader", Int32(258) + Int32(1) + Bytes({0}), "the file ends inside the file header: 3 more bytes expected"},
        {"CutInsideTheHeaderRecord", Int32(258) + Int32(1) + Int32(0) + Str("h") + Bytes({9}),
         "the file ends inside the header record: 3 more bytes expected"},
        {"CutInsideATaskRecord", FileHeader(2) + Root() + TaskRecord(1, 0, Bytes({6, 0})),
         "the file ends inside the record of task 2: 2 more bytes expected"},
        {"TagSix", FileHeader(2) + Root() + TaskRecord(6, 0, ""), "task kind 6"},
        {"TagFF", FileHeader(2) + Root() + TaskRecord(255, 0, ""), "task kind 255"},
        {"FirstNotAGroup", FileHeader(1) + TaskRecord(1, -1, Int32(6)), "not an NPC project"},
        {"FirstWithAParent", FileHeader(1) + Group(0, 0), "not an NPC project"},
        {"FirstKindUnknown", FileHeader(1) + TaskRecord(200, -1, ""), "not an NPC project"},
        {"PngPicture", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "the file is not an NPC project"},
        {"JpegPicture", std::string("\xff\xd8\xff\xe0\0\x10JFIF\0", 11), "the file is not an NPC project"},
        {"VersionBeyondSixteenBits", FileHeader(1, 65536) + Root(), "the file is not an NPC project"},
        {"NegativeVersion", FileHeader(1, -5) + Root(), "the file is not an NPC project"},
        {"HighestPlausibleVersionIsNewer", FileHeader(1, 65535) + Root(), "version 65535, newer than"},
        {"SecondRoot", FileHeader(2) + Root() + Group(-1, 1), "second top-level task"},
        {"SecondRootAction", FileHeader(2) + Root() + TaskRecord(1, -1, Int32(6)), "second top-level task"},
        {"ParentNamesNoGroup", FileHeader(2) + Root() + TaskRecord(1, 5, Int32(6)), "group 5"},
        {"ParentNamesALaterGroup", FileHeader(3) + Root() + TaskRecord(1, 1, Int32(6)) + Group(0, 1), "group 1"},
        {"ParentNamesItself", FileHeader(2) + Root() + Group(1, 1), "group 1"},
        {"DuplicateGroupNumbers", FileHeader(3) + Root() + Group(0, 1) + Group(0, 1), "group number 1 is used twice"},
        {"GroupRepeatsTheRoot", FileHeader(2) + Root() + Group(0, 0), "group number 0 is used twice"},
        {"NegativeGroupNumber", FileHeader(2) + Root() + Group(0, -1), "group number -1"},
        {"LastPossibleGroupNumber", FileHeader(2) + Root() + Group(0, 2147483647), "group number 2147483647"},
        {"NegativeStringLength", FileHeader(1) + Bytes({0}) + Int32(-1) + Bytes({0}) + Int32(-1),
         "negative length"},
        {"StringPastTheEnd", FileHeader(1) + Bytes({0}) + Int32(-1) + Bytes({0}) + Int32(100) + "Start",
         "runs past the end"},
        {"NameFlagTwo", FileHeader(1) + Bytes({0}) + Int32(-1) + Bytes({2}) + Str("Start") + Int32(0), "flag"},
        {"ActionIndexPastTheList", FileHeader(2) + Root() + TaskRecord(1, 0, Int32(21)), "action index 21"},
        {"ActionIndexMinusOne", FileHeader(2) + Root() + TaskRecord(1, 0, Int32(-1)), "action index -1"},
        {"VariableIndexPastTheList",
         FileHeader(2) + Root() + TaskRecord(3, 0, Int32(0) + Int32(1) + Int32(2) + Int32(5) + Int32(8)),
         "variable index 8"},
        {"CheckActionIndexPastTheList",
         FileHeader(2) + Root() +
             TaskRecord(3, 0, Int32(0) + Int32(1) + Int32(2) + Int32(5) + Int32(-1) + Bytes({0}) + Str("") + Int32(99)),
         "action index 99"},
        {"HugeCheckCount", FileHeader(2) + Root() + TaskRecord(3, 0, Int32(0) + Int32(-2147483647 - 1)),
         "check count"},
        {"HugeCheckCountPositive", FileHeader(2) + Root() + TaskRecord(3, 0, Int32(0) + Int32(2147483647)),
         "check count 2147483647"},
        {"HugeMenuCount", FileHeader(2) + Root() + TaskRecord(4, 0, Int32(1073741824)), "entry count 1073741824"},
        {"HugeLineCount", FileHeader(2) + Root() + TaskRecord(2, 0, Int32(2147483647)), "line count 2147483647"},
        {"NegativeLineCount", FileHeader(2) + Root() + TaskRecord(5, 0, Int32(-1)), "line count -1"},
        {"NestedTooDeep", Chain(1001), "groups nest deeper than 1000 levels"},
        {"UnknownConditionType", FileHeader(2) + Root() + TaskRecord(3, 0, Int32(0) + Int32(1) + Int32(9) + Int32(0)),
         "condition type 9"},
        // Version 259: the same checks, parents by record position, the NPC's additions.
        {"ExtendedNoTasks", ExtendedHeader(0), "holds no tasks"},
        {"ExtendedHugeTaskCount", ExtendedHeader(2147483647) + XRoot(), "task count 2147483647"},
        {"ExtendedSecondRoot", ExtendedHeader(2) + XRoot() + XGroup(-1, 1), "second top-level task"},
        {"ExtendedFirstWithAParent", ExtendedHeader(1) + XGroup(0, 0), "not an NPC project"},
        {"ExtendedParentIsItself", ExtendedHeader(2) + XRoot() + XGroup(1, 1), "record 1, which is not a record before it"},
        {"ExtendedParentComesLater", ExtendedHeader(3) + XRoot() + TaskRecord(1, 2, Int32(6)) + XGroup(0, 1),
         "record 2, which is not a record before it"},
        {"ExtendedParentBelowMinusOne", ExtendedHeader(2) + XRoot() + TaskRecord(1, -2, Int32(6)),
         "record -2, which is not a record before it"},
        {"ExtendedParentHoldsNoTasks",
         ExtendedHeader(3) + XRoot() + TaskRecord(1, 0, Int32(6) + Str("")) + TaskRecord(1, 1, Int32(6) + Str("")),
         "record 1, a task that holds no tasks"},
        {"ExtendedParentByGroupNumber", ExtendedHeader(3) + XRoot() + XGroup(0, 7) + TaskRecord(1, 7, Int32(6)),
         "record 7, which is not a record before it"},
        {"ExtendedDuplicateGroupNumbers", ExtendedHeader(3) + XRoot() + XGroup(0, 1) + XGroup(0, 1), "used twice"},
        {"ExtendedTagPastTheKinds", ExtendedHeader(2) + XRoot() + TaskRecord(200, 0, ""), "task kind 200"},
        {"ExtendedTagFF", ExtendedHeader(2) + XRoot() + TaskRecord(255, 0, ""), "task kind 255"},
        {"ExtendedAuthorFlagTwo", FileHeader(1, 258).substr(0, 12).replace(0, 4, Int32(259)) +
                                      Str("h") + Str("h") + Str("h") + Str("h") + Str("h") + Str("h") + Bytes({2}),
         "author flag is 2"},
        {"ExtendedTouchFlagTwo", ExtendedHeader(1, Bytes({2})) + XRoot(), "touch area flag is 2"},
        {"ExtendedTouchAreaCut", ExtendedHeader(1, Bytes({1}) + Int32(3)), "the file ends inside the NPC record: 4 more bytes expected"},
        {"ExtendedMapNamePastTheEnd", FileHeader(1, 259) + Int32(1000) + "prontera.gat", "runs past the end of the file (in the NPC record)"},
        {"ExtendedMapNameNegative", FileHeader(1, 259) + Int32(-7), "negative length -7"},
        {"ExtendedHugeLineCount", ExtendedHeader(2) + XRoot() + TaskRecord(2, 0, Int32(2147483647)), "line count"},
        {"ExtendedNestedTooDeep", ExtendedChain(1001), "nest deeper than 1000 levels"},
        {"NewKindInVersion258", FileHeader(2) + Root() + TaskRecord(6, 0, ""), "task kind 6 is not one of 0 to 5"},
        // Version 260: the kept source after each task's name, the NPC's kept frame at the end.
        {"KeptFlagTwo", KeptHeader() + KeptRoot(Bytes({2, 0})) + KeptFrame("\t"), "kept source's flag 2"},
        {"KeptLeadPastItsLines",
         KeptHeader() + KeptRoot(Bytes({1}) + Int32(1) + Str("x") + Int32(0) + Int32(5) + Int32(0) + Bytes({0, 0})) +
             KeptFrame("\t"),
         "5 lines before its code, of 1"},
        {"KeptJoinsNegative",
         KeptHeader() + KeptRoot(Bytes({1}) + Int32(0) + Int32(0) + Int32(0) + Int32(-3) + Bytes({0, 0})) + KeptFrame("\t"),
         "joins -3 stretches"},
        {"KeptIndentUnitNoBlanks", KeptHeader() + KeptRoot(Bytes({0, 0})) + KeptFrame("x"), "indent unit is no run of blanks"},
        {"KeptFrameMissing", KeptHeader() + KeptRoot(Bytes({0, 0})), "ends inside the kept source of the NPC"},
    };
}

class ProjectLoadErrorTest : public TaskTest {
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        BuildEveryKindProject();
        Document().SetModified(true);
        Project().ProjectFileName = "current.NPC";
        Project().NextGroupNumber = 17;
        Snapshot_ = ProjectSnapshot();
        Identity_ = ProjectIdentity();
        Log_ = std::make_unique<TChangeLog>();
        Project().TaskTree.AddObserver(&Observer_);
    }
    void TearDown() override
    {
        Project().TaskTree.RemoveObserver(&Observer_);
        TaskTest::TearDown();
    }

    // Loads bytes, expects an error naming the file, and returns its message.
    std::string ExpectLoadFails(const std::string& bytes)
    {
        try {
            Document().LoadProjectBytes("bad.NPC", bytes);
        } catch (const EInOutError& error) {
            EXPECT_THAT(error.what(), StartsWith("bad.NPC: "));
            return error.what();
        }
        ADD_FAILURE() << "the file loaded";
        return {};
    }

    void ExpectProjectUnchanged()
    {
        EXPECT_EQ(ProjectSnapshot(), Snapshot_);
        EXPECT_EQ(ProjectIdentity(), Identity_);
        EXPECT_TRUE(Log_->Changes.empty()) << "a failed load told the windows about a change";
        EXPECT_EQ(Observer_.Events, 0);
    }

    std::string Snapshot_;

private:
    struct CountingObserver : TTreeObserver {
        void BeginReset() override { ++Events; }
        void EndReset() override { ++Events; }
        void BeginInsert(TTaskNode*, int) override { ++Events; }
        void BeginRemove(TTaskNode*, int) override { ++Events; }
        void SelectionChanged(TTaskNode*) override { ++Events; }
        int Events = 0;
    };

    std::vector<const void*> Identity_;
    std::unique_ptr<TChangeLog> Log_;
    CountingObserver Observer_;
};

class BadFileTest : public ProjectLoadErrorTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadFileTest, IsRejectedAndChangesNothing)
{
    EXPECT_THAT(ExpectLoadFails(GetParam().Bytes), HasSubstr(GetParam().Message));
    ExpectProjectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Inputs, BadFileTest, ::testing::ValuesIn(BadFiles()),
                         [](const auto& info) { return std::string(info.param.Name); });

// The same builders make files that do load, so the bad cases above fail for their own reason.
TEST_F(ProjectLoadErrorTest, WellFormedVariantsOfTheBadFilesLoad)
{
    Document().LoadProjectBytes("good.NPC", FileHeader(4) + Root() + Group(0, 5) + TaskRecord(1, 5, Int32(6)) + Group(5, 2));
    EXPECT_EQ(Project().TaskTree.Count(), 4);
    EXPECT_EQ(Project().NextGroupNumber, 6);
    EXPECT_EQ(Project().NPCInfo, (TNPC{45, 1, 2, 3, 0, "Npc"}));
    Document().LoadProjectBytes("deep.NPC", Chain(1000));
    EXPECT_EQ(Project().TaskTree.Count(), 1001);
    Document().LoadProjectBytes("deep.NPC", ExtendedChain(1000));
    EXPECT_EQ(Project().TaskTree.Count(), 1001);
    // Version 259: the action's parent is record 1, the group numbered 5; an action record ends
    // with its map name (empty: none of its own).
    Document().LoadProjectBytes("good.NPC", ExtendedHeader(4, Bytes({1}) + Int32(2) + Int32(3)) + XRoot() +
                                                XGroup(0, 5) + TaskRecord(1, 1, Int32(6) + Str("")) + XGroup(1, 2));
    EXPECT_EQ(Project().TaskTree.GetFirstNode()->Child(0)->ChildCount(), 2);
    EXPECT_EQ(Project().NPCInfo, (TNPC{45, 1, 2, 3, 0, "Npc", "prontera.gat", TTouchArea{2, 3}}));
}

TEST_F(ProjectLoadErrorTest, EveryTruncationOfAValidFileFailsAndChangesNothing)
{
    const std::string bytes = ReadBytes(SourceDir() / "tests" / "golden" / "project-every-kind.NPC");
    ASSERT_GT(bytes.size(), 1000u);
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        try {
            Document().LoadProjectBytes("cut.NPC", bytes.substr(0, size));
            ADD_FAILURE() << "loaded the first " << size << " bytes";
        } catch (const EInOutError& error) {
            ASSERT_THAT(error.what(), StartsWith("cut.NPC: ")) << size;
        }
        ASSERT_EQ(ProjectSnapshot(), Snapshot_) << "after the first " << size << " bytes";
    }
    ExpectProjectUnchanged();
    Document().LoadProjectBytes("whole.NPC", bytes);
    EXPECT_EQ(SaveProjectBytes(Project()), bytes);
}

TEST_F(ProjectLoadErrorTest, MissingFileIsAnErrorNamingIt)
{
    TTempDir dir;
    const std::string path = (dir / "absent.NPC").string();
    try {
        Document().LoadProject(path);
        ADD_FAILURE() << "loaded a missing file";
    } catch (const EInOutError& error) {
        EXPECT_THAT(error.what(), StartsWith(path + ": "));
    }
    ExpectProjectUnchanged();
}

}  // namespace
