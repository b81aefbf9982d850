// The whole road through the windows: the editor starts as the program does (splash, catalogues
// read from files, main window), a script is built with the mouse and the keyboard in the NPC
// window, the task tree window and every task editor, saved with "Save As...", replaced by a new
// project, loaded again, and written with "Save Output". The text file must be the script the
// writing rules give for that project, byte for byte (tests/golden/end-to-end.txt, written by hand).
#include "EditorTestSupport.h"
#include "DocumentSupport.h"
#include "FrameTestSupport.h"
#include "ModelFixture.h"
#include "model/ProjectFile.h"

#include "ui/Form_Actions.h"
#include "ui/Form_Conditions.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Main.h"
#include "ui/Form_NPC.h"
#include "ui/Form_Splash.h"
#include "ui/Form_Tasks.h"
#include "ui/Form_Manual.h"
#include "ui/Form_Menus.h"
#include "ui/Form_Message.h"
#include "ui/Form_NPC.h"
#include "ui/Form_Splash.h"
#include "ui/Form_Tasks.h"
#include "ui/SpinField.h"
#include "ui/Startup.h"
#include "ui/TaskTreeModel.h"
#include "ui/TaskTreeView.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>

using namespace frametest;

namespace fs = std::filesystem;

namespace {

// The catalogue files of data/, as the editor finds them in its working folder.
void CopySampleCatalogues(const fs::path& to)
{
    const fs::path samples = SourceDir() / "data";
    fs::create_directories(to);
    for (const char* name : {"jobs.ini", "maps.ini", "npcs.ini", "item_db.txt"})
        fs::copy_file(samples / name, to / name);
    fs::copy(samples / "npcs", to / "npcs", fs::copy_options::recursive);
}

// The tree as "Start(A,G(B,C),D)", from the node texts.
class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopySampleCatalogues(Dir / "data");
        fs::create_directories(Dir / "projects");
        // As in a fresh process: an earlier run of this test leaves its project state behind.
        Project().ProjectFileName.clear();
        Project().Modified = false;
        Started = StartEditor(Dir / "data", Dialogs.Answering());
        MainForm = Started.get();
        ShareDocument(&MainForm->Document());
        ASSERT_NE(MainForm, nullptr);
        MainForm->QuitApplication = [] { ADD_FAILURE() << "the program was ended"; };
        ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    }

    void TearDown() override
    {
        Started.reset();
        MainForm = nullptr;
        ProcessDeletions();
        EXPECT_TRUE(Dialogs->Errors.empty()) << "error box: " << Dialogs->Errors.front().toStdString();
    }

    // ---- The frame's menu ----

    // Opens menu by a click on its title in the menu bar and clicks the entry of action in it.
    void ChooseMenuEntry(const char* menuName, const char* actionName)
    {
        QMenuBar* bar = MainForm->menuBar();
        auto* menu = Child<QMenu>(MainForm, menuName);
        auto* action = Child<QAction>(MainForm, actionName);
        ASSERT_TRUE(menu && action);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu)) << menuName << " did not open";
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        ASSERT_TRUE(QTest::qWaitFor([menu] { return !menu->isVisible(); }, 2000));
        ProcessDeletions();
    }

    // ---- The task tree window ----

    static TTaskNode* Start() { return Project().TaskTree.GetFirstNode(); }
    TTaskTreeView* Tree() const { return TaskWindow()->TasksList(); }

    void ClickNode(const TTaskNode* node) const
    {
        Tree()->expandAll();
        const QRect row = Tree()->visualRect(Tree()->TaskModel()->IndexOf(node));
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, row.center());
        ASSERT_EQ(Project().TaskTree.Selected(), node) << node->Text();
    }

    void ClickTaskButton(const char* name) const { Click(Child<QPushButton>(TaskWindow(), name)); }

    // Selects node, presses the kind's button and gives back the editor it opened.
    template <class TEditor>
    TEditor* OpenEditor(const TTaskNode* node, const char* button) const
    {
        ClickNode(node);
        ClickTaskButton(button);
        const QList<TEditor*> open = MainForm->findChildren<TEditor*>();
        EXPECT_EQ(open.size(), 1) << button;
        return open.isEmpty() ? nullptr : open.front();
    }

    static void Apply(QWidget* editor)
    {
        Click(Child<QPushButton>(editor, "ApplyButton"));
        ProcessDeletions();
    }

    // Confirms the in-place edit the tree has open with text.
    void TypeRename(const QString& text) const
    {
        auto* edit = Tree()->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr) << "no in-place edit is open";
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
        ProcessDeletions();
    }

    // ---- The task editors ----

    void AddMessage(const TTaskNode* at, const QString& text)
    {
        auto* editor = OpenEditor<TMessageForm>(at, "MessageButton");
        ASSERT_NE(editor, nullptr);
        auto* edit = Child<QPlainTextEdit>(editor, "MessageEdit");
        edit->setFocus();
        QTest::keyClicks(edit, text);
        Apply(editor);
    }

    // An action of the list, with its values typed into the named fields.
    void AddAction(const TTaskNode* at, const QString& action,
                   const std::vector<std::pair<const char*, QString>>& values = {},
                   const QString& map = {})
    {
        auto* editor = OpenEditor<TActionForm>(at, "ActionButton");
        ASSERT_NE(editor, nullptr);
        editortest::ClickRow(Child<QListWidget>(editor, "ActionsList"), action);
        if (!map.isEmpty())
            editortest::PickEntry(Child<QComboBox>(editor, "MapCombo"), map);
        for (const auto& [field, value] : values)
            editortest::Type(Child<TSpinField>(editor, field), value);
        Apply(editor);
    }

    // "Zeny" at least amount, jumping to the exit of the condition's own group.
    void AddZenyCondition(const TTaskNode* at, const QString& amount)
    {
        auto* editor = OpenEditor<TConForm>(at, "ConButton");
        ASSERT_NE(editor, nullptr);
        editortest::PickEntry(Child<QComboBox>(editor, "VarCombo"), QStringLiteral("Zeny"));
        editortest::PickEntry(Child<QComboBox>(editor, "ConCombo"), QStringLiteral("At least"));
        editortest::Type(Child<TSpinField>(editor, "AmountEdit"), amount);
        Click(Child<QPushButton>(editor, "AddButton"));
        editortest::PickEntry(Child<QComboBox>(editor, "GroupCombo"), QStringLiteral("Group Exit"));
        Apply(editor);
    }

    void AddMenu(const TTaskNode* at, const std::vector<std::pair<QString, QString>>& choices)
    {
        auto* editor = OpenEditor<TMenuForm>(at, "MenuButton");
        ASSERT_NE(editor, nullptr);
        for (const auto& [text, group] : choices) {
            editortest::Type(Child<QLineEdit>(editor, "MenuEdit"), text);
            editortest::PickEntry(Child<QComboBox>(editor, "GroupCombo"), group);
            Click(Child<QPushButton>(editor, "AddButton"));
        }
        Apply(editor);
    }

    void AddManual(const TTaskNode* at, const QStringList& lines)
    {
        auto* editor = OpenEditor<TManualForm>(at, "ManualButton");
        ASSERT_NE(editor, nullptr);
        auto* code = Child<QPlainTextEdit>(editor, "CodeEdit");
        code->setFocus();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(code, Qt::Key_Return);
            QTest::keyClicks(code, lines[i]);
        }
        Apply(editor);
    }

    // ---- The NPC window ----

    void FillInNPC()
    {
        editortest::Type(Child<QLineEdit>(NPCWindow(), "NameEdit"), QStringLiteral("Guide"));
        editortest::Type(Child<TSpinField>(NPCWindow(), "XEdit"), QStringLiteral("150"));
        editortest::Type(Child<TSpinField>(NPCWindow(), "YEdit"), QStringLiteral("180"));
        editortest::PickEntry(Child<QComboBox>(NPCWindow(), "DirCombo"), QStringLiteral("South"));
        editortest::PickEntry(Child<QComboBox>(NPCWindow(), "MapCombo"), QStringLiteral("Prontera"));
        editortest::Type(Child<TSpinField>(NPCWindow(), "IDEdit"), QStringLiteral("113"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // leaving the field settles it
    }

    // The worked example (Hello, Next, a group Bye with Goodbye and Close), a condition to the
    // group's exit placed before Goodbye, then a menu, manual code and a warp at the end of Start.
    void BuildScript()
    {
        AddMessage(Start(), QStringLiteral("Hello."));
        AddAction(Start(), QStringLiteral("Next Button"));
        ClickNode(Start());
        ClickTaskButton("GroupButton");
        TTaskNode* bye = Start()->Child(Start()->ChildCount() - 1);
        TypeRename(QStringLiteral("Bye"));
        AddMessage(bye, QStringLiteral("Goodbye."));
        TTaskNode* goodbye = bye->Child(0);
        AddAction(bye, QStringLiteral("Close Script"));
        AddZenyCondition(goodbye, QStringLiteral("1000"));
        AddMenu(Start(), {{QStringLiteral("Goodbye"), QStringLiteral("Bye")},
                          {QStringLiteral("Again"), QStringLiteral("Start")}});
        AddManual(Start(), {QStringLiteral("set Zeny, Zeny - 10;"), QStringLiteral("end;")});
        AddAction(Start(), QStringLiteral("Warp"),
                  {{"XEdit", QStringLiteral("119")}, {"YEdit", QStringLiteral("59")}},
                  QStringLiteral("Geffen"));
    }

    std::string Title() const { return MainForm->windowTitle().toStdString(); }

    // The windows of the editor started.
    TTaskForm* TaskWindow() const { return MainForm ? MainForm->TaskWindow() : nullptr; }
    TNPCForm* NPCWindow() const { return MainForm ? MainForm->NPCWindow() : nullptr; }
    TEditorForm* OutputWindow() const { return MainForm ? MainForm->OutputWindow() : nullptr; }
    TSplashForm* SplashWindow() const { return MainForm ? MainForm->SplashWindow() : nullptr; }

    TDialogsScope Dialogs;
    TTempDir Dir;
    std::unique_ptr<TMainForm> Started;  // the editor started, with every window it owns
    TMainForm* MainForm = nullptr;
};

TEST_F(EndToEndTest, ScriptBuiltInTheWindowsSurvivesSaveNewAndLoadAndIsWrittenByTheRules)
{
    ASSERT_TRUE(MainForm->isVisible());
    ASSERT_GT(Project().Catalogues().Items.size(), 0u) << "the catalogues were not read";
    EXPECT_EQ(Title(), ExpectedTitle("No File Open"));

    FillInNPC();
    BuildScript();
    if (HasFatalFailure())
        return;
    const std::string built = TreeShape(Start());
    EXPECT_EQ(built,
              "Start(Message: Hello.\r\n,Action: Next Button,"
              "Bye(Condition: At least 1000 Zeny,Message: Goodbye.\r\n,Action: Close Script),"
              "Menu: Goodbye, Again,Manual: set Zeny, Zeny - 10;\r\nend;\r\n,"
              "Action: Warp(geffen.gat, 119, 59))");
    EXPECT_EQ(Title(), ExpectedTitle("No File Open", "eAthena", true));

    const std::string project = (Dir / "projects" / "guide.NPC").string();
    Dialogs->SaveNames.push_back(QString::fromStdString(project));
    ChooseMenuEntry("FileMenu", "FileSaveAsItem");
    EXPECT_EQ(Dialogs->SaveDialogs, 1);
    EXPECT_TRUE(fs::is_regular_file(project));
    EXPECT_EQ(Title(), ExpectedTitle(project));

    ChooseMenuEntry("FileMenu", "FileNewItem");
    EXPECT_TRUE(Dialogs->Questions.empty()) << "a saved project needs no question";
    EXPECT_EQ(TreeShape(Start()), "Start");
    EXPECT_EQ(Project().NPCInfo.Name, "");
    EXPECT_EQ(Title(), ExpectedTitle("No File Open"));

    Dialogs->OpenNames.push_back(QString::fromStdString(project));
    ChooseMenuEntry("FileMenu", "FileLoadItem");
    EXPECT_EQ(Dialogs->OpenDialogs, 1);
    EXPECT_EQ(Title(), ExpectedTitle(project));
    EXPECT_EQ(Child<QLineEdit>(NPCWindow(), "NameEdit")->text(), QStringLiteral("Guide"));
    EXPECT_EQ(Child<QComboBox>(NPCWindow(), "DirCombo")->currentText(), QStringLiteral("South"));

    ChooseMenuEntry("FileMenu", "FileSaveOutputItem");
    EXPECT_TRUE(Dialogs->Messages.empty());
    const fs::path script = Dir / "projects" / "guide.txt";
    ASSERT_TRUE(fs::is_regular_file(script));
    EXPECT_EQ(CompareWithGolden("end-to-end.txt", ReadBytes(script)), "");
    EXPECT_EQ(TreeShape(Start()), built) << "the loaded tree differs from the one saved";
    EXPECT_EQ(Title(), ExpectedTitle(project)) << "writing the output changes nothing";
}

TEST_F(EndToEndTest, TheWholeWalkUndoesBackToTheEmptyProjectAndRedoesToTheScript)
{
    const std::string empty = SaveProjectBytes(Project());
    FillInNPC();
    BuildScript();
    if (HasFatalFailure())
        return;
    const std::string built = SaveProjectBytes(Project());
    const std::string shape = TreeShape(Start());

    auto* undo = Child<QAction>(MainForm, "EditUndoItem");
    auto* redo = Child<QAction>(MainForm, "EditRedoItem");
    int steps = 0;
    for (; undo->isEnabled() && steps < 100; ++steps)
        ChooseMenuEntry("EditMenu", "EditUndoItem");
    // Ten changes of the tree (nine adds and a rename) and five NPC fields (the map stays the
    // default Prontera), each run of typing in a field one step.
    EXPECT_EQ(steps, 15);
    EXPECT_EQ(SaveProjectBytes(Project()), empty);
    EXPECT_EQ(TreeShape(Start()), "Start");
    EXPECT_EQ(Child<QLineEdit>(NPCWindow(), "NameEdit")->text(), QString());
    EXPECT_EQ(Title(), ExpectedTitle("No File Open"));

    while (redo->isEnabled())
        ChooseMenuEntry("EditMenu", "EditRedoItem");
    EXPECT_EQ(SaveProjectBytes(Project()), built);
    EXPECT_EQ(TreeShape(Start()), shape);
    EXPECT_EQ(Child<QLineEdit>(NPCWindow(), "NameEdit")->text(), QStringLiteral("Guide"));
}

} // namespace
