#include "model/ScriptWriter.h"

#include "model/Project.h"

#include <algorithm>

TScriptWriter::TScriptWriter(const TProject& project, std::vector<std::string>& lines)
    : Project_(project), Lines_(lines)
{
}

void TScriptWriter::AddLine(int level, std::initializer_list<std::string_view> pieces, const TTask* task)
{
    // Built in one allocation: the script of a large project is tens of thousands of lines.
    const auto tabs = static_cast<std::size_t>(std::max(level, 0));
    std::size_t size = tabs;
    for (const std::string_view piece : pieces)
        size += piece.size();
    std::string& line = Lines_.emplace_back();
    line.reserve(size);
    line.append(tabs, '\t');
    for (const std::string_view piece : pieces)
        line.append(piece);
    Result_.LineTasks.push_back(task);
}

void TScriptWriter::AddScriptLine(int level, const std::string& text)
{
    AddLine(level, {text}, nullptr);
}

void TScriptWriter::AddTaskLine(const TTask& task, const std::string& text, int indent)
{
    AddTaskLine(task, {std::string_view(text)}, indent);
}

void TScriptWriter::AddTaskLine(const TTask& task, std::initializer_list<std::string_view> pieces, int indent)
{
    const int parts = PartsAbove_.empty() ? 0 : PartsAbove_[std::min<std::size_t>(CurrentLevel, PartsAbove_.size() - 1)];
    AddLine(CurrentLevel + 1 - parts + indent, pieces, &task);
}

std::string TScriptWriter::LabelOf(std::int32_t number) const
{
    if (InRun_)
        Runs_->back().Reported().Asked.push_back(number);
    const auto found = Groups_->find(number);
    if (found == Groups_->end())
        return "L" + std::to_string(number);
    if (found->second->NoLabel) {
        Unlabelled_.insert(found->second);
        if (InRun_)
            Runs_->back().Reported().Unlabelled.push_back(found->second);
    }
    return found->second->Label();
}

void TScriptWriter::AddScriptProblem(const std::string& message)
{
    if (InRun_)
        Runs_->back().Reported().Problems.push_back(message);
    std::vector<std::string>& problems = Result_.Problems;
    if (std::find(problems.begin(), problems.end(), message) == problems.end())
        problems.push_back(message);
}

void TScriptWriter::UpdateCurrentGroup(const TTaskNode& node)
{
    TTask* task = node.Data();
    if (task && task->Kind() == TTaskKind::Group) {
        NeedSpeakerLine = true;
        CurrentGroup = static_cast<const TGroupTask*>(task);
        if (ExitPending_.erase(CurrentGroup) > 0)
            ExitsStale_ = true;
    } else if (node.Parent()) {
        // Blocks, loops and their parts hold tasks too: their tasks belong to the group above.
        const TTaskNode* above = node.Parent();
        while (above && above->Data() && above->Data()->Kind() != TTaskKind::Group && above->Data()->HoldsTasks())
            above = above->Parent();
        TTask* parentTask = above ? above->Data() : nullptr;
        CurrentGroup = parentTask && parentTask->Kind() == TTaskKind::Group
                           ? static_cast<const TGroupTask*>(parentTask)
                           : nullptr;
    }
}

void TScriptWriter::FinishGroup(const TGroupTask& group)
{
    if (ExitPending_.erase(&group) > 0) {
        ExitsStale_ = true;
        BeginStretch(TStretchKind::Exit, &group, nullptr);
        AddTaskLine(group, group.ExitLabel() + ":");
    }
}

void TScriptWriter::BeginStretch(TStretchKind kind, const TTask* task, const TKeptPtr& kept)
{
    Stretches_.push_back({kind, task, kept.get(), Lines_.size(), 0});
}

void TScriptWriter::PutKeptSource()
{
    for (std::size_t i = 0; i < Stretches_.size(); ++i)
        Stretches_[i].Count = (i + 1 < Stretches_.size() ? Stretches_[i + 1].First : Lines_.size()) - Stretches_[i].First;
    const bool kept = std::any_of(Stretches_.begin(), Stretches_.end(), [](const auto& s) { return s.Kept; });
    if (KeepSource && kept)
        ApplyKeptSource(Stretches_, Project_.Kept.IndentUnit, Project_.HeaderInfo.Target, Lines_, Result_.LineTasks);
}

namespace {

// The lines of a text: a line ends at CR LF, a lone LF or a lone CR; a break at the very end opens
// no line, and the empty text has none.
std::vector<std::string> TextLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (end == text.size())
            break;
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

}  // namespace

