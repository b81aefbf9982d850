#include "TaskTreeModel.h"

#include "Dialogs.h"
#include "platform/TextEncoding.h"
#include "document/Document.h"
#include "model/CodeTasks.h"
#include "model/ConditionTasks.h"

#include <QApplication>
#include <QColor>
#include <QCoreApplication>
#include <QHash>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

#include <optional>

const QString TTaskTreeModel::NodeMimeType = QStringLiteral("application/x-npc-task-node");

namespace {

// The node a play-test runs at: the amber of a paused debugger line.
const QColor PlayingBackground(255, 214, 120);

// A statement kind's mark: a letter on its colour, so that blocks, loops and the kinds beside the
// catalogued actions tell apart at a glance. The kinds the program always had show none, as ever.
struct TKindMark {
    QChar Letter;
    QColor Colour;
};

std::optional<TKindMark> KindMarkOf(const TTask& task)
{
    switch (task.Kind()) {
    case TTaskKind::Command: return TKindMark{u'C', QColor(70, 110, 170)};
    case TTaskKind::Set: return TKindMark{u'=', QColor(90, 140, 90)};
    case TTaskKind::Call: return TKindMark{u'F', QColor(130, 90, 160)};
    case TTaskKind::Statement: return TKindMark{u'E', QColor(150, 60, 60)};
    case TTaskKind::If: return TKindMark{u'?', QColor(190, 120, 30)};
    case TTaskKind::Branch: return TKindMark{u'?', QColor(220, 170, 80)};
    case TTaskKind::Loop: return TKindMark{u'L', QColor(40, 140, 150)};
    case TTaskKind::Switch: return TKindMark{u'S', QColor(190, 120, 30)};
    case TTaskKind::Case: return TKindMark{u'c', QColor(220, 170, 80)};
    case TTaskKind::Group:
        if (static_cast<const TGroupTask&>(task).IsEventLabel())
            return TKindMark{u'!', QColor(200, 60, 140)};
        return std::nullopt;
    default: return std::nullopt;
    }
}

// made keeps the icons drawn before, each drawn once per model.
QIcon KindIcon(const TKindMark& mark, QHash<QString, QIcon>& made)
{
    const QString key = QString(mark.Letter) + mark.Colour.name();
    if (const auto found = made.constFind(key); found != made.constEnd())
        return *found;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(mark.Colour);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString(mark.Letter));
    painter.end();
    return made.insert(key, QIcon(pixmap)).value();
}

// What a group's label says: the author's name, and that the server runs it on an event.
QString LabelNote(const TTask* task, const TTextEncoding& encoding)
{
    if (!task || task->Kind() != TTaskKind::Group)
        return {};
    const auto& group = static_cast<const TGroupTask&>(*task);
    if (group.LabelName.empty())
        return {};
    const QString label = encoding.ToQ(group.LabelName);
    return group.IsEventLabel() ? QStringLiteral("Label %1: runs on the event %1").arg(label)
                                : QStringLiteral("Label %1").arg(label);
}

} // namespace

namespace {

// Names this model in this process, so that a drag from another window or program is not taken
// for one of ours.
QByteArray DragSignature(const TTaskTreeModel* model)
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(model));
}

// One "\n" for each line break however it is stored ("\r\n" as loaded, "\n" as typed), so a
// label is cut by what it shows and reads the same after a save and a reload.
std::string OneBreakEach(const std::string& text)
{
    std::string one;
    one.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            one += '\n';
        } else {
            one += text[i];
        }
    }
    return one;
}

} // namespace

TTaskTreeModel::TTaskTreeModel(TTaskTree& tree, const TTextEncoding& encoding, QObject* parent)
    : QAbstractItemModel(parent), Tree_(&tree), Encoding_(encoding)
{
    Tree_->AddObserver(this);
    AddHolders(nullptr);
}

TTaskTreeModel::~TTaskTreeModel()
{
    Tree_->RemoveObserver(this);
}

void TTaskTreeModel::SetTree(TTaskTree& tree)
{
    if (&tree == Tree_)
        return;
    beginResetModel();
    Tree_->RemoveObserver(this);
    Tree_ = &tree;
    Tree_->AddObserver(this);
    Marks_.clear();
    Holders_.clear();
    AddHolders(nullptr);
    endResetModel();
    SelectionChanged(Tree_->Selected());
}

QModelIndex TTaskTreeModel::IndexOf(const TTaskNode* node) const
{
    if (!node)
        return {};
    return createIndex(node->Row(), 0, const_cast<TTaskNode*>(node));
}

TTaskNode* TTaskTreeModel::NodeOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<TTaskNode*>(index.internalPointer()) : nullptr;
}

