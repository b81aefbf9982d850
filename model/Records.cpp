#include "model/Records.h"


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
