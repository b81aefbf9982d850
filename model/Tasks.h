#pragma once
// Task core: the task base class, groups, and the task list that owns every task of a project's
// tree. The project (Project.h) holds the list and the tree; the script writer (ScriptWriter.h)
// asks each task for its lines.

#include "model/KeptSource.h"
#include "model/TaskTree.h"

#include "catalogue/Catalogues.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TFileWriter;
class TFileReader;
class TScriptWriter;

// Tags of the task kinds in the project file.
enum class TTaskKind : std::uint8_t {
    Group = 0,
    Action = 1,
    Message = 2,
    Condition = 3,
    Menu = 4,
    Manual = 5,
    // The kinds below exist in the extended project file only (CodeTasks.h, BlockTasks.h).
    Command = 6,
    Set = 7,
    If = 8,
    Branch = 9,
    Loop = 10,
    Switch = 11,
    Case = 12,
    Call = 13,
    Statement = 14,
};
// The highest tag a project file may hold.
inline constexpr std::uint8_t LastTaskKind = static_cast<std::uint8_t>(TTaskKind::Statement);

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
    virtual void WriteScript(TScriptWriter& writer) const;
    // Called once the tasks below this one are written: a block's closing line.
    virtual void WriteScriptEnd(TScriptWriter& /*writer*/) const {}
    // True when the task's record needs the extended project file version (a kind or a field the
    // older version cannot hold).
    // catalogues: the project's, against which a map name may need writing as a name.
    virtual bool NeedsExtendedFormat(const TCatalogues& /*catalogues*/) const { return false; }
    // Whether the task may have tasks below it in the tree (a group; blocks and loops).
    virtual bool HoldsTasks() const { return false; }
    // A part of the task above it (a branch of an if, a case of a switch): its line stands at the
    // depth of the task above, the tasks below it one level deeper.
    virtual bool IsPart() const { return false; }
    // The caption the task has at its place in the tree: an unnamed branch says whether it is
    // the first of its if. Any other task keeps its caption wherever it goes.
    virtual std::string PlacedCaption(const TCatalogues& /*catalogues*/) const { return Caption; }

    void Rename(const std::string& text);
    void AssignCaption(const TTask& source);

    // Lets a holder (an editor window) learn that the task has been destroyed.
    std::weak_ptr<const void> LifeToken() const { return Life_; }

    std::uint8_t UserNamed = 0;
    TTaskNode* Node = nullptr;  // not owned
    std::string Caption;
    // What an imported task came from: its head (WriteScript's lines) and its end (WriteScriptEnd's);
    // none for a task made in the editor.
    TKeptPtr KeptHead;
    TKeptPtr KeptEnd;
    // Set by the task list when the task joins it and whenever an undo step changes the task in
    // place: a script written from the task is still current while this has not moved.
    std::uint64_t Revision = 0;

private:
    std::shared_ptr<const void> Life_ = std::make_shared<int>(0);
};

// A task of a kind the older project file cannot hold: a project with one is written in the
// extended version.
class TExtendedTask : public TTask {
public:
    bool NeedsExtendedFormat(const TCatalogues& /*catalogues*/) const override { return true; }
};

// A block of script (an if and its branches, a loop, a switch and its cases): tasks stand below it.
class TBlockTask : public TExtendedTask {
public:
    bool HoldsTasks() const override { return true; }
};

// The record of lines (a message's, a manual task's, a command's arguments): the count, then the
// lines as strings.
void SaveLines(TFileWriter& file, const std::vector<std::string>& lines);
// A count of 0 leaves lines untouched.
void LoadLines(TFileReader& file, std::vector<std::string>& lines);
// Every line followed by CR LF: the text of a message or manual caption.
std::string LinesText(const std::vector<std::string>& lines);

// A task whose body is lines of text: a message's dialogue, a manual task's script lines.
class TLinesTask : public TTask {
public:
    TLinesTask() = default;
    explicit TLinesTask(const std::vector<std::string>& lines) : Lines(lines) {}
    // Record: the lines. A record without lines means no lines, also for a task that had some.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;

    std::vector<std::string> Lines;
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
    // A new group of a project takes its number from TProject::NewGroup.
    TGroupTask(const std::string& caption, std::int32_t number) : TTask(caption), GroupNumber(number) {}

    TTaskKind Kind() const override { return TTaskKind::Group; }
    bool HoldsTasks() const override { return true; }
    // The extended record adds LabelName and NoLabel (a byte) after the group number.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;  // "<Label()>:"
    bool NeedsExtendedFormat(const TCatalogues& /*catalogues*/) const override { return !LabelName.empty() || NoLabel; }

    std::string Label() const;      // LabelName, or "L%d" when it is empty
    std::string ExitLabel() const;  // "L%dExit", whatever the label name
    // The server runs a label whose name begins with On on an event (OnTouch, OnInit, ...).
    bool IsEventLabel() const { return LabelName.starts_with("On"); }

    std::int32_t GroupNumber = 0;
    // The author's label; empty: the writer's own "L%d".
    std::string LabelName;
    // No label line is written: nothing jumps to the group (an imported NPC's start, which its
    // author never named). A jump to it is a problem of the script.
    bool NoLabel = false;
};

// Whether text may stand as a label in a script: a letter or '_', then letters, digits and '_'.
bool IsLabelText(const std::string& text);

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
    // The group whose label (Label(), or "L%u"; with includeExits also "L%uExit") equals text
    // exactly.
    TGroupTask* FindLabel(const std::string& text, bool includeExits) const;
    // Appends every group (Caption, the group) in list order.
    void FillGroupList(TStrings& strings) const;
    // The groups in list order.
    const std::vector<TGroupTask*>& Groups() const { return Groups_; }
    // Destroys every task.
    void Clear()
    {
        Tasks_.clear();
        Groups_.clear();
    }
    // The task's content changed in place: it takes a revision no task of the list had.
    void Touch(TTask& task);
    // The last revision given.
    std::uint64_t Revision() const { return Revisions_; }
    // Sets tasks to those given a revision after revision (joined or touched; some may be gone
    // since), when the list still remembers them all.
    bool TouchedSince(std::uint64_t revision, std::vector<const TTask*>& tasks) const;

private:
    void FindGroups();

    std::vector<std::unique_ptr<TTask>> Tasks_;
    // Kept beside the tasks: what reads the groups after every change (the script's labels, the
    // highlighter's words) then visits a few hundred tasks, not all of them.
    std::vector<TGroupTask*> Groups_;
    std::uint64_t Revisions_ = 0;
    // The tasks given the last revisions, oldest first: whoever keeps what it wrote from the tasks
    // finds the few a change touched without reading every task's revision. Loading a large
    // project forgets all but the last.
    std::vector<const TTask*> Touched_;
};
