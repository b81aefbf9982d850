#pragma once
// The task tree: the document's structure. Every node carries exactly one task (registered in
// the project's task list while the node exists). The tree window shows it through a Qt item model that listens
// to the tree as a TTreeObserver; every rule of the tree is testable without a window.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TTask;
class TTaskList;
class TTaskTree;

class TTaskNode {
public:
    const std::string& Text() const { return Text_; }
    TTask* Data() const { return Data_; }
    TTaskNode* Parent() const { return Parent_; }
    int ChildCount() const { return static_cast<int>(Children_.size()); }
    TTaskNode* Child(int index) const { return Children_.at(static_cast<std::size_t>(index)).get(); }
    // Position among its siblings (top-level nodes count among the top-level nodes).
    int Row() const { return Row_; }
    // 0 for a top-level node, the parent's level + 1 otherwise.
    int Level() const;
    // Pre-order successor: first child, else next sibling, else the next sibling of the nearest
    // ancestor that has one, else nullptr.
    TTaskNode* GetNext() const;
    TTaskNode* NextSibling() const;
    // The first node after this one and everything below it, in pre-order (nullptr at the end).
    TTaskNode* SubtreeEnd() const;
    // Position in pre-order, counting from 0 at the first node.
    int AbsoluteIndex() const;
    // True when node is this node or lies below it.
    bool Contains(const TTaskNode* node) const;
    TTaskTree& Tree() const { return *Tree_; }
    // Whether a view shows the node's children: the view keeps it current, so that a node that
    // leaves the tree and comes back (undo) opens as it was. True for a new node.
    bool Expanded() const { return Expanded_; }
    void SetExpanded(bool expanded) { Expanded_ = expanded; }

private:
    friend class TTaskTree;
    TTaskNode(TTaskTree* tree, TTaskNode* parent, std::string text, TTask* data)
        : Tree_(tree), Parent_(parent), Text_(std::move(text)), Data_(data) {}

    TTaskTree* Tree_;
    TTaskNode* Parent_;
    int Row_ = 0;  // kept current by the tree on every change of the sibling list
    std::string Text_;
    TTask* Data_;
    bool Expanded_ = true;
    std::vector<std::unique_ptr<TTaskNode>> Children_;
};

// Told about every change of the tree, so that a view can follow it. During a bulk update
// (BeginUpdate/EndUpdate) only BeginReset/EndReset are sent.
class TTreeObserver {
public:
    virtual ~TTreeObserver() = default;
    virtual void BeginReset() {}
    virtual void EndReset() {}
    // parent nullptr means the top level.
    virtual void BeginInsert(TTaskNode* /*parent*/, int /*row*/) {}
    virtual void EndInsert() {}
    virtual void BeginRemove(TTaskNode* /*parent*/, int /*row*/) {}
    virtual void EndRemove() {}
    virtual void BeginMove(TTaskNode* /*fromParent*/, int /*fromRow*/, TTaskNode* /*toParent*/,
                           int /*toRow*/) {}
    virtual void EndMove() {}
    virtual void TextChanged(TTaskNode* /*node*/) {}
    virtual void SelectionChanged(TTaskNode* /*node*/) {}
};

class TCatalogues;

class TTaskTree {
public:
    // Every task that leaves the tree leaves tasks too. A task's caption at its place may name
    // catalogue entries (a job compared): the tree's are its project's.
    TTaskTree(TTaskList& tasks, const TCatalogues& catalogues) : Tasks_(&tasks), Catalogues_(&catalogues) {}
    TTaskTree(const TTaskTree&) = delete;
    TTaskTree& operator=(const TTaskTree&) = delete;
    ~TTaskTree();

    // The list that owns the tree's tasks.
    TTaskList& Tasks() const { return *Tasks_; }
    const TCatalogues& Catalogues() const { return *Catalogues_; }

    int TopCount() const { return static_cast<int>(Roots_.size()); }
    TTaskNode* Top(int index) const { return Roots_.at(static_cast<std::size_t>(index)).get(); }
    TTaskNode* GetFirstNode() const { return Roots_.empty() ? nullptr : Roots_.front().get(); }
    int Count() const;  // all nodes

