// Starts the editor on the sample catalogues (<build>/data), builds a small healer NPC through the
// task tree window, and renders the main windows offscreen. With NPC_SCREENSHOT_DIR set (see
// scripts/screenshots.sh) the pictures are kept there for the documentation; otherwise they go to
// a temporary folder and the test only checks that every window rendered.
#include "FrameTestSupport.h"
#include "DocumentSupport.h"

#include "model/ConditionTasks.h"
#include "document/Document.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "model/ScriptWriter.h"
#include "ui/ChildWindows.h"
#include "ui/Form_Conditions.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Import.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Main.h"
#include "ui/Form_NPC.h"
#include "ui/Form_Splash.h"
#include "ui/Form_Tasks.h"
#include "ui/Form_NPC.h"
#include "ui/Form_NPCBrowser.h"
#include "ui/Form_PlayTest.h"
#include "ui/Form_Problems.h"
#include "ui/Form_ScriptFile.h"
#include "ui/Form_Splash.h"
#include "ui/Form_Tasks.h"
#include "ui/TaskTreeView.h"
#include "ui/Startup.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QSpinBox>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>
#include <set>

using namespace frametest;

namespace {

std::filesystem::path SampleDataDir()
{
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../data"))
        .absoluteFilePath()
        .toStdString();
}

template <class T>
T* Add(std::unique_ptr<T> task, std::string caption, TTaskNode* group)
{
    T* raw = task.get();
    task->Caption = std::move(caption);
    Project().TaskTree.Select(group);
    Document().AddTask(std::move(task));  // the output is written once the NPC is whole
    return raw;
}

std::unique_ptr<TActionTask> MakeAction(int index, std::vector<std::int32_t> params)
{
    auto action = std::make_unique<TActionTask>(ActionAt(index)->Caption, ActionAt(index));
    for (std::size_t i = 0; i < params.size(); ++i)
        action->SetParam(static_cast<int>(i), params[i]);
    return action;
}

void AddAction(int index, std::vector<std::int32_t> params, TTaskNode* group)
{
    auto action = MakeAction(index, std::move(params));
    const std::string caption = "Action: " + action->ActionText(true, Project().Catalogues());
    Add(std::move(action), caption, group);
}

void AddMessage(std::vector<std::string> lines, TTaskNode* group)
{
    auto message = std::make_unique<TMessageTask>(lines);
    Add(std::move(message), "Message: " + LinesText(lines), group);
}

TGroupTask* AddGroupUnder(const std::string& caption, TTaskNode* parent)
{
    return Add(Project().NewGroup(caption), caption, parent);
}

// Start: greeting, a menu; group Heal: a zeny check, payment, heal, goodbye; group Bye.
TConTask* BuildHealer()
{
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    AddMessage({"Hello, traveller!", "Shall I heal you for 500 zeny?"}, start);
    AddAction(5, {}, start);
    auto menu = std::make_unique<TMenuTask>();
    TMenuTask* menuTask = Add(std::move(menu), "Menu: ", start);
    TGroupTask* heal = AddGroupUnder("Heal", start);
    TGroupTask* bye = AddGroupUnder("Bye", start);
    TMenuTask filled;
    filled.AddEntry(std::make_unique<TDMenu>("Yes, please", heal->GroupNumber));
    filled.AddEntry(std::make_unique<TDMenu>("No, thanks", bye->GroupNumber));
    filled.Caption = "Menu: " + filled.SummaryText();
    Document().EditTask(menuTask, filled);

    auto condition = std::make_unique<TConTask>();
    auto check = std::make_unique<TConCheck>();
    check->Kind = 5;  // Less than
    check->Value = 500;
    check->Variable = FindVariable("Zeny");
    condition->AddCheck(std::move(check));
    condition->Target = bye->GroupNumber;
    const std::string conditionCaption = "Condition: " + condition->SummaryText(Project().Catalogues());
    TConTask* conditionTask = Add(std::move(condition), conditionCaption, heal->Node);
    AddAction(7, {500}, heal->Node);
    AddAction(2, {9999, 9999}, heal->Node);
    AddMessage({"There you go. Take care!"}, heal->Node);
    AddAction(6, {}, heal->Node);
    AddMessage({"Come back any time."}, bye->Node);
    AddAction(6, {}, bye->Node);
    return conditionTask;
}

void SetUpHealer(TNPCForm& npc)
{
    Project().NPCInfo.Name = "Healer";
    Project().NPCInfo.X = 150;
    Project().NPCInfo.Y = 180;
    Project().NPCInfo.Direction = 5;
    const TCatalogues& catalogues = Project().Catalogues();
    Project().NPCInfo.MapIndex = catalogues.IndexOfMap(catalogues.FindMap("prontera.gat"));
    if (const TNPCImg* sprite = catalogues.FindNPCImg(60))
        Project().NPCInfo.SpriteID = sprite->ID;
    npc.ShowNPC();
    Project().HeaderInfo.ScriptName = "Prontera Healer";
    Project().HeaderInfo.Author = "Vask";
}

// How many colours the picture shows, counted up to a few: enough to tell a drawn window from a
// blank one.
int DistinctColours(const QImage& picture)
{
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height() && colours.size() < 8; y += 3)
        for (int x = 0; x < picture.width() && colours.size() < 8; x += 3)
            colours.insert(picture.pixel(x, y));
    return static_cast<int>(colours.size());
}

