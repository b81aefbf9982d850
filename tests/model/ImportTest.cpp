// Script import: the task tree each small script gives (one row per mapping rule and the odd
// cases), the header record, which entries can be imported, and the proof's failure paths.

#include "ModelFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "model/BlockTasks.h"
#include "model/CodeTasks.h"
#include "model/ConditionTasks.h"
#include "model/ProjectFile.h"
#include "import/Import.h"
#include "import/ImportProof.h"
#include "output/Export.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"

#include <gmock/gmock.h>
#include <functional>
#include <gtest/gtest.h>

using ::testing::HasSubstr;

namespace {

// The proof's defaults, the imported project reading the tests' catalogues.
TProofOptions TestProofOptions()
{
    TProofOptions options;
    options.Catalogues = SharedTestCatalogues();
    return options;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "|") + line;
    return text;
}

std::string SpeakerMark(const TMessageTask& message)
{
    switch (message.Speaker) {
    case TSpeakerKind::Default: return "";
    case TSpeakerKind::NpcName: return "=npc";
    case TSpeakerKind::ShownName: return "=shown";
    case TSpeakerKind::Other: return "=" + message.SpeakerText;
    case TSpeakerKind::None: return "=none";
    }
    return "?";
}

// The task's own part of the dump, without its children.
std::string DumpTask(const TTask* task)
{
    switch (task->Kind()) {
    case TTaskKind::Group: {
        const auto* group = static_cast<const TGroupTask*>(task);
        return "G" + std::to_string(group->GroupNumber) + (group->LabelName.empty() ? "" : ":" + group->LabelName);
    }
    case TTaskKind::Message: {
        const auto* message = static_cast<const TMessageTask*>(task);
        return "M" + SpeakerMark(*message) + "[" + Join(message->Lines) + "]";
    }
    case TTaskKind::Manual: return "X[" + Join(static_cast<const TManualTask*>(task)->Lines) + "]";
    case TTaskKind::Action: return "A[" + static_cast<const TActionTask*>(task)->ActionText(false, Project().Catalogues()) + "]";
    case TTaskKind::Condition: {
        const auto* condition = static_cast<const TConTask*>(task);
        return "C[" + condition->SummaryText(Project().Catalogues()) + ">" + std::to_string(condition->Target) + "]";
    }
    case TTaskKind::Menu: {
        std::vector<std::string> entries;
        for (const auto& entry : static_cast<const TMenuTask*>(task)->Entries)
            entries.push_back(entry->Text + ">" + std::to_string(entry->Target));
        return "Menu[" + Join(entries) + "]";
    }
    case TTaskKind::Command: {
        const auto* command = static_cast<const TCommandTask*>(task);
        return "K[" + command->ScriptText() + "]";
    }
    case TTaskKind::Set: return "S[" + static_cast<const TSetTask*>(task)->SummaryText().substr(4) + "]";
    case TTaskKind::Call: return task->Caption;
    case TTaskKind::Statement: return static_cast<const TStatementTask*>(task)->SummaryText();
    case TTaskKind::If: return "If";
    case TTaskKind::Branch: return "Br[" + ChecksSummary(static_cast<const TBranchTask*>(task)->Checks, Project().Catalogues()) + "]";
    case TTaskKind::Loop: return static_cast<const TLoopTask*>(task)->SummaryText();
    case TTaskKind::Switch: return "Sw[" + static_cast<const TSwitchTask*>(task)->Value + "]";
    case TTaskKind::Case: return static_cast<const TCaseTask*>(task)->SummaryText();
    }
    return "?";
}

// G<number>[:label name], M[=speaker][lines], X[manual lines], A[action], C[checks>target],
// Menu[text>target,...], K[command], S[set], and the other kinds by their summaries; children in
// parentheses.
std::string Dump(const TTaskNode* node)
{
    std::string text = DumpTask(node->Data());
    if (node->ChildCount() == 0)
        return text;
    text += "(";
    for (int i = 0; i < node->ChildCount(); ++i)
        text += (i > 0 ? "," : "") + Dump(node->Child(i));
    return text + ")";
}

