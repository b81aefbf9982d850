#include "document/Document.h"

#include "model/ProjectFile.h"
#include "document/UndoRecords.h"
#include "document/UndoSteps.h"

#include <QScopedValueRollback>
#include <QUuid>

#include <stdexcept>

namespace {

constexpr std::size_t ShortCaptionLimit = 40;
constexpr std::size_t ShortCaptionKept = 38;

// "Delete group Shop" names the group; other kinds are named by their kind alone, their
// captions being long generated texts.
std::string EditName(const std::string& verb, const TTask& task)
{
    if (task.Kind() == TTaskKind::Group)
        return verb + " group " + task.Caption;
    return verb + " " + KindName(task.Kind());
}

bool HoldsGroup(const TTaskNode* node)
{
    for (const TTaskNode* n = node; n && node->Contains(n); n = n->GetNext()) {
        if (n->Data() && n->Data()->Kind() == TTaskKind::Group)
            return true;
    }
    return false;
}

unsigned GroupPart(const TTask& task)
{
    return task.Kind() == TTaskKind::Group ? CP_Groups : 0u;
}

}  // namespace

std::unique_ptr<TTask> CopyTask(const TTask& task)
{
    return TaskFromRecord(TaskRecord(task));
}

std::string TaskRecord(const TTask& task)
{
    TFileWriter record = MemoryRecordWriter("the copied task");
    record.WriteByte(static_cast<std::uint8_t>(task.Kind()));
    task.SaveToFile(record);
    return record.Bytes();
}

std::unique_ptr<TTask> TaskFromRecord(const std::string& bytes)
{
    TFileReader reader = MemoryRecordReader("the copied task", bytes);
    std::unique_ptr<TTask> task = NewTaskOfKind(reader, reader.ReadByte());
    task->LoadFromFile(reader);
    if (!reader.AtEnd())
        reader.Fail("bytes follow the task's record");
    return task;
}

std::string KindName(TTaskKind kind)
{
    switch (kind) {
    case TTaskKind::Group: return "group";
    case TTaskKind::Action: return "action";
    case TTaskKind::Message: return "message";
    case TTaskKind::Condition: return "condition";
    case TTaskKind::Menu: return "menu";
    case TTaskKind::Manual: return "manual code";
    case TTaskKind::Command: return "command";
    case TTaskKind::Set: return "set";
    case TTaskKind::If: return "if block";
    case TTaskKind::Branch: return "branch";
    case TTaskKind::Loop: return "loop";
    case TTaskKind::Switch: return "switch";
    case TTaskKind::Case: return "case";
    case TTaskKind::Call: return "call";
    case TTaskKind::Statement: return "statement";
    }
    return "task";
}

bool MayHold(const TTask* holder, const TTask& task)
{
    if (!holder || !holder->HoldsTasks())
        return false;
    // A branch means something only as a part of an if, a case only of a switch; and an if or a
    // switch is made of its parts alone, so nothing else stands between them.
    const bool holdsParts = holder->Kind() == TTaskKind::If || holder->Kind() == TTaskKind::Switch;
    if (task.Kind() == TTaskKind::Branch)
        return holder->Kind() == TTaskKind::If;
    if (task.Kind() == TTaskKind::Case)
        return holder->Kind() == TTaskKind::Switch;
    return !holdsParts;
}

std::string PlaceRule(const TTask& task)
{
    switch (task.Kind()) {
    case TTaskKind::Branch: return "A branch goes into an if block: select the if block or one of its branches.";
    case TTaskKind::Case: return "A case goes into a switch: select the switch or one of its cases.";
    default: return "An if block holds only branches and a switch only cases: select a task outside them.";
    }
}

std::string ShortCaption(const std::string& text)
{
    if (text.size() <= ShortCaptionLimit)
        return text;
    return text.substr(0, ShortCaptionKept) + "..";
}

TProjectDocument::TProjectDocument(std::shared_ptr<const TServers> servers)
    : Servers_(servers ? std::move(servers) : throw std::invalid_argument("a document needs its servers")),
      Identity_(QUuid::createUuid().toString(QUuid::WithoutBraces)),
      Project_(std::make_unique<TProject>(Servers_->Catalogues()))
{
    // The Edit menu's actions call Undo and Redo, but the history also runs its steps when it
    // is asked directly (setIndex): whatever ran is announced once the history is consistent.
    connect(&History_, &QUndoStack::indexChanged, this, [this] { AnnounceStep(); });
}