void Save(QWidget* window, const QDir& dir, const char* name)
{
    const QImage picture = window->grab().toImage();
    ASSERT_FALSE(picture.isNull()) << name;
    EXPECT_GT(picture.width(), 100) << name;
    EXPECT_GT(picture.height(), 80) << name;
    // Something is drawn: a window of one colour rendered nothing. The middle of a dialog may be
    // its plain ground, so the whole picture is looked at, not one point of it.
    EXPECT_GT(DistinctColours(picture), 2) << name;
    EXPECT_TRUE(picture.save(dir.filePath(QString::fromLatin1(name)), "PNG")) << name;
}

// The editor started on the sample catalogues, its main window at the pictures' size; the
// pictures go to NPC_SCREENSHOT_DIR, else to a scratch folder. Closed again after each test.
class Screenshots : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::filesystem::path data = SampleDataDir();
        if (!std::filesystem::exists(data / "npcs.ini"))
            GTEST_SKIP() << "the sample catalogues were not staged into <build>/data";
        const QByteArray wanted = qgetenv("NPC_SCREENSHOT_DIR");
        Out = QDir(wanted.isEmpty() ? QString::fromStdString(Scratch.Path().string()) : QString::fromLocal8Bit(wanted));
        ASSERT_TRUE(Out.exists()) << Out.path().toStdString();
        // The play-test window's presets come from the test settings, never the user's.
        QStandardPaths::setTestModeEnabled(true);
        Started = StartEditor(data, Dialogs.Answering());
        MainForm = Started.get();
        ShareDocument(&MainForm->Document());
        ASSERT_NE(MainForm, nullptr);
        ASSERT_TRUE(Dialogs->Errors.empty()) << Dialogs->Errors.front().toStdString();
        MainForm->QuitApplication = [] {};
        delete SplashWindow();
        MainForm->setWindowState(Qt::WindowNoState);
        MainForm->resize(1180, 760);
    }

    void TearDown() override
    {
        Started.reset();
        MainForm = nullptr;
        ProcessDeletions();
    }

    // The windows of the editor started.
    TTaskForm* TaskWindow() const { return MainForm ? MainForm->TaskWindow() : nullptr; }
    TNPCForm* NPCWindow() const { return MainForm ? MainForm->NPCWindow() : nullptr; }
    TEditorForm* OutputWindow() const { return MainForm ? MainForm->OutputWindow() : nullptr; }
    TSplashForm* SplashWindow() const { return MainForm ? MainForm->SplashWindow() : nullptr; }

    TTempDir Scratch;
    QDir Out;
    TDialogsScope Dialogs;
    std::unique_ptr<TMainForm> Started;  // the editor started, with every window it owns
    TMainForm* MainForm = nullptr;
};

