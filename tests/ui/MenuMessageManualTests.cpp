// The menu, message and manual-code editors, driven through their controls.
#include "EditorTestSupport.h"
#include "DocumentSupport.h"
#include "model/ScriptWriter.h"
#include "TestSupport.h"

#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "ui/Form_Manual.h"
#include "ui/Form_Menus.h"
#include "ui/Form_Message.h"

#include <QLabel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeWidget>

using namespace editortest;

namespace {

// ---- Menu editor ----------------------------------------------------------------------------------

class MenuFormTest : public EditorTest<TMenuForm> {
protected:
    QLineEdit* NameEdit() const { return Child<QLineEdit>(Form, "MenuEdit"); }
    QComboBox* Groups() const { return Child<QComboBox>(Form, "GroupCombo"); }
    QTreeWidget* View() const { return Child<QTreeWidget>(Form, "MenuView"); }

    void AddChoice(const char* text, const char* group)
    {
        Type(NameEdit(), QString::fromLatin1(text));
        PickEntry(Groups(), group);
        Click(Button("AddButton"));
    }

    std::vector<std::pair<std::string, std::string>> Rows() const
    {
        std::vector<std::pair<std::string, std::string>> rows;
        for (int i = 0; i < View()->topLevelItemCount(); ++i)
            rows.emplace_back(View()->topLevelItem(i)->text(0).toStdString(),
                              View()->topLevelItem(i)->text(1).toStdString());
        return rows;
    }

    TMenuTask* AddMenu(const std::vector<std::pair<std::string, std::int32_t>>& entries,
                       std::uint8_t userNamed = 0)
    {
        auto menu = std::make_unique<TMenuTask>("Menu: old");
        for (const auto& [text, target] : entries)
            menu->AddEntry(std::make_unique<TDMenu>(text, target));
        menu->UserNamed = userNamed;
        return AddTask(std::move(menu));
    }
};

TEST_F(MenuFormTest, BuyForShopAndLeaveForStartMakeTwoRowsAndTheCaption)
{
    TGroupTask* shop = AddGroup("Shop");
    Open();
    EXPECT_EQ(Form->windowTitle(), "Menus");
    // No group is chosen for the user.
    EXPECT_EQ(Groups()->currentIndex(), -1);
    AddChoice("Buy", "Shop");
    EXPECT_EQ(NameEdit()->text(), "Buy");
    EXPECT_EQ(NameEdit()->selectedText(), "Buy");
    // Typing replaces the selected text.
    QTest::keyClicks(NameEdit(), "Leave");
    PickEntry(Groups(), "Start");
    Click(Button("AddButton"));
    EXPECT_EQ(Rows(), (std::vector<std::pair<std::string, std::string>>{{"Buy", "Shop"}, {"Leave", "Start"}}));
    EXPECT_EQ(View()->currentItem(), View()->topLevelItem(1));

    Click(Button("ApplyButton"));
    ASSERT_EQ(Report.Calls, 1);
    EXPECT_FALSE(Report.Cancelled);
    auto* menu = dynamic_cast<TMenuTask*>(Report.NewTask.get());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->Caption, "Buy, Leave");
    ASSERT_EQ(menu->EntryCount(), 2);
    EXPECT_EQ(menu->EntryAt(0)->Target, shop->GroupNumber);
    EXPECT_EQ(menu->EntryAt(1)->Target, 0);
}

TEST_F(MenuFormTest, AddNeedsATextAndAGroup)
{
    Open();
    EXPECT_FALSE(Button("AddButton")->isEnabled());
    EXPECT_FALSE(Button("ApplyButton")->isEnabled());
    EXPECT_FALSE(Button("DeleteButton")->isEnabled());
    QTest::keyClicks(NameEdit(), " ");
    EXPECT_FALSE(Button("AddButton")->isEnabled()) << "no group chosen yet";
    QTest::keyClick(NameEdit(), Qt::Key_Return);
    EXPECT_TRUE(Rows().empty()) << "Enter adds nothing without a group";
    PickEntry(Groups(), "Start");
    EXPECT_TRUE(Button("AddButton")->isEnabled());
    QTest::keyClick(NameEdit(), Qt::Key_Backspace);
    EXPECT_FALSE(Button("AddButton")->isEnabled());
}

