#pragma once
// The script writer: one object per run, asking every task of a project for its lines. It keeps
// what a run needs to know as it goes (the level and group being written, whether a group still
// owes its exit label or its speaker line) to itself, so runs over different projects never meet.

#include "model/KeptSource.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TGroupTask;
class TProject;
class TTask;
class TTaskNode;

// What a run found that makes the script unfit for the server (for example an NPC without a
// map). The script is written anyway, with the gap left empty.
struct TScriptResult {
    std::vector<std::string> Problems;
    // The task that wrote each line, by line number from 0; nullptr for the lines of the script's
    // frame (header, NPC line, closing brace). The tasks belong to the project: a holder that
    // outlives a change of the tree keeps TTaskGuards instead.
    std::vector<const TTask*> LineTasks;
    bool HasProblems() const { return !Problems.empty(); }
};

// What the writer did at one node of the tree (the node's head, and the closing lines written
// before the next node): kept by TScriptMemo, which writes again only the nodes a change reached.
struct TNodeRun {
    const TTaskNode* Node = nullptr;
    const TTask* Task = nullptr;
    std::uint64_t Revision = 0;
    int Level = 0;
    const TTaskNode* Parent = nullptr;
    bool FirstChild = false;  // a branch's line depends on it
    std::size_t First = 0;    // its first line
    // The writer's state as the node began.
    const TGroupTask* Group = nullptr;
    bool Speaker = false;
    // The groups owing their exit label, in address order (none: null); shared by the runs
    // between two changes of them, as a large NPC owes many for long stretches.
    std::shared_ptr<const std::vector<const TGroupTask*>> Exits;
    // Every problem the node reported (also one reported before), every group without a label
    // it jumped to, in the order met, and the group numbers whose label it wrote (its lines
    // change when such a group comes, goes or is relabelled); null for a node that did none of
    // these, as most do.
    struct TReport {
        std::vector<std::string> Problems;
        std::vector<const TGroupTask*> Unlabelled;
        std::vector<std::int32_t> Asked;
    };
    std::unique_ptr<TReport> Report;

    TReport& Reported()
    {
        if (!Report)
            Report = std::make_unique<TReport>();
        return *Report;
    }
};

inline const char* const NoMapProblem = "The NPC has no map: choose one in NPC Information.";

// The project's groups by number.
using TGroupMap = std::unordered_map<std::int32_t, const TGroupTask*>;

class TScriptWriter {
public:
    // Lines go to lines, which the writer does not own.
    TScriptWriter(const TProject& project, std::vector<std::string>& lines);
    TScriptWriter(const TScriptWriter&) = delete;
    TScriptWriter& operator=(const TScriptWriter&) = delete;

    // Writes the whole script (header, NPC line, the tree, labels), replacing what lines held.
    TScriptResult Write();

    const TProject& Project() const { return Project_; }

    void AddScriptLine(int level, const std::string& text);
    // A line of task's, one level below the task holding it; indent moves it (a branch's line
    // stands at its block's depth: -1).
    void AddTaskLine(const TTask& task, const std::string& text, int indent = 0);
    // The same line given in pieces, joined straight into the line: a large project's script is
    // written after every change, and the pieces' sums would each cost an allocation.
    void AddTaskLine(const TTask& task, std::initializer_list<std::string_view> pieces, int indent = 0);
    // The label of the group numbered number as the script writes it: the author's name or
    // "L<number>" (also for a number no group has).
    std::string LabelOf(std::int32_t number) const;
    // Records a problem of the run (each distinct message once).
    void AddScriptProblem(const std::string& message);
    void UpdateCurrentGroup(const TTaskNode& node);
    // Writes group's exit label when a jump to it was written.
    void FinishGroup(const TGroupTask& group);
    // A jump to group's exit was written: the label must follow the group's last task.
    void RequireExit(const TGroupTask& group)
    {
        if (ExitPending_.insert(&group).second)
            ExitsStale_ = true;
    }

    std::int32_t CurrentLevel = 0;
    // The group the task being written belongs to: the task itself, else the nearest group above.
    const TGroupTask* CurrentGroup = nullptr;
    // Set when a group starts: its first message names the NPC speaking.
    bool NeedSpeakerLine = false;
    // The map file of an NPC whose map is not in the catalogue; empty: such an NPC is a problem.
    std::string MapWhenNone;
    // False: the NPC's own lines alone, from its NPC line on, without the header comment block
    // (an NPC written into a script file of many, whose own header stays as it is).
    bool HeaderBlock = true;
    // False: every task in the editor's own style, also those that keep the source they were
    // imported from (the import's proof is about the tasks, not about the kept text).
    bool KeepSource = true;

    // The stretches of the last run, each as the writer wrote it (before kept source took its place).
    const std::vector<TWrittenStretch>& Stretches() const { return Stretches_; }

private:
    friend class TScriptMemo;
    // The groups by number and the check of their labels: what every run starts with. A run that
    // writes part of a script written before is handed the groups that run found.
    void Prepare(const TGroupMap* groups = nullptr);
    // The node's head and the closing lines after it; next: the node the walk goes on with.
    void WriteNode(const TTaskNode& node, const TTaskNode* next);
    // The writer's state as it was when node began, the rest of it read from the tree.
    void Resume(const TNodeRun& run);
    // After the last node: the exit labels still owed and the closing brace.
    void WriteTail();
    // ExitPending_ as a run keeps it.
    const std::shared_ptr<const std::vector<const TGroupTask*>>& PendingExits();
    void AddLine(int level, std::initializer_list<std::string_view> pieces, const TTask* task);
    // The lines from here on, up to the next stretch, are task's (nullptr: the frame's).
    void BeginStretch(TStretchKind kind, const TTask* task, const TKeptPtr& kept);
    void PutKeptSource();
    void WriteHeaderBlock();
    void WriteNPCLine();
    void WalkTree();
    void EnterNode(const TTaskNode& node);
    void CloseSubtrees(const TTaskNode& node, int nextLevel);
    void FinishPendingGroups();
    void CheckLabels();

    const TProject& Project_;
    std::vector<std::string>& Lines_;
    TScriptResult Result_;
    std::unordered_set<const TGroupTask*> ExitPending_;
    std::shared_ptr<const std::vector<const TGroupTask*>> Exits_;  // ExitPending_ sorted, unless stale
    bool ExitsStale_ = true;
    TGroupMap OwnGroups_;
    const TGroupMap* Groups_ = &OwnGroups_;
    // How many problems the check of the labels found (the first of the run's).
    std::size_t LabelProblems_ = 0;
    // Along the path to the node being written: how many parts (IsPart) stand above each level.
    std::vector<int> PartsAbove_;
    // Tasks holding tasks, other than groups, whose closing lines are still to come.
    std::vector<const TTaskNode*> Open_;
    std::vector<TWrittenStretch> Stretches_;
    // Groups jumped to that write no label (TGroupTask::NoLabel), reported once the run is done.
    mutable std::unordered_set<const TGroupTask*> Unlabelled_;
    // When set, each node's run is recorded here (the one being written is the last), and the
    // problems of the header and the NPC line in FrameProblems_.
    std::vector<TNodeRun>* Runs_ = nullptr;
    bool InRun_ = false;
    std::vector<std::string> FrameProblems_;
};

// The whole script of project into lines.
TScriptResult GenerateScript(const TProject& project, std::vector<std::string>& lines);
// The same, as one text with CR LF after every line (the form of the .txt file).
std::string JoinScriptLines(const std::vector<std::string>& lines);
// The problem of a jump to group, which writes no label.
std::string UnlabelledProblem(const TGroupTask& group);
