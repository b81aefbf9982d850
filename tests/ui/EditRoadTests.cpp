// One edit on its whole road through the windows: the task tree window's "&Action" button, the
// action editor, the new node, the regenerated script in the output window and the modified
// state. The statement kinds go the same road from the Statement button's menu, on to Edit, undo and
// redo; so do a message's speaker, a condition's free expression and a group's label name.
#include "EditRoadSupport.h"

#include "ui/Form_Actions.h"
#include "ui/Form_CodeTask.h"
#include "ui/Form_Conditions.h"
#include "ui/Form_Message.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Items.h"
#include "ui/Form_Menus.h"
#include "ui/Form_Tasks.h"
#include "ui/SpinField.h"
#include "ui/TaskTreeView.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextBlock>

#include <algorithm>
#include <functional>

using namespace editortest;

namespace {

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

    ASSERT_NE(OutputWindow(), nullptr);
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

// ---- The statement kinds, the speaker, the expression and the label ----------------------------


struct TCodeRoad {
    const char* Name;
    const char* Entry;  // the Statement menu's entry
    std::function<void(QWidget* editor)> Fill;
    std::string Caption;
    std::string Line;
    std::function<void(QWidget* editor)> Change;  // in the editor opened by Edit
    std::string ChangedCaption;
    std::string ChangedLine;
};

void PrintTo(const TCodeRoad& road, std::ostream* out)
{
    *out << road.Name;
}

class CodeRoadTable : public CodeRoadTest, public ::testing::WithParamInterface<TCodeRoad> {};

TEST_P(CodeRoadTable, AddEditUndoAndRedoReachTheTreeAndTheScript)
{
    const TCodeRoad& road = GetParam();
    TCodeTaskForm* editor = RunStatementEntry(road.Entry);
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(Child<QPushButton>(Tasks, "StatementButton")->isEnabled());
    road.Fill(editor);
    Apply(editor);
    ASSERT_EQ(OpenedEditor<TCodeTaskForm>(), nullptr) << FirstError();
    ASSERT_EQ(Start()->ChildCount(), 1);
    EXPECT_EQ(Start()->Child(0)->Text(), road.Caption);
    EXPECT_TRUE(Shows(road.Line)) << road.Line;
    EXPECT_TRUE(Project().Modified);

    Document().Undo();
    EXPECT_EQ(Start()->ChildCount(), 0);
    EXPECT_FALSE(Shows(road.Line));
    Document().Redo();
    ASSERT_EQ(Start()->ChildCount(), 1);
    EXPECT_TRUE(Shows(road.Line));

    editor = EditNode<TCodeTaskForm>(Start()->Child(0));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->EditMode());
    road.Change(editor);
    Apply(editor);
    EXPECT_TRUE(Dialogs_->Errors.empty()) << FirstError();
    EXPECT_EQ(Start()->Child(0)->Text(), road.ChangedCaption);
    EXPECT_TRUE(Shows(road.ChangedLine)) << road.ChangedLine;
    EXPECT_FALSE(Shows(road.Line));

