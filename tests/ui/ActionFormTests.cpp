// The action editor and its Browse road to the item picker, driven through their controls.
#include "EditorTestSupport.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "ui/Form_Actions.h"
#include "ui/Form_Items.h"
#include "ui/SpinField.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include <algorithm>
#include <set>

using namespace editortest;

namespace {

const std::vector<std::string> ParamControlNames = {
    "GroupCombo", "MapCombo", "JobCombo", "ItemIDEdit", "BrowseButton",
    "AmountEdit", "HPEdit",   "SPEdit",   "XEdit",      "YEdit",
};

const std::vector<std::pair<std::string, std::string>> ParamLabels = {
    {"GroupLabel", "GroupCombo"}, {"MapLabel", "MapCombo"}, {"JobLabel", "JobCombo"},
    {"ItemIDLabel", "ItemIDEdit"}, {"AmountLabel", "AmountEdit"}, {"HPLabel", "HPEdit"},
    {"SPLabel", "SPEdit"},         {"XLabel", "XEdit"},         {"YLabel", "YEdit"},
};

const TDAction* Entry(const std::string& caption)
{
    for (const TDAction& action : Actions())
        if (action.Caption == caption)
            return &action;
    return nullptr;
}

class ActionFormTest : public ::testing::Test {
protected:
    void SetUp() override { SetUpEditorCatalogues(); }

    void TearDown() override
    {
        delete Form.data();
        ProcessDeletions();
    }

    // An editor as the task tree window opens it (statements) or the condition editor (values).
    TActionForm* Open(int isStatement = 1, TTask* task = nullptr)
    {
        Form = new TActionForm(Document());
        Form->ShowActions(isStatement);
        Form->LoadTask(task);
        Listen(Form, Report);
        Form->show();
        return Form;
    }

    std::set<std::string> EnabledParamControls() const
    {
        std::set<std::string> enabled;
        for (const std::string& name : ParamControlNames)
            if (Child(Form, name.c_str())->isEnabled())
                enabled.insert(name);
        return enabled;
    }

    TSpinField* Spin(const char* name) const { return Child<TSpinField>(Form, name); }
    QComboBox* Combo(const char* name) const { return Child<QComboBox>(Form, name); }
    QListWidget* Actions() const { return Child<QListWidget>(Form, "ActionsList"); }
    QPushButton* Button(const char* name) const { return Child<QPushButton>(Form, name); }
    QLabel* ItemIDLabel() const { return Child<QLabel>(Form, "ItemIDLabel"); }

    TActionTask* AddActionTask(const std::string& caption, const TParamValueList& params)
    {
        auto task = std::make_unique<TActionTask>("Action: " + caption, Entry(caption));
        task->Params = params;
        return AddTask(std::move(task));
    }

    TItemForm* Browse()
    {
        Click(Button("BrowseButton"));
        return Form->Picker();
    }

