#include "Startup.h"
#include "WindowPlaces.h"

#include "ChildWindows.h"
#include "Dialogs.h"
#include "Form_Main.h"
#include "Form_NPC.h"
#include "Form_Splash.h"
#include "Form_Tasks.h"
#include "document/Document.h"
#include "model/Records.h"

#include <QDir>
#include <QFile>

void ShowFixedChildWindow(QWidget* form, QObject* owner)
{
    form->setFixedSize(form->size());
    ShowChildWindow(form, owner);
}

namespace {

void ShowLoadErrors(const QStringList& errors)
{
    if (errors.isEmpty())
        return;
    Dialogs().Error(MainForm, QStringLiteral("Some catalogues could not be read; the editor starts "
                                             "without what they hold.\n\n") +
                                  errors.join(u'\n'));
}

} // namespace

void StartEditor(const std::filesystem::path& dataDir)
{
    MainForm = new TMainForm();
    MainForm->CatalogueFolder = QDir::toNativeSeparators(QDir(
        dataDir.empty() ? QDir::currentPath() : QFile::decodeName(dataDir.c_str())).absolutePath());

    // Read once, here, then only shared read-only: the main window's documents hold them.
    auto catalogues = std::make_shared<TCatalogues>();
    SplashForm = new TSplashForm(dataDir, catalogues);
    SplashForm->show();
    SplashForm->FormActivate();
    const QStringList loadErrors = SplashForm ? SplashForm->LoadErrors() : QStringList();
    MainForm->UseCatalogues(std::move(catalogues));

    // The project a new run starts with takes its map and sprite from the catalogues just read.
    MainForm->Document().NewProject();
    // It frames and places itself.
    TaskForm = new TTaskForm(MainForm->Document());

    NPCForm = new TNPCForm(MainForm->Document());
    NPCForm->Place();
    // The task window's first place is below the NPC window, whose last row it would cover.
    PlaceBelow(TaskForm, NPCForm);

    if (!loadErrors.isEmpty()) {
        // The splash stays on top; the error box must not open underneath it.
        if (SplashForm)
            SplashForm->close();
        ShowLoadErrors(loadErrors);
    }
}
