// The item catalogue: item_db.txt lines, the loader, and the server's real item database.

#include "CatalogueTestSupport.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

// The fields an item keeps, in a form gtest can compare and print.
using ItemFacts = std::tuple<std::int32_t, std::string, std::int32_t, std::int32_t, std::int32_t,
                             std::int32_t, std::int32_t>;  // ID, Name, Price, Weight, ATK, DEF, Slots

ItemFacts Facts(const TItem& item)
{
    return {item.ID, item.Name, item.Price, item.Weight, item.ATK, item.DEF, item.Slots};
}

struct ItemLineCase {
    const char* What;
    std::string Line;
    std::optional<ItemFacts> Expected;  // nothing: skipped or not catalogued
};

void PrintTo(const ItemLineCase& c, std::ostream* os)
{
    *os << c.What;
}

class ItemLine : public ::testing::TestWithParam<ItemLineCase> {};

TEST_P(ItemLine, GivesTheItemOrNothing)
{
    const ItemLineCase& c = GetParam();
    const std::optional<TItem> item = ParseItemLine(c.Line);
    ASSERT_EQ(item.has_value(), c.Expected.has_value()) << c.What;
    if (item) {
        EXPECT_EQ(Facts(*item), *c.Expected) << c.What;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Catalogues, ItemLine,
    ::testing::Values(
        ItemLineCase{"potion",
                     "501,Red_Potion,Red Potion,0,50,,70,,,,,0xFFFFFFFF,7,2,,,,,,"
                     "{ itemheal rand(45,65),0; },{},{}",
                     ItemFacts{501, "Red Potion", 50, 70, 0, 0, 0}},
        ItemLineCase{"weapon with slots",
                     "1101,Sword,Sword,4,100,,500,25,,1,3,0x000654E3,7,2,2,1,2,1,2,{},{},{}",
                     ItemFacts{1101, "Sword", 100, 500, 25, 0, 3}},
        ItemLineCase{"shield", "2101,Guard,Guard,5,500,,300,,3,,0,0xFFFFFFFF,7,2,32,,0,1,1,{},{},{}",
                     ItemFacts{2101, "Guard", 500, 300, 0, 3, 0}},
        ItemLineCase{"apostrophe", "528,Monster's_Feed,Monster's Feed,0,60,,150,,,,,0xFFFFFFFF,7,2",
                     ItemFacts{528, "Monster's Feed", 60, 150, 0, 0, 0}},
        ItemLineCase{"Iron Key is catalogued", "7201,Iron_Key,Iron Key,3,10,,10",
                     ItemFacts{7201, "Iron Key", 10, 10, 0, 0, 0}},
        ItemLineCase{"Iron_Key is not", "7201,Iron_Key,Iron_Key,3,10,,10", std::nullopt},
        ItemLineCase{"dot in the name", "5012,Ph.D_Hat,Ph.D Hat,5,20,,200,,3,,0", std::nullopt},
        ItemLineCase{"plus in the name", "4700,Strength1,STR+1,6,20,,10", std::nullopt},
        ItemLineCase{"byte above 127", "900,Cafe,Caf\xE9,3,10,,10", std::nullopt},
        ItemLineCase{"ID 0", "0,Nothing,Nothing,3,10,,10", std::nullopt},
        ItemLineCase{"ID not a number", "x501,Red_Potion,Red Potion,0,50,,70", std::nullopt},
        ItemLineCase{"comment", "//501,Red_Potion,Red Potion,0,50,,70", std::nullopt},
        ItemLineCase{"single slash", "/501,Red_Potion,Red Potion,0,50,,70", std::nullopt},
        ItemLineCase{"empty line", "", std::nullopt},
        ItemLineCase{"a line starting with a blank is parsed", " 501,Red_Potion,Red Potion,0,50,,70",
                     ItemFacts{501, "Red Potion", 50, 70, 0, 0, 0}},
        ItemLineCase{"a blank line is parsed and rejected", " ", std::nullopt},
        ItemLineCase{"name kept untrimmed", "512,Apple, Apple ,0,15,,20",
                     ItemFacts{512, " Apple ", 15, 20, 0, 0, 0}},
        ItemLineCase{"empty name", "512,Apple,,0,15,,20", ItemFacts{512, "", 15, 20, 0, 0, 0}},
        ItemLineCase{"numbers that are not numbers read 0", "512,Apple,Apple,0,cheap,,1.5,x,y,,two",
                     ItemFacts{512, "Apple", 0, 0, 0, 0, 0}},
        ItemLineCase{"negative numbers", "512,Apple,Apple,0,-15,,-20,-1,-2,,-3",
                     ItemFacts{512, "Apple", -15, -20, -1, -2, -3}},
        ItemLineCase{"eleven fields without a trailing comma", "1,A,Apple,0,5,,6,7,8,,9",
                     ItemFacts{1, "Apple", 5, 6, 7, 8, 9}},
        ItemLineCase{"fields after the eleventh are not read", "1,A,Apple,0,5,,6,7,8,,9,10,11,12",
                     ItemFacts{1, "Apple", 5, 6, 7, 8, 9}},
        ItemLineCase{"eleventh field ends at its comma", "1,A,Apple,0,5,,6,7,8,,9x,10",
                     ItemFacts{1, "Apple", 5, 6, 7, 8, 0}},
        ItemLineCase{"short line: missing fields are empty", "501,Red_Potion,Red Potion,0,50",
                     ItemFacts{501, "Red Potion", 50, 0, 0, 0, 0}},
        ItemLineCase{"ID and name only", "501,Red_Potion,Red Potion",
                     ItemFacts{501, "Red Potion", 0, 0, 0, 0, 0}},
        ItemLineCase{"ID only", "501", ItemFacts{501, "", 0, 0, 0, 0, 0}},
        ItemLineCase{"commas only", ",,,,,,,,,,", std::nullopt}),
    [](const auto& info) { return ReadableName(info.param.What); });

// The database's own name (field 2) and the item type (field 4), which the play-test looks items
// up by and stacks them by.
struct ItemNameCase {
    const char* What;
    std::string Line;
    const char* DbName;
    std::int32_t Type;
};

class ItemDbNameAndType : public ::testing::TestWithParam<ItemNameCase> {};

TEST_P(ItemDbNameAndType, AreKept)
{
    const std::optional<TItem> item = ParseItemLine(GetParam().Line);
    ASSERT_TRUE(item) << GetParam().What;
    EXPECT_EQ(item->DbName, GetParam().DbName);
    EXPECT_EQ(item->Type, GetParam().Type);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogues, ItemDbNameAndType,
    ::testing::Values(ItemNameCase{"potion", "501,Red_Potion,Red Potion,0,50,,70", "Red_Potion", 0},
                      ItemNameCase{"weapon", "1101,Sword,Sword,4,100,,500,25,,1,3", "Sword", 4},
                      ItemNameCase{"pet egg", "9001,Poring_Egg,Poring Egg,7,20,,0", "Poring_Egg", 7},
                      ItemNameCase{"database name not plain", "5012,Ph.D_Hat,PhD Hat,5,20,,200", "Ph.D_Hat", 5},
                      ItemNameCase{"type missing", "501,Red_Potion,Red Potion", "Red_Potion", 0},
                      ItemNameCase{"type not a number", "501,Red_Potion,Red Potion,x,50", "Red_Potion", 0}),
    [](const auto& info) { return ReadableName(info.param.What); });

TEST(ItemLineBounds, NothingPastTheEndOfTheLineIsRead)
{
    // The line is the first part of a longer buffer: what follows it must not leak into it.
    const std::string buffer = "501,Red_Potion,Red Potion,0,50,,70,10,20,,4";
    for (std::size_t length : {std::size_t{3}, std::size_t{25}, std::size_t{30}, std::size_t{31}}) {
        const std::string_view line(buffer.data(), length);
        const std::optional<TItem> item = ParseItemLine(line);
        if (length == 3) {
            ASSERT_TRUE(item);
            EXPECT_EQ(Facts(*item), (ItemFacts{501, "", 0, 0, 0, 0, 0}));
            continue;
        }
        ASSERT_TRUE(item) << length;
        EXPECT_EQ(item->Name, "Red Potion") << length;
        EXPECT_EQ(item->Price, length >= 30 ? 50 : 0) << length;
        EXPECT_EQ(item->Weight, 0) << length;
        EXPECT_EQ(item->Slots, 0) << length;
    }
}

TEST(ItemCaption, ShowsSlotsWhenThereAreAny)
{
    TItem item;
    item.Name = "Sword";
    EXPECT_EQ(ItemCaption(item), "Sword");
    item.Slots = 3;
    EXPECT_EQ(ItemCaption(item), "Sword [3]");
    item.Slots = -1;  // printed unsigned, as the picker always has
    EXPECT_EQ(ItemCaption(item), "Sword [4294967295]");
}

const std::string SmallItemDb =
    "// Items Database\n"
    "//\n"
    "501,Red_Potion,Red Potion,0,50,,70,,,,,0xFFFFFFFF,7,2\n"
    "\n"
    "//502,Orange_Potion,Orange Potion,0,200,,100\n"
    "0,Nothing,Nothing,0,1,,1\n"
    "7201,Iron_Key,Iron_Key,3,10,,10\n"
    "1101,Sword,Sword,4,100,,500,25,,1,3,0x000654E3,7,2\n"
    "512,Apple,Apple\n";

TEST_F(CatalogueTest, LoadItemsKeepsAcceptedItemsInFileOrder)
{
    WriteFile("item_db.txt", SmallItemDb);
    Catalogues.LoadItems(Dir.Path());
    ASSERT_EQ(Catalogues.Items.size(), 3u);
    EXPECT_EQ(Facts(*Catalogues.Items[0]), (ItemFacts{501, "Red Potion", 50, 70, 0, 0, 0}));
    EXPECT_EQ(Facts(*Catalogues.Items[1]), (ItemFacts{1101, "Sword", 100, 500, 25, 0, 3}));
    EXPECT_EQ(Facts(*Catalogues.Items[2]), (ItemFacts{512, "Apple", 0, 0, 0, 0, 0}));
}

TEST_F(CatalogueTest, LoadItemsReadsCrLfLikeLf)
{
    WriteFile("item_db.txt", SmallItemDb);
    Catalogues.LoadItems(Dir.Path());
    std::vector<ItemFacts> lf;
    for (const auto& item : Catalogues.Items)
        lf.push_back(Facts(*item));

    Catalogues.Clear();
    WriteFile("item_db.txt", WithCrLf(SmallItemDb));
    Catalogues.LoadItems(Dir.Path());
    std::vector<ItemFacts> crlf;
    for (const auto& item : Catalogues.Items)
        crlf.push_back(Facts(*item));
    EXPECT_EQ(crlf, lf);
}

TEST_F(CatalogueTest, MissingItemDbIsAnErrorNamingTheFile)
{
    try {
        Catalogues.LoadItems(Dir.Path());
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(std::string(error.what()), (Dir / "item_db.txt").string() + ": File not found");
    }
    EXPECT_TRUE(Catalogues.Items.empty());
}

TEST_F(CatalogueTest, UnreadableItemDbIsAnErrorWithThePlatformsReason)
{
    std::filesystem::create_directory(Dir / "item_db.txt");  // a folder where the file should be
    try {
        Catalogues.LoadItems(Dir.Path());
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        const std::string prefix = (Dir / "item_db.txt").string() + ": ";
        const std::string message = error.what();
        EXPECT_EQ(message.substr(0, prefix.size()), prefix);
        EXPECT_GT(message.size(), prefix.size()) << "no reason given";
    }
}

// --- The server's real item database ----------------------------------------------------------

// What the catalogue should make of one record line, worked out without ParseItemLine: split at
// every comma with std::getline, then apply the catalogue's rules to the pieces.
std::optional<ItemFacts> ExpectedItem(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');)
        fields.push_back(field);
    fields.resize(std::max<std::size_t>(fields.size(), 11));
    const auto number = [](const std::string& text) -> std::int32_t {
        if (text.empty() || text.size() > 9 ||
            text.find_first_not_of("0123456789") != std::string::npos)
            return 0;
        return std::stoi(text);
    };
    const std::string& name = fields[2];
    const std::string allowed = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 '-";
    if (name.find_first_not_of(allowed) != std::string::npos)
        return std::nullopt;
    const std::int32_t id = number(fields[0]);
    if (id == 0)
        return std::nullopt;
    return ItemFacts{id, name, number(fields[4]), number(fields[6]), number(fields[7]),
                     number(fields[8]), number(fields[10])};
}

TEST(ItemLineFields, AgreeWithAPlainSplitForEveryLengthAndCut)
{
    // Lines whose eleventh comma lies before, at and well after the 64th character, with plain
    // and other names, each cut short at every position, against the plain split.
    for (std::size_t nameLength : {0, 5, 15, 16, 30, 40, 47, 48, 49, 60, 90}) {
        for (const char odd : {'N', '_', '\xE9'}) {
            std::string name(nameLength, 'N');
            if (nameLength > 0)
                name[nameLength / 2] = odd;
            const std::string line = "1234," + std::string(nameLength % 7, 'a') + "," + name +
                                     ",4,56789,,1200,77,8,1,4,0xFFFFFFFF,7,2,,{ bonus bStr,1; }";
            for (std::size_t cut = 0; cut <= line.size(); ++cut) {
                const std::string piece = line.substr(0, cut);
                const std::optional<TItem> item = ParseItemLine(piece);
                const std::optional<ItemFacts> expected = ExpectedItem(piece);
                ASSERT_EQ(item.has_value(), expected.has_value()) << piece;
                if (item) {
                    ASSERT_EQ(Facts(*item), *expected) << piece;
                }
            }
        }
    }
}

TEST(ItemLineFields, EveryByteValueInANameDecidesAsIsPlainName)
{
    // Short names are checked together with the characters after them in the line; only the
    // name's own characters may count.
    for (std::size_t length : {1, 7, 15, 16, 20}) {
        for (std::size_t position : {std::size_t{0}, length - 1}) {
            for (int c = 0; c < 256; ++c) {
                if (c == ',')
                    continue;  // a comma would end the name
                std::string name(length, 'k');
                name[position] = static_cast<char>(c);
                const std::string line = "501,Aegis," + name + ",0,50,,70,,,,,0xFFFFFFFF,7,2,_~!";
                ASSERT_EQ(ParseItemLine(line).has_value(), IsPlainName(name))
                    << "byte " << c << " at " << position << " of " << length;
            }
        }
    }
}

TEST_F(CatalogueTest, RealItemDatabaseIsReadByTheRules)
{
    SKIP_WITHOUT_SHARED_DATA(dataDir);
    std::ifstream in(dataDir / "item_db.txt", std::ios::binary);
    ASSERT_TRUE(in);
    std::vector<ItemFacts> expected;
    int records = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '/')
            continue;
        ++records;
        if (std::optional<ItemFacts> item = ExpectedItem(line))
            expected.push_back(*item);
    }

    Catalogues.LoadItems(dataDir);
    std::vector<ItemFacts> actual;
    for (const auto& item : Catalogues.Items)
        actual.push_back(Facts(*item));
    EXPECT_EQ(actual, expected);

    // Facts of the file itself, so that a rule applied wrongly on both sides still shows.
    EXPECT_EQ(records, 6214);
    EXPECT_GT(actual.size(), 6000u);
    EXPECT_LT(actual.size(), 6214u);
    const auto has = [&](std::int32_t id) {
        return std::any_of(Catalogues.Items.begin(), Catalogues.Items.end(),
                           [id](const auto& item) { return item->ID == id; });
    };
    EXPECT_TRUE(has(501));
    EXPECT_TRUE(has(1101));
    EXPECT_FALSE(has(5578));   // Voyage_Hat
    EXPECT_FALSE(has(4700));   // STR+1
    EXPECT_FALSE(has(5012));   // Ph.D Hat
    EXPECT_FALSE(has(13278));  // HP_Increase Potion(Small) Throw
    EXPECT_FALSE(has(542));    // commented out
}

}  // namespace
