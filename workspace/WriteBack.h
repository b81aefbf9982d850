#pragma once
// A project's NPC written into a script file of many NPCs in place of one of its entries: the
// editor's own lines for the NPC (its NPC line and body in the project's target form, without the
// header comment block), in the file's line end; the rest of the file stays byte for byte.

#include "workspace/ScriptWorkspace.h"

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class TProject;

// The parts of NPCs (script entries) named name: as written, its part before "::" or its unique
// name after it, letters in any case.
std::vector<std::size_t> FindNpcParts(const TScriptWorkspace& workspace, const std::string& name);

// Replaces part's text by project's NPC. An NPC whose map the catalogue lacks stands on
// mapWhenNone, when given. EInOutError naming the file with the writer's first problem when the
// script would be unfit; the workspace is then unchanged.
void WriteNpcInto(TScriptWorkspace& workspace, std::size_t part, const TProject& project,
                  const std::string& mapWhenNone = {});

// An NPC of a script file edited as tasks. Its project is imported (and proved) from the entry as
// the user has it (edited as code, kept by a reload, restored after a crash), so that undoing every
// task edit comes back there; while the project differs from it, the editor's lines for the NPC
// stand in the file.
class TNpcEntryTasks {
public:
    // EImportError when the entry as it stands cannot be imported or proved. The project reads
    // catalogues.
    TNpcEntryTasks(const TScriptWorkspace& workspace, std::size_t part, std::shared_ptr<const TCatalogues> catalogues);

    // The imported project, once: a document takes it.
    std::unique_ptr<TProject> TakeProject() { return std::move(Project_); }
    std::size_t Part() const { return Part_; }
    // The file was read again and holds the entry as part.
    void MoveTo(std::size_t part) { Part_ = part; }
    // The project changed: its lines go into workspace while it is modified, the entry's text as
    // opened comes back when it is not. Tasks the writer refuses leave the entry as it was and
    // are kept in WriteError until a change writes again.
    void Follow(TScriptWorkspace& workspace, const TProject& project);
    // Why the tasks as they stand are not in the file; empty when they are.
    const std::string& WriteError() const { return WriteError_; }
    // The file was saved with the entry as it stands: undoing comes back to that from now on.
    void Saved(const TScriptWorkspace& workspace) { Baseline_ = workspace.CurrentText(Part_); }

private:
    std::size_t Part_;
    std::unique_ptr<TProject> Project_;
    std::string OriginalMap_;
    std::string Baseline_;
    std::string WriteError_;
};

struct TIntoRequest {
    std::filesystem::path DataDir;  // the catalogue folder; empty: the working directory
    std::string ProjectPath;
    std::string ScriptPath;         // the file written into
    std::string Npc;                // the NPC replaced; empty: the project's NPC name
};

// npc-export --into. 0: the NPC was replaced and the file saved. 1: the file is untouched (no
// such NPC, more than one, a project or file that cannot be read, or the new file would not load
// on the project's target); each reason is a line "npc-export: ..." on err.
int RunExportInto(const TIntoRequest& request, std::ostream& err);
