// The action catalogue and action tasks: entries in file order, lookups, texts, records, lines.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

class ActionTest : public TaskTest {};

// ---- The catalogue --------------------------------------------------------------------------

struct CatalogueRow {
    int Index;
    const char* Caption;
    const char* Command;
    bool IsStatement;
    ParamTypes Result;
    TParamTypeList Kinds;
};

class ActionCatalogueTest : public TaskTest, public ::testing::WithParamInterface<CatalogueRow> {};

TEST_P(ActionCatalogueTest, EntryStandsAtItsFileIndex)
{
    const CatalogueRow& row = GetParam();
    const TDAction* action = ActionAt(row.Index);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->Caption, row.Caption);
    EXPECT_EQ(action->Command, row.Command);
    EXPECT_EQ(action->IsStatement, row.IsStatement ? 1 : 0);
    EXPECT_EQ(action->ResultKind, row.Result);
    EXPECT_EQ(action->ParamKinds, row.Kinds);
    EXPECT_EQ(IndexOfAction(action), row.Index);
}

INSTANTIATE_TEST_SUITE_P(
    AllEntries, ActionCatalogueTest,
    ::testing::Values(CatalogueRow{0, "Take Item", "delitem", true, PT_None, {PT_ItemID, PT_Amount}},
                      CatalogueRow{1, "Give Item", "getitem", true, PT_None, {PT_ItemID, PT_Amount}},
                      CatalogueRow{2, "Heal", "heal", true, PT_None, {PT_HP, PT_SP}},
                      CatalogueRow{3, "Jumpto Group", "goto", true, PT_None, {PT_Group}},
                      CatalogueRow{4, "Job Change", "jobchange", true, PT_None, {PT_Job}},
                      CatalogueRow{5, "Next Button", "next", true, PT_None, {}},
                      CatalogueRow{6, "Close Script", "close", true, PT_None, {}},
                      CatalogueRow{7, "Take Zeny", "set Zeny, Zeny -", true, PT_None, {PT_Amount}},
                      CatalogueRow{8, "Give Zeny", "set Zeny, Zeny +", true, PT_None, {PT_Amount}},
                      CatalogueRow{9, "Take Base Level", "set BaseLevel, BaseLevel -", true, PT_None, {PT_Amount}},
                      CatalogueRow{10, "Give Base Level", "set BaseLevel, BaseLevel +", true, PT_None, {PT_Amount}},
                      CatalogueRow{11, "Take Job Level", "set JobLevel, JobLevel -", true, PT_None, {PT_Amount}},
                      CatalogueRow{12, "Give Job Level", "set JobLevel, JobLevel +", true, PT_None, {PT_Amount}},
                      CatalogueRow{13, "Warp", "warp", true, PT_None, {PT_Map, PT_X, PT_Y}},
                      CatalogueRow{14, "Save Point", "savepoint", true, PT_None, {PT_Map, PT_X, PT_Y}},
                      CatalogueRow{15, "Give Player Cart", "setcart", true, PT_None, {}},
                      CatalogueRow{16, "Open Storage", "openstorage", true, PT_None, {}},
                      CatalogueRow{17, "Reset Stats", "resetstatus", true, PT_None, {}},
                      CatalogueRow{18, "Reset Skills", "resetskill", true, PT_None, {}},
                      CatalogueRow{19, "Item Amount", "countitem", false, PT_Amount, {PT_ItemID}},
                      CatalogueRow{20, "Item Weight", "checkweight", false, PT_Amount, {PT_ItemID, PT_Amount}}),
    [](const auto& info) { return ReadableName(info.param.Caption); });

TEST_F(ActionTest, CatalogueHasExactlyTwentyOneEntriesAlsoWhenBuiltTwice)
{
    EXPECT_EQ(Actions().size(), 21u);
}

TEST_F(ActionTest, ActionAtGivesNoneForMinusOneAndAListErrorOutside)
{
    EXPECT_EQ(ActionAt(-1), nullptr);
    EXPECT_THROW(ActionAt(21), EListError);
    EXPECT_THROW(ActionAt(-2), EListError);
}

