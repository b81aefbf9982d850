#include "model/ActionTasks.h"

#include "model/ProjectFile.h"
#include "model/Project.h"
#include "model/ScriptWriter.h"

#include "model/Records.h"

#include "platform/UpdateScope.h"

#include <algorithm>

TDAction::TDAction(bool isStatement, std::string caption, std::string command, TParamTypeList kinds,
                   ParamTypes resultKind)
    : Caption(std::move(caption)),
      Command(std::move(command)),
      IsStatement(isStatement ? 1 : 0),
      ResultKind(resultKind),
      ParamKinds(std::move(kinds))
{
}

ParamTypes TDAction::ParamKind(int i) const
{
    if (ParamKinds.empty() || i < 0)
        return PT_None;
    const auto last = ParamKinds.size() - 1;
    return ParamKinds[std::min(static_cast<std::size_t>(i), last)];
}

const std::vector<TDAction>& Actions()
{
    // The position of an entry is its identity in project files: never reorder or insert.
    struct Entry {
        bool IsStatement;
        const char* Caption;
        const char* Command;
        TParamTypeList Kinds;
        ParamTypes Result;
    };
    const Entry entries[] = {
        {true, "Take Item", "delitem", {PT_ItemID, PT_Amount}, PT_None},
        {true, "Give Item", "getitem", {PT_ItemID, PT_Amount}, PT_None},
        {true, "Heal", "heal", {PT_HP, PT_SP}, PT_None},
        {true, "Jumpto Group", "goto", {PT_Group}, PT_None},
        {true, "Job Change", "jobchange", {PT_Job}, PT_None},
        {true, "Next Button", "next", {}, PT_None},
        {true, "Close Script", "close", {}, PT_None},
        {true, "Take Zeny", "set Zeny, Zeny -", {PT_Amount}, PT_None},
        {true, "Give Zeny", "set Zeny, Zeny +", {PT_Amount}, PT_None},
        {true, "Take Base Level", "set BaseLevel, BaseLevel -", {PT_Amount}, PT_None},
        {true, "Give Base Level", "set BaseLevel, BaseLevel +", {PT_Amount}, PT_None},
        {true, "Take Job Level", "set JobLevel, JobLevel -", {PT_Amount}, PT_None},
        {true, "Give Job Level", "set JobLevel, JobLevel +", {PT_Amount}, PT_None},
        {true, "Warp", "warp", {PT_Map, PT_X, PT_Y}, PT_None},
        {true, "Save Point", "savepoint", {PT_Map, PT_X, PT_Y}, PT_None},
        {true, "Give Player Cart", "setcart", {}, PT_None},
        {true, "Open Storage", "openstorage", {}, PT_None},
        {true, "Reset Stats", "resetstatus", {}, PT_None},
        {true, "Reset Skills", "resetskill", {}, PT_None},
        {false, "Item Amount", "countitem", {PT_ItemID}, PT_Amount},
        {false, "Item Weight", "checkweight", {PT_ItemID, PT_Amount}, PT_Amount},
    };
    static const std::vector<TDAction> actions = [&entries] {
        std::vector<TDAction> built;
        for (const Entry& entry : entries)
            built.emplace_back(entry.IsStatement, entry.Caption, entry.Command, entry.Kinds, entry.Result);
        return built;
    }();
    return actions;
}

const TDAction* ActionAt(int index)
{
    const std::vector<TDAction>& actions = Actions();
    if (index == -1)
        return nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= actions.size())
        throw EListError("action index " + std::to_string(index) + " is outside the action list (0 to " +
                         std::to_string(static_cast<int>(actions.size()) - 1) + ")");
    return &actions[static_cast<std::size_t>(index)];
}

int IndexOfAction(const TDAction* action)
{
    return IndexInTable(Actions(), action);
}

const TDAction* FindAction(const std::string& text)
{
    for (const TDAction& entry : Actions())
        if (entry.Command == text)
            return &entry;
    return nullptr;
}

void FillActionList(bool isStatement, TStrings& strings)
{
    const TUpdateScope<TStrings> update(strings);
    for (const TDAction& entry : Actions())
        if ((entry.IsStatement != 0) == isStatement)
            strings.AddObject(entry.Caption, &entry);
}

// ---- TActionTask ---------------------------------------------------------------------------

TActionTask::TActionTask(const std::string& caption, const TDAction* action)
    : TTask(caption), Action(action)
{
    ResetParams();
}

TActionTask::TActionTask(const TActionTask& source) : TTask()
{
    Assign(source);
}

void TActionTask::ResetParams()
{
    Params.assign(Action ? static_cast<std::size_t>(Action->ParamCount()) : 0, 0);
}

