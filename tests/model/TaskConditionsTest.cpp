// Condition tasks: the if line with AND / OR, group exits, check texts and the check records.

#include "TaskFixture.h"

#include <gmock/gmock.h>

#include <functional>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class ConditionTest : public TaskTest {};

std::unique_ptr<TConTask> MakeCondition(std::int32_t target, std::vector<std::unique_ptr<TConCheck>> checks)
{
    auto condition = std::make_unique<TConTask>();
    condition->Target = target;
    for (auto& check : checks)
        condition->AddCheck(std::move(check));
    return condition;
}

template <class... Checks>
std::vector<std::unique_ptr<TConCheck>> ChecksOf(Checks... checks)
{
    std::vector<std::unique_ptr<TConCheck>> list;
    (list.push_back(std::move(checks)), ...);
    return list;
}

// ---- Script lines ---------------------------------------------------------------------------

struct LineRow {
    const char* Name;
    std::function<std::vector<std::unique_ptr<TConCheck>>()> Checks;
    std::int32_t Target;
    const char* Line;
};

class ConditionLineTest : public TaskTest, public ::testing::WithParamInterface<LineRow> {};

TEST_P(ConditionLineTest, WritesOneIfLine)
{
    const LineRow& row = GetParam();
    const auto condition = MakeCondition(row.Target, row.Checks());
    EXPECT_THAT(LinesOf(*condition), ElementsAre(std::string("\t\t") + row.Line));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ConditionLineTest,
    ::testing::Values(
        LineRow{"ZenyAtLeast", [] { return ChecksOf(Comparison(2, "Zeny", 1000)); }, 2,
                "if((Zeny >= 1000)) goto L2;"},
        LineRow{"And",
                [] { return ChecksOf(Comparison(2, "Zeny", 1000), Joiner(ConAnd), ItemComparison(4, 19, {501}, 5)); },
                2, "if((Zeny >= 1000) && (countitem(501) > 5)) goto L2;"},
        LineRow{"Or",
                [] { return ChecksOf(Comparison(5, "BaseLevel", 10), Joiner(ConOr), Comparison(5, "JobLevel", 10)); },
                4, "if((BaseLevel < 10) || (JobLevel < 10)) goto L4;"},
        LineRow{"AndThenOrFlat",
                [] {
                    return ChecksOf(Comparison(0, "Sex", 0), Joiner(ConAnd), Comparison(3, "Weight", 100),
                                    Joiner(ConOr), Comparison(1, "StatusPoint", 0));
                },
                1, "if((Sex == 0) && (Weight <= 100) || (StatusPoint != 0)) goto L1;"},
        LineRow{"SexFemale", [] { return ChecksOf(Comparison(0, "Sex", 0)); }, 3, "if((Sex == 0)) goto L3;"},
        LineRow{"ItemWeight", [] { return ChecksOf(ItemComparison(0, 20, {501, 10}, 1)); }, 0,
                "if((checkweight(501, 10) == 1)) goto L0;"},
        LineRow{"DeletedTargetKeepsItsNumber", [] { return ChecksOf(Comparison(4, "MaxWeight", -3)); }, 99,
                "if((MaxWeight > -3)) goto L99;"},
        LineRow{"VariableWinsOverAction",
                [] {
                    auto check = ItemComparison(2, 19, {501}, 1);
                    check->Variable = FindVariable("Class");
                    return ChecksOf(std::move(check));
                },
                2, "if((Class >= 1)) goto L2;"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ConditionTest, GroupExitJumpsToTheExitOfTheGroupBeingWritten)
{
    TGroupTask* group = AddGroup(StartNode(), "Knights only");
    auto condition = MakeCondition(GroupExitTarget, ChecksOf(Comparison(1, "Class", 7)));
    std::vector<std::string> lines;
    TScriptWriter writer(Project(), lines);
    writer.CurrentLevel = 1;
    writer.CurrentGroup = group;
    condition->WriteScript(writer);
    // The jump leaves the group owing its exit label, which its end then writes.
    writer.FinishGroup(*group);
    EXPECT_THAT(lines, ElementsAre("\t\tif((Class != 7)) goto L1Exit;", "\t\tL1Exit:"));
}

TEST_F(ConditionTest, TwoExitsOfOneGroupWriteItsExitLabelOnce)
{
    TGroupTask* group = AddGroup(StartNode(), "Shop");
    Add(group->Node, MakeCondition(GroupExitTarget, ChecksOf(Comparison(1, "Class", 7))));
    Add(group->Node, MakeCondition(GroupExitTarget, ChecksOf(Comparison(5, "Zeny", 10))));
    Add(group->Node, MakeAction(6, {}));
    const auto script = ScriptLines();
    EXPECT_THAT(std::vector<std::string>(script.begin() + 16, script.end()),
                ElementsAre("\tL0:", "\t\tL1:", "\t\t\tif((Class != 7)) goto L1Exit;", "\t\t\tif((Zeny < 10)) goto L1Exit;",
                            "\t\t\tclose;", "\t\t\tL1Exit:", "}"));
}

TEST_F(ConditionTest, UserNamedConditionWritesItsCommentFirst)
{
    auto condition = MakeCondition(2, ChecksOf(Comparison(2, "Zeny", 1000)));
    condition->Rename("Check money");
    EXPECT_THAT(LinesOf(*condition), ElementsAre("\t\t// Check money //", "\t\tif((Zeny >= 1000)) goto L2;"));
}

// No condition without checks is ever applied by the editor; one read from a file must not write
// "if() goto", which would stop the server's parser.
TEST_F(ConditionTest, EmptyConditionWritesNothingButItsComment)
{
    auto condition = MakeCondition(GroupExitTarget, {});
    std::vector<std::string> lines;
    TScriptWriter writer(Project(), lines);
    writer.CurrentGroup = Project().StartGroup();
    condition->WriteScript(writer);
    // No jump was written, so the group owes no exit label either.
    writer.FinishGroup(*Project().StartGroup());
    EXPECT_TRUE(lines.empty());
    condition->Rename("Never");
    EXPECT_THAT(LinesOf(*condition), ElementsAre("\t\t// Never //"));
    EXPECT_EQ(condition->CheckAt(0), nullptr);
}

TEST_F(ConditionTest, ComparisonWithoutLeftSideIsReportedAsAProblem)
{
    auto check = std::make_unique<TConCheck>();
    check->Kind = 2;
    Add(StartNode(), MakeCondition(0, ChecksOf(std::move(check))));
    std::vector<std::string> problems;
    ScriptLines(problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_THAT(problems[0], HasSubstr("condition compares nothing"));
}

// ---- Texts ----------------------------------------------------------------------------------

struct ConditionTextRow {
    const char* Name;
    std::function<std::unique_ptr<TConCheck>()> Check;
    const char* Text;
};

class CheckTextTest : public TaskTest, public ::testing::WithParamInterface<ConditionTextRow> {};

TEST_P(CheckTextTest, ShowsNameValueAndLeftSide)
{
    EXPECT_EQ(CheckText(*GetParam().Check(), Project().Catalogues()), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CheckTextTest,
    ::testing::Values(ConditionTextRow{"Amount", [] { return Comparison(2, "Zeny", 1000); }, "At least 1000 Zeny"},
                      ConditionTextRow{"Female", [] { return Comparison(0, "Sex", 0); }, "Equal to Female Sex"},
                      ConditionTextRow{"Male", [] { return Comparison(0, "Sex", 1); }, "Equal to Male Sex"},
                      ConditionTextRow{"Job", [] { return Comparison(1, "Class", 7); }, "Not Knight Class"},
                      // A job that left jobs.ini still shows which one it was.
                      ConditionTextRow{"MissingJob", [] { return Comparison(1, "Class", 4012); }, "Not 4012 Class"},
                      ConditionTextRow{"ItemAmount", [] { return ItemComparison(4, 19, {501}, 5); }, "More than 5 Item Amount(501)"},
                      ConditionTextRow{"ItemWeight", [] { return ItemComparison(3, 20, {501, 10}, 1); },
                              "At most 1 Item Weight(501, 10)"},
                      ConditionTextRow{"LessThan", [] { return Comparison(5, "JobLevel", -1); }, "Less than -1 JobLevel"},
                      ConditionTextRow{"And", [] { return Joiner(ConAnd); }, "And"},
                      ConditionTextRow{"Or", [] { return Joiner(ConOr); }, "OR"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ConditionTest, KindNamesAndScriptTexts)
{
    const std::vector<std::string> names = {"Equal to", "Not", "At least", "At most", "More than", "Less than"};
    const std::vector<std::string> texts = {" == ", " != ", " >= ", " <= ", " > ", " < "};
    for (int kind = 0; kind < 6; ++kind) {
        EXPECT_EQ(ConditionNames[kind], names[static_cast<std::size_t>(kind)]);
        EXPECT_EQ(ConditionName(kind), names[static_cast<std::size_t>(kind)]);
        EXPECT_EQ(ConditionScriptText(kind), texts[static_cast<std::size_t>(kind)]);
    }
    EXPECT_EQ(ConditionScriptText(ConAnd), " && ");
    EXPECT_EQ(ConditionScriptText(ConOr), " || ");
}

TEST_F(ConditionTest, SummaryJoinsCheckTextsByOneBlank)
{
    const auto condition =
        MakeCondition(2, ChecksOf(Comparison(2, "Zeny", 1000), Joiner(ConAnd), ItemComparison(4, 19, {501}, 5)));
    EXPECT_EQ(condition->SummaryText(Project().Catalogues()), "At least 1000 Zeny And More than 5 Item Amount(501)");
}

TEST_F(ConditionTest, LeftValueKindFollowsVariableThenAction)
{
    EXPECT_EQ(LeftValueKind(*Comparison(0, "Class", 0)), PT_Job);
    EXPECT_EQ(LeftValueKind(*Comparison(0, "Sex", 0)), PT_Sex);
    EXPECT_EQ(LeftValueKind(*ItemComparison(0, 19, {1}, 0)), PT_Amount);
    EXPECT_EQ(LeftValueKind(*Joiner(ConAnd)), PT_None);
}

// ---- The check list -------------------------------------------------------------------------

TEST_F(ConditionTest, CheckAtPastTheEndGivesTheLastCheck)
{
    const auto condition = MakeCondition(2, ChecksOf(Comparison(2, "Zeny", 1), Joiner(ConOr), Comparison(2, "Zeny", 3)));
    EXPECT_EQ(condition->CheckAt(0)->Value, 1);
    EXPECT_EQ(condition->CheckAt(1)->Kind, ConOr);
    EXPECT_EQ(condition->CheckAt(7)->Value, 3);
}

TEST_F(ConditionTest, RemoveCheckTakesOnlyThatCheck)
{
    auto condition = MakeCondition(2, ChecksOf(Comparison(2, "Zeny", 1), Joiner(ConOr)));
    condition->RemoveCheck(condition->CheckAt(1));
    ASSERT_EQ(condition->CheckCount(), 1);
    EXPECT_EQ(condition->CheckAt(0)->Value, 1);
}

TEST_F(ConditionTest, AssignMakesIndependentCopiesAndKeepsTheNameFlag)
{
    auto source = MakeCondition(GroupExitTarget, ChecksOf(ItemComparison(4, 19, {501}, 5)));
    source->Rename("Has apples");
    TConTask target;
    target.AddCheck(Joiner(ConAnd));
    target.Assign(*source);
    EXPECT_EQ(target.Caption, "Has apples");
    EXPECT_EQ(target.UserNamed, 0);
    EXPECT_EQ(target.Target, GroupExitTarget);
    ASSERT_EQ(target.CheckCount(), 1);
    ASSERT_NE(target.CheckAt(0)->ValueAction, nullptr);
    EXPECT_NE(target.CheckAt(0)->ValueAction.get(), source->CheckAt(0)->ValueAction.get());
    source->CheckAt(0)->ValueAction->SetParam(0, 999);
    EXPECT_EQ(target.CheckAt(0)->ValueAction->GetParam(0), 501);
}

// ---- Records --------------------------------------------------------------------------------

TEST_F(ConditionTest, RecordOfZenyAtLeastIsByteExact)
{
    auto condition = MakeCondition(2, ChecksOf(Comparison(2, "Zeny", 1000)));
    condition->Caption = "Condition: " + condition->SummaryText(Project().Catalogues());
    ASSERT_EQ(condition->Caption.size(), 29u);
    const std::string expected = Bytes({0x00, 0x1D, 0, 0, 0}) + condition->Caption +
                                 Bytes({0x02, 0, 0, 0, 0x01, 0, 0, 0, 0x02, 0, 0, 0, 0xE8, 0x03, 0, 0, 0x01, 0, 0, 0});
    EXPECT_EQ(RecordOf(*condition), expected);
    const auto loaded = TaskFromRecord<TConTask>(expected);
    EXPECT_EQ(loaded->Target, 2);
    ASSERT_EQ(loaded->CheckCount(), 1);
    EXPECT_EQ(loaded->CheckAt(0)->Variable, FindVariable("Zeny"));
}

TEST_F(ConditionTest, JoinersTakeEightBytesAndItemComparisonsCarryTheActionRecord)
{
    auto condition =
        MakeCondition(3, ChecksOf(Comparison(2, "Zeny", 1000), Joiner(ConAnd), ItemComparison(4, 19, {501}, 5),
                                  Joiner(ConOr), Comparison(0, "Class", 7)));
    const std::string actionRecord = Bytes({0}) + Str("Item Amount") + Int32(19) + Int32(501);
    const std::string expected = Bytes({0}) + Str("") + Int32(3) + Int32(5) +                    //
                                 Int32(2) + Int32(1000) + Int32(1) +                               //
                                 Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}) +                     //
                                 Int32(4) + Int32(5) + Int32(-1) + actionRecord +                  //
                                 Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}) +                     //
                                 Int32(0) + Int32(7) + Int32(0);
    EXPECT_EQ(RecordOf(*condition), expected);

    const auto loaded = TaskFromRecord<TConTask>(expected);
    EXPECT_EQ(RecordOf(*loaded), expected);
    const TConCheck* item = loaded->CheckAt(2);
    EXPECT_EQ(item->Variable, nullptr);
    ASSERT_NE(item->ValueAction, nullptr);
    EXPECT_EQ(item->ValueAction->Action, ActionAt(19));
    EXPECT_EQ(item->ValueAction->Params, (TParamValueList{501}));
    EXPECT_EQ(item->ValueAction->Caption, "Item Amount");
}

TEST_F(ConditionTest, CheckWithVariableAndActionSavesOnlyTheVariable)
{
    auto check = ItemComparison(2, 19, {501}, 1);
    check->Variable = FindVariable("MaxWeight");
    auto condition = MakeCondition(0, ChecksOf(std::move(check)));
    const auto loaded = TaskFromRecord<TConTask>(RecordOf(*condition));
    EXPECT_EQ(loaded->CheckAt(0)->Variable, FindVariable("MaxWeight"));
    EXPECT_EQ(loaded->CheckAt(0)->ValueAction, nullptr);
}

TEST_F(ConditionTest, EmptyConditionRoundTrips)
{
    const auto loaded = TaskFromRecord<TConTask>(Bytes({0}) + Str("Condition: ") + Int32(-1) + Int32(0));
    EXPECT_EQ(loaded->CheckCount(), 0);
    EXPECT_EQ(loaded->Target, -1);
}

TEST_F(ConditionTest, ComparisonWithoutLeftSideCannotBeSaved)
{
    auto check = std::make_unique<TConCheck>();
    check->Kind = 0;
    const auto condition = MakeCondition(0, ChecksOf(std::move(check)));
    EXPECT_THROW(RecordOf(*condition), EInOutError);
}

struct BadRecordRow {
    const char* Name;
    std::string Checks;  // count and check records after the base record and Target
    const char* Message;
};

class BadConditionRecordTest : public TaskTest, public ::testing::WithParamInterface<BadRecordRow> {};

TEST_P(BadConditionRecordTest, IsRejectedWithAMessageNamingTheFile)
{
    TConTask task;
    TFileReader file("bad.NPC", Bytes({0}) + Str("") + Int32(2) + GetParam().Checks);
    try {
        task.LoadFromFile(file);
        FAIL() << "accepted";
    } catch (const EInOutError& error) {
        EXPECT_THAT(error.what(), ::testing::StartsWith("bad.NPC: "));
        EXPECT_THAT(error.what(), HasSubstr(GetParam().Message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Records, BadConditionRecordTest,
    ::testing::Values(
        BadRecordRow{"VariableIndexPastTheList", Int32(1) + Int32(0) + Int32(1) + Int32(8), "variable index 8"},
        BadRecordRow{"VariableIndexBelowMinusOne", Int32(1) + Int32(0) + Int32(1) + Int32(-2), "variable index -2"},
        BadRecordRow{"ActionIndexOutside", Int32(1) + Int32(0) + Int32(1) + Int32(-1) + Bytes({0}) + Str("") + Int32(21),
                     "action index 21"},
        BadRecordRow{"UnknownKind", Int32(1) + Int32(6) + Int32(1) + Int32(1), "condition type 6"},
        BadRecordRow{"KindBelowOr", Int32(1) + Int32(-3) + Int32(0), "condition type -3"},
        BadRecordRow{"NegativeCount", Int32(-1), "check count -1"},
        // Must fail at once, without reserving room for two billion checks.
        BadRecordRow{"HugeCount", Int32(2147483647) + Int32(0) + Int32(0), "check count 2147483647"},
        BadRecordRow{"CountPastTheRecords", Int32(2) + Int32(-1) + Int32(0), "larger than the records present"},
        BadRecordRow{"CutInsideACheck", Int32(1) + Int32(2) + Int32(1000), "the file ends early: 4 more bytes expected"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
