// Showing the output of a large project (10,000 tasks of every kind): generating the script and
// showing it coloured in the output window, next to setting the same text uncoloured into the
// same control. The coloured output should stay within twice the plain text.
//
// Two cases: the whole text shown anew (the first showing, or a project just loaded), and the
// showing after one edit of the tree, which rewrites only the lines that changed.

#include "global/DGlobal.h"
#include "tasks/DActions.h"
#include "tasks/DConditions.h"
#include "tasks/DManual.h"
#include "tasks/DMenus.h"
#include "tasks/DMessages.h"
#include "tasks/DTasks.h"
#include "ui/Form_Editor.h"
#include "ui/Form_Tasks.h"
#include "ui/QtText.h"
#include "ui/SyntaxHighlight.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QSyntaxHighlighter>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int TaskTotal = 10000;
constexpr int TasksPerGroup = 20;

template <class T>
void Attach(TTaskNode* parent, std::unique_ptr<T> task)
{
    T* raw = task.get();
    TaskTree.AddChild(parent, raw->Caption, raw);
    TaskList.RegisterTask(std::move(task));
}

std::unique_ptr<TTask> MixedTask(int i, std::int32_t group)
{
    switch (i % 5) {
    case 0:
        return std::make_unique<TMessageTask>(
            std::vector<std::string>{"Welcome, traveller number " + std::to_string(i) + "!", "How can I help?"});
    case 1: {
        auto task = std::make_unique<TActionTask>("", ActionAt(i % 19));
        for (int p = 0; p < task->ParamCount(); ++p)
            task->SetParam(p, task->Action->ParamKind(p) == PT_Map ? 0 : 100 + i);
        return task;
    }
    case 2: {
        auto condition = std::make_unique<TConTask>();
        auto zeny = std::make_unique<TConCheck>();
        zeny->Kind = 2;
        zeny->Value = i;
        zeny->Variable = FindVariable("Zeny");
        condition->AddCheck(std::move(zeny));
        condition->Target = i % 2 ? group : GroupExitTarget;
        return condition;
    }
    case 3: {
        auto menu = std::make_unique<TMenuTask>("");
        for (const char* text : {"Buy", "Sell", "Cancel"})
            menu->AddEntry(std::make_unique<TDMenu>(text, group));
        return menu;
    }
    default:
        return std::make_unique<TManualTask>(std::vector<std::string>{"set @count, @count + 1; // counted", "end;"});
    }
}

// A new project with TaskTotal tasks: groups of twenty, every third group inside the one before.
void BuildProject()
{
    NewProject();
    NPCInfo.Name = "Bench";
    TTaskNode* start = TaskTree.GetFirstNode();
    TTaskNode* group = start;
    std::int32_t number = 0;
    for (int i = 1; i < TaskTotal; ++i) {
        if (i % TasksPerGroup == 0) {
            auto created = std::make_unique<TGroupTask>("New Group");
            number = created->GroupNumber;
            TGroupTask* raw = created.get();
            Attach((i / TasksPerGroup) % 3 == 0 ? group : start, std::move(created));
            group = raw->Node;
            continue;
        }
        Attach(group, MixedTask(i, number));
    }
}

// The task window (which starts a new project), the project and the output window, made once.
void SetUpWindows()
{
    if (TaskForm)
        return;
    InitCatalogues();
    MapList.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
    InitActions();
    new TTaskForm();
    BuildProject();
    TaskForm->ShowOutput();
    QCoreApplication::processEvents();
}

void Report(benchmark::State& state)
{
    state.counters["tasks"] = TaskList.TaskCount();
    state.counters["lines"] = static_cast<double>(EditorForm->ScriptLines().size());
}

void BM_ShowOutputWholeText(benchmark::State& state)
{
    SetUpWindows();
    for (auto _ : state) {
        state.PauseTiming();
        EditorForm->ShowScript({});  // nothing shown: the next showing sets the whole text
        QCoreApplication::processEvents();
        state.ResumeTiming();
        TaskForm->ShowOutput();
        QCoreApplication::processEvents();  // the one repaint
    }
    Report(state);
}
BENCHMARK(BM_ShowOutputWholeText)->Unit(benchmark::kMillisecond);

// A message added in the middle of the tree, or taken out again, then the output shown.
void BM_ShowOutputAfterEdit(benchmark::State& state)
{
    SetUpWindows();
    TTaskNode* middle = TaskTree.Nodes()[static_cast<std::size_t>(TaskTree.Count() / 2)];
    TTaskNode* added = nullptr;
    for (auto _ : state) {
        if (added) {
            TaskTree.Delete(added);
            added = nullptr;
        } else {
            auto message = std::make_unique<TMessageTask>(std::vector<std::string>{"Just one more line."});
            added = TaskTree.Insert(middle, "Message", message.get());
            TaskList.RegisterTask(std::move(message));
        }
        TaskForm->ShowOutput();
        QCoreApplication::processEvents();
    }
    if (added)
        TaskTree.Delete(added);
    Report(state);
}
BENCHMARK(BM_ShowOutputAfterEdit)->Unit(benchmark::kMillisecond);

// The colouring alone, on the text already shown.
void BM_HighlightAll(benchmark::State& state)
{
    SetUpWindows();
    for (auto _ : state)
        HighlightAll(EditorForm->Editor());
    Report(state);
}
BENCHMARK(BM_HighlightAll)->Unit(benchmark::kMillisecond);

// The yardstick: the same text put into the same control with no colouring attached.
void BM_PlainTextSameControl(benchmark::State& state)
{
    SetUpWindows();
    QPlainTextEdit* editor = EditorForm->Editor();
    std::string joined;
    for (const std::string& line : EditorForm->ScriptLines())
        joined += line + '\n';
    joined.pop_back();
    const QString text = ToQ(joined);
    for (QSyntaxHighlighter* highlighter : editor->findChildren<QSyntaxHighlighter*>())
        highlighter->setDocument(nullptr);
    for (auto _ : state) {
        editor->setUpdatesEnabled(false);
        editor->setPlainText(text);
        editor->setUpdatesEnabled(true);
        QCoreApplication::processEvents();
    }
    Report(state);
    HighlightAll(editor);
}
BENCHMARK(BM_PlainTextSameControl)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete TaskForm;
    return 0;
}
