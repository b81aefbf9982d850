// The undo history: random runs of edits through the project document (tasks of every kind added,
// labels and speakers set, typing that merges among them), undone to the start and redone to the end, each step landing exactly on the state it
// left; a merged run of NPC typing;
// the cost of a step.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "document/Document.h"
#include "document/UndoSteps.h"
#include "model/BlockTasks.h"
#include "model/CodeTasks.h"
#include "platform/Errors.h"

#include <algorithm>
#include <functional>
#include <random>
#include <unordered_map>

namespace {

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

// Empty when equal; else the lines around the first difference of each (the states are long).
std::string FirstDifference(const std::string& actual, const std::string& expected)
{
    if (actual == expected)
        return {};
    const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const auto around = [](const std::string& text, std::string::const_iterator at) {
        const std::size_t pos = static_cast<std::size_t>(at - text.begin());
        const std::size_t from = text.rfind('\n', pos > 0 ? pos - 1 : 0);
        const std::size_t start = from == std::string::npos ? 0 : from + 1;
        return text.substr(start, std::min<std::size_t>(120, text.size() - start));
    };
    return "is: " + around(actual, a) + "\nwas: " + around(expected, e);
}

void BuildGeneratedProject(int total)
{
    Document().NewProject();
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

class TRandomEditor {
public:
    explicit TRandomEditor(unsigned seed) : Random_(seed) {}

    // Selects a node at random, as a user clicks about between edits.
    void SelectAny()
    {
        const std::vector<TTaskNode*> nodes = Project().TaskTree.Nodes();
        Project().TaskTree.Select(nodes[Pick(nodes.size())]);
    }

    // One edit through the document, on the selected node, each call of the document made through
    // follow (THistoryFollower::Follow); false when it changed nothing.
    template <class Follow>
    bool EditOnce(Follow&& follow)
    {
        TProjectDocument& document = Document();
        const std::vector<TTaskNode*> nodes = Project().TaskTree.Nodes();
        TTaskNode* node = Project().TaskTree.Selected();
        const bool notStart = node != Project().TaskTree.GetFirstNode();
        switch (Pick(11)) {
        case 0: return follow([&] { return document.AddTask(Project().NewGroup("Added " + std::to_string(++Count_))) != nullptr; });
        case 1: return follow([&] { return document.AddTask(MakeMenu({{"Go", AnyGroupNumber()}})) != nullptr; });
        case 2: return notStart && follow([&] { return document.DeleteNode(node); });
        case 3: return follow([&] { return document.RenameNode(node, "Renamed " + std::to_string(++Count_)); });
        case 4: {
            TTaskNode* parent = AnyGroup(nodes);
            const int position = static_cast<int>(Pick(4));
            return notStart && follow([&] { return document.MoveNode(node, parent, position); });
        }
        case 5: {
            std::unique_ptr<TTask> content = CopyTask(*node->Data());
            content->Rename("Edited " + std::to_string(++Count_));
            return follow([&] {
                document.EditTask(node->Data(), *content);
                return true;
            });
        }
        case 6: {
            // The header with the server it is written for: a step of its own.
            TNPCHeader header = Project().HeaderInfo;
            header.Author = "Author " + std::to_string(++Count_);
            ChangeServerTarget(header, static_cast<TServerTarget>(Pick(3)));
            return follow([&] { return document.SetHeader(header); });
        }
        case 7: {
            // Keystrokes in the name: they merge into one step, also with typing just before, and
            // typing back what was there leaves no step.
            TNPC npc = Project().NPCInfo;
            bool typed = false;
            for (std::size_t keys = 1 + Pick(4); keys-- > 0;) {
                if (!npc.Name.empty() && Pick(3) == 0)
                    npc.Name.pop_back();
                else
                    npc.Name += static_cast<char>('a' + Pick(26));
                typed = follow([&] { return document.SetNPC(npc); }) || typed;
            }
            return typed;
        }
        case 9: {
            // AddTask refuses a part where nothing selected may hold it (a case outside a switch).
            std::unique_ptr<TTask> task = AnyTask();
            return follow([&] {
                try {
                    return document.AddTask(std::move(task)) != nullptr;
                } catch (const EListError&) {
                    return false;
                }
            });
        }
        case 10: {
            // A group's label and a message's speaker, set in their editors.
            std::unique_ptr<TTask> content = CopyTask(*node->Data());
            if (auto* group = dynamic_cast<TGroupTask*>(content.get())) {
                group->LabelName = Pick(2) ? "L_Label" + std::to_string(++Count_) : "";
                group->NoLabel = Pick(3) == 0;
            } else if (auto* message = dynamic_cast<TMessageTask*>(content.get())) {
                message->Speaker = static_cast<TSpeakerKind>(Pick(5));
                message->SpeakerText = "Voice " + std::to_string(++Count_);
            } else {
                return false;
            }
            return follow([&] {
                document.EditTask(node->Data(), *content);
                return true;
            });
        }
        default: {
            // Two fields at once: a step that merges with no typing.
            TNPC npc = Project().NPCInfo;
            npc.Name += static_cast<char>('a' + Pick(26));
            npc.X += 1;
            return follow([&] { return document.SetNPC(npc); });
        }
        }
    }

private:
    // A task of a kind the task window adds: statements, blocks and their parts, speakers.
    std::unique_ptr<TTask> AnyTask()
    {
        const std::string n = std::to_string(++Count_);
        switch (Pick(11)) {
        case 0: return std::make_unique<TCommandTask>("emotion", std::vector<std::string>{"e_gasp", n});
        case 1: {
            auto set = std::make_unique<TSetTask>();
            set->Scope = static_cast<TVarScope>(Pick(2));
            set->Name = "n" + n;
            set->Expression = n;
            return set;
        }
        case 2:
        case 3: {
            auto call = std::make_unique<TCallTask>();
            call->CallKind = static_cast<TCallKind>(Pick(2));
            call->Function = "F_" + n;
            call->TargetGroup = AnyGroupNumber();
            call->Args = {n};
            return call;
        }
        case 4: return std::make_unique<TStatementTask>(static_cast<TBareStatement>(Pick(LastBareStatement + 1)));
        case 5: {
            auto message = std::make_unique<TMessageTask>(std::vector<std::string>{"Said " + n});
            message->Speaker = static_cast<TSpeakerKind>(Pick(5));
            message->SpeakerText = "Voice " + n;
            return message;
        }
        case 6: return std::make_unique<TIfTask>();
        case 7: return std::make_unique<TBranchTask>();
        case 8: {
            auto loop = std::make_unique<TLoopTask>();
            loop->LoopKind = static_cast<TLoopKind>(Pick(3));
            loop->Condition = ".@i < " + n;
            return loop;
        }
        case 9: {
            auto choice = std::make_unique<TSwitchTask>();
            choice->Value = ".@n" + n;
            return choice;
        }
        default: {
            auto label = std::make_unique<TCaseTask>();
            label->IsDefault = Pick(4) == 0;
            label->Value = n;
            return label;
        }
        }
    }

    std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(Random_); }

    TTaskNode* AnyGroup(const std::vector<TTaskNode*>& nodes)
    {
        for (;;) {
            TTaskNode* node = nodes[Pick(nodes.size())];
            if (node->Data()->Kind() == TTaskKind::Group)
                return node;
        }
    }

    std::int32_t AnyGroupNumber()
    {
        std::vector<std::int32_t> numbers;
        for (int i = 0; i < Project().TaskList.TaskCount(); ++i)
            if (const auto* group = dynamic_cast<const TGroupTask*>(Project().TaskList.TaskAt(i)))
                numbers.push_back(group->GroupNumber);
        return numbers[Pick(numbers.size())];
    }

    std::mt19937 Random_;
    int Count_ = 0;
};

// Follows the history through a run, one entry per step: what state gives before and after it.
// A call of the document adds a step, merges typing into the step before (which then ends where
// the typing did) or, typing back to where that step began, drops it.
class THistoryFollower {
public:
    explicit THistoryFollower(std::string (*state)()) : State_(state) {}

    bool operator()(const std::function<bool()>& call)
    {
        std::string state = State_();
        const int index = Document().History().index();
        if (!call())
            return false;
        const int moved = Document().History().index() - index;
        if (moved == 1) {
            Before.push_back(std::move(state));
            After.push_back(State_());
        } else if (moved == 0 && !After.empty()) {
            After.back() = State_();
        } else if (moved == -1 && !After.empty()) {
            Before.pop_back();
            After.pop_back();
        } else {
            ADD_FAILURE() << "a call of the document moved the history by " << moved;
        }
        return true;
    }

    std::vector<std::string> Before;
    std::vector<std::string> After;

private:
    std::string (*State_)();
};

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
    for (std::size_t step = before.size(); step-- > 0;) {
        Document().Undo();
        ASSERT_EQ(FirstDifference(StateOf(), before[step]), "") << "undo of step " << step << ", seed " << GetParam().Seed;
    }
    EXPECT_FALSE(Project().Modified);
    EXPECT_FALSE(Document().CanUndo());
    for (std::size_t step = 0; step < after.size(); ++step) {
        Document().Redo();
        ASSERT_EQ(FirstDifference(StateOf(), after[step]), "") << "redo of step " << step << ", seed " << GetParam().Seed;
    }
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
