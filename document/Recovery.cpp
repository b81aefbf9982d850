#include "document/Recovery.h"

#include "document/Document.h"
#include "model/ProjectFile.h"

#include "platform/FileAccess.h"
#include "model/Records.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUuid>

namespace {

const QString CopySuffix = QStringLiteral(".NPC");
const QString NameSuffix = QStringLiteral(".name");  // after the copy's own name
const QString LockSuffix = QStringLiteral(".lock");
const QString ScriptCopySuffix = QStringLiteral(".script");
const QString ScriptLockSuffix = QStringLiteral(".script-lock");

std::string PathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString NameFileOf(const QString& copyPath)
{
    return copyPath + NameSuffix;
}

// The project's own side file: restoring reads it with the same reader Load uses.
QString TargetFileOf(const QString& copyPath)
{
    return QFile::decodeName(TargetFileName(PathBytes(copyPath)).c_str());
}

// "<folder>/<id>.lock" for "<folder>/<id>.NPC".
QString LockPathOf(const QString& copyPath)
{
    return copyPath.chopped(CopySuffix.size()) + LockSuffix;
}

std::unique_ptr<QLockFile> NewLock(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path);
    // An editor may run for days: only a lock whose process is gone is stale, never an old one.
    lock->setStaleLockTime(0);
    return lock;
}

// Takes the lock of a run that may have ended. QLockFile calls a lock stale when its process is
// gone; but a run that died before a reboot may have had the process id this run has now, and
// then its lock looks alive. Such a lock is taken only when no open file holds it, which Qt's
// lock (an flock beside the file) tells for every run still alive, this run's own writers too.
bool TakeLeftLock(QLockFile& lock)
{
    if (lock.tryLock(0))
        return true;
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application) || pid != QCoreApplication::applicationPid() ||
        host != QSysInfo::machineHostName())
        return false;
    return lock.removeStaleLockFile() && lock.tryLock(0);
}

std::string LockErrorText(QLockFile::LockError error)
{
    switch (error) {
    case QLockFile::NoError: break;
    case QLockFile::LockFailedError: return "the lock is held by another process";
    case QLockFile::PermissionError: return "the lock cannot be created (permission denied)";
    case QLockFile::UnknownError: break;
    }
    return "the lock cannot be created";
}

void RemoveFile(const QString& path)
{
    QFile file(path);
    if (file.exists() && !file.remove())
        throw EInOutError(PathBytes(path), file.errorString().toStdString());
}

// The project copy first: what may remain after a failure is no copy anyone offers.
void RemoveCopyFiles(const QString& copyPath)
{
    RemoveFile(copyPath);
    RemoveFile(NameFileOf(copyPath));
    RemoveFile(TargetFileOf(copyPath));
}

// What the GUI thread hands to the writer's thread: nothing of the live project.
struct TSnapshot {
    QString CopyPath;
    std::string Bytes;
    std::string FileName;
    TServerTarget Target = DefaultTarget;
};

// The project copy last, so that a copy on disk always has its name and side file beside it.
void WriteSnapshot(const TSnapshot& snapshot)
{
    WriteProjectTarget(PathBytes(snapshot.CopyPath), snapshot.Target);
    WriteFileSafely(PathBytes(NameFileOf(snapshot.CopyPath)), snapshot.FileName);
    WriteFileSafely(PathBytes(snapshot.CopyPath), snapshot.Bytes);
}

QString ErrorText(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unexpected error.");
    }
}

} // namespace

QString DefaultRecoveryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

// ---- The writer --------------------------------------------------------------------------------

TRecoveryWriter::TRecoveryWriter(TProjectDocument& document, const QString& folder, int delayMs, QObject* parent)
    : QObject(parent), Document_(document)
{
    if (!QDir().mkpath(folder))
        throw EInOutError(PathBytes(folder), "the recovery folder cannot be created");
    // Unique per run, so that editors running at once never share a copy.
    const QString base = QDir(folder).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
    CopyPath_ = base + CopySuffix;
    LockPath_ = base + LockSuffix;
    Lock_ = NewLock(LockPath_);
    if (!Lock_->tryLock(0))
        throw EInOutError(PathBytes(LockPath_), LockErrorText(Lock_->error()));
    Pool_.setMaxThreadCount(1);
    Timer_.setSingleShot(true);
    Timer_.setInterval(delayMs);
    connect(&Timer_, &QTimer::timeout, this, &TRecoveryWriter::WriteCopy);
    connect(&Document_, &TProjectDocument::Changed, this, &TRecoveryWriter::ProjectChanged);
    if (Document_.Project().Modified) {
        Waiting_.start();
        Timer_.start();
    }
}

