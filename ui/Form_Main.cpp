#include "Form_Main.h"
#include "ui_Form_Main.h"

#include "ChildWindows.h"
#include "Dialogs.h"
#include "Form_About.h"
#include "Form_Editor.h"
#include "Form_Header.h"
#include "Form_Import.h"
#include "Form_NPC.h"
#include "Form_PlayTest.h"
#include "Form_Splash.h"
#include "Form_Problems.h"
#include "Form_ScriptFile.h"
#include "workspace/ScriptWorkspace.h"
#include "Form_Tasks.h"
#include "HelpViewer.h"
#include "HistoryActions.h"
#include "platform/TextEncoding.h"
#include "Startup.h"
#include "TargetMenu.h"
#include "WindowPlaces.h"
#include "model/Records.h"
#include "document/Document.h"
#include "model/ProjectFile.h"
#include "check/Problems.h"
#include "model/Tasks.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFile>
#include <QMenuBar>
#include <QTreeView>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QKeySequence>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>

namespace {

// Where the text encoding chosen last is remembered between runs.
constexpr const char* EncodingSetting = "ScriptTextEncoding";

constexpr int HeaderClientWidth = 400;
constexpr int HeaderClientHeight = 400;

// The folder a project or script file was last opened from or saved to.
const QString LastFolderKey = QStringLiteral("LastFolder");

void RememberFolder(const QString& path)
{
    QSettings().setValue(LastFolderKey, QFileInfo(path).absolutePath());
}

QString FileNameOf(const std::string& path)
{
    return QFileInfo(QFile::decodeName(path.c_str())).fileName();
}

} // namespace

QString ProjectFileStem(const std::string& npcName, const TTextEncoding& encoding)
{
    // The name players see: before the server's "::" unique part and "#" hidden part.
    QString name = encoding.ToQ(npcName.substr(0, std::min(npcName.find("::"), npcName.find('#'))));
    const QString refused = QStringLiteral("\\/:*?\"<>|");
    name.removeIf([&refused](QChar c) { return c.category() == QChar::Other_Control || refused.contains(c); });
    name = name.trimmed();
    while (name.endsWith(u'.'))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Untitled") : name;
}

QString DeletedMessage(const std::string& kind, const std::string& caption, int tasksBelow,
                       const TTextEncoding& encoding)
{
    const QString what = kind == "group" ? QStringLiteral("group ") + encoding.ToQ(caption) : encoding.ToQ(kind);
    const QString undoKey = QKeySequence(QKeySequence::Undo).toString(QKeySequence::NativeText);
    if (tasksBelow <= 0)
        return QStringLiteral("Deleted %1: %2 restores it").arg(what, undoKey);
    return QStringLiteral("Deleted %1 and %2 %3 below it: %4 restores them")
        .arg(what)
        .arg(tasksBelow)
        .arg(tasksBelow == 1 ? QStringLiteral("task") : QStringLiteral("tasks"), undoKey);
}

std::string OutputFileName(const std::string& projectFileName)
{
    const std::size_t nameStart = projectFileName.find_last_of('/') + 1;  // npos + 1 == 0
    const std::size_t dot = projectFileName.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return projectFileName + ".txt";
    return projectFileName.substr(0, dot) + ".txt";
}

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent),
      // Empty until start-up hands over the catalogues it read (UseCatalogues).
      Document_(std::make_unique<TProjectDocument>(std::make_shared<const TServers>(std::make_shared<const TCatalogues>()))),
      Ui_(std::make_unique<Ui::TMainForm>())
{
    Ui_->setupUi(this);
    QuitApplication = [] { QCoreApplication::exit(0); };
    // The real dialogs, for this window and every window in it, until a report or a test installs
    // its own.
    SetDialogs(*this, QtDialogs());
    Encoding_ = TTextEncoding::Remembered(QSettings().value(QLatin1String(EncodingSetting)).toString().toStdString());
    Document_->SetEncoding(Encoding_);
    KeepChildrenInside(Ui_->ClientArea);
    ConnectCommands();
    BuildEditMenu();
    BuildOptionsMenu();
    connect(Ui_->WindowsMenu, &QMenu::aboutToShow, this, [this] { ListOpenWindows(Ui_->WindowsMenu, Ui_->ClientArea); });
    hide();
    // The server the script is written for, in sight whatever window is open.
    ServerLabel_ = new QLabel(this);
    ServerLabel_->setObjectName(QStringLiteral("ServerLabel"));
    ServerLabel_->setToolTip(QStringLiteral("The server the script is written for (Options, Target Server)"));
    statusBar()->addPermanentWidget(ServerLabel_);
    UpdateTitle();
    RestoreMainPlace(this);
    // Every change may touch Modified or the file name; the title is cheap to redo.
    connect(Document_.get(), &TProjectDocument::Changed, this, [this] { UpdateTitle(); });
    connect(Document_.get(), &TProjectDocument::Deleted, this,
            [this](const std::string& kind, const std::string& caption, int tasksBelow) {
                statusBar()->showMessage(DeletedMessage(kind, caption, tasksBelow, Document_->Encoding()));
            });
    // "Ctrl+Z restores it" is stale once an undo or a redo has run.
    connect(Document_.get(), &TProjectDocument::Changed, this, [this](const TProjectChange& change) {
        if (change.FromHistory)
            statusBar()->clearMessage();
    });
}

