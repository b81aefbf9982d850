#include "model/MessageTasks.h"

#include "model/ProjectFile.h"
#include "model/Project.h"
#include "model/ScriptWriter.h"

#include "model/Records.h"

#include <algorithm>

namespace {

const char* const MesPrefix = "mes \"";
const char* const MesSuffix = "\";";

// The smallest line record: an empty string.
constexpr std::size_t MinLineRecordSize = 4;

}  // namespace

void SaveLines(TFileWriter& file, const std::vector<std::string>& lines)
{
    file.WriteInt(static_cast<std::int32_t>(lines.size()));
    for (const std::string& line : lines)
        WriteString(file, line);
}

void LoadLines(TFileReader& file, std::vector<std::string>& lines)
{
    const std::int32_t count = file.ReadInt();
    if (count < 0 || static_cast<std::size_t>(count) > file.Remaining() / MinLineRecordSize)
        file.Fail("line count " + std::to_string(count) + " is larger than the lines present");
    if (count == 0)
        return;
    std::vector<std::string> read;
    read.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        read.push_back(ReadString(file));
    lines = std::move(read);
}

std::string LinesText(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string ShownNpcName(const std::string& name)
{
    return name.substr(0, std::min(name.find('#'), name.find("::")));
}

void TMessageTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    SaveLines(file, Lines);
    if (file.Version() < ExtendedProjectFileVersion)
        return;
    file.WriteByte(static_cast<std::uint8_t>(Speaker));
    WriteString(file, SpeakerText);
}

void TMessageTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    // A record without lines means no lines, also for a task that had some before.
    Lines.clear();
    LoadLines(file, Lines);
    Speaker = TSpeakerKind::Default;
    SpeakerText.clear();
    if (file.Version() < ExtendedProjectFileVersion)
        return;
    const std::uint8_t speaker = file.ReadByte();
    if (speaker > static_cast<std::uint8_t>(TSpeakerKind::None))
        file.Fail("a message's speaker kind is " + std::to_string(speaker) + ", not 0 to 4");
    Speaker = static_cast<TSpeakerKind>(speaker);
    SpeakerText = ReadString(file);
}

std::optional<std::string> TMessageTask::SpeakerLine(const std::string& npcName) const
{
    switch (Speaker) {
    case TSpeakerKind::Default:
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
    if (speaks)
        writer.AddTaskLine(*this, MesPrefix + ("[" + *SpeakerLine(writer.Project().NPCInfo.Name) + "]") + MesSuffix);
    if (Lines.empty())
        writer.AddTaskLine(*this, std::string(MesPrefix) + MesSuffix);
    for (const std::string& line : Lines)
        writer.AddTaskLine(*this, MesPrefix + line + MesSuffix);
}
