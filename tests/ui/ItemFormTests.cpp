// The item picker on its own: the table, its order and its buttons.
#include "EditorTestSupport.h"

#include "ui/Form_Items.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace editortest;

namespace {

class ItemFormTest : public ::testing::Test {
protected:
    void SetUp() override { SetUpEditorCatalogues(); }
    void TearDown() override
    {
        delete Picker.data();
        ProcessDeletions();
    }

    TItemForm* Open()
    {
        Picker = new TItemForm((*TestServers()).For(DefaultTarget), Document().Encoding());
        Picker->OnDone = [this](TItemForm* picker, bool cancelled) {
            ++Calls;
            Cancelled = cancelled;
            Picked = picker->SelectedItem();
        };
        Picker->show();
        return Picker;
    }

    QTableView* View() const { return Picker->findChild<QTableView*>("ItemView"); }
    QLineEdit* Filter() const { return Picker->findChild<QLineEdit*>("FilterEdit"); }

    QPushButton* Button(const char* name) const { return Picker->findChild<QPushButton*>(name); }

    std::vector<QString> Column(int column) const
    {
        std::vector<QString> texts;
        for (int row = 0; row < View()->model()->rowCount(); ++row)
            texts.push_back(View()->model()->index(row, column).data().toString());
        return texts;
    }

    QPointer<TItemForm> Picker;
    int Calls = 0;
    bool Cancelled = false;
    const TItem* Picked = nullptr;
};

TEST_F(ItemFormTest, RowsAreSortedByNameWithSlotsInBrackets)
{
    AddItem(909, "apple");
    Open();
    EXPECT_EQ(Picker->windowTitle(), "Items");
    EXPECT_EQ(Column(0), (std::vector<QString>{"apple", "Buckler [2]", "Knife [3]", "Red Potion"}));
    EXPECT_EQ(Column(1), (std::vector<QString>{"909", "2104", "1201", "501"}));
    ASSERT_EQ(View()->model()->columnCount(), 6);
    std::vector<QString> headers;
    for (int column = 0; column < 6; ++column)
        headers.push_back(View()->model()->headerData(column, Qt::Horizontal).toString());
    EXPECT_EQ(headers, (std::vector<QString>{"Name", "ID", "Price", "Weight", "ATK", "DEF"}));
    EXPECT_EQ(View()->selectionModel()->selectedRows().value(0).row(), 0);
}

// The arrow keys in the filter move through the table while the filter keeps the focus.
TEST_F(ItemFormTest, DownAndUpInTheFilterMoveTheSelectedRow)
{
    Open();
    Filter()->setFocus();
    const auto selectedRow = [this] { return View()->selectionModel()->selectedRows().value(0).row(); };
    ASSERT_EQ(selectedRow(), 0);
    QTest::keyClick(Filter(), Qt::Key_Down);
    QTest::keyClick(Filter(), Qt::Key_Down);
    EXPECT_EQ(selectedRow(), 2);
    QTest::keyClick(Filter(), Qt::Key_Up);
    EXPECT_EQ(selectedRow(), 1);
    QTest::keyClick(Filter(), Qt::Key_Return);
    ASSERT_NE(Picked, nullptr);
    EXPECT_EQ(Picked->Name, "Knife");
}

TEST_F(ItemFormTest, ADoubleClickPicksTheRow)
{
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(View()));
    QCoreApplication::processEvents();
    const QRect cell = View()->visualRect(View()->model()->index(2, 0));
    // The first click makes the window the active one, as a user's would.
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(Calls, 1);
    EXPECT_FALSE(Cancelled);
    ASSERT_NE(Picked, nullptr);
    EXPECT_EQ(Picked->Name, "Red Potion");
}

TEST_F(ItemFormTest, SelectItemIDSelectsItsRowAndAnUnknownIDKeepsTheFirst)
{
    Open();
    Picker->SelectItemID(1201);
    EXPECT_EQ(View()->selectionModel()->selectedRows().value(0).row(), 1);
    Picker->SelectItemID(99999);
    EXPECT_EQ(View()->selectionModel()->selectedRows().value(0).row(), 1);
}

TEST_F(ItemFormTest, NumbersArePrintedAsUnsigned)
{
    TestCatalogues().Items.clear();
    TItem* item = const_cast<TItem*>(AddItem(-1, "Odd", 0, -2));
    item->Weight = 10;
    item->ATK = -3;
    item->DEF = 7;
    Open();
    std::vector<QString> row;
    for (int column = 0; column < 6; ++column)
        row.push_back(View()->model()->index(0, column).data().toString());
    EXPECT_EQ(row, (std::vector<QString>{"Odd", "4294967295", "4294967294", "10", "4294967293", "7"}));
}

TEST_F(ItemFormTest, ClickingAHeaderDoesNotReorderTheRows)
{
    Open();
    const auto before = Column(0);
    QHeaderView* header = View()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(Column(0), before);
}

