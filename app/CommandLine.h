#pragma once
// The command line of the npc-* programs: options from a table, the other arguments positional.
// A program states its options; the reader keeps the conventions every one of them shares: `--`
// ends the options, "-" is an argument (standard input), `-h`/`--help` prints the usage line, and
// a command line the program cannot use is reported on stderr with the usage line, status 2.

#include "script/ServerRules.h"

#include <charconv>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace app {

constexpr int ExitHelp = 0;
constexpr int ExitUsage = 2;

struct TOption {
    std::vector<std::string> Names;  // "-o", "--output"
    bool TakesValue = false;
    // Takes the value (empty for an option without one); throws std::invalid_argument, saying
    // what is wrong, for a value it cannot use.
    std::function<void(const std::string& value)> Take;
};

// An option whose value is stored as it is written.
template <class T>
TOption ValueOption(std::vector<std::string> names, T& into)
{
    return {std::move(names), true, [&into](const std::string& value) { into = value; }};
}

// An option without a value that sets a flag.
inline TOption FlagOption(std::vector<std::string> names, bool& flag)
{
    return {std::move(names), false, [&flag](const std::string&) { flag = true; }};
}

// --server NAME, as the script readers name the servers.
TOption ServerOption(script::TTarget& target);

struct TArguments {
    std::vector<std::string> Positional;
    bool Help = false;  // `--help` came before anything wrong; the rest was not read
};

// Reads args (without the program's name) by the table. Throws std::invalid_argument for an
// unknown option, a missing value or a value the option refuses.
TArguments ReadArguments(const std::vector<std::string>& args, const std::vector<TOption>& options);

struct TProgram {
    const char* Name;   // "npc-export": the start of every message
    const char* Usage;  // the usage line
    std::vector<TOption> Options;
    // Checks the positional arguments and what the options set, once all are read (not after
    // --help); throws std::invalid_argument for a command line the program cannot use.
    std::function<void(const std::vector<std::string>& positional)> Check;
};

// The command-line boundary of a program: reads argv, answers --help and a command line it cannot
// use, and otherwise returns run's exit status.
int RunProgram(const TProgram& program, int argc, char* argv[], const std::function<int()>& run);

// A whole number written as the value of option; throws std::invalid_argument otherwise.
template <class T>
T NumberValue(const std::string& text, const std::string& option)
{
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument("option " + option + ": " + text + " is not a number");
    return value;
}

} // namespace app