QString TTaskTreeModel::DisplayText(const std::string& text) const
{
    // A message's lines read on as one: a break is a space, and the break after the last line
    // is nothing.
    QString shown = Encoding_.ToQ(text);
    shown.replace(QLatin1String("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return shown;
}

QModelIndex TTaskTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (const TTaskNode* parentNode = NodeOf(parent)) {
        if (row >= parentNode->ChildCount())
            return {};
        return createIndex(row, 0, parentNode->Child(row));
    }
    if (row >= Tree_->TopCount())
        return {};
    return createIndex(row, 0, Tree_->Top(row));
}

QModelIndex TTaskTreeModel::parent(const QModelIndex& child) const
{
    const TTaskNode* node = NodeOf(child);
    return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TTaskTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const TTaskNode* node = NodeOf(parent);
    return node ? node->ChildCount() : Tree_->TopCount();
}

int TTaskTreeModel::columnCount(const QModelIndex& /*parent*/) const
{
    return 1;
}

QVariant TTaskTreeModel::data(const QModelIndex& index, int role) const
{
    const TTaskNode* node = NodeOf(index);
    if (!node)
        return {};
    // Every node is shown the same way, however it got its text; the whole text is one hover away
    // and is what an in-place edit starts from.
    const std::string text = OneBreakEach(ShownText(node));
    if (role == Qt::DisplayRole)
        return DisplayText(ShortCaption(text)) + JumpText(node->Data());
    if (role == Qt::ToolTipRole) {
        QStringList tip;
        if (ShortCaption(text) != text)
            tip << DisplayText(text) + JumpText(node->Data());
        if (const QString note = LabelNote(node->Data(), Encoding_); !note.isEmpty())
            tip << note;
        return tip.isEmpty() ? QVariant() : QVariant(tip.join(u'\n'));
    }
    if (role == Qt::EditRole)
        return Encoding_.ToQ(node->Text());
    if (role == Qt::BackgroundRole && node->Data() && node->Data() == Playing_.get())
        return PlayingBackground;
    if (role == Qt::DecorationRole) {
        if (const script::TSeverity* mark = MarkOf(node->Data()))
            return QApplication::style()->standardIcon(*mark == script::TSeverity::Error
                                                           ? QStyle::SP_MessageBoxCritical
                                                           : QStyle::SP_MessageBoxWarning);
        if (const auto mark = node->Data() ? KindMarkOf(*node->Data()) : std::nullopt)
            return KindIcon(*mark, Icons_);
    }
    return {};
}

std::string TTaskTreeModel::ShownText(const TTaskNode* node) const
{
    const TTask* task = node->Data();
    if (!task || task->UserNamed != 0)
        return node->Text();
    if (const auto* call = dynamic_cast<const TCallTask*>(task); call && call->CallKind == TCallKind::Subroutine)
        return call->SummaryText(&Tree_->Tasks());
    return task->Kind() == TTaskKind::Branch ? task->PlacedCaption(Tree_->Catalogues()) : node->Text();
}

QString TTaskTreeModel::JumpText(const TTask* task) const
{
    const auto* condition = dynamic_cast<const TConTask*>(task);
    if (!condition)
        return {};
    const QString arrow = QStringLiteral(" \u2192 ");
    if (condition->Target == GroupExitTarget)
        return arrow + QStringLiteral("Group Exit");
    const TGroupTask* group = Tree_->Tasks().FindGroup(condition->Target);
    return arrow + (group ? DisplayText(ShortCaption(group->Caption)) : QStringLiteral("(no group)"));
}

void TTaskTreeModel::SetPlayingTask(const TTask* task)
{
    const TTask* before = Playing_.get();
    if (before == task)
        return;
    Playing_ = TTaskGuard<const TTask>(task);
    PlayingChanged(before);
    PlayingChanged(task);
}

void TTaskTreeModel::PlayingChanged(const TTask* task)
{
    if (!task || !task->Node)
        return;
    const QModelIndex index = IndexOf(task->Node);
    if (index.isValid())
        emit dataChanged(index, index, {Qt::BackgroundRole});
}

const script::TSeverity* TTaskTreeModel::MarkOf(const TTask* task) const
{
    const auto found = task ? Marks_.find(task) : Marks_.end();
    return found == Marks_.end() || !found->second.Task ? nullptr : &found->second.Severity;
}

void TTaskTreeModel::SetMarks(const TProjectCheck& check)
{
    std::unordered_map<const TTask*, TMark> marks;
    for (const TProblem& problem : check.Problems) {
        if (!problem.Task)
            continue;
        const auto [at, added] = marks.try_emplace(problem.Task, TMark{TTaskGuard<const TTask>(problem.Task), problem.Severity});
        if (!added && problem.Severity == script::TSeverity::Error)
            at->second.Severity = problem.Severity;
    }
    // Only the rows whose mark changes are repainted, found from the two tables alone: a large
    // tree has few marks. An old mark may name a task that is gone since (or whose address a new
    // task has taken), so it counts only while its task lives.
    const auto severityIn = [](const auto& table, const TTask* task) {
        const auto found = table.find(task);
        return found == table.end() || !found->second.Task ? -1 : static_cast<int>(found->second.Severity);
    };
    std::swap(Marks_, marks);
    const auto repaint = [this](const TTask* task) {
        if (task && task->Node) {
            const QModelIndex index = IndexOf(task->Node);
            emit dataChanged(index, index, {Qt::DecorationRole});
        }
    };
    for (const auto& [task, mark] : Marks_)
        if (severityIn(marks, task) != static_cast<int>(mark.Severity))
            repaint(task);
    for (const auto& [task, mark] : marks)
        if (mark.Task && !Marks_.contains(task))
            repaint(task);
}

bool TTaskTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TTaskNode* node = NodeOf(index);
    if (!node || role != Qt::EditRole || !OnEdited)
        return false;
    const std::string before = node->Text();
    std::string text;
    const bool encodable = Guarded(qobject_cast<QWidget*>(QObject::parent()),
                                   [this, &text, &value] { text = Encoding_.FromQ(value.toString()); });
    if (!encodable)
        return false;
    OnEdited(node, text);
    return node->Text() != before;
}

