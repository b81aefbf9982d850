// The condition editor, driven through its controls: the walk through a new condition, the
// enabling rules, editing, and the value picked through the action editor.
#include "EditorTestSupport.h"
#include "DocumentSupport.h"

#include "model/ConditionTasks.h"
#include "ui/Form_Actions.h"
#include "ui/Form_Conditions.h"
#include "ui/SpinField.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <map>
#include <set>

using namespace editortest;

namespace {

const std::vector<std::string> ControlNames = {
    "AddButton", "AndButton", "ORButton",   "ApplyButton", "DeleteButton", "ConCombo",
    "Var1Label", "VarCombo",  "ActLabel",   "ActButton",   "AmountLabel",  "AmountEdit",
    "JobLabel",  "JobCombo",  "SexLabel",   "SexCombo",
};

class ConditionFormTest : public EditorTest<TConForm> {
protected:
    std::set<std::string> Enabled() const
    {
        std::set<std::string> enabled;
        for (const std::string& name : ControlNames)
            if (Child(Form, name.c_str())->isEnabled())
                enabled.insert(name);
        return enabled;
    }

    QComboBox* Combo(const char* name) const { return Child<QComboBox>(Form, name); }
    QListWidget* Lines() const { return Child<QListWidget>(Form, "CheckList"); }
    QLabel* ActLabel() const { return Child<QLabel>(Form, "ActLabel"); }
    TSpinField* Amount() const { return Child<TSpinField>(Form, "AmountEdit"); }

    // Chooses a variable, a comparison and an amount, then Add.
    void AddAmountCheck(const char* variable, const char* comparison, const char* amount)
    {
        PickEntry(Combo("VarCombo"), variable);
        PickEntry(Combo("ConCombo"), comparison);
        Type(Amount(), amount);
        Click(Button("AddButton"));
    }

    // "Change", then the given value entry with its item in the action editor, then Apply.
    void PickValueAction(const char* caption, const char* item)
    {
        Click(Button("ActButton"));
        TActionForm* editor = Form->ValueEditor();
        ASSERT_NE(editor, nullptr);
        ClickRow(editor->findChild<QListWidget*>("ActionsList"), caption);
        Type(editor->findChild<TSpinField*>("ItemIDEdit"), item);
        Click(editor->findChild<QPushButton*>("ApplyButton"));
        ProcessDeletions();
    }