std::string Npc(const std::string& body, const std::string& head = "prontera,150,180,4\tscript\tGuide\t111,{")
{
    return head + "\n" + body + "\n}\n";
}

struct MappingRow {
    const char* Name;
    std::string Body;
    std::string Tree;
    std::string Head = "prontera,150,180,4\tscript\tGuide\t111,{";
};

class ImportMappingTest : public ModelTest, public ::testing::WithParamInterface<MappingRow> {};

TEST_P(ImportMappingTest, GivesTheTreeAndPassesTheProof)
{
    const TImportSource source("test.txt", Npc(GetParam().Body, GetParam().Head));
    ASSERT_GE(source.File.Entries.size(), 1u);
    const TProvedImport result = ImportAndProve(source, source.File.Entries[0], TestProofOptions());
    const TProject& imported = *result.Import.Project;
    EXPECT_EQ(Dump(imported.TaskTree.GetFirstNode()), GetParam().Tree);
    EXPECT_GE(result.Proof.Paths, 1);
    EXPECT_TRUE(imported.Modified);
    EXPECT_TRUE(imported.ProjectFileName.empty());
    // Written unchanged, the NPC is its source as it stands.
    EXPECT_EQ(SplitSourceLines(NpcScriptText(imported).Text),
              SplitSourceLines(source.Slice(source.File.Entries[0].Range) + "\n"));
}