    Document().Undo();
    EXPECT_EQ(Start()->Child(0)->Text(), road.Caption);
    EXPECT_TRUE(Shows(road.Line));
    Document().Redo();
    EXPECT_EQ(Start()->Child(0)->Text(), road.ChangedCaption);
    EXPECT_TRUE(Shows(road.ChangedLine));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CodeRoadTable,
    ::testing::Values(
        TCodeRoad{"Command", "AddCommandAction",
                  [](QWidget* e) {
                      Type(Child<QLineEdit>(e, "CommandEdit"), "cutin");
                      TypeLines(Child<QPlainTextEdit>(e, "ArgsEdit"), {"\"kafra_01\"", "2"});
                  },
                  "Command: cutin \"kafra_01\", 2", "cutin \"kafra_01\", 2;",
                  [](QWidget* e) { TypeLines(Child<QPlainTextEdit>(e, "ArgsEdit"), {"\"\"", "255"}); },
                  "Command: cutin \"\", 255", "cutin \"\", 255;"},
        TCodeRoad{"Set", "AddSetAction",
                  [](QWidget* e) {
                      PickEntry(Child<QComboBox>(e, "ScopeCombo"), "Local (.@)");
                      Type(Child<QLineEdit>(e, "NameEdit"), "count");
                      Type(Child<QLineEdit>(e, "ValueEdit"), "5");
                  },
                  "Set .@count = 5", "set .@count, 5;",
                  [](QWidget* e) {
                      EXPECT_EQ(Child<QLineEdit>(e, "NameEdit")->text(), "count");
                      Type(Child<QLineEdit>(e, "NameEdit"), "$@total");
                      Type(Child<QLineEdit>(e, "ValueEdit"), ".@count + 1");
                  },
                  "Set $@total = .@count + 1", "set $@total, .@count + 1;"},
        TCodeRoad{"Call", "AddCallAction",
                  [](QWidget* e) {
                      Type(Child<QLineEdit>(e, "FunctionEdit"), "F_Heal");
                      TypeLines(Child<QPlainTextEdit>(e, "ArgsEdit"), {"1"});
                  },
                  "Call function F_Heal(1)", "callfunc \"F_Heal\", 1;",
                  [](QWidget* e) { Type(Child<QLineEdit>(e, "FunctionEdit"), "F_Warp"); },
                  "Call function F_Warp(1)", "callfunc \"F_Warp\", 1;"},
        TCodeRoad{"Statement", "AddStatementAction",
                  [](QWidget* e) { PickEntry(Child<QComboBox>(e, "StatementCombo"), "end"); }, "End", "end;",
                  [](QWidget* e) { PickEntry(Child<QComboBox>(e, "StatementCombo"), "return"); }, "Return",
                  "return;"},
        TCodeRoad{"Loop", "AddLoopAction",
                  [](QWidget* e) { Type(Child<QLineEdit>(e, "ConditionEdit"), ".@i < 3"); }, "While .@i < 3",
                  "while (.@i < 3) {",
                  [](QWidget* e) {
                      PickEntry(Child<QComboBox>(e, "LoopKindCombo"), "for");
                      Type(Child<QLineEdit>(e, "InitEdit"), "set .@i, 0");
                      Type(Child<QLineEdit>(e, "StepEdit"), "set .@i, .@i + 1");
                  },
                  "For set .@i, 0; .@i < 3; set .@i, .@i + 1", "for (set .@i, 0; .@i < 3; set .@i, .@i + 1) {"},
        TCodeRoad{"Switch", "AddSwitchAction",
                  [](QWidget* e) { Type(Child<QLineEdit>(e, "ValueEdit"), ".@choice"); }, "Switch on .@choice",
                  "switch (.@choice) {",
                  [](QWidget* e) { Type(Child<QLineEdit>(e, "ValueEdit"), "select(\"A:B\")"); },
                  "Switch on select(\"A:B\")", "switch (select(\"A:B\")) {"}),
    [](const ::testing::TestParamInfo<TCodeRoad>& info) { return std::string(info.param.Name); });

TEST_F(CodeRoadTest, WhatTheReaderCannotReadOrTheServerDoesNotKnowKeepsTheEditorOpen)
{
    TCodeTaskForm* editor = RunStatementEntry("AddCommandAction");
    ASSERT_NE(editor, nullptr);
    Type(Child<QLineEdit>(editor, "CommandEdit"), "nosuchcommand");
    Apply(editor);
    ASSERT_EQ(Dialogs_->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs_->Errors[0].contains("unknown command 'nosuchcommand'")) << Dialogs_->Errors[0].toStdString();
    Type(Child<QLineEdit>(editor, "CommandEdit"), "cutin");
    TypeLines(Child<QPlainTextEdit>(editor, "ArgsEdit"), {"\"a\""});
    Apply(editor);
    ASSERT_EQ(Dialogs_->Errors.size(), 2u);
    EXPECT_TRUE(Dialogs_->Errors[1].contains("'cutin' needs 2 argument(s), 1 given")) << Dialogs_->Errors[1].toStdString();
    ASSERT_EQ(OpenedEditor<TCodeTaskForm>(), editor);
    Click(Child<QPushButton>(editor, "CancelButton"));
    ProcessDeletions();

    editor = RunStatementEntry("AddSetAction");
    ASSERT_NE(editor, nullptr);
    Type(Child<QLineEdit>(editor, "NameEdit"), "x");
    auto* value = Child<QLineEdit>(editor, "ValueEdit");
    Type(value, "1 +");
    EXPECT_FALSE(Child<QLabel>(editor, "CheckStatus")->text().isEmpty());
    Apply(editor);
    ASSERT_EQ(Dialogs_->Errors.size(), 3u);
    EXPECT_TRUE(Dialogs_->Errors[2].startsWith("Value: ")) << Dialogs_->Errors[2].toStdString();
    Type(value, "1 + 2");
    EXPECT_TRUE(Child<QLabel>(editor, "CheckStatus")->text().isEmpty());
    Apply(editor);
    EXPECT_EQ(Dialogs_->Errors.size(), 3u);
    EXPECT_TRUE(Shows("set x, 1 + 2;"));
}

