// npc-export: writes the script of a project without opening the editor.
//   npc-export [--data DIR] [-o FILE] [--html|--check] [--server eathena|rathena|hercules] PROJECT.NPC
//   npc-export [--data DIR] PROJECT.NPC --into SCRIPT.txt [--npc NAME]
// With --html the script is written as a coloured HTML page instead of plain text; with --check
// nothing is written: the script's problems are listed, and an error makes the exit status 1. Without
// --data the catalogues come from the first of the working directory, the user's data folder and
// the installed data folder that holds one, as in the editor.
// Exit status 0 when the script was written, 1 when it was not (reasons on stderr), 2 for a
// command line it does not understand. With --into the project's NPC replaces the NPC named NAME
// (default: the project's NPC name) in a script file of many NPCs, every other byte of it kept;
// status 1 and the file untouched when that NPC is not in the file, the name is ambiguous, or the
// new file would not load on the project's server.

#include "app/CommandLine.h"
#include "platform/DataFolder.h"
#include "output/Export.h"
#include "output/HtmlExport.h"
#include "workspace/WriteBack.h"

#include <QCoreApplication>
#include <QFile>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr const char* UsageLine =
    "usage: npc-export [--data DIR] [-o FILE] [--html|--check] [--server eathena|rathena|hercules] PROJECT.NPC\n"
    "       npc-export [--data DIR] PROJECT.NPC --into SCRIPT.txt [--npc NAME]";

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
    TIntoRequest into;
    bool html = false;
    const app::TProgram program{
        "npc-export", UsageLine,
        {app::ValueOption({"--data"}, request.DataDir), app::ValueOption({"-o", "--output"}, request.OutputPath),
         app::FlagOption({"--html"}, html), app::FlagOption({"--check"}, request.Check),
         {{"--server"}, true, [&request](const std::string& value) { TakeServer(request, value); }},
         app::ValueOption({"--into"}, into.ScriptPath), app::ValueOption({"--npc"}, into.Npc)},
        [&](const std::vector<std::string>& projects) {
            if (html && request.Check)
                throw std::invalid_argument("--html and --check exclude each other");
            if (!into.Npc.empty() && into.ScriptPath.empty())
                throw std::invalid_argument("--npc names the NPC replaced by --into; give --into SCRIPT.txt");
            if (!into.ScriptPath.empty() && (html || request.Check || !request.OutputPath.empty() || request.Server))
                throw std::invalid_argument("--into writes into the script file in the project's own server form; "
                                            "-o, --html, --check and --server do not go with it");
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
        if (!into.ScriptPath.empty()) {
            into.DataDir = request.DataDir;
            into.ProjectPath = request.ProjectPath;
            return RunExportInto(into, std::cerr);
        }
        if (request.Check)
            return RunExportCheck(request, std::cout, std::cerr);
        if (html)
            return RunHtmlExport(request, std::cout, std::cerr);
        return RunExport(request, std::cout, std::cerr);
    });
}
