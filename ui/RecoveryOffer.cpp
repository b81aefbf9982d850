#include "RecoveryOffer.h"

#include "Dialogs.h"
#include "Form_Splash.h"

#include <QFile>
#include <QFileInfo>

#include <memory>
#include <utility>

namespace {

QString OfferText(const TLeftoverCopy& copy, const TRecoveredProject& project)
{
    const QString name = project.OriginalName.empty()
                             ? QStringLiteral("an untitled project")
                             : QFile::decodeName(project.OriginalName.c_str());
    const QString time = QFileInfo(copy.CopyPath()).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return QStringLiteral("The editor did not end normally. Unsaved changes to %1 were kept at %2.\n\n"
                          "Restore them under the project's name, open them as a new untitled project, "
                          "or discard them?")
        .arg(name, time);
}

// True when the copy was restored or opened: the offer ends there.
bool Offer(TProjectDocument& document, QWidget* owner, TLeftoverCopy& copy, TRecoveryWriter* writer)
{
    TRecoveredProject project;
    try {
        project = copy.Read();
    } catch (const std::exception& error) {
        // Kept unless the user lets it go: it may still be read by hand, but it need not come back
        // at every start.
        if (Dialogs().Confirm(owner,
                              QStringLiteral("The recovery copy %1 cannot be restored:\n\n%2\n\nDelete it? (No keeps "
                                             "it where it is.)")
                                  .arg(copy.CopyPath(), QString::fromUtf8(error.what())),
                              QStringLiteral("Recovery")))
            copy.Remove();
        return false;
    }
    const TRecoveryAnswer answer = Dialogs().RecoveryChoice(owner, OfferText(copy, project));
    if (answer == TRecoveryAnswer::Discard) {
        copy.Remove();
        return false;
    }
    RestoreRecoveredProject(document, project, answer == TRecoveryAnswer::Restore);
    // Until this run's copy holds the work, the old copy is the only one.
    if (writer && writer->Flush())
        copy.Remove();
    return true;
}

} // namespace

TRecoveryWriter* StartRecoveryWriter(TProjectDocument& document, QWidget* frame, const QString& folder, int delayMs)
{
    TRecoveryWriter* writer = nullptr;
    if (!Guarded(frame, [&] { writer = new TRecoveryWriter(document, folder, delayMs, frame); }))
        return nullptr;
    auto reported = std::make_shared<bool>(false);
    QObject::connect(writer, &TRecoveryWriter::Failed, frame, [frame, reported](const QString& message) {
        if (std::exchange(*reported, true))
            return;
        Dialogs().Error(frame, QStringLiteral("Unsaved changes cannot be kept for recovery after a crash:\n%1")
                                   .arg(message));
    });
    QObject::connect(writer, &TRecoveryWriter::Written, frame, [reported] { *reported = false; });
    return writer;
}

void OfferLeftoverCopies(TProjectDocument& document, QWidget* owner, const QString& folder, TRecoveryWriter* writer)
{
    std::vector<TLeftoverCopy> copies;
    if (!Guarded(owner, [&] { copies = FindLeftoverCopies(folder); }) || copies.empty())
        return;
    // The splash stays on top; the offer must not open underneath it.
    if (SplashForm)
        SplashForm->close();
    for (TLeftoverCopy& copy : copies) {
        bool opened = false;
        Guarded(owner, [&] { opened = Offer(document, owner, copy, writer); });
        if (opened)
            return;
    }
}

void StartRecovery(TProjectDocument& document, QWidget* frame, const QString& folder)
{
    TRecoveryWriter* writer = StartRecoveryWriter(document, frame, folder);
    OfferLeftoverCopies(document, frame, folder, writer);
}
