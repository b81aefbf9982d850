#pragma once
// Message tasks: dialogue lines, each written as one mes statement, led by the speaker's line
// ("[Name]") as the message's Speaker says.

#include "model/Tasks.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Who speaks a message, written as its first line "[...]".
enum class TSpeakerKind : std::uint8_t {
    Default = 0,    // the name shown in game, before the group's first message only
    NpcName = 1,    // the NPC's full name, before this message
    ShownName = 2,  // the name shown in game (ShownNpcName), before this message
    Other = 3,      // SpeakerText, before this message
    None = 4,       // no speaker line
};

// The name the game shows for an NPC name: the part before '#' and before "::".
std::string ShownNpcName(const std::string& name);

class TMessageTask : public TLinesTask {
public:
    using TLinesTask::TLinesTask;

    TTaskKind Kind() const override { return TTaskKind::Message; }
    // The extended record adds the speaker's kind (a byte) and SpeakerText after the lines.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;
    bool NeedsExtendedFormat(const TCatalogues& /*catalogues*/) const override { return Speaker != TSpeakerKind::Default; }

    // The text between the brackets of this message's speaker line; nothing when it has none.
    std::optional<std::string> SpeakerLine(const std::string& npcName) const;

    TSpeakerKind Speaker = TSpeakerKind::Default;
    std::string SpeakerText;  // for Other
};
