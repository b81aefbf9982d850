// The undo history: random runs of edits through the project document (tasks of every kind added,
// labels and speakers set, typing that merges among them), undone to the start and redone to the end, each step landing exactly on the state it
// left; a merged run of NPC typing;
// the cost of a step; the check a window keeps from one step to the next agreeing with a fresh one,
// and so the script it keeps, written again in part after each step.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "RandomEdits.h"

#include "check/Problems.h"
#include "document/Document.h"
#include "document/UndoSteps.h"
#include "import/Import.h"
#include "model/BlockTasks.h"
#include "model/MessageTasks.h"
#include "model/ScriptMemo.h"
#include "model/ScriptWriter.h"

#include <unordered_map>

namespace {

using namespace randomedits;

class UndoHistoryTest : public TaskTest {};

// Everything a step may change and must give back, view state included, but the group counter:
// it only counts upwards, so a group number is never handed out twice.
std::string StateOf()
{
    const std::vector<TTaskNode*> nodes = Project().TaskTree.Nodes();
    std::unordered_map<const TTask*, std::size_t> position;
    std::string state;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const TTaskNode* node = nodes[i];
        position[node->Data()] = i;
        state += std::to_string(node->Level()) + (node->Expanded() ? "+" : "-") +
                 (Project().TaskTree.Selected() == node ? "*" : "") + (node->Data()->Node == node ? "" : "!") + "[" +
                 node->Text() + "]\n";
    }
    state += "list:";
    for (int i = 0; i < Project().TaskList.TaskCount(); ++i)
        state += " " + std::to_string(position.at(Project().TaskList.TaskAt(i)));
    const TNPCHeader& h = Project().HeaderInfo;
    state += "\nheader for " + std::string(RulesOf(h.Target).Key) + "\nfile: " + Project().ProjectFileName +
             "\nmodified: " + (Project().Modified ? "yes" : "no");
    return state + "\nbytes:" + SaveProjectBytes(Project());
}

void BuildGeneratedProject(int total)
{
    Document().NewProject();
    // On a map: a script the server reads, which a check after a change reads again only in part.
    Project().NPCInfo = TNPC{113, 150, 180, 5, 0, "Guide"};
    TTaskNode* group = StartNode();
    std::int32_t number = 0;
    for (int i = 1; i < total; ++i) {
        if (i % 20 == 0) {
            TGroupTask* made = AddTask(i % 60 == 0 ? group : StartNode(), Project().NewGroup("Group " + std::to_string(i)));
            group = made->Node;
            number = made->GroupNumber;
            // Some groups are closed in the view: a deleted one must come back closed.
            group->SetExpanded(i % 40 != 0);
        } else if (i % 7 == 0) {
            AddTask(group, MakeMenu({{"Back", number}, {"Leave", 0}}));
        } else {
            auto message = std::make_unique<TMessageTask>();
            message->Lines = {"Line " + std::to_string(i)};
            message->Caption = "Message: Line " + std::to_string(i);
            AddTask(group, std::move(message));
        }
    }
}

// Every field of every finding, the task by its place in the tree.
std::string FindingsOf(const TProjectCheck& check)
{
    std::string text;
    for (const TProblem& p : check.Problems)
        text += std::to_string(static_cast<int>(p.Severity)) + " " + (p.Task ? TaskPath(*p.Task) : "NPC") + " " +
                std::to_string(p.ScriptLine) + ":" + std::to_string(p.Column) + "@" + std::to_string(p.TaskLine) +
                " " + p.Message + "\n";
    return text;
}

// The check through the memo a task window keeps across changes, twice (the second finds the text
// it checked last), against one made from nothing.
std::string MemoDifference(TScriptCheckMemo& memo)
{
    std::vector<std::string> lines;
    const TScriptResult written = GenerateScript(Project(), lines);
    const std::string fresh = FindingsOf(CheckProject(Project()));
    for (int pass = 0; pass < 2; ++pass)
        if (const std::string kept = FindingsOf(CheckWrittenScript(Project(), lines, written, &memo)); kept != fresh)
            return FirstDifference(kept, fresh);
    return "";
}

