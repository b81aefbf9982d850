// The script colouring scanner: every token of a line with its colour, as the output window and
// the manual-code editor show them.

#include "model/ActionTasks.h"
#include "DocumentSupport.h"
#include "TestSupport.h"
#include "output/Highlight.h"
#include "model/Tasks.h"

#include "catalogue/Catalogues.h"
#include "model/Records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

void PrintTo(const TColourRange& range, std::ostream* out)
{
    *out << "{" << range.Start << ", " << range.Length << ", ";
    if (range.Colour)
        *out << "rgb(" << int(range.Colour->R) << "," << int(range.Colour->G) << "," << int(range.Colour->B) << ")";
    else
        *out << "plain";
    *out << "}";
}

namespace {

const std::optional<TRgb> Plain;  // the control's own text colour
constexpr TRgb White = ColourWhite;
constexpr TRgb Yellow = ColourYellow;
constexpr TRgb SkyBlue = ColourSkyBlue;
constexpr TRgb Lime = ColourLime;
constexpr TRgb Aqua = ColourAqua;
constexpr TRgb Red = ColourRed;
constexpr TRgb Silver = ColourSilver;

// A project where groups 0 ("Start") and 1 exist, group 2 existed and was deleted, and group 3
// was never made.
class HighlightTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestCatalogues().Clear();
        Document().NewProject();
        TTaskNode* start = Project().TaskTree.GetFirstNode();
        AddGroup(start, "Shop");
        TTaskNode* doomed = AddGroup(start, "Doomed");
        Project().TaskTree.Delete(doomed);
    }

    void TearDown() override
    {
        TestCatalogues().Clear();
        Document().NewProject();
    }

    static TTaskNode* AddGroup(TTaskNode* parent, const std::string& caption)
    {
        return Project().AttachTask(parent, Project().NewGroup(caption))->Node;
    }
};

struct TScanCase {
    const char* Name;
    std::string Line;
    std::vector<TColourRange> Expected;
};

void PrintTo(const TScanCase& scanCase, std::ostream* out)
{
    *out << scanCase.Name;
}

// The words of the test's project, its group labels among them.
TWordLookup ProjectWords()
{
    return TWordLookup::FromModel(Project().TaskList);
}

class ScanLineTable : public HighlightTest, public ::testing::WithParamInterface<TScanCase> {};

