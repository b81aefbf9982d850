#include "workspace/WriteBack.h"

#include "model/Project.h"
#include "model/ProjectFile.h"
#include "output/Export.h"
#include "import/ImportProof.h"
#include "script/Text.h"

#include <ostream>

namespace {

// "Guide::town_guide" is also known by the unique name after its "::".
bool SameUniqueName(const std::string& written, const std::string& wanted)
{
    const std::size_t colons = written.find("::");
    return colons != std::string::npos && script::LowerCase(written.substr(colons + 2)) == script::LowerCase(wanted);
}

} // namespace

std::vector<std::size_t> FindNpcParts(const TScriptWorkspace& workspace, const std::string& name)
{
    std::vector<std::size_t> found;
    for (std::size_t part : workspace.EntryParts())
        if (workspace.Parts()[part].Kind == TPartKind::Npc &&
            (NameMatches(workspace.Parts()[part].Name, name) || SameUniqueName(workspace.Parts()[part].Name, name)))
            found.push_back(part);
    return found;
}

void WriteNpcInto(TScriptWorkspace& workspace, std::size_t part, const TProject& project,
                  const std::string& mapWhenNone)
{
    const TExportedScript script = NpcScriptText(project, mapWhenNone);
    if (!script.Problems.empty())
        throw EInOutError(workspace.FileName(), project.NPCInfo.Name + ": " + script.Problems.front());
    std::vector<std::string> lines = SplitSourceLines(script.Text);
    lines.pop_back();  // the empty rest after the last line end: the entry's own line end follows it
    workspace.SetPartText(part, JoinLines(lines, "\n"));
}

TNpcEntryTasks::TNpcEntryTasks(const TScriptWorkspace& workspace, std::size_t part,
                               std::shared_ptr<const TCatalogues> catalogues)
    : Part_(part)
{
    const auto maps = ProofMaps(*catalogues);
    TProofOptions options;
    options.Target = workspace.Target();
    options.Maps = &maps;
    options.Catalogues = std::move(catalogues);
    const std::unique_ptr<TImportSource> source = workspace.NewSource();
    TProvedImport proved = ImportAndProve(*source, workspace.EditedEntry(*source, part), options);
    Baseline_ = workspace.CurrentText(part);
    OriginalMap_ = proved.Import.OriginalMap;
    Project_ = std::move(proved.Import.Project);
    Project_->Modified = false;  // the file holds it as it is
}

void TNpcEntryTasks::Follow(TScriptWorkspace& workspace, const TProject& project)
{
    WriteError_.clear();
    if (!project.Modified) {
        workspace.RestorePart(Part_, Baseline_);
        return;
    }
    try {
        WriteNpcInto(workspace, Part_, project, OriginalMap_);
    } catch (const EInOutError& error) {
        WriteError_ = error.what();
    }
}

namespace {

void Report(std::ostream& err, const std::string& message)
{
    err << "npc-export: " << message << '\n';
}

// The one part the request names; EInOutError when none or several.
std::size_t NamedPart(const TScriptWorkspace& workspace, const std::string& name)
{
    const std::vector<std::size_t> parts = FindNpcParts(workspace, name);
    if (parts.empty())
        throw EInOutError(workspace.FileName(), "has no NPC named " + name);
    if (parts.size() > 1) {
        std::string lines;
        for (std::size_t part : parts)
            lines += (lines.empty() ? "" : ", ") + std::to_string(workspace.Parts()[part].FirstLine);
        throw EInOutError(workspace.FileName(), name + " is ambiguous: NPCs of that name at lines " + lines +
                                                    "; name one with --npc");
    }
    return parts.front();
}

} // namespace

int RunExportInto(const TIntoRequest& request, std::ostream& err)
{
    try {
        const std::unique_ptr<TProject> project =
            ReadProjectFile(request.ProjectPath, ReadScriptCatalogues(request.DataDir));
        const script::TTarget target = project->HeaderInfo.Target;
        const std::unique_ptr<TScriptWorkspace> workspace = TScriptWorkspace::Open(request.ScriptPath, target);
        const std::string name = request.Npc.empty() ? project->NPCInfo.Name : request.Npc;
        WriteNpcInto(*workspace, NamedPart(*workspace, name), *project);
        bool refused = false;
        for (const TSaveProblem& problem : workspace->CheckNewBytes())
            if (problem.New) {
                Report(err, request.ScriptPath + ":" + std::to_string(problem.Diagnostic.Range.Begin.Line) +
                                ": error: " + problem.Diagnostic.Message);
                refused = true;
            }
        if (refused) {
            Report(err, request.ScriptPath + ": not written: the new file would not load on " +
                            RulesOf(target).Name);
            return 1;
        }
        if (workspace->IsModified())
            workspace->Save();
        return 0;
    } catch (const std::exception& error) {
        Report(err, error.what());
        return 1;
    }
}
