// Reading and checking the server's own 53 script files (1.8 MB), held in memory: the goal is
// at least 30 MB/s on one core. Reading alone is measured beside it.

#include "BenchSupport.h"

#include "script/Checker.h"
#include "script/FileReader.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

template <typename TWork>
void RunOverScripts(benchmark::State& state, TWork work)
{
    const auto& files = ServerScripts();
    if (files.empty()) {
        state.SkipWithError("the server data folder ../shared/data/eathena is not present");
        return;
    }
    std::size_t bytes = 0;
    for (const std::string& text : files)
        bytes += text.size();
    for (auto _ : state)
        for (const std::string& text : files)
            work(text);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
    state.counters["files"] = static_cast<double>(files.size());
}

void BM_CheckServerScripts(benchmark::State& state)
{
    RunOverScripts(state, [](const std::string& text) {
        auto found = script::CheckScriptText(text, script::TCheckOptions{});
        benchmark::DoNotOptimize(found.data());
    });
}
BENCHMARK(BM_CheckServerScripts)->Unit(benchmark::kMillisecond);

void BM_ReadServerScripts(benchmark::State& state)
{
    RunOverScripts(state, [](const std::string& text) {
        auto file = script::ReadScriptFile(text);
        benchmark::DoNotOptimize(file.Entries.data());
    });
}
BENCHMARK(BM_ReadServerScripts)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
