#include "model/MenuTasks.h"

#include "model/OwnedParts.h"
#include "model/ProjectFile.h"
#include "model/Project.h"
#include "model/ScriptWriter.h"

#include <algorithm>

namespace {

// The smallest entry record: Target and an empty Text.
constexpr std::size_t MinEntryRecordSize = 8;

}  // namespace

void TDMenu::SaveToFile(TFileWriter& file) const
{
    file.WriteInt(Target);
    WriteString(file, Text);
}

void TDMenu::LoadFromFile(TFileReader& file)
{
    Target = file.ReadInt();
    Text = ReadString(file);
}

void TMenuTask::Assign(const TMenuTask& source)
{
    AssignCaption(source);
    std::vector<std::unique_ptr<TDMenu>> copies;
    copies.reserve(source.Entries.size());
    for (const auto& entry : source.Entries)
        copies.push_back(std::make_unique<TDMenu>(*entry));
    Entries = std::move(copies);
}

TDMenu* TMenuTask::EntryAt(int i) const
{
    return ClampedPart(Entries, i);
}

void TMenuTask::AddEntry(std::unique_ptr<TDMenu> entry)
{
    Entries.push_back(std::move(entry));
}

void TMenuTask::RemoveEntry(TDMenu* entry)
{
    RemovePart(Entries, entry);
}

std::string TMenuTask::SummaryText() const
{
    std::string text;
    for (const auto& entry : Entries) {
        if (&entry != &Entries.front())
            text += ", ";
        text += entry->Text;
    }
    return text;
}

void TMenuTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    SaveParts(file, Entries);
}

void TMenuTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    Entries = LoadParts<TDMenu>(file, MinEntryRecordSize, "menu entry");
}

void TMenuTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    // The editor never applies an empty menu; "menu ;" would stop the server's parser, so an
    // empty menu writes nothing at all.
    if (Entries.empty())
        return;
    std::string text = "menu ";
    for (const auto& entry : Entries) {
        if (&entry != &Entries.front())
            text += ", ";
        text.append("\"").append(entry->Text).append("\", ").append(writer.LabelOf(entry->Target));
    }
    writer.AddTaskLine(*this, {text, ";"});
}
