#include "TaskFixture.h"
#include "DocumentSupport.h"

#include <cstdio>

void TaskTest::SetUp()
{
    ModelTest::SetUp();
}

void TaskTest::TearDown()
{
    ModelTest::TearDown();
}

std::string Int32(std::int32_t value)
{
    TFileWriter writer;
    writer.WriteInt(value);
    return writer.Bytes();
}

std::string Str(const std::string& text)
{
    return Int32(static_cast<std::int32_t>(text.size())) + text;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (const int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

std::string RecordOf(const TTask& task, std::int32_t version)
{
    TFileWriter writer("record");
    writer.SetVersion(version);
    task.SaveToFile(writer);
    return writer.Bytes();
}

std::vector<std::string> LinesOf(const TTask& task, bool needSpeakerLine)
{
    std::vector<std::string> lines;
    TScriptWriter writer(Project(), lines);
    writer.CurrentLevel = 1;
    writer.NeedSpeakerLine = needSpeakerLine;
    task.WriteScript(writer);
    return lines;
}

TTaskNode* StartNode()
{
    return Project().TaskTree.GetFirstNode();
}

std::unique_ptr<TActionTask> MakeAction(int index, std::vector<std::int32_t> params)
{
    const TDAction* action = ActionAt(index);
    auto task = std::make_unique<TActionTask>(action->Caption, action);
    for (std::size_t i = 0; i < params.size(); ++i)
        task->SetParam(static_cast<int>(i), params[i]);
    return task;
}

std::unique_ptr<TConCheck> Comparison(std::int32_t kind, const std::string& variable, std::int32_t value)
{
    auto check = std::make_unique<TConCheck>();
    check->Kind = kind;
    check->Value = value;
    check->Variable = FindVariable(variable);
    EXPECT_NE(check->Variable, nullptr) << "no variable " << variable;
    return check;
}

std::unique_ptr<TConCheck> ItemComparison(std::int32_t kind, int actionIndex, std::vector<std::int32_t> params,
                                          std::int32_t value)
{
    auto check = std::make_unique<TConCheck>();
    check->Kind = kind;
    check->Value = value;
    check->ValueAction = MakeAction(actionIndex, std::move(params));
    return check;
}

std::unique_ptr<TConCheck> Joiner(std::int32_t kind)
{
    auto check = std::make_unique<TConCheck>();
    check->Kind = kind;
    return check;
}

std::unique_ptr<TConCheck> ExpressionCheck(const std::string& text)
{
    auto check = std::make_unique<TConCheck>();
    check->Kind = ConExpression;
    check->Expression = text;
    return check;
}

std::unique_ptr<TMenuTask> MakeMenu(std::vector<std::pair<std::string, std::int32_t>> entries)
{
    auto menu = std::make_unique<TMenuTask>("");
    for (auto& [text, target] : entries)
        menu->AddEntry(std::make_unique<TDMenu>(text, target));
    menu->Caption = "Menu: " + menu->SummaryText();
    return menu;
}

std::vector<std::string> ScriptLines(std::vector<std::string>& problems)
{
    std::vector<std::string> lines;
    problems = GenerateScript(Project(), lines).Problems;
    return lines;
}

std::vector<std::string> ScriptLines()
{
    std::vector<std::string> problems;
    std::vector<std::string> lines = ScriptLines(problems);
    EXPECT_TRUE(problems.empty()) << "first problem: " << (problems.empty() ? "" : problems.front());
    return lines;
}

namespace {

std::string Escaped(const std::string& bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            text += hex;
        }
    }
    return text;
}

}  // namespace

std::string ProjectSnapshot(bool withListOrder)
{
    std::string text;
    const std::vector<TTaskNode*> nodes = Project().TaskTree.Nodes();
    for (const TTaskNode* node : nodes) {
        text += std::string(static_cast<std::size_t>(node->Level()), ' ') +
                std::to_string(static_cast<int>(node->Data()->Kind())) + " [" + Escaped(node->Text()) + "] " +
                Escaped(RecordOf(*node->Data(), ExtendedProjectFileVersion)) + (node->Data()->Node == node ? "" : " (task points elsewhere)") +
                (Project().TaskTree.Selected() == node ? " (selected)" : "") + "\n";
    }
    text += "tasks: " + std::to_string(Project().TaskList.TaskCount());
    if (withListOrder)
        for (int i = 0; i < Project().TaskList.TaskCount(); ++i)
            text += " " + std::to_string(Project().TaskList.TaskAt(i)->Node ? Project().TaskList.TaskAt(i)->Node->AbsoluteIndex() : -1);
    const TNPCHeader& h = Project().HeaderInfo;
    text += "\nheader: " + Escaped(h.ScriptName + "|" + h.Author + "|" + h.Version + "|" + h.Compatible + "|" +
                                   h.Description + "|" + h.Comments) +
            " for " + RulesOf(h.Target).Key;
    const TNPC& n = Project().NPCInfo;
    text += "\nnpc: " + std::to_string(n.SpriteID) + " " + std::to_string(n.X) + " " + std::to_string(n.Y) + " " +
            std::to_string(n.Direction) + " " + std::to_string(n.MapIndex) + " " + Escaped(n.Name);
    text += "\nnext group: " + std::to_string(Project().NextGroupNumber) + "\nfile: " + Project().ProjectFileName +
            "\nmodified: " + (Project().Modified ? "yes" : "no") + "\n";
    return text;
}

