// The task kinds of the extended project file: their records byte by byte, their round trips, the
// refusal of their tags and fields in a version-258 file, their captions and the lines they write.

#include "TaskFixture.h"

#include "model/BlockTasks.h"
#include "model/CodeTasks.h"

#include <gmock/gmock.h>

#include <functional>

using ::testing::ElementsAre;

namespace {

std::string ExtendedRecordOf(const TTask& task)
{
    TFileWriter writer("record");
    writer.SetVersion(ExtendedProjectFileVersion);
    task.SaveToFile(writer);
    return writer.Bytes();
}

std::unique_ptr<TTask> ExtendedTaskFromRecord(TTaskKind kind, const std::string& bytes)
{
    TFileReader file("record", bytes);
    file.SetVersion(ExtendedProjectFileVersion);
    auto task = NewTaskOfKind(file, static_cast<std::uint8_t>(kind));
    task->LoadFromFile(file);
    EXPECT_TRUE(file.AtEnd()) << "record not consumed: " << file.Remaining() << " bytes left";
    return task;
}

struct TRecordCase {
    const char* Name;
    std::function<std::unique_ptr<TTask>()> Make;
    std::string Record;   // the golden bytes in version 259
    const char* Summary;  // the caption the kind gives itself, "" when it has none of its own
};

std::string Summary(const TTask& task)
{
    if (const auto* t = dynamic_cast<const TCommandTask*>(&task))
        return t->SummaryText();
    if (const auto* t = dynamic_cast<const TSetTask*>(&task))
        return t->SummaryText();
    if (const auto* t = dynamic_cast<const TCallTask*>(&task))
        return t->SummaryText();
    if (const auto* t = dynamic_cast<const TStatementTask*>(&task))
        return t->SummaryText();
    if (const auto* t = dynamic_cast<const TLoopTask*>(&task))
        return t->SummaryText();
    if (const auto* t = dynamic_cast<const TSwitchTask*>(&task))
        return t->SummaryText();
    if (const auto* t = dynamic_cast<const TCaseTask*>(&task))
        return t->SummaryText();
    if (const auto* t = dynamic_cast<const TBranchTask*>(&task))
        return t->SummaryText(Project().Catalogues());
    return "";
}

std::vector<TRecordCase> RecordCases()
{
    const std::string base = Bytes({0}) + Str("");
    return {
        {"Command",
         [] { return std::make_unique<TCommandTask>("monster", std::vector<std::string>{"\"prontera\"", "150"}); },
         base + Str("monster") + Int32(2) + Str("\"prontera\"") + Str("150"), "Command: monster \"prontera\", 150"},
        {"CommandWithoutArguments", [] { return std::make_unique<TCommandTask>("close2", std::vector<std::string>{}); },
         base + Str("close2") + Int32(0), "Command: close2"},
        {"UnfinishedCommand", [] { return std::make_unique<TCommandTask>(); }, base + Str("") + Int32(0), "Command: "},
        {"Set",
         [] {
             auto t = std::make_unique<TSetTask>();
             t->Scope = TVarScope::Local;
             t->Name = "names$";
             t->Index = ".@i";
             t->Expression = "\"Poring\"";
             return t;
         },
         base + Bytes({7}) + Str("names$") + Str(".@i") + Str("\"Poring\""), "Set .@names$[.@i] = \"Poring\""},
        {"CallFunction",
         [] {
             auto t = std::make_unique<TCallTask>();
             t->Function = "F_Rent";
             t->Args = {"1", ".@x"};
             return t;
         },
         base + Bytes({0}) + Str("F_Rent") + Int32(0) + Int32(2) + Str("1") + Str(".@x"), "Call function F_Rent(1, .@x)"},
        {"CallSubroutine",
         [] {
             auto t = std::make_unique<TCallTask>();
             t->CallKind = TCallKind::Subroutine;
             t->TargetGroup = 3;
             return t;
         },
         base + Bytes({1}) + Str("") + Int32(3) + Int32(0), "Call subroutine L3()"},
        {"End", [] { return std::make_unique<TStatementTask>(TBareStatement::End); }, base + Bytes({0}), "End"},
        {"Continue", [] { return std::make_unique<TStatementTask>(TBareStatement::Continue); }, base + Bytes({3}),
         "Continue"},
        {"If", [] { return std::make_unique<TIfTask>(); }, base, ""},
        {"Branch",
         [] {
             auto t = std::make_unique<TBranchTask>();
             t->Checks.push_back(ExpressionCheck("checkquest(1000) == -1"));
             return t;
         },
         base + Int32(1) + Int32(ConExpression) + Int32(0) + Str("checkquest(1000) == -1"),
         "If checkquest(1000) == -1"},
        {"Else", [] { return std::make_unique<TBranchTask>(); }, base + Int32(0), "Else"},
        {"For",
         [] {
             auto t = std::make_unique<TLoopTask>();
             t->LoopKind = TLoopKind::For;
             t->Init = "set .@i, 0";
             t->Condition = ".@i < 3";
             t->Step = "set .@i, .@i + 1";
             return t;
         },
         base + Bytes({1}) + Str("set .@i, 0") + Str(".@i < 3") + Str("set .@i, .@i + 1"),
         "For set .@i, 0; .@i < 3; set .@i, .@i + 1"},
        {"DoWhile",
         [] {
             auto t = std::make_unique<TLoopTask>();
             t->LoopKind = TLoopKind::DoWhile;
             t->Condition = ".@n";
             return t;
         },
         base + Bytes({2}) + Str("") + Str(".@n") + Str(""), "Do ... while .@n"},
        {"Switch",
         [] {
             auto t = std::make_unique<TSwitchTask>();
             t->Value = "Class";
             return t;
         },
         base + Str("Class"), "Switch on Class"},
        {"Case",
         [] {
             auto t = std::make_unique<TCaseTask>();
             t->Value = "Job_Novice";
             return t;
         },
         base + Bytes({0}) + Str("Job_Novice"), "Case Job_Novice"},
        {"Default",
         [] {
             auto t = std::make_unique<TCaseTask>();
             t->IsDefault = true;
             return t;
         },
         base + Bytes({1}) + Str(""), "Default"},
    };
}

class CodeTaskTest : public TaskTest {};

TEST_F(CodeTaskTest, EveryNewKindHasItsGoldenRecordAndRoundTrips)
{
    for (const TRecordCase& c : RecordCases()) {
        SCOPED_TRACE(c.Name);
        const auto task = c.Make();
        EXPECT_TRUE(task->NeedsExtendedFormat(Project().Catalogues()));
        EXPECT_GE(static_cast<int>(task->Kind()), 6);
        EXPECT_EQ(ExtendedRecordOf(*task), c.Record);
        const auto loaded = ExtendedTaskFromRecord(task->Kind(), c.Record);
        EXPECT_EQ(loaded->Kind(), task->Kind());
        EXPECT_EQ(ExtendedRecordOf(*loaded), c.Record);
        EXPECT_EQ(Summary(*loaded), c.Summary);
    }
}

TEST_F(CodeTaskTest, ContainersHoldTasksAndPartsAreMarked)
{
    struct TCase {
        std::unique_ptr<TTask> Task;
        bool Holds, Part;
    };
    TCase cases[] = {{std::make_unique<TIfTask>(), true, false},        {std::make_unique<TBranchTask>(), true, true},
                     {std::make_unique<TLoopTask>(), true, false},      {std::make_unique<TSwitchTask>(), true, false},
                     {std::make_unique<TCaseTask>(), true, true},       {std::make_unique<TSetTask>(), false, false},
                     {std::make_unique<TCommandTask>(), false, false},  {std::make_unique<TCallTask>(), false, false},
                     {std::make_unique<TStatementTask>(), false, false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Task->Kind()));
        EXPECT_EQ(c.Task->HoldsTasks(), c.Holds);
        EXPECT_EQ(c.Task->IsPart(), c.Part);
    }
}

