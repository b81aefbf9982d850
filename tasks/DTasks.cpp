#include "DTasks.h"

#include "DFiles.h"

#include "global/DGlobal.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

std::int32_t NextGroupNumber = 0;
TTaskList TaskList;
TTaskTree TaskTree;

std::vector<std::string>* OutputLines = nullptr;
std::int32_t CurrentLevel = 0;
TGroupTask* CurrentGroup = nullptr;
bool NeedSpeakerLine = false;

namespace {

// Problems of the running generation; none outside a run.
std::vector<std::string>* ScriptProblems = nullptr;
// The writer of each line of the running generation; none outside a run.
std::vector<const TTask*>* ScriptLineTasks = nullptr;

void AddLine(int level, const std::string& text, const TTask* task)
{
    if (!OutputLines)
        return;
    // Built in one allocation: the script of a large project is tens of thousands of lines.
    const auto tabs = static_cast<std::size_t>(std::max(level, 0));
    std::string& line = OutputLines->emplace_back();
    line.reserve(tabs + text.size());
    line.append(tabs, '\t').append(text);
    if (ScriptLineTasks)
        ScriptLineTasks->push_back(task);
}

} // namespace

// ---- TTask -----------------------------------------------------------------------------------

void TTask::SaveToFile(TFileWriter& file) const
{
    file.WriteByte(UserNamed);
    WriteString(file, Caption);
}

