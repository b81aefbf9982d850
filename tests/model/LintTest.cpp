// npc-lint: its report lines, summary and exit status, maps from a catalogue, and the program's
// command line.

#include "TestSupport.h"

#include "check/Lint.h"

#include <QProcess>
#include <QStringList>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

using ::testing::HasSubstr;

namespace {

const std::string CleanNpc = "prontera,150,150,4\tscript\tGuide\t105,{\r\n\tmes \"Hi\";\r\n\tclose;\r\n}\r\n";
const std::string BrokenNpc = "alberta,1,1,4\tscript\tGuide\t105,{\n\tmeszq \"Hi\";\n\tclose;\n}\n";
// One load of several files: a global function, a file calling it by name, a copy of Guide.
const std::string FunctionFile = "function\tscript\tF_Hi\t{\n\treturn getarg(0);\n}\n";
const std::string CallerFile = "-\tscript\tUser\t-1,{\nOnInit:\n\t.@x = F_Hi(1);\n\tcallfunc \"F_None\";\n\tend;\n}\n";
const std::string CopyFile = "prontera,5,5,4\tduplicate(Guide)\tGuide2\t105\n";

struct LintRow {
    const char* Name;
    std::vector<std::string> Files;  // names under the temporary folder, or "-"
    std::string Stdin;
    bool UseCatalogue;               // maps.ini naming prontera only; Files from list.txt
    script::TTarget Target;
    int Exit;
    std::string Out;                 // with <dir> for the temporary folder
    std::string ErrPart;
    bool Complete = false;           // the files are the server's whole load
};

class LintRunTest : public ::testing::TestWithParam<LintRow> {
protected:
    void SetUp() override
    {
        WriteBytes(Dir / "clean.txt", CleanNpc);
        WriteBytes(Dir / "broken.txt", BrokenNpc);
        WriteBytes(Dir / "func.txt", FunctionFile);
        WriteBytes(Dir / "caller.txt", CallerFile);
        WriteBytes(Dir / "copy.txt", CopyFile);
        WriteBytes(Dir / "list.txt", "// the load order\n" + (Dir / "func.txt").string() + "\n\n" + (Dir / "caller.txt").string() + "\r\n");
        WriteBytes(Dir / "maps.ini", "[Maps]\r\nCount=1\r\n[Map1]\r\nMap=prontera.gat\r\nName=Prontera\r\n");
    }
    TTempDir Dir;
};

TEST_P(LintRunTest, ReportsLikeACompiler)
{
    const LintRow& row = GetParam();
    TLintRequest request;
    for (const std::string& file : row.Files)
        if (file == "list.txt")
            request.LoadOrder = Dir / file;
        else
            request.Files.push_back(file == "-" ? file : (Dir / file).string());
    if (row.UseCatalogue)
        request.DataDir = Dir.Path();
    request.Target = row.Target;
    request.Complete = row.Complete;
    std::istringstream in(row.Stdin);
    std::ostringstream out, err;
    EXPECT_EQ(RunLint(request, in, out, err), row.Exit);
    std::string expected = row.Out;
    for (std::size_t at; (at = expected.find("<dir>")) != std::string::npos;)
        expected.replace(at, 5, Dir.Path().string());
    EXPECT_EQ(out.str(), expected);
    EXPECT_THAT(err.str(), HasSubstr(row.ErrPart));
}

INSTANTIATE_TEST_SUITE_P(Lint, LintRunTest, ::testing::Values(
    LintRow{"Clean", {"clean.txt"}, "", false, script::TTarget::EAthena, LintClean, "",
            "npc-lint: 1 file(s) checked for eAthena, 0 error(s), 0 warning(s)\n"},
    LintRow{"ErrorFromStdin", {"-"}, BrokenNpc, false, script::TTarget::EAthena, LintErrors,
            "<stdin>:2:2: error: unknown command 'meszq'\n"
            "<stdin>:3:2: warning: close with no mes before it: the player gets an empty dialog\n",
            "1 error(s), 1 warning(s)"},
    LintRow{"MapsFromTheCatalogue", {"clean.txt", "broken.txt"}, "", true, script::TTarget::EAthena, LintErrors,
            "<dir>/broken.txt:1:1: error: unknown map 'alberta'\n"
            "<dir>/broken.txt:3:2: warning: close with no mes before it: the player gets an empty dialog\n",
            "2 file(s) checked"},
    LintRow{"HerculesCase", {"-"}, "-\tscript\tX\t-1,{\n\tMes \"a\";\n}\n", false, script::TTarget::Hercules, LintErrors,
            "<stdin>:2:2: error: unknown command 'Mes' (Hercules names are case-sensitive: did you mean `mes`?)\n"
            "<stdin>:3:1: warning: the dialog is still open when the script ends here: the player is left with a "
            "window that has no close button (use close)\n",
            "checked for Hercules"},
    LintRow{"FunctionOfAnEarlierFile", {"func.txt", "caller.txt"}, "", false, script::TTarget::RAthena, LintClean,
            "<dir>/caller.txt:4:11: warning: the function 'F_None' is defined in none of the files checked (the server may load it from another file)\n",
            "2 file(s) checked for rAthena, 0 error(s), 1 warning(s)"},
    LintRow{"FunctionOfALaterFile", {"caller.txt", "func.txt"}, "", false, script::TTarget::Hercules, LintErrors,
            "<dir>/caller.txt:3:8: error: calling undeclared function 'F_Hi': it is defined in <dir>/func.txt, which the server loads after this file\n"
            "<dir>/caller.txt:4:11: warning: the function 'F_None' is defined in none of the files checked (the server may load it from another file)\n",
            "1 error(s)"},
    LintRow{"FunctionCalledOnEAthena", {"func.txt", "caller.txt"}, "", false, script::TTarget::EAthena, LintErrors,
            "<dir>/caller.txt:3:2: error: eAthena refuses an assignment without 'set': write set <variable>, <value>;\n"
            "<dir>/caller.txt:3:8: error: unknown function 'F_Hi'\n"
            "<dir>/caller.txt:4:11: warning: the function 'F_None' is defined in none of the files checked (the server may load it from another file)\n",
            "2 error(s)"},
    LintRow{"LoadOrderList", {"list.txt"}, "", false, script::TTarget::RAthena, LintClean,
            "<dir>/caller.txt:4:11: warning: the function 'F_None' is defined in none of the files checked (the server may load it from another file)\n",
            "2 file(s) checked"},
    LintRow{"DuplicateOfAnEarlierFile", {"clean.txt", "copy.txt"}, "", false, script::TTarget::EAthena, LintClean, "", "0 warning(s)"},
    LintRow{"DuplicateOfALaterFile", {"copy.txt", "clean.txt"}, "", false, script::TTarget::EAthena, LintErrors,
            "<dir>/copy.txt:1:16: error: the duplicate's source NPC 'Guide' is defined in <dir>/clean.txt, which the server loads after this file\n",
            "1 error(s)"},
    LintRow{"DuplicateOfNoFile", {"copy.txt"}, "", false, script::TTarget::EAthena, LintClean,
            "<dir>/copy.txt:1:16: warning: the duplicate's source NPC 'Guide' is defined in none of the files checked (the server may load it from another file)\n",
            "1 warning(s)"},
    LintRow{"CallOfNoFileInAWholeLoad", {"-"}, "-\tscript\tU\t-1,{\nOnInit:\n\t.@x = F_Gone(1);\n\tend;\n}\n", false,
            script::TTarget::RAthena, LintErrors,
            "<stdin>:3:8: error: calling undeclared function 'F_Gone': it is no command, and no file the server loads defines it\n",
            "1 error(s)", true},
    LintRow{"DuplicateOfNoFileInAWholeLoad", {"copy.txt"}, "", false, script::TTarget::EAthena, LintErrors,
            "<dir>/copy.txt:1:16: error: the duplicate's source NPC 'Guide' is defined in no file the server loads\n",
            "1 error(s)", true},
    LintRow{"UnreadableFile", {"missing.txt", "clean.txt"}, "", false, script::TTarget::EAthena, LintUnusable, "",
            "1 unreadable"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(LintRun, MissingCatalogueIsUnusable)
{
    TTempDir empty;
    TLintRequest request;
    request.Files = {"-"};
    request.DataDir = empty.Path();
    std::istringstream in(CleanNpc);
    std::ostringstream out, err;
    EXPECT_EQ(RunLint(request, in, out, err), LintUnusable);
    EXPECT_THAT(err.str(), HasSubstr("maps.ini: no maps catalogue there"));
}

struct ProgramRow {
    const char* Name;
    QStringList Args;
    int Exit;
    const char* ErrPart;
};

class LintProgramTest : public ::testing::TestWithParam<ProgramRow> {};

TEST_P(LintProgramTest, CommandLine)
{
    QProcess program;
    program.start(QStringLiteral(NPC_LINT_PATH), GetParam().Args);
    ASSERT_TRUE(program.waitForStarted(30000));
    program.write("-\tscript\tX\t-1,{\n\tZeny -= 10;\n}\n");
    program.closeWriteChannel();
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), GetParam().Exit);
    EXPECT_THAT(program.readAllStandardError().toStdString(), HasSubstr(GetParam().ErrPart));
}

INSTANTIATE_TEST_SUITE_P(Lint, LintProgramTest, ::testing::Values(
    ProgramRow{"EAthenaRefusesCompoundAssignment", {"-"}, 1, "checked for eAthena, 1 error(s)"},
    ProgramRow{"RAthenaAcceptsIt", {"--server", "rathena", "-"}, 0, "checked for rAthena, 0 error(s)"},
    ProgramRow{"UnknownServer", {"--server", "athena", "-"}, 2, "unknown server athena"},
    ProgramRow{"NoFile", {"--server", "hercules"}, 2, "no script file given"},
    ProgramRow{"UnknownOption", {"--fast", "-"}, 2, "usage: npc-lint"},
    ProgramRow{"MissingLoadOrder", {"--load-order", "no-such-list.txt"}, 2, "no-such-list.txt"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
