// The script reader: top-level lines, statements, expressions with the server's precedence, and
// the source range of every node; read again in part after an edit.

#include "script/Checker.h"
#include "script/FileReader.h"
#include "script/IncrementalReader.h"
#include "script/KeptFindings.h"
#include "script/Parser.h"
#include "script/SyntaxWalk.h"

#include "fuzz/ScriptReaderChecks.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace script;

namespace {

// Writes an expression fully parenthesised, so precedence shows in a string.
std::string Shape(const TExpr& e)
{
    switch (e.Kind) {
    case TExprKind::Number: return std::to_string(e.Value);
    case TExprKind::String: return "\"" + e.Text + "\"";
    case TExprKind::Identifier: return e.Args.empty() ? e.Text : e.Text + "[" + Shape(*e.Args[0]) + "]";
    case TExprKind::NextLine: return "-";
    case TExprKind::Unary: return "(" + e.Op + Shape(*e.Args[0]) + ")";
    case TExprKind::Binary:
    case TExprKind::Assign: return "(" + Shape(*e.Args[0]) + " " + e.Op + " " + Shape(*e.Args[1]) + ")";
    case TExprKind::Conditional:
        return "(" + Shape(*e.Args[0]) + " ? " + Shape(*e.Args[1]) + " : " + Shape(*e.Args[2]) + ")";
    case TExprKind::IncDec: return e.Prefix ? "(" + e.Op + Shape(*e.Args[0]) + ")" : "(" + Shape(*e.Args[0]) + e.Op + ")";
    case TExprKind::Call: {
        std::string s = e.Text + "(";
        for (std::size_t i = 0; i < e.Args.size(); ++i)
            s += (i ? ", " : "") + Shape(*e.Args[i]);
        return s + ")";
    }
    }
    return "?";
}

struct ExprCase {
    const char* Name;
    const char* Text;
    const char* Shape;
    TTarget Target = TTarget::EAthena;
};

class ExpressionShape : public ::testing::TestWithParam<ExprCase> {};

TEST_P(ExpressionShape, GroupsAsTheServer)
{
    std::optional<TDiagnostic> error;
    const auto expr = ParseExpression(GetParam().Text, error, GetParam().Target);
    ASSERT_TRUE(expr) << error->Message;
    EXPECT_EQ(Shape(*expr), GetParam().Shape);
}

INSTANTIATE_TEST_SUITE_P(Reader, ExpressionShape, ::testing::Values(
    ExprCase{"MulBeforeAdd", "1 + 2 * 3", "(1 + (2 * 3))"},
    ExprCase{"LeftToRight", "10 - 4 - 3", "((10 - 4) - 3)"},
    ExprCase{"ComparisonLooserThanBitAnd", "a & 1 == 1", "((a & 1) == 1)"},
    ExprCase{"XorLooserThanOr", "a ^ b | c", "(a ^ (b | c))"},
    ExprCase{"CLikeOnRAthena", "a ^ b | c == 1 & d", "((a ^ b) | ((c == 1) & d))", TTarget::RAthena},
    ExprCase{"RelationalBeforeEqualityOnHercules", "a == b < c", "(a == (b < c))", TTarget::Hercules},
    ExprCase{"AndBeforeOr", "a || b && c", "(a || (b && c))"},
    ExprCase{"UnaryBindsTightest", "-a * !b", "((-a) * (!b))"},
    ExprCase{"ConditionalRightNested", "a ? 1 : b ? 2 : 3", "(a ? 1 : (b ? 2 : 3))"},
    ExprCase{"HexAndOctal", "0x1F + 010", "(31 + 8)"},
    ExprCase{"StringEscapes", R"("a\"b\\c\x41")", R"("a"b\cA")"},
    ExprCase{"PrefixesAndArrays", ".@list$[.@i + 1] + $@x + #acc + ##glob + 'inst", "((((.@list$[(.@i + 1)] + $@x) + #acc) + ##glob) + 'inst)"},
    ExprCase{"CallsNest", "countitem(getarg(0), 1) > 5", "(countitem(getarg(0), 1) > 5)"},
    ExprCase{"Assignment", ".@i += 2 * 3", "(.@i += (2 * 3))"},
    ExprCase{"PostIncrement", ".@i++", "(.@i++)"},
    ExprCase{"ShiftsLooserThanAdd", "a << b + c >> d", "((a << (b + c)) >> d)"},
    ExprCase{"ComparisonsOneLevel", "a < b != c >= d % 2", "(((a < b) != c) >= (d % 2))"},
    ExprCase{"ComparisonsAsCOnRAthena", "a <= b != c >> 1 / d", "((a <= b) != (c >> (1 / d)))", TTarget::RAthena},
    ExprCase{"ThreeCharacterAssignment", ".@i <<= 1 | 2", "(.@i <<= (1 | 2))"},
    ExprCase{"PowerBindsTighterThanMul", "2 * 3 ** 2 + 1", "((2 * (3 ** 2)) + 1)", TTarget::Hercules},
    ExprCase{"SpriteConstantIsAWord", "4_F_KAFRA1 + 1", "(4_F_KAFRA1 + 1)", TTarget::RAthena},
    ExprCase{"HexStaysANumberBesideDigitWords", "0x1F + 7", "(31 + 7)", TTarget::Hercules},
    ExprCase{"JoinedStringsOnHercules", R"("a" "b" + "c")", R"(("ab" + "c"))", TTarget::Hercules}),
    [](const auto& info) { return std::string(info.param.Name); });

// Every node of the rAthena and Hercules samples lies where its range says, read by each
// server's grammar, and the checker's findings too.
TEST(Reader, KeepsTheRangesOfTheOtherServersSamples)
{
    const auto shared = SharedDataDir();
    if (!shared)
        GTEST_SKIP() << "the server data folder ../shared/data is not present";
    int files = 0;
    for (const char* server : {"rathena", "hercules"}) {
        const std::filesystem::path dir = shared->parent_path() / server;
        if (!std::filesystem::is_directory(dir / "npc"))
            GTEST_SKIP() << "no sample of " << server << " beside the eAthena data";
        std::ifstream list(dir / "npc" / "load-order.txt");
        for (std::string line; std::getline(list, line);) {
            if (line.empty())
                continue;
            ++files;
            EXPECT_EQ(parsercheck::CheckScriptReader(ReadBytes(dir / line)), parsercheck::TProblems{}) << server << " " << line;
        }
    }
    EXPECT_EQ(files, 120);
}

TEST(Reader, ReadsAnNpcWithItsStatementsAndRanges)
{
    const std::string text =
        "// greeter\r\n"
        "prontera,150,150,4\tscript\tGreeter#1\t100,{\r\n"
        "\tmes \"Hi\";\r\n"
        "L_Menu:\r\n"
        "\tif (select(\"Yes:No\") == 1) goto L_Menu; else { close; }\r\n"
        "\tmenu \"A\",L_Menu,\"B\",-;\r\n"
        "\tfor (set .@i, 0; .@i < 3; set .@i, .@i + 1) mes \"x\"; /* do\r\n ne */\r\n"
        "}\r\n"
        "prontera,1,2\twarp\tW1\t1,1,alberta,3,4\r\n";
    const TScriptFile file = ReadScriptFile(text);
    ASSERT_TRUE(file.Diagnostics.empty()) << file.Diagnostics[0].Message;
    ASSERT_EQ(file.Entries.size(), 2u);
    const TTopLevel& npc = file.Entries[0];
    EXPECT_EQ(npc.Kind, TTopKind::Script);
    EXPECT_EQ(npc.Map, "prontera");
    EXPECT_EQ(npc.Name, "Greeter#1");
    EXPECT_EQ(npc.Sprite, "100");
    EXPECT_EQ(npc.X, 150);
    ASSERT_TRUE(npc.Body);
    const auto& body = npc.Body->Children;
    ASSERT_EQ(body.size(), 5u);
    EXPECT_EQ(body[0]->Kind, TStmtKind::Command);
    EXPECT_EQ(body[0]->Name, "mes");
    EXPECT_EQ(body[0]->Range.Begin.Line, 3);
    EXPECT_EQ(body[0]->Range.Begin.Column, 2);
    EXPECT_EQ(text.substr(body[0]->Range.Begin.Offset, body[0]->Range.End.Offset - body[0]->Range.Begin.Offset), "mes \"Hi\";");
    EXPECT_EQ(body[1]->Kind, TStmtKind::Label);
    EXPECT_EQ(body[1]->Name, "L_Menu");
    const TStmt& ifs = *body[2];
    ASSERT_EQ(ifs.Kind, TStmtKind::If);
    EXPECT_EQ(Shape(*ifs.Cond), "(select(\"Yes:No\") == 1)");
    EXPECT_EQ(ifs.Then->Name, "goto");
    ASSERT_TRUE(ifs.Else);
    EXPECT_EQ(ifs.Else->Kind, TStmtKind::Block);
    const TStmt& menu = *body[3];
    ASSERT_EQ(menu.Args.size(), 4u);
    EXPECT_EQ(menu.Args[3]->Kind, TExprKind::NextLine);
    const TStmt& loop = *body[4];
    ASSERT_EQ(loop.Kind, TStmtKind::For);
    EXPECT_EQ(loop.Init->Name, "set");
    EXPECT_EQ(loop.Step->Name, "set");
    EXPECT_EQ(Shape(*loop.Cond), "(.@i < 3)");
    ASSERT_EQ(file.Comments.size(), 2u);
    EXPECT_EQ(file.Comments[0].Text, "// greeter");
    EXPECT_EQ(file.Comments[1].Text, "/* do\r\n ne */");
    EXPECT_EQ(npc.Range.End, (TSourcePos{9, 2, text.find("}\r\nprontera,1,2") + 1}));
    EXPECT_EQ(file.Entries[1].Kind, TTopKind::Warp);
    EXPECT_EQ(file.Entries[1].Map, "prontera");
}

// The reader reads on after a syntax error, so that the comments of the whole text are kept.
TEST(Reader, KeepsTheCommentsAfterAnError)
{
    std::vector<TComment> comments;
    const TBodyResult result = ParseStatements("mes \"a\"; // one\nmes (; // two\nclose; /* three */", &comments);
    EXPECT_FALSE(result.Body);
    ASSERT_EQ(comments.size(), 3u);
    EXPECT_EQ(comments[2].Text, "/* three */");
}

struct ErrorCase {
    const char* Name;
    std::string Text;
    int Line;  // where the first error is reported
};

class ReaderError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ReaderError, ReportedOnTheServersLine)
{
    const TScriptFile file = ReadScriptFile(GetParam().Text);
    ASSERT_FALSE(file.Diagnostics.empty());
    EXPECT_EQ(file.Diagnostics[0].Range.Begin.Line, GetParam().Line) << file.Diagnostics[0].Message;
}

