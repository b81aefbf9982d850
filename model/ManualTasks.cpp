#include "model/ManualTasks.h"

#include "model/ProjectFile.h"
#include "model/Project.h"
#include "model/ScriptWriter.h"
#include "model/MessageTasks.h"

void TManualTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    SaveLines(file, Lines);
}

void TManualTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    // A record without lines means no lines, also for a task that had some before.
    Lines.clear();
    LoadLines(file, Lines);
}

void TManualTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    for (const std::string& line : Lines)
        writer.AddTaskLine(*this, line);
}
