#include "model/TaskTree.h"

#include "model/Tasks.h"

#include "platform/UpdateScope.h"

#include <algorithm>

int TTaskNode::Level() const
{
    int level = 0;
    for (const TTaskNode* node = Parent_; node; node = node->Parent_)
        ++level;
    return level;
}

TTaskNode* TTaskNode::NextSibling() const
{
    const auto& siblings = Parent_ ? Parent_->Children_ : Tree_->Roots_;
    const std::size_t next = static_cast<std::size_t>(Row_) + 1;
    return next < siblings.size() ? siblings[next].get() : nullptr;
}

TTaskNode* TTaskNode::SubtreeEnd() const
{
    TTaskNode* end = nullptr;
    for (const TTaskNode* node = this; node && !end; node = node->Parent_)
        end = node->NextSibling();
    return end;
}

TTaskNode* TTaskNode::GetNext() const
{
    if (!Children_.empty())
        return Children_.front().get();
    for (const TTaskNode* node = this; node; node = node->Parent_) {
        if (TTaskNode* sibling = node->NextSibling())
            return sibling;
    }
    return nullptr;
}

int TTaskNode::AbsoluteIndex() const
{
    int index = 0;
    for (TTaskNode* node = Tree_->GetFirstNode(); node && node != this; node = node->GetNext())
        ++index;
    return index;
}

bool TTaskNode::Contains(const TTaskNode* node) const
{
    for (; node; node = node->Parent_) {
        if (node == this)
            return true;
    }
    return false;
}

TTaskTree::~TTaskTree()
{
    // Tasks belong to the task list, which outlives the tree in its project; the tree only lets go
    // of its nodes.
    for (auto& root : Roots_)
        DestroySubtree(std::move(root));
}

void TTaskTree::Renumber(TNodeList& siblings, std::size_t from)
{
    for (std::size_t i = from; i < siblings.size(); ++i)
        siblings[i]->Row_ = static_cast<int>(i);
}

void TTaskTree::DestroySubtree(std::unique_ptr<TTaskNode> node)
{
    std::vector<std::unique_ptr<TTaskNode>> pending;
    pending.push_back(std::move(node));
    while (!pending.empty()) {
        std::unique_ptr<TTaskNode> current = std::move(pending.back());
        pending.pop_back();
        for (auto& child : current->Children_)
            pending.push_back(std::move(child));
        current->Children_.clear();
    }
}

template <class F>
void TTaskTree::Notify(F&& f)
{
    if (UpdateDepth_ > 0)
        return;
    for (TTreeObserver* observer : Observers_)
        f(*observer);
}

TTaskTree::TNodeList& TTaskTree::SiblingsOf(TTaskNode* parent)
{
    return parent ? parent->Children_ : Roots_;
}

int TTaskTree::Count() const
{
    int count = 0;
    for (TTaskNode* node = GetFirstNode(); node; node = node->GetNext())
        ++count;
    return count;
}

TTaskNode* TTaskTree::AddChild(TTaskNode* parent, const std::string& text, TTask* task)
{
    return InsertAt(parent, static_cast<int>(SiblingsOf(parent).size()), text, task);
}

TTaskNode* TTaskTree::Insert(TTaskNode* sibling, const std::string& text, TTask* task)
{
    return InsertAt(sibling->Parent(), sibling->Row(), text, task);
}

TTaskNode* TTaskTree::InsertAt(TTaskNode* parent, int row, const std::string& text, TTask* task)
{
    auto& siblings = SiblingsOf(parent);
    row = std::clamp(row, 0, static_cast<int>(siblings.size()));
    Notify([&](TTreeObserver& o) { o.BeginInsert(parent, row); });
    auto inserted = siblings.insert(siblings.begin() + row,
                                    std::unique_ptr<TTaskNode>(new TTaskNode(this, parent, text, task)));
    TTaskNode* node = inserted->get();
    Renumber(siblings, static_cast<std::size_t>(row));
    if (task)
        task->Node = node;
    ++Changes_;
    LogArrival(node);
    Notify([](TTreeObserver& o) { o.EndInsert(); });
    return node;
}

