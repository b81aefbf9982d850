// Start-up: the order in which the windows come up, the splash that loads the catalogues, and a
// start with catalogue files missing or unreadable.
#include "FrameTestSupport.h"
#include "DocumentSupport.h"

#include "ui/ChildWindows.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Main.h"
#include "ui/Form_NPC.h"
#include "ui/Form_Splash.h"
#include "ui/Form_Tasks.h"
#include "ui/Form_NPC.h"
#include "ui/Form_Splash.h"
#include "ui/Form_Tasks.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <filesystem>

using namespace frametest;

namespace {

// Writes a small set of catalogue files: three maps (prontera.gat second), two jobs, sprites 45
// and 111 with their bitmaps, two items.
void WriteCatalogues(const std::filesystem::path& dir)
{
    WriteBytes(dir / "maps.ini", "[Maps]\nCount=3\n[Map1]\nName=Geffen\nMap=geffen.gat\n"
                                 "[Map2]\nName=Prontera\nMap=prontera.gat\n[Map3]\nName=Payon\nMap=payon.gat\n");
    WriteBytes(dir / "jobs.ini", "[Jobs]\nCount=2\n[Job1]\nID=0\nName=Novice\n[Job2]\nID=7\nName=Knight\n");
    WriteBytes(dir / "npcs.ini", "[NPCS]\nCount=2\n[NPC1]\nID=111\nName=Merchant\n[NPC2]\nID=45\nName=Guide\n");
    std::filesystem::create_directories(dir / "npcs");
    for (const char* id : {"45", "111"}) {
        QImage bitmap(40, 60, QImage::Format_RGB32);
        bitmap.fill(Qt::darkCyan);
        ASSERT_TRUE(bitmap.save(QString::fromStdString((dir / "npcs" / (std::string(id) + ".bmp")).string()), "BMP"));
    }
    WriteBytes(dir / "item_db.txt", "// items\n501,Red_Potion,Red Potion,0,50,,70,,,,,,,,,,,,,{},{},{}\n"
                                    "1201,Knife,Knife,4,50,,400,17,,1,3,,,,,,,,,{},{},{}\n");
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteCatalogues(Dir.Path());
    }

    void TearDown() override
    {
        Started.reset();
        MainForm = nullptr;
        ProcessDeletions();
    }

    void Start()
    {
        Started = StartEditor(Dir.Path(), Dialogs.Answering());
        MainForm = Started.get();
        ShareDocument(&MainForm->Document());
        ASSERT_NE(MainForm, nullptr);
        MainForm->QuitApplication = [] { ADD_FAILURE() << "the program was ended"; };
    }

    // What start-up read, as the main window holds it.
    const TCatalogues& Read() const { return *MainForm->Document().Servers()->Catalogues(); }

    QLabel* SplashLabel(const char* name) const { return Child<QLabel>(SplashWindow(), name); }

    // The windows of the editor started.
    TTaskForm* TaskWindow() const { return MainForm ? MainForm->TaskWindow() : nullptr; }
    TNPCForm* NPCWindow() const { return MainForm ? MainForm->NPCWindow() : nullptr; }
    TEditorForm* OutputWindow() const { return MainForm ? MainForm->OutputWindow() : nullptr; }
    TSplashForm* SplashWindow() const { return MainForm ? MainForm->SplashWindow() : nullptr; }

    TDialogsScope Dialogs;
    TTempDir Dir;
    std::unique_ptr<TMainForm> Started;  // the editor started, with every window it owns
    TMainForm* MainForm = nullptr;
};

