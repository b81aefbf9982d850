// File > Open Script...: a script file of several NPCs in a window of its own, the list of its
// entries, an entry edited as code and an NPC edited as tasks, the save with only those bytes
// replaced, the question about what the server would refuse, and a file changed on disk.
#include "MainFrameFixture.h"
#include "DocumentSupport.h"

#include <gmock/gmock.h>

#include "model/MessageTasks.h"
#include "ui/ChildWindows.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Message.h"
#include "ui/Form_NPC.h"
#include "ui/Form_PlayTest.h"
#include "ui/Form_ScriptEntry.h"
#include "ui/Form_ScriptFile.h"
#include "ui/Form_Tasks.h"
#include "ui/SpinField.h"
#include "ui/TaskTreeView.h"
#include "workspace/ScriptWorkspace.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBlock>
#include <QTreeView>

#include <algorithm>

using namespace frametest;

namespace {

const std::string Soldier = "prontera,10,10,4\tscript\tSoldier\t45,{\r\n\tmes \"Halt!\";\r\n\tclose;\r\n}";
const std::string Guide = "prontera,150,180,4\tscript\tGuide\t45,{\r\n\tmes \"[Guide]\";\r\n\tmes \"Hi\";\r\n\tclose;\r\n}";
const std::string Town = "// Town\r\n\r\n" + Soldier + "\r\n" + Guide + "\r\nprontera\tmapflag\tnosave\tSavePoint";

class ScriptFileFormTest : public MainFrameTest {
protected:
    void SetUp() override
    {
        MainFrameTest::SetUp();
        WriteBytes(Dir / "town.txt", Town);
    }

    TScriptFileForm* OpenTown()
    {
        Dialogs->ScriptNames.push_back(QPathOf("town.txt"));
        Run("FileOpenScriptItem");
        auto* form = Frame->findChild<TScriptFileForm*>();
        EXPECT_NE(form, nullptr);
        return form;
    }

    template <class TForm>
    static TForm* OpenRow(TScriptFileForm* form, int row, const char* button)
    {
        form->EntryList()->setCurrentCell(row, 0);
        Child<QPushButton>(form, button)->click();
        auto* opened = form->window()->findChild<TForm*>();
        EXPECT_NE(opened, nullptr);
        return opened;
    }

    static QString Cell(TScriptFileForm* form, int row, int column)
    {
        return form->EntryList()->item(row, column)->text();
    }
};

TEST_F(ScriptFileFormTest, ListsEveryEntryWithHowItOpens)
{
    EXPECT_TRUE(Child<QMenu>(Frame, "FileMenu")->actions().contains(Command("FileOpenScriptItem")));
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(form->EntryList()->rowCount(), 3);
    const QStringList expected[] = {{"NPC", "Soldier", "3-6", "tasks"},
                                    {"NPC", "Guide", "7-11", "tasks"},
                                    {"map flag", "nosave", "12-12", "code: a map flag, not an NPC"}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(Cell(form, row, column), expected[row][column]) << row << "," << column;
    EXPECT_EQ(form->FileText()->toPlainText(), QString::fromStdString(Town).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Script File - town.txt"));
}

TEST_F(ScriptFileFormTest, AnEntryEditedAsCodeIsTheOnlyChangeSaved)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* code = OpenRow<TScriptCodeForm>(form, 0, "OpenCodeButton");
    ASSERT_NE(code, nullptr);
    QPlainTextEdit* edit = code->Code();
    EXPECT_EQ(edit->toPlainText().toStdString(), "prontera,10,10,4\tscript\tSoldier\t45,{\n\tmes \"Halt!\";\n\tclose;\n}");
    QTextCursor cursor(edit->document()->findBlockByNumber(2));
    edit->setTextCursor(cursor);
    QTest::keyClick(edit, Qt::Key_Tab);
    QTest::keyClicks(edit, "mes \"Who goes there?\";");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Cell(form, 0, 0), QStringLiteral("NPC *"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Script File - town.txt *"));
    Child<QPushButton>(form, "SaveButton")->click();
    EXPECT_TRUE(Dialogs->Errors.empty()) << Dialogs->Errors.front().toStdString();
    const std::string soldier = "prontera,10,10,4\tscript\tSoldier\t45,{\r\n\tmes \"Halt!\";\r\n\tmes \"Who goes there?\";\r\n"
                                "\tclose;\r\n}";
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), "// Town\r\n\r\n" + soldier + "\r\n" + Guide + "\r\nprontera\tmapflag\tnosave\tSavePoint");
    EXPECT_FALSE(form->Workspace().IsModified());
    // Undo in the entry's editor takes the line out again: the file differs once more.
    edit->undo();
    EXPECT_TRUE(form->Workspace().IsModified());
}

TEST_F(ScriptFileFormTest, ANewLoadErrorAsksBeforeSaving)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* code = OpenRow<TScriptCodeForm>(form, 2, "OpenButton");  // a map flag opens as code
    ASSERT_NE(code, nullptr);
    code->Code()->setPlainText(QStringLiteral("prontera,1,1,4\tscript\tBroken\t45,{\n\tfrobnicate;\n}"));
    code->CheckNow();
    EXPECT_TRUE(Child<QLabel>(code, "CheckStatus")->text().startsWith(QStringLiteral("1 error(s); first: line 2: ")));
    Dialogs->Answers = {TAnswer::No};
    EXPECT_FALSE(form->Save());
    ASSERT_EQ(Dialogs->Questions.size(), 1u);
    EXPECT_TRUE(Dialogs->Questions[0].Text.startsWith(QStringLiteral("The server will refuse this file: 1 new error(s)")));
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), Town);
    Dialogs->Answers = {TAnswer::Yes};
    EXPECT_TRUE(form->Save());
    EXPECT_THAT(ReadBytes(Dir / "town.txt"), ::testing::EndsWith("\r\nprontera,1,1,4\tscript\tBroken\t45,{\r\n\tfrobnicate;\r\n}"));
}

