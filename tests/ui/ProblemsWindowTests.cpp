// The Problems window on the editor's frame: a jump to a deleted group appears with its task and a
// mark in the tree, and goes when fixed; a double click selects the task and opens manual code at
// its line, errors underlined; Save Output with an error asks before writing.

#include "MainFrameFixture.h"
#include "DocumentSupport.h"

#include "document/Document.h"
#include "model/ActionTasks.h"
#include "model/ManualTasks.h"
#include "ui/Form_Manual.h"
#include "ui/Form_Problems.h"
#include "ui/TaskTreeModel.h"
#include "ui/TaskTreeView.h"

#include <gmock/gmock.h>

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTreeWidget>

namespace frametest {
namespace {

class ProblemsWindowTest : public MainFrameTest {
protected:
    void SetUp() override
    {
        MainFrameTest::SetUp();
        Project().NPCInfo = TNPC{45, 150, 180, 5, 0, "Guide"};
        NPCWindow()->ShowNPC();
    }

    template <class T>
    T* Add(std::unique_ptr<T> task)
    {
        T* raw = task.get();
        Project().TaskTree.Select(Project().TaskTree.GetFirstNode());
        TaskWindow()->AddTaskNode(std::move(task), false);
        return raw;
    }

    TProblemsForm* OpenProblems()
    {
        Run("ViewProblemsItem");
        return MainForm->ProblemsWindow();
    }

    // "message | task" per row.
    static std::vector<std::string> Rows(const TProblemsForm* problems)
    {
        std::vector<std::string> rows;
        for (int i = 0; i < problems->List()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = problems->List()->topLevelItem(i);
            rows.push_back((item->text(1) + " | " + item->text(2)).toStdString());
        }
        return rows;
    }

    // Every column and tooltip of every row, as a window opened now would show them.
    static std::vector<std::string> Cells(const TProblemsForm* problems)
    {
        std::vector<std::string> cells;
        for (int i = 0; i < problems->List()->topLevelItemCount(); ++i)
            for (int column = 0; column < 4; ++column)
                cells.push_back((problems->List()->topLevelItem(i)->text(column) + " / " +
                                 problems->List()->topLevelItem(i)->toolTip(column)).toStdString());
        return cells;
    }

    bool Marked(const TTask* task) const
    {
        const auto* model = static_cast<const TTaskTreeModel*>(TaskWindow()->TasksList()->model());
        return !model->data(model->IndexOf(task->Node), Qt::DecorationRole).isNull();
    }

