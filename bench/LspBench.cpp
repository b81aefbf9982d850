// npc-lsp's three measured goals, on a server tree made of the rAthena sample's files copied until
// the tree has 835 script files (the real server's renewal tree has 835):
//   - the first diagnostics of an open file, the last in the load order, after initialize: goal
//     under 3 s;
//   - new diagnostics after an edit of a 12,000-line file: goal under 100 ms at the 90th percentile;
//   - the heap the server holds for the tree: goal under 20 times the tree's script bytes.

#include "BenchSupport.h"

#include "lsp/Server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr int TreeFiles = 835;
constexpr int LargeFileLines = 12000;

struct TBenchTree {
    fs::path Root;
    fs::path LastFile, LargeFile;
    std::size_t Bytes = 0;
};

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Made once per program in the temporary folder; empty Root when the sample is absent.
const TBenchTree& Tree()
{
    static const TBenchTree tree = [] {
        TBenchTree made;
        const fs::path sample = fs::path(NPC_SOURCE_DIR) / "../shared/data/rathena/npc";
        std::vector<std::string> files;
        std::ifstream order(sample / "load-order.txt");
        for (std::string line; std::getline(order, line);)
            if (!line.empty())
                files.push_back(line.substr(4));  // without "npc/"
        if (files.empty())
            return made;
        made.Root = fs::temp_directory_path() / "npc-lsp-bench-tree";
        fs::remove_all(made.Root);
        std::string list;
        // The copies keep their NPC names: duplicate names cost the checker nothing more.
        for (int i = 0; i < TreeFiles - 1; ++i) {
            const std::string name = "npc/copy" + std::to_string(i / files.size()) + "/" + files[i % files.size()];
            fs::create_directories((made.Root / name).parent_path());
            fs::copy_file(sample / files[i % files.size()], made.Root / name);
            made.Bytes += fs::file_size(made.Root / name);
            list += "npc: " + name + "\n";
            made.LastFile = made.Root / name;
        }
        std::string large;
        for (std::size_t i = 0; std::count(large.begin(), large.end(), '\n') < LargeFileLines; ++i)
            large += ReadAll(sample / files[i % files.size()]);
        std::string cut;
        for (std::size_t at = 0, lines = 0; lines < LargeFileLines && at < large.size(); ++lines) {
            const std::size_t end = large.find('\n', at);
            cut += large.substr(at, end + 1 - at);
            at = end + 1;
        }
        made.LargeFile = made.Root / "npc/large.txt";
        std::ofstream(made.LargeFile, std::ios::binary) << cut;
        made.Bytes += cut.size();
        list += "npc: npc/large.txt\n";
        fs::create_directories(made.Root / "npc/re");
        std::ofstream(made.Root / "npc/re/scripts_main.conf") << list;
        return made;
    }();
    return tree;
}

QString Uri(const fs::path& path)
{
    return QUrl::fromLocalFile(QString::fromStdString(path.string())).toString();
}

struct TBenchClient {
    TBenchClient()
        : Server({}, [this](const QByteArray& body) {
              if (body.contains("publishDiagnostics"))
                  ++Published;
          })
    {
        Send({{"id", 1}, {"method", "initialize"},
              {"params", QJsonObject{{"rootUri", Uri(Tree().Root)}, {"initializationOptions", QJsonObject{{"server", "rathena"}}}}}});
    }
    void Send(QJsonObject message)
    {
        message["jsonrpc"] = "2.0";
        Server.Receive(QJsonDocument(message).toJson(QJsonDocument::Compact));
        while (Server.Idle()) {
        }
    }
    void Open(const fs::path& path)
    {
        const std::string text = ReadAll(path);
        Send({{"method", "textDocument/didOpen"},
              {"params", QJsonObject{{"textDocument", QJsonObject{{"uri", Uri(path)}, {"text", QString::fromLatin1(text.data(), static_cast<int>(text.size()))}}}}}});
    }
    int Published = 0;
    lsp::TServer Server;
};

void BM_LspFirstDiagnostics(benchmark::State& state)
{
    if (Tree().Root.empty())
        return state.SkipWithError("the rAthena sample ../shared/data/rathena is not present");
    for (auto _ : state) {
        TBenchClient client;
        client.Open(Tree().LastFile);
        if (client.Published != 1)
            return state.SkipWithError("no diagnostics were published");
    }
    state.counters["files"] = TreeFiles;
    state.counters["tree MB"] = static_cast<double>(Tree().Bytes) / 1e6;
}
BENCHMARK(BM_LspFirstDiagnostics)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Each iteration is one edit (a letter typed inside a message, then taken away) and the new
// diagnostics; the 90th percentile of the times is a counter.
void BM_LspEditLargeFile(benchmark::State& state)
{
    if (Tree().Root.empty())
        return state.SkipWithError("the rAthena sample ../shared/data/rathena is not present");
    TBenchClient client;
    client.Open(Tree().LargeFile);
    std::vector<double> times;
    int version = 1;
    for (auto _ : state) {
        const int line = (version * 7919) % LargeFileLines;
        const bool add = version % 2 == 1;
        const QJsonObject range{{"start", QJsonObject{{"line", line}, {"character", 0}}},
                                {"end", QJsonObject{{"line", line}, {"character", add ? 0 : 1}}}};
        const auto start = std::chrono::steady_clock::now();
        client.Send({{"method", "textDocument/didChange"},
                     {"params", QJsonObject{{"textDocument", QJsonObject{{"uri", Uri(Tree().LargeFile)}, {"version", ++version}}},
                                            {"contentChanges", QJsonArray{QJsonObject{{"range", range}, {"text", add ? "/" : ""}}}}}}});
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    state.counters["p90 ms"] = times[times.size() * 9 / 10];
    state.counters["lines"] = LargeFileLines;
}
BENCHMARK(BM_LspEditLargeFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// The heap held once the server has checked an open file against the whole tree (every file's
// text and what it adds to the load are kept), per byte of the tree's scripts.
void BM_LspMemory(benchmark::State& state)
{
    if (Tree().Root.empty())
        return state.SkipWithError("the rAthena sample ../shared/data/rathena is not present");
    double ratio = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        TBenchClient client;
        client.Open(Tree().LargeFile);
        ratio = static_cast<double>(mallinfo2().uordblks - before) / static_cast<double>(Tree().Bytes);
    }
    state.counters["heap per tree byte"] = ratio;
}
BENCHMARK(BM_LspMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
