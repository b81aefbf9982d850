#pragma once
// Crash recovery. While the project has unsaved changes, a copy of it is kept in a folder of the
// user's, so that a crash or a power cut loses at most the last few seconds of work. Each running
// editor holds a lock beside its copy; a copy whose lock can be taken was left by a run that did
// not end normally, and start-up offers it.
//
// A copy is three files named by the run: "<id>.NPC" (exactly the bytes Save writes), the
// project's side file "<id>.NPC.server" (DTargets.h: the server target, absent for eAthena) and
// "<id>.NPC.name" (the project's file name as the system's bytes, empty when untitled), plus the
// run's lock "<id>.lock".
//
// A script file open with unsaved edits has a copy of its own, "<id>.script" (the bytes its
// window hands over: workspace/WorkspaceRecovery.h), with its lock "<id>.script-lock".

#include "catalogue/Targets.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLockFile;
class TProjectDocument;

// <application data>/recovery: the user's own folder, never the catalogue folders.
QString DefaultRecoveryFolder();

// Keeps this run's copy up to date: a few seconds after the last change the project document
// reports (and at the latest MaxWaitFactor times that after the first change not yet written, so
// that changes coming without a pause are kept as well), the project's bytes are taken in the
// calling (GUI) thread and written by a thread of the writer's own, so typing never waits for the
// disk. Becoming unmodified (a save, New, Load of
// a clean project, dropping the changes) removes the copy, and so does the writer's end.
class TRecoveryWriter : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultDelayMs = 3000;
    static constexpr int MaxWaitFactor = 10;

    // Creates folder when missing and takes this run's lock there; EInOutError naming the folder
    // or the lock when that fails.
    // Keeps a copy of document's project while it has unsaved changes.
    TRecoveryWriter(TProjectDocument& document, const QString& folder, int delayMs = DefaultDelayMs,
                    QObject* parent = nullptr);
    // The normal end of a run: waits for the last write, removes the copy and gives up the lock.
    ~TRecoveryWriter() override;

    // Where this run's project copy goes.
    const QString& CopyPath() const { return CopyPath_; }
    const QString& LockPath() const { return LockPath_; }

    // Writes a waiting copy at once and returns when the disk has it: true when the copy of the
    // current project is on disk (or none is needed because nothing is unsaved).
    bool Flush();

signals:
    // A copy was written (path: CopyPath()).
    void Written(const QString& path);
    // The copy was removed.
    void Removed();
    // A copy could not be taken or written; the message names the file and the reason.
    void Failed(const QString& message);

private:
    void ProjectChanged();
    void WriteCopy();
    void RemoveCopy();

    TProjectDocument& Document_;
    QString CopyPath_;
    QString LockPath_;
    std::unique_ptr<QLockFile> Lock_;
    QTimer Timer_;
    // Since the first change the copy does not hold yet.
    QElapsedTimer Waiting_;
    // One thread: the writes and removals reach the disk in the order they were asked for.
    QThreadPool Pool_;
    bool HasCopy_ = false;
    std::atomic<bool> LastWriteFailed_ = false;
};

// Keeps the copy of one open script file: a few seconds after the last Changed(), the bytes
// snapshot gives are written (none: nothing is unsaved, and the copy goes). The bytes are a few
// changed entries, so they are written at once rather than by a thread.
class TScriptRecoveryWriter : public QObject {
    Q_OBJECT
public:
    // Creates folder when missing and takes the copy's lock there; EInOutError naming the folder
    // or the lock when that fails.
    TScriptRecoveryWriter(std::function<std::string()> snapshot, const QString& folder,
                          int delayMs = TRecoveryWriter::DefaultDelayMs, QObject* parent = nullptr);
    // The normal end: the copy goes and the lock is given up.
    ~TScriptRecoveryWriter() override;

    const QString& CopyPath() const { return CopyPath_; }
    // The file's edits changed: the copy follows after a pause (at once when nothing is unsaved).
    void Changed();
    // Writes a waiting copy now; true when the disk has what snapshot gives.
    bool Flush();

signals:
    void Failed(const QString& message);

private:
    void WriteCopy();

    std::function<std::string()> Snapshot_;
    QString CopyPath_;
    std::unique_ptr<QLockFile> Lock_;
    QTimer Timer_;
    QElapsedTimer Waiting_;
    bool Written_ = false;
};

// What a left-over copy holds, read and checked.
struct TRecoveredProject {
    std::string CopyPath;      // names the copy in messages
    std::string OriginalName;  // the project's file name; empty for an untitled project
    TServerTarget Target = DefaultTarget;
    std::string Bytes;
};

// A copy left by a run that did not end normally. Holds that run's lock while it lives, so that a
// second editor starting at the same time does not offer the same copy.
class TLeftoverCopy {
public:
    TLeftoverCopy(QString copyPath, std::unique_ptr<QLockFile> lock);
    TLeftoverCopy(TLeftoverCopy&&) noexcept;
    TLeftoverCopy& operator=(TLeftoverCopy&&) noexcept;
    ~TLeftoverCopy();

    const QString& CopyPath() const { return CopyPath_; }
    // Reads the copy's files and checks that the project reads as Load would read it; EInOutError
    // naming the file and what is wrong.
    TRecoveredProject Read() const;
    // Deletes the copy's files and gives up the lock; EInOutError when a file stays.
    void Remove();

private:
    QString CopyPath_;
    std::unique_ptr<QLockFile> Lock_;
};

// The copies in folder whose runs did not end normally, newest first. Lock files and pieces of
// copies that such runs left without a project copy are cleared away on the way.
std::vector<TLeftoverCopy> FindLeftoverCopies(const QString& folder);
// The same for the copies of script files; their bytes are read with ReadWholeFile(CopyPath()),
// not with Read().
std::vector<TLeftoverCopy> FindLeftoverScriptCopies(const QString& folder);

// Replaces the project, through the project document, by the recovered one: modified, with its
// original file name when keepName, else untitled. Raises what the project reader raises,
// changing nothing.
void RestoreRecoveredProject(TProjectDocument& document, const TRecoveredProject& copy, bool keepName);
