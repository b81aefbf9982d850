#include "TaskTreeView.h"

#include "TaskTreeModel.h"
#include "model/TaskTree.h"
#include "model/Tasks.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>

#include <vector>

TTaskTreeView::TTaskTreeView(QWidget* parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    // The drop target is drawn by the view itself: Qt's indicator distinguishes above, on and
    // below an item, while a drop here always means the node under the pointer.
    setDropIndicatorShown(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row is one line of text with at most one icon: the view need not measure each of a
    // large tree's rows again after every change.
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // In-place editing starts only through the window's commands (F2, "Edit", "Group"): a click on
    // the selected node would otherwise arm a delayed edit that makes those commands fail.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The selection stays visible while the tree has no focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

void TTaskTreeView::SetTaskModel(TTaskTreeModel* model)
{
    Model_ = model;
    setModel(model);
    connect(model, &TTaskTreeModel::SelectedNodeChanged, this, &TTaskTreeView::ShowSelectedNode);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &TTaskTreeView::CurrentNodeChanged);
    // Each node remembers whether it is open, so that one that leaves the tree and comes back
    // (an undo) opens as it was.
    connect(this, &QTreeView::expanded, this, [](const QModelIndex& index) { SetNodeExpanded(index, true); });
    connect(this, &QTreeView::collapsed, this, [](const QModelIndex& index) { SetNodeExpanded(index, false); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { ShowExpanded({}, 0, Model_->rowCount() - 1); });
    connect(model, &QAbstractItemModel::rowsInserted, this, &TTaskTreeView::ShowExpanded);
    ShowExpanded({}, 0, model->rowCount() - 1);
    ShowSelectedNode(model->IndexOf(model->Tree().Selected()));
}

void TTaskTreeView::SetNodeExpanded(const QModelIndex& index, bool expanded)
{
    if (TTaskNode* node = TTaskTreeModel::NodeOf(index))
        node->SetExpanded(expanded);
}

void TTaskTreeView::ShowExpanded(const QModelIndex& parent, int first, int last)
{
    // A node that had no children had nothing to open until now.
    if (const TTaskNode* node = TTaskTreeModel::NodeOf(parent))
        setExpanded(parent, node->Expanded());
    std::vector<QModelIndex> pending;
    for (int row = first; row <= last; ++row)
        pending.push_back(Model_->index(row, 0, parent));
    while (!pending.empty()) {
        const QModelIndex index = pending.back();
        pending.pop_back();
        const TTaskNode* node = TTaskTreeModel::NodeOf(index);
        if (!node)
            continue;
        // Only a node with children is opened: the view keeps each open node as a persistent
        // index, which every row inserted or removed afterwards has to visit.
        if (node->ChildCount() > 0)
            setExpanded(index, node->Expanded());
        for (int row = 0; row < node->ChildCount(); ++row)
            pending.push_back(Model_->index(row, 0, index));
    }
}

TTaskNode* TTaskTreeView::DropTarget() const
{
    return TTaskTreeModel::NodeOf(DropTarget_);
}

void TTaskTreeView::SetGroupCommand(QAction* command)
{
    GroupCommand_ = command;
    ShowGroupCommand();
}

void TTaskTreeView::ShowGroupCommand()
{
    const TTaskNode* node = Model_ ? Model_->Tree().Selected() : nullptr;
    if (GroupCommand_)
        GroupCommand_->setVisible(node && node->Data() && node->Data()->Kind() == TTaskKind::Group);
}

void TTaskTreeView::ShowSelectedNode(const QModelIndex& index)
{
    ShowGroupCommand();
    if (!index.isValid()) {
        selectionModel()->clear();
        return;
    }
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void TTaskTreeView::CurrentNodeChanged(const QModelIndex& current)
{
    // While the tree changes, the selection model moves its current row on its own; the tree
    // picks the node to select itself and reports it when it is done.
    if (Model_ && !Model_->Changing() && current.isValid())
        Model_->Tree().Select(TTaskTreeModel::NodeOf(current));
    ShowGroupCommand();
}

void TTaskTreeView::startDrag(Qt::DropActions /*supportedActions*/)
{
    const QModelIndex dragged = currentIndex();
    if (!Model_ || !dragged.isValid())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(Model_->mimeData({dragged}));
    // The drop has already moved the node in the tree; nothing is left to remove here.
    drag->exec(Qt::MoveAction);
}

bool TTaskTreeView::Acceptable(const QDropEvent* event) const
{
    return Model_ && Model_->IsOwnDrag(event->mimeData()) && OnDragOver && OnDragOver();
}

void TTaskTreeView::SetDropTarget(const QModelIndex& index)
{
    if (DropTarget_ == index)
        return;
    DropTarget_ = index;
    viewport()->update();
}

void TTaskTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    QTreeView::dragEnterEvent(event);
    // Entering is not yet a place to drop, but the view must take the drag to follow it.
    if (Model_ && Model_->IsOwnDrag(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TTaskTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    QTreeView::dragMoveEvent(event);  // scrolls near the edges
    if (Acceptable(event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        SetDropTarget(indexAt(event->position().toPoint()));
    } else {
        event->ignore();
        SetDropTarget({});
    }
}

void TTaskTreeView::dragLeaveEvent(QDragLeaveEvent* event)
{
    QTreeView::dragLeaveEvent(event);
    SetDropTarget({});
}

void TTaskTreeView::dropEvent(QDropEvent* event)
{
    SetDropTarget({});
    stopAutoScroll();
    setState(NoState);
    if (!Acceptable(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    if (OnDrop)
        OnDrop(TTaskTreeModel::NodeOf(indexAt(event->position().toPoint())));
}

void TTaskTreeView::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    if (!DropTarget_.isValid())
        return;
    QRect row = visualRect(DropTarget_);
    row.setLeft(0);
    row.setRight(viewport()->width() - 1);
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(row.adjusted(1, 1, -1, -1));
}
