// The main window: its title, the unsaved-changes question on every road that discards a project,
// the file commands and their failures, and the menu.
#include "MainFrameFixture.h"
#include "DocumentSupport.h"

#include "ui/ChildWindows.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Problems.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QPixmap>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QMenuBar>

#include <filesystem>
#include <map>

using namespace frametest;

namespace {

TEST_F(MainFrameTest, TheTitleFollowsTheProjectState)
{
    EXPECT_EQ(Title(), NoFileTitle);
    ChangeTree();
    EXPECT_EQ(Title(), NoFileTitle + " [Modified]");
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    Run("FileSaveAsItem");
    EXPECT_EQ(Title(), ExpectedTitle(PathOf("shop.NPC")));
    ChangeTree("Bye");
    EXPECT_EQ(Title(), ExpectedTitle(PathOf("shop.NPC"), "eAthena", true));
    Dialogs->Answers.push_back(TAnswer::No);
    Run("FileNewItem");
    EXPECT_EQ(Title(), NoFileTitle);
}

TEST_F(MainFrameTest, NewOnAnUnchangedProjectAsksNothing)
{
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    ChangeTree();
    Run("FileSaveAsItem");
    Run("FileNewItem");
    EXPECT_TRUE(Dialogs->Questions.empty());
    EXPECT_EQ(Project().TaskTree.Count(), 1);
    EXPECT_EQ(Title(), NoFileTitle);
}

// ---- The question, on every road --------------------------------------------------------

enum class TRoad { New, Load, Exit, CloseBox };
enum class TReply { Yes, YesThenCancelSaveAs, No, Cancel };

struct TQueryCase {
    TRoad Road;
    TReply Reply;
    bool Saved;  // the project has a file name before the change
};

std::string RoadName(TRoad road)
{
    switch (road) {
    case TRoad::New: return "New";
    case TRoad::Load: return "Load";
    case TRoad::Exit: return "Exit";
    case TRoad::CloseBox: return "CloseBox";
    }
    return {};
}

std::string ReplyName(TReply reply)
{
    switch (reply) {
    case TReply::Yes: return "Yes";
    case TReply::YesThenCancelSaveAs: return "YesThenCancelSaveAs";
    case TReply::No: return "No";
    case TReply::Cancel: return "Cancel";
    }
    return {};
}

void PrintTo(const TQueryCase& c, std::ostream* out)
{
    *out << RoadName(c.Road) << ", " << ReplyName(c.Reply) << (c.Saved ? ", saved before" : ", never saved");
}

class QuerySaveTest : public MainFrameTest, public ::testing::WithParamInterface<TQueryCase> {
protected:
    void Take(TRoad road)
    {
        switch (road) {
        case TRoad::New: Run("FileNewItem"); break;
        case TRoad::Load: Run("FileLoadItem"); break;
        case TRoad::Exit: Run("FileExitItem"); break;
        case TRoad::CloseBox: Frame->close(); break;
        }
    }

    // The question names the project and what the command does next.
    static QString Question(TRoad road, bool saved)
    {
        const QString name = saved ? QStringLiteral("mine.NPC") : QStringLiteral("this new project");
        const QString next = road == TRoad::New    ? QStringLiteral("starting a new project")
                             : road == TRoad::Load ? QStringLiteral("loading Other.NPC")
                                                   : QStringLiteral("closing");
        return QStringLiteral("Save the changes to %1 before %2?").arg(name, next);
    }

