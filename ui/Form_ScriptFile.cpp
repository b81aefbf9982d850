#include "Form_ScriptFile.h"

#include "ChildWindows.h"
#include "Dialogs.h"
#include "Form_ScriptEntry.h"
#include "platform/TextEncoding.h"
#include "SyntaxHighlight.h"

#include "catalogue/Targets.h"
#include "document/Document.h"
#include "document/Recovery.h"
#include "script/Checker.h"
#include "workspace/ScriptWorkspace.h"
#include "workspace/WorkspaceRecovery.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTextBlock>
#include <QVBoxLayout>

#include <chrono>
#include <future>
#include <utility>

namespace {

enum TColumn { ColumnKind, ColumnName, ColumnLines, ColumnOpensAs, ColumnCount };

QString FileTitle(const std::string& path)
{
    return QFile::decodeName(path.c_str()).section(u'/', -1);
}

} // namespace

std::unique_ptr<TScriptWorkspace> ReadScriptFileShowingProgress(const std::string& path, script::TTarget target,
                                                                QWidget* owner)
{
    // What went wrong comes back as text: no exception leaves the reading thread.
    struct TRead {
        std::unique_ptr<TScriptWorkspace> Workspace;
        std::string Error;
    };
    std::future<TRead> reading = std::async(std::launch::async, [path, target] {
        TRead read;
        try {
            read.Workspace = TScriptWorkspace::Open(path, target);
        } catch (const std::exception& error) {
            read.Error = error.what();
        } catch (...) {
            read.Error = path + ": the file cannot be read";
        }
        return read;
    });
    QProgressDialog progress(QStringLiteral("Reading %1...").arg(FileTitle(path)), QString(), 0, 0, owner);
    progress.setObjectName(QStringLiteral("ReadingProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    while (reading.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        progress.setValue(0);  // shows the window once the minimum duration has passed
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    TRead read = reading.get();
    if (!read.Workspace)
        throw EInOutError(read.Error);
    return std::move(read.Workspace);
}

TScriptFileForm::TScriptFileForm(std::unique_ptr<TScriptWorkspace> workspace, std::shared_ptr<const TServers> servers,
                                 const TTextEncoding& encoding, QString recoveryFolder, QWidget* parent)
    : QWidget(parent), Servers_(std::move(servers)), Encoding_(encoding), Workspace_(std::move(workspace)),
      RecoveryFolder_(std::move(recoveryFolder))
{
    setObjectName(QStringLiteral("ScriptFileForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    BuildWidgets();
    ShowFile();
    WatchFile();
    KeepRecoveryCopy();
}

// Without a copy the file's edits are still saved as usual: the user is told once.
void TScriptFileForm::KeepRecoveryCopy()
{
    if (RecoveryFolder_.isEmpty())
        return;
    const auto snapshot = [this] { return Workspace_->IsModified() ? EditsBytes(EditsOf(*Workspace_)) : std::string(); };
    if (!Guarded(this, [&] { Recovery_ = new TScriptRecoveryWriter(snapshot, RecoveryFolder_, TRecoveryWriter::DefaultDelayMs, this); }))
        return;
    connect(Recovery_, &TScriptRecoveryWriter::Failed, this, [this](const QString& message) {
        if (!std::exchange(RecoveryFailed_, true))
            Dialogs(this).Error(this, QStringLiteral("Unsaved edits of %1 cannot be kept for recovery after a crash:\n%2")
                                      .arg(FileTitle(Workspace_->FileName()), message));
    });
}

bool TScriptFileForm::FlushRecovery()
{
    return Recovery_ && Recovery_->Flush();
}

TScriptFileForm::~TScriptFileForm()
{
    CloseEntryWindows();
}

void TScriptFileForm::BuildWidgets()
{
    Entries_ = new QTableWidget(0, ColumnCount, this);
    Entries_->setObjectName(QStringLiteral("EntryList"));
    Entries_->setHorizontalHeaderLabels({QStringLiteral("Kind"), QStringLiteral("Name"), QStringLiteral("Lines"),
                                         QStringLiteral("Opens as")});
    Entries_->setSelectionBehavior(QAbstractItemView::SelectRows);
    Entries_->setSelectionMode(QAbstractItemView::SingleSelection);
    Entries_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Entries_->verticalHeader()->hide();
    Entries_->horizontalHeader()->setStretchLastSection(true);
    connect(Entries_, &QTableWidget::cellDoubleClicked, this, [this] { Guarded(this, [this] { OpenSelected(); }); });
    connect(Entries_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row < 0)
            return;
        const auto part = Entries_->item(row, ColumnKind)->data(Qt::UserRole).toULongLong();
        const QTextBlock block = Text_->document()->findBlockByNumber(Workspace_->Parts()[part].FirstLine - 1);
        QTextCursor cursor(block);
        Text_->setTextCursor(cursor);
        Text_->centerCursor();
    });
    Text_ = new QPlainTextEdit(this);
    Text_->setObjectName(QStringLiteral("FileText"));
    Text_->setReadOnly(true);
    UseScriptLook(this, Text_);
    Entries_->setWordWrap(false);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(Entries_);
    splitter->addWidget(Text_);
    splitter->setSizes({420, 480});

    const auto button = [this](const char* name, const QString& text, auto handler) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, [this, handler] { Guarded(this, [this, handler] { handler(this); }); });
        return b;
    };
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button("OpenButton", QStringLiteral("&Open"), [](TScriptFileForm* f) { f->OpenSelected(); }));
    buttons->addWidget(button("OpenCodeButton", QStringLiteral("Open as &Code"), [](TScriptFileForm* f) {
        if (const int row = f->Entries_->currentRow(); row >= 0)
            f->OpenAsCode(f->Entries_->item(row, ColumnKind)->data(Qt::UserRole).toULongLong());
    }));
    SaveButton_ = button("SaveButton", QStringLiteral("&Save File"), [](TScriptFileForm* f) { f->Save(); });
    buttons->addWidget(SaveButton_);
    buttons->addWidget(button("ReloadButton", QStringLiteral("&Reload"), [](TScriptFileForm* f) {
        f->Reload(f->Workspace_->IsModified() &&
                  Dialogs(f).Confirm(f, QStringLiteral("Keep the entries you changed?"), QStringLiteral("Reload")));
    }));
    buttons->addStretch();
    Status_ = new QLabel(this);
    Status_->setObjectName(QStringLiteral("Status"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addWidget(Status_);
    layout->addLayout(buttons);
    resize(900, 600);
}

void TScriptFileForm::ShowFile()
{
    SetScriptText(Text_, Encoding_.ToQ(Workspace_->Bytes()), Encoding_);
    ShowEntries();
    ShowMarks();
    UpdateTitle();
}

void TScriptFileForm::ShowEntries()
{
    const std::vector<std::size_t> parts = Workspace_->EntryParts();
    Entries_->setRowCount(static_cast<int>(parts.size()));
    for (int row = 0; row < static_cast<int>(parts.size()); ++row) {
        const TScriptPart& part = Workspace_->Parts()[parts[static_cast<std::size_t>(row)]];
        const bool changed = Workspace_->IsChanged(parts[static_cast<std::size_t>(row)]);
        const QString texts[ColumnCount] = {
            QString::fromLatin1(PartKindName(part.Kind)) + (changed ? QStringLiteral(" *") : QString()),
            Encoding_.ToQ(part.Name), QStringLiteral("%1-%2").arg(part.FirstLine).arg(part.LastLine),
            part.Importable ? QStringLiteral("tasks") : QStringLiteral("code: ") + Encoding_.ToQ(part.Reason)};
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column == ColumnKind)
                item->setData(Qt::UserRole, static_cast<qulonglong>(parts[static_cast<std::size_t>(row)]));
            Entries_->setItem(row, column, item);
        }
    }
    Entries_->resizeColumnsToContents();
}

