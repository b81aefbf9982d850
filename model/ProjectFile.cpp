// The project file: file header, header record, NPC record, then one record per tree node in
// display order, each led by its kind tag and its parent (by group number in version 258, by
// record position in version 259). A project is written as 258 unless it holds what only 259 can.

#include "model/ActionTasks.h"
#include "model/BlockTasks.h"
#include "model/CodeTasks.h"
#include "model/ConditionTasks.h"
#include "model/ProjectFile.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "model/Tasks.h"
#include "model/Project.h"

#include "platform/FileAccess.h"
#include "model/Records.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace {

// Files before this version have no header record.
constexpr std::int32_t FirstVersionWithHeader = 258;
constexpr std::int32_t NoParent = -1;
// Kind tag, parent number, name flag and an empty caption: no task record is shorter.
constexpr std::size_t MinTaskRecordSize = 1 + 4 + 1 + 4;
// Far deeper than any tree built by hand. A crafted file nesting every group in the previous one
// would otherwise give a script whose indentation alone grows with the square of the depth, and
// tree walks as deep as the file is long.
constexpr int MaxTreeDepth = 1000;
// Versions count up by one per change of the format; what the first four bytes of a picture, an
// archive or a text file read as lies far outside this window (negative or in the millions).
constexpr std::int32_t HighestPlausibleVersion = 0xFFFF;
constexpr const char* NotAProject = "the file is not an NPC project";

// ---- Writing ---------------------------------------------------------------------------------

void WriteHeaderRecord(TFileWriter& file, const TNPCHeader& header)
{
    for (const std::string* field : {&header.ScriptName, &header.Author, &header.Version, &header.Compatible,
                                     &header.Description, &header.Comments})
        WriteString(file, *field);
    if (file.Version() < ExtendedProjectFileVersion)
        return;
    file.WriteByte(header.AuthorsHeader ? 1 : 0);
    WriteString(file, header.OtherSections);
}

void WriteNPCRecord(TFileWriter& file, const TNPC& npc, const TCatalogues& catalogues)
{
    for (const std::int32_t value : {npc.SpriteID, npc.X, npc.Y, npc.Direction, npc.MapIndex})
        file.WriteInt(value);
    WriteString(file, npc.Name);
    if (file.Version() < ExtendedProjectFileVersion)
        return;
    // The map by the name the script gives it, so that another catalogue, or one in another
    // order, neither loses it nor turns it into another map.
    WriteString(file, NpcMapFile(npc, catalogues));
    file.WriteByte(npc.Touch ? 1 : 0);
    if (npc.Touch) {
        file.WriteInt(npc.Touch->X);
        file.WriteInt(npc.Touch->Y);
    }
}

// Version 258 names a task's parent by its group number, which only a group has.
std::int32_t ParentNumberOf(const TFileWriter& file, const TTaskNode& node)
{
    if (!node.Parent())
        return NoParent;
    const TTask* parent = node.Parent()->Data();
    if (!parent || parent->Kind() != TTaskKind::Group)
        throw EInOutError(file.FileName(), "the task \"" + (node.Data() ? node.Data()->Caption : "") +
                                               "\" lies inside a task that is not a group");
    return static_cast<const TGroupTask*>(parent)->GroupNumber;
}

std::int32_t FileVersionOf(const TProject& project, const std::vector<TTaskNode*>& nodes)
{
    const TCatalogues& catalogues = project.Catalogues();
    if (!project.Kept.Empty())
        return KeptProjectFileVersion;
    for (const TTaskNode* node : nodes)
        if (node->Data() && (node->Data()->KeptHead || node->Data()->KeptEnd))
            return KeptProjectFileVersion;
    if (NpcNeedsExtendedFormat(project.NPCInfo, catalogues) || HeaderNeedsExtendedFormat(project.HeaderInfo))
        return ExtendedProjectFileVersion;
    for (const TTaskNode* node : nodes)
        if (node->Data() && node->Data()->NeedsExtendedFormat(catalogues))
            return ExtendedProjectFileVersion;
    return ProjectFileVersion;
}

