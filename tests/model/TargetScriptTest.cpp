// Scripts per target server: the text of every action kind and of the NPC line on eAthena,
// rAthena and Hercules, the header default that follows the target, the side file that remembers
// it, and the compiled view constants against the servers' own lists.
#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "script/FileReader.h"
#include "script/Interpreter.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr std::array<TServerTarget, 3> AllTargets = {TServerTarget::EAthena, TServerTarget::RAthena,
                                                     TServerTarget::Hercules};

// ---- The table: every action kind and the NPC line, per target --------------------------------

struct TargetRow {
    const char* Name;
    // The line under test, written for the target already set in Project().HeaderInfo.
    std::function<std::string()> Write;
    std::array<const char*, 3> Expected;  // eAthena, rAthena, Hercules
};

void PrintTo(const TargetRow& row, std::ostream* out)
{
    *out << row.Name;
}

std::string WithoutIndent(const std::vector<std::string>& lines)
{
    EXPECT_EQ(lines.size(), 1u);
    return lines.empty() ? std::string() : lines.front().substr(lines.front().find_first_not_of('\t'));
}

// An action of the editor's action window, as the tree writes it.
std::function<std::string()> Statement(int action, std::vector<std::int32_t> params)
{
    return [=] { return WithoutIndent(LinesOf(*MakeAction(action, params))); };
}

// A value action, as a condition writes it: "at least 1" of it, jumping to L0.
std::function<std::string()> InCondition(int action, std::vector<std::int32_t> params)
{
    return [=] {
        TConTask condition;
        condition.AddCheck(ItemComparison(2, action, params, 1));
        return WithoutIndent(LinesOf(condition));
    };
}

std::function<std::string()> NpcLine(std::string mapFile, std::int32_t sprite)
{
    return [=] {
        TestCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{"Test Map", mapFile}));
        Project().NPCInfo = TNPC{sprite, 150, 180, 5, static_cast<std::int32_t>(TestCatalogues().Maps.size()) - 1, "Guide"};
        return ScriptLines().at(15);
    };
}

// The same text on every target.
std::array<const char*, 3> Same(const char* text)
{
    return {text, text, text};
}

class TargetTableTest : public TaskTest, public ::testing::WithParamInterface<TargetRow> {};