TEST_F(CodeRoadTest, AnIfBlockTakesItsBranchesAndTheOtherTasksGoBesideIt)
{
    RunStatementEntry("AddIfAction");
    ASSERT_EQ(Start()->ChildCount(), 1);
    TTaskNode* block = Start()->Child(0);
    EXPECT_EQ(Project().TaskTree.Selected(), block);

    TCodeTaskForm* editor = RunStatementEntry("AddBranchAction");
    ASSERT_NE(editor, nullptr);
    Type(Child<QLineEdit>(editor, "ConditionEdit"), "Zeny >= 100");
    Apply(editor);
    editor = RunStatementEntry("AddBranchAction");
    ASSERT_NE(editor, nullptr);
    Apply(editor);  // no condition: the else branch
    editor = RunStatementEntry("AddStatementAction");
    ASSERT_NE(editor, nullptr);
    Apply(editor);

    ASSERT_EQ(block->ChildCount(), 2);
    EXPECT_EQ(block->Child(0)->Text(), "If Zeny >= 100");
    EXPECT_EQ(block->Child(1)->Text(), "Else");
    ASSERT_EQ(Start()->ChildCount(), 2);
    EXPECT_EQ(Start()->Child(0)->Text(), "End");
    for (const char* line : {"if (Zeny >= 100) {", "} else {", "}", "end;"})
        EXPECT_TRUE(Shows(line)) << line;
    EXPECT_TRUE(Dialogs_->Errors.empty());

    Document().Undo();
    Document().Undo();
    EXPECT_EQ(block->ChildCount(), 1);
    EXPECT_FALSE(Shows("} else {"));
    Document().Redo();
    EXPECT_EQ(block->ChildCount(), 2);
    EXPECT_TRUE(Shows("} else {"));

    // With the group selected there is no if block for a branch to go into.
    Project().TaskTree.Select(Start());
    editor = RunStatementEntry("AddBranchAction");
    ASSERT_NE(editor, nullptr);
    Apply(editor);
    ASSERT_EQ(Dialogs_->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs_->Errors[0].startsWith("A branch goes into an if block")) << Dialogs_->Errors[0].toStdString();
    EXPECT_EQ(block->ChildCount(), 2);

    // Beside the else branch a new branch goes before it, and says it follows the first.
    Project().TaskTree.Select(block->Child(1));
    editor = RunStatementEntry("AddBranchAction");
    ASSERT_NE(editor, nullptr);
    Type(Child<QLineEdit>(editor, "ConditionEdit"), "Zeny >= 10");
    Apply(editor);
    ASSERT_EQ(block->ChildCount(), 3);
    EXPECT_EQ(block->Child(1)->Text(), "Else if Zeny >= 10");
    EXPECT_TRUE(Shows("} else if (Zeny >= 10) {"));
}

TEST_F(CodeRoadTest, ASwitchTakesItsCasesAndADefault)
{
    TCodeTaskForm* editor = RunStatementEntry("AddSwitchAction");
    ASSERT_NE(editor, nullptr);
    Type(Child<QLineEdit>(editor, "ValueEdit"), ".@n");
    Apply(editor);
    editor = RunStatementEntry("AddCaseAction");
    ASSERT_NE(editor, nullptr);
    Type(Child<QLineEdit>(editor, "ValueEdit"), "1");
    Apply(editor);
    editor = RunStatementEntry("AddCaseAction");
    ASSERT_NE(editor, nullptr);
    Child<QCheckBox>(editor, "DefaultCheck")->click();
    EXPECT_FALSE(Child<QLineEdit>(editor, "ValueEdit")->isEnabled());
    Apply(editor);
    TTaskNode* block = Start()->Child(0);
    ASSERT_EQ(block->ChildCount(), 2);
    EXPECT_EQ(block->Child(0)->Text(), "Case 1");
    EXPECT_EQ(block->Child(1)->Text(), "Default");
    for (const char* line : {"switch (.@n) {", "case 1:", "default:"})
        EXPECT_TRUE(Shows(line)) << line;
}

