// Crash recovery: the copy kept while the project has unsaved changes, its removal on the ways a
// project becomes saved or dropped and at a normal end, and the start-up offer of copies left by
// runs that did not end normally.
#include "MainFrameFixture.h"
#include "DocumentSupport.h"

#include "document/Document.h"
#include "ui/RecoveryOffer.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <filesystem>

using namespace frametest;

namespace {

namespace fs = std::filesystem;

std::string Std(const QString& path)
{
    return path.toStdString();
}

class RecoveryTest : public MainFrameTest {
protected:
    QString Folder() const { return QString::fromStdString((Dir / "recovery").string()); }

    // A writer of the main window that writes as soon as the event loop runs.
    TRecoveryWriter* StartWriter() { return StartRecoveryWriter(Document(), Frame, Folder(), 0); }

    // A change through the windows, then the writer's copy of it on disk.
    void ChangeAndWaitForCopy(TRecoveryWriter& writer, const std::string& group = "Shop")
    {
        QSignalSpy written(&writer, &TRecoveryWriter::Written);
        ChangeTree(group);
        ASSERT_TRUE(written.wait(5000)) << "no copy was written";
    }

    // A copy as a run that crashed leaves it: the files its writer wrote, with its lock file
    // when keepLock (as a run with this run's process id left it), else without.
    std::string LeaveCrashedCopy(const std::string& fileName, TServerTarget target, bool keepLock = false)
    {
        const std::string crashed = Std(Folder()) + "/crashed.NPC";
        {
            TRecoveryWriter writer(Document(), Folder(), 0);
            Project().ProjectFileName = fileName;
            TNPC npc = Project().NPCInfo;
            npc.Name = "Recovered";
            Document().SetNPC(npc);
            TNPCHeader header = Project().HeaderInfo;
            header.Target = target;
            Document().SetHeader(header);
            QSignalSpy written(&writer, &TRecoveryWriter::Written);
            EXPECT_TRUE(written.wait(5000));
            for (const char* suffix : {"", ".name", ".server"})
                if (fs::exists(Std(writer.CopyPath()) + suffix))
                    fs::copy_file(Std(writer.CopyPath()) + suffix, crashed + suffix);
            if (keepLock)
                fs::copy_file(Std(writer.LockPath()), Std(Folder()) + "/crashed.lock");
        }
        Document().NewProject();
        return crashed;
    }
};

TEST_F(RecoveryTest, TheCopyHoldsWhatSaveWritesWithTheFileNameAndTheServer)
{
    Document().SaveProject(PathOf("guide.NPC"));
    TNPCHeader header = Project().HeaderInfo;
    header.Target = TServerTarget::Hercules;
    Document().SetHeader(header);
    TRecoveryWriter* writer = StartWriter();
    ASSERT_NE(writer, nullptr);
    ChangeAndWaitForCopy(*writer);

    const std::string copy = Std(writer->CopyPath());
    EXPECT_EQ(ReadBytes(copy), SaveProjectBytes(Project()));
    EXPECT_EQ(ReadBytes(copy + ".name"), PathOf("guide.NPC"));
    EXPECT_EQ(ReadProjectTarget(copy), TServerTarget::Hercules);
    EXPECT_TRUE(fs::exists(Std(writer->LockPath())));
    EXPECT_TRUE(Dialogs->Errors.empty());
}

TEST_F(RecoveryTest, ChangesComingWithoutAPauseAreKeptAllTheSame)
{
    // Every change restarts a wait of 50 ms, and they come 20 ms apart: only the longest wait,
    // ten times that from the first change, writes the copy.
    TRecoveryWriter writer(Document(), Folder(), 50);
    QSignalSpy written(&writer, &TRecoveryWriter::Written);
    QElapsedTimer burst;
    burst.start();
    for (int n = 0; burst.elapsed() < 3000 && written.isEmpty(); ++n) {
        ChangeTree("Group" + std::to_string(n));
        QTest::qWait(20);
    }
    EXPECT_FALSE(written.isEmpty()) << "no copy while the changes kept coming";
}

TEST_F(RecoveryTest, ACopyThatCannotBeWrittenIsReportedOnceUntilOneIsWrittenAgain)
{
    TRecoveryWriter* writer = StartWriter();
    ASSERT_NE(writer, nullptr);
    const std::string copy = Std(writer->CopyPath());
    fs::create_directories(copy);  // no file can take a folder's place
    QSignalSpy failed(writer, &TRecoveryWriter::Failed);
    for (const char* group : {"One", "Two"}) {
        ChangeTree(group);
        ASSERT_TRUE(failed.wait(5000)) << group;
    }
    ASSERT_EQ(Dialogs->Errors.size(), 1u) << "reported at every change";
    EXPECT_TRUE(Dialogs->Errors[0].contains(writer->CopyPath())) << Dialogs->Errors[0].toStdString();
    EXPECT_FALSE(writer->Flush());

    fs::remove(copy);
    ChangeAndWaitForCopy(*writer, "Three");
    EXPECT_EQ(ReadBytes(copy), SaveProjectBytes(Project()));
    EXPECT_TRUE(writer->Flush());
}

// How a run's unsaved work stops being unsaved: a command of the File menu, the answer to its
// "Save first?" question and the file dialog's answer; no command for the normal end of the run.
struct TEndRow {
    const char* Name;
    const char* Command;
    const char* FileName;  // the open or save dialog's answer, when the command asks
    bool LockStays;
};

class RecoveryEndTest : public RecoveryTest, public ::testing::WithParamInterface<TEndRow> {};

TEST_P(RecoveryEndTest, RemovesTheCopy)
{
    const TEndRow& row = GetParam();
    TRecoveryWriter* writer = StartWriter();
    ASSERT_NE(writer, nullptr);
    ChangeAndWaitForCopy(*writer);
    const std::string copy = Std(writer->CopyPath());
    const std::string lock = Std(writer->LockPath());

    const std::string command = row.Command;
    if (command == "FileSaveAsItem")
        Dialogs->SaveNames.push_back(QPathOf(row.FileName));
    if (command == "FileLoadItem")
        Dialogs->OpenNames.push_back(QString::fromStdString(WriteOtherProject(row.FileName)));
    if (command == "FileNewItem" || command == "FileLoadItem")
        Dialogs->Answers.push_back(TAnswer::No);  // drops the changes
    if (command.empty())
        delete writer;  // as the main window's end deletes it
    else
        Run(row.Command);
    EXPECT_TRUE(Dialogs->Answers.empty() && Dialogs->SaveNames.empty() && Dialogs->OpenNames.empty());

    EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(copy) && !fs::exists(copy + ".name"); }, 5000))
        << "the copy stayed";
    EXPECT_EQ(fs::exists(lock), row.LockStays);
    EXPECT_TRUE(Dialogs->Errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Ends, RecoveryEndTest,
                         ::testing::Values(TEndRow{"SaveAs", "FileSaveAsItem", "saved.NPC", true},
                                           TEndRow{"NewDroppingTheChanges", "FileNewItem", "", true},
                                           TEndRow{"LoadDroppingTheChanges", "FileLoadItem", "Other", true},
                                           TEndRow{"NormalEndOfTheRun", "", "", false}),
                         TNameOfRow{});

