// A project's NPC written into a script file of many: the writer's NPC part (the golden script
// without its header block), npc-export --into replacing one NPC with every other byte kept, and
// each refusal leaving the file untouched.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include "document/UndoSteps.h"
#include "output/Export.h"
#include "import/Import.h"
#include "model/BlockTasks.h"
#include "model/CodeTasks.h"
#include "model/MessageTasks.h"
#include "model/ProjectFile.h"
#include "model/ScriptStyle.h"
#include "workspace/WriteBack.h"

#include <gmock/gmock.h>

#include <QProcess>
#include <QStringList>

#include <functional>
#include <optional>
#include <sstream>
#include <tuple>

using ::testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

constexpr const char* NpcLine = "prontera.gat,150,180,5\tscript\tGuide\t113,{";

// The golden script from its NPC line on, in LF line ends.
std::string GoldenNpcPart(const std::string& lineEnd)
{
    const std::string golden = ReadBytes(SourceDir() / "tests" / "golden" / "project-every-kind.txt");
    std::vector<std::string> lines = SplitSourceLines(golden.substr(golden.find(NpcLine)));
    lines.pop_back();
    return JoinLines(lines, lineEnd);
}

TEST_F(TaskTest, NpcScriptTextIsTheScriptWithoutItsHeaderBlock)
{
    BuildEveryKindProject();
    const std::string whole = ScriptText(Project()).Text;
    const TExportedScript npc = NpcScriptText(Project());
    ASSERT_TRUE(npc.Problems.empty());
    EXPECT_TRUE(npc.Text.starts_with(NpcLine)) << npc.Text.substr(0, 80);
    ASSERT_GT(whole.size(), npc.Text.size());
    EXPECT_EQ(whole.substr(whole.size() - npc.Text.size()), npc.Text);
    EXPECT_TRUE(whole.substr(0, whole.size() - npc.Text.size()).ends_with("\r\n//============================================================\r\n\r\n"));
    EXPECT_EQ(npc.LineTasks.size(), static_cast<std::size_t>(std::count(npc.Text.begin(), npc.Text.end(), '\n')));
    EXPECT_EQ(npc.Text, GoldenNpcPart("\r\n") + "\r\n");
}

TEST_F(TaskTest, NpcScriptTextReportsTheWritersProblems)
{
    BuildEveryKindProject();
    Project().NPCInfo.MapIndex = -1;
    EXPECT_THAT(NpcScriptText(Project()).Problems, ::testing::ElementsAre(NoMapProblem));
    EXPECT_TRUE(NpcScriptText(Project(), "payon").Text.starts_with("payon,150,180,5\tscript"));
}

// ---- npc-export --into -------------------------------------------------------------------------

// A file of several NPCs in LF line ends around the Guide the project replaces.
const std::string Before = "// Town NPCs\n\nprontera,10,10,4\tscript\tSoldier\t105,{\n\tmes \"Halt!\";\n\tclose;\n}\n";
const std::string OldGuide = "prontera,150,180,5\tscript\tGuide::town_guide\t113,{\n\tmes \"Old\";\n\tclose;\n}";
const std::string After = "\n\n/* the end */\nprontera\tmapflag\tnosave\tSavePoint";

class IntoTest : public TaskTest {
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        WriteBytes(Data / "maps.ini", "[Maps]\r\nCount=2\r\n[Map1]\r\nName=Prontera\r\nMap=prontera.gat\r\n"
                                      "[Map2]\r\nName=Izlude\r\nMap=izlude.gat\r\n");
        WriteBytes(Data / "jobs.ini", "[Jobs]\r\nCount=1\r\n[Job1]\r\nID=7\r\nName=Knight\r\n");
        BuildEveryKindProject();
        Document().SaveProject(ProjectPath());
        WriteBytes(ScriptPath(), Before + OldGuide + After);
    }

public:
    std::string ProjectPath() const { return (Dir / "every.NPC").string(); }
    std::string ScriptPath() const { return (Dir / "town.txt").string(); }
    int Run(const std::string& npc = {})
    {
        Err.str("");
        return RunExportInto({Data.Path(), ProjectPath(), ScriptPath(), npc}, Err);
    }

    TTempDir Dir;
    TTempDir Data;
    std::ostringstream Err;
};

