// npc-export: writes the script of a project without opening the editor.
//   npc-export [--data DIR] [-o FILE] [--html|--check] [--server eathena|rathena|hercules] PROJECT.NPC
// With --html the script is written as a coloured HTML page instead of plain text; with --check
// nothing is written: the script's problems are listed, and an error makes the exit status 1. Without
// --data the catalogues come from the first of the working directory, the user's data folder and
// the installed data folder that holds one, as in the editor.
// Exit status 0 when the script was written, 1 when it was not (reasons on stderr), 2 for a
// command line it does not understand.

#include "platform/DataFolder.h"
#include "output/Export.h"
#include "output/HtmlExport.h"

#include <QCoreApplication>
#include <QFile>

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int ExitUsage = 2;
constexpr const char* UsageLine =
    "usage: npc-export [--data DIR] [-o FILE] [--html|--check] [--server eathena|rathena|hercules] PROJECT.NPC";

struct TOption {
    std::vector<std::string> Names;
    bool TakesValue;
    // Returns what is wrong with the value; empty when it was taken.
    std::function<std::string(TExportRequest&, const std::string& value)> Apply;
};

std::string ApplyServer(TExportRequest& request, const std::string& value)
{
    request.Server = FindTarget(value);
    return request.Server ? std::string() : "unknown server " + value + " (expected " + TargetKeysText() + ")";
}

const std::vector<TOption>& Options()
{
    static const std::vector<TOption> options = {
        {{"--data"}, true, [](TExportRequest& r, const std::string& v) { r.DataDir = v; return std::string(); }},
        {{"-o", "--output"}, true, [](TExportRequest& r, const std::string& v) { r.OutputPath = v; return std::string(); }},
        {{"--server"}, true, ApplyServer},
    };
    return options;
}

const TOption* FindOption(const std::string& name)
{
    for (const TOption& option : Options())
        for (const std::string& candidate : option.Names)
            if (candidate == name)
                return &option;
    return nullptr;
}

struct TParsed {
    TExportRequest Request;
    bool Help = false;
    bool Html = false;
    std::string Error;  // empty when the command line is usable
};

TParsed ParseArguments(const std::vector<std::string>& args)
{
    TParsed parsed;
    std::vector<std::string> projects;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            projects.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            parsed.Help = true;
        } else if (arg == "--html") {
            parsed.Html = true;
        } else if (arg == "--check") {
            parsed.Request.Check = true;
        } else if (const TOption* option = FindOption(arg)) {
            std::string value;
            if (option->TakesValue) {
                if (i + 1 >= args.size()) {
                    parsed.Error = "option " + arg + " needs a value";
                    return parsed;
                }
                value = args[++i];
            }
            parsed.Error = option->Apply(parsed.Request, value);
            if (!parsed.Error.empty())
                return parsed;
        } else {
            parsed.Error = "unknown option " + arg;
            return parsed;
        }
    }
    if (parsed.Help)
        return parsed;
    if (parsed.Html && parsed.Request.Check)
        parsed.Error = "--html and --check exclude each other";
    else if (projects.size() != 1)
        parsed.Error = projects.empty() ? "no project file given" : "more than one project file given";
    else
        parsed.Request.ProjectPath = projects.front();
    return parsed;
}

}  // namespace

int main(int argc, char* argv[])
{
    TParsed parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.Help) {
        std::cout << UsageLine << '\n';
        return 0;
    }
    if (!parsed.Error.empty()) {
        std::cerr << "npc-export: " << parsed.Error << '\n' << UsageLine << '\n';
        return ExitUsage;
    }
    if (parsed.Request.DataDir.empty()) {
        const QCoreApplication app(argc, argv);  // for the program's own folder
        parsed.Request.DataDir = FindCatalogueFolder(
            DataSearchPath(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));
    }
    if (parsed.Request.Check)
        return RunExportCheck(parsed.Request, std::cout, std::cerr);
    if (parsed.Html)
        return RunHtmlExport(parsed.Request, std::cout, std::cerr);
    return RunExport(parsed.Request, std::cout, std::cerr);
}
