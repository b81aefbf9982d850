#include "Startup.h"

#include "ChildWindows.h"
#include "Dialogs.h"
#include "Form_Main.h"
#include "Form_Splash.h"
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

void ShowLoadErrors(TMainForm& frame, const QStringList& errors)
{
    if (errors.isEmpty())
        return;
    Dialogs(&frame).Error(&frame, QStringLiteral("Some catalogues could not be read; the editor starts "
                                             "without what they hold.\n\n") +
                                  errors.join(u'\n'));
}

} // namespace

std::unique_ptr<TMainForm> StartEditor(const std::filesystem::path& dataDir, std::unique_ptr<TDialogs> dialogs)
{
    auto frame = std::make_unique<TMainForm>();
    if (dialogs)
        SetDialogs(*frame, std::move(dialogs));
    frame->CatalogueFolder = QDir::toNativeSeparators(QDir(
        dataDir.empty() ? QDir::currentPath() : QFile::decodeName(dataDir.c_str())).absolutePath());

    // Read once, here, then only shared read-only: the main window's documents hold them.
    auto catalogues = std::make_shared<TCatalogues>();
    frame->ShowSplash(dataDir, catalogues)->FormActivate();
    const QStringList loadErrors = frame->SplashWindow() ? frame->SplashWindow()->LoadErrors() : QStringList();
    frame->UseCatalogues(std::move(catalogues));

    // The project a new run starts with takes its map and sprite from the catalogues just read.
    frame->Document().NewProject();
    frame->OpenProjectWindows();

    if (!loadErrors.isEmpty()) {
        // The splash stays on top; the error box must not open underneath it.
        frame->CloseSplash();
        ShowLoadErrors(*frame, loadErrors);
    }
    return frame;
}
