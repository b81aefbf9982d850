// Saving, loading and writing the script of a large project (10,000 tasks of every kind), each
// next to copying or reading a file of the same size: the file work should stay a small multiple
// of the plain file operation.
//
// Two shapes: "nested" (groups of twenty tasks, some groups inside others) and "flat" (every task
// directly in the group Start), which shows whether any step grows faster than the task count.

#include "global/DGlobal.h"
#include "tasks/DActions.h"
#include "tasks/DConditions.h"
#include "tasks/DFiles.h"
#include "tasks/DManual.h"
#include "tasks/DMenus.h"
#include "tasks/DMessages.h"
#include "tasks/DTasks.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int TaskTotal = 10000;
constexpr int TasksPerGroup = 20;

fs::path BenchDir()
{
    const fs::path dir = fs::temp_directory_path() / ("npc-project-bench-" + std::to_string(QCoreApplication::applicationPid()));
    fs::create_directories(dir);
    return dir;
}

template <class T>
T* Attach(TTaskNode* parent, std::unique_ptr<T> task)
{
    T* raw = task.get();
    TaskTree.AddChild(parent, raw->Caption, raw);
    TaskList.RegisterTask(std::move(task));
    return raw;
}

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
        task->Caption = "Action: " + task->ActionText(true);
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
        condition->Caption = "Condition: " + condition->SummaryText();
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

// A new project filled up to TaskTotal tasks.
void BuildProject(bool flat)
{
    NewProject();
    NPCInfo.Name = "Bench";
    TTaskNode* start = TaskTree.GetFirstNode();
    TTaskNode* group = start;
    std::int32_t number = 0;
    for (int i = 1; i < TaskTotal; ++i) {
        if (!flat && i % TasksPerGroup == 0) {
            // Every third group lies inside the previous one, the others directly in Start.
            TTaskNode* parent = (i / TasksPerGroup) % 3 == 0 ? group : start;
            TGroupTask* created = Attach(parent, std::make_unique<TGroupTask>("New Group"));
            group = created->Node;
            number = created->GroupNumber;
            continue;
        }
        Attach(group, MixedTask(i, number));
    }
}

void SetUpModel(const benchmark::State& state)
{
    InitCatalogues();
    InitActions();
    MapList.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
    BuildProject(state.range(0) == 1);
}

void ShapeArgs(benchmark::internal::Benchmark* bench)
{
    bench->ArgName("flat")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
}

void BM_SaveProject(benchmark::State& state)
{
    SetUpModel(state);
    const std::string path = (BenchDir() / "bench.NPC").string();
    for (auto _ : state)
        SaveProject(path);
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
    state.counters["tasks"] = TaskList.TaskCount();
}
BENCHMARK(BM_SaveProject)->Apply(ShapeArgs);

void BM_SaveProjectBytesOnly(benchmark::State& state)
{
    SetUpModel(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveProjectBytes());
}
BENCHMARK(BM_SaveProjectBytesOnly)->Apply(ShapeArgs);

void BM_CopyProjectSizedFile(benchmark::State& state)
{
    SetUpModel(state);
    const fs::path dir = BenchDir();
    WriteFileSafely((dir / "source.NPC").string(), SaveProjectBytes());
    for (auto _ : state)
        fs::copy_file(dir / "source.NPC", dir / "copy.NPC", fs::copy_options::overwrite_existing);
    state.counters["bytes"] = static_cast<double>(fs::file_size(dir / "copy.NPC"));
}
BENCHMARK(BM_CopyProjectSizedFile)->Apply(ShapeArgs);

void BM_LoadProject(benchmark::State& state)
{
    SetUpModel(state);
    const std::string path = (BenchDir() / "load.NPC").string();
    SaveProject(path);
    for (auto _ : state)
        LoadProject(path);
    state.counters["tasks"] = TaskList.TaskCount();
}
BENCHMARK(BM_LoadProject)->Apply(ShapeArgs);

void BM_ReadProjectSizedFile(benchmark::State& state)
{
    SetUpModel(state);
    const std::string path = (BenchDir() / "read.NPC").string();
    SaveProject(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWholeFile(path));
}
BENCHMARK(BM_ReadProjectSizedFile)->Apply(ShapeArgs);

void BM_GenerateScript(benchmark::State& state)
{
    SetUpModel(state);
    std::vector<std::string> lines;
    std::size_t size = 0;
    for (auto _ : state) {
        GenerateScript(TaskTree, lines);
        size = JoinScriptLines(lines).size();
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_GenerateScript)->Apply(ShapeArgs);

void BM_CopyScriptSizedFile(benchmark::State& state)
{
    SetUpModel(state);
    std::vector<std::string> lines;
    GenerateScript(TaskTree, lines);
    const fs::path dir = BenchDir();
    WriteFileSafely((dir / "source.txt").string(), JoinScriptLines(lines));
    for (auto _ : state)
        fs::copy_file(dir / "source.txt", dir / "copy.txt", fs::copy_options::overwrite_existing);
    state.counters["bytes"] = static_cast<double>(fs::file_size(dir / "copy.txt"));
}
BENCHMARK(BM_CopyScriptSizedFile)->Apply(ShapeArgs);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(BenchDir(), ignored);
    return 0;
}