TEST_F(MenuFormTest, TheTextIsTakenAsTypedAndEnterAdds)
{
    Open();
    PickEntry(Groups(), "Start");
    QTest::keyClicks(NameEdit(), "  Go, \"now\" ");
    QTest::keyClick(NameEdit(), Qt::Key_Return);
    // The choice's text has the list's width but for its group's name, and all of it in the tooltip.
    const QTreeWidgetItem* row = View()->topLevelItem(0);
    EXPECT_EQ(row->toolTip(0), row->text(0));
    EXPECT_GE(View()->header()->sectionSize(0), View()->viewport()->width() - View()->header()->sectionSize(1) - 1);
    Click(Button("ApplyButton"));
    auto* menu = dynamic_cast<TMenuTask*>(Report.NewTask.get());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->EntryAt(0)->Text, "  Go, \"now\" ");
}

TEST_F(MenuFormTest, DeleteRemovesTheLastRowWhicheverIsSelected)
{
    Open();
    AddChoice("One", "Start");
    AddChoice("Two", "Start");
    View()->setFocus();
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {},
                      View()->visualItemRect(View()->topLevelItem(0)).center());
    ASSERT_EQ(View()->currentItem(), View()->topLevelItem(0));
    Click(Button("DeleteButton"));
    EXPECT_EQ(Rows(), (std::vector<std::pair<std::string, std::string>>{{"One", "Start"}}));
    Click(Button("DeleteButton"));
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(Button("ApplyButton")->isEnabled());
    EXPECT_FALSE(Button("DeleteButton")->isEnabled());
}

// A selected choice shows in the fields; Change takes its new text and group back, and the
// Move buttons set the order the player sees.
TEST_F(MenuFormTest, AChoiceIsChangedInPlaceAndMovedUpAndDown)
{
    TGroupTask* shop = AddGroup("Shop");
    Open();
    AddChoice("One", "Start");
    AddChoice("Two", "Start");
    AddChoice("Three", "Start");
    EXPECT_FALSE(Button("DownButton")->isEnabled()) << "the last row cannot go down";
    for (const char* name : {"AddButton", "DeleteButton", "ChangeButton", "UpButton", "DownButton"})
        EXPECT_TRUE(ShowsWholeCaption(Button(name))) << name;
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {},
                      View()->visualItemRect(View()->topLevelItem(0)).center());
    EXPECT_EQ(NameEdit()->text(), "One");
    EXPECT_FALSE(Button("UpButton")->isEnabled());
    Type(NameEdit(), QStringLiteral("Shop now"));
    PickEntry(Groups(), "Shop");
    Click(Button("ChangeButton"));
    using TRows = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(Rows(), (TRows{{"Shop now", "Shop"}, {"Two", "Start"}, {"Three", "Start"}}));

    Click(Button("DownButton"));
    Click(Button("DownButton"));
    EXPECT_EQ(Rows(), (TRows{{"Two", "Start"}, {"Three", "Start"}, {"Shop now", "Shop"}}));
    Click(Button("UpButton"));
    EXPECT_EQ(Rows(), (TRows{{"Two", "Start"}, {"Shop now", "Shop"}, {"Three", "Start"}}));

    Click(Button("ApplyButton"));
    auto* menu = dynamic_cast<TMenuTask*>(Report.NewTask.get());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->EntryCount(), 3);
    EXPECT_EQ(menu->EntryAt(1)->Text, "Shop now");
    EXPECT_EQ(menu->EntryAt(1)->Target, shop->GroupNumber);
    EXPECT_EQ(menu->Caption, "Two, Shop now, Three");
}

TEST_F(MenuFormTest, EditingShowsTheEntriesAndAGroupThatIsGoneAsAnEmptyCell)
{
    TGroupTask* shop = AddGroup("Shop");
    TGroupTask* inn = AddGroup("Inn");
    TMenuTask* menu = AddMenu({{"Buy", shop->GroupNumber}, {"Sleep", inn->GroupNumber}});
    DeleteTask(inn);
    Open(menu);
    EXPECT_EQ(Rows(), (std::vector<std::pair<std::string, std::string>>{{"Buy", "Shop"}, {"Sleep", ""}}));
    EXPECT_EQ(View()->currentItem(), View()->topLevelItem(1));
    EXPECT_TRUE(Button("ApplyButton")->isEnabled());
}