TEST_F(CodeRoadTest, AMessageSpeakerIsStoredUndoneAndRedoneWithTheMessage)
{
    Click(Child<QPushButton>(Tasks, "MessageButton"));
    auto* editor = OpenedEditor<TMessageForm>();
    ASSERT_NE(editor, nullptr);
    Type(Child<QPlainTextEdit>(editor, "MessageEdit"), "Halt!");
    EXPECT_FALSE(Child<QLineEdit>(editor, "SpeakerEdit")->isEnabled());
    PickEntry(Child<QComboBox>(editor, "SpeakerCombo"), "Other:");
    Type(Child<QLineEdit>(editor, "SpeakerEdit"), "Captain of the Guard");
    EXPECT_TRUE(ShowsWholeText(Child<QLineEdit>(editor, "SpeakerEdit"))) << "the speaker's field has room for a name";
    Apply(editor);
    EXPECT_TRUE(Shows("mes \"[Captain of the Guard]\";"));
    EXPECT_TRUE(Shows("mes \"Halt!\";"));

    Document().Undo();
    EXPECT_FALSE(Shows("mes \"[Captain of the Guard]\";"));
    Document().Redo();
    EXPECT_TRUE(Shows("mes \"[Captain of the Guard]\";"));

    editor = EditNode<TMessageForm>(Start()->Child(0));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Child<QComboBox>(editor, "SpeakerCombo")->currentText(), "Other:");
    EXPECT_EQ(Child<QLineEdit>(editor, "SpeakerEdit")->text(), "Captain of the Guard");
    PickEntry(Child<QComboBox>(editor, "SpeakerCombo"), "None");
    Apply(editor);
    EXPECT_FALSE(Shows("mes \"[Captain of the Guard]\";"));
    EXPECT_TRUE(Shows("mes \"Halt!\";"));
    Document().Undo();
    EXPECT_TRUE(Shows("mes \"[Captain of the Guard]\";"));
}

TEST_F(CodeRoadTest, AConditionTakesAFreeExpressionCheckedAsItIsTyped)
{
    Click(Child<QPushButton>(Tasks, "ConButton"));
    auto* editor = OpenedEditor<TConForm>();
    ASSERT_NE(editor, nullptr);
    auto* expression = Child<QLineEdit>(editor, "ExpressionEdit");
    auto* add = Child<QPushButton>(editor, "AddExpressionButton");
    Type(expression, "BaseLevel >");
    EXPECT_FALSE(add->isEnabled());
    EXPECT_FALSE(Child<QLabel>(editor, "ExpressionStatus")->text().isEmpty());
    Type(expression, "BaseLevel > 10");
    EXPECT_TRUE(add->isEnabled());
    EXPECT_TRUE(Child<QLabel>(editor, "ExpressionStatus")->text().isEmpty());
    Click(add);
    EXPECT_TRUE(expression->text().isEmpty());
    EXPECT_FALSE(expression->isEnabled());  // a joiner comes next
    Apply(editor);
    ASSERT_EQ(Start()->ChildCount(), 1);
    const auto has = [this] {
        const auto lines = OutputLines();
        return std::any_of(lines.begin(), lines.end(),
                           [](const std::string& line) { return line.find("(BaseLevel > 10)") != std::string::npos; });
    };
    EXPECT_TRUE(has());
    Document().Undo();
    EXPECT_FALSE(has());
    Document().Redo();
    EXPECT_TRUE(has());
}

TEST_F(CodeRoadTest, AGroupsLabelNameComesFromItsMenuEntryAndSaysItRunsOnAnEvent)
{
    TGroupTask* group = AddGroup("Touched");
    group->NoLabel = true;  // as an imported start nothing jumped to
    Project().TaskTree.Select(group->Node);
    QAction* entry = nullptr;
    for (QAction* action : Tasks->TasksList()->actions())
        if (action->text() == "&Label Name...")
            entry = action;
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    auto* editor = OpenedEditor<TCodeTaskForm>();
    ASSERT_NE(editor, nullptr);
    Type(Child<QLineEdit>(editor, "LabelEdit"), "2nd");
    Apply(editor);
    ASSERT_EQ(Dialogs_->Errors.size(), 1u);
    Type(Child<QLineEdit>(editor, "LabelEdit"), "OnTouch");
    Apply(editor);
    EXPECT_EQ(group->LabelName, "OnTouch");
    EXPECT_FALSE(group->NoLabel);  // a named label is written
    EXPECT_EQ(group->Node->Text(), "Touched");
    EXPECT_TRUE(Shows("OnTouch:"));
    const QModelIndex index = Tasks->TasksList()->model()->index(0, 0, Tasks->TasksList()->model()->index(0, 0));
    EXPECT_TRUE(index.data(Qt::ToolTipRole).toString().contains("runs on the event OnTouch"));
    EXPECT_FALSE(index.data(Qt::DecorationRole).isNull());
    Document().Undo();
    EXPECT_EQ(group->LabelName, "");
    EXPECT_TRUE(group->NoLabel);
    EXPECT_FALSE(Shows("OnTouch:"));
}

} // namespace
