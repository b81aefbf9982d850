// Feeds arbitrary bytes to the project reader. A file either loads or is refused with EInOutError;
// anything else (a crash, a sanitizer report, another exception) is a finding. A file that loads
// must save, load again and save to the same bytes, and must write a script.

#include "model/ActionTasks.h"
#include "model/ProjectFile.h"
#include "model/Tasks.h"
#include "model/Project.h"
#include "model/ScriptWriter.h"

#include "model/Records.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Two maps and two jobs, so that map names resolve and job captions show; built once, never changed.
const std::shared_ptr<const TCatalogues>& FuzzCatalogues()
{
    static const std::shared_ptr<const TCatalogues> catalogues = [] {
        auto built = std::make_shared<TCatalogues>();
        built->Maps.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
        built->Maps.push_back(std::make_unique<TMap>(TMap{"Izlude", "izlude.gat"}));
        built->Jobs.push_back(std::make_unique<TJob>(TJob{0, "Novice"}));
        built->Jobs.push_back(std::make_unique<TJob>(TJob{7, "Knight"}));
        return built;
    }();
    return catalogues;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    FuzzCatalogues();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<TProject> project;
    try {
        project = ReadProjectBytes("fuzz.NPC", std::string(reinterpret_cast<const char*>(data), size), FuzzCatalogues());
    } catch (const EInOutError&) {
        return 0;
    }
    const std::string saved = SaveProjectBytes(*project);
    if (SaveProjectBytes(*ReadProjectBytes("saved.NPC", saved, FuzzCatalogues())) != saved)
        std::abort();
    std::vector<std::string> lines;
    GenerateScript(*project, lines);
    return 0;
}
