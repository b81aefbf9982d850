#include "model/ScriptMemo.h"

#include "model/Project.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

namespace {

// Not inside any block: only groups above it. The writer's state between two such nodes is its
// speaker flag, its current group and the exits owed; inside a block it is also the block's place
// among its parts, which the memo does not compare.
bool OnlyGroupsAbove(const TTaskNode& node)
{
    for (const TTaskNode* above = node.Parent(); above; above = above->Parent())
        if (!above->Data() || above->Data()->Kind() != TTaskKind::Group)
            return false;
    return true;
}

// Replaces the items from first up to last by with's.
template <class T>
void ReplaceRange(std::vector<T>& items, std::size_t first, std::size_t last, std::vector<T>& with)
{
    const std::size_t common = std::min(last - first, with.size());
    const auto at = items.begin() + static_cast<std::ptrdiff_t>(first);
    std::move(with.begin(), with.begin() + static_cast<std::ptrdiff_t>(common), at);
    if (with.size() > common)
        items.insert(at + static_cast<std::ptrdiff_t>(common), std::make_move_iterator(with.begin() + static_cast<std::ptrdiff_t>(common)),
                     std::make_move_iterator(with.end()));
    else
        items.erase(at + static_cast<std::ptrdiff_t>(common), items.begin() + static_cast<std::ptrdiff_t>(last));
}

}  // namespace

const TScriptResult& TScriptMemo::Write(const TProject& project)
{
    ++Writes_;
    if (Project_ == &project && SameInputs(project) && WriteChange(project))
        return Result_;
    WriteWhole(project);
    return Result_;
}

TScriptMemo::TInputs TScriptMemo::InputsOf(const TProject& project)
{
    TInputs inputs;
    inputs.Catalogues = &project.Catalogues();
    inputs.NPC = project.NPCInfo;
    inputs.Header = project.HeaderInfo;
    inputs.Kept = !project.Kept.Empty();
    const TTaskList& tasks = project.TaskList;
    for (int i = 0; i < tasks.TaskCount(); ++i)
        if (const TTask* task = tasks.TaskAt(i); task->Kind() == TTaskKind::Group) {
            const auto& group = static_cast<const TGroupTask&>(*task);
            inputs.Groups.emplace_back(&group, group.GroupNumber, group.LabelName, group.NoLabel, group.Caption);
        }
    return inputs;
}

bool TScriptMemo::SameInputs(const TProject& project) const
{
    if (&project.Catalogues() != Inputs_.Catalogues || project.NPCInfo != Inputs_.NPC ||
        project.HeaderInfo != Inputs_.Header || !project.Kept.Empty())
        return false;
    const TTaskList& tasks = project.TaskList;
    auto next = Inputs_.Groups.begin();
    for (int i = 0; i < tasks.TaskCount(); ++i) {
        const TTask* task = tasks.TaskAt(i);
        if (task->Kind() != TTaskKind::Group)
            continue;
        const auto& group = static_cast<const TGroupTask&>(*task);
        if (next == Inputs_.Groups.end())
            return false;
        const auto& [pointer, number, label, noLabel, caption] = *next++;
        if (pointer != &group || number != group.GroupNumber || label != group.LabelName || noLabel != group.NoLabel ||
            caption != group.Caption)
            return false;
    }
    return next == Inputs_.Groups.end();
}

void TScriptMemo::WriteWhole(const TProject& project)
{
    const std::size_t oldCount = Lines_.size();
    TScriptWriter writer(project, Lines_);
    writer.Runs_ = &Runs_;
    Result_ = writer.Write();
    FrameProblems_ = std::move(writer.FrameProblems_);
    Groups_ = std::move(writer.OwnGroups_);
    Change_ = {0, oldCount, Lines_.size()};
    NodesWritten_ = Runs_.size();
    Inputs_ = InputsOf(project);
    // Kept source puts the author's lines in place of the written ones, so the runs' lines are
    // not the script's: such a project is written whole every time.
    const auto& stretches = writer.Stretches();
    const bool kept = Inputs_.Kept || std::any_of(stretches.begin(), stretches.end(), [](const auto& s) { return s.Kept; });
    Project_ = kept ? nullptr : &project;
}

void TScriptMemo::ListNodes(const TProject& project)
{
    Places_.clear();
    Places_.reserve(Runs_.size() + 64);
    const TTaskTree& tree = project.TaskTree;
    for (int top = 0; top < tree.TopCount(); ++top) {
        Places_.push_back({tree.Top(top), 0, NoParent});
        Path_.assign(1, {Places_.size() - 1, 0});
        while (!Path_.empty()) {
            auto& [place, next] = Path_.back();
            const TTaskNode* node = Places_[place].Node;
            if (next == node->ChildCount()) {
                Path_.pop_back();
                continue;
            }
            const std::size_t parent = place;
            Places_.push_back({node->Child(next++), static_cast<int>(Path_.size()), parent});
            Path_.emplace_back(Places_.size() - 1, 0);
        }
    }
}

bool TScriptMemo::Same(std::size_t place, std::size_t run) const
{
    const TPlace& now = Places_[place];
    const TNodeRun& then = Runs_[run];
    const TTask* task = now.Node->Data();
    return now.Node == then.Node && now.Level == then.Level && task == then.Task &&
           (task ? task->Revision : 0) == then.Revision;
}

