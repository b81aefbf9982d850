// The action editor's map: a warp stored under a map name (an imported script's) keeps it through
// an Apply that leaves the map alone, and the list offers every map of the server.
#include "EditorTestSupport.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "ui/Form_Actions.h"
#include "ui/SpinField.h"

#include "script/ServerRules.h"

using namespace editortest;

namespace {

class ActionMapTest : public ::testing::Test {
protected:
    void SetUp() override { SetUpEditorCatalogues(); }

    void TearDown() override
    {
        delete Form.data();
        ProcessDeletions();
    }

    // A warp to mapName (kept by name) at index, x 150, y 180, opened in the editor.
    TActionTask* OpenWarp(const std::string& mapName, std::int32_t index)
    {
        auto task = std::make_unique<TActionTask>("Action: Warp", FindAction("warp"));
        task->Params = {index, 150, 180};
        task->MapName = mapName;
        TActionTask* warp = AddTask(std::move(task));
        Open(warp);
        return warp;
    }

    // The editor on task (nullptr: a new one), listing the statements.
    void Open(TTask* task)
    {
        Form = new TActionForm(Document());
        Form->ShowActions(1);
        Form->LoadTask(task);
        Listen(Form, Report);
        Form->show();
    }

    QComboBox* Maps() const { return Child<QComboBox>(Form, "MapCombo"); }
    void Apply() { Click(Child<QPushButton>(Form, "ApplyButton")); }

    QPointer<TActionForm> Form;
    TDoneReport Report;
};

struct TKeptCase {
    const char* Name;
    std::string MapName;   // as stored
    std::int32_t Index;    // as stored
    QString Shown;         // the entry shown; empty: none, the placeholder says the map
};

class KeptMapTest : public ActionMapTest, public ::testing::WithParamInterface<TKeptCase> {};

// Apply after changing only the coordinates keeps the stored map name and index exactly.
TEST_P(KeptMapTest, ApplyWithoutPickingAMapKeepsTheStoredMap)
{
    const TKeptCase& c = GetParam();
    TActionTask* warp = OpenWarp(c.MapName, c.Index);
    if (c.Shown.isEmpty()) {
        EXPECT_EQ(Maps()->currentIndex(), -1);
        EXPECT_EQ(Maps()->placeholderText(), QString::fromStdString(c.MapName) + " (kept as written)");
    } else {
        EXPECT_EQ(Maps()->currentText(), c.Shown);
        EXPECT_TRUE(Maps()->placeholderText().isEmpty());
    }
    EXPECT_TRUE(Child<QPushButton>(Form, "ApplyButton")->isEnabled());
    Type(Child<TSpinField>(Form, "XEdit"), "99");
    Apply();
    ASSERT_EQ(Report.Calls, 1);
    EXPECT_FALSE(Report.Cancelled);
    EXPECT_EQ(warp->MapName, c.MapName);
    EXPECT_EQ(warp->Params, (TParamValueList{c.Index, 99, 180}));
}

INSTANTIATE_TEST_SUITE_P(
    Maps, KeptMapTest,
    ::testing::Values(TKeptCase{"NotOnTheServer", "my_town", -1, {}},
                      TKeptCase{"ServerMapOutsideTheCatalogue", "payon_in03", -1, "payon_in03"},
                      TKeptCase{"CatalogueMapWithoutGat", "geffen", 1, "Geffen"},
                      TKeptCase{"CatalogueMapByIndex", "", 1, "Geffen"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ActionMapTest, PickingACatalogueMapReplacesTheMapName)
{
    TActionTask* warp = OpenWarp("my_town", -1);
    PickEntry(Maps(), "Prontera");
    EXPECT_TRUE(Maps()->placeholderText().isEmpty());
    Apply();
    EXPECT_EQ(warp->MapName, "");
    EXPECT_EQ(warp->Params, (TParamValueList{0, 150, 180}));
    EXPECT_EQ(warp->MapFile(0, Project().Catalogues()), "prontera.gat");
}

TEST_F(ActionMapTest, PickingAServerMapOutsideTheCatalogueStoresItByName)
{
    TActionTask* warp = OpenWarp("", 0);
    const std::string other = [] {
        std::string first;
        for (const std::string& map : script::BuiltInMaps(TServerTarget::EAthena))
            if (!TestCatalogues().FindMapNamed(map) && (first.empty() || map < first))
                first = map;
        return first;
    }();
    // The catalogue's two maps first, then the server's others in name order.
    ASSERT_GT(Maps()->count(), 2);
    EXPECT_EQ(Maps()->itemText(2).toStdString(), other);
    PickEntry(Maps(), 2);
    Apply();
    EXPECT_EQ(warp->MapName, other + ".gat");
    EXPECT_EQ(warp->GetParam(0), -1);
    EXPECT_EQ(warp->MapFile(0, Project().Catalogues()), other + ".gat");
}

// An empty map catalogue leaves the server's maps to choose from, by name.
TEST_F(ActionMapTest, WithoutACatalogueTheServersMapsAreOffered)
{
    TestCatalogues().Maps.clear();
    Open(nullptr);
    ClickRow(Child<QListWidget>(Form, "ActionsList"), "Save Point");
    EXPECT_EQ(Maps()->count(), static_cast<int>(script::BuiltInMaps(TServerTarget::EAthena).size()));
    EXPECT_TRUE(Child<QPushButton>(Form, "ApplyButton")->isEnabled());
    const std::string first = Maps()->itemText(0).toStdString();
    Apply();
    auto* task = dynamic_cast<TActionTask*>(Report.NewTask.get());
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->GetParam(0), -1);
    EXPECT_EQ(task->MapName, first + ".gat");
}

TEST_F(ActionMapTest, ChangingToAnActionWithoutAMapDropsTheMapName)
{
    TActionTask* warp = OpenWarp("my_town", -1);
    ClickRow(Child<QListWidget>(Form, "ActionsList"), "Heal");
    Apply();
    EXPECT_EQ(warp->Action, FindAction("heal"));
    EXPECT_EQ(warp->MapName, "");
}

TEST_F(ActionMapTest, ANewWarpTakesThePickedMap)
{
    Open(nullptr);
    ClickRow(Child<QListWidget>(Form, "ActionsList"), "Warp");
    PickEntry(Maps(), "Geffen");
    Apply();
    auto* task = dynamic_cast<TActionTask*>(Report.NewTask.get());
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->MapName, "");
    EXPECT_EQ(task->GetParam(0), 1);
}

} // namespace