    TConTask* AppliedNewTask() const { return dynamic_cast<TConTask*>(Report.NewTask.get()); }

};

TEST_F(ConditionFormTest, ANewWindowShowsTheStateOfAnEmptyList)
{
    Open();
    EXPECT_EQ(Form->windowTitle(), "Conditions");
    EXPECT_EQ(Form->size(), QSize(568, 330));  // with the free expression row below
    EXPECT_EQ(Enabled(), (std::set<std::string>{"ConCombo", "Var1Label", "VarCombo", "ActLabel", "ActButton"}));
    EXPECT_EQ(Combo("ConCombo")->currentText(), "Equal to");
    EXPECT_EQ(Combo("ConCombo")->count(), 6);
    EXPECT_EQ(Combo("VarCombo")->currentText(), "Don't use");
    EXPECT_EQ(Combo("VarCombo")->count(), 9);
    EXPECT_EQ(Combo("JobCombo")->currentText(), "Novice");
    EXPECT_EQ(Combo("SexCombo")->currentText(), "Female");
    EXPECT_EQ(Combo("GroupCombo")->currentText(), "Group Exit");
    EXPECT_EQ(Form->PendingVariable(), nullptr);
    EXPECT_EQ(Form->PendingValueAction(), nullptr);
}

TEST_F(ConditionFormTest, ZenyAtLeastThenAndWalksThroughTheStates)
{
    Open();
    PickEntry(Combo("VarCombo"), "Zeny");
    EXPECT_EQ(Form->PendingVariable(), FindVariable("Zeny"));
    EXPECT_TRUE(Amount()->isEnabled());
    EXPECT_FALSE(Button("ActButton")->isEnabled());
    EXPECT_TRUE(Button("AddButton")->isEnabled());

    PickEntry(Combo("ConCombo"), "At least");
    Type(Amount(), "1000");
    Click(Button("AddButton"));
    EXPECT_EQ(ListTexts(Lines()), (std::vector<std::string>{"At least 1000 Zeny"}));
    // Ends with a comparison: join or apply; the left side and the comparison are locked, the
    // "To this" side follows the variable that is still selected.
    EXPECT_EQ(Enabled(), (std::set<std::string>{"AndButton", "ORButton", "ApplyButton", "DeleteButton",
                                                "AmountLabel", "AmountEdit"}));

    Click(Button("AndButton"));
    EXPECT_EQ(ListTexts(Lines()), (std::vector<std::string>{"At least 1000 Zeny", "And"}));
    EXPECT_EQ(Combo("VarCombo")->currentText(), "Zeny");
    EXPECT_TRUE(Button("AddButton")->isEnabled());
    EXPECT_FALSE(Button("ApplyButton")->isEnabled());
    EXPECT_FALSE(Button("AndButton")->isEnabled());
    EXPECT_EQ(Lines()->currentRow(), 1);
}

TEST_F(ConditionFormTest, ClassComparesWithAJobAndSexWithFemaleOrMale)
{
    Open();
    PickEntry(Combo("VarCombo"), "Class");
    EXPECT_TRUE(Combo("JobCombo")->isEnabled());
    EXPECT_FALSE(Amount()->isEnabled());
    EXPECT_FALSE(Combo("SexCombo")->isEnabled());
    PickEntry(Combo("JobCombo"), "Knight");
    PickEntry(Combo("ConCombo"), "Not");
    Click(Button("AddButton"));
    Click(Button("ORButton"));

    PickEntry(Combo("VarCombo"), "Sex");
    EXPECT_TRUE(Combo("SexCombo")->isEnabled());
    EXPECT_FALSE(Combo("JobCombo")->isEnabled());
    EXPECT_FALSE(Amount()->isEnabled());
    PickEntry(Combo("SexCombo"), "Male");
    PickEntry(Combo("ConCombo"), "Equal to");
    Click(Button("AddButton"));
    EXPECT_EQ(ListTexts(Lines()), (std::vector<std::string>{"Not Knight Class", "OR", "Equal to Male Sex"}));

    Click(Button("ApplyButton"));
    TConTask* task = AppliedNewTask();
    ASSERT_NE(task, nullptr);
    ASSERT_EQ(task->CheckCount(), 3);
    EXPECT_EQ(task->CheckAt(0)->Value, 7);
    EXPECT_EQ(task->CheckAt(1)->Kind, ConOr);
    EXPECT_EQ(task->CheckAt(2)->Value, 1);
    EXPECT_EQ(task->CheckAt(2)->Variable, FindVariable("Sex"));
}

TEST_F(ConditionFormTest, ItemAmountPickedThroughChangeIsTheLeftSide)
{
    Open();
    Click(Button("ActButton"));
    TActionForm* editor = Form->ValueEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "Value to Compare") << "it picks a value, it runs no action";
    EXPECT_EQ(ListTexts(editor->findChild<QListWidget*>("ActionsList")),
              (std::vector<std::string>{"Item Amount", "Item Weight"}));
    EXPECT_FALSE(Button("ActButton")->isEnabled());
    ClickRow(editor->findChild<QListWidget*>("ActionsList"), "Item Amount");
    Type(editor->findChild<TSpinField*>("ItemIDEdit"), "501");
    Click(editor->findChild<QPushButton*>("ApplyButton"));
    ProcessDeletions();

    EXPECT_EQ(ActLabel()->text(), "Value: Item Amount");
    ASSERT_NE(Form->PendingValueAction(), nullptr);
    EXPECT_TRUE(Amount()->isEnabled());
    EXPECT_TRUE(Button("ActButton")->isEnabled());
    PickEntry(Combo("ConCombo"), "More than");
    Type(Amount(), "5");
    Click(Button("AddButton"));

    EXPECT_EQ(ActLabel()->text(), "Value");
    EXPECT_EQ(Form->PendingValueAction(), nullptr);
    EXPECT_EQ(ListTexts(Lines()), (std::vector<std::string>{"More than 5 Item Amount(501)"}));
    Click(Button("ApplyButton"));
    TConTask* task = AppliedNewTask();
    ASSERT_NE(task, nullptr);
    ASSERT_NE(task->CheckAt(0)->ValueAction, nullptr);
    EXPECT_EQ(task->CheckAt(0)->ValueAction->Params, (TParamValueList{501}));
    EXPECT_EQ(task->Caption, "More than 5 Item Amount(501)");
}

