#pragma once
// The rules of the character an NPC talks to: which names are parameters, what setting them does
// (Zeny never below 0, capped at the server's maximum), and the inventory with its weight limit.
// It changes a TPlayerState it does not own; the interpreter turns its answers into events.

#include "script/PlayTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace script {

inline constexpr std::int32_t MaxZeny = 1'000'000'000;
inline constexpr std::int32_t MaxStackAmount = 30'000;

class TMockPlayer {
public:
    TMockPlayer(TPlayerState& state, const TItemLookup* items) : State_(state), Items_(items) {}

    // The parameter's name as the server spells it ("Zeny"), for a name in any case; empty when
    // the name is not a parameter.
    static std::string ParamName(std::string_view name);
    std::optional<std::int32_t> Param(std::string_view name) const;

    struct TSetOutcome {
        bool Accepted = true;
        std::int32_t From = 0;
        std::int32_t To = 0;  // the value stored (a capped value when capped)
    };
    // `name` must be a parameter (ParamName not empty).
    TSetOutcome SetParam(std::string_view name, std::int32_t value);

    // The item as the catalogue knows it; without a catalogue every item exists, weightless.
    std::optional<TItemInfo> Item(std::int32_t id) const;
    std::optional<TItemInfo> ItemNamed(std::string_view name) const;

    enum class TGive { Given, TooHeavy, TooMany };
    TGive GiveItem(const TItemInfo& item, std::int32_t amount);
    // Takes all of `amount` or nothing; false when the player has fewer.
    bool TakeItem(const TItemInfo& item, std::int32_t amount);
    std::int32_t Count(std::int32_t id) const;
    bool CanCarry(const TItemInfo& item, std::int32_t amount) const;

private:
    std::int32_t* Field(std::string_view canonical);

    TPlayerState& State_;
    const TItemLookup* Items_;
};

} // namespace script
