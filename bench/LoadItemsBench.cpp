// Loading the server's real item database, against merely reading the same file line by line.
// The loader should stay within three times the plain read.

#include "catalogue/Catalogues.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The server data lies beside the project; a clone without it skips these benchmarks.
std::filesystem::path ServerDataDir()
{
    return std::filesystem::path(NPC_SOURCE_DIR) / ".." / "shared" / "data" / "eathena";
}

bool HaveItemDb(benchmark::State& state)
{
    if (std::filesystem::is_regular_file(ServerDataDir() / "item_db.txt"))
        return true;
    state.SkipWithError("the server data folder ../shared/data/eathena is not present");
    return false;
}

void BM_LoadItems(benchmark::State& state)
{
    if (!HaveItemDb(state))
        return;
    const std::filesystem::path dir = ServerDataDir();
    TCatalogues catalogues;
    for (auto _ : state) {
        state.PauseTiming();
        catalogues.Clear();  // releasing the previous round's items is not part of loading
        state.ResumeTiming();
        catalogues.LoadItems(dir);
        benchmark::DoNotOptimize(catalogues.Items.data());
    }
    state.counters["items"] = static_cast<double>(catalogues.Items.size());
}
BENCHMARK(BM_LoadItems)->Unit(benchmark::kMillisecond);

void BM_ReadLinesOnly(benchmark::State& state)
{
    if (!HaveItemDb(state))
        return;
    const std::filesystem::path path = ServerDataDir() / "item_db.txt";
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        std::size_t lines = 0;
        while (std::getline(in, line)) {
            benchmark::DoNotOptimize(line.data());
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_ReadLinesOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
