#include "model/MenuTasks.h"

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
    if (Entries.empty() || i < 0)
        return nullptr;
    return Entries[std::min(static_cast<std::size_t>(i), Entries.size() - 1)].get();
}

void TMenuTask::AddEntry(std::unique_ptr<TDMenu> entry)
{
    Entries.push_back(std::move(entry));
}

void TMenuTask::RemoveEntry(TDMenu* entry)
{
    std::erase_if(Entries, [entry](const auto& owned) { return owned.get() == entry; });
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
    file.WriteInt(EntryCount());
    for (const auto& entry : Entries)
        entry->SaveToFile(file);
}

void TMenuTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    const std::int32_t count = file.ReadInt();
    if (count < 0 || static_cast<std::size_t>(count) > file.Remaining() / MinEntryRecordSize)
        file.Fail("menu entry count " + std::to_string(count) + " is larger than the records present");
    std::vector<std::unique_ptr<TDMenu>> entries;
    for (std::int32_t i = 0; i < count; ++i) {
        auto entry = std::make_unique<TDMenu>();
        entry->LoadFromFile(file);
        entries.push_back(std::move(entry));
    }
    Entries = std::move(entries);
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
        text += "\"" + entry->Text + "\", " + writer.LabelOf(entry->Target);
    }
    writer.AddTaskLine(*this, text + ";");
}
