#pragma once
// The task tree as a Qt item model, so that a QTreeView can show it. The tree stays the document:
// the model only follows it (as its observer) and passes in-place edits on to whoever handles
// them. Each index's internal pointer is its TTaskNode.

#include "model/Tasks.h"
#include "check/Problems.h"
#include "model/TaskTree.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>

class TTextEncoding;

class TTaskTreeModel : public QAbstractItemModel, private TTreeObserver {
    Q_OBJECT
public:
    // What a drag of a node carries; drops of anything else are not ours.
    static const QString NodeMimeType;

    // Texts are shown and typed in encoding, the document's, which outlives the model.
    TTaskTreeModel(TTaskTree& tree, const TTextEncoding& encoding, QObject* parent = nullptr);
    ~TTaskTreeModel() override;

    TTaskTree& Tree() const { return *Tree_; }
    // Follows tree from now on (the project was replaced); the old tree must still exist.
    void SetTree(TTaskTree& tree);
    QModelIndex IndexOf(const TTaskNode* node) const;
    static TTaskNode* NodeOf(const QModelIndex& index);
    // True while the tree is between the begin and the end of a change.
    bool Changing() const { return Changing_; }

    // True when data is what mimeData made for a drag out of this model.
    bool IsOwnDrag(const QMimeData* data) const;

    // A node's text as the tree shows it: on one line, each line break a space.
    QString DisplayText(const std::string& text) const;
    // Where a condition's task leads, as its label ends (" → Shop"); empty for other tasks.
    QString JumpText(const TTask* task) const;
    // The node's text as the tree shows it: an unnamed call to a subroutine names the label its
    // group has now, as the script does, also after the label was renamed; an unnamed branch
    // says its place now, also after a branch before it was deleted.
    std::string ShownText(const TTaskNode* node) const;

    // Marks the node of the task a play-test is running at (null: none), without selecting it.
    void SetPlayingTask(const TTask* task);
    const TTask* PlayingTask() const { return Playing_.get(); }
    // Marks each task that has a problem with the platform's error or warning icon.
    void SetMarks(const TProjectCheck& check);
    // The mark shown for task, if any.
    const script::TSeverity* MarkOf(const TTask* task) const;

    // Called with the node and the new text when the user confirms an in-place edit.
    std::function<void(TTaskNode* node, const std::string& text)> OnEdited;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

signals:
    // The tree's selected node changed (an invalid index for none).
    void SelectedNodeChanged(const QModelIndex& index);

private:
    void BeginReset() override;
    void EndReset() override;
    void BeginInsert(TTaskNode* parent, int row) override;
    void EndInsert() override;
    void BeginRemove(TTaskNode* parent, int row) override;
    void EndRemove() override;
    void BeginMove(TTaskNode* fromParent, int fromRow, TTaskNode* toParent, int toRow) override;
    void EndMove() override;
    void TextChanged(TTaskNode* node) override;
    void SelectionChanged(TTaskNode* node) override;

    void PlayingChanged(const TTask* task);
    // Whether node may show children: its task holds tasks, or it has some.
    static bool MayHold(const TTaskNode& node);
    // The nodes of tree and below node (nullptr: the whole tree) that may hold tasks.
    void AddHolders(const TTaskNode* node);
    void RemoveHolders(const TTaskNode* node);

    TTaskTree* Tree_;
    const TTextEncoding& Encoding_;
    bool Changing_ = false;
    // The view lays out every row again after a row comes or goes and asks each whether it may
    // have children; a large tree's few holders answer that from here without touching the
    // 10,000 scattered nodes. A node kept here after it went only costs its row the slower way.
    std::unordered_set<const TTaskNode*> Holders_;
    TTaskNode* Inserting_ = nullptr;  // the parent and row of the insert under way
    int InsertingRow_ = 0;
    TTaskGuard<const TTask> Playing_;
    struct TMark {
        TTaskGuard<const TTask> Task;
        script::TSeverity Severity;
    };
    std::unordered_map<const TTask*, TMark> Marks_;
    // The kinds' icons drawn so far, by letter and colour.
    mutable QHash<QString, QIcon> Icons_;
};
