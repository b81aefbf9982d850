#include "import/ImportKept.h"

#include "model/ScriptStyle.h"
#include "model/ScriptWriter.h"

#include <algorithm>
#include <unordered_map>

namespace {

// The entry's lines and where each begins, to find the line of an offset.
class TEntryLines {
public:
    TEntryLines(const std::string& text, std::size_t begin, std::size_t end) : Begin_(begin), End_(end)
    {
        Lines = SplitSourceLines(text.substr(begin, end - begin));
        for (std::size_t at = text.find('\n', begin); at != std::string::npos && at < end; at = text.find('\n', at + 1))
            Breaks_.push_back(at);
    }

    // The line (from 0) of the byte at offset.
    int LineOf(std::size_t offset) const
    {
        offset = std::clamp(offset, Begin_, End_);
        return static_cast<int>(std::lower_bound(Breaks_.begin(), Breaks_.end(), offset) - Breaks_.begin());
    }

    std::vector<std::string> Lines;

private:
    std::size_t Begin_, End_;
    std::vector<std::size_t> Breaks_;  // the offsets of the LFs inside the entry
};

// Deals the entry's lines out to the stretches the writer wrote, in their order: each takes the
// lines after the last one taken, up to the last line of its code; one whose code begins on a line
// already taken joins the stretch that took it, and so does one the author wrote no code for.
class TLineDealer {
public:
    explicit TLineDealer(const TEntryLines& entry) : Entry_(entry) {}

    TKeptPtr Deal(const std::optional<TCodeRange>& range, std::vector<std::string> written)
    {
        auto kept = std::make_shared<TKeptLines>();
        kept->Written = std::move(written);
        if (!range) {
            if (Head_) {
                kept->Follows = true;
                ++Head_->Joined;
            }
            return kept;
        }
        const int first = Entry_.LineOf(range->Begin);
        const int last = std::max(first, Entry_.LineOf(range->End > range->Begin ? range->End - 1 : range->Begin));
        if (Head_ && first <= Taken_) {
            kept->Follows = true;
            ++Head_->Joined;
            Take(Head_->Lines, last);
            return kept;
        }
        kept->Lead = std::max(0, first - Taken_ - 1);
        Take(kept->Lines, last);
        Head_ = kept;
        return kept;
    }

    // The lines up to the entry's end that no stretch took go with the last.
    void Rest()
    {
        if (Head_)
            Take(Head_->Lines, static_cast<int>(Entry_.Lines.size()) - 1);
    }

private:
    void Take(std::vector<std::string>& lines, int last)
    {
        for (; Taken_ < last && Taken_ + 1 < static_cast<int>(Entry_.Lines.size()); ++Taken_)
            lines.push_back(Entry_.Lines[static_cast<std::size_t>(Taken_ + 1)]);
    }

    const TEntryLines& Entry_;
    std::shared_ptr<TKeptLines> Head_;
    int Taken_ = -1;
};

// With the writer's own indent: how deep the writer put them tells a task moved to another depth.
std::vector<std::string> WrittenLines(const std::vector<std::string>& lines, const TWrittenStretch& stretch)
{
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(stretch.First);
    return {first, first + static_cast<std::ptrdiff_t>(stretch.Count)};
}

// The comment block a script written on its own opens with: the comments that lead the file, and
// for an NPC further down, those just before it, each line as written.
std::vector<std::string> HeaderLines(const TImportSource& source, const script::TTopLevel& entry)
{
    const auto& entries = source.File.Entries;
    const std::size_t fileStart = entries.empty() ? 0 : entries.front().Range.Begin.Offset;
    std::vector<std::string> lines = SplitSourceLines(source.Text.substr(0, fileStart));
    lines.pop_back();  // the NPC line's start
    std::size_t previousEnd = 0;
    for (const script::TTopLevel& other : entries)
        if (other.Range.End.Offset <= entry.Range.Begin.Offset)
            previousEnd = std::max(previousEnd, other.Range.End.Offset);
    if (previousEnd == 0)
        return lines;
    std::vector<std::string> between =
        SplitSourceLines(source.Text.substr(previousEnd, entry.Range.Begin.Offset - previousEnd));
    between.pop_back();
    if (between.empty())
        return lines;
    const auto blank = [](const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; };
    const auto first = std::find_if_not(between.begin() + 1, between.end(), blank);
    if (first != between.end())
        lines.insert(lines.end(), first, between.end());
    return lines;
}

// The header block as the writer writes it for the project, and as the file has it.
TKeptPtr KeptHeader(const TImportSource& source, const script::TTopLevel& entry, const TProject& project,
                    const std::string& mapWhenNone)
{
    std::vector<std::string> lines;
    TScriptWriter writer(project, lines);
    writer.KeepSource = false;
    writer.MapWhenNone = mapWhenNone;
    writer.Write();
    auto kept = std::make_shared<TKeptLines>();
    kept->Lines = HeaderLines(source, entry);
    kept->Written = WrittenLines(lines, writer.Stretches().front());
    return kept;
}

} // namespace

