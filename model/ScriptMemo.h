#pragma once
// A project's script kept between changes: after a change only the nodes of the tree the change
// reached are written again, and their lines take the place of the old ones. Exact or not at all:
// whatever it cannot tell unchanged (the NPC or header records, the catalogues, a group's label,
// kept source of an imported NPC) makes it write the whole script, as GenerateScript does, and
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
    // Counts the writes through this memo: Change() is what write Writes() changed from write
    // Writes() - 1, so a holder of lines can tell whether the change is against the lines it holds.
    std::uint64_t Writes() const { return Writes_; }
    // The next write writes everything.
    void Forget() { Project_ = nullptr; }
    // How the last write went: the number of nodes it wrote (every node for a whole write).
    std::size_t NodesWritten() const { return NodesWritten_; }

private:
    // What the script reads outside the tree's nodes; any difference means a whole write.
    struct TInputs {
        const TCatalogues* Catalogues = nullptr;
        TNPC NPC;
        TNPCHeader Header;
        bool Kept = false;
        // Every group in the task list's order: its number, label name, no-label flag and caption.
        std::vector<std::tuple<const TGroupTask*, std::int32_t, std::string, bool, std::string>> Groups;
    };
    struct TPlace {
        const TTaskNode* Node;
        int Level;
        std::size_t Parent;  // the parent's place; NoParent for a top-level node
    };
    static constexpr std::size_t NoParent = static_cast<std::size_t>(-1);

    static TInputs InputsOf(const TProject& project);
    // The project's inputs are those of the last write (compared in place: this runs every write).
    bool SameInputs(const TProject& project) const;
    void WriteWhole(const TProject& project);
    // False: the change could not be written in place.
    bool WriteChange(const TProject& project);
    void ListNodes(const TProject& project);
    bool Same(std::size_t place, std::size_t run) const;
    // Writes from the node at start until the old runs can take over; false when kept source met.
    bool Rewrite(const TProject& project, std::size_t start, std::size_t suffix);
    bool MayResume(TScriptWriter& writer, std::size_t start, std::size_t place, std::size_t run);
    // The old runs from start up to end (and their lines) give way to the ones just written.
    void Splice(std::size_t start, std::size_t end, TScriptWriter& writer, std::vector<TNodeRun>& runs);
    void CollectProblems();

    const TProject* Project_ = nullptr;
    TInputs Inputs_;
    std::vector<std::string> Lines_;
    TScriptResult Result_;
    TLineChange Change_;
    std::vector<TNodeRun> Runs_;
    std::vector<std::string> FrameProblems_;
    TGroupMap Groups_;            // as the last whole write found them
    std::vector<TPlace> Places_;  // the tree's nodes in pre-order, rebuilt each write
    std::vector<std::pair<std::size_t, int>> Path_;  // ListNodes' way down: a place, its next child
    // Rewrite's nodes written again that stand above a node where the old runs may take over:
    // whether each stood where it stands now.
    std::unordered_map<const TTaskNode*, bool> Above_;
    std::size_t NodesWritten_ = 0;
    std::uint64_t Writes_ = 0;
};