TMainForm::~TMainForm()
{
    // The windows inside follow the document to their last moment: they go first.
    DeleteChildrenFirst(*this, true);
    // Still up when the program ends within its first seconds.
    delete Splash_.data();
}

QMdiArea* TMainForm::ClientArea() const
{
    return Ui_->ClientArea;
}

void TMainForm::ConnectCommands()
{
    const std::pair<QAction*, void (TMainForm::*)()> commands[] = {
        {Ui_->FileNewItem, &TMainForm::FileNew},
        {Ui_->FileLoadItem, &TMainForm::FileLoad},
        {Ui_->FileImportItem, &TMainForm::FileImport},
        {Ui_->FileOpenScriptItem, &TMainForm::FileOpenScript},
        {Ui_->FileSaveItem, &TMainForm::FileSave},
        {Ui_->FileSaveAsItem, &TMainForm::FileSaveAs},
        {Ui_->FileSaveOutputItem, &TMainForm::FileSaveOutput},
        {Ui_->FileExitItem, &TMainForm::FileExit},
        {Ui_->ViewCascadeItem, &TMainForm::ViewCascade},
        {Ui_->ViewTileHorizontalItem, &TMainForm::ViewTileHorizontal},
        {Ui_->ViewTileVerticalItem, &TMainForm::ViewTileVertical},
        {Ui_->WinOutputItem, &TMainForm::WinOutput},
        {Ui_->WinNPCInfoItem, &TMainForm::WinNPCInfo},
        {Ui_->WinHeaderInfoItem, &TMainForm::WinHeaderInfo},
        {Ui_->WinTaskItem, &TMainForm::WinTask},
        {Ui_->WinPlayTestItem, &TMainForm::WinPlayTest},
        {Ui_->ViewProblemsItem, &TMainForm::ViewProblems},
        {Ui_->HelpIntroItem, &TMainForm::HelpIntro},
        {Ui_->HelpRefItem, &TMainForm::HelpRef},
        {Ui_->HelpTutItem, &TMainForm::HelpTut},
        {Ui_->HelpAboutItem, &TMainForm::HelpAbout},
    };
    for (const auto& [action, command] : commands) {
        // The shortcuts (application-wide in the form) keep working with the menu bar hidden.
        addAction(action);
        connect(action, &QAction::triggered, this, [this, command = command] {
            const TFocusReturn focus(this);
            Guarded(this, [this, command] { (this->*command)(); });
        });
    }
    AssignDesktopKeys();
}

// The keys a desktop user expects, shown first in the menus; the program's older function keys
// (F5 save, F6 load) keep working beside them.
void TMainForm::AssignDesktopKeys()
{
    const std::pair<QAction*, QList<QKeySequence>> keys[] = {
        {Ui_->FileNewItem, {QKeySequence(Qt::CTRL | Qt::Key_N)}},
        {Ui_->FileLoadItem, {QKeySequence(Qt::CTRL | Qt::Key_O), QKeySequence(Qt::Key_F6)}},
        {Ui_->FileSaveItem, {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::Key_F5)}},
        {Ui_->FileSaveAsItem, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}},
        {Ui_->FileExitItem, {QKeySequence(Qt::CTRL | Qt::Key_Q)}},
        {Ui_->HelpIntroItem, {QKeySequence(Qt::Key_F1)}},
    };
    for (const auto& [action, sequences] : keys) {
        action->setShortcuts(sequences);
        action->setShortcutContext(Qt::ApplicationShortcut);
    }
}

