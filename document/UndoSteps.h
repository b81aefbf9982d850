#pragma once
// The undoable steps of the project, one class per kind of edit. The project document makes them
// and pushes them on its undo stack, which runs redo() at once: the first redo performs the edit,
// later ones perform it again from what the step kept. Each step keeps only what it changed (a
// removed subtree's records, a task's record before and after, a node's path), never a pointer
// into the tree, and puts the tree's selection back as it was on either side of the step.

#include "model/Tasks.h"
#include "document/UndoRecords.h"
#include "model/Project.h"

#include "model/Records.h"

#include <QUndoCommand>

#include <memory>
#include <string>

class TProjectStep : public QUndoCommand {
public:
    // parts: what the step changes (TChangePart flags), the same either way. The step changes
    // project, which must outlive it (the document empties its history before it lets go of its
    // project).
    TProjectStep(TProject& project, const std::string& name, unsigned parts);

    void redo() final;
    void undo() final;

    const std::string& Name() const { return Name_; }
    unsigned Parts() const { return Parts_; }
    // The task the step last changed, when there is one and it still exists.
    const TTask* ChangedTask() const { return Changed_; }
    // Called after every redo and undo; replayed is false only for the first redo.
    std::function<void(const TProjectStep& step, bool replayed)> OnRan;

protected:
    virtual void Forward() = 0;
    virtual void Backward() = 0;
    TTaskTree& Tree() const { return Project_.TaskTree; }
    TTaskNode* At(const TNodePath& path) const;
    // For a step that merges a later one into itself: redo leaves the selection where the later
    // one left it.
    void TakeSelectionAfter(const TProjectStep& later) { SelectedAfter_ = later.SelectedAfter_; }

    TProject& Project_;
    // Set by Forward and Backward.
    const TTask* Changed_ = nullptr;

private:
    std::string Name_;
    unsigned Parts_;
    TNodePath SelectedBefore_;
    TNodePath SelectedAfter_;
    bool Done_ = false;
};

// A new task joins the tree: the last child of the selected node when it may hold the task, else
// just before the selected node, else the last child of the first node; EListError when the task
// may stand in neither place. The selection stays where it was, so tasks added
// one after another keep their order.
class TAddStep : public TProjectStep {
public:
    TAddStep(TProject& project, const std::string& name, unsigned parts, std::unique_ptr<TTask> task);

private:
    void Forward() override;
    void Backward() override;

    std::unique_ptr<TTask> Pending_;  // until the first redo
    TNodePath Path_;
    TSubtreeRecord Record_;
};

// A node leaves the tree with everything below it.
class TDeleteStep : public TProjectStep {
public:
    TDeleteStep(TProject& project, const std::string& name, unsigned parts, const TTaskNode& node);
    // The tasks below the deleted node.
    int TasksBelow() const { return Record_.NodeCount() - 1; }
    std::size_t ByteSize() const { return Record_.ByteSize(); }

private:
    void Forward() override;
    void Backward() override;

    TNodePath Path_;
    TSubtreeRecord Record_;
};

// A node moves with its subtree; the node and its tasks stay the same objects.
class TMoveStep : public TProjectStep {
public:
    TMoveStep(TProject& project, const std::string& name, unsigned parts, const TTaskNode& node,
              const TTaskNode* parent, int row);

private:
    void Forward() override;
    void Backward() override;
    void MoveTo(const TNodePath& from, const TNodePath& to);

    TNodePath Before_;
    TNodePath After_;
    TNodePath FirstParent_;  // the first redo's target, as given
    int FirstRow_;
};

// A task's content or caption changes in place (an editor's Apply, a rename).
class TTaskContentStep : public TProjectStep {
public:
    TTaskContentStep(TProject& project, const std::string& name, unsigned parts, const TTask& task,
                     TTaskState after);
    bool ChangesNothing() const { return Before_ == After_; }

private:
    void Forward() override;
    void Backward() override;

    TNodePath Path_;
    TTaskState Before_;
    TTaskState After_;
};

// One of the project's records (the NPC's, the header's) changes as a whole.
template <class TRecord, TRecord TProject::*Field>
class TRecordStep : public TProjectStep {
public:
    TRecordStep(TProject& project, const std::string& name, unsigned parts, TRecord after)
        : TProjectStep(project, name, parts), Before_(project.*Field), After_(std::move(after))
    {
    }

protected:
    void Forward() override { Project_.*Field = After_; }
    void Backward() override { Project_.*Field = Before_; }

    TRecord Before_;
    TRecord After_;
};

// "Edit NPC name", "Edit NPC X position and Y position": the undo step names the fields it changes.
std::string NPCEditName(const TNPC& before, const TNPC& after);

// The NPC record changes. Steps that change the same single field one after another (a run of
// typing) merge into one.
class TNPCStep : public TRecordStep<TNPC, &TProject::NPCInfo> {
public:
    using TRecordStep::TRecordStep;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;
};

// The header record changes (the header window's Apply).
using THeaderStep = TRecordStep<TNPCHeader, &TProject::HeaderInfo>;
