// The task tree window on the user's road: its buttons and keys, in-place renames, the editors'
// reports, and the output it regenerates after every change. Dragging has a file of its own.

#include "TaskFormSupport.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "model/ConditionTasks.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "ui/ChildWindows.h"
#include "ui/Form_Actions.h"
#include "ui/Form_Message.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>

#include <functional>
#include <limits>

using namespace tasktest;

namespace {

// Stands for a real editor window: reports Apply with a task, as the editors do.
class TStubEditor final : public TTaskEditorForm {
public:
    TStubEditor() : TTaskEditorForm(::Document()) {}
    void LoadTask(TTask* task) override { SetEditedTask(task); }
    // The stub has no buttons: Apply below hands over its task whole.
    std::unique_ptr<TTask> NewTask() const override { return nullptr; }
    void Store(TTask&) const override {}
    // Without a task: an Apply in edit mode that hands back the edited task unchanged.
    void Apply(std::unique_ptr<TTask> result = nullptr)
    {
        if (!result && EditedTask())
            result = CopyTask(*EditedTask());
        if (result)
            SetResult(std::move(result));
        Finish(false);
    }
};

TEST_F(TaskFormTest, ANewProjectShowsStartSelected)
{
    EXPECT_EQ(Form->windowTitle(), "Tasks");
    EXPECT_EQ(TreeShape(Start()), "Start");
    EXPECT_EQ(Form->SelectedTask(), Start()->Data());
    EXPECT_EQ(View()->currentIndex(), Model()->IndexOf(Start()));
    EXPECT_FALSE(Project().Modified);
}

TEST_F(TaskFormTest, TheTenButtonsStandInOrderAndTabFollowsThem)
{
    const std::vector<std::pair<const char*, const char*>> buttons{
        {"OutputButton", "O&utput"}, {"EditButton", "Ed&it"},         {"DeleteButton", "&Delete"},
        {"GroupButton", "&Group"},   {"ActionButton", "&Action"},     {"ConButton", "&Condition"},
        {"MessageButton", "&Message"}, {"MenuButton", "Me&nu"},       {"ManualButton", "Manua&l"},
        {"StatementButton", "&Statement"}};
    View()->setFocus();
    int previousTop = -1;
    for (const auto& [name, caption] : buttons) {
        QPushButton* button = Button(name);
        EXPECT_EQ(button->text(), caption);
        EXPECT_EQ(button->size(), QSize(81, 25)) << name;
        EXPECT_TRUE(button->font().bold()) << name;
        EXPECT_GT(button->y(), previousTop) << name;
        previousTop = button->y();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), button) << "tab should reach " << name;
    }
}

TEST_F(TaskFormTest, DeleteOnStartDeletesNothingAndChangesNothing)
{
    ClickNode(Start());
    Click("DeleteButton");
    EXPECT_EQ(TreeShape(Start()), "Start");
    EXPECT_EQ(Project().TaskList.TaskCount(), 1);
    EXPECT_FALSE(Project().Modified);
}

TEST_F(TaskFormTest, DeletingAGroupTakesEveryTaskBelowItOutOfTaskList)
{
    TTaskNode* group = AddGroup(Start(), "G");
    AddMessage(group, "B");
    TTaskNode* inner = AddGroup(group, "H");
    AddMessage(inner, "C");
    TTaskNode* after = AddMessage(Start(), "D");
    ASSERT_EQ(Project().TaskList.TaskCount(), 6);

    ClickNode(group);
    Click("DeleteButton");
    EXPECT_EQ(TreeShape(Start()), "Start(D)");
    ASSERT_EQ(Project().TaskList.TaskCount(), 2);
    EXPECT_EQ(Project().TaskList.TaskAt(0), Start()->Data());
    EXPECT_EQ(Project().TaskList.TaskAt(1), after->Data());
    EXPECT_EQ(Project().TaskTree.Selected(), after);
    EXPECT_EQ(View()->currentIndex(), Model()->IndexOf(after));
    ASSERT_NO_FATAL_FAILURE(ExpectOutputCurrent());
}