    bool WentOn(TRoad road, const std::string& otherName) const
    {
        switch (road) {
        case TRoad::New: return Project().TaskTree.Count() == 1 && Project().ProjectFileName.empty();
        case TRoad::Load: return Project().NPCInfo.Name == otherName;
        case TRoad::Exit:
        case TRoad::CloseBox: return Quits == 1;
        }
        return false;
    }
};

TEST_P(QuerySaveTest, AnswersDecideWhetherTheCommandGoesOn)
{
    const TQueryCase& c = GetParam();
    const std::string other = WriteOtherProject("Other");
    if (c.Saved) {
        Dialogs->SaveNames.push_back(QPathOf("mine.NPC"));
        ChangeTree("First");
        Run("FileSaveAsItem");
        ASSERT_FALSE(Project().Modified);
    }
    ChangeTree();
    ASSERT_TRUE(Project().Modified);
    if (c.Road == TRoad::Load)
        Dialogs->OpenNames.push_back(QString::fromStdString(other));
    Dialogs->Answers.push_back(c.Reply == TReply::No ? TAnswer::No
                               : c.Reply == TReply::Cancel ? TAnswer::Cancel
                                                          : TAnswer::Yes);
    if (!c.Saved && c.Reply == TReply::Yes)
        Dialogs->SaveNames.push_back(QPathOf("mine.NPC"));
    if (!c.Saved && c.Reply == TReply::YesThenCancelSaveAs)
        Dialogs->SaveNames.push_back(QString());

    Take(c.Road);

    ASSERT_EQ(Dialogs->Questions.size(), 1u);
    EXPECT_EQ(Dialogs->Questions[0].Text, Question(c.Road, c.Saved));
    EXPECT_EQ(Dialogs->Questions[0].Caption, QStringLiteral("Unsaved Changes"));
    const bool savedNow = c.Reply == TReply::Yes;
    const bool goesOn = c.Reply == TReply::Yes || c.Reply == TReply::No ||
                        (c.Saved && c.Reply == TReply::YesThenCancelSaveAs);
    EXPECT_EQ(WentOn(c.Road, "Other"), goesOn);
    if (!goesOn) {
        EXPECT_TRUE(Project().Modified) << "the changes are still there";
        EXPECT_EQ(Project().TaskTree.Count(), c.Saved ? 3 : 2);
    }
    // No drops nothing by itself: the project stays as it was until what the command does next
    // (another project, or the end) replaces it.
    if (c.Reply == TReply::No && (c.Road == TRoad::Exit || c.Road == TRoad::CloseBox)) {
        EXPECT_TRUE(Project().Modified);
        EXPECT_TRUE(Document().CanUndo());
    }
    if (savedNow || (c.Saved && c.Reply == TReply::YesThenCancelSaveAs)) {
        ASSERT_TRUE(std::filesystem::exists(PathOf("mine.NPC")));
        Document().LoadProject(PathOf("mine.NPC"));
        EXPECT_EQ(Project().TaskTree.Count(), c.Saved ? 3 : 2) << "the changes went into the file";
    }
    if (c.Road == TRoad::CloseBox) {
        EXPECT_EQ(TaskWindow() && TaskWindow()->Closing, goesOn);
    }
    EXPECT_TRUE(Dialogs->Errors.empty());
}

std::vector<TQueryCase> QueryCases()
{
    std::vector<TQueryCase> cases;
    for (TRoad road : {TRoad::New, TRoad::Load, TRoad::Exit, TRoad::CloseBox})
        for (TReply reply : {TReply::Yes, TReply::YesThenCancelSaveAs, TReply::No, TReply::Cancel})
            for (bool saved : {false, true})
                if (!(saved && reply == TReply::YesThenCancelSaveAs))
                    cases.push_back({road, reply, saved});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Roads, QuerySaveTest, ::testing::ValuesIn(QueryCases()),
                         [](const ::testing::TestParamInfo<TQueryCase>& info) {
                             return RoadName(info.param.Road) + ReplyName(info.param.Reply) +
                                    (info.param.Saved ? "Saved" : "NeverSaved");
                         });

// ---- Where the file dialogs start ----------------------------------------------------------

TEST_F(MainFrameTest, FileDialogsStartInTheProjectsFolderAndSaveAsSuggestsAName)
{
    const QString home = QDir::homePath();
    const QString dir = QString::fromStdString(Dir.Path().string());
    Project().NPCInfo.Name = "Healer#prt";
    ChangeTree();
    Dialogs->SaveNames.push_back(QString());
    Run("FileSaveAsItem");
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    Run("FileSaveAsItem");
    Dialogs->OpenNames.push_back(QString());
    Run("FileLoadItem");
    Dialogs->SaveNames.push_back(QString());
    Run("FileSaveAsItem");
    // A new project has no folder of its own: the one last used, and a name from its NPC.
    Run("FileNewItem");
    Dialogs->OpenNames.push_back(QString());
    Run("FileLoadItem");
    Dialogs->SaveNames.push_back(QString());
    Run("FileSaveAsItem");
    EXPECT_EQ(Dialogs->DialogStarts,
              (std::vector<QString>{home + "/Healer.NPC", home + "/Healer.NPC", dir, QPathOf("shop.NPC"), dir,
                                    dir + "/Untitled.NPC"}));
    EXPECT_TRUE(Dialogs->Errors.empty());
}

struct TStemCase {
    std::string NpcName;
    QString Stem;
};

class ProjectFileStemTable : public ::testing::TestWithParam<TStemCase> {};

TEST_P(ProjectFileStemTable, KeepsTheNamePlayersSeeAndWhatAFileNameMayHold)
{
    EXPECT_EQ(ProjectFileStem(GetParam().NpcName, TTextEncoding()), GetParam().Stem);
}

INSTANTIATE_TEST_SUITE_P(Names, ProjectFileStemTable,
                         ::testing::Values(TStemCase{"Healer", "Healer"}, TStemCase{"Healer#prt", "Healer"},
                                           TStemCase{"Kafra Employee::kaf1", "Kafra Employee"},
                                           TStemCase{"a/b:c*d?e\"f<g>h|i", "abcdefghi"},
                                           TStemCase{" Guide. ", "Guide"}, TStemCase{"...", "Untitled"},
                                           TStemCase{"", "Untitled"}, TStemCase{"#hidden", "Untitled"}));

TEST_F(MainFrameTest, LoadAsksForTheFileBeforeTheQuestion)
{
    const std::string other = WriteOtherProject("Other");
    ChangeTree();
    Dialogs->OpenNames.push_back(QString());
    Run("FileLoadItem");
    EXPECT_EQ(Dialogs->OpenDialogs, 1);
    EXPECT_TRUE(Dialogs->Questions.empty()) << "a cancelled open dialog asks nothing";
    EXPECT_TRUE(Project().Modified);

    Dialogs->OpenNames.push_back(QString::fromStdString(other));
    Dialogs->Answers.push_back(TAnswer::No);
    Run("FileLoadItem");
    EXPECT_EQ(Project().NPCInfo.Name, "Other");
    EXPECT_FALSE(Project().Modified);
    EXPECT_EQ(Title(), ExpectedTitle(other));
}

// The server the script is written for is in sight whatever window is open: in the title and in
// the status bar, following the header window's choice and the project loaded.
TEST_F(MainFrameTest, TheTitleAndTheStatusBarNameTheServer)
{
    auto* label = Frame->findChild<QLabel*>(QStringLiteral("ServerLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Server: eAthena"));
    for (const auto& [target, name] : {std::pair{TServerTarget::RAthena, "rAthena"}, std::pair{TServerTarget::Hercules, "Hercules"}}) {
        TNPCHeader header = Project().HeaderInfo;
        ChangeServerTarget(header, target);
        Document().SetHeader(header);
        EXPECT_EQ(Title(), ExpectedTitle("No File Open", name, true));
        EXPECT_EQ(label->text().toStdString(), std::string("Server: ") + name);
    }
}

TEST_F(MainFrameTest, ExitWithoutChangesEndsAtOnce)
{
    Run("FileExitItem");
    EXPECT_EQ(Quits, 1);
    EXPECT_TRUE(Dialogs->Questions.empty());
}

// ---- Save --------------------------------------------------------------------------------

TEST_F(MainFrameTest, F5InAFreshProjectDoesNothing)
{
    QTest::keyClick(Child<QWidget>(NPCWindow(), "NameEdit"), Qt::Key_F5);
    EXPECT_EQ(Dialogs->SaveDialogs, 0);
    EXPECT_TRUE(Project().ProjectFileName.empty());
    EXPECT_EQ(Title(), NoFileTitle);
}

TEST_F(MainFrameTest, F5InAModifiedProjectAsksForANameFromAnyWindow)
{
    ChangeTree();
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    QTest::keyClick(Child<QWidget>(NPCWindow(), "NameEdit"), Qt::Key_F5);
    EXPECT_EQ(Dialogs->SaveDialogs, 1);
    EXPECT_EQ(Project().ProjectFileName, PathOf("shop.NPC"));
    EXPECT_FALSE(Project().Modified);
    EXPECT_EQ(ReadBytes(PathOf("shop.NPC")), SaveProjectBytes(Project()));

    ChangeTree("Bye");
    QTest::keyClick(TaskWindow(), Qt::Key_F5);
    EXPECT_EQ(Dialogs->SaveDialogs, 1) << "a named project is saved without a dialog";
    EXPECT_FALSE(Project().Modified);
    EXPECT_EQ(ReadBytes(PathOf("shop.NPC")), SaveProjectBytes(Project()));
}

TEST_F(MainFrameTest, ACancelledSaveAsChangesNothing)
{
    ChangeTree();
    Dialogs->SaveNames.push_back(QString());
    Run("FileSaveAsItem");
    EXPECT_TRUE(Project().Modified);
    EXPECT_TRUE(Project().ProjectFileName.empty());
    EXPECT_EQ(Title(), NoFileTitle + " [Modified]");
}

TEST_F(MainFrameTest, AFailedSaveLeavesTitleProjectAndFileAsTheyWere)
{
    ChangeTree();
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    Run("FileSaveAsItem");
    const std::string onDisk = ReadBytes(PathOf("shop.NPC"));
    ChangeTree("Bye");
    const std::string title = Title();

    Dialogs->SaveNames.push_back(QPathOf("no-such-folder/other.NPC"));
    Run("FileSaveAsItem");
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("other.NPC")));
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(Project().ProjectFileName, PathOf("shop.NPC"));
    EXPECT_TRUE(Project().Modified);
    EXPECT_EQ(ReadBytes(PathOf("shop.NPC")), onDisk);
}

