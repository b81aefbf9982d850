// Checking a large project (10,000 tasks of every kind) as the Problems window does after every
// change: writing the script, reading and checking it for errors and warnings, and tracing each
// finding to its task. Goal: under 20 ms.

#include "model/Records.h"
#include "BenchSupport.h"
#include "model/ScriptMemo.h"
#include "model/ScriptWriter.h"
#include "model/ActionTasks.h"
#include "check/Problems.h"

#include "script/Checker.h"
#include "script/FileReader.h"

#include "BenchSupport.h"
#include "model/ScriptWriter.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void SetUpProject()
{
    // Once for the program: a new project holds only its group "Start".
    if (Project().TaskList.TaskCount() > 1)
        return;
    BenchCatalogues().Clear();
    BenchCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
    BuildBenchProject(false);
}

void BM_CheckProject(benchmark::State& state)
{
    SetUpProject();
    std::size_t found = 0;
    for (auto _ : state) {
        const TProjectCheck check = CheckProject(Project());
        found = check.Problems.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["tasks"] = Project().TaskList.TaskCount();
    state.counters["problems"] = static_cast<double>(found);
}
BENCHMARK(BM_CheckProject)->Unit(benchmark::kMillisecond);

// The check as the task window runs it after one change: a message added in the middle of the
// tree, or taken out again, then the script written (again only where the change reached, through
// the window's script memo) and checked, its findings traced to their tasks. The window's memo of
// the last text checked is kept between the changes too, and told the lines each write changed.
void BM_CheckProjectAfterOneChange(benchmark::State& state)
{
    SetUpProject();
    TTaskNode* added = nullptr;
    TScriptCheckMemo memo;
    TScriptMemo script;
    script.Write(Project());
    std::size_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();  // the edit itself is the tree's, not the check's
        added = ToggleMiddleMessage(added);
        state.ResumeTiming();
        const TScriptResult& written = script.Write(Project());
        found = CheckWrittenScript(Project(), script.Lines(), written, &memo, &script.Change(), &script.Runs()).Problems.size();
        benchmark::DoNotOptimize(found);
    }
    if (added)
        ToggleMiddleMessage(added);
    state.counters["problems"] = static_cast<double>(found);
    state.counters["partial reads"] = memo.Reader().PartialReads();
}
BENCHMARK(BM_CheckProjectAfterOneChange)->Unit(benchmark::kMillisecond);

// Showing the output of an unchanged project checks it again through the same memo: the text is
// the one checked last, and only the tree's findings and the tracing are done anew.
void BM_CheckProjectUnchanged(benchmark::State& state)
{
    SetUpProject();
    TScriptCheckMemo memo;
    for (auto _ : state) {
        std::vector<std::string> lines;
        const TScriptResult written = GenerateScript(Project(), lines);
        benchmark::DoNotOptimize(CheckWrittenScript(Project(), lines, written, &memo));
    }
}
BENCHMARK(BM_CheckProjectUnchanged)->Unit(benchmark::kMillisecond);

// The check's parts on their own: writing the script, reading it into a syntax tree, and reading
// and checking it (errors and warnings).
void BM_WriteProjectScript(benchmark::State& state)
{
    SetUpProject();
    for (auto _ : state) {
        std::vector<std::string> lines;
        benchmark::DoNotOptimize(GenerateScript(Project(), lines));
    }
}
BENCHMARK(BM_WriteProjectScript)->Unit(benchmark::kMillisecond);

// Writing after one change (a message added in the middle of the tree, or taken out again)
// through the memo the task window keeps: next to writing the whole script above.
void BM_WriteAfterOneChange(benchmark::State& state)
{
    SetUpProject();
    TTaskNode* added = nullptr;
    TScriptMemo script;
    script.Write(Project());
    for (auto _ : state) {
        state.PauseTiming();
        added = ToggleMiddleMessage(added);
        state.ResumeTiming();
        benchmark::DoNotOptimize(script.Write(Project()));
    }
    if (added)
        ToggleMiddleMessage(added);
    state.counters["nodes written"] = static_cast<double>(script.NodesWritten());
    state.counters["lines changed"] = static_cast<double>(script.Change().NewCount + script.Change().OldCount);
}
BENCHMARK(BM_WriteAfterOneChange)->Unit(benchmark::kMicrosecond);

const std::string& ProjectScript()
{
    static const std::string text = [] {
        SetUpProject();
        std::vector<std::string> lines;
        GenerateScript(Project(), lines);
        return JoinScriptLines(lines);
    }();
    return text;
}

void BM_ReadProjectScript(benchmark::State& state)
{
    const std::string& text = ProjectScript();
    for (auto _ : state)
        benchmark::DoNotOptimize(script::ReadScriptFile(text, script::TTarget::EAthena));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadProjectScript)->Unit(benchmark::kMillisecond);

void BM_CheckProjectScript(benchmark::State& state)
{
    const std::string& text = ProjectScript();
    for (auto _ : state)
        benchmark::DoNotOptimize(script::CheckScript(text, {}));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CheckProjectScript)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
