// The NPC information window and the sprite browser, driven through their controls.
#include "FrameTestSupport.h"
#include "DocumentSupport.h"

#include "model/ProjectFile.h"
#include "ui/Form_NPC.h"
#include "ui/Form_NPCBrowser.h"
#include "ui/SpinField.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include "script/ServerRules.h"

#include <algorithm>

using namespace frametest;

namespace {

class NPCFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUpFrameCatalogues();
        Document().NewProject();
        CreateForm();
    }

    void TearDown() override
    {
        delete Form.data();
        ProcessDeletions();
    }

    void CreateForm()
    {
        Form = new TNPCForm(Document());
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
    }

    TSpinField* Field(const char* name) const { return Child<TSpinField>(Form, name); }
    QLineEdit* NameEdit() const { return Child<QLineEdit>(Form, "NameEdit"); }
    QComboBox* Combo(const char* name) const { return Child<QComboBox>(Form, name); }
    QPushButton* BrowseButton() const { return Child<QPushButton>(Form, "BrowseButton"); }
    QLabel* IDLabel() const { return Child<QLabel>(Form, "IDLabel"); }
    QSpinBox* Spin(const char* name) const { return Child<QSpinBox>(Form, name); }

    // The maps of target's map index that the catalogue has not, and the first of them by name.
    static int OtherServerMaps(TServerTarget target)
    {
        const auto& maps = script::BuiltInMaps(target);
        return static_cast<int>(std::count_if(maps.begin(), maps.end(), [](const std::string& m) { return !TestCatalogues().FindMapNamed(m); }));
    }
    static std::string FirstOtherServerMap(TServerTarget target)
    {
        std::string first;
        for (const std::string& map : script::BuiltInMaps(target))
            if (!TestCatalogues().FindMapNamed(map) && (first.empty() || map < first))
                first = map;
        return first;
    }

    // Gives the field the focus with all its text selected, as tabbing into it does.
    void Enter(QWidget* field)
    {
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QWidget* focus = QApplication::focusWidget();
        EXPECT_TRUE(focus == field || field->isAncestorOf(focus)) << "the window has no focus";
    }

    void Leave() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }

    TNPCBrowserForm* OpenBrowser()
    {
        Click(BrowseButton());
        return Form->Browser();
    }

    QPointer<TNPCForm> Form;
};

TEST_F(NPCFormTest, ShowsTheDefaultRecordWithoutMarkingTheProjectModified)
{
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("NPC Information"));
    EXPECT_EQ(Form->size(), QSize(400, 130));
    EXPECT_EQ(Field("IDEdit")->text(), QStringLiteral("45"));
    EXPECT_EQ(Field("XEdit")->text(), QStringLiteral("0"));
    // A new project stores facing 1, the server's north-west.
    EXPECT_EQ(Combo("DirCombo")->currentText(), QStringLiteral("North West"));
    EXPECT_EQ(Combo("MapCombo")->currentText(), QStringLiteral("Prontera"));
    // The catalogue's three maps, then every other map of the server's map index.
    EXPECT_EQ(Combo("MapCombo")->count(), 3 + OtherServerMaps(TServerTarget::EAthena));
    EXPECT_EQ(Combo("MapCombo")->itemText(3).toStdString(), FirstOtherServerMap(TServerTarget::EAthena));
    EXPECT_EQ(Spin("TouchXEdit")->text(), QStringLiteral("no touch area"));
    EXPECT_EQ(Spin("TouchYEdit")->text(), QStringLiteral("no touch area"));
    // The label names the project's own sprite.
    EXPECT_EQ(IDLabel()->text(), QStringLiteral("Sprite ID (Guide)"));
    EXPECT_FALSE(Project().Modified);
}

// Typing into one field changes that field alone: a sprite outside the catalogue's range and a map
// past its end, which the controls cannot show, stay as the project holds them.
TEST_F(NPCFormTest, TypingANameKeepsWhatTheControlsCannotShow)
{
    Project().NPCInfo.SpriteID = 1000;
    Project().NPCInfo.MapIndex = 99;
    Form->ShowNPC();
    Enter(Child<QLineEdit>(Form, "NameEdit"));
    QTest::keyClick(Child<QLineEdit>(Form, "NameEdit"), Qt::Key_K);
    EXPECT_EQ(Project().NPCInfo.Name, "k");
    EXPECT_EQ(Project().NPCInfo.SpriteID, 1000);
    EXPECT_EQ(Project().NPCInfo.MapIndex, 99);
}