TEST_F(MenuFormTest, GroupsChangedWhileOpenAreListedAgainAndAGoneTargetIsNeverStored)
{
    TGroupTask* shop = AddGroup("Shop");
    Open();
    AddChoice("Buy", "Shop");
    Document().AddTask(Project().NewGroup("Inn"));
    EXPECT_EQ(ComboTexts(Groups()), (std::vector<std::string>{"Start", "Shop", "Inn"}));
    DeleteTask(shop);
    EXPECT_EQ(ComboTexts(Groups()), (std::vector<std::string>{"Start", "Inn"}));
    EXPECT_EQ(Rows(), (std::vector<std::pair<std::string, std::string>>{{"Buy", ""}}));
    auto dialogs = std::make_unique<TFakeDialogs>();
    TFakeDialogs* fake = dialogs.get();
    SetDialogs(*Form, std::move(dialogs));
    Click(Button("ApplyButton"));
    EXPECT_EQ(fake->Errors.size(), 1u);
    EXPECT_EQ(Report.Calls, 0);
}

TEST_F(MenuFormTest, ApplyInEditModeKeepsTheObjectAndRewritesAnUnnamedCaption)
{
    TMenuTask* menu = AddMenu({{"Yes", 0}});
    Open(menu);
    AddChoice("No", "Start");
    Click(Button("ApplyButton"));
    EXPECT_TRUE(Report.EditMode);
    EXPECT_EQ(Report.Task, menu);
    EXPECT_EQ(Report.NewTask, nullptr);
    EXPECT_EQ(menu->Caption, "Yes, No");
    EXPECT_EQ(menu->EntryCount(), 2);
}

TEST_F(MenuFormTest, ApplyInEditModeKeepsAUserName)
{
    TMenuTask* menu = AddMenu({{"Yes", 0}}, 1);
    Open(menu);
    AddChoice("No", "Start");
    Click(Button("ApplyButton"));
    EXPECT_EQ(menu->Caption, "Menu: old");
    EXPECT_EQ(menu->UserNamed, 1);
}

TEST_F(MenuFormTest, CancelAfterChangesLeavesTheMenuAsItWas)
{
    TMenuTask* menu = AddMenu({{"Buy", 0}, {"Sell", 0}});
    const TDMenu* first = menu->EntryAt(0);
    Open(menu);
    Click(Button("DeleteButton"));
    AddChoice("Steal", "Start");
    Click(Button("CancelButton"));
    EXPECT_TRUE(Report.Cancelled);
    ASSERT_EQ(menu->EntryCount(), 2);
    EXPECT_EQ(menu->EntryAt(0), first);
    EXPECT_EQ(menu->EntryAt(1)->Text, "Sell");
    EXPECT_EQ(menu->Caption, "Menu: old");
}

TEST_F(MenuFormTest, TheCloseBoxCancels)
{
    Open();
    AddChoice("Buy", "Start");
    Form->close();
    EXPECT_EQ(Report.Calls, 1);
    EXPECT_TRUE(Report.Cancelled);
    EXPECT_EQ(Report.NewTask, nullptr);
    ProcessDeletions();
    EXPECT_TRUE(Form.isNull());
}

// ---- Message editor -------------------------------------------------------------------------------

class MessageFormTest : public EditorTest<TMessageForm> {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        auto dialogs = std::make_unique<TFakeDialogs>();
        Fake = dialogs.get();
        FormDialogs = std::move(dialogs);
    }

    QPlainTextEdit* Text() const { return Child<QPlainTextEdit>(Form, "MessageEdit"); }

    // Types text into the message and puts the caret at position.
    void TypeAndPlaceCaret(const QString& text, int position)
    {
        Text()->setFocus();
        QTest::keyClicks(Text(), text);
        QTest::keyClick(Text(), Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < position; ++i)
            QTest::keyClick(Text(), Qt::Key_Right);
    }

    TFakeDialogs* Fake = nullptr;
};

struct TColourCase {
    QColor Colour;
    const char* Expected;
};

