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

// The node after node in pre-order, level following it from node's.
const TTaskNode* NextInTree(const TTaskNode* node, int& level)
{
    if (node->ChildCount() > 0) {
        ++level;
        return node->Child(0);
    }
    for (; node; node = node->Parent(), --level)
        if (const TTaskNode* next = node->NextSibling())
            return next;
    return nullptr;
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
    const std::size_t oldCount = Lines_.size();
    const bool changed = Project_ == &project && SameFrame(project) && WriteChange(project);
    if (!changed)
        WriteWhole(project, oldCount);
    Revision_ = project.TaskList.Revision();
    TreeChanges_ = project.TaskTree.Changes();
    return Result_;
}

std::vector<TScriptMemo::TGroupInput> TScriptMemo::GroupsOf(const TProject& project)
{
    std::vector<TGroupInput> groups;
    for (const TGroupTask* group : project.TaskList.Groups())
        groups.push_back({group, group->GroupNumber, group->LabelName, group->NoLabel, group->Caption, group->Revision});
    return groups;
}

bool TScriptMemo::SameFrame(const TProject& project) const
{
    return &project.Catalogues() == Inputs_.Catalogues && project.NPCInfo == Inputs_.NPC &&
           project.HeaderInfo == Inputs_.Header && project.Kept.Empty();
}

bool TScriptMemo::SameGroups(const TProject& project) const
{
    const auto& groups = project.TaskList.Groups();
    if (groups.size() != Inputs_.Groups.size())
        return false;
    auto next = Inputs_.Groups.begin();
    for (const TGroupTask* now : groups) {
        const TGroupTask& group = *now;
        const TGroupInput& then = *next++;
        if (then.Group != &group || then.Number != group.GroupNumber || then.Label != group.LabelName ||
            then.NoLabel != group.NoLabel || then.Caption != group.Caption || then.Revision != group.Revision)
            return false;
    }
    return true;
}

bool TScriptMemo::RelabelledNumbers(const std::vector<TGroupInput>& now, std::vector<std::int32_t>& numbers) const
{
    std::unordered_map<const TGroupTask*, const TGroupInput*> before;
    std::unordered_set<std::int32_t> seen;
    for (const TGroupInput& then : Inputs_.Groups) {
        before.emplace(then.Group, &then);
        // Two groups of one number: the map keeps the first, whichever that is.
        if (!seen.insert(then.Number).second)
            return false;
    }
    seen.clear();
    std::vector<const TGroupTask*> kept;
    for (const TGroupInput& group : now) {
        if (!seen.insert(group.Number).second)
            return false;
        const auto found = before.find(group.Group);
        if (found == before.end()) {
            numbers.push_back(group.Number);
            continue;
        }
        const TGroupInput& then = *found->second;
        // A new number moves its exit label and every jump to that exit; a change its revision
        // does not show leaves its own node's lines behind.
        const bool changed = then.Label != group.Label || then.NoLabel != group.NoLabel || then.Caption != group.Caption;
        if (then.Number != group.Number || (changed && then.Revision == group.Revision))
            return false;
        if (then.Label != group.Label || then.NoLabel != group.NoLabel)
            numbers.push_back(group.Number);
        kept.push_back(group.Group);
        before.erase(found);
    }
    for (const auto& [pointer, then] : before)
        numbers.push_back(then->Number);
    // The tail finishes the exits owed in the task list's order.
    auto next = kept.begin();
    for (const TGroupInput& then : Inputs_.Groups)
        if (next != kept.end() && then.Group == *next)
            ++next;
    return next == kept.end();
}

void TScriptMemo::WriteWhole(const TProject& project, std::size_t oldCount)
{
    TScriptWriter writer(project, Lines_);
    writer.Runs_ = &Runs_;
    Result_ = writer.Write();
    FrameProblems_ = std::move(writer.FrameProblems_);
    LabelProblems_ = writer.LabelProblems_;
    Groups_ = std::move(writer.OwnGroups_);
    Change_ = {0, oldCount, Lines_.size()};
    NodesWritten_ = Runs_.size();
    Inputs_.Catalogues = &project.Catalogues();
    Inputs_.NPC = project.NPCInfo;
    Inputs_.Header = project.HeaderInfo;
    Inputs_.Kept = !project.Kept.Empty();
    Inputs_.Groups = GroupsOf(project);
    // Kept source puts the author's lines in place of the written ones, so the runs' lines are
    // not the script's: such a project is written whole every time.
    const auto& stretches = writer.Stretches();
    const bool kept = Inputs_.Kept || std::any_of(stretches.begin(), stretches.end(), [](const auto& s) { return s.Kept; });
    Project_ = kept ? nullptr : &project;
}

