// Importing every NPC of the server's own 53 script files that can be imported, held in memory:
// reading, the mapping to tasks, and the proof (the checker on the editor's script and the
// interpreter on every menu path of both). The goal is the whole set in under one second. The
// mapping alone is measured beside it.

#include "BenchSupport.h"

#include "model/Records.h"
#include "model/ActionTasks.h"
#include "import/Import.h"
#include "import/ImportProof.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

void UseEditorCatalogues()
{
    BenchCatalogues().Clear();
    BenchCatalogues().LoadMaps(std::filesystem::path(NPC_SOURCE_DIR) / "data");
}

template <typename TWork>
void RunOverNpcs(benchmark::State& state, TWork work)
{
    const auto& files = ServerScripts();
    if (files.empty()) {
        state.SkipWithError("the server data folder ../shared/data/eathena is not present");
        return;
    }
    UseEditorCatalogues();
    int npcs = 0;
    for (auto _ : state) {
        npcs = 0;
        for (const std::string& text : files) {
            const TImportSource source("bench.txt", text);
            for (const TImportCandidate& c : ListCandidates(source))
                if (c.Importable) {
                    work(source, source.File.Entries[c.Entry]);
                    ++npcs;
                }
        }
    }
    state.counters["npcs"] = npcs;
}

void BM_ImportAndProveServerScripts(benchmark::State& state)
{
    const auto maps = ProofMaps(BenchCatalogues());
    TProofOptions options;
    options.Catalogues = SharedBenchCatalogues();
    options.Maps = &maps;
    RunOverNpcs(state, [&options](const TImportSource& source, const script::TTopLevel& entry) {
        const TProvedImport result = ImportAndProve(source, entry, options);
        benchmark::DoNotOptimize(result.Proof.Paths);
    });
}
BENCHMARK(BM_ImportAndProveServerScripts)->Unit(benchmark::kMillisecond);

void BM_ImportServerScripts(benchmark::State& state)
{
    RunOverNpcs(state, [](const TImportSource& source, const script::TTopLevel& entry) {
        const TImportResult result = ImportNpc(source, entry, SharedBenchCatalogues());
        benchmark::DoNotOptimize(result.Stats.Statements);
    });
}
BENCHMARK(BM_ImportServerScripts)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
