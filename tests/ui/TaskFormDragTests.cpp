// Dragging nodes in the task tree window: every placement rule through the view's own drop
// events, the refused drags, and the drop target shown while the drag moves.

#include "TaskFormSupport.h"
#include "DocumentSupport.h"

#include <map>

using namespace tasktest;

namespace {

// Start: A, G (a group with B and C), D.
class DragTest : public TaskFormTest {
protected:
    void SetUp() override
    {
        TaskFormTest::SetUp();
        Nodes["A"] = AddMessage(Start(), "A");
        Nodes["G"] = AddGroup(Start(), "G");
        Nodes["B"] = AddMessage(Nodes["G"], "B");
        Nodes["C"] = AddMessage(Nodes["G"], "C");
        Nodes["D"] = AddMessage(Start(), "D");
        Nodes["Start"] = Start();
        ASSERT_EQ(TreeShape(Start()), "Start(A,G(B,C),D)");
    }

    std::map<std::string, TTaskNode*> Nodes;
};

struct TDragCase {
    const char* Dragged;
    const char* Target;
    const char* Expected;
};

void PrintTo(const TDragCase& drag, std::ostream* out)
{
    *out << drag.Dragged << " onto " << drag.Target;
}

class DragTable : public DragTest, public ::testing::WithParamInterface<TDragCase> {};

TEST_P(DragTable, DropsPlaceTheNodeByTheRules)
{
    const TDragCase& drag = GetParam();
    const std::vector<TTask*> tasks = [] {
        std::vector<TTask*> all;
        for (int i = 0; i < Project().TaskList.TaskCount(); ++i)
            all.push_back(Project().TaskList.TaskAt(i));
        return all;
    }();
    Document().SetModified(false);

    const std::string before = TreeShape(Start());
    EXPECT_TRUE(Drag(Nodes[drag.Dragged], Nodes[drag.Target]));
    EXPECT_EQ(TreeShape(Start()), drag.Expected);
    // Only a drop that moved something is a change.
    const bool moved = before != drag.Expected;
    EXPECT_EQ(Project().Modified, moved);
    if (moved)
        ASSERT_NO_FATAL_FAILURE(ExpectOutputCurrent());
    // Moves keep every node, so every task still has its node, and Project().TaskList as it was.
    ASSERT_EQ(Project().TaskList.TaskCount(), static_cast<int>(tasks.size()));
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        EXPECT_EQ(Project().TaskList.TaskAt(static_cast<int>(i)), tasks[i]);
        EXPECT_EQ(tasks[i]->Node->Data(), tasks[i]);
    }
    EXPECT_EQ(Project().TaskTree.Selected(), Nodes[drag.Dragged]);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DragTable,
    ::testing::Values(TDragCase{"D", "A", "Start(D,A,G(B,C))"}, TDragCase{"A", "C", "Start(G(B,C),A,D)"},
                      TDragCase{"A", "B", "Start(G(B,A,C),D)"}, TDragCase{"A", "G", "Start(G(B,C,A),D)"},
                      TDragCase{"D", "D", "Start(A,G(B,C),D)"}, TDragCase{"C", "C", "Start(A,G(B),C,D)"},
                      TDragCase{"G", "B", "Start(A,G(B,C),D)"}, TDragCase{"G", "C", "Start(A,G(B,C),D)"},
                      TDragCase{"G", "G", "Start(A,G(B,C),D)"}, TDragCase{"B", "Start", "Start(A,G(C),D,B)"},
                      TDragCase{"D", "G", "Start(A,G(B,C,D))"}),
    [](const ::testing::TestParamInfo<TDragCase>& info) {
        return std::string(info.param.Dragged) + "Onto" + info.param.Target;
    });

TEST_F(DragTest, StartCannotBeDragged)
{
    Document().SetModified(false);
    EXPECT_FALSE(Drag(Start(), Nodes["A"]));
    EXPECT_EQ(TreeShape(Start()), "Start(A,G(B,C),D)");
    EXPECT_FALSE(Project().Modified);
}

TEST_F(DragTest, ADropOnNoNodeChangesNothing)
{
    Document().SetModified(false);
    const QPoint belowEveryRow(5, View()->viewport()->height() - 2);
    ASSERT_FALSE(View()->indexAt(belowEveryRow).isValid());
    Drag(Nodes["A"], belowEveryRow);
    EXPECT_EQ(TreeShape(Start()), "Start(A,G(B,C),D)");
    EXPECT_FALSE(Project().Modified);
}

TEST_F(DragTest, TheDropTargetIsHighlightedOnlyWhileTheDragMovesOverIt)
{
    ClickNode(Nodes["A"]);
    std::unique_ptr<QMimeData> data(Model()->mimeData({Model()->IndexOf(Nodes["A"])}));
    const QPoint overC = PointOf(Nodes["C"]);
    QDragEnterEvent enter(overC, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(View()->viewport(), &enter);
    EXPECT_EQ(View()->DropTarget(), nullptr);
    QDragMoveEvent move(overC, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(View()->viewport(), &move);
    EXPECT_EQ(View()->DropTarget(), Nodes["C"]);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(View()->viewport(), &leave);
    EXPECT_EQ(View()->DropTarget(), nullptr);
    EXPECT_EQ(TreeShape(Start()), "Start(A,G(B,C),D)");
}

TEST_F(DragTest, ADragFromElsewhereIsNotTaken)
{
    ClickNode(Nodes["A"]);
    QMimeData text;
    text.setText("A");
    text.setData(TTaskTreeModel::NodeMimeType, "another program");
    const QPoint overC = PointOf(Nodes["C"]);
    QDragMoveEvent move(overC, Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(View()->viewport(), &move);
    EXPECT_FALSE(move.isAccepted());
    QDropEvent drop(QPointF(overC), Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(View()->viewport(), &drop);
    EXPECT_EQ(TreeShape(Start()), "Start(A,G(B,C),D)");
}

} // namespace