std::string ProjectBytes(const TProject& project, const std::string& fileName)
{
    TFileWriter file(fileName);
    const std::vector<TTaskNode*> nodes = project.TaskTree.Nodes();
    file.SetVersion(FileVersionOf(project, nodes));
    // The count is the number of records that follow, which is what a reader relies on; it equals
    // TaskCount while every task has its node.
    file.WriteInt(file.Version());
    file.WriteInt(static_cast<std::int32_t>(nodes.size()));
    file.WriteInt(0);
    WriteHeaderRecord(file, project.HeaderInfo);
    WriteNPCRecord(file, project.NPCInfo, project.Catalogues());
    // Version 259 names the parent by its record's position: tasks other than groups hold tasks.
    std::unordered_map<const TTaskNode*, std::int32_t> positions;
    for (const TTaskNode* node : nodes) {
        const TTask* task = node->Data();
        if (!task)
            throw EInOutError(fileName, "a node of the task tree holds no task");
        file.WriteByte(static_cast<std::uint8_t>(task->Kind()));
        if (file.Version() < ExtendedProjectFileVersion)
            file.WriteInt(ParentNumberOf(file, *node));
        else
            file.WriteInt(node->Parent() ? positions.at(node->Parent()) : NoParent);
        positions.emplace(node, static_cast<std::int32_t>(positions.size()));
        task->SaveToFile(file);
    }
    if (file.Version() >= KeptProjectFileVersion)
        SaveKeptFrame(file, project.Kept);
    return file.Bytes();
}

// ---- Reading ---------------------------------------------------------------------------------

// A project read completely, not yet in place.
struct TLoadedTask {
    std::unique_ptr<TTask> Task;
    int ParentIndex = -1;  // position of the parent in the list, -1 for the root
};

struct TLoadedProject {
    TNPCHeader Header;
    TNPC NPC;
    std::vector<TLoadedTask> Tasks;
    std::int32_t HighestGroupNumber = 0;
    TKeptFrame Kept;
};

}  // namespace

std::unique_ptr<TTask> NewTaskOfKind(TFileReader& file, std::uint8_t tag)
{
    const std::uint8_t last = file.Version() >= ExtendedProjectFileVersion ? LastTaskKind : 5;
    if (tag > last)
        file.Fail("task kind " + std::to_string(tag) + " is not one of 0 to " + std::to_string(last));
    switch (static_cast<TTaskKind>(tag)) {
    case TTaskKind::Group: return std::make_unique<TGroupTask>();
    case TTaskKind::Action: return std::make_unique<TActionTask>();
    case TTaskKind::Message: return std::make_unique<TMessageTask>();
    case TTaskKind::Condition: return std::make_unique<TConTask>();
    case TTaskKind::Menu: return std::make_unique<TMenuTask>();
    case TTaskKind::Manual: return std::make_unique<TManualTask>();
    case TTaskKind::Command: return std::make_unique<TCommandTask>();
    case TTaskKind::Set: return std::make_unique<TSetTask>();
    case TTaskKind::If: return std::make_unique<TIfTask>();
    case TTaskKind::Branch: return std::make_unique<TBranchTask>();
    case TTaskKind::Loop: return std::make_unique<TLoopTask>();
    case TTaskKind::Switch: return std::make_unique<TSwitchTask>();
    case TTaskKind::Case: return std::make_unique<TCaseTask>();
    case TTaskKind::Call: return std::make_unique<TCallTask>();
    case TTaskKind::Statement: return std::make_unique<TStatementTask>();
    }
    file.Fail("task kind " + std::to_string(tag) + " is not one of 0 to " + std::to_string(last));
}

namespace {

TNPCHeader ReadHeaderRecord(TFileReader& file)
{
    file.SetRecord("the header record");
    TNPCHeader header;
    for (std::string* field : {&header.ScriptName, &header.Author, &header.Version, &header.Compatible,
                               &header.Description, &header.Comments})
        *field = ReadString(file);
    if (file.Version() < ExtendedProjectFileVersion)
        return header;
    const std::uint8_t authors = file.ReadByte();
    if (authors > 1)
        file.Fail("the header's author flag is " + std::to_string(authors) + ", not 0 or 1");
    header.AuthorsHeader = authors == 1;
    header.OtherSections = ReadString(file);
    return header;
}

TNPC ReadNPCRecord(TFileReader& file)
{
    file.SetRecord("the NPC record");
    TNPC npc;
    for (std::int32_t* value : {&npc.SpriteID, &npc.X, &npc.Y, &npc.Direction, &npc.MapIndex})
        *value = file.ReadInt();
    npc.Name = ReadString(file);
    if (file.Version() < ExtendedProjectFileVersion)
        return npc;
    // The name decides; the index is where this editor's catalogue has the map, if anywhere.
    npc.MapName = ReadString(file);
    const TCatalogues* catalogues = file.Catalogues();
    npc.MapIndex = npc.MapName.empty() || !catalogues ? -1 : catalogues->IndexOfMap(catalogues->FindMapNamed(npc.MapName));
    const std::uint8_t touch = file.ReadByte();
    if (touch > 1)
        file.Fail("the NPC's touch area flag is " + std::to_string(touch) + ", not 0 or 1");
    if (touch == 1) {
        TTouchArea area;
        area.X = file.ReadInt();
        area.Y = file.ReadInt();
        npc.Touch = area;
    }
    return npc;
}

// Reads the task records and checks that they form one tree below a single root group, with
// group numbers that are unique and leave room for the next group.
class TTreeReader {
public:
    explicit TTreeReader(TFileReader& file) : File_(file) {}

