// The headless exporter: catalogues from a data folder, the script written to a file or a stream,
// and every failure reported as one line naming the file, with nothing written.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "output/Export.h"

#include <gmock/gmock.h>

#include <QProcess>
#include <QStringList>

#include <functional>
#include <sstream>

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

// Maps and jobs only: the script needs nothing else, so there is no item_db.txt and no sprite.
void WriteDataFolder(const fs::path& dir)
{
    WriteBytes(dir / "maps.ini",
               "[Maps]\r\nCount=2\r\n[Map1]\r\nName=Prontera\r\nMap=prontera.gat\r\n"
               "[Map2]\r\nName=Izlude\r\nMap=izlude.gat\r\n");
    WriteBytes(dir / "jobs.ini", "[Jobs]\r\nCount=1\r\n[Job1]\r\nID=7\r\nName=Knight\r\n");
}

class ExportTest : public TaskTest {
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        WriteDataFolder(Data.Path());
        BuildEveryKindProject();
        Document().SaveProject(ProjectPath());
        Golden = ReadBytes(SourceDir() / "tests" / "golden" / "project-every-kind.txt");
    }

public:
    // The table rows below arrange their cases through these.
    std::string ProjectPath() const { return (Dir / "every.NPC").string(); }
    std::string Output() const { return (Dir / "every.txt").string(); }
    TExportRequest Request(const std::string& output = {}) const { return {Data.Path(), ProjectPath(), output, {}}; }
    int Run(const TExportRequest& request)
    {
        Out.str("");
        Err.str("");
        return RunExport(request, Out, Err);
    }

    TTempDir Dir;
    TTempDir Data;
    std::string Golden;
    std::ostringstream Out;
    std::ostringstream Err;
};

TEST_F(ExportTest, WritesTheScriptToTheOutputFile)
{
    EXPECT_EQ(Run(Request(Output())), 0);
    EXPECT_EQ(Err.str(), "");
    EXPECT_EQ(Out.str(), "");
    EXPECT_EQ(ReadBytes(Output()), Golden);
}

TEST_F(ExportTest, WritesTheScriptToTheStreamWithoutAnOutputFile)
{
    EXPECT_EQ(Run(Request()), 0);
    EXPECT_EQ(Out.str(), Golden);
    EXPECT_EQ(Err.str(), "");
}

TEST_F(ExportTest, ReplacesAnOldOutputFile)
{
    WriteBytes(Output(), std::string(50000, 'x'));
    EXPECT_EQ(Run(Request(Output())), 0);
    EXPECT_EQ(ReadBytes(Output()), Golden);
}

// Folder names are bytes to the system: "Caf\xE9" (Latin-1) is not UTF-8, and must open as
// it was given, for the project, the catalogues and the output alike.
TEST_F(ExportTest, FoldersWhoseNamesAreNotUtf8)
{
    const fs::path folder = Dir / "Caf\xE9 \xFF";
    fs::create_directories(folder / "data");
    fs::copy_file(ProjectPath(), folder / "every.NPC");
    WriteDataFolder(folder / "data");
    const TExportRequest request{folder / "data", (folder / "every.NPC").string(), (folder / "every.txt").string()};
    EXPECT_EQ(Run(request), 0) << Err.str();
    EXPECT_EQ(ReadBytes(folder / "every.txt"), Golden);
}

TEST_F(ExportTest, OldProjectFileGetsTheDefaultHeader)
{
    const std::string file = ReadBytes(ProjectPath());
    // Version 257: the same file without the six header strings.
    std::size_t end = 12;
    for (int i = 0; i < 6; ++i)
        end += 4 + static_cast<std::size_t>(static_cast<unsigned char>(file[end]));
    WriteBytes(ProjectPath(), Int32(257) + file.substr(4, 8) + file.substr(end));
    Project().HeaderInfo.ScriptName = "Left over";
    ASSERT_EQ(Run(Request()), 0) << Err.str();
    EXPECT_THAT(Out.str(), HasSubstr("//= <Name> Script\r\n"));
}

struct FailureRow {
    const char* Name;
    std::function<void(ExportTest&, TExportRequest&)> Arrange;
    const char* Message;  // part of the first error line
};

