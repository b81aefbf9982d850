#include "check/Problems.h"

#include "model/ActionTasks.h"
#include "model/ConditionTasks.h"
#include "model/MenuTasks.h"
#include "model/Project.h"

#include <algorithm>
#include <numeric>

using script::TSeverity;

namespace {

// The jump is written to a label no group writes any more, and the server refuses to load a script
// that names a missing label: an error, not a warning.
constexpr const char* LostGroup = "jumps to a group that no longer exists: choose another one";

// A change moves, adds or takes away a few tasks: the others stand in the order they stood, and a
// task is looked for this far ahead before the order is taken to have been broken.
constexpr std::size_t LookAhead = 16;

class TTreeChecker {
public:
    // groups: the numbers of the project's groups, in rising order.
    TTreeChecker(const TCatalogues& catalogues, const std::vector<std::int32_t>& groups, std::vector<TProblem>& out)
        : Out_(out), Catalogues_(catalogues), Groups_(groups)
    {
    }

    void Task(const TTask& task)
    {
        switch (task.Kind()) {
        case TTaskKind::Menu:
            for (const auto& entry : static_cast<const TMenuTask&>(task).Entries)
                if (!Group(entry->Target))
                    Add(TSeverity::Error, task, "The menu entry \"" + entry->Text + "\" " + LostGroup);
            break;
        case TTaskKind::Condition: {
            const auto& condition = static_cast<const TConTask&>(task);
            if (condition.Target != GroupExitTarget && !Group(condition.Target))
                Add(TSeverity::Error, task, std::string("The condition ") + LostGroup);
            break;
        }
        case TTaskKind::Action:
            Action(static_cast<const TActionTask&>(task));
            break;
        default:
            break;
        }
    }

private:
    bool Group(std::int32_t number) const { return std::binary_search(Groups_.begin(), Groups_.end(), number); }

    void Action(const TActionTask& task)
    {
        if (!task.Action)
            return;
        for (int i = 0; i < task.Action->ParamCount(); ++i) {
            const ParamTypes kind = task.Action->ParamKind(i);
            if (kind == PT_Group && !Group(task.GetParam(i)))
                Add(TSeverity::Error, task, "The " + task.Action->Caption + " " + LostGroup);
            else if (kind == PT_Map && task.MapFile(i, Catalogues_).empty())
                Add(TSeverity::Error, task, "The " + task.Action->Caption + " has no map: choose one");
        }
    }

    void Add(TSeverity severity, const TTask& task, std::string message)
    {
        Out_.push_back({severity, std::move(message), &task, 0, 0, -1});
    }

    std::vector<TProblem>& Out_;
    const TCatalogues& Catalogues_;
    const std::vector<std::int32_t>& Groups_;
};

} // namespace

std::size_t TTreeFindings::Find(const TTask* task)
{
    const std::size_t none = Tasks_.size();
    if (Indexed_) {
        const auto found = Index_.find(task);
        if (found == Index_.end() || found->second < Next_)
            return none;
        Next_ = found->second + 1;
        return found->second;
    }
    for (std::size_t i = Next_; i < std::min(Next_ + LookAhead, none); ++i) {
        if (Tasks_[i].Task == task) {
            Next_ = i + 1;
            return i;
        }
    }
    if (++Misses_ > LookAhead) {
        for (std::size_t i = Next_; i < none; ++i)
            Index_.emplace(Tasks_[i].Task, i);
        Indexed_ = true;
    }
    return none;
}

bool TTreeFindings::SameCatalogue(const TCatalogues& catalogues)
{
    std::vector<bool> files;
    files.reserve(catalogues.Maps.size());
    for (const auto& map : catalogues.Maps)
        files.push_back(!map->MapFile.empty());
    const bool same = Catalogue_ == &catalogues && files == MapFiles_;
    Catalogue_ = &catalogues;
    MapFiles_ = std::move(files);
    return same;
}

void TTreeFindings::Take(const TTask* task, std::uint64_t revision, bool trusted)
{
    // Most tasks stand right after the one before them, as they did.
    const bool next = !Indexed_ && Next_ < Tasks_.size() && Tasks_[Next_].Task == task;
    const std::size_t kept = !trusted ? Tasks_.size() : next ? Next_++ : Find(task);
    if (kept < Tasks_.size() && Tasks_[kept].Revision == revision) {
        Scratch_.push_back(Tasks_[kept]);
        return;
    }
    Scratch_.push_back({task, revision, 0, 0});
    Changed_.push_back(Scratch_.size() - 1);
}

void TTreeFindings::Check(const TProject& project, const std::vector<TNodeRun>* runs, std::vector<TProblem>& out)
{
    const bool trusted = SameCatalogue(project.Catalogues()) && runs && Project_ == &project;
    Project_ = &project;
    Next_ = 0;
    Misses_ = 0;
    Indexed_ = false;
    Index_.clear();
    // The tree's tasks as they stand now: those kept at the same revision take what they found,
    // the others are checked again.
    std::vector<TKept>& now = Scratch_;
    now.clear();
    Changed_.clear();
    if (runs) {
        for (const TNodeRun& run : *runs)
            if (run.Task)
                Take(run.Task, run.Revision, trusted);
    } else {
        for (const TTaskNode* node = project.TaskTree.GetFirstNode(); node; node = node->GetNext())
            if (const TTask* task = node->Data())
                Take(task, task->Revision, false);
    }
    std::vector<std::int32_t> groups;
    groups.reserve(project.TaskList.Groups().size());
    for (const TGroupTask* group : project.TaskList.Groups())
        groups.push_back(group->GroupNumber);
    std::sort(groups.begin(), groups.end());
    // A group that came or went changes what any jump finds.
    if (!trusted || groups != Groups_) {
        Found_.clear();
        Changed_.resize(now.size());
        std::iota(Changed_.begin(), Changed_.end(), std::size_t{0});
    }
    TTreeChecker checker(project.Catalogues(), groups, Found_);
    for (const std::size_t index : Changed_) {
        const std::size_t first = Found_.size();
        checker.Task(*now[index].Task);
        now[index].First = static_cast<std::uint32_t>(first);
        now[index].Count = static_cast<std::uint32_t>(Found_.size() - first);
    }
    std::size_t live = 0;
    for (const TKept& task : now) {
        if (task.Count == 0)
            continue;
        const auto from = Found_.begin() + task.First;
        out.insert(out.end(), from, from + task.Count);
        live += task.Count;
    }
    Tasks_.swap(now);
    Groups_ = std::move(groups);
    // The findings of tasks checked again are added, the old ones left: taken back once they are
    // most of what is kept.
    if (Found_.size() > 2 * live + 64) {
        std::vector<TProblem> found;
        for (TKept& task : Tasks_) {
            const auto from = Found_.begin() + task.First;
            task.First = static_cast<std::uint32_t>(found.size());
            found.insert(found.end(), from, from + task.Count);
        }
        Found_ = std::move(found);
    }
}
