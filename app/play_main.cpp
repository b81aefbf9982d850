// npc-play: plays an NPC without a server, for tests in build pipelines.
//   npc-play [--data DIR] [--server eathena|rathena|hercules] [--player KEY=VALUE,...]
//            [--choose N,N,...] [--input TEXT,...] [--seed N] [--encoding NAME] [--json]
//            PROJECT.NPC|SCRIPT.txt [--npc NAME]
// Exit status 0 when the NPC ended or waits for an answer, 1 on a fault, 2 for a command line it
// does not understand.

#include "app/CommandLine.h"
#include "play/Play.h"
#include "script/Text.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    TPlayRequest request;
    const auto choices = [&request](const std::string& value) {
        for (const std::string_view choice : script::SplitCommas(value))
            request.Choices.push_back(app::NumberValue<int>(std::string(choice), "--choose"));
    };
    const app::TProgram program{
        "npc-play",
        "usage: npc-play [--data DIR] [--server eathena|rathena|hercules] [--player KEY=VALUE,...] "
        "[--choose N,N,...] [--input TEXT,...] [--seed N] [--encoding NAME] [--json] PROJECT.NPC|SCRIPT.txt "
        "[--npc NAME]",
        {app::ValueOption({"--data"}, request.DataDir), app::ServerOption(request.Target),
         app::ValueOption({"--player"}, request.Player), app::ValueOption({"--npc"}, request.Npc),
         app::ValueOption({"--encoding"}, request.Encoding), app::FlagOption({"--json"}, request.Json),
         {{"--input"}, true, [&request](const std::string& value) {
              const auto inputs = script::SplitCommas(value);
              request.Inputs.assign(inputs.begin(), inputs.end());
          }},
         {{"--seed"}, true, [&request](const std::string& value) { request.Seed = app::NumberValue<std::uint32_t>(value, "--seed"); }},
         {{"--choose"}, true, choices}},
        [&request](const std::vector<std::string>& files) {
            if (files.size() != 1)
                throw std::invalid_argument(files.empty() ? "no project or script file given" : "more than one file given");
            request.Path = files.front();
            ParsePlayerOption(request.Player);
            PlayTextDecoder(request.Encoding);
        }};
    return app::RunProgram(program, argc, argv, [&] { return RunPlay(request, std::cout, std::cerr); });
}