TEST_P(ScanLineTable, GivesEveryTokenItsColour)
{
    EXPECT_EQ(ScanLine(GetParam().Line, ProjectWords()), GetParam().Expected) << "line: " << GetParam().Line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScanLineTable,
    ::testing::Values(
        TScanCase{"EmptyLine", "", {}},
        TScanCase{"TabsOnly", "\t\t\t", {}},
        TScanCase{"LineBreaksOnly", "\r\n", {}},
        TScanCase{"MessageLine", "\t\tmes \"Hello.\";",
                  {{2, 3, White}, {5, 1, Yellow}, {6, 8, Red}, {14, 1, White}}},
        TScanCase{"SetZeny", "set Zeny, Zeny - 100;",
                  {{0, 3, White}, {3, 1, Yellow}, {4, 4, SkyBlue}, {8, 1, White}, {9, 1, Yellow},
                   {10, 4, SkyBlue}, {14, 1, Yellow}, {15, 1, White}, {16, 1, Yellow}, {17, 3, Aqua},
                   {20, 1, White}}},
        TScanCase{"CapitalisedKeywordIsPlain", "Menu", {{0, 4, Plain}}},
        TScanCase{"UpperCaseKeywordIsPlain", "IF", {{0, 2, Plain}}},
        TScanCase{"KeywordPrefixIsPlain", "sets", {{0, 4, Plain}}},
        TScanCase{"KeywordsBeforeActions", "goto next close",
                  {{0, 4, White}, {4, 1, Yellow}, {5, 4, White}, {9, 1, Yellow}, {10, 5, White}}},
        TScanCase{"ActionCommands", "getitem delitem heal warp countitem checkweight",
                  {{0, 7, Yellow}, {7, 1, Yellow}, {8, 7, Yellow}, {15, 1, Yellow}, {16, 4, Yellow},
                   {20, 1, Yellow}, {21, 4, Yellow}, {25, 1, Yellow}, {26, 9, Yellow}, {35, 1, Yellow},
                   {36, 11, Yellow}}},
        TScanCase{"ActionCall", "\t\tgetitem 501,1;",
                  {{2, 7, Yellow}, {9, 1, Yellow}, {10, 3, Aqua}, {13, 1, White}, {14, 1, Aqua},
                   {15, 1, White}}},
        TScanCase{"VariablesAreCaseSensitive", "BaseLevel zeny",
                  {{0, 9, SkyBlue}, {9, 1, Yellow}, {10, 4, Plain}}},
        TScanCase{"LabelOfExistingGroup", "\tL0:", {{1, 2, Lime}, {3, 1, White}}},
        TScanCase{"ExitLabelOfExistingGroup", "\t\tL1Exit:", {{2, 6, Lime}, {8, 1, White}}},
        TScanCase{"LabelOfDeletedGroup", "L2:", {{0, 2, Plain}, {2, 1, White}}},
        TScanCase{"ExitLabelOfDeletedGroup", "L2Exit", {{0, 6, Plain}}},
        TScanCase{"LabelOfGroupNeverMade", "L3", {{0, 2, Plain}}},
        TScanCase{"LabelWithLeadingZero", "L01", {{0, 3, Plain}}},
        TScanCase{"LowerCaseLabel", "l0", {{0, 2, Plain}}},
        TScanCase{"JumpToLabel", "goto L1;", {{0, 4, White}, {4, 1, Yellow}, {5, 2, Lime}, {7, 1, White}}},
        TScanCase{"CommentAfterBlank", "mes \"a\"; // note",
                  {{0, 3, White}, {3, 1, Yellow}, {4, 3, Red}, {7, 1, White}, {8, 1, Yellow},
                   {9, 7, Silver}}},
        TScanCase{"CommentRightAfterSemicolonIsPunctuation", "mes \"a\";// note",
                  {{0, 3, White}, {3, 1, Yellow}, {4, 3, Red}, {7, 3, White}, {10, 1, Yellow},
                   {11, 4, Plain}}},
        TScanCase{"WholeLineComment", "//===== eAthena Script ===", {{0, 26, Silver}}},
        TScanCase{"CommentKeepsTabsAndQuotes", "x //\t\"a\"", {{0, 1, Plain}, {1, 1, Yellow}, {2, 6, Silver}}},
        TScanCase{"LoneSlashIsPunctuation", "a / b",
                  {{0, 1, Plain}, {1, 1, Yellow}, {2, 1, White}, {3, 1, Yellow}, {4, 1, Plain}}},
        TScanCase{"SlashAtLineEnd", "a/", {{0, 1, Plain}, {1, 1, White}}},
        TScanCase{"UnderscoreStartsNoWord", "_word", {{0, 1, Yellow}, {1, 4, Plain}}},
        TScanCase{"UnderscoreInsideWord", "my_var2", {{0, 7, Plain}}},
        TScanCase{"DecimalNumber", "1.5", {{0, 1, Aqua}, {1, 1, White}, {2, 1, Aqua}}},
        TScanCase{"DigitsThenLetters", "12abc", {{0, 2, Aqua}, {2, 3, Plain}}},
        TScanCase{"UnterminatedString", "mes \"Hello;", {{0, 3, White}, {3, 1, Yellow}, {4, 7, Red}}},
        TScanCase{"DoubledQuotes", "mes \"say \"\"hi\"\" now\";",
                  {{0, 3, White}, {3, 1, Yellow}, {4, 16, Red}, {20, 1, White}}},
        TScanCase{"EmptyString", "\"\";", {{0, 2, Red}, {2, 1, White}}},
        TScanCase{"DoubledQuoteAtLineEnd", "\"a\"\"", {{0, 4, Red}}},
        TScanCase{"StringRightAfterWord", "mes\"x\"", {{0, 3, White}, {3, 3, Red}}},
        TScanCase{"PunctuationRun", "if(countitem(501)>=5)||{",
                  {{0, 2, White}, {2, 1, White}, {3, 9, Yellow}, {12, 1, White}, {13, 3, Aqua},
                   {16, 3, White}, {19, 1, Aqua}, {20, 4, White}}},
        TScanCase{"OtherCharacters", "'[x]'",
                  {{0, 1, Yellow}, {1, 1, Yellow}, {2, 1, Plain}, {3, 1, Yellow}, {4, 1, Yellow}}},
        TScanCase{"BytesAbove127", "caf\xE9 \xFF",
                  {{0, 3, Plain}, {3, 1, Yellow}, {4, 1, Yellow}, {5, 1, Yellow}}},
        TScanCase{"TabsBetweenTokensGetNoRange", "a\tb\r", {{0, 1, Plain}, {2, 1, Plain}}},
        TScanCase{"NPCLine", "prontera.gat,150,180,5\tscript\tGuide\t113,{",
                  {{0, 8, Plain}, {8, 1, White}, {9, 3, Plain}, {12, 1, White}, {13, 3, Aqua},
                   {16, 1, White}, {17, 3, Aqua}, {20, 1, White}, {21, 1, Aqua}, {23, 6, White},
                   {30, 5, Plain}, {36, 3, Aqua}, {39, 2, White}}},
        TScanCase{"MenuLine", "menu \"Buy\",L1,\"Leave\",-;",
                  {{0, 4, White}, {4, 1, Yellow}, {5, 5, Red}, {10, 1, White}, {11, 2, Lime},
                   {13, 1, White}, {14, 7, Red}, {21, 3, White}}}),
    [](const ::testing::TestParamInfo<TScanCase>& info) { return std::string(info.param.Name); });

