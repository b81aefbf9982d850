// Replays the seeds and every kept finding of the parser fuzzers (item database, INI
// catalogues, script colouring, script reader, the language server's messages) through the same checks the fuzzers run, so that a fixed finding
// stays fixed and the seeds stay valid input.

#include "ModelFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "fuzz/HighlightOracle.h"
#include "fuzz/IniOracle.h"
#include "fuzz/ItemDbOracle.h"
#include "fuzz/LspReaderChecks.h"
#include "fuzz/ScriptReaderChecks.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <ostream>

namespace fs = std::filesystem;

namespace {

const char* const ParserTargets[] = {"item_db", "catalogue_ini", "highlight", "script_reader", "lsp_reader"};

struct TFuzzInput {
    std::string Target;  // the fuzzer's name: the folder under corpus/ and crashes/
    fs::path Path;
};

void PrintTo(const TFuzzInput& input, std::ostream* out)
{
    *out << input.Target << ": " << input.Path.filename().string();
}

std::vector<TFuzzInput> FuzzInputs()
{
    std::vector<TFuzzInput> inputs;
    for (const char* target : ParserTargets)
        for (const fs::path& path : FuzzInputFiles(target))
            inputs.push_back({target, path});
    std::sort(inputs.begin(), inputs.end(),
              [](const TFuzzInput& a, const TFuzzInput& b) { return a.Path < b.Path; });
    return inputs;
}

std::string TestName(const TFuzzInput& input)
{
    const std::string folder = input.Path.parent_path().parent_path().filename().string();
    std::string name = folder + "_" + input.Target + "_" + input.Path.filename().string();
    std::replace_if(name.begin(), name.end(),
                    [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

std::string Joined(const parsercheck::TProblems& problems)
{
    std::string text;
    for (const std::string& problem : problems)
        text += problem + "\n";
    return text;
}

class ParserCorpusTest : public ModelTest, public ::testing::WithParamInterface<TFuzzInput> {
protected:
    parsercheck::TProblems Check(const std::string& target, const std::string& bytes)
    {
        using namespace parsercheck;
        if (target == "item_db") {
            TProblems problems = CheckItemLines(bytes);
            const TProblems loaded = CheckLoadItems(bytes, Dir.Path());
            problems.insert(problems.end(), loaded.begin(), loaded.end());
            return problems;
        }
        if (target == "catalogue_ini")
            return CheckIniCatalogues(bytes, Dir.Path());
        if (target == "script_reader")
            return CheckScriptReader(bytes);
        if (target == "lsp_reader")
            return CheckLspReader(bytes);
        // The scanner's check fills the task list with groups of its own.
        Project().TaskTree.Clear();
        TProblems problems = CheckScanLine(bytes);
        Document().NewProject();
        return problems;
    }

    TTempDir Dir;
};

TEST_P(ParserCorpusTest, ParsesAsTheRulesSay)
{
    const std::string bytes = ReadBytes(GetParam().Path);
    const parsercheck::TProblems problems = Check(GetParam().Target, bytes);
    EXPECT_TRUE(problems.empty()) << Joined(problems);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, ParserCorpusTest, ::testing::ValuesIn(FuzzInputs()),
                         [](const auto& info) { return TestName(info.param); });

TEST(ParserCorpusPresenceTest, EveryParserHasItsSeeds)
{
    std::map<std::string, int> seeds;
    for (const TFuzzInput& input : FuzzInputs())
        if (input.Path.parent_path().parent_path().filename() == "corpus")
            ++seeds[input.Target];
    for (const char* target : ParserTargets)
        EXPECT_GE(seeds[target], 5) << target;
}

// The checks themselves must notice a parser that goes wrong, or the replay above proves nothing.
TEST(ParserOracleTest, TheReferencesTellRightFromWrong)
{
    using namespace parsercheck;
    const std::optional<TItem> potion =
        ReferenceItemLine("501,Red_Potion,Red Potion,0,50,,70,,,,2,0xFFFFFFFF");
    ASSERT_TRUE(potion.has_value());
    EXPECT_EQ(potion->Name, "Red Potion");
    EXPECT_EQ(potion->Price, 50);
    EXPECT_EQ(potion->Weight, 70);
    EXPECT_EQ(potion->Slots, 2);
    EXPECT_FALSE(ReferenceItemLine("7001,Iron_Key,Iron_Key,3").has_value());
    EXPECT_FALSE(ReferenceItemLine("/501,A,A").has_value());
    EXPECT_EQ(ReferenceIntDef(" -12", 9), -12);
    EXPECT_EQ(ReferenceIntDef("2147483648", 9), 9);
    EXPECT_EQ(ReferenceIntDef("-2147483648", 9), -2147483647 - 1);
    EXPECT_EQ(ReferenceIntDef("+-5", 9), 9);

    const TReferenceIni ini("[Jobs]\nCount = 2\n[job1]\nNAME=Novice\nName=Again\n");
    EXPECT_EQ(ini.Count("jobs"), 2);
    EXPECT_EQ(ini.String("Job1", "Name", "error"), "Novice");
    EXPECT_EQ(ini.String("Job2", "Name", "error"), "error");

    const std::vector<TColourRange> ranges = TReferenceScanner("mes \"a\"\"b\"; //x").Scan();
    const std::vector<TColourRange> expected{{0, 3, ColourWhite},  {3, 1, ColourYellow},
                                             {4, 6, ColourRed},    {10, 1, ColourWhite},
                                             {11, 1, ColourYellow}, {12, 3, ColourSilver}};
    EXPECT_EQ(ranges, expected);
}

}  // namespace
