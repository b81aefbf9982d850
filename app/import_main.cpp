// npc-import: turns the NPCs of an eAthena script file into editor projects.
//   npc-import [--data DIR] [--server NAME] SCRIPT.txt --list
//   npc-import [--data DIR] [--server NAME] SCRIPT.txt --npc NAME [-o PROJECT.NPC] [--verify]
//   npc-import [--data DIR] [--server NAME] SCRIPT.txt --all [-o DIR] [--verify]
// Every import is proved before it is written. Exit status 0 when everything asked for was
// imported, 1 when something was not, 2 for a command line it does not understand.

#include "app/CommandLine.h"
#include "import/ImportRun.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

static_assert(ImportDone == app::ExitHelp && ImportUsage == app::ExitUsage);

namespace {

// Exactly one of --list, --npc NAME and --all.
void CheckImport(const TImportRequest& request, const std::vector<std::string>& files, int modes)
{
    if (files.size() != 1)
        throw std::invalid_argument(files.empty() ? "no script file given" : "more than one script file given");
    if (modes != 1)
        throw std::invalid_argument("give exactly one of --list, --npc NAME and --all");
    if (request.Mode != TImportMode::List && request.Output.empty() && !request.Verify)
        throw std::invalid_argument("nothing to do: give -o to write the import, or --verify to prove it");
    if (request.Mode == TImportMode::List && !request.Output.empty())
        throw std::invalid_argument("--list writes nothing; -o does not go with it");
}

} // namespace

int main(int argc, char* argv[])
{
    TImportRequest request;
    int modes = 0;
    const auto mode = [&](TImportMode chosen) {
        request.Mode = chosen;
        ++modes;
    };
    const app::TProgram program{
        "npc-import",
        "usage: npc-import [--data DIR] [--server eathena|rathena|hercules] SCRIPT.txt "
        "(--list | --npc NAME | --all) [-o PROJECT.NPC|DIR] [--verify]",
        {app::ValueOption({"--data"}, request.DataDir), app::ServerOption(request.Target),
         app::ValueOption({"-o"}, request.Output), app::FlagOption({"--verify"}, request.Verify),
         {{"--list"}, false, [&](const std::string&) { mode(TImportMode::List); }},
         {{"--all"}, false, [&](const std::string&) { mode(TImportMode::All); }},
         {{"--npc"}, true, [&](const std::string& name) { mode(TImportMode::One); request.Npc = name; }}},
        [&](const std::vector<std::string>& files) {
            CheckImport(request, files, modes);
            request.Script = files.front();
        }};
    return app::RunProgram(program, argc, argv, [&] { return RunImport(request, std::cout, std::cerr); });
}