const std::shared_ptr<const TServerData>& TProjectDocument::ServerData() const
{
    return Servers_->For(Project_->HeaderInfo.Target);
}

void TProjectDocument::UseServers(std::shared_ptr<const TServers> servers)
{
    if (!servers)
        throw std::invalid_argument("a document needs its servers");
    Servers_ = std::move(servers);
}

TProjectDocument::~TProjectDocument()
{
    // The steps point into the project: they go first.
    History_.clear();
}

void TProjectDocument::Push(std::unique_ptr<TProjectStep> step)
{
    step->OnRan = [this](const TProjectStep& ran, bool replayed) { StepRan(ran, replayed); };
    // The history owns a step once its first redo has returned; nobody is told anything before
    // push has returned, so whatever a listener does cannot come back through push.
    TProjectStep* raw = step.release();
    bool taken = false;
    try {
        RunGuarded([&] {
            const QScopedValueRollback<bool> pushing(Pushing_, true);
            History_.push(raw);
            taken = true;
        });
    } catch (...) {
        if (!taken)
            delete raw;
        throw;
    }
    AnnounceStep();
}

void TProjectDocument::StepRan(const TProjectStep& step, bool replayed)
{
    Pending_ = TProjectChange{step.Parts(), step.Name(), step.ChangedTask(), replayed};
}

void TProjectDocument::AnnounceStep()
{
    if (!Pending_ || Pushing_)
        return;
    TProjectChange change = *Pending_;
    Pending_.reset();
    const bool modified = !History_.isClean();
    if (modified != Project_->Modified) {
        Project_->Modified = modified;
        change.Parts |= CP_State;
    }
    emit Changed(change);
}

// A step that raises leaves the tree somewhere between two states the history knows: the
// history is no longer to be trusted, so it goes, and the project counts as unsaved.
template <class F>
void TProjectDocument::RunGuarded(F&& f)
{
    try {
        f();
    } catch (...) {
        Pending_.reset();
        History_.clear();
        History_.resetClean();
        Project_->Modified = true;
        emit Changed({CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header | CP_State, "Undo", nullptr});
        throw;
    }
}

void TProjectDocument::Undo()
{
    if (History_.canUndo())
        RunGuarded([this] { History_.undo(); });
    AnnounceStep();
}

void TProjectDocument::Redo()
{
    if (History_.canRedo())
        RunGuarded([this] { History_.redo(); });
    AnnounceStep();
}

std::string TProjectDocument::UndoName() const
{
    const auto* step = History_.canUndo() ? dynamic_cast<const TProjectStep*>(History_.command(History_.index() - 1)) : nullptr;
    return step ? step->Name() : std::string();
}

std::string TProjectDocument::RedoName() const
{
    const auto* step = History_.canRedo() ? dynamic_cast<const TProjectStep*>(History_.command(History_.index())) : nullptr;
    return step ? step->Name() : std::string();
}

void TProjectDocument::Install(std::unique_ptr<TProject> project, const std::string& name)
{
    Pending_.reset();
    // The steps point into the old project: they go before it does.
    History_.clear();
    History_.setClean();
    // A project that starts out unsaved (an import) has no state an undo could make clean.
    if (project->Modified)
        History_.resetClean();
    // The old project lives until everyone has heard of the new one: a view lets go of it then.
    const std::unique_ptr<TProject> old = std::exchange(Project_, std::move(project));
    emit Changed({CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header | CP_State, name, nullptr});
}

TTask* TProjectDocument::AddTask(std::unique_ptr<TTask> task)
{
    if (!task)
        return nullptr;
    const std::string name = EditName("Add", *task);
    const unsigned parts = CP_Tree | GroupPart(*task);
    auto step = std::make_unique<TAddStep>(*Project_, name, parts, std::move(task));
    TAddStep* added = step.get();
    Push(std::move(step));
    return const_cast<TTask*>(added->ChangedTask());
}

bool TProjectDocument::DeleteNode(TTaskNode* node)
{
    if (!node || node == Project_->TaskTree.GetFirstNode() || !node->Data())
        return false;
    const TTask& task = *node->Data();
    const std::string kind = KindName(task.Kind());
    const std::string caption = task.Caption;
    const unsigned parts = CP_Tree | (HoldsGroup(node) ? CP_Groups : 0u);
    auto step = std::make_unique<TDeleteStep>(*Project_, EditName("Delete", task), parts, *node);
    const int below = step->TasksBelow();
    Push(std::move(step));
    emit Deleted(kind, caption, below);
    return true;
}

