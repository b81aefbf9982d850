#pragma once
// The project document: owns one project and its undo history, and is the one way in for every
// change of that project. Windows are bound to a document; they never write into the task tree,
// the NPC record or the header themselves: they ask the document, which performs the edit as one
// step of its undo history, keeps the project's Modified equal to "not at the last saved step",
// and tells every listener what changed through one signal. The title, the output window, the NPC
// window and the open editors all follow from that signal, for an undo or a redo as for the edit
// itself, and for a project replaced as a whole (New, Load, Import, a restored copy).

#include "catalogue/ServerData.h"
#include "model/Tasks.h"
#include "model/Project.h"

#include "model/Records.h"
#include "platform/TextEncoding.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <optional>
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
    // An undo or a redo: the step changed the project behind the back of whoever made it.
    bool FromHistory = false;

    bool Has(unsigned parts) const { return (Parts & parts) != 0; }
    // Everything but a change of state alters the script.
    bool ChangesScript() const { return Has(~static_cast<unsigned>(CP_State)); }
};

class TProjectStep;

class TProjectDocument : public QObject {
    Q_OBJECT
public:
    // A new, empty project, whose server data and catalogues come from servers.
    explicit TProjectDocument(std::shared_ptr<const TServers> servers);
    ~TProjectDocument() override;

    // The open project. A replacement (CP_Replaced) makes every reference to the old one stale.
    TProject& Project() { return *Project_; }
    const TProject& Project() const { return *Project_; }
    // The data of the server the project is written for now: it follows the header's target.
    const std::shared_ptr<const TServerData>& ServerData() const;
    // The servers the document was given: a new project takes their catalogues.
    const std::shared_ptr<const TServers>& Servers() const { return Servers_; }
    // Servers read after the document was made (the start-up's, once the splash has read them):
    // the next new or loaded project takes them. The open project keeps the catalogues it has.
    void UseServers(std::shared_ptr<const TServers> servers);

    // The encoding the project's bytes are shown and typed in, the document's own: a new document
    // reads Latin-1 until its maker gives it the one chosen in the settings. A change leaves the
    // bytes as they are; the windows bound to the document show them again.
    const TTextEncoding& Encoding() const { return Encoding_; }
    void SetEncoding(const TTextEncoding& encoding) { Encoding_ = encoding; }
    // Names this document among the documents of every run of the program: a task copied to the
    // clipboard carries it, so that a paste knows whether the task came from here.
    const QString& Identity() const { return Identity_; }

    // The node a new task joins: last child of the selected node when it may hold the task (a
    // group, a block; see MayHold), else just before the selected node, else last child of the
    // first node. EListError when neither place may hold the task (a branch with no if block
    // selected).
    TTask* AddTask(std::unique_ptr<TTask> task);
    // The first node holds everything else and is never deleted; false for it. Tells Deleted.
    bool DeleteNode(TTaskNode* node);
    // Names the node's task by the user. An empty text, or the text the node already shows,
    // changes nothing (and returns false).
    bool RenameNode(TTaskNode* node, const std::string& text);
    // Moves node with its subtree to row among parent's children (row counted before the move);
    // false, changing nothing, when the tree refuses the move.
    bool MoveNode(TTaskNode* node, TTaskNode* parent, int row);
    // An editor's Apply: task takes over the whole content of content (a filled copy of the same
    // kind, which is not kept). The node then shows the task's caption. Content equal to what the
    // task holds changes nothing.
    void EditTask(TTask* task, const TTask& content);
    // Each stores only a real change of value; false when nothing differed. Changes of the same
    // single NPC field one after another are one step.
    bool SetNPC(const TNPC& npc);
    bool SetHeader(const TNPCHeader& header);
    // An empty project: one group "Start", default records, no file name, not modified. The
    // history starts afresh, as for the two below.
    void NewProject();
    // Replaces the project by the file's (all or nothing), the file name following; Modified is
    // left as it was.
    void LoadProject(const std::string& path);
    void LoadProjectBytes(const std::string& fileName, const std::string& bytes,
                          TServerTarget target = DefaultTarget);
    // Makes project the open one (an imported script, say): an untitled project with unsaved
    // changes, which no undo makes clean.
    void ReplaceProject(const std::string& name, std::unique_ptr<TProject> project);
    // Makes project the open one as it stands (its file name and Modified as given): a restored
    // recovery copy.
    void AdoptProject(const std::string& name, std::unique_ptr<TProject> project);
    // Writes the project to path safely, with its target's side file; the project then has that
    // file name and counts as saved.
    void SaveProject(const std::string& path);
    // The file name changed (a save).
    void StateChanged();
    // The project now matches its file (false: a save) or no longer does (true).
    void SetModified(bool modified);

    // Takes back the last step / performs the last step taken back again. Nothing when there is
    // none. A step that cannot be replayed on the tree raises EListError and empties the history.
    void Undo();
    void Redo();
    bool CanUndo() const { return History_.canUndo(); }
    bool CanRedo() const { return History_.canRedo(); }
    // The names of the steps Undo and Redo would run ("Delete group Shop"); empty for none.
    std::string UndoName() const;
    std::string RedoName() const;
    // The history itself, for its signals (canUndoChanged, indexChanged...) and for measuring.
    const QUndoStack& History() const { return History_; }

signals:
    void Changed(const TProjectChange& change);
    // A node was deleted (not by undo or redo): its kind, its caption and the tasks below it.
    void Deleted(const std::string& kind, const std::string& caption, int tasksBelow);

private:
    // Every edit's way in: pushes the step, which performs it; the listeners hear of it once the
    // history has taken it.
    void Push(std::unique_ptr<TProjectStep> step);
    void StepRan(const TProjectStep& step, bool replayed);
    // Tells the listeners about the step that last ran, Modified following the history.
    void AnnounceStep();
    // Makes project the open one; the history starts afresh.
    void Install(std::unique_ptr<TProject> project, const std::string& name);
    template <class F>
    void RunGuarded(F&& f);

    std::shared_ptr<const TServers> Servers_;
    TTextEncoding Encoding_;
    QString Identity_;
    std::unique_ptr<TProject> Project_;
    QUndoStack History_;
    // Set while the history takes a new step.
    bool Pushing_ = false;
    std::optional<TProjectChange> Pending_;
};

// A new task of the same kind holding the same record (caption, content, group number).
std::unique_ptr<TTask> CopyTask(const TTask& task);
// A task's kind and whole record as bytes (what a copy on the clipboard holds), and a new task read
// back from them: EInOutError, naming what was wrong, for bytes that are not one whole task.
std::string TaskRecord(const TTask& task);
std::unique_ptr<TTask> TaskFromRecord(const std::string& bytes);

// "group", "action", "message", "condition", "menu", "manual code", "command", "set", "if block",
// "branch", "loop", "switch", "case", "call", "statement".
std::string KindName(TTaskKind kind);
// Whether task may stand directly below holder (nullptr: the top level, which holds nothing): a
// task that HoldsTasks, a branch only in an if block and a case only in a switch, which hold
// nothing else.
bool MayHold(const TTask* holder, const TTask& task);
// Why a task cannot go where it was to go, for the user.
std::string PlaceRule(const TTask& task);
// The text the tree window shows for a caption: up to 40 characters whole; otherwise the first 38
// followed by "..". The node itself keeps the whole caption.
std::string ShortCaption(const std::string& text);
