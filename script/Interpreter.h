#pragma once
// The interpreter of the eAthena script language: plays one NPC of a program against a mock
// player, following the server's run-time rules, and returns every event of the run.
//
// A run stops when the NPC ends, when a fault stops it as it would stop the server's script, or
// when it needs an answer the setup does not hold (a menu choice, typed input, or a button press
// when Presses is limited); it never stops for a command it does not model: such a command is
// recorded as not simulated, yields 0 and marks the run approximate.

#include "script/Constants.h"
#include "script/PlayProgram.h"
#include "script/PlayTypes.h"

#include <string_view>

namespace script {

// Plays `npc` (empty: the file's first NPC). Items may be null: every item exists, weightless.
// Constants (the data folder's const.txt) may be null: names without a scope prefix are then
// variables, as unknown names are, but for the constants the server's own table gives values
// (TPlayRules::OwnConstants).
// An unknown NPC or start label gives a run with one fault event.
TRunResult Play(const TProgram& program, std::string_view npc, const TPlaySetup& setup,
                const TItemLookup* items, const TConstants* constants = nullptr);

// What the interpreter records without simulating: a command or function it has no rule for.
bool IsSimulated(std::string_view command);

} // namespace script
