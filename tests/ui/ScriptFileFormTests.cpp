// File > Open Script...: a script file of several NPCs in a window of its own, the list of its
// entries, an entry edited as code and an NPC edited as tasks, the save with only those bytes
// replaced, the question about what the server would refuse, and a file changed on disk.
#include "ScriptFileFixture.h"
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
#include "ui/RecoveryOffer.h"
#include "ui/SpinField.h"
#include "ui/TaskTreeView.h"
#include "workspace/ScriptWorkspace.h"
#include "workspace/WorkspaceRecovery.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTextBlock>
#include <QApplication>
#include <QDir>
#include <QTreeView>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

using namespace frametest;
using namespace scriptfiletest;

namespace {


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
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Script File - town.txt (eAthena)"));
    // It opens at the size it asks for, not the least its layout allows.
    EXPECT_EQ(form->size(), QSize(900, 600));
}

// The Windows menu lists every open window, the file's and its NPC's among them, once however
// often it opens; choosing one brings it to the front.
TEST_F(ScriptFileFormTest, TheWindowsMenuListsTheFileAndItsNpcWindows)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* npc = OpenRow<TScriptNpcForm>(form, 1, "OpenButton");
    ASSERT_NE(npc, nullptr);
    npc->Tasks()->ShowOutput();
    EXPECT_EQ(npc->Tasks()->Output()->windowTitle(), QStringLiteral("Output - Guide"));
    auto* menu = Child<QMenu>(Frame, "WindowsMenu");
    const auto listed = [menu] {
        emit menu->aboutToShow();
        std::map<QString, QAction*> entries;
        for (QAction* action : menu->actions())
            entries[action->text().remove(QRegularExpression(QStringLiteral("^&\\d "))).replace(QStringLiteral("&&"), QStringLiteral("&"))] = action;
        return entries;
    };
    const std::size_t count = listed().size();
    EXPECT_EQ(listed().size(), count);
    const auto entries = listed();
    for (const QString& title : {form->windowTitle(), npc->windowTitle(), QStringLiteral("Output - Guide")})
        EXPECT_EQ(entries.count(title), 1u) << title.toStdString();
    ASSERT_EQ(entries.count(form->windowTitle()), 1u);
    entries.at(form->windowTitle())->trigger();
    EXPECT_EQ(Frame->ClientArea()->activeSubWindow(), ChildFrame(form));
}

TEST_F(ScriptFileFormTest, AnEntryEditedAsCodeIsTheOnlyChangeSaved)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* code = OpenRow<TScriptCodeForm>(form, 0, "OpenCodeButton");
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->size(), QSize(700, 450));
    QPlainTextEdit* edit = code->Code();
    EXPECT_EQ(edit->toPlainText().toStdString(), "prontera,10,10,4\tscript\tSoldier\t45,{\n\tmes \"Halt!\";\n\tclose;\n}");
    QTextCursor cursor(edit->document()->findBlockByNumber(2));
    edit->setTextCursor(cursor);
    QTest::keyClick(edit, Qt::Key_Tab);
    QTest::keyClicks(edit, "mes \"Who goes there?\";");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Cell(form, 0, 0), QStringLiteral("NPC *"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Script File - town.txt (eAthena) *"));
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

TEST_F(ScriptFileFormTest, AnNpcFromTheFileIsEditedInTheProgramsOwnWindows)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* npc = OpenRow<TScriptNpcForm>(form, 1, "OpenButton");
    ASSERT_NE(npc, nullptr);
    // The program's windows, bound to the NPC's document, not to the main window's.
    ASSERT_NE(npc->Tasks(), nullptr);
    EXPECT_EQ(&npc->Tasks()->Document(), &npc->Document());
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
    // The author's lines stay; the new message stands in the NPC's indent.
    const std::string closeThenWelcome = "\n\tclose;\r\n\tmes \"Welcome!\";\r\n}";
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
    EXPECT_THAT(form->Workspace().CurrentText(part), ::testing::HasSubstr("\n\tmes \"Welcome!\";\r\n\tclose;\r\n}"));

    // Ctrl+Z in the NPC's tree takes the move back, not the message, nor anything of the main
    // window's project.
    ChangeTree("Main");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(StartCaptions(npc), added);
    ASSERT_EQ(Project().TaskTree.GetFirstNode()->ChildCount(), 1);
    EXPECT_EQ(Project().TaskTree.GetFirstNode()->Child(0)->Text(), "Main");
    QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(StartCaptions(npc), moved);
    Click(Child<QPushButton>(npc, "UndoButton"));
    EXPECT_EQ(StartCaptions(npc), added);
    const std::string written = form->Workspace().CurrentText(part);
    EXPECT_THAT(written, ::testing::HasSubstr(closeThenWelcome));

    // Only the Guide's lines differ in the file saved.
    ASSERT_TRUE(form->Save());
    EXPECT_TRUE(Dialogs->Errors.empty());
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), "// Town\r\n\r\n" + Soldier + "\r\n" + written + "\r\nprontera\tmapflag\tnosave\tSavePoint");
    EXPECT_FALSE(npc->Document().Project().Modified);
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