void TTask::LoadFromFile(TFileReader& file)
{
    const std::uint8_t flag = file.ReadByte();
    if (flag > 1)
        file.Fail("a task's name flag is " + std::to_string(flag) + ", not 0 or 1");
    UserNamed = flag;
    Caption = ReadString(file);
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

void TTask::WriteScript() const
{
    if (UserNamed == 1)
        AddTaskLine(*this, "// " + OneLine(Caption) + " //");
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

TGroupTask::TGroupTask(const std::string& caption) : TTask(caption), GroupNumber(NextGroupNumber)
{
    // A project file never holds the largest number (the next group would overflow), so a group
    // given it could never be loaded again.
    if (NextGroupNumber < 0 || NextGroupNumber == std::numeric_limits<std::int32_t>::max())
        throw EListError("Cannot add the group \"" + caption + "\": every group number of this project is used up.");
    ++NextGroupNumber;
}

void TGroupTask::SaveToFile(TFileWriter& file) const
{
    TTask::SaveToFile(file);
    file.WriteInt(GroupNumber);
}

void TGroupTask::LoadFromFile(TFileReader& file)
{
    TTask::LoadFromFile(file);
    GroupNumber = file.ReadInt();
}

void TGroupTask::WriteScript() const
{
    TTask::WriteScript();
    AddTaskLine(*this, Label() + ":");
}

std::string TGroupTask::Label() const
{
    return "L" + std::to_string(GroupNumber);
}

std::string TGroupTask::ExitLabel() const
{
    return Label() + "Exit";
}

// ---- TTaskList -------------------------------------------------------------------------------

int TTaskList::RegisterTask(std::unique_ptr<TTask> task)
{
    Tasks_.push_back(std::move(task));
    return TaskCount() - 1;
}

void TTaskList::UnregisterTask(TTask* task)
{
    const int index = IndexOf(task);
    if (index >= 0)
        Tasks_.erase(Tasks_.begin() + index);
}

void TTaskList::UnregisterTasks(const std::vector<TTask*>& tasks)
{
    if (tasks.empty())
        return;
    const std::unordered_set<const TTask*> leaving(tasks.begin(), tasks.end());
    std::erase_if(Tasks_, [&leaving](const auto& task) { return leaving.count(task.get()) > 0; });
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
    for (auto& [position, task] : tasks) {
        while (static_cast<int>(merged.size()) < position && kept < Tasks_.size())
            merged.push_back(std::move(Tasks_[kept++]));
        merged.push_back(std::move(task));
    }
    while (kept < Tasks_.size())
        merged.push_back(std::move(Tasks_[kept++]));
    Tasks_ = std::move(merged);
}

TGroupTask* TTaskList::FindGroup(std::int32_t number) const
{
    for (const auto& task : Tasks_) {
        if (task->Kind() == TTaskKind::Group) {
            auto* group = static_cast<TGroupTask*>(task.get());
            if (group->GroupNumber == number)
                return group;
        }
    }
    return nullptr;
}

TGroupTask* TTaskList::FindLabel(const std::string& text, bool includeExits) const
{
    // Labels are printed as unsigned numbers.
    for (const auto& task : Tasks_) {
        if (task->Kind() != TTaskKind::Group)
            continue;
        auto* group = static_cast<TGroupTask*>(task.get());
        const std::string label = "L" + std::to_string(static_cast<std::uint32_t>(group->GroupNumber));
        if (text == label || (includeExits && text == label + "Exit"))
            return group;
    }
    return nullptr;
}

void TTaskList::FillGroupList(TStrings& strings) const
{
    strings.BeginUpdate();
    for (const auto& task : Tasks_) {
        if (task->Kind() == TTaskKind::Group)
            strings.AddObject(task->Caption, task.get());
    }
    strings.EndUpdate();
}

// ---- Script writer ---------------------------------------------------------------------------

void AddScriptLine(int level, const std::string& text)
{
    AddLine(level, text, nullptr);
}

void AddTaskLine(const TTask& task, const std::string& text)
{
    AddLine(CurrentLevel + 1, text, &task);
}

void AddScriptProblem(const std::string& message)
{
    if (ScriptProblems && std::find(ScriptProblems->begin(), ScriptProblems->end(), message) ==
                              ScriptProblems->end())
        ScriptProblems->push_back(message);
}

void UpdateCurrentGroup(const TTaskNode& node)
{
    TTask* task = node.Data();
    if (task && task->Kind() == TTaskKind::Group) {
        NeedSpeakerLine = true;
        CurrentGroup = static_cast<TGroupTask*>(task);
        CurrentGroup->ExitPending = 0;
    } else if (node.Parent()) {
        TTask* parentTask = node.Parent()->Data();
        CurrentGroup = parentTask && parentTask->Kind() == TTaskKind::Group
                           ? static_cast<TGroupTask*>(parentTask)
                           : nullptr;
    }
}

void FinishGroup(TGroupTask& group)
{
    if (group.ExitPending == 1)
        AddTaskLine(group, group.ExitLabel() + ":");
    group.ExitPending = 0;
}

namespace {

void WriteHeaderBlock()
{
    const auto field = [](const std::string& text) { AddScriptLine(0, "//= " + text); };
    AddScriptLine(0, "//===== eAthena Script =======================================");
    field(HeaderInfo.ScriptName);
    AddScriptLine(0, std::string("//= Created with Vask's NPC Editor ") + VersionText);
    AddScriptLine(0, "//===== By: ==================================================");
    field(HeaderInfo.Author);
    AddScriptLine(0, "//===== Current Version: =====================================");
    field(HeaderInfo.Version);
    AddScriptLine(0, "//===== Compatible With: =====================================");
    field(HeaderInfo.Compatible);
    AddScriptLine(0, "//===== Description: =========================================");
    field(HeaderInfo.Description);
    AddScriptLine(0, "//===== Additional Comments: =================================");
    // A line ends at CR LF, a lone LF or a lone CR; a break at the very end opens no line.
    const std::string& comments = HeaderInfo.Comments;
    std::size_t start = 0;
    while (start < comments.size()) {
        std::size_t end = comments.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = comments.size();
        field(comments.substr(start, end - start));
        if (end == comments.size())
            break;
        start = end + 1;
        if (comments[end] == '\r' && start < comments.size() && comments[start] == '\n')
            ++start;
    }
    AddScriptLine(0, "//============================================================");
    AddScriptLine(0, "");
}

void WriteNPCLine()
{
    std::string mapFile;
    if (IsMapIndex(NPCInfo.MapIndex))
        mapFile = MapAt(NPCInfo.MapIndex)->MapFile;
    else
        AddScriptProblem(NoMapProblem);
    const TServerTarget target = HeaderInfo.Target;
    AddScriptLine(0, ScriptMapName(target, mapFile) + "," + std::to_string(NPCInfo.X) + "," +
                         std::to_string(NPCInfo.Y) + "," + std::to_string(NPCInfo.Direction) + "\tscript\t" +
                         NPCInfo.Name + "\t" + ScriptViewText(target, NPCInfo.SpriteID) + ",{");
}

void WalkTree(const TTaskTree& tree)
{
    TTaskNode* first = tree.GetFirstNode();
    if (!first)
        return;
    CurrentGroup = first->Data() && first->Data()->Kind() == TTaskKind::Group
                       ? static_cast<TGroupTask*>(first->Data())
                       : nullptr;
    for (TTaskNode* node = first; node; node = node->GetNext()) {
        CurrentLevel = node->Level();
        UpdateCurrentGroup(*node);
        if (node->Data())
            node->Data()->WriteScript();
        TTaskNode* next = node->GetNext();
        if (CurrentGroup && (!next || next->Level() < CurrentLevel)) {
            UpdateCurrentGroup(*node);
            FinishGroup(*CurrentGroup);
        }
    }
}

void FinishPendingGroups()
{
    for (int i = TaskList.TaskCount() - 1; i >= 0; --i) {
        TTask* task = TaskList.TaskAt(i);
        if (task->Kind() != TTaskKind::Group)
            continue;
        CurrentLevel = (task->Node ? task->Node->Level() : 0) + 1;
        FinishGroup(*static_cast<TGroupTask*>(task));
    }
}

} // namespace

TScriptResult GenerateScript(const TTaskTree& tree, std::vector<std::string>& lines)
{
    TScriptResult result;
    ScriptProblems = &result.Problems;
    ScriptLineTasks = &result.LineTasks;
    CurrentGroup = nullptr;
    CurrentLevel = 0;
    OutputLines = &lines;
    lines.clear();
    try {
        WriteHeaderBlock();
        WriteNPCLine();
        WalkTree(tree);
        FinishPendingGroups();
        AddScriptLine(0, "}");
    } catch (...) {
        ScriptProblems = nullptr;
        ScriptLineTasks = nullptr;
        throw;
    }
    ScriptProblems = nullptr;
    ScriptLineTasks = nullptr;
    return result;
}

std::string JoinScriptLines(const std::vector<std::string>& lines)
{
    std::string text;
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}
