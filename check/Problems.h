#pragma once
// The project's problems: what the script checker finds in the written script, traced back to
// the task that wrote each line, and what the tree itself shows to be broken (a jump to a group
// that no longer exists, an NPC or a warp without a map), which needs no script at all.

#include "model/LineChange.h"
#include "model/ScriptWriter.h"
#include "model/Tasks.h"

#include "script/IncrementalReader.h"
#include "script/KeptFindings.h"
#include "script/SyntaxTree.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TCatalogues;
class TManualTask;
class TProject;

struct TProblem {
    script::TSeverity Severity = script::TSeverity::Error;
    std::string Message;
    const TTask* Task = nullptr;  // nullptr: the header or the NPC line
    int ScriptLine = 0;           // in the written script, from 1; 0 for a finding of the tree
    int Column = 0;
    int TaskLine = -1;            // manual code: the line within its code, from 0
};

struct TProjectCheck {
    std::vector<TProblem> Problems;  // the tree's findings first, then the script's in line order
    int ErrorCount() const;
    int WarningCount() const;
    const TProblem* FirstError() const;
    // The worst finding of task, or nullptr when it has none.
    const TProblem* WorstOf(const TTask* task) const;
};

// What the tree itself shows to be broken, kept between the checks a window runs after every
// change: a task whose revision has not moved, checked against the same groups and catalogue,
// finds what it found before, so only the tasks a change touched are looked at again.
class TTreeFindings {
public:
    // Appends the tree's findings of project to out, in the tree's order. runs: a script memo's
    // runs of a write it made in part since the last call, which give the tree's tasks in order at
    // their revisions without a walk over the tree, and whose revisions tell every task changed
    // (what the memo's partial write relies on too); without them every task is checked again.
    void Check(const TProject& project, const std::vector<TNodeRun>* runs, std::vector<TProblem>& out);

private:
    struct TKept {
        const TTask* Task;
        std::uint64_t Revision;
        std::uint32_t First, Count;  // its findings in Found_
    };
    // Where task stands among the tasks kept, from Next_ on (Next_ then passes it); Tasks_.size()
    // when it was not kept.
    std::size_t Find(const TTask* task);
    // Takes task, at revision, as the next of the tree's tasks into Scratch_: kept when trusted
    // and kept at that revision.
    void Take(const TTask* task, std::uint64_t revision, bool trusted);
    // Whether the tasks' maps are looked up as in the last check.
    bool SameCatalogue(const TCatalogues& catalogues);

    const TProject* Project_ = nullptr;
    std::vector<TKept> Tasks_;  // in the tree's order
    std::vector<TKept> Scratch_;  // the last check's, its room reused
    std::vector<std::size_t> Changed_;  // the places in Scratch_ of the tasks to check again
    std::vector<TProblem> Found_;  // the findings of Tasks_, and some no task holds any more
    std::vector<std::int32_t> Groups_;  // the groups' numbers, in rising order
    const TCatalogues* Catalogue_ = nullptr;
    std::vector<bool> MapFiles_;  // whether each of the catalogue's maps has a file
    std::size_t Next_ = 0;
    std::size_t Misses_ = 0;
    bool Indexed_ = false;
    std::unordered_map<const TTask*, std::size_t> Index_;  // built only when a change moved many tasks
};

// What the checker found in the last script text it was given, kept by a window that checks after
// every change: the next text is read again only where it differs (script::TIncrementalReader),
// only the statements read again are checked again where a statement's findings are its own
// (script::TKeptFindings), and a text checked already (the output window opened on an unchanged project) is not checked
// again. The findings are the text's, for the target and the maps it was checked with; they are
// always those a check from nothing gives.
class TScriptCheckMemo {
public:
    // change, when given, says which lines differ from the lines this memo checked last (a script
    // memo's Change() for the write after the one checked): the text is then patched there
    // rather than joined and compared whole.
    const std::vector<script::TDiagnostic>& Check(const std::vector<std::string>& lines, const TProject& project,
                                                  const TLineChange* change = nullptr);
    const script::TIncrementalReader& Reader() const { return Reader_; }
    TTreeFindings& Tree() { return Tree_; }
    // Whether change can be the one from the lines checked last to lines, without being a whole
    // write's (every line anew).
    bool Follows(const TLineChange& change, std::size_t lines) const;

private:
    std::string Text(const std::vector<std::string>& lines, const TLineChange* change,
                     std::optional<script::TIncrementalReader::TEdit>& edit);

    bool Valid_ = false;
    script::TIncrementalReader Reader_;
    std::vector<std::size_t> Starts_;  // where each line of the reader's text begins, and its end
    script::TKeptFindings Kept_;
    std::unordered_set<std::string> Maps_;
    std::vector<script::TDiagnostic> Found_;
    TTreeFindings Tree_;
};

// Checks project for the target its header names, maps from the catalogue.
TProjectCheck CheckProject(const TProject& project);
// The same over a script of project's already written by GenerateScript (lines and its result);
// with a memo, a text checked last time is not checked again; change as TScriptCheckMemo::Check.
// runs: the runs of the script memo that wrote lines (TScriptMemo::Runs), with its change: the
// tree's findings are then kept for the tasks the change did not touch.
TProjectCheck CheckWrittenScript(const TProject& project, const std::vector<std::string>& lines,
                                 const TScriptResult& written, TScriptCheckMemo* memo = nullptr,
                                 const TLineChange* change = nullptr, const std::vector<TNodeRun>* runs = nullptr);

// The task's place in the tree: the node texts from the top down, joined by " > ".
std::string TaskPath(const TTask& task);

// A finding in manual code: Line from 0 within the code, Column from 1.
struct TCodeFinding {
    script::TSeverity Severity = script::TSeverity::Error;
    int Line = 0;
    int Column = 1;
    std::string Message;
};

// Checks code as it would stand in the project's script in place of task's lines (at the end
// of the script for a task not yet in the tree), so the groups' labels and the NPC around it
// count. Findings on other lines are left out.
std::vector<TCodeFinding> CheckManualCode(const TProject& project, const TManualTask* task,
                                          const std::vector<std::string>& code);
