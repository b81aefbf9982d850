#include "app/CommandLine.h"

#include <iostream>

namespace app {
namespace {

const TOption* FindOption(const std::vector<TOption>& options, const std::string& name)
{
    for (const TOption& option : options)
        for (const std::string& candidate : option.Names)
            if (candidate == name)
                return &option;
    return nullptr;
}

bool IsPositional(const std::string& arg)
{
    return arg.empty() || arg[0] != '-' || arg == "-";
}

} // namespace

TArguments ReadArguments(const std::vector<std::string>& args, const std::vector<TOption>& options)
{
    TArguments read;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || IsPositional(arg)) {
            read.Positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            read.Help = true;
            return read;
        }
        const TOption* option = FindOption(options, arg);
        if (!option)
            throw std::invalid_argument("unknown option " + arg);
        if (option->TakesValue && i + 1 >= args.size())
            throw std::invalid_argument("option " + arg + " needs a value");
        option->Take(option->TakesValue ? args[++i] : std::string());
    }
    return read;
}

TOption ServerOption(script::TTarget& target)
{
    return {{"--server"}, true, [&target](const std::string& value) {
                if (!script::TargetFromName(value, target))
                    throw std::invalid_argument("unknown server " + value + " (eathena, rathena or hercules)");
            }};
}

int RunProgram(const TProgram& program, int argc, char* argv[], const std::function<int()>& run)
{
    try {
        const TArguments read = ReadArguments(std::vector<std::string>(argv + 1, argv + argc), program.Options);
        if (read.Help) {
            std::cout << program.Usage << '\n';
            return ExitHelp;
        }
        program.Check(read.Positional);
    } catch (const std::invalid_argument& error) {
        std::cerr << program.Name << ": " << error.what() << '\n' << program.Usage << '\n';
        return ExitUsage;
    }
    return run();
}

} // namespace app
