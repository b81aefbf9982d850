#include "Form_Problems.h"

#include "ChildWindows.h"
#include "WindowPlaces.h"
#include "Dialogs.h"
#include "Form_Tasks.h"
#include "platform/TextEncoding.h"

#include "document/Document.h"
#include "model/ManualTasks.h"

#include <algorithm>

#include <QHeaderView>
#include <QResizeEvent>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum TColumn { SeverityColumn, MessageColumn, TaskColumn, LineColumn, ColumnCount };

// Wide enough for a typical message beside the task's path, tall enough for a handful of rows.
constexpr int ClientWidth = 760;
constexpr int ClientHeight = 260;

} // namespace

QString Counted(int count, const QString& noun)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(noun, count == 1 ? QString() : QStringLiteral("s"));
}

TProblemsForm::TProblemsForm(TProjectDocument& document, TTaskForm* tasks, QWidget* parent)
    : QWidget(parent), Document_(document), Tasks_(tasks)
{
    setObjectName(QStringLiteral("ProblemsForm"));
    setWindowTitle(QStringLiteral("Problems"));
    auto* layout = new QVBoxLayout(this);
    List_ = new QTreeWidget(this);
    List_->setColumnCount(ColumnCount);
    List_->setHeaderLabels({QStringLiteral("Kind"), QStringLiteral("Message"), QStringLiteral("Task"),
                            QStringLiteral("Line")});
    List_->setRootIsDecorated(false);
    List_->setUniformRowHeights(true);
    List_->header()->setStretchLastSection(false);
    // The message takes the room the other columns leave; they fit their contents, but for a
    // long task path.
    for (const int column : {SeverityColumn, LineColumn})
        List_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    List_->header()->setSectionResizeMode(TaskColumn, QHeaderView::Interactive);
    List_->header()->setSectionResizeMode(MessageColumn, QHeaderView::Stretch);
    List_->setTextElideMode(Qt::ElideMiddle);
    Summary_ = new QLabel(this);
    layout->addWidget(List_);
    layout->addWidget(Summary_);
    connect(List_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        Guarded(this, [&] { Activate(List_->indexOfTopLevelItem(item)); });
    });
    resize(ClientWidth, ClientHeight);
    Refresh();
}

void TProblemsForm::Place(QObject* owner)
{
    ShowChildWindow(this, owner);
    SetClientSize(this, ClientWidth, ClientHeight);
    RememberPlace(this);
}

void TProblemsForm::Refresh()
{
    Guarded(this, [this] { Show(CheckProject(Document_.Project())); });
}

void TProblemsForm::ShowCheck(const TProjectCheck& check)
{
    Guarded(this, [&] { Show(check); });
}

void TProblemsForm::Show(const TProjectCheck& check)
{
    // After a small change most findings are those of before, moved down or up a line or two: the
    // rows already there take the new texts (an unchanged text is left as it is), and only the
    // difference in their number is added or taken away.
    const QIcon errorIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const int count = static_cast<int>(check.Problems.size());
    const bool countChanged = count != List_->topLevelItemCount();
    while (List_->topLevelItemCount() > count)
        delete List_->takeTopLevelItem(List_->topLevelItemCount() - 1);
    QList<QTreeWidgetItem*> added;
    bool pathsChanged = false;
    Entries_.clear();
    for (int row = 0; row < count; ++row) {
        const TProblem& problem = check.Problems[static_cast<std::size_t>(row)];
        const bool error = problem.Severity == script::TSeverity::Error;
        QTreeWidgetItem* item = row < List_->topLevelItemCount() ? List_->topLevelItem(row) : nullptr;
        if (!item)
            added << (item = new QTreeWidgetItem);
        const QString severity = error ? QStringLiteral("Error") : QStringLiteral("Warning");
        if (item->text(SeverityColumn) != severity) {
            item->setIcon(SeverityColumn, error ? errorIcon : warningIcon);
            item->setText(SeverityColumn, severity);
        }
        const QString message = Document_.Encoding().ToQ(problem.Message);
        if (item->text(MessageColumn) != message) {
            item->setText(MessageColumn, message);
            // A narrow column cuts the message; the tooltip always holds all of it.
            item->setToolTip(MessageColumn, message);
        }
        const QString path = problem.Task ? Document_.Encoding().ToQ(TaskPath(*problem.Task)) : QStringLiteral("NPC");
        if (item->text(TaskColumn) != path) {
            item->setText(TaskColumn, path);
            item->setToolTip(TaskColumn, path);
            pathsChanged = true;
        }
        const QString line = problem.ScriptLine > 0 ? QString::number(problem.ScriptLine) : QString();
        if (item->text(LineColumn) != line)
            item->setText(LineColumn, line);
        Entries_.push_back({TTaskGuard<const TTask>(problem.Task), problem.TaskLine});
    }
    List_->addTopLevelItems(added);
    // As a list filled anew: nothing selected, scrolled to the top.
    List_->setCurrentIndex(QModelIndex());
    List_->clearSelection();
    List_->scrollToTop();
    if (pathsChanged || countChanged)
        FitTaskColumn();
    // Rows an undo took away go from the screen now, not at the next click.
    List_->viewport()->update();
    Summary_->setText(Counted(check.ErrorCount(), QStringLiteral("error")) + QStringLiteral(", ") +
                      Counted(check.WarningCount(), QStringLiteral("warning")));
}

void TProblemsForm::FitTaskColumn()
{
    List_->resizeColumnToContents(TaskColumn);
    QHeaderView* header = List_->header();
    header->resizeSection(TaskColumn, std::min(header->sectionSize(TaskColumn), List_->viewport()->width() / 3));
}

void TProblemsForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FitTaskColumn();
}

void TProblemsForm::Activate(int row)
{
    TTaskForm* tasks = Tasks_;
    if (row < 0 || row >= static_cast<int>(Entries_.size()) || !tasks)
        return;
    const TEntry& entry = Entries_[static_cast<std::size_t>(row)];
    const TTask* task = entry.Task.get();
    if (!task || !task->Node)
        return;
    Document_.Project().TaskTree.Select(task->Node);
    BringToFront(tasks);
    if (task->Kind() == TTaskKind::Manual)
        tasks->OpenManualEditorAt(static_cast<TManualTask*>(task->Node->Data()), std::max(entry.TaskLine, 0));
}
