#pragma once
// The NPC and header records a project holds, and the program's version; the catalogues
// (DCatalogues.h) come with them.

#include "catalogue/Catalogues.h"
#include "catalogue/Targets.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* VersionText = "0.9 Alpha";

struct TNPC {
    std::int32_t SpriteID = 0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Direction = 0;  // 1 North ... 8 North West
    std::int32_t MapIndex = 0;   // index into MapList, -1 for none
    std::string Name;

    bool operator==(const TNPC&) const = default;
};

struct TNPCHeader {
    std::string ScriptName;
    std::string Author;
    std::string Version;
    std::string Compatible;
    std::string Description;
    std::string Comments;  // keeps its line breaks
    // The server the script is written for. Not part of the header's record in the project file:
    // the project remembers it in a side file (DTargets.h).
    TServerTarget Target = DefaultTarget;

    bool operator==(const TNPCHeader&) const = default;
};

// Writes the header's script for target from now on; a "Compatible With" that is still a default
// becomes the target's own default.
void ChangeServerTarget(TNPCHeader& header, TServerTarget target);
// The 30 evenly spaced tab stops of the script views, in points, for a font whose letter "A" is
// charWidth pixels wide: stop k at k * (charWidth - 2) * 2.
std::vector<int> TabStopPositions(int charWidth);
inline constexpr int TabStopCount = 30;
