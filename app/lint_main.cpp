// npc-lint: checks eAthena-family script files as the chosen server would when loading them.
//   npc-lint [--data DIR] [--server eathena|rathena|hercules] [--load-order LIST] FILE...
// ("-" for standard input). The files are one load, in the given order (then LIST's, one a line).
// Exit status 0 without errors, 1 with an error, 2 for a bad command line or an unreadable file.

#include "check/Lint.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* UsageLine =
    "usage: npc-lint [--data DIR] [--server eathena|rathena|hercules] [--load-order LIST] FILE...";

struct TParsed {
    TLintRequest Request;
    bool Help = false;
    std::string Error;
};

TParsed ParseArguments(const std::vector<std::string>& args)
{
    TParsed parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool needsValue = arg == "--data" || arg == "--server" || arg == "--load-order";
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            parsed.Request.Files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            parsed.Help = true;
        } else if (needsValue && i + 1 >= args.size()) {
            parsed.Error = "option " + arg + " needs a value";
        } else if (arg == "--data") {
            parsed.Request.DataDir = args[++i];
        } else if (arg == "--load-order") {
            parsed.Request.LoadOrder = args[++i];
        } else if (arg == "--server") {
            if (!script::TargetFromName(args[++i], parsed.Request.Target))
                parsed.Error = "unknown server " + args[i] + " (eathena, rathena or hercules)";
        } else {
            parsed.Error = "unknown option " + arg;
        }
        if (!parsed.Error.empty())
            return parsed;
    }
    if (!parsed.Help && parsed.Request.Files.empty() && !parsed.Request.LoadOrder)
        parsed.Error = "no script file given";
    return parsed;
}

} // namespace

int main(int argc, char* argv[])
{
    const TParsed parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.Help) {
        std::cout << UsageLine << '\n';
        return LintClean;
    }
    if (!parsed.Error.empty()) {
        std::cerr << "npc-lint: " << parsed.Error << '\n' << UsageLine << '\n';
        return LintUnusable;
    }
    return RunLint(parsed.Request, std::cin, std::cout, std::cerr);
}
