#include "model/Project.h"

#include "platform/Errors.h"

#include <limits>
#include <stdexcept>

TNPCHeader DefaultHeader()
{
    TNPCHeader header;
    header.ScriptName = "<Name> Script";
    header.Author = "<Author> (1.0)";
    header.Version = "1.0";
    header.Compatible = RulesOf(DefaultTarget).DefaultCompatible;
    header.Description = "<Description>";
    header.Comments = "<Version History and Comments>";
    header.Target = DefaultTarget;
    return header;
}

TNPC DefaultNPC(const TCatalogues& catalogues)
{
    TNPC npc;
    npc.SpriteID = static_cast<std::int32_t>(catalogues.MinSpriteID);
    npc.Direction = 1;
    npc.MapIndex = catalogues.IndexOfMap(catalogues.FindMap("prontera.gat"));
    return npc;
}

TProject::TProject(std::shared_ptr<const TCatalogues> catalogues)
    : NPCInfo(catalogues ? DefaultNPC(*catalogues) : throw std::invalid_argument("a project needs catalogues")),
      HeaderInfo(DefaultHeader()), Catalogues_(std::move(catalogues))
{
    AttachTask(nullptr, NewGroup("Start"));
    TaskTree.Select(TaskTree.GetFirstNode());
}

std::unique_ptr<TGroupTask> TProject::NewGroup(const std::string& caption)
{
    // A project file never holds the largest number (the next group would overflow), so a group
    // given it could never be loaded again.
    if (NextGroupNumber < 0 || NextGroupNumber == std::numeric_limits<std::int32_t>::max())
        throw EListError("Cannot add the group \"" + caption + "\": every group number of this project is used up.");
    return std::make_unique<TGroupTask>(caption, NextGroupNumber++);
}

TGroupTask* TProject::StartGroup() const
{
    const TTaskNode* first = TaskTree.GetFirstNode();
    TTask* task = first ? first->Data() : nullptr;
    return task && task->Kind() == TTaskKind::Group ? static_cast<TGroupTask*>(task) : nullptr;
}

std::string TitleText(const TProject& project)
{
    return std::string("Vask's NPC Editor (") + VersionText + ") - " +
           (project.ProjectFileName.empty() ? std::string("No File Open") : project.ProjectFileName) +
           " [" + RulesOf(project.HeaderInfo.Target).Name + "]" + (project.Modified ? " [Modified]" : "");
}