// The file is read and written for the server its author names, not for the main project's: an
// rAthena file beside a Hercules project keeps its numeric views.
TEST_F(ScriptFileFormTest, AFileIsWrittenForItsOwnServerBesideAProjectOfAnother)
{
    TNPCHeader header = Project().HeaderInfo;
    header.Target = TServerTarget::Hercules;
    Document().SetHeader(header);
    Dialogs->ScriptServers = {TServerTarget::RAthena};
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Dialogs->OfferedServers, std::vector<TServerTarget>{TServerTarget::Hercules});
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Script File - town.txt (rAthena)"));
    auto* npc = OpenRow<TScriptNpcForm>(form, 0, "OpenButton");
    ASSERT_NE(npc, nullptr);
    EXPECT_EQ(npc->Document().Project().HeaderInfo.Target, TServerTarget::RAthena);
    auto* x = Child<TSpinField>(npc->NpcWindow(), "XEdit");
    SelectAllOf(x);
    QTest::keyClicks(x, "12");
    QTest::keyClick(x, Qt::Key_Tab);
    EXPECT_THAT(form->Workspace().CurrentText(form->Workspace().EntryParts()[0]),
                ::testing::StartsWith("prontera,12,10,4\tscript\tSoldier\t45,{\r\n"));
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

TEST_F(ScriptFileFormTest, TasksAreCopiedAndPastedWithinAnNpcAndIntoAProject)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* npc = OpenRow<TScriptNpcForm>(form, 0, "OpenButton");
    ASSERT_NE(npc, nullptr);
    TTaskTreeView* view = npc->Tasks()->TasksList();
    const QModelIndex start = view->model()->index(0, 0);
    // The Soldier's "Halt!" message, copied and pasted at the end of Start.
    view->setCurrentIndex(view->model()->index(0, 0, start));
    ASSERT_EQ(npc->Tasks()->SelectedTask()->Kind(), TTaskKind::Message);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    view->setCurrentIndex(start);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    const std::vector<std::string> captions = StartCaptions(npc);
    ASSERT_EQ(captions.size(), 3u);
    EXPECT_EQ(captions[2], captions[0]);
    EXPECT_THAT(form->Workspace().CurrentText(form->Workspace().EntryParts()[0]),
                ::testing::HasSubstr("\n\tclose;\r\n\tmes \"Halt!\";\r\n}"));
    // One step: one undo takes it back.
    Click(Child<QPushButton>(npc, "UndoButton"));
    EXPECT_EQ(StartCaptions(npc).size(), 2u);
    // The program's own task window pastes it into the main window's project.
    const int before = Project().TaskTree.GetFirstNode()->ChildCount();
    Project().TaskTree.Select(Project().TaskTree.GetFirstNode());
    TaskWindow()->PasteExecute();
    ASSERT_EQ(Project().TaskTree.GetFirstNode()->ChildCount(), before + 1);
    EXPECT_EQ(Project().TaskTree.GetFirstNode()->Child(before)->Text(), captions[0]);
    // A group is not copied without its tasks: what was copied stays.
    view->setFocus();
    view->setCurrentIndex(start);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    view->setCurrentIndex(start);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(StartCaptions(npc).back(), captions[0]);
    // Bytes of the editor's type that are no whole task are refused, saying so, and add nothing.
    auto* broken = new QMimeData;
    broken->setData(QStringLiteral("application/x-npc-editor-task"), QByteArray("\x03", 1));
    QGuiApplication::clipboard()->setMimeData(broken);
    const std::size_t held = StartCaptions(npc).size();
    view->setCurrentIndex(start);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(StartCaptions(npc).size(), held);
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("the copied task"))) << Dialogs->Errors[0].toStdString();
}

