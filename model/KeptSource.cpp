#include "model/KeptSource.h"

#include "model/ProjectFile.h"
#include "model/ScriptStyle.h"
#include "model/Tasks.h"

#include <algorithm>
#include <optional>
#include <string_view>

bool TKeptFrame::operator==(const TKeptFrame& other) const
{
    const auto same = [](const TKeptPtr& a, const TKeptPtr& b) { return a == b || (a && b && *a == *b); };
    return same(Header, other.Header) && same(NpcLine, other.NpcLine) && same(Close, other.Close) &&
           IndentUnit == other.IndentUnit;
}

namespace {

int LevelOf(const std::string& line)
{
    return static_cast<int>(std::min(line.find_first_not_of('\t'), line.size()));
}

// Two written lines alike but for the tabs they are indented with.
bool SameText(std::string_view a, std::string_view b)
{
    const auto text = [](std::string_view line) { return line.substr(std::min(line.find_first_not_of('\t'), line.size())); };
    return text(a) == text(b);
}

std::string LeadingBlanks(const std::string& line)
{
    return line.substr(0, std::min(line.find_first_not_of(" \t"), line.size()));
}

// Where a written line's depth is measured from: a kept line's indent, at the writer's level.
struct TAnchor {
    std::string Indent;
    int Level = 1;  // the writer's labels stand at level 1, the NPC's body one level deeper
};

// Above this many lines a changed stretch is written whole: its lines are not matched one by one.
constexpr std::size_t MaxMatchedLines = 400;

class TKeptApplier {
public:
    TKeptApplier(const std::vector<std::string>& lines, const std::vector<const TTask*>& tasks, std::string unit,
                 script::TTarget target)
        : In_(lines), InTasks_(tasks), Unit_(std::move(unit)), Target_(target)
    {
    }

    void Run(const std::vector<TWrittenStretch>& stretches)
    {
        Stretches_ = &stretches;
        for (std::size_t i = 0; i < stretches.size(); ++i) {
            const TWrittenStretch& s = stretches[i];
            const TKeptLines* kept = s.Kept;
            if (kept && !kept->Follows && UnitUnchanged(stretches, i)) {
                const int shift = Shift(*kept, s, In_);
                Anchor(*kept, s, shift);
                for (const std::string& line : kept->Lines)
                    Emit(Shifted(line, shift), s.Task);
                i += static_cast<std::size_t>(kept->Joined);
            } else if (kept && !kept->Follows) {
                Changed(*kept, s, OwnsItsLines(stretches, i));
            } else {
                for (std::size_t k = 0; k < s.Count; ++k)
                    Styled(s.First + k);
            }
        }
    }

    std::vector<std::string> Lines;
    std::vector<const TTask*> Tasks;

private:
    bool Unchanged(const TKeptLines& kept, const TWrittenStretch& s) const
    {
        if (s.Count != kept.Written.size())
            return false;
        for (std::size_t k = 0; k < s.Count; ++k)
            if (!SameText(In_[s.First + k], kept.Written[k]))
                return false;
        return true;
    }

    // How many levels deeper the writer puts the stretch than it did at import: a task moved to
    // another depth takes its lines there. Kept lines without the writer's indent (a project saved
    // before it was kept) and the frame's (at level 0) stay where they are.
    static int Shift(const TKeptLines& kept, const TWrittenStretch& s, const std::vector<std::string>& in)
    {
        if (s.Count == 0 || kept.Written.empty() || LevelOf(kept.Written.front()) == 0)
            return 0;
        return LevelOf(in[s.First]) - LevelOf(kept.Written.front());
    }

    // A kept line shift levels deeper (or shallower) in the NPC's indent unit; blank lines as they are.
    std::string Shifted(const std::string& line, int shift) const
    {
        if (shift == 0 || line.find_first_not_of(" \t") == std::string::npos)
            return line;
        std::string out = line;
        for (int k = 0; k < shift; ++k)
            out.insert(0, Unit_);
        for (int k = shift; k < 0 && out.starts_with(Unit_); ++k)
            out.erase(0, Unit_.size());
        return out;
    }

