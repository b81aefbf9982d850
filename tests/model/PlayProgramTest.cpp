// npc-play end to end: a shop project built with the model, saved, and played by the program on
// three paths (tests/golden/play-*.txt, play-travel.jsonl), and the program's exit statuses.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"
#include "play/Play.h"

#include <gmock/gmock.h>

#include <QProcess>
#include <QStringList>

#include <functional>

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

void WriteDataFolder(const fs::path& dir)
{
    WriteBytes(dir / "maps.ini",
               "[Maps]\r\nCount=2\r\n[Map1]\r\nName=Prontera\r\nMap=prontera.gat\r\n"
               "[Map2]\r\nName=Geffen\r\nMap=geffen.gat\r\n");
    WriteBytes(dir / "item_db.txt", "501,Red_Potion,Red Potion,0,50,,70,,,,,0xFFFFFFFF,7,2,,,,,,{},{},{}\n");
}

std::unique_ptr<TActionTask> Action(int index, std::vector<std::int32_t> params)
{
    auto action = MakeAction(index, std::move(params));
    action->Caption = "Action: " + action->ActionText(true, Project().Catalogues());
    return action;
}

TGroupTask* Group(TTaskNode* parent, const std::string& name)
{
    TGroupTask* group = AddTask(parent, Project().NewGroup("New Group"));
    group->Rename(name);
    return group;
}