const MappingRow MappingRows[] = {
    {"SpeakerLineIsNotDoubled", "\tmes \"[Guide]\";\n\tmes \"Hello\";\n\tclose;", "G0(M[Hello],A[close])"},
    {"OtherSpeakerIsKept", "\tmes \"[Old Man]\";\n\tmes \"Hi\";\n\tclose;", "G0(M=Old Man[Hi],A[close])"},
    {"ShownNameIsTheGroupsSpeaker", "\tmes \"[Guide]\";\n\tmes \"Hi\";\n\tclose;",
     "G0(M[Hi],A[close])", "prontera,150,180,4\tscript\tGuide#p1\t111,{"},
    {"UniqueNameIsNeverTheGroupsSpeaker", "\tmes \"[Guide]\";\n\tmes \"Hi\";\n\tclose;",
     "G0(M[Hi],A[close])", "prontera,150,180,4\tscript\tGuide::g1\t111,{"},
    {"FullNameWithHiddenPartIsASpeakerOfItsOwn",
     "\tmes \"[Guide#p1]\";\n\tmes \"Hi\";\n\tnext;\n\tmes \"[Guide]\";\n\tmes \"Again\";\n\tclose;",
     "G0(M=npc[Hi],A[next],M=shown[Again],A[close])", "prontera,150,180,4\tscript\tGuide#p1\t111,{"},
    {"NoSpeakerAtAll", "\tmes \"Hi\";\n\tnext;\n\tmes \"[Guide]\";\n\tmes \"Again\";\n\tclose;",
     "G0(M=none[Hi],A[next],M=npc[Again],A[close])"},
    {"ALoneSpeakerLineIsALine", "\tmes \"[Guide]\";\n\tclose;", "G0(M=none[[Guide]],A[close])"},
    {"LaterRunsNeedNoSpeaker", "\tmes \"[Guide]\";\n\tmes \"a\";\n\tnext;\n\tmes \"b\";\n\tclose;",
     "G0(M[a],A[next],M[b],A[close])"},
    {"LabelBecomesNamedGroup",
     "\tmes \"[Guide]\";\n\tmes \"a\";\n\tgoto L_End;\nL_End:\n\tmes \"[Guide]\";\n\tmes \"bye\";\n\tclose;",
     "G0(M[a],A[goto L1],G1:L_End(M[bye],A[close]))"},
    {"WritersOwnLabelIsNotKept", "\tgoto L7;\nL7:\n\tclose;", "G0(A[goto L1],G1(A[close]))"},
    {"LabelNothingJumpsTo", "\tnext;\nL_Never:\n\tclose;", "G0(A[next],G1:L_Never(A[close]))"},
    {"MenuToLabels", "\tmenu \"Yes\",L_Yes,\"No\",L_No;\nL_Yes:\n\tclose;\nL_No:\n\tend;",
     "G0(Menu[Yes>1|No>2],G1:L_Yes(A[close]),G2:L_No(End))"},
    {"MenuToNextLineStartsAGroup",
     "\tmenu \"Go\",-,\"Stay\",L_Stay;\n\tmes \"[Guide]\";\n\tmes \"going\";\n\tclose;\nL_Stay:\n\tclose;",
     "G0(Menu[Go>2|Stay>1],G2(M[going],A[close]),G1:L_Stay(A[close]))"},
    {"MenuWithAnEmptyOptionIsACommand", "\tmenu \"\",L_A,\"B\",L_A;\nL_A:\n\tclose;",
     "G0(K[menu \"\", L_A, \"B\", L_A;],G1:L_A(A[close]))"},
    {"ConditionOfComparisons", "\tif (Zeny >= 1000 && countitem(501) > 5) goto L_Rich;\n\tclose;\nL_Rich:\n\tnext;\n\tclose;",
     "G0(C[At least 1000 Zeny And More than 5 Item Amount(501)>1],A[close],G1:L_Rich(A[next],A[close]))"},
    {"ConditionOrOfAnds", "\tif (BaseLevel < 10 || JobLevel < 10 && sex == 1) goto L_A;\n\tclose;\nL_A:\n\tend;",
     "G0(C[Less than 10 BaseLevel OR Less than 10 JobLevel And Equal to Male Sex>1],A[close],G1:L_A(End))"},
    {"GroupedOrIsAnExpression", "\tif ((Zeny > 1 || Zeny < 0) && Sex == 1) goto L_A;\n\tclose;\nL_A:\n\tend;",
     "G0(C[(Zeny > 1 || Zeny < 0) && Sex == 1>1],A[close],G1:L_A(End))"},
    {"ConditionTheEditorCannotSayIsAnExpression", "\tif (quest == 1) goto L_Done;\n\tclose;\nL_Done:\n\tend;",
     "G0(C[quest == 1>1],A[close],G1:L_Done(End))"},
    {"EveryActionForm",
     "\tgetitem 501,2;\n\tdelitem 501, 1;\n\tset Zeny,Zeny+100;\n\tset Zeny,Zeny-100;\n\tset BaseLevel, BaseLevel + 1;"
     "\n\theal 100,50;\n\twarp \"prontera.gat\",150,180;",
     "G0(A[getitem 501, 2],A[delitem 501, 1],A[set Zeny, Zeny + 100],A[set Zeny, Zeny - 100],"
     "A[set BaseLevel, BaseLevel + 1],A[heal 100, 50],A[warp \"prontera.gat\", 150, 180])"},
    {"ActionsWithoutArguments", "\tsetcart;\n\topenstorage;\n\tresetstatus;\n\tresetskill;\n\tjobchange 7;\n\tclose;",
     "G0(A[setcart],A[openstorage],A[resetstatus],A[resetskill],A[jobchange 7],A[close])"},
    // The server finds prontera.gat under "prontera": a Warp, written with the script's name.
    {"MapWithoutGatBecomesAWarp", "\twarp \"prontera\",150,180;\n\tgetitem Apple, 1;",
     "G0(A[warp \"prontera\", 150, 180],K[getitem Apple, 1;])"},
    {"MapOutsideTheCatalogueBecomesAWarp", "\twarp \"my_town.gat\",1,2;\n\tclose;",
     "G0(A[warp \"my_town.gat\", 1, 2],A[close])"},
    {"CommandsOfTheServersTable", "\tgetitem Apple, 1;\n\temotion e_gasp;\n\tclose2;\n\tcutin \"kafra_01\",2;",
     "G0(K[getitem Apple, 1;],K[emotion e_gasp;],K[close2;],K[cutin \"kafra_01\", 2;])"},
    {"SetsAndAssignments", "\tset .@n, 1;\n\tset .@a$[.@n], \"x\" + .@n;\n\t.@n += (2 * 3);\n\t.@n++;\n\tset $q, $q * 2;",
     "G0(S[.@n = 1],S[.@a$[.@n] = \"x\" + .@n],S[.@n = .@n + (2 * 3)],S[.@n = .@n + 1],S[$q = $q * 2])"},
    {"CallsOfFunctionsAndSubroutines",
     "\tcallfunc \"F_Test\", 1, .@x;\n\tcallsub S_Sub, 2;\n\tend;\nS_Sub:\n\treturn;\n}\nfunction\tscript\tF_Test\t{\n\treturn;",
     "G0(Call function F_Test(1, .@x),Call subroutine S_Sub(2),End,G1:S_Sub(Return))"},
    {"CommentsStayBetweenTheTasks",
     "\tset quest, 1; // started\n\t/* two\n\t   lines */\n\twhile (quest < 3) {\n\t\tset quest, quest + 1;\n\t}\n\tclose;",
     "G0(S[quest = 1],X[// started|\t/* two|\t   lines */],While quest < 3(S[quest = quest + 1]),A[close])"},
    {"IfElseIsOneBlockWithTwoBranches", "\tif (quest == 1) {\n\t\tnext;\n\t} else {\n\t\tclose;\n\t}\n\tend;",
     "G0(If(Br[quest == 1](A[next]),Br[](A[close])),End)"},
    {"ElseIfChainsAreBranchesOfOneIf",
     "\tif (Zeny > 5) {\n\t\tnext;\n\t} else if (BaseLevel < 10)\n\t\tclose;\n\telse if (quest) {\n\t\tend;\n\t}",
     "G0(If(Br[More than 5 Zeny](A[next]),Br[Less than 10 BaseLevel](A[close]),Br[quest](End)))"},
    {"CommentBetweenTheBraceAndElseIsKept",
     "\tif (quest == 1) {\n\t\tnext;\n\t} // not yet\n\telse {\n\t\tclose;\n\t}",
     "G0(If(Br[quest == 1](A[next],X[// not yet]),Br[](A[close])))"},
    {"CommentBeforeAJoinedElseIsKept",
     "\tif (quest == 1) {\n\t\tnext;\n\t// the other way\n\t} else {\n\t\tclose;\n\t}",
     "G0(If(Br[quest == 1](A[next],X[// the other way]),Br[](A[close])))"},
    {"LoopsOfEveryKind",
     "\tfor (set .@i, 0; .@i < 2; set .@i, .@i + 1)\n\t\tnext;\n\tdo {\n\t\tset .@i, .@i - 1;\n\t} while (.@i > 0);\n\tclose;",
     "G0(For set .@i, 0; .@i < 2; set .@i, .@i + 1(A[next]),Do ... while .@i > 0(S[.@i = .@i - 1]),A[close])"},
    {"SwitchOnSelectStaysASwitch",
     "\tswitch (select(\"A:B\",\"C\")) {\n\tcase 1:\n\t\tnext;\n\t\tbreak;\n\tcase 3:\n\t\tif (Zeny > 5) break;\n"
     "\t\tclose;\n\tdefault:\n\t\tend;\n\t}\n\tclose;",
     "G0(Sw[select(\"A:B\",\"C\")](Case 1(A[next],Break),Case 3(If(Br[More than 5 Zeny](Break)),A[close]),"
     "Default(End)),A[close])"},
    {"SwitchOnAVariable", "\tswitch (quest) {\n\tcase 1:\n\t\tclose;\n\t}\n\tend;",
     "G0(Sw[quest](Case 1(A[close])),End)"},
    {"CommentBeforeTheFirstCaseGoesBeforeTheSwitch", "\tswitch (quest) { // the steps\n\tcase 1:\n\t\tclose;\n\t}",
     "G0(X[// the steps],Sw[quest](Case 1(A[close])))"},
    {"StatementsBeforeTheFirstCaseStayManual", "\tswitch (quest) {\n\tclose;\n\tcase 1:\n\t\tend;\n\t}",
     "G0(X[switch (quest) {|close;|case 1:|\tend;|}])"},
    {"EventLabelsAreGroupsUnderTheirNames", "\tend;\nOnInit:\n\tset $x, 1;\n\tend;",
     "G0(End,G1:OnInit(S[$x = 1],End))"},
    {"CompoundAssignmentWhoseIndexChangesStaysAsWritten",
     "\t.@a[.@i++] += 5;\n\t.@a[rand(2)]++;\n\t.@a[.@i] += 5;\n\tset .@b[.@i++], 1;",
     "G0(X[.@a[.@i++] += 5;|.@a[rand(2)]++;],S[.@a[.@i] = .@a[.@i] + (5)],S[.@b[.@i++] = 1])"},
    {"TouchAreaEventIsPlayed", "\tmes \"[Guide]\";\n\tmes \"Hi\";\n\tclose;\nOnTouch:\n\tmes \"Welcome!\";\n\tclose;",
     "G0(M[Hi],A[close],G1:OnTouch(M=none[Welcome!],A[close]))", "prontera,150,180,4\tscript\tGuide\t111,3,3,{"},
};

