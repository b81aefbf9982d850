// The writer's walk over tasks that hold tasks: blocks, loops and switches written as such with
// their closing lines, labels under the author's names, speakers as each message says, and the
// line-to-task map pointing at the task that wrote each line.

#include "TaskFixture.h"

#include "model/BlockTasks.h"
#include "model/CodeTasks.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

class ScriptStructureTest : public TaskTest {
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        Project().NPCInfo.Name = "Guide#g1";
    }

    // The lines of the tree, without the header, the NPC line and the closing brace.
    std::vector<std::string> Body(std::vector<std::string>* problems = nullptr)
    {
        std::vector<std::string> ignored;
        const auto script = ScriptLines(problems ? *problems : ignored);
        return {script.begin() + 16, script.end() - 1};
    }

    template <class T>
    T* Add(TTaskNode* parent, std::unique_ptr<T> task)
    {
        return AddTask(parent, std::move(task));
    }

    TBranchTask* AddBranch(TTask* ifTask, std::unique_ptr<TConCheck> check)
    {
        auto branch = std::make_unique<TBranchTask>();
        if (check)
            branch->Checks.push_back(std::move(check));
        return Add(ifTask->Node, std::move(branch));
    }

    std::unique_ptr<TConCheck> Expression(const std::string& text)
    {
        auto check = std::make_unique<TConCheck>();
        check->Kind = ConExpression;
        check->Expression = text;
        return check;
    }

    std::unique_ptr<TMessageTask> Message(const std::string& line, TSpeakerKind speaker, const std::string& text = "")
    {
        auto message = std::make_unique<TMessageTask>(std::vector<std::string>{line});
        message->Speaker = speaker;
        message->SpeakerText = text;
        return message;
    }
};

TEST_F(ScriptStructureTest, IfElseIfElseIsWrittenAsOneBlock)
{
    auto* block = Add(StartNode(), std::make_unique<TIfTask>());
    TBranchTask* rich = AddBranch(block, Comparison(2, "Zeny", 1000));
    Add(rich->Node, Message("Rich!", TSpeakerKind::NpcName));
    TBranchTask* quest = AddBranch(block, Expression("checkquest(1000) == -1"));
    Add(quest->Node, Message("A quest.", TSpeakerKind::ShownName));
    TBranchTask* other = AddBranch(block, nullptr);
    Add(other->Node, Message("Bye.", TSpeakerKind::Other, "Voice"));
    Add(other->Node, std::make_unique<TStatementTask>(TBareStatement::End));
    Add(StartNode(), Message("After.", TSpeakerKind::None));
    EXPECT_THAT(Body(), ElementsAre("\tL0:",                                  //
                                    "\t\tif ((Zeny >= 1000)) {",              //
                                    "\t\t\tmes \"[Guide#g1]\";",              //
                                    "\t\t\tmes \"Rich!\";",                   //
                                    "\t\t} else if (checkquest(1000) == -1) {", //
                                    "\t\t\tmes \"[Guide]\";",                 //
                                    "\t\t\tmes \"A quest.\";",                //
                                    "\t\t} else {",                           //
                                    "\t\t\tmes \"[Voice]\";",                 //
                                    "\t\t\tmes \"Bye.\";",                    //
                                    "\t\t\tend;",                             //
                                    "\t\t}",                                  //
                                    "\t\tmes \"After.\";"));
}

TEST_F(ScriptStructureTest, LoopsSwitchesAndNestingIndentByBlock)
{
    auto* loop = Add(StartNode(), std::make_unique<TLoopTask>());
    loop->LoopKind = TLoopKind::For;
    loop->Init = "set .@i, 0";
    loop->Condition = ".@i < 3";
    loop->Step = "set .@i, .@i + 1";
    auto* sw = Add(loop->Node, std::make_unique<TSwitchTask>());
    sw->Value = ".@i";
    auto* one = Add(sw->Node, std::make_unique<TCaseTask>());
    one->Value = "1";
    auto set = std::make_unique<TSetTask>();
    set->Scope = TVarScope::Local;
    set->Name = "n";
    set->Expression = ".@n + 1";
    Add(one->Node, std::move(set));
    Add(one->Node, std::make_unique<TStatementTask>(TBareStatement::Break));
    auto* other = Add(sw->Node, std::make_unique<TCaseTask>());
    other->IsDefault = true;
    Add(other->Node, std::make_unique<TCommandTask>("emotion", std::vector<std::string>{"e_gasp"}));
    auto* again = Add(StartNode(), std::make_unique<TLoopTask>());
    again->LoopKind = TLoopKind::DoWhile;
    again->Condition = ".@n < 5";
    Add(again->Node, std::make_unique<TCommandTask>("close2", std::vector<std::string>{}));
    EXPECT_THAT(Body(), ElementsAre("\tL0:",                                                //
                                    "\t\tfor (set .@i, 0; .@i < 3; set .@i, .@i + 1) {",   //
                                    "\t\t\tswitch (.@i) {",                                //
                                    "\t\t\tcase 1:",                                       //
                                    "\t\t\t\tset .@n, .@n + 1;",                          //
                                    "\t\t\t\tbreak;",                                      //
                                    "\t\t\tdefault:",                                      //
                                    "\t\t\t\temotion e_gasp;",                            //
                                    "\t\t\t}",                                             //
                                    "\t\t}",                                               //
                                    "\t\tdo {",                                            //
                                    "\t\t\tclose2;",                                       //
                                    "\t\t} while (.@n < 5);"));
}