TEST_F(MainFrameTest, ASaveThatFailsAfterYesStopsTheCommand)
{
    ChangeTree();
    Dialogs->Answers.push_back(TAnswer::Yes);
    Dialogs->SaveNames.push_back(QPathOf("no-such-folder/shop.NPC"));
    Run("FileNewItem");
    EXPECT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_EQ(Project().TaskTree.Count(), 2) << "the project was not replaced";
    EXPECT_TRUE(Project().Modified);

    Dialogs->Answers.push_back(TAnswer::Yes);
    Dialogs->SaveNames.push_back(QPathOf("no-such-folder/shop.NPC"));
    Frame->close();
    EXPECT_EQ(Quits, 0);
    EXPECT_TRUE(Frame->isVisible());
}

TEST_F(MainFrameTest, AFailedLoadLeavesTheProjectAsItWas)
{
    ChangeTree();
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    Run("FileSaveAsItem");
    WriteBytes(PathOf("broken.NPC"), std::string("\x02\x01\x00\x00\x05", 5));
    Dialogs->OpenNames.push_back(QPathOf("broken.NPC"));
    Run("FileLoadItem");
    EXPECT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_EQ(Project().TaskTree.Count(), 2);
    EXPECT_EQ(Project().ProjectFileName, PathOf("shop.NPC"));
    EXPECT_EQ(Title(), ExpectedTitle(PathOf("shop.NPC")));
}

