#pragma once
// A project: everything one NPC script is made of, owned in one object. The NPC and header
// records, the task tree with the list that owns its tasks, the group counter, and the file it
// was loaded from or saved to. The editor's open project belongs to its document (DDocument.h);
// work that needs another project (an import and its proof, a play-test from a file, a check)
// builds its own.

#include "model/Tasks.h"
#include "model/TaskTree.h"

#include "model/Records.h"

#include <cstdint>
#include <memory>
#include <string>

class TProject {
public:
    // A new project: one group "Start", default records, no file name, no unsaved changes. Its
    // catalogues are the ones it reads, checks and writes with for all its life.
    explicit TProject(std::shared_ptr<const TCatalogues> catalogues);
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    // A new group numbered by the project's counter, which then goes up by one. EListError when
    // the numbers are used up.
    std::unique_ptr<TGroupTask> NewGroup(const std::string& caption);

    // Adds a node for task as the last child of parent (nullptr: the top level), with the task's
    // full caption as its text, and registers the task: how a task joins the project.
    template <class T>
    T* AttachTask(TTaskNode* parent, std::unique_ptr<T> task)
    {
        T* raw = task.get();
        TaskTree.AddChild(parent, raw->Caption, raw);
        TaskList.RegisterTask(std::move(task));
        return raw;
    }

    // The first node's group, which holds everything else; nullptr in a tree without one.
    TGroupTask* StartGroup() const;

    const TCatalogues& Catalogues() const { return *Catalogues_; }
    const std::shared_ptr<const TCatalogues>& SharedCatalogues() const { return Catalogues_; }

    TNPC NPCInfo;
    TNPCHeader HeaderInfo;
    std::string ProjectFileName;
    bool Modified = false;
    std::int32_t NextGroupNumber = 0;
    // An imported NPC's frame as its author wrote it; empty for a project made in the editor.
    TKeptFrame Kept;
private:
    // Before the tree, which reads them.
    std::shared_ptr<const TCatalogues> Catalogues_;

public:
    // The list first: the tree hands tasks back to it, so it must outlive the tree.
    TTaskList TaskList;
    TTaskTree TaskTree{TaskList, *Catalogues_};
};

// The header a new project starts with, written for the default server.
TNPCHeader DefaultHeader();
// The NPC a new project starts with: the first sprite, at prontera.gat when the catalogue has it.
TNPC DefaultNPC(const TCatalogues& catalogues);

// "Vask's NPC Editor (0.9 Alpha) - <file or No File Open> [<server>][ [Modified]]"
std::string TitleText(const TProject& project);