TEST_F(IntoTest, ReplacesTheProjectsNpcAndKeepsEveryOtherByte)
{
    EXPECT_EQ(Run(), 0) << Err.str();
    EXPECT_EQ(Err.str(), "");
    EXPECT_EQ(ReadBytes(ScriptPath()), Before + GoldenNpcPart("\n") + After);
}

TEST_F(IntoTest, TheSameProjectAgainLeavesTheFileAsItIs)
{
    ASSERT_EQ(Run(), 0) << Err.str();
    const auto written = fs::last_write_time(ScriptPath());
    ASSERT_EQ(Run("guide"), 0) << Err.str();
    EXPECT_EQ(ReadBytes(ScriptPath()), Before + GoldenNpcPart("\n") + After);
    EXPECT_EQ(fs::last_write_time(ScriptPath()), written);
}

TEST_F(IntoTest, CrLfFileGetsCrLfLines)
{
    const auto crlf = [](std::string text) {
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
            text.replace(at, 1, "\r\n");
        return text;
    };
    WriteBytes(ScriptPath(), crlf(Before + OldGuide + After));
    EXPECT_EQ(Run("Guide"), 0) << Err.str();
    EXPECT_EQ(ReadBytes(ScriptPath()), crlf(Before) + GoldenNpcPart("\r\n") + crlf(After));
}

struct IntoRefusalRow {
    const char* Name;
    std::function<void(IntoTest&)> Arrange;
    const char* Npc;
    const char* Message;  // in what is written on err
};

class IntoRefusalTest : public IntoTest, public ::testing::WithParamInterface<IntoRefusalRow> {};