    // New node with text and task as the last child of parent (nullptr: last top-level node).
    // The task's Node becomes the new node. The task is not registered here.
    TTaskNode* AddChild(TTaskNode* parent, const std::string& text, TTask* task);
    // New node inserted immediately before sibling, under the same parent.
    TTaskNode* Insert(TTaskNode* sibling, const std::string& text, TTask* task);
    // New node at position row among parent's children (clamped to their count).
    TTaskNode* InsertAt(TTaskNode* parent, int row, const std::string& text, TTask* task);
    void SetText(TTaskNode* node, const std::string& text);

    // Deletes node and everything below it. Every node that leaves the tree unregisters (and so
    // destroys) its task in the tree's task list. When the selected node goes, its nearest remaining neighbour
    // (next sibling, else previous sibling, else parent) becomes selected.
    void Delete(TTaskNode* node);
    // Deletes every node, each task unregistered.
    void Clear();

    // Moves node with its subtree to position row among the children of parent (nullptr: top
    // level), row counted before the move takes node out. Node objects survive the move.
    // Returns false, changing nothing, when parent lies in node's own subtree.
    bool Move(TTaskNode* node, TTaskNode* parent, int row);
    // Whether Move would move anything.
    bool CanMove(const TTaskNode* node, const TTaskNode* parent, int row) const;
    // Move node to just before sibling / to the end of parent's children.
    bool MoveBefore(TTaskNode* node, TTaskNode* sibling);
    bool MoveToEnd(TTaskNode* node, TTaskNode* parent);

    TTaskNode* Selected() const { return Selected_; }
    void Select(TTaskNode* node);

    // Bulk update: views are reset once at the end instead of following every step.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return UpdateDepth_ > 0; }

    // Pre-order list of all nodes.
    std::vector<TTaskNode*> Nodes() const;

    void AddObserver(TTreeObserver* observer);
    void RemoveObserver(TTreeObserver* observer);

    // Counts the changes of the tree's shape (a node inserted, deleted or moved).
    std::uint64_t Changes() const { return Changes_; }
    // Sets nodes to those around each change after change number since: the node and the last of
    // its subtree where it left, the node and the one before it (at the start, after it) where it
    // came (some may be gone since, some listed twice). False when the tree no longer remembers them all.
    bool ChangedSince(std::uint64_t since, std::vector<const TTaskNode*>& nodes) const;

private:
    friend class TTaskNode;
    using TNodeList = std::vector<std::unique_ptr<TTaskNode>>;
    TNodeList& SiblingsOf(TTaskNode* parent);
    static void Renumber(TNodeList& siblings, std::size_t from);
    // The captions of parent's children that follow their place, after the children moved.
    void FollowPlaces(TTaskNode* parent);
    // Unregisters the tasks of node and everything below it, in one pass over the task list.
    void ReleaseTasks(TTaskNode* node);
    // Destroys a detached subtree without recursing once per level, so any depth is safe.
    static void DestroySubtree(std::unique_ptr<TTaskNode> node);
    template <class F>
    void Notify(F&& f);
    // Logs nodes under the current change.
    void Log(std::initializer_list<const TTaskNode*> nodes);
    // Logs, under the current change, node's subtree about to leave its place, or just come to one.
    void LogDeparture(const TTaskNode* node);
    void LogArrival(const TTaskNode* node);
    // The node before node in pre-order (nullptr for the first).
    static const TTaskNode* Previous(const TTaskNode* node);
    // The last node of node's subtree in pre-order.
    static const TTaskNode* LastBelow(const TTaskNode* node);

    TTaskList* Tasks_;
    const TCatalogues* Catalogues_;
    std::vector<std::unique_ptr<TTaskNode>> Roots_;
    TTaskNode* Selected_ = nullptr;
    int UpdateDepth_ = 0;
    std::vector<TTreeObserver*> Observers_;
    std::uint64_t Changes_ = 0;
    // The changes after Forgotten_, oldest first: whoever keeps what it read of the tree in
    // pre-order finds where the tree changed without visiting every node.
    std::uint64_t Forgotten_ = 0;
    std::vector<std::pair<std::uint64_t, const TTaskNode*>> Log_;
};