// "No" gave up the edits only for the new project; when the file is refused the edits are still
// there, unsaved, and the title and the question on Exit must say so.
TEST_F(MainFrameTest, ARefusedLoadAfterNoKeepsTheEditsMarkedModified)
{
    ChangeTree();
    const std::string edited = Title();
    WriteBytes(PathOf("picture.NPC"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20));
    Dialogs->OpenNames.push_back(QPathOf("picture.NPC"));
    Dialogs->Answers.push_back(TAnswer::No);
    Run("FileLoadItem");
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors.front().contains(QStringLiteral("not an NPC project")))
        << Dialogs->Errors.front().toStdString();
    EXPECT_EQ(Project().TaskTree.Count(), 2);
    EXPECT_TRUE(Project().Modified);
    EXPECT_EQ(Title(), edited);

    Dialogs->Answers.push_back(TAnswer::Cancel);
    Run("FileExitItem");
    EXPECT_EQ(Dialogs->Questions.size(), 2u);
    EXPECT_EQ(Quits, 0);
}

// ---- Save Output -------------------------------------------------------------------------

TEST_F(MainFrameTest, SaveOutputBeforeTheFirstSaveAsksForIt)
{
    ChangeTree();
    Run("FileSaveOutputItem");
    ASSERT_EQ(Dialogs->Messages.size(), 1u);
    EXPECT_EQ(Dialogs->Messages[0].Text, QStringLiteral("Please Save this Project first."));
    EXPECT_EQ(Dialogs->Messages[0].Caption, QStringLiteral("Save First"));
    EXPECT_TRUE(std::filesystem::is_empty(Dir.Path()));
}