Qt::ItemFlags TTaskTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable |
                                Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    // For a task that holds no tasks the view skips looking for the row among the open nodes.
    return Holders_.contains(NodeOf(index)) ? flags : flags | Qt::ItemNeverHasChildren;
}

bool TTaskTreeModel::MayHold(const TTaskNode& node)
{
    return node.ChildCount() > 0 || !node.Data() || node.Data()->HoldsTasks();
}

void TTaskTreeModel::AddHolders(const TTaskNode* node)
{
    const TTaskNode* end = node ? node->SubtreeEnd() : nullptr;
    for (const TTaskNode* n = node ? node : Tree_->GetFirstNode(); n && n != end; n = n->GetNext())
        if (MayHold(*n))
            Holders_.insert(n);
}

void TTaskTreeModel::RemoveHolders(const TTaskNode* node)
{
    for (const TTaskNode* n = node, *end = node->SubtreeEnd(); n != end; n = n->GetNext())
        Holders_.erase(n);
}

QStringList TTaskTreeModel::mimeTypes() const
{
    return {NodeMimeType};
}

QMimeData* TTaskTreeModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    // The dragged node is the tree's selected node; the data only marks the drag as ours.
    auto* data = new QMimeData;
    data->setData(NodeMimeType, DragSignature(this));
    return data;
}

bool TTaskTreeModel::IsOwnDrag(const QMimeData* data) const
{
    return data && data->hasFormat(NodeMimeType) && data->data(NodeMimeType) == DragSignature(this);
}

Qt::DropActions TTaskTreeModel::supportedDragActions() const
{
    return Qt::MoveAction;
}

Qt::DropActions TTaskTreeModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

void TTaskTreeModel::BeginReset()
{
    Changing_ = true;
    beginResetModel();
}

void TTaskTreeModel::EndReset()
{
    Holders_.clear();
    AddHolders(nullptr);
    endResetModel();
    Changing_ = false;
}

void TTaskTreeModel::BeginInsert(TTaskNode* parent, int row)
{
    Changing_ = true;
    // A child may come to a node whose task holds none (an old file's tree).
    if (parent)
        Holders_.insert(parent);
    Inserting_ = parent;
    InsertingRow_ = row;
    beginInsertRows(IndexOf(parent), row, row);
}

void TTaskTreeModel::EndInsert()
{
    AddHolders(Inserting_ ? Inserting_->Child(InsertingRow_) : Tree_->Top(InsertingRow_));
    endInsertRows();
    Changing_ = false;
}

void TTaskTreeModel::BeginRemove(TTaskNode* parent, int row)
{
    Changing_ = true;
    RemoveHolders(parent ? parent->Child(row) : Tree_->Top(row));
    beginRemoveRows(IndexOf(parent), row, row);
}

void TTaskTreeModel::EndRemove()
{
    endRemoveRows();
    Changing_ = false;
}

void TTaskTreeModel::BeginMove(TTaskNode* fromParent, int fromRow, TTaskNode* toParent, int toRow)
{
    Changing_ = true;
    if (toParent)
        Holders_.insert(toParent);
    beginMoveRows(IndexOf(fromParent), fromRow, fromRow, IndexOf(toParent), toRow);
}

void TTaskTreeModel::EndMove()
{
    endMoveRows();
    Changing_ = false;
}

void TTaskTreeModel::TextChanged(TTaskNode* node)
{
    const QModelIndex changed = IndexOf(node);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    // A renamed group renames the jumps to it.
    if (!dynamic_cast<const TGroupTask*>(node->Data()))
        return;
    for (TTaskNode* jump : Tree_->Nodes()) {
        if (dynamic_cast<const TConTask*>(jump->Data())) {
            const QModelIndex index = IndexOf(jump);
            emit dataChanged(index, index, {Qt::DisplayRole});
        }
    }
}

void TTaskTreeModel::SelectionChanged(TTaskNode* node)
{
    emit SelectedNodeChanged(IndexOf(node));
}