TEST_F(TaskFormTest, GroupAddsNumberedGroupsOpenForTyping)
{
    ClickNode(Start());
    Click("GroupButton");
    ASSERT_EQ(Start()->ChildCount(), 1);
    TTaskNode* first = Start()->Child(0);
    // The selection stays on Start, so the next task goes after the new group.
    EXPECT_EQ(Project().TaskTree.Selected(), Start());
    EXPECT_EQ(first->Text(), "New Group");
    EXPECT_EQ(static_cast<TGroupTask*>(first->Data())->GroupNumber, 1);
    TypeRename("Shop");
    EXPECT_EQ(first->Text(), "Shop");
    EXPECT_EQ(first->Data()->Caption, "Shop");
    EXPECT_EQ(first->Data()->UserNamed, 1);

    // The second group goes inside the selected group "Shop", as its last child.
    ClickNode(first);
    Click("GroupButton");
    ASSERT_EQ(first->ChildCount(), 1);
    TTaskNode* second = first->Child(0);
    EXPECT_EQ(Project().TaskTree.Selected(), first);
    EXPECT_EQ(static_cast<TGroupTask*>(second->Data())->GroupNumber, 2);
    TypeRename("Bye");
    EXPECT_EQ(TreeShape(Start()), "Start(Shop(Bye))");
    EXPECT_TRUE(Project().Modified);
    ASSERT_NO_FATAL_FAILURE(ExpectOutputCurrent());
}

TEST_F(TaskFormTest, NoGroupIsAddedOnceTheNumbersAreUsedUp)
{
    Project().NextGroupNumber = std::numeric_limits<std::int32_t>::max();
    ClickNode(Start());
    Click("GroupButton");
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_NE(Errors[0].find("used up"), std::string::npos) << Errors[0];
    Errors.clear();
    EXPECT_EQ(TreeShape(Start()), "Start");
    EXPECT_FALSE(Project().Modified);
}

TEST_F(TaskFormTest, AnEmptyRenameIsRefusedAndChangesNothing)
{
    ClickNode(Start());
    Click("GroupButton");
    TTaskNode* group = Start()->Child(Start()->ChildCount() - 1);
    Document().SetModified(false);
    TypeRename("");
    EXPECT_EQ(group->Text(), "New Group");
    EXPECT_EQ(group->Data()->Caption, "New Group");
    EXPECT_EQ(group->Data()->UserNamed, 0);
    EXPECT_FALSE(Project().Modified);
}

TEST_F(TaskFormTest, F2OnStartRenamesItAndTheScriptGetsItsCommentLine)
{
    ClickNode(Start());
    QTest::keyClick(View(), Qt::Key_F2);
    TypeRename("Main");
    EXPECT_EQ(Start()->Text(), "Main");
    EXPECT_EQ(static_cast<TGroupTask*>(Start()->Data())->GroupNumber, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectOutputCurrent());
    const std::vector<std::string>& lines = OutputWindow()->ScriptLines();
    const auto comment = std::find(lines.begin(), lines.end(), "\t// Main //");
    ASSERT_NE(comment, lines.end());
    EXPECT_EQ(*(comment + 1), "\tL0:");
}

TEST_F(TaskFormTest, EscapeAbandonsARename)
{
    ClickNode(Start());
    Click("EditButton");
    QLineEdit* editor = RenameEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "Other");
    Document().SetModified(false);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(Start()->Text(), "Start");
    EXPECT_EQ(Start()->Data()->UserNamed, 0);
    EXPECT_FALSE(Project().Modified);
}

struct TShortCaptionCase {
    std::size_t Length;
    std::string Expected;
};

class ShortCaptionTable : public ::testing::TestWithParam<TShortCaptionCase> {};

