#pragma once
// Crash recovery in the editor: the main window's writer of this run's recovery copy, and the
// start-up offer of copies left by runs that did not end normally (tasks/DRecovery.h).

#include "catalogue/Targets.h"
#include "document/Recovery.h"

#include <functional>

class QString;
class QWidget;
class TProjectDocument;
class TScriptFileForm;

// Opens the script file at a path in a window of its own, read for the server given; raises when it
// cannot be opened.
using TScriptFileOpener = std::function<TScriptFileForm*(const QString& path, TServerTarget server)>;

// Creates the writer of document's copy, owned by frame, keeping this run's copy in folder. A copy that cannot be
// written is reported once, not again until a copy is written. nullptr, after an error box,
// when the folder or the lock cannot be made: the editor then runs without recovery copies.
TRecoveryWriter* StartRecoveryWriter(TProjectDocument& document, QWidget* frame, const QString& folder,
                                     int delayMs = TRecoveryWriter::DefaultDelayMs);

// Offers each copy left in folder, newest first: restore it, open it as a new untitled project,
// or discard it, into document. A copy that cannot be read is reported, and deleted only when the
// user says so. Once a copy is
// restored or opened the others wait for the next start. The old copy is removed only after
// writer (this run's, may be nullptr) has the restored work on disk.
void OfferLeftoverCopies(TProjectDocument& document, QWidget* owner, const QString& folder,
                         TRecoveryWriter* writer);

// Offers each script file copy left in folder: restore its edits (open opens the file; the edits
// go back only into entries the file still holds as they were read, else the user is told why and
// offered the edited entries as a file of their own beside it), keep it for the next start, or
// discard it.
void OfferLeftoverScriptCopies(QWidget* owner, const QString& folder, const TScriptFileOpener& open);

// Both kinds, at start-up, once the main window is up; script file windows keep their copies in
// folder from then on.
void StartRecovery(TProjectDocument& document, QWidget* frame, const QString& folder);