TEST_P(IntoRefusalTest, ExitOneAndTheFileUntouched)
{
    GetParam().Arrange(*this);
    const bool exists = fs::exists(ScriptPath());
    const std::string before = exists ? ReadBytes(ScriptPath()) : "";
    EXPECT_EQ(Run(GetParam().Npc), 1);
    EXPECT_THAT(Err.str(), HasSubstr(GetParam().Message));
    EXPECT_THAT(Err.str(), ::testing::StartsWith("npc-export: "));
    EXPECT_EQ(fs::exists(ScriptPath()), exists);
    if (exists)
        EXPECT_EQ(ReadBytes(ScriptPath()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, IntoRefusalTest,
    ::testing::Values(
        IntoRefusalRow{"NoSuchNpc", [](IntoTest&) {}, "Merchant", "town.txt: has no NPC named Merchant"},
        IntoRefusalRow{"Ambiguous",
                       [](IntoTest& t) { WriteBytes(t.ScriptPath(), Before + OldGuide + "\n" + OldGuide + After); },
                       "", "town.txt: Guide is ambiguous: NPCs of that name at lines 7, 11; name one with --npc"},
        IntoRefusalRow{"AShopOfThatNameIsNoNpc", [](IntoTest&) {}, "SavePoint", "has no NPC named SavePoint"},
        IntoRefusalRow{"WouldNotLoad",
                       [](IntoTest&) {
                           auto manual = std::make_unique<TManualTask>(std::vector<std::string>{"frobnicate 1;"});
                           manual->Caption = "Manual";
                           Project().AttachTask(Project().TaskTree.GetFirstNode(), std::move(manual));
                           Document().SaveProject((Project().ProjectFileName));
                       },
                       "", "town.txt: not written: the new file would not load on eAthena"},
        IntoRefusalRow{"NotAScript", [](IntoTest& t) { WriteBytes(t.ScriptPath(), "just words\n"); }, "",
                       "town.txt: not a script file: line 1 begins no NPC"},
        IntoRefusalRow{"MissingScript", [](IntoTest& t) { fs::remove(t.ScriptPath()); }, "", "town.txt"},
        IntoRefusalRow{"MissingProject", [](IntoTest& t) { fs::remove(t.ProjectPath()); }, "", "every.NPC"}),
    TNameOfRow{});

// ---- An imported NPC written back: what an edit changes -----------------------------------------

template <class T>
T& FirstTask(TProject& project)
{
    for (int i = 0; i < project.TaskList.TaskCount(); ++i)
        if (auto* task = dynamic_cast<T*>(project.TaskList.TaskAt(i)))
            return *task;
    throw std::logic_error("no such task");
}

std::string CrLf(std::string text)
{
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\r\n");
    return text;
}

struct KeptEditRow {
    const char* Name;
    std::string File;  // one NPC
    std::function<void(TProject&)> Edit;
    std::string Expected;  // the file once the NPC is written back
    std::optional<TScriptStyle> Style = std::nullopt;  // the style read from File, where the row is about it
};

} // namespace

void PrintTo(const TScriptStyle& s, std::ostream* out)
{
    *out << "{indent \"" << s.IndentUnit << "\", comma " << s.SpaceAfterComma << ", operators " << s.SpaceAroundOperators
         << ", paren " << s.SpaceBeforeParen << ", brace gap " << s.SpaceBeforeBrace << ", brace own line "
         << s.BraceOnOwnLine << ", call " << s.CallParentheses << ", assign " << s.AssignOperator << "}";
}

namespace {

class KeptEditTest : public ModelTest, public ::testing::WithParamInterface<KeptEditRow> {};

// The NPC written back as npc-export --into writes it: the author's bytes where nothing changed,
// the changed lines in the NPC's own indent and line end.
TEST_P(KeptEditTest, ChangesOnlyTheEditedLines)
{
    const KeptEditRow& row = GetParam();
    if (row.Style) {
        TStyleDetector detector(script::TTarget::EAthena);
        const std::vector<std::string> lines = SplitSourceLines(row.File);
        detector.Read({lines.begin() + 1, lines.end()});  // the body: the NPC line has commas of its own
        EXPECT_EQ(detector.Style(), *row.Style);
    }
    const TImportSource source("t.txt", row.File);
    const TImportResult result = ImportNpc(source, source.File.Entries[0], SharedTestCatalogues());
    ASSERT_THAT(result.Notes, ::testing::IsEmpty());
    row.Edit(*result.Project);
    TScriptWorkspace workspace("t.txt", row.File, script::TTarget::EAthena);
    WriteNpcInto(workspace, workspace.PartOfEntry(0), *result.Project, result.OriginalMap);
    EXPECT_EQ(workspace.NewBytes(), row.Expected);
    // The project file keeps what the import kept.
    const std::string bytes = SaveProjectBytes(*result.Project);
    EXPECT_EQ(bytes.substr(0, 4), Int32(KeptProjectFileVersion));
    const auto again = ReadProjectBytes("again.NPC", bytes, SharedTestCatalogues());
    EXPECT_EQ(again->Kept, result.Project->Kept);
    TScriptWorkspace reread("t.txt", row.File, script::TTarget::EAthena);
    WriteNpcInto(reread, reread.PartOfEntry(0), *again, result.OriginalMap);
    EXPECT_EQ(reread.NewBytes(), row.Expected);
}

const std::string Spaced = "prontera,150,150,4\tscript\tGuide\t111,{\n"
                           "    mes \"[Guide]\";\n"
                           "    mes \"Hello\";   // greeting\n"
                           "    .@x = 1;\n"
                           "    if(Zeny>5){\n"
                           "        getitem 501,1;\n"
                           "    }\n"
                           "    close;\n"
                           "}\n";
const std::string Lines3 = "prontera,150,150,4\tscript\tGuide\t111,{\n\tmes \"One\";\n\tmes \"Two\";\n\tmes \"Three\";\n\tclose;\n}\n";
const std::string Lines3Changed = "prontera,150,150,4\tscript\tGuide\t111,{\n\tmes \"One\";\n\tmes \"Zwei\";\n\tmes \"Three\";\n\tclose;\n}\n";
const std::string TwoSpaces = "prontera,150,150,4\tscript\tGuide\t111,{\n  if (Zeny > 5) {\n    mes \"Rich\";\n  }\n  close;\n}\n";
const std::string Jump = "prontera,150,150,4\tscript\tGuide\t111,{\n\tmes \"Hi\";\n\tgoto L_End;\nL_End:\n\tclose;\n}\n";

void ChangeSecondLine(TProject& project)
{
    FirstTask<TMessageTask>(project).Lines.at(1) = "Zwei";
}

// New tasks after the message's, one of each form a style changes: a Set task, a command and a
// loop holding a command; the Set task's value is expression.
std::function<void(TProject&)> AddTasks(const std::string& expression)
{
    return [expression](TProject& project) {
        TTaskNode* parent = FirstTask<TMessageTask>(project).Node->Parent();
        auto set = std::make_unique<TSetTask>();
        std::tie(set->Scope, set->Name) = SplitVariable(".@n");
        set->Expression = expression;
        project.AttachTask(parent, std::move(set));
        project.AttachTask(parent, std::make_unique<TCommandTask>("getitem", std::vector<std::string>{"501", "1"}));
        auto loop = std::make_unique<TLoopTask>();
        loop->Condition = ".@n < 3";
        TTaskNode* body = project.AttachTask(parent, std::move(loop))->Node;
        project.AttachTask(body, std::make_unique<TCommandTask>("mes", std::vector<std::string>{"\"More\""}));
    };
}

const std::string NpcHead = "prontera,150,150,4\tscript\tGuide\t111,{\n";
// Compact, in tabs, commands called with parentheses, values given with operators.
const std::string Compact = NpcHead + "\tmes(\"Hi\");\n\t.@n=.@n+1;\n\tif(.@n>1){\n\t\tgetitem(501,1);\n\t}\n\tclose;\n";
// Spaced, in four spaces, braces on lines of their own, set and the command form.
const std::string Allman = NpcHead + "    mes \"Hi\";\n    set .@n, .@n + 1;\n    if (.@n > 1)\n    {\n"
                                     "        getitem 501, 1;\n    }\n    close;\n";
// A heading above a blank line, then a comment directly above the Set task: each comment is a task
// of its own (manual code), which a deletion of the Set task leaves in place.
const std::string Heading = NpcHead + "\tmes \"Hi\";\n\t// Shop\n\n\t// pays ten\n\tset .@n, 1;\n\tclose;\n}\n";

// The Set task deleted as the document deletes it, and undone when undo.
std::function<void(TProject&)> DeleteSet(bool undo)
{
    return [undo](TProject& project) {
        TDeleteStep step(project, "Delete", CP_Tree, *FirstTask<TSetTask>(project).Node);
        step.redo();
        if (undo)
            step.undo();
    };
}

// Nothing but messages: no choice a style makes.
const std::string Plain = NpcHead + "  mes \"Hi\";\n  close;\n";

INSTANTIATE_TEST_SUITE_P(
    Styles, KeptEditTest,
    ::testing::Values(
        KeptEditRow{"UnchangedKeepsEveryByte", CrLf(Spaced), [](TProject&) {}, CrLf(Spaced)},
        KeptEditRow{"OneMessageLineChanges", Lines3, ChangeSecondLine, Lines3Changed},
        KeptEditRow{"ChangedLineTakesTheFilesLineEnd", CrLf(Lines3), ChangeSecondLine, CrLf(Lines3Changed)},
        KeptEditRow{"NewTaskTakesTheNpcsIndent", TwoSpaces,
                    [](TProject& project) {
                        auto added = std::make_unique<TMessageTask>(std::vector<std::string>{"Added"});
                        added->Speaker = TSpeakerKind::None;
                        project.AttachTask(FirstTask<TMessageTask>(project).Node->Parent(), std::move(added));
                    },
                    "prontera,150,150,4\tscript\tGuide\t111,{\n  if (Zeny > 5) {\n    mes \"Rich\";\n    mes \"Added\";\n"
                    "  }\n  close;\n}\n"},
        KeptEditRow{"MovedTaskTakesItsNewDepth", TwoSpaces,
                    [](TProject& project) {
                        TTaskNode* branch = FirstTask<TMessageTask>(project).Node->Parent();
                        project.TaskTree.MoveToEnd(branch->Parent()->NextSibling(), branch);  // close;
                    },
                    "prontera,150,150,4\tscript\tGuide\t111,{\n  if (Zeny > 5) {\n    mes \"Rich\";\n    close;\n  }\n}\n"},
        KeptEditRow{"DeletedTaskLeavesTheCommentsAboveIt", Heading, DeleteSet(false),
                    NpcHead + "\tmes \"Hi\";\n\t// Shop\n\n\t// pays ten\n\tclose;\n}\n"},
        KeptEditRow{"DeleteUndoneGivesTheBytesBack", Heading, DeleteSet(true), Heading},
        KeptEditRow{"RenamedLabelRewritesItsJumps", Jump,
                    [](TProject& project) {
                        for (int i = 0; i < project.TaskList.TaskCount(); ++i)
                            if (auto* group = dynamic_cast<TGroupTask*>(project.TaskList.TaskAt(i)); group && group->LabelName == "L_End")
                                group->LabelName = "L_Bye";
                    },
                    "prontera,150,150,4\tscript\tGuide\t111,{\n\tmes \"Hi\";\n\tgoto L_Bye;\nL_Bye:\n\tclose;\n}\n"},
        KeptEditRow{"NewTasksInACompactNpc", Compact + "}\n", AddTasks(".@n + 1"),
                    Compact + "\t.@n=.@n+1;\n\tgetitem(501,1);\n\twhile(.@n<3){\n\t\tmes(\"More\");\n\t}\n}\n",
                    TScriptStyle{.SpaceAfterComma = false, .SpaceAroundOperators = false, .SpaceBeforeParen = false,
                                 .SpaceBeforeBrace = false, .CallParentheses = true, .AssignOperator = true}},
        KeptEditRow{"CompactNeverJoinsTwoOperators", Compact + "}\n", AddTasks(".@n - -1"),
                    Compact + "\t.@n = .@n - -1;\n\tgetitem(501,1);\n\twhile(.@n<3){\n\t\tmes(\"More\");\n\t}\n}\n"},
        KeptEditRow{"NewTasksInAnAllmanNpc", Allman + "}\n", AddTasks(".@n+1"),
                    Allman + "    set .@n, .@n + 1;\n    getitem 501, 1;\n    while (.@n < 3)\n    {\n        mes \"More\";\n"
                             "    }\n}\n",
                    TScriptStyle{.IndentUnit = "    ", .BraceOnOwnLine = true}},
        KeptEditRow{"ANpcThatChoosesNothingGetsTheEditorsForms", Plain + "}\n", AddTasks(".@n+1"),
                    Plain + "  set .@n, .@n + 1;\n  getitem 501, 1;\n  while (.@n < 3) {\n    mes \"More\";\n  }\n}\n",
                    TScriptStyle{.IndentUnit = "  "}}),
    TNameOfRow{});

// ---- The program's command line ----------------------------------------------------------------

struct IntoLineRow {
    const char* Name;
    std::function<QStringList(const IntoTest&)> Args;
    int Exit;
    const char* Err;  // start of stderr
};

class IntoProgramTest : public IntoTest, public ::testing::WithParamInterface<IntoLineRow> {};

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

TEST_P(IntoProgramTest, ExitStatus)
{
    const std::string before = ReadBytes(ScriptPath());
    QProcess program;
    program.start(QStringLiteral(NPC_EXPORT_PATH), GetParam().Args(*this));
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), GetParam().Exit);
    EXPECT_EQ(program.readAllStandardOutput().toStdString(), "");
    EXPECT_THAT(program.readAllStandardError().toStdString(), ::testing::StartsWith(GetParam().Err));
    if (GetParam().Exit == 0)
        EXPECT_EQ(ReadBytes(ScriptPath()), Before + GoldenNpcPart("\n") + After);
    else
        EXPECT_EQ(ReadBytes(ScriptPath()), before);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, IntoProgramTest,
    ::testing::Values(
        IntoLineRow{"Into",
                    [](const IntoTest& t) {
                        return QStringList{"--data", Q(t.Data.Path().string()), Q(t.ProjectPath()), "--into",
                                           Q(t.ScriptPath()), "--npc", "town_guide"};
                    },
                    0, ""},
        IntoLineRow{"IntoByProjectName",
                    [](const IntoTest& t) {
                        return QStringList{"--data", Q(t.Data.Path().string()), Q(t.ProjectPath()), "--into", Q(t.ScriptPath())};
                    },
                    0, ""},
        IntoLineRow{"NpcWithoutInto", [](const IntoTest& t) { return QStringList{Q(t.ProjectPath()), "--npc", "Guide"}; },
                    2, "npc-export: --npc names the NPC replaced by --into; give --into SCRIPT.txt\nusage: "},
        IntoLineRow{"IntoWithOutput",
                    [](const IntoTest& t) {
                        return QStringList{Q(t.ProjectPath()), "--into", Q(t.ScriptPath()), "-o", "x.txt"};
                    },
                    2, "npc-export: --into writes into the script file in the project's own server form; "}),
    TNameOfRow{});

} // namespace