    std::vector<TLoadedTask> Read(std::int32_t count, std::int32_t& highestGroupNumber)
    {
        std::vector<TLoadedTask> tasks;
        for (std::int32_t i = 0; i < count; ++i)
            tasks.push_back(ReadOne(static_cast<int>(tasks.size()), count));
        highestGroupNumber = Highest_;
        return tasks;
    }

private:
    TLoadedTask ReadOne(int position, std::int32_t count)
    {
        if (File_.AtEnd())
            File_.Fail("the file ends after task " + std::to_string(position) + ", but its header counts " +
                       std::to_string(count) + " tasks");
        File_.SetRecord("the record of task " + std::to_string(position + 1));
        const std::uint8_t tag = File_.ReadByte();
        const std::int32_t parent = File_.ReadInt();
        // Every project starts with its root group: anything else is some other kind of file.
        if (position == 0 && (tag != static_cast<std::uint8_t>(TTaskKind::Group) || parent != NoParent))
            File_.Fail(std::string(NotAProject) + " (its first record is not the group Start)");
        TLoadedTask loaded{NewTaskOfKind(File_, tag), ParentIndexOf(position, parent)};
        AddDepth(loaded.ParentIndex);
        loaded.Task->LoadFromFile(File_);
        Holds_.push_back(loaded.Task->HoldsTasks());
        if (loaded.Task->Kind() == TTaskKind::Group)
            AddGroup(static_cast<const TGroupTask&>(*loaded.Task).GroupNumber, position);
        return loaded;
    }

    int ParentIndexOf(int position, std::int32_t parent) const
    {
        if (position == 0)
            return -1;  // the root, checked by ReadOne
        if (parent == NoParent)
            File_.Fail("task " + std::to_string(position + 1) + " is a second top-level task");
        if (File_.Version() >= ExtendedProjectFileVersion)
            return ParentRecordOf(position, parent);
        const auto found = Groups_.find(parent);
        if (found == Groups_.end())
            File_.Fail("task " + std::to_string(position + 1) + " belongs to group " +
                       std::to_string(parent) + ", which is not among the groups before it");
        return found->second;
    }

    // Version 259: the parent is an earlier record, by position from 0, whose task holds tasks.
    int ParentRecordOf(int position, std::int32_t parent) const
    {
        const std::string task = "task " + std::to_string(position + 1);
        if (parent < 0 || parent >= position)
            File_.Fail(task + " lies inside record " + std::to_string(parent) + ", which is not a record before it");
        if (!Holds_[static_cast<std::size_t>(parent)])
            File_.Fail(task + " lies inside record " + std::to_string(parent) + ", a task that holds no tasks");
        return parent;
    }

    void AddDepth(int parentIndex)
    {
        const int depth = parentIndex < 0 ? 0 : Depths_[static_cast<std::size_t>(parentIndex)] + 1;
        if (depth > MaxTreeDepth)
            File_.Fail("groups nest deeper than " + std::to_string(MaxTreeDepth) + " levels");
        Depths_.push_back(depth);
    }

    void AddGroup(std::int32_t number, int position)
    {
        if (number < 0 || number == std::numeric_limits<std::int32_t>::max())
            File_.Fail("group number " + std::to_string(number) + " is out of range");
        if (!Groups_.emplace(number, position).second)
            File_.Fail("group number " + std::to_string(number) + " is used twice");
        Highest_ = std::max(Highest_, number);
    }

