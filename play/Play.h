#pragma once
// The headless player: loads a project (through the script the editor writes for it) or reads a
// script file, and plays one NPC with the interpreter, answering from the command line.

#include "model/Tasks.h"

#include "script/PlayTypes.h"
#include "script/ServerRules.h"
#include "script/Transcript.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TProject;

struct TPlayRequest {
    std::filesystem::path DataDir;  // the catalogue folder; empty: the working directory
    std::string Path;               // a .NPC project or a script text file
    std::string Npc;                // empty: the first NPC of the script
    std::string Player;             // KEY=VALUE,... as given on the command line
    std::vector<int> Choices;
    std::vector<std::string> Inputs;
    std::uint32_t Seed = 0;
    bool Json = false;
    std::string Encoding;  // the script text's encoding, as the editor names it; empty: Latin-1
    script::TTarget Target = script::TTarget::EAthena;  // whose grammar a script file is read by
};

// The script's bytes as UTF-8 in `encoding` (empty: Latin-1); std::invalid_argument for an encoding
// this system does not know.
script::TTextDecoder PlayTextDecoder(const std::string& encoding);

struct TPlayerOption {
    script::TPlayerState Player;
    bool WeightGiven = false;  // otherwise the weight is that of the items given
};

// Reads "zeny=5000,class=7,item:501=10,var:quest=2,..."; std::invalid_argument naming the
// entry that is wrong.
TPlayerOption ParsePlayerOption(std::string_view given);

// The inverse of ParsePlayerOption for the parameters and the inventory: "zeny=5000,...,item:501=10".
// Variables are the run's business and are left out.
std::string PlayerOptionText(const script::TPlayerState& player);

// One value of the player that differs between two states: a parameter --player sets ("Zeny") or
// an item's count ("item 501", Item its ID).
struct TPlayerChange {
    std::string Name;
    std::int32_t Item = 0;  // 0: a parameter
    std::int32_t From = 0;
    std::int32_t To = 0;
};

// What differs between two players in the values --player sets and in the items they carry, the
// parameters first, in the option's order, then the items by ID.
std::vector<TPlayerChange> PlayerChanges(const script::TPlayerState& before, const script::TPlayerState& after);
// The player with each change's new value (an item counted 0 is gone); the rest stays.
script::TPlayerState WithChanges(script::TPlayerState player, const std::vector<TPlayerChange>& changes);

// The item catalogue (the catalogues' Items) as the interpreter asks it.
class TCatalogueItems final : public script::TItemLookup {
public:
    explicit TCatalogueItems(const TCatalogues& catalogues);
    std::optional<script::TItemInfo> Find(std::int32_t id) const override;
    std::optional<script::TItemInfo> FindByName(std::string_view name) const override;

private:
    script::TItemTable Table_;
};

namespace script {
struct TScriptFile;
class TProgram;
}

// The current project's NPC as the editor plays it: the script written for the project now (the
// same text npc-play plays for a .NPC), read and laid out once, then played as often as asked.
// Items come from the loaded item catalogue; with none loaded every item exists, weightless.
class TProjectPlay {
public:
    explicit TProjectPlay(const TProject& project);
    ~TProjectPlay();
    TProjectPlay(const TProjectPlay&) = delete;
    TProjectPlay& operator=(const TProjectPlay&) = delete;

    script::TRunResult Play(const script::TPlaySetup& setup) const;
    // The task that wrote script line `line` (from 1); null for the script's frame, and for a
    // task that has left the project since.
    const TTask* TaskAtLine(int line) const;
    const std::vector<std::string>& Problems() const { return Problems_; }

private:
    std::string Text_;
    std::vector<std::string> Problems_;
    std::vector<TTaskGuard<const TTask>> LineTasks_;
    std::unique_ptr<script::TScriptFile> File_;
    std::unique_ptr<script::TProgram> Program_;  // points into File_
    TCatalogueItems Items_;
    bool WithItems_;
    script::TTarget Target_;  // the project's server: its run-time rules are the play's
};

// The script to play: the file's bytes, or for a .NPC project the script written for it (the
// catalogues read from DataDir). Writes what the writer found wrong on err, as warnings.
std::string PlayableScript(const TPlayRequest& request, std::ostream& err);

// The player as a whole. 0: the NPC ended or waits for an answer; 1: a fault, or the file could
// not be read; each reason on err as "npc-play: <message>".
int RunPlay(const TPlayRequest& request, std::ostream& out, std::ostream& err);
// The same on script text already read (an editor's unsaved copy); request.Path only names it.
int RunPlayText(const TPlayRequest& request, const std::string& text, std::ostream& out, std::ostream& err);
