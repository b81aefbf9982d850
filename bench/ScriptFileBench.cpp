// A script file of 500 NPCs (1 MB) open for editing: opening it (read, the entries listed, every
// line coloured as the workspace window shows it) with the goal under 100 ms; saving it after one
// NPC changed (the file built from its parts and written safely) with the goal under 50 ms; and
// what the open file holds in memory, the goal under 10 times its size.

#include "BenchSupport.h"

#include "model/ActionTasks.h"
#include "model/Records.h"
#include "output/Highlight.h"
#include "platform/FileAccess.h"
#include "workspace/ScriptWorkspace.h"
#include "workspace/WorkspaceRecovery.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <filesystem>
#include <string>

namespace {

constexpr int NpcCount = 500;

// One NPC of about 2 KB: messages, a menu, conditions and item commands.
std::string BenchNpc(int n)
{
    const std::string id = std::to_string(n);
    std::string npc = "// ---- Helper " + id + " ----\r\n";
    npc += "prontera," + std::to_string(100 + n % 100) + "," + std::to_string(100 + n / 100) +
           ",4\tscript\tHelper " + id + "::helper" + id + "\t113,{\r\n";
    npc += "\tmes \"[Helper " + id + "]\";\r\n\tmes \"Good day, traveller. How can I help?\";\r\n\tnext;\r\n";
    npc += "\tmenu \"Buy a potion\",L_Buy,\"Hear a story\",L_Story,\"Leave\",L_Leave;\r\n";
    npc += "L_Buy:\r\n\tif (Zeny < 50) {\r\n\t\tmes \"[Helper " + id + "]\";\r\n"
           "\t\tmes \"You need 50 zeny for a potion.\";\r\n\t\tclose;\r\n\t}\r\n"
           "\tset Zeny, Zeny - 50;\r\n\tgetitem 501, 1;\r\n\tmes \"Here you are.\";\r\n\tclose;\r\n";
    npc += "L_Story:\r\n";
    for (int line = 0; line < 24; ++line)
        npc += "\tmes \"Long ago, in the land of Rune-Midgard, line " + std::to_string(line) + " of the tale.\";\r\n";
    npc += "\tnext;\r\n\tif (BaseLevel > 50) goto L_Veteran;\r\n\tmes \"Come back when you are stronger.\";\r\n"
           "\tclose;\r\nL_Veteran:\r\n\tmes \"A veteran! Take this.\";\r\n\tgetitem 502, 2;\r\n\tclose;\r\n"
           "L_Leave:\r\n\tmes \"Farewell.\";\r\n\tclose;\r\n}\r\n\r\n";
    return npc;
}

const std::string& BenchFile()
{
    static const std::string text = [] {
        std::string file = "//===== A town of many helpers =====\r\n\r\n";
        for (int n = 0; n < NpcCount; ++n)
            file += BenchNpc(n);
        return file;
    }();
    return text;
}

// What the workspace window does on opening: the parts, and every line of the text coloured.
std::size_t OpenAndColour(const std::unique_ptr<TScriptWorkspace>& workspace, const TWordLookup& words)
{
    std::size_t ranges = workspace->EntryParts().size();
    const std::string& text = workspace->Bytes();
    bool openComment = false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        ranges += ScanLine(std::string_view(text).substr(at, end - at), words, openComment).size();
        at = end + 1;
    }
    return ranges;
}

void UseCatalogues()
{
    BenchCatalogues().Clear();
}

void BM_OpenScriptFile(benchmark::State& state)
{
    UseCatalogues();
    const TWordLookup words = TWordLookup::FromCatalogues();
    for (auto _ : state) {
        const auto workspace = std::make_unique<TScriptWorkspace>("town.txt", BenchFile(), script::TTarget::EAthena);
        benchmark::DoNotOptimize(OpenAndColour(workspace, words));
    }
    state.counters["bytes"] = static_cast<double>(BenchFile().size());
    state.counters["npcs"] = NpcCount;
}
BENCHMARK(BM_OpenScriptFile)->Unit(benchmark::kMillisecond);

void BM_SaveAfterOneChange(benchmark::State& state)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "npc-editor-bench-town.txt";
    WriteFileSafely(path.string(), BenchFile());
    const auto workspace = TScriptWorkspace::Open(path.string());
    const std::size_t part = workspace->EntryParts()[NpcCount / 2];
    int round = 0;
    for (auto _ : state) {
        std::string text = workspace->PartText(part);
        text.insert(text.find("\tmes"), "\tmes \"Edit " + std::to_string(++round) + "\";\n");
        workspace->SetPartText(part, text);
        workspace->Save();
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveAfterOneChange)->Unit(benchmark::kMillisecond);

// The bytes of the recovery copy, taken in the window's thread a few seconds after an edit: the
// changed entries only, however large the file.
void BM_RecoveryCopyAfterOneChange(benchmark::State& state)
{
    TScriptWorkspace workspace("town.txt", BenchFile(), script::TTarget::EAthena);
    const std::size_t part = workspace.EntryParts()[NpcCount / 2];
    std::string text = workspace.PartText(part);
    text.insert(text.find("\tmes"), "\tmes \"Edit\";\n");
    workspace.SetPartText(part, text);
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = EditsBytes(EditsOf(workspace)).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["copy bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_RecoveryCopyAfterOneChange)->Unit(benchmark::kMicrosecond);

// The heap the open file holds (its bytes, the syntax tree, the parts) per byte of the file.
void BM_OpenScriptFileMemory(benchmark::State& state)
{
    UseCatalogues();
    double ratio = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        const auto workspace = std::make_unique<TScriptWorkspace>("town.txt", BenchFile(), script::TTarget::EAthena);
        ratio = static_cast<double>(mallinfo2().uordblks - before) / static_cast<double>(BenchFile().size());
        benchmark::DoNotOptimize(workspace.get());
    }
    state.counters["heap per file byte"] = ratio;
}
BENCHMARK(BM_OpenScriptFileMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