// The checker's errors on the file as read, underlined where they are.
void TScriptFileForm::ShowMarks()
{
    script::TCheckOptions options;
    options.Target = Workspace_->Target();
    const int errors = ShowErrorMarks(Text_, script::CheckScriptText(Workspace_->Bytes(), options), Encoding_);
    Status_->setText(errors == 0 ? QStringLiteral("The server loads this file without an error.")
                                 : QStringLiteral("The server refuses %1 line(s) of this file (underlined).").arg(errors));
}

void TScriptFileForm::UpdateTitle()
{
    setWindowTitle(QStringLiteral("Script File - ") + FileTitle(Workspace_->FileName()) + QStringLiteral(" (") +
                   QString::fromLatin1(RulesOf(Workspace_->Target()).Name) + QLatin1Char(')') +
                   (Workspace_->IsModified() || !UnwrittenNpcs().isEmpty() ? QStringLiteral(" *") : QString()));
}

void TScriptFileForm::WatchFile()
{
    delete Watcher_;
    Watcher_ = new QFileSystemWatcher(this);
    Watcher_->addPath(QFile::decodeName(Workspace_->FileName().c_str()));
    connect(Watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        Guarded(this, [this] { FileChangedOnDisk(); });
    });
}

int TScriptFileForm::RowOfPart(std::size_t part) const
{
    for (int row = 0; row < Entries_->rowCount(); ++row)
        if (Entries_->item(row, ColumnKind)->data(Qt::UserRole).toULongLong() == part)
            return row;
    return -1;
}

