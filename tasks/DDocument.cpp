#include "DDocument.h"

#include "DFiles.h"

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

void TProjectDocument::Execute(const TEdit& edit, bool marksModified)
{
    if (!edit.Apply())
        return;
    TProjectChange change{edit.Parts, edit.Name, edit.Task};
    if (marksModified && !Modified) {
        Modified = true;
        change.Parts |= CP_State;
    }
    emit Changed(change);
}

TTask* TProjectDocument::AddTask(std::unique_ptr<TTask> task)
{
    if (!task)
        return nullptr;
    TTask* raw = task.get();
    const std::string name = EditName("Add", *raw);
    const unsigned parts = CP_Tree | GroupPart(*raw);
    Execute({name, parts, raw, [&task] {
                 TTask* added = task.get();
                 const std::string text = ShortCaption(added->Caption);
                 TTaskNode* selected = TaskTree.Selected();
                 TTaskNode* node = nullptr;
                 if (!selected)
                     node = TaskTree.AddChild(TaskTree.GetFirstNode(), text, added);
                 else if (selected->Data() && selected->Data()->Kind() == TTaskKind::Group)
                     node = TaskTree.AddChild(selected, text, added);
                 else
                     node = TaskTree.Insert(selected, text, added);
                 TaskList.RegisterTask(std::move(task));
                 TaskTree.Select(node);
                 return true;
             }});
    return raw;
}

bool TProjectDocument::DeleteNode(TTaskNode* node)
{
    if (!node || node == TaskTree.GetFirstNode() || !node->Data())
        return false;
    const unsigned parts = CP_Tree | (HoldsGroup(node) ? CP_Groups : 0u);
    Execute({EditName("Delete", *node->Data()), parts, nullptr, [node] {
                 TaskTree.Delete(node);
                 return true;
             }});
    return true;
}

bool TProjectDocument::RenameNode(TTaskNode* node, const std::string& text)
{
    if (!node || !node->Data() || text.empty() || text == node->Text())
        return false;
    TTask* task = node->Data();
    Execute({EditName("Rename", *task), CP_Tree | CP_Task | GroupPart(*task), task, [node, task, &text] {
                 task->Rename(text);
                 TaskTree.SetText(node, text);
                 return true;
             }});
    return true;
}

bool TProjectDocument::MoveNode(TTaskNode* node, TTaskNode* parent, int row)
{
    if (!node || !node->Data() || node == TaskTree.GetFirstNode())
        return false;
    bool moved = false;
    Execute({EditName("Move", *node->Data()), CP_Tree, node->Data(), [&] {
                 moved = TaskTree.Move(node, parent, row);
                 return moved;
             }});
    return moved;
}

void TProjectDocument::EditTask(TTask* task, const TTask& content)
{
    if (!task)
        return;
    if (content.Kind() != task->Kind())
        throw EListError("a " + KindName(content.Kind()) + " cannot replace a " + KindName(task->Kind()));
    // The record carries everything a task holds, so the live task takes it over whole and keeps
    // its identity (its node, and whoever points at it).
    TFileWriter record;
    content.SaveToFile(record);
    Execute({EditName("Edit", *task), CP_Task | CP_Tree | GroupPart(*task), task, [task, &record] {
                 TFileReader reader("the edited task", record.Bytes());
                 task->LoadFromFile(reader);
                 if (task->Node)
                     TaskTree.SetText(task->Node, ShortCaption(task->Caption));
                 return true;
             }});
}

bool TProjectDocument::SetNPC(const TNPC& npc)
{
    if (npc == NPCInfo)
        return false;
    Execute({"Edit NPC", CP_NPC, nullptr, [&npc] {
                 NPCInfo = npc;
                 return true;
             }});
    return true;
}

bool TProjectDocument::SetHeader(const TNPCHeader& header)
{
    if (header == HeaderInfo)
        return false;
    Execute({"Edit header", CP_Header, nullptr, [&header] {
                 HeaderInfo = header;
                 return true;
             }});
    return true;
}

void TProjectDocument::NewProject()
{
    Execute({"New project", CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header | CP_State, nullptr,
             [] {
                 ResetProject();
                 Modified = false;
                 return true;
             }},
            false);
}

void TProjectDocument::LoadProjectBytes(const std::string& fileName, const std::string& bytes)
{
    Execute({"Load project", CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header, nullptr,
             [&] {
                 InstallProjectBytes(fileName, bytes);
                 return true;
             }},
            false);
}

void TProjectDocument::LoadProject(const std::string& path)
{
    const std::string bytes = ReadWholeFile(path);
    const TServerTarget target = ReadProjectTarget(path);
    Execute({"Load project", CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header | CP_State, nullptr,
             [&] {
                 InstallProjectBytes(path, bytes, target);
                 ProjectFileName = path;
                 return true;
             }},
            false);
}

void TProjectDocument::ReplaceProject(const std::string& name, const std::function<void()>& install)
{
    Execute({name, CP_Replaced | CP_Tree | CP_Groups | CP_NPC | CP_Header | CP_State, nullptr,
             [&] {
                 install();
                 return true;
             }});
}

void TProjectDocument::StateChanged()
{
    emit Changed({CP_State, {}, nullptr});
}