TEST_F(NPCFormTest, TypingIntoXStoresEveryKeystroke)
{
    Enter(Field("XEdit"));
    QTest::keyClick(Field("XEdit"), Qt::Key_1);
    EXPECT_EQ(Project().NPCInfo.X, 1);
    EXPECT_TRUE(Project().Modified);
    QTest::keyClick(Field("XEdit"), Qt::Key_2);
    EXPECT_EQ(Project().NPCInfo.X, 12);
}

TEST_F(NPCFormTest, ClearingYStoresZero)
{
    Project().NPCInfo.Y = 7;
    Form->ShowNPC();
    Enter(Field("YEdit"));
    QTest::keyClick(Field("YEdit"), Qt::Key_Delete);
    EXPECT_EQ(Field("YEdit")->text(), QString());
    EXPECT_EQ(Project().NPCInfo.Y, 0);
    EXPECT_TRUE(Project().Modified);
}

TEST_F(NPCFormTest, TextThatIsNotAnIntegerReadsAsTheMinimum)
{
    Enter(Field("XEdit"));
    QTest::keyClicks(Field("XEdit"), QStringLiteral("-"));
    EXPECT_EQ(Project().NPCInfo.X, 0);
    QTest::keyClicks(Field("XEdit"), QStringLiteral("3"));
    EXPECT_EQ(Project().NPCInfo.X, -3);
    // The separator of the user's locale: "." under C, "," under de_DE.
    QTest::keyClicks(Field("XEdit"), Field("XEdit")->locale().decimalPoint() + QStringLiteral("5"));
    EXPECT_EQ(Project().NPCInfo.X, 0) << "-3.5 is no integer";
}

// A digit that would take the number beyond 32 bits is refused as it is typed: the field never
// shows a number other than the one stored.
struct TOverflowCase {
    const char* Name;
    const char* Typed;
    const char* Shown;
    std::int32_t Stored;
};

class NPCNumberFieldTest : public NPCFormTest, public ::testing::WithParamInterface<TOverflowCase> {};