TEST_F(HighlightTest, EveryKeywordIsWhiteInExactlyItsOwnSpelling)
{
    ASSERT_EQ(KeywordList.size(), 9u);
    const std::vector<std::string> expected{"if", "menu", "mes", "goto", "next", "close", "script", "shop", "set"};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(KeywordList[i], expected[i]);
        EXPECT_TRUE(IsKeyword(expected[i]));
        const int length = static_cast<int>(expected[i].size());
        EXPECT_EQ(ScanLine(expected[i]), (std::vector<TColourRange>{{0, length, White}})) << expected[i];
    }
    EXPECT_FALSE(IsKeyword("Set"));
    EXPECT_FALSE(IsKeyword(""));
}

TEST_F(HighlightTest, ALabelTurnsLimeOnceItsGroupExistsAndPlainWhenItGoes)
{
    const std::string line = "goto L4;";
    const TColourRange plainLabel{5, 2, Plain};
    const TColourRange limeLabel{5, 2, Lime};
    EXPECT_EQ(ScanLine(line, ProjectWords())[2], plainLabel);

    // Groups 2 and 3 were numbered already; the next group is 4.
    ASSERT_EQ(Project().NextGroupNumber, 3);
    AddGroup(Project().TaskTree.GetFirstNode(), "Three");
    TTaskNode* four = AddGroup(Project().TaskTree.GetFirstNode(), "Four");
    EXPECT_EQ(ScanLine(line, ProjectWords())[2], limeLabel);

    Project().TaskTree.Delete(four);
    EXPECT_EQ(ScanLine(line, ProjectWords())[2], plainLabel);
}

// A group under its author's label name is written, and linked, by that name; its exit label
// keeps its number.
TEST_F(HighlightTest, AGroupsAuthorLabelNameIsLimeInPlaceOfItsNumber)
{
    TTaskNode* node = AddGroup(Project().TaskTree.GetFirstNode(), "Shop");
    auto* group = static_cast<TGroupTask*>(node->Data());
    const std::string number = "L" + std::to_string(group->GroupNumber);
    group->LabelName = "L_Shop";
    const struct {
        std::string Line;
        std::optional<TRgb> Colour;
    } cases[] = {
        {"callsub L_Shop;", Lime},
        {"goto L_Shop;", Lime},
        {"menu \"a\",L_Shop;", Lime},
        {"goto " + number + ";", Plain},
        {"goto " + number + "Exit;", Lime},
        {"goto L_Other;", Plain},
    };
    const TWordLookup words = ProjectWords();
    for (const auto& c : cases) {
        const std::vector<TColourRange> ranges = ScanLine(c.Line, words);
        const auto label = std::find_if(ranges.begin(), ranges.end(),
                                        [&](const TColourRange& r) { return c.Line[r.Start] == 'L'; });
        ASSERT_NE(label, ranges.end()) << c.Line;
        EXPECT_EQ(label->Colour, c.Colour) << c.Line;
    }
    // The lookup of the same project without the name tells the label's lines to be coloured again.
    group->LabelName.clear();
    const std::vector<std::string> changed = words.WordsColouredOtherwise(ProjectWords());
    EXPECT_NE(std::find(changed.begin(), changed.end(), "L_Shop"), changed.end());
    EXPECT_NE(std::find(changed.begin(), changed.end(), number), changed.end());
}