    QPointer<TActionForm> Form;
    TDoneReport Report;
};

// ---- Which controls each action uses ------------------------------------------------------------

struct TEnablingCase {
    int IsStatement;
    std::string Action;
    std::set<std::string> Enabled;
};

class ActionEnablingTest : public ActionFormTest, public ::testing::WithParamInterface<TEnablingCase> {};

TEST_P(ActionEnablingTest, SelectingAnActionEnablesExactlyItsParameterControls)
{
    const TEnablingCase& c = GetParam();
    Open(c.IsStatement);
    ClickRow(Actions(), QString::fromStdString(c.Action));
    ASSERT_EQ(Form->SelectedAction(), Entry(c.Action));
    EXPECT_EQ(EnabledParamControls(), c.Enabled);
    for (const auto& [label, control] : ParamLabels)
        EXPECT_EQ(Child(Form, label.c_str())->isEnabled(), Child(Form, control.c_str())->isEnabled())
            << label;
    // Picking a value to compare, the window shows only the fields the value uses; an action's
    // window keeps every field in sight, greyed where unused.
    for (const std::string& name : ParamControlNames)
        EXPECT_EQ(Child(Form, name.c_str())->isVisibleTo(Form), c.IsStatement == 1 || c.Enabled.count(name) > 0)
            << name;
    for (const auto& [label, control] : ParamLabels)
        EXPECT_EQ(Child(Form, label.c_str())->isVisibleTo(Form), Child(Form, control.c_str())->isVisibleTo(Form))
            << label;
    EXPECT_EQ(Child<QGroupBox>(Form, "ActionsGroup")->title(), c.IsStatement == 1 ? "Actions" : "Values");
    EXPECT_TRUE(Button("ApplyButton")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Actions, ActionEnablingTest,
    ::testing::Values(
        TEnablingCase{1, "Take Item", {"ItemIDEdit", "BrowseButton", "AmountEdit"}},
        TEnablingCase{1, "Heal", {"HPEdit", "SPEdit"}},
        TEnablingCase{1, "Next Button", {}},
        TEnablingCase{1, "Jumpto Group", {"GroupCombo"}},
        TEnablingCase{1, "Job Change", {"JobCombo"}},
        TEnablingCase{1, "Give Zeny", {"AmountEdit"}},
        TEnablingCase{1, "Warp", {"MapCombo", "XEdit", "YEdit"}},
        TEnablingCase{1, "Reset Skills", {}},
        TEnablingCase{0, "Item Amount", {"ItemIDEdit", "BrowseButton"}},
        TEnablingCase{0, "Item Weight", {"ItemIDEdit", "BrowseButton", "AmountEdit"}}),
    [](const auto& info) {
        return ReadableName(info.param.Action) + (info.param.IsStatement ? "" : "_InCondition");
    });

TEST_F(ActionFormTest, StatementListHoldsTheNineteenStatementsWithTakeItemSelected)
{
    Open(1);
    const auto texts = ListTexts(Actions());
    ASSERT_EQ(texts.size(), 19u);
    EXPECT_EQ(texts.front(), "Take Item");
    EXPECT_EQ(texts.back(), "Reset Skills");
    EXPECT_EQ(Form->SelectedAction(), Entry("Take Item"));
    EXPECT_EQ(EnabledParamControls(), (std::set<std::string>{"ItemIDEdit", "BrowseButton", "AmountEdit"}));
    EXPECT_EQ(Form->windowTitle(), "Actions");
    EXPECT_EQ(Form->size(), QSize(400, 400));
}

TEST_F(ActionFormTest, ValueListHoldsOnlyItemAmountAndItemWeight)
{
    Open(0);
    EXPECT_EQ(ListTexts(Actions()), (std::vector<std::string>{"Item Amount", "Item Weight"}));
}

TEST_F(ActionFormTest, PickListsStartOnTheirFirstEntry)
{
    AddGroup("Shop");
    Open();
    EXPECT_EQ(Combo("JobCombo")->currentText(), "Novice");
    EXPECT_EQ(Combo("MapCombo")->currentText(), "Prontera");
    EXPECT_EQ(Combo("GroupCombo")->currentText(), "Start");
    EXPECT_EQ(Combo("GroupCombo")->count(), 2);
}

// ---- New actions ----------------------------------------------------------------------------------

TEST_F(ActionFormTest, ApplyInNewModeHandsOverANewTaskWithTheTypedValues)
{
    Open();
    ClickRow(Actions(), "Give Item");
    Type(Spin("ItemIDEdit"), "607");
    Type(Spin("AmountEdit"), "3");
    Click(Button("ApplyButton"));

    ASSERT_EQ(Report.Calls, 1);
    EXPECT_FALSE(Report.Cancelled);
    EXPECT_FALSE(Report.EditMode);
    auto* task = dynamic_cast<TActionTask*>(Report.NewTask.get());
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(Report.Task, task);
    EXPECT_EQ(task->Caption, "Give Item");
    EXPECT_EQ(task->Action, Entry("Give Item"));
    EXPECT_EQ(task->Params, (TParamValueList{607, 3}));
    EXPECT_EQ(task->Node, nullptr);
    ProcessDeletions();
    EXPECT_TRUE(Form.isNull());
}

TEST_F(ActionFormTest, PickListValuesAreStoredAsGroupNumberMapIndexAndJobID)
{
    TGroupTask* shop = AddGroup("Shop");
    Open();
    ClickRow(Actions(), "Jumpto Group");
    PickEntry(Combo("GroupCombo"), "Shop");
    ClickRow(Actions(), "Warp");
    PickEntry(Combo("MapCombo"), "Geffen");
    ClickRow(Actions(), "Job Change");
    PickEntry(Combo("JobCombo"), "Knight");
    EXPECT_EQ(Form->ReadParamControl(PT_Group), shop->GroupNumber);
    EXPECT_EQ(Form->ReadParamControl(PT_Map), 1);
    EXPECT_EQ(Form->ReadParamControl(PT_Job), 7);
    EXPECT_EQ(Form->ReadParamControl(PT_Sex), 0);
    EXPECT_EQ(Form->ReadParamControl(PT_None), 0);

    Click(Button("ApplyButton"));
    auto* task = dynamic_cast<TActionTask*>(Report.NewTask.get());
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->Params, (TParamValueList{7}));
}

TEST_F(ActionFormTest, ADisabledPickListCannotBeChanged)
{
    Open();
    ClickRow(Actions(), "Heal");
    QComboBox* jobs = Combo("JobCombo");
    jobs->setFocus();
    QTest::keyClick(jobs, Qt::Key_End);
    EXPECT_EQ(jobs->currentText(), "Novice");
}

struct TSpinTextCase {
    const char* Typed;
    std::int32_t Value;
};

class SpinTextTest : public ActionFormTest, public ::testing::WithParamInterface<TSpinTextCase> {};

TEST_P(SpinTextTest, TypedTextReadsAsItsIntegerAndAnythingElseAsZero)
{
    Open();
    ClickRow(Actions(), "Heal");
    Spin("HPEdit")->SetValue(55);
    Type(Spin("HPEdit"), QString::fromLatin1(GetParam().Typed));
    Type(Spin("SPEdit"), "9");
    Click(Button("ApplyButton"));
    auto* task = dynamic_cast<TActionTask*>(Report.NewTask.get());
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->Params, (TParamValueList{GetParam().Value, 9}));
}

