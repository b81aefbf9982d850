#pragma once
// The project's problems: what the script checker finds in the written script, traced back to
// the task that wrote each line, and what the tree itself shows to be broken (a jump to a group
// that no longer exists, an NPC or a warp without a map), which needs no script at all.

#include "model/LineChange.h"
#include "model/Tasks.h"

#include "script/IncrementalReader.h"
#include "script/KeptFindings.h"
#include "script/SyntaxTree.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

class TManualTask;
class TProject;
struct TScriptResult;

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

private:
    std::string Text(const std::vector<std::string>& lines, const TLineChange* change,
                     std::optional<script::TIncrementalReader::TEdit>& edit);

    bool Valid_ = false;
    script::TIncrementalReader Reader_;
    std::vector<std::size_t> Starts_;  // where each line of the reader's text begins, and its end
    script::TKeptFindings Kept_;
    std::unordered_set<std::string> Maps_;
    std::vector<script::TDiagnostic> Found_;
};

// Checks project for the target its header names, maps from the catalogue.
TProjectCheck CheckProject(const TProject& project);
// The same over a script of project's already written by GenerateScript (lines and its result);
// with a memo, a text checked last time is not checked again; change as TScriptCheckMemo::Check.
TProjectCheck CheckWrittenScript(const TProject& project, const std::vector<std::string>& lines,
                                 const TScriptResult& written, TScriptCheckMemo* memo = nullptr,
                                 const TLineChange* change = nullptr);

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