// The script a memo keeps across changes against a whole write: the lines, the task of each line,
// the problems, and the change it reports taking its previous lines to its new ones. partial
// counts the writes that wrote fewer nodes than the tree has.
std::string ScriptMemoDifference(TScriptMemo& memo, int& partial)
{
    std::vector<std::string> previous = memo.Lines();
    memo.Write(Project());
    std::vector<std::string> lines;
    const TScriptResult whole = GenerateScript(Project(), lines);
    if (memo.Lines() != lines)
        return FirstDifference(JoinScriptLines(memo.Lines()), JoinScriptLines(lines));
    if (memo.Result().LineTasks != whole.LineTasks || memo.Result().Problems != whole.Problems)
        return "the lines' tasks or the problems differ";
    const TLineChange& change = memo.Change();
    if (change.First + change.OldCount > previous.size() || change.First + change.NewCount > lines.size())
        return "the change reported lies outside the lines";
    const auto first = previous.begin() + static_cast<std::ptrdiff_t>(change.First);
    previous.erase(first, first + static_cast<std::ptrdiff_t>(change.OldCount));
    const auto from = lines.begin() + static_cast<std::ptrdiff_t>(change.First);
    previous.insert(previous.begin() + static_cast<std::ptrdiff_t>(change.First), from,
                    from + static_cast<std::ptrdiff_t>(change.NewCount));
    if (previous != lines)
        return "the change reported does not lead from the old lines to the new";
    // Both writes read the groups the task list keeps beside its tasks.
    std::vector<const TTask*> groups;
    for (int i = 0; i < Project().TaskList.TaskCount(); ++i)
        if (const TTask* task = Project().TaskList.TaskAt(i); task->Kind() == TTaskKind::Group)
            groups.push_back(task);
    if (!std::equal(groups.begin(), groups.end(), Project().TaskList.Groups().begin(), Project().TaskList.Groups().end()))
        return "the task list's groups are not its group tasks";
    partial += memo.NodesWritten() < static_cast<std::size_t>(Project().TaskTree.Count()) ? 1 : 0;
    return "";
}

struct TRunCase {
    const char* Name;
    void (*Build)();
    unsigned Seed;
};

class UndoRunTable : public UndoHistoryTest, public ::testing::WithParamInterface<TRunCase> {};