TRecoveryWriter::~TRecoveryWriter()
{
    Timer_.stop();
    Pool_.waitForDone();
    // A copy that cannot be removed stays, and its free lock makes the next start offer it:
    // offering a copy too many loses nothing.
    try {
        RemoveCopyFiles(CopyPath_);
    } catch (...) {
    }
    Lock_->unlock();
}

bool TRecoveryWriter::Flush()
{
    if (Timer_.isActive()) {
        Timer_.stop();
        WriteCopy();
    }
    Pool_.waitForDone();
    return !Document_.Project().Modified || (HasCopy_ && !LastWriteFailed_);
}

void TRecoveryWriter::ProjectChanged()
{
    if (Document_.Project().Modified) {
        // Restarted by every change, so that the copy waits for a pause in typing; but not for
        // ever.
        if (!Timer_.isActive()) {
            Waiting_.start();
            Timer_.start();
        } else if (Waiting_.elapsed() < qint64{Timer_.interval()} * MaxWaitFactor) {
            Timer_.start();
        }
        return;
    }
    Timer_.stop();
    RemoveCopy();
}

void TRecoveryWriter::WriteCopy()
{
    const TProject& project = Document_.Project();
    if (!project.Modified)
        return;
    TSnapshot snapshot;
    try {
        snapshot = {CopyPath_, SaveProjectBytes(project), project.ProjectFileName, project.HeaderInfo.Target};
    } catch (...) {
        emit Failed(ErrorText(std::current_exception()));
        return;
    }
    HasCopy_ = true;
    Pool_.start([this, snapshot = std::move(snapshot)] {
        try {
            WriteSnapshot(snapshot);
            LastWriteFailed_ = false;
            QMetaObject::invokeMethod(this, [this] { emit Written(CopyPath_); }, Qt::QueuedConnection);
        } catch (...) {
            LastWriteFailed_ = true;
            const QString message = ErrorText(std::current_exception());
            QMetaObject::invokeMethod(this, [this, message] { emit Failed(message); }, Qt::QueuedConnection);
        }
    });
}

void TRecoveryWriter::RemoveCopy()
{
    if (!HasCopy_)
        return;
    HasCopy_ = false;
    Pool_.start([this] {
        try {
            RemoveCopyFiles(CopyPath_);
            QMetaObject::invokeMethod(this, [this] { emit Removed(); }, Qt::QueuedConnection);
        } catch (...) {
            const QString message = ErrorText(std::current_exception());
            QMetaObject::invokeMethod(this, [this, message] { emit Failed(message); }, Qt::QueuedConnection);
        }
    });
}

// ---- A script file's writer --------------------------------------------------------------------

TScriptRecoveryWriter::TScriptRecoveryWriter(std::function<std::string()> snapshot, const QString& folder, int delayMs,
                                             QObject* parent)
    : QObject(parent), Snapshot_(std::move(snapshot))
{
    if (!QDir().mkpath(folder))
        throw EInOutError(PathBytes(folder), "the recovery folder cannot be created");
    const QString base = QDir(folder).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
    CopyPath_ = base + ScriptCopySuffix;
    Lock_ = NewLock(base + ScriptLockSuffix);
    if (!Lock_->tryLock(0))
        throw EInOutError(PathBytes(Lock_->fileName()), LockErrorText(Lock_->error()));
    Timer_.setSingleShot(true);
    Timer_.setInterval(delayMs);
    connect(&Timer_, &QTimer::timeout, this, &TScriptRecoveryWriter::WriteCopy);
}

TScriptRecoveryWriter::~TScriptRecoveryWriter()
{
    // One that cannot be removed is offered at the next start: offering a copy too many loses
    // nothing.
    QFile::remove(CopyPath_);
    Lock_->unlock();
}

