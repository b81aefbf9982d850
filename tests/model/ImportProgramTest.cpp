// npc-import's command line: what it refuses, with which message, and --help.

#include <QProcess>
#include <QStringList>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

using ::testing::StartsWith;

namespace {

struct ImportLineRow {
    const char* Name;
    QStringList Args;
    int Exit;
    const char* Out;  // all of stdout
    const char* Err;  // start of stderr
};

class ImportProgramTest : public ::testing::TestWithParam<ImportLineRow> {};

TEST_P(ImportProgramTest, CommandLine)
{
    QProcess program;
    program.start(QStringLiteral(NPC_IMPORT_PATH), GetParam().Args);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), GetParam().Exit);
    EXPECT_EQ(program.readAllStandardOutput().toStdString(), GetParam().Out);
    EXPECT_THAT(program.readAllStandardError().toStdString(), StartsWith(GetParam().Err));
}

constexpr const char* Usage = "usage: npc-import [--data DIR] [--server eathena|rathena|hercules] SCRIPT.txt "
                              "(--list | --npc NAME | --all) [-o PROJECT.NPC|DIR] [--verify]\n";

INSTANTIATE_TEST_SUITE_P(
    Import, ImportProgramTest,
    ::testing::Values(
        ImportLineRow{"Help", {"--help"}, 0, Usage, ""},
        ImportLineRow{"NoScript", {"--list"}, 2, "", "npc-import: no script file given\nusage: npc-import "},
        ImportLineRow{"TwoScripts", {"a.txt", "b.txt", "--list"}, 2, "", "npc-import: more than one script file given\n"},
        ImportLineRow{"NoMode", {"a.txt"}, 2, "", "npc-import: give exactly one of --list, --npc NAME and --all\n"},
        ImportLineRow{"TwoModes", {"a.txt", "--list", "--all"}, 2, "",
                      "npc-import: give exactly one of --list, --npc NAME and --all\n"},
        ImportLineRow{"NothingToDo", {"a.txt", "--npc", "Guide"}, 2, "",
                      "npc-import: nothing to do: give -o to write the import, or --verify to prove it\n"},
        ImportLineRow{"ListWritesNothing", {"a.txt", "--list", "-o", "x"}, 2, "",
                      "npc-import: --list writes nothing; -o does not go with it\n"},
        ImportLineRow{"UnknownServer", {"--server", "athena", "a.txt", "--list"}, 2, "",
                      "npc-import: unknown server athena (eathena, rathena or hercules)\n"},
        ImportLineRow{"MissingValue", {"a.txt", "--all", "-o"}, 2, "", "npc-import: option -o needs a value\n"},
        ImportLineRow{"UnknownOption", {"a.txt", "--list", "--fast"}, 2, "", "npc-import: unknown option --fast\n"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