TEST_F(MainFrameTest, SaveOutputWritesTheScriptBesideTheProject)
{
    Project().NPCInfo = TNPC{45, 150, 180, 5, 1, "Guide"};
    NPCWindow()->ShowNPC();
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    ChangeTree("Bye");
    Run("FileSaveAsItem");
    WriteBytes(PathOf("shop.txt"), "an older script");
    Project().NPCInfo.X = 151;  // not saved: the output is what the project holds now
    Run("FileSaveOutputItem");
    EXPECT_TRUE(Dialogs->Messages.empty());
    const std::string expected =
        "//===== eAthena Script =======================================\r\n"
        "//= <Name> Script\r\n"
        "//= Created with Vask's NPC Editor 0.9 Alpha\r\n"
        "//===== By: ==================================================\r\n"
        "//= <Author> (1.0)\r\n"
        "//===== Current Version: =====================================\r\n"
        "//= 1.0\r\n"
        "//===== Compatible With: =====================================\r\n"
        "//= Any eAthena Version; RO Episode XX\r\n"
        "//===== Description: =========================================\r\n"
        "//= <Description>\r\n"
        "//===== Additional Comments: =================================\r\n"
        "//= <Version History and Comments>\r\n"
        "//============================================================\r\n"
        "\r\n"
        "prontera.gat,151,180,5\tscript\tGuide\t45,{\r\n"
        "\tL0:\r\n"
        "\t\tL1:\r\n"
        "}\r\n";
    EXPECT_EQ(ReadBytes(PathOf("shop.txt")), expected);
    EXPECT_EQ(Frame->statusBar()->currentMessage(), QStringLiteral("Script written to ") + QPathOf("shop.txt"));
    ASSERT_NE(OutputWindow(), nullptr) << "the output window shows what was written";
    EXPECT_EQ(JoinScriptLines(OutputWindow()->ScriptLines()), expected);
}

TEST_F(MainFrameTest, SaveOutputBesideAProjectWithoutExtensionInADottedFolder)
{
    std::filesystem::create_directory(Dir / "my.scripts");
    Dialogs->SaveNames.push_back(QPathOf("my.scripts/healer"));
    ChangeTree();
    Run("FileSaveAsItem");
    Run("FileSaveOutputItem");
    EXPECT_TRUE(std::filesystem::exists(Dir / "my.scripts" / "healer.txt"));
    EXPECT_FALSE(std::filesystem::exists(Dir / "my.txt"));
}

TEST_F(MainFrameTest, SaveOutputOfAnNPCWithoutMapShowsTheProblemAndWritesNothing)
{
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    ChangeTree();
    Run("FileSaveAsItem");
    WriteBytes(PathOf("shop.txt"), "the last good script");
    Project().NPCInfo.MapIndex = -1;
    Run("FileSaveOutputItem");
    ASSERT_EQ(Dialogs->Messages.size(), 1u);
    EXPECT_TRUE(Dialogs->Messages[0].Text.contains(QString::fromLatin1(NoMapProblem)));
    EXPECT_EQ(ReadBytes(PathOf("shop.txt")), "the last good script");
}

TEST_F(MainFrameTest, AFailedOutputWriteIsReported)
{
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    ChangeTree();
    Run("FileSaveAsItem");
    std::filesystem::create_directory(Dir / "shop.txt");  // a folder where the file should go
    Run("FileSaveOutputItem");
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("shop.txt")));
}

struct TOutputNameCase {
    const char* Project;
    const char* Output;
};

void PrintTo(const TOutputNameCase& c, std::ostream* out)
{
    *out << c.Project;
}

class OutputFileNameTest : public ::testing::TestWithParam<TOutputNameCase> {};

TEST_P(OutputFileNameTest, ReplacesOrAppendsTheExtension)
{
    EXPECT_EQ(OutputFileName(GetParam().Project), GetParam().Output);
}

INSTANTIATE_TEST_SUITE_P(
    Names, OutputFileNameTest,
    ::testing::Values(TOutputNameCase{"/npc/shop.NPC", "/npc/shop.txt"},
                      TOutputNameCase{"/npc/shop", "/npc/shop.txt"},
                      TOutputNameCase{"/npc/my.scripts/shop", "/npc/my.scripts/shop.txt"},
                      TOutputNameCase{"/npc/shop.backup.NPC", "/npc/shop.backup.txt"},
                      TOutputNameCase{"shop.npc", "shop.txt"},
                      TOutputNameCase{"/npc/shop.", "/npc/shop.txt"},
                      TOutputNameCase{"/npc/.NPC", "/npc/.txt"}),
    [](const auto& info) {
        return ReadableName(QString::fromLatin1(info.param.Project).replace(u'.', QStringLiteral(" dot ")).toStdString());
    });

