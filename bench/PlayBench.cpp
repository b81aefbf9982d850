// Playing an NPC of 200 statements (arithmetic, strings, arrays, a switch, a subroutine and a
// loop, every answer given) 1,000 times: the time per run is what a build pipeline pays for each
// NPC it plays.

#include "script/FileReader.h"
#include "script/Interpreter.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// 200 statements: 39 rounds of five, then a loop, a message, a menu and the end, and the
// subroutine.
std::string TwoHundredStatements()
{
    std::string body;
    for (int i = 0; i < 39; ++i) {
        const std::string n = std::to_string(i);
        body += "\tset .@n, .@n + " + n + " * 3 - (.@n / 7);\n";
        body += "\tset .@s$, .@s$ + \"" + n + "\";\n";
        body += "\tsetarray .@a[" + n + "], .@n, " + n + ";\n";
        body += "\tswitch (.@n % 4) { case 0: set .@z, .@z + 1; break; default: set .@z, .@z - 1; }\n";
        body += "\tif (getarraysize(.@a) > " + n + ") set .@r, callsub(L_Twice, .@n);\n";
    }
    body += "\tfor (.@i = 0; .@i < 20; .@i++) set .@t, .@t + .@a[.@i];\n";
    body += "\tmes \"[Bench] \" + .@n + \" \" + .@s$ + \" \" + .@z + \" \" + .@t;\n";
    body += "\tif (select(\"Again:Leave\") == 2) close;\n";
    body += "\tclose;\n";
    return "prontera,150,150,4\tscript\tBench\t100,{\n" + body + "L_Twice:\n\treturn getarg(0) * 2;\n}\n";
}

void BM_PlayTwoHundredStatements(benchmark::State& state)
{
    const std::string text = TwoHundredStatements();
    const script::TScriptFile file = script::ReadScriptFile(text);
    if (!file.Diagnostics.empty()) {
        state.SkipWithError(("the benchmark's script does not read: " + file.Diagnostics.front().Message).c_str());
        return;
    }
    const script::TProgram program(file);
    script::TPlaySetup setup;
    setup.Choices = {1};
    std::size_t events = 0;
    for (auto _ : state) {
        for (int run = 0; run < 1000; ++run) {
            const script::TRunResult result = script::Play(program, "", setup, nullptr);
            events += result.Events.size();
            benchmark::DoNotOptimize(result);
        }
    }
    state.counters["seconds_per_run"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 1000, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["events"] = static_cast<double>(events) / static_cast<double>(state.iterations() * 1000);
}

} // namespace

BENCHMARK(BM_PlayTwoHundredStatements)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