const std::string Head = "-\tscript\tX\t-1,{\n";

INSTANTIATE_TEST_SUITE_P(Reader, ReaderError, ::testing::Values(
    ErrorCase{"MissingSemicolonAtNextStatement", Head + "\tmes \"a\"\n\tclose;\n}\n", 3},
    ErrorCase{"ExtraParenthesis", Head + "\tmes \"a\");\n}\n", 2},
    ErrorCase{"NewlineInString", Head + "\tmes \"a;\n\tclose;\n}\n", 2},
    ErrorCase{"MissingBraceAtEnd", Head + "\tif (1) {\n\tclose;\n}\n", 5},
    ErrorCase{"MissingTab", "prontera,1,1,4 script\tX\t1,{\n}\n", 1},
    ErrorCase{"BrokenCondition", Head + "\tif (a > 1) && (b)) close;\n}\n", 2}),
    [](const auto& info) { return std::string(info.param.Name); });

// Hostile input ends in an error, not in a stack exhausted by building or walking the tree.
TEST(Reader, RefusesTreesTooDeepToWalk)
{
    std::string chain = "1";
    for (int i = 0; i < 5000; ++i)
        chain += "+1";
    std::optional<TDiagnostic> error;
    EXPECT_FALSE(ParseExpression(chain, error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Message, "expression too long");
    EXPECT_FALSE(ParseExpression(std::string(5000, '(') + "1" + std::string(5000, ')'), error));
    EXPECT_EQ(error->Message, "nested too deeply");
    const TBodyResult blocks = ParseStatements(std::string(5000, '{') + std::string(5000, '}'));
    EXPECT_FALSE(blocks.Body);
}

// The fuzzer's range checks must notice a wrong position, or replaying its corpus proves nothing.
TEST(Reader, RangeChecksTellRightFromWrong)
{
    parsercheck::TRangeChecks checks("ab\ncd");
    checks.Position({2, 1, 3}, "right");
    EXPECT_TRUE(checks.Problems.empty());
    checks.Position({1, 4, 3}, "wrong");
    checks.Range({{1, 2, 1}, {1, 1, 0}}, "backwards");
    EXPECT_EQ(checks.Problems.size(), 2u);
}

// Reading a script again after an edit: whatever the edit, the file read is the one a reading from
// nothing gives, position for position; a small edit inside the NPC's body takes the shortcut.
std::string PosText(const TSourceRange& r)
{
    return std::to_string(r.Begin.Line) + ":" + std::to_string(r.Begin.Column) + "@" + std::to_string(r.Begin.Offset) +
           "-" + std::to_string(r.End.Line) + ":" + std::to_string(r.End.Column) + "@" + std::to_string(r.End.Offset);
}

// Everything read, with every position.
std::string ReadDump(const TScriptFile& file)
{
    std::string out;
    for (const TTopLevel& entry : file.Entries) {
        out += "entry " + entry.Name + " " + PosText(entry.Range);
        const auto statement = [&](const TStmt& s) {
            out += "\ns" + std::to_string(static_cast<int>(s.Kind)) + " " + s.Name + " " + PosText(s.Range) + " " +
                   PosText(s.NameRange);
        };
        Walk(static_cast<const TStmt*>(entry.Body.get()), statement, [&](const TExpr& e) {
            out += "\ne" + std::to_string(static_cast<int>(e.Kind)) + " " + e.Text + e.Op + " " + PosText(e.Range);
        });
        out += "\nbefore error: " + std::to_string(entry.ReadBeforeError.size());
    }
    for (const TComment& c : file.Comments)
        out += "\ncomment " + c.Text + " " + PosText(c.Range);
    for (const TDiagnostic& d : file.Diagnostics)
        out += "\ndiagnostic " + std::to_string(static_cast<int>(d.Severity)) + " " + d.Message + " " + PosText(d.Range);
    return out;
}

struct RereadRow {
    const char* Name;
    std::string Before, After;
    bool Shortcut;  // the shortcut is expected: the edit stays within the body's statements
};

class ReadAgain : public ::testing::TestWithParam<RereadRow> {};

const std::string NpcHead = "// header\r\nprontera,150,150,4\tscript\tGuide\t56,{\r\n";

std::string FindingsDump(const std::vector<TDiagnostic>& found)
{
    std::string out;
    for (const TDiagnostic& d : found)
        out += std::to_string(static_cast<int>(d.Severity)) + " " + PosText(d.Range) + " " + d.Message + "\n";
    return out;
}

// The edit as a caller that knows only which lines changed gives it: from the start of the first
// changed line to the end of the last, wider than the bytes that changed.
TIncrementalReader::TEdit ChangedLines(const std::string& old, const std::string& text)
{
    const std::size_t common = std::min(old.size(), text.size());
    std::size_t prefix = 0, suffix = 0;
    while (prefix < common && old[prefix] == text[prefix])
        ++prefix;
    while (suffix < common - prefix && old[old.size() - 1 - suffix] == text[text.size() - 1 - suffix])
        ++suffix;
    const std::size_t begin = prefix == 0 ? 0 : old.rfind('\n', prefix - 1) + 1;
    std::size_t end = old.size() - suffix;
    if (end > 0 && old[end - 1] != '\n')
        end = std::min(old.find('\n', end), old.size() - 1) + 1;
    return {begin, end};
}

// The check that keeps the findings of the statements not read again finds what a check from
// nothing finds, whether the reader finds the edit itself or is told the lines it lies in.
TEST_P(ReadAgain, GivesWhatAReadingFromNothingGives)
{
    for (const bool told : {false, true}) {
        TIncrementalReader reader;
        TKeptFindings kept;
        TCheckOptions keeping;
        keeping.Kept = &kept;
        const auto readAndCheck = [&](const std::string& text) {
            const TIncrementalReader::TEdit edit = ChangedLines(reader.Text(), text);
            const TScriptFile& file = reader.Read(text, TTarget::EAthena, told ? &edit : nullptr);
            EXPECT_EQ(ReadDump(file), ReadDump(ReadScriptFile(text, TTarget::EAthena))) << "told " << told;
            kept.Follow(reader.LastChange());
            EXPECT_EQ(FindingsDump(CheckScript(file, text, keeping)), FindingsDump(CheckScript(text, {})));
        };
        readAndCheck(GetParam().Before);
        readAndCheck(GetParam().After);
        EXPECT_EQ(reader.PartialReads(), GetParam().Shortcut ? 1 : 0) << "told " << told;
        // And back again, and forth: the statements not read again keep what was built for them.
        readAndCheck(GetParam().Before);
        readAndCheck(GetParam().After);
    }
}

INSTANTIATE_TEST_SUITE_P(Edits, ReadAgain, ::testing::Values(
    RereadRow{"LineAddedInTheMiddle", NpcHead + "\tmes \"a\";\r\n\tnext;\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tmes \"b\"; // said twice\r\n\tnext;\r\n\tclose;\r\n}\r\n", true},
    RereadRow{"LineTakenAwayFirst", NpcHead + "\tmes \"a\";\r\n\tif (x) mes \"b\"; else close;\r\n\tL_A:\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tif (x) mes \"b\"; else close;\r\n\tL_A:\r\n\tclose;\r\n}\r\n", true},
    RereadRow{"ElseTypedAfterAnIf", NpcHead + "\tif (x) mes \"a\";\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tif (x) mes \"a\"; else mes \"b\";\r\n\tclose;\r\n}\r\n", true},
    RereadRow{"WarningMovesDown", NpcHead + "\tmes \"a\";\r\n\tif (x = 1) close;\r\n\tend;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tmes \"b\";\r\n\r\n\tif (x = 1) close;\r\n\tend;\r\n}\r\n", true},
    RereadRow{"FindingsMoveDown", NpcHead + "\tmes \"a\";\r\n\tgetitem 501, 0;\r\n\tmes \"b\\qc\" + (1 || \"\");\r\n\tL_A:\r\n\tL_A:\r\n\tgoto L_B;\r\n\tmes 5;\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tmes \"b\";\r\n\r\n\tgetitem 501, 0;\r\n\tmes \"b\\qc\" + (1 || \"\");\r\n\tL_A:\r\n\tL_A:\r\n\tgoto L_B;\r\n\tmes 5;\r\n\tclose;\r\n}\r\n", true},
    // A statement read again in place finds something where the one before found nothing, and back.
    RereadRow{"FindingChangedInPlace", NpcHead + "\tgetitem 501, 0;\r\n\tmes \"a\";\r\n\tdelitem 502, -1;\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tgetitem 501, 0;\r\n\tmes 7;\r\n\tdelitem 502, -1;\r\n\tclose;\r\n}\r\n", true},
    RereadRow{"FindingTakenAway", NpcHead + "\tmes \"a\";\r\n\tgetitem 501, 0;\r\n\tif (x) mes 1, 2;\r\n\tmes \"c\\q\";\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tif (x) mes 1, 2;\r\n\tmes \"c\\q\";\r\n\tclose;\r\n}\r\n", true},
    // The flow checks join the kept statements' graphs with the new ones: labels, jumps and
    // facts that cross from one to the other.
    RereadRow{"LabelAKeptGotoFinds", NpcHead + "\tgoto L_B;\r\n\tmes \"a\";\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tgoto L_B;\r\n\tmes \"a\";\r\n\tL_B:\r\n\tclose;\r\n}\r\n", true},
    RereadRow{"LabelRenamedUnderAKeptMenu", NpcHead + "\tmes \"a\";\r\n\tmenu \"x\",L_X,\"y\",-;\r\n\tclose;\r\n\tL_X:\r\n\tmes \"x\";\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tmenu \"x\",L_X,\"y\",-;\r\n\tclose;\r\n\tL_Y:\r\n\tmes \"x\";\r\n\tclose;\r\n}\r\n", true},
    RereadRow{"CallsubIntoAChangedStatement", NpcHead + "\tcallsub S_A;\r\n\tclose;\r\n\tS_A: if (x) { mes \"a\"; return; }\r\n\tend;\r\n}\r\n",
            NpcHead + "\tcallsub S_A;\r\n\tclose;\r\n\tS_A: if (x) { mes \"a\"; next; }\r\n\tend;\r\n}\r\n", true},
    RereadRow{"DialogLeftOpenAcrossStatements", NpcHead + "\tmes \"a\";\r\n\tif (Zeny > 5) set Zeny, Zeny - 5;\r\n\tnext;\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tif (Zeny > 5) set Zeny, Zeny - 5;\r\n\tnext;\r\n\tmes \"b\";\r\n}\r\n", true},
    RereadRow{"EndAddedBeforeCode", NpcHead + "\tmes \"a\";\r\n\twhile (1) {\r\n\t\tmes \"b\";\r\n\t\tbreak;\r\n\t}\r\n\tset Zeny, Zeny - 1;\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tend;\r\n\twhile (1) {\r\n\t\tmes \"b\";\r\n\t\tbreak;\r\n\t}\r\n\tset Zeny, Zeny - 1;\r\n\tclose;\r\n}\r\n", true},
    RereadRow{"EventLabelKeptAfterAnEdit", NpcHead + "\tmes \"a\";\r\n\tclose;\r\nOnInit:\r\n\tmes \"b\";\r\n\tend;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tnext;\r\n\tclose;\r\nOnInit:\r\n\tmes \"b\";\r\n\tend;\r\n}\r\n", true},
    RereadRow{"LocalFunctionChangedUnderAKeptCall", NpcHead + "\tmes \"a\";\r\n\tF_Bye;\r\n\tend;\r\nfunction F_Bye {\r\n\tclose2;\r\n\treturn;\r\n}\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tF_Bye;\r\n\tend;\r\nfunction F_Bye {\r\n\tnext;\r\n\treturn;\r\n}\r\n}\r\n", true},
    RereadRow{"LoopVariableSetInAKeptStatement", NpcHead + "\tmes \"a\";\r\n\tset .@loop, 1;\r\n\twhile (.@loop) {\r\n\t\tnext;\r\n\t\tif (select(\"A:B\") == 2) {\r\n\t\t\tclose2;\r\n\t\t\tset .@loop, 0;\r\n\t\t} else mes \"b\";\r\n\t}\r\n\tend;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n\tset .@loop, 1;\r\n\tmenu \"x:y\",-;\r\n\twhile (.@loop) {\r\n\t\tnext;\r\n\t\tif (select(\"A:B\") == 2) {\r\n\t\t\tclose2;\r\n\t\t\tset .@loop, 0;\r\n\t\t} else mes \"b\";\r\n\t}\r\n\tend;\r\n}\r\n", true},
    // A label's name alone (a command's, a constant's, too long) is kept; whether it is a
    // duplicate is decided again, against labels read again before and after it.
    RereadRow{"LabelAddedBeforeAKeptOne", NpcHead + "\tmes \"a\";\r\n\tclose;\r\nL_B:\r\nZeny:\r\nL_AVeryLongLabelNameIndeed:\r\n\tend;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\nL_B:\r\nL_AVeryLongLabelNameIndeed:\r\n\tclose;\r\nL_B:\r\nZeny:\r\nL_AVeryLongLabelNameIndeed:\r\n\tend;\r\n}\r\n", true},
    RereadRow{"LabelRenamedToAKeptOnesName", NpcHead + "\tmes \"a\";\r\nL_A:\r\n\tclose;\r\nl_b:\r\nL_C:\r\n\tend;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\nL_B:\r\n\tclose;\r\nl_b:\r\nL_C:\r\n\tend;\r\n}\r\n", true},
    RereadRow{"LabelAddedAfterAKeptOne", NpcHead + "\tmes \"a\";\r\nL_B:\r\n\tclose;\r\n\tend;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\nL_B:\r\n\tclose;\r\nL_B:\r\n\tend;\r\n}\r\n", true},
    RereadRow{"StatementMovedFar", NpcHead + "\tmes \"a\";\r\n\tfor (set .@i, 0; .@i < 3; set .@i, .@i + 1) {\r\n\t\tif (.@i == 1) mes \"x\" + .@i;\r\n\t\telse {\r\n\t\t\tswitch (.@i) {\r\n\t\t\tcase 2: mes 5; break;\r\n\t\t\tdefault: set .@j, (.@i ? 1 : getitem(501, 0));\r\n\t\t\t}\r\n\t\t}\r\n\t}\r\n\tdo { L_In: mes \"y\"; } while (.@i--);\r\n\tclose;\r\n}\r\n",
            NpcHead + "\tmes \"a\";\r\n" + [] {
                std::string lines;
                for (int i = 0; i < 40; ++i)
                    lines += "mes \"b\"; // " + std::string(static_cast<std::size_t>(i), '-') + "\r\n";
                return lines;
            }() + "\tfor (set .@i, 0; .@i < 3; set .@i, .@i + 1) {\r\n\t\tif (.@i == 1) mes \"x\" + .@i;\r\n\t\telse {\r\n\t\t\tswitch (.@i) {\r\n\t\t\tcase 2: mes 5; break;\r\n\t\t\tdefault: set .@j, (.@i ? 1 : getitem(501, 0));\r\n\t\t\t}\r\n\t\t}\r\n\t}\r\n\tdo { L_In: mes \"y\"; } while (.@i--);\r\n\tclose;\r\n}\r\n", true},
    RereadRow{"LastStatementChanged", NpcHead + "\tmes \"a\";\r\n\tclose;\r\n}\r\n", NpcHead + "\tmes \"a\";\r\n\tend;\r\n}\r\n", true},
    RereadRow{"CommentLeftOpen", NpcHead + "\tmes \"a\";\r\n\tclose;\r\n\tend;\r\n}\r\n",
            NpcHead + "\tmes \"a\"; /* open\r\n\tclose;\r\n\tend;\r\n}\r\n", false},
    RereadRow{"SemicolonTakenAway", NpcHead + "\tmes \"a\";\r\n\tclose;\r\n}\r\n", NpcHead + "\tmes \"a\"\r\n\tclose;\r\n}\r\n", false},
    RereadRow{"BraceOpened", NpcHead + "\tmes \"a\";\r\n\tclose;\r\n}\r\n", NpcHead + "\tif (x) {\r\n\tmes \"a\";\r\n\tclose;\r\n}\r\n", false},
    RereadRow{"HeaderChanged", NpcHead + "\tclose;\r\n}\r\n", "// header\r\nprontera,151,150,4\tscript\tGuide\t56,{\r\n\tclose;\r\n}\r\n", false},
    RereadRow{"SecondEntryAdded", NpcHead + "\tclose;\r\n}\r\n", NpcHead + "\tclose;\r\n}\r\n-\tscript\tOther\t-1,{\r\n\tend;\r\n}\r\n", false}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