TEST_F(CodeTaskTest, NewTagsAreRefusedInAVersion258File)
{
    for (std::uint8_t tag = 6; tag <= LastTaskKind + 1; ++tag) {
        TFileReader old("old.NPC", "");
        EXPECT_THROW(NewTaskOfKind(old, tag), EInOutError) << int(tag);
    }
    TFileReader extended("new.NPC", "");
    extended.SetVersion(ExtendedProjectFileVersion);
    EXPECT_THROW(NewTaskOfKind(extended, LastTaskKind + 1), EInOutError);
    EXPECT_NO_THROW(NewTaskOfKind(extended, LastTaskKind));
}

TEST_F(CodeTaskTest, DamagedFieldsAreRefusedWithTheirName)
{
    const std::string base = Bytes({0}) + Str("");
    const std::pair<TTaskKind, std::string> cases[] = {
        {TTaskKind::Set, base + Bytes({9}) + Str("x") + Str("") + Str("1")},
        {TTaskKind::Call, base + Bytes({2}) + Str("") + Int32(0) + Int32(0)},
        {TTaskKind::Statement, base + Bytes({4})},
        {TTaskKind::Loop, base + Bytes({3}) + Str("") + Str("1") + Str("")},
        {TTaskKind::Case, base + Bytes({2}) + Str("")},
        {TTaskKind::Command, base + Str("mes \"x\"") + Int32(0)},
        {TTaskKind::Command, base + Str("monster") + Int32(100)},
        {TTaskKind::Group, base + Int32(1) + Str("1abc") + Bytes({0})},
        {TTaskKind::Group, base + Int32(1) + Str("") + Bytes({2})},
        {TTaskKind::Message, base + Int32(0) + Bytes({5}) + Str("")},
    };
    for (const auto& [kind, bytes] : cases)
        EXPECT_THROW(ExtendedTaskFromRecord(kind, bytes), EInOutError) << static_cast<int>(kind);
}

// ---- Speaker, label name and expression check -------------------------------------------------

