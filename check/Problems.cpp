#include "check/Problems.h"

#include "model/ManualTasks.h"

#include "model/Project.h"
#include "model/ScriptWriter.h"

#include "model/Records.h"
#include "script/Checker.h"

#include <algorithm>
#include <unordered_set>

using script::TSeverity;

namespace {

// The catalogue's maps as the checker looks them up; none loaded: the checker's own.
const std::unordered_set<std::string>* CatalogueMaps(const TCatalogues& catalogues,
                                                     std::unordered_set<std::string>& maps)
{
    if (catalogues.Maps.empty())
        return nullptr;
    for (const auto& map : catalogues.Maps)
        maps.insert(script::MapKey(map->MapFile));
    return &maps;
}

// The first line that the task which wrote line index wrote as its own code rather than as its
// caption comment.
int FirstCodeLine(const TScriptResult& written, std::size_t index)
{
    const TTask* task = written.LineTasks[index];
    std::size_t start = index;
    while (start > 0 && written.LineTasks[start - 1] == task)
        --start;
    return static_cast<int>(start) + (task && task->UserNamed == 1 ? 1 : 0);
}

} // namespace

std::string TScriptCheckMemo::Text(const std::vector<std::string>& lines, const TLineChange* change,
                                   std::optional<script::TIncrementalReader::TEdit>& edit)
{
    const std::string& old = Reader_.Text();
    // The change is trusted only where it fits both the lines checked last and these.
    const bool fits = change && Valid_ && !Starts_.empty() && Starts_.back() == old.size() &&
                      change->Fits(Starts_.size() - 1, lines.size());
    if (!fits) {
        Starts_.assign(1, 0);
        for (const std::string& line : lines)
            Starts_.push_back(Starts_.back() + line.size() + 2);
        edit.reset();
        return JoinScriptLines(lines);
    }
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(change->First);
    const std::string middle = JoinScriptLines({first, first + static_cast<std::ptrdiff_t>(change->NewCount)});
    edit = {Starts_[change->First], Starts_[change->First + change->OldCount]};
    std::string text;
    text.reserve(old.size() - (edit->OldEnd - edit->Begin) + middle.size());
    text.append(old, 0, edit->Begin).append(middle).append(old, edit->OldEnd);
    // The ends of the changed lines take the place of the old ones' ends; the lines after begin
    // as many bytes later as the change added.
    std::vector<std::size_t> ends;
    std::size_t end = edit->Begin;
    for (auto line = first; line != first + static_cast<std::ptrdiff_t>(change->NewCount); ++line)
        ends.push_back(end += line->size() + 2);
    const auto at = Starts_.begin() + static_cast<std::ptrdiff_t>(change->First + 1);
    const auto after = Starts_.insert(Starts_.erase(at, at + static_cast<std::ptrdiff_t>(change->OldCount)),
                                      ends.begin(), ends.end()) + static_cast<std::ptrdiff_t>(ends.size());
    for (auto it = after; it != Starts_.end(); ++it)
        *it = *it + middle.size() - (edit->OldEnd - edit->Begin);
    return text;
}

bool TScriptCheckMemo::Follows(const TLineChange& change, std::size_t lines) const
{
    const std::size_t old = Starts_.empty() ? 0 : Starts_.size() - 1;
    return Valid_ && change.Fits(old, lines) && !(change.First == 0 && change.OldCount == old);
}

const std::vector<script::TDiagnostic>& TScriptCheckMemo::Check(const std::vector<std::string>& lines,
                                                                const TProject& project, const TLineChange* change)
{
    std::optional<script::TIncrementalReader::TEdit> edit;
    std::string text = Text(lines, change, edit);
    std::unordered_set<std::string> maps;
    const std::unordered_set<std::string>* known = CatalogueMaps(project.Catalogues(), maps);
    const TServerTarget target = project.HeaderInfo.Target;
    // No catalogue maps (the checker then takes the target's own) is kept as an empty set: a
    // catalogue with maps never gives one.
    const bool same = edit ? edit->Same(Reader_.Text(), text) : text == Reader_.Text();
    if (Valid_ && target == Reader_.Target() && maps == Maps_ && same)
        return Found_;
    // A check that did not finish (Valid_ false) may have left findings of a text the reader no
    // longer holds.
    if (!Valid_)
        Kept_.Follow({});
    Valid_ = false;
    const script::TScriptFile& file = Reader_.Read(std::move(text), target, edit ? &*edit : nullptr);
    Kept_.Follow(Reader_.LastChange());
    // The project's script runs beside the server's own scripts: their global functions are
    // there, and a function none of them defines is what it is to npc-lint for a file alone, a
    // warning that another file may define it.
    script::TLoadState load(target);
    load.DefineShippedFunctions();
    script::TCheckOptions options;
    options.Target = target;
    options.Maps = known;
    options.Load = &load;
    options.Kept = &Kept_;
    Found_ = script::CheckScript(file, Reader_.Text(), options);
    Maps_ = std::move(maps);
    Valid_ = true;
    return Found_;
}

