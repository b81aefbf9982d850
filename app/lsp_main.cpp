// npc-lsp: the checker, the server tree's names and the play-test in any editor, as a language
// server over standard input and output.
//   npc-lsp [--server eathena|rathena|hercules] [--data DIR]
// Exit status 0 after the editor's shutdown and exit, 1 when the editor went away without them,
// 2 for a bad command line.

#include "app/CommandLine.h"
#include "lsp/Connection.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    std::optional<script::TTarget> target;
    script::TTarget given = script::TTarget::EAthena;
    lsp::TServerOptions options;
    app::TOption server = app::ServerOption(given);
    server.Take = [&target, &given, take = server.Take](const std::string& value) {
        take(value);
        target = given;
    };
    const app::TProgram program{"npc-lsp", "usage: npc-lsp [--server eathena|rathena|hercules] [--data DIR]",
                                {server, app::ValueOption({"--data"}, options.DataDir)},
                                [](const std::vector<std::string>& positional) {
                                    if (!positional.empty())
                                        throw std::invalid_argument("npc-lsp takes no file: the editor names them");
                                }};
    return app::RunProgram(program, argc, argv, [&] {
        options.Target = target;
        return lsp::RunConnection(std::move(options), 0, stdout);
    });
}
