// The main window's window, view and help commands, and the About box.
#include "MainFrameFixture.h"
#include "DocumentSupport.h"

#include "ui/Form_About.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Header.h"
#include "ui/Form_NPCBrowser.h"
#include "ui/HelpViewer.h"
#include "ui/WindowPlaces.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTextEdit>

#include <algorithm>
#include <functional>

using namespace frametest;

namespace {

class WindowCommandTest : public MainFrameTest {
protected:
    QMdiSubWindow* FrameOf(QWidget* form) const { return qobject_cast<QMdiSubWindow*>(form->parentWidget()); }

    // The form of the child window that has just been opened or brought to the front.
    QWidget* ActiveForm() const
    {
        QMdiSubWindow* active = Frame->ClientArea()->activeSubWindow();
        return active ? active->widget() : nullptr;
    }

    // The frame's client area as the user sees it, in the child windows' coordinates.
    QRect VisibleArea() const { return Frame->ClientArea()->viewport()->rect(); }

    // Opens the window with the main window at a size where child windows crowd it.
    void ShrinkFrame(QSize size)
    {
        Frame->showNormal();
        Frame->resize(size);
        QCoreApplication::processEvents();
    }
};

TEST_F(WindowCommandTest, EveryWindowIsAChildOfTheFrame)
{
    Run("WinOutputItem");
    Run("WinHeaderInfoItem");
    Run("HelpAboutItem");
    for (QWidget* form : std::initializer_list<QWidget*>{TaskWindow(), NPCWindow(), OutputWindow(), MainForm->HeaderWindow(), MainForm->AboutWindow()}) {
        ASSERT_NE(form, nullptr);
        ASSERT_NE(FrameOf(form), nullptr) << form->windowTitle().toStdString();
        EXPECT_EQ(FrameOf(form)->mdiArea(), Frame->ClientArea());
    }
}

TEST_F(WindowCommandTest, TheNPCWindowSitsTopLeftWithItsFixedSize)
{
    QMdiSubWindow* frame = FrameOf(NPCWindow());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->pos(), QPoint(0, 0));
    EXPECT_EQ(NPCWindow()->size(), QSize(400, 130));
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(WindowCommandTest, HeaderInfoTwiceShowsTheSameWindowWithoutRefillingIt)
{
    Run("WinHeaderInfoItem");
    QPointer<THeaderForm> first = MainForm->HeaderWindow();
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first->size(), QSize(400, 400));
    auto* author = Child<QLineEdit>(first, "AuthorEdit");
    author->setText(QStringLiteral("typed, not applied"));
    Project().HeaderInfo.Author = "changed behind its back";
    Run("WinHeaderInfoItem");
    EXPECT_EQ(MainForm->HeaderWindow(), first.data());
    EXPECT_EQ(author->text(), QStringLiteral("typed, not applied"));
    EXPECT_EQ(Frame->ClientArea()->activeSubWindow(), FrameOf(first));
}

TEST_F(WindowCommandTest, HeaderInfoAfterClosingMakesAFreshWindow)
{
    Run("WinHeaderInfoItem");
    QPointer<THeaderForm> first = MainForm->HeaderWindow();
    Click(Child<QPushButton>(first, "CancelButton"));
    ProcessDeletions();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(MainForm->HeaderWindow(), nullptr);
    EXPECT_TRUE(Frame->ClientArea()->subWindowList().size() == 2) << "its child window went too";
    Project().HeaderInfo.Author = "Vask";
    Run("WinHeaderInfoItem");
    ASSERT_NE(MainForm->HeaderWindow(), nullptr);
    EXPECT_EQ(Child<QLineEdit>(MainForm->HeaderWindow(), "AuthorEdit")->text(), QStringLiteral("Vask"));
}

