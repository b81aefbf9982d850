// The server's commands on the player: items, weight, job, warps, and the actions recorded as
// they are.

#include "script/Machine.h"
#include "script/ServerRules.h"

namespace script {

std::optional<TItemInfo> TMachine::ItemArg(const TExpr& e, TFrame& f, const char* command)
{
    const TValue value = Eval(e, f);
    std::optional<TItemInfo> item =
        value.IsString ? Player_.ItemNamed(value.Str) : Player_.Item(value.Int);
    if (!item) {
        const std::string message = std::string(command) + ": there is no item " + ToStr(value) + " in the item database";
        // delitem and its like stop the script on an item the server does not know.
        if (std::string_view(command) == "delitem")
            Fault(message + "; the script stops here");
        Warn(message);
    }
    return item;
}

// getitem <item>,<amount>{,<account>}: what the player cannot carry falls to the floor, as on the
// server. A negative item picks from an item group; an account gives to another player.
TValue TMachine::Getitem(const TArgs& a, TFrame& f)
{
    if (a.size() < 2)
        Fault("getitem: an item and an amount expected");
    bool group = a[0]->Kind == TExprKind::Unary && a[0]->Op == "-";
    if (!group && IsVariable(*a[0])) {
        const TValue id = Read(*a[0], f);
        group = !id.IsString && id.Int < 0;
    }
    if (group) {
        NotSimulated("getitem", a, f);
        return TValue::Of(0);
    }
    if (a.size() > 2) {
        Recorded("getitem", a, f, "given to that account's player, if one is online, not to this player");
        return TValue::Of(0);
    }
    const std::optional<TItemInfo> item = ItemArg(*a[0], f, "getitem");
    const std::int32_t amount = EvalInt(*a[1], f);
    if (!item || amount <= 0)
        return TValue::Of(0);
    const TMockPlayer::TGiven given = Player_.GiveItem(*item, amount);
    if (given.Amount > 0) {
        TEvent& e = Emit(TEventKind::Item);
        e.Id = item->Id;
        e.Amount = given.Amount;
        e.Name = item->Name;
    }
    if (given.Amount < amount) {
        const char* why = given.Rest == TMockPlayer::TGive::TooHeavy ? "too heavy to carry"
                          : given.Rest == TMockPlayer::TGive::NoRoom ? "the inventory's 100 places are taken"
                                                                     : "more than a stack holds";
        const std::string dropped = given.Amount == 0 ? "" : std::to_string(amount - given.Amount) + " of them ";
        Recorded("getitem", a, f, dropped + "dropped on the floor: " + why);
    }
    return TValue::Of(0);
}

// delitem <item>,<amount>: all or nothing; with too few the server stops the script.
TValue TMachine::Delitem(const TArgs& a, TFrame& f)
{
    if (a.size() < 2)
        Fault("delitem: an item and an amount expected");
    const std::optional<TItemInfo> item = ItemArg(*a[0], f, "delitem");
    const std::int32_t amount = EvalInt(*a[1], f);
    if (!item || amount <= 0)
        return TValue::Of(0);
    if (!Player_.TakeItem(*item, amount))
        Fault("delitem: the player has " + std::to_string(Player_.Count(item->Id)) + " of item " +
              std::to_string(item->Id) + ", not " + std::to_string(amount) + "; the script stops here");
    TEvent& e = Emit(TEventKind::Item);
    e.Id = item->Id;
    e.Amount = -amount;
    e.Name = item->Name;
    return TValue::Of(0);
}

TValue TMachine::Countitem(const TArgs& a, TFrame& f)
{
    if (a.empty())
        Fault("countitem: an item expected");
    const std::optional<TItemInfo> item = ItemArg(*a[0], f, "countitem");
    return TValue::Of(item ? Player_.Count(item->Id) : 0);
}

TValue TMachine::Checkweight(const TArgs& a, TFrame& f)
{
    if (a.size() < 2)
        Fault("checkweight: an item and an amount expected");
    const std::optional<TItemInfo> item = ItemArg(*a[0], f, "checkweight");
    const std::int32_t amount = EvalInt(*a[1], f);
    // The server answers 0 for an amount of 0 or less, and otherwise asks whether the items would
    // be added (weight, stack size).
    return TValue::Of(item && amount > 0 && Player_.CheckAdd(*item, amount) == TMockPlayer::TGive::Given ? 1 : 0);
}

// jobchange <job>: the new job starts at job level 1; see TMockPlayer::ChangeJob.
TValue TMachine::Jobchange(const TArgs& a, TFrame& f)
{
    if (a.empty())
        Fault("jobchange: a job expected");
    const std::int32_t job = EvalInt(*a[0], f);
    const std::vector<TMockPlayer::TChange> changes = Player_.ChangeJob(job);
    if (changes.empty())
        Recorded("jobchange", a, f, "nothing changes: an unknown job or the player's own");
    EmitChanges(changes);
    return TValue::Of(0);
}

// warp "<map>",<x>,<y>: recorded; the script goes on after it, as on the server. The client
// leaves the NPC's dialogue behind with the map.
TValue TMachine::Warp(const TArgs& a, TFrame& f)
{
    if (a.size() < 3)
        Fault("warp: a map, x and y expected");
    std::string map = EvalStr(*a[0], f);
    const std::int32_t x = EvalInt(*a[1], f);
    const std::int32_t y = EvalInt(*a[2], f);
    // The server's own names: the player's save point ("Save" too) and a random cell of the map
    // the player is on; the play knows neither place.
    if (map == "Save")
        map = "SavePoint";
    if (map != "SavePoint" && map != "Random" && !BuiltInMaps().count(MapKey(map))) {
        Warn("warp: there is no map " + map + " on the server: the player stays where they are");
        return TValue::Of(0);
    }
    TEvent& e = Emit(TEventKind::Warp);
    e.Name = std::move(map);
    e.X = x;
    e.Y = y;
    DialogueOpen_ = false;
    return TValue::Of(0);
}

TValue TMachine::Action(const TArgs& a, TFrame& f)
{
    Recorded(CurrentName_, a, f);
    return TValue::Of(0);
}

} // namespace script
