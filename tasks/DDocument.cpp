#include "DDocument.h"

#include "DFiles.h"
#include "DUndoSteps.h"

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
    TFileWriter record;
    task.SaveToFile(record);
    TFileReader reader("the copied task", record.Bytes());
    std::unique_ptr<TTask> copy = NewTaskOfKind(reader, static_cast<std::uint8_t>(task.Kind()));
    copy->LoadFromFile(reader);
    return copy;
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
    }
    return "task";
}

std::string ShortCaption(const std::string& text)
{
    if (text.size() <= ShortCaptionLimit)
        return text;
    return text.substr(0, ShortCaptionKept) + "..";
}

TProjectDocument& ProjectDocument()
{
    static TProjectDocument document;
    return document;
}

TProjectDocument::TProjectDocument()
{
    // The Edit menu's actions call Undo and Redo, but the history also runs its steps when it
    // is asked directly (setIndex): whatever ran is announced once the history is consistent.
    connect(&History_, &QUndoStack::indexChanged, this, [this] { AnnounceStep(); });
}

TProjectDocument::~TProjectDocument() = default;

void TProjectDocument::Push(std::unique_ptr<TProjectStep> step)
{
    step->OnRan = [this](const TProjectStep& ran, bool replayed) { StepRan(ran, replayed); };
    // The history owns a step only once its first redo has returned.
    TProjectStep* raw = step.release();
    bool taken = false;
    try {
        RunGuarded([&] {
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
    if (!Pending_)
        return;
    TProjectChange change = *Pending_;
    Pending_.reset();
    const bool modified = !History_.isClean();
    if (modified != Modified) {
        Modified = modified;
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
        Modified = true;
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

void TProjectDocument::ResetHistory(unsigned parts, const std::string& name)
{
    Pending_.reset();
    History_.clear();
    // A project that starts out unsaved (an import) has no state an undo could make clean.
    if (Modified)
        History_.resetClean();
    emit Changed({parts, name, nullptr});
}

TTask* TProjectDocument::AddTask(std::unique_ptr<TTask> task)
{
    if (!task)
        return nullptr;
    const std::string name = EditName("Add", *task);
    const unsigned parts = CP_Tree | GroupPart(*task);
    auto step = std::make_unique<TAddStep>(name, parts, std::move(task));
    TAddStep* added = step.get();
    Push(std::move(step));
    return const_cast<TTask*>(added->ChangedTask());
}

bool TProjectDocument::DeleteNode(TTaskNode* node)
{
    if (!node || node == TaskTree.GetFirstNode() || !node->Data())
        return false;
    const TTask& task = *node->Data();
    const std::string kind = KindName(task.Kind());
    const std::string caption = task.Caption;
    const unsigned parts = CP_Tree | (HoldsGroup(node) ? CP_Groups : 0u);
    auto step = std::make_unique<TDeleteStep>(EditName("Delete", task), parts, *node);
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
    Push(std::make_unique<TTaskContentStep>(EditName("Rename", task), CP_Tree | CP_Task | GroupPart(task), task,
                                            std::move(after)));
    return true;
}

bool TProjectDocument::MoveNode(TTaskNode* node, TTaskNode* parent, int row)
{
    if (!node || !node->Data() || node == TaskTree.GetFirstNode() || !TaskTree.CanMove(node, parent, row))
        return false;
    Push(std::make_unique<TMoveStep>(EditName("Move", *node->Data()), CP_Tree, *node, parent, row));
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
    after.NodeText = ShortCaption(content.Caption);
    auto step = std::make_unique<TTaskContentStep>(EditName("Edit", *task), CP_Task | CP_Tree | GroupPart(*task),
                                                   *task, std::move(after));
    if (!step->ChangesNothing())
        Push(std::move(step));
}

bool TProjectDocument::SetNPC(const TNPC& npc)
{
    if (npc == NPCInfo)
        return false;
    Push(std::make_unique<TNPCStep>("Edit NPC", CP_NPC, npc));
    return true;
}

bool TProjectDocument::SetHeader(const TNPCHeader& header)
{
    if (header == HeaderInfo)
        return false;
    Push(std::make_unique<THeaderStep>("Edit header", CP_Header, header));
    return true;
}

void TProjectDocument::NewProject()
{
    ResetProject();
    Modified = false;
    ResetHistory(CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header | CP_State, "New project");
}

void TProjectDocument::LoadProjectBytes(const std::string& fileName, const std::string& bytes, TServerTarget target)
{
    InstallProjectBytes(fileName, bytes, target);
    ResetHistory(CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header, "Load project");
}

void TProjectDocument::LoadProject(const std::string& path)
{
    const std::string bytes = ReadWholeFile(path);
    const TServerTarget target = ReadProjectTarget(path);
    InstallProjectBytes(path, bytes, target);
    ProjectFileName = path;
    ResetHistory(CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header | CP_State, "Load project");
}

void TProjectDocument::ReplaceProject(const std::string& name, const std::function<void()>& install)
{
    install();
    Modified = true;
    ResetHistory(CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header | CP_State, name);
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
    if (modified == Modified)
        return;
    Modified = modified;
    StateChanged();
}