// Edit: Undo and Redo, between File and View.
void TMainForm::BuildEditMenu()
{
    auto* edit = new QMenu(QStringLiteral("&Edit"), this);
    edit->setObjectName(QStringLiteral("EditMenu"));
    Ui_->MainMenu->insertMenu(Ui_->ViewMenu->menuAction(), edit);
    UndoAction_ = MakeUndoAction(*Document_, this);
    UndoAction_->setObjectName(QStringLiteral("EditUndoItem"));
    RedoAction_ = MakeRedoAction(*Document_, this);
    RedoAction_->setObjectName(QStringLiteral("EditRedoItem"));
    for (QAction* action : {UndoAction_, RedoAction_}) {
        edit->addAction(action);
        // Like the other commands: the keys work with the menu bar hidden.
        addAction(action);
    }
}

// Options > Target Server, and Script Text Encoding: one radio entry per encoding, the one in force checked. An
// encoding this system cannot convert is listed but cannot be chosen.
void TMainForm::BuildOptionsMenu()
{
    // Alt+O is the task window's Code button.
    auto* options = new QMenu(QStringLiteral("O&ptions"), this);
    options->setObjectName(QStringLiteral("OptionsMenu"));
    Ui_->MainMenu->insertMenu(Ui_->HelpMenu->menuAction(), options);
    AddTargetMenu(options, *Document_, this);
    QMenu* encodings = options->addMenu(QStringLiteral("Script Text &Encoding"));
    encodings->setObjectName(QStringLiteral("EncodingMenu"));
    auto* group = new QActionGroup(encodings);
    for (const TScriptEncoding& encoding : ScriptEncodings()) {
        QAction* action = encodings->addAction(QString::fromLatin1(encoding.Title));
        action->setObjectName(QStringLiteral("Encoding_") + QString::fromLatin1(encoding.Name));
        action->setCheckable(true);
        action->setChecked(&encoding == &Encoding_.Encoding());
        action->setEnabled(ScriptEncodingAvailable(encoding));
        group->addAction(action);
        const std::string name = encoding.Name;
        connect(action, &QAction::triggered, this, [this, name] {
            Guarded(this, [this, &name] { OptionsScriptEncoding(name); });
        });
    }
}

void TMainForm::OptionsScriptEncoding(const std::string& encoding)
{
    Encoding_ = TTextEncoding::Named(encoding);
    QSettings().setValue(QLatin1String(EncodingSetting), QString::fromLatin1(Encoding_.Encoding().Name));
    Document_->SetEncoding(Encoding_);
    // The bytes stay as they are; only their characters on screen change. Open editors keep the
    // text they show and write it in the new encoding when applied.
    if (NPC_)
        NPC_->ShowNPC();
    if (Tasks_) {
        for (QTreeView* tree : Tasks_->findChildren<QTreeView*>())
            tree->viewport()->update();
        Tasks_->ShowOutput();
    }
    if (OutputWindow())
        OutputWindow()->ShowScriptAgain();
}

void TMainForm::UpdateTitle()
{
    setWindowTitle(QString::fromUtf8(TitleText(Document_->Project())));
    ServerLabel_->setText(QStringLiteral("Server: ") + Document_->Encoding().ToQ(RulesOf(Document_->Project().HeaderInfo.Target).Name));
}

bool TMainForm::QuerySave(const QString& before)
{
    const TProject& project = Document_->Project();
    if (!project.Modified)
        return true;
    const QString name = project.ProjectFileName.empty() ? QStringLiteral("this new project")
                                                         : FileNameOf(project.ProjectFileName);
    switch (Dialogs(this).Question(this, QStringLiteral("Save the changes to %1 before %2?").arg(name, before),
                               QStringLiteral("Unsaved Changes"))) {
    case TAnswer::Cancel:
        return false;
    case TAnswer::Yes:
        FileSave();
        return !Document_->Project().Modified;
    case TAnswer::No:
        // The project stays as it is (unsaved, with its history and its recovery copy) until
        // whatever replaces it has succeeded.
        break;
    }
    return true;
}

QString TMainForm::DialogFolder() const
{
    const std::string& file = Document_->Project().ProjectFileName;
    if (!file.empty())
        return QFileInfo(QFile::decodeName(file.c_str())).absolutePath();
    const QString last = QSettings().value(LastFolderKey).toString();
    return !last.isEmpty() && QDir(last).exists() ? last : QDir::homePath();
}

QString TMainForm::SuggestedProjectFile() const
{
    const TProject& project = Document_->Project();
    if (!project.ProjectFileName.empty())
        return QFile::decodeName(project.ProjectFileName.c_str());
    return QDir(DialogFolder()).filePath(ProjectFileStem(project.NPCInfo.Name, Document_->Encoding()) + QStringLiteral(".NPC"));
}