    TFileReader& File_;
    std::unordered_map<std::int32_t, int> Groups_;  // group number -> position
    std::vector<int> Depths_;                        // tree level of each task read, by position
    std::vector<bool> Holds_;                        // whether each task read may hold tasks
    std::int32_t Highest_ = 0;
};

TLoadedProject ReadProject(TFileReader& file, TServerTarget target)
{
    TLoadedProject project;
    file.SetRecord("the file header");
    const std::int32_t version = file.ReadInt();
    if (version < 0 || version > HighestPlausibleVersion)
        file.Fail(NotAProject);
    file.SetVersion(version);
    const std::int32_t count = file.ReadInt();
    file.ReadInt();  // reserved
    if (version > KeptProjectFileVersion)
        file.Fail("the file has version " + std::to_string(version) + ", newer than this editor reads (" +
                  std::to_string(KeptProjectFileVersion) + ")");
    // Older files hold no header: theirs is a new project's.
    project.Header = version >= FirstVersionWithHeader ? ReadHeaderRecord(file) : DefaultHeader();
    project.Header.Target = target;
    project.NPC = ReadNPCRecord(file);
    if (count < 1)
        file.Fail("the file holds no tasks, not even the group Start");
    if (static_cast<std::size_t>(count) > file.Remaining() / MinTaskRecordSize)
        file.Fail("task count " + std::to_string(count) + " is larger than the records present");
    project.Tasks = TTreeReader(file).Read(count, project.HighestGroupNumber);
    if (version >= KeptProjectFileVersion) {
        file.SetRecord("the kept source of the NPC");
        project.Kept = LoadKeptFrame(file);
    }
    // A count short of the records would lose the rest at the next save; nothing is written
    // after the last record, so anything there is damage too.
    if (!file.AtEnd())
        file.Fail("the file goes on for " + std::to_string(file.Remaining()) +
                  (file.Remaining() == 1 ? " byte" : " bytes") + " after task " +
                  std::to_string(count) + ", but its header counts " + std::to_string(count) +
                  (count == 1 ? " task" : " tasks"));
    return project;
}

// Nothing here can fail on the file's account: the project was checked while it was read.
std::unique_ptr<TProject> BuildProject(TLoadedProject& loaded, std::shared_ptr<const TCatalogues> catalogues)
{
    auto project = std::make_unique<TProject>(std::move(catalogues));
    TTaskTree& tree = project->TaskTree;
    tree.Clear();
    std::vector<TTaskNode*> nodes;
    nodes.reserve(loaded.Tasks.size());
    for (TLoadedTask& record : loaded.Tasks) {
        TTask* task = record.Task.get();
        project->TaskList.RegisterTask(std::move(record.Task));
        TTaskNode* parent = record.ParentIndex < 0 ? nullptr : nodes[static_cast<std::size_t>(record.ParentIndex)];
        nodes.push_back(tree.AddChild(parent, task->Caption, task));
    }
    tree.Select(tree.GetFirstNode());
    project->HeaderInfo = std::move(loaded.Header);
    project->NPCInfo = std::move(loaded.NPC);
    project->Kept = std::move(loaded.Kept);
    // One past the highest, not the last: groups saved out of number order must not lead to a
    // number being handed out twice.
    project->NextGroupNumber = loaded.HighestGroupNumber + 1;
    return project;
}

}  // namespace

std::string SaveProjectBytes(const TProject& project)
{
    return ProjectBytes(project, project.ProjectFileName.empty() ? std::string("the project") : project.ProjectFileName);
}

std::unique_ptr<TProject> ReadProjectBytes(const std::string& fileName, const std::string& bytes,
                                           std::shared_ptr<const TCatalogues> catalogues, TServerTarget target)
{
    if (!catalogues)
        throw std::invalid_argument("reading a project needs catalogues");
    TFileReader file(fileName, bytes, catalogues.get());
    TLoadedProject loaded = ReadProject(file, target);
    return BuildProject(loaded, std::move(catalogues));
}

void CheckProjectBytes(const std::string& fileName, const std::string& bytes)
{
    // Which catalogue entry a map name is decides nothing a check refuses.
    TFileReader file(fileName, bytes);
    ReadProject(file, DefaultTarget);
}

std::unique_ptr<TProject> ReadProjectFile(const std::string& path, std::shared_ptr<const TCatalogues> catalogues)
{
    const std::string bytes = ReadWholeFile(path);
    std::unique_ptr<TProject> project = ReadProjectBytes(path, bytes, std::move(catalogues), ReadProjectTarget(path));
    project->ProjectFileName = path;
    return project;
}

void WriteProjectFile(const TProject& project, const std::string& path)
{
    std::vector<TFileContent> files{{path, ProjectBytes(project, path)}};
    const std::optional<std::string> side = ProjectTargetBytes(project.HeaderInfo.Target);
    if (side)
        files.push_back({TargetFileName(path), *side});
    WriteFilesSafely(files);
    // A project for the default server has no side file; an old one would name another server.
    if (!side)
        WriteProjectTarget(path, DefaultTarget);
}