TEST_F(ItemFormTest, ApplyWithoutASelectedRowIsDisabled)
{
    Open();
    View()->clearSelection();
    EXPECT_FALSE(Button("ApplyButton")->isEnabled());
    Click(Button("ApplyButton"));
    EXPECT_EQ(Calls, 0);
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {},
                      View()->visualRect(View()->model()->index(2, 3)).center());
    ASSERT_TRUE(Button("ApplyButton")->isEnabled());
    Click(Button("ApplyButton"));
    EXPECT_EQ(Calls, 1);
    EXPECT_FALSE(Cancelled);
    ASSERT_NE(Picked, nullptr);
    EXPECT_EQ(Picked->Name, "Red Potion");
}

TEST_F(ItemFormTest, AnEmptyCatalogueGivesAnEmptyTable)
{
    TestCatalogues().Items.clear();
    Open();
    EXPECT_EQ(View()->model()->rowCount(), 0);
    EXPECT_FALSE(Button("ApplyButton")->isEnabled());
    Click(Button("CancelButton"));
    EXPECT_EQ(Calls, 1);
    EXPECT_TRUE(Cancelled);
    EXPECT_EQ(Picked, nullptr);
}

TEST_F(ItemFormTest, TheCloseBoxOnlyMinimises)
{
    Open();
    Picker->close();
    ProcessDeletions();
    ASSERT_FALSE(Picker.isNull());
    EXPECT_EQ(Calls, 0);
    EXPECT_TRUE(Picker->isMinimized());
}

// ---- Column widths and the filter -------------------------------------------------------------

TEST_F(ItemFormTest, TheNameColumnIsWideEnoughForTheLongestName)
{
    const std::string longName = "Orleans's Gown of the Very Long Name That Goes On and On";
    AddItem(2357, longName, 4);
    Open();
    QCoreApplication::processEvents();
    QHeaderView* header = View()->horizontalHeader();
    const QFontMetrics metrics = View()->fontMetrics();
    EXPECT_GT(header->sectionSize(0), metrics.horizontalAdvance(QString::fromStdString(longName + " [4]")));
    for (int column = 1; column < 6; ++column)
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << "header " << column << " cut off";
}

struct TFilterCase {
    const char* Name;
    const char* Typed;
    std::vector<QString> Rows;
};

class ItemFilterTest : public ItemFormTest, public ::testing::WithParamInterface<TFilterCase> {};

TEST_P(ItemFilterTest, NarrowsTheRowsByNameOrIDInTheirOrder)
{
    AddItem(2105, "Guard");
    Open();
    QTest::keyClicks(Filter(), QString::fromLatin1(GetParam().Typed));
    EXPECT_EQ(Column(0), GetParam().Rows);
    EXPECT_EQ(Button("ApplyButton")->isEnabled(), !GetParam().Rows.empty()) << "the first row is selected";
}

INSTANTIATE_TEST_SUITE_P(
    Typed, ItemFilterTest,
    ::testing::Values(TFilterCase{"NamePartInAnyCase", "POT", {"Red Potion"}},
                      TFilterCase{"IDStart", "21", {"Buckler [2]", "Guard"}},
                      TFilterCase{"NameOrID", "1", {"Knife [3]"}},
                      TFilterCase{"NothingMatches", "zzz", {}},
                      TFilterCase{"BlanksAreNoFilter", "  ", {"Buckler [2]", "Guard", "Knife [3]", "Red Potion"}}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TKeyCase {
    const char* Name;
    Qt::Key Key;
    bool InFilter;  // else in the table
    bool Cancelled;
};

class ItemKeyTest : public ItemFormTest, public ::testing::WithParamInterface<TKeyCase> {};

// Enter picks the selected item and Escape cancels, from the filter as from the table.
TEST_P(ItemKeyTest, EnterPicksAndEscapeCancels)
{
    Open();
    QWidget* target = GetParam().InFilter ? static_cast<QWidget*>(Filter()) : View();
    target->setFocus();
    QTest::keyClick(target, GetParam().Key);
    EXPECT_EQ(Calls, 1);
    EXPECT_EQ(Cancelled, GetParam().Cancelled);
    if (GetParam().Cancelled)
        EXPECT_EQ(Picked, nullptr);
    else
        ASSERT_NE(Picked, nullptr) << "the first row is picked";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ItemKeyTest,
    ::testing::Values(TKeyCase{"EnterInTheFilter", Qt::Key_Return, true, false},
                      TKeyCase{"EnterInTheTable", Qt::Key_Enter, false, false},
                      TKeyCase{"EscapeInTheFilter", Qt::Key_Escape, true, true},
                      TKeyCase{"EscapeInTheTable", Qt::Key_Escape, false, true}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
