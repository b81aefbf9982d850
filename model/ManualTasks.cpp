#include "model/ManualTasks.h"

#include "model/ProjectFile.h"
#include "model/Project.h"
#include "model/ScriptWriter.h"
#include "model/MessageTasks.h"

void TManualTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    for (const std::string& line : Lines)
        writer.AddTaskLine(*this, line);
}