TEST_P(UndoRunTable, EveryStepUndoesToTheStateBeforeItAndRedoesToTheStateAfterIt)
{
    GetParam().Build();
    Document().LoadProjectBytes("start", SaveProjectBytes(Project()));
    Document().SetModified(false);
    TRandomEditor editor(GetParam().Seed);
    THistoryFollower history(StateOf);
    while (history.Before.size() < 200) {
        editor.SelectAny();
        editor.EditOnce(history);
        ASSERT_EQ(history.Before.size(), static_cast<std::size_t>(Document().History().index()));
    }
    const std::vector<std::string>& before = history.Before;
    const std::vector<std::string>& after = history.After;
    TScriptCheckMemo memo, following;  // following: told each write's change, as a task window is
    TScriptMemo script;
    int partial = 0;
    ASSERT_EQ(ScriptMemoDifference(script, partial), "");
    for (std::size_t step = before.size(); step-- > 0;) {
        Document().Undo();
        ASSERT_EQ(FirstDifference(StateOf(), before[step]), "") << "undo of step " << step << ", seed " << GetParam().Seed;
        ASSERT_EQ(ScriptMemoDifference(script, partial), "") << "script after undo of step " << step << ", seed " << GetParam().Seed;
        const TProjectCheck told =
            CheckWrittenScript(Project(), script.Lines(), script.Result(), &following, &script.Change(), &script.Runs());
        if (step % 4 == 0) {
            ASSERT_EQ(MemoDifference(memo), "") << "check after undo of step " << step << ", seed " << GetParam().Seed;
            ASSERT_EQ(FirstDifference(FindingsOf(told), FindingsOf(CheckProject(Project()))), "") << "told, step " << step;
        }
    }
    EXPECT_GT(memo.Reader().PartialReads(), 0) << "the checks read the script in part";
    EXPECT_GT(following.Reader().PartialReads(), 0) << "the checks told the change read the script in part";
    EXPECT_FALSE(Project().Modified);
    EXPECT_FALSE(Document().CanUndo());
    for (std::size_t step = 0; step < after.size(); ++step) {
        Document().Redo();
        ASSERT_EQ(FirstDifference(StateOf(), after[step]), "") << "redo of step " << step << ", seed " << GetParam().Seed;
        ASSERT_EQ(ScriptMemoDifference(script, partial), "") << "script after redo of step " << step << ", seed " << GetParam().Seed;
    }
    EXPECT_GT(partial, 0) << "the script was written again in part";
    // What the history rebuilt also reads back as a project.
    EXPECT_NO_THROW(Document().LoadProjectBytes("end", SaveProjectBytes(Project())));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, UndoRunTable,
    ::testing::Values(TRunCase{"EveryKind1", BuildEveryKindProject, 1}, TRunCase{"EveryKind2", BuildEveryKindProject, 2},
                      TRunCase{"EveryKind3", BuildEveryKindProject, 3},
                      TRunCase{"Generated4", [] { BuildGeneratedProject(1000); }, 4},
                      TRunCase{"Generated5", [] { BuildGeneratedProject(1000); }, 5}),
    [](const auto& info) { return std::string(info.param.Name); });

// Changes that reach beyond their own task's lines: a label every jump names, the speaker line
// that moves to the next message, the exits and groups around a moved task, kept source, the NPC's
// name and the server's rules. The memo's script after the change and after its undo is a whole
// write's.
struct TMemoEditCase {
    const char* Name;
    void (*Build)();
    void (*Edit)();
};

class ScriptMemoEditTable : public UndoHistoryTest, public ::testing::WithParamInterface<TMemoEditCase> {};

TTaskNode* GroupNode(int which)
{
    int seen = 0;
    for (TTaskNode* node : Project().TaskTree.Nodes())
        if (node->Parent() && node->Data()->Kind() == TTaskKind::Group && seen++ == which)
            return node;
    throw std::logic_error("no such group");
}

template <class T>
void EditContent(TTask* task, void (*change)(T&))
{
    std::unique_ptr<TTask> content = CopyTask(*task);
    change(static_cast<T&>(*content));
    Document().EditTask(task, *content);
}

void BuildImported()
{
    const TImportSource source("t.txt", "prontera,150,180,4\tscript\tGuide\t111,{\n  mes \"[Guide]\";\n  mes \"Hi\"; // greet\n"
                                        "  if (Zeny > 5)\n    mes \"Rich\";\n  close;\n}\n");
    Document().ReplaceProject("t", ImportNpc(source, source.File.Entries[0], SharedTestCatalogues()).Project);
}

std::unique_ptr<TBranchTask> Branch(bool withCheck)
{
    auto branch = std::make_unique<TBranchTask>();
    if (withCheck)
        branch->Checks.push_back(ExpressionCheck("Zeny > 5"));
    return branch;
}

// The first group ends with an if whose else branch holds a message.
void BuildWithIf()
{
    BuildGeneratedProject(100);
    TIfTask* block = AddTask(GroupNode(0), std::make_unique<TIfTask>());
    AddTask(AddTask(block->Node, Branch(true))->Node, std::make_unique<TMessageTask>());
    AddTask(AddTask(block->Node, Branch(false))->Node, std::make_unique<TMessageTask>());
}

