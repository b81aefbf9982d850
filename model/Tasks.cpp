#include "model/Tasks.h"

#include "model/ProjectFile.h"
#include "model/ScriptWriter.h"

#include "platform/UpdateScope.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <unordered_map>
#include <unordered_set>


// ---- TTask -----------------------------------------------------------------------------------

void TTask::SaveToFile(TFileWriter& file) const
{
    file.WriteByte(UserNamed);
    WriteString(file, Caption);
    if (file.Version() >= KeptProjectFileVersion) {
        SaveKept(file, KeptHead);
        SaveKept(file, KeptEnd);
    }
}

void TTask::LoadFromFile(TFileReader& file)
{
    const std::uint8_t flag = file.ReadByte();
    if (flag > 1)
        file.Fail("a task's name flag is " + std::to_string(flag) + ", not 0 or 1");
    UserNamed = flag;
    Caption = ReadString(file);
    if (file.Version() >= KeptProjectFileVersion) {
        KeptHead = LoadKept(file);
        KeptEnd = LoadKept(file);
    }
}

namespace {

// A line comment ends at the first CR or LF, so a caption with line breaks (message and manual
// captions hold one per line) would turn its later lines into live script. Each run of breaks
// becomes one blank; breaks at the end go.
std::string OneLine(const std::string& text)
{
    std::string line;
    line.reserve(text.size());
    bool pendingBreak = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            pendingBreak = true;
            continue;
        }
        if (pendingBreak && !line.empty())
            line += ' ';
        pendingBreak = false;
        line += c;
    }
    return line;
}

} // namespace

void TTask::WriteScript(TScriptWriter& writer) const
{
    if (UserNamed == 1)
        writer.AddTaskLine(*this, "// " + OneLine(Caption) + " //");
}

void TTask::Rename(const std::string& text)
{
    Caption = text;
    UserNamed = 1;
}

void TTask::AssignCaption(const TTask& source)
{
    Caption = source.Caption;
}

// ---- TGroupTask ------------------------------------------------------------------------------

void TGroupTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    file.WriteInt(GroupNumber);
    if (file.Version() < ExtendedProjectFileVersion)
        return;
    WriteString(file, LabelName);
    file.WriteByte(NoLabel ? 1 : 0);
}

void TGroupTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    GroupNumber = file.ReadInt();
    LabelName.clear();
    NoLabel = false;
    if (file.Version() < ExtendedProjectFileVersion)
        return;
    std::string name = ReadString(file);
    if (!name.empty() && !IsLabelText(name))
        file.Fail("the label name \"" + name + "\" of group " + std::to_string(GroupNumber) +
                  " is not a label the server reads");
    LabelName = std::move(name);
    const std::uint8_t flag = file.ReadByte();
    if (flag > 1)
        file.Fail("a group's no-label flag is " + std::to_string(flag) + ", not 0 or 1");
    NoLabel = flag == 1;
}

void TGroupTask::WriteScript(TScriptWriter& writer) const
{
    TTask::WriteScript(writer);
    if (!NoLabel)
        writer.AddTaskLine(*this, Label() + ":");
}

std::string TGroupTask::Label() const
{
    return LabelName.empty() ? "L" + std::to_string(GroupNumber) : LabelName;
}

std::string TGroupTask::ExitLabel() const
{
    return "L" + std::to_string(GroupNumber) + "Exit";
}

bool IsLabelText(const std::string& text)
{
    const auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    return !text.empty() && !std::isdigit(static_cast<unsigned char>(text.front())) &&
           std::all_of(text.begin(), text.end(), word);
}

// ---- TTaskList -------------------------------------------------------------------------------

int TTaskList::RegisterTask(std::unique_ptr<TTask> task)
{
    Touch(*task);
    if (task->Kind() == TTaskKind::Group)
        Groups_.push_back(static_cast<TGroupTask*>(task.get()));
    Tasks_.push_back(std::move(task));
    return TaskCount() - 1;
}

void TTaskList::Touch(TTask& task)
{
    constexpr std::size_t Remembered = 1024;
    task.Revision = ++Revisions_;
    if (Touched_.size() == Remembered)
        Touched_.erase(Touched_.begin(), Touched_.begin() + Remembered / 2);
    Touched_.push_back(&task);
}

