// Showing the output of a large project (10,000 tasks of every kind): generating the script and
// showing it coloured in the output window, next to setting the same text uncoloured into the
// same control. The coloured output should stay within twice the plain text.
//
// Two cases: the whole text shown anew (the first showing, or a project just loaded), and the
// showing after one edit of the tree, which rewrites only the lines that changed. The whole text
// shown anew colours the lines in view before the repaint and the rest in idle time; a third case
// measures it with every line coloured.

#include "model/Records.h"
#include "BenchSupport.h"
#include "model/ActionTasks.h"
#include "model/ConditionTasks.h"
#include "model/ManualTasks.h"
#include "model/MenuTasks.h"
#include "model/MessageTasks.h"
#include "model/Tasks.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Tasks.h"
#include "platform/TextEncoding.h"
#include "ui/ScriptHighlighter.h"
#include "ui/SyntaxHighlight.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>

#include <memory>
#include <string>
#include <vector>

namespace {

void Report(benchmark::State& state)
{
    state.counters["tasks"] = Project().TaskList.TaskCount();
    state.counters["lines"] = static_cast<double>(TaskWindow()->Output()->ScriptLines().size());
}

void BM_ShowOutputWholeText(benchmark::State& state)
{
    ShowLargeProject();
    for (auto _ : state) {
        state.PauseTiming();
        TaskWindow()->Output()->ShowScript(std::vector<std::string>{});  // nothing shown: the next showing sets the whole text
        QCoreApplication::processEvents();
        state.ResumeTiming();
        TaskWindow()->ShowOutput();
        QCoreApplication::processEvents();  // the one repaint
    }
    Report(state);
}
BENCHMARK(BM_ShowOutputWholeText)->Unit(benchmark::kMillisecond);

// The same, every line coloured before the repaint, as the idle time would colour them.
void BM_ShowOutputWholeTextEveryLineColoured(benchmark::State& state)
{
    ShowLargeProject();
    for (auto _ : state) {
        state.PauseTiming();
        TaskWindow()->Output()->ShowScript(std::vector<std::string>{});
        QCoreApplication::processEvents();
        state.ResumeTiming();
        TaskWindow()->ShowOutput();
        FinishColouring(TaskWindow()->Output()->Editor());
        QCoreApplication::processEvents();
    }
    Report(state);
}
BENCHMARK(BM_ShowOutputWholeTextEveryLineColoured)->Unit(benchmark::kMillisecond);

// A message added in the middle of the tree, or taken out again, then the output shown.
void BM_ShowOutputAfterEdit(benchmark::State& state)
{
    ShowLargeProject();
    TTaskNode* added = nullptr;
    for (auto _ : state) {
        added = ToggleMiddleMessage(added);
        TaskWindow()->ShowOutput();
        QCoreApplication::processEvents();
    }
    if (added)
        ToggleMiddleMessage(added);
    Report(state);
}
BENCHMARK(BM_ShowOutputAfterEdit)->Unit(benchmark::kMillisecond);

// The colouring alone, on the text already shown.
void BM_HighlightAll(benchmark::State& state)
{
    ShowLargeProject();
    for (auto _ : state)
        HighlightAll(TaskWindow()->Output()->Editor(), Document().Encoding());
    Report(state);
}
BENCHMARK(BM_HighlightAll)->Unit(benchmark::kMillisecond);

// The yardstick: the same text put into the same control with no colouring attached.
void BM_PlainTextSameControl(benchmark::State& state)
{
    ShowLargeProject();
    QPlainTextEdit* editor = TaskWindow()->Output()->Editor();
    std::string joined;
    for (const std::string& line : TaskWindow()->Output()->ScriptLines())
        joined += line + '\n';
    joined.pop_back();
    const QString text = Document().Encoding().ToQ(joined);
    delete TScriptHighlighter::Find(editor);
    for (auto _ : state) {
        editor->setUpdatesEnabled(false);
        editor->setPlainText(text);
        editor->setUpdatesEnabled(true);
        QCoreApplication::processEvents();
    }
    Report(state);
    HighlightAll(editor, Document().Encoding());
}
BENCHMARK(BM_PlainTextSameControl)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv, CloseTaskWindow);
}
