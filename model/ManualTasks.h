#pragma once
// Manual tasks: hand-written script lines copied into the output, indented to the task's depth.

#include "model/Tasks.h"

#include <string>
#include <vector>

class TManualTask : public TTask {
public:
    TManualTask() = default;
    explicit TManualTask(const std::vector<std::string>& lines) : Lines(lines) {}

    TTaskKind Kind() const override { return TTaskKind::Manual; }
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;

    std::vector<std::string> Lines;
};