// ---- Menu --------------------------------------------------------------------------------

struct TMenuCase {
    const char* Menu;
    const char* Title;
    const char* Item;
    const char* Caption;
    const char* Shortcut;
};

void PrintTo(const TMenuCase& c, std::ostream* out)
{
    *out << c.Item;
}

class MenuTest : public MainFrameTest, public ::testing::WithParamInterface<TMenuCase> {};

TEST_P(MenuTest, EntryHasItsCaptionAndShortcut)
{
    const TMenuCase& entry = GetParam();
    auto* menu = Child<QMenu>(Frame, entry.Menu);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QString::fromLatin1(entry.Title));
    EXPECT_TRUE(Child<QMenuBar>(Frame, "MainMenu")->actions().contains(menu->menuAction()));
    QAction* action = Command(entry.Item);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(menu->actions().contains(action));
    EXPECT_EQ(action->text(), QString::fromLatin1(entry.Caption));
    // Every key of the entry, the one the menu shows first.
    EXPECT_EQ(QKeySequence::listToString(action->shortcuts()), QString::fromLatin1(entry.Shortcut));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, MenuTest,
    ::testing::Values(TMenuCase{"FileMenu", "&File", "FileNewItem", "&New", "Ctrl+N"},
                      TMenuCase{"FileMenu", "&File", "FileLoadItem", "&Load", "Ctrl+O; F6"},
                      TMenuCase{"FileMenu", "&File", "FileSaveItem", "&Save", "Ctrl+S; F5"},
                      TMenuCase{"FileMenu", "&File", "FileSaveAsItem", "Save &As...", "Ctrl+Shift+S"},
                      TMenuCase{"FileMenu", "&File", "FileSaveOutputItem", "Sa&ve Output", ""},
                      TMenuCase{"FileMenu", "&File", "FileExitItem", "E&xit", "Ctrl+Q"},
                      TMenuCase{"ViewMenu", "&View", "ViewCascadeItem", "&Cascade", ""},
                      TMenuCase{"ViewMenu", "&View", "ViewTileHorizontalItem", "Tile &Horizontal", ""},
                      TMenuCase{"ViewMenu", "&View", "ViewTileVerticalItem", "Tile &Vertical", ""},
                      TMenuCase{"WindowsMenu", "&Windows", "WinOutputItem", "&Output", "F9"},
                      TMenuCase{"WindowsMenu", "&Windows", "WinNPCInfoItem", "&NPC Info", ""},
                      TMenuCase{"WindowsMenu", "&Windows", "WinHeaderInfoItem", "Header Info", ""},
                      TMenuCase{"WindowsMenu", "&Windows", "WinTaskItem", "&Tasks", ""},
                      TMenuCase{"HelpMenu", "&Help", "HelpIntroItem", "&Introduction", "F1"},
                      TMenuCase{"HelpMenu", "&Help", "HelpRefItem", "&Reference", ""},
                      TMenuCase{"HelpMenu", "&Help", "HelpTutItem", "&Tutorials", ""},
                      TMenuCase{"HelpMenu", "&Help", "HelpAboutItem", "&About", ""}),
    [](const auto& info) { return ReadableName(info.param.Item); });

TEST_F(MainFrameTest, MenusHoldTheirEntriesInOrderWithSeparators)
{
    const auto texts = [this](const char* menu) {
        QStringList list;
        for (QAction* action : Child<QMenu>(Frame, menu)->actions())
            list << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return list;
    };
    EXPECT_EQ(texts("FileMenu"), (QStringList{"&New", "&Load", "&Import Script...", "Open Scrip&t...", "&Save", "Save &As...", "Sa&ve Output", "-",
                           "E&xit"}));
    EXPECT_EQ(texts("HelpMenu"), (QStringList{"&Introduction", "&Reference", "&Tutorials", "-", "&About"}));
    QStringList bar;
    for (QAction* action : Child<QMenuBar>(Frame, "MainMenu")->actions())
        bar << action->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Edit", "&View", "&Windows", "O&ptions", "&Help"}));
    EXPECT_EQ(texts("EditMenu"), (QStringList{"&Undo", "&Redo"}));
}

