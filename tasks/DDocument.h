#pragma once
// The one way in for every change of the project. Windows never write into the task tree, the
// NPC record or the header themselves: they ask the document, which performs the edit, marks the
// project modified and tells every listener what changed through one signal. The title, the
// output window, the NPC window and the open editors all follow from that signal.

#include "DTasks.h"

#include "global/DGlobal.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

// What a change touched; a change may touch several parts.
enum TChangePart : unsigned {
    CP_Tree = 1u << 0,      // nodes added, deleted, moved or renamed
    CP_Task = 1u << 1,      // the content of one task (TProjectChange::Task)
    CP_Groups = 1u << 2,    // a group came, went or was renamed: group pickers must refill
    CP_NPC = 1u << 3,       // the NPC record
    CP_Header = 1u << 4,    // the header record
    CP_Replaced = 1u << 5,  // the whole project (new or loaded): everything held about it is stale
    CP_State = 1u << 6,     // only Modified or the file name: the title
};

struct TProjectChange {
    unsigned Parts = 0;
    // A short human name of the edit ("Delete group Shop", "Edit message"); empty for CP_State.
    std::string Name;
    // The task added or edited, when there is one.
    const TTask* Task = nullptr;

    bool Has(unsigned parts) const { return (Parts & parts) != 0; }
    // Everything but a change of state alters the script.
    bool ChangesScript() const { return Has(~static_cast<unsigned>(CP_State)); }
};

class TProjectDocument : public QObject {
    Q_OBJECT
public:
    // The node a new task joins: last child of the selected group, else just before the selected
    // node, else last child of the first node. The new node becomes the selected one.
    TTask* AddTask(std::unique_ptr<TTask> task);
    // The first node holds everything else and is never deleted; false for it.
    bool DeleteNode(TTaskNode* node);
    // Names the node's task by the user. An empty text, or the text the node already shows,
    // changes nothing (and returns false).
    bool RenameNode(TTaskNode* node, const std::string& text);
    // Moves node with its subtree to row among parent's children (row counted before the move);
    // false, changing nothing, when the tree refuses the move.
    bool MoveNode(TTaskNode* node, TTaskNode* parent, int row);
    // An editor's Apply: task takes over the whole content of content (a filled copy of the same
    // kind, which is not kept). The node then shows the task's caption.
    void EditTask(TTask* task, const TTask& content);
    // Each stores only a real change of value; false when nothing differed.
    bool SetNPC(const TNPC& npc);
    bool SetHeader(const TNPCHeader& header);
    // An empty project: one group "Start", default records, no file name, not modified.
    void NewProject();
    // Replaces the project by the file's (all or nothing), the file name following; Modified is
    // left as it was.
    void LoadProject(const std::string& path);
    void LoadProjectBytes(const std::string& fileName, const std::string& bytes);
    // Replaces the project by what install builds into it (an imported script, say): a new,
    // untitled project with unsaved changes. When install raises, nobody is told.
    void ReplaceProject(const std::string& name, const std::function<void()>& install);
    // Modified or the file name changed.
    void StateChanged();

signals:
    void Changed(const TProjectChange& change);

private:
    struct TEdit {
        std::string Name;
        unsigned Parts = 0;
        const TTask* Task = nullptr;
        // Performs the edit; false when it turned out to change nothing.
        std::function<bool()> Apply;
    };
    // The single path of every edit: performs it, marks the project modified when asked, and
    // tells the listeners. An edit that raises or changes nothing tells nobody.
    void Execute(const TEdit& edit, bool marksModified = true);
};

TProjectDocument& ProjectDocument();

// A new task of the same kind holding the same record (caption, content, group number).
std::unique_ptr<TTask> CopyTask(const TTask& task);

// "group", "action", "message", "condition", "menu", "manual code".
std::string KindName(TTaskKind kind);
// The text a node shows for a caption: up to 40 characters whole; otherwise the first 38
// followed by "..".
std::string ShortCaption(const std::string& text);
