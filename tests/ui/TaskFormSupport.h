#pragma once
// The task tree window's tests share this: the window made for each test, its controls, the
// user's clicks, keys and drags on them, and the tree's shape as text.

#include "ModelFixture.h"
#include "DocumentSupport.h"
#include "TaskWindowSupport.h"

#include "model/MessageTasks.h"
#include "ui/TaskTreeModel.h"
#include "ui/TaskTreeView.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

#include <memory>
#include <string>
#include <vector>

namespace tasktest {

class TaskFormTest : public TaskWindowTest {
protected:
    TTaskTreeView* View() const { return Form->TasksList(); }
    TTaskTreeModel* Model() const { return View()->TaskModel(); }
    static TTaskNode* Start() { return Project().TaskTree.GetFirstNode(); }

    QPushButton* Button(const char* name) const
    {
        auto* button = Form->findChild<QPushButton*>(QString::fromLatin1(name));
        EXPECT_NE(button, nullptr) << name;
        return button;
    }

    void Click(const char* name) const { QTest::mouseClick(Button(name), Qt::LeftButton); }

    QPoint PointOf(const TTaskNode* node) const
    {
        View()->expandAll();
        return View()->visualRect(Model()->IndexOf(node)).center();
    }

    // The user's click on a node's row.
    void ClickNode(const TTaskNode* node) const
    {
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, PointOf(node));
    }

    // Registers a task under parent, as loading a project would.
    template <class T>
    T* Add(TTaskNode* parent, std::unique_ptr<T> task)
    {
        return Project().AttachTask(parent, std::move(task));
    }

    TTaskNode* AddGroup(TTaskNode* parent, const std::string& caption)
    {
        return Add(parent, Project().NewGroup(caption))->Node;
    }

    TTaskNode* AddMessage(TTaskNode* parent, const std::string& caption)
    {
        auto message = std::make_unique<TMessageTask>(std::vector<std::string>{caption});
        message->Caption = caption;
        return Add(parent, std::move(message))->Node;
    }

    // The in-place editor that the tree has open.
    QLineEdit* RenameEditor() const { return View()->viewport()->findChild<QLineEdit*>(); }

    void TypeRename(const QString& text) const
    {
        QLineEdit* editor = RenameEditor();
        ASSERT_NE(editor, nullptr) << "no in-place edit is open";
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The item view commits a confirmed edit from the event loop.
        QCoreApplication::processEvents();
        ProcessDeletions();
    }

    // One drag of a node by the mouse, onto a point of the tree: the press selects the node, then
    // the view gets the enter, move and drop events a real drag delivers. Returns whether the
    // view accepted the move over the point.
    bool Drag(const TTaskNode* dragged, QPoint onto) const
    {
        ClickNode(dragged);
        std::unique_ptr<QMimeData> data(Model()->mimeData({Model()->IndexOf(dragged)}));
        QDragEnterEvent enter(onto, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(View()->viewport(), &enter);
        QDragMoveEvent move(onto, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(View()->viewport(), &move);
        const bool accepted = move.isAccepted();
        QDropEvent drop(QPointF(onto), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(View()->viewport(), &drop);
        return accepted;
    }

    bool Drag(const TTaskNode* dragged, const TTaskNode* target) const { return Drag(dragged, PointOf(target)); }


    static std::vector<std::string> CurrentScript()
    {
        std::vector<std::string> lines;
        GenerateScript(Project(), lines);
        return lines;
    }

    // The output window shows the script of the tree as it is now.
    void ExpectOutputCurrent() const
    {
        ASSERT_NE(OutputWindow(), nullptr);
        EXPECT_EQ(OutputWindow()->ScriptLines(), CurrentScript());
    }
};

} // namespace tasktest
