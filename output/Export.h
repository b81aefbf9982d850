#pragma once
// The headless exporter: reads the catalogues that script text depends on, loads a project and
// writes its script. The editor shares the steps that do not load anything.

#include "catalogue/Catalogues.h"
#include "catalogue/Targets.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TProject;
class TTask;

struct TExportRequest {
    std::filesystem::path DataDir;  // the catalogue folder; empty: the working directory
    std::string ProjectPath;
    std::string OutputPath;  // empty: the output stream
    std::optional<TServerTarget> Server;  // none: the target the project remembers
    bool Check = false;  // report the script's problems instead of writing it
};

// The catalogues of dataDir a project's script and texts depend on, read into an object of their
// own for the project a command reads: maps (the NPC line and warps name a map by its position in
// maps.ini) and jobs (condition texts name them). Items and sprite pictures are not read: no
// script line depends on them, so a missing item_db.txt or bitmap does not stop an export.
// A DataDir that is not a folder raises EInOutError naming it.
std::shared_ptr<const TCatalogues> ReadScriptCatalogues(const std::filesystem::path& dataDir);

struct TExportedScript {
    std::string Text;  // every line followed by CR LF
    std::vector<std::string> Problems;
    std::vector<const TTask*> LineTasks;  // as TScriptResult::LineTasks
};

// The script of project, with what the writer found that makes it unfit to use. An NPC without
// a map stands on mapWhenNone, when given.
TExportedScript ScriptText(const TProject& project, const std::string& mapWhenNone = {});
// The same without the header comment block: the NPC line, its body and the closing brace.
TExportedScript NpcScriptText(const TProject& project, const std::string& mapWhenNone = {});
// The script of project's tasks in the editor's own style, also where they keep the source they
// were imported from: what the import's proof plays.
TExportedScript TreeScriptText(const TProject& project, const std::string& mapWhenNone = {});

// Writes text to path (replacing a file only once everything is written), or to out when path is
// empty. EInOutError naming the file, or "standard output", when it fails.
void WriteScriptText(const std::string& text, const std::string& path, std::ostream& out);

// What is written for a project's script text: another form of it (a web page, say).
using TScriptForm = std::function<std::string(const TProject& project, const std::string& script)>;

// The exporter as a whole. 0: the script was written (as form gives it, when given). 1: nothing
// was written; each reason is one line "npc-export: <message naming the file>" on err.
int RunExport(const TExportRequest& request, std::ostream& out, std::ostream& err, const TScriptForm& form = {});

// The exporter's check: every problem of the project's script, one line each on out in the
// compilers' form (the position in the written script, then the task's path in the tree), a
// summary on err. 0: no error; 1: an error, or the project could not be read.
int RunExportCheck(const TExportRequest& request, std::ostream& out, std::ostream& err);