INSTANTIATE_TEST_SUITE_P(Rules, ImportMappingTest, ::testing::ValuesIn(MappingRows),
                         [](const auto& info) { return std::string(info.param.Name); });

class ImportTest : public ModelTest {};

TEST_F(ImportTest, KeptLabelThatClashesWithTheWritersLabelsIsRefused)
{
    const TImportSource source("t.txt", Npc("\tif (a) {\n\t\tL2: close;\n\t}\n\tclose;"));
    EXPECT_THAT([&] { ImportNpc(source, source.File.Entries[0], SharedTestCatalogues()); },
                ::testing::ThrowsMessage<EImportError>(HasSubstr("clash with the editor's own labels")));
}

TEST_F(ImportTest, NpcRecordComesFromTheNpcLine)
{
    const TImportSource source("t.txt", Npc("\tclose;", "izlude.gat,12,34,6\tscript\tPorter#iz\t800,{"));
    const TImportResult result = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    EXPECT_EQ(result.Project->NPCInfo, (TNPC{800, 12, 34, 6, 1, "Porter#iz", "izlude.gat"}));
    EXPECT_TRUE(result.Notes.empty());
}

TEST_F(ImportTest, MapTheCatalogueLacksIsReportedAndTheProofStillRuns)
{
    const TImportSource source("t.txt", Npc("\tmes \"[Guide]\";\n\tmes \"a\";\n\tclose;", "my_town,1,2,3\tscript\tGuide\t45,{"));
    const TProvedImport result = ImportAndProve(source, source.File.Entries[0], TestProofOptions());
    EXPECT_EQ(result.Import.Project->NPCInfo.MapIndex, -1);
    ASSERT_EQ(result.Import.Notes.size(), 1u);
    EXPECT_THAT(result.Import.Notes[0], HasSubstr("my_town is not in the map catalogue"));
    EXPECT_EQ(TestCatalogues().Maps.size(), 2u);
}