// Welcome, Next, a menu of three groups: Shop (skipped without 50 Zeny, so that the play lands
// on "You cannot pay"), Travel (a warp, then a farewell) and Bye.
void BuildShopProject()
{
    Document().NewProject();
    Project().NPCInfo = TNPC{113, 150, 180, 5, 0, "Guide"};
    TTaskNode* start = StartNode();
    AddTask(start, std::make_unique<TMessageTask>(std::vector<std::string>{"Welcome, traveller."}));
    AddTask(start, Action(5, {}));

    TGroupTask* shop = Group(start, "Shop");
    auto poor = std::make_unique<TConTask>();
    poor->Target = GroupExitTarget;
    poor->AddCheck(Comparison(5, "Zeny", 50));
    AddTask(shop->Node, std::move(poor));
    AddTask(shop->Node, Action(7, {50}));
    AddTask(shop->Node, Action(1, {501, 1}));
    AddTask(shop->Node, std::make_unique<TMessageTask>(std::vector<std::string>{"Here you are."}));
    AddTask(shop->Node, Action(6, {}));
    AddTask(start, std::make_unique<TMessageTask>(std::vector<std::string>{"You cannot pay for it."}));
    AddTask(start, Action(6, {}));

    TGroupTask* travel = Group(start, "Travel");
    AddTask(travel->Node, Action(13, {1, 119, 59}));
    AddTask(travel->Node, std::make_unique<TMessageTask>(std::vector<std::string>{"Safe travels!"}));
    AddTask(travel->Node, Action(6, {}));
    TGroupTask* bye = Group(start, "Bye");
    AddTask(bye->Node, std::make_unique<TMessageTask>(std::vector<std::string>{"Goodbye."}));
    AddTask(bye->Node, Action(6, {}));

    TMenuTask* menu = AddTask(start, MakeMenu({{"Buy a potion", shop->GroupNumber},
                                               {"Go to Geffen", travel->GroupNumber},
                                               {"Leave", bye->GroupNumber}}));
    Project().TaskTree.MoveBefore(menu->Node, shop->Node);
    Document().SetModified(false);
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

struct TProgramRun {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

TProgramRun RunPlayer(const QStringList& args)
{
    QProcess program;
    program.start(QStringLiteral(NPC_PLAY_PATH), args);
    TProgramRun run;
    if (!program.waitForFinished(30000) || program.exitStatus() != QProcess::NormalExit)
        return run;
    run.ExitCode = program.exitCode();
    run.Out = program.readAllStandardOutput().toStdString();
    run.Err = program.readAllStandardError().toStdString();
    return run;
}

class PlayProgramTest : public TaskTest {
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        WriteDataFolder(Data.Path());
        BuildShopProject();
        Document().SaveProject(ProjectPath());
    }

public:
    std::string ProjectPath() const { return (Dir / "shop.NPC").string(); }
    QStringList Args(const QStringList& more) const
    {
        return QStringList{"--data", Q(Data.Path().string())} + more + QStringList{Q(ProjectPath())};
    }

    TTempDir Dir;
    TTempDir Data;
};

struct PathRow {
    const char* Name;
    QStringList Args;
    const char* Golden;
};

class PlayPathTest : public PlayProgramTest, public ::testing::WithParamInterface<PathRow> {};

TEST_P(PlayPathTest, TranscriptIsTheGoldenOne)
{
    const TProgramRun run = RunPlayer(Args(GetParam().Args));
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(CompareWithGolden(GetParam().Golden, run.Out), "");
}

INSTANTIATE_TEST_SUITE_P(
    Shop, PlayPathTest,
    ::testing::Values(PathRow{"Buys", {"--player", "zeny=5000", "--choose", "1"}, "play-buy.txt"},
                      PathRow{"CannotPay", {"--player", "zeny=10,item:501=2", "--choose", "1"}, "play-poor.txt"},
                      PathRow{"Travels", {"--json", "--choose", "2"}, "play-travel.jsonl"}),
    [](const auto& info) { return std::string(info.param.Name); });

struct ExitRow {
    const char* Name;
    std::function<QStringList(const PlayProgramTest&)> Args;
    int ExitCode;
    const char* Out;  // part of stdout
    const char* Err;  // start of stderr
};

class PlayExitTest : public PlayProgramTest, public ::testing::WithParamInterface<ExitRow> {};

TEST_P(PlayExitTest, ExitStatusAndOutput)
{
    WriteBytes(Dir / "lost.txt", "-\tscript\tLost\t-1,{\n\tmes \"a\";\n\tgoto L_Nowhere;\n}\n");
    WriteBytes(Dir / "warn.txt", "-\tscript\tWarn\t-1,{\n\tmes \"a\";\n\tend;\n}\n");
    WriteBytes(Dir / "sjis.txt", "-\tscript\tJp\t-1,{\n\tmes \"\x95\x5C\";\n\tclose;\n}\n");
    // "Привет" in windows-1251; the reply is typed in UTF-8 and compared in the script's encoding.
    WriteBytes(Dir / "cyr.txt", "-\tscript\tCyr\t-1,{\n\tmes \"\xCF\xF0\xE8\xE2\xE5\xF2\";\n\tinput .@s$;\n"
                                "\tif (.@s$ == \"\xE4\xE0\") mes \"yes\";\n\tclose;\n}\n");
    WriteBytes(Dir / "vars.txt", "-\tscript\tVars\t-1,{\n\tmes quest + name$ + Weight + \"/\" + MaxWeight + \" \xE9\";\n"
                                 "\tinput .@a; input .@b$; mes .@a + .@b$; close;\n}\n");
    WriteBytes(Dir / "wide.txt", "-\tscript\tWide\t-1,{\n\tmes \"\" + (2147483647 + 1);\n\tclose;\n}\n");
    WriteBytes(Dir / "case.txt", "-\tscript\tCase\t-1,{\n\tmes Quest + \"/\" + quest;\n\tclose;\n}\n");
    const TProgramRun run = RunPlayer(GetParam().Args(*this));
    EXPECT_EQ(run.ExitCode, GetParam().ExitCode);
    EXPECT_THAT(run.Out, HasSubstr(GetParam().Out));
    EXPECT_THAT(run.Err, StartsWith(GetParam().Err));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, PlayExitTest,
    ::testing::Values(
        ExitRow{"WaitsForAChoice", [](const PlayProgramTest& t) { return t.Args({}); }, 0,
                "-- waiting for a menu choice --\n", ""},
        ExitRow{"FaultInAScriptFile",
                [](const PlayProgramTest& t) { return QStringList{"--json", Q((t.Dir / "lost.txt").string())}; }, 1,
                "{\"event\":\"fault\",\"line\":3,\"message\":\"goto: there is no label L_Nowhere; the script stops here\"}\n",
                ""},
        ExitRow{"PlayerVariablesWeightAndLatin1",
                [](const PlayProgramTest& t) {
                    return QStringList{"--data", Q(t.Data.Path().string()), "--player", "var:quest=2,var:Name$=Bob,item:501=3,maxweight=900",
                                       "--input", "5,x", "--json", Q((t.Dir / "vars.txt").string())};
                },
                0, "{\"event\":\"mes\",\"line\":2,\"text\":\"2Bob210/900 \xC3\xA9\"}\n{\"event\":\"input\",\"line\":3,\"value\":\"5\"}\n"
                   "{\"event\":\"input\",\"line\":3,\"value\":\"x\"}\n{\"event\":\"mes\",\"line\":3,\"text\":\"5x\"}\n", ""},
        ExitRow{"AWarningTheScriptSurvives",
                [](const PlayProgramTest& t) { return QStringList{Q((t.Dir / "warn.txt").string())}; }, 0,
                "warning at line 3: the script ends with its dialogue open", ""},
        ExitRow{"ScriptInAnotherEncoding",
                [](const PlayProgramTest& t) {
                    return QStringList{"--encoding", "windows-1251", "--input", QString::fromUtf8("\xD0\xB4\xD0\xB0"),
                                       Q((t.Dir / "cyr.txt").string())};
                },
                0, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n  > typed \xD0\xB4\xD0\xB0\nyes\n", ""},
        // The second byte of "\u8868" in Shift-JIS is a backslash: each text is decoded before it is
        // escaped for JSON.
        ExitRow{"JsonOfAShiftJisScript",
                [](const PlayProgramTest& t) { return QStringList{"--json", "--encoding", "windows-31j", Q((t.Dir / "sjis.txt").string())}; },
                0, "{\"event\":\"mes\",\"line\":2,\"text\":\"\xE8\xA1\xA8\"}\n", ""},
        // The server's run-time rules: rAthena computes in 64 bits, eAthena saturates at 32.
        ExitRow{"RAthenasIntegers",
                [](const PlayProgramTest& t) { return QStringList{"--server", "rathena", Q((t.Dir / "wide.txt").string())}; }, 0,
                "2147483648\n  [Close]\n", ""},
        // Hercules tells Quest from quest; the others do not.
        ExitRow{"HerculesKeepsTheCaseOfAPlayersVariable",
                [](const PlayProgramTest& t) {
                    return QStringList{"--server", "hercules", "--player", "var:Quest=2", Q((t.Dir / "case.txt").string())};
                },
                0, "2/0\n", ""},
        ExitRow{"EAthenaIgnoresTheCaseOfAPlayersVariable",
                [](const PlayProgramTest& t) { return QStringList{"--player", "var:Quest=2", Q((t.Dir / "case.txt").string())}; },
                0, "2/2\n", ""},
        ExitRow{"EAthenasIntegersByDefault", [](const PlayProgramTest& t) { return QStringList{Q((t.Dir / "wide.txt").string())}; }, 0,
                "is beyond 32 bits: the server gives 2147483647 (op_2num: overflow detected)\n2147483647\n", ""},
        ExitRow{"UnknownEncoding",
                [](const PlayProgramTest& t) { return QStringList{"--encoding", "nope-42", Q((t.Dir / "cyr.txt").string())}; }, 2,
                "", "npc-play: unknown encoding nope-42\n"},
        ExitRow{"UnknownNpc", [](const PlayProgramTest& t) { return t.Args({"--npc", "Nobody"}); }, 1,
                "fault: there is no NPC named Nobody", ""},
        ExitRow{"MissingFile", [](const PlayProgramTest& t) { return QStringList{Q((t.Dir / "gone.NPC").string())}; },
                1, "", "npc-play: "},
        ExitRow{"NoFile", [](const PlayProgramTest&) { return QStringList{}; }, 2, "",
                "npc-play: no project or script file given\nusage: npc-play "},
        ExitRow{"UnknownPlayerKey", [](const PlayProgramTest& t) { return t.Args({"--player", "luck=3"}); }, 2, "",
                "npc-play: --player luck=3: unknown key luck\n"},
        ExitRow{"ChoiceNotANumber", [](const PlayProgramTest& t) { return t.Args({"--choose", "1,x"}); }, 2, "",
                "npc-play: option --choose: x is not a number\n"},
        ExitRow{"OptionWithoutValue", [](const PlayProgramTest& t) { return QStringList{Q(t.ProjectPath()), "--seed"}; }, 2, "",
                "npc-play: option --seed needs a value\n"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace

// ---- The player the user changes -----------------------------------------------------------------

namespace {

struct PlayerChangeRow {
    const char* Name;
    std::string Before;  // --player text
    std::string After;
    std::vector<std::string> Changes;  // "Name From To"
    std::string Elsewhere;             // a third player ...
    std::string ElsewhereAfter;        // ... with the changes made
};

class PlayerChangeTest : public ::testing::TestWithParam<PlayerChangeRow> {};

TEST_P(PlayerChangeTest, NamesEachValueAndMakesTheSameChangeElsewhere)
{
    const PlayerChangeRow& row = GetParam();
    const std::vector<TPlayerChange> changes =
        PlayerChanges(ParsePlayerOption(row.Before).Player, ParsePlayerOption(row.After).Player);
    std::vector<std::string> texts;
    for (const TPlayerChange& change : changes)
        texts.push_back(change.Name + " " + std::to_string(change.From) + " " + std::to_string(change.To));
    EXPECT_EQ(texts, row.Changes);
    EXPECT_EQ(PlayerOptionText(WithChanges(ParsePlayerOption(row.Elsewhere).Player, changes)),
              PlayerOptionText(ParsePlayerOption(row.ElsewhereAfter).Player));
}

INSTANTIATE_TEST_SUITE_P(
    Values, PlayerChangeTest,
    ::testing::Values(
        PlayerChangeRow{"Nothing", "zeny=5", "zeny=5", {}, "zeny=9", "zeny=9"},
        // Only what changed goes over: the third player keeps its own Class.
        PlayerChangeRow{"OneParameter", "zeny=0,class=1", "zeny=500,class=1", {"Zeny 0 500"}, "zeny=700,class=7",
                        "zeny=500,class=7"},
        PlayerChangeRow{"ParametersInOptionOrder", "maxweight=100,sex=0", "maxweight=200,sex=1",
                        {"Sex 0 1", "MaxWeight 100 200"}, "", "sex=1,maxweight=200"},
        PlayerChangeRow{"ItemAddedCountedAndTaken", "item:501=2,item:909=1", "item:501=5,item:607=1",
                        {"item 501 2 5", "item 607 0 1", "item 909 1 0"}, "item:909=4,item:512=3",
                        "item:501=5,item:607=1,item:512=3"}),
    TNameOfRow());

}  // namespace
