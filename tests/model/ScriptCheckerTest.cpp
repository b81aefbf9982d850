// The load-time checker: one row per rule and target (script text, expected findings), and the
// agreement with the real server on its own files and on broken variants of them.

#include "TestSupport.h"

#include "script/Checker.h"
#include "script/Parser.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace script;

namespace {

constexpr TTarget EA = TTarget::EAthena;
constexpr TTarget RA = TTarget::RAthena;
constexpr TTarget HE = TTarget::Hercules;

struct RuleCase {
    const char* Name;
    TTarget Target;
    std::string Text;
    std::vector<std::string> Expected;  // "LINE:COLUMN: message", in file order
};

std::string Npc(const std::string& body)
{
    return "prontera,150,150,4\tscript\tTester\t100,{\n" + body + "}\n";
}

std::vector<std::string> Findings(const std::string& text, TTarget target)
{
    TCheckOptions options;
    options.Target = target;
    std::vector<std::string> found;
    for (const TDiagnostic& d : CheckScriptText(text, options))
        found.push_back(std::to_string(d.Range.Begin.Line) + ":" + std::to_string(d.Range.Begin.Column) + ": " + d.Message);
    return found;
}

class CheckerRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CheckerRule, FindsWhatTheServerRefuses)
{
    EXPECT_EQ(Findings(GetParam().Text, GetParam().Target), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerRule, ::testing::Values(
    RuleCase{"CleanScript", EA, Npc("\tmes \"Hi\";\n\tnext;\n\tmenu \"Go\",L_Go,\"No\",-;\n\tclose;\nL_Go:\n\twarp \"prontera.gat\",1,2;\n\tend;\n"), {}},
    RuleCase{"UnknownCommand", EA, Npc("\tmeszq \"Hi\";\n"), {"2:2: unknown command 'meszq'"}},
    RuleCase{"UnknownFunction", EA, Npc("\tif (countitems(501)) close;\n"), {"2:6: unknown function 'countitems'"}},
    RuleCase{"TooFewArguments", EA, Npc("\twarp \"prontera\",1;\n"), {"2:19: 'warp' needs 3 argument(s), 2 given"}},
    // parse_callfunc takes no more arguments than the pattern; parse_line then wants ';' (rAthena
    // words it differently), a call in an expression its ')'.
    RuleCase{"TooManyArguments", EA, Npc("\tnext 1;\n"), {"2:7: too many arguments: 'next' takes at most 0: eAthena wants ';' (parse_line: need ';') here"}},
    RuleCase{"TooManyArgumentsOnRAthena", RA, Npc("\tnext 1;\n"), {"2:7: too many arguments: 'next' takes at most 0: rAthena wants ';' (parse_line: expected ';') here"}},
    RuleCase{"MesWithTwoTexts", EA, Npc("\tmes \"one\", \"two\";\n"), {"2:13: too many arguments: 'mes' takes at most 1: eAthena wants ';' (parse_line: need ';') here"}},
    RuleCase{"MesWithTwoTextsOnHercules", HE, Npc("\tmes \"one\", \"two\";\n"), {"2:13: too many arguments: 'mes' takes at most 1: Hercules wants ';' (parse_line: need ';') here"}},
    RuleCase{"MesWithTwoTextsOnRAthena", RA, Npc("\tmes \"one\", \"two\";\n"), {}},
    RuleCase{"TooManyInACall", EA, Npc("\tmes getarg(0,1,2);\n"), {"2:17: too many arguments: 'getarg' takes at most 2: eAthena wants ')' (parse_callfunc: expected ')' to close argument list) here"}},
    RuleCase{"DuplicateLabel", EA, Npc("L_A:\n\tend;\nl_a:\n\tend;\n"), {"4:1: duplicate label 'l_a'"}},
    RuleCase{"LabelNamedLikeCommand", EA, Npc("close:\n\tend;\n"), {"2:1: the label 'close' has the name of a command"}},
    RuleCase{"LabelNamedLikeConstant", EA, Npc("Zeny:\n\tend;\n"), {"2:1: the label 'Zeny' has the name of a constant or parameter"}},
    RuleCase{"LabelTooLong", EA, Npc("L_ThisLabelIsFarTooLongX:\n\tend;\n"), {"2:1: the label 'L_ThisLabelIsFarTooLongX' is longer than 23 bytes"}},
    RuleCase{"FunctionNameTooLong", EA, Npc("\tend;\nfunction F_ThisNameIsFarTooLongXY {\n\treturn;\n}\n"), {"3:10: the function name 'F_ThisNameIsFarTooLongXY' is longer than 23 bytes"}},
    // The server refuses in the order it reads: a mistake before a syntax error comes first, also
    // inside a loop the error cuts short; break and case there are no mistakes.
    RuleCase{"MistakeBeforeASyntaxError", EA, Npc("\twhile (1) {\n\t\tswitch (1) {\n\t\tcase 1:\n\t\t\tmeszq;\n\t\t\tbreak;\n\t\t}\n\t\tmes \"a\"\n\t}\n"),
             {"5:4: unknown command 'meszq'", "9:2: ';' expected"}},
    RuleCase{"UnknownMapSkipsTheBody", EA, "nowhere,1,1,4\tscript\tX\t100,{\n\tmeszq;\n}\n", {"1:1: unknown map 'nowhere'"}},
    // Each server's own map index, without a catalogue.
    RuleCase{"NewerMapOnEAthena", EA, "int_land,1,1,4\tscript\tX\t100,{\n}\n", {"1:1: unknown map 'int_land'"}},
    RuleCase{"NewerMapOnRAthena", RA, "int_land,1,1,4\tscript\tX\t100,{\n}\n", {}},
    RuleCase{"NewerMapOnHercules", HE, "1@spa,1,1\twarp\tW\t1,1,int_land,5,5\n", {}},
    // Each server's own constants, those its source registers among them.
    RuleCase{"RAthenaConstantInCase", RA, Npc("\tswitch (1) { case AMMO_ARROW: case EAJ_SWORDMAN: end; }\n"), {}},
    RuleCase{"RAthenaConstantOnEAthena", EA, Npc("\tswitch (1) { case AMMO_ARROW: end; }\n"),
             {"2:20: a case value must be a number or a constant, not 'AMMO_ARROW'"}},
    RuleCase{"HerculesSourceConstantInCase", HE, Npc("\tswitch (1) { case A_ARROW: case W_WHIP: case EQP_SHOES: end; }\n"), {}},
    RuleCase{"HerculesConstantIsCaseSensitive", HE, Npc("\tswitch (1) { case w_whip: end; }\n"),
             {"2:20: a case value must be a number or a constant, not 'w_whip'"}},
    // Each server's grammar and NPC types.
    RuleCase{"Warp2OnRAthena", RA, "prontera,1,1,0\twarp2\tW\t2,2,prontera,5,5\n", {}},
    RuleCase{"Warp2OnEAthena", EA, "prontera,1,1,0\twarp2\tW\t2,2,prontera,5,5\n", {"1:1: cannot read this line: probably a missing or extra tab"}},
    RuleCase{"TraderOnHercules", HE, "-\ttrader\tT\tFAKE_NPC,{\nOnInit:\n\tend;\n}\n", {}},
    RuleCase{"SpriteConstantAsValue", HE, Npc("\tsetnpcdisplay \"Tester\", 4_F_KAFRA1;\n"), {}},
    RuleCase{"SpriteConstantOnEAthena", EA, Npc("\tmes 4_F_KAFRA1;\n"), {"2:7: ';' expected"}},
    RuleCase{"PowerOnHercules", HE, Npc("\t.@x = 2 ** 3 * 2;\n"), {}},
    RuleCase{"PowerOnRAthena", RA, Npc("\t.@x = 2 ** 3;\n"), {"2:11: '*' is not a value"}},
    RuleCase{"JoinedStringsOnHercules", HE, Npc("\tmes \"a\"\n\t\t\"b\";\n"), {}},
    RuleCase{"JoinedStringsOnRAthena", RA, Npc("\tmes \"a\"\n\t\t\"b\";\n"), {"3:3: ';' expected"}},
    // The loader's lines besides scripts, as the servers read them.
    RuleCase{"ShopItemWithSemicolon", EA, "prontera,1,1,4\tshop\tS\t100,501:50,502;200\n",
             {"1:23: Invalid item definition '502;200': an item of a shop is written ,ID:price (the server ignores the rest of the line)"}},
    RuleCase{"ShopItemWithBlank", EA, "prontera,1,1,4\tshop\tS\t100,502 :200\n",
             {"1:23: Invalid item definition '502 :200': an item of a shop is written ,ID:price (the server ignores the rest of the line)"}},
    RuleCase{"ShopTrailingComma", RA, "prontera,1,1,4\tshop\tS\t4_F_KAFRA1,501:50,\n",
             {"1:23: Invalid item definition '': an item of a shop is written ,ID:price (the server ignores the rest of the line)"}},
    RuleCase{"ItemShopCurrencyFirst", RA, "prontera,1,1,4\titemshop\tS\t100,7227,501:2\n", {}},
    RuleCase{"WarpMissingField", EA, "prontera,1,1\twarp\tW\t1,1,prontera,5\n",
             {"1:21: Invalid warp definition: the server reads spanx,spany,map,x,y here (a field is missing, or a tab too many)"}},
    RuleCase{"MonsterAmountZero", EA, "prontera,0,0,0,0\tmonster\tPoring\t1002,0,0,0\n",
             {"1:33: Invalid number of monsters 0: it must be between 1 and 1000"}},
    RuleCase{"MonsterMissingAmount", EA, "prontera,0,0\tmonster\tPoring\t1002\n",
             {"1:29: Invalid mob definition: the server reads map,x,y[,spanx,spany] and mobid,amount[,delay1,delay2,event]"}},
    RuleCase{"MonsterWholeMapOnEAthena", EA, "prontera\tmonster\tPoring\t1002,5\n",
             {"1:1: Invalid mob definition: the server reads map,x,y[,spanx,spany] and mobid,amount[,delay1,delay2,event]"}},
    RuleCase{"MonsterWholeMapOnRAthena", RA, "prontera\tmonster\tPoring\t1002,5\n", {}},
    RuleCase{"UnknownMapflag", EA, "prontera\tmapflag\tnoteleprot\n", {"1:18: unrecognized mapflag 'noteleprot'"}},
    RuleCase{"KnownMapflagAnyCase", EA, "prontera\tmapflag\tNoTeleport\n", {}},
    RuleCase{"BattlegroundMapflagOnEAthena", EA, "prontera\tmapflag\tbattleground\t2\n", {}},
    RuleCase{"UnknownMapflagOnRAthena", RA, "prontera\tmapflag\tnoteleprot\n", {"1:18: unrecognized mapflag 'noteleprot'"}},
    // rAthena's npc.cpp: states in the type, a shop's discount flag, monsters by name.
    RuleCase{"ScriptStateOnRAthena", RA, "prontera,1,1,4\tscript(CLOAKED)\tX\t100,{\n}\nprontera,1,1\twarp(HIDDEN)\tW\t1,1,prontera,5,5\n", {}},
    RuleCase{"UnknownStateOnRAthena", RA, "prontera,1,1,4\tscript(GHOST)\tX\t100,{\n}\n",
             {"1:16: invalid NPC state in 'script(GHOST)': the server loads the NPC visible (it knows script(CLOAKED), (HIDDEN) and (DISABLED))"}},
    RuleCase{"ScriptStateOnEAthena", EA, "prontera,1,1,4\tscript(CLOAKED)\tX\t100,{\n}\n",
             {"1:1: cannot read this line: probably a missing or extra tab", "2:1: cannot read this line: a header has four fields separated by tabs (an extra '}' above may have ended a script early); the server stops reading the file here"}},
    RuleCase{"ShopDiscountFlagOnRAthena", RA, "prontera,1,1,4\tshop\tS\tHIDDEN_NPC,no,7932:4000,501:50\n", {}},
    RuleCase{"ShopUnknownDiscountOnRAthena", RA, "prontera,1,1,4\tshop\tS\t100,maybe,501:50\n",
             {"1:23: unknown discount setting 'maybe': the server reads yes or no (or the first item) there and does not load the shop"}},
    RuleCase{"MonsterByNameOnRAthena", RA, "prontera\tmonster\tGan Ceann\tGAN_CEANN,60\n", {}},
    RuleCase{"MonsterByNameOnEAthena", EA, "prontera,0,0\tmonster\tGan Ceann\tGAN_CEANN,60\n",
             {"1:32: Invalid mob definition: the server reads map,x,y[,spanx,spany] and mobid,amount[,delay1,delay2,event]"}},
    // rAthena's parse_line skips the character after an assignment unread; Hercules wants ';'.
    RuleCase{"LooseAssignmentEndsOnRAthena", RA, Npc("\tfor (.@i = 0, .@i < 3; .@i++) mes \"x\";\n\t.@a = 1);\n\t.@b = 2:\n"),
             {"2:14: ',' ends this assignment: rAthena skips the character after an assignment unread, as if it were ';'",
              "3:9: ')' ends this assignment: rAthena skips the character after an assignment unread, as if it were ';'",
              "4:9: ':' ends this assignment: rAthena skips the character after an assignment unread, as if it were ';'"}},
    RuleCase{"LooseAssignmentEndOnHercules", HE, Npc("\t.@a = 1);\n"), {"2:9: ';' expected"}},
    RuleCase{"DoubledMinusOnRAthena", RA, Npc("\t.@a = 3--5;\n"), {"2:9: ';' expected"}},
    RuleCase{"DoubledMinusOnHercules", HE, Npc("\t.@a = 3--5;\n"), {}},
    // Hercules registers every item's database name as a constant, and reads 0o, 0b and 1_000.
    RuleCase{"ItemNameConstantOnHercules", HE, Npc("\tswitch (1) { case Red_Potion: end; }\n"), {}},
    RuleCase{"RadixNumbersOnHercules", HE, Npc("\t.@a = 0o17 + 0b101 + 1_000;\n"), {}},
    RuleCase{"DuplicateCase", EA, Npc("\tswitch (1) { case 1: end; case 2: end; case 1: end; }\n"),
             {"2:46: dup 'case': this switch already has a case 1"}},
    RuleCase{"DuplicateCaseConstant", RA, Npc("\tswitch (1) { case Job_Knight: end; case job_knight: end; }\n"),
             {"2:42: dup 'case': this switch already has a case job_knight"}},
    RuleCase{"FunctionDeclaredNeverDefined", EA, Npc("\tfunction F;\n\tend;\n"),
             {"4:1: unresolved function references: the function 'F' is declared (line 2) but its body never follows"}},
    RuleCase{"DoubleAtPrefix", EA, Npc("\tset @@x, 1;\n"),
             {"2:6: '@@' is no variable prefix (the servers know @, #, ##, ', ., .@, $ and $@)"}},
    RuleCase{"LabelOfDigitsAfterALabel", EA, Npc("OnTimer:55000:\n\tend;\n"), {}},
    // Values the server refuses or loads wrongly.
    RuleCase{"NegativeY", EA, "prontera,150,-5,5\tscript\tX\t100,{\n}\n",
             {"1:1: Y -5 is outside every map: the server cannot place the NPC there"}},
    RuleCase{"HugeX", EA, "prontera,999999999,5,5\tscript\tX\t100,{\n}\n",
             {"1:1: X 999999999 is outside every map: the server cannot place the NPC there"}},
    RuleCase{"FacingOutOfRange", EA, "prontera,150,150,9\tscript\tX\t100,{\n}\n",
             {"1:1: facing 9 is not one of 0 (north) to 7 (north-east): the client turns the NPC some other way"}},
    RuleCase{"EmptyNpcName", EA, "prontera,150,150,4\tscript\t\t100,{\n}\n",
             {"1:27: the NPC has no name: the server loads it, but no script can name it and players see none"}},
    RuleCase{"GetItemNothing", EA, Npc("\tgetitem 501, 0;\n\tend;\n"), {"2:15: amount 0: 'getitem' does nothing for an amount below 1"}},
    RuleCase{"UnknownWarpDestination", EA, "prontera,1,1\twarp\tW\t1,1,nowhere.gat,5,5\n", {"1:21: unknown destination map 'nowhere.gat'"}},
    RuleCase{"DuplicateOfAnotherFilesNpc", EA, "prontera,1,1,4\tduplicate(Elsewhere)\tCopy\t100\n", {}},
    RuleCase{"ExtraTabBeforeSpriteLoads", EA, "prontera,1,1,4\tscript\tX\t\t100,{\n}\n", {}},
    RuleCase{"FloatingShop", EA, "-\tshop\tHidden Shop\t-1,501:50,502:-1\n", {}},
    RuleCase{"BreakOutsideLoop", EA, Npc("\tbreak;\n"), {"2:2: 'break' outside a loop or switch"}},
    RuleCase{"ContinueInSwitchOnly", EA, Npc("\tswitch (1) { case 1: continue; }\n"), {"2:23: 'continue' outside a loop"}},
    RuleCase{"CaseValueNotConstant", EA, Npc("\tswitch (1) { case Job_Knight: case .@x: end; }\n"), {"2:37: a case value must be a number or a constant, not '.@x'"}},
    RuleCase{"CaseOutsideSwitch", EA, Npc("\tcase 1:\n"), {"2:2: 'case' outside a switch"}},
    RuleCase{"DeclaredFunction", EA, Npc("\tfunction F;\n\tF 1;\n\tend;\nfunction F {\n\treturn;\n}\n"), {}},
    RuleCase{"UndeclaredFunction", EA, Npc("\tF 1;\n\tend;\nfunction F {\n\treturn;\n}\n"), {"2:2: unknown command 'F'"}},
    RuleCase{"AssignmentOnEAthena", EA, Npc("\tZeny -= 10;\n"), {"2:2: eAthena refuses an assignment without 'set': write set <variable>, <value>;"}},
    RuleCase{"AssignmentOnRAthena", RA, Npc("\tZeny -= 10;\n\tfor (.@i = 0; .@i < 3; .@i++) mes \"x\";\n"), {}},
    RuleCase{"AssignmentOnHercules", HE, Npc("\tZeny -= 10;\n"), {}},
    RuleCase{"CaseOnEAthena", EA, Npc("\tMes \"a\";\n"), {}},
    RuleCase{"CaseOnHercules", HE, Npc("\tMes \"a\";\n"),
             {"2:2: unknown command 'Mes' (Hercules names are case-sensitive: did you mean `mes`?)"}},
    RuleCase{"KeywordCaseOnHercules", HE, Npc("\tIf (1) close;\n"),
             {"2:2: 'If' is no keyword: names are case-sensitive here (did you mean `if`?)"}},
    RuleCase{"KeywordCaseOnEAthena", EA, Npc("\tIf (1) close;\n"), {}},
    RuleCase{"OpenStorageOnEAthena", EA, Npc("\topenstorage;\n"), {}},
    RuleCase{"OpenStorageOnHercules", HE, Npc("\topenstorage;\n"), {"2:13: 'openstorage' needs 1 argument(s), 0 given"}},
    RuleCase{"ByteOrderMarkOnRAthena", RA, "\xEF\xBB\xBF" "-\tscript\tX\t-1,{\n}\n", {"1:1: rAthena refuses a file that starts with a UTF-8 byte-order mark"}},
    RuleCase{"MissingTab", EA, "prontera,1,1,4 script\tX\t100,{\n}\n", {"1:1: cannot read this line: probably a missing or extra tab", "2:1: cannot read this line: a header has four fields separated by tabs (an extra '}' above may have ended a script early); the server stops reading the file here"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Checker, ChecksHandWrittenCodeOnItsOwn)
{
    const TBodyResult code = ParseStatements("L_A:\n\tmes \"x\";\nL_A:\n\tnext 1;\n");
    ASSERT_TRUE(code.Body);
    std::vector<std::string> found;
    for (const TDiagnostic& d : CheckBody(*code.Body, TCheckOptions{}))
        found.push_back(std::to_string(d.Range.Begin.Line) + ": " + d.Message);
    EXPECT_EQ(found, (std::vector<std::string>{"3: duplicate label 'L_A'", "4: too many arguments: 'next' takes at most 0: eAthena wants ';' (parse_line: need ';') here"}));
}

// The real servers' files and their verdicts on broken variants of them, one row per server.
struct ServerSample {
    const char* Name;
    TTarget Target;
    int Files;
};

class ServerAgreement : public ::testing::TestWithParam<ServerSample> {
protected:
    void SetUp() override
    {
        const auto shared = SharedDataDir();
        if (!shared)
            GTEST_SKIP() << "the server data folder ../shared/data is not present";
        Dir_ = shared->parent_path() / GetParam().Name;
        if (!std::filesystem::is_directory(Dir_))
            GTEST_SKIP() << "no data for " << GetParam().Name << " beside the eAthena data";
    }

    // The sample's files in the order the server loads them (its load-order.txt, or the folder's
    // files for a sample loaded file by file).
    std::vector<std::string> LoadOrder() const
    {
        std::vector<std::string> files;
        std::ifstream list(Dir_ / "npc" / "load-order.txt");
        for (std::string line; std::getline(list, line);)
            if (!line.empty())
                files.push_back(line);
        return files;
    }

    // The first error of a file checked as the next file of a load.
    int FirstErrorLine(const std::string& text, const std::string& name, TLoadState& load) const
    {
        TCheckOptions options;
        options.Target = GetParam().Target;
        options.Load = &load;
        load.Scan(text, name);
        load.Begin(name);
        const auto found = CheckScriptText(text, options);
        const auto error = std::find_if(found.begin(), found.end(), [](const TDiagnostic& d) { return d.Severity == TSeverity::Error; });
        return error == found.end() ? 0 : error->Range.Begin.Line;
    }

    std::filesystem::path Dir_;
};

TEST_P(ServerAgreement, NoErrorOnTheServersOwnFiles)
{
    std::vector<std::string> order = LoadOrder();
    if (order.empty())  // loaded one by one
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir_ / "npc"))
            if (entry.is_regular_file() && entry.path().extension() == ".txt")  // not the server's .conf lists
                order.push_back(std::filesystem::relative(entry.path(), Dir_).string());
    TLoadState load(GetParam().Target);
    for (const std::string& file : order) {
        TLoadState alone(GetParam().Target);
        TLoadState& state = LoadOrder().empty() ? alone : load;
        EXPECT_EQ(FirstErrorLine(ReadBytes(Dir_ / file), file, state), 0) << file;
    }
    EXPECT_EQ(static_cast<int>(order.size()), GetParam().Files);
}

// Applies one case's edit to the lines of its file (each line keeps its own line end).
std::string ApplyCase(const std::string& original, const QJsonObject& c)
{
    std::vector<std::string> lines;
    std::istringstream in(original);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const std::size_t at = static_cast<std::size_t>(c["line"].toInt() - 1);
    const QByteArray latin1 = c["text"].toString().toLatin1();
    std::string text(latin1.constData(), static_cast<std::size_t>(latin1.size()));
    if (at < lines.size() && !lines[at].empty() && lines[at].back() == '\r')
        text += '\r';
    if (c["edit"].toString() == "replace")
        lines.at(at) = text;
    else
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), text);
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i)
        joined += lines[i] + (i + 1 < lines.size() || original.back() == '\n' ? "\n" : "");
    return joined;
}