void TMainForm::FileNew()
{
    if (!QuerySave(QStringLiteral("starting a new project")))
        return;
    Document_->NewProject();
}

void TMainForm::FileLoad()
{
    const QString path = Dialogs(this).OpenProjectFileName(this, DialogFolder());
    if (path.isEmpty() || !QuerySave(QStringLiteral("loading ") + QFileInfo(path).fileName()))
        return;
    // A file that is refused leaves the open project as it was, edits, history and all.
    OpenProject(path);
    RememberFolder(path);
}

void TMainForm::OpenProject(const QString& path)
{
    Document_->LoadProject(QFile::encodeName(path).toStdString());
}

void TMainForm::FileImport()
{
    const QString path = Dialogs(this).OpenScriptFileName(this, DialogFolder());
    if (path.isEmpty())
        return;
    RememberFolder(path);
    const std::string file = QFile::encodeName(path).toStdString();
    TImportForm chooser(file, ReadWholeFile(file), Document_->Project().HeaderInfo.Target, Document_->Encoding(), this);
    if (chooser.exec() != QDialog::Accepted || !chooser.ChosenEntry() ||
        !QuerySave(QStringLiteral("importing ") + QFileInfo(path).fileName()))
        return;
    const QStringList notes = ImportChosenNpc(*Document_, chooser.Source(), *chooser.ChosenEntry(), chooser.ChosenTarget());
    if (!notes.isEmpty())
        Dialogs(this).Message(this, notes.join(u'\n'), QStringLiteral("Import Script"));
}

void TMainForm::FileOpenScript()
{
    const QString path = Dialogs(this).OpenScriptFileName(this, DialogFolder());
    if (path.isEmpty())
        return;
    RememberFolder(path);
    OpenScriptFile(path);
}

TScriptFileForm* TMainForm::OpenScriptFile(const QString& path)
{
    // A script file is read, checked and written for its own server, which the project's need not
    // be: the author says which, the project's offered first.
    const std::optional<TServerTarget> server =
        Dialogs(this).ScriptFileServer(this, QFileInfo(path).fileName(), Document_->Project().HeaderInfo.Target);
    return server ? OpenScriptFile(path, *server) : nullptr;
}

void TMainForm::UseCatalogues(std::shared_ptr<const TCatalogues> catalogues)
{
    Document_->UseServers(std::make_shared<const TServers>(std::move(catalogues)));
}

TScriptFileForm* TMainForm::OpenScriptFile(const QString& path, TServerTarget server)
{
    auto* form = new TScriptFileForm(ReadScriptFileShowingProgress(QFile::encodeName(path).toStdString(), server, this),
                                     Document_->Servers(), Encoding_, ScriptRecoveryFolder);
    ShowChildWindow(form, this);
    return form;
}

bool TMainForm::QueryScriptFiles()
{
    for (TScriptFileForm* form : findChildren<TScriptFileForm*>())
        if (!form->MayClose())
            return false;
    return true;
}

void TMainForm::FileSave()
{
    const TProject& project = Document_->Project();
    if (!project.ProjectFileName.empty())
        Document_->SaveProject(project.ProjectFileName);
    else if (project.Modified)
        FileSaveAs();
}

void TMainForm::FileSaveAs()
{
    const QString path = Dialogs(this).SaveProjectFileName(this, SuggestedProjectFile());
    if (path.isEmpty())
        return;
    Document_->SaveProject(QFile::encodeName(path).toStdString());
    RememberFolder(path);
}

// Writes what the project holds in memory, saved or not. A script the server could not load
// (an NPC or a warp without a map) is shown, not written; one the checker finds errors in is
// written only when the user insists.
void TMainForm::FileSaveOutput()
{
    const std::string& projectFile = Document_->Project().ProjectFileName;
    if (projectFile.empty()) {
        Dialogs(this).Message(this, QStringLiteral("Please Save this Project first."),
                          QStringLiteral("Save First"));
        return;
    }
    if (!Tasks_)
        return;
    const std::string path = OutputFileName(projectFile);
    const TScriptResult result = Tasks_->ShowOutput();
    if (result.HasProblems()) {
        QStringList problems;
        for (const std::string& problem : result.Problems)
            problems << Document_->Encoding().ToQ(problem);
        Dialogs(this).Message(this, problems.join(u'\n') + QStringLiteral("\n\nNothing was written."),
                          QStringLiteral("Save Output"));
        return;
    }
    if (!OutputWindow())
        return;
    const TProjectCheck& check = Tasks_->LastCheck();
    if (const TProblem* first = check.FirstError()) {
        const QString text = QStringLiteral("The server will refuse this script: %1 (first: %2). Save anyway?")
                                 .arg(Counted(check.ErrorCount(), QStringLiteral("error")), Document_->Encoding().ToQ(first->Message));
        if (!Dialogs(this).Confirm(this, text, QStringLiteral("Save Output")))
            return;
    }
    WriteFileSafely(path, JoinScriptLines(OutputWindow()->ScriptLines()));
    // The file's name is derived, never chosen: say where it went.
    statusBar()->showMessage(QStringLiteral("Script written to ") + QFile::decodeName(path.c_str()));
}

