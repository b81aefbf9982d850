#pragma once
// The editor's windows as start-up leaves them (frame, task tree, NPC window), on small catalogues
// set up in place, with the dialogs answered by a TFakeDialogs and the program's end recorded
// instead of carried out.

#include "FrameTestSupport.h"
#include "DocumentSupport.h"

#include "model/ProjectFile.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Main.h"
#include "ui/Form_NPC.h"
#include "ui/Form_Tasks.h"
#include "ui/Startup.h"

#include <QAction>
#include <QPointer>

namespace frametest {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUpFrameCatalogues();
        MainForm = new TMainForm();
        Dialogs.InstallIn(*MainForm);
        MainForm->UseCatalogues(SharedTestCatalogues());
        MainForm->Document().NewProject();
        Frame = MainForm;
        ShareDocument(&MainForm->Document());
        MainForm->QuitApplication = [this] { ++Quits; };
        MainForm->show();
        MainForm->OpenProjectWindows();
        MainForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
    }

    void TearDown() override
    {
        delete Frame.data();
        ProcessDeletions();
    }

    // The windows of the frame.
    TTaskForm* TaskWindow() const { return Frame->TaskWindow(); }
    TNPCForm* NPCWindow() const { return Frame->NPCWindow(); }
    TEditorForm* OutputWindow() const { return Frame->OutputWindow(); }

    QAction* Command(const char* name) const { return Child<QAction>(Frame, name); }
    void Run(const char* name) const { Command(name)->trigger(); }

    // A change through the task tree window: a new group under "Start".
    void ChangeTree(const std::string& caption = "Shop")
    {
        Project().TaskTree.Select(Project().TaskTree.GetFirstNode());
        TaskWindow()->AddTaskNode(Project().NewGroup(caption), false);
    }

    std::string PathOf(const std::string& name) const { return (Dir / name).string(); }
    QString QPathOf(const std::string& name) const { return QString::fromStdString(PathOf(name)); }

    // A project file holding only "Start" and an NPC of that name, saved outside the editor's
    // state.
    std::string WriteOtherProject(const std::string& npcName)
    {
        const TNPC kept = Project().NPCInfo;
        Project().NPCInfo.Name = npcName;
        const std::string bytes = SaveProjectBytes(Project());
        Project().NPCInfo = kept;
        const std::string path = PathOf(npcName + ".NPC");
        WriteBytes(path, bytes);
        return path;
    }

    std::string Title() const { return Frame->windowTitle().toStdString(); }

    TDialogsScope Dialogs;
    TTempDir Dir;
    QPointer<TMainForm> Frame;
    TMainForm* MainForm = nullptr;  // the same, for the tests written against the main window
    int Quits = 0;
};

inline const std::string NoFileTitle = ExpectedTitle("No File Open");

} // namespace frametest
