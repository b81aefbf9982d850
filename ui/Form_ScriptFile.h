#pragma once
// The script file window: a script file of many NPCs open for editing (File > Open Script...).
// It lists the file's entries (kind, name, lines, whether they open as tasks or as code and why)
// beside the file's text, coloured and with the checker's marks. An importable NPC opens as a task
// tree in a project document of its own; any entry opens as code. Save writes the file once, with
// only the changed entries replaced, after the checker has run on the whole new file and the user
// has decided about what the server would refuse. A file changed on disk is noticed and can be
// read again.

#include "script/ServerRules.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "catalogue/ServerData.h"
#include "platform/TextEncoding.h"

#include <map>
#include <memory>
#include <string>

class QFileSystemWatcher;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class TScriptRecoveryWriter;
class TScriptWorkspace;

// Reads the script file at path for target away from the window's thread; while it takes longer
// than half a second a progress window says so. EInOutError when it cannot be opened.
std::unique_ptr<TScriptWorkspace> ReadScriptFileShowingProgress(const std::string& path, script::TTarget target,
                                                                QWidget* owner);

class TScriptFileForm : public QWidget {
    Q_OBJECT
public:
    // Shows the file read into workspace, its bytes read in encoding, keeping recovery copies of its
    // unsaved edits in recoveryFolder (empty: none). The NPCs it opens as tasks read the catalogues
    // of servers, and their text in the file's encoding.
    TScriptFileForm(std::unique_ptr<TScriptWorkspace> workspace, std::shared_ptr<const TServers> servers,
                    const TTextEncoding& encoding, QString recoveryFolder = {}, QWidget* parent = nullptr);
    ~TScriptFileForm() override;

    TScriptWorkspace& Workspace() const { return *Workspace_; }
    const std::shared_ptr<const TServers>& Servers() const { return Servers_; }
    // The encoding the file's bytes are shown and typed in.
    const TTextEncoding& Encoding() const { return Encoding_; }
    QTableWidget* EntryList() const { return Entries_; }
    QPlainTextEdit* FileText() const { return Text_; }
    // The row of the list showing part (-1 for none).
    int RowOfPart(std::size_t part) const;

    // Opens the selected entry: as tasks when it can be, else as code. Returns the window.
    QWidget* OpenSelected();
    // Opens part as tasks (EImportError when it cannot be) or as code.
    QWidget* OpenAsTasks(std::size_t part);
    QWidget* OpenAsCode(std::size_t part);
    // Checks the new file, asks about what the server would refuse and about a file changed on
    // disk, then writes it. False when the user declined.
    bool Save();
    // Reads the file again; keepEdits carries the changed entries over into the entries the file
    // still holds as they were read (refused, saying why, when one is not). Entry windows stay
    // open on their entries; those that cannot are closed and named.
    void Reload(bool keepEdits);
    // The file's bytes on disk differ from those read: asks whether to read it again.
    void FileChangedOnDisk();
    // An entry window changed its part: the list and the title follow.
    void PartEdited();
    // True when the window may go: nothing unsaved, or the user saved or discarded it when asked.
    bool MayClose();
    // Writes the recovery copy of the unsaved edits now; true when the disk has it.
    bool FlushRecovery();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWidgets();
    void ShowFile();
    void ShowEntries();
    void ShowMarks();
    void UpdateTitle();
    void WatchFile();
    void CloseEntryWindows();
    QStringList MoveEntryWindows(const TScriptWorkspace& reread, bool keepEdits);
    // Why each open NPC's tasks cannot be written into the file, a line each; empty when all are.
    QString UnwrittenNpcs() const;
    void KeepRecoveryCopy();

    std::shared_ptr<const TServers> Servers_;
    TTextEncoding Encoding_;
    std::unique_ptr<TScriptWorkspace> Workspace_;
    QTableWidget* Entries_ = nullptr;
    QPlainTextEdit* Text_ = nullptr;
    QLabel* Status_ = nullptr;
    QPushButton* SaveButton_ = nullptr;
    QFileSystemWatcher* Watcher_ = nullptr;
    std::map<std::size_t, QPointer<QWidget>> EntryWindows_;  // part -> its open window
    QString RecoveryFolder_;
    TScriptRecoveryWriter* Recovery_ = nullptr;
    bool RecoveryFailed_ = false;
    bool Asking_ = false;
};
