// The script file window loses no edit: an NPC opened as tasks starts from the entry as the user
// has it, a reload keeps edits only in entries it cannot mistake and keeps the entry windows open,
// tasks the writer refuses keep the file from being saved or closed silently, and tasks that name
// groups of their NPC are not pasted into another.
#include "ScriptFileFixture.h"

#include "model/ActionTasks.h"
#include "model/CodeTasks.h"
#include "model/MessageTasks.h"
#include "ui/ChildWindows.h"
#include "ui/Form_Tasks.h"

#include <gmock/gmock.h>

#include <QPointer>

using namespace scriptfiletest;
using ::testing::HasSubstr;

namespace {

TMessageTask* FirstMessage(TScriptNpcForm* npc)
{
    const TTaskList& tasks = npc->Document().Project().TaskList;
    for (int i = 0; i < tasks.TaskCount(); ++i)
        if (tasks.TaskAt(i)->Kind() == TTaskKind::Message)
            return static_cast<TMessageTask*>(tasks.TaskAt(i));
    return nullptr;
}

void SetLines(TScriptNpcForm* npc, TMessageTask* message, const std::vector<std::string>& lines)
{
    const std::unique_ptr<TTask> changed = CopyTask(*message);
    static_cast<TMessageTask&>(*changed).Lines = lines;
    npc->Document().EditTask(message, *changed);
}

// The number of the NPC's first group, Start, which an import leaves without a label line.
std::int32_t StartNumber(TScriptNpcForm* npc)
{
    return static_cast<const TGroupTask*>(npc->Document().Project().TaskTree.GetFirstNode()->Data())->GroupNumber;
}

std::unique_ptr<TActionTask> JumpTo(std::int32_t group)
{
    auto jump = std::make_unique<TActionTask>("Again", FindAction("goto"));
    jump->SetParam(0, group);
    return jump;
}

class ScriptNpcTest : public ScriptFileFormTest {
protected:
    // Opens the town and its Guide as tasks.
    void SetUp() override
    {
        ScriptFileFormTest::SetUp();
        Form = OpenTown();
        ASSERT_NE(Form, nullptr);
        Npc = OpenRow<TScriptNpcForm>(Form, 1, "OpenButton");
        ASSERT_NE(Npc, nullptr);
        Npc->Document().Project().TaskTree.Select(Npc->Document().Project().TaskTree.GetFirstNode());
    }

    TScriptFileForm* Form = nullptr;
    TScriptNpcForm* Npc = nullptr;
};

TEST_F(ScriptFileRecoveryTest, RestoredEditsOpenAsTasksAndUndoingComesBackToThem)
{
    LeaveCrashedCopy();
    Dialogs->Answers = {TAnswer::Yes};
    OfferCopies();
    auto* form = Frame->findChild<TScriptFileForm*>();
    ASSERT_NE(form, nullptr);
    const std::string restored = form->Workspace().NewBytes();
    auto* npc = OpenRow<TScriptNpcForm>(form, 1, "OpenButton");
    ASSERT_NE(npc, nullptr);
    TMessageTask* message = FirstMessage(npc);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->Lines, std::vector<std::string>{"Hello"}) << "the tasks were imported from the disk's Guide";
    SetLines(npc, message, {"Hello there"});
    EXPECT_THAT(form->Workspace().NewBytes(), HasSubstr("mes \"Hello there\";"));
    Click(Child<QPushButton>(npc, "UndoButton"));
    EXPECT_EQ(form->Workspace().NewBytes(), restored);
    EXPECT_TRUE(form->Workspace().IsModified());
}

