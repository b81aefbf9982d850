#include "DGlobal.h"

#include "tasks/DDocument.h"
#include "tasks/DTasks.h"

TNPC NPCInfo;
TNPCHeader HeaderInfo;
std::string ProjectFileName;
bool Modified = false;

void SetHeaderDefaults()
{
    HeaderInfo.ScriptName = "<Name> Script";
    HeaderInfo.Author = "<Author> (1.0)";
    HeaderInfo.Version = "1.0";
    HeaderInfo.Compatible = RulesOf(DefaultTarget).DefaultCompatible;
    HeaderInfo.Description = "<Description>";
    HeaderInfo.Comments = "<Version History and Comments>";
    HeaderInfo.Target = DefaultTarget;
}

void ChangeServerTarget(TNPCHeader& header, TServerTarget target)
{
    if (IsDefaultCompatible(header.Compatible))
        header.Compatible = RulesOf(target).DefaultCompatible;
    header.Target = target;
}

void SetNPCDefaults()
{
    NPCInfo.SpriteID = static_cast<std::int32_t>(MinSpriteID);
    NPCInfo.X = 0;
    NPCInfo.Y = 0;
    NPCInfo.Direction = 1;
    NPCInfo.MapIndex = IndexOfMap(FindMap("prontera.gat"));
    NPCInfo.Name.clear();
}

void SetModified(bool flag)
{
    ProjectDocument().SetModified(flag);
}

void NewProject()
{
    ProjectDocument().NewProject();
}

void ResetProject()
{
    ProjectFileName.clear();
    NextGroupNumber = 0;
    TaskTree.BeginUpdate();
    TaskTree.Clear();
    AttachTask(nullptr, std::make_unique<TGroupTask>("Start"));
    TaskTree.Select(TaskTree.GetFirstNode());
    TaskTree.EndUpdate();
    SetHeaderDefaults();
    SetNPCDefaults();
}

std::string TitleText()
{
    return std::string("Vask's NPC Editor (") + VersionText + ") - " +
           (ProjectFileName.empty() ? std::string("No File Open") : ProjectFileName) +
           (Modified ? " [Modified]" : "");
}

std::vector<int> TabStopPositions(int charWidth)
{
    const int spacing = (charWidth - 2) * 2;
    std::vector<int> stops;
    stops.reserve(TabStopCount);
    for (int k = 1; k <= TabStopCount; ++k)
        stops.push_back(k * spacing);
    return stops;
}
