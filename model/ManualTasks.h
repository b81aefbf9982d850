#pragma once
// Manual tasks: hand-written script lines copied into the output, indented to the task's depth.

#include "model/Tasks.h"

#include <string>
#include <vector>

class TManualTask : public TLinesTask {
public:
    using TLinesTask::TLinesTask;

    TTaskKind Kind() const override { return TTaskKind::Manual; }
    void WriteScript(TScriptWriter& writer) const override;
};