std::vector<const void*> ProjectIdentity()
{
    std::vector<const void*> identity;
    for (const TTaskNode* node : Project().TaskTree.Nodes()) {
        identity.push_back(node);
        identity.push_back(node->Data());
    }
    return identity;
}

void BuildEveryKindProject()
{
    Document().NewProject();
    Project().HeaderInfo.ScriptName = "Every Kind";
    Project().HeaderInfo.Comments = "first line\r\nsecond line";
    Project().NPCInfo = TNPC{113, 150, 180, 5, 0, "Guide"};
    TTaskNode* start = StartNode();

    auto welcome = std::make_unique<TMessageTask>(std::vector<std::string>{"Welcome!", "", "  blank-edged  "});
    welcome->Caption = "Message: " + LinesText(welcome->Lines);
    AddTask(start, std::move(welcome));
    auto give = MakeAction(1, {607, 1});
    give->Caption = "Action: " + give->ActionText(true, Project().Catalogues());
    AddTask(start, std::move(give));

    TGroupTask* shop = AddTask(start, Project().NewGroup("New Group"));
    shop->Rename("Shop");
    Project().TaskTree.SetText(shop->Node, shop->Caption);
    auto rich = std::make_unique<TConTask>();
    rich->Target = shop->GroupNumber;
    rich->AddCheck(Comparison(2, "Zeny", 1000));
    rich->AddCheck(Joiner(ConAnd));
    rich->AddCheck(ItemComparison(4, 19, {501}, 5));
    rich->Caption = "Condition: " + rich->SummaryText(Project().Catalogues());
    AddTask(start, std::move(rich));
    AddTask(start, MakeMenu({{"Buy", shop->GroupNumber}, {"Sell, or not", 0}, {"Cancel", 3}}));

    auto manual = std::make_unique<TManualTask>(std::vector<std::string>{"\tset Zeny, Zeny - 10;", "", "close;  "});
    manual->Caption = "Manual: " + LinesText(manual->Lines);
    AddTask(shop->Node, std::move(manual));
    auto leave = std::make_unique<TConTask>();
    leave->Target = GroupExitTarget;
    leave->AddCheck(Comparison(1, "Class", 7));
    leave->Rename("Not a knight");
    AddTask(shop->Node, std::move(leave));
    TGroupTask* inner = AddTask(shop->Node, Project().NewGroup("New Group"));
    auto warp = MakeAction(13, {1, 150, 180});
    warp->Caption = "Action: " + warp->ActionText(true, Project().Catalogues());
    AddTask(inner->Node, std::move(warp));
    AddTask(inner->Node, std::make_unique<TMessageTask>());
    AddTask(inner->Node, MakeMenu({{"Yes", 0}}));

    TGroupTask* bytes = AddTask(start, Project().NewGroup("New Group"));
    for (int byte = 1; byte <= 255; ++byte)
        bytes->Caption.push_back(static_cast<char>(byte));
    Project().TaskTree.SetText(bytes->Node, bytes->Caption);
    auto close = MakeAction(6, {});
    close->Rename("Bye now");
    AddTask(bytes->Node, std::move(close));
    AddTask(bytes->Node, std::make_unique<TManualTask>());
    auto either = std::make_unique<TConTask>();
    either->Target = bytes->GroupNumber;
    either->AddCheck(Comparison(0, "Sex", 1));
    either->AddCheck(Joiner(ConOr));
    either->AddCheck(ItemComparison(5, 20, {501, 10}, 1));
    either->Caption = "Condition: " + either->SummaryText(Project().Catalogues());
    AddTask(start, std::move(either));
    Document().SetModified(false);
}
