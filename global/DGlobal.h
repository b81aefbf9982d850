#pragma once
// Project state shared by every part of the editor: the NPC record, the header record, the project
// file name and the unsaved-changes flag, plus the catalogues (DCatalogues.h).

#include "DCatalogues.h"
#include "DTargets.h"

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

extern TNPC NPCInfo;
extern TNPCHeader HeaderInfo;
extern std::string ProjectFileName;
extern bool Modified;

void SetHeaderDefaults();
// Writes the header's script for target from now on; a "Compatible With" that is still a default
// becomes the target's own default.
void ChangeServerTarget(TNPCHeader& header, TServerTarget target);
void SetNPCDefaults();
// Stores flag and tells the project's listeners when it differs from Modified; the undo
// history's saved state follows (false: the project matches its file now).
void SetModified(bool flag);
// An empty project: one group "Start", default records, no file name, no unsaved changes. Goes
// through the project document, which tells its listeners.
void NewProject();
// The same without telling anyone: the document's own step.
void ResetProject();

// "Vask's NPC Editor (0.9 Alpha) - <file or No File Open>[ [Modified]]"
std::string TitleText();

// The 30 evenly spaced tab stops of the script views, in points, for a font whose letter "A" is
// charWidth pixels wide: stop k at k * (charWidth - 2) * 2.
std::vector<int> TabStopPositions(int charWidth);
inline constexpr int TabStopCount = 30;
