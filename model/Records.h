#pragma once
// The NPC and header records a project holds, and the program's version; the catalogues
// (DCatalogues.h) come with them.

#include "catalogue/Catalogues.h"
#include "catalogue/Targets.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* VersionText = "0.9 Alpha";

// The cells around an NPC where walking onto it runs its OnTouch label: X cells left and right of
// it, Y cells above and below, as written after the sprite (`sprite,x,y,{`).
struct TTouchArea {
    std::int32_t X = 0;
    std::int32_t Y = 0;

    bool operator==(const TTouchArea&) const = default;
};

struct TNPC {
    std::int32_t SpriteID = 0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Direction = 0;  // 1 North ... 8 North West
    std::int32_t MapIndex = 0;   // index into the catalogues' Maps, -1 for none: how the catalogue shows the map
    std::string Name;
    // The map as the script names it ("prontera.gat", "prontera"); empty: the catalogue's map at
    // MapIndex, which is all a version-258 project holds.
    std::string MapName;
    std::optional<TTouchArea> Touch;  // none: the NPC is only clicked

    bool operator==(const TNPC&) const = default;
};

// The map NPC is written on: its MapName, or the catalogue's file at its MapIndex; empty for none.
std::string NpcMapFile(const TNPC& npc, const TCatalogues& catalogues);
// True when the NPC holds what a version-258 project cannot: a touch area, or a map name other
// than the catalogue's file at its index.
bool NpcNeedsExtendedFormat(const TNPC& npc, const TCatalogues& catalogues);

struct TNPCHeader {
    std::string ScriptName;
    std::string Author;
    std::string Version;
    std::string Compatible;
    std::string Description;
    std::string Comments;  // keeps its line breaks
    // An imported script's header is its author's: the script names no editor in it.
    bool AuthorsHeader = false;
    // The sections of an author's header that have no field here (a "Comments:" section), as
    // written, their rulers included, CR LF between lines; written after the Description.
    std::string OtherSections;
    // The server the script is written for. Not part of the header's record in the project file:
    // the project remembers it in a side file (DTargets.h).
    TServerTarget Target = DefaultTarget;

    bool operator==(const TNPCHeader&) const = default;
};

// True when the header holds what a version-258 project cannot (an author's header).
bool HeaderNeedsExtendedFormat(const TNPCHeader& header);

// Writes the header's script for target from now on; a "Compatible With" that is still a default
// becomes the target's own default.
void ChangeServerTarget(TNPCHeader& header, TServerTarget target);
// The 30 evenly spaced tab stops of the script views, in points, for a font whose letter "A" is
// charWidth pixels wide: stop k at k * (charWidth - 2) * 2.
std::vector<int> TabStopPositions(int charWidth);
inline constexpr int TabStopCount = 30;
