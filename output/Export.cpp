#include "output/Export.h"

#include "model/ActionTasks.h"
#include "model/ProjectFile.h"
#include "check/Problems.h"
#include "model/Tasks.h"
#include "model/Project.h"
#include "model/ScriptWriter.h"

#include "model/Records.h"

#include <ostream>

namespace {

constexpr const char* ProgramName = "npc-export";

void ReportError(std::ostream& err, const std::string& message)
{
    err << ProgramName << ": " << message << '\n';
}

std::unique_ptr<TProject> LoadForExport(const TExportRequest& request)
{
    std::unique_ptr<TProject> project = ReadProjectFile(request.ProjectPath, ReadScriptCatalogues(request.DataDir));
    if (request.Server)
        ChangeServerTarget(project->HeaderInfo, *request.Server);
    return project;
}

void PrintProblem(std::ostream& out, const std::string& file, const TProblem& problem)
{
    out << file << ':';
    if (problem.ScriptLine > 0)
        out << problem.ScriptLine << ':' << problem.Column << ':';
    out << ' ' << (problem.Severity == script::TSeverity::Error ? "error" : "warning") << ": "
        << problem.Message;
    if (problem.Task)
        out << " [" << TaskPath(*problem.Task) << ']';
    out << '\n';
}

}  // namespace

std::shared_ptr<const TCatalogues> ReadScriptCatalogues(const std::filesystem::path& dataDir)
{
    std::error_code ignored;
    if (!dataDir.empty() && !std::filesystem::is_directory(dataDir, ignored))
        throw EInOutError(dataDir.string(), "no such folder");
    auto catalogues = std::make_shared<TCatalogues>();
    catalogues->LoadJobs(dataDir);
    catalogues->LoadMaps(dataDir);
    return catalogues;
}

namespace {

TExportedScript WrittenText(const TProject& project, const std::string& mapWhenNone, bool headerBlock,
                            bool keepSource = true)
{
    std::vector<std::string> lines;
    TScriptWriter writer(project, lines);
    writer.MapWhenNone = mapWhenNone;
    writer.HeaderBlock = headerBlock;
    writer.KeepSource = keepSource;
    TScriptResult result = writer.Write();
    return {JoinScriptLines(lines), std::move(result.Problems), std::move(result.LineTasks)};
}

} // namespace

TExportedScript ScriptText(const TProject& project, const std::string& mapWhenNone)
{
    return WrittenText(project, mapWhenNone, true);
}

TExportedScript NpcScriptText(const TProject& project, const std::string& mapWhenNone)
{
    return WrittenText(project, mapWhenNone, false);
}

TExportedScript TreeScriptText(const TProject& project, const std::string& mapWhenNone)
{
    return WrittenText(project, mapWhenNone, true, false);
}

void WriteScriptText(const std::string& text, const std::string& path, std::ostream& out)
{
    if (!path.empty()) {
        WriteFileSafely(path, text);
        return;
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out)
        throw EInOutError("standard output", "the script could not be written");
}

int RunExport(const TExportRequest& request, std::ostream& out, std::ostream& err, const TScriptForm& form)
{
    try {
        const std::unique_ptr<TProject> project = LoadForExport(request);
        const TExportedScript script = ScriptText(*project);
        if (!script.Problems.empty()) {
            for (const std::string& problem : script.Problems)
                ReportError(err, request.ProjectPath + ": " + problem);
            ReportError(err, request.ProjectPath + ": no script written");
            return 1;
        }
        WriteScriptText(form ? form(*project, script.Text) : script.Text, request.OutputPath, out);
        return 0;
    } catch (const std::exception& error) {
        ReportError(err, error.what());
        return 1;
    }
}

int RunExportCheck(const TExportRequest& request, std::ostream& out, std::ostream& err)
{
    try {
        const std::unique_ptr<TProject> project = LoadForExport(request);
        const TProjectCheck check = CheckProject(*project);
        for (const TProblem& problem : check.Problems)
            PrintProblem(out, request.ProjectPath, problem);
        err << ProgramName << ": " << request.ProjectPath << ": " << check.ErrorCount() << " error(s), "
            << check.WarningCount() << " warning(s) for " << RulesOf(project->HeaderInfo.Target).Name << '\n';
        return check.ErrorCount() > 0 ? 1 : 0;
    } catch (const std::exception& error) {
        ReportError(err, error.what());
        return 1;
    }
}
