// Reading and checking the server's own 53 script files (1.8 MB), held in memory: the goal is
// at least 30 MB/s on one core. Reading alone is measured beside it. Then the rAthena and
// Hercules samples, each checked as one load in its server's load order (what `npc-lint
// --load-order` does for a whole server tree).

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

// The sample of one server in its load order, read into memory before a measurement.
struct TLoadSample {
    std::vector<std::string> Names, Texts;
};

TLoadSample LoadSample(const char* server)
{
    TLoadSample sample;
    const auto dir = std::filesystem::path(NPC_SOURCE_DIR) / ".." / "shared" / "data" / server;
    std::ifstream list(dir / "npc" / "load-order.txt");
    for (std::string line; std::getline(list, line);) {
        if (line.empty())
            continue;
        std::ifstream file(dir / line, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        sample.Names.push_back(line);
        sample.Texts.push_back(text.str());
    }
    return sample;
}

void CheckLoad(benchmark::State& state, const char* server, script::TTarget target)
{
    const TLoadSample sample = LoadSample(server);
    if (sample.Texts.empty()) {
        state.SkipWithError("the server data folder ../shared/data is not present");
        return;
    }
    std::size_t bytes = 0;
    for (const std::string& text : sample.Texts)
        bytes += text.size();
    for (auto _ : state) {
        script::TLoadState load(target);
        script::TCheckOptions options;
        options.Target = target;
        options.Load = &load;
        for (std::size_t i = 0; i < sample.Texts.size(); ++i)
            load.Scan(sample.Texts[i], sample.Names[i]);
        for (std::size_t i = 0; i < sample.Texts.size(); ++i) {
            load.Begin(sample.Names[i]);
            auto found = script::CheckScript(sample.Texts[i], options);
            benchmark::DoNotOptimize(found.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
    state.counters["files"] = static_cast<double>(sample.Texts.size());
}

void BM_CheckRAthenaLoad(benchmark::State& state) { CheckLoad(state, "rathena", script::TTarget::RAthena); }
BENCHMARK(BM_CheckRAthenaLoad)->Unit(benchmark::kMillisecond);

void BM_CheckHerculesLoad(benchmark::State& state) { CheckLoad(state, "hercules", script::TTarget::Hercules); }
BENCHMARK(BM_CheckHerculesLoad)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