// Start holds an empty group, then a group holding a group with a message and a condition that
// jumps to its group's exit.
void BuildRehomed()
{
    Document().NewProject();
    AddTask(StartNode(), Project().NewGroup("Empty"));
    TGroupTask* outer = AddTask(StartNode(), Project().NewGroup("Outer"));
    AddTask(AddTask(outer->Node, Project().NewGroup("Inner"))->Node, std::make_unique<TMessageTask>());
    auto leave = std::make_unique<TConTask>();
    leave->Target = GroupExitTarget;
    leave->AddCheck(Comparison(1, "Class", 7));
    AddTask(outer->Node, std::move(leave));
}

void BuildWithLabelledShop()
{
    BuildEveryKindProject();
    static_cast<TGroupTask*>(GroupNode(0)->Data())->LabelName = "Shop";
}

void BuildWithUnlabelledShop()
{
    BuildEveryKindProject();
    static_cast<TGroupTask*>(GroupNode(0)->Data())->NoLabel = true;
}

// The check told each write's change, as a task window's is, finds what a check from nothing does.
TEST_P(ScriptMemoEditTable, TheMemosScriptAndCheckAreFreshOnesAfterTheChangeAndItsUndo)
{
    GetParam().Build();
    TScriptMemo memo;
    TScriptCheckMemo check;
    int partial = 0;
    const auto checked = [&] {
        const TProjectCheck told = CheckWrittenScript(Project(), memo.Lines(), memo.Result(), &check, &memo.Change(), &memo.Runs());
        return FirstDifference(FindingsOf(told), FindingsOf(CheckProject(Project())));
    };
    ASSERT_EQ(ScriptMemoDifference(memo, partial), "");
    ASSERT_EQ(checked(), "");
    GetParam().Edit();
    ASSERT_TRUE(Document().CanUndo());
    EXPECT_EQ(ScriptMemoDifference(memo, partial), "") << "after the change";
    EXPECT_EQ(checked(), "") << "check after the change";
    Document().Undo();
    EXPECT_EQ(ScriptMemoDifference(memo, partial), "") << "after its undo";
    EXPECT_EQ(checked(), "") << "check after its undo";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptMemoEditTable,
    ::testing::Values(
        TMemoEditCase{"GroupLabelled", [] { BuildGeneratedProject(200); },
                      [] { EditContent<TGroupTask>(GroupNode(2)->Data(), [](TGroupTask& g) { g.LabelName = "Shop"; }); }},
        // The condition and the menu at the top of Start jump to the first group.
        TMemoEditCase{"LabelledGroupJumpedToDeleted", BuildWithLabelledShop, [] { Document().DeleteNode(GroupNode(0)); }},
        TMemoEditCase{"UnlabelledGroupJumpedToRenamed", BuildWithUnlabelledShop,
                      [] { EditContent<TGroupTask>(GroupNode(0)->Data(), [](TGroupTask& g) { g.Rename("Till"); }); }},
        TMemoEditCase{"GroupJumpedToUnlabelled", BuildWithLabelledShop,
                      [] { EditContent<TGroupTask>(GroupNode(0)->Data(), [](TGroupTask& g) { g.NoLabel = true; }); }},
        // More tasks go than a check looks ahead for the next one it kept.
        TMemoEditCase{"GroupWithItsTasksDeleted", [] { BuildGeneratedProject(200); },
                      [] { Document().DeleteNode(GroupNode(1)); }},
        TMemoEditCase{"MenuMadeToJumpToNoGroup", [] { BuildGeneratedProject(200); },
                      [] {
                          for (TTaskNode* node : Project().TaskTree.Nodes())
                              if (node->Data()->Kind() == TTaskKind::Menu)
                                  return EditContent<TMenuTask>(node->Data(), [](TMenuTask& m) { m.Entries[0]->Target = 999; });
                      }},
        TMemoEditCase{"FirstMessageOfAGroupDeleted", [] { BuildGeneratedProject(200); },
                      [] { Document().DeleteNode(GroupNode(0)->Child(1)); }},  // after a menu
        TMemoEditCase{"BranchAddedAfterTheElse", BuildWithIf,
                      [] {
                          const TTaskNode* group = GroupNode(0);
                          Project().TaskTree.Select(group->Child(group->ChildCount() - 1));
                          Document().AddTask(Branch(true));
                      }},
        TMemoEditCase{"MessageEditedAfterTheSpeakerLine", [] { BuildGeneratedProject(200); },
                      [] { EditContent<TMessageTask>(GroupNode(3)->Child(1)->Data(), [](TMessageTask& m) { m.Lines = {"New"}; }); }},
        TMemoEditCase{"MessageEditedThenMoreTasksTouchedThanTheListRemembers", [] { BuildGeneratedProject(200); },
                      [] {
                          EditContent<TMessageTask>(GroupNode(3)->Child(1)->Data(), [](TMessageTask& m) { m.Lines = {"New"}; });
                          for (int i = 0; i < 1100; ++i)
                              Project().TaskList.Touch(*GroupNode(5)->Child(1)->Data());
                      }},
        TMemoEditCase{"TaskMovedBetweenGroups", [] { BuildGeneratedProject(200); },
                      [] { Document().MoveNode(GroupNode(1)->Child(0), GroupNode(4), 2); }},
        // The same nodes in the same order end the tree, a level higher.
        TMemoEditCase{"LastGroupMovedUpALevelAtTheEnd", [] { BuildGeneratedProject(200); },
                      [] {
                          TTaskNode* start = StartNode();
                          TTaskNode* outer = start->Child(start->ChildCount() - 1);
                          Document().MoveNode(outer->Child(outer->ChildCount() - 1), start, start->ChildCount());
                      }},
        TMemoEditCase{"MoreMovesThanTheTreeRemembers", [] { BuildGeneratedProject(200); },
                      [] {
                          for (int i = 0; i < 600; ++i)
                              Document().MoveNode(GroupNode(1)->Child(0), GroupNode(1), 3);
                      }},
        TMemoEditCase{"ProjectLoadedThenAGroupDeleted", [] { BuildGeneratedProject(200); },
                      [] {
                          Document().LoadProjectBytes("p.npc", SaveProjectBytes(Project()));
                          Document().DeleteNode(GroupNode(1));
                      }},
        TMemoEditCase{"GroupWithAnExitMoved", BuildEveryKindProject,
                      [] { Document().MoveNode(GroupNode(0), StartNode(), 0); }},
        // The inner group and the condition move into the empty group, which then moves first:
        // the same nodes at the same levels end the tree, below another group.
        TMemoEditCase{"TasksRehomedUnderAnotherGroup", BuildRehomed,
                      [] {
                          TTaskNode* empty = StartNode()->Child(0);
                          TTaskNode* outer = StartNode()->Child(1);
                          Document().MoveNode(outer->Child(0), empty, 0);
                          Document().MoveNode(outer->Child(0), empty, 1);
                          Document().MoveNode(outer, StartNode(), 0);
                      }},
        TMemoEditCase{"KeptSourceEdited", BuildImported,
                      [] {
                          for (int i = 0; i < Project().TaskList.TaskCount(); ++i)
                              if (TTask* task = Project().TaskList.TaskAt(i); task->Kind() == TTaskKind::Message) {
                                  EditContent<TMessageTask>(task, [](TMessageTask& m) { m.Lines.push_back("More"); });
                                  return;
                              }
                      }},
        TMemoEditCase{"NpcRenamed", BuildEveryKindProject,
                      [] {
                          TNPC npc = Project().NPCInfo;
                          npc.Name = "Porter";
                          Document().SetNPC(npc);
                      }},
        TMemoEditCase{"TargetChanged", BuildEveryKindProject,
                      [] {
                          TNPCHeader header = Project().HeaderInfo;
                          ChangeServerTarget(header, script::TTarget::RAthena);
                          Document().SetHeader(header);
                      }}),
    [](const auto& info) { return std::string(info.param.Name); });