// What was typed for one project never lands on the next: the window shows the new project's
// header, and applying it changes nothing.
TEST_F(WindowCommandTest, TheHeaderWindowShowsTheNewProjectAfterNew)
{
    Project().HeaderInfo.ScriptName = "Old project";
    Run("WinHeaderInfoItem");
    Child<QLineEdit>(MainForm->HeaderWindow(), "NameEdit")->setText(QStringLiteral("Typed for the old one"));
    Run("FileNewItem");
    EXPECT_EQ(Child<QLineEdit>(MainForm->HeaderWindow(), "NameEdit")->text(), QStringLiteral("<Name> Script"));
    Click(Child<QPushButton>(MainForm->HeaderWindow(), "ApplyButton"));
    EXPECT_EQ(Project().HeaderInfo.ScriptName, "<Name> Script");
}

TEST_F(WindowCommandTest, NPCInfoBringsBackTheMinimisedWindow)
{
    NPCWindow()->close();
    EXPECT_TRUE(FrameOf(NPCWindow())->isMinimized());
    Run("WinNPCInfoItem");
    EXPECT_FALSE(FrameOf(NPCWindow())->isMinimized());
    EXPECT_EQ(Frame->ClientArea()->activeSubWindow(), FrameOf(NPCWindow()));
}

TEST_F(WindowCommandTest, TasksBringsTheTreeWindowToTheFront)
{
    Run("WinNPCInfoItem");
    Run("WinTaskItem");
    EXPECT_EQ(Frame->ClientArea()->activeSubWindow(), FrameOf(TaskWindow()));
}

TEST_F(WindowCommandTest, F9ShowsTheCurrentScriptFromAnyWindow)
{
    if (OutputWindow())
        OutputWindow()->close();
    ProcessDeletions();
    Project().NPCInfo.Name = "Guide";
    QTest::keyClick(Child<QWidget>(NPCWindow(), "NameEdit"), Qt::Key_F9);
    ASSERT_NE(OutputWindow(), nullptr);
    const auto& lines = OutputWindow()->ScriptLines();
    ASSERT_GE(lines.size(), 16u);
    EXPECT_EQ(lines[15], "prontera.gat,0,0,1\tscript\tGuide\t45,{");
    EXPECT_EQ(Frame->ClientArea()->activeSubWindow(), FrameOf(OutputWindow()));
}

// An open output window shows the current script after a change from any window.
TEST_F(WindowCommandTest, TheOpenOutputFollowsNPCAndHeaderEdits)
{
    const auto current = [] {
        std::vector<std::string> lines;
        GenerateScript(Project(), lines);
        return lines;
    };
    Run("WinOutputItem");
    ASSERT_NE(OutputWindow(), nullptr);
    auto* name = Child<QLineEdit>(NPCWindow(), "NameEdit");
    name->setFocus();
    QTest::keyClicks(name, "Guide");
    EXPECT_EQ(Project().NPCInfo.Name, "Guide");
    EXPECT_EQ(OutputWindow()->ScriptLines(), current());

    Run("WinHeaderInfoItem");
    Child<QLineEdit>(MainForm->HeaderWindow(), "AuthorEdit")->setText(QStringLiteral("Me"));
    Click(Child<QPushButton>(MainForm->HeaderWindow(), "ApplyButton"));
    EXPECT_EQ(Project().HeaderInfo.Author, "Me");
    EXPECT_EQ(OutputWindow()->ScriptLines(), current());
}

// Each window takes its share of the area in creation order; one that needs more room than its
// share (the header's fields, the NPC window's fixed size) takes that room and the others share
// the rest: on a 1600x1000 screen the NPC window is not hidden behind the tree's. Windows that do
// not fit side by side go into a grid of rows and columns; what still cannot fit is cascaded, so
// that every title bar stays in sight.
struct TTileCase {
    const char* Name;
    QSize Size;                         // the main window's
    std::vector<const char*> Commands;  // the windows opened besides the tree and the NPC window
    bool ActionEditor;                  // and an action editor
    int Windows;
    bool NoneCovered;      // every window fits beside the others
    bool InCreationOrder;  // in the order they were opened: else like sizes share a line
};

void PrintTo(const TTileCase& c, std::ostream* out)
{
    *out << c.Name;
}

