// The project document with the statement kinds, the speaker, the label name and the free
// expression: a copy holds every field, each edit is one undo step that gives back exactly what
// was there, and a task goes only where it may stand (a branch in an if block, a case in a switch,
// nothing else in either).
#include "TaskFixture.h"
#include "DocumentSupport.h"

#include "document/Document.h"
#include "model/BlockTasks.h"
#include "model/CodeTasks.h"
#include "platform/Errors.h"

#include <algorithm>
#include <functional>

namespace {

// Everything a task holds, as the extended record writes it.
std::string FullRecord(const TTask& task)
{
    return RecordOf(task, ExtendedProjectFileVersion);
}

struct TKindCase {
    const char* Name;
    // A task of the kind with every field filled; with changed, other values in every field.
    std::function<std::unique_ptr<TTask>(bool changed)> Make;
};

void PrintTo(const TKindCase& kind, std::ostream* out)
{
    *out << kind.Name;
}

const TKindCase KindCases[] = {
    {"Command",
     [](bool changed) -> std::unique_ptr<TTask> {
         return std::make_unique<TCommandTask>("cutin", std::vector<std::string>{changed ? "\"b\"" : "\"a\"", "2"});
     }},
    {"Set",
     [](bool changed) -> std::unique_ptr<TTask> {
         auto set = std::make_unique<TSetTask>();
         set->Scope = changed ? TVarScope::Account : TVarScope::Local;
         set->Name = changed ? "n$" : "i";
         set->Index = changed ? "" : "2";
         set->Expression = changed ? "\"x\"" : ".@i + 1";
         return set;
     }},
    {"Call",
     [](bool changed) -> std::unique_ptr<TTask> {
         auto call = std::make_unique<TCallTask>();
         call->CallKind = changed ? TCallKind::Subroutine : TCallKind::Function;
         call->Function = changed ? "" : "F_Heal";
         call->TargetGroup = changed ? 0 : 3;
         call->Args = {changed ? "2" : "1"};
         return call;
     }},
    {"Statement",
     [](bool changed) -> std::unique_ptr<TTask> {
         return std::make_unique<TStatementTask>(changed ? TBareStatement::Continue : TBareStatement::Return);
     }},
    {"Loop",
     [](bool changed) -> std::unique_ptr<TTask> {
         auto loop = std::make_unique<TLoopTask>();
         loop->LoopKind = changed ? TLoopKind::For : TLoopKind::DoWhile;
         loop->Init = changed ? "set .@i, 0" : "";
         loop->Condition = changed ? ".@i < 3" : ".@n";
         loop->Step = changed ? "set .@i, .@i + 1" : "";
         return loop;
     }},
    {"Switch",
     [](bool changed) -> std::unique_ptr<TTask> {
         auto block = std::make_unique<TSwitchTask>();
         block->Value = changed ? "select(\"a:b\")" : ".@x";
         return block;
     }},
    {"Message speaker",
     [](bool changed) -> std::unique_ptr<TTask> {
         auto message = std::make_unique<TMessageTask>(std::vector<std::string>{"Hi"});
         message->Speaker = changed ? TSpeakerKind::None : TSpeakerKind::Other;
         message->SpeakerText = changed ? "" : "Guard";
         return message;
     }},
    {"Condition expression",
     [](bool changed) -> std::unique_ptr<TTask> {
         auto condition = std::make_unique<TConTask>();
         condition->Checks.push_back(ExpressionCheck(changed ? "BaseLevel > 10" : "countitem(501)"));
         condition->Target = GroupExitTarget;
         return condition;
     }},
    {"Group label",
     [](bool changed) -> std::unique_ptr<TTask> {
         auto group = std::make_unique<TGroupTask>("Touch", 7);
         group->LabelName = changed ? "OnTimer1000" : "OnTouch";
         return group;
     }},
};

class StatementKindTable : public TaskTest, public ::testing::WithParamInterface<TKindCase> {
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        Project().TaskTree.Select(StartNode());
    }
};

