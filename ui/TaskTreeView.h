#pragma once
// The tree control of the task window: a QTreeView over TTaskTreeModel that mirrors the tree's
// selected node both ways, and drags nodes within itself. Where a drop may happen and what it
// does are the task window's rules; the view only asks and reports.

#include <QAction>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeView>

#include <functional>

class TTaskNode;
class TTaskTreeModel;

class TTaskTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit TTaskTreeView(QWidget* parent = nullptr);

    void SetTaskModel(TTaskTreeModel* model);
    TTaskTreeModel* TaskModel() const { return Model_; }
    // A command of the tree's menu that only a group takes: offered while a group is selected.
    void SetGroupCommand(QAction* command);
    // The node the pointer is over while a drop there is acceptable.
    TTaskNode* DropTarget() const;

    // Asked while a node is dragged over the view: may it be dropped?
    std::function<bool()> OnDragOver;
    // A node was dropped on the view: target is the node under the pointer, nullptr for none.
    std::function<void(TTaskNode* target)> OnDrop;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowSelectedNode(const QModelIndex& index);
    static void SetNodeExpanded(const QModelIndex& index, bool expanded);
    // Opens or closes the nodes of rows first to last below parent, and everything below them,
    // as each node remembers.
    void ShowExpanded(const QModelIndex& parent, int first, int last);
    void CurrentNodeChanged(const QModelIndex& current);
    bool Acceptable(const QDropEvent* event) const;
    void SetDropTarget(const QModelIndex& index);

    void ShowGroupCommand();

    TTaskTreeModel* Model_ = nullptr;
    QPointer<QAction> GroupCommand_;
    QPersistentModelIndex DropTarget_;
};
