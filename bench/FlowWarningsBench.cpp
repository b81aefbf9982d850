// The control-flow checks over the server's own 53 script files, read beforehand: the Problems
// window runs them after every change, so they must cost far less than reading the files.

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

std::vector<std::string> ServerScripts()
{
    const auto dir = std::filesystem::path(NPC_SOURCE_DIR) / ".." / "shared" / "data" / "eathena" / "npc";
    std::vector<std::string> texts;
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
}

void BM_CheckFlowServerScripts(benchmark::State& state)
{
    const std::vector<std::string> texts = ServerScripts();
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