bool TTaskList::TouchedSince(std::uint64_t revision, std::vector<const TTask*>& tasks) const
{
    // Touched_ holds the revisions after Revisions_ - size, one each.
    if (revision > Revisions_ || Revisions_ - revision > Touched_.size())
        return false;
    tasks.assign(Touched_.end() - static_cast<std::ptrdiff_t>(Revisions_ - revision), Touched_.end());
    return true;
}

void TTaskList::FindGroups()
{
    Groups_.clear();
    for (const auto& task : Tasks_)
        if (task->Kind() == TTaskKind::Group)
            Groups_.push_back(static_cast<TGroupTask*>(task.get()));
}

void TTaskList::UnregisterTask(TTask* task)
{
    const int index = IndexOf(task);
    if (index >= 0)
        Tasks_.erase(Tasks_.begin() + index);
    std::erase(Groups_, task);
}

void TTaskList::UnregisterTasks(const std::vector<TTask*>& tasks)
{
    if (tasks.empty())
        return;
    const std::unordered_set<const TTask*> leaving(tasks.begin(), tasks.end());
    std::erase_if(Tasks_, [&leaving](const auto& task) { return leaving.count(task.get()) > 0; });
    std::erase_if(Groups_, [&leaving](const TGroupTask* group) { return leaving.count(group) > 0; });
}

int TTaskList::IndexOf(const TTask* task) const
{
    const auto found = std::find_if(Tasks_.begin(), Tasks_.end(),
                                    [task](const auto& t) { return t.get() == task; });
    return found == Tasks_.end() ? -1 : static_cast<int>(found - Tasks_.begin());
}

std::vector<int> TTaskList::IndexesOf(const std::vector<const TTask*>& tasks) const
{
    std::unordered_map<const TTask*, std::size_t> wanted;
    for (std::size_t i = 0; i < tasks.size(); ++i)
        wanted.emplace(tasks[i], i);
    std::vector<int> indexes(tasks.size(), -1);
    for (std::size_t i = 0; i < Tasks_.size() && !wanted.empty(); ++i) {
        const auto found = wanted.find(Tasks_[i].get());
        if (found != wanted.end()) {
            indexes[found->second] = static_cast<int>(i);
            wanted.erase(found);
        }
    }
    return indexes;
}

void TTaskList::RegisterTasksAt(std::vector<std::pair<int, std::unique_ptr<TTask>>> tasks)
{
    std::vector<std::unique_ptr<TTask>> merged;
    merged.reserve(Tasks_.size() + tasks.size());
    std::size_t kept = 0;
    bool groups = false;
    for (auto& [position, task] : tasks) {
        groups = groups || task->Kind() == TTaskKind::Group;
        while (static_cast<int>(merged.size()) < position && kept < Tasks_.size())
            merged.push_back(std::move(Tasks_[kept++]));
        Touch(*task);
        merged.push_back(std::move(task));
    }
    while (kept < Tasks_.size())
        merged.push_back(std::move(Tasks_[kept++]));
    Tasks_ = std::move(merged);
    if (groups)
        FindGroups();
}

TGroupTask* TTaskList::FindGroup(std::int32_t number) const
{
    for (TGroupTask* group : Groups_)
        if (group->GroupNumber == number)
            return group;
    return nullptr;
}

TGroupTask* TTaskList::FindLabel(const std::string& text, bool includeExits) const
{
    // Labels are printed as unsigned numbers.
    for (TGroupTask* group : Groups_) {
        const std::string label = "L" + std::to_string(static_cast<std::uint32_t>(group->GroupNumber));
        if ((group->LabelName.empty() ? text == label : text == group->LabelName) ||
            (includeExits && text == label + "Exit"))
            return group;
    }
    return nullptr;
}

void TTaskList::FillGroupList(TStrings& strings) const
{
    const TUpdateScope<TStrings> update(strings);
    for (TGroupTask* group : Groups_)
        strings.AddObject(group->Caption, group);
}

// ---- Lines ---------------------------------------------------------------------------------

namespace {

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
    const std::size_t count = ReadCount(file, MinLineRecordSize, "line");
    if (count == 0)
        return;
    std::vector<std::string> read;
    read.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
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

void TLinesTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    SaveLines(file, Lines);
}

void TLinesTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    Lines.clear();
    LoadLines(file, Lines);
}