TEST_F(Screenshots, TheWindowsRenderOnTheSampleData)
{
    SetUpHealer(*NPCWindow());
    TConTask* condition = BuildHealer();
    Document().SetModified(false);
    TaskWindow()->ShowOutput();
    ASSERT_NE(OutputWindow(), nullptr);
    ChildFrame(OutputWindow())->setGeometry(500, 0, 560, 600);
    BringToFront(TaskWindow());
    QCoreApplication::processEvents();
    Save(MainForm, Out, "main-window.png");
    Save(ChildFrame(OutputWindow()), Out, "output-window.png");

    Click(Child<QPushButton>(NPCWindow(), "BrowseButton"));
    TNPCBrowserForm* browser = NPCWindow()->Browser();
    ASSERT_NE(browser, nullptr);
    auto* sprites = Child<QListWidget>(browser, "NPCListView");
    sprites->scrollToItem(sprites->currentItem(), QAbstractItemView::PositionAtCenter);
    QCoreApplication::processEvents();
    Save(ChildFrame(browser), Out, "sprite-browser.png");
    Click(Child<QPushButton>(browser, "CancelButton"));

    TaskWindow()->OpenConditionEditor(condition);
    auto* editor = MainForm->findChild<TConForm*>();
    ASSERT_NE(editor, nullptr);
    QCoreApplication::processEvents();
    Save(ChildFrame(editor), Out, "condition-editor.png");

    // The healer played: greeting, Next, "Yes, please" for a player with 1000 zeny.
    Click(Child<QPushButton>(editor, "CancelButton"));
    MainForm->WinPlayTest();
    TPlayTestForm* play = MainForm->PlayTest();
    ASSERT_NE(play, nullptr);
    Child<QSpinBox>(play, "ZenyField")->setValue(1000);
    Click(Child<QPushButton>(play, "ApplyPlayerButton"));
    play->PressNext();
    play->Choose(1);
    ASSERT_TRUE(Dialogs->Errors.empty()) << Dialogs->Errors.front().toStdString();
    ChildFrame(play)->setGeometry(20, 20, 820, 600);
    BringToFront(play);
    QCoreApplication::processEvents();
    Save(ChildFrame(play), Out, "play-test-window.png");

    // The group "Bye" deleted while the menu and the condition still jump to it.
    for (TTaskNode* node : Project().TaskTree.Nodes())
        if (node->Text() == "Bye")
            Project().TaskTree.Select(node);
    TaskWindow()->DeleteButtonClick();
    MainForm->ViewProblems();
    ASSERT_NE(MainForm->ProblemsWindow(), nullptr);
    ChildFrame(MainForm->ProblemsWindow())->setGeometry(0, 470, 760, 200);
    QCoreApplication::processEvents();
    Save(ChildFrame(MainForm->ProblemsWindow()), Out, "problems-window.png");

    // A script file of several NPCs, its Guide open as tasks beside it.
    WriteBytes(Scratch / "prontera.txt",
               "//===== Prontera town NPCs =====\r\n\r\n"
               "prontera,156,190,4\tscript\tSoldier\t105,{\r\n\tmes \"[Soldier]\";\r\n\tmes \"Halt!\";\r\n\tclose;\r\n}\r\n\r\n"
               "prontera,150,180,4\tscript\tGuide\t45,{\r\n\tmes \"[Guide]\";\r\n\tmes \"Welcome to Prontera.\";\r\n"
               "\tnext;\r\n\tmenu \"Directions\",L_Way,\"Bye\",-;\r\n\tclose;\r\nL_Way:\r\n\tmes \"[Guide]\";\r\n"
               "\tmes \"The castle is north.\";\r\n\tclose;\r\n}\r\n\r\n"
               "prontera,73,134,0\tshop\tTool Dealer\t47,501:-1,502:-1\r\n"
               "prontera,156,22,0\twarp\tprt_south\t2,2,prt_fild08,170,375\r\n"
               "prontera\tmapflag\tnosave\tSavePoint\r\n");
    TScriptFileForm* scriptFile = MainForm->OpenScriptFile(QString::fromStdString((Scratch / "prontera.txt").string()));
    ASSERT_NE(scriptFile, nullptr);
    ChildFrame(scriptFile)->setGeometry(0, 0, 1000, 560);
    scriptFile->EntryList()->setCurrentCell(1, 0);
    QWidget* guide = scriptFile->OpenSelected();
    ASSERT_NE(guide, nullptr);
    ASSERT_TRUE(Dialogs->Errors.empty()) << Dialogs->Errors.front().toStdString();
    // The NPC's window holds its task window and NPC window side by side.
    ChildFrame(guide)->setGeometry(250, 150, 850, 440);
    BringToFront(guide);
    QCoreApplication::processEvents();
    Save(MainForm, Out, "script-file-window.png");
}