TEST_P(StatementKindTable, ACopyHoldsEveryField)
{
    const std::unique_ptr<TTask> task = GetParam().Make(false);
    const std::unique_ptr<TTask> copy = CopyTask(*task);
    EXPECT_EQ(copy->Kind(), task->Kind());
    EXPECT_EQ(FullRecord(*copy), FullRecord(*task));
    EXPECT_TRUE(copy->NeedsExtendedFormat(Project().Catalogues()));
    EXPECT_NE(KindName(copy->Kind()), "task");
}

TEST_P(StatementKindTable, AddEditAndDeleteAreEachOneStepThatUndoAndRedoGiveBackWhole)
{
    TTask* task = Document().AddTask(GetParam().Make(false));
    ASSERT_NE(task, nullptr);
    const std::string added = FullRecord(*task);
    const std::string afterAdd = ProjectSnapshot(false);

    const std::unique_ptr<TTask> changed = GetParam().Make(true);
    changed->Caption = task->Caption;
    Document().EditTask(task, *changed);
    EXPECT_EQ(Document().UndoName(), "Edit " + KindName(task->Kind()) +
                                         (task->Kind() == TTaskKind::Group ? " Touch" : ""));
    const std::string edited = FullRecord(*changed);
    ASSERT_NE(edited, added);
    EXPECT_EQ(FullRecord(*task), edited);
    const std::string afterEdit = ProjectSnapshot(false);

    Document().Undo();
    EXPECT_EQ(FullRecord(*StartNode()->Child(0)->Data()), added);
    EXPECT_EQ(ProjectSnapshot(false), afterAdd);
    Document().Redo();
    EXPECT_EQ(FullRecord(*StartNode()->Child(0)->Data()), edited);

    // A delete and its undo build the task anew from the step's record.
    Document().DeleteNode(StartNode()->Child(0));
    EXPECT_EQ(StartNode()->ChildCount(), 0);
    Document().Undo();
    ASSERT_EQ(StartNode()->ChildCount(), 1);
    EXPECT_EQ(FullRecord(*StartNode()->Child(0)->Data()), edited);
    EXPECT_EQ(ProjectSnapshot(false), afterEdit);

    // Undoing the edit and the add, then redoing both, ends where the edit left off.
    Document().Undo();
    Document().Undo();
    EXPECT_FALSE(Document().CanUndo());
    EXPECT_EQ(StartNode()->ChildCount(), 0);
    Document().Redo();
    EXPECT_EQ(FullRecord(*StartNode()->Child(0)->Data()), added);
    Document().Redo();
    EXPECT_EQ(ProjectSnapshot(false), afterEdit);
}

INSTANTIATE_TEST_SUITE_P(Kinds, StatementKindTable, ::testing::ValuesIn(KindCases),
                         [](const ::testing::TestParamInfo<TKindCase>& info) {
                             std::string name = info.param.Name;
                             std::erase(name, ' ');
                             return name;
                         });

// ---- Where a task may stand --------------------------------------------------------------------

struct THoldCase {
    TTaskKind Holder;
    TTaskKind Task;
    bool Holds;
};

std::unique_ptr<TTask> TaskOfKind(TTaskKind kind)
{
    TFileReader reader("kind", "");
    reader.SetVersion(ExtendedProjectFileVersion);
    return NewTaskOfKind(reader, static_cast<std::uint8_t>(kind));
}

class HoldTable : public ::testing::TestWithParam<THoldCase> {};

TEST_P(HoldTable, EachHolderTakesTheKindsThatMayStandInIt)
{
    const std::unique_ptr<TTask> holder = TaskOfKind(GetParam().Holder);
    const std::unique_ptr<TTask> task = TaskOfKind(GetParam().Task);
    EXPECT_EQ(MayHold(holder.get(), *task), GetParam().Holds)
        << KindName(GetParam().Task) << " in " << KindName(GetParam().Holder);
}