TEST_F(ScriptFileFormTest, ReloadKeepsEditsOnlyInEntriesItCannotMistakeAndKeepsTheirWindows)
{
    const std::string guardA = "prontera,10,10,0,0\tmonster\tGuard\t1002,1,0,0,0";
    const std::string guardB = "prontera,20,20,0,0\tmonster\tGuard\t1002,1,0,0,0";
    const std::string edited = "prontera,20,20,0,0\tmonster\tGuard\t1002,5,0,0,0";
    const std::string guards = Soldier + "\r\n" + guardA + "\r\n" + guardB + "\r\n";
    WriteBytes(Dir / "town.txt", guards);
    TScriptFileForm* form = OpenTown();
    ASSERT_NE(form, nullptr);
    QPointer<TScriptNpcForm> soldier = OpenRow<TScriptNpcForm>(form, 0, "OpenButton");
    ASSERT_FALSE(soldier.isNull());
    form->Workspace().SetPartText(form->Workspace().EntryParts()[2], edited);
    form->PartEdited();

    // Lines elsewhere changed on disk: the second Guard keeps its edit, the first stays as it is.
    WriteBytes(Dir / "town.txt", "// pulled\r\n" + guards);
    form->Reload(true);
    EXPECT_EQ(form->Workspace().NewBytes(), "// pulled\r\n" + Soldier + "\r\n" + guardA + "\r\n" + edited + "\r\n");
    ASSERT_FALSE(soldier.isNull()) << "the Soldier's window closed";
    EXPECT_TRUE(Dialogs->Messages.empty());
    TMessageTask* halt = FirstMessage(soldier);
    ASSERT_NE(halt, nullptr);
    SetLines(soldier, halt, {"Stop!"});
    EXPECT_THAT(form->Workspace().CurrentText(form->Workspace().EntryParts()[0]), HasSubstr("mes \"Stop!\";"));

    // The edited Guard changed on disk as well: neither Guard is the one edited, so the file is not
    // read again and every edit stays.
    const std::string before = form->Workspace().NewBytes();
    WriteBytes(Dir / "town.txt", Soldier + "\r\n" + guardA + "\r\nprontera,20,20,0,0\tmonster\tGuard\t1002,2,0,0,0\r\n");
    form->Reload(true);
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("none of the file's 2 entries monster Guard is as it was read")))
        << Dialogs->Errors[0].toStdString();
    EXPECT_EQ(form->Workspace().NewBytes(), before);

    // Read again without the edits: the Soldier's window goes, and the user is told why.
    form->Reload(false);
    EXPECT_TRUE(soldier.isNull());
    ASSERT_EQ(Dialogs->Messages.size(), 1u);
    EXPECT_TRUE(Dialogs->Messages[0].Text.contains(QStringLiteral("NPC Soldier (tasks): its edits were not kept")))
        << Dialogs->Messages[0].Text.toStdString();
}

TEST_F(ScriptNpcTest, TasksTheWriterRefusesKeepTheFileFromSavingOrClosingSilently)
{
    Npc->Document().AddTask(JumpTo(StartNumber(Npc)));
    EXPECT_THAT(Npc->WriteError(), HasSubstr("which writes no label"));
    EXPECT_FALSE(Form->Workspace().IsModified());
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Script File - town.txt (eAthena) *"));

    EXPECT_FALSE(Form->Save());
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("which writes no label"))) << Dialogs->Errors[0].toStdString();
    EXPECT_EQ(ReadBytes(Dir / "town.txt"), Town);
    EXPECT_TRUE(Npc->Document().Project().Modified) << "the NPC was marked saved";
    Dialogs->Answers = {TAnswer::No};
    EXPECT_FALSE(Form->MayClose());
    EXPECT_EQ(Dialogs->Questions.size(), 1u);

    Click(Child<QPushButton>(Npc, "UndoButton"));
    EXPECT_TRUE(Npc->WriteError().empty());
    EXPECT_TRUE(Form->MayClose());
}

// Copied in an NPC of the file, pasted into the main window's project, where group numbers are
// another NPC's: a Jumpto Group and a subroutine call are refused as a menu is, a function call
// goes in.
TEST_F(ScriptNpcTest, TasksNamingGroupsAreNotPastedIntoAnotherNpc)
{
    TTaskTree& tree = Npc->Document().Project().TaskTree;
    const std::int32_t start = StartNumber(Npc);
    std::unique_ptr<TActionTask> jump = JumpTo(start);
    auto subroutine = std::make_unique<TCallTask>();
    subroutine->CallKind = TCallKind::Subroutine;
    subroutine->TargetGroup = start;
    auto function = std::make_unique<TCallTask>();
    function->Function = "F_Hello";
    const struct {
        std::unique_ptr<TTask> Task;
        int Pasted;
    } rows[] = {{std::move(jump), 0}, {std::move(subroutine), 0}, {std::move(function), 1}};
    for (const auto& row : rows) {
        tree.Select(tree.GetFirstNode());
        TTask* task = Npc->Document().AddTask(CopyTask(*row.Task));
        tree.Select(task->Node);
        Npc->Tasks()->CopyExecute();
        const int before = Project().TaskTree.GetFirstNode()->ChildCount();
        Project().TaskTree.Select(Project().TaskTree.GetFirstNode());
        TaskWindow()->PasteExecute();
        EXPECT_EQ(Project().TaskTree.GetFirstNode()->ChildCount(), before + row.Pasted) << task->Caption;
    }
}

} // namespace