INSTANTIATE_TEST_SUITE_P(Texts, SpinTextTest,
                         ::testing::Values(TSpinTextCase{"", 0}, TSpinTextCase{"-", 0},
                                           TSpinTextCase{"+", 0}, TSpinTextCase{"-2147483648", INT32_MIN},
                                           TSpinTextCase{"2147483647", INT32_MAX},
                                           TSpinTextCase{"-17", -17}),
                         [](const auto& info) {
                             QString typed = QString::fromLatin1(info.param.Typed);
                             typed.replace(u'-', QStringLiteral("Minus ")).replace(u'+', QStringLiteral("Plus "));
                             return ReadableName(typed.toStdString());
                         });

TEST_F(ActionFormTest, EnterAppliesAndEscapeCancels)
{
    Open();
    ClickRow(Actions(), "Close Script");
    QTest::keyClick(Actions(), Qt::Key_Return);
    ASSERT_EQ(Report.Calls, 1);
    EXPECT_FALSE(Report.Cancelled);
    ASSERT_NE(Report.NewTask, nullptr);

    TDoneReport second;
    auto* other = new TActionForm(Document());
    QPointer<TActionForm> guard(other);
    other->ShowActions(1);
    Listen(other, second);
    other->show();
    QTest::keyClick(other->findChild<QListWidget*>("ActionsList"), Qt::Key_Escape);
    EXPECT_EQ(second.Calls, 1);
    EXPECT_TRUE(second.Cancelled);
    EXPECT_EQ(second.NewTask, nullptr);
    ProcessDeletions();
    EXPECT_TRUE(guard.isNull());
}

TEST_F(ActionFormTest, CancelAndTheCloseBoxReportACancelAndCreateNothing)
{
    Open();
    Click(Button("CancelButton"));
    EXPECT_EQ(Report.Calls, 1);
    EXPECT_TRUE(Report.Cancelled);
    EXPECT_EQ(Report.NewTask, nullptr);

    TDoneReport closed;
    auto* other = new TActionForm(Document());
    QPointer<TActionForm> guard(other);
    other->ShowActions(1);
    Listen(other, closed);
    other->show();
    other->close();
    EXPECT_EQ(closed.Calls, 1);
    EXPECT_TRUE(closed.Cancelled);
    ProcessDeletions();
    EXPECT_TRUE(guard.isNull());
}

// ---- Editing ------------------------------------------------------------------------------------