using K = TTaskKind;
INSTANTIATE_TEST_SUITE_P(
    Kinds, HoldTable,
    ::testing::Values(THoldCase{K::Group, K::Message, true}, THoldCase{K::Group, K::If, true},
                      THoldCase{K::Group, K::Branch, false}, THoldCase{K::Group, K::Case, false},
                      THoldCase{K::If, K::Branch, true}, THoldCase{K::If, K::Command, false},
                      THoldCase{K::If, K::Case, false}, THoldCase{K::If, K::Group, false},
                      THoldCase{K::Branch, K::Command, true}, THoldCase{K::Branch, K::Branch, false},
                      THoldCase{K::Branch, K::If, true}, THoldCase{K::Switch, K::Case, true},
                      THoldCase{K::Switch, K::Set, false}, THoldCase{K::Case, K::Set, true},
                      THoldCase{K::Case, K::Case, false}, THoldCase{K::Loop, K::Statement, true},
                      THoldCase{K::Loop, K::Branch, false}, THoldCase{K::Message, K::Message, false},
                      THoldCase{K::Command, K::Set, false}));

class PlaceTest : public TaskTest {};

TEST_F(PlaceTest, ABranchGoesIntoTheSelectedIfAndOtherTasksBeforeIt)
{
    Project().TaskTree.Select(StartNode());
    TTask* block = Document().AddTask(std::make_unique<TIfTask>());
    Project().TaskTree.Select(block->Node);
    Document().AddTask(std::make_unique<TBranchTask>());
    Document().AddTask(std::make_unique<TCommandTask>("end", std::vector<std::string>{}));
    ASSERT_EQ(StartNode()->ChildCount(), 2);
    EXPECT_EQ(StartNode()->Child(0)->Data()->Kind(), TTaskKind::Command);
    EXPECT_EQ(StartNode()->Child(1), block->Node);
    ASSERT_EQ(block->Node->ChildCount(), 1);
    EXPECT_EQ(block->Node->Child(0)->Data()->Kind(), TTaskKind::Branch);

    // Beside a selected branch, a new branch goes before it, into the same block.
    Project().TaskTree.Select(block->Node->Child(0));
    Document().AddTask(std::make_unique<TBranchTask>());
    EXPECT_EQ(block->Node->ChildCount(), 2);
}

TEST_F(PlaceTest, ABranchOrACaseWithNoBlockToGoIntoIsRefusedAndChangesNothing)
{
    Project().TaskTree.Select(StartNode());
    const std::string before = ProjectSnapshot();
    EXPECT_THROW(Document().AddTask(std::make_unique<TBranchTask>()), EListError);
    EXPECT_THROW(Document().AddTask(std::make_unique<TCaseTask>()), EListError);
    EXPECT_EQ(ProjectSnapshot(), before);
    EXPECT_FALSE(Document().CanUndo());
}

TEST_F(PlaceTest, AMoveIntoABlockTakesOnlyWhatMayStandThere)
{
    Project().TaskTree.Select(StartNode());
    TTask* message = Document().AddTask(std::make_unique<TMessageTask>(std::vector<std::string>{"Hi"}));
    TTask* block = Document().AddTask(std::make_unique<TSwitchTask>());
    Project().TaskTree.Select(block->Node);
    TTask* option = Document().AddTask(std::make_unique<TCaseTask>());

    EXPECT_FALSE(Document().MoveNode(message->Node, block->Node, 0));
    EXPECT_FALSE(Document().MoveNode(option->Node, StartNode(), 0));
    EXPECT_TRUE(Document().MoveNode(message->Node, option->Node, 0));
    EXPECT_EQ(message->Node->Parent(), option->Node);
    Document().Undo();
    EXPECT_EQ(message->Node->Parent(), StartNode());
}