TEST_P(TargetTableTest, WritesTheTargetsText)
{
    for (std::size_t i = 0; i < AllTargets.size(); ++i) {
        SCOPED_TRACE(RulesOf(AllTargets[i]).Name);
        Project().HeaderInfo.Target = AllTargets[i];
        EXPECT_EQ(GetParam().Write(), GetParam().Expected[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryActionAndTheNpcLine, TargetTableTest,
    ::testing::Values(
        TargetRow{"TakeItem", Statement(0, {501, 2}), Same("delitem 501, 2;")},
        TargetRow{"GiveItem", Statement(1, {607, 1}), Same("getitem 607, 1;")},
        TargetRow{"Heal", Statement(2, {100, 50}), Same("heal 100, 50;")},
        TargetRow{"JumptoGroup", Statement(3, {0}), Same("goto L0;")},
        TargetRow{"JobChange", Statement(4, {7}), Same("jobchange 7;")},
        TargetRow{"NextButton", Statement(5, {}), Same("next;")},
        TargetRow{"CloseScript", Statement(6, {}), Same("close;")},
        TargetRow{"TakeZeny", Statement(7, {100}), Same("set Zeny, Zeny - 100;")},
        TargetRow{"GiveZeny", Statement(8, {100}), Same("set Zeny, Zeny + 100;")},
        TargetRow{"TakeBaseLevel", Statement(9, {2}), Same("set BaseLevel, BaseLevel - 2;")},
        TargetRow{"GiveBaseLevel", Statement(10, {2}), Same("set BaseLevel, BaseLevel + 2;")},
        TargetRow{"TakeJobLevel", Statement(11, {3}), Same("set JobLevel, JobLevel - 3;")},
        TargetRow{"GiveJobLevel", Statement(12, {3}), Same("set JobLevel, JobLevel + 3;")},
        TargetRow{"Warp", Statement(13, {1, 150, 180}),
                  {"warp \"izlude.gat\", 150, 180;", "warp \"izlude\", 150, 180;", "warp \"izlude\", 150, 180;"}},
        TargetRow{"SavePoint", Statement(14, {0, 156, 191}),
                  {"savepoint \"prontera.gat\", 156, 191;", "savepoint \"prontera\", 156, 191;",
                   "savepoint \"prontera\", 156, 191;"}},
        TargetRow{"GivePlayerCart", Statement(15, {}), Same("setcart;")},
        TargetRow{"OpenStorage", Statement(16, {}), {"openstorage;", "openstorage;", "openstorage(STORAGE_TYPE_MAIN);"}},
        TargetRow{"ResetStats", Statement(17, {}), Same("resetstatus;")},
        TargetRow{"ResetSkills", Statement(18, {}), Same("resetskill;")},
        TargetRow{"ItemAmount", InCondition(19, {501}), Same("if((countitem(501) >= 1)) goto L0;")},
        TargetRow{"ItemWeight", InCondition(20, {501, 10}), Same("if((checkweight(501, 10) >= 1)) goto L0;")},
        TargetRow{"NpcLineWithAViewConstant", NpcLine("prontera.gat", 117),
                  {"prontera.gat,150,180,5\tscript\tGuide\t117,{", "prontera,150,180,5\tscript\tGuide\t117,{",
                   "prontera,150,180,5\tscript\tGuide\t4_F_KAFRA1,{"}},
        TargetRow{"NpcLineWithoutAViewConstant", NpcLine("izlude.gat", 400),
                  {"izlude.gat,150,180,5\tscript\tGuide\t400,{", "izlude,150,180,5\tscript\tGuide\t400,{",
                   "izlude,150,180,5\tscript\tGuide\t400,{"}},
        TargetRow{"NpcLineWithoutSprites", NpcLine("prt_in.gat", -1),
                  {"prt_in.gat,150,180,5\tscript\tGuide\t-1,{", "prt_in,150,180,5\tscript\tGuide\t-1,{",
                   "prt_in,150,180,5\tscript\tGuide\tFAKE_NPC,{"}},
        TargetRow{"NpcLineWithCapitalGat", NpcLine("Prontera.GAT", 45),
                  {"Prontera.GAT,150,180,5\tscript\tGuide\t45,{", "Prontera,150,180,5\tscript\tGuide\t45,{",
                   "Prontera,150,180,5\tscript\tGuide\tWARPNPC,{"}},
        TargetRow{"NpcLineWithAMapWithoutGat", NpcLine("prontera", 111),
                  {"prontera,150,180,5\tscript\tGuide\t111,{", "prontera,150,180,5\tscript\tGuide\t111,{",
                   "prontera,150,180,5\tscript\tGuide\tHIDDEN_NPC,{"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- The header default follows the target ----------------------------------------------------

class TargetTest : public TaskTest {};

TEST_F(TargetTest, DefaultCompatibleFollowsTheTargetAndAWrittenOneStays)
{
    ASSERT_EQ(Project().HeaderInfo.Target, TServerTarget::EAthena);
    ChangeServerTarget(Project().HeaderInfo, TServerTarget::Hercules);
    EXPECT_EQ(Project().HeaderInfo.Compatible, "Hercules; RO Episode XX");
    ChangeServerTarget(Project().HeaderInfo, TServerTarget::RAthena);
    EXPECT_EQ(Project().HeaderInfo.Compatible, "rAthena; RO Episode XX");
    ChangeServerTarget(Project().HeaderInfo, TServerTarget::EAthena);
    EXPECT_EQ(Project().HeaderInfo.Compatible, "Any eAthena Version; RO Episode XX");

    Project().HeaderInfo.Compatible = "rAthena 2026 only";
    ChangeServerTarget(Project().HeaderInfo, TServerTarget::Hercules);
    EXPECT_EQ(Project().HeaderInfo.Compatible, "rAthena 2026 only");
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::Hercules);
}

// ---- The side file ------------------------------------------------------------------------------

class TargetFileTest : public TaskTest {
protected:
    std::string ProjectPath() const { return (Dir / "guide.NPC").string(); }
    std::string Side() const { return ProjectPath() + ".server"; }
    TTempDir Dir;
};

TEST_F(TargetFileTest, HerculesIsRememberedBesideAnUnchangedProjectFile)
{
    BuildEveryKindProject();
    Document().SaveProject(ProjectPath());
    const std::string eathenaBytes = ReadBytes(ProjectPath());
    EXPECT_FALSE(fs::exists(Side()));

    Project().HeaderInfo.Target = TServerTarget::Hercules;
    Document().SaveProject(ProjectPath());
    EXPECT_EQ(ReadBytes(ProjectPath()), eathenaBytes);
    EXPECT_EQ(ReadBytes(Side()), "server=hercules\r\n");

    Document().NewProject();
    Document().LoadProject(ProjectPath());
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::Hercules);
    EXPECT_EQ(Project().HeaderInfo.Compatible, "Any eAthena Version; RO Episode XX") << "as the file holds it";
}

TEST_F(TargetFileTest, SavingForEAthenaRemovesTheSideFile)
{
    WriteBytes(Side(), "server=rathena\r\n");
    Document().SaveProject(ProjectPath());
    EXPECT_FALSE(fs::exists(Side()));
}

TEST_F(TargetFileTest, AProjectWithoutSideFileIsForEAthena)
{
    Document().SaveProject(ProjectPath());
    Project().HeaderInfo.Target = TServerTarget::RAthena;
    Document().LoadProject(ProjectPath());
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::EAthena);
}

TEST_F(TargetFileTest, SideFileToleratesBlanksCaseAndOtherLines)
{
    Document().SaveProject(ProjectPath());
    WriteBytes(Side(), "\xEF\xBB\xBF; written by hand\n  Server = RATHENA  \n");
    Document().LoadProject(ProjectPath());
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::RAthena);
}

struct BadSideRow {
    const char* Name;
    const char* Bytes;
    const char* Message;
};

class BadSideFileTest : public TargetFileTest, public ::testing::WithParamInterface<BadSideRow> {};

TEST_P(BadSideFileTest, RefusesTheLoadNamingTheSideFileAndKeepsTheProject)
{
    Document().SaveProject(ProjectPath());
    WriteBytes(Side(), GetParam().Bytes);
    BuildEveryKindProject();
    const std::string before = ProjectSnapshot();
    try {
        Document().LoadProject(ProjectPath());
        FAIL() << "the load was not refused";
    } catch (const EInOutError& error) {
        EXPECT_EQ(std::string(error.what()), Side() + ": " + GetParam().Message);
    }
    EXPECT_EQ(ProjectSnapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    SideFiles, BadSideFileTest,
    ::testing::Values(BadSideRow{"UnknownServer", "server=athena\r\n",
                                 "unknown server \"athena\" (expected eathena, rathena or hercules)"},
                      BadSideRow{"NoServerLine", "hercules\r\n", "no \"server=\" line naming the server"}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Against the servers' own lists ---------------------------------------------------------------

std::optional<fs::path> ServerDataDir(const char* server)
{
    const auto eathena = SharedDataDir();
    if (!eathena)
        return std::nullopt;
    const fs::path dir = eathena->parent_path() / server;
    return fs::is_directory(dir) ? std::optional<fs::path>(dir) : std::nullopt;
}

TEST(HerculesViews, CompiledTableIsTheServersList)
{
    const auto dir = ServerDataDir("hercules");
    if (!dir)
        GTEST_SKIP() << "the server data folder ../shared/data/hercules is not present";
    std::ifstream file(*dir / "npc_views.txt");
    std::string name;
    std::int32_t id = 0;
    std::size_t count = 0;
    while (file >> name >> id) {
        ++count;
        const char* compiled = HerculesViewName(id);
        ASSERT_NE(compiled, nullptr) << name;
        EXPECT_EQ(std::string(compiled), name);
    }
    EXPECT_EQ(count, HerculesViewCount());
}

// The commands' argument patterns ("vi?", "sl*", ...) of a server's command list.
std::map<std::string, std::string> CommandPatterns(const fs::path& file)
{
    std::map<std::string, std::string> patterns;
    std::istringstream lines(ReadBytes(file));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        patterns[line.substr(0, tab)] = tab == std::string::npos ? "" : line.substr(tab + 1);
    }
    return patterns;
}

// Whether a statement of the form `cmd a, b;` or `cmd(a);` names a command the server knows with
// an argument count its pattern allows.
::testing::AssertionResult FitsThePattern(const std::string& statement,
                                          const std::map<std::string, std::string>& patterns)
{
    const std::size_t end = statement.find_first_of(" (;");
    const auto found = patterns.find(statement.substr(0, end));
    if (found == patterns.end())
        return ::testing::AssertionFailure() << "unknown command in " << statement;
    std::string args = statement.substr(end, statement.rfind(';') - end);
    std::erase_if(args, [](char c) { return c == '(' || c == ')' || c == ' '; });
    const std::size_t count = args.empty() ? 0 : std::count(args.begin(), args.end(), ',') + 1;
    const std::string& pattern = found->second;
    const std::size_t needed = std::count_if(pattern.begin(), pattern.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
    const bool open = pattern.find('*') != std::string::npos;
    const std::size_t optional = std::count(pattern.begin(), pattern.end(), '?');
    if (count < needed || (!open && count > needed + optional))
        return ::testing::AssertionFailure() << statement << " does not fit \"" << pattern << "\"";
    return ::testing::AssertionSuccess();
}

TEST_F(TargetTest, EveryActionNamesACommandOfTheTargetsParserWithFittingArguments)
{
    for (const TServerTarget target : AllTargets) {
        const auto dir = ServerDataDir(RulesOf(target).Key);
        if (!dir)
            GTEST_SKIP() << "the server data folder ../shared/data/" << RulesOf(target).Key << " is not present";
        const auto patterns = CommandPatterns(*dir / "script_commands.txt");
        Project().HeaderInfo.Target = target;
        for (int action = 0; action < static_cast<int>(Actions().size()); ++action) {
            const std::string text = MakeAction(action, {501, 1, 1})->ActionText(false, Project().Catalogues(), target);
            SCOPED_TRACE(RulesOf(target).Name);
            // "set Zeny, Zeny - 100" is the set command with a variable and an expression.
            EXPECT_TRUE(FitsThePattern(text + ";", patterns));
        }
    }
}

// ---- Play of the other servers' own NPCs ------------------------------------------------------

struct PlaySample {
    const char* Server;
    script::TTarget Target;
};

class OtherServerPlayTest : public ::testing::TestWithParam<PlaySample> {};

// Every NPC of the sample, read by its server's grammar, ends, waits or stops on a fault with the
// event that says so; commands the interpreter does not model are marked, never a crash.
TEST_P(OtherServerPlayTest, EveryNpcPlaysToAnOutcome)
{
    const auto shared = SharedDataDir();
    if (!shared)
        GTEST_SKIP() << "the server data folder ../shared/data is not present";
    const fs::path dir = shared->parent_path() / GetParam().Server;
    if (!fs::is_directory(dir / "npc"))
        GTEST_SKIP() << "no sample of " << GetParam().Server << " beside the eAthena data";
    script::TPlaySetup setup;
    setup.Choices.assign(50, 1);
    setup.Inputs.assign(10, "1");
    int played = 0;
    std::ifstream list(dir / "npc" / "load-order.txt");
    for (std::string line; std::getline(list, line);) {
        if (line.empty())
            continue;
        const std::string text = ReadBytes(dir / line);
        const script::TScriptFile file = script::ReadScriptFile(text, GetParam().Target);
        const script::TProgram program(file);
        for (const std::string& npc : program.NpcNames()) {
            const script::TRunResult run = script::Play(program, npc, setup, nullptr);
            ASSERT_FALSE(run.Events.empty()) << line << " " << npc;
            EXPECT_EQ(run.Events.back().Kind, run.Outcome == script::TOutcome::Ended     ? script::TEventKind::End
                                              : run.Outcome == script::TOutcome::Waiting ? script::TEventKind::Waiting
                                                                                         : script::TEventKind::Fault)
                << line << " " << npc;
            ++played;
        }
    }
    EXPECT_GT(played, 300);
}

INSTANTIATE_TEST_SUITE_P(Servers, OtherServerPlayTest,
                         ::testing::Values(PlaySample{"rathena", script::TTarget::RAthena},
                                           PlaySample{"hercules", script::TTarget::Hercules}),
                         [](const auto& info) { return std::string(info.param.Server); });

// The view constants an imported NPC line may name, with the client's IDs.
TEST(SpriteConstants, NameTheClientsViewIds)
{
    EXPECT_EQ(script::SpriteId("4_F_KAFRA1"), std::optional<std::int32_t>(117));
    EXPECT_EQ(script::SpriteId("FAKE_NPC"), std::optional<std::int32_t>(-1));
    EXPECT_EQ(script::SpriteId("WARPNPC"), std::optional<std::int32_t>(45));
    EXPECT_EQ(script::SpriteId("CLEAR_NPC"), std::optional<std::int32_t>(844));  // a view without a digit in front
    EXPECT_EQ(script::SpriteId("4_f_kafra1"), std::nullopt);  // the names are written in capitals
    EXPECT_EQ(script::SpriteId("W_WHIP"), std::nullopt);      // a constant, but no view
    EXPECT_EQ(script::SpriteId(""), std::nullopt);
}

}  // namespace