// A save halfway through a run is the point the history counts as clean: undo and redo on either
// side of it mark the project modified exactly when it differs from the file, and give back the
// project's bytes of each step.
TEST_F(UndoHistoryTest, ASaveInTheMiddleOfARunIsWhereTheProjectIsUnmodified)
{
    BuildEveryKindProject();
    Document().LoadProjectBytes("start", SaveProjectBytes(Project()));
    Document().SetModified(false);
    const TTempDir dir;
    TRandomEditor editor(7);
    THistoryFollower history([] { return SaveProjectBytes(Project()); });
    const std::string start = SaveProjectBytes(Project());
    const auto bytes = [&](int index) { return index == 0 ? start : history.After[static_cast<std::size_t>(index - 1)]; };
    int savedAt = -1;
    while (history.After.size() < 40) {
        editor.SelectAny();
        editor.EditOnce(history);
        if (savedAt < 0 && history.After.size() == 20) {
            Document().SaveProject((dir / "middle.NPC").string());
            savedAt = Document().History().index();
            EXPECT_FALSE(Project().Modified);
        }
    }
    for (int index = Document().History().index(); index-- > 0;) {
        Document().Undo();
        ASSERT_EQ(SaveProjectBytes(Project()), bytes(index)) << "undo to " << index;
        EXPECT_EQ(Project().Modified, index != savedAt) << "undo to " << index;
    }
    for (int index = 1; index <= static_cast<int>(history.After.size()); ++index) {
        Document().Redo();
        ASSERT_EQ(SaveProjectBytes(Project()), bytes(index)) << "redo to " << index;
        EXPECT_EQ(Project().Modified, index != savedAt) << "redo to " << index;
    }
    EXPECT_EQ(ReadBytes(dir / "middle.NPC"), bytes(savedAt));
}