// The condition editor says what "Compare this" takes: a value, chosen in a window of values.
TEST_F(ConditionFormTest, TheLeftSideIsAValueChosenFromValues)
{
    Open();
    EXPECT_EQ(ActLabel()->text(), "Value");
    EXPECT_EQ(Button("ActButton")->text(), "Choose...");
    Click(Button("ActButton"));
    TActionForm* editor = Form->ValueEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Child<QGroupBox>(editor, "ActionsGroup")->title(), "Values");
    EXPECT_EQ(Child<QLabel>(Form, "SucLabel")->text(), "Jump to");
}

TEST_F(ConditionFormTest, CancelInTheValueEditorKeepsNoAction)
{
    Open();
    Click(Button("ActButton"));
    ASSERT_NE(Form->ValueEditor(), nullptr);
    Click(Form->ValueEditor()->findChild<QPushButton*>("CancelButton"));
    ProcessDeletions();
    EXPECT_EQ(Form->PendingValueAction(), nullptr);
    EXPECT_EQ(ActLabel()->text(), "Value");
    EXPECT_TRUE(Button("ActButton")->isEnabled());
    EXPECT_FALSE(Button("AddButton")->isEnabled());
}

TEST_F(ConditionFormTest, AVariableChosenAfterAnActionWinsButTheActionIsKept)
{
    Open();
    PickValueAction("Item Weight", "501");
    PickEntry(Combo("VarCombo"), "BaseLevel");
    EXPECT_FALSE(Button("ActButton")->isEnabled());
    EXPECT_NE(Form->PendingValueAction(), nullptr);
    Type(Amount(), "10");
    Click(Button("AddButton"));
    EXPECT_EQ(ListTexts(Lines()), (std::vector<std::string>{"Equal to 10 BaseLevel"}));
}

TEST_F(ConditionFormTest, DeleteRemovesTheLastLineWhicheverIsSelected)
{
    Open();
    AddAmountCheck("Zeny", "At least", "1000");
    Click(Button("AndButton"));
    AddAmountCheck("Zeny", "Less than", "5000");
    ClickRow(Lines(), 0);
    ASSERT_EQ(Lines()->currentRow(), 0);

    Click(Button("DeleteButton"));
    EXPECT_EQ(ListTexts(Lines()), (std::vector<std::string>{"At least 1000 Zeny", "And"}));
    EXPECT_EQ(Lines()->currentRow(), 1);
    EXPECT_TRUE(Button("AddButton")->isEnabled());
    Click(Button("DeleteButton"));
    EXPECT_TRUE(Button("ApplyButton")->isEnabled());
    Click(Button("DeleteButton"));
    EXPECT_TRUE(ListTexts(Lines()).empty());
    for (const char* name : {"DeleteButton", "AndButton", "ORButton", "ApplyButton"})
        EXPECT_FALSE(Button(name)->isEnabled()) << name;
}

TEST_F(ConditionFormTest, EnterAddsTheComparison)
{
    Open();
    PickEntry(Combo("VarCombo"), "JobLevel");
    Type(Amount(), "40");
    QTest::keyClick(Amount(), Qt::Key_Return);
    EXPECT_EQ(ListTexts(Lines()), (std::vector<std::string>{"Equal to 40 JobLevel"}));
}

TEST_F(ConditionFormTest, ApplyInNewModeStoresTheGroupAndTheCaption)
{
    TGroupTask* shop = AddGroup("Shop");
    Open();
    AddAmountCheck("Zeny", "At least", "1000");
    Click(Button("ORButton"));
    AddAmountCheck("Weight", "At most", "200");
    PickEntry(Combo("GroupCombo"), "Shop");
    Click(Button("ApplyButton"));

    ASSERT_EQ(Report.Calls, 1);
    EXPECT_FALSE(Report.Cancelled);
    EXPECT_FALSE(Report.EditMode);
    TConTask* task = AppliedNewTask();
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->Target, shop->GroupNumber);
    EXPECT_EQ(task->Caption, "At least 1000 Zeny OR At most 200 Weight");
    EXPECT_EQ(task->CheckCount(), 3);
}

