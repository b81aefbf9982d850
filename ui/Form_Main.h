#pragma once
// The frame window: holds every other window as a child window, runs the file, view, window and
// help commands, shows the project state in its title and protects unsaved work.

#include "catalogue/Targets.h"
#include "platform/TextEncoding.h"

#include <QMainWindow>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TMainForm;
}
class QAction;
class QLabel;
class QMdiArea;
class TAboutForm;
class TEditorForm;
class TNPCForm;
class TSplashForm;
class TTaskForm;
class THeaderForm;
class THelpViewer;
class TPlayTestForm;
class TProblemsForm;
class TProjectDocument;
class TCatalogues;
class TScriptFileForm;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The open project's document: every window of this frame is bound to it.
    TProjectDocument& Document() const { return *Document_; }
    // The catalogues start-up read, shared read-only: the servers made of them are the ones the
    // window's documents (its own, the script files' NPCs) give a new project from now on.
    void UseCatalogues(std::shared_ptr<const TCatalogues> catalogues);

    void UpdateTitle();
    // True when the caller may go on and replace or discard the current project; the question
    // names the project and what comes next ("Save the changes to shop.NPC before loading
    // other.NPC?"). Raises what a save answered with Yes raised; the caller's command then stops.
    bool QuerySave(const QString& before);
    // True when every script file window may go (each asks about its unsaved entries).
    bool QueryScriptFiles();
    // Where the file dialogs start: the project's folder, else the folder last used, else home.
    QString DialogFolder() const;
    // What Save As suggests: the project's file, or a file named after the NPC in DialogFolder.
    QString SuggestedProjectFile() const;
    // Opens topic of the help file; raises EInOutError when the help file cannot be opened.
    void ShowHelpTopic(const QString& topic);

    // The commands. Each may raise; the menu runs them through Guarded.
    void FileNew();
    void FileLoad();
    // Opens the project file at path, replacing the current project without asking.
    void OpenProject(const QString& path);
    // Chooses a script file and one of its NPCs, then opens the NPC as a new, unsaved project.
    void FileImport();
    // Chooses a script file of many NPCs and opens it for editing in a window of its own.
    void FileOpenScript();
    // Opens the script file at path in a script file window, for the server the user names;
    // nullptr when that is cancelled, EInOutError when the file cannot be opened.
    TScriptFileForm* OpenScriptFile(const QString& path);
    // The same for server (recovery reopens a file for the server it was edited for).
    TScriptFileForm* OpenScriptFile(const QString& path, TServerTarget server);
    void FileSave();
    void FileSaveAs();
    void FileSaveOutput();
    void FileExit();
    void ViewCascade();
    void ViewTileHorizontal();
    void ViewTileVertical();
    void WinOutput();
    void WinNPCInfo();
    void WinHeaderInfo();
    void WinTask();
    // Opens the play-test window (once) and brings it to the front.
    void WinPlayTest();
    // Opens the Problems window (once) and brings it to the front.
    void ViewProblems();
    void HelpIntro();
    void HelpRef();
    void HelpTut();
    void HelpAbout();
    // Makes encoding the project's text encoding and shows its text in it; script files opened from
    // now on read theirs in it too, and later runs start with it.
    void OptionsScriptEncoding(const std::string& encoding);
    // The text encoding chosen in the settings: the project's, and what each script file opened
    // from now on takes.
    const TTextEncoding& ChosenEncoding() const { return Encoding_; }

    QMdiArea* ClientArea() const;
    // The windows start-up opens on the document: the task tree and the NPC window, the task
    // window below the NPC window unless a place remembered for it was taken.
    void OpenProjectWindows();
    // The task tree window and the NPC window, once opened; the task tree's output window while
    // it is open.
    TTaskForm* TaskWindow() const;
    TNPCForm* NPCWindow() const;
    TEditorForm* OutputWindow() const;
    // Shows the start-up window, which reads the catalogues from dataDir and then shows this one.
    // It goes by itself, or with this window.
    TSplashForm* ShowSplash(const std::filesystem::path& dataDir, std::shared_ptr<TCatalogues> catalogues);
    // The start-up window while it is up.
    TSplashForm* SplashWindow() const;
    // Takes the start-up window away at once: it stays on top, and a message must not open
    // underneath it.
    void CloseSplash();
    // The help viewer, once a help command has opened it.
    // The header and about windows while they are open (each at most once).
    THeaderForm* HeaderWindow() const;
    TAboutForm* AboutWindow() const;
    THelpViewer* HelpViewer() const;
    // The play-test window, once opened and until closed.
    TPlayTestForm* PlayTest() const;
    // The Problems window while it is open.
    TProblemsForm* ProblemsWindow() const;

    // Ends the program at once, without closing the windows one by one. Tests replace it.
    std::function<void()> QuitApplication;
    // The help file, relative to the working directory unless start-up found it elsewhere.
    QString HelpFileName = QStringLiteral("help.chm");
    // Where script file windows opened from now on keep recovery copies of their unsaved edits;
    // empty (as at first): they keep none.
    QString ScriptRecoveryFolder;
    // The folder the catalogues were read from, for the About box.
    QString CatalogueFolder;

protected:
    // Closing the frame: the unsaved-changes question, then the end of the program.
    void closeEvent(QCloseEvent* event) override;

private:
    void ConnectCommands();
    void AssignDesktopKeys();
    void BuildEditMenu();
    void BuildOptionsMenu();

    TTextEncoding Encoding_;
    // First: the windows bound to it go before it does.
    std::unique_ptr<TProjectDocument> Document_;
    std::unique_ptr<Ui::TMainForm> Ui_;
    QPointer<TTaskForm> Tasks_;
    QPointer<TNPCForm> NPC_;
    QPointer<TSplashForm> Splash_;
    QPointer<THelpViewer> HelpViewer_;
    QPointer<THeaderForm> Header_;
    QPointer<TAboutForm> About_;
    QPointer<TPlayTestForm> PlayTest_;
    QPointer<TProblemsForm> Problems_;
    QAction* UndoAction_ = nullptr;
    QAction* RedoAction_ = nullptr;
    QLabel* ServerLabel_ = nullptr;
};


// The script file beside a project: the extension of the last path component (from its last dot
// on) replaced by ".txt", or ".txt" appended when that component has no dot.
std::string OutputFileName(const std::string& projectFileName);

// A file name (without extension) made of an NPC's name: the part players see, without the
// characters file systems refuse; "Untitled" when nothing is left.
QString ProjectFileStem(const std::string& npcName, const TTextEncoding& encoding);

// The status bar's word on a delete: "Deleted group Shop and 12 tasks below it: Ctrl+Z restores
// them"; a task other than a group is named by its kind.
QString DeletedMessage(const std::string& kind, const std::string& caption, int tasksBelow,
                       const TTextEncoding& encoding);