TEST_P(ShortCaptionTable, CutsLongCaptionsTo38CharactersAndTwoDots)
{
    std::string caption;
    for (std::size_t i = 0; i < GetParam().Length; ++i)
        caption += static_cast<char>('a' + i % 26);
    EXPECT_EQ(TTaskForm::ShortCaption(caption), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, ShortCaptionTable,
    ::testing::Values(TShortCaptionCase{0, ""}, TShortCaptionCase{39, "abcdefghijklmnopqrstuvwxyzabcdefghijklm"},
                      TShortCaptionCase{40, "abcdefghijklmnopqrstuvwxyzabcdefghijklmn"},
                      TShortCaptionCase{41, "abcdefghijklmnopqrstuvwxyzabcdefghijkl.."},
                      TShortCaptionCase{90, "abcdefghijklmnopqrstuvwxyzabcdefghijkl.."}),
    [](const auto& info) { return "Length" + std::to_string(info.param.Length); });

// ---- The keys and the context menu of the tree ----------------------------------------------

enum class TGesture { EnterKey, DoubleClick, MenuEdit, DeleteKey, MenuDelete };

class TreeGestureTest : public TaskFormTest, public ::testing::WithParamInterface<TGesture> {};

TEST_P(TreeGestureTest, WorksAsItsButtonOnTheSelectedTask)
{
    TTaskNode* message = AddMessage(Start(), "Hello");
    ClickNode(message);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
    const QList<QAction*> menu = View()->actions();
    ASSERT_EQ(View()->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(menu.size(), 11);
    EXPECT_EQ(menu[0]->text() + menu[1]->text() + menu[2]->text() + menu[3]->text(),
              "&Edit&Delete&Rename\tF2&Label Name...");
    EXPECT_EQ(menu[4]->text() + menu[5]->text() + menu[6]->text() + menu[7]->text(), "Move &UpMove Do&wn&Copy&Paste");
    EXPECT_EQ(menu[4]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Up));
    EXPECT_EQ(menu[7]->shortcut(), QKeySequence(QKeySequence::Paste));
    EXPECT_TRUE(menu[8]->isSeparator());
    EXPECT_TRUE(menu[9]->text().startsWith(QStringLiteral("&Undo\tCtrl+Z"))) << menu[9]->text().toStdString();
    EXPECT_TRUE(menu[10]->text().startsWith(QStringLiteral("&Redo\t"))) << menu[10]->text().toStdString();
    switch (GetParam()) {
    case TGesture::EnterKey: QTest::keyClick(View(), Qt::Key_Return); break;
    case TGesture::DoubleClick: QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, PointOf(message)); break;
    case TGesture::MenuEdit: menu[0]->trigger(); break;
    case TGesture::DeleteKey: QTest::keyClick(View(), Qt::Key_Delete); break;
    case TGesture::MenuDelete: menu[1]->trigger(); break;
    }
    const bool deletes = GetParam() == TGesture::DeleteKey || GetParam() == TGesture::MenuDelete;
    EXPECT_EQ(Project().TaskTree.Count(), deletes ? 1 : 2);
    ASSERT_EQ(OpenWindows<TMessageForm>().size(), deletes ? 0u : 1u);
    if (!deletes) {
        EXPECT_EQ(OpenWindows<TMessageForm>().front()->Task(), message->Data());
    }
}

INSTANTIATE_TEST_SUITE_P(Gestures, TreeGestureTest,
                         ::testing::Values(TGesture::EnterKey, TGesture::DoubleClick, TGesture::MenuEdit,
                                           TGesture::DeleteKey, TGesture::MenuDelete));

// ---- Editors -------------------------------------------------------------------------------

TEST_F(TaskFormTest, AnOpenEditorDisablesItsKindsButtonUntilItReportsBack)
{
    auto next = std::make_unique<TActionTask>("Action: Next Button()", ActionAt(5));
    TActionTask* action = Add(Start(), std::move(next));

    Click("ActionButton");
    EXPECT_FALSE(Button("ActionButton")->isEnabled());
    EXPECT_TRUE(Button("ConButton")->isEnabled());
    ASSERT_EQ(OpenWindows<TActionForm>().size(), 1u);
    TActionForm* newEditor = OpenWindows<TActionForm>().front();
    EXPECT_FALSE(newEditor->EditMode());

    // "Edit" still opens a second action editor.
    ClickNode(action->Node);
    Click("EditButton");
    ASSERT_EQ(OpenWindows<TActionForm>().size(), 2u);
    newEditor->OnDone(newEditor, true);
    EXPECT_TRUE(Button("ActionButton")->isEnabled());
    EXPECT_EQ(TreeShape(Start()), "Start(Action: Next Button())");
}