TEST_F(RecoveryTest, WritersRunningAtOnceKeepApartAndNeitherCopyIsOffered)
{
    TRecoveryWriter first(Document(), Folder(), 0);
    TRecoveryWriter second(Document(), Folder(), 0);
    EXPECT_NE(first.CopyPath(), second.CopyPath());
    EXPECT_NE(first.LockPath(), second.LockPath());
    QSignalSpy secondWritten(&second, &TRecoveryWriter::Written);
    ChangeAndWaitForCopy(first);
    ASSERT_TRUE(secondWritten.count() == 1 || secondWritten.wait(5000));
    EXPECT_TRUE(fs::exists(Std(first.CopyPath())));
    EXPECT_TRUE(fs::exists(Std(second.CopyPath())));

    // Their locks are held: both runs are alive.
    EXPECT_TRUE(FindLeftoverCopies(Folder()).empty());
    OfferLeftoverCopies(Document(), Frame, Folder(), nullptr);
    EXPECT_TRUE(Dialogs->RecoveryOffers.empty());
    EXPECT_TRUE(fs::exists(Std(first.CopyPath())));
}

TEST_F(RecoveryTest, ALockLeftUnderThisRunsProcessIdIsOfferedAllTheSame)
{
    // A run that died before a reboot may have had the process id this run has now.
    const std::string crashed = LeaveCrashedCopy(PathOf("guide.NPC"), DefaultTarget, true);
    const std::string lock = Std(Folder()) + "/crashed.lock";
    ASSERT_TRUE(fs::exists(lock));
    Dialogs->RecoveryAnswers.push_back(TRecoveryAnswer::Discard);

    StartRecovery(Document(), Frame, Folder());

    EXPECT_EQ(Dialogs->RecoveryOffers.size(), 1u);
    EXPECT_FALSE(fs::exists(crashed));
    EXPECT_FALSE(fs::exists(lock));
}

struct TAnswerRow {
    const char* Name;
    TRecoveryAnswer Answer;
    std::string Title;  // after the answer; "<file>" stands for the original file name
    bool Recovered;     // the project is the copy's
};