class MessageColourTest : public MessageFormTest, public ::testing::WithParamInterface<TColourCase> {};

TEST_P(MessageColourTest, TheColourCodeGoesInAtTheCaret)
{
    Open();
    TypeAndPlaceCaret("Hello world", 5);
    Fake->Colours.push_back(GetParam().Colour);
    Click(Button("ColorPanel"));
    EXPECT_EQ(Text()->toPlainText(), QString::fromLatin1(GetParam().Expected));
    EXPECT_EQ(Text()->textCursor().position(), 12);
    EXPECT_FALSE(Text()->textCursor().hasSelection());
    EXPECT_EQ(Form->focusWidget(), Text()) << "the caret is not back in the message";
}

INSTANTIATE_TEST_SUITE_P(Colours, MessageColourTest,
                         ::testing::Values(TColourCase{QColor(0, 255, 0), "Hello^00FF00 world"},
                                           TColourCase{QColor(18, 52, 86), "Hello^123456 world"},
                                           TColourCase{QColor(0, 0, 128), "Hello^000080 world"},
                                           TColourCase{QColor(255, 0, 0), "Hello^FF0000 world"}),
    [](const auto& info) { return ReadableName(info.param.Colour.name().mid(1).toStdString()); });

TEST_F(MessageFormTest, WithASelectionTheCodeGoesInFrontAndNothingIsRemoved)
{
    Open();
    TypeAndPlaceCaret("Hello world", 6);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(Text(), Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(Text()->textCursor().selectedText(), "world");
    Fake->Colours.push_back(QColor(255, 255, 255));
    Click(Button("ColorPanel"));
    EXPECT_EQ(Text()->toPlainText(), "Hello ^FFFFFFworld");
    EXPECT_EQ(Text()->textCursor().position(), 13);
    EXPECT_FALSE(Text()->textCursor().hasSelection());
}

TEST_F(MessageFormTest, TheChooserStartsFromTheLastColourAndCancellingInsertsNothing)
{
    Open();
    TypeAndPlaceCaret("Hi", 2);
    Fake->Colours.push_back(QColor(18, 52, 86));
    Fake->Colours.push_back(std::nullopt);
    Fake->Colours.push_back(QColor(0, 0, 0));
    Click(Button("ColorPanel"));
    Click(Button("ColorPanel"));
    EXPECT_EQ(Text()->toPlainText(), "Hi^123456");
    Click(Button("ColorPanel"));
    EXPECT_EQ(Text()->toPlainText(), "Hi^123456^000000");
    ASSERT_EQ(Fake->InitialColours.size(), 3u);
    EXPECT_EQ(Fake->InitialColours[0], QColor(Qt::black));
    EXPECT_EQ(Fake->InitialColours[1], QColor(18, 52, 86));
    EXPECT_EQ(Fake->InitialColours[2], QColor(18, 52, 86));
}

TEST_F(MessageFormTest, TheTextFieldIsPlainArialWithoutWrapping)
{
    Open();
    EXPECT_EQ(Form->windowTitle(), "Message");
    EXPECT_EQ(Text()->font().family(), "Arial");
    EXPECT_EQ(Text()->font().pixelSize(), 12);
    EXPECT_EQ(Text()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(Child<QLabel>(Form, "Label1")->text(), "Click to Insert Color");
}

// One rule for Tab in every window but the code editor: it moves on, as in the header's comments;
// a tab in a message line is nothing a player should see.
TEST_F(MessageFormTest, TabMovesToTheNextFieldAsInTheHeader)
{
    Open();
    Text()->setFocus();
    QTest::keyClicks(Text(), "Hi");
    QTest::keyClick(Text(), Qt::Key_Tab);
    EXPECT_EQ(Text()->toPlainText(), "Hi");
    EXPECT_TRUE(Text()->tabChangesFocus());
}

TEST_F(MessageFormTest, ApplyInNewModeMakesATaskFromTheLines)
{
    Open();
    Text()->setFocus();
    QTest::keyClicks(Text(), " Welcome! ");
    QTest::keyClick(Text(), Qt::Key_Return);
    QTest::keyClick(Text(), Qt::Key_Return);
    QTest::keyClicks(Text(), "Caf");
    // An accented letter, as a keyboard layout that has one sends it.
    QTest::sendKeyEvent(QTest::Click, Text(), Qt::Key_Eacute, QString(QChar(0xe9)), Qt::NoModifier);
    QTest::keyClicks(Text(), " \"open\"");
    Click(Button("ApplyButton"));
    ASSERT_EQ(Report.Calls, 1);
    auto* message = dynamic_cast<TMessageTask*>(Report.NewTask.get());
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->Lines, (std::vector<std::string>{" Welcome! ", "", "Caf\xe9 \"open\""}));
}

TEST_F(MessageFormTest, AnEmptyMessageIsAccepted)
{
    Open();
    Click(Button("ApplyButton"));
    ASSERT_EQ(Report.Calls, 1);
    EXPECT_FALSE(Report.Cancelled);
    auto* message = dynamic_cast<TMessageTask*>(Report.NewTask.get());
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->Lines.empty());
}