TEST_F(ActionTest, IndexOfAnEntryNotInTheCatalogueIsMinusOne)
{
    const TDAction stranger(true, "Dance", "dance", {}, PT_None);
    EXPECT_EQ(IndexOfAction(&stranger), -1);
    EXPECT_EQ(IndexOfAction(nullptr), -1);
}

TEST_F(ActionTest, FindActionMatchesWholeCommandsCaseSensitively)
{
    EXPECT_EQ(FindAction("delitem"), ActionAt(0));
    EXPECT_EQ(FindAction("countitem"), ActionAt(19));
    EXPECT_EQ(FindAction("Delitem"), nullptr);
    EXPECT_EQ(FindAction("set"), nullptr);
    EXPECT_EQ(FindAction("set Zeny, Zeny -"), ActionAt(7));
}

TEST_F(ActionTest, FillActionListAppendsStatementsOrValuesInOneUpdate)
{
    TStringList statements;
    statements.AddObject("kept", nullptr);
    FillActionList(true, statements);
    ASSERT_EQ(statements.Items.size(), 20u);
    EXPECT_EQ(statements.Items[0].Text, "kept");
    EXPECT_EQ(statements.Items[1].Text, "Take Item");
    EXPECT_EQ(statements.Items[1].Object, ActionAt(0));
    EXPECT_EQ(statements.Items[19].Text, "Reset Skills");
    EXPECT_EQ(statements.Updates, 1);
    EXPECT_EQ(statements.UpdateDepth, 0);

    TStringList values;
    FillActionList(false, values);
    ASSERT_EQ(values.Items.size(), 2u);
    EXPECT_EQ(values.Items[0].Text, "Item Amount");
    EXPECT_EQ(values.Items[1].Text, "Item Weight");
    EXPECT_EQ(values.Items[1].Object, ActionAt(20));
}

TEST_F(ActionTest, ParamKindPastTheEndGivesTheLastKindAndNoneWhenEmpty)
{
    const TDAction* warp = ActionAt(13);
    EXPECT_EQ(warp->ParamCount(), 3);
    EXPECT_EQ(warp->ParamKind(0), PT_Map);
    EXPECT_EQ(warp->ParamKind(2), PT_Y);
    EXPECT_EQ(warp->ParamKind(7), PT_Y);
    EXPECT_EQ(ActionAt(5)->ParamCount(), 0);
    EXPECT_EQ(ActionAt(5)->ParamKind(0), PT_None);
}

// ---- Action tasks ---------------------------------------------------------------------------

TEST_F(ActionTest, NewTaskHasOneZeroPerParameter)
{
    const TActionTask task("Take Item", ActionAt(0));
    EXPECT_EQ(task.Caption, "Take Item");
    EXPECT_EQ(task.Params, (TParamValueList{0, 0}));
    EXPECT_EQ(task.UserNamed, 0);
    EXPECT_TRUE(TActionTask("Next Button", ActionAt(5)).Params.empty());
    EXPECT_EQ(TActionTask().Action, nullptr);
}

TEST_F(ActionTest, ChangingTheActionResetsEveryValue)
{
    auto task = MakeAction(2, {100, 50});
    task->Action = ActionAt(13);
    task->ResetParams();
    EXPECT_EQ(task->Params, (TParamValueList{0, 0, 0}));
}

TEST_F(ActionTest, SetParamOutsideTheListChangesNothing)
{
    auto task = MakeAction(0, {501, 10});
    task->SetParam(5, 99);
    task->SetParam(-1, 99);
    EXPECT_EQ(task->Params, (TParamValueList{501, 10}));
    EXPECT_EQ(task->GetParam(1), 10);
    auto none = MakeAction(5, {});
    none->SetParam(0, 1);
    EXPECT_TRUE(none->Params.empty());
}