void TScriptMemo::TakeGroups(const TProject& project)
{
    std::vector<std::string> none;
    TScriptWriter writer(project, none);
    writer.Prepare();
    Groups_ = std::move(writer.OwnGroups_);
    std::vector<std::string> problems = std::move(writer.Result_.Problems);
    problems.insert(problems.end(), FrameProblems_.begin() + static_cast<std::ptrdiff_t>(LabelProblems_), FrameProblems_.end());
    FrameProblems_ = std::move(problems);
    LabelProblems_ = writer.LabelProblems_;
}

void TScriptMemo::ListNodes(const TProject& project, std::size_t& same, std::size_t& sameAfter)
{
    Stretch_.clear();
    Stretch_.reserve(Runs_.size() + 64);
    const TTaskTree& tree = project.TaskTree;
    for (int top = 0; top < tree.TopCount(); ++top) {
        Stretch_.push_back({tree.Top(top), tree.Top(top)->Data(), 0});
        Path_.assign(1, {tree.Top(top), 0});
        while (!Path_.empty()) {
            auto& [node, next] = Path_.back();
            if (next == node->ChildCount()) {
                Path_.pop_back();
                continue;
            }
            const TTaskNode* child = node->Child(next++);
            Stretch_.push_back({child, child->Data(), static_cast<int>(Path_.size())});
            Path_.emplace_back(child, 0);
        }
    }
    // Every place is the stretch's while it is compared with the runs.
    StretchBase_ = 0;
    Nodes_ = Stretch_.size();
    TreeFirst_ = 0;
    TreeEnd_ = Nodes_;
    const std::size_t runs = Runs_.size();
    const std::size_t both = std::min(Nodes_, runs);
    same = 0;
    while (same < both && Same(same, same))
        ++same;
    sameAfter = 0;
    if (same < Nodes_ || same < runs)
        while (sameAfter < both - same && Same(Nodes_ - 1 - sameAfter, runs - 1 - sameAfter))
            ++sameAfter;
}

bool TScriptMemo::ListChangedNodes(const TProject& project, std::size_t& same, std::size_t& sameAfter)
{
    const std::size_t runs = Runs_.size();
    // Without the touched tasks a run's task may be gone, and its revision unreadable.
    if (!TouchedKnown_ || runs == 0 || !project.TaskTree.ChangedSince(TreeChanges_, Logged_))
        return false;
    std::sort(Logged_.begin(), Logged_.end());
    // Every change logs a node the last write met before the first node it moved and one after
    // the last: the runs outside those stand as they were, at the same levels.
    const auto changed = [this](const TNodeRun& run) {
        return std::binary_search(Logged_.begin(), Logged_.end(), run.Node) ||
               (run.Task && std::binary_search(Touched_.begin(), Touched_.end(), run.Task));
    };
    same = 0;
    while (same < runs && !changed(Runs_[same]))
        ++same;
    Stretch_.clear();
    if (same == runs && Logged_.empty()) {
        sameAfter = 0;
        StretchBase_ = TreeFirst_ = TreeEnd_ = Nodes_ = runs;
        return true;
    }
    // Every change of the tree's shape logs a node the last write met.
    if (same == runs || same == 0)
        return false;
    std::size_t last = runs - 1;
    while (!changed(Runs_[last]))
        --last;
    sameAfter = runs - 1 - last;
    const TTaskNode* end = last + 1 < runs ? Runs_[last + 1].Node : nullptr;
    int level = Runs_[same - 1].Level;
    for (const TTaskNode* node = NextInTree(Runs_[same - 1].Node, level); node != end; node = NextInTree(node, level)) {
        if (!node)
            return false;
        Stretch_.push_back({node, node->Data(), level});
    }
    StretchBase_ = TreeFirst_ = same;
    TreeEnd_ = same + Stretch_.size();
    Nodes_ = TreeEnd_ + sameAfter;
    return true;
}