TEST_F(ConditionFormTest, GroupExitStoresMinusOne)
{
    Open();
    AddAmountCheck("Zeny", "At least", "1");
    Click(Button("ApplyButton"));
    ASSERT_NE(AppliedNewTask(), nullptr);
    EXPECT_EQ(AppliedNewTask()->Target, GroupExitTarget);
}

// A condition "At least 1000 Zeny" jumping to target, registered in the tree.
TConTask* AddZenyCondition(std::int32_t target, std::uint8_t userNamed = 0)
{
    auto task = std::make_unique<TConTask>();
    auto check = std::make_unique<TConCheck>();
    check->Kind = 2;
    check->Value = 1000;
    check->Variable = FindVariable("Zeny");
    task->AddCheck(std::move(check));
    task->Target = target;
    task->Caption = "Condition: At least 1000 Zeny";
    task->UserNamed = userNamed;
    return AddTask(std::move(task));
}

TEST_F(ConditionFormTest, EditingShowsTheChecksAndTheTargetGroup)
{
    AddGroup("Shop");
    TGroupTask* inn = AddGroup("Inn");
    TConTask* condition = AddZenyCondition(inn->GroupNumber);
    Open(condition);
    EXPECT_EQ(ListTexts(Lines()), (std::vector<std::string>{"At least 1000 Zeny"}));
    EXPECT_EQ(Lines()->currentRow(), 0);
    EXPECT_EQ(Combo("GroupCombo")->currentText(), "Inn");
    EXPECT_TRUE(Button("ApplyButton")->isEnabled());
    EXPECT_TRUE(Button("AndButton")->isEnabled());
    EXPECT_FALSE(Button("AddButton")->isEnabled());
}

TEST_F(ConditionFormTest, ATargetGroupThatWasDeletedShowsGroupExitAndStoresMinusOne)
{
    TGroupTask* shop = AddGroup("Shop");
    TConTask* condition = AddZenyCondition(shop->GroupNumber);
    DeleteTask(shop);
    Open(condition);
    EXPECT_EQ(Combo("GroupCombo")->currentText(), "Group Exit");
    Click(Button("ApplyButton"));
    EXPECT_EQ(condition->Target, GroupExitTarget);
}

TEST_F(ConditionFormTest, GroupsChangedWhileOpenAreListedAgainAndAGoneTargetIsNeverStored)
{
    TGroupTask* shop = AddGroup("Shop");
    const std::int32_t number = shop->GroupNumber;
    TConTask* condition = AddZenyCondition(number);
    Open(condition);
    ASSERT_EQ(Combo("GroupCombo")->currentText(), "Shop");
    Document().RenameNode(shop->Node, "Market");
    EXPECT_EQ(Combo("GroupCombo")->currentText(), "Market");
    DeleteTask(shop);
    EXPECT_EQ(ComboTexts(Combo("GroupCombo")), (std::vector<std::string>{"Group Exit", "Start"}));
    EXPECT_EQ(Combo("GroupCombo")->currentIndex(), -1);
    EXPECT_FALSE(Button("ApplyButton")->isEnabled());
    Click(Button("ApplyButton"));
    EXPECT_EQ(Report.Calls, 0);
    EXPECT_EQ(condition->Target, number);
}

TEST_F(ConditionFormTest, ApplyInEditModeKeepsTheTaskObjectAndItsUserName)
{
    TConTask* condition = AddZenyCondition(0, 1);
    condition->Caption = "Rich enough";
    Open(condition);
    Click(Button("AndButton"));
    AddAmountCheck("BaseLevel", "More than", "10");
    Click(Button("ApplyButton"));

    ASSERT_EQ(Report.Calls, 1);
    EXPECT_TRUE(Report.EditMode);
    EXPECT_EQ(Report.Task, condition);
    EXPECT_EQ(Report.NewTask, nullptr);
    EXPECT_EQ(condition->Caption, "Rich enough");
    EXPECT_EQ(condition->UserNamed, 1);
    EXPECT_EQ(condition->CheckCount(), 3);
    EXPECT_EQ(condition->Target, 0);
}

TEST_F(ConditionFormTest, ApplyInEditModeRewritesTheCaptionOfAnUnnamedTask)
{
    TConTask* condition = AddZenyCondition(0);
    Open(condition);
    Click(Button("ORButton"));
    AddAmountCheck("StatusPoint", "Equal to", "0");
    Click(Button("ApplyButton"));
    EXPECT_EQ(condition->Caption, "At least 1000 Zeny OR Equal to 0 StatusPoint");
}

