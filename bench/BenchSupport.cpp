#include "BenchSupport.h"

#include "model/Records.h"
#include "model/ActionTasks.h"
#include "model/ConditionTasks.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "model/Tasks.h"
#include "platform/MemoryReuse.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Tasks.h"
#include "ui/SyntaxHighlight.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPointer>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int TasksPerGroup = 20;

std::unique_ptr<TTask> MixedTask(int i, std::int32_t group)
{
    switch (i % 5) {
    case 0: {
        auto message = std::make_unique<TMessageTask>(
            std::vector<std::string>{"Welcome, traveller number " + std::to_string(i) + "!", "How can I help?"});
        message->Caption = "Message: " + LinesText(message->Lines);
        return message;
    }
    case 1: {
        const TDAction* action = ActionAt(i % 19);
        auto task = std::make_unique<TActionTask>(action->Caption, action);
        for (int p = 0; p < task->ParamCount(); ++p)
            task->SetParam(p, action->ParamKind(p) == PT_Map ? 0 : 100 + i);
        task->Caption = "Action: " + task->ActionText(true, Project().Catalogues());
        return task;
    }
    case 2: {
        auto condition = std::make_unique<TConTask>();
        auto zeny = std::make_unique<TConCheck>();
        zeny->Kind = 2;
        zeny->Value = i;
        zeny->Variable = FindVariable("Zeny");
        condition->AddCheck(std::move(zeny));
        auto joiner = std::make_unique<TConCheck>();
        joiner->Kind = ConAnd;
        condition->AddCheck(std::move(joiner));
        auto items = std::make_unique<TConCheck>();
        items->Kind = 4;
        items->Value = 5;
        items->ValueAction = std::make_unique<TActionTask>("Item Amount", ActionAt(19));
        items->ValueAction->SetParam(0, 501);
        condition->AddCheck(std::move(items));
        condition->Target = i % 2 ? group : GroupExitTarget;
        condition->Caption = "Condition: " + condition->SummaryText(Project().Catalogues());
        return condition;
    }
    case 3: {
        auto menu = std::make_unique<TMenuTask>("");
        for (const char* text : {"Buy", "Sell", "Cancel"})
            menu->AddEntry(std::make_unique<TDMenu>(text, group));
        menu->Caption = "Menu: " + menu->SummaryText();
        return menu;
    }
    default: {
        auto manual = std::make_unique<TManualTask>(std::vector<std::string>{"set @count, @count + 1;", "\tend;"});
        manual->Caption = "Manual: " + LinesText(manual->Lines);
        return manual;
    }
    }
}

}  // namespace

namespace {

std::shared_ptr<TCatalogues>& OwnedBenchCatalogues()
{
    static auto catalogues = std::make_shared<TCatalogues>();
    return catalogues;
}

}  // namespace

TCatalogues& BenchCatalogues()
{
    return *OwnedBenchCatalogues();
}

std::shared_ptr<const TCatalogues> SharedBenchCatalogues()
{
    return OwnedBenchCatalogues();
}

TProjectDocument& Document()
{
    static TProjectDocument document(std::make_shared<const TServers>(SharedBenchCatalogues()));
    return document;
}

TProject& Project()
{
    return Document().Project();
}

void BuildBenchProject(bool flat)
{
    Document().NewProject();
    Project().NPCInfo.Name = "Bench";
    TTaskNode* start = Project().TaskTree.GetFirstNode();
    TTaskNode* group = start;
    std::int32_t number = 0;
    for (int i = 1; i < BenchTaskTotal; ++i) {
        if (!flat && i % TasksPerGroup == 0) {
            // Every third group lies inside the previous one, the others directly in Start.
            TTaskNode* parent = (i / TasksPerGroup) % 3 == 0 ? group : start;
            TGroupTask* created = Project().AttachTask(parent, Project().NewGroup("New Group"));
            group = created->Node;
            number = created->GroupNumber;
            continue;
        }
        Project().AttachTask(group, MixedTask(i, number));
    }
}


void OpenTaskWindow()
{
    if (TaskWindow())
        return;
    BenchCatalogues().Clear();
    BenchCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
    new TTaskForm(Document());  // a window of its own, found again among the top-level windows
}

TTaskForm* TaskWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* tasks = qobject_cast<TTaskForm*>(window); tasks && &tasks->Document() == &Document())
            return tasks;
    return nullptr;
}

void CloseTaskWindow()
{
    delete TaskWindow();
}

void ShowLargeProject()
{
    if (TaskWindow())
        return;
    OpenTaskWindow();
    BuildBenchProject(false);
    TaskWindow()->ShowOutput();
    // Every line coloured, as the idle time leaves the window before a user's first edit.
    FinishColouring(TaskWindow()->Output()->Editor());
    // The first showing's layout posts more layout (the views' geometry) while it runs: settled
    // here, it is not counted as part of the first change measured.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

int RunBenchmarks(int argc, char** argv, const std::function<void()>& cleanup)
{
    KeepFreedMemoryForReuse();  // as the editor's process does

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (cleanup)
        cleanup();
    return 0;
}

TTaskNode* ToggleMiddleMessage(TTaskNode* added)
{
    if (added) {
        Project().TaskTree.Delete(added);
        return nullptr;
    }
    TTaskNode* middle = Project().TaskTree.Nodes()[static_cast<std::size_t>(Project().TaskTree.Count() / 2)];
    auto message = std::make_unique<TMessageTask>(std::vector<std::string>{"Just one more line."});
    added = Project().TaskTree.Insert(middle, "Message", message.get());
    Project().TaskList.RegisterTask(std::move(message));
    return added;
}

const std::vector<std::string>& ServerScripts()
{
    static const std::vector<std::string> files = [] {
        std::vector<std::string> texts;
        const auto dir = std::filesystem::path(NPC_SOURCE_DIR) / ".." / "shared" / "data" / "eathena" / "npc";
        if (!std::filesystem::is_directory(dir))
            return texts;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            texts.push_back(bytes.str());
        }
        return texts;
    }();
    return files;
}