QWidget* TScriptFileForm::OpenSelected()
{
    const int row = Entries_->currentRow();
    if (row < 0)
        return nullptr;
    const std::size_t part = Entries_->item(row, ColumnKind)->data(Qt::UserRole).toULongLong();
    if (!Workspace_->Parts()[part].Importable)
        return OpenAsCode(part);
    try {
        return OpenAsTasks(part);
    } catch (const EImportError& error) {
        // An import whose proof fails would change what the NPC does: it is edited as code instead.
        Status_->setText(QString::fromUtf8(error.what()) + QStringLiteral(": opened as code"));
        return OpenAsCode(part);
    }
}

QWidget* TScriptFileForm::OpenAsTasks(std::size_t part)
{
    if (QWidget* open = EntryWindows_[part]) {
        BringToFront(open);
        return open;
    }
    auto* form = new TScriptNpcForm(*this, part);
    EntryWindows_[part] = form;
    ShowChildWindow(form, this);
    return form;
}

QWidget* TScriptFileForm::OpenAsCode(std::size_t part)
{
    if (QWidget* open = EntryWindows_[part]) {
        BringToFront(open);
        return open;
    }
    auto* form = new TScriptCodeForm(*this, part);
    EntryWindows_[part] = form;
    ShowChildWindow(form, this);
    return form;
}

void TScriptFileForm::PartEdited()
{
    for (int row = 0; row < Entries_->rowCount(); ++row) {
        const std::size_t part = Entries_->item(row, ColumnKind)->data(Qt::UserRole).toULongLong();
        Entries_->item(row, ColumnKind)->setText(QString::fromLatin1(PartKindName(Workspace_->Parts()[part].Kind)) +
                                                  (Workspace_->IsChanged(part) ? QStringLiteral(" *") : QString()));
    }
    UpdateTitle();
    if (Recovery_)
        Recovery_->Changed();
}

QString TScriptFileForm::UnwrittenNpcs() const
{
    QStringList npcs;
    for (const auto& [part, window] : EntryWindows_)
        if (const auto* npc = qobject_cast<const TScriptNpcForm*>(window.data()); npc && !npc->WriteError().empty())
            npcs << Encoding_.ToQ(npc->WriteError());
    return npcs.join(QStringLiteral("\n"));
}

bool TScriptFileForm::Save()
{
    // Saving without an NPC whose tasks cannot be written would mark them saved and lose them.
    if (const QString unwritten = UnwrittenNpcs(); !unwritten.isEmpty()) {
        Dialogs(this).Error(this, QStringLiteral("%1 is not saved: these NPCs' tasks cannot be written into it; change "
                                             "or undo them first.\n%2")
                                  .arg(FileTitle(Workspace_->FileName()), unwritten));
        return false;
    }
    if (Workspace_->ChangedOnDisk() &&
        !Dialogs(this).Confirm(this, QStringLiteral("%1 has changed on disk since it was opened. Save over it?")
                                     .arg(FileTitle(Workspace_->FileName())),
                           QStringLiteral("Save Script File")))
        return false;
    int fresh = 0;
    QString first;
    for (const TSaveProblem& problem : Workspace_->CheckNewBytes())
        if (problem.New && fresh++ == 0)
            first = QStringLiteral("line %1: %2").arg(problem.Diagnostic.Range.Begin.Line).arg(Encoding_.ToQ(problem.Diagnostic.Message));
    if (fresh > 0 &&
        !Dialogs(this).Confirm(this, QStringLiteral("The server will refuse this file: %1 new error(s) (first: %2). Save anyway?")
                                     .arg(fresh).arg(first),
                           QStringLiteral("Save Script File")))
        return false;
    const std::size_t parts = Workspace_->Parts().size();
    Workspace_->Save();
    if (Workspace_->Parts().size() != parts)
        CloseEntryWindows();  // an entry came or went: the windows' parts are no longer theirs
    for (auto& [part, window] : EntryWindows_)
        if (auto* npc = qobject_cast<TScriptNpcForm*>(window.data()))
            npc->Saved();
    ShowFile();
    WatchFile();  // a safe save replaces the file: the watcher followed the old one
    if (Recovery_)
        Recovery_->Changed();
    return true;
}