const std::vector<const char*> EightWindows = {"WinOutputItem", "WinHeaderInfoItem", "ViewProblemsItem",
                                               "WinPlayTestItem", "HelpAboutItem"};

class TilingTest : public WindowCommandTest, public ::testing::WithParamInterface<TTileCase> {};

TEST_P(TilingTest, TilingLeavesEveryWindowInSightAndCoversNoneThatFits)
{
    const TTileCase& c = GetParam();
    ShrinkFrame(c.Size);
    for (const char* command : c.Commands)
        Run(command);
    if (c.ActionEditor)
        TaskWindow()->OpenActionEditor(nullptr);
    QCoreApplication::processEvents();
    const QList<QMdiSubWindow*> windows = Frame->ClientArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), c.Windows);
    const QRect area(QPoint(0, 0), Frame->ClientArea()->contentsRect().size());
    const int titleBar = Frame->ClientArea()->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    for (const auto& [command, stacked] : {std::pair{"ViewTileHorizontalItem", true}, std::pair{"ViewTileVerticalItem", false}}) {
        Run(command);
        if (c.InCreationOrder) {
            EXPECT_EQ(windows[0]->pos(), QPoint(0, 0)) << command;
            // The second window goes below the first (stacked) or beside it.
            EXPECT_EQ(stacked ? windows[1]->x() : windows[1]->y(), 0) << command;
        }
        const QList<QMdiSubWindow*> stacking = Frame->ClientArea()->subWindowList(QMdiArea::StackingOrder);
        for (int i = 0; i < stacking.size(); ++i) {
            const std::string name = stacking[i]->widget()->metaObject()->className();
            EXPECT_TRUE(area.contains(stacking[i]->geometry())) << command << " " << name;
            const QRect title(stacking[i]->pos(), QSize(stacking[i]->width(), titleBar));
            for (int j = i + 1; j < stacking.size(); ++j) {
                const std::string above = stacking[j]->widget()->metaObject()->className();
                EXPECT_FALSE(stacking[j]->geometry().intersects(title)) << command << " " << above << " hides the title of " << name;
                if (c.NoneCovered)
                    EXPECT_FALSE(stacking[i]->geometry().intersects(stacking[j]->geometry())) << command << " " << above << " covers " << name;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, TilingTest,
    ::testing::Values(TTileCase{"Four", QSize(1600, 1000), {"WinOutputItem", "WinHeaderInfoItem"}, false, 4, true, true},
                      TTileCase{"Eight", QSize(1600, 1000), EightWindows, true, 8, true, false},
                      // Too small for a grid of them all: the lines that do not fit are cascaded.
                      TTileCase{"EightOnASmallFrame", QSize(1000, 700), EightWindows, true, 8, false, false}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Layouts that leave every window usable, and remembered places ------------------------

class LayoutTest : public WindowCommandTest {
protected:
    // Opens the windows a user works with besides the tree and the NPC window.
    void OpenSeveral()
    {
        Run("WinOutputItem");
        Run("WinHeaderInfoItem");
        Run("ViewProblemsItem");
        Run("WinPlayTestItem");
        QCoreApplication::processEvents();
    }

    // Every open window lies inside the workspace at no less than the size its contents need,
    // and the workspace needs no scroll bar.
    void ExpectEveryWindowUsable(const char* after) const
    {
        const QSize room = Frame->ClientArea()->contentsRect().size();
        for (QMdiSubWindow* window : Frame->ClientArea()->subWindowList()) {
            if (window->isMinimized())
                continue;
            const QString name = window->widget()->metaObject()->className();
            EXPECT_TRUE(QRect(QPoint(0, 0), room).contains(window->geometry())) << after << " " << name.toStdString();
            const QSize least = window->minimumSize().expandedTo(window->minimumSizeHint());
            EXPECT_GE(window->width(), least.width()) << after << " " << name.toStdString();
            EXPECT_GE(window->height(), least.height()) << after << " " << name.toStdString();
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(Frame->ClientArea()->horizontalScrollBar()->maximum(), 0) << after;
        EXPECT_EQ(Frame->ClientArea()->verticalScrollBar()->maximum(), 0) << after;
    }
};

TEST_F(LayoutTest, CascadeKeepsEachWindowsSizeWhereItFits)
{
    OpenSeveral();
    QWidget* output = FrameOf(OutputWindow());
    const QSize before = output->size();
    Run("ViewCascadeItem");
    EXPECT_EQ(output->size(), before) << "the output window is not shrunk to a thumbnail";
    ExpectEveryWindowUsable("cascade");
    QList<QPoint> places;
    for (QMdiSubWindow* window : Frame->ClientArea()->subWindowList(QMdiArea::StackingOrder))
        if (!window->isMinimized())
            places << window->pos();
    for (int i = 1; i < places.size(); ++i)
        EXPECT_NE(places[i], places[i - 1]) << "each title bar stays in sight";
}

TEST_F(LayoutTest, TileAndCascadeOnASmallFrameLeaveNoScrollBar)
{
    OpenSeveral();
    ShrinkFrame(QSize(1000, 700));
    ExpectEveryWindowUsable("un-maximised");
    for (const char* command : {"ViewTileHorizontalItem", "ViewTileVerticalItem", "ViewCascadeItem"}) {
        Run(command);
        ExpectEveryWindowUsable(command);
    }
}

TEST_F(LayoutTest, AChildWindowOpensWhereItWasLeftOnAScreenOfThisSize)
{
    Run("WinHeaderInfoItem");
    QMdiSubWindow* frame = FrameOf(MainForm->HeaderWindow());
    frame->setGeometry(120, 90, 460, 430);
    Click(Child<QPushButton>(MainForm->HeaderWindow(), "CancelButton"));
    ProcessDeletions();
    Run("WinHeaderInfoItem");
    EXPECT_EQ(FrameOf(MainForm->HeaderWindow())->geometry(), QRect(120, 90, 460, 430));

    // A place remembered for a screen of another size is not forced on this one.
    QSettings settings;
    for (const QString& key : settings.allKeys())
        if (key.endsWith(QStringLiteral("/THeaderForm")))
            settings.remove(key);
    settings.setValue(QStringLiteral("WindowPlaces/640x480/THeaderForm"), QRect(300, 200, 500, 500));
    Click(Child<QPushButton>(MainForm->HeaderWindow(), "CancelButton"));
    ProcessDeletions();
    Run("WinHeaderInfoItem");
    EXPECT_NE(FrameOf(MainForm->HeaderWindow())->geometry(), QRect(300, 200, 500, 500));
}

TEST_F(LayoutTest, TheMainWindowOpensAsItWasClosed)
{
    QMainWindow first;
    RestoreMainPlace(&first);
    EXPECT_TRUE(first.windowState() & Qt::WindowMaximized) << "maximised when nothing is remembered";
    first.setWindowState(Qt::WindowNoState);
    first.setGeometry(100, 80, 900, 640);
    first.show();
    QCoreApplication::processEvents();
    SaveMainPlace(&first);

    QMainWindow second;
    RestoreMainPlace(&second);
    second.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(second.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(second.geometry(), first.geometry());
}

TEST_F(WindowCommandTest, TheAboutBoxShowsCreditsAndTheVersion)
{
    Run("HelpAboutItem");
    QPointer<TAboutForm> about = MainForm->AboutWindow();
    ASSERT_FALSE(about.isNull());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(about->size(), QSize(400, 200));
    auto* memo = Child<QTextEdit>(about, "AboutMemo");
    EXPECT_TRUE(memo->isReadOnly());
    const QStringList lines = memo->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 6);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(lines[i].isEmpty()) << "credit line " << i;
    EXPECT_EQ(lines[4], QString());
    EXPECT_EQ(lines[5], QStringLiteral("Version: 0.9 Alpha"));
    EXPECT_EQ(memo->document()->defaultTextOption().alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    auto* ok = Child<QPushButton>(about, "OKButton");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_TRUE(ok->font().bold());

    Run("HelpAboutItem");
    EXPECT_EQ(MainForm->AboutWindow(), about.data()) << "at most one";
    Click(ok);
    ProcessDeletions();
    EXPECT_TRUE(about.isNull());
    EXPECT_EQ(MainForm->AboutWindow(), nullptr);
}

TEST_F(WindowCommandTest, TheAboutBoxNamesTheCatalogueFolder)
{
    Frame->CatalogueFolder = QStringLiteral("/opt/npc editor/share");
    Run("HelpAboutItem");
    ASSERT_NE(MainForm->AboutWindow(), nullptr);
    const QStringList lines = Child<QTextEdit>(MainForm->AboutWindow(), "AboutMemo")->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[5], QStringLiteral("Version: 0.9 Alpha"));
    EXPECT_EQ(lines[6], QStringLiteral("Catalogues: /opt/npc editor/share"));
}

TEST_F(WindowCommandTest, EnterClosesTheAboutBox)
{
    Run("HelpAboutItem");
    QPointer<TAboutForm> about = MainForm->AboutWindow();
    QTest::keyClick(Child<QTextEdit>(about, "AboutMemo"), Qt::Key_Return);
    ProcessDeletions();
    EXPECT_TRUE(about.isNull());
}

// ---- Where windows open and how big they are -----------------------------------------------

struct TFixedCase {
    const char* Name;
    std::function<QWidget*(TMainForm&)> Open;
    QSize Client;
};

void PrintTo(const TFixedCase& c, std::ostream* out)
{
    *out << c.Name;
}

class FixedWindowTest : public WindowCommandTest, public ::testing::WithParamInterface<TFixedCase> {};

TEST_P(FixedWindowTest, HasNoMaximiseBoxAndKeepsItsSizeThroughTilingAndCascading)
{
    QWidget* form = GetParam().Open(*Frame);
    ASSERT_NE(form, nullptr);
    QMdiSubWindow* frame = FrameOf(form);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(form->size(), GetParam().Client);
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize()) << "the frame can be resized";
    const QSize outer = frame->size();
    for (const char* command : {"ViewTileHorizontalItem", "ViewTileVerticalItem", "ViewCascadeItem"}) {
        Run(command);
        EXPECT_EQ(frame->size(), outer) << command;
        EXPECT_EQ(form->size(), GetParam().Client) << command;
    }
}

// The editor the task tree window has just opened.
template <class TKindTask>
QWidget* OpenedEditor(TMainForm& frame, void (TTaskForm::*open)(TKindTask*))
{
    (frame.TaskWindow()->*open)(nullptr);
    return frame.ClientArea()->activeSubWindow()->widget();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FixedWindowTest,
    ::testing::Values(
        TFixedCase{"NPCInformation", [](TMainForm& frame) -> QWidget* { return frame.NPCWindow(); }, QSize(400, 130)},
        TFixedCase{"ActionEditor", [](TMainForm& frame) { return OpenedEditor(frame, &TTaskForm::OpenActionEditor); },
                   QSize(400, 400)},
        TFixedCase{"ConditionEditor", [](TMainForm& frame) { return OpenedEditor(frame, &TTaskForm::OpenConditionEditor); },
                   QSize(568, 330)},
        TFixedCase{"MenuEditor", [](TMainForm& frame) { return OpenedEditor(frame, &TTaskForm::OpenMenuEditor); },
                   QSize(400, 400)},
        TFixedCase{"MessageEditor", [](TMainForm& frame) { return OpenedEditor(frame, &TTaskForm::OpenMessageEditor); },
                   QSize(400, 400)}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(WindowCommandTest, TheSpriteBrowserOpensWithItsWholeClientArea)
{
    Click(Child<QPushButton>(NPCWindow(), "BrowseButton"));
    ASSERT_NE(NPCWindow()->Browser(), nullptr);
    EXPECT_EQ(NPCWindow()->Browser()->size(), QSize(600, 400));
}

TEST_F(WindowCommandTest, AWindowLargerThanTheFrameStartsTopLeftAndTheAreaScrolls)
{
    ShrinkFrame(QSize(360, 300));
    QMdiSubWindow* frame = FrameOf(OpenedEditor(*Frame, &TTaskForm::OpenConditionEditor));
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->pos(), QPoint(0, 0));
    EXPECT_GT(Frame->ClientArea()->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(Frame->ClientArea()->verticalScrollBar()->maximum(), 0);
}

// ---- Focus after a helper window ------------------------------------------------------------

TEST_F(WindowCommandTest, ThePickerOpensInViewAndEnterAfterItAppliesTheActionEditor)
{
    ShrinkFrame(QSize(720, 560));
    TestCatalogues().Items.push_back(std::make_unique<TItem>());
    QWidget* editor = OpenedEditor(*Frame, &TTaskForm::OpenActionEditor);
    Click(Child<QPushButton>(editor, "BrowseButton"));
    QWidget* picker = ActiveForm();
    ASSERT_NE(picker, editor);
    EXPECT_TRUE(VisibleArea().contains(FrameOf(picker)->geometry()));
    Click(Child<QPushButton>(picker, "ApplyButton"));
    ProcessDeletions();
    EXPECT_EQ(ActiveForm(), editor);
    QWidget* focus = QApplication::focusWidget();
    ASSERT_TRUE(focus && editor->isAncestorOf(focus));
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_EQ(Project().TaskTree.Count(), 2);
}

TEST_F(WindowCommandTest, AfterTheValueEditorTheConditionEditorIsActive)
{
    QWidget* condition = OpenedEditor(*Frame, &TTaskForm::OpenConditionEditor);
    Click(Child<QPushButton>(condition, "ActButton"));
    Click(Child<QPushButton>(ActiveForm(), "ApplyButton"));
    ProcessDeletions();
    EXPECT_EQ(ActiveForm(), condition);
}

// ---- Help ----------------------------------------------------------------------------------

struct THelpCase {
    const char* Item;
    const char* Topic;
};

void PrintTo(const THelpCase& c, std::ostream* out)
{
    *out << c.Item;
}

class HelpCommandTest : public MainFrameTest, public ::testing::WithParamInterface<THelpCase> {};

TEST_P(HelpCommandTest, OpensItsTopic)
{
    if (!QFileInfo::exists(BuiltHelpFile()))
        GTEST_SKIP() << "help.chm was not built (chmcmd of fp-utils missing at configure time)";
    Frame->HelpFileName = BuiltHelpFile();
    Run(GetParam().Item);
    EXPECT_TRUE(Dialogs->Errors.empty());
    ASSERT_NE(Frame->HelpViewer(), nullptr);
    EXPECT_TRUE(Frame->HelpViewer()->isVisible());
    EXPECT_EQ(Frame->HelpViewer()->CurrentTopic(), QString::fromLatin1(GetParam().Topic));
}

INSTANTIATE_TEST_SUITE_P(Topics, HelpCommandTest,
                         ::testing::Values(THelpCase{"HelpIntroItem", "/introduction/intro.html"},
                                           THelpCase{"HelpRefItem", "/reference/actions.html"},
                                           THelpCase{"HelpTutItem", "/tutorials/actions/1.html"}),
    [](const auto& info) { return ReadableName(info.param.Item); });

TEST_F(MainFrameTest, AMissingHelpFileShowsAnErrorBox)
{
    Frame->HelpFileName = QPathOf("help.chm");
    Run("HelpIntroItem");
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("help.chm"))) << Dialogs->Errors[0].toStdString();
    EXPECT_TRUE(Frame->isVisible());
    // The viewer waits below the menu bar, not over it.
    ASSERT_NE(Frame->HelpViewer(), nullptr);
    EXPECT_GE(Frame->HelpViewer()->y(), Frame->ClientArea()->mapToGlobal(QPoint(0, 0)).y());
}

} // namespace
