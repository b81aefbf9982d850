#include "model/Records.h"

std::string NpcMapFile(const TNPC& npc, const TCatalogues& catalogues)
{
    if (!npc.MapName.empty())
        return npc.MapName;
    return catalogues.IsMapIndex(npc.MapIndex) ? catalogues.MapAt(npc.MapIndex)->MapFile : std::string();
}

bool HeaderNeedsExtendedFormat(const TNPCHeader& header)
{
    return header.AuthorsHeader || !header.OtherSections.empty();
}

bool NpcNeedsExtendedFormat(const TNPC& npc, const TCatalogues& catalogues)
{
    if (npc.Touch)
        return true;
    return !npc.MapName.empty() &&
           !(catalogues.IsMapIndex(npc.MapIndex) && catalogues.MapAt(npc.MapIndex)->MapFile == npc.MapName);
}


void ChangeServerTarget(TNPCHeader& header, TServerTarget target)
{
    if (IsDefaultCompatible(header.Compatible))
        header.Compatible = RulesOf(target).DefaultCompatible;
    header.Target = target;
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
