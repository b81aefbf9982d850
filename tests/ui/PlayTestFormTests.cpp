// The play-test window on a small healer built through the task tree window: Next, a menu click,
// the effects, rewinding through the history, playing from a group, following an edit of the
// project, and player presets (kept in Qt's test settings, never the user's).
#include "MainFrameFixture.h"
#include "DocumentSupport.h"

#include "document/Document.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "ui/Form_Editor.h"
#include "ui/Form_PlayTest.h"
#include "ui/TaskTreeModel.h"
#include "ui/TaskTreeView.h"

#include <gmock/gmock.h>

#include <map>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

using namespace frametest;

namespace {

using ::testing::HasSubstr;

class PlayTestFormTest : public MainFrameTest {
protected:
    void SetUp() override
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("npc-editor-tests"));
        QCoreApplication::setApplicationName(QStringLiteral("play-test-window"));
        QSettings().clear();
        MainFrameTest::SetUp();
        BuildHealer();
    }
    void TearDown() override
    {
        MainFrameTest::TearDown();
        QSettings().clear();
    }

    template <class T>
    T* Add(TTaskNode* group, std::unique_ptr<T> task, const std::string& caption)
    {
        T* raw = task.get();
        task->Caption = caption;
        Project().TaskTree.Select(group);
        TaskWindow()->AddTaskNode(std::move(task), false);
        return raw;
    }
    TActionTask* AddAction(TTaskNode* group, int index, std::vector<std::int32_t> params = {})
    {
        auto action = std::make_unique<TActionTask>(ActionAt(index)->Caption, ActionAt(index));
        for (std::size_t i = 0; i < params.size(); ++i)
            action->SetParam(static_cast<int>(i), params[i]);
        return Add(group, std::move(action), ActionAt(index)->Caption);
    }

    // Start: a coloured greeting, Next, a menu; Heal takes 500 zeny; Bye says goodbye.
    void BuildHealer()
    {
        Project().NPCInfo.Name = "Healer";
        TTaskNode* start = Project().TaskTree.GetFirstNode();
        Greeting = Add(start, std::make_unique<TMessageTask>(std::vector<std::string>{"Hi ^FF0000friend^000000!"}), "Hi");
        NextAction = AddAction(start, 5);
        Menu = Add(start, std::make_unique<TMenuTask>(), "Menu");
        Heal = Add(start, Project().NewGroup("Heal"), "Heal");
        Bye = Add(start, Project().NewGroup("Bye"), "Bye");
        Menu->AddEntry(std::make_unique<TDMenu>("Heal me", Heal->GroupNumber));
        Menu->AddEntry(std::make_unique<TDMenu>("Bye", Bye->GroupNumber));
        Document().EditTask(Menu, *CopyTask(*Menu));
        AddAction(Heal->Node, 7, {500});
        Add(Heal->Node, std::make_unique<TMessageTask>(std::vector<std::string>{"Healed."}), "Healed");
        AddAction(Heal->Node, 6);
        Add(Bye->Node, std::make_unique<TMessageTask>(std::vector<std::string>{"Come back soon."}), "Soon");
        AddAction(Bye->Node, 6);
    }

    TPlayTestForm* Open()
    {
        Run("WinPlayTestItem");
        TPlayTestForm* form = Frame->PlayTest();
        EXPECT_NE(form, nullptr);
        return form;
    }
    static std::string Dialogue(TPlayTestForm* form)
    {
        return Child<QTextBrowser>(form, "DialogueText")->toPlainText().toStdString();
    }
    using TRows = std::vector<std::string>;
    static TRows Rows(TPlayTestForm* form, const char* list)
    {
        TRows rows;
        auto* widget = Child<QListWidget>(form, list);
        for (int i = 0; i < widget->count(); ++i)
            rows.push_back(widget->item(i)->text().toStdString());
        return rows;
    }
    static void ClickRow(TPlayTestForm* form, const char* list, int row)
    {
        auto* widget = Child<QListWidget>(form, list);
        ASSERT_LT(row, widget->count());
        const QRect place = widget->visualItemRect(widget->item(row));
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, place.center());
    }
    static void SetZeny(TPlayTestForm* form, int zeny)
    {
        Child<QSpinBox>(form, "ZenyField")->setValue(zeny);
        Click(Child<QPushButton>(form, "ApplyPlayerButton"));
    }

    TMessageTask* Greeting = nullptr;
    TActionTask* NextAction = nullptr;
    TMenuTask* Menu = nullptr;
    TGroupTask* Heal = nullptr;
    TGroupTask* Bye = nullptr;
};

