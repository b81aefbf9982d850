// Undo and redo of one step on a large project (10,000 tasks of every kind), as the editor pays for
// it: the step itself, then everything that follows the project document (the task window's
// script, check and marks, and the open output window). Each iteration runs one undo or one redo,
// alternately. Argument 0 measures the step alone, with nobody listening to the document; 1 with
// the windows following. The counter "step bytes" is what the history keeps for a delete.

#include "model/Records.h"
#include "BenchSupport.h"
#include "model/ActionTasks.h"
#include "document/Document.h"
#include "model/ProjectFile.h"
#include "model/MessageTasks.h"
#include "model/Tasks.h"
#include "document/UndoSteps.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Tasks.h"
#include "ui/SyntaxHighlight.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <functional>
#include <memory>

namespace {

void SetUpWindows()
{
    OpenTaskWindow();
    BuildBenchProject(false);
    Document().LoadProjectBytes("bench", SaveProjectBytes(Project()));
    TaskWindow()->ShowOutput();
    FinishColouring(TaskWindow()->Output()->Editor());  // as the idle time leaves it
    QCoreApplication::processEvents();
}

TTaskNode* MiddleNode(TTaskKind kind)
{
    const std::vector<TTaskNode*> nodes = Project().TaskTree.Nodes();
    for (std::size_t i = nodes.size() / 2; i < nodes.size(); ++i) {
        if (nodes[i]->Data()->Kind() == kind)
            return nodes[i];
    }
    return nullptr;
}

// Makes the step once, then times its undo and redo in turn.
void RunStep(benchmark::State& state, const std::function<void()>& step)
{
    SetUpWindows();
    step();
    QCoreApplication::processEvents();
    const auto* made = dynamic_cast<const TDeleteStep*>(Document().History().command(0));
    bool undone = false;
    const bool windows = state.range(0) != 0;
    Document().blockSignals(!windows);
    for (auto _ : state) {
        if (undone)
            Document().Redo();
        else
            Document().Undo();
        undone = !undone;
        QCoreApplication::processEvents();
    }
    Document().blockSignals(false);
    state.counters["tasks"] = Project().TaskList.TaskCount();
    if (made)
        state.counters["step bytes"] = static_cast<double>(made->ByteSize());
}

void BM_UndoRedoDeleteMessage(benchmark::State& state)
{
    RunStep(state, [] { Document().DeleteNode(MiddleNode(TTaskKind::Message)); });
}
BENCHMARK(BM_UndoRedoDeleteMessage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_UndoRedoDeleteGroup(benchmark::State& state)
{
    RunStep(state, [] { Document().DeleteNode(MiddleNode(TTaskKind::Group)); });
}
BENCHMARK(BM_UndoRedoDeleteGroup)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_UndoRedoMoveToTop(benchmark::State& state)
{
    RunStep(state, [] { Document().MoveNode(MiddleNode(TTaskKind::Message), Project().TaskTree.GetFirstNode(), 0); });
}
BENCHMARK(BM_UndoRedoMoveToTop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_UndoRedoEditMessage(benchmark::State& state)
{
    RunStep(state, [] {
        TTask* message = MiddleNode(TTaskKind::Message)->Data();
        auto content = CopyTask(*message);
        static_cast<TMessageTask&>(*content).Lines.push_back("One more line.");
        Document().EditTask(message, *content);
    });
}
BENCHMARK(BM_UndoRedoEditMessage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv, CloseTaskWindow);
}
