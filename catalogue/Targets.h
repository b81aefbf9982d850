#pragma once
// The game servers a script can be written for: eAthena and its successors rAthena and Hercules.
// Most of the script text is the same on all three; this module is the one place that knows
// where they differ, and where a project remembers which one it is written for.

#include "script/ServerRules.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The checker's list of servers is the one list: its keys and names are the ones shown here.
using TServerTarget = script::TTarget;

inline constexpr TServerTarget DefaultTarget = TServerTarget::EAthena;

struct TTargetRules {
    TServerTarget Target;
    const char* Key;                // on the command line and in the project's side file
    const char* Name;               // as the windows show it
    const char* DefaultCompatible;  // the header's "Compatible With" of a new project
    bool MapsWithoutGat;            // map names are written without their ".gat"
    bool NamedViews;                // the NPC line names its sprite by view constant
    const char* HeaderRuler;        // the script header's first line, as the server's own scripts open
};

// Every target, in the order the windows list them.
const std::array<TTargetRules, 3>& ServerTargets();
const TTargetRules& RulesOf(TServerTarget target);
// By key, without regard to case; nothing for an unknown key.
std::optional<TServerTarget> FindTarget(std::string_view key);
// "eathena, rathena or hercules", for messages about a key that is not one of them.
std::string TargetKeysText();

// Whether text is the "Compatible With" some target gives a new project, that is, one the user
// has not written: such a text follows the target when it changes.
bool IsDefaultCompatible(const std::string& text);

// ---- Script text per target -------------------------------------------------------------------

// A map name as the target's script takes it: rAthena and Hercules document ".gat" as deprecated.
std::string ScriptMapName(TServerTarget target, const std::string& mapFile);
// The NPC line's sprite: Hercules warns on every numeric view, so it gets the view constant
// where one exists.
std::string ScriptViewText(TServerTarget target, std::int32_t spriteID);
// The statement a command of the action catalogue is written as on the target.
std::string ScriptCommand(TServerTarget target, const std::string& command);

// Hercules' view constant of a sprite, or nullptr when it has none.
const char* HerculesViewName(std::int32_t spriteID);
// How many view constants are compiled in.
std::size_t HerculesViewCount();

// ---- Where a project remembers its target -----------------------------------------------------

// The side file beside a project: the project's path with ".server" appended. The project file
// itself keeps its format, so other tools and older copies of the editor still read it.
std::string TargetFileName(const std::string& projectPath);
// The target the side file names; the default when there is none. EInOutError naming the side
// file when it cannot be read or names no known target.
TServerTarget ReadProjectTarget(const std::string& projectPath);
// The side file's content for target; none for the default target, which has no side file.
std::optional<std::string> ProjectTargetBytes(TServerTarget target);
// Writes the side file, or removes it for the default target, so an eAthena project is exactly
// the files it always was. EInOutError naming the side file when that fails.
void WriteProjectTarget(const std::string& projectPath, TServerTarget target);