void TActionTask::Assign(const TActionTask& source)
{
    AssignCaption(source);
    Action = source.Action;
    MapName = source.MapName;
    ResetParams();
    const std::size_t shared = std::min(Params.size(), source.Params.size());
    std::copy_n(source.Params.begin(), shared, Params.begin());
}

std::int32_t TActionTask::GetParam(int i) const
{
    if (i < 0 || i >= ParamCount())
        return 0;
    return Params[static_cast<std::size_t>(i)];
}

void TActionTask::SetParam(int i, std::int32_t value)
{
    if (i < 0 || i >= ParamCount())
        return;
    Params[static_cast<std::size_t>(i)] = value;
}

namespace {

std::string RenderParam(ParamTypes kind, std::int32_t value, const std::string& mapFile, bool forDisplay,
                        TServerTarget target, const TScriptWriter* writer)
{
    switch (kind) {
    case PT_Group:
        return forDisplay ? std::string("L#") : writer ? writer->LabelOf(value) : "L" + std::to_string(value);
    case PT_Map:
        return forDisplay ? mapFile : "\"" + ScriptMapName(target, mapFile) + "\"";
    default:
        return std::to_string(value);
    }
}

}  // namespace

// A map that is no longer in the catalogue renders as an empty name, so the tree and the script
// stay usable; WriteScript reports the gap.
std::string TActionTask::MapFile(int i, const TCatalogues& catalogues) const
{
    if (!MapName.empty())
        return MapName;
    const std::int32_t index = GetParam(i);
    return catalogues.IsMapIndex(index) ? catalogues.MapAt(index)->MapFile : std::string();
}

bool TActionTask::NeedsExtendedFormat(const TCatalogues& catalogues) const
{
    if (MapName.empty() || !Action)
        return false;
    for (int i = 0; i < ParamCount(); ++i)
        if (Action->ParamKind(i) == PT_Map)
            return !(catalogues.IsMapIndex(GetParam(i)) && catalogues.MapAt(GetParam(i))->MapFile == MapName);
    return true;
}

std::string TActionTask::ParamText(bool forDisplay, const TCatalogues& catalogues, TServerTarget target,
                                   const TScriptWriter* writer) const
{
    std::string text;
    for (int i = 0; i < ParamCount(); ++i) {
        if (i > 0)
            text += ", ";
        const ParamTypes kind = Action ? Action->ParamKind(i) : PT_None;
        text += RenderParam(kind, Params[static_cast<std::size_t>(i)], kind == PT_Map ? MapFile(i, catalogues) : std::string(),
                            forDisplay, target, writer);
    }
    return text;
}

std::string TActionTask::ActionText(bool forDisplay, const TCatalogues& catalogues, TServerTarget target,
                                    const TScriptWriter* writer) const
{
    if (!Action)
        return {};
    // An action without parameters reads as its name alone: "Close Script", not "Close Script()".
    if (forDisplay)
        return Action->ParamCount() > 0 ? Action->Caption + "(" + ParamText(true, catalogues) + ")" : Action->Caption;
    const std::string command = ScriptCommand(target, Action->Command);
    if (Action->IsStatement)
        return Action->ParamCount() > 0 ? command + " " + ParamText(false, catalogues, target, writer) : command;
    return command + "(" + ParamText(false, catalogues, target, writer) + ")";
}

void TActionTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    file.WriteInt(IndexOfAction(Action));
    for (const std::int32_t value : Params)
        file.WriteInt(value);
    if (file.Version() >= ExtendedProjectFileVersion)
        WriteString(file, MapName);
}

void TActionTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    const std::int32_t index = file.ReadInt();
    // A task without an action is never written; -1 here means a damaged file.
    if (index < 0 || static_cast<std::size_t>(index) >= Actions().size())
        file.Fail("action index " + std::to_string(index) + " is outside the action list");
    Action = ActionAt(index);
    ResetParams();
    for (std::int32_t& value : Params)
        value = file.ReadInt();
    if (file.Version() < ExtendedProjectFileVersion)
        return;
    // The name decides, as for the NPC's map: the index follows the catalogue of the project read.
    MapName = ReadString(file);
    const TCatalogues* catalogues = file.Catalogues();
    for (int i = 0; i < ParamCount() && !MapName.empty() && catalogues; ++i)
        if (Action->ParamKind(i) == PT_Map)
            SetParam(i, catalogues->IndexOfMap(catalogues->FindMapNamed(MapName)));
}

void TActionTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    if (!Action)
        return;
    const TCatalogues& catalogues = writer.Project().Catalogues();
    for (int i = 0; i < Action->ParamCount(); ++i)
        if (Action->ParamKind(i) == PT_Map && MapFile(i, catalogues).empty())
            writer.AddScriptProblem("A " + Action->Caption + " has no map: choose one in its action editor.");
    writer.AddTaskLine(*this, {ActionText(false, catalogues, writer.Project().HeaderInfo.Target, &writer), ";"});
}