TEST_F(ActionFormTest, EditingWarpThenChoosingGiveZenyKeepsTheTaskObject)
{
    TActionTask* warp = AddActionTask("Warp", {1, 150, 180});
    Open(1, warp);
    EXPECT_EQ(Form->SelectedAction(), Entry("Warp"));
    EXPECT_EQ(Combo("MapCombo")->currentText(), "Geffen");
    EXPECT_EQ(Spin("XEdit")->Value(), 150);
    EXPECT_EQ(Spin("YEdit")->Value(), 180);
    EXPECT_EQ(ItemIDLabel()->text(), "Item ID");

    ClickRow(Actions(), "Give Zeny");
    EXPECT_FALSE(Spin("XEdit")->isEnabled());
    EXPECT_EQ(Spin("XEdit")->Value(), 150);
    EXPECT_EQ(Spin("YEdit")->Value(), 180);
    Type(Spin("AmountEdit"), "1000");
    Click(Button("ApplyButton"));

    ASSERT_EQ(Report.Calls, 1);
    EXPECT_FALSE(Report.Cancelled);
    EXPECT_TRUE(Report.EditMode);
    EXPECT_EQ(Report.Task, warp);
    EXPECT_EQ(Report.NewTask, nullptr);
    EXPECT_EQ(warp->Action, Entry("Give Zeny"));
    EXPECT_EQ(warp->Params, (TParamValueList{1000}));
    EXPECT_EQ(warp->Caption, "Action: Warp");
}

TEST_F(ActionFormTest, CancelInEditModeLeavesTheTaskAsItWas)
{
    TActionTask* heal = AddActionTask("Heal", {100, 50});
    Open(1, heal);
    ClickRow(Actions(), "Warp");
    Type(Spin("XEdit"), "5");
    Click(Button("CancelButton"));
    EXPECT_TRUE(Report.Cancelled);
    EXPECT_EQ(heal->Action, Entry("Heal"));
    EXPECT_EQ(heal->Params, (TParamValueList{100, 50}));
}

TEST_F(ActionFormTest, JumpToADeletedGroupShowsNoGroupAndWaitsForAChoice)
{
    TGroupTask* shop = AddGroup("Shop");
    TActionTask* jump = AddActionTask("Jumpto Group", {shop->GroupNumber});
    DeleteTask(shop);
    Open(1, jump);
    EXPECT_EQ(Combo("GroupCombo")->currentIndex(), -1);
    EXPECT_FALSE(Button("ApplyButton")->isEnabled());
    Click(Button("ApplyButton"));
    EXPECT_EQ(Report.Calls, 0);

    PickEntry(Combo("GroupCombo"), "Start");
    ASSERT_TRUE(Button("ApplyButton")->isEnabled());
    Click(Button("ApplyButton"));
    EXPECT_EQ(jump->Params, (TParamValueList{0}));
}

TEST_F(ActionFormTest, JumpToAnExistingGroupShowsThatGroup)
{
    AddGroup("Shop");
    TGroupTask* inn = AddGroup("Inn");
    TActionTask* jump = AddActionTask("Jumpto Group", {inn->GroupNumber});
    Open(1, jump);
    EXPECT_EQ(Combo("GroupCombo")->currentText(), "Inn");
}

TEST_F(ActionFormTest, AGroupDeletedWhileTheEditorIsOpenLeavesTheJumpWithoutATarget)
{
    TGroupTask* shop = AddGroup("Shop");
    Open();
    ClickRow(Actions(), "Jumpto Group");
    PickEntry(Combo("GroupCombo"), "Shop");
    Document().AddTask(Project().NewGroup("Inn"));
    EXPECT_EQ(ComboTexts(Combo("GroupCombo")), (std::vector<std::string>{"Start", "Shop", "Inn"}));
    EXPECT_EQ(Combo("GroupCombo")->currentText(), "Shop");
    DeleteTask(shop);
    EXPECT_EQ(ComboTexts(Combo("GroupCombo")), (std::vector<std::string>{"Start", "Inn"}));
    EXPECT_EQ(Combo("GroupCombo")->currentIndex(), -1);
    EXPECT_FALSE(Button("ApplyButton")->isEnabled());
    Click(Button("ApplyButton"));
    EXPECT_EQ(Report.Calls, 0);
}