TScriptMemo::TPlace TScriptMemo::Place(std::size_t place) const
{
    if (place >= TreeFirst_ && place < TreeEnd_)
        return Stretch_[place - StretchBase_];
    const TNodeRun& run = Runs_[RunOf(place)];
    return {run.Node, run.Task, run.Level};
}

bool TScriptMemo::Same(std::size_t place, std::size_t run) const
{
    const TPlace now = Place(place);
    const TNodeRun& then = Runs_[run];
    const TTask* task = now.Task;
    if (now.Node != then.Node || now.Level != then.Level || task != then.Task)
        return false;
    // Every run kept had its task's revision at the last write.
    if (TouchedKnown_)
        return !task || !std::binary_search(Touched_.begin(), Touched_.end(), task);
    return (task ? task->Revision : 0) == then.Revision;
}

bool TScriptMemo::WriteChange(const TProject& project)
{
    std::vector<std::int32_t> relabelled;
    const bool sameGroups = SameGroups(project);
    std::vector<TGroupInput> groups;
    if (!sameGroups) {
        groups = GroupsOf(project);
        if (!RelabelledNumbers(groups, relabelled))
            return false;
    }
    TouchedKnown_ = project.TaskList.TouchedSince(Revision_, Touched_);
    std::sort(Touched_.begin(), Touched_.end());
    std::size_t same = 0;
    std::size_t sameAfter = 0;
    if (!ListChangedNodes(project, same, sameAfter))
        ListNodes(project, same, sameAfter);
    const std::size_t nodes = Nodes_;
    const std::size_t runs = Runs_.size();
    // The node before the first difference writes closing lines that depend on what follows it.
    if (same == 0 && (nodes > 0 || runs > 0))
        return false;
    std::vector<TReach> reaches;
    if (!Reaches(same, nodes - sameAfter, relabelled, reaches))
        return false;
    if (!sameGroups) {
        TakeGroups(project);
        Inputs_.Groups = std::move(groups);
    }
    TreeFirst_ = same;
    TreeEnd_ = nodes - sameAfter;
    // The reaches' changes as one: from the first changed line to the end of the last.
    NodesWritten_ = 0;
    bool any = false;
    std::size_t firstLine = 0;
    std::size_t endLine = 0;
    std::ptrdiff_t grown = 0;
    for (auto reach = reaches.cbegin(); reach != reaches.cend();) {
        TLineChange change;
        if (!Rewrite(project, reach, reaches.cend(), change))
            return false;
        if (change.OldCount == 0 && change.NewCount == 0)
            continue;
        firstLine = any ? firstLine : change.First;
        any = true;
        grown += static_cast<std::ptrdiff_t>(change.NewCount) - static_cast<std::ptrdiff_t>(change.OldCount);
        endLine = change.First + change.NewCount;
    }
    Change_ = any ? TLineChange{firstLine, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(endLine) - grown) - firstLine,
                                endLine - firstLine}
                  : TLineChange{};
    if (!reaches.empty() || !sameGroups)
        CollectProblems();
    return true;
}