bool TScriptMemo::WriteChange(const TProject& project)
{
    ListNodes(project);
    const std::size_t nodes = Places_.size();
    const std::size_t runs = Runs_.size();
    const std::size_t both = std::min(nodes, runs);
    std::size_t same = 0;
    while (same < both && Same(same, same))
        ++same;
    if (same == nodes && same == runs) {
        Change_ = {};
        NodesWritten_ = 0;
        return true;
    }
    std::size_t sameAfter = 0;
    while (sameAfter < both - same && Same(nodes - 1 - sameAfter, runs - 1 - sameAfter))
        ++sameAfter;
    // The node before the first difference writes closing lines that depend on what follows it,
    // and a node inside a block reads its neighbours: writing starts at a node outside blocks.
    if (same == 0)
        return false;
    std::size_t start = same - 1;
    while (!OnlyGroupsAbove(*Places_[start].Node)) {
        if (start == 0)
            return false;
        --start;
    }
    return Rewrite(project, start, nodes - sameAfter);
}

bool TScriptMemo::MayResume(TScriptWriter& writer, std::size_t start, std::size_t place, std::size_t run)
{
    const TNodeRun& then = Runs_[run];
    const TPlace& now = Places_[place];
    // The old runs may follow when the node's place and the writer's state are as they were, and
    // so are the nodes above it.
    if (!OnlyGroupsAbove(*now.Node) || now.Node->Parent() != then.Parent || (now.Node->Row() == 0) != then.FirstChild ||
        !writer.Open_.empty())
        return false;
    if (writer.NeedSpeakerLine != then.Speaker || writer.CurrentGroup != then.Group)
        return false;
    const auto& exits = writer.PendingExits();
    if (exits != then.Exits && !(exits && then.Exits && *exits == *then.Exits))
        return false;
    // Those above it written again had the same parent before (those before them are unchanged).
    for (std::size_t above = now.Parent; above != NoParent && above >= start; above = Places_[above].Parent) {
        const TTaskNode* node = Places_[above].Node;
        auto [found, added] = Above_.try_emplace(node, false);
        if (added) {
            const auto first = Runs_.begin() + static_cast<std::ptrdiff_t>(start);
            const auto last = Runs_.begin() + static_cast<std::ptrdiff_t>(run);
            const auto old = std::find_if(first, last, [node](const TNodeRun& r) { return r.Node == node; });
            found->second = old != last && old->Parent == node->Parent() && old->Level == Places_[above].Level;
        }
        if (!found->second)
            return false;
    }
    return true;
}

bool TScriptMemo::Rewrite(const TProject& project, std::size_t start, std::size_t suffix)
{
    const std::size_t nodes = Places_.size();
    const std::size_t runs = Runs_.size();
    std::vector<std::string> lines;
    TScriptWriter writer(project, lines);
    writer.Prepare(&Groups_);
    std::vector<TNodeRun> written;
    writer.Runs_ = &written;
    writer.Resume(Runs_[start]);
    Above_.clear();
    std::size_t place = start;
    for (; place < nodes; ++place) {
        if (place >= suffix && MayResume(writer, start, place, place + runs - nodes))
            break;
        writer.WriteNode(*Places_[place].Node, place + 1 < nodes ? Places_[place + 1].Node : nullptr);
    }
    if (place == nodes)
        writer.WriteTail();
    const auto& stretches = writer.Stretches();
    if (std::any_of(stretches.begin(), stretches.end(), [](const auto& s) { return s.Kept; }))
        return false;
    NodesWritten_ = written.size();
    Splice(start, place == nodes ? runs : place + runs - nodes, writer, written);
    CollectProblems();
    return true;
}

void TScriptMemo::Splice(std::size_t start, std::size_t end, TScriptWriter& writer, std::vector<TNodeRun>& runs)
{
    std::vector<std::string>& lines = writer.Lines_;
    std::vector<const TTask*>& tasks = writer.Result_.LineTasks;
    std::vector<const TTask*>& oldTasks = Result_.LineTasks;
    const std::size_t first = Runs_[start].First;
    const std::size_t last = end < Runs_.size() ? Runs_[end].First : Lines_.size();
    const std::size_t oldCount = last - first;
    const std::size_t newCount = lines.size();
    const auto sameLine = [&](std::size_t oldLine, std::size_t newLine) {
        return Lines_[oldLine] == lines[newLine] && oldTasks[oldLine] == tasks[newLine];
    };
    std::size_t head = 0;
    while (head < oldCount && head < newCount && sameLine(first + head, head))
        ++head;
    std::size_t tail = 0;
    while (tail < oldCount - head && tail < newCount - head && sameLine(last - 1 - tail, newCount - 1 - tail))
        ++tail;
    Change_ = {first + head, oldCount - head - tail, newCount - head - tail};

    for (TNodeRun& run : runs)
        run.First += first;
    for (std::size_t k = end; k < Runs_.size(); ++k)
        Runs_[k].First = Runs_[k].First - oldCount + newCount;
    ReplaceRange(Lines_, first, last, lines);
    ReplaceRange(oldTasks, first, last, tasks);
    ReplaceRange(Runs_, start, end, runs);
}

void TScriptMemo::CollectProblems()
{
    std::vector<std::string>& problems = Result_.Problems;
    problems = FrameProblems_;
    const auto add = [&problems](const std::string& message) {
        if (std::find(problems.begin(), problems.end(), message) == problems.end())
            problems.push_back(message);
    };
    // Filled in the order a whole write fills it, so that it lists its groups in the same order.
    std::unordered_set<const TGroupTask*> unlabelled;
    for (const TNodeRun& run : Runs_)
        if (run.Report) {
            for (const std::string& message : run.Report->Problems)
                add(message);
            unlabelled.insert(run.Report->Unlabelled.begin(), run.Report->Unlabelled.end());
        }
    for (const TGroupTask* group : unlabelled)
        add(UnlabelledProblem(*group));
}
