// One edit on its whole road through the windows: the task tree window's "&Action" button, the
// action editor, the new node, the regenerated script in the output window and the modified
// state.
#include "EditorTestSupport.h"
#include "DocumentSupport.h"

#include "ui/Form_Actions.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Items.h"
#include "ui/Form_Menus.h"
#include "ui/Form_Tasks.h"
#include "ui/SpinField.h"
#include "ui/TaskTreeView.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextBlock>

#include <algorithm>

using namespace editortest;

namespace {

class EditRoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUpCatalogues();
        Tasks = new TTaskForm(Document());
        ASSERT_EQ(TaskForm, Tasks.data());
    }

    void TearDown() override
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<TTaskEditorForm*>(window) || qobject_cast<TItemForm*>(window))
                delete window;
        delete Tasks.data();
        ProcessDeletions();
    }

    QPushButton* ActionButton() const { return Child<QPushButton>(Tasks, "ActionButton"); }

    // The editor of type T the tree window opened (a window of its own without a frame).
    template <class T>
    T* OpenedEditor() const
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<T*>(window); editor && editor->isVisible())
                return editor;
        return nullptr;
    }

    TActionForm* OpenedActionEditor() const { return OpenedEditor<TActionForm>(); }

    std::vector<std::string> OutputLines() const
    {
        std::vector<std::string> lines;
        if (!EditorForm)
            return lines;
        const QTextDocument* document = EditorForm->Editor()->document();
        for (int i = 0; i < document->blockCount(); ++i)
            lines.push_back(document->findBlockByNumber(i).text().toStdString());
        return lines;
    }

    QPointer<TTaskForm> Tasks;
};

TEST_F(EditRoadTest, GiveItemFromTheActionButtonToTheScript)
{
    ASSERT_FALSE(Project().Modified);
    Click(ActionButton());
    EXPECT_FALSE(ActionButton()->isEnabled());
    TActionForm* editor = OpenedActionEditor();
    ASSERT_NE(editor, nullptr);

    ClickRow(Child<QListWidget>(editor, "ActionsList"), "Give Item");
    Type(Child<TSpinField>(editor, "ItemIDEdit"), "607");
    Type(Child<TSpinField>(editor, "AmountEdit"), "3");
    Click(Child<QPushButton>(editor, "ApplyButton"));
    ProcessDeletions();

    EXPECT_EQ(OpenedActionEditor(), nullptr);
    EXPECT_TRUE(ActionButton()->isEnabled());
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    ASSERT_EQ(start->ChildCount(), 1);
    EXPECT_EQ(start->Child(0)->Text(), "Action: Give Item(607, 3)");
    const QModelIndex startIndex = Tasks->TasksList()->model()->index(0, 0);
    EXPECT_EQ(Tasks->TasksList()->model()->index(0, 0, startIndex).data().toString(),
              "Action: Give Item(607, 3)");

    ASSERT_NE(EditorForm, nullptr);
    const auto lines = OutputLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "\t\tgetitem 607, 3;"), lines.end());
    EXPECT_TRUE(Project().Modified);
    const std::string title = TitleText(Project());
    EXPECT_EQ(title.substr(title.size() - 11), " [Modified]");
}

TEST_F(EditRoadTest, AnItemPickedThroughBrowseReachesTheScript)
{
    Click(ActionButton());
    TActionForm* editor = OpenedActionEditor();
    ASSERT_NE(editor, nullptr);
    ClickRow(Child<QListWidget>(editor, "ActionsList"), "Take Item");
    Click(Child<QPushButton>(editor, "BrowseButton"));
    TItemForm* picker = editor->Picker();
    ASSERT_NE(picker, nullptr);
    auto* view = Child<QTableView>(picker, "ItemView");
    const QModelIndex knife = view->model()->index(1, 0);
    ASSERT_EQ(knife.data().toString(), "Knife [3]");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(knife).center());
    Click(Child<QPushButton>(picker, "ApplyButton"));
    Type(Child<TSpinField>(editor, "AmountEdit"), "1");
    Click(Child<QPushButton>(editor, "ApplyButton"));
    ProcessDeletions();

    EXPECT_EQ(Project().TaskTree.GetFirstNode()->Child(0)->Text(), "Action: Take Item(1201, 1)");
    const auto lines = OutputLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "\t\tdelitem 1201, 1;"), lines.end());
}

TEST_F(EditRoadTest, CancelAddsNothingAndLeavesTheProjectUnmodified)
{
    Click(ActionButton());
    TActionForm* editor = OpenedActionEditor();
    ASSERT_NE(editor, nullptr);
    Click(Child<QPushButton>(editor, "CancelButton"));
    ProcessDeletions();
    EXPECT_TRUE(ActionButton()->isEnabled());
    EXPECT_EQ(Project().TaskTree.GetFirstNode()->ChildCount(), 0);
    EXPECT_FALSE(Project().Modified);
}

TEST_F(EditRoadTest, AMenuGetsItsChoicesAsCaptionAndItsLineInTheScript)
{
    AddGroup("Shop");
    Click(Child<QPushButton>(Tasks, "MenuButton"));
    auto* editor = OpenedEditor<TMenuForm>();
    ASSERT_NE(editor, nullptr);
    Type(Child<QLineEdit>(editor, "MenuEdit"), "Buy");
    PickEntry(Child<QComboBox>(editor, "GroupCombo"), "Shop");
    Click(Child<QPushButton>(editor, "AddButton"));
    Type(Child<QLineEdit>(editor, "MenuEdit"), "Leave");
    PickEntry(Child<QComboBox>(editor, "GroupCombo"), "Start");
    Click(Child<QPushButton>(editor, "AddButton"));
    Click(Child<QPushButton>(editor, "ApplyButton"));
    ProcessDeletions();

    TTaskNode* start = Project().TaskTree.GetFirstNode();
    ASSERT_EQ(start->ChildCount(), 2);
    EXPECT_EQ(start->Child(0)->Text(), "Shop");
    EXPECT_EQ(start->Child(1)->Text(), "Menu: Buy, Leave");
    const auto lines = OutputLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "\t\tmenu \"Buy\", L1, \"Leave\", L0;"), lines.end());
}

} // namespace