void TMainForm::FileExit()
{
    if (!QuerySave(QStringLiteral("closing")) || !QueryScriptFiles())
        return;
    SaveMainPlace(this);
    QuitApplication();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    bool mayClose = false;
    Guarded(this, [this, &mayClose] { mayClose = QuerySave(QStringLiteral("closing")); });
    if (!mayClose || !QueryScriptFiles()) {
        event->ignore();
        return;
    }
    if (Tasks_)
        Tasks_->Closing = true;
    SaveMainPlace(this);
    event->accept();
    QuitApplication();
}

void TMainForm::ViewCascade()
{
    CascadeChildren(Ui_->ClientArea);
}

void TMainForm::ViewTileHorizontal()
{
    TileChildren(Ui_->ClientArea, Qt::Vertical);
}

void TMainForm::ViewTileVertical()
{
    TileChildren(Ui_->ClientArea, Qt::Horizontal);
}

void TMainForm::WinOutput()
{
    if (Tasks_)
        Tasks_->ShowOutput();
}

void TMainForm::WinNPCInfo()
{
    if (NPC_)
        BringToFront(NPC_);
}

// Every way of closing the header window ends it; the command that follows makes a new one.
void TMainForm::WinHeaderInfo()
{
    if (!Header_) {
        Header_ = new THeaderForm(*Document_);
        ShowChildWindow(Header_, this);
        SetClientSize(Header_, HeaderClientWidth, HeaderClientHeight);
        RememberPlace(Header_);
    }
    BringToFront(Header_);
}

void TMainForm::WinTask()
{
    if (Tasks_)
        BringToFront(Tasks_);
}

void TMainForm::WinPlayTest()
{
    if (!PlayTest_) {
        // The output window shows the line that runs.
        if (Tasks_ && !OutputWindow())
            Tasks_->ShowOutput();
        PlayTest_ = new TPlayTestForm(*Document_, Tasks_);
        PlayTest_->Place(this);
        PlayTest_->Restart();
    }
    BringToFront(PlayTest_);
}

void TMainForm::ViewProblems()
{
    if (!Problems_) {
        Problems_ = new TProblemsForm(*Document_, Tasks_);
        // The task tree window checks the project after every change the project document
        // reports; the window shows what that check found instead of checking again.
        if (Tasks_)
            connect(Tasks_, &TTaskForm::Checked, Problems_, &TProblemsForm::ShowCheck);
        Problems_->Place(this);
    }
    BringToFront(Problems_);
}

void TMainForm::ShowHelpTopic(const QString& topic)
{
    if (!HelpViewer_) {
        HelpViewer_ = new THelpViewer(this);
        // At the top right of the workspace, below the menu bar and clear of the tree window.
        const QPoint client = ClientArea()->mapToGlobal(QPoint(0, 0));
        HelpViewer_->move(std::max(client.x(), client.x() + ClientArea()->width() - HelpViewer_->width()), client.y());
    }
    HelpViewer_->OpenAddress(HelpFileName + QStringLiteral("::/") + topic);
    HelpViewer_->show();
    HelpViewer_->raise();
    HelpViewer_->activateWindow();
}

void TMainForm::HelpIntro()
{
    ShowHelpTopic(QStringLiteral("introduction/intro.html"));
}

void TMainForm::HelpRef()
{
    ShowHelpTopic(QStringLiteral("reference/actions.html"));
}

void TMainForm::HelpTut()
{
    ShowHelpTopic(QStringLiteral("tutorials/actions/1.html"));
}

void TMainForm::HelpAbout()
{
    if (!About_) {
        About_ = new TAboutForm(CatalogueFolder);
        ShowFixedChildWindow(About_, this);
    }
    BringToFront(About_);
}