void DropKeptSource(TProject& project)
{
    project.Kept = {};
    for (int i = 0; i < project.TaskList.TaskCount(); ++i) {
        project.TaskList.TaskAt(i)->KeptHead.reset();
        project.TaskList.TaskAt(i)->KeptEnd.reset();
    }
}

void KeepImportedSource(const TImportSource& source, const script::TTopLevel& entry, const TCodeRanges& ranges,
                        TImportResult& result)
{
    TProject& project = *result.Project;
    const std::size_t begin = std::min(entry.Range.Begin.Offset, source.Text.size());
    const std::size_t end = std::clamp(entry.Range.End.Offset, begin, source.Text.size());
    const TEntryLines entryLines(source.Text, begin, end);
    std::vector<std::string> lines;
    TScriptWriter writer(project, lines);
    writer.HeaderBlock = false;
    writer.KeepSource = false;
    writer.MapWhenNone = result.OriginalMap;
    writer.Write();
    const std::size_t body = entry.Body->Range.Begin.Offset;
    const std::size_t close = entry.Body->Range.End.Offset;
    std::unordered_map<const TTask*, TTask*> tasks;
    for (int i = 0; i < project.TaskList.TaskCount(); ++i)
        tasks.emplace(project.TaskList.TaskAt(i), project.TaskList.TaskAt(i));
    TLineDealer dealer(entryLines);
    bool npcLine = true;
    for (const TWrittenStretch& stretch : writer.Stretches()) {
        std::optional<TCodeRange> range;
        if (stretch.Kind == TStretchKind::Frame)
            range = npcLine ? TCodeRange{begin, body + 1} : TCodeRange{close - 1, end};
        else if (const auto found = ranges.find(stretch.Task); found != ranges.end())
            range = stretch.Kind == TStretchKind::Head  ? found->second.Head
                    : stretch.Kind == TStretchKind::End ? found->second.End
                                                        : std::nullopt;
        TKeptPtr kept = dealer.Deal(range, WrittenLines(lines, stretch));
        if (stretch.Kind == TStretchKind::Frame) {
            (npcLine ? project.Kept.NpcLine : project.Kept.Close) = kept;
            npcLine = false;
        } else if (stretch.Kind != TStretchKind::Exit) {
            TTask* task = tasks.at(stretch.Task);
            (stretch.Kind == TStretchKind::Head ? task->KeptHead : task->KeptEnd) = kept;
        }
    }
    dealer.Rest();
    project.Kept.IndentUnit = DetectIndentUnit(entryLines.Lines);
    project.Kept.Header = KeptHeader(source, entry, project, result.OriginalMap);
    // Written unchanged, the NPC must be the entry as it stands.
    writer.KeepSource = true;
    writer.Write();
    if (lines != entryLines.Lines) {
        DropKeptSource(project);
        result.Notes.push_back("the NPC's own text is not kept: it will be written in the editor's style");
    }
}
