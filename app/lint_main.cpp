// npc-lint: checks eAthena-family script files as the chosen server would when loading them.
//   npc-lint [--data DIR] [--server eathena|rathena|hercules] [--load-order LIST] [--complete] FILE...
// ("-" for standard input). The files are one load, in the given order (then LIST's, one a line).
// --complete: the files are all the server loads, so a function or NPC none defines is an error.
// Exit status 0 without errors, 1 with an error, 2 for a bad command line or an unreadable file.

#include "app/CommandLine.h"
#include "check/Lint.h"

#include <iostream>
#include <string>
#include <vector>

static_assert(LintClean == app::ExitHelp && LintUnusable == app::ExitUsage);

int main(int argc, char* argv[])
{
    TLintRequest request;
    const app::TProgram program{
        "npc-lint", "usage: npc-lint [--data DIR] [--server eathena|rathena|hercules] [--load-order LIST] [--complete] FILE...",
        {app::ValueOption({"--data"}, request.DataDir), app::ValueOption({"--load-order"}, request.LoadOrder),
         app::FlagOption({"--complete"}, request.Complete),
         app::ServerOption(request.Target)},
        [&request](const std::vector<std::string>& files) {
            request.Files = files;
            if (request.Files.empty() && !request.LoadOrder)
                throw std::invalid_argument("no script file given");
        }};
    return app::RunProgram(program, argc, argv, [&] { return RunLint(request, std::cin, std::cout, std::cerr); });
}
