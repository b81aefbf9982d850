// The editor. It reads its catalogues from the first of the working directory, the user's data
// folder and the installed data folder that holds any, and opens a project named on the command
// line, or a script file (.txt) in a script file window.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <memory>
#include <optional>

#include "platform/DataFolder.h"
#include "platform/MemoryReuse.h"
#include "model/Records.h"
#include "document/Document.h"
#include "ui/ChildWindows.h"
#include "ui/Dialogs.h"
#include "ui/Form_Main.h"
#include "ui/RecoveryOffer.h"
#include "ui/Startup.h"

namespace {

namespace fs = std::filesystem;

// With --startup-report nobody is there to answer a message box: messages go to standard error.
class TReportDialogs final : public TDialogs {
public:
    int Errors = 0;

    TAnswer Question(QWidget*, const QString& text, const QString&) override
    {
        Print(text);
        return TAnswer::Cancel;
    }
    void Message(QWidget*, const QString& text, const QString&) override { Print(text); }
    void Error(QWidget*, const QString& text) override
    {
        ++Errors;
        Print(text);
    }
    QString OpenProjectFileName(QWidget*, const QString&) override { return {}; }
    QString SaveProjectFileName(QWidget*, const QString&) override { return {}; }
    std::optional<QColor> ChooseColor(QWidget*, const QColor&) override { return std::nullopt; }
    std::optional<TServerTarget> ScriptFileServer(QWidget*, const QString&, TServerTarget suggested) override
    {
        return suggested;
    }

private:
    static void Print(const QString& text) { std::fprintf(stderr, "npc-editor: %s\n", qPrintable(text)); }
};

QString PathText(const fs::path& path)
{
    return QFile::decodeName(path.c_str());
}

void PrintStartupReport(const TMainForm& frame)
{
    const auto line = [](const char* what, const QString& value) {
        std::printf("%s: %s\n", what, qPrintable(value));
    };
    line("catalogue folder", frame.CatalogueFolder);
    line("help file", frame.HelpFileName);
    const TCatalogues& catalogues = *frame.Document().Servers()->Catalogues();
    line("catalogues", QStringLiteral("%1 maps, %2 jobs, %3 items, %4 sprites")
                           .arg(catalogues.Maps.size()).arg(catalogues.Jobs.size()).arg(catalogues.Items.size())
                           .arg(catalogues.Sprites.size()));
    const TProject& project = frame.Document().Project();
    line("project", QString::fromStdString(project.ProjectFileName));
    line("tasks", QString::number(project.TaskTree.Count()));
    line("title", frame.windowTitle());
}

struct TCommandLine {
    QString Project;  // empty: a new project
    bool Report = false;
};

TCommandLine ParseCommandLine(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Vask's NPC Editor: NPC scripts for eAthena servers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption report(
        QStringLiteral("startup-report"),
        QStringLiteral("Start, print where the catalogues and the help file were found, what was "
                       "read and which project is open, and end. Messages go to standard error."));
    parser.addOption(report);
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A project file (.NPC) to open, or a script file (.txt) to edit."),
                                 QStringLiteral("[file]"));
    parser.process(app);
    const QStringList projects = parser.positionalArguments();
    if (projects.size() > 1)
        parser.showHelp(2);
    return {projects.isEmpty() ? QString() : QFileInfo(projects.front()).absoluteFilePath(),
            parser.isSet(report)};
}

// Starts the windows on the catalogues of the first folder that holds any, with the help file
// of the first folder that holds one.
std::unique_ptr<TMainForm> StartWithData(const QApplication& app, std::unique_ptr<TDialogs> dialogs)
{
    const std::vector<fs::path> searched =
        DataSearchPath(QFile::encodeName(app.applicationDirPath()).toStdString());
    const fs::path catalogueFolder = FindCatalogueFolder(searched);
    std::unique_ptr<TMainForm> frame = StartEditor(catalogueFolder, std::move(dialogs));
    const fs::path helpFolder =
        FirstFolderHolding(searched, std::array{HelpFileName}).value_or(catalogueFolder);
    frame->HelpFileName = PathText(helpFolder / HelpFileName);
    return frame;
}

void NameApplication()
{
    QCoreApplication::setApplicationName(QString::fromLatin1(DataFolderName));
    // Settings live under the domain; the data folder stays <data home>/npc-editor, which an
    // organisation name would move.
    QCoreApplication::setOrganizationDomain(QStringLiteral("vask.net"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(VersionText));
}

// --help and --version are answered without a window system, from a terminal or a build script.
void AnswerWithoutWindows(int argc, char** argv)
{
    const QStringList answered = {QStringLiteral("-h"), QStringLiteral("--help"),
                                  QStringLiteral("-v"), QStringLiteral("--version")};
    for (int i = 1; i < argc; ++i)
        if (answered.contains(QString::fromLocal8Bit(argv[i]))) {
            QCoreApplication app(argc, argv);
            NameApplication();
            ParseCommandLine(app);  // prints the answer and ends the program
        }
}

} // namespace

int main(int argc, char** argv)
{
    KeepFreedMemoryForReuse();
    AnswerWithoutWindows(argc, argv);
    QApplication app(argc, argv);
    NameApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral(NPC_APP_ID));
    // The installed icon where the desktop's icon theme has it, else the program's own copy.
    QApplication::setWindowIcon(ProgramIcon(QStringLiteral(NPC_APP_ID)));
    const TCommandLine commandLine = ParseCommandLine(app);

    TReportDialogs* reportDialogs = nullptr;
    std::unique_ptr<TDialogs> dialogs;
    if (commandLine.Report) {
        dialogs = std::make_unique<TReportDialogs>();
        reportDialogs = static_cast<TReportDialogs*>(dialogs.get());
    }
    // The editor's windows, all owned by the main window, go when it does, before the application.
    const std::unique_ptr<TMainForm> frame = StartWithData(app, std::move(dialogs));
    if (commandLine.Project.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        Guarded(frame.get(), [&] { frame->OpenScriptFile(commandLine.Project); });
    else if (!commandLine.Project.isEmpty())
        Guarded(frame.get(), [&] { frame->OpenProject(commandLine.Project); });
    // A report ends at once and answers nothing: it neither keeps nor offers recovery copies.
    if (!reportDialogs)
        StartRecovery(frame->Document(), frame.get(), DefaultRecoveryFolder());

    if (reportDialogs) {
        PrintStartupReport(*frame);
        return reportDialogs->Errors == 0 ? 0 : 1;
    }
    return app.exec();
}