TEST_F(ScriptFileFormTest, AnNpcOpenedAsTasksWritesTheEditorsLinesOnlyWhenChanged)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* npc = OpenRow<TScriptNpcForm>(form, 1, "OpenButton");
    ASSERT_NE(npc, nullptr);
    EXPECT_FALSE(form->Workspace().IsModified());
    TMessageTask* message = nullptr;
    for (int i = 0; i < npc->Document().Project().TaskList.TaskCount() && !message; ++i)
        if (npc->Document().Project().TaskList.TaskAt(i)->Kind() == TTaskKind::Message)
            message = static_cast<TMessageTask*>(npc->Document().Project().TaskList.TaskAt(i));
    ASSERT_NE(message, nullptr);
    const std::unique_ptr<TTask> changed = CopyTask(*message);
    static_cast<TMessageTask&>(*changed).Lines = {"Welcome to Prontera!"};
    npc->Document().EditTask(message, *changed);
    const std::size_t part = form->Workspace().EntryParts()[1];
    EXPECT_TRUE(form->Workspace().IsChanged(part));
    const std::string written = form->Workspace().CurrentText(part);
    EXPECT_THAT(written, ::testing::StartsWith("prontera,150,180,4\tscript\tGuide\t45,{\r\n"));
    EXPECT_THAT(written, ::testing::HasSubstr("\tmes \"Welcome to Prontera!\";\r\n"));
    // Undo brings the project back to what the file holds: nothing is to be written.
    Child<QPushButton>(npc, "UndoButton")->click();
    EXPECT_FALSE(form->Workspace().IsModified());
    Child<QPushButton>(npc, "RedoButton")->click();
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), "// Town\r\n\r\n" + Soldier + "\r\n" + written + "\r\nprontera\tmapflag\tnosave\tSavePoint");
    EXPECT_FALSE(npc->Document().Project().Modified);
}

// The messages the NPC's play shows, in order.
std::vector<std::string> Said(const script::TRunResult& run)
{
    std::vector<std::string> said;
    for (const script::TEvent& event : run.Events)
        if (event.Kind == script::TEventKind::Mes)
            said.push_back(event.Text);
    return said;
}

// The captions of the tasks under the NPC's first node, in order.
std::vector<std::string> StartCaptions(TScriptNpcForm* npc)
{
    std::vector<std::string> captions;
    const TTaskNode* start = npc->Document().Project().TaskTree.GetFirstNode();
    for (int i = 0; i < start->ChildCount(); ++i)
        captions.push_back(start->Child(i)->Text());
    return captions;
}

