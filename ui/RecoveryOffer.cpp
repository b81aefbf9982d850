#include "RecoveryOffer.h"

#include "Dialogs.h"
#include "Form_Main.h"
#include "Form_ScriptFile.h"
#include "Form_Main.h"
#include "platform/TextEncoding.h"

#include "platform/FileAccess.h"
#include "workspace/WorkspaceRecovery.h"

#include <QDir>
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

// A copy that cannot be read is kept unless the user lets it go: it may still be read by hand, but
// it need not come back at every start.
void OfferToDelete(QWidget* owner, TLeftoverCopy& copy, const std::exception& error)
{
    if (Dialogs(owner).Confirm(owner,
                          QStringLiteral("The recovery copy %1 cannot be restored:\n\n%2\n\nDelete it? (No keeps "
                                         "it where it is.)")
                              .arg(copy.CopyPath(), QString::fromUtf8(error.what())),
                          QStringLiteral("Recovery")))
        copy.Remove();
}

// True when the copy was restored or opened: the offer ends there.
bool Offer(TProjectDocument& document, QWidget* owner, TLeftoverCopy& copy, TRecoveryWriter* writer)
{
    TRecoveredProject project;
    try {
        project = copy.Read();
    } catch (const std::exception& error) {
        OfferToDelete(owner, copy, error);
        return false;
    }
    const TRecoveryAnswer answer = Dialogs(owner).RecoveryChoice(owner, OfferText(copy, project));
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

QString CopyTime(const TLeftoverCopy& copy)
{
    return QFileInfo(copy.CopyPath()).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// A name beside path that no file has yet: "town-recovered.txt", "town-recovered-2.txt", ...
std::string FreeNameBeside(const std::string& path)
{
    const QFileInfo file(QFile::decodeName(path.c_str()));
    const QString stem = file.dir().filePath(file.completeBaseName() + QStringLiteral("-recovered"));
    const QString suffix = file.suffix().isEmpty() ? QString() : u'.' + file.suffix();
    QString candidate = stem + suffix;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = stem + u'-' + QString::number(n) + suffix;
    return QFile::encodeName(candidate).toStdString();
}

// The edits cannot go back into the file: kept as a file of their own when the user wants it.
// True when they are on disk there.
bool OfferAsSeparateFile(QWidget* owner, const TScriptEdits& edits, const QString& why)
{
    const std::string path = FreeNameBeside(edits.FileName);
    if (!Dialogs(owner).Confirm(owner,
                           QStringLiteral("The recovered edits cannot go back into %1: %2.\n\nSave the edited "
                                          "entries as %3, to copy them over by hand? (No keeps them for the next start.)")
                               .arg(QFile::decodeName(edits.FileName.c_str()), why, QFile::decodeName(path.c_str())),
                           QStringLiteral("Recovery")))
        return false;
    WriteFileSafely(path, RecoveredText(edits, "\n"));
    return true;
}

// True when the copy's edits were restored or saved elsewhere: the copy is no longer needed.
bool RestoreEdits(QWidget* owner, const TScriptEdits& edits, const TScriptFileOpener& open)
{
    TScriptFileForm* form = nullptr;
    try {
        // The server the edits were made for: read for another, the file's lines may not even parse.
        form = open(QFile::decodeName(edits.FileName.c_str()), edits.Target);
    } catch (const std::exception& error) {
        return OfferAsSeparateFile(owner, edits, QString::fromUtf8(error.what()));
    }
    const std::string why = ApplyEdits(form->Workspace(), edits);
    if (!why.empty())
        return OfferAsSeparateFile(owner, edits, form->Encoding().ToQ(why));
    form->PartEdited();
    // Until this run's copy holds the edits, the old copy is the only one.
    return form->FlushRecovery();
}

void OfferScriptCopy(QWidget* owner, TLeftoverCopy& copy, const TScriptFileOpener& open)
{
    TScriptEdits edits;
    try {
        edits = ReadEditsBytes(QFile::encodeName(copy.CopyPath()).toStdString(),
                               ReadWholeFile(QFile::encodeName(copy.CopyPath()).toStdString()));
    } catch (const std::exception& error) {
        OfferToDelete(owner, copy, error);
        return;
    }
    const TAnswer answer = Dialogs(owner).Question(owner,
        QStringLiteral("The editor did not end normally. Unsaved edits of %1 entries of the script file %2 were kept "
                       "at %3.\n\nRestore them? (No discards them; Cancel keeps them for the next start.)")
            .arg(edits.Entries.size())
            .arg(QFile::decodeName(edits.FileName.c_str()), CopyTime(copy)),
        QStringLiteral("Recovery"));
    if (answer == TAnswer::No)
        copy.Remove();
    else if (answer == TAnswer::Yes && RestoreEdits(owner, edits, open))
        copy.Remove();
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
        Dialogs(frame).Error(frame, QStringLiteral("Unsaved changes cannot be kept for recovery after a crash:\n%1")
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
    if (auto* frame = qobject_cast<TMainForm*>(owner ? owner->window() : nullptr))
        frame->CloseSplash();
    for (TLeftoverCopy& copy : copies) {
        bool opened = false;
        Guarded(owner, [&] { opened = Offer(document, owner, copy, writer); });
        if (opened)
            return;
    }
}

void OfferLeftoverScriptCopies(QWidget* owner, const QString& folder, const TScriptFileOpener& open)
{
    std::vector<TLeftoverCopy> copies;
    if (!Guarded(owner, [&] { copies = FindLeftoverScriptCopies(folder); }) || copies.empty())
        return;
    if (auto* frame = qobject_cast<TMainForm*>(owner ? owner->window() : nullptr))
        frame->CloseSplash();
    for (TLeftoverCopy& copy : copies)
        Guarded(owner, [&] { OfferScriptCopy(owner, copy, open); });
}

void StartRecovery(TProjectDocument& document, QWidget* frame, const QString& folder)
{
    TRecoveryWriter* writer = StartRecoveryWriter(document, frame, folder);
    OfferLeftoverCopies(document, frame, folder, writer);
    if (!writer)
        return;  // the folder cannot be used: the error box has said so
    if (auto* main = qobject_cast<TMainForm*>(frame)) {
        main->ScriptRecoveryFolder = folder;
        OfferLeftoverScriptCopies(frame, folder, [main](const QString& path, TServerTarget server) {
            return main->OpenScriptFile(path, server);
        });
    }
}