// A job the catalogue lacks (a newer class) survives an Apply that leaves it alone.
TEST_F(ActionFormTest, JobChangeShowsTheJobByIDAndKeepsOneOutsideTheCatalogue)
{
    TActionTask* knight = AddActionTask("Job Change", {7});
    Open(1, knight);
    EXPECT_EQ(Combo("JobCombo")->currentText(), "Knight");
    Click(Button("CancelButton"));
    ProcessDeletions();

    TActionTask* unknown = AddActionTask("Job Change", {4000});
    Open(1, unknown);
    EXPECT_EQ(Combo("JobCombo")->currentIndex(), -1);
    EXPECT_EQ(Combo("JobCombo")->placeholderText(), QStringLiteral("Job 4000 (kept as written)"));
    ASSERT_TRUE(Button("ApplyButton")->isEnabled());
    Click(Button("ApplyButton"));
    EXPECT_EQ(unknown->Params, (TParamValueList{4000}));
    delete Form.data();
    ProcessDeletions();

    Open(1, unknown);
    PickEntry(Combo("JobCombo"), "Swordman");
    EXPECT_TRUE(Combo("JobCombo")->placeholderText().isEmpty());
    Click(Button("ApplyButton"));
    EXPECT_EQ(unknown->Params, (TParamValueList{1}));
}

struct TEmptyCatalogueCase {
    std::string Action;
    bool EmptyJobs;
    bool EmptyMaps;
};

class EmptyCatalogueTest : public ActionFormTest,
                           public ::testing::WithParamInterface<TEmptyCatalogueCase> {};

TEST_P(EmptyCatalogueTest, AnEnabledPickListWithoutEntriesKeepsApplyDisabled)
{
    if (GetParam().EmptyJobs)
        TestCatalogues().Jobs.clear();
    if (GetParam().EmptyMaps)
        TestCatalogues().Maps.clear();
    Open();
    ClickRow(Actions(), QString::fromStdString(GetParam().Action));
    EXPECT_FALSE(Button("ApplyButton")->isEnabled());
    QTest::keyClick(Actions(), Qt::Key_Return);
    EXPECT_EQ(Report.Calls, 0);
    ClickRow(Actions(), "Heal");
    EXPECT_TRUE(Button("ApplyButton")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Catalogues, EmptyCatalogueTest,
                         // The map list holds the server's maps without a catalogue too
                         // (ActionFormMapTests).
                         ::testing::Values(TEmptyCatalogueCase{"Job Change", true, false}),
    [](const auto& info) { return ReadableName(info.param.Action); });

class TaskGoneTest : public ActionFormTest, public ::testing::WithParamInterface<TGoneCase> {};

// A replaced project ends the editor as a cancel; after a delete, Apply hands what was typed to
// the opener with no task to store it into (the opener asks what becomes of it).
TEST_P(TaskGoneTest, ApplyOnATaskDestroyedMeanwhileKeepsWhatWasTyped)
{
    TActionTask* heal = AddActionTask("Heal", {100, 50});
    Open(1, heal);
    if (GetParam().ReplaceProject)
        Document().NewProject();
    else
        DeleteTask(heal);
    // A replaced project ends the editor at once; a deleted task leaves it open until Apply.
    EXPECT_EQ(Report.Calls, GetParam().ReplaceProject ? 1 : 0);
    Type(Spin("HPEdit"), "1");
    Click(Button("ApplyButton"));
    ASSERT_EQ(Report.Calls, 1);
    EXPECT_EQ(Report.Cancelled, GetParam().ReplaceProject);
    EXPECT_EQ(Report.Task, nullptr);
    if (GetParam().ReplaceProject) {
        EXPECT_EQ(Report.NewTask, nullptr);
    } else {
        const auto* typed = dynamic_cast<const TActionTask*>(Report.NewTask.get());
        ASSERT_NE(typed, nullptr);
        EXPECT_EQ(typed->GetParam(0), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, TaskGoneTest,
                         ::testing::Values(TGoneCase{"Deleted", false}, TGoneCase{"NewProject", true}),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- Browse and the item picker ----------------------------------------------------------------

TEST_F(ActionFormTest, BrowseShowsPleaseWaitBeforeThePickerAppears)
{
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form));
    struct TPaintWatch : QObject {
        QLabel* Label = nullptr;
        std::vector<QString> Painted;
        bool PickerExisted = false;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (watched == Label && event->type() == QEvent::Paint) {
                Painted.push_back(Label->text());
                for (QWidget* w : QApplication::topLevelWidgets())
                    PickerExisted |= qobject_cast<TItemForm*>(w) != nullptr && Label->text() != "Item ID";
            }
            return false;
        }
    } watch;
    watch.Label = ItemIDLabel();
    ItemIDLabel()->installEventFilter(&watch);
    TItemForm* picker = Browse();
    ItemIDLabel()->removeEventFilter(&watch);

    ASSERT_NE(picker, nullptr);
    EXPECT_NE(std::find(watch.Painted.begin(), watch.Painted.end(), "Please wait.."), watch.Painted.end());
    EXPECT_FALSE(watch.PickerExisted);
    EXPECT_EQ(ItemIDLabel()->text(), "Item ID");
    EXPECT_FALSE(Button("BrowseButton")->isEnabled());
}

TEST_F(ActionFormTest, BrowseThenApplyTakesTheItemAndShowsItsName)
{
    Open();
    TItemForm* picker = Browse();
    ASSERT_NE(picker, nullptr);
    auto* view = picker->findChild<QTableView*>("ItemView");
    ASSERT_NE(view, nullptr);
    const QModelIndex buckler = view->model()->index(0, 0);
    EXPECT_EQ(view->model()->data(buckler).toString(), "Buckler [2]");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(buckler).center());
    Click(picker->findChild<QPushButton*>("ApplyButton"));

    EXPECT_EQ(Spin("ItemIDEdit")->Value(), 2104);
    EXPECT_EQ(ItemIDLabel()->text(), "Item ID (Buckler)");
    EXPECT_TRUE(Button("BrowseButton")->isEnabled());
    EXPECT_EQ(Form->Picker(), nullptr);
}