TEST_F(ScriptStructureTest, GroupsKeepTheAuthorsLabelsInEveryJump)
{
    TGroupTask* shop = AddGroup(StartNode(), "Shop");
    shop->LabelName = "L_Shop";
    TGroupTask* plain = AddGroup(StartNode(), "Plain");
    Add(StartNode(), MakeMenu({{"Shop", shop->GroupNumber}, {"Plain", plain->GroupNumber}}));
    Add(StartNode(), MakeAction(3, {shop->GroupNumber}));
    auto call = std::make_unique<TCallTask>();
    call->CallKind = TCallKind::Subroutine;
    call->TargetGroup = shop->GroupNumber;
    call->Args = {"5"};
    Add(StartNode(), std::move(call));
    auto condition = std::make_unique<TConTask>();
    condition->Target = shop->GroupNumber;
    condition->AddCheck(Comparison(2, "Zeny", 1));
    Add(StartNode(), std::move(condition));
    const auto body = Body();
    EXPECT_THAT(std::vector<std::string>(body.begin(), body.begin() + 3),
                ElementsAre("\tL0:", "\t\tL_Shop:", "\t\tL2:"));
    EXPECT_THAT(std::vector<std::string>(body.end() - 4, body.end()),
                ElementsAre("\t\tmenu \"Shop\", L_Shop, \"Plain\", L2;", "\t\tgoto L_Shop;",
                            "\t\tcallsub L_Shop, 5;", "\t\tif((Zeny >= 1)) goto L_Shop;"));
}

TEST_F(ScriptStructureTest, TheGroupExitFollowsTheClosingLinesOfItsBlocks)
{
    auto* block = Add(StartNode(), std::make_unique<TIfTask>());
    TBranchTask* branch = AddBranch(block, Expression(".@x"));
    auto leave = std::make_unique<TConTask>();
    leave->Target = GroupExitTarget;
    leave->AddCheck(Comparison(2, "Zeny", 1));
    Add(branch->Node, std::move(leave));
    EXPECT_THAT(Body(), ElementsAre("\tL0:", "\t\tif (.@x) {", "\t\t\tif((Zeny >= 1)) goto L0Exit;", "\t\t}",
                                    "\t\tL0Exit:"));
}

TEST_F(ScriptStructureTest, AGroupWithoutLabelWritesNoneAndAJumpToItIsAProblem)
{
    Project().StartGroup()->NoLabel = true;
    Add(StartNode(), std::make_unique<TStatementTask>(TBareStatement::End));
    std::vector<std::string> problems;
    EXPECT_THAT(Body(&problems), ElementsAre("\t\tend;"));
    EXPECT_TRUE(problems.empty());
    Add(StartNode(), MakeAction(3, {Project().StartGroup()->GroupNumber}));
    EXPECT_THAT(Body(&problems), ElementsAre("\t\tend;", "\t\tgoto L0;"));
    EXPECT_THAT(problems, ElementsAre("A jump goes to the group Start, which writes no label: give it one in its "
                                      "group editor."));
}

TEST_F(ScriptStructureTest, MisplacedPartsAndDuplicateLabelsAreProblems)
{
    TGroupTask* first = AddGroup(StartNode(), "A");
    first->LabelName = "L_Same";
    TGroupTask* second = AddGroup(StartNode(), "B");
    second->LabelName = "L_Same";
    Add(StartNode(), std::make_unique<TBranchTask>());
    Add(StartNode(), std::make_unique<TCaseTask>());
    std::vector<std::string> problems;
    Body(&problems);
    EXPECT_THAT(problems, ::testing::IsSupersetOf({"Two groups have the label L_Same: rename one in its group editor.",
                                                   "A branch stands outside an if: move it into one.",
                                                   "A case stands outside a switch: move it into one.",
                                                   "A case has no value: write one in its editor."}));
}

TEST_F(ScriptStructureTest, EveryLineMapsToTheTaskThatWroteIt)
{
    auto* block = Add(StartNode(), std::make_unique<TIfTask>());
    TBranchTask* yes = AddBranch(block, Expression(".@a"));
    auto* end = Add(yes->Node, std::make_unique<TStatementTask>(TBareStatement::End));
    TBranchTask* no = AddBranch(block, nullptr);
    auto* cmd = Add(no->Node, std::make_unique<TCommandTask>("close2", std::vector<std::string>{}));
    std::vector<std::string> lines;
    const TScriptResult result = GenerateScript(Project(), lines);
    ASSERT_EQ(result.LineTasks.size(), lines.size());
    const std::vector<const TTask*> body(result.LineTasks.begin() + 16, result.LineTasks.end() - 1);
    EXPECT_THAT(body, ElementsAreArray(std::vector<const TTask*>{Project().StartGroup(), yes, end, no, cmd, block}));
}

}  // namespace