void TScriptWriter::WriteHeaderBlock()
{
    const TNPCHeader& header = Project_.HeaderInfo;
    // Every line of a field is a comment line of its own: a field of several lines must not put
    // script text outside the comment. A field keeps its line even when empty.
    const auto field = [this](const std::string& text) {
        const std::vector<std::string> lines = TextLines(text);
        if (lines.empty())
            AddScriptLine(0, "//= ");
        for (const std::string& line : lines)
            AddScriptLine(0, "//= " + line);
    };
    AddScriptLine(0, RulesOf(Project_.HeaderInfo.Target).HeaderRuler);
    field(header.ScriptName);
    if (!header.AuthorsHeader)
        AddScriptLine(0, std::string("//= Created with Vask's NPC Editor ") + VersionText);
    AddScriptLine(0, "//===== By: ==================================================");
    field(header.Author);
    AddScriptLine(0, "//===== Current Version: =====================================");
    field(header.Version);
    AddScriptLine(0, "//===== Compatible With: =====================================");
    field(header.Compatible);
    AddScriptLine(0, "//===== Description: =========================================");
    field(header.Description);
    for (const std::string& line : TextLines(header.OtherSections))
        AddScriptLine(0, line);
    AddScriptLine(0, "//===== Additional Comments: =================================");
    for (const std::string& line : TextLines(header.Comments))
        AddScriptLine(0, "//= " + line);
    AddScriptLine(0, "//============================================================");
    AddScriptLine(0, "");
}

void TScriptWriter::WriteNPCLine()
{
    const TNPC& npc = Project_.NPCInfo;
    std::string mapFile = NpcMapFile(npc, Project_.Catalogues());
    if (mapFile.empty() && !MapWhenNone.empty())
        mapFile = MapWhenNone;
    else if (mapFile.empty())
        AddScriptProblem(NoMapProblem);
    const TServerTarget target = Project_.HeaderInfo.Target;
    // Every server reads `sprite,x,y,{` as the NPC's touch area, the cells its OnTouch label fires on.
    const std::string touch =
        npc.Touch ? "," + std::to_string(npc.Touch->X) + "," + std::to_string(npc.Touch->Y) : std::string();
    AddScriptLine(0, ScriptMapName(target, mapFile) + "," + std::to_string(npc.X) + "," + std::to_string(npc.Y) +
                         "," + std::to_string(npc.Direction) + "\tscript\t" + npc.Name + "\t" +
                         ScriptViewText(target, npc.SpriteID) + touch + ",{");
}

void TScriptWriter::WalkTree()
{
    TTaskNode* first = Project_.TaskTree.GetFirstNode();
    if (!first)
        return;
    CurrentGroup = first->Data() && first->Data()->Kind() == TTaskKind::Group
                       ? static_cast<const TGroupTask*>(first->Data())
                       : nullptr;
    for (TTaskNode* node = first; node; node = node->GetNext())
        WriteNode(*node, node->GetNext());
}

void TScriptWriter::WriteNode(const TTaskNode& node, const TTaskNode* next)
{
    if (Runs_) {
        TNodeRun& run = Runs_->emplace_back();
        run.Node = &node;
        run.Task = node.Data();
        run.Revision = run.Task ? run.Task->Revision : 0;
        run.Level = node.Level();
        run.Parent = node.Parent();
        run.FirstChild = node.Row() == 0;
        run.First = Lines_.size();
        run.Group = CurrentGroup;
        run.Speaker = NeedSpeakerLine;
        run.Exits = PendingExits();
        InRun_ = true;
    }
    EnterNode(node);
    if (node.Data()) {
        BeginStretch(TStretchKind::Head, node.Data(), node.Data()->KeptHead);
        node.Data()->WriteScript(*this);
    }
    CloseSubtrees(node, next ? next->Level() : -1);
    InRun_ = false;
}

const std::shared_ptr<const std::vector<const TGroupTask*>>& TScriptWriter::PendingExits()
{
    if (ExitsStale_) {
        Exits_.reset();
        if (!ExitPending_.empty()) {
            auto exits = std::make_shared<std::vector<const TGroupTask*>>(ExitPending_.begin(), ExitPending_.end());
            std::sort(exits->begin(), exits->end());
            Exits_ = std::move(exits);
        }
        ExitsStale_ = false;
    }
    return Exits_;
}

void TScriptWriter::Resume(const TNodeRun& run)
{
    CurrentGroup = run.Group;
    NeedSpeakerLine = run.Speaker;
    ExitPending_.clear();
    if (run.Exits)
        ExitPending_.insert(run.Exits->begin(), run.Exits->end());
    Exits_ = run.Exits;
    ExitsStale_ = false;
    // The blocks above the node are open, and the parts above each level counted, as the walk
    // from the first node would have left them.
    std::vector<const TTaskNode*> path;
    for (const TTaskNode* above = run.Node->Parent(); above; above = above->Parent())
        path.push_back(above);
    PartsAbove_.clear();
    Open_.clear();
    for (auto above = path.rbegin(); above != path.rend(); ++above) {
        const TTask* task = (*above)->Data();
        const TTaskNode* parent = (*above)->Parent();
        const int parts = PartsAbove_.empty() ? 0 : PartsAbove_.back();
        PartsAbove_.push_back(parent ? parts + (parent->Data() && parent->Data()->IsPart() ? 1 : 0) : 0);
        if (task && task->HoldsTasks() && task->Kind() != TTaskKind::Group)
            Open_.push_back(*above);
    }
}