TEST_F(ScriptFileFormTest, AnNpcFromTheFileIsEditedInTheProgramsOwnWindows)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* npc = OpenRow<TScriptNpcForm>(form, 1, "OpenButton");
    ASSERT_NE(npc, nullptr);
    // The program's windows, bound to the NPC's document, not to the main window's.
    ASSERT_NE(npc->Tasks(), nullptr);
    EXPECT_EQ(&npc->Tasks()->Document(), &npc->Document());
    EXPECT_EQ(TTaskForm::Of(npc->Document()), npc->Tasks());
    EXPECT_EQ(TTaskForm::Of(Document()), TaskForm);
    EXPECT_EQ(Child<QLineEdit>(npc->NpcWindow(), "NameEdit")->text(), QStringLiteral("Guide"));

    // Add a message at the end of Start through the task window and its message editor.
    TTaskTree& tree = npc->Document().Project().TaskTree;
    tree.Select(tree.GetFirstNode());
    Click(Child<QPushButton>(npc->Tasks(), "MessageButton"));
    auto* editor = Frame->findChild<TMessageForm*>();
    ASSERT_NE(editor, nullptr);
    Child<QPlainTextEdit>(editor, "MessageEdit")->setPlainText(QStringLiteral("Welcome!"));
    Click(Child<QPushButton>(editor, "ApplyButton"));
    ProcessDeletions();
    const std::vector<std::string> added = StartCaptions(npc);
    ASSERT_EQ(added.size(), 3u);
    EXPECT_THAT(added.back(), ::testing::StartsWith("Message: Welcome!"));
    const std::size_t part = form->Workspace().EntryParts()[1];
    const std::string closeThenWelcome = "\t\tclose;\r\n\t\tmes \"Welcome!\";\r\n}";
    EXPECT_THAT(form->Workspace().CurrentText(part), ::testing::HasSubstr(closeThenWelcome));
    EXPECT_EQ(Cell(form, 1, 0), QStringLiteral("NPC *"));

    // The user picks it in the tree; Ctrl+Up moves it above the close, and the file follows.
    TTaskTreeView* view = npc->Tasks()->TasksList();
    const QModelIndex start = view->model()->index(0, 0);
    view->setCurrentIndex(view->model()->index(2, 0, start));
    ASSERT_EQ(tree.Selected(), tree.GetFirstNode()->Child(2));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    const std::vector<std::string> moved = StartCaptions(npc);
    EXPECT_EQ(moved, (std::vector<std::string>{added[0], added[2], added[1]}));
    EXPECT_THAT(form->Workspace().CurrentText(part), ::testing::HasSubstr("\t\tmes \"Welcome!\";\r\n\t\tclose;\r\n}"));

    // Undo takes the move back, not the message.
    Click(Child<QPushButton>(npc, "UndoButton"));
    EXPECT_EQ(StartCaptions(npc), added);
    const std::string written = form->Workspace().CurrentText(part);
    EXPECT_THAT(written, ::testing::HasSubstr(closeThenWelcome));

    // Only the Guide's lines differ in the file saved.
    ASSERT_TRUE(form->Save());
    EXPECT_TRUE(Dialogs->Errors.empty());
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), "// Town\r\n\r\n" + Soldier + "\r\n" + written + "\r\nprontera\tmapflag\tnosave\tSavePoint");
    EXPECT_FALSE(npc->Document().Project().Modified);
    // The main window's project saw none of it.
    EXPECT_FALSE(Project().Modified);
}

TEST_F(ScriptFileFormTest, TheNpcWindowChangesTheNpcLineOfTheFile)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* npc = OpenRow<TScriptNpcForm>(form, 0, "OpenButton");
    ASSERT_NE(npc, nullptr);
    auto* x = Child<TSpinField>(npc->NpcWindow(), "XEdit");
    SelectAllOf(x);
    QTest::keyClicks(x, "12");
    QTest::keyClick(x, Qt::Key_Tab);
    auto* name = Child<QLineEdit>(npc->NpcWindow(), "NameEdit");
    name->selectAll();
    QTest::keyClicks(name, "Guard");
    const std::size_t part = form->Workspace().EntryParts()[0];
    EXPECT_THAT(form->Workspace().CurrentText(part), ::testing::StartsWith("prontera,12,10,4\tscript\tGuard\t45,{\r\n"));
    EXPECT_EQ(form->Workspace().CurrentText(form->Workspace().EntryParts()[1]), Guide);
    // The main window's NPC is another.
    EXPECT_NE(Project().NPCInfo.Name, "Guard");
    EXPECT_FALSE(Project().Modified);
}