// Alt and a letter does one thing: no button of the task window takes a letter of the menu bar
// (Alt+E opens the Edit menu) or of another button (Alt+A is only Action).
TEST_F(MainFrameTest, NoTwoMnemonicsOfTheMenuBarAndTheTaskWindowClash)
{
    std::map<QChar, QString> taken;
    const auto take = [&taken](const QString& text) {
        const int amp = text.indexOf(u'&');
        ASSERT_GE(amp, 0) << text.toStdString() << " has no mnemonic";
        const QChar letter = text.at(amp + 1).toLower();
        const auto [place, fresh] = taken.emplace(letter, text);
        EXPECT_TRUE(fresh) << text.toStdString() << " and " << place->second.toStdString() << " share Alt+"
                           << QString(letter).toStdString();
    };
    for (QAction* menu : Child<QMenuBar>(Frame, "MainMenu")->actions())
        take(menu->text());
    take(TaskWindow()->findChild<QGroupBox*>("GroupBox1")->title());
    const QList<QPushButton*> buttons = TaskWindow()->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 10);
    for (QPushButton* button : buttons)
        take(button->text());
}

// A child window's frame shows the program's icon, not the toolkit's logo.
TEST_F(MainFrameTest, ChildFramesShowTheProgramsIcon)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::darkGreen);
    const QIcon programIcon(picture);
    QApplication::setWindowIcon(programIcon);
    Run("ViewProblemsItem");
    QWidget* frame = ChildFrame(Frame->ProblemsWindow());
    QApplication::setWindowIcon(QIcon());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->windowIcon().pixmap(16, 16).toImage(), picture.toImage());
}

// From the build tree no icon theme has the program's entry: the copy compiled into the program
// stands in, and a child window shows it even where no application icon was set.
TEST_F(MainFrameTest, ProgramIconIsThereWithoutAnInstalledTheme)
{
    const QIcon icon = ProgramIcon(QStringLiteral("net.vask.npceditor.not-installed"));
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 256})
        EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size)) << size;
    // The drawing: a transparent rounded corner around a dark blue backdrop.
    const QImage image = icon.pixmap(64, 64).toImage();
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    const QColor backdrop = image.pixelColor(32, 3);
    EXPECT_EQ(backdrop.alpha(), 255);
    EXPECT_GT(backdrop.blue(), backdrop.red());
    EXPECT_GT(backdrop.blue(), backdrop.green());

    QApplication::setWindowIcon(QIcon());
    Run("ViewProblemsItem");
    QWidget* frame = ChildFrame(Frame->ProblemsWindow());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->windowIcon().pixmap(16, 16).toImage(), ProgramIcon().pixmap(16, 16).toImage());
}


// ---- The help and the user guide against the program -----------------------------------------

// A page's text without its tags, entities decoded as far as the pages use them.
QString PageText(const std::filesystem::path& file)
{
    QFile page(QString::fromStdString(file.string()));
    EXPECT_TRUE(page.open(QIODevice::ReadOnly)) << file;
    QString text = QString::fromUtf8(page.readAll());
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

class HelpAgainstTheProgramTest : public MainFrameTest, public ::testing::WithParamInterface<const char*> {};

// Every menu, every entry of it and every key of an entry is named on the page, so the help and
// the guide cannot fall behind the menus.
TEST_P(HelpAgainstTheProgramTest, NamesEveryMenuEntryAndItsKeys)
{
    const QString text = PageText(SourceDir() / GetParam());
    const auto plain = [](QString caption) { return caption.remove(u'&').remove(QStringLiteral("...")).trimmed(); };
    for (QAction* menuAction : Child<QMenuBar>(Frame, "MainMenu")->actions()) {
        QMenu* menu = menuAction->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(text.contains(plain(menu->title()))) << menu->title().toStdString();
        for (QAction* entry : menu->actions()) {
            if (entry->isSeparator())
                continue;
            // Undo and Redo carry the name of their step ("Undo Delete group Shop"); the page names
            // the entry.
            QString name = plain(entry->text());
            if (name.startsWith(QStringLiteral("Undo")) || name.startsWith(QStringLiteral("Redo")))
                name = name.left(4);
            EXPECT_TRUE(text.contains(name)) << menu->title().toStdString() << " > " << name.toStdString();
            for (const QKeySequence& key : entry->shortcuts())
                EXPECT_TRUE(text.contains(key.toString(QKeySequence::PortableText)))
                    << name.toStdString() << ": " << key.toString().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, HelpAgainstTheProgramTest,
                         ::testing::Values("data/help/introduction/intro.html", "docs/user-guide.md"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Help" : "UserGuide"); });

} // namespace