class ExportFailureTest : public ExportTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(ExportFailureTest, ReportsNamingTheFileAndWritesNothing)
{
    WriteBytes(Output(), "previous");
    TExportRequest request = Request(Output());
    GetParam().Arrange(*this, request);
    EXPECT_EQ(Run(request), 1);
    EXPECT_THAT(Err.str(), StartsWith("npc-export: "));
    EXPECT_THAT(Err.str(), HasSubstr(GetParam().Message));
    EXPECT_EQ(Err.str().back(), '\n');
    EXPECT_EQ(Out.str(), "");
    if (fs::exists(Output()))
        EXPECT_EQ(ReadBytes(Output()), "previous");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ExportFailureTest,
    ::testing::Values(
        FailureRow{"MissingProject", [](ExportTest&, TExportRequest& r) { r.ProjectPath += ".gone"; },
                   "every.NPC.gone: File not found"},
        FailureRow{"TruncatedProject",
                   [](ExportTest& t, TExportRequest&) {
                       const std::string bytes = ReadBytes(t.ProjectPath());
                       WriteBytes(t.ProjectPath(), bytes.substr(0, bytes.size() - 3));
                   },
                   "every.NPC: the file ends inside the record of task 16: 3 more bytes expected"},
        FailureRow{"MissingDataFolder", [](ExportTest&, TExportRequest& r) { r.DataDir /= "gone"; }, "gone: no such folder"},
        FailureRow{"NoMapCatalogue", [](ExportTest& t, TExportRequest&) { fs::remove(t.Data / "maps.ini"); },
                   "every.NPC: The NPC has no map"},
        FailureRow{"WarpToAMapNoLongerCatalogued",
                   [](ExportTest& t, TExportRequest&) {
                       WriteBytes(t.Data / "maps.ini", "[Maps]\r\nCount=1\r\n[Map1]\r\nMap=prontera.gat\r\n");
                   },
                   "every.NPC: A Warp has no map"},
        FailureRow{"OutputFolderMissing",
                   [](ExportTest& t, TExportRequest& r) { r.OutputPath = (t.Dir / "gone" / "out.txt").string(); },
                   "out.txt"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ExportTest, ProblemsAreListedOneLineEach)
{
    WriteBytes(Data / "maps.ini", "");
    EXPECT_EQ(Run(Request()), 1);
    const std::string prefix = "npc-export: " + ProjectPath() + ": ";
    EXPECT_EQ(Err.str(), prefix + "The NPC has no map: choose one in NPC Information.\n" + prefix +
                             "A Warp has no map: choose one in its action editor.\n" + prefix +
                             "no script written\n");
}

TEST_F(ExportTest, FailingOutputStreamIsAnError)
{
    std::ostream broken(nullptr);
    EXPECT_EQ(RunExport(Request(), broken, Err), 1);
    EXPECT_EQ(Err.str(), "npc-export: standard output: the script could not be written\n");
}

TEST_F(ExportTest, CurrentScriptTextIsTheWritersLinesWithCrLf)
{
    const TExportedScript script = ScriptText(Project());
    EXPECT_EQ(script.Text, Golden);
    EXPECT_TRUE(script.Problems.empty());
}

// ---- The program ----------------------------------------------------------------------------

struct ProgramRow {
    const char* Name;
    std::function<QStringList(const ExportTest&)> Args;
    int ExitCode;
    bool PrintsScript;
    const char* Stderr;  // start of what the program writes on stderr
};

class ExportProgramTest : public ExportTest, public ::testing::WithParamInterface<ProgramRow> {};

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

TEST_P(ExportProgramTest, ExitStatusAndOutput)
{
    QProcess program;
    program.start(QStringLiteral(NPC_EXPORT_PATH), GetParam().Args(*this));
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), GetParam().ExitCode);
    const std::string out = program.readAllStandardOutput().toStdString();
    const std::string err = program.readAllStandardError().toStdString();
    EXPECT_THAT(err, StartsWith(GetParam().Stderr));
    if (GetParam().PrintsScript)
        EXPECT_EQ(out, Golden);
    else if (GetParam().ExitCode != 0)
        EXPECT_EQ(out, "");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ExportProgramTest,
    ::testing::Values(
        ProgramRow{"ToStdout", [](const ExportTest& t) { return QStringList{"--data", Q(t.Data.Path().string()), Q(t.ProjectPath())}; },
                   0, true, ""},
        ProgramRow{"ToFile",
                   [](const ExportTest& t) {
                       return QStringList{"-o", Q(t.Output()), "--data", Q(t.Data.Path().string()), Q(t.ProjectPath())};
                   },
                   0, false, ""},
        ProgramRow{"MissingProject",
                   [](const ExportTest& t) { return QStringList{"--data", Q(t.Data.Path().string()), Q(t.ProjectPath() + "x")}; },
                   1, false, "npc-export: "},
        ProgramRow{"NoArguments", [](const ExportTest&) { return QStringList{}; }, 2, false,
                   "npc-export: no project file given\nusage: npc-export [--data DIR] [-o FILE] "},
        ProgramRow{"UnknownOption", [](const ExportTest& t) { return QStringList{"--colour", Q(t.ProjectPath())}; }, 2, false,
                   "npc-export: unknown option --colour\nusage: "},
        ProgramRow{"OptionWithoutValue", [](const ExportTest& t) { return QStringList{Q(t.ProjectPath()), "-o"}; }, 2, false,
                   "npc-export: option -o needs a value\nusage: "},
        ProgramRow{"UnknownServer", [](const ExportTest& t) { return QStringList{"--server", "athena", Q(t.ProjectPath())}; },
                   2, false,
                   "npc-export: unknown server athena (expected eathena, rathena or hercules)\nusage: "},
        ProgramRow{"TwoProjects", [](const ExportTest& t) { return QStringList{Q(t.ProjectPath()), Q(t.ProjectPath())}; }, 2,
                   false, "npc-export: more than one project file given\nusage: "}),
    [](const auto& info) { return std::string(info.param.Name); });