TEST_P(NPCNumberFieldTest, KeepsOnlyDigitsThatFit)
{
    Enter(Field("YEdit"));
    QTest::keyClicks(Field("YEdit"), QString::fromLatin1(GetParam().Typed));
    EXPECT_EQ(Field("YEdit")->text(), QString::fromLatin1(GetParam().Shown));
    // Any 32-bit number shows whole; leading zeros, which count for nothing, may scroll.
    if (GetParam().Shown[0] != '0')
        EXPECT_TRUE(ShowsWholeText(Field("YEdit"))) << "the first digits are not cut off";
    EXPECT_EQ(Project().NPCInfo.Y, GetParam().Stored);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, NPCNumberFieldTest,
    ::testing::Values(TOverflowCase{"ElevenNines", "99999999999", "999999999", 999999999},
                      TOverflowCase{"OnePastTheLargest", "2147483648", "214748364", 214748364},
                      TOverflowCase{"OneBelowTheSmallest", "-2147483649", "-214748364", -214748364},
                      TOverflowCase{"LeadingZerosCountForNothing", "000000000012", "000000000012", 12}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(NPCFormTest, OnlyDigitsSignsAndTheSeparatorCanBeTyped)
{
    Enter(Field("XEdit"));
    QTest::keyClicks(Field("XEdit"), QStringLiteral("4x2 "));
    EXPECT_EQ(Field("XEdit")->text(), QStringLiteral("42"));
    EXPECT_EQ(Project().NPCInfo.X, 42);
}

TEST_F(NPCFormTest, ArrowKeysStepAndStore)
{
    Enter(Field("YEdit"));
    QTest::keyClick(Field("YEdit"), Qt::Key_Up);
    QTest::keyClick(Field("YEdit"), Qt::Key_Up);
    EXPECT_EQ(Project().NPCInfo.Y, 2);
    QTest::keyClick(Field("YEdit"), Qt::Key_Down);
    EXPECT_EQ(Project().NPCInfo.Y, 1);
    EXPECT_TRUE(Project().Modified);
}

// The arrows step past the catalogue's sprites: any view the server takes is a value of the field.
TEST_F(NPCFormTest, SpriteStepsGoPastTheCatalogue)
{
    Project().NPCInfo.SpriteID = 800;
    Form->ShowNPC();
    Enter(Field("IDEdit"));
    QTest::keyClick(Field("IDEdit"), Qt::Key_Up);
    EXPECT_EQ(Field("IDEdit")->text(), QStringLiteral("801"));
    QTest::keyClick(Field("IDEdit"), Qt::Key_Up);
    Leave();
    EXPECT_EQ(Project().NPCInfo.SpriteID, 802);
    EXPECT_EQ(IDLabel()->text(), QStringLiteral("Sprite ID (no picture)"));
}

struct TSpriteCase {
    const char* Typed;
    std::vector<std::int32_t> WhileTyping;
    std::int32_t AfterLeaving;
};

void PrintTo(const TSpriteCase& c, std::ostream* out)
{
    *out << "typing " << c.Typed;
}

class NPCSpriteFieldTest : public NPCFormTest, public ::testing::WithParamInterface<TSpriteCase> {};

TEST_P(NPCSpriteFieldTest, TypingStoresEachStepAndLeavingKeepsIt)
{
    const TSpriteCase& typed = GetParam();
    const std::int32_t before = Project().NPCInfo.SpriteID;
    Enter(Field("IDEdit"));
    std::vector<std::int32_t> stored;
    for (const char key : std::string(typed.Typed)) {
        QTest::keyClicks(Field("IDEdit"), QString(QChar::fromLatin1(key)));
        stored.push_back(Project().NPCInfo.SpriteID);
    }
    EXPECT_EQ(stored, typed.WhileTyping);
    Leave();
    EXPECT_EQ(Project().NPCInfo.SpriteID, typed.AfterLeaving);
    EXPECT_EQ(Field("IDEdit")->text(), QString::number(typed.AfterLeaving));
    EXPECT_EQ(Project().Modified, typed.AfterLeaving != before);
}

// No sprite is corrected to the catalogue's: 50 and 900 have no picture, -1 is FAKE_NPC.
INSTANTIATE_TEST_SUITE_P(Typed, NPCSpriteFieldTest,
                         ::testing::Values(TSpriteCase{"50", {5, 50}, 50},
                                           TSpriteCase{"900", {9, 90, 900}, 900},
                                           TSpriteCase{"-1", {0, -1}, -1},
                                           TSpriteCase{"111", {1, 11, 111}, 111},
                                           TSpriteCase{"45", {4, 45}, 45}),
    [](const auto& info) { return ReadableName(std::string("Typed") + info.param.Typed); });

TEST_F(NPCFormTest, TabbingThroughTheSpriteFieldChangesNothing)
{
    Field("IDEdit")->setFocus(Qt::TabFocusReason);
    ASSERT_FALSE(Project().Modified);
    Leave();
    EXPECT_FALSE(Project().Modified);
    EXPECT_EQ(Project().NPCInfo.SpriteID, 45);
}

TEST_F(NPCFormTest, AMenuTakingTheFocusLeavesHalfTypedDigitsAlone)
{
    Enter(Field("IDEdit"));
    QTest::keyClicks(Field("IDEdit"), QStringLiteral("11"));
    Document().SetModified(false);
    QFocusEvent pause(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(Field("IDEdit"), &pause);
    EXPECT_EQ(Field("IDEdit")->text(), QStringLiteral("11"));
    EXPECT_EQ(Project().NPCInfo.SpriteID, 11);
    EXPECT_FALSE(Project().Modified);
}

TEST_F(NPCFormTest, KeyboardOrderFollowsTheRows)
{
    const char* const order[] = {"NameEdit", "XEdit",  "YEdit",        "DirCombo",
                                 "MapCombo", "IDEdit", "BrowseButton", "TouchXEdit",
                                 "TouchYEdit", "NameEdit"};
    NameEdit()->setFocus(Qt::TabFocusReason);
    for (const char* name : order) {
        QWidget* control = Child(Form, name);
        QWidget* focus = QApplication::focusWidget();
        // A spin field hands the focus to its own line edit.
        EXPECT_TRUE(focus == control || control->isAncestorOf(focus)) << name;
        Leave();
    }
}

// The server's facings (its DIR_NORTH ... DIR_NORTHEAST): each entry stores its own number.
TEST_F(NPCFormTest, EachFacingStoresTheServersNumber)
{
    const std::pair<const char*, int> facings[] = {
        {"North", 0}, {"North West", 1}, {"West", 2}, {"South West", 3},
        {"South", 4}, {"South East", 5}, {"East", 6}, {"North East", 7}};
    ASSERT_EQ(Combo("DirCombo")->count(), 8);
    for (const auto& [name, number] : facings) {
        Document().SetModified(false);
        PickEntry(Combo("DirCombo"), Combo("DirCombo")->findText(QString::fromLatin1(name)));
        EXPECT_EQ(Combo("DirCombo")->currentText(), QString::fromLatin1(name));
        EXPECT_EQ(Project().NPCInfo.Direction, number) << name;
        EXPECT_TRUE(Combo("DirCombo")->toolTip().isEmpty()) << name;
    }
    EXPECT_TRUE(Project().Modified);
}

// A stored number that is no facing is kept (and so written) until the user picks a facing,
// and the list says it is not one of the server's.
TEST_F(NPCFormTest, AFacingOutsideTheServersIsKeptAndNamedAsSuch)
{
    for (const int stored : {8, -1, 12}) {
        Project().NPCInfo.Direction = stored;
        Form->ShowNPC();
        EXPECT_EQ(Combo("DirCombo")->currentIndex(), -1) << stored;
        EXPECT_EQ(Combo("DirCombo")->placeholderText(), QStringLiteral("%1 (no facing)").arg(stored));
        EXPECT_TRUE(Combo("DirCombo")->toolTip().contains(QStringLiteral("not one of the server's facings")))
            << stored;
        Enter(NameEdit());
        QTest::keyClicks(NameEdit(), QStringLiteral("Guard"));
        EXPECT_EQ(Project().NPCInfo.Direction, stored) << "another field's edit keeps the facing";
    }
    PickEntry(Combo("DirCombo"), 4);
    EXPECT_EQ(Combo("DirCombo")->currentText(), QStringLiteral("South"));
    EXPECT_EQ(Project().NPCInfo.Direction, 4);
    EXPECT_TRUE(Combo("DirCombo")->toolTip().isEmpty());
}

TEST_F(NPCFormTest, ChoosingAMapStoresItsIndexAndTheWholeRecord)
{
    Enter(NameEdit());
    QTest::keyClicks(NameEdit(), QStringLiteral("Guard"));
    Document().SetModified(false);
    PickEntry(Combo("MapCombo"), 2);
    EXPECT_EQ(Project().NPCInfo.MapIndex, 2);
    EXPECT_EQ(Project().NPCInfo.Name, "Guard");
    EXPECT_TRUE(Project().Modified);
}

// A map of the server that the catalogue lacks is kept by name (the project then saves as 259);
// a catalogue map is kept by position, as before.
TEST_F(NPCFormTest, ChoosingAServerMapTheCatalogueLacksStoresItsName)
{
    const int row = Combo("MapCombo")->findText(QStringLiteral("payon_in03"));
    ASSERT_GE(row, 3);
    PickEntry(Combo("MapCombo"), row);
    EXPECT_EQ(Project().NPCInfo.MapIndex, -1);
    EXPECT_EQ(Project().NPCInfo.MapName, "payon_in03.gat");
    EXPECT_EQ(SaveProjectBytes(Project()).substr(0, 2), std::string("\x03\x01", 2));
    PickEntry(Combo("MapCombo"), 1);
    EXPECT_EQ(Project().NPCInfo.MapIndex, 1);
    EXPECT_EQ(Project().NPCInfo.MapName, "");
    EXPECT_EQ(SaveProjectBytes(Project()).substr(0, 2), std::string("\x02\x01", 2));
}

// A map neither list has (an imported script's own) is shown as kept, not as another map.
TEST_F(NPCFormTest, AMapNoListHasIsShownAsKeptAsWritten)
{
    Project().NPCInfo.MapIndex = -1;
    Project().NPCInfo.MapName = "my_town";
    Form->ShowNPC();
    EXPECT_EQ(Combo("MapCombo")->currentIndex(), -1);
    EXPECT_EQ(Combo("MapCombo")->placeholderText(), QStringLiteral("my_town (kept as written)"));
    Project().NPCInfo.MapName = "payon_in03";  // the server's map, without .gat
    Form->ShowNPC();
    EXPECT_EQ(Combo("MapCombo")->currentText(), QStringLiteral("payon_in03"));
}

// Worked example: 3 cells left and right, 2 above and below; clearing either clears the area.
TEST_F(NPCFormTest, TheTouchAreaIsBothCellCountsOrNone)
{
    Spin("TouchXEdit")->setValue(3);
    EXPECT_EQ(Project().NPCInfo.Touch, (TTouchArea{3, 0}));
    EXPECT_EQ(Spin("TouchYEdit")->value(), 0);
    Spin("TouchYEdit")->setValue(2);
    EXPECT_EQ(Project().NPCInfo.Touch, (TTouchArea{3, 2}));
    EXPECT_TRUE(Project().Modified);
    EXPECT_EQ(SaveProjectBytes(Project()).substr(0, 2), std::string("\x03\x01", 2));
    // The steps on the area are one undo step, as typing into one field is.
    Document().Undo();
    EXPECT_EQ(Project().NPCInfo.Touch, std::nullopt);
    EXPECT_EQ(Spin("TouchXEdit")->text(), QStringLiteral("no touch area"));
    Document().Redo();
    EXPECT_EQ(Spin("TouchXEdit")->value(), 3);
    EXPECT_EQ(Spin("TouchYEdit")->value(), 2);
    Spin("TouchYEdit")->setValue(-1);
    EXPECT_EQ(Project().NPCInfo.Touch, std::nullopt);
    EXPECT_EQ(Spin("TouchXEdit")->text(), QStringLiteral("no touch area"));
}

TEST_F(NPCFormTest, ShowNPCFillsEveryControlAndStoresNothing)
{
    Project().NPCInfo = TNPC{111, 150, 180, 3, 0, "Guide"};
    const TNPC shown = Project().NPCInfo;
    Form->ShowNPC();
    EXPECT_EQ(Combo("DirCombo")->currentText(), QStringLiteral("South West"));
    EXPECT_EQ(Combo("MapCombo")->currentText(), QStringLiteral("Geffen"));
    EXPECT_EQ(NameEdit()->text(), QStringLiteral("Guide"));
    EXPECT_EQ(Field("XEdit")->text(), QStringLiteral("150"));
    EXPECT_EQ(Field("YEdit")->text(), QStringLiteral("180"));
    EXPECT_EQ(Field("IDEdit")->text(), QStringLiteral("111"));
    EXPECT_EQ(Project().NPCInfo, shown);
    EXPECT_FALSE(Project().Modified);
    EXPECT_FALSE(Form->Updating());
}

struct TKeptNPCCase {
    const char* Name;
    TNPC Npc;
    QString SpriteLabel;
};

class NPCKeptValueTest : public NPCFormTest, public ::testing::WithParamInterface<TKeptNPCCase> {};

// Values the catalogues or the controls do not know are shown as they are (or not at all) and survive
// the focus passing through every field, and an edit of another field.
TEST_P(NPCKeptValueTest, ValuesOutsideTheCataloguesSurviveFocusAndEdits)
{
    const TKeptNPCCase& c = GetParam();
    Project().NPCInfo = c.Npc;
    Form->ShowNPC();
    EXPECT_EQ(Field("IDEdit")->text(), QString::number(c.Npc.SpriteID));
    EXPECT_EQ(IDLabel()->text(), c.SpriteLabel);
    for (const char* name : {"IDEdit", "XEdit", "YEdit", "DirCombo", "MapCombo", "TouchXEdit", "TouchYEdit"}) {
        Child<QWidget>(Form, name)->setFocus(Qt::TabFocusReason);
        Leave();
    }
    EXPECT_EQ(Project().NPCInfo, c.Npc);
    EXPECT_FALSE(Project().Modified);
    Enter(NameEdit());
    QTest::keyClick(NameEdit(), Qt::Key_K);
    TNPC named = c.Npc;
    named.Name = "k";
    EXPECT_EQ(Project().NPCInfo, named);
}

INSTANTIATE_TEST_SUITE_P(
    Values, NPCKeptValueTest,
    ::testing::Values(TKeptNPCCase{"FakeNpc", TNPC{-1, 150, 180, 3, 0, "Guide"}, QStringLiteral("Sprite ID (no picture)")},
                      TKeptNPCCase{"RAthenaSprite", TNPC{855, 150, 180, 3, 0, "Guide"}, QStringLiteral("Sprite ID (no picture)")},
                      TKeptNPCCase{"NewerClientSprite", TNPC{10250, 1, 2, 0, 1, "Guide"}, QStringLiteral("Sprite ID (no picture)")},
                      TKeptNPCCase{"FacingAndMapOutsideTheLists", TNPC{45, 1, 2, 9, 99, "Guide"}, QStringLiteral("Sprite ID (Guide)")},
                      TKeptNPCCase{"NegativeTouchCells", TNPC{45, 1, 2, 0, 0, "Guide", {}, TTouchArea{-5, 3}},
                                   QStringLiteral("Sprite ID (Guide)")}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(NPCFormTest, NewAndLoadRefreshTheControlsWithoutMarkingModified)
{
    Project().NPCInfo = TNPC{800, 10, 20, 7, 2, "Kafra"};
    const std::string saved = SaveProjectBytes(Project());
    Document().NewProject();
    EXPECT_EQ(NameEdit()->text(), QString());
    EXPECT_EQ(Combo("MapCombo")->currentText(), QStringLiteral("Prontera"));
    EXPECT_EQ(Field("IDEdit")->text(), QStringLiteral("45"));
    EXPECT_FALSE(Project().Modified);

    Document().LoadProjectBytes("kafra.NPC", saved);
    EXPECT_EQ(NameEdit()->text(), QStringLiteral("Kafra"));
    EXPECT_EQ(Field("XEdit")->text(), QStringLiteral("10"));
    EXPECT_EQ(Field("YEdit")->text(), QStringLiteral("20"));
    EXPECT_EQ(Combo("DirCombo")->currentText(), QStringLiteral("North East"));
    EXPECT_EQ(Combo("MapCombo")->currentText(), QStringLiteral("Payon"));
    EXPECT_EQ(Field("IDEdit")->text(), QStringLiteral("800"));
    EXPECT_FALSE(Project().Modified);
}

TEST_F(NPCFormTest, ANameKeepsEveryByte)
{
    Enter(NameEdit());
    QTest::keyClicks(NameEdit(), QStringLiteral("J"));
    QTest::sendKeyEvent(QTest::Click, NameEdit(), Qt::Key_Odiaeresis, QString(QChar(0xF6)), Qt::NoModifier);
    QTest::keyClicks(NameEdit(), QStringLiteral("rg's"));
    EXPECT_EQ(Project().NPCInfo.Name, "J\xF6rg's");
}

TEST_F(NPCFormTest, TheCloseBoxOnlyMinimises)
{
    Form->close();
    ProcessDeletions();
    ASSERT_FALSE(Form.isNull());
    EXPECT_TRUE(Form->isMinimized());
}

// ---- Browsing ----------------------------------------------------------------------------

TEST_F(NPCFormTest, TheBrowserListsEverySpriteWithItsPicture)
{
    TNPCBrowserForm* browser = OpenBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->windowTitle(), QStringLiteral("Sprite Browser"));
    auto* list = Child<QListWidget>(browser, "NPCListView");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("45 (Guide)"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("800 (Kafra)"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("111 (Merchant)"));
    EXPECT_EQ(list->viewMode(), QListView::IconMode);
    EXPECT_EQ(list->iconSize(), QSize(100, 128));
    const QImage icon = list->item(1)->icon().pixmap(QSize(100, 128)).toImage();
    EXPECT_EQ(icon.size(), QSize(100, 128));
    EXPECT_EQ(icon.pixelColor(50, 64), TestCatalogues().Images.At(1).pixelColor(50, 64));
}

TEST_F(NPCFormTest, TheBrowserSelectsTheCurrentSprite)
{
    Project().NPCInfo.SpriteID = 111;
    Form->ShowNPC();
    TNPCBrowserForm* browser = OpenBrowser();
    auto* list = Child<QListWidget>(browser, "NPCListView");
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(browser->SelectedImg(), TestCatalogues().FindNPCImg(111));
}

TEST_F(NPCFormTest, BrowsingAnUnknownSpriteSelectsTheFirstRowAndCancelChangesNothing)
{
    // A project can hold a sprite the catalogue lacks; typing one is corrected when the field is
    // left, which clicking "Browse" does.
    Project().NPCInfo.SpriteID = 500;
    Form->ShowNPC();
    const TNPC before = Project().NPCInfo;
    QPointer<TNPCBrowserForm> browser = OpenBrowser();
    ASSERT_FALSE(browser.isNull());
    EXPECT_FALSE(BrowseButton()->isEnabled()) << "one browser at a time";
    EXPECT_EQ(Child<QListWidget>(browser, "NPCListView")->currentRow(), 0);

    Click(Child<QPushButton>(browser, "CancelButton"));
    ProcessDeletions();
    EXPECT_TRUE(browser.isNull());
    EXPECT_TRUE(BrowseButton()->isEnabled());
    EXPECT_EQ(IDLabel()->text(), QStringLiteral("Sprite ID (no picture)"));  // 500 is no sprite of the catalogue
    EXPECT_EQ(Project().NPCInfo, before);
    EXPECT_FALSE(Project().Modified);
}

TEST_F(NPCFormTest, ApplyTakesTheChosenSprite)
{
    Project().NPCInfo.SpriteID = 111;
    Form->ShowNPC();
    QPointer<TNPCBrowserForm> browser = OpenBrowser();
    auto* list = Child<QListWidget>(browser, "NPCListView");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    Click(Child<QPushButton>(browser, "ApplyButton"));
    ProcessDeletions();
    EXPECT_TRUE(browser.isNull());
    EXPECT_EQ(IDLabel()->text(), QStringLiteral("Sprite ID (Guide)"));
    EXPECT_EQ(Field("IDEdit")->text(), QStringLiteral("45"));
    EXPECT_EQ(Project().NPCInfo.SpriteID, 45);
    EXPECT_TRUE(Project().Modified);
    EXPECT_TRUE(BrowseButton()->isEnabled());
}

// The browser answers the dialog keys: Escape cancels, Enter applies the selected sprite.
TEST_F(NPCFormTest, TheBrowserTakesEscapeAndEnter)
{
    QPointer<TNPCBrowserForm> browser = OpenBrowser();
    auto* list = Child<QListWidget>(browser, "NPCListView");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Escape);
    ProcessDeletions();
    EXPECT_TRUE(browser.isNull());
    EXPECT_EQ(Project().NPCInfo.SpriteID, 45);

    browser = OpenBrowser();
    list = Child<QListWidget>(browser, "NPCListView");
    list->setFocus();
    list->setCurrentRow(2);
    QTest::keyClick(list, Qt::Key_Return);
    ProcessDeletions();
    EXPECT_TRUE(browser.isNull());
    EXPECT_EQ(Project().NPCInfo.SpriteID, 111);
}

TEST_F(NPCFormTest, ADoubleClickAppliesTheSpriteWhoseWholeCaptionIsInItsTooltip)
{
    QPointer<TNPCBrowserForm> browser = OpenBrowser();
    auto* list = Child<QListWidget>(browser, "NPCListView");
    for (int row = 0; row < list->count(); ++row)
        EXPECT_EQ(list->item(row)->toolTip(), list->item(row)->text());
    EXPECT_GE(list->gridSize().height(), 128 + 3 * list->fontMetrics().lineSpacing());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    QCoreApplication::processEvents();  // the icon view lays its items out later
    const QRect place = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    ASSERT_EQ(list->currentRow(), 1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
    ProcessDeletions();
    EXPECT_TRUE(browser.isNull());
    EXPECT_EQ(Project().NPCInfo.SpriteID, 800);
}

TEST_F(NPCFormTest, ApplyOnTheCurrentSpriteOnlyChangesTheLabel)
{
    QPointer<TNPCBrowserForm> browser = OpenBrowser();
    Click(Child<QPushButton>(browser, "ApplyButton"));
    EXPECT_EQ(IDLabel()->text(), QStringLiteral("Sprite ID (Guide)"));
    EXPECT_FALSE(Project().Modified);
}

TEST_F(NPCFormTest, TheLabelOutlivesNewProjects)
{
    Click(Child<QPushButton>(OpenBrowser(), "ApplyButton"));
    Document().NewProject();
    EXPECT_EQ(IDLabel()->text(), QStringLiteral("Sprite ID (Guide)"));
}

TEST_F(NPCFormTest, ApplyNeedsASelectedRow)
{
    QPointer<TNPCBrowserForm> browser = OpenBrowser();
    auto* list = Child<QListWidget>(browser, "NPCListView");
    auto* apply = Child<QPushButton>(browser, "ApplyButton");
    EXPECT_TRUE(apply->isEnabled());
    list->clearSelection();
    EXPECT_FALSE(apply->isEnabled());
    apply->click();
    ProcessDeletions();
    EXPECT_FALSE(browser.isNull()) << "nothing chosen, nothing done";
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_TRUE(apply->isEnabled());
}

TEST_F(NPCFormTest, TheBrowsersCloseBoxCancels)
{
    QPointer<TNPCBrowserForm> browser = OpenBrowser();
    browser->close();
    ProcessDeletions();
    EXPECT_TRUE(browser.isNull());
    EXPECT_TRUE(BrowseButton()->isEnabled());
    EXPECT_EQ(IDLabel()->text(), QStringLiteral("Sprite ID (Guide)"));
    EXPECT_FALSE(Project().Modified);
}

TEST_F(NPCFormTest, TheBrowserReportsOnceAndOnlyWhenEnded)
{
    QPointer<TNPCBrowserForm> browser = OpenBrowser();
    int reports = 0;
    bool cancelled = false;
    browser->OnDone = [&](TNPCBrowserForm*, bool wasCancelled) {
        ++reports;
        cancelled = wasCancelled;
    };
    Click(Child<QPushButton>(browser, "ApplyButton"));
    browser->close();
    ProcessDeletions();
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(cancelled);
}

// ---- Catalogues without sprites or maps --------------------------------------------------

class NPCFormEmptyCatalogueTest : public NPCFormTest {
protected:
    void SetUp() override
    {
        TestCatalogues().Clear();
        Document().NewProject();
        CreateForm();
    }
};

TEST_F(NPCFormEmptyCatalogueTest, NoSpritesMeansNoCorrection)
{
    Enter(Field("IDEdit"));
    QTest::keyClicks(Field("IDEdit"), QStringLiteral("120"));
    Leave();
    EXPECT_EQ(Project().NPCInfo.SpriteID, 120) << "there is no sprite to correct to";
    Enter(Field("IDEdit"));
    QTest::keyClick(Field("IDEdit"), Qt::Key_Delete);
    EXPECT_EQ(Project().NPCInfo.SpriteID, 0);
}

// Without a catalogue the server's own maps are still there to choose, under their names.
TEST_F(NPCFormEmptyCatalogueTest, NoMapsShowsNoMap)
{
    EXPECT_EQ(Combo("MapCombo")->count(), OtherServerMaps(TServerTarget::EAthena));
    EXPECT_EQ(Combo("MapCombo")->currentIndex(), -1);
    Enter(NameEdit());
    QTest::keyClicks(NameEdit(), QStringLiteral("A"));
    EXPECT_EQ(Project().NPCInfo.MapIndex, -1);
}

TEST_F(NPCFormEmptyCatalogueTest, TheBrowserIsEmptyAndCannotApply)
{
    TNPCBrowserForm* browser = OpenBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(Child<QListWidget>(browser, "NPCListView")->count(), 0);
    EXPECT_FALSE(Child<QPushButton>(browser, "ApplyButton")->isEnabled());
    Click(Child<QPushButton>(browser, "CancelButton"));
    EXPECT_TRUE(BrowseButton()->isEnabled());
}

} // namespace