bool TProjectDocument::RenameNode(TTaskNode* node, const std::string& text)
{
    if (!node || !node->Data() || text.empty() || text == node->Text())
        return false;
    const TTask& task = *node->Data();
    std::unique_ptr<TTask> renamed = CopyTask(task);
    renamed->Rename(text);
    TTaskState after = TTaskState::Of(*renamed);
    after.NodeText = text;
    Push(std::make_unique<TTaskContentStep>(*Project_, EditName("Rename", task), CP_Tree | CP_Task | GroupPart(task),
                                            task, std::move(after)));
    return true;
}

bool TProjectDocument::MoveNode(TTaskNode* node, TTaskNode* parent, int row)
{
    const TTaskTree& tree = Project_->TaskTree;
    if (!node || !node->Data() || node == tree.GetFirstNode() || !tree.CanMove(node, parent, row))
        return false;
    // Only holders take tasks, each the kinds it may hold: a tree with a task below another kind
    // cannot be saved.
    if (!MayHold(parent ? parent->Data() : nullptr, *node->Data()))
        return false;
    Push(std::make_unique<TMoveStep>(*Project_, EditName("Move", *node->Data()), CP_Tree, *node, parent, row));
    return true;
}

void TProjectDocument::EditTask(TTask* task, const TTask& content)
{
    if (!task)
        return;
    if (content.Kind() != task->Kind())
        throw EListError("a " + KindName(content.Kind()) + " cannot replace a " + KindName(task->Kind()));
    // The record carries everything a task holds, so the live task takes it over whole and keeps
    // its identity (its node, and whoever points at it).
    TTaskState after = TTaskState::Of(content);
    after.NodeText = content.Caption;
    auto step = std::make_unique<TTaskContentStep>(*Project_, EditName("Edit", *task),
                                                   CP_Task | CP_Tree | GroupPart(*task), *task, std::move(after));
    if (!step->ChangesNothing())
        Push(std::move(step));
}

bool TProjectDocument::SetNPC(const TNPC& npc)
{
    if (npc == Project_->NPCInfo)
        return false;
    Push(std::make_unique<TNPCStep>(*Project_, NPCEditName(Project_->NPCInfo, npc), CP_NPC, npc));
    return true;
}

bool TProjectDocument::SetHeader(const TNPCHeader& header)
{
    if (header == Project_->HeaderInfo)
        return false;
    Push(std::make_unique<THeaderStep>(*Project_, "Edit header", CP_Header, header));
    return true;
}

void TProjectDocument::NewProject()
{
    Install(std::make_unique<TProject>(Servers_->Catalogues()), "New project");
}

void TProjectDocument::LoadProjectBytes(const std::string& fileName, const std::string& bytes, TServerTarget target)
{
    std::unique_ptr<TProject> project = ReadProjectBytes(fileName, bytes, Servers_->Catalogues(), target);
    project->ProjectFileName = Project_->ProjectFileName;
    Install(std::move(project), "Load project");
}

void TProjectDocument::LoadProject(const std::string& path)
{
    Install(ReadProjectFile(path, Servers_->Catalogues()), "Load project");
}

void TProjectDocument::ReplaceProject(const std::string& name, std::unique_ptr<TProject> project)
{
    project->ProjectFileName.clear();
    project->Modified = true;
    Install(std::move(project), name);
}

void TProjectDocument::AdoptProject(const std::string& name, std::unique_ptr<TProject> project)
{
    Install(std::move(project), name);
}

void TProjectDocument::SaveProject(const std::string& path)
{
    WriteProjectFile(*Project_, path);
    Project_->ProjectFileName = path;
    if (Project_->Modified)
        SetModified(false);
    else
        StateChanged();
}

void TProjectDocument::StateChanged()
{
    emit Changed({CP_State, {}, nullptr});
}

void TProjectDocument::SetModified(bool modified)
{
    if (modified)
        History_.resetClean();
    else
        History_.setClean();
    if (modified == Project_->Modified)
        return;
    Project_->Modified = modified;
    StateChanged();
}