void TScriptWriter::EnterNode(const TTaskNode& node)
{
    CurrentLevel = node.Level();
    const auto level = static_cast<std::size_t>(CurrentLevel);
    PartsAbove_.resize(level + 1);
    const TTaskNode* parent = node.Parent();
    PartsAbove_[level] = level == 0 ? 0 : PartsAbove_[level - 1] + (parent->Data() && parent->Data()->IsPart() ? 1 : 0);
    UpdateCurrentGroup(node);
    if (node.Data() && node.Data()->HoldsTasks() && node.Data()->Kind() != TTaskKind::Group)
        Open_.push_back(&node);
}

// After node, the walk goes on at nextLevel (-1: the end): the blocks that end here write their
// closing lines, innermost first, then the group ends when the walk leaves it.
void TScriptWriter::CloseSubtrees(const TTaskNode& node, int nextLevel)
{
    while (!Open_.empty() && Open_.back()->Level() >= nextLevel) {
        const TTaskNode* open = Open_.back();
        Open_.pop_back();
        CurrentLevel = open->Level();
        UpdateCurrentGroup(*open);
        BeginStretch(TStretchKind::End, open->Data(), open->Data()->KeptEnd);
        open->Data()->WriteScriptEnd(*this);
    }
    UpdateCurrentGroup(node);
    if (CurrentGroup && CurrentGroup->Node && nextLevel <= CurrentGroup->Node->Level()) {
        CurrentLevel = CurrentGroup->Node->Level() + 1;
        FinishGroup(*CurrentGroup);
    }
}

void TScriptWriter::CheckLabels()
{
    std::unordered_set<std::string> labels;
    for (const auto& [number, group] : *Groups_)
        if (!labels.insert(group->Label()).second)
            AddScriptProblem("Two groups have the label " + group->Label() + ": rename one in its group editor.");
}

void TScriptWriter::FinishPendingGroups()
{
    const TTaskList& tasks = Project_.TaskList;
    for (int i = tasks.TaskCount() - 1; i >= 0 && !ExitPending_.empty(); --i) {
        const TTask* task = tasks.TaskAt(i);
        if (task->Kind() != TTaskKind::Group)
            continue;
        CurrentLevel = (task->Node ? task->Node->Level() : 0) + 1;
        FinishGroup(*static_cast<const TGroupTask*>(task));
    }
}

void TScriptWriter::Prepare(const TGroupMap* groups)
{
    Result_ = {};
    ExitPending_.clear();
    ExitsStale_ = true;
    CurrentGroup = nullptr;
    CurrentLevel = 0;
    NeedSpeakerLine = false;
    PartsAbove_.clear();
    Open_.clear();
    Unlabelled_.clear();
    Stretches_.clear();
    Lines_.clear();
    if (groups) {
        Groups_ = groups;
        return;
    }
    OwnGroups_.clear();
    Groups_ = &OwnGroups_;
    for (const TGroupTask* group : Project_.TaskList.Groups())
        OwnGroups_.emplace(group->GroupNumber, group);
    CheckLabels();
    LabelProblems_ = Result_.Problems.size();
}

void TScriptWriter::WriteTail()
{
    FinishPendingGroups();
    BeginStretch(TStretchKind::Frame, nullptr, Project_.Kept.Close);
    AddScriptLine(0, "}");
}

TScriptResult TScriptWriter::Write()
{
    Prepare();
    if (HeaderBlock) {
        BeginStretch(TStretchKind::Frame, nullptr, Project_.Kept.Header);
        WriteHeaderBlock();
    }
    BeginStretch(TStretchKind::Frame, nullptr, Project_.Kept.NpcLine);
    WriteNPCLine();
    if (Runs_) {
        Runs_->clear();
        FrameProblems_ = Result_.Problems;
    }
    WalkTree();
    WriteTail();
    PutKeptSource();
    for (const TGroupTask* group : Unlabelled_)
        AddScriptProblem(UnlabelledProblem(*group));
    return std::move(Result_);
}

std::string UnlabelledProblem(const TGroupTask& group)
{
    return "A jump goes to the group " + group.Caption + ", which writes no label: give it one in its group editor.";
}

TScriptResult GenerateScript(const TProject& project, std::vector<std::string>& lines)
{
    return TScriptWriter(project, lines).Write();
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
