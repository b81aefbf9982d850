// The Edit menu's Undo and Redo as a user meets them: the keys on the task tree, the entries'
// names, the status bar's word on a delete, the title's [Modified], the tree's open groups, and
// an editor whose task an undo changes.

#include "MainFrameFixture.h"
#include "DocumentSupport.h"

#include "document/Document.h"
#include "model/MessageTasks.h"
#include "model/Records.h"
#include "ui/Form_Message.h"
#include "ui/TaskTreeModel.h"
#include "ui/TaskTreeView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>

namespace frametest {
namespace {

class EditHistoryTest : public MainFrameTest {
protected:
    TTaskTreeView* Tree() const { return TaskWindow()->TasksList(); }
    QModelIndex IndexOf(const TTaskNode* node) const { return Tree()->TaskModel()->IndexOf(node); }

    // "Shop" under Start with two messages in it; Shop is selected.
    TTaskNode* BuildShop()
    {
        ChangeTree("Shop");
        TTaskNode* start = Project().TaskTree.GetFirstNode();
        TTaskNode* shop = start->Child(start->ChildCount() - 1);
        for (const char* line : {"Welcome", "Bye"}) {
            Project().TaskTree.Select(shop);
            auto message = std::make_unique<TMessageTask>();
            message->Lines = {line};
            Document().AddTask(std::move(message));
        }
        Project().TaskTree.Select(shop);
        return shop;
    }

    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        Tree()->setFocus();
        QTest::keyClick(Tree(), static_cast<Qt::Key>(key), modifiers);
    }

    std::string Shown() const { return SaveProjectBytes(Project()); }
};

TEST_F(EditHistoryTest, DeleteOnStartSaysWhyNothingHappens)
{
    BuildShop();
    const std::string before = Shown();
    Project().TaskTree.Select(Project().TaskTree.GetFirstNode());
    Press(Qt::Key_Delete);
    EXPECT_EQ(Shown(), before);
    EXPECT_FALSE(Command("EditUndoItem")->text().contains(QStringLiteral("Delete")));
    EXPECT_EQ(Frame->statusBar()->currentMessage(),
              QStringLiteral("Start holds the whole NPC and cannot be deleted; delete the tasks inside it instead."));
}

TEST_F(EditHistoryTest, TheStatusBarNamesTheServerThroughEveryChangeOfIt)
{
    const auto shown = [this] { return Child<QLabel>(Frame, "ServerLabel")->text(); };
    EXPECT_EQ(shown(), QStringLiteral("Server: eAthena"));
    EXPECT_TRUE(Command("Target_eathena")->isChecked());
    Command("Target_rathena")->trigger();
    EXPECT_EQ(shown(), QStringLiteral("Server: rAthena"));
    EXPECT_EQ(Project().HeaderInfo.Compatible, RulesOf(TServerTarget::RAthena).DefaultCompatible);
    EXPECT_EQ(Command("EditUndoItem")->text(), QStringLiteral("&Undo Edit header"));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shown(), QStringLiteral("Server: eAthena"));
    EXPECT_TRUE(Command("Target_eathena")->isChecked());
    EXPECT_FALSE(Command("Target_rathena")->isChecked());
}

TEST_F(EditHistoryTest, DeleteUndoAndRedoWalkThroughTheKeysTheMenuAndTheStatusBar)
{
    QAction* undo = Command("EditUndoItem");
    QAction* redo = Command("EditRedoItem");
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    const std::string empty = Shown();

    BuildShop();
    const std::string withShop = Shown();
    Press(Qt::Key_Delete);
    EXPECT_EQ(Frame->statusBar()->currentMessage().toStdString(),
              "Deleted group Shop and 2 tasks below it: Ctrl+Z restores them");
    EXPECT_EQ(undo->text().toStdString(), "&Undo Delete group Shop");
    EXPECT_FALSE(redo->isEnabled());

    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Shown(), withShop);
    EXPECT_TRUE(Frame->statusBar()->currentMessage().isEmpty()) << "\"Ctrl+Z restores them\" is done";
    EXPECT_EQ(Project().TaskTree.Selected()->Text(), "Shop");
    EXPECT_EQ(redo->text().toStdString(), "&Redo Delete group Shop");
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Project().TaskTree.Selected()->Text(), "Start");
    Press(Qt::Key_Z, Qt::ControlModifier);
    Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Project().TaskTree.Selected()->Text(), "Start");
    EXPECT_NE(Title().find("[Modified]"), std::string::npos);

    // Back to the start through the menu entry: the new project was never modified.
    while (undo->isEnabled())
        undo->trigger();
    EXPECT_EQ(Shown(), empty);
    EXPECT_EQ(Title(), NoFileTitle);
    EXPECT_TRUE(redo->isEnabled());
}