TEST_F(ActionTest, AssignCopiesCaptionActionAndValuesButNotTheNameFlag)
{
    auto source = MakeAction(13, {1, 150, 180});
    source->Rename("To Izlude");
    TActionTask target("Heal", ActionAt(2));
    target.Assign(*source);
    EXPECT_EQ(target.Caption, "To Izlude");
    EXPECT_EQ(target.UserNamed, 0);
    EXPECT_EQ(target.Action, ActionAt(13));
    EXPECT_EQ(target.Params, (TParamValueList{1, 150, 180}));

    const TActionTask copy(*source);
    EXPECT_EQ(copy.Params, source->Params);
    EXPECT_EQ(copy.UserNamed, 0);
}

struct TextRow {
    int Index;
    std::vector<std::int32_t> Params;
    const char* Line;     // the script line after the indentation
    const char* Display;  // ActionText(true, Project().Catalogues())
};

class ActionTextTest : public TaskTest, public ::testing::WithParamInterface<TextRow> {};

TEST_P(ActionTextTest, WritesItsLineAndItsTreeText)
{
    const TextRow& row = GetParam();
    auto task = MakeAction(row.Index, row.Params);
    EXPECT_EQ(task->ActionText(true, Project().Catalogues()), row.Display);
    if (task->Action->IsStatement)
        EXPECT_THAT(LinesOf(*task), ElementsAre(std::string("\t\t") + row.Line));
    else
        EXPECT_EQ(task->ActionText(false, Project().Catalogues()), row.Line);
}

INSTANTIATE_TEST_SUITE_P(
    ExampleValues, ActionTextTest,
    ::testing::Values(TextRow{0, {501, 10}, "delitem 501, 10;", "Take Item(501, 10)"},
                      TextRow{1, {607, 1}, "getitem 607, 1;", "Give Item(607, 1)"},
                      TextRow{2, {100, 50}, "heal 100, 50;", "Heal(100, 50)"},
                      TextRow{3, {3}, "goto L3;", "Jumpto Group(L#)"},
                      TextRow{3, {0}, "goto L0;", "Jumpto Group(L#)"},
                      TextRow{4, {7}, "jobchange 7;", "Job Change(7)"},
                      TextRow{5, {}, "next;", "Next Button"},
                      TextRow{6, {}, "close;", "Close Script"},
                      TextRow{7, {1000}, "set Zeny, Zeny - 1000;", "Take Zeny(1000)"},
                      TextRow{7, {0}, "set Zeny, Zeny - 0;", "Take Zeny(0)"},
                      TextRow{7, {-5}, "set Zeny, Zeny - -5;", "Take Zeny(-5)"},
                      TextRow{8, {1000}, "set Zeny, Zeny + 1000;", "Give Zeny(1000)"},
                      TextRow{9, {1}, "set BaseLevel, BaseLevel - 1;", "Take Base Level(1)"},
                      TextRow{10, {2}, "set BaseLevel, BaseLevel + 2;", "Give Base Level(2)"},
                      TextRow{11, {3}, "set JobLevel, JobLevel - 3;", "Take Job Level(3)"},
                      TextRow{12, {2}, "set JobLevel, JobLevel + 2;", "Give Job Level(2)"},
                      TextRow{13, {0, 150, 180}, "warp \"prontera.gat\", 150, 180;", "Warp(prontera.gat, 150, 180)"},
                      TextRow{14, {0, 150, 180}, "savepoint \"prontera.gat\", 150, 180;",
                              "Save Point(prontera.gat, 150, 180)"},
                      TextRow{15, {}, "setcart;", "Give Player Cart"},
                      TextRow{16, {}, "openstorage;", "Open Storage"},
                      TextRow{17, {}, "resetstatus;", "Reset Stats"},
                      TextRow{18, {}, "resetskill;", "Reset Skills"},
                      TextRow{19, {501}, "countitem(501)", "Item Amount(501)"},
                      TextRow{20, {501, 10}, "checkweight(501, 10)", "Item Weight(501, 10)"}),
    // The shown text names a row, unless it hides the value behind '#'; then the script line does.
    [](const auto& info) {
        const std::string display = info.param.Display;
        return ReadableName(display.find('#') == std::string::npos ? display : info.param.Line);
    });