struct HeaderRow {
    const char* Name;
    std::string Comments;
    TNPCHeader Header;
};

class ImportHeaderTest : public ModelTest, public ::testing::WithParamInterface<HeaderRow> {};

TEST_P(ImportHeaderTest, FillsTheHeaderRecord)
{
    const TImportSource source("t.txt", GetParam().Comments + Npc("\tclose;"));
    const TImportResult result = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    EXPECT_EQ(result.Project->HeaderInfo, GetParam().Header);
    // The script is written with the header as the file has it, until the header is edited.
    EXPECT_EQ(SplitSourceLines(ScriptText(*result.Project).Text), SplitSourceLines(source.Text));
    result.Project->HeaderInfo.Author = "Someone Else";
    EXPECT_THAT(ScriptText(*result.Project).Text, HasSubstr("\r\n//= Someone Else\r\n"));
}

const HeaderRow HeaderRows[] = {
    {"WritersLayout",
     "//===== eAthena Script =======================================\n//= Juice Maker\n"
     "//===== By: ==================================================\n//= kobra\n"
     "//===== Current Version: =====================================\n//= 2.1\n"
     "//===== Compatible With: =====================================\n//= eAthena SVN\n"
     "//===== Description: =========================================\n//= Makes juice\n//= from fruit.\n"
     "//===== Additional Comments: =================================\n//= 1.0 First.\n//=\t2.0 Second.\n"
     "//============================================================\n// trailing note\n\n",
     {"Juice Maker", "kobra", "2.1", "eAthena SVN", "Makes juice\r\nfrom fruit.", "1.0 First.\r\n2.0 Second.\r\ntrailing note",
      true}},
    {"AnotherLayout", "/* Guide NPC\n   by someone */\n// version 3\n",
     {"<Name> Script", "<Author> (1.0)", "1.0", "Any eAthena Version; RO Episode XX", "<Description>",
      "Guide NPC\r\n  by someone \r\nversion 3", true}},
    {"NoComments", "", {"<Name> Script", "<Author> (1.0)", "1.0", "Any eAthena Version; RO Episode XX",
                        "<Description>", "<Version History and Comments>"}},
};