TEST_F(ConditionFormTest, CancelInEditModeLeavesTheTaskExactlyAsItWas)
{
    TConTask* condition = AddZenyCondition(0);
    const TConCheck* firstCheck = condition->CheckAt(0);
    Open(condition);
    Click(Button("DeleteButton"));
    AddAmountCheck("Zeny", "Less than", "3");
    PickEntry(Combo("GroupCombo"), "Group Exit");
    Click(Button("CancelButton"));

    EXPECT_TRUE(Report.Cancelled);
    ASSERT_EQ(condition->CheckCount(), 1);
    EXPECT_EQ(condition->CheckAt(0), firstCheck);
    EXPECT_EQ(CheckText(*condition->CheckAt(0), Project().Catalogues()), "At least 1000 Zeny");
    EXPECT_EQ(condition->Target, 0);
    EXPECT_EQ(condition->Caption, "Condition: At least 1000 Zeny");
}

TEST_F(ConditionFormTest, TheCloseBoxCancels)
{
    Open();
    AddAmountCheck("Zeny", "At least", "1");
    Form->close();
    EXPECT_EQ(Report.Calls, 1);
    EXPECT_TRUE(Report.Cancelled);
    EXPECT_EQ(Report.NewTask, nullptr);
    ProcessDeletions();
    EXPECT_TRUE(Form.isNull());
}

TEST_F(ConditionFormTest, AValueEditorStillOpenGoesWithTheConditionEditor)
{
    Open();
    Click(Button("ActButton"));
    QPointer<TActionForm> editor = Form->ValueEditor();
    ASSERT_FALSE(editor.isNull());
    Click(Button("CancelButton"));
    ProcessDeletions();
    EXPECT_TRUE(Form.isNull());
    EXPECT_TRUE(editor.isNull());
}

TEST_F(ConditionFormTest, AJobMissingFromTheCatalogueShowsItsID)
{
    auto task = std::make_unique<TConTask>();
    auto check = std::make_unique<TConCheck>();
    check->Kind = 0;
    check->Value = 4023;
    check->Variable = FindVariable("Class");
    task->AddCheck(std::move(check));
    Open(AddTask(std::move(task)));
    EXPECT_EQ(ListTexts(Lines()), (std::vector<std::string>{"Equal to 4023 Class"}));
}

TEST_F(ConditionFormTest, WithoutJobsClassCannotBeAdded)
{
    TestCatalogues().Jobs.clear();
    Open();
    PickEntry(Combo("VarCombo"), "Class");
    EXPECT_EQ(Combo("JobCombo")->currentIndex(), -1);
    EXPECT_FALSE(Button("AddButton")->isEnabled());
    QTest::keyClick(Combo("VarCombo"), Qt::Key_Return);
    EXPECT_TRUE(ListTexts(Lines()).empty());
    PickEntry(Combo("VarCombo"), "Zeny");
    EXPECT_TRUE(Button("AddButton")->isEnabled());
}

class ConditionGoneTest : public ConditionFormTest, public ::testing::WithParamInterface<TGoneCase> {};

// As for the other editors: a replaced project cancels, a deleted task leaves what was typed.
TEST_P(ConditionGoneTest, ApplyOnATaskDestroyedMeanwhileKeepsWhatWasTyped)
{
    TConTask* condition = AddZenyCondition(0);
    Open(condition);
    if (GetParam().ReplaceProject)
        Document().NewProject();
    else
        DeleteTask(condition);
    EXPECT_EQ(Report.Calls, GetParam().ReplaceProject ? 1 : 0);
    Click(Button("ORButton"));
    AddAmountCheck("Zeny", "Less than", "3");
    Click(Button("ApplyButton"));
    ASSERT_EQ(Report.Calls, 1);
    EXPECT_EQ(Report.Cancelled, GetParam().ReplaceProject);
    EXPECT_EQ(Report.Task, nullptr);
    EXPECT_EQ(Report.NewTask != nullptr, !GetParam().ReplaceProject);
}

INSTANTIATE_TEST_SUITE_P(Ways, ConditionGoneTest,
                         ::testing::Values(TGoneCase{"Deleted", false}, TGoneCase{"NewProject", true}),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
