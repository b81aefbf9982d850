// Checking a large project (10,000 tasks of every kind) as the Problems window does after every
// change: writing the script, reading and checking it for errors and warnings, and tracing each
// finding to its task. Goal: under 20 ms.

#include "global/DGlobal.h"
#include "tasks/DActions.h"
#include "tasks/DProblems.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void SetUpProject()
{
    if (TaskList.TaskCount() > 0)
        return;
    InitCatalogues();
    MapList.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
    InitActions();
    BuildBenchProject(false);
}

void BM_CheckProject(benchmark::State& state)
{
    SetUpProject();
    std::size_t found = 0;
    for (auto _ : state) {
        const TProjectCheck check = CheckProject(TaskTree);
        found = check.Problems.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["tasks"] = TaskList.TaskCount();
    state.counters["problems"] = static_cast<double>(found);
}
BENCHMARK(BM_CheckProject)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
