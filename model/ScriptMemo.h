#pragma once
// A project's script kept between changes: after a change only the nodes of the tree the change
// reached are written again, and their lines take the place of the old ones. Exact or not at all:
// whatever it cannot tell unchanged (the NPC or header records, the catalogues, a group
// renumbered, kept source of an imported NPC) makes it write the whole script, as GenerateScript does, and
// the lines and their tasks are always those a whole write gives.
//
// What changed is found from the tree alone: nodes, their tasks, places and levels, and each
// task's Revision, which the task list sets when a task joins it and the undo steps move when they
// change a task in place. Whoever changes a task another way, or replaces the project, calls Forget.

#include "model/LineChange.h"
#include "model/Records.h"
#include "model/ScriptWriter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

class TCatalogues;

class TScriptMemo {
public:
    // The script of project now. Change() then gives the lines that differ from the previous
    // write through this memo (all of them after Forget, or for another project).
    const TScriptResult& Write(const TProject& project);
    const std::vector<std::string>& Lines() const { return Lines_; }
    const TScriptResult& Result() const { return Result_; }
    const TLineChange& Change() const { return Change_; }
    // What the last write did at each node of the tree, in the tree's order: each node's task at
    // the revision written.
    const std::vector<TNodeRun>& Runs() const { return Runs_; }
    // Counts the writes through this memo: Change() is what write Writes() changed from write
    // Writes() - 1, so a holder of lines can tell whether the change is against the lines it holds.
    std::uint64_t Writes() const { return Writes_; }
    // Whether Change() is against the lines of write number `write`.
    bool ChangeFollows(std::uint64_t write) const { return write + 1 == Writes_; }
    // The next write writes everything.
    void Forget() { Project_ = nullptr; }
    // How the last write went: the number of nodes it wrote (every node for a whole write).
    std::size_t NodesWritten() const { return NodesWritten_; }

private:
    // What the script reads of a group outside its own node: a jump writes its label (or "L" and
    // its number, or nothing but a problem when it has none), the problem of such a jump quotes
    // its caption, and the tail finishes the exits still owed in the task list's order.
    struct TGroupInput {
        const TGroupTask* Group;
        std::int32_t Number;
        std::string Label;
        bool NoLabel;
        std::string Caption;
        std::uint64_t Revision;
    };
    // What the script reads outside the tree's nodes; any difference but the groups' means a
    // whole write.
    struct TInputs {
        const TCatalogues* Catalogues = nullptr;
        TNPC NPC;
        TNPCHeader Header;
        bool Kept = false;
        std::vector<TGroupInput> Groups;  // in the task list's order
    };
    struct TPlace {
        const TTaskNode* Node;
        const TTask* Task;
        int Level;
    };
    // Where writing must begin (a node outside blocks) and the first node after which the old
    // runs may take over again.
    struct TReach {
        std::size_t Start;
        std::size_t Until;
    };
    static constexpr std::size_t NoPlace = static_cast<std::size_t>(-1);

    static std::vector<TGroupInput> GroupsOf(const TProject& project);
    // The project's inputs outside the groups are those of the last write.
    bool SameFrame(const TProject& project) const;
    // The groups are those of the last write, at the same revisions (compared in place: this
    // runs every write).
    bool SameGroups(const TProject& project) const;
    // The numbers whose label a jump now writes differently; false when the change of the groups
    // reaches further than the jumps (a group renumbered, reordered or changed in place unseen).
    bool RelabelledNumbers(const std::vector<TGroupInput>& now, std::vector<std::int32_t>& numbers) const;
    void WriteWhole(const TProject& project, std::size_t oldCount);
    // False: the change could not be written in place.
    bool WriteChange(const TProject& project);
    // Lists every node of the tree and finds the stretch where they differ from the runs.
    void ListNodes(const TProject& project, std::size_t& same, std::size_t& sameAfter);
    // The same from the tree's log of its changes alone, listing only the nodes between the
    // first and last run it names; false when the log does not reach back to the last write.
    bool ListChangedNodes(const TProject& project, std::size_t& same, std::size_t& sameAfter);
    // The tree's node at place in pre-order: outside the tree's changed stretch its run's.
    TPlace Place(std::size_t place) const;
    // Before the tree's changed stretch a place is its run's index; after it, shifted by what the
    // stretch added, until the stretch is spliced in.
    std::size_t RunOf(std::size_t place) const { return place < TreeFirst_ ? place : place + Runs_.size() - Nodes_; }
    bool Same(std::size_t place, std::size_t run) const;
    // The places where writing must begin again, in order: the tree's changed stretch from first
    // to until and the nodes whose runs asked the label of a number in relabelled.
    // False when one has no node outside blocks before it.
    bool Reaches(std::size_t first, std::size_t until, const std::vector<std::int32_t>& relabelled,
                 std::vector<TReach>& reaches) const;
    // Writes from reach's start until the old runs can take over (taking in the reaches after it
    // that begin before) and splices, moving reach past them; false when kept source met.
    bool Rewrite(const TProject& project, std::vector<TReach>::const_iterator& reach,
                 std::vector<TReach>::const_iterator end, TLineChange& change);
    bool MayResume(TScriptWriter& writer, std::size_t start, std::size_t place, std::size_t run);
    // The old runs from start up to end (and their lines) give way to the ones just written; the
    // lines that changed.
    TLineChange Splice(std::size_t start, std::size_t end, TScriptWriter& writer, std::vector<TNodeRun>& runs);
    // The groups by number, and the frame's problems with those of their labels, as a whole write
    // of project finds them.
    void TakeGroups(const TProject& project);
    void CollectProblems();

    const TProject* Project_ = nullptr;
    TInputs Inputs_;
    std::vector<std::string> Lines_;
    TScriptResult Result_;
    TLineChange Change_;
    std::vector<TNodeRun> Runs_;
    std::vector<std::string> FrameProblems_;
    TGroupMap Groups_;            // as the last write found them
    std::size_t LabelProblems_ = 0;  // the first of FrameProblems_ are the labels' check's
    // The tree's nodes of this write from place StretchBase_ on, as far as they were listed.
    std::vector<TPlace> Stretch_;
    std::size_t StretchBase_ = 0;
    std::size_t Nodes_ = 0;  // the tree's nodes in this write
    std::vector<std::pair<const TTaskNode*, int>> Path_;  // ListNodes' way down: a node, its next child
    std::vector<const TTaskNode*> Logged_;  // the nodes the tree logged since the last write
    std::uint64_t TreeChanges_ = 0;  // the tree's count of changes at the last write
    // Rewrite's nodes written again that stand above a node where the old runs may take over:
    // whether each stood where it stands now.
    std::unordered_map<const TTaskNode*, bool> Above_;
    // The tree's changed stretch of this write: its first place, and the first after it.
    std::size_t TreeFirst_ = 0;
    std::size_t TreeEnd_ = 0;
    std::size_t NodesWritten_ = 0;
    std::uint64_t Writes_ = 0;
    // The task list's revision at the last write, and the tasks given one since, sorted, when the
    // list still knows them: a task not among them kept its revision.
    std::uint64_t Revision_ = 0;
    std::vector<const TTask*> Touched_;
    bool TouchedKnown_ = false;
};
