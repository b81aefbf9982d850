#pragma once
// The rules of the character an NPC talks to: which names are parameters, what setting them does
// (the server's pc_setparam: Zeny never below 0 and capped, levels capped at the job's maximum and
// bringing points, Hp within 1..MaxHp, some parameters not settable at all), the job change, and
// the inventory with its weight limit.
// It changes a TPlayerState it does not own; the interpreter turns its answers into events.

#include "script/PlayRules.h"
#include "script/PlayTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace script {

inline constexpr std::int32_t MaxZeny = 1'000'000'000;
inline constexpr std::int32_t MaxStackAmount = 30'000;
inline constexpr std::size_t MaxInventorySlots = 100;

class TMockPlayer {
public:
    TMockPlayer(TPlayerState& state, const TItemLookup* items, const TPlayRules& rules)
        : State_(state), Items_(items), Rules_(rules)
    {
    }

    // The parameter's name as the server spells it ("Zeny"), for a name the server takes for it; empty when
    // the name is not one of the server's character parameters.
    std::string ParamName(std::string_view name) const;
    // Its value; none for a parameter the play does not model (BaseExp, Sp, ...).
    std::optional<std::int32_t> Param(std::string_view name) const;

    struct TChange {
        std::string Name;
        std::int32_t From = 0;
        std::int32_t To = 0;
    };
    struct TSetOutcome {
        enum { Set, Ends, NotSimulated } Kind = Set;
        std::vector<TChange> Changes;  // Set: the parameter's change first, then what it brought
        std::string Why;               // Ends: the server's reason
    };
    // `name` must be a parameter (ParamName not empty).
    TSetOutcome SetParam(std::string_view name, std::int32_t value);
    // What `jobchange` does: nothing for a job the server does not know or the job the player
    // has; a Dancer for a male player is a Bard and the reverse. The changes made.
    std::vector<TChange> ChangeJob(std::int32_t job);

    // The item as the catalogue knows it; without a catalogue every item exists, weightless.
    std::optional<TItemInfo> Item(std::int32_t id) const;
    std::optional<TItemInfo> ItemNamed(std::string_view name) const;

    enum class TGive { Given, TooHeavy, TooMany, NoRoom };
    // checkweight's question: would `amount` of the item be added?
    TGive CheckAdd(const TItemInfo& item, std::int32_t amount) const;
    struct TGiven {
        std::int32_t Amount = 0;    // added to the inventory
        TGive Rest = TGive::Given;  // why the others fell to the floor
    };
    // getitem: a stackable item all or nothing; any other one at a time, each in a place of its
    // own, until the weight limit or the inventory's places stop it.
    TGiven GiveItem(const TItemInfo& item, std::int32_t amount);
    // Takes all of `amount` or nothing; false when the player has fewer.
    bool TakeItem(const TItemInfo& item, std::int32_t amount);
    std::int32_t Count(std::int32_t id) const;

private:
    void SetLevel(std::int32_t TPlayerState::*level, std::int32_t TPlayerState::*points, std::int32_t max,
                  std::int32_t value, TSetOutcome& outcome);

    bool Stacks(std::int32_t id) const;
    // The inventory's places taken: one for each stack, one for each item that does not stack.
    std::size_t PlacesUsed() const;

    TPlayerState& State_;
    const TItemLookup* Items_;
    const TPlayRules& Rules_;
};

} // namespace script
