// The control-flow checks over the server's own 53 script files, read beforehand: the Problems
// window runs them after every change, so they must cost far less than reading the files.

#include "BenchSupport.h"

#include "script/FileReader.h"
#include "script/FlowWarnings.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

void BM_CheckFlowServerScripts(benchmark::State& state)
{
    const auto& texts = ServerScripts();
    if (texts.empty()) {
        state.SkipWithError("the server data folder ../shared/data/eathena is not present");
        return;
    }
    std::vector<script::TScriptFile> files;
    std::size_t bytes = 0;
    for (const std::string& text : texts) {
        files.push_back(script::ReadScriptFile(text));
        bytes += text.size();
    }
    std::size_t warnings = 0;
    for (auto _ : state) {
        warnings = 0;
        for (const script::TScriptFile& file : files)
            warnings += script::CheckFlow(file).size();
        benchmark::DoNotOptimize(warnings);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    state.counters["warnings"] = static_cast<double>(warnings);
}
BENCHMARK(BM_CheckFlowServerScripts)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