// Each case is checked after the sample's files that define global functions, as the server
// loaded it (none for eAthena, whose cases were loaded on their own): those files were all it
// loaded, so the run is complete.
TEST_P(ServerAgreement, SameVerdictAndLineAsTheServer)
{
    std::vector<std::string> functionFiles;
    for (const std::string& file : LoadOrder())
        if (ReadBytes(Dir_ / file).find("function\tscript\t") != std::string::npos)
            functionFiles.push_back(file);
    std::ifstream cases(Dir_ / "lint-cases" / "cases.jsonl");
    int total = 0, verdicts = 0, lines = 0;
    for (std::string line; std::getline(cases, line);) {
        const QJsonObject c = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        const std::string from = c["from"].toString().toStdString();
        TLoadState load(GetParam().Target);
        load.MarkComplete();
        for (const std::string& file : functionFiles)
            if (file != from)
                FirstErrorLine(ReadBytes(Dir_ / file), file, load);
        const int expected = c["server_error_line"].toInt();
        const int found = FirstErrorLine(ApplyCase(ReadBytes(Dir_ / from), c), from, load);
        ++total;
        verdicts += (found > 0) == (expected > 0);
        lines += found == expected;
        if (found != expected)
            std::cout << "[ differs ] " << c["case"].toString().toStdString() << " " << c["change"].toString().toStdString()
                      << ": server " << expected << ", checker " << found << " (" << c["server_message"].toString().toStdString() << ")\n";
    }
    std::cout << "[ agreement ] " << GetParam().Name << ": " << total << " cases, same verdict " << verdicts << " ("
              << (total ? 100.0 * verdicts / total : 0) << " %), same first-error line " << lines << " ("
              << (total ? 100.0 * lines / total : 0) << " %)\n";
    EXPECT_EQ(total, 80);
    EXPECT_GE(verdicts * 100, total * 98);
    EXPECT_GE(lines * 100, total * 95);
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerAgreement,
                         ::testing::Values(ServerSample{"eathena", EA, 53}, ServerSample{"rathena", RA, 60},
                                           ServerSample{"hercules", HE, 60}),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