    // The nodes the tree was told to draw again for their marks since the last call.
    static std::vector<const TTaskNode*> Redrawn(QSignalSpy& spy)
    {
        std::vector<const TTaskNode*> nodes;
        for (const QList<QVariant>& signal : spy)
            if (signal.at(2).value<QList<int>>().contains(Qt::DecorationRole))
                nodes.push_back(TTaskTreeModel::NodeOf(signal.at(0).toModelIndex()));
        spy.clear();
        return nodes;
    }
};

TEST_F(ProblemsWindowTest, DeletedGroupsJumpAppearsMarkedAndClearsAfterUndoOrAFix)
{
    auto* shop = Add(Project().NewGroup("Shop"));
    auto* jump = Add(std::make_unique<TActionTask>("Jump", FindAction("goto")));
    const auto jumpTo = [jump](std::int32_t group) {
        auto content = CopyTask(*jump);
        static_cast<TActionTask&>(*content).SetParam(0, group);
        Document().EditTask(jump, *content);
    };
    jumpTo(shop->GroupNumber);
    TProblemsForm* problems = OpenProblems();
    ASSERT_NE(problems, nullptr);
    EXPECT_EQ(Rows(problems), std::vector<std::string>{});

    Project().TaskTree.Select(shop->Node);
    QSignalSpy marks(TaskWindow()->TasksList()->model(), &QAbstractItemModel::dataChanged);
    TaskWindow()->DeleteButtonClick();
    const std::string path = Project().TaskTree.GetFirstNode()->Text() + " > Jump";
    EXPECT_EQ(Rows(problems), std::vector<std::string>{
                                  "The Jumpto Group jumps to a group that no longer exists: choose another one | " + path});
    EXPECT_TRUE(Marked(jump));
    const std::vector<const TTaskNode*> jumpOnly{jump->Node};  // the one row whose mark came or went
    EXPECT_EQ(Redrawn(marks), jumpOnly);

    Document().Undo();
    EXPECT_EQ(Rows(problems), std::vector<std::string>{}) << "the group is back";
    EXPECT_FALSE(Marked(jump));
    EXPECT_EQ(Redrawn(marks), jumpOnly);
    Document().Redo();
    EXPECT_EQ(Rows(problems).size(), 1u);
    EXPECT_EQ(Redrawn(marks), jumpOnly);

    jumpTo(static_cast<TGroupTask*>(Project().TaskTree.GetFirstNode()->Data())->GroupNumber);
    EXPECT_EQ(Rows(problems), std::vector<std::string>{});
    EXPECT_FALSE(Marked(jump));

    // Rows brought up to date in place (one taken away, the other moved up a row and a line) read
    // as those of a window that checks anew.
    auto* first = Add(std::make_unique<TManualTask>(std::vector<std::string>{"meszq;"}));
    Add(std::make_unique<TManualTask>(std::vector<std::string>{"mes 1;", "mesqq;"}));
    const std::size_t both = Rows(problems).size();
    Document().DeleteNode(first->Node);
    ASSERT_LT(Rows(problems).size(), both);
    ASSERT_FALSE(Rows(problems).empty());
    EXPECT_EQ(Cells(problems), Cells(std::make_unique<TProblemsForm>(Document(), TaskWindow()).get()));
}

TEST_F(ProblemsWindowTest, ShowsTheCheckOfTheTaskWindowInsteadOfCheckingAgain)
{
    auto* code = Add(std::make_unique<TManualTask>(std::vector<std::string>{"meszq;"}));
    TProblemsForm* problems = OpenProblems();
    ASSERT_EQ(Rows(problems).size(), 1u);

    // What the tree's marks were made from is what the window lists, finding for finding.
    TProjectCheck check;
    check.Problems.push_back({script::TSeverity::Warning, "found by the task window", code, 3, 1, 0});
    emit TaskWindow()->Checked(check);
    EXPECT_EQ(Rows(problems), std::vector<std::string>{"found by the task window | " + TaskPath(*code)});
    EXPECT_EQ(problems->List()->topLevelItem(0)->text(3).toStdString(), "3");
    EXPECT_EQ(problems->findChild<QLabel*>()->text().toStdString(), "0 errors, 1 warning");
}

// The window opens where a message reads whole: the message column takes the width the others
// leave, and the whole text is in the row's tooltip however narrow the column gets.
// A task path too long for the window is cut in its middle: the message and the line stay in
// sight, and the whole path is in the tooltip.
TEST_F(ProblemsWindowTest, OpensAtAReadableSizeWithTheMessageStretchedAndInATooltip)
{
    auto* code = Add(std::make_unique<TManualTask>(std::vector<std::string>{"meszq;"}));
    Document().RenameNode(code->Node, std::string(40, 'x') + " the code that talks to the player " + std::string(40, 'y'));
    TProblemsForm* problems = OpenProblems();
    ASSERT_EQ(Rows(problems).size(), 1u);
    EXPECT_GE(problems->width(), 700);
    EXPECT_GE(problems->height(), 240);
    QHeaderView* header = problems->List()->header();
    EXPECT_EQ(header->sectionResizeMode(1), QHeaderView::Stretch);
    const int visible = problems->List()->viewport()->width();
    int others = 0;
    for (const int column : {0, 2, 3})
        others += header->sectionSize(column);
    EXPECT_GE(header->sectionSize(1), visible - others - 1);
    EXPECT_GE(header->sectionSize(1), visible / 3) << "the message keeps room to be read";
    EXPECT_LE(header->sectionViewportPosition(3) + header->sectionSize(3), visible) << "the line is in sight";
    const QTreeWidgetItem* row = problems->List()->topLevelItem(0);
    EXPECT_EQ(row->toolTip(1), row->text(1));
    EXPECT_FALSE(row->toolTip(1).isEmpty());
    EXPECT_EQ(row->toolTip(2), QString::fromStdString(TaskPath(*code)));
}

TEST(ProblemCounts, ReadAsASentence)
{
    const std::pair<int, const char*> cases[] = {{0, "0 errors"}, {1, "1 error"}, {2, "2 errors"}, {11, "11 errors"}};
    for (const auto& [count, text] : cases)
        EXPECT_EQ(Counted(count, QStringLiteral("error")).toStdString(), text);
}

TEST_F(ProblemsWindowTest, DoubleClickSelectsTheTaskAndOpensManualCodeAtTheLine)
{
    auto* code = Add(std::make_unique<TManualTask>(std::vector<std::string>{"mes \"a\";", "meszq;", "close;"}));
    TProblemsForm* problems = OpenProblems();
    ASSERT_EQ(problems->List()->topLevelItemCount(), 1);
    Project().TaskTree.Select(Project().TaskTree.GetFirstNode());

    QTreeWidget* list = problems->List();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    QCoreApplication::processEvents();
    const QRect row = list->visualItemRect(list->topLevelItem(0));
    ASSERT_FALSE(row.isEmpty());
    // The first click makes the window the active one, as a user's would.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());

    EXPECT_EQ(Project().TaskTree.Selected(), code->Node);
    const auto editors = MainForm->findChildren<TManualForm*>();
    ASSERT_EQ(editors.size(), 1);
    auto* edit = editors[0]->findChild<QPlainTextEdit*>(QStringLiteral("CodeEdit"));
    EXPECT_EQ(edit->textCursor().blockNumber(), 1);
    const auto marks = edit->extraSelections();
    ASSERT_EQ(marks.size(), 1);
    EXPECT_EQ(marks[0].cursor.block().blockNumber(), 1);
    EXPECT_EQ(marks[0].format.underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_THAT(editors[0]->findChild<QLabel*>(QStringLiteral("CheckStatus"))->text().toStdString(),
                ::testing::HasSubstr("unknown command 'meszq'"));

    // Typing the fix clears the mark once the editor has checked again.
    QTextCursor caret = edit->textCursor();
    caret.select(QTextCursor::BlockUnderCursor);
    caret.insertText(QStringLiteral("\nmes \"Hi\";"));
    editors[0]->CheckNow();
    EXPECT_TRUE(edit->extraSelections().isEmpty());
}

TEST_F(ProblemsWindowTest, SaveOutputWithAnErrorAsksAndWritesOnlyOnYes)
{
    Add(std::make_unique<TManualTask>(std::vector<std::string>{"mes \"a\";", "meszq;", "close;"}));
    Dialogs->SaveNames.push_back(QPathOf("shop.NPC"));
    Run("FileSaveAsItem");
    Dialogs->Answers.push_back(TAnswer::No);
    Run("FileSaveOutputItem");
    ASSERT_EQ(Dialogs->Questions.size(), 1u);
    EXPECT_EQ(Dialogs->Questions[0].Text.toStdString(),
              "The server will refuse this script: 1 error (first: unknown command 'meszq'). Save anyway?");
    EXPECT_FALSE(std::filesystem::exists(PathOf("shop.txt")));
    Dialogs->Answers.push_back(TAnswer::Yes);
    Run("FileSaveOutputItem");
    EXPECT_TRUE(std::filesystem::exists(PathOf("shop.txt")));
}

} // namespace
} // namespace frametest
