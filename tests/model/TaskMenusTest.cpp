// Menu tasks: the menu line, the entry list and the menu record.

#include "TaskFixture.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

class MenuTest : public TaskTest {};

using Entries = std::vector<std::pair<std::string, std::int32_t>>;

struct MenuLineRow {
    const char* Name;
    Entries Choices;
    const char* Line;
};

class MenuLineTest : public TaskTest, public ::testing::WithParamInterface<MenuLineRow> {};

TEST_P(MenuLineTest, WritesOneMenuLine)
{
    EXPECT_THAT(LinesOf(*MakeMenu(GetParam().Choices)), ElementsAre(std::string("\t\t") + GetParam().Line));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, MenuLineTest,
    ::testing::Values(MenuLineRow{"ThreeChoices", {{"Buy", 2}, {"Sell", 3}, {"Cancel", 4}},
                              "menu \"Buy\", L2, \"Sell\", L3, \"Cancel\", L4;"},
                      MenuLineRow{"OneChoice", {{"Yes", 1}}, "menu \"Yes\", L1;"},
                      MenuLineRow{"BackToStart", {{"Go back", 0}}, "menu \"Go back\", L0;"},
                      MenuLineRow{"CommasAndBlanksUnchanged", {{" Buy, sell ", 5}}, "menu \" Buy, sell \", L5;"},
                      MenuLineRow{"QuoteNotEscaped", {{"Say \"hi\"", 1}}, "menu \"Say \"hi\"\", L1;"},
                      MenuLineRow{"DeletedGroupKeepsItsNumber", {{"Lost", 42}}, "menu \"Lost\", L42;"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(MenuTest, UserNamedMenuWritesItsCommentFirst)
{
    auto menu = MakeMenu({{"Yes", 1}});
    menu->Rename("Ask");
    EXPECT_THAT(LinesOf(*menu), ElementsAre("\t\t// Ask //", "\t\tmenu \"Yes\", L1;"));
}

// "menu ;" would stop the server's parser; the editor never applies an empty menu, but a file may
// hold one.
TEST_F(MenuTest, EmptyMenuWritesNothing)
{
    const TMenuTask menu("Menu: ");
    EXPECT_TRUE(LinesOf(menu).empty());
    EXPECT_EQ(menu.EntryAt(0), nullptr);
    EXPECT_EQ(menu.SummaryText(), "");
}

TEST_F(MenuTest, EntryAtPastTheEndGivesTheLastEntry)
{
    const auto menu = MakeMenu({{"Buy", 2}, {"Sell", 3}});
    EXPECT_EQ(menu->EntryAt(0)->Text, "Buy");
    EXPECT_EQ(menu->EntryAt(5)->Text, "Sell");
}

TEST_F(MenuTest, SummaryIsTheTreeTextWithoutItsPrefix)
{
    EXPECT_EQ(MakeMenu({{"Buy", 2}, {"Sell", 3}, {"Cancel", 4}})->Caption, "Menu: Buy, Sell, Cancel");
}

TEST_F(MenuTest, RemoveEntryAndAssignCopyEntriesInOrder)
{
    auto source = MakeMenu({{"Buy", 2}, {"Sell", 3}, {"Cancel", 4}});
    source->RemoveEntry(source->EntryAt(1));
    source->Rename("Shop menu");
    TMenuTask target;
    target.AddEntry(std::make_unique<TDMenu>("Old", 9));
    target.Assign(*source);
    EXPECT_EQ(target.Caption, "Shop menu");
    EXPECT_EQ(target.UserNamed, 0);
    ASSERT_EQ(target.EntryCount(), 2);
    EXPECT_EQ(target.EntryAt(0)->Text, "Buy");
    EXPECT_EQ(target.EntryAt(1)->Target, 4);
    EXPECT_NE(target.EntryAt(0), source->EntryAt(0));
}

TEST_F(MenuTest, RecordOfBuySellIsByteExact)
{
    const auto menu = MakeMenu({{"Buy", 2}, {"Sell", 3}});
    ASSERT_EQ(menu->Caption, "Menu: Buy, Sell");
    const std::string expected = Bytes({0x00, 0x0F, 0, 0, 0}) + "Menu: Buy, Sell" + Bytes({0x02, 0, 0, 0}) +
                                 Bytes({0x02, 0, 0, 0, 0x03, 0, 0, 0}) + "Buy" + Bytes({0x03, 0, 0, 0, 0x04, 0, 0, 0}) +
                                 "Sell";
    EXPECT_EQ(RecordOf(*menu), expected);
    const auto loaded = TaskFromRecord<TMenuTask>(expected);
    ASSERT_EQ(loaded->EntryCount(), 2);
    EXPECT_EQ(loaded->EntryAt(0)->Target, 2);
    EXPECT_EQ(loaded->EntryAt(1)->Text, "Sell");
}

TEST_F(MenuTest, EntryTextsSurviveByteForByte)
{
    std::string every;
    for (int byte = 1; byte <= 255; ++byte)
        every.push_back(static_cast<char>(byte));
    const auto menu = MakeMenu({{every, -7}, {"", 0}, {"  edges  ", 2147483647}});
    const auto loaded = TaskFromRecord<TMenuTask>(RecordOf(*menu));
    ASSERT_EQ(loaded->EntryCount(), 3);
    EXPECT_EQ(loaded->EntryAt(0)->Text, every);
    EXPECT_EQ(loaded->EntryAt(0)->Target, -7);
    EXPECT_EQ(loaded->EntryAt(1)->Text, "");
    EXPECT_EQ(loaded->EntryAt(2)->Text, "  edges  ");
}

TEST_F(MenuTest, EmptyMenuRecordLoads)
{
    const auto loaded = TaskFromRecord<TMenuTask>(Bytes({0}) + Str("Menu: ") + Int32(0));
    EXPECT_EQ(loaded->EntryCount(), 0);
}

TEST_F(MenuTest, BadEntryCountsFailAtOnce)
{
    for (const std::int32_t count : {-1, 2, 2147483647}) {
        TMenuTask menu;
        TFileReader file("bad.NPC", Bytes({0}) + Str("") + Int32(count) + Int32(1) + Str(""));
        EXPECT_THROW(menu.LoadFromFile(file), EInOutError) << "count " << count;
    }
}

}  // namespace
