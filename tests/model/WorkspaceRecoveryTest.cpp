// Crash recovery of a script file with unsaved edits: the copy's byte layout, copies that are
// broken, the edits going back only into entries the file still holds as they were read, and the
// writer that keeps the copy while edits are unsaved.

#include "TestSupport.h"

#include "document/Recovery.h"
#include "platform/Errors.h"
#include "workspace/WorkspaceRecovery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QLockFile>

using ::testing::HasSubstr;

namespace {

const std::string Soldier = "prontera,10,10,4\tscript\tSoldier\t45,{\r\n\tmes \"Halt!\";\r\n\tclose;\r\n}";
const std::string Guide = "prontera,150,180,4\tscript\tGuide\t45,{\r\n\tmes \"Hi\";\r\n\tclose;\r\n}";
const std::string Town = "// Town\r\n" + Soldier + "\r\n" + Guide + "\r\nprontera\tmapflag\tnosave\tSavePoint\r\n";
const std::string NewGuide = "prontera,150,180,4\tscript\tGuide\t45,{\r\n\tmes \"Hello\";\r\n\tclose;\r\n}";

std::unique_ptr<TScriptWorkspace> Read(const std::string& bytes)
{
    return std::make_unique<TScriptWorkspace>("town.txt", bytes, script::TTarget::RAthena);
}

// The town with the Guide's greeting changed.
TScriptEdits GuideEdits()
{
    auto workspace = Read(Town);
    workspace->SetPartText(workspace->EntryParts()[1], NewGuide);
    return EditsOf(*workspace);
}

TEST(WorkspaceRecoveryTest, TheCopyCountsTheBytesOfEveryField)
{
    const TScriptEdits edits = GuideEdits();
    ASSERT_EQ(edits.Entries.size(), 1u);
    const std::string expected = "npc-editor script file edits 1\n"
                                 "8:town.txt\n"
                                 "7:rathena\n"
                                 "1:1\n"
                                 "1:1\n"
                                 "5:Guide\n" +
                                 std::to_string(Guide.size()) + ":" + Guide + "\n" +
                                 std::to_string(NewGuide.size()) + ":" + NewGuide + "\n";
    EXPECT_EQ(EditsBytes(edits), expected);
    const TScriptEdits back = ReadEditsBytes("copy.script", expected);
    EXPECT_EQ(back.FileName, "town.txt");
    EXPECT_EQ(back.Target, script::TTarget::RAthena);
    ASSERT_EQ(back.Entries.size(), 1u);
    EXPECT_EQ(back.Entries[0].Kind, TPartKind::Npc);
    EXPECT_EQ(back.Entries[0].Name, "Guide");
    EXPECT_EQ(back.Entries[0].Old, Guide);
    EXPECT_EQ(back.Entries[0].New, NewGuide);
}

TEST(WorkspaceRecoveryTest, AnyByteOfANameOrEntryComesBack)
{
    TScriptEdits edits{std::string("dir\n1:x/t\xe9st.txt", 17), script::TTarget::Hercules, {}};
    edits.Entries.push_back({TPartKind::Function, "F:\n2:", std::string("a\0b\n7:", 6), ""});
    edits.Entries.push_back({TPartKind::Mapflag, "", "\r\n", "x"});
    const TScriptEdits back = ReadEditsBytes("copy.script", EditsBytes(edits));
    EXPECT_EQ(back.FileName, edits.FileName);
    EXPECT_EQ(back.Entries, edits.Entries);
}

struct BrokenRow {
    const char* Name;
    std::string Bytes;
    const char* Message;
};

class BrokenCopyTest : public ::testing::TestWithParam<BrokenRow> {};

TEST_P(BrokenCopyTest, IsRefusedNamingTheCopy)
{
    const std::string error = InOutErrorOf([] { ReadEditsBytes("copy.script", GetParam().Bytes); });
    EXPECT_THAT(error, ::testing::StartsWith("copy.script: "));
    EXPECT_THAT(error, HasSubstr(GetParam().Message));
}

const std::string Head = "npc-editor script file edits 1\n8:town.txt\n7:eathena\n";

INSTANTIATE_TEST_SUITE_P(
    Copies, BrokenCopyTest,
    ::testing::Values(BrokenRow{"Empty", "", "its first line is not"},
                      BrokenRow{"AProjectCopy", "NPC\x01\x03", "its first line is not"},
                      BrokenRow{"NoEntryCount", Head, "no length before the entry count"},
                      BrokenRow{"CutShort", Head + "1:1\n1:1\n5:Guide\n10:abc", "the entry as read is cut short"},
                      BrokenRow{"LengthPastTheEnd", Head + "1:1\n1:1\n99999999999999999999:x\n", "no length before the entry name"},
                      BrokenRow{"NoLineEndAfterAField", Head + "1:1\n1:1\n5:Guidex", "the entry name is cut short"},
                      BrokenRow{"CountTooLarge", Head + "4:9999\n", "the entry count is no number below"},
                      BrokenRow{"UnknownServer", "npc-editor script file edits 1\n8:town.txt\n5:rbase\n1:0\n", "an unknown server"},
                      BrokenRow{"TextBetweenEntries", Head + "1:1\n1:0\n0:\n0:\n0:\n", "an entry of text between entries"},
                      BrokenRow{"UnknownKind", Head + "1:1\n2:42\n0:\n0:\n0:\n", "the entry kind is no number below 8"},
                      BrokenRow{"BytesAfterTheLastEntry", Head + "1:0\nrest", "bytes after the last entry"}),
    [](const auto& info) { return std::string(info.param.Name); });

struct ApplyRow {
    const char* Name;
    std::string FileNow;  // the file as it is on disk when the edits come back
    const char* Why;      // empty: they go back
};

class ApplyEditsTest : public ::testing::TestWithParam<ApplyRow> {};

TEST_P(ApplyEditsTest, GoBackOnlyIntoTheEntriesAsTheyWereRead)
{
    TScriptEdits edits = GuideEdits();
    // A second entry that is where it was, so that a refusal is seen to change nothing at all.
    edits.Entries.insert(edits.Entries.begin(), {TPartKind::Npc, "Soldier", Soldier, Soldier + "\r\n// checked"});
    auto workspace = Read(GetParam().FileNow);
    const std::string why = ApplyEdits(*workspace, edits);
    EXPECT_EQ(why, GetParam().Why);
    if (why.empty()) {
        EXPECT_THAT(workspace->NewBytes(), HasSubstr(Soldier + "\r\n// checked\r\n" + NewGuide + "\r\n"));
    } else {
        EXPECT_FALSE(workspace->IsModified());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ApplyEditsTest,
    ::testing::Values(
        ApplyRow{"Unchanged", Town, ""},
        ApplyRow{"OtherLinesChanged", "// Town, pulled\r\n\r\n" + Soldier + "\r\n" + Guide + "\r\n", ""},
        ApplyRow{"EntryChanged", "// Town\r\n" + Soldier + "\r\n" + NewGuide + "\r\n", "the NPC Guide has changed in the file since"},
        ApplyRow{"EntryGone", "// Town\r\n" + Soldier + "\r\n", "the file no longer has the NPC Guide"},
        ApplyRow{"EntryTwice", Town + Guide + "\r\n",
                 "the file has more than one NPC Guide as it was read, and nothing says which one was edited"},
        // Names repeat (map flags, monsters): the one entry of that name still as read takes the edit.
        ApplyRow{"NameTwiceOnlyOneAsRead", "// Town\r\n" + Soldier + "\r\n" + NewGuide + "\r\n" + Guide + "\r\n", ""},
        ApplyRow{"NameTwiceNeitherAsRead", "// Town\r\n" + Soldier + "\r\n" + NewGuide + "\r\n" + NewGuide + "\r\n",
                 "none of the file's 2 entries NPC Guide is as it was read"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(WorkspaceRecoveryTest, TheRecoveredTextIsTheEditedEntriesInTurn)
{
    TScriptEdits edits = GuideEdits();
    edits.Entries.push_back({TPartKind::Mapflag, "nosave", "", "prontera\tmapflag\tnosave"});
    EXPECT_EQ(RecoveredText(edits, "\n"), NewGuide + "\n" + "prontera\tmapflag\tnosave\n");
}

// ---- The writer -------------------------------------------------------------------------------

QString QPath(const std::filesystem::path& path)
{
    return QFile::decodeName(path.string().c_str());
}

TEST(ScriptRecoveryWriterTest, KeepsTheCopyWhileEditsAreUnsavedAndLeavesNoneAtItsEnd)
{
    TTempDir dir;
    const QString folder = QPath(dir / "recovery");
    std::string unsaved = "edits 1";
    QString copy;
    {
        TScriptRecoveryWriter writer([&unsaved] { return unsaved; }, folder, 60000);
        copy = writer.CopyPath();
        EXPECT_TRUE(copy.endsWith(QStringLiteral(".script")));
        writer.Changed();
        EXPECT_FALSE(QFile::exists(copy)) << "written before the pause";
        EXPECT_TRUE(writer.Flush());
        EXPECT_EQ(ReadBytes(copy.toStdString()), "edits 1");
        // This run's copy is no left-over one while its writer lives.
        EXPECT_TRUE(FindLeftoverScriptCopies(folder).empty());
        unsaved.clear();  // saved
        EXPECT_TRUE(writer.Flush());
        EXPECT_FALSE(QFile::exists(copy));
        unsaved = "edits 2";
        EXPECT_TRUE(writer.Flush());
    }
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(FindLeftoverScriptCopies(folder).empty());
}

TEST(ScriptRecoveryWriterTest, ACopyWhoseRunEndedWithoutRemovingItIsOffered)
{
    TTempDir dir;
    const QString folder = QPath(dir / "recovery");
    {
        TScriptRecoveryWriter writer([] { return std::string("edits"); }, folder, 60000);
        ASSERT_TRUE(writer.Flush());
        // What a crash leaves: the copy stays, the run's lock is free.
        ASSERT_TRUE(QFile::copy(writer.CopyPath(), folder + QStringLiteral("/crashed.script")));
    }
    std::vector<TLeftoverCopy> copies = FindLeftoverScriptCopies(folder);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(copies[0].CopyPath().endsWith(QStringLiteral("/crashed.script")));
    // Another run starting now does not offer it too.
    EXPECT_TRUE(FindLeftoverScriptCopies(folder).empty());
    // Nor does the project copies' search take it for one of its own.
    EXPECT_TRUE(FindLeftoverCopies(folder).empty());
    copies[0].Remove();
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/crashed.script")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/crashed.script-lock")));
}

TEST(ScriptRecoveryWriterTest, ALockLeftWithoutACopyIsClearedAndALiveOneKept)
{
    TTempDir dir;
    const QString folder = QPath(dir / "recovery");
    TScriptRecoveryWriter alive([] { return std::string(); }, folder, 60000);
    const QString aliveLock = alive.CopyPath().chopped(7) + QStringLiteral(".script-lock");
    ASSERT_TRUE(QFile::exists(aliveLock));
    // What a run that crashed with nothing unsaved leaves: a lock no process holds.
    {
        QLockFile left(folder + QStringLiteral("/crashed.script-lock"));
        ASSERT_TRUE(left.tryLock(0));
        ASSERT_TRUE(QFile::copy(folder + QStringLiteral("/crashed.script-lock"), folder + QStringLiteral("/gone.script-lock")));
    }
    EXPECT_TRUE(FindLeftoverScriptCopies(folder).empty());
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/gone.script-lock")));
    EXPECT_TRUE(QFile::exists(aliveLock));
}

} // namespace
