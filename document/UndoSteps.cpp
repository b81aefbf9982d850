#include "document/UndoSteps.h"

#include "document/Document.h"

#include "platform/Errors.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// The path of the parent that a node at path would have once the node at moving leaves the tree
// and is put back in at path: rows after moving's own, on its level and below its parent, count
// one more while it is still in place.
TNodePath ParentPathWhileIn(TNodePath target, const TNodePath& moving)
{
    target.pop_back();
    const std::size_t level = moving.size() - 1;
    if (target.size() > level && std::equal(moving.begin(), moving.begin() + static_cast<long>(level), target.begin()) &&
        target[level] >= moving[level])
        ++target[level];
    return target;
}

// The NPC record's fields by the names the NPC window gives them, each with whether it differs
// between two records. The map is held twice (catalogue position and name): one name for both.
std::array<std::pair<const char*, bool>, 8> NPCFields(const TNPC& a, const TNPC& b)
{
    return {{{"sprite", a.SpriteID != b.SpriteID},
             {"X position", a.X != b.X},
             {"Y position", a.Y != b.Y},
             {"direction", a.Direction != b.Direction},
             {"map", a.MapIndex != b.MapIndex},
             {"name", a.Name != b.Name},
             {"map", a.MapName != b.MapName},
             {"touch area", a.Touch != b.Touch}}};
}

// Which single field differs between two NPC records: its number, -1 for none, -2 for several.
int ChangedField(const TNPC& a, const TNPC& b)
{
    const auto fields = NPCFields(a, b);
    int field = -1;
    for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
        if (fields[static_cast<std::size_t>(i)].second)
            field = field == -1 ? i : -2;
    }
    return field;
}

}  // namespace

std::string NPCEditName(const TNPC& before, const TNPC& after)
{
    std::vector<std::string> names;
    for (const auto& [name, differs] : NPCFields(before, after))
        if (differs && std::find(names.begin(), names.end(), name) == names.end())
            names.emplace_back(name);
    std::string text = "Edit NPC";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? " " : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

// ---- The common part -------------------------------------------------------------------------

TProjectStep::TProjectStep(TProject& project, const std::string& name, unsigned parts)
    : Project_(project), Name_(name), Parts_(parts), SelectedBefore_(PathOf(project.TaskTree.Selected()))
{
}

TTaskNode* TProjectStep::At(const TNodePath& path) const
{
    return NodeAt(Project_.TaskTree, path);
}

void TProjectStep::redo()
{
    Forward();
    const bool replayed = Done_;
    if (Done_) {
        Tree().Select(At(SelectedAfter_));
    } else {
        SelectedAfter_ = PathOf(Tree().Selected());
        Done_ = true;
    }
    if (OnRan)
        OnRan(*this, replayed);
}

void TProjectStep::undo()
{
    Backward();
    Tree().Select(At(SelectedBefore_));
    if (OnRan)
        OnRan(*this, true);
}

// ---- Add and delete --------------------------------------------------------------------------

TAddStep::TAddStep(TProject& project, const std::string& name, unsigned parts, std::unique_ptr<TTask> task)
    : TProjectStep(project, name, parts), Pending_(std::move(task))
{
    TTaskNode* selected = Tree().Selected();
    TTaskNode* holder = selected ? selected : Tree().GetFirstNode();
    if (holder && MayHold(holder->Data(), *Pending_)) {
        Path_ = PathOf(holder);
        Path_.push_back(holder->ChildCount());
        return;
    }
    TTaskNode* parent = selected ? selected->Parent() : nullptr;
    // The top level takes what it always took, a part of a block excepted.
    const bool fits = parent ? MayHold(parent->Data(), *Pending_) : !Pending_->IsPart();
    if (!selected || !fits)
        throw EListError(PlaceRule(*Pending_));
    Path_ = PathOf(selected);  // just before the selected node
}

void TAddStep::Forward()
{
    const int row = Path_.back();
    TTaskNode* parent = At(TNodePath(Path_.begin(), Path_.end() - 1));
    TTaskNode* node = nullptr;
    if (Pending_) {
        TTask* task = Pending_.get();
        node = Tree().InsertAt(parent, row, task->Caption, task);
        Project_.TaskList.RegisterTask(std::move(Pending_));
        Record_ = TSubtreeRecord::Take(*node);
    } else {
        node = Record_.Restore(Tree(), parent, row);
    }
    // The selection stays where it was: tasks added one after another then keep their order.
    Changed_ = node->Data();
}

void TAddStep::Backward()
{
    Tree().Delete(At(Path_));
    Changed_ = nullptr;
}

TDeleteStep::TDeleteStep(TProject& project, const std::string& name, unsigned parts, const TTaskNode& node)
    : TProjectStep(project, name, parts), Path_(PathOf(&node)), Record_(TSubtreeRecord::Take(node))
{
}

void TDeleteStep::Forward()
{
    Tree().Delete(At(Path_));
    Changed_ = nullptr;
}

void TDeleteStep::Backward()
{
    TTaskNode* node = Record_.Restore(Tree(), At(TNodePath(Path_.begin(), Path_.end() - 1)), Path_.back());
    Changed_ = node->Data();
}

// ---- Move ------------------------------------------------------------------------------------

TMoveStep::TMoveStep(TProject& project, const std::string& name, unsigned parts, const TTaskNode& node,
                     const TTaskNode* parent, int row)
    : TProjectStep(project, name, parts), Before_(PathOf(&node)), FirstParent_(PathOf(parent)), FirstRow_(row)
{
}

void TMoveStep::Forward()
{
    if (After_.empty()) {
        TTaskNode* node = At(Before_);
        Tree().Move(node, At(FirstParent_), FirstRow_);
        After_ = PathOf(node);
        Changed_ = node->Data();
        return;
    }
    MoveTo(Before_, After_);
}

void TMoveStep::Backward()
{
    MoveTo(After_, Before_);
}

void TMoveStep::MoveTo(const TNodePath& from, const TNodePath& to)
{
    TTaskNode* node = At(from);
    TTaskNode* parent = At(ParentPathWhileIn(to, from));
    const int finalRow = to.back();
    // The tree counts the row before the node leaves its place.
    const int row = node->Parent() == parent && finalRow > node->Row() ? finalRow + 1 : finalRow;
    Tree().Move(node, parent, row);
    Changed_ = node->Data();
}

// ---- Content ---------------------------------------------------------------------------------

TTaskContentStep::TTaskContentStep(TProject& project, const std::string& name, unsigned parts, const TTask& task,
                                   TTaskState after)
    : TProjectStep(project, name, parts), Path_(PathOf(task.Node)), Before_(TTaskState::Of(task)), After_(std::move(after))
{
}

void TTaskContentStep::Forward()
{
    TTask* task = At(Path_)->Data();
    After_.StoreInto(*task);
    Project_.TaskList.Touch(*task);
    Changed_ = task;
}

void TTaskContentStep::Backward()
{
    TTask* task = At(Path_)->Data();
    Before_.StoreInto(*task);
    Project_.TaskList.Touch(*task);
    Changed_ = task;
}

bool TNPCStep::mergeWith(const QUndoCommand* other)
{
    const auto* next = dynamic_cast<const TNPCStep*>(other);
    if (!next)
        return false;
    const int field = ChangedField(Before_, After_);
    if (field < 0 || field != ChangedField(next->Before_, next->After_) || next->Before_ != After_)
        return false;
    After_ = next->After_;
    TakeSelectionAfter(*next);
    // Typing back what was there leaves nothing to undo.
    setObsolete(After_ == Before_);
    return true;
}