TEST_F(HighlightTest, WordsTheCataloguesDoNotHoldArePlain)
{
    // A word that is neither a script variable nor an action's command is an ordinary word, even
    // one letter away from them; keywords need no catalogue.
    EXPECT_EQ(ScanLine("Zenny getitems mes"),
              (std::vector<TColourRange>{{0, 5, Plain}, {5, 1, Yellow}, {6, 8, Plain}, {14, 1, Yellow},
                                         {15, 3, White}}));
}

// ---- Colour codes in message lines ------------------------------------------------------------

struct ColourCodeCase {
    const char* Name;
    std::string Message;
    std::vector<TColouredText> Runs;
};

class ColourCodeTest : public ::testing::TestWithParam<ColourCodeCase> {};

TEST_P(ColourCodeTest, SplitsTheMessageIntoRunsOfOneColour)
{
    EXPECT_EQ(SplitColourCodes(GetParam().Message), GetParam().Runs);
}

const std::optional<TRgb> Default;
INSTANTIATE_TEST_SUITE_P(
    Messages, ColourCodeTest,
    ::testing::Values(
        ColourCodeCase{"NoCode", "Hello.", {{"Hello.", Default}}},
        ColourCodeCase{"CodeInTheMiddle", "Hi ^FF0000friend^000000!",
                       {{"Hi ", Default}, {"friend", TRgb{255, 0, 0}}, {"!", TRgb{0, 0, 0}}}},
        ColourCodeCase{"LowerCaseHex", "^00ff80go", {{"go", TRgb{0, 255, 128}}}},
        ColourCodeCase{"LastOfTwoCodesInARowWins", "^FF0000^0000FFblue", {{"blue", TRgb{0, 0, 255}}}},
        ColourCodeCase{"CodeAtTheEndShowsNothing", "end^123456", {{"end", Default}}},
        ColourCodeCase{"NotHexIsText", "^GG0000x", {{"^GG0000x", Default}}},
        ColourCodeCase{"TooShortIsText", "a^12345", {{"a^12345", Default}}},
        ColourCodeCase{"Empty", "", {}}),
    [](const ::testing::TestParamInfo<ColourCodeCase>& info) { return std::string(info.param.Name); });

} // namespace

namespace {

// "/* ... */" comments, which the server skips wherever they stand, on one line and over several:
// each line is scanned with what the line before it left open.
struct TBlockCommentCase {
    const char* Name;
    std::vector<std::string> Lines;
    std::vector<std::vector<TColourRange>> Expected;
};

class BlockCommentTable : public HighlightTest, public ::testing::WithParamInterface<TBlockCommentCase> {};

TEST_P(BlockCommentTable, ColoursTheCommentAndNothingElse)
{
    bool open = false;
    for (std::size_t i = 0; i < GetParam().Lines.size(); ++i)
        EXPECT_EQ(ScanLine(GetParam().Lines[i], TWordLookup::FromCatalogues(), open), GetParam().Expected[i])
            << "line " << i;
    EXPECT_FALSE(open);
}

INSTANTIATE_TEST_SUITE_P(
    Comments, BlockCommentTable,
    ::testing::Values(
        TBlockCommentCase{"OnOneLine", {"end; /* x */ end;"},
                          {{{0, 3, Plain}, {3, 1, White}, {4, 1, Yellow}, {5, 7, Silver}, {12, 1, Yellow},
                            {13, 3, Plain}, {16, 1, White}}}},
        TBlockCommentCase{"OverThreeLines",
                          {"mes \"a\"; /* start", "mes \"b\";", "end */ close;"},
                          {{{0, 3, White}, {3, 1, Yellow}, {4, 3, Red}, {7, 1, White}, {8, 1, Yellow}, {9, 8, Silver}},
                           {{0, 8, Silver}},
                           {{0, 6, Silver}, {6, 1, Yellow}, {7, 5, White}, {12, 1, White}}}},
        TBlockCommentCase{"EmptyLineInside", {"/*", "", "*/"}, {{{0, 2, Silver}}, {}, {{0, 2, Silver}}}}),
    TNameOfRow{});

}  // namespace