// What the every-kind project changes on Hercules: the default "Compatible With", the NPC line's
// map and sprite, and the warp's map. Nothing else.
std::string ForHercules(std::string script)
{
    const std::pair<std::string, std::string> changes[] = {
        {"//===== eAthena Script =======================================\r\n",
         "//================= Hercules Script =======================================\r\n"},
        {"//= Any eAthena Version; RO Episode XX\r\n", "//= Hercules; RO Episode XX\r\n"},
        {"prontera.gat,150,180,5\tscript\tGuide\t113,{", "prontera,150,180,5\tscript\tGuide\t4_F_KAFRA5,{"},
        {"warp \"izlude.gat\", 150, 180;", "warp \"izlude\", 150, 180;"},
    };
    for (const auto& [from, to] : changes) {
        const std::size_t at = script.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            script.replace(at, from.size(), to);
    }
    return script;
}

TEST_F(ExportTest, ServerOptionWritesForThatServer)
{
    TExportRequest request = Request();
    request.Server = TServerTarget::Hercules;
    EXPECT_EQ(Run(request), 0) << Err.str();
    EXPECT_EQ(Out.str(), ForHercules(Golden));
}

TEST_F(ExportTest, WithoutServerOptionTheProjectsOwnServerIsUsed)
{
    ChangeServerTarget(Project().HeaderInfo, TServerTarget::Hercules);
    Document().SaveProject(ProjectPath());
    EXPECT_EQ(Run(Request()), 0) << Err.str();
    // The project's own "Compatible With" is written as saved.
    EXPECT_EQ(Out.str(), ForHercules(Golden));

    TExportRequest request = Request();
    request.Server = TServerTarget::EAthena;
    EXPECT_EQ(Run(request), 0) << Err.str();
    EXPECT_EQ(Out.str(), Golden);
}

TEST_F(ExportTest, ProgramWritesTheFileAndReportsAMissingProjectOnOneLine)
{
    QProcess program;
    program.start(QStringLiteral(NPC_EXPORT_PATH),
                  {"-o", Q(Output()), "--data", Q(Data.Path().string()), Q(ProjectPath())});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(ReadBytes(Output()), Golden);

    const std::string missing = (Dir / "absent.NPC").string();
    program.start(QStringLiteral(NPC_EXPORT_PATH), {"--data", Q(Data.Path().string()), Q(missing)});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardError().toStdString(), "npc-export: " + missing + ": File not found\n");
}

// --check writes nothing; it lists the findings at their place in the written script with the
// path of the task that wrote the line, and an error makes the exit status 1.
TEST_F(ExportTest, CheckListsFindingsWithTheirTaskPaths)
{
    auto broken = std::make_unique<TManualTask>(std::vector<std::string>{"meszq \"Hi\";"});
    broken->Rename("Broken");
    AddTask(StartNode(), std::move(broken));
    const std::string path = StartNode()->Text() + " > Broken";
    Document().SaveProject(ProjectPath());
    std::vector<std::string> lines = ScriptLines();
    const auto line = std::find(lines.begin(), lines.end(), "\t\tmeszq \"Hi\";") - lines.begin() + 1;
    TExportRequest request = Request(Output());
    request.Check = true;
    EXPECT_EQ(RunExportCheck(request, Out, Err), 1);
    EXPECT_THAT(Out.str(), HasSubstr(ProjectPath() + ":" + std::to_string(line) +
                                     ":3: error: unknown command 'meszq' [" + path + "]\n"));
    EXPECT_THAT(Err.str(), HasSubstr(" error(s), "));
    EXPECT_FALSE(fs::exists(Output()));
}

}  // namespace