void TTaskTree::SetText(TTaskNode* node, const std::string& text)
{
    node->Text_ = text;
    Notify([&](TTreeObserver& o) { o.TextChanged(node); });
}

void TTaskTree::ReleaseTasks(TTaskNode* node)
{
    std::vector<TTask*> tasks;
    const TTaskNode* end = node->SubtreeEnd();
    for (TTaskNode* n = node; n && n != end; n = n->GetNext()) {
        if (n->Data_)
            tasks.push_back(n->Data_);
        n->Data_ = nullptr;
    }
    Tasks_->UnregisterTasks(tasks);
}

void TTaskTree::Delete(TTaskNode* node)
{
    TTaskNode* parent = node->Parent();
    auto& siblings = SiblingsOf(parent);
    const int row = node->Row();
    TTaskNode* newSelection = Selected_;
    if (Selected_ && node->Contains(Selected_)) {
        newSelection = node->NextSibling();
        if (!newSelection && row > 0)
            newSelection = siblings[static_cast<std::size_t>(row - 1)].get();
        if (!newSelection)
            newSelection = parent;
    }
    Notify([&](TTreeObserver& o) { o.BeginRemove(parent, row); });
    ++Changes_;
    LogDeparture(node);
    ReleaseTasks(node);
    if (newSelection != Selected_)
        Selected_ = nullptr;
    std::unique_ptr<TTaskNode> removed = std::move(siblings[static_cast<std::size_t>(row)]);
    siblings.erase(siblings.begin() + row);
    Renumber(siblings, static_cast<std::size_t>(row));
    DestroySubtree(std::move(removed));
    Notify([](TTreeObserver& o) { o.EndRemove(); });
    if (newSelection != Selected_)
        Select(newSelection);
}

void TTaskTree::Clear()
{
    const TUpdateScope<TTaskTree> update(*this);
    std::vector<TTask*> tasks;
    for (TTaskNode* node = GetFirstNode(); node; node = node->GetNext()) {
        if (node->Data_)
            tasks.push_back(node->Data_);
        node->Data_ = nullptr;
    }
    Tasks_->UnregisterTasks(tasks);
    for (auto& root : Roots_)
        DestroySubtree(std::move(root));
    Roots_.clear();
    Selected_ = nullptr;
    Log_.clear();
    Forgotten_ = ++Changes_;
}

bool TTaskTree::Move(TTaskNode* node, TTaskNode* parent, int row)
{
    if (!CanMove(node, parent, row))
        return false;
    TTaskNode* oldParent = node->Parent();
    const int oldRow = node->Row();
    auto& target = SiblingsOf(parent);
    row = std::clamp(row, 0, static_cast<int>(target.size()));
    Notify([&](TTreeObserver& o) { o.BeginMove(oldParent, oldRow, parent, row); });
    ++Changes_;
    LogDeparture(node);
    auto& source = SiblingsOf(oldParent);
    std::unique_ptr<TTaskNode> moving = std::move(source[static_cast<std::size_t>(oldRow)]);
    source.erase(source.begin() + oldRow);
    Renumber(source, static_cast<std::size_t>(oldRow));
    if (oldParent == parent && row > oldRow)
        --row;
    moving->Parent_ = parent;
    target.insert(target.begin() + row, std::move(moving));
    Renumber(target, static_cast<std::size_t>(row));
    LogArrival(node);
    Notify([](TTreeObserver& o) { o.EndMove(); });
    FollowPlaces(oldParent);
    if (parent != oldParent)
        FollowPlaces(parent);
    return true;
}

void TTaskTree::FollowPlaces(TTaskNode* parent)
{
    for (const auto& child : SiblingsOf(parent)) {
        TTask* task = child->Data();
        if (!task)
            continue;
        if (std::string text = task->PlacedCaption(*Catalogues_); text != task->Caption) {
            task->Caption = text;
            SetText(child.get(), text);
        }
    }
}

