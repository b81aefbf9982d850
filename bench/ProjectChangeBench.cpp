// One change of a large project (10,000 tasks of every kind) as the editor pays for it: the
// project document performs the edit (a message in the middle of the tree deleted, or added back
// in its place), the task tree window writes and checks the script for its problem marks, the
// output window shows the new script, and the windows repaint. With the Problems window open its
// list follows the same change.

#include "model/Records.h"
#include "BenchSupport.h"
#include "model/ActionTasks.h"
#include "document/Document.h"
#include "model/Tasks.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Problems.h"
#include "ui/Form_Tasks.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include <memory>

namespace {

TProblemsForm* Problems = nullptr;

// The first message at or after the middle of the tree that has a node after it.
TTaskNode* MiddleMessage()
{
    const auto& nodes = Project().TaskTree.Nodes();
    for (std::size_t i = nodes.size() / 2; i < nodes.size(); ++i)
        if (nodes[i]->Data() && nodes[i]->Data()->Kind() == TTaskKind::Message &&
            nodes[i]->NextSibling())
            return nodes[i];
    return nullptr;
}

// Each iteration is one change: the message deleted, or a copy of it added back before the node
// that followed it.
void ChangeOneMessage(benchmark::State& state)
{
    TTaskNode* message = MiddleMessage();
    const std::unique_ptr<TTask> saved = CopyTask(*message->Data());
    TTaskNode* follower = message->NextSibling();
    for (auto _ : state) {
        if (message) {
            Document().DeleteNode(message);
            message = nullptr;
        } else {
            Project().TaskTree.Select(follower);
            message = Document().AddTask(CopyTask(*saved))->Node;
        }
        QCoreApplication::processEvents();  // the repaint
    }
    if (!message) {
        Project().TaskTree.Select(follower);
        Document().AddTask(CopyTask(*saved));
    }
    state.counters["tasks"] = Project().TaskList.TaskCount();
    state.counters["lines"] = static_cast<double>(TaskWindow()->Output()->ScriptLines().size());
}

void BM_ChangeWithOutput(benchmark::State& state)
{
    ShowLargeProject();
    ChangeOneMessage(state);
}
BENCHMARK(BM_ChangeWithOutput)->Unit(benchmark::kMillisecond);

void BM_ChangeWithOutputAndProblems(benchmark::State& state)
{
    ShowLargeProject();
    if (!Problems) {
        Problems = new TProblemsForm(Document(), TaskWindow());
        QObject::connect(TaskWindow(), &TTaskForm::Checked, Problems, &TProblemsForm::ShowCheck);  // as View > Problems
        Problems->show();
        QCoreApplication::processEvents();
    }
    ChangeOneMessage(state);
    state.counters["problems"] = Problems->List()->topLevelItemCount();
}
BENCHMARK(BM_ChangeWithOutputAndProblems)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv, [] {
        delete Problems;
        CloseTaskWindow();
    });
}
