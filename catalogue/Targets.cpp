#include "catalogue/Targets.h"

#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include "script/Text.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

const std::array<TTargetRules, 3> Targets = {{
    {TServerTarget::EAthena, script::TargetKey(TServerTarget::EAthena), script::TargetName(TServerTarget::EAthena), "Any eAthena Version; RO Episode XX", false, false,
     "//===== eAthena Script ======================================="},
    {TServerTarget::RAthena, script::TargetKey(TServerTarget::RAthena), script::TargetName(TServerTarget::RAthena), "rAthena; RO Episode XX", true, false,
     "//===== rAthena Script ======================================="},
    {TServerTarget::Hercules, script::TargetKey(TServerTarget::Hercules), script::TargetName(TServerTarget::Hercules), "Hercules; RO Episode XX", true, true,
     "//================= Hercules Script ======================================="},
}};

// Statements whose eAthena spelling a target refuses. Hercules' openstorage needs the storage
// to open; without it the whole NPC is dropped.
struct TCommandSpelling {
    TServerTarget Target;
    const char* Command;
    const char* Text;
};

const TCommandSpelling CommandSpellings[] = {
    {TServerTarget::Hercules, "openstorage", "openstorage(STORAGE_TYPE_MAIN)"},
};

struct THerculesView {
    std::int32_t ID;
    const char* Name;
};

const THerculesView HerculesViews[] = {
#include "catalogue/HerculesViews.inc"
};

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

constexpr std::string_view ServerKey = "server";

}  // namespace

const std::array<TTargetRules, 3>& ServerTargets()
{
    return Targets;
}

const TTargetRules& RulesOf(TServerTarget target)
{
    for (const TTargetRules& rules : Targets)
        if (rules.Target == target)
            return rules;
    return Targets.front();
}

std::optional<TServerTarget> FindTarget(std::string_view key)
{
    TServerTarget target = DefaultTarget;
    if (!script::TargetFromName(key, target))
        return std::nullopt;
    return target;
}

std::string TargetKeysText()
{
    return std::string(Targets[0].Key) + ", " + Targets[1].Key + " or " + Targets[2].Key;
}

bool IsDefaultCompatible(const std::string& text)
{
    return std::any_of(Targets.begin(), Targets.end(),
                       [&text](const TTargetRules& rules) { return text == rules.DefaultCompatible; });
}

std::string ScriptMapName(TServerTarget target, const std::string& mapFile)
{
    // The servers strip the extension in any letter case, so the editor does the same.
    constexpr std::string_view gat = ".gat";
    if (RulesOf(target).MapsWithoutGat && mapFile.size() > gat.size() &&
        script::SameLetters(std::string_view(mapFile).substr(mapFile.size() - gat.size()), gat))
        return mapFile.substr(0, mapFile.size() - gat.size());
    return mapFile;
}

std::string ScriptViewText(TServerTarget target, std::int32_t spriteID)
{
    if (RulesOf(target).NamedViews)
        if (const char* name = HerculesViewName(spriteID))
            return name;
    return std::to_string(spriteID);
}

std::string ScriptCommand(TServerTarget target, const std::string& command)
{
    for (const TCommandSpelling& spelling : CommandSpellings)
        if (spelling.Target == target && command == spelling.Command)
            return spelling.Text;
    return command;
}

const char* HerculesViewName(std::int32_t spriteID)
{
    const auto found = std::lower_bound(std::begin(HerculesViews), std::end(HerculesViews), spriteID,
                                        [](const THerculesView& view, std::int32_t id) { return view.ID < id; });
    return found != std::end(HerculesViews) && found->ID == spriteID ? found->Name : nullptr;
}

std::size_t HerculesViewCount()
{
    return std::size(HerculesViews);
}

// ---- Side file -----------------------------------------------------------------------------------

std::string TargetFileName(const std::string& projectPath)
{
    return projectPath + ".server";
}

TServerTarget ReadProjectTarget(const std::string& projectPath)
{
    const std::string fileName = TargetFileName(projectPath);
    std::error_code ignored;
    if (!std::filesystem::exists(fileName, ignored))
        return DefaultTarget;
    const std::string bytes = ReadWholeFile(fileName);
    std::string_view text = bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || !script::SameLetters(Trimmed(line.substr(0, equals)), ServerKey))
            continue;
        const std::string_view key = Trimmed(line.substr(equals + 1));
        if (const auto target = FindTarget(key))
            return *target;
        throw EInOutError(fileName, "unknown server \"" + std::string(key) + "\" (expected " +
                                        TargetKeysText() + ")");
    }
    throw EInOutError(fileName, "no \"server=\" line naming the server");
}

std::optional<std::string> ProjectTargetBytes(TServerTarget target)
{
    if (target == DefaultTarget)
        return std::nullopt;
    return std::string(ServerKey) + "=" + RulesOf(target).Key + "\r\n";
}

void WriteProjectTarget(const std::string& projectPath, TServerTarget target)
{
    const std::string fileName = TargetFileName(projectPath);
    if (target == DefaultTarget) {
        std::error_code error;
        std::filesystem::remove(fileName, error);
        if (error)
            throw EInOutError(fileName, error.message());
        return;
    }
    WriteFileSafely(fileName, *ProjectTargetBytes(target));
}