TEST_F(TaskFormTest, ANewActionIsShownBeforeTheSelectedTaskWithItsDisplayText)
{
    TTaskNode* x = AddMessage(Start(), "X");
    ClickNode(x);
    auto* editor = new TStubEditor();
    editor->OnDone = [form = Form](TTaskEditorForm* e, bool cancelled) { form->ActionEditorDone(e, cancelled); };
    editor->LoadTask(nullptr);
    editor->Apply(std::make_unique<TActionTask>("", ActionAt(5)));
    EXPECT_EQ(TreeShape(Start()), "Start(Action: Next Button,X)");
    EXPECT_EQ(Project().TaskList.TaskCount(), 3);
    EXPECT_EQ(Project().TaskTree.Selected(), x);
    EXPECT_TRUE(Project().Modified);
    ASSERT_NO_FATAL_FAILURE(ExpectOutputCurrent());
}

TEST_F(TaskFormTest, AUserNamedTaskKeepsItsCaptionWhenEditedAgain)
{
    TActionTask* action = Add(Start(), std::make_unique<TActionTask>("Action: Next Button()", ActionAt(5)));
    ClickNode(action->Node);
    QTest::keyClick(View(), Qt::Key_F2);
    TypeRename("Give reward");
    ASSERT_EQ(action->UserNamed, 1);

    auto* editor = new TStubEditor();
    editor->OnDone = [form = Form](TTaskEditorForm* e, bool cancelled) { form->ActionEditorDone(e, cancelled); };
    editor->LoadTask(action);
    auto picked = CopyTask(*action);
    static_cast<TActionTask&>(*picked).Action = ActionAt(6);  // the user picked "Close Script" and applied
    editor->Apply(std::move(picked));
    EXPECT_EQ(action->Caption, "Give reward");
    EXPECT_EQ(action->Node->Text(), "Give reward");
    ASSERT_NO_FATAL_FAILURE(ExpectOutputCurrent());
}

TEST_F(TaskFormTest, AMessageWrittenInItsEditorShowsOnOneLine)
{
    ClickNode(Start());
    Click("MessageButton");
    EXPECT_FALSE(Button("MessageButton")->isEnabled());
    ASSERT_EQ(OpenWindows<TMessageForm>().size(), 1u);
    TMessageForm* editor = OpenWindows<TMessageForm>().front();
    auto* text = editor->findChild<QPlainTextEdit*>("MessageEdit");
    ASSERT_NE(text, nullptr);
    QTest::keyClicks(text, "Hello");
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, "Bye");
    QTest::mouseClick(editor->findChild<QPushButton*>("ApplyButton"), Qt::LeftButton);
    ProcessDeletions();

    EXPECT_TRUE(Button("MessageButton")->isEnabled());
    ASSERT_EQ(Start()->ChildCount(), 1);
    TTaskNode* node = Start()->Child(0);
    EXPECT_EQ(node->Data()->Caption, "Message: Hello\r\nBye\r\n");
    EXPECT_EQ(node->Text(), "Message: Hello\r\nBye\r\n");  // 21 characters: not shortened
    const QModelIndex index = Model()->IndexOf(node);
    EXPECT_EQ(index.data(Qt::DisplayRole).toString(), QStringLiteral("Message: Hello Bye"));
    EXPECT_EQ(index.data(Qt::EditRole).toString(), "Message: Hello\r\nBye\r\n");
    EXPECT_EQ(Project().TaskTree.Selected(), Start()) << "the selection stays where it was";
    ASSERT_NO_FATAL_FAILURE(ExpectOutputCurrent());
}

