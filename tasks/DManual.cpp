#include "DManual.h"

#include "DFiles.h"
#include "DMessages.h"

void TManualTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    SaveLines(file, Lines);
}

void TManualTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    LoadLines(file, Lines);
}

void TManualTask::WriteScript() const
{
    TTask::WriteScript();
    for (const std::string& line : Lines)
        AddTaskLine(*this, line);
}
