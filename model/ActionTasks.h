#pragma once
// The action catalogue (21 fixed entries, in file-format order) and the action task.

#include "model/Tasks.h"

#include "catalogue/Catalogues.h"
#include "catalogue/Targets.h"

#include <cstdint>
#include <string>
#include <vector>

class TDAction {
public:
    TDAction(bool isStatement, std::string caption, std::string command, TParamTypeList kinds,
             ParamTypes resultKind);

    int ParamCount() const { return static_cast<int>(ParamKinds.size()); }
    // Element i; past the end the last kind; PT_None when there are none.
    ParamTypes ParamKind(int i) const;

    std::string Caption;
    std::string Command;
    std::uint8_t IsStatement = 1;
    ParamTypes ResultKind = PT_None;
    TParamTypeList ParamKinds;
};

// The 21 actions, built once and never changed: a project file stores an action as its position
// here, and a task keeps a pointer into the table.
const std::vector<TDAction>& Actions();
// nullptr for -1; EListError for any other index outside the list.
const TDAction* ActionAt(int index);
int IndexOfAction(const TDAction* action);  // -1 when absent
const TDAction* FindAction(const std::string& text);  // by Command, exact
void FillActionList(bool isStatement, TStrings& strings);

class TActionTask : public TTask {
public:
    TActionTask() = default;
    TActionTask(const std::string& caption, const TDAction* action);
    // A copy made by Assign.
    TActionTask(const TActionTask& source);

    TTaskKind Kind() const override { return TTaskKind::Action; }
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;
    // A map argument the catalogue does not write exactly as the script names it.
    bool NeedsExtendedFormat(const TCatalogues& catalogues) const override;

    void ResetParams();
    void Assign(const TActionTask& source);
    int ParamCount() const { return static_cast<int>(Params.size()); }
    std::int32_t GetParam(int i) const;
    void SetParam(int i, std::int32_t value);  // ignored outside the list
    // The script form (forDisplay false) follows target's command names and map names, and
    // writer's labels when given. A map argument is named from catalogues, the project's.
    std::string ParamText(bool forDisplay, const TCatalogues& catalogues, TServerTarget target = DefaultTarget,
                          const TScriptWriter* writer = nullptr) const;
    std::string ActionText(bool forDisplay, const TCatalogues& catalogues, TServerTarget target = DefaultTarget,
                           const TScriptWriter* writer = nullptr) const;

    // The map of the action's map argument (Warp, Save Point) as the script names it; empty: the
    // catalogue's map at the argument's index, which is all a version-258 project holds.
    std::string MapFile(int i, const TCatalogues& catalogues) const;

    const TDAction* Action = nullptr;  // not owned
    TParamValueList Params;
    std::string MapName;
};