TEST_F(ScriptFileFormTest, AnNpcFromTheFileIsPlayedAndFollowsItsEdits)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* npc = OpenRow<TScriptNpcForm>(form, 1, "OpenButton");
    ASSERT_NE(npc, nullptr);
    Click(Child<QPushButton>(npc, "PlayTestButton"));
    TPlayTestForm* play = npc->PlayTest();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(Said(play->Result()), (std::vector<std::string>{"[Guide]", "Hi"}));
    // The output window the play marks is the NPC's own.
    ASSERT_NE(npc->Tasks()->Output(), nullptr);
    EXPECT_GT(npc->Tasks()->Output()->PlayingLine(), 0);
    TMessageTask* hi = nullptr;
    for (int i = 0; i < npc->Document().Project().TaskList.TaskCount(); ++i)
        if (auto* task = npc->Document().Project().TaskList.TaskAt(i);
            task->Kind() == TTaskKind::Message && static_cast<TMessageTask*>(task)->Lines == std::vector<std::string>{"Hi"})
            hi = static_cast<TMessageTask*>(task);
    ASSERT_NE(hi, nullptr);
    const std::unique_ptr<TTask> changed = CopyTask(*hi);
    static_cast<TMessageTask&>(*changed).Lines = {"Hello"};
    npc->Document().EditTask(hi, *changed);
    EXPECT_EQ(Said(play->Result()), (std::vector<std::string>{"[Guide]", "Hello"}));
    // Closing the file's NPC window takes its play-test window along.
    QPointer<TPlayTestForm> kept(play);
    delete ChildFrame(npc);
    ProcessDeletions();
    EXPECT_TRUE(kept.isNull());
}

TEST_F(ScriptFileFormTest, AFileChangedOnDiskIsReadAgainOrAskedAboutBeforeSaving)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    form->Workspace().SetPartText(form->Workspace().EntryParts()[0], Soldier + "\n// mine");
    form->PartEdited();
    const std::string pulled = "// Town, pulled\r\n" + Soldier + "\r\n" + Guide + "\r\n";
    WriteBytes(Dir / "town.txt", pulled);
    // Saving over it asks first; No leaves the other writer's file.
    Dialogs->Answers = {TAnswer::No};
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), pulled);
    // Read again keeping the changed entry: the new file with the Soldier as edited.
    Dialogs->Answers = {TAnswer::Yes};
    form->FileChangedOnDisk();
    EXPECT_EQ(form->Workspace().Bytes(), pulled);
    EXPECT_EQ(form->Workspace().NewBytes(), "// Town, pulled\r\n" + Soldier + "\r\n// mine\r\n" + Guide + "\r\n");
    EXPECT_EQ(form->EntryList()->rowCount(), 2);
}

TEST_F(ScriptFileFormTest, ExitAsksAboutUnsavedEntriesOfAnOpenScriptFile)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    form->Workspace().SetPartText(form->Workspace().EntryParts()[0], Soldier + "\n// mine");
    form->PartEdited();
    Dialogs->Answers = {TAnswer::Cancel};
    Run("FileExitItem");
    EXPECT_EQ(Quits, 0);
    ASSERT_EQ(Dialogs->Questions.size(), 1u);
    EXPECT_EQ(Dialogs->Questions[0].Text, QStringLiteral("Save the changes to town.txt?"));
    Dialogs->Answers = {TAnswer::Yes};
    Run("FileExitItem");
    EXPECT_EQ(Quits, 1);
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), "// Town\r\n\r\n" + Soldier + "\r\n// mine\r\n" + Guide +
                                               "\r\nprontera\tmapflag\tnosave\tSavePoint");
}

TEST_F(ScriptFileFormTest, ABinaryFileIsRefusedWithAMessage)
{
    WriteBytes(Dir / "picture.txt", std::string("\x89PNG\r\n\x1a\n\0\0", 10));
    Dialogs->ScriptNames.push_back(QPathOf("picture.txt"));
    Run("FileOpenScriptItem");
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].endsWith(QStringLiteral("picture.txt: a binary file, not a script (a zero byte at offset 8)")));
    EXPECT_EQ(Frame->findChild<TScriptFileForm*>(), nullptr);
}

} // namespace