TEST_F(PlayTestFormTest, NextThenAMenuClickPlaysTheChoiceAndLogsItsEffects)
{
    TPlayTestForm* form = Open();
    ASSERT_NE(form, nullptr);
    SetZeny(form, 1200);
    EXPECT_EQ(Dialogue(form), "[Healer]\nHi friend!");
    auto* box = Child<QTextBrowser>(form, "DialogueText");
    QTextCursor friendly = box->document()->find(QStringLiteral("friend"));
    EXPECT_EQ(friendly.charFormat().foreground().color(), QColor(255, 0, 0));
    // The line that waits is marked in the output window, and its task in the tree.
    ASSERT_NE(OutputWindow(), nullptr);
    const int line = OutputWindow()->PlayingLine();
    ASSERT_GT(line, 0);
    EXPECT_EQ(OutputWindow()->Editor()->document()->findBlockByNumber(line - 1).text().trimmed(), QStringLiteral("next;"));
    auto* model = static_cast<TTaskTreeModel*>(TaskWindow()->TasksList()->model());
    EXPECT_EQ(model->PlayingTask(), NextAction);
    EXPECT_FALSE(Child<QListWidget>(form, "MenuList")->isVisibleTo(form));

    Click(Child<QPushButton>(form, "NextButton"));
    EXPECT_EQ(Rows(form, "MenuList"), (TRows{"Heal me", "Bye"}));
    EXPECT_TRUE(Child<QListWidget>(form, "MenuList")->isVisibleTo(form));
    EXPECT_FALSE(Child<QPushButton>(form, "NextButton")->isVisibleTo(form));

    ClickRow(form, "MenuList", 0);
    EXPECT_EQ(Dialogue(form), "[Healer]\nHealed.");
    EXPECT_EQ(Rows(form, "EffectLog"), TRows{"Zeny 1200 \u2192 700"});
    EXPECT_TRUE(Child<QPushButton>(form, "CloseButton")->isVisibleTo(form));
    EXPECT_EQ(Child<QSpinBox>(form, "ZenyField")->value(), 700);
    EXPECT_EQ(Rows(form, "HistoryList"), (TRows{"Start", "Next", "Chose 1) Heal me"}));
    Click(Child<QPushButton>(form, "CloseButton"));
    EXPECT_EQ(Dialogue(form), "");
    EXPECT_TRUE(Dialogs->Errors.empty());
}

struct TMenuKeysCase {
    const char* Name;
    std::vector<Qt::Key> Keys;  // pressed in the menu list
    const char* Dialogue;       // what the box then shows
};

class PlayTestMenuKeys : public PlayTestFormTest, public ::testing::WithParamInterface<TMenuKeysCase> {};