int TProjectCheck::ErrorCount() const
{
    return static_cast<int>(std::count_if(Problems.begin(), Problems.end(),
                                          [](const TProblem& p) { return p.Severity == TSeverity::Error; }));
}

int TProjectCheck::WarningCount() const
{
    return static_cast<int>(Problems.size()) - ErrorCount();
}

const TProblem* TProjectCheck::FirstError() const
{
    const auto found = std::find_if(Problems.begin(), Problems.end(),
                                    [](const TProblem& p) { return p.Severity == TSeverity::Error; });
    return found == Problems.end() ? nullptr : &*found;
}

const TProblem* TProjectCheck::WorstOf(const TTask* task) const
{
    const TProblem* worst = nullptr;
    for (const TProblem& problem : Problems) {
        if (problem.Task != task)
            continue;
        if (problem.Severity == TSeverity::Error)
            return &problem;
        if (!worst)
            worst = &problem;
    }
    return worst;
}

TProjectCheck CheckWrittenScript(const TProject& project, const std::vector<std::string>& lines,
                                 const TScriptResult& written, TScriptCheckMemo* memo, const TLineChange* change,
                                 const std::vector<TNodeRun>* runs)
{
    TProjectCheck check;
    const bool noMap = NpcMapFile(project.NPCInfo, project.Catalogues()).empty();
    if (noMap)
        check.Problems.push_back({TSeverity::Error, NoMapProblem, nullptr, 0, 0, -1});
    TScriptCheckMemo once;
    TScriptCheckMemo& used = memo ? *memo : once;
    used.Tree().Check(project, change && used.Follows(*change, lines.size()) ? runs : nullptr, check.Problems);
    // A task the tree already reports is broken in the script for the same reason: said once.
    std::unordered_set<const TTask*> reported;
    for (const TProblem& problem : check.Problems)
        reported.insert(problem.Task);
    for (const script::TDiagnostic& d : used.Check(lines, project, change)) {
        const auto index = static_cast<std::size_t>(std::max(d.Range.Begin.Line, 1) - 1);
        const TTask* task = index < written.LineTasks.size() ? written.LineTasks[index] : nullptr;
        if (reported.count(task))
            continue;
        TProblem problem{d.Severity, d.Message, task, d.Range.Begin.Line, d.Range.Begin.Column, -1};
        if (task && task->Kind() == TTaskKind::Manual)
            problem.TaskLine = std::max(static_cast<int>(index) - FirstCodeLine(written, index), 0);
        check.Problems.push_back(std::move(problem));
    }
    return check;
}

TProjectCheck CheckProject(const TProject& project)
{
    std::vector<std::string> lines;
    const TScriptResult written = GenerateScript(project, lines);
    return CheckWrittenScript(project, lines, written);
}

std::string TaskPath(const TTask& task)
{
    std::vector<const std::string*> texts;
    for (const TTaskNode* node = task.Node; node; node = node->Parent())
        texts.push_back(&node->Text());
    std::string path;
    for (auto it = texts.rbegin(); it != texts.rend(); ++it)
        path += (path.empty() ? "" : " > ") + **it;
    return path.empty() ? task.Caption : path;
}

std::vector<TCodeFinding> CheckManualCode(const TProject& project, const TManualTask* task,
                                          const std::vector<std::string>& code)
{
    std::vector<std::string> lines;
    const TScriptResult written = GenerateScript(project, lines);
    // Where the code stands: the task's own lines, else just before the closing brace.
    std::size_t begin = lines.empty() ? 0 : lines.size() - 1, end = begin;
    std::string indent = "\t";
    const auto own = std::find(written.LineTasks.begin(), written.LineTasks.end(), task);
    if (task && own != written.LineTasks.end()) {
        begin = static_cast<std::size_t>(own - written.LineTasks.begin()) + (task->UserNamed == 1 ? 1 : 0);
        end = begin;
        while (end < written.LineTasks.size() && written.LineTasks[end] == task)
            ++end;
        indent.assign(static_cast<std::size_t>(task->Node ? task->Node->Level() + 1 : 1), '\t');
    }
    std::vector<std::string> placed;
    for (const std::string& line : code)
        placed.push_back(indent + line);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(begin), lines.begin() + static_cast<std::ptrdiff_t>(end));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(begin), placed.begin(), placed.end());
    std::vector<TCodeFinding> found;
    TScriptCheckMemo once;
    for (const script::TDiagnostic& d : once.Check(lines, project)) {
        const int line = d.Range.Begin.Line - 1 - static_cast<int>(begin);
        if (line >= 0 && line < static_cast<int>(code.size()))
            found.push_back({d.Severity, line, std::max(d.Range.Begin.Column - static_cast<int>(indent.size()), 1), d.Message});
    }
    return found;
}