bool TScriptMemo::Reaches(std::size_t first, std::size_t until, const std::vector<std::int32_t>& relabelled,
                          std::vector<TReach>& reaches) const
{
    // A node inside a block reads its neighbours: writing starts at a node outside blocks.
    const auto outside = [this](std::size_t place) {
        while (!OnlyGroupsAbove(*Place(place).Node)) {
            if (place == 0)
                return NoPlace;
            --place;
        }
        return place;
    };
    const std::size_t nodes = Nodes_;
    const std::size_t runs = Runs_.size();
    const bool treeChanged = first < nodes || first < runs;
    const auto add = [&reaches](std::size_t start, std::size_t until) { reaches.push_back({start, until}); };
    if (relabelled.empty() && treeChanged)
        add(outside(first - 1), until);
    for (std::size_t run = 0; run < runs && !relabelled.empty(); ++run) {
        if (treeChanged && run == first)
            add(outside(first - 1), until);
        const auto& report = Runs_[run].Report;
        if (!report || std::none_of(report->Asked.begin(), report->Asked.end(), [&](std::int32_t n) {
                return std::find(relabelled.begin(), relabelled.end(), n) != relabelled.end();
            }))
            continue;
        // The runs in the tree's changed stretch are written again anyway.
        if (run < first)
            add(outside(run), run + 1);
        else if (run >= runs - (nodes - until))
            add(outside(run + nodes - runs), run + nodes - runs + 1);
    }
    if (treeChanged && first == runs && !relabelled.empty())
        add(outside(first - 1), until);
    if (std::any_of(reaches.begin(), reaches.end(), [](const TReach& r) { return r.Start == NoPlace; }))
        return false;
    std::sort(reaches.begin(), reaches.end(), [](const TReach& a, const TReach& b) { return a.Start < b.Start; });
    return true;
}

bool TScriptMemo::MayResume(TScriptWriter& writer, std::size_t start, std::size_t place, std::size_t run)
{
    const TNodeRun& then = Runs_[run];
    const TPlace now = Place(place);
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
    // Those above it written again had the same parent before (those before them, above the
    // first written, are unchanged).
    const TTaskNode* written = Place(start).Node;
    int level = now.Level - 1;
    for (const TTaskNode* node = now.Node->Parent(); node && (node == written || !node->Contains(written));
         node = node->Parent(), --level) {
        auto [found, added] = Above_.try_emplace(node, false);
        if (added) {
            const auto first = Runs_.begin() + static_cast<std::ptrdiff_t>(start);
            const auto last = Runs_.begin() + static_cast<std::ptrdiff_t>(run);
            const auto old = std::find_if(first, last, [node](const TNodeRun& r) { return r.Node == node; });
            found->second = old != last && old->Parent == node->Parent() && old->Level == level;
        }
        if (!found->second)
            return false;
    }
    return true;
}

bool TScriptMemo::Rewrite(const TProject& project, std::vector<TReach>::const_iterator& reach,
                          std::vector<TReach>::const_iterator end, TLineChange& change)
{
    const std::size_t nodes = Nodes_;
    const std::size_t start = reach->Start;
    std::size_t until = 0;
    std::vector<std::string> lines;
    TScriptWriter writer(project, lines);
    writer.Prepare(&Groups_);
    std::vector<TNodeRun> written;
    writer.Runs_ = &written;
    writer.Resume(Runs_[start]);
    Above_.clear();
    std::size_t place = start;
    for (; place < nodes; ++place) {
        for (; reach != end && reach->Start <= place; ++reach)
            until = std::max(until, reach->Until);
        const bool outsideTree = place < TreeFirst_ || place >= TreeEnd_;
        if (place >= until && outsideTree && Same(place, RunOf(place)) && MayResume(writer, start, place, RunOf(place)))
            break;
        writer.WriteNode(*Place(place).Node, place + 1 < nodes ? Place(place + 1).Node : nullptr);
    }
    reach = std::find_if(reach, end, [place](const TReach& r) { return r.Start > place; });
    if (place == nodes)
        writer.WriteTail();
    const auto& stretches = writer.Stretches();
    if (std::any_of(stretches.begin(), stretches.end(), [](const auto& s) { return s.Kept; }))
        return false;
    NodesWritten_ += written.size();
    change = Splice(start, place == nodes ? Runs_.size() : RunOf(place), writer, written);
    return true;
}

TLineChange TScriptMemo::Splice(std::size_t start, std::size_t end, TScriptWriter& writer, std::vector<TNodeRun>& runs)
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

    for (TNodeRun& run : runs)
        run.First += first;
    for (std::size_t k = end; k < Runs_.size(); ++k)
        Runs_[k].First = Runs_[k].First - oldCount + newCount;
    ReplaceRange(Lines_, first, last, lines);
    ReplaceRange(oldTasks, first, last, tasks);
    ReplaceRange(Runs_, start, end, runs);
    return {first + head, oldCount - head - tail, newCount - head - tail};
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
