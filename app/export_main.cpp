// npc-export: writes the script of a project without opening the editor.
//   npc-export [--data DIR] [-o FILE] [--html|--check] [--server eathena|rathena|hercules] PROJECT.NPC
// With --html the script is written as a coloured HTML page instead of plain text; with --check
// nothing is written: the script's problems are listed, and an error makes the exit status 1. Without
// --data the catalogues come from the first of the working directory, the user's data folder and
// the installed data folder that holds one, as in the editor.
// Exit status 0 when the script was written, 1 when it was not (reasons on stderr), 2 for a
// command line it does not understand.

#include "app/CommandLine.h"
#include "platform/DataFolder.h"
#include "output/Export.h"
#include "output/HtmlExport.h"

#include <QCoreApplication>
#include <QFile>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr const char* UsageLine =
    "usage: npc-export [--data DIR] [-o FILE] [--html|--check] [--server eathena|rathena|hercules] PROJECT.NPC";

void TakeServer(TExportRequest& request, const std::string& value)
{
    request.Server = FindTarget(value);
    if (!request.Server)
        throw std::invalid_argument("unknown server " + value + " (expected " + TargetKeysText() + ")");
}

}  // namespace

int main(int argc, char* argv[])
{
    TExportRequest request;
    bool html = false;
    const app::TProgram program{
        "npc-export", UsageLine,
        {app::ValueOption({"--data"}, request.DataDir), app::ValueOption({"-o", "--output"}, request.OutputPath),
         app::FlagOption({"--html"}, html), app::FlagOption({"--check"}, request.Check),
         {{"--server"}, true, [&request](const std::string& value) { TakeServer(request, value); }}},
        [&](const std::vector<std::string>& projects) {
            if (html && request.Check)
                throw std::invalid_argument("--html and --check exclude each other");
            if (projects.size() != 1)
                throw std::invalid_argument(projects.empty() ? "no project file given" : "more than one project file given");
            request.ProjectPath = projects.front();
        }};
    return app::RunProgram(program, argc, argv, [&] {
        if (request.DataDir.empty()) {
            const QCoreApplication app(argc, argv);  // for the program's own folder
            request.DataDir = FindCatalogueFolder(
                DataSearchPath(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));
        }
        if (request.Check)
            return RunExportCheck(request, std::cout, std::cerr);
        if (html)
            return RunHtmlExport(request, std::cout, std::cerr);
        return RunExport(request, std::cout, std::cerr);
    });
}