TEST_F(ScriptFileFormTest, ClosingTheFileTakesItsNpcsEditorsAndOutputAlong)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    auto* npc = OpenRow<TScriptNpcForm>(form, 1, "OpenButton");
    ASSERT_NE(npc, nullptr);
    npc->Tasks()->ShowOutput();
    Click(Child<QPushButton>(npc->Tasks(), "MessageButton"));
    QPointer<TMessageForm> editor = Frame->findChild<TMessageForm*>();
    QPointer<TEditorForm> output = npc->Tasks()->Output();
    ASSERT_FALSE(editor.isNull());
    ASSERT_FALSE(output.isNull());
    // The main window's output is another window.
    EXPECT_NE(output.data(), OutputWindow());
    ASSERT_TRUE(ChildFrame(form)->close());
    ProcessDeletions();
    EXPECT_TRUE(editor.isNull());
    EXPECT_TRUE(output.isNull());
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


TEST_F(ScriptFileRecoveryTest, UnsavedEditsHaveACopyUntilTheFileIsSaved)
{
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->FlushRecovery());
    EXPECT_TRUE(Copies().isEmpty()) << "a copy with nothing unsaved";
    form->Workspace().SetPartText(form->Workspace().EntryParts()[1], NewGuide);
    form->PartEdited();
    ASSERT_TRUE(form->FlushRecovery());
    ASSERT_EQ(Copies().size(), 1);
    EXPECT_EQ(ReadBytes(Dir / "recovery" / Copies()[0].toStdString()), EditsBytes(EditsOf(form->Workspace())));
    ASSERT_TRUE(form->Save());
    EXPECT_TRUE(form->FlushRecovery());
    EXPECT_TRUE(Copies().isEmpty());
}

// Reopened after a crash, the file is read for the server its edits were made for, whatever the
// main project's is.
TEST_F(ScriptFileRecoveryTest, AfterACrashTheFileIsReopenedForTheServerItWasEditedFor)
{
    LeaveCrashedCopy(TServerTarget::RAthena);
    Dialogs->Answers = {TAnswer::Yes};
    OfferCopies();
    auto* form = Frame->findChild<TScriptFileForm*>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Workspace().Target(), TServerTarget::RAthena);
    EXPECT_TRUE(Dialogs->OfferedServers.empty()) << "the copy names the server; nobody is asked";
    EXPECT_EQ(form->Workspace().NewBytes(), "// Town\r\n\r\n" + Soldier + "\r\n" + NewGuide + "\r\nprontera\tmapflag\tnosave\tSavePoint");
}

TEST_F(ScriptFileRecoveryTest, AfterACrashTheEditsGoBackIntoTheFileAsItIsOnDisk)
{
    LeaveCrashedCopy();
    // Lines outside the edited entry changed since: the edit still goes back.
    const std::string pulled = "// Town, pulled\r\n" + Soldier + "\r\n" + Guide + "\r\n";
    WriteBytes(Dir / "town.txt", pulled);
    Dialogs->Answers = {TAnswer::Yes};
    OfferCopies();
    ASSERT_EQ(Dialogs->Questions.size(), 1u);
    EXPECT_TRUE(Dialogs->Questions[0].Text.contains(QStringLiteral("Unsaved edits of 1 entries of the script file ")));
    auto* form = Frame->findChild<TScriptFileForm*>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Workspace().NewBytes(), "// Town, pulled\r\n" + Soldier + "\r\n" + NewGuide + "\r\n");
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Script File - town.txt (eAthena) *"));
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), pulled);
    // The old copy went once this run's copy held the edits.
    EXPECT_FALSE(Copies().contains(QStringLiteral("crashed.script")));
    EXPECT_EQ(Copies().size(), 1);
}

