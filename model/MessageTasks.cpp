#include "model/MessageTasks.h"

#include "model/ProjectFile.h"
#include "model/Project.h"
#include "model/ScriptWriter.h"

#include "model/Records.h"

#include <algorithm>

namespace {

const char* const MesPrefix = "mes \"";
const char* const MesSuffix = "\";";

}  // namespace

std::string ShownNpcName(const std::string& name)
{
    return name.substr(0, std::min(name.find('#'), name.find("::")));
}

void TMessageTask::SaveToFile(TFileWriter& file) const
{
    TLinesTask::SaveToFile(file);
    if (file.Version() < ExtendedProjectFileVersion)
        return;
    file.WriteByte(static_cast<std::uint8_t>(Speaker));
    WriteString(file, SpeakerText);
}

void TMessageTask::LoadFromFile(TFileReader& file)
{
    TLinesTask::LoadFromFile(file);
    Speaker = TSpeakerKind::Default;
    SpeakerText.clear();
    if (file.Version() < ExtendedProjectFileVersion)
        return;
    Speaker = static_cast<TSpeakerKind>(ReadTag(file, static_cast<std::uint8_t>(TSpeakerKind::None), "a message's speaker kind"));
    SpeakerText = ReadString(file);
}

std::optional<std::string> TMessageTask::SpeakerLine(const std::string& npcName) const
{
    switch (Speaker) {
    case TSpeakerKind::Default: {
        // Players never see the part after '#' or a "::" unique name, and a name that is all
        // hidden has nothing to show.
        std::string shown = ShownNpcName(npcName);
        if (shown.empty())
            break;
        return shown;
    }
    case TSpeakerKind::NpcName: return npcName;
    case TSpeakerKind::ShownName: return ShownNpcName(npcName);
    case TSpeakerKind::Other: return SpeakerText;
    case TSpeakerKind::None: break;
    }
    return std::nullopt;
}

void TMessageTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    // A message that names its own speaker (or none) stands for the group's first message too.
    const bool speaks = Speaker == TSpeakerKind::Default ? writer.NeedSpeakerLine : Speaker != TSpeakerKind::None;
    writer.NeedSpeakerLine = false;
    const std::optional<std::string> speaker = SpeakerLine(writer.Project().NPCInfo.Name);
    if (speaks && speaker)
        writer.AddTaskLine(*this, {MesPrefix, "[", *speaker, "]", MesSuffix});
    if (Lines.empty())
        writer.AddTaskLine(*this, {MesPrefix, MesSuffix});
    for (const std::string& line : Lines)
        writer.AddTaskLine(*this, {MesPrefix, line, MesSuffix});
}