// An unnamed branch's caption says its place in its if wherever a move takes it, and an undo of
// the move gives every caption back; a branch its user named keeps the name.
TEST_F(PlaceTest, ABranchMovedToAnotherIfSaysItsNewPlace)
{
    const auto branch = [](const std::string& condition) {
        auto task = std::make_unique<TBranchTask>();
        task->Checks.push_back(ExpressionCheck(condition));
        task->Caption = task->SummaryText(Project().Catalogues());
        return task;
    };
    Project().TaskTree.Select(StartNode());
    TTask* first = Document().AddTask(std::make_unique<TIfTask>());
    TTask* second = Document().AddTask(std::make_unique<TIfTask>());
    Project().TaskTree.Select(first->Node);
    TTask* a = Document().AddTask(branch(".@a == 1"));
    Project().TaskTree.Select(second->Node);
    TTask* b = Document().AddTask(branch(".@b == 1"));
    TTask* named = Document().AddTask(branch(".@c == 1"));
    ASSERT_TRUE(Document().RenameNode(named->Node, "Third choice"));
    ASSERT_EQ(a->Caption, "If .@a == 1");
    ASSERT_EQ(b->Caption, "If .@b == 1");

    // b goes behind a: it is no longer first there, and the named one is first where it was.
    ASSERT_TRUE(Document().MoveNode(b->Node, first->Node, 1));
    const auto captions = [](const TTask* block) {
        std::vector<std::string> texts;
        for (int i = 0; i < block->Node->ChildCount(); ++i)
            texts.push_back(block->Node->Child(i)->Text() + " | " + block->Node->Child(i)->Data()->Caption);
        return texts;
    };
    EXPECT_EQ(captions(first), (std::vector<std::string>{"If .@a == 1 | If .@a == 1",
                                                        "Else if .@b == 1 | Else if .@b == 1"}));
    EXPECT_EQ(captions(second), (std::vector<std::string>{"Third choice | Third choice"}));
    // Now a goes behind b in the same if: b leads.
    ASSERT_TRUE(Document().MoveNode(a->Node, first->Node, 2));
    EXPECT_EQ(captions(first), (std::vector<std::string>{"If .@b == 1 | If .@b == 1",
                                                        "Else if .@a == 1 | Else if .@a == 1"}));
    Document().Undo();
    Document().Undo();
    EXPECT_EQ(captions(first), (std::vector<std::string>{"If .@a == 1 | If .@a == 1"}));
    EXPECT_EQ(captions(second), (std::vector<std::string>{"If .@b == 1 | If .@b == 1", "Third choice | Third choice"}));
}

// A call names its subroutine by the label the writer writes for the group: the author's name
// where the group has one, and the caption and the script agree.
TEST_F(PlaceTest, ACallNamesTheLabelTheWriterWrites)
{
    TGroupTask* shop = AddTask(StartNode(), Project().NewGroup("Shop"));
    TCallTask call;
    call.CallKind = TCallKind::Subroutine;
    call.TargetGroup = shop->GroupNumber;
    call.Args = {"1"};
    const std::string number = "L" + std::to_string(shop->GroupNumber);
    EXPECT_EQ(call.SummaryText(&Project().TaskList), "Call subroutine " + number + "(1)");
    shop->LabelName = "L_Shop";
    EXPECT_EQ(call.SummaryText(&Project().TaskList), "Call subroutine L_Shop(1)");
    EXPECT_EQ(call.SummaryText(), "Call subroutine " + number + "(1)");  // no groups to look in
    auto written = std::make_unique<TCallTask>();
    written->CallKind = call.CallKind;
    written->TargetGroup = call.TargetGroup;
    written->Args = call.Args;
    AddTask(StartNode(), std::move(written));
    const std::vector<std::string> lines = ScriptLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.ends_with("\tcallsub L_Shop, 1;"); }));
}

} // namespace