    // The stretch at i and those joined to it are all written as at import.
    bool UnitUnchanged(const std::vector<TWrittenStretch>& stretches, std::size_t i) const
    {
        const auto joined = static_cast<std::size_t>(stretches[i].Kept->Joined);
        if (i + joined >= stretches.size() || !Unchanged(*stretches[i].Kept, stretches[i]))
            return false;
        for (std::size_t k = i + 1; k <= i + joined; ++k)
            if (!stretches[k].Kept || !stretches[k].Kept->Follows || !Unchanged(*stretches[k].Kept, stretches[k]))
                return false;
        return true;
    }

    // The stretches joined to the one at i wrote nothing at import: its lines are its own alone.
    static bool OwnsItsLines(const std::vector<TWrittenStretch>& stretches, std::size_t i)
    {
        const std::size_t last = std::min(i + static_cast<std::size_t>(stretches[i].Kept->Joined), stretches.size() - 1);
        for (std::size_t k = i + 1; k <= last; ++k)
            if (!stretches[k].Kept || !stretches[k].Kept->Written.empty())
                return false;
        return true;
    }

    void Anchor(const TKeptLines& kept, const TWrittenStretch& s, int shift)
    {
        const auto lead = static_cast<std::size_t>(kept.Lead);
        if (s.Count > 0 && lead < kept.Lines.size())
            Anchor_ = {LeadingBlanks(Shifted(kept.Lines[lead], shift)), LevelOf(In_[s.First])};
    }

    // A stretch written otherwise than at import: the comments before it stay, and so do the lines
    // of its code the writer still writes as it did when they correspond one to one.
    void Changed(const TKeptLines& kept, const TWrittenStretch& s, bool ownLines)
    {
        const auto lead = static_cast<std::size_t>(std::min<std::size_t>(kept.Lead, kept.Lines.size()));
        const int shift = Shift(kept, s, In_);
        for (std::size_t k = 0; k < lead; ++k)
            Emit(Shifted(kept.Lines[k], shift), s.Task);
        Anchor(kept, s, shift);
        const std::size_t old = kept.Written.size();
        if (!ownLines || kept.Lines.size() - lead != old || old > MaxMatchedLines || s.Count > MaxMatchedLines) {
            for (std::size_t k = 0; k < s.Count; ++k)
                Styled(s.First + k);
            return;
        }
        // The longest common run of lines between the old written lines and the new ones.
        const std::size_t n = s.Count;
        std::vector<std::vector<std::uint16_t>> common(n + 1, std::vector<std::uint16_t>(old + 1, 0));
        for (std::size_t a = n; a-- > 0;)
            for (std::size_t b = old; b-- > 0;)
                common[a][b] = SameText(In_[s.First + a], kept.Written[b])
                                   ? static_cast<std::uint16_t>(common[a + 1][b + 1] + 1)
                                   : std::max(common[a + 1][b], common[a][b + 1]);
        std::size_t a = 0, b = 0;
        while (a < n) {
            if (b < old && SameText(In_[s.First + a], kept.Written[b])) {
                Emit(Shifted(kept.Lines[lead + b], shift), s.Task);
                ++a, ++b;
            } else if (b < old && common[a][b + 1] >= common[a + 1][b]) {
                ++b;
            } else {
                Styled(s.First + a++);
            }
        }
    }

    // A written line in the NPC's indent unit, as deep below the anchor as the writer put it, and
    // in the NPC's style. A group writes labels and comments, and manual code is the user's own
    // text: those stand as written.
    void Styled(std::size_t line)
    {
        const std::string& text = In_[line];
        const int level = LevelOf(text);
        std::string indent = Anchor_.Indent;
        for (int k = Anchor_.Level; k < level; ++k)
            indent += Unit_;
        for (int k = level; k < Anchor_.Level; ++k)
            indent.erase(indent.size() >= Unit_.size() && indent.ends_with(Unit_) ? indent.size() - Unit_.size() : 0);
        const TTask* task = InTasks_[line];
        const std::string body = text.substr(static_cast<std::size_t>(level));
        if (!task || task->Kind() == TTaskKind::Group || task->Kind() == TTaskKind::Manual) {
            Emit(indent + body, task);
            return;
        }
        for (const std::string& part : RestyleLine(body, Style(), Target_))
            Emit(indent + part, task);
    }

