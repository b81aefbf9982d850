// The statement editor as the user types a command: what the server's table says of its
// arguments, the server's findings as they are typed (a warning leaves Apply to the user); a
// call's caption under its group's label; the tree menu's Label Name only on groups.
#include "EditRoadSupport.h"

#include "model/BlockTasks.h"
#include "model/CodeTasks.h"
#include "model/ConditionTasks.h"
#include "ui/TaskTreeModel.h"
#include "ui/TaskTreeView.h"

#include <QLabel>
#include <QLineEdit>

using namespace editortest;

namespace {

struct TTypedCommand {
    const char* Name;
    QString Command;
    QStringList Args;
    QString Pattern;  // what the editor says the command takes
    QString Status;   // the finding shown; empty: none
    bool Applies;
};

class TypedCommandTest : public CodeRoadTest, public ::testing::WithParamInterface<TTypedCommand> {};

TEST_P(TypedCommandTest, ShowsThePatternAndTheFindingAsTyped)
{
    const TTypedCommand& c = GetParam();
    TCodeTaskForm* editor = RunStatementEntry("AddCommandAction");
    ASSERT_NE(editor, nullptr);
    Type(Child<QLineEdit>(editor, "CommandEdit"), c.Command);
    if (!c.Args.isEmpty())
        TypeLines(Child<QPlainTextEdit>(editor, "ArgsEdit"), c.Args);
    EXPECT_EQ(Child<QLabel>(editor, "PatternLabel")->text(), c.Pattern);
    EXPECT_EQ(Child<QLabel>(editor, "CheckStatus")->text(), c.Status);
    // Enter that a one-line field leaves unused applies, as the Apply button does.
    QTest::keyClick(editor, Qt::Key_Return);
    ProcessDeletions();
    EXPECT_EQ(Dialogs_->Errors.empty(), c.Applies) << FirstError();
    EXPECT_EQ(Start()->ChildCount(), c.Applies ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, TypedCommandTest,
    ::testing::Values(
        TTypedCommand{"Fit", "warp", {"\"prontera\"", "150", "180"}, "Takes warp: text, number, number", "", true},
        TTypedCommand{"WrongKindIsAWarning", "warp", {"\"prontera\"", "\"x\"", "180"},
                      "Takes warp: text, number, number",
                      "Warning: argument 2 of 'warp' is a number, not the text \"x\"", true},
        TTypedCommand{"TooFewIsAnError", "warp", {"\"prontera\""}, "Takes warp: text, number, number",
                      "'warp' needs 3 argument(s), 1 given", false},
        TTypedCommand{"UnknownHasNoPattern", "teleportall", {}, "", "unknown command 'teleportall'", false},
        TTypedCommand{"NoArguments", "close", {}, "Takes close: no arguments", "", true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(CodeRoadTest, TheLabelNameEntryIsOfferedOnGroupsOnly)
{
    TGroupTask* group = AddGroup("Shop");
    Project().TaskTree.Select(Start());
    TTask* end = Document().AddTask(std::make_unique<TStatementTask>(TBareStatement::End));
    QAction* entry = nullptr;
    for (QAction* action : Tasks->TasksList()->actions())
        if (action->text() == "&Label Name...")
            entry = action;
    ASSERT_NE(entry, nullptr);
    for (const auto& [node, offered] : {std::pair{group->Node, true}, {end->Node, false}, {Start(), true}}) {
        Project().TaskTree.Select(node);
        EXPECT_EQ(entry->isVisible(), offered) << node->Text();
    }
}

TEST_F(CodeRoadTest, ACallsCaptionNamesItsGroupsLabel)
{
    TGroupTask* shop = AddGroup("Shop");
    shop->LabelName = "L_Shop";
    TCodeTaskForm* editor = RunStatementEntry("AddCallAction");
    ASSERT_NE(editor, nullptr);
    PickEntry(Child<QComboBox>(editor, "CallKindCombo"), 1);
    PickEntry(Child<QComboBox>(editor, "GroupCombo"), "Shop");
    Apply(editor);
    ASSERT_TRUE(Dialogs_->Errors.empty()) << FirstError();
    EXPECT_TRUE(Shows("callsub L_Shop;"));
    const TTaskNode* call = nullptr;
    for (const TTaskNode* node : Project().TaskTree.Nodes())
        if (node->Data() && node->Data()->Kind() == TTaskKind::Call)
            call = node;
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->Text(), "Call subroutine L_Shop()");

    // The label renamed later: the tree names it as the script does.
    std::unique_ptr<TTask> renamed = CopyTask(*shop);
    static_cast<TGroupTask&>(*renamed).LabelName = "L_Market";
    Document().EditTask(shop, *renamed);
    EXPECT_TRUE(Shows("callsub L_Market;"));
    TTaskTreeModel* model = Tasks->TasksList()->TaskModel();
    EXPECT_EQ(model->IndexOf(call).data().toString(), "Call subroutine L_Market()");
}

// The tree says each unnamed branch's place as it is now: after the first branch is deleted the
// next one reads "If", and an undo gives back "Else if".
TEST_F(CodeRoadTest, ABranchCaptionFollowsTheDeletionOfTheBranchBeforeIt)
{
    Project().TaskTree.Select(Start());
    TTask* block = Document().AddTask(std::make_unique<TIfTask>());
    std::vector<TTask*> branches;
    for (const char* condition : {".@a", ".@b"}) {
        auto branch = std::make_unique<TBranchTask>();
        auto check = std::make_unique<TConCheck>();
        check->Kind = ConExpression;
        check->Expression = condition;
        branch->Checks.push_back(std::move(check));
        branch->Caption = branch->SummaryText(Project().Catalogues());
        Project().TaskTree.Select(block->Node);
        branches.push_back(Document().AddTask(std::move(branch)));
    }
    TTaskTreeModel* model = Tasks->TasksList()->TaskModel();
    const auto shown = [&] { return model->IndexOf(branches[1]->Node).data().toString(); };
    EXPECT_EQ(shown(), "Else if .@b");
    Tasks->ShowOutput();
    ASSERT_TRUE(Document().DeleteNode(branches[0]->Node));
    EXPECT_EQ(shown(), "If .@b");
    EXPECT_TRUE(Shows("if (.@b) {"));
    Document().Undo();
    EXPECT_EQ(shown(), "Else if .@b");
}

} // namespace