// What an import gives: a speaker's messages, an if block, a switch on a menu choice, a subroutine
// under its author's label, an event group for the touch area, the map kept by its name.
const char* const ImportedScript =
    "//===== eAthena Script =======================================\r\n"
    "//= The Well Keeper\r\n"
    "//===== By: ==================================================\r\n"
    "//= Vask\r\n"
    "//===== Current Version: =====================================\r\n"
    "//= 1.0\r\n"
    "//===== Compatible With: =====================================\r\n"
    "//= eAthena\r\n"
    "//===== Description: =========================================\r\n"
    "//= A keeper who lets a traveller drink\r\n"
    "//= from the town's well.\r\n"
    "//============================================================\r\n"
    "\r\n"
    "prontera,160,185,4\tscript\tWell Keeper#prt\t86,2,2,{\r\n"
    "\tmes \"[Well Keeper]\";\r\n"
    "\tmes \"The water is clear today.\";\r\n"
    "\tnext;\r\n"
    "\tif (BaseLevel < 10) {\r\n"
    "\t\tmes \"[Well Keeper]\";\r\n"
    "\t\tmes \"Come back when you are stronger.\";\r\n"
    "\t\tclose;\r\n"
    "\t}\r\n"
    "\tswitch (select(\"Drink:Leave\")) {\r\n"
    "\tcase 1:\r\n"
    "\t\tcallsub L_Drink;\r\n"
    "\t\tbreak;\r\n"
    "\tcase 2:\r\n"
    "\t\tmes \"[Well Keeper]\";\r\n"
    "\t\tmes \"Farewell.\";\r\n"
    "\t\tbreak;\r\n"
    "\t}\r\n"
    "\tclose;\r\n"
    "L_Drink:\r\n"
    "\tif (Zeny >= 10) {\r\n"
    "\t\tset Zeny, Zeny - 10;\r\n"
    "\t\theal 100, 0;\r\n"
    "\t\tmes \"Refreshing!\";\r\n"
    "\t} else {\r\n"
    "\t\tmes \"You need 10 zeny.\";\r\n"
    "\t}\r\n"
    "\treturn;\r\n"
    "OnTouch:\r\n"
    "\temotion e_hmm;\r\n"
    "\tend;\r\n"
    "}\r\n";

TEST_F(Screenshots, AnImportedNpcBesideItsWrittenScript)
{
    const TImportSource source("well.txt", ImportedScript);
    ASSERT_EQ(source.File.Entries.size(), 1u);
    ImportChosenNpc(Document(), source, 0, TServerTarget::EAthena);
    // The import made real tasks, not manual code, and the script written back is structured.
    std::vector<std::string> lines;
    GenerateScript(Project(), lines);
    const auto has = [&lines](const std::string& text) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    for (const char* text : {"callsub L_Drink;", "L_Drink:", "OnTouch:", "} else {", "switch (select(", ",2,2,{"})
        EXPECT_TRUE(has(text)) << text;
    for (const TTaskNode* node : Project().TaskTree.Nodes())
        if (node->Data())
            EXPECT_NE(node->Data()->Kind(), TTaskKind::Manual) << node->Text();

    TaskWindow()->ShowOutput();
    ASSERT_NE(OutputWindow(), nullptr);
    ChildFrame(TaskWindow())->setGeometry(0, 165, 520, 550);
    ChildFrame(OutputWindow())->setGeometry(530, 0, 560, 715);
    TaskWindow()->TasksList()->expandAll();
    BringToFront(TaskWindow());
    QCoreApplication::processEvents();
    Save(MainForm, Out, "imported-npc.png");
}

} // namespace