TEST_F(ActionFormTest, BrowseThenCancelKeepsTheValueAndResetsTheLabel)
{
    Open();
    TItemForm* first = Browse();
    ASSERT_NE(first, nullptr);
    Click(first->findChild<QPushButton*>("ApplyButton"));  // first row: Buckler
    ASSERT_EQ(ItemIDLabel()->text(), "Item ID (Buckler)");
    ProcessDeletions();

    TItemForm* second = Browse();
    ASSERT_NE(second, nullptr);
    Click(second->findChild<QPushButton*>("CancelButton"));
    EXPECT_EQ(Spin("ItemIDEdit")->Value(), 2104);
    EXPECT_EQ(ItemIDLabel()->text(), "Item ID");
    EXPECT_TRUE(Button("BrowseButton")->isEnabled());
}

// The picker opens on the item the field holds, so Enter keeps it and the neighbours are in view.
TEST_F(ActionFormTest, ThePickerOpensOnTheItemTheFieldHolds)
{
    Open();
    TItemForm* first = Browse();
    ASSERT_NE(first, nullptr);
    auto* view = first->findChild<QTableView*>("ItemView");
    const QModelIndex potion = view->model()->index(view->model()->rowCount() - 1, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(potion).center());
    Click(first->findChild<QPushButton*>("ApplyButton"));
    const std::int32_t picked = Spin("ItemIDEdit")->Value();
    ProcessDeletions();

    TItemForm* second = Browse();
    ASSERT_NE(second, nullptr);
    view = second->findChild<QTableView*>("ItemView");
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.front().row(), view->model()->rowCount() - 1);
    Click(second->findChild<QPushButton*>("ApplyButton"));
    EXPECT_EQ(Spin("ItemIDEdit")->Value(), picked);
}

TEST_F(ActionFormTest, BrowseStaysDisabledWhileThePickerIsOpen)
{
    Open();
    ASSERT_NE(Browse(), nullptr);
    ClickRow(Actions(), "Heal");
    ClickRow(Actions(), "Take Item");
    EXPECT_TRUE(Spin("ItemIDEdit")->isEnabled());
    EXPECT_FALSE(Button("BrowseButton")->isEnabled());
}

TEST_F(ActionFormTest, ThePickerGoesWithItsEditor)
{
    Open();
    QPointer<TItemForm> picker = Browse();
    ASSERT_FALSE(picker.isNull());
    Click(Button("CancelButton"));
    ProcessDeletions();
    EXPECT_TRUE(Form.isNull());
    EXPECT_TRUE(picker.isNull());
}

} // namespace