// A final line break ends the last line, as in the header's comments; an empty last line that
// was stored survives a round trip through the editor.
TEST_F(MessageFormTest, AFinalLineBreakOpensNoLine)
{
    Open();
    Text()->setFocus();
    QTest::keyClicks(Text(), "Hello");
    QTest::keyClick(Text(), Qt::Key_Return);
    Click(Button("ApplyButton"));
    auto* message = dynamic_cast<TMessageTask*>(Report.NewTask.get());
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->Lines, (std::vector<std::string>{"Hello"}));
}

TEST_F(MessageFormTest, AStoredEmptyLastLineSurvivesAnUnchangedApply)
{
    TMessageTask* message = AddTask(std::make_unique<TMessageTask>(std::vector<std::string>{"Hi", ""}));
    Open(message);
    Click(Button("ApplyButton"));
    EXPECT_EQ(message->Lines, (std::vector<std::string>{"Hi", ""}));
}

TEST_F(MessageFormTest, EditingReplacesTheLinesOfTheSameTask)
{
    TMessageTask* message = AddTask(std::make_unique<TMessageTask>(std::vector<std::string>{"Hello", "Bye"}));
    Open(message);
    EXPECT_EQ(Text()->toPlainText(), "Hello\nBye");
    Text()->setFocus();
    QTest::keyClick(Text(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(Text(), "!");
    Click(Button("ApplyButton"));
    EXPECT_TRUE(Report.EditMode);
    EXPECT_EQ(Report.Task, message);
    EXPECT_EQ(message->Lines, (std::vector<std::string>{"Hello", "Bye!"}));
}

TEST_F(MessageFormTest, CancelLeavesTheTaskAndEscapeCancels)
{
    TMessageTask* message = AddTask(std::make_unique<TMessageTask>(std::vector<std::string>{"Hello"}));
    Open(message);
    QTest::keyClicks(Text(), "xyz");
    QTest::keyClick(Text(), Qt::Key_Escape);
    EXPECT_EQ(Report.Calls, 1);
    EXPECT_TRUE(Report.Cancelled);
    EXPECT_EQ(message->Lines, (std::vector<std::string>{"Hello"}));
}

TEST_F(MessageFormTest, TheCloseBoxOnlyMinimises)
{
    Open();
    Form->close();
    ProcessDeletions();
    ASSERT_FALSE(Form.isNull());
    EXPECT_EQ(Report.Calls, 0);
    EXPECT_TRUE(Form->isMinimized());
    Click(Button("CancelButton"));
    EXPECT_EQ(Report.Calls, 1);
    ProcessDeletions();
    EXPECT_TRUE(Form.isNull());
}

// ---- Manual-code editor ---------------------------------------------------------------------------

class ManualFormTest : public EditorTest<TManualForm> {
protected:
    QPlainTextEdit* Code() const { return Child<QPlainTextEdit>(Form, "CodeEdit"); }

    // The colour the character at position is drawn in.
    QColor ColourAt(int position) const
    {
        const QTextBlock block = Code()->document()->findBlock(position);
        const int offset = position - block.position();
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (offset >= range.start && offset < range.start + range.length &&
                range.format.hasProperty(QTextFormat::ForegroundBrush))
                return range.format.foreground().color();
        QTextCursor cursor(Code()->document());
        cursor.setPosition(position + 1);
        if (cursor.charFormat().hasProperty(QTextFormat::ForegroundBrush))
            return cursor.charFormat().foreground().color();
        return Code()->palette().color(QPalette::Text);
    }
};

const QColor White(255, 255, 255);
const QColor Yellow(255, 255, 0);
const QColor Lime(0, 255, 0);
const QColor Red(255, 0, 0);

TEST_F(ManualFormTest, TheCodeFieldIsYellowCourierOnNavyWithTheWarningAbove)
{
    Open();
    EXPECT_EQ(Form->windowTitle(), "Manual Coding");
    EXPECT_EQ(Child<QLabel>(Form, "Label1")->text(), "Warning: Please don't use manual labels, use Groups instead");
    EXPECT_EQ(Code()->palette().color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_EQ(Code()->palette().color(QPalette::Text), Yellow);
    EXPECT_EQ(Code()->font().family(), "Courier New");
    EXPECT_EQ(Code()->font().pixelSize(), 12);
    EXPECT_TRUE(Code()->font().fixedPitch());
    EXPECT_EQ(Code()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_GT(Code()->tabStopDistance(), 0);
}

TEST_F(ManualFormTest, TabInsertsATabCharacter)
{
    Open();
    Code()->setFocus();
    QTest::keyClick(Code(), Qt::Key_Tab);
    QTest::keyClicks(Code(), "close;");
    EXPECT_EQ(Code()->toPlainText(), "\tclose;");
    EXPECT_FALSE(Code()->tabChangesFocus());
}

TEST_F(ManualFormTest, MesTurnsWhiteWhenItsThirdLetterIsTyped)
{
    Open();
    Code()->setFocus();
    QTest::keyClicks(Code(), "me");
    EXPECT_EQ(ColourAt(0), Yellow);
    QTest::keyClick(Code(), Qt::Key_S);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ColourAt(i), White) << i;
    EXPECT_EQ(Code()->textCursor().position(), 3);
    EXPECT_FALSE(Code()->textCursor().hasSelection());
}

TEST_F(ManualFormTest, TheLabelOfAnExistingGroupTurnsLime)
{
    Open();
    Code()->setFocus();
    QTest::keyClicks(Code(), "goto L9; goto L0");
    EXPECT_EQ(ColourAt(5), Yellow);
    EXPECT_EQ(ColourAt(6), Yellow);
    EXPECT_EQ(ColourAt(14), Lime);
    EXPECT_EQ(ColourAt(15), Lime);
    EXPECT_EQ(Code()->textCursor().position(), 16);
}

TEST_F(ManualFormTest, OpeningATaskColoursTheWholeText)
{
    TManualTask* manual = AddTask(std::make_unique<TManualTask>(
        std::vector<std::string>{"mes \"Hi\";", "\tclose;"}));
    Open(manual);
    EXPECT_EQ(Code()->toPlainText(), "mes \"Hi\";\n\tclose;");
    EXPECT_EQ(ColourAt(0), White);
    EXPECT_EQ(ColourAt(4), Red);
    EXPECT_EQ(ColourAt(11), White);
}

TEST_F(ManualFormTest, ApplyInNewModeMakesATaskFromTheLines)
{
    Open();
    Code()->setFocus();
    QTest::keyClicks(Code(), "L1:");
    QTest::keyClick(Code(), Qt::Key_Return);
    QTest::keyClick(Code(), Qt::Key_Tab);
    QTest::keyClicks(Code(), "close;");
    Click(Button("ApplyButton"));
    ASSERT_EQ(Report.Calls, 1);
    auto* manual = dynamic_cast<TManualTask*>(Report.NewTask.get());
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(manual->Lines, (std::vector<std::string>{"L1:", "\tclose;"}));
}

TEST_F(ManualFormTest, AnEmptyCodeIsAccepted)
{
    Open();
    Click(Button("ApplyButton"));
    ASSERT_EQ(Report.Calls, 1);
    EXPECT_FALSE(Report.Cancelled);
    ASSERT_NE(dynamic_cast<TManualTask*>(Report.NewTask.get()), nullptr);
}

TEST_F(ManualFormTest, NoCodeWritesNothing)
{
    Open();
    Click(Button("ApplyButton"));
    auto* manual = dynamic_cast<TManualTask*>(Report.NewTask.get());
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(manual->Lines.empty());
    std::vector<std::string> lines;
    TScriptWriter writer(Project(), lines);
    manual->WriteScript(writer);
    EXPECT_TRUE(lines.empty());
}

TEST_F(ManualFormTest, EditingReplacesTheLinesOfTheSameTask)
{
    TManualTask* manual = AddTask(std::make_unique<TManualTask>(std::vector<std::string>{"next;"}));
    Open(manual);
    Code()->setFocus();
    QTest::keyClick(Code(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(Code(), Qt::Key_Return);
    QTest::keyClicks(Code(), "close;");
    Click(Button("ApplyButton"));
    EXPECT_EQ(Report.Task, manual);
    EXPECT_EQ(manual->Lines, (std::vector<std::string>{"next;", "close;"}));
}

TEST_F(ManualFormTest, TheCloseBoxAndEscapeCancel)
{
    TManualTask* manual = AddTask(std::make_unique<TManualTask>(std::vector<std::string>{"next;"}));
    Open(manual);
    QTest::keyClicks(Code(), "xyz");
    Form->close();
    EXPECT_EQ(Report.Calls, 1);
    EXPECT_TRUE(Report.Cancelled);
    EXPECT_EQ(manual->Lines, (std::vector<std::string>{"next;"}));
    ProcessDeletions();
    EXPECT_TRUE(Form.isNull());

    Open();
    QTest::keyClick(Code(), Qt::Key_Escape);
    EXPECT_EQ(Report.Calls, 2);
    EXPECT_TRUE(Report.Cancelled);
}

// ---- A task destroyed while its editor is open ---------------------------------------------------

// A replaced project ends the editor at once, as a cancel: what it shows belongs to a project that
// is gone. A deleted task does not: Apply hands what was typed to the opener, with no task to
// store it into, and the opener asks what becomes of it.
template <class Form, class Task>
void ExpectApplyOnDestroyedTaskKeepsWhatWasTyped(bool replaceProject, std::unique_ptr<Task> task)
{
    Task* raw = AddTask(std::move(task));
    TDoneReport report;
    QPointer<Form> editor = new Form(Document());
    editor->LoadTask(raw);
    Listen(editor, report);
    editor->show();
    if (replaceProject)
        Document().NewProject();
    else
        DeleteTask(raw);
    EXPECT_EQ(report.Calls, replaceProject ? 1 : 0);
    if (!replaceProject)
        Click(editor->template findChild<QPushButton*>("ApplyButton"));
    EXPECT_EQ(report.Calls, 1);
    EXPECT_EQ(report.Cancelled, replaceProject);
    EXPECT_EQ(report.Task, nullptr);
    if (replaceProject)
        EXPECT_EQ(report.NewTask, nullptr);
    else
        EXPECT_TRUE(report.NewTask && report.NewTask->Kind() == Task().Kind());
    ProcessDeletions();
    EXPECT_TRUE(editor.isNull());
}

class EditorTaskGoneTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { SetUpEditorCatalogues(); }
};

TEST_P(EditorTaskGoneTest, MenuEditor)
{
    auto menu = std::make_unique<TMenuTask>("Menu: Yes");
    menu->AddEntry(std::make_unique<TDMenu>("Yes", 0));
    ExpectApplyOnDestroyedTaskKeepsWhatWasTyped<TMenuForm>(GetParam(), std::move(menu));
}

TEST_P(EditorTaskGoneTest, MessageEditor)
{
    ExpectApplyOnDestroyedTaskKeepsWhatWasTyped<TMessageForm>(
        GetParam(), std::make_unique<TMessageTask>(std::vector<std::string>{"Hi"}));
}

TEST_P(EditorTaskGoneTest, ManualEditor)
{
    ExpectApplyOnDestroyedTaskKeepsWhatWasTyped<TManualForm>(
        GetParam(), std::make_unique<TManualTask>(std::vector<std::string>{"next;"}));
}

INSTANTIATE_TEST_SUITE_P(Ways, EditorTaskGoneTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "NewProject" : "Deleted"); });

} // namespace
