// npc-play: plays an NPC without a server, for tests in build pipelines.
//   npc-play [--data DIR] [--server eathena|rathena|hercules] [--player KEY=VALUE,...]
//            [--choose N,N,...] [--input TEXT,...] [--seed N] [--encoding NAME] [--json]
//            PROJECT.NPC|SCRIPT.txt [--npc NAME]
// Exit status 0 when the NPC ended or waits for an answer, 1 on a fault, 2 for a command line it
// does not understand.

#include "play/Play.h"

#include <charconv>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int ExitUsage = 2;
constexpr const char* UsageLine =
    "usage: npc-play [--data DIR] [--server eathena|rathena|hercules] [--player KEY=VALUE,...] "
    "[--choose N,N,...] [--input TEXT,...] [--seed N] [--encoding NAME] [--json] PROJECT.NPC|SCRIPT.txt "
    "[--npc NAME]";

std::vector<std::string> SplitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

template <class T>
T Number(const std::string& text, const std::string& option)
{
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument("option " + option + ": " + text + " is not a number");
    return value;
}

TPlayRequest ParseArguments(const std::vector<std::string>& args, bool& help)
{
    TPlayRequest request;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            help = true;
            continue;
        }
        if (arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
            continue;
        }
        if (arg == "--json") {
            request.Json = true;
            continue;
        }
        if (arg != "--data" && arg != "--player" && arg != "--choose" && arg != "--input" && arg != "--seed" &&
            arg != "--npc" && arg != "--encoding" && arg != "--server")
            throw std::invalid_argument("unknown option " + arg);
        if (i + 1 >= args.size())
            throw std::invalid_argument("option " + arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--data")
            request.DataDir = value;
        else if (arg == "--player")
            request.Player = value;
        else if (arg == "--npc")
            request.Npc = value;
        else if (arg == "--server") {
            if (!script::TargetFromName(value, request.Target))
                throw std::invalid_argument("unknown server " + value + " (eathena, rathena or hercules)");
        }
        else if (arg == "--input")
            request.Inputs = SplitCommas(value);
        else if (arg == "--encoding")
            request.Encoding = value;
        else if (arg == "--seed")
            request.Seed = Number<std::uint32_t>(value, arg);
        else
            for (const std::string& choice : SplitCommas(value))
                request.Choices.push_back(Number<int>(choice, arg));
    }
    if (help)
        return request;
    if (files.size() != 1)
        throw std::invalid_argument(files.empty() ? "no project or script file given" : "more than one file given");
    request.Path = files.front();
    ParsePlayerOption(request.Player);
    PlayTextDecoder(request.Encoding);
    return request;
}

} // namespace

int main(int argc, char* argv[])
{
    bool help = false;
    TPlayRequest request;
    try {
        request = ParseArguments(std::vector<std::string>(argv + 1, argv + argc), help);
    } catch (const std::invalid_argument& error) {
        std::cerr << "npc-play: " << error.what() << '\n' << UsageLine << '\n';
        return ExitUsage;
    }
    if (help) {
        std::cout << UsageLine << '\n';
        return 0;
    }
    return RunPlay(request, std::cout, std::cerr);
}
