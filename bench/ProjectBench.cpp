// Saving, loading and writing the script of a large project (10,000 tasks of every kind), each
// next to copying or reading a file of the same size: the file work should stay a small multiple
// of the plain file operation.
//
// Two shapes: "nested" (groups of twenty tasks, some groups inside others) and "flat" (every task
// directly in the group Start), which shows whether any step grows faster than the task count.

#include "model/Records.h"
#include "BenchSupport.h"
#include "model/ScriptWriter.h"
#include "model/ActionTasks.h"
#include "model/ConditionTasks.h"
#include "model/ProjectFile.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "model/Tasks.h"

#include "BenchSupport.h"
#include "model/ScriptWriter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path BenchDir()
{
    const fs::path dir = fs::temp_directory_path() / ("npc-project-bench-" + std::to_string(QCoreApplication::applicationPid()));
    fs::create_directories(dir);
    return dir;
}

void SetUpModel(const benchmark::State& state)
{
    BenchCatalogues().Clear();
    BenchCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
    BuildBenchProject(state.range(0) == 1);
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
        Document().SaveProject(path);
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
    state.counters["tasks"] = Project().TaskList.TaskCount();
}
BENCHMARK(BM_SaveProject)->Apply(ShapeArgs);

void BM_SaveProjectBytesOnly(benchmark::State& state)
{
    SetUpModel(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveProjectBytes(Project()));
}
BENCHMARK(BM_SaveProjectBytesOnly)->Apply(ShapeArgs);

void BM_CopyProjectSizedFile(benchmark::State& state)
{
    SetUpModel(state);
    const fs::path dir = BenchDir();
    WriteFileSafely((dir / "source.NPC").string(), SaveProjectBytes(Project()));
    for (auto _ : state)
        fs::copy_file(dir / "source.NPC", dir / "copy.NPC", fs::copy_options::overwrite_existing);
    state.counters["bytes"] = static_cast<double>(fs::file_size(dir / "copy.NPC"));
}
BENCHMARK(BM_CopyProjectSizedFile)->Apply(ShapeArgs);

void BM_LoadProject(benchmark::State& state)
{
    SetUpModel(state);
    const std::string path = (BenchDir() / "load.NPC").string();
    Document().SaveProject(path);
    for (auto _ : state)
        Document().LoadProject(path);
    state.counters["tasks"] = Project().TaskList.TaskCount();
}
BENCHMARK(BM_LoadProject)->Apply(ShapeArgs);

void BM_ReadProjectSizedFile(benchmark::State& state)
{
    SetUpModel(state);
    const std::string path = (BenchDir() / "read.NPC").string();
    Document().SaveProject(path);
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
        GenerateScript(Project(), lines);
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
    GenerateScript(Project(), lines);
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
    return RunBenchmarks(argc, argv, [] {
        std::error_code ignored;
        fs::remove_all(BenchDir(), ignored);
    });
}