bool TTaskTree::CanMove(const TTaskNode* node, const TTaskNode* parent, int row) const
{
    if (node->Contains(parent))
        return false;
    const int count = parent ? parent->ChildCount() : TopCount();
    row = std::clamp(row, 0, count);
    return node->Parent() != parent || (row != node->Row() && row != node->Row() + 1);
}

bool TTaskTree::MoveBefore(TTaskNode* node, TTaskNode* sibling)
{
    if (node == sibling)
        return false;
    return Move(node, sibling->Parent(), sibling->Row());
}

bool TTaskTree::MoveToEnd(TTaskNode* node, TTaskNode* parent)
{
    return Move(node, parent, static_cast<int>(SiblingsOf(parent).size()));
}

void TTaskTree::Select(TTaskNode* node)
{
    if (Selected_ == node)
        return;
    Selected_ = node;
    Notify([&](TTreeObserver& o) { o.SelectionChanged(node); });
}

void TTaskTree::BeginUpdate()
{
    if (UpdateDepth_++ == 0) {
        for (TTreeObserver* observer : Observers_)
            observer->BeginReset();
    }
}

void TTaskTree::EndUpdate()
{
    if (--UpdateDepth_ == 0) {
        for (TTreeObserver* observer : Observers_)
            observer->EndReset();
        for (TTreeObserver* observer : Observers_)
            observer->SelectionChanged(Selected_);
    }
}

std::vector<TTaskNode*> TTaskTree::Nodes() const
{
    std::vector<TTaskNode*> nodes;
    for (TTaskNode* node = GetFirstNode(); node; node = node->GetNext())
        nodes.push_back(node);
    return nodes;
}

void TTaskTree::AddObserver(TTreeObserver* observer)
{
    Observers_.push_back(observer);
}

void TTaskTree::RemoveObserver(TTreeObserver* observer)
{
    std::erase(Observers_, observer);
}

const TTaskNode* TTaskTree::Previous(const TTaskNode* node)
{
    if (node->Row_ == 0)
        return node->Parent_;
    const auto& siblings = node->Parent_ ? node->Parent_->Children_ : node->Tree_->Roots_;
    return LastBelow(siblings[static_cast<std::size_t>(node->Row_ - 1)].get());
}

const TTaskNode* TTaskTree::LastBelow(const TTaskNode* node)
{
    while (!node->Children_.empty())
        node = node->Children_.back().get();
    return node;
}

void TTaskTree::Log(std::initializer_list<const TTaskNode*> nodes)
{
    // About a thousand changes: more than an undo step makes, few enough to read through.
    constexpr std::size_t Remembered = 4096;
    if (Log_.size() + nodes.size() > Remembered) {
        // Whole changes are forgotten, never part of one.
        const auto half = Log_.begin() + static_cast<std::ptrdiff_t>(Log_.size() / 2);
        Forgotten_ = half->first;
        Log_.erase(Log_.begin(), std::partition_point(half, Log_.end(), [this](const auto& e) { return e.first <= Forgotten_; }));
    }
    for (const TTaskNode* logged : nodes)
        if (logged)
            Log_.emplace_back(Changes_, logged);
}

void TTaskTree::LogDeparture(const TTaskNode* node)
{
    // Both ends of the subtree leaving: a reader of the nodes in pre-order finds the nodes before
    // the first and after the last as they were.
    Log(std::initializer_list<const TTaskNode*>{node, LastBelow(node)});
}

void TTaskTree::LogArrival(const TTaskNode* node)
{
    // The node before it stays where it was, and so do all after it; at the very start, the node
    // after it. Never a walk up the node's ancestors, as a deep tree is built one node at a time.
    const TTaskNode* previous = Previous(node);
    Log(std::initializer_list<const TTaskNode*>{node, previous ? previous : node->NextSibling()});
}

bool TTaskTree::ChangedSince(std::uint64_t since, std::vector<const TTaskNode*>& nodes) const
{
    if (since < Forgotten_ || since > Changes_)
        return false;
    nodes.clear();
    const auto from = std::partition_point(Log_.begin(), Log_.end(), [since](const auto& e) { return e.first <= since; });
    for (auto entry = from; entry != Log_.end(); ++entry)
        nodes.push_back(entry->second);
    return true;
}