void TScriptFileForm::Reload(bool keepEdits)
{
    auto reread = ReadScriptFileShowingProgress(Workspace_->FileName(), Workspace_->Target(), this);
    // Kept edits go back only where nothing can mistake their entry, as after a crash; else the
    // file is not read again and the edits stay as they are.
    if (const std::string why = keepEdits ? ApplyEdits(*reread, EditsOf(*Workspace_)) : std::string(); !why.empty()) {
        Dialogs(this).Error(this, QStringLiteral("%1 is not read again: your edits cannot be kept, %2. Save them, or read "
                                             "the file again without them.")
                                  .arg(FileTitle(Workspace_->FileName()), Encoding_.ToQ(why)));
        return;
    }
    const QStringList closed = MoveEntryWindows(*reread, keepEdits);
    Workspace_ = std::move(reread);
    ShowFile();
    WatchFile();
    if (Recovery_)
        Recovery_->Changed();
    if (!closed.isEmpty())
        Dialogs(this).Message(this, QStringLiteral("%1 was read again. These windows were closed:\n%2")
                                    .arg(FileTitle(Workspace_->FileName()), closed.join(u'\n')),
                          QStringLiteral("Reload"));
}

// Each entry window stays open, with its undo history, on its entry in the file read again when
// that holds the entry as the window shows it; the others close. Returns why each closed.
QStringList TScriptFileForm::MoveEntryWindows(const TScriptWorkspace& reread, bool keepEdits)
{
    QStringList closed;
    std::map<std::size_t, QPointer<QWidget>> moved;
    for (auto& [part, window] : EntryWindows_) {
        if (!window)
            continue;
        auto* npc = qobject_cast<TScriptNpcForm*>(window.data());
        const bool edited = Workspace_->IsChanged(part) || (npc && npc->Document().Project().Modified);
        const TScriptPart& was = Workspace_->Parts()[part];
        std::string why = "its edits were not kept";
        std::size_t now = std::string::npos;
        if (keepEdits || !edited)
            now = FindEntryAsRead(reread, {was.Kind, was.Name, Workspace_->PartText(part), {}}, why);
        if (now == std::string::npos) {
            closed << window->windowTitle() + QStringLiteral(": ") + Encoding_.ToQ(why);
            delete ChildFrame(window);
            continue;
        }
        if (npc)
            npc->MoveTo(now);
        else if (auto* code = qobject_cast<TScriptCodeForm*>(window.data()))
            code->MoveTo(now);
        moved[now] = window;
    }
    EntryWindows_ = std::move(moved);
    return closed;
}

void TScriptFileForm::FileChangedOnDisk()
{
    if (Asking_ || !Workspace_->ChangedOnDisk())
        return;
    Asking_ = true;
    const QString name = FileTitle(Workspace_->FileName());
    Status_->setText(name + QStringLiteral(" has changed on disk."));
    TAnswer answer = TAnswer::Cancel;
    if (Workspace_->IsModified())
        answer = Dialogs(this).Question(this,
                                    name + QStringLiteral(" has changed on disk. Read it again, keeping the entries you "
                                                          "changed? (No: read it again without them)"),
                                    QStringLiteral("File Changed"));
    else if (Dialogs(this).Confirm(this, name + QStringLiteral(" has changed on disk. Read it again?"), QStringLiteral("File Changed")))
        answer = TAnswer::No;
    Asking_ = false;
    if (answer != TAnswer::Cancel)
        Reload(answer == TAnswer::Yes);
}

void TScriptFileForm::CloseEntryWindows()
{
    for (auto& [part, window] : EntryWindows_)
        if (window)
            delete ChildFrame(window);
    EntryWindows_.clear();
}

bool TScriptFileForm::MayClose()
{
    if (const QString unwritten = UnwrittenNpcs(); !unwritten.isEmpty())
        return Dialogs(this).Confirm(this, QStringLiteral("These NPCs' tasks cannot be written into %1, so it cannot be "
                                                      "saved with them:\n%2\nClose it and lose every unsaved edit?")
                                           .arg(FileTitle(Workspace_->FileName()), unwritten),
                                 QStringLiteral("Close"));
    if (!Workspace_->IsModified())
        return true;
    const TAnswer answer = Dialogs(this).Question(
        this, QStringLiteral("Save the changes to %1?").arg(FileTitle(Workspace_->FileName())), QStringLiteral("Close"));
    bool saved = answer == TAnswer::No;
    if (answer == TAnswer::Yes)
        Guarded(this, [this, &saved] { saved = Save(); });
    return saved;
}

void TScriptFileForm::closeEvent(QCloseEvent* event)
{
    if (MayClose())
        event->accept();
    else
        event->ignore();
}
