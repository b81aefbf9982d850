// npc-import: turns the NPCs of an eAthena script file into editor projects.
//   npc-import [--data DIR] [--server NAME] SCRIPT.txt --list
//   npc-import [--data DIR] [--server NAME] SCRIPT.txt --npc NAME [-o PROJECT.NPC] [--verify]
//   npc-import [--data DIR] [--server NAME] SCRIPT.txt --all [-o DIR] [--verify]
// Every import is proved before it is written. Exit status 0 when everything asked for was
// imported, 1 when something was not, 2 for a command line it does not understand.

#include "import/ImportRun.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr const char* UsageLine =
    "usage: npc-import [--data DIR] [--server eathena|rathena|hercules] SCRIPT.txt "
    "(--list | --npc NAME | --all) [-o PROJECT.NPC|DIR] [--verify]";

TImportRequest ParseArguments(const std::vector<std::string>& args, bool& help)
{
    TImportRequest request;
    std::vector<std::string> files;
    int modes = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            help = true;
        } else if (arg == "--list" || arg == "--all") {
            request.Mode = arg == "--list" ? TImportMode::List : TImportMode::All;
            ++modes;
        } else if (arg == "--verify") {
            request.Verify = true;
        } else if (arg.empty() || arg[0] != '-') {
            files.push_back(arg);
        } else if (arg != "--data" && arg != "--server" && arg != "--npc" && arg != "-o") {
            throw std::invalid_argument("unknown option " + arg);
        } else if (i + 1 >= args.size()) {
            throw std::invalid_argument("option " + arg + " needs a value");
        } else if (arg == "--data") {
            request.DataDir = args[++i];
        } else if (arg == "--server") {
            if (!script::TargetFromName(args[++i], request.Target))
                throw std::invalid_argument("unknown server " + args[i] + " (eathena, rathena or hercules)");
        } else if (arg == "--npc") {
            request.Mode = TImportMode::One;
            request.Npc = args[++i];
            ++modes;
        } else {
            request.Output = args[++i];
        }
    }
    if (help)
        return request;
    if (files.size() != 1)
        throw std::invalid_argument(files.empty() ? "no script file given" : "more than one script file given");
    if (modes != 1)
        throw std::invalid_argument("give exactly one of --list, --npc NAME and --all");
    if (request.Mode != TImportMode::List && request.Output.empty() && !request.Verify)
        throw std::invalid_argument("nothing to do: give -o to write the import, or --verify to prove it");
    if (request.Mode == TImportMode::List && !request.Output.empty())
        throw std::invalid_argument("--list writes nothing; -o does not go with it");
    request.Script = files.front();
    return request;
}

} // namespace

int main(int argc, char* argv[])
{
    bool help = false;
    TImportRequest request;
    try {
        request = ParseArguments(std::vector<std::string>(argv + 1, argv + argc), help);
    } catch (const std::invalid_argument& error) {
        std::cerr << "npc-import: " << error.what() << '\n' << UsageLine << '\n';
        return ImportUsage;
    }
    if (help) {
        std::cout << UsageLine << '\n';
        return ImportDone;
    }
    return RunImport(request, std::cout, std::cerr);
}
