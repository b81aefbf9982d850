#pragma once
// Random edits through the project document, as a user makes them, and the history they leave:
// the undo runs of projects and of script files' NPCs share them.

#include "TaskFixture.h"
#include "DocumentSupport.h"

#include "document/Document.h"
#include "model/BlockTasks.h"
#include "model/CodeTasks.h"
#include "platform/Errors.h"

#include <algorithm>
#include <functional>
#include <random>

namespace randomedits {

// Empty when equal; else the lines around the first difference of each (the states are long).
inline std::string FirstDifference(const std::string& actual, const std::string& expected)
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

class TRandomEditor {
public:
    // Without headers no edit changes the header (and with it the server the script is for).
    explicit TRandomEditor(unsigned seed, bool headers = true) : Random_(seed), Headers_(headers) {}

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
            if (!Headers_)
                return false;
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
            // A group's label and a message's speaker, set in their editors; the new caption makes
            // every such edit a step.
            std::unique_ptr<TTask> content = CopyTask(*node->Data());
            content->Rename("Labelled " + std::to_string(++Count_));
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
    bool Headers_;
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

} // namespace randomedits