TEST_F(TaskFormTest, CancellingAnEditorEnablesItsButtonAndAddsNothing)
{
    Click("ActionButton");
    ASSERT_EQ(OpenWindows<TActionForm>().size(), 1u);
    Document().SetModified(false);
    QTest::mouseClick(OpenWindows<TActionForm>().front()->findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
    ProcessDeletions();
    EXPECT_TRUE(Button("ActionButton")->isEnabled());
    EXPECT_TRUE(OpenWindows<TActionForm>().empty());
    EXPECT_EQ(TreeShape(Start()), "Start");
    EXPECT_FALSE(Project().Modified);
}

// A line break counts once however it is stored, so a label reads the same after a save (which
// stores "\r\n") and a reload.
TEST_F(TaskFormTest, ALabelIsCutByWhatItShowsWhateverTheLineBreaksAreMadeOf)
{
    const std::string words(38, 'p');
    const QString shown = QString::fromStdString(words) + QStringLiteral(".");
    for (const char* lineBreak : {"\n", "\r\n", "\r"}) {
        TTaskNode* node = AddMessage(Start(), words + "." + lineBreak);
        EXPECT_EQ(Model()->IndexOf(node).data(Qt::DisplayRole).toString(), shown) << (lineBreak[0] == '\r' ? "CR" : "LF");
    }
}

TEST_F(TaskFormTest, ConfirmingARenameUnchangedIsNoRename)
{
    TTaskNode* node = AddMessage(Start(), "Message: Hello\r\nBye\r\n");
    ClickNode(node);
    QTest::keyClick(View(), Qt::Key_F2);
    QLineEdit* editor = RenameEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(node->Data()->Caption, "Message: Hello\r\nBye\r\n");
    // Unchanged is no rename: the caption stays the generated one, out of the script.
    EXPECT_EQ(node->Data()->UserNamed, 0);
    EXPECT_FALSE(Project().Modified);
}

struct TEditorDoneCase {
    const char* Name;
    void (TTaskForm::*Done)(TTaskEditorForm*, bool);
    std::function<std::unique_ptr<TTask>()> Make;
    std::string Caption;
};

void PrintTo(const TEditorDoneCase& kind, std::ostream* out)
{
    *out << kind.Name;
}

class EditorDoneTable : public TaskFormTest, public ::testing::WithParamInterface<TEditorDoneCase> {};

TEST_P(EditorDoneTable, ANewTaskGetsItsKindsPrefix)
{
    ClickNode(Start());
    auto* editor = new TStubEditor();
    editor->OnDone = [form = Form, done = GetParam().Done](TTaskEditorForm* e, bool cancelled) {
        (form->*done)(e, cancelled);
    };
    editor->LoadTask(nullptr);
    editor->Apply(GetParam().Make());
    ASSERT_EQ(Start()->ChildCount(), 1);
    EXPECT_EQ(Start()->Child(0)->Data()->Caption, GetParam().Caption);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EditorDoneTable,
    ::testing::Values(
        TEditorDoneCase{"Condition", &TTaskForm::ConditionEditorDone,
                        [] {
                            auto task = std::make_unique<TConTask>();
                            task->Caption = "At least 1000 Zeny";
                            return std::unique_ptr<TTask>(std::move(task));
                        },
                        "Condition: At least 1000 Zeny"},
        TEditorDoneCase{"Menu", &TTaskForm::MenuEditorDone,
                        [] { return std::unique_ptr<TTask>(std::make_unique<TMenuTask>("Buy, Leave")); },
                        "Menu: Buy, Leave"},
        TEditorDoneCase{"Manual", &TTaskForm::ManualEditorDone,
                        [] {
                            return std::unique_ptr<TTask>(
                                std::make_unique<TManualTask>(std::vector<std::string>{"end;"}));
                        },
                        "Manual: end;\r\n"}),
    [](const ::testing::TestParamInfo<TEditorDoneCase>& info) { return std::string(info.param.Name); });

// A condition's label ends with where it jumps, and follows the group's name.
TEST_F(TaskFormTest, AConditionsLabelNamesTheGroupItJumpsTo)
{
    TTaskNode* shop = AddGroup(nullptr, "Shop");
    auto condition = std::make_unique<TConTask>();
    condition->Caption = "Condition: At least 1000 Zeny";
    condition->Target = static_cast<TGroupTask*>(shop->Data())->GroupNumber;
    TConTask* jump = Add(Start(), std::move(condition));
    auto leave = std::make_unique<TConTask>();
    leave->Caption = "Condition: Equal to 0 Zeny";
    leave->Target = GroupExitTarget;
    TConTask* exit = Add(Start(), std::move(leave));
    const auto label = [this](const TTask* task) {
        return Model()->IndexOf(task->Node).data(Qt::DisplayRole).toString();
    };
    EXPECT_EQ(label(jump), QStringLiteral(u"Condition: At least 1000 Zeny \u2192 Shop"));
    EXPECT_EQ(label(exit), QStringLiteral(u"Condition: Equal to 0 Zeny \u2192 Group Exit"));
    EXPECT_EQ(Model()->IndexOf(jump->Node).data(Qt::EditRole).toString(), "Condition: At least 1000 Zeny")
        << "the caption itself is not changed";

    ClickNode(shop);
    QTest::keyClick(View(), Qt::Key_F2);
    TypeRename("Potions");
    EXPECT_EQ(label(jump), QStringLiteral(u"Condition: At least 1000 Zeny \u2192 Potions"));
    Document().DeleteNode(shop);
    EXPECT_EQ(label(jump), QStringLiteral(u"Condition: At least 1000 Zeny \u2192 (no group)"));
}

// The action editor is open on a task; the user deletes the task's node, then applies the editor.
class DeletedWhileEditedTest : public TaskFormTest {
protected:
    void SetUp() override
    {
        TaskFormTest::SetUp();
        TActionTask* action = Add(Start(), std::make_unique<TActionTask>("Action: Next Button()", ActionAt(5)));
        ClickNode(action->Node);
        Click("EditButton");
        ASSERT_EQ(OpenWindows<TActionForm>().size(), 1u);
        Editor = OpenWindows<TActionForm>().front();
        ASSERT_TRUE(Editor->EditMode());
        ClickNode(action->Node);
        Click("DeleteButton");
        ASSERT_EQ(Project().TaskList.TaskCount(), 1);
        Document().SetModified(false);
    }

    void ExpectNothingChanged() const
    {
        EXPECT_TRUE(Button("ActionButton")->isEnabled());
        EXPECT_EQ(TreeShape(Start()), "Start");
        EXPECT_EQ(Project().TaskList.TaskCount(), 1);
        EXPECT_FALSE(Project().Modified);
    }

    TActionForm* Editor = nullptr;
};

TEST_F(DeletedWhileEditedTest, ApplyLeavesTheTreeAlone)
{
    QTest::mouseClick(Editor->findChild<QPushButton*>("ApplyButton"), Qt::LeftButton);
    ProcessDeletions();
    EXPECT_TRUE(OpenWindows<TActionForm>().empty());
    ExpectNothingChanged();
}

TEST_F(DeletedWhileEditedTest, EvenAnApplyReportedAsSuchTouchesNoDestroyedTask)
{
    Editor->OnDone(Editor, false);
    EXPECT_EQ(Editor->Task(), nullptr);
    ExpectNothingChanged();
}

TEST_F(TaskFormTest, AnEditorWhoseProjectWasReplacedLeavesTheNewProjectAlone)
{
    TMessageTask* message = static_cast<TMessageTask*>(AddMessage(Start(), "Hi")->Data());
    auto* editor = new TStubEditor();
    editor->OnDone = [form = Form](TTaskEditorForm* e, bool cancelled) { form->MessageEditorDone(e, cancelled); };
    editor->LoadTask(message);

    Document().NewProject();
    editor->Apply();
    EXPECT_EQ(TreeShape(Start()), "Start");
    EXPECT_EQ(Project().TaskList.TaskCount(), 1);
    EXPECT_FALSE(Project().Modified);
}

// ---- Closing and placing -------------------------------------------------------------------

TEST(TaskFormFrameTest, ItsChildWindowStandsBelowTheTopOfTheFrameAtItsSize)
{
    SetUpTaskWindowCatalogues();
    QMainWindow frame;
    auto* area = new QMdiArea;
    frame.setCentralWidget(area);
    frame.resize(1000, 800);
    frame.show();
    auto* form = new TTaskForm(Document(), nullptr, &frame);
    QWidget* child = ChildFrame(form);
    ASSERT_NE(child, form);
    EXPECT_EQ(child->pos(), QPoint(0, 115));
    EXPECT_EQ(child->height(), 347);
    EXPECT_EQ(child->contentsRect().width(), 398);
    EXPECT_EQ(form->width(), 398);
    EXPECT_FALSE(child->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(child->minimumSize(), QSize(248, 323));

    form->ShowOutput();
    const QPointer<TEditorForm> output = form->Output();
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(ChildFrame(output)->contentsRect().size(), QSize(400, 400));
    delete form;  // takes the output window with it
    ProcessDeletions();
    EXPECT_TRUE(output.isNull());
    Document().NewProject();
}


TEST_F(TaskFormTest, ClosingOnlyMinimisesUntilTheMainWindowAgreesToClose)
{
    QPointer<TTaskForm> form = Form;
    form->close();
    ProcessDeletions();
    ASSERT_FALSE(form.isNull());
    EXPECT_TRUE(ChildFrame(form)->isMinimized());

    form->Closing = true;
    form->close();
    ProcessDeletions();
    EXPECT_TRUE(form.isNull());
    Form = nullptr;
}

} // namespace