void TScriptRecoveryWriter::Changed()
{
    if (!Timer_.isActive()) {
        Waiting_.start();
        Timer_.start();
    } else if (Waiting_.elapsed() < qint64{Timer_.interval()} * TRecoveryWriter::MaxWaitFactor) {
        Timer_.start();
    }
}

bool TScriptRecoveryWriter::Flush()
{
    Timer_.stop();
    WriteCopy();
    return Written_ || Snapshot_().empty();
}

void TScriptRecoveryWriter::WriteCopy()
{
    try {
        const std::string bytes = Snapshot_();
        if (bytes.empty())
            RemoveFile(CopyPath_);
        else
            WriteFileSafely(PathBytes(CopyPath_), bytes);
        Written_ = !bytes.empty();
    } catch (...) {
        Written_ = false;
        emit Failed(ErrorText(std::current_exception()));
    }
}

// ---- Copies left behind ------------------------------------------------------------------------

TLeftoverCopy::TLeftoverCopy(QString copyPath, std::unique_ptr<QLockFile> lock)
    : CopyPath_(std::move(copyPath)), Lock_(std::move(lock))
{
}

TLeftoverCopy::TLeftoverCopy(TLeftoverCopy&&) noexcept = default;
TLeftoverCopy& TLeftoverCopy::operator=(TLeftoverCopy&&) noexcept = default;
// The lock's own end gives it up.
TLeftoverCopy::~TLeftoverCopy() = default;

TRecoveredProject TLeftoverCopy::Read() const
{
    TRecoveredProject project;
    project.CopyPath = PathBytes(CopyPath_);
    project.Bytes = ReadWholeFile(project.CopyPath);
    project.OriginalName = ReadWholeFile(PathBytes(NameFileOf(CopyPath_)));
    project.Target = ReadProjectTarget(project.CopyPath);
    CheckProjectBytes(project.CopyPath, project.Bytes);
    return project;
}

void TLeftoverCopy::Remove()
{
    RemoveCopyFiles(CopyPath_);
    Lock_->unlock();
}

std::vector<TLeftoverCopy> FindLeftoverCopies(const QString& folder)
{
    std::vector<TLeftoverCopy> copies;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*") + CopySuffix}, QDir::Files, QDir::Time)) {
        auto lock = NewLock(LockPathOf(info.filePath()));
        if (TakeLeftLock(*lock))
            copies.emplace_back(info.filePath(), std::move(lock));
    }
    // A run that ended abnormally with nothing unsaved left its lock, and perhaps the pieces of a
    // copy it was removing: nothing to offer.
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*") + LockSuffix}, QDir::Files)) {
        const QString copyPath = info.filePath().chopped(LockSuffix.size()) + CopySuffix;
        if (QFile::exists(copyPath))
            continue;
        const std::unique_ptr<QLockFile> lock = NewLock(info.filePath());
        if (TakeLeftLock(*lock)) {
            QFile::remove(NameFileOf(copyPath));
            QFile::remove(TargetFileOf(copyPath));
        }
    }
    return copies;
}

std::vector<TLeftoverCopy> FindLeftoverScriptCopies(const QString& folder)
{
    std::vector<TLeftoverCopy> copies;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*") + ScriptCopySuffix}, QDir::Files, QDir::Time)) {
        auto lock = NewLock(info.filePath().chopped(ScriptCopySuffix.size()) + ScriptLockSuffix);
        if (TakeLeftLock(*lock))
            copies.emplace_back(info.filePath(), std::move(lock));
    }
    // A run that ended abnormally with nothing unsaved left only its lock: taking it and letting
    // it go removes it.
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*") + ScriptLockSuffix}, QDir::Files))
        if (!QFile::exists(info.filePath().chopped(ScriptLockSuffix.size()) + ScriptCopySuffix))
            TakeLeftLock(*NewLock(info.filePath()));
    return copies;
}

void RestoreRecoveredProject(TProjectDocument& document, const TRecoveredProject& copy, bool keepName)
{
    std::unique_ptr<TProject> project = ReadProjectBytes(copy.CopyPath, copy.Bytes, document.Servers()->Catalogues(), copy.Target);
    project->ProjectFileName = keepName ? copy.OriginalName : std::string();
    // Unsaved whatever its name: the work lives only in the copy until it is saved.
    project->Modified = true;
    document.AdoptProject(keepName ? "Restore project" : "Open recovered project", std::move(project));
}