TEST_F(StartupTest, WindowsComeUpInOrderWithTheCataloguesLoaded)
{
    Start();
    EXPECT_EQ(Read().Maps.size(), 3u);
    EXPECT_EQ(Read().Jobs.size(), 2u);
    EXPECT_EQ(Read().Sprites.size(), 2u);
    EXPECT_EQ(Read().Items.size(), 2u);
    EXPECT_TRUE(MainForm->isVisible());
    EXPECT_TRUE(MainForm->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(MainForm->windowTitle(), QString::fromStdString(ExpectedTitle("No File Open")));
    ASSERT_NE(TaskWindow(), nullptr);
    EXPECT_EQ(Project().TaskTree.Count(), 1);
    ASSERT_NE(NPCWindow(), nullptr);
    EXPECT_EQ(Child<QComboBox>(NPCWindow(), "MapCombo")->currentText(), QStringLiteral("Prontera"));
    EXPECT_EQ(Project().NPCInfo.MapIndex, 1);
    EXPECT_EQ(Project().NPCInfo.SpriteID, 45);
    EXPECT_FALSE(Project().Modified);
    EXPECT_TRUE(Dialogs->Errors.empty());
    EXPECT_EQ(MainForm->CatalogueFolder, QString::fromStdString(Dir.Path().string()));

    ASSERT_NE(SplashWindow(), nullptr);
    EXPECT_EQ(SplashLabel("VerLabel")->text(), QStringLiteral("Version 0.9 Alpha"));
    EXPECT_EQ(SplashLabel("LoadLabel")->text(), QStringLiteral("Enjoy!"));
}

// The task window opens below the NPC window, which it would otherwise cover up to the touch
// area's row; a place the user left it at in an earlier run is taken instead.
TEST_F(StartupTest, TheTaskWindowOpensBelowTheNPCWindow)
{
    Start();
    ASSERT_NE(TaskWindow(), nullptr);
    ASSERT_NE(NPCWindow(), nullptr);
    const QRect npc = ChildFrame(NPCWindow())->geometry();
    const QRect tasks = ChildFrame(TaskWindow())->geometry();
    EXPECT_FALSE(tasks.intersects(npc)) << "tasks at y " << tasks.y() << ", NPC window to y " << npc.bottom();
    EXPECT_EQ(tasks.topLeft(), QPoint(0, npc.bottom() + 1));
    QWidget* npcFrame = ChildFrame(NPCWindow());
    const QWidget* touch = Child<QWidget>(NPCWindow(), "TouchYEdit");
    EXPECT_LT(npcFrame->mapToParent(touch->mapTo(npcFrame, QPoint(0, touch->height()))).y(), tasks.top());
    ChildFrame(TaskWindow())->move(40, 100);
    Started.reset();
    MainForm = nullptr;
    ProcessDeletions();

    // The next run takes the place the user left the window at, over the NPC window or not.
    Start();
    EXPECT_EQ(ChildFrame(TaskWindow())->geometry().topLeft(), QPoint(40, 100));
}

TEST_F(StartupTest, TheSplashIsAFramelessTopWindowThatNeverBlocksTheFrame)
{
    Start();
    ASSERT_NE(SplashWindow(), nullptr);
    EXPECT_EQ(SplashWindow()->size(), QSize(320, 240));
    EXPECT_TRUE(SplashWindow()->isVisible());
    EXPECT_TRUE(SplashWindow()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(SplashWindow()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(SplashWindow()->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_FALSE(SplashWindow()->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(Child<QLabel>(SplashWindow(), "SplashImage")->pixmap().isNull());
}

TEST_F(StartupTest, TheSplashGoesOnItsTimerAndTheEditorStays)
{
    Start();
    QPointer<TSplashForm> splash = SplashWindow();
    auto* timer = Child<QTimer>(splash, "TheTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 4000);
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_TRUE(timer->isActive());
    timer->start(0);  // the tick, without waiting four seconds for it
    EXPECT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, 2000));
    EXPECT_EQ(SplashWindow(), nullptr);
    EXPECT_TRUE(MainForm->isVisible());
}

TEST_F(StartupTest, TheSplashShowsEachStepBeforeItRunsAndLoadsOnce)
{
    Started = std::make_unique<TMainForm>();
    MainForm = Started.get();
    const auto catalogues = std::make_shared<TCatalogues>();
    MainForm->ShowSplash(Dir.Path(), catalogues);
    QStringList painted;
    struct TPaintWatcher : QObject {
        QStringList* Painted;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                *Painted << static_cast<QLabel*>(watched)->text();
            return false;
        }
    } watcher;
    watcher.Painted = &painted;
    SplashLabel("LoadLabel")->installEventFilter(&watcher);
    // Its activation, or the start-up's explicit call, whichever comes first, runs the loading.
    SplashWindow()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(SplashWindow()));
    SplashWindow()->FormActivate();
    painted.removeDuplicates();
    painted.removeAll(QStringLiteral("Loading..."));  // the text it was created with
    EXPECT_EQ(painted, (QStringList{"Loading NPC's..", "Loading Items..", "Loading Jobs..",
                                    "Loading Maps..", "Enjoy!"}));
    EXPECT_TRUE(MainForm->isVisible()) << "the splash shows the frame when it is done";

    SplashWindow()->FormActivate();
    EXPECT_EQ(catalogues->Maps.size(), 3u) << "a second activation loads nothing again";
    EXPECT_EQ(SplashLabel("VerLabel")->text(), QStringLiteral("Version 0.9 Alpha"));
    SplashLabel("LoadLabel")->removeEventFilter(&watcher);
}

TEST_F(StartupTest, AMissingItemDatabaseIsReportedOnceAndTheRestIsLoaded)
{
    std::filesystem::remove(Dir / "item_db.txt");
    Start();
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("item_db.txt"))) << Dialogs->Errors[0].toStdString();
    EXPECT_TRUE(Read().Items.empty());
    EXPECT_EQ(Read().Jobs.size(), 2u);
    EXPECT_EQ(Read().Maps.size(), 3u);
    EXPECT_EQ(Read().Sprites.size(), 2u);
    // The catalogue's maps first, under their names, then the other maps the server knows.
    const QComboBox* maps = Child<QComboBox>(NPCWindow(), "MapCombo");
    ASSERT_GT(maps->count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(maps->itemText(i).toStdString(), Read().Maps[static_cast<std::size_t>(i)]->Name);
    EXPECT_TRUE(MainForm->isVisible());
}

TEST_F(StartupTest, EveryUnreadableCatalogueIsNamedInTheOneErrorBox)
{
    std::filesystem::remove(Dir / "item_db.txt");
    WriteBytes(Dir / "npcs" / "45.bmp", "not a bitmap");
    Start();
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("item_db.txt")));
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("45.bmp")));
    EXPECT_EQ(Read().Maps.size(), 3u);
    EXPECT_EQ(Read().Jobs.size(), 2u);
    ASSERT_NE(NPCWindow(), nullptr);
    EXPECT_TRUE(MainForm->isVisible());
}

TEST_F(StartupTest, WithoutMapsTheNPCShowsNoMapAndTheScriptSaysWhy)
{
    std::filesystem::remove(Dir / "maps.ini");
    Start();
    EXPECT_TRUE(Dialogs->Errors.empty()) << "a missing INI file is an empty catalogue";
    // Only the server's own maps are offered, none of them chosen.
    const QComboBox* maps = Child<QComboBox>(NPCWindow(), "MapCombo");
    EXPECT_GT(maps->count(), 0);
    EXPECT_EQ(maps->currentIndex(), -1);
    EXPECT_EQ(Project().NPCInfo.MapIndex, -1);
    const TScriptResult result = TaskWindow()->ShowOutput();
    ASSERT_TRUE(result.HasProblems());
    EXPECT_EQ(result.Problems[0], NoMapProblem);
}

} // namespace
