#pragma once
// Shared ground of the task-kind and project tests (on top of ModelFixture): byte builders for
// records, task builders, a project with every task kind, and a snapshot of the whole project
// state.

#include "ModelFixture.h"
#include "DocumentSupport.h"

#include "model/ActionTasks.h"
#include "model/ConditionTasks.h"
#include "model/ProjectFile.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "model/Tasks.h"
#include "model/ScriptWriter.h"

#include "model/Records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The small catalogues and a new project, with no writer state left from an earlier test.
class TaskTest : public ModelTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Little-endian 32-bit integer as 4 bytes.
std::string Int32(std::int32_t value);
// The string record: 4-byte length, then the bytes.
std::string Str(const std::string& text);
// Bytes from a list of byte values (0..255).
std::string Bytes(std::initializer_list<int> values);

// The task's record as a file of version writes it.
std::string RecordOf(const TTask& task, std::int32_t version = ProjectFileVersion);

// A task of type T read from a record; the record must be consumed exactly.
template <class T>
std::unique_ptr<T> TaskFromRecord(const std::string& bytes)
{
    auto task = std::make_unique<T>();
    TFileReader file("record", bytes);
    task->LoadFromFile(file);
    EXPECT_TRUE(file.AtEnd()) << "record not consumed: " << file.Remaining() << " bytes left";
    return task;
}

// The lines one task writes, as a child of a level-0 group (so with two leading tabs), outside a
// whole-script run. The speaker flag is set as given.
std::vector<std::string> LinesOf(const TTask& task, bool needSpeakerLine = false);

// Registers task and adds its node as the last child of parent (a group node); returns the task.
template <class T>
T* AddTask(TTaskNode* parent, std::unique_ptr<T> task)
{
    return Project().AttachTask(parent, std::move(task));
}
TTaskNode* StartNode();

std::unique_ptr<TActionTask> MakeAction(int index, std::vector<std::int32_t> params);
std::unique_ptr<TConCheck> Comparison(std::int32_t kind, const std::string& variable, std::int32_t value);
std::unique_ptr<TConCheck> ItemComparison(std::int32_t kind, int actionIndex, std::vector<std::int32_t> params,
                                          std::int32_t value);
std::unique_ptr<TConCheck> Joiner(std::int32_t kind);
// A check that is the free expression text.
std::unique_ptr<TConCheck> ExpressionCheck(const std::string& text);
std::unique_ptr<TMenuTask> MakeMenu(std::vector<std::pair<std::string, std::int32_t>> entries);

// The whole script of the current project, one entry per line.
std::vector<std::string> ScriptLines();
std::vector<std::string> ScriptLines(std::vector<std::string>& problems);

// Everything a load may change, as text: tree shape with node texts and task records (all their
// fields, as the extended version writes them), Project().TaskList
// order (a load registers in display order, so a round trip may change it), header and NPC
// records, the group counter, file name and modified flag.
std::string ProjectSnapshot(bool withListOrder = true);
// The task objects and nodes in tree order, to prove that a failed load kept the very same ones.
std::vector<const void*> ProjectIdentity();

// A project with every task kind, nested groups, user-named tasks, empty lines, blank-edged lines
// and every byte value 1..255 in captions.
void BuildEveryKindProject();