    // The NPC's style, read from all its kept lines when a line first needs it.
    const TScriptStyle& Style()
    {
        if (!Style_) {
            std::vector<std::string> kept;
            // The frame's lines are not the body's: the NPC line's commas are the server's format.
            for (const TWrittenStretch& s : *Stretches_)
                if (s.Kept && s.Kind != TStretchKind::Frame)
                    kept.insert(kept.end(), s.Kept->Lines.begin(), s.Kept->Lines.end());
            TStyleDetector detector(Target_);
            detector.Read(kept);
            Style_ = detector.Style();
        }
        return *Style_;
    }

    void Emit(const std::string& line, const TTask* task)
    {
        Lines.push_back(line);
        Tasks.push_back(task);
    }

    const std::vector<std::string>& In_;
    const std::vector<const TTask*>& InTasks_;
    std::string Unit_;
    script::TTarget Target_;
    const std::vector<TWrittenStretch>* Stretches_ = nullptr;
    std::optional<TScriptStyle> Style_;
    TAnchor Anchor_;
};

void SaveStrings(TFileWriter& file, const std::vector<std::string>& lines)
{
    file.WriteInt(static_cast<std::int32_t>(lines.size()));
    for (const std::string& line : lines)
        WriteString(file, line);
}

std::vector<std::string> LoadStrings(TFileReader& file)
{
    const std::size_t count = ReadCount(file, 4, "kept line");
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        lines.push_back(ReadString(file));
    return lines;
}

} // namespace

void ApplyKeptSource(const std::vector<TWrittenStretch>& stretches, const std::string& indentUnit,
                     script::TTarget target, std::vector<std::string>& lines, std::vector<const TTask*>& lineTasks)
{
    TKeptApplier applier(lines, lineTasks, indentUnit.empty() ? "\t" : indentUnit, target);
    applier.Run(stretches);
    lines = std::move(applier.Lines);
    lineTasks = std::move(applier.Tasks);
}

void SaveKept(TFileWriter& file, const TKeptPtr& kept)
{
    file.WriteByte(kept ? 1 : 0);
    if (!kept)
        return;
    SaveStrings(file, kept->Lines);
    SaveStrings(file, kept->Written);
    file.WriteInt(kept->Lead);
    file.WriteInt(kept->Joined);
    file.WriteByte(kept->Follows ? 1 : 0);
}

TKeptPtr LoadKept(TFileReader& file)
{
    if (ReadTag(file, 1, "a kept source's flag") == 0)
        return nullptr;
    auto kept = std::make_shared<TKeptLines>();
    kept->Lines = LoadStrings(file);
    kept->Written = LoadStrings(file);
    kept->Lead = file.ReadInt();
    if (kept->Lead < 0 || static_cast<std::size_t>(kept->Lead) > kept->Lines.size())
        file.Fail("a kept source has " + std::to_string(kept->Lead) + " lines before its code, of " +
                  std::to_string(kept->Lines.size()));
    kept->Joined = file.ReadInt();
    if (kept->Joined < 0)
        file.Fail("a kept source joins " + std::to_string(kept->Joined) + " stretches");
    kept->Follows = ReadTag(file, 1, "a kept source's follows flag") == 1;
    return kept;
}

void SaveKeptFrame(TFileWriter& file, const TKeptFrame& frame)
{
    SaveKept(file, frame.Header);
    SaveKept(file, frame.NpcLine);
    SaveKept(file, frame.Close);
    WriteString(file, frame.IndentUnit);
}

TKeptFrame LoadKeptFrame(TFileReader& file)
{
    TKeptFrame frame;
    frame.Header = LoadKept(file);
    frame.NpcLine = LoadKept(file);
    frame.Close = LoadKept(file);
    frame.IndentUnit = ReadString(file);
    if (frame.IndentUnit.empty() || frame.IndentUnit.find_first_not_of(" \t") != std::string::npos)
        file.Fail("the kept indent unit is no run of blanks");
    return frame;
}
