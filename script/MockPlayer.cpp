#include "script/MockPlayer.h"

#include "script/Text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

namespace script {
namespace {

// How the server's pc_setparam treats each character parameter of its const.txt.
enum class TRule { Plain, Zeny, Sex, BaseLevel, JobLevel, Hp, MaxHp, Upper, ReadOnly, NotModelled };

struct TParam {
    const char* Name;
    TRule Rule;
    std::int32_t TPlayerState::*Field;
};

constexpr std::array<TParam, 22> Params = {{
    {"Zeny", TRule::Zeny, &TPlayerState::Zeny},
    {"Class", TRule::ReadOnly, &TPlayerState::Class},
    {"Sex", TRule::Sex, &TPlayerState::Sex},
    {"BaseLevel", TRule::BaseLevel, &TPlayerState::BaseLevel},
    {"JobLevel", TRule::JobLevel, &TPlayerState::JobLevel},
    {"StatusPoint", TRule::Plain, &TPlayerState::StatusPoint},
    {"SkillPoint", TRule::Plain, &TPlayerState::SkillPoint},
    {"Weight", TRule::Plain, &TPlayerState::Weight},
    {"MaxWeight", TRule::Plain, &TPlayerState::MaxWeight},
    {"Hp", TRule::Hp, &TPlayerState::Hp},
    {"MaxHp", TRule::MaxHp, &TPlayerState::MaxHp},
    {"Upper", TRule::Upper, nullptr},
    {"BaseJob", TRule::NotModelled, nullptr},
    {"BaseClass", TRule::NotModelled, nullptr},
    {"NextBaseExp", TRule::NotModelled, nullptr},
    {"NextJobExp", TRule::NotModelled, nullptr},
    {"BaseExp", TRule::NotModelled, nullptr},
    {"JobExp", TRule::NotModelled, nullptr},
    {"Sp", TRule::NotModelled, nullptr},
    {"MaxSp", TRule::NotModelled, nullptr},
    {"Karma", TRule::NotModelled, nullptr},
    {"Manner", TRule::NotModelled, nullptr},
}};

// pc_setparam has no case for these: setting one fails and the script ends.
bool Settable(std::string_view name)
{
    for (const char* fixed : {"Class", "Upper", "BaseJob", "BaseClass", "NextBaseExp", "NextJobExp"})
        if (name == fixed)
            return false;
    return true;
}

// Hercules registers the parameters under their names as written and tells case apart (`zeny`
// is a variable of the character's there); the others find them in any case.
const TParam* FindParam(std::string_view name, const TPlayRules& rules)
{
    for (const TParam& param : Params)
        if (rules.SameName(name, param.Name))
            return &param;
    return nullptr;
}

constexpr std::int32_t MaxBaseLevel = 99;
constexpr std::int32_t MaxHpLimit = 1'000'000;  // the server's max_hp

// The job levels of eAthena's default settings: a novice stops at 10, a super novice at 99, a
// transcendent second job, a gunslinger and a ninja at 70, every other job at 50.
std::int32_t MaxJobLevel(std::int32_t job)
{
    if (job == 0 || job == 4001 || job == 4023)
        return 10;
    if (job == 23 || job == 4045)
        return 99;
    if (job == 24 || job == 25 || (job >= 4008 && job <= 4022))
        return 70;
    return 50;
}

std::int32_t Unmounted(std::int32_t job)
{
    for (const auto& [mounted, plain] : {std::pair{13, 7}, std::pair{21, 14}, std::pair{4014, 4008}, std::pair{4022, 4015},
                                         std::pair{4036, 4030}, std::pair{4044, 4037}})
        if (job == mounted)
            return plain;
    return job;
}

bool KnownJob(std::int32_t job)
{
    return (job >= 0 && job <= 26) || (job >= 4001 && job <= 4049);
}

} // namespace

std::string TMockPlayer::ParamName(std::string_view name) const
{
    const TParam* param = FindParam(name, Rules_);
    return param ? param->Name : std::string();
}

std::optional<std::int32_t> TMockPlayer::Param(std::string_view name) const
{
    const TParam* param = FindParam(name, Rules_);
    if (!param || param->Rule == TRule::NotModelled)
        return std::nullopt;
    if (param->Rule == TRule::Upper) {
        const std::int32_t job = State_.Class;
        return job >= 4001 && job <= 4022 ? 1 : job >= 4023 && job <= 4045 ? 2 : 0;
    }
    return State_.*param->Field;
}

TMockPlayer::TSetOutcome TMockPlayer::SetParam(std::string_view name, std::int32_t value)
{
    const TParam* param = FindParam(name, Rules_);
    TSetOutcome outcome;
    if (!param || !Settable(param->Name)) {
        outcome.Kind = TSetOutcome::Ends;
        outcome.Why = std::string(param ? param->Name : "") + " cannot be set: the server fails to set it and ends the script";
        return outcome;
    }
    if (param->Rule == TRule::NotModelled) {
        outcome.Kind = TSetOutcome::NotSimulated;
        return outcome;
    }
    std::int32_t& field = State_.*param->Field;
    const std::int32_t from = field;
    switch (param->Rule) {
    case TRule::Zeny:
        if (value < 0) {
            outcome.Kind = TSetOutcome::Ends;
            outcome.Why = "Zeny cannot go below 0: the server refuses the set and ends the script";
            return outcome;
        }
        field = std::min(value, MaxZeny);
        break;
    case TRule::Sex: field = value != 0 ? 1 : 0; break;
    case TRule::BaseLevel:
        SetLevel(&TPlayerState::BaseLevel, &TPlayerState::StatusPoint, MaxBaseLevel, value, outcome);
        return outcome;
    case TRule::JobLevel:
        SetLevel(&TPlayerState::JobLevel, &TPlayerState::SkillPoint, MaxJobLevel(State_.Class), value, outcome);
        return outcome;
    case TRule::Hp: field = std::clamp(value, 1, std::max(State_.MaxHp, 1)); break;
    case TRule::MaxHp:
        field = std::clamp(value, 1, MaxHpLimit);
        if (State_.Hp > field) {
            outcome.Changes.push_back({"MaxHp", from, field});
            outcome.Changes.push_back({"Hp", State_.Hp, field});
            State_.Hp = field;
            return outcome;
        }
        break;
    default: field = value; break;
    }
    outcome.Changes.push_back({param->Name, from, field});
    return outcome;
}

// A level compared as the server compares it, without a sign (a negative level is above every
// maximum), capped at the maximum; each base level gained brings status points, each job level a
// skill point.
void TMockPlayer::SetLevel(std::int32_t TPlayerState::*level, std::int32_t TPlayerState::*points, std::int32_t max,
                           std::int32_t value, TSetOutcome& outcome)
{
    const std::int32_t from = State_.*level;
    const std::uint32_t wanted = static_cast<std::uint32_t>(value);
    const std::int32_t to = wanted > static_cast<std::uint32_t>(max) ? max : value;
    const bool base = level == &TPlayerState::BaseLevel;
    std::int64_t gained = 0;
    if (to > from)
        for (std::int64_t l = from; l < to; ++l)
            gained += base ? (l + 15) / 5 : 1;
    State_.*level = to;
    outcome.Changes.push_back({base ? "BaseLevel" : "JobLevel", from, to});
    if (gained > 0) {
        const std::int32_t had = State_.*points;
        State_.*points = static_cast<std::int32_t>(std::min<std::int64_t>(had + gained, INT32_MAX));
        outcome.Changes.push_back({base ? "StatusPoint" : "SkillPoint", had, State_.*points});
    }
}

std::vector<TMockPlayer::TChange> TMockPlayer::ChangeJob(std::int32_t job)
{
    if (!KnownJob(job))
        return {};
    // The server changes jobs by its map ids: the bard's and the dancer's follow the player's sex,
    // and a mounted knight or crusader is the job without the mount.
    for (const auto& [bard, dancer] : {std::pair{19, 20}, std::pair{4020, 4021}, std::pair{4042, 4043}})
        if (job == bard || job == dancer)
            job = State_.Sex != 0 ? bard : dancer;
    job = Unmounted(job);
    if (job == Unmounted(State_.Class))
        return {};
    std::vector<TChange> changes = {{"Class", State_.Class, job}, {"JobLevel", State_.JobLevel, 1}};
    State_.Class = job;
    State_.JobLevel = 1;
    return changes;
}

TItemTable::TItemTable(std::vector<TItemInfo> items)
{
    for (TItemInfo& item : items)
        ById_[item.Id] = std::move(item);
    for (const auto& [id, item] : ById_) {
        ByDbName_.emplace(LowerCase(item.DbName.empty() ? item.Name : item.DbName), id);  // the first stays
        ByDisplayName_[LowerCase(item.Name)] = id;  // the last wins
    }
}

std::optional<TItemInfo> TItemTable::Find(std::int32_t id) const
{
    const auto it = ById_.find(id);
    return it == ById_.end() ? std::nullopt : std::optional<TItemInfo>(it->second);
}

std::optional<TItemInfo> TItemTable::FindByName(std::string_view name) const
{
    const std::string key = LowerCase(name);
    for (const auto* names : {&ByDbName_, &ByDisplayName_}) {
        const auto it = names->find(key);
        if (it != names->end())
            return Find(it->second);
    }
    return std::nullopt;
}

std::optional<TItemInfo> TMockPlayer::Item(std::int32_t id) const
{
    if (!Items_)
        return TItemInfo{id, {}, 0};
    return Items_->Find(id);
}

std::optional<TItemInfo> TMockPlayer::ItemNamed(std::string_view name) const
{
    if (!Items_)
        return std::nullopt;
    return Items_->FindByName(name);
}

bool TMockPlayer::Stacks(std::int32_t id) const
{
    const std::optional<TItemInfo> item = Items_ ? Items_->Find(id) : std::nullopt;
    return !item || Rules_.Stacks(item->Type);
}

std::size_t TMockPlayer::PlacesUsed() const
{
    std::size_t places = 0;
    for (const auto& [id, count] : State_.Inventory)
        places += Stacks(id) ? 1 : static_cast<std::size_t>(std::max(count, 0));
    return places;
}

// The server's checkweight: a stack holds at most 30,000, a new item needs a free place of the
// 100, and the weight must stay within the limit.
TMockPlayer::TGive TMockPlayer::CheckAdd(const TItemInfo& item, std::int32_t amount) const
{
    const std::int32_t had = Count(item.Id);
    if (amount < 0 || amount > MaxStackAmount || had + static_cast<std::int64_t>(amount) > MaxStackAmount)
        return TGive::TooMany;
    if (had == 0 && PlacesUsed() >= MaxInventorySlots)
        return TGive::NoRoom;
    const std::int64_t weight = static_cast<std::int64_t>(item.Weight) * amount;
    return weight + State_.Weight <= State_.MaxWeight ? TGive::Given : TGive::TooHeavy;
}

TMockPlayer::TGiven TMockPlayer::GiveItem(const TItemInfo& item, std::int32_t amount)
{
    if (Rules_.Stacks(item.Type)) {
        const TGive check = CheckAdd(item, amount);
        if (check != TGive::Given)
            return {0, check};
        State_.Inventory[item.Id] = Count(item.Id) + amount;
        const std::int64_t weight = State_.Weight + static_cast<std::int64_t>(item.Weight) * amount;
        State_.Weight = weight < 0 ? 0 : static_cast<std::int32_t>(weight);  // at most MaxWeight
        return {amount, TGive::Given};
    }
    // pc_additem of one: the weight first, then a free place. Once one fails, every later one
    // fails for the same reason, as nothing has changed.
    TGiven given;
    for (; given.Amount < amount; ++given.Amount) {
        if (static_cast<std::int64_t>(State_.Weight) + item.Weight > State_.MaxWeight) {
            given.Rest = TGive::TooHeavy;
            break;
        }
        if (PlacesUsed() >= MaxInventorySlots) {
            given.Rest = TGive::NoRoom;
            break;
        }
        ++State_.Inventory[item.Id];
        State_.Weight = std::max(State_.Weight + item.Weight, 0);
    }
    return given;
}

bool TMockPlayer::TakeItem(const TItemInfo& item, std::int32_t amount)
{
    const std::int32_t had = Count(item.Id);
    if (had < amount)
        return false;
    if (had == amount)
        State_.Inventory.erase(item.Id);
    else
        State_.Inventory[item.Id] = had - amount;
    const std::int64_t weight = static_cast<std::int64_t>(State_.Weight) - static_cast<std::int64_t>(item.Weight) * amount;
    State_.Weight = weight < 0 ? 0 : static_cast<std::int32_t>(weight);
    return true;
}

std::int32_t TMockPlayer::Count(std::int32_t id) const
{
    const auto it = State_.Inventory.find(id);
    return it == State_.Inventory.end() ? 0 : it->second;
}

} // namespace script
