// Which entries of a script file can become projects, and the NPC record of one that can.

#include "import/Import.h"

#include "model/ProjectFile.h"
#include "import/ImportTree.h"
#include "model/Tasks.h"

#include "model/Records.h"
#include "script/FileReader.h"
#include "script/PlayProgram.h"

#include <algorithm>
#include <charconv>
#include <optional>

TImportSource::TImportSource(std::string fileName, std::string text, script::TTarget target)
    : FileName(std::move(fileName)), Text(std::move(text)), File(script::ReadScriptFile(Text, target))
{
}

std::string TImportSource::Slice(const script::TSourceRange& range) const
{
    const std::size_t begin = std::min(range.Begin.Offset, Text.size());
    const std::size_t end = std::clamp(range.End.Offset, begin, Text.size());
    return Text.substr(begin, end - begin);
}

namespace {

std::optional<std::int32_t> SpriteNumber(const std::string& sprite)
{
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(sprite.data(), sprite.data() + sprite.size(), value);
    if (sprite.empty() || ec != std::errc() || end != sprite.data() + sprite.size())
        return script::SpriteId(sprite);  // a view constant, such as 4_F_KAFRA1
    return value;
}

// The first error the reader found inside the entry.
std::string ReadingError(const TImportSource& source, const script::TTopLevel& entry)
{
    for (const script::TDiagnostic& d : source.File.Diagnostics)
        if (d.Severity == script::TSeverity::Error && d.Range.Begin.Offset >= entry.Range.Begin.Offset &&
            d.Range.Begin.Offset <= entry.Range.End.Offset)
            return "line " + std::to_string(d.Range.Begin.Line) + ": " + d.Message;
    return "a syntax error";
}

// Empty when the entry can become a project.
std::string WhyNot(const TImportSource& source, const script::TTopLevel& entry)
{
    switch (entry.Kind) {
    case script::TTopKind::Function: return "a function, not an NPC: it runs only when called";
    case script::TTopKind::Shop: return "a shop: its goods are not tasks";
    case script::TTopKind::Warp: return "a warp portal: it has no script";
    case script::TTopKind::Duplicate: return "a duplicate of " + entry.DuplicateOf + ": import the NPC it copies";
    case script::TTopKind::Monster: return "a monster spawn, not an NPC";
    case script::TTopKind::Mapflag: return "a map flag, not an NPC";
    case script::TTopKind::Script: break;
    }
    if (entry.Floating)
        return "a floating NPC (map -): nobody can talk to it, it runs only on events or when called";
    if (!entry.Body)
        return "its script cannot be read (" + ReadingError(source, entry) + ")";
    if (!SpriteNumber(entry.Sprite))
        return "its sprite " + entry.Sprite + " is no number and no view constant the servers know";
    return {};
}

// A number as the servers' "%d" reads it: blanks skipped, digits after an optional minus; when
// whole, nothing may follow it (the "," after it in the pattern must come next).
std::optional<std::int32_t> ScanNumber(std::string_view text, bool whole)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || (whole && end != text.data() + text.size()))
        return std::nullopt;
    return value;
}

} // namespace

bool NameMatches(const std::string& written, const std::string& wanted)
{
    const std::string lower = script::LowerCase(written);
    const std::string want = script::LowerCase(wanted);
    return lower == want || lower.substr(0, lower.find("::")) == want;
}

std::optional<TTouchArea> TouchAreaOf(const std::string& spriteField)
{
    // The servers read the field as "%d,%d,%d": a sprite, then the cells left and right and above
    // and below; anything short of three numbers is a click-only NPC. rAthena and Hercules read a
    // sprite constant in place of the first number, so the sprite is not looked at here.
    const std::string_view field(spriteField);
    const std::size_t first = field.find(',');
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::size_t second = field.find(',', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const std::optional<std::int32_t> x = ScanNumber(field.substr(first + 1, second - first - 1), true);
    const std::optional<std::int32_t> y = ScanNumber(field.substr(second + 1), false);
    if (!x || !y)
        return std::nullopt;
    return TTouchArea{*x, *y};
}

std::vector<std::string> SplitSourceLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::vector<TImportCandidate> ListCandidates(const TImportSource& source)
{
    std::vector<TImportCandidate> candidates;
    for (std::size_t i = 0; i < source.File.Entries.size(); ++i) {
        const script::TTopLevel& entry = source.File.Entries[i];
        TImportCandidate candidate;
        candidate.Entry = i;
        candidate.Name = entry.Name;
        candidate.FirstLine = entry.Range.Begin.Line;
        candidate.LastLine = entry.Range.End.Line;
        candidate.Reason = WhyNot(source, entry);
        candidate.Importable = candidate.Reason.empty();
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

const script::TTopLevel& FindImportable(const TImportSource& source, const std::string& name)
{
    const script::TTopLevel* other = nullptr;
    for (const script::TTopLevel& entry : source.File.Entries) {
        if (!NameMatches(entry.Name, name))
            continue;
        if (WhyNot(source, entry).empty())
            return entry;
        other = other ? other : &entry;
    }
    if (other)
        throw EImportError(name + " cannot be imported: " + WhyNot(source, *other));
    throw EImportError(source.FileName + " has no NPC named " + name);
}

TImportResult ImportNpc(const TImportSource& source, const script::TTopLevel& entry,
                        std::shared_ptr<const TCatalogues> catalogues, TServerTarget target)
{
    const std::string reason = WhyNot(source, entry);
    if (!reason.empty())
        throw EImportError(entry.Name + " cannot be imported: " + reason);
    TImportResult result;
    result.Project = std::make_unique<TProject>(std::move(catalogues));
    TProject& project = *result.Project;
    ImportHeader(source, entry, project.HeaderInfo);
    ChangeServerTarget(project.HeaderInfo, target);
    TNPC& npc = project.NPCInfo;
    npc.Name = entry.Name;
    npc.X = entry.X;
    npc.Y = entry.Y;
    npc.Direction = entry.Dir;
    npc.SpriteID = *SpriteNumber(entry.Sprite);
    // The map as the script names it; the catalogue's entry, where it has one, only shows it.
    npc.MapName = entry.Map;
    npc.MapIndex = project.Catalogues().IndexOfMap(project.Catalogues().FindMapNamed(entry.Map));
    npc.Touch = entry.Fields.size() > 3 ? TouchAreaOf(entry.Fields[3].Text) : std::nullopt;
    result.OriginalMap = entry.Map;
    if (npc.MapIndex < 0)
        result.Notes.push_back("the map " + entry.Map + " is not in the map catalogue: it is kept as the script names it");
    TCodeRanges ranges;
    BuildImportTree(source, entry, result, ranges);
    KeepImportedSource(source, entry, ranges, result);
    // A new project that was never saved.
    project.Modified = true;
    return result;
}
