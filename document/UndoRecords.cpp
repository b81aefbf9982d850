#include "document/UndoRecords.h"

#include "model/ProjectFile.h"
#include "model/Tasks.h"

#include "platform/Errors.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {

constexpr const char* RecordName = "the undo record";

std::vector<const TTaskNode*> SubtreeNodes(const TTaskNode& top)
{
    std::vector<const TTaskNode*> nodes;
    for (const TTaskNode* n = &top; n && top.Contains(n); n = n->GetNext())
        nodes.push_back(n);
    return nodes;
}

// One node of a record being restored, read completely before anything joins the tree.
struct TRestoredNode {
    std::string Text;
    bool Expanded = true;
    int ListIndex = 0;
    int ChildCount = 0;
    std::unique_ptr<TTask> Task;
};

TRestoredNode ReadNode(TFileReader& reader)
{
    TRestoredNode node;
    node.Text = ReadString(reader);
    node.Expanded = reader.ReadByte() != 0;
    node.ListIndex = reader.ReadInt();
    node.ChildCount = reader.ReadInt();
    node.Task = NewTaskOfKind(reader, reader.ReadByte());
    node.Task->LoadFromFile(reader);
    return node;
}

}  // namespace

TFileWriter MemoryRecordWriter(const char* name)
{
    TFileWriter writer(name);
    writer.SetVersion(KeptProjectFileVersion);
    return writer;
}

TFileReader MemoryRecordReader(const char* name, std::string bytes)
{
    TFileReader reader(name, std::move(bytes));
    reader.SetVersion(KeptProjectFileVersion);
    return reader;
}

TNodePath PathOf(const TTaskNode* node)
{
    TNodePath path;
    for (const TTaskNode* n = node; n; n = n->Parent())
        path.push_back(n->Row());
    std::reverse(path.begin(), path.end());
    return path;
}

TTaskNode* NodeAt(const TTaskTree& tree, const TNodePath& path)
{
    TTaskNode* node = nullptr;
    for (const int row : path) {
        const int count = node ? node->ChildCount() : tree.TopCount();
        if (row < 0 || row >= count)
            throw EListError("the undo history names a node the task tree does not have");
        node = node ? node->Child(row) : tree.Top(row);
    }
    return node;
}

TSubtreeRecord TSubtreeRecord::Take(const TTaskNode& node)
{
    const std::vector<const TTaskNode*> nodes = SubtreeNodes(node);
    std::vector<const TTask*> tasks;
    tasks.reserve(nodes.size());
    for (const TTaskNode* n : nodes)
        tasks.push_back(n->Data());
    const std::vector<int> indexes = node.Tree().Tasks().IndexesOf(tasks);

    TFileWriter writer = MemoryRecordWriter(RecordName);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const TTaskNode& n = *nodes[i];
        if (!n.Data())
            throw EListError("a node of the task tree holds no task");
        WriteString(writer, n.Text());
        writer.WriteByte(n.Expanded() ? 1 : 0);
        writer.WriteInt(indexes[i]);
        writer.WriteInt(n.ChildCount());
        writer.WriteByte(static_cast<std::uint8_t>(n.Data()->Kind()));
        n.Data()->SaveToFile(writer);
    }
    TSubtreeRecord record;
    record.Bytes_ = writer.Bytes();
    record.NodeCount_ = static_cast<int>(nodes.size());
    return record;
}

TTaskNode* TSubtreeRecord::Restore(TTaskTree& tree, TTaskNode* parent, int row) const
{
    TFileReader reader = MemoryRecordReader(RecordName, Bytes_);
    std::vector<TRestoredNode> restored;
    restored.reserve(static_cast<std::size_t>(NodeCount_));
    for (int i = 0; i < NodeCount_; ++i)
        restored.push_back(ReadNode(reader));

    // Pre-order with child counts: a stack of (node, children still to come) gives each parent.
    std::vector<std::pair<TTaskNode*, int>> open;
    TTaskNode* top = nullptr;
    for (TRestoredNode& r : restored) {
        while (!open.empty() && open.back().second == 0)
            open.pop_back();
        TTaskNode* node = nullptr;
        if (!top) {
            node = top = tree.InsertAt(parent, row, r.Text, r.Task.get());
        } else {
            if (open.empty())
                throw EListError("the undo record of a subtree is damaged");
            --open.back().second;
            node = tree.AddChild(open.back().first, r.Text, r.Task.get());
        }
        node->SetExpanded(r.Expanded);
        open.emplace_back(node, r.ChildCount);
    }

    std::vector<std::pair<int, std::unique_ptr<TTask>>> tasks;
    tasks.reserve(restored.size());
    for (TRestoredNode& r : restored)
        tasks.emplace_back(r.ListIndex, std::move(r.Task));
    std::stable_sort(tasks.begin(), tasks.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    tree.Tasks().RegisterTasksAt(std::move(tasks));
    return top;
}

TTaskState TTaskState::Of(const TTask& task)
{
    TFileWriter writer = MemoryRecordWriter(RecordName);
    task.SaveToFile(writer);
    return {writer.Bytes(), task.Node ? task.Node->Text() : std::string()};
}

void TTaskState::StoreInto(TTask& task) const
{
    TFileReader reader = MemoryRecordReader(RecordName, Record);
    task.LoadFromFile(reader);
    if (task.Node)
        task.Node->Tree().SetText(task.Node, NodeText);
}