class RecoveryOfferTest : public RecoveryTest, public ::testing::WithParamInterface<TAnswerRow> {};

TEST_P(RecoveryOfferTest, EachAnswerDoesWhatItSays)
{
    const TAnswerRow& row = GetParam();
    const std::string original = PathOf("guide.NPC");
    const std::string crashed = LeaveCrashedCopy(original, TServerTarget::Hercules);
    ASSERT_FALSE(Project().Modified);
    Dialogs->RecoveryAnswers.push_back(row.Answer);

    StartRecovery(Document(), Frame, Folder());

    ASSERT_EQ(Dialogs->RecoveryOffers.size(), 1u);
    EXPECT_TRUE(Dialogs->RecoveryOffers[0].contains(QString::fromStdString(original)));
    std::string title = row.Title;
    if (const std::size_t at = title.find("<file>"); at != std::string::npos)
        title.replace(at, 6, original);
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(Project().Modified, row.Recovered);
    EXPECT_EQ(Project().NPCInfo.Name == "Recovered", row.Recovered);
    EXPECT_EQ(Project().HeaderInfo.Target == TServerTarget::Hercules, row.Recovered);
    for (const char* suffix : {"", ".name", ".server", ".lock"})
        EXPECT_FALSE(fs::exists(crashed + suffix)) << "left: " << crashed + suffix;
    // What was recovered is this run's unsaved work now, and kept as such.
    auto* writer = Frame->findChild<TRecoveryWriter*>();
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(fs::exists(Std(writer->CopyPath())), row.Recovered);
    EXPECT_TRUE(Dialogs->Errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RecoveryOfferTest,
    ::testing::Values(TAnswerRow{"Restore", TRecoveryAnswer::Restore, ExpectedTitle("<file>", "Hercules", true), true},
                      TAnswerRow{"OpenAsNew", TRecoveryAnswer::OpenAsNew, ExpectedTitle("No File Open", "Hercules", true), true},
                      TAnswerRow{"Discard", TRecoveryAnswer::Discard, NoFileTitle, false}),
    TNameOfRow{});

struct TDamageRow {
    const char* Name;
    const char* Suffix;  // the file that is damaged
    std::string Bytes;   // its new content; empty: the file is removed
    std::string Reason;  // in the message
};

class RecoveryDamageTest : public RecoveryTest, public ::testing::WithParamInterface<TDamageRow> {};

// A copy that cannot be read is named with what is wrong, and stays unless the user lets it go.
TEST_P(RecoveryDamageTest, IsReportedAndKeptUnlessTheUserDeletesIt)
{
    const TDamageRow& row = GetParam();
    const std::string crashed = LeaveCrashedCopy(PathOf("guide.NPC"), TServerTarget::RAthena);
    const std::string damaged = crashed + row.Suffix;
    if (row.Bytes.empty())
        fs::remove(damaged);
    else
        WriteBytes(damaged, row.Bytes);

    Dialogs->Answers.push_back(TAnswer::No);
    StartRecovery(Document(), Frame, Folder());

    EXPECT_TRUE(Dialogs->RecoveryOffers.empty());
    ASSERT_EQ(Dialogs->Questions.size(), 1u);
    const std::string message = Dialogs->Questions[0].Text.toStdString();
    EXPECT_NE(message.find(crashed), std::string::npos) << message;
    EXPECT_NE(message.find(damaged + ": " + row.Reason), std::string::npos) << message;
    EXPECT_TRUE(fs::exists(crashed)) << "kept when the user says No";
    EXPECT_EQ(Title(), NoFileTitle);
    EXPECT_FALSE(Project().Modified);

    // Yes the next time round deletes it: no start after that asks again.
    Dialogs->Answers.push_back(TAnswer::Yes);
    OfferLeftoverCopies(Document(), Frame, Folder(), nullptr);
    EXPECT_FALSE(fs::exists(crashed));
    OfferLeftoverCopies(Document(), Frame, Folder(), nullptr);
    EXPECT_EQ(Dialogs->Questions.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, RecoveryDamageTest,
    ::testing::Values(TDamageRow{"NotAProject", "", "not a project at all", "the file is not an NPC project"},
                      TDamageRow{"CutShort", "", std::string("\x02\x01\0\0\x01\0\0\0", 8), "the file ends inside the file header: 4 more bytes expected"},
                      TDamageRow{"UnknownServer", ".server", "server=mangos\n", "unknown server \"mangos\""},
                      TDamageRow{"NameMissing", ".name", "", "File not found"}),
    TNameOfRow{});

} // namespace