TEST_F(ActionTest, ParamTextSeparatesValuesByCommaAndBlank)
{
    auto warp = MakeAction(13, {1, -1, 2147483647});
    EXPECT_EQ(warp->ParamText(true, Project().Catalogues()), "izlude.gat, -1, 2147483647");
    EXPECT_EQ(warp->ParamText(false, Project().Catalogues()), "\"izlude.gat\", -1, 2147483647");
    EXPECT_EQ(MakeAction(6, {})->ParamText(false, Project().Catalogues()), "");
}

TEST_F(ActionTest, UserNamedTaskWritesItsCaptionAsACommentFirst)
{
    auto task = MakeAction(6, {});
    task->Rename("Check money");
    EXPECT_THAT(LinesOf(*task), ElementsAre("\t\t// Check money //", "\t\tclose;"));
}

// A map that left maps.ini must neither stop the script nor the tree text; the gap is reported.
TEST_F(ActionTest, WarpToAMapOutsideTheCatalogueWritesAnEmptyNameAndReportsIt)
{
    for (const std::int32_t missing : {2, -1}) {
        Document().NewProject();
        auto warp = MakeAction(13, {missing, 150, 180});
        EXPECT_EQ(warp->ActionText(true, Project().Catalogues()), "Warp(, 150, 180)");
        AddTask(StartNode(), std::move(warp));
        std::vector<std::string> problems;
        const std::vector<std::string> lines = ScriptLines(problems);
        EXPECT_THAT(problems, ElementsAre("A Warp has no map: choose one in its action editor."));
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 2], "\t\twarp \"\", 150, 180;");
        EXPECT_EQ(lines.back(), "}");
    }
}

// ---- Records --------------------------------------------------------------------------------

TEST_F(ActionTest, RecordOfTakeItemIsByteExact)
{
    auto task = MakeAction(0, {501, 10});
    task->Caption = "Action: " + task->ActionText(true, Project().Catalogues());
    ASSERT_EQ(task->Caption, "Action: Take Item(501, 10)");
    const std::string expected = Bytes({0x00, 0x1A, 0x00, 0x00, 0x00}) + "Action: Take Item(501, 10)" +
                                 Bytes({0, 0, 0, 0, 0xF5, 0x01, 0, 0, 0x0A, 0, 0, 0});
    EXPECT_EQ(RecordOf(*task), expected);
    const auto loaded = TaskFromRecord<TActionTask>(expected);
    EXPECT_EQ(loaded->Action, ActionAt(0));
    EXPECT_EQ(loaded->Params, (TParamValueList{501, 10}));
    EXPECT_EQ(loaded->Caption, task->Caption);
}

TEST_F(ActionTest, ActionWithoutParametersStoresOnlyItsIndex)
{
    auto task = MakeAction(5, {});
    task->Rename("Go on");
    const std::string expected = Bytes({0x01}) + Str("Go on") + Int32(5);
    EXPECT_EQ(RecordOf(*task), expected);
    const auto loaded = TaskFromRecord<TActionTask>(expected);
    EXPECT_EQ(loaded->UserNamed, 1);
    EXPECT_TRUE(loaded->Params.empty());
}

TEST_F(ActionTest, RecordWithAnIndexOutsideTheCatalogueIsRejected)
{
    for (const std::int32_t index : {-1, 21, -2147483647 - 1}) {
        TActionTask task;
        TFileReader file("bad.NPC", Bytes({0}) + Str("") + Int32(index));
        try {
            task.LoadFromFile(file);
            ADD_FAILURE() << "index " << index << " was accepted";
        } catch (const EInOutError& error) {
            EXPECT_THAT(error.what(), ::testing::StartsWith("bad.NPC: action index " + std::to_string(index)));
        }
    }
}

TEST_F(ActionTest, RecordCutShortIsAnError)
{
    const std::string record = RecordOf(*MakeAction(13, {1, 150, 180}));
    TActionTask task;
    TFileReader file("short.NPC", record.substr(0, record.size() - 1));
    EXPECT_THROW(task.LoadFromFile(file), EInOutError);
}

}  // namespace