TEST_F(ScriptFileRecoveryTest, EditsForAnEntryChangedSinceAreOfferedAsAFileOfTheirOwn)
{
    LeaveCrashedCopy();
    const std::string other = "prontera,150,181,4\tscript\tGuide\t45,{\r\n\tmes \"Hi\";\r\n\tclose;\r\n}";
    WriteBytes(Dir / "town.txt", "// Town\r\n" + Soldier + "\r\n" + other + "\r\n");
    // No to the separate file keeps the copy for the next start.
    Dialogs->Answers = {TAnswer::Yes, TAnswer::No};
    OfferCopies();
    ASSERT_EQ(Dialogs->Questions.size(), 2u);
    EXPECT_TRUE(Dialogs->Questions[1].Text.contains(QStringLiteral("the NPC Guide has changed in the file since")));
    EXPECT_TRUE(Copies().contains(QStringLiteral("crashed.script")));
    for (TScriptFileForm* form : Frame->findChildren<TScriptFileForm*>())
        EXPECT_FALSE(form->Workspace().IsModified());
    Dialogs->Answers = {TAnswer::Yes, TAnswer::Yes};
    OfferCopies();
    EXPECT_EQ(ReadBytes(Dir / "town-recovered.txt"), NewGuide + "\n");
    EXPECT_FALSE(Copies().contains(QStringLiteral("crashed.script")));
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), "// Town\r\n" + Soldier + "\r\n" + other + "\r\n");
}

TEST_F(ScriptFileRecoveryTest, NoDiscardsTheCopyAndCancelKeepsItForTheNextStart)
{
    LeaveCrashedCopy();
    Dialogs->Answers = {TAnswer::Cancel};
    OfferCopies();
    EXPECT_EQ(Copies(), QStringList{QStringLiteral("crashed.script")});
    EXPECT_EQ(Frame->findChild<TScriptFileForm*>(), nullptr);
    Dialogs->Answers = {TAnswer::No};
    OfferCopies();
    EXPECT_TRUE(Copies().isEmpty());
    EXPECT_EQ(Frame->findChild<TScriptFileForm*>(), nullptr);
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), Town);
}

struct BadFileRow {
    const char* Name;
    std::string Bytes;      // empty: a sparse file of 50 MB
    const char* Message;    // what the error box says after the file's name
};

class BadScriptFileTest : public ScriptFileFormTest, public ::testing::WithParamInterface<BadFileRow> {};

TEST_P(BadScriptFileTest, IsRefusedWithAClearMessageAndNothingWritten)
{
    const std::filesystem::path path = Dir / "bad.txt";
    if (GetParam().Bytes.empty()) {
        std::ofstream out(path, std::ios::binary);
        out.seekp(50 << 20);
        out.put('\n');
    } else {
        WriteBytes(path, GetParam().Bytes);
    }
    const auto size = std::filesystem::file_size(path);
    const auto time = std::filesystem::last_write_time(path);
    Dialogs->ScriptNames.push_back(QPathOf("bad.txt"));
    Run("FileOpenScriptItem");
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].startsWith(QPathOf("bad.txt") + QStringLiteral(": "))) << Dialogs->Errors[0].toStdString();
    EXPECT_TRUE(Dialogs->Errors[0].contains(QString::fromUtf8(GetParam().Message))) << Dialogs->Errors[0].toStdString();
    EXPECT_EQ(Frame->findChild<TScriptFileForm*>(), nullptr);
    EXPECT_EQ(std::filesystem::file_size(path), size);
    EXPECT_EQ(std::filesystem::last_write_time(path), time);
    // Nothing is left waiting: no progress window, the frame takes commands again.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(Frame->findChild<QProgressDialog*>(), nullptr);
    EXPECT_TRUE(Frame->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadScriptFileTest,
    ::testing::Values(
        BadFileRow{"Binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "a binary file, not a script (a zero byte at offset 8)"},
        BadFileRow{"NotAScript", "Dear diary,\ntoday I wrote no script.\n", "not a script file: line 1 begins no NPC, function, shop, warp, monster or map flag"},
        BadFileRow{"BracesNeverClose", Guide + "\nprontera,1,1,4\tscript\tB\t45,{\n\tif (1) {\n\tclose;\n}\n",
                   "missing '}': 1 block(s) still open at the end of the file; the loader stops there, so the file is not opened"},
        BadFileRow{"FiftyMegabytes", "", "the file is 50 MB; script files larger than 16 MB are not opened"}),
    [](const auto& info) { return std::string(info.param.Name); });

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
