// The project's problems: the tree's own findings, the script's traced back to their tasks (manual
// code to its line), the target followed, and manual code checked where it stands.

#include "TaskFixture.h"
#include "DocumentSupport.h"

#include "check/Problems.h"

#include <algorithm>
#include <functional>

namespace {

// "error|warning: TASK CAPTION: MESSAGE @ line within the task", TASK CAPTION "NPC" for none.
std::vector<std::string> Described(const TProjectCheck& check)
{
    std::vector<std::string> found;
    for (const TProblem& p : check.Problems) {
        std::string text = p.Severity == script::TSeverity::Error ? "error: " : "warning: ";
        text += (p.Task ? p.Task->Caption : std::string("NPC")) + ": " + p.Message;
        if (p.TaskLine >= 0)
            text += " @" + std::to_string(p.TaskLine);
        found.push_back(text);
    }
    return found;
}

struct ProblemRow {
    const char* Name;
    std::function<void(TTaskNode* start)> Arrange;
    std::vector<std::string> Expected;
};

class ProjectProblems : public TaskTest, public ::testing::WithParamInterface<ProblemRow> {
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        Project().NPCInfo.Name = "Guide";
        AddTask(StartNode(), std::make_unique<TMessageTask>(std::vector<std::string>{"Hello."}));
    }
    void TearDown() override
    {
        Project().HeaderInfo.Target = DefaultTarget;
        TaskTest::TearDown();
    }
};

std::unique_ptr<TManualTask> Manual(const std::string& caption, std::vector<std::string> lines)
{
    auto task = std::make_unique<TManualTask>(lines);
    task->Rename(caption);
    return task;
}

std::unique_ptr<TActionTask> Named(std::unique_ptr<TActionTask> task, const std::string& caption)
{
    task->Caption = caption;
    return task;
}

TEST_P(ProjectProblems, AreFoundWithTheirTasks)
{
    GetParam().Arrange(StartNode());
    EXPECT_EQ(Described(CheckProject(Project())), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Problems, ProjectProblems, ::testing::Values(
    ProblemRow{"CleanProject", [](TTaskNode* start) { AddTask(start, MakeAction(6, {})); }, {}},
    ProblemRow{"DeletedGroupsJump", [](TTaskNode* start) {
        TGroupTask* gone = AddTask(start, Project().NewGroup("Gone"));
        AddTask(start, Named(MakeAction(3, {gone->GroupNumber}), "Jump"));
        Project().TaskTree.Delete(gone->Node);
    }, {"error: Jump: The Jumpto Group jumps to a group that no longer exists: choose another one"}},
    ProblemRow{"MenuEntryToNoGroup", [](TTaskNode* start) {
        auto menu = MakeMenu({{"Go", 77}});
        menu->Caption = "Ask";
        AddTask(start, std::move(menu));
    }, {"error: Ask: The menu entry \"Go\" jumps to a group that no longer exists: choose another one"}},
    ProblemRow{"NpcWithoutMapAndWarpWithoutMap", [](TTaskNode* start) {
        Project().NPCInfo.MapIndex = -1;
        AddTask(start, Named(MakeAction(13, {-1, 5, 5}), "Away"));
    }, {"error: NPC: " + std::string(NoMapProblem), "error: Away: The Warp has no map: choose one"}},
    ProblemRow{"ManualCodeAtItsLine", [](TTaskNode* start) {
        AddTask(start, Manual("Code", {"mes \"a\";", "meszq \"x\";", "close;"}));
    }, {"error: Code: unknown command 'meszq' @1"}},
    ProblemRow{"AssignmentRefusedByEAthena", [](TTaskNode* start) {
        AddTask(start, Manual("Pay", {"if (Zeny < 10) close;", "Zeny -= 10;", "close;"}));
    }, {"error: Pay: eAthena refuses an assignment without 'set': write set <variable>, <value>; @1"}},
    ProblemRow{"AssignmentLoadsOnRAthena", [](TTaskNode* start) {
        Project().HeaderInfo.Target = TServerTarget::RAthena;
        AddTask(start, Manual("Pay", {"if (Zeny < 10) close;", "Zeny -= 10;", "close;"}));
    }, {}},
    ProblemRow{"ShippedAndUnknownGlobalFunctions", [](TTaskNode* start) {
        Project().HeaderInfo.Target = TServerTarget::Hercules;
        AddTask(start, Manual("Guide", {"F_ClearGarbage();", "F_NotShipped(1);", "close;"}));
    }, {"warning: Guide: 'F_NotShipped' is no command, and none of the files checked defines a function of that name "
        "(the server refuses the call unless a file it loads earlier does) @1"}},
    ProblemRow{"FlowWarningOnTheTask", [](TTaskNode* start) {
        AddTask(start, Manual("Open", {"end;"}));
    }, {"warning: Open: the dialog is still open when the script ends here: the player is left with a window "
        "that has no close button (use close) @0"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ProjectProblems, EveryLineNamesTheTaskThatWroteIt)
{
    TManualTask* code = AddTask(StartNode(), Manual("Code", {"mes \"a\";", "close;"}));
    std::vector<std::string> lines;
    const TScriptResult written = GenerateScript(Project(), lines);
    ASSERT_EQ(written.LineTasks.size(), lines.size());
    const auto line = [&](const std::string& text) {
        const auto at = std::find(lines.begin(), lines.end(), text);
        return written.LineTasks.at(static_cast<std::size_t>(at - lines.begin()));
    };
    EXPECT_EQ(line("}"), nullptr);
    EXPECT_EQ(line("\tL0:"), Start());
    EXPECT_EQ(line("\t\t// Code //"), code);
    EXPECT_EQ(line("\t\tclose;"), code);
}

TEST_F(ProjectProblems, TaskPathRunsFromTheTop)
{
    TGroupTask* inner = AddTask(StartNode(), Project().NewGroup("Inner"));
    TManualTask* code = AddTask(inner->Node, Manual("Code", {}));
    EXPECT_EQ(TaskPath(*code), StartNode()->Text() + " > Inner > Code");
}

TEST_F(ProjectProblems, ManualCodeIsCheckedWhereItStands)
{
    TGroupTask* other = AddTask(StartNode(), Project().NewGroup("Other"));
    TManualTask* code = AddTask(StartNode(), Manual("Code", {"close;"}));
    const std::string known = "goto " + other->Label() + ";";
    EXPECT_TRUE(CheckManualCode(Project(), code, {known}).empty());
    std::vector<std::string> found;
    for (const TCodeFinding& f : CheckManualCode(Project(), code, {"if (@a) goto Nowhere;", "\tmeszq;", "close;"}))
        found.push_back(std::to_string(f.Line) + ":" + std::to_string(f.Column) +
                        (f.Severity == script::TSeverity::Error ? " error " : " warning ") + f.Message);
    EXPECT_EQ(found, (std::vector<std::string>{
                         "0:14 warning goto: 'Nowhere' is not a label of this NPC; the server stops the script "
                         "when a player gets here",
                         "1:2 error unknown command 'meszq'"}));
    // A new task, not yet in the tree, is checked at the script's end.
    const auto atEnd = CheckManualCode(Project(), nullptr, {"meszq;"});
    EXPECT_TRUE(std::any_of(atEnd.begin(), atEnd.end(), [](const TCodeFinding& f) {
        return f.Severity == script::TSeverity::Error && f.Line == 0 && f.Message == "unknown command 'meszq'";
    }));
}

} // namespace