TEST_F(CodeTaskTest, MessageSpeakerRecordOnlyInTheExtendedFile)
{
    TMessageTask message(std::vector<std::string>{"Hi"});
    EXPECT_FALSE(message.NeedsExtendedFormat(Project().Catalogues()));
    EXPECT_EQ(RecordOf(message), Bytes({0}) + Str("") + Int32(1) + Str("Hi"));
    message.Speaker = TSpeakerKind::Other;
    message.SpeakerText = "Guard";
    EXPECT_TRUE(message.NeedsExtendedFormat(Project().Catalogues()));
    const std::string record = Bytes({0}) + Str("") + Int32(1) + Str("Hi") + Bytes({3}) + Str("Guard");
    EXPECT_EQ(ExtendedRecordOf(message), record);
    const auto loaded = ExtendedTaskFromRecord(TTaskKind::Message, record);
    EXPECT_EQ(static_cast<TMessageTask&>(*loaded).Speaker, TSpeakerKind::Other);
    EXPECT_EQ(static_cast<TMessageTask&>(*loaded).SpeakerText, "Guard");
}

TEST_F(CodeTaskTest, GroupLabelNameRecordAndLabels)
{
    TGroupTask group("Touch", 4);
    EXPECT_FALSE(group.NeedsExtendedFormat(Project().Catalogues()));
    EXPECT_EQ(ExtendedRecordOf(group), Bytes({0}) + Str("Touch") + Int32(4) + Str("") + Bytes({0}));
    group.LabelName = "OnTouch";
    EXPECT_TRUE(group.NeedsExtendedFormat(Project().Catalogues()));
    EXPECT_TRUE(group.IsEventLabel());
    EXPECT_EQ(group.Label(), "OnTouch");
    EXPECT_EQ(group.ExitLabel(), "L4Exit");
    const std::string record = Bytes({0}) + Str("Touch") + Int32(4) + Str("OnTouch") + Bytes({0});
    EXPECT_EQ(ExtendedRecordOf(group), record);
    EXPECT_EQ(static_cast<TGroupTask&>(*ExtendedTaskFromRecord(TTaskKind::Group, record)).LabelName, "OnTouch");
    group.LabelName = "L_Menu";
    EXPECT_FALSE(group.IsEventLabel());
    group.LabelName.clear();
    group.NoLabel = true;
    EXPECT_TRUE(group.NeedsExtendedFormat(Project().Catalogues()));
    EXPECT_EQ(ExtendedRecordOf(group), Bytes({0}) + Str("Touch") + Int32(4) + Str("") + Bytes({1}));
}

TEST_F(CodeTaskTest, ExpressionCheckNeedsTheExtendedFileAndIsNoComparison)
{
    TConTask condition;
    condition.Target = 2;
    condition.AddCheck(ExpressionCheck("getarg(0) > 1"));
    EXPECT_TRUE(condition.NeedsExtendedFormat(Project().Catalogues()));
    EXPECT_FALSE(condition.Checks.front()->IsComparison());
    EXPECT_EQ(CheckText(*condition.Checks.front(), Project().Catalogues()), "getarg(0) > 1");
    EXPECT_THROW(RecordOf(condition), EInOutError);
    const std::string record =
        Bytes({0}) + Str("") + Int32(2) + Int32(1) + Int32(ConExpression) + Int32(0) + Str("getarg(0) > 1");
    EXPECT_EQ(ExtendedRecordOf(condition), record);
    TFileReader old("old.NPC", record);
    TConTask loaded;
    EXPECT_THROW(loaded.LoadFromFile(old), EInOutError);
    EXPECT_THAT(LinesOf(condition), ElementsAre("\t\tif((getarg(0) > 1)) goto L2;"));
}

TEST_F(CodeTaskTest, ShownNameDropsTheHiddenPartAndTheUniqueName)
{
    EXPECT_EQ(ShownNpcName("Kafra#1"), "Kafra");
    EXPECT_EQ(ShownNpcName("Kafra::kaf1"), "Kafra");
    EXPECT_EQ(ShownNpcName("Guide#p::g1"), "Guide");
    EXPECT_EQ(ShownNpcName("#hidden"), "");
    EXPECT_EQ(ShownNpcName("Plain"), "Plain");
}

TEST_F(CodeTaskTest, VariablesSplitByTheirLongestPrefix)
{
    const std::pair<const char*, std::pair<TVarScope, const char*>> cases[] = {
        {"Zeny", {TVarScope::Character, "Zeny"}}, {"#CASH", {TVarScope::Account, "CASH"}},
        {"##G", {TVarScope::GlobalAccount, "G"}},  {"@x", {TVarScope::Temporary, "x"}},
        {"$q", {TVarScope::Server, "q"}},          {"$@q$", {TVarScope::ServerTemporary, "q$"}},
        {".n", {TVarScope::Npc, "n"}},             {".@i", {TVarScope::Local, "i"}},
        {"'inst", {TVarScope::Instance, "inst"}},
    };
    for (const auto& [text, expected] : cases) {
        const auto [scope, name] = SplitVariable(text);
        EXPECT_EQ(scope, expected.first) << text;
        EXPECT_EQ(name, expected.second) << text;
        EXPECT_EQ(ScopePrefix(scope) + name, text);
    }
}

}  // namespace
