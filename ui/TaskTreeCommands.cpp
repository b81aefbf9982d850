// The task window's commands on its tree: naming, deleting, grouping, moving (keys and drag),
// copying and pasting tasks.

#include "Form_Tasks.h"
#include "ui_Form_Tasks.h"

#include "ChildWindows.h"
#include "WindowPlaces.h"
#include "Dialogs.h"
#include "Form_Actions.h"
#include "Form_CodeTask.h"
#include "Form_Conditions.h"
#include "Form_Editor.h"
#include "Form_Manual.h"
#include "Form_Menus.h"
#include "Form_Message.h"
#include "HistoryActions.h"
#include "platform/TextEncoding.h"
#include "TaskEditor.h"
#include "TaskTreeModel.h"
#include "TaskTreeView.h"

#include "model/ActionTasks.h"
#include "model/BlockTasks.h"
#include "model/CodeTasks.h"
#include "model/ConditionTasks.h"
#include "document/Document.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "check/Problems.h"
#include "model/ScriptWriter.h"

#include "model/Records.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPointer>

#include <optional>

namespace {

// A copied task on the clipboard: its record, and the document it was copied from. Through the
// clipboard a task goes from a project to an NPC of a script file, and to another window or run.
const QString TaskMimeType = QStringLiteral("application/x-npc-editor-task");
const QString FromMimeType = QStringLiteral("application/x-npc-editor-task-document");

struct TCopied {
    std::unique_ptr<TTask> Task;
    QString From;
};

// What the clipboard holds, when it holds a task of ours.
std::optional<TCopied> Copied()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(TaskMimeType))
        return std::nullopt;
    return TCopied{TaskFromRecord(data->data(TaskMimeType).toStdString()), QString::fromUtf8(data->data(FromMimeType))};
}

// Conditions, menus, "Jumpto Group" actions and subroutine calls name groups by their number in
// their own project: in another project the same number is another group, or none.
bool JumpsToGroups(const TTask& task)
{
    switch (task.Kind()) {
    case TTaskKind::Condition:
    case TTaskKind::Menu:
        return true;
    case TTaskKind::Action: {
        const TDAction* action = static_cast<const TActionTask&>(task).Action;
        for (int i = 0; action && i < action->ParamCount(); ++i)
            if (action->ParamKind(i) == PT_Group)
                return true;
        return false;
    }
    case TTaskKind::Call:
        return static_cast<const TCallTask&>(task).CallKind == TCallKind::Subroutine;
    default:
        return false;
    }
}

} // namespace

void TTaskForm::LabelNameExecute()
{
    if (TTask* task = SelectedTask(); task && task->Kind() == TTaskKind::Group)
        OpenCodeEditor(task, TTaskKind::Group);
}

void TTaskForm::DeleteButtonClick()
{
    // The first node ("Start") holds everything else and is never deleted: the user is told so
    // rather than left wondering why nothing happened.
    TTaskNode* selected = Tree().Selected();
    if (selected && selected == Tree().GetFirstNode()) {
        ShowStatusMessage(this, QStringLiteral("Start holds the whole NPC and cannot be deleted; delete the tasks "
                                               "inside it instead."));
        return;
    }
    if (Document_.DeleteNode(selected))
        ShowChangedOutput();
}

void TTaskForm::GroupButtonClick()
{
    AddTaskNode(Document_.Project().NewGroup("New Group"), true);
}

void TTaskForm::EditActionExecute()
{
    if (TTaskNode* node = Tree().Selected())
        StartRename(node);
}

void TTaskForm::MoveUpExecute()
{
    MoveSelectedBy(-1);
}

void TTaskForm::MoveDownExecute()
{
    MoveSelectedBy(+1);
}

// Among its siblings only: a task leaves its group by a drag, where the user sees where it goes.
void TTaskForm::MoveSelectedBy(int step)
{
    TTaskNode* node = Tree().Selected();
    if (!node || node == Tree().GetFirstNode())
        return;
    const int row = node->Row() + step;
    const int count = node->Parent() ? node->Parent()->ChildCount() : Tree().TopCount();
    if (row < 0 || row >= count)
        return;
    // The row is counted before the move: below the next sibling is two rows down.
    if (Document_.MoveNode(node, node->Parent(), step > 0 ? row + 1 : row)) {
        TasksList()->setCurrentIndex(Model_->IndexOf(node));
        ShowChangedOutput();
    }
}

void TTaskForm::CopyExecute()
{
    const TTask* task = SelectedTask();
    if (!task)
        return;
    if (task->HoldsTasks()) {
        ShowStatusMessage(this, QStringLiteral("A %1 is not copied with the tasks inside it: copy those one by one.")
                                    .arg(Document_.Encoding().ToQ(KindName(task->Kind()))));
        return;
    }
    auto* data = new QMimeData;
    data->setData(TaskMimeType, QByteArray::fromStdString(TaskRecord(*task)));
    data->setData(FromMimeType, Document_.Identity().toUtf8());
    QGuiApplication::clipboard()->setMimeData(data);
}

void TTaskForm::PasteExecute()
{
    std::optional<TCopied> copied = Copied();
    if (!copied)
        return;
    if (copied->From != Document_.Identity() && JumpsToGroups(*copied->Task)) {
        ShowStatusMessage(this, QStringLiteral("A %1 jumps to groups of the NPC it was copied from: it is pasted "
                                               "only there.")
                                    .arg(Document_.Encoding().ToQ(KindName(copied->Task->Kind()))));
        return;
    }
    AddTaskNode(std::move(copied->Task), false);
}

void TTaskForm::TasksListEdited(TTaskNode* node, const std::string& text)
{
    // An empty or unchanged text leaves the caption as it was (and not user-named).
    if (Document_.RenameNode(node, text))
        ShowChangedOutput();
}

bool TTaskForm::TasksListDragOver() const
{
    const TTaskNode* dragged = Tree().Selected();
    return dragged && dragged != Tree().GetFirstNode();
}

void TTaskForm::TasksListEndDrag(TTaskNode* dragged, TTaskNode* target)
{
    if (!dragged || !target || dragged == Tree().GetFirstNode())
        return;
    if (MoveDropped(dragged, target))
        ShowChangedOutput();
}

bool TTaskForm::MoveDropped(TTaskNode* dragged, TTaskNode* target)
{
    // The tree refuses a move into the dragged node's own subtree and one that leaves it where
    // it is.
    TTaskNode* parent = nullptr;
    int row = 0;
    if (MayHold(target->Data(), *dragged->Data())) {
        parent = target;
        row = target->ChildCount();
    } else if (dragged->AbsoluteIndex() > target->AbsoluteIndex()) {
        parent = target->Parent();
        row = target->Row();
    } else if (TTaskNode* next = target->GetNext()) {
        parent = next->Parent();
        row = next->Row();
    } else {
        parent = target->Parent();
        row = parent ? parent->ChildCount() : Tree().TopCount();
    }
    const bool moved = Document_.MoveNode(dragged, parent, row);
    if (moved)
        TasksList()->expand(Model_->IndexOf(dragged->Parent()));
    return moved;
}
