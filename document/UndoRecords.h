#pragma once
// What the undo steps keep of the tree. Undo and redo rebuild deleted nodes and tasks as new
// objects, so a step never holds a pointer into the tree: it names a node by its path of rows, and
// keeps a removed subtree as bytes, the project file's own task records plus what the file does
// not hold (each node's text, its open or closed state, its task's place in the task list).

#include "model/TaskTree.h"

#include <string>
#include <vector>

class TFileReader;
class TFileWriter;
class TTask;

// A record kept in memory (an undo step's, a copied task's) holds everything a task holds: it is
// written in the extended project file version, whatever version the project's file will have,
// so that no field a newer kind or a speaker adds is lost on its way through the history.
TFileWriter MemoryRecordWriter(const char* name);
TFileReader MemoryRecordReader(const char* name, std::string bytes);

// The rows from the top level down to a node: {0} is the first node, {0, 2} its third child.
using TNodePath = std::vector<int>;

// Empty for nullptr.
TNodePath PathOf(const TTaskNode* node);
// The node at path in tree; nullptr for an empty path. EListError when there is no such node (a
// step replayed on a tree it does not belong to).
TTaskNode* NodeAt(const TTaskTree& tree, const TNodePath& path);

// A subtree of the project's tree, kept while it is out of the tree.
class TSubtreeRecord {
public:
    // Records node and everything below it, as they are now.
    static TSubtreeRecord Take(const TTaskNode& node);

    // Rebuilds the subtree in tree as the child at row of parent (nullptr: the top level), every
    // task back at its place in the tree's task list. Returns the subtree's top node.
    TTaskNode* Restore(TTaskTree& tree, TTaskNode* parent, int row) const;

    int NodeCount() const { return NodeCount_; }
    std::size_t ByteSize() const { return Bytes_.size(); }

private:
    std::string Bytes_;
    int NodeCount_ = 0;
};

// A task's whole record (caption and content), and the text of its node.
struct TTaskState {
    std::string Record;
    std::string NodeText;

    static TTaskState Of(const TTask& task);
    // Loads the record into task, which keeps its identity, and gives its node the text.
    void StoreInto(TTask& task) const;
    bool operator==(const TTaskState&) const = default;
};
