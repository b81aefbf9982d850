#pragma once
// Task core: the task base class, groups and their numbering, the task list that owns every task
// of the tree, the global task tree, and the script writer.

#include "DTaskTree.h"

#include "global/DCatalogues.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TFileWriter;
class TFileReader;

// Tags of the task kinds in the project file.
enum class TTaskKind : std::uint8_t {
    Group = 0,
    Action = 1,
    Message = 2,
    Condition = 3,
    Menu = 4,
    Manual = 5,
};

class TTask {
public:
    TTask() = default;
    explicit TTask(std::string caption) : Caption(std::move(caption)) {}
    TTask(const TTask&) = delete;
    TTask& operator=(const TTask&) = delete;
    virtual ~TTask() = default;

    virtual TTaskKind Kind() const = 0;
    // Record: UserNamed byte, then Caption. Subclasses call this first.
    virtual void SaveToFile(TFileWriter& file) const;
    virtual void LoadFromFile(TFileReader& file);
    // "// Caption //" when user-named, on one line whatever the caption holds. Subclasses call
    // this first.
    virtual void WriteScript() const;

    void Rename(const std::string& text);
    void AssignCaption(const TTask& source);

    // Lets a holder (an editor window) learn that the task has been destroyed.
    std::weak_ptr<const void> LifeToken() const { return Life_; }

    std::uint8_t UserNamed = 0;
    TTaskNode* Node = nullptr;  // not owned
    std::string Caption;

private:
    std::shared_ptr<const void> Life_ = std::make_shared<int>(0);
};

// A pointer to a task that reads as nullptr once the task is destroyed.
template <class T>
class TTaskGuard {
public:
    TTaskGuard() = default;
    explicit TTaskGuard(T* task) : Task_(task), Life_(task ? task->LifeToken() : std::weak_ptr<const void>{}) {}
    T* get() const { return Task_ && !Life_.expired() ? Task_ : nullptr; }
    explicit operator bool() const { return get() != nullptr; }
    T* operator->() const { return get(); }

private:
    T* Task_ = nullptr;
    std::weak_ptr<const void> Life_;
};

class TGroupTask : public TTask {
public:
    // For loading: the number comes from the file.
    TGroupTask() = default;
    // A new group takes NextGroupNumber, which then goes up by one. EListError when the numbers
    // are used up.
    explicit TGroupTask(const std::string& caption);

    TTaskKind Kind() const override { return TTaskKind::Group; }
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript() const override;  // "L%d:"

    std::string Label() const;      // "L%d"
    std::string ExitLabel() const;  // "L%dExit"

    mutable std::uint8_t ExitPending = 0;  // lives only during one script generation
    std::int32_t GroupNumber = 0;
};

extern std::int32_t NextGroupNumber;

// Owns every task of the tree, in registration order.
class TTaskList {
public:
    int RegisterTask(std::unique_ptr<TTask> task);
    // Removes the task and destroys it.
    void UnregisterTask(TTask* task);
    // The same for many tasks at once, in one pass; tasks not in the list are ignored.
    void UnregisterTasks(const std::vector<TTask*>& tasks);
    int TaskCount() const { return static_cast<int>(Tasks_.size()); }
    TTask* TaskAt(int index) const { return Tasks_.at(static_cast<std::size_t>(index)).get(); }
    int IndexOf(const TTask* task) const;
    // The positions of tasks (-1 for one not in the list), in one pass over the list.
    std::vector<int> IndexesOf(const std::vector<const TTask*>& tasks) const;
    // Puts tasks back at the positions they had, in one pass: each pair is (position, task),
    // in rising order of position, each position counted with the tasks before it in place.
    void RegisterTasksAt(std::vector<std::pair<int, std::unique_ptr<TTask>>> tasks);
    TGroupTask* FindGroup(std::int32_t number) const;
    // The group whose "L%u" (or, with includeExits, "L%uExit") equals text exactly.
    TGroupTask* FindLabel(const std::string& text, bool includeExits) const;
    // Appends every group (Caption, the group) in list order.
    void FillGroupList(TStrings& strings) const;
    // Destroys every task.
    void Clear() { Tasks_.clear(); }

private:
    std::vector<std::unique_ptr<TTask>> Tasks_;
};

extern TTaskList TaskList;
// The current project's task tree. Deleting a node unregisters its task from TaskList.
extern TTaskTree TaskTree;

// Adds a node for task as the last child of parent (nullptr: the top level), with the task's full
// caption as its text, and registers the task: how a task joins the project.
template <class T>
T* AttachTask(TTaskNode* parent, std::unique_ptr<T> task)
{
    T* raw = task.get();
    TaskTree.AddChild(parent, raw->Caption, raw);
    TaskList.RegisterTask(std::move(task));
    return raw;
}

// ---- Script writer -------------------------------------------------------------------------

// Writer state; valid during one GenerateScript run, keeps its last values afterwards.
extern std::vector<std::string>* OutputLines;
extern std::int32_t CurrentLevel;
extern TGroupTask* CurrentGroup;
extern bool NeedSpeakerLine;

// What a run found that makes the script unfit for the server (for example an NPC without a
// map). The script is written anyway, with the gap left empty.
struct TScriptResult {
    std::vector<std::string> Problems;
    // The task that wrote each line, by line number from 0; nullptr for the lines of the script's
    // frame (header, NPC line, closing brace). The tasks belong to the project: a holder that
    // outlives a change of the tree keeps TTaskGuards instead.
    std::vector<const TTask*> LineTasks;
    bool HasProblems() const { return !Problems.empty(); }
};

inline const char* const NoMapProblem = "The NPC has no map: choose one in NPC Information.";

void AddScriptLine(int level, const std::string& text);
void AddTaskLine(const TTask& task, const std::string& text);
// Records a problem of the running generation (each distinct message once).
void AddScriptProblem(const std::string& message);
void UpdateCurrentGroup(const TTaskNode& node);
void FinishGroup(TGroupTask& group);
// Writes the whole script of the current project (header, NPC line, the tree, labels) into lines,
// replacing what they held.
TScriptResult GenerateScript(const TTaskTree& tree, std::vector<std::string>& lines);
// The same, as one text with CR LF after every line (the form of the .txt file).
std::string JoinScriptLines(const std::vector<std::string>& lines);
