#include "script/MockPlayer.h"

#include <array>
#include <cstdint>

namespace script {
namespace {

constexpr std::array<const char*, 8> ParamNames = {"Zeny", "Class", "Sex", "BaseLevel",
                                                   "JobLevel", "StatusPoint", "Weight", "MaxWeight"};

bool SameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::string TMockPlayer::ParamName(std::string_view name)
{
    for (const char* param : ParamNames)
        if (SameLetters(name, param))
            return param;
    return {};
}

std::int32_t* TMockPlayer::Field(std::string_view canonical)
{
    TPlayerState& s = State_;
    std::array<std::int32_t*, 8> fields = {&s.Zeny, &s.Class, &s.Sex, &s.BaseLevel,
                                           &s.JobLevel, &s.StatusPoint, &s.Weight, &s.MaxWeight};
    for (std::size_t i = 0; i < ParamNames.size(); ++i)
        if (canonical == ParamNames[i])
            return fields[i];
    return nullptr;
}

std::optional<std::int32_t> TMockPlayer::Param(std::string_view name) const
{
    const std::int32_t* field = const_cast<TMockPlayer*>(this)->Field(ParamName(name));
    if (!field)
        return std::nullopt;
    return *field;
}

TMockPlayer::TSetOutcome TMockPlayer::SetParam(std::string_view name, std::int32_t value)
{
    const std::string canonical = ParamName(name);
    std::int32_t* field = Field(canonical);
    TSetOutcome outcome{true, field ? *field : 0, value};
    if (!field)
        return {false, 0, 0};
    if (canonical == "Zeny") {
        // The server refuses a negative purse and keeps the Zeny the player had.
        if (value < 0)
            return {false, *field, *field};
        if (value > MaxZeny)
            outcome.To = MaxZeny;
    }
    *field = outcome.To;
    return outcome;
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

bool TMockPlayer::CanCarry(const TItemInfo& item, std::int32_t amount) const
{
    if (amount < 0 || amount > MaxStackAmount)
        return false;
    const std::int64_t weight = static_cast<std::int64_t>(item.Weight) * amount;
    return weight + State_.Weight <= State_.MaxWeight;
}

TMockPlayer::TGive TMockPlayer::GiveItem(const TItemInfo& item, std::int32_t amount)
{
    const std::int32_t had = Count(item.Id);
    if (amount > MaxStackAmount || had + static_cast<std::int64_t>(amount) > MaxStackAmount)
        return TGive::TooMany;
    if (!CanCarry(item, amount))
        return TGive::TooHeavy;
    State_.Inventory[item.Id] = had + amount;
    const std::int64_t weight = State_.Weight + static_cast<std::int64_t>(item.Weight) * amount;
    State_.Weight = weight < 0 ? 0 : static_cast<std::int32_t>(weight);  // at most MaxWeight
    return TGive::Given;
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