TEST_F(EditHistoryTest, TheTreeMenuOffersTheSameStepsAndAnUndoneDeleteComesBackClosed)
{
    TTaskNode* shop = BuildShop();
    Tree()->collapse(IndexOf(shop));
    EXPECT_FALSE(shop->Expanded());
    Document().DeleteNode(shop);
    QStringList entries;
    for (QAction* action : Tree()->actions())
        entries << action->text();
    EXPECT_TRUE(entries.contains(QStringLiteral("&Undo Delete group Shop\tCtrl+Z"))) << entries.join(u'|').toStdString();

    Document().Undo();
    const TTaskNode* back = Project().TaskTree.Selected();
    EXPECT_EQ(back->ChildCount(), 2);
    EXPECT_FALSE(Tree()->isExpanded(IndexOf(back)));
    EXPECT_TRUE(Tree()->isExpanded(IndexOf(Project().TaskTree.GetFirstNode())));
}

// The view asks the model which rows may hold tasks without looking at the nodes; a row it
// wrongly takes for a leaf never shows its children.
TEST_F(EditHistoryTest, TheChildrenOfAGroupShowThroughEveryChangeOfTheTree)
{
    const auto shows = [this](const TTaskNode* group) {
        Tree()->doItemsLayout();
        return group && group->ChildCount() == 2 && Tree()->visualRect(IndexOf(group->Child(1))).isValid();
    };
    TTaskNode* shop = BuildShop();
    EXPECT_TRUE(shows(shop)) << "a new group's first tasks";
    Document().MoveNode(shop, shop->Parent(), 0);
    EXPECT_TRUE(shows(shop)) << "moved";
    Document().DeleteNode(shop);
    Document().Undo();
    EXPECT_TRUE(shows(Project().TaskTree.Selected())) << "an undone delete";
    const std::string bytes = Shown();
    Document().LoadProjectBytes("shop.npc", bytes);
    const TTaskNode* start = Project().TaskTree.GetFirstNode();
    EXPECT_TRUE(shows(start->Child(0))) << "a project loaded";
}

TEST_F(EditHistoryTest, AnEditorWhoseTaskAnUndoChangesEndsWithoutWritingItBack)
{
    BuildShop();
    TTaskNode* welcome = Project().TaskTree.Selected()->Child(0);
    auto edited = CopyTask(*welcome->Data());
    static_cast<TMessageTask&>(*edited).Lines = {"Welcome, traveller"};
    Document().EditTask(welcome->Data(), *edited);
    TaskWindow()->OpenMessageEditor(static_cast<TMessageTask*>(welcome->Data()));
    QPointer<TMessageForm> editor = Frame->findChild<TMessageForm*>();
    ASSERT_TRUE(editor);

    Document().Undo();
    ProcessDeletions();
    EXPECT_FALSE(editor);
    EXPECT_EQ(static_cast<TMessageTask*>(welcome->Data())->Lines, std::vector<std::string>{"Welcome"});
}

// The NPC window's edits are named by the field changed, in the Edit menu as in the history.
TEST_F(EditHistoryTest, AnNPCEditNamesItsField)
{
    auto* name = Child<QLineEdit>(NPCWindow(), "NameEdit");
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Guide"));
    EXPECT_EQ(Command("EditUndoItem")->text().toStdString(), "&Undo Edit NPC name");
    auto* direction = Child<QComboBox>(NPCWindow(), "DirCombo");
    direction->setCurrentIndex(4);
    emit direction->activated(4);
    EXPECT_EQ(Command("EditUndoItem")->text().toStdString(), "&Undo Edit NPC direction") << "a new step";
    Document().Undo();
    EXPECT_EQ(Command("EditUndoItem")->text().toStdString(), "&Undo Edit NPC name") << "typing is one step";
    EXPECT_EQ(Command("EditRedoItem")->text().toStdString(), "&Redo Edit NPC direction");
}

}  // namespace
}  // namespace frametest