INSTANTIATE_TEST_SUITE_P(Layouts, ImportHeaderTest, ::testing::ValuesIn(HeaderRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ImportTest, ListSaysWhichEntriesCanBecomeProjects)
{
    const TImportSource source("t.txt",
                               "-\tscript\tHidden\t-1,{\n\tend;\n}\n"
                               "function\tscript\tF_Do\t{\n\treturn;\n}\n"
                               "prontera,1,1,4\tshop\tSeller\t45,501:-1\n"
                               "prontera,2,2,0\twarp\tgate\t1,1,izlude,3,3\n"
                               "prontera,5,5,4\tscript\tGuide\t45,{\n\tclose;\n}\n"
                               "izlude,5,5,4\tduplicate(Guide)\tGuide#2\t45\n");
    std::vector<std::string> rows;
    for (const TImportCandidate& c : ListCandidates(source))
        rows.push_back(c.Name + " " + std::to_string(c.FirstLine) + "-" + std::to_string(c.LastLine) + " " +
                       (c.Importable ? "yes" : c.Reason.substr(0, c.Reason.find(':'))));
    EXPECT_THAT(rows, ::testing::ElementsAre("Hidden 1-3 a floating NPC (map -)", "F_Do 4-6 a function, not an NPC",
                                             "Seller 7-7 a shop", "gate 8-8 a warp portal", "Guide 9-11 yes",
                                             "Guide#2 12-12 a duplicate of Guide"));
    EXPECT_EQ(&FindImportable(source, "guide"), &source.File.Entries[4]);
    EXPECT_THAT([&] { FindImportable(source, "Hidden"); },
                ::testing::ThrowsMessage<EImportError>(HasSubstr("Hidden cannot be imported: a floating NPC")));
    EXPECT_THAT([&] { FindImportable(source, "Nobody"); },
                ::testing::ThrowsMessage<EImportError>(HasSubstr("t.txt has no NPC named Nobody")));
}

// A change made to the imported project that the proof must find, with what its reason says.
struct ProofFailureRow {
    const char* Name;
    std::string Body;
    std::function<TMessageTask*(const TProject&)> Message;  // the message whose lines change
    std::vector<std::string> Reasons;
};

class ProofFailureTest : public ModelTest, public ::testing::WithParamInterface<ProofFailureRow> {};

TEST_P(ProofFailureTest, SaysWhereTheImportDiffers)
{
    const TImportSource source("t.txt", Npc(GetParam().Body));
    const TImportResult import = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    EXPECT_TRUE(ProveImport(source, source.File.Entries[0], import, TProofOptions{}).Passed);
    GetParam().Message(*import.Project)->Lines = {"changed"};
    const TProofResult proof = ProveImport(source, source.File.Entries[0], import, TProofOptions{});
    EXPECT_FALSE(proof.Passed);
    for (const std::string& reason : GetParam().Reasons)
        EXPECT_THAT(proof.Reason, HasSubstr(reason));
}

TMessageTask* MessageAt(const TProject& project, int group, int row)
{
    return static_cast<TMessageTask*>(project.TaskTree.GetFirstNode()->Child(group)->Child(row)->Data());
}

const ProofFailureRow ProofFailureRows[] = {
    {"AMenuPath", "\tmes \"[Guide]\";\n\tmes \"Hello\";\n\tmenu \"A\",L_A,\"B\",L_B;\nL_A:\n\tclose;\nL_B:\n\tmes \"[Guide]\";"
                  "\n\tmes \"b\";\n\tclose;",
     [](const TProject& p) { return MessageAt(p, 3, 0); }, {"choices 2: event", "changed"}},
    {"AnEventLabel", "\tclose;\nOnTouch:\n\tmes \"Welcome\";\n\tclose;",
     [](const TProject& p) { return MessageAt(p, 1, 0); }, {"at OnTouch, no choice: event 1", "changed"}},
};

INSTANTIATE_TEST_SUITE_P(Changes, ProofFailureTest, ::testing::ValuesIn(ProofFailureRows), TNameOfRow{});

TEST_F(ImportTest, AnEventLabelsGroupSaysItRunsOnAnEvent)
{
    const TImportSource source("t.txt", Npc("\tclose;\nOnTouch:\n\tclose;"));
    const TImportResult import = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    const auto* touch = static_cast<const TGroupTask*>(import.Project->TaskTree.GetFirstNode()->Child(1)->Data());
    EXPECT_EQ(touch->Caption, "OnTouch (runs on an event)");
    EXPECT_TRUE(touch->IsEventLabel());
}

TEST_F(ImportTest, ProofExcusesOnlyTheCheckerErrorsTheOriginalHasToo)
{
    const TImportSource source("t.txt", Npc("\tF_Elsewhere 1;\n\tclose;"));
    const TImportResult import = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    EXPECT_TRUE(ProveImport(source, source.File.Entries[0], import, TProofOptions{}).Passed);
    import.Project->AttachTask(import.Project->TaskTree.GetFirstNode(),
                               std::make_unique<TManualTask>(std::vector<std::string>{"F_Elsewhere 2;"}));
    const TProofResult proof = ProveImport(source, source.File.Entries[0], import, TProofOptions{});
    EXPECT_FALSE(proof.Passed);
    EXPECT_THAT(proof.Reason, HasSubstr("checker error at line"));
}

TEST_F(ImportTest, ProofRefusesAScriptTheCheckerRejects)
{
    const TImportSource source("t.txt", Npc("\tclose;"));
    const TImportResult import = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    import.Project->AttachTask(import.Project->TaskTree.GetFirstNode(),
                               std::make_unique<TManualTask>(std::vector<std::string>{"mes \"unclosed;"}));
    const TProofResult proof = ProveImport(source, source.File.Entries[0], import, TProofOptions{});
    EXPECT_FALSE(proof.Passed);
    EXPECT_THAT(proof.Reason, HasSubstr("checker error at line"));
}

// rAthena's mes takes several texts, Hercules' one: the import for Hercules names Hercules and the
// source as what does not load.
TEST_F(ImportTest, ASourceTheServerDoesNotLoadIsSaidWithTheServersName)
{
    TProofOptions options;
    options.Catalogues = SharedTestCatalogues();
    for (const auto target : {TServerTarget::Hercules, TServerTarget::RAthena}) {
        const TImportSource source("t.txt", Npc("\tmes \"a\", \"b\";\n\tclose;"), target);
        options.Target = target;
        if (target == TServerTarget::RAthena) {
            EXPECT_NO_THROW(ImportAndProve(source, source.File.Entries[0], options));
            continue;
        }
        EXPECT_THAT([&] { ImportAndProve(source, source.File.Entries[0], options); },
                    ::testing::ThrowsMessage<EImportError>(
                        HasSubstr("the source itself does not load on Hercules: line 2: 'mes' takes at most 1 argument")));
    }
}

TEST_F(ImportTest, ImportBuildsItsOwnProjectAndLeavesTheOpenOneAlone)
{
    Project().NPCInfo.Name = "Before";
    Document().SetModified(true);
    const std::string before = SaveProjectBytes(Project());
    const TImportSource source("t.txt", Npc("\tclose;"));
    const TImportResult import = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues(), TServerTarget::Hercules);
    EXPECT_EQ(SaveProjectBytes(Project()), before);
    EXPECT_TRUE(Project().Modified);
    EXPECT_EQ(import.Project->NPCInfo.Name, "Guide");
    // The imported project is written for the server it was imported for.
    EXPECT_EQ(import.Project->HeaderInfo.Target, TServerTarget::Hercules);
}

} // namespace