// The dialogue plays from the keyboard: Next keeps the focus to the menu, whose options take the
// arrow keys and Enter or their number; the focus then rests on Close.
TEST_P(PlayTestMenuKeys, TheMenuIsPlayedFromTheKeyboard)
{
    TPlayTestForm* form = Open();
    ASSERT_NE(form, nullptr);
    SetZeny(form, 1200);  // enough for the healing
    auto* next = Child<QPushButton>(form, "NextButton");
    auto* menu = Child<QListWidget>(form, "MenuList");
    next->setFocus();
    EXPECT_EQ(form->focusWidget(), next);
    QTest::keyClick(next, Qt::Key_Space);
    ASSERT_TRUE(menu->isVisibleTo(form));
    EXPECT_EQ(form->focusWidget(), menu) << "not Restart, which follows the hidden Next";
    EXPECT_EQ(menu->currentRow(), 0);
    for (const Qt::Key key : GetParam().Keys)
        QTest::keyClick(menu, key);
    EXPECT_EQ(Dialogue(form), GetParam().Dialogue);
    if (!menu->isVisibleTo(form))
        EXPECT_EQ(form->focusWidget(), Child<QPushButton>(form, "CloseButton"));
    EXPECT_TRUE(Dialogs->Errors.empty());
    // Escape ends the play-test from wherever the focus rests, as it ends a dialog.
    const QPointer<TPlayTestForm> open = form;
    QTest::keyClick(form->focusWidget(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(open.isNull() || !open->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PlayTestMenuKeys,
    ::testing::Values(TMenuKeysCase{"EnterOnTheFirst", {Qt::Key_Return}, "[Healer]\nHealed."},
                      TMenuKeysCase{"DownThenEnter", {Qt::Key_Down, Qt::Key_Enter}, "[Healer]\nCome back soon."},
                      TMenuKeysCase{"NumberOne", {Qt::Key_1}, "[Healer]\nHealed."},
                      TMenuKeysCase{"NumberTwo", {Qt::Key_2}, "[Healer]\nCome back soon."},
                      TMenuKeysCase{"ANumberBeyondTheOptionsChoosesNothing", {Qt::Key_3}, ""}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(PlayTestFormTest, AnEffectThePlayDoesNotSimulateIsMarkedBesideIt)
{
    // Added just before the Next button.
    Add(NextAction->Node, std::make_unique<TManualTask>(std::vector<std::string>{"specialeffect 15;", "warp \"SavePoint\", 0, 0;"}),
        "Effect");
    TPlayTestForm* form = Open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Rows(form, "EffectLog"), (TRows{"specialeffect 15  [not simulated]", "warped to the save point  [not simulated]"}));
    auto* log = Child<QListWidget>(form, "EffectLog");
    ASSERT_EQ(log->count(), 2);
    EXPECT_THAT(log->item(0)->toolTip().toStdString(), HasSubstr("no rule for this"));
    EXPECT_THAT(log->item(1)->toolTip().toStdString(), HasSubstr("save point"));
    EXPECT_TRUE(form->Result().Approximate);
}

TEST_F(PlayTestFormTest, PickingAnEarlierPointRewindsAndTheRunTakesAnotherWay)
{
    TPlayTestForm* form = Open();
    ASSERT_NE(form, nullptr);
    SetZeny(form, 1200);  // the heal costs 500; the server ends a script that would take more
    form->PressNext();
    form->Choose(1);
    ASSERT_EQ(form->Result().Outcome, script::TOutcome::Ended);

    ClickRow(form, "HistoryList", 1);
    EXPECT_EQ(form->Result().Outcome, script::TOutcome::Waiting);
    EXPECT_EQ(Rows(form, "MenuList").size(), 2u);
    EXPECT_TRUE(Rows(form, "EffectLog").empty());
    ClickRow(form, "MenuList", 1);
    EXPECT_EQ(Dialogue(form), "[Healer]\nCome back soon.");

    ClickRow(form, "HistoryList", 0);
    EXPECT_EQ(Dialogue(form), "[Healer]\nHi friend!");
    EXPECT_EQ(Rows(form, "HistoryList"), TRows{"Start"});
}

TEST_F(PlayTestFormTest, PlaysFromTheSelectedGroup)
{
    TPlayTestForm* form = Open();
    ASSERT_NE(form, nullptr);
    Project().TaskTree.Select(Bye->Node->Child(0));  // a task inside the group counts for its group
    Click(Child<QPushButton>(form, "PlayGroupButton"));
    EXPECT_EQ(Dialogue(form), "[Healer]\nCome back soon.");
    EXPECT_EQ(Rows(form, "HistoryList"), TRows{"Start at " + Bye->Caption + " (" + Bye->Label() + ")"});
}

TEST_F(PlayTestFormTest, AnEditRestartsTheRunWithTheAnswersThatStillApply)
{
    TPlayTestForm* form = Open();
    ASSERT_NE(form, nullptr);
    form->PressNext();
    form->Choose(2);
    ASSERT_EQ(Dialogue(form), "[Healer]\nCome back soon.");

    auto greeting = CopyTask(*Greeting);
    static_cast<TMessageTask&>(*greeting).Lines = {"Hello again."};
    Document().EditTask(Greeting, *greeting);
    EXPECT_EQ(Dialogue(form), "[Healer]\nCome back soon.");
    EXPECT_EQ(form->Result().Pauses, 2);

    // The chosen option is gone: the run waits at the menu again.
    auto menu = CopyTask(*Menu);
    auto& shorter = static_cast<TMenuTask&>(*menu);
    shorter.RemoveEntry(shorter.EntryAt(1));
    Document().EditTask(Menu, shorter);
    EXPECT_EQ(form->Result().Outcome, script::TOutcome::Waiting);
    EXPECT_EQ(Rows(form, "MenuList"), TRows{"Heal me"});
    EXPECT_EQ(Dialogue(form), "");
    EXPECT_TRUE(Dialogs->Errors.empty());
}

TEST_F(PlayTestFormTest, PresetsKeepThePlayerUnderAName)
{
    TPlayTestForm* form = Open();
    ASSERT_NE(form, nullptr);
    Child<QSpinBox>(form, "ZenyField")->setValue(4321);
    Child<QLineEdit>(form, "ItemsField")->setText(QStringLiteral("501=10, 909=3"));
    auto* presets = Child<QComboBox>(form, "PresetBox");
    presets->setCurrentText(QStringLiteral("rich"));
    Click(Child<QPushButton>(form, "SavePresetButton"));
    EXPECT_EQ(QSettings().value(QStringLiteral("PlayerPresets/rich")).toString().toStdString(),
              "zeny=4321,class=0,sex=1,baselevel=1,joblevel=1,statuspoint=48,weight=0,maxweight=20000,"
              "item:501=10,item:909=3");

    Child<QSpinBox>(form, "ZenyField")->setValue(0);
    Child<QLineEdit>(form, "ItemsField")->clear();
    presets->textActivated(QStringLiteral("rich"));
    EXPECT_EQ(Child<QSpinBox>(form, "ZenyField")->value(), 4321);
    EXPECT_EQ(Child<QLineEdit>(form, "ItemsField")->text(), QStringLiteral("501=10, 909=3"));

    Child<QLineEdit>(form, "ItemsField")->setText(QStringLiteral("501=ten"));
    Click(Child<QPushButton>(form, "ApplyPlayerButton"));
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors.front().contains(QStringLiteral("501=ten")));
}

// A change made while the run waits says in the effects what it changed; Restart plays the NPC
// again for the player the user set (not for the one the run left, nor for a new character),
// and "New character" drops what was set.
TEST_F(PlayTestFormTest, PlayerChangesAreNamedAndKeptOnRestart)
{
    TPlayTestForm* form = Open();
    ASSERT_NE(form, nullptr);
    Click(Child<QPushButton>(form, "NextButton"));
    ASSERT_TRUE(Child<QListWidget>(form, "MenuList")->isVisible());
    Child<QSpinBox>(form, "ZenyField")->setValue(1200);
    Child<QLineEdit>(form, "ItemsField")->setText(QStringLiteral("501=2"));
    Click(Child<QPushButton>(form, "ApplyPlayerButton"));
    EXPECT_THAT(Rows(form, "EffectLog"),
                ::testing::Contains("the player was changed: Zeny 0 \u2192 1200, item 501 0 \u2192 2"));
    ClickRow(form, "MenuList", 0);  // Heal me: 500 Zeny
    EXPECT_EQ(form->Result().Player.Zeny, 700);

    Click(Child<QPushButton>(form, "RestartButton"));
    EXPECT_EQ(form->Result().Player.Zeny, 1200) << "the run starts with the Zeny the user set";
    EXPECT_EQ(form->Result().Player.Inventory, (std::map<std::int32_t, std::int32_t>{{501, 2}}));
    EXPECT_EQ(Child<QSpinBox>(form, "ZenyField")->value(), 1200);
    EXPECT_EQ(Child<QLineEdit>(form, "ItemsField")->text(), QStringLiteral("501=2"));

    // Before the first answer a change is the player the run starts with: no edit to name.
    Child<QSpinBox>(form, "BaseLevelField")->setValue(50);
    Click(Child<QPushButton>(form, "ApplyPlayerButton"));
    Click(Child<QPushButton>(form, "RestartButton"));
    EXPECT_EQ(form->Result().Player.BaseLevel, 50);
    EXPECT_EQ(form->Result().Player.Zeny, 1200);

    Click(Child<QPushButton>(form, "ResetPlayerButton"));
    EXPECT_EQ(form->Result().Player, script::TPlayerState{}) << "a new character";
    EXPECT_EQ(Child<QSpinBox>(form, "ZenyField")->value(), 0);
    EXPECT_TRUE(Dialogs->Errors.empty());
}

} // namespace
