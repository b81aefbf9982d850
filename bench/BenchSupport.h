#pragma once
// Shared pieces of the benchmark programs: a large generated project and the program entry.

#include "document/Document.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

inline constexpr int BenchTaskTotal = 10000;

// A new project of BenchTaskTotal tasks of every kind: groups of twenty, every third group inside
// the one before ("nested"), or every task directly in Start ("flat").
void BuildBenchProject(bool flat);

// The catalogues the benchmarks' document reads: the benchmarks' own object, filled in place
// before a measurement makes its project.
TCatalogues& BenchCatalogues();
std::shared_ptr<const TCatalogues> SharedBenchCatalogues();

class TTaskForm;

// The document the benchmarks work on, and its project.
TProjectDocument& Document();
TProject& Project();

// The task window (which starts a new project) on a catalogue of one map and the actions, made
// once per program.
void OpenTaskWindow();
// That window while it is open, and its end.
TTaskForm* TaskWindow();
void CloseTaskWindow();

// Once per program: the task window, the nested large project, and its script in the output
// window.
void ShowLargeProject();

// One edit of the project's tree behind the document's back, as a measurement repeats it: with
// added null, a message is added in the middle of the tree and returned; otherwise added is taken
// out again and null returned.
TTaskNode* ToggleMiddleMessage(TTaskNode* added);

// The texts of the eAthena server's own script files beside the project (../shared/data/eathena/
// npc), read once; empty when that folder is absent.
const std::vector<std::string>& ServerScripts();

// Runs the benchmarks named on the command line inside an application object (offscreen unless
// told otherwise); cleanup runs while the application still exists.
int RunBenchmarks(int argc, char** argv, const std::function<void()>& cleanup = {});