TEST_F(UndoHistoryTest, ARunOfTypingInOneNPCFieldIsOneStepAndTypingItBackIsNone)
{
    TNPC npc = Project().NPCInfo;
    const TNPC start = npc;
    for (const char* name : {"A", "Al", "Alb"}) {
        npc.Name = name;
        Document().SetNPC(npc);
    }
    EXPECT_EQ(Document().History().count(), 1);
    npc.X = 7;
    Document().SetNPC(npc);
    EXPECT_EQ(Document().History().count(), 2);
    Document().Undo();
    Document().Undo();
    EXPECT_EQ(Project().NPCInfo, start);
    EXPECT_FALSE(Project().Modified);

    TNPC typed = start;
    typed.Name = "B";
    Document().SetNPC(typed);
    Document().SetNPC(start);
    EXPECT_EQ(Document().History().count(), 0) << "typed back: nothing left to undo";
    EXPECT_FALSE(Project().Modified);
}

TEST_F(UndoHistoryTest, DeletingOneMessageKeepsThatMessageNotTheProject)
{
    BuildGeneratedProject(1000);
    TTaskNode* message = StartNode()->Child(1);
    ASSERT_EQ(message->Data()->Kind(), TTaskKind::Message);
    Document().DeleteNode(message);
    const auto* step = dynamic_cast<const TDeleteStep*>(Document().History().command(0));
    ASSERT_NE(step, nullptr);
    EXPECT_LT(step->ByteSize(), 200u);
    EXPECT_GT(SaveProjectBytes(Project()).size(), 20000u);
}

TEST_F(UndoHistoryTest, NewAndLoadStartTheHistoryAfresh)
{
    Document().AddTask(Project().NewGroup("Shop"));
    ASSERT_TRUE(Document().CanUndo());
    Document().LoadProjectBytes("project", SaveProjectBytes(Project()));
    EXPECT_FALSE(Document().CanUndo());
    Document().AddTask(Project().NewGroup("Inn"));
    Document().NewProject();
    EXPECT_FALSE(Document().CanUndo());
    EXPECT_FALSE(Project().Modified);
}

}  // namespace
