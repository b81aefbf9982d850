// The header record of an imported NPC, from the comments that lead the script file: the block
// the script writer itself writes fills the six fields; any other comment goes into Comments.

#include "import/Import.h"
#include "model/Project.h"

#include "model/Records.h"
#include "catalogue/Targets.h"

#include <algorithm>
#include <iterator>

namespace {

struct TSection {
    std::string Title;
    std::vector<std::string> Lines;
};

std::string Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// Every comment as lines, a block comment split where its lines end.
std::vector<std::string> CommentLines(const std::vector<const script::TComment*>& comments)
{
    std::vector<std::string> lines;
    for (const script::TComment* comment : comments) {
        std::vector<std::string> split = SplitSourceLines(comment->Text);
        std::move(split.begin(), split.end(), std::back_inserter(lines));
    }
    return lines;
}

// "//===== Title: =====" gives Title:, the closing ruler the empty text.
bool IsRuler(const std::string& line, std::string& title)
{
    if (line.rfind("//=====", 0) != 0)
        return false;
    std::string_view rest(line);
    rest.remove_prefix(2);
    while (!rest.empty() && rest.front() == '=')
        rest.remove_prefix(1);
    while (!rest.empty() && (rest.back() == '=' || rest.back() == ' ' || rest.back() == '\t'))
        rest.remove_suffix(1);
    title = Trim(rest);
    return true;
}

// The text of a comment line without its markers.
std::string CommentText(const std::string& line)
{
    std::string_view text(line);
    for (const char* marker : {"//=", "//", "/*"})
        if (text.rfind(marker, 0) == 0) {
            text.remove_prefix(std::char_traits<char>::length(marker));
            break;
        }
    if (text.size() >= 2 && text.substr(text.size() - 2) == "*/")
        text.remove_suffix(2);
    if (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return std::string(text);
}

std::string JoinLines(const std::vector<std::string>& lines, const char* separator)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : separator) + line;
    return text;
}

void AddComment(std::string& comments, const std::string& line)
{
    comments += (comments.empty() ? "" : "\r\n") + line;
}

// "eAthena Script", "rAthena Script", "Hercules Script": the title of the first ruler the writer
// writes for any of the servers.
bool IsScriptTitle(const std::string& title)
{
    std::string ruler;
    for (const TTargetRules& rules : ServerTargets())
        if (IsRuler(rules.HeaderRuler, ruler) && ruler == title)
            return true;
    return false;
}

// Reads the writer's block; false when the lines do not begin with it. A section the header has
// no field for is kept as written; a comment line inside the block that is not "//=" stays in its
// section, in its place.
bool ReadStandardBlock(const std::vector<std::string>& lines, TNPCHeader& header)
{
    std::string title;
    if (lines.empty() || !IsRuler(lines.front(), title) || !IsScriptTitle(title))
        return false;
    std::vector<TSection> sections;
    std::vector<std::vector<std::string>> written;  // each section's lines as written
    std::vector<std::string> others;
    bool closed = false;
    for (const std::string& line : lines) {
        if (!closed && IsRuler(line, title)) {
            closed = title.empty();
            if (!closed) {
                sections.push_back({title, {}});
                written.push_back({line});
            }
        } else if (!closed && line.rfind("//", 0) == 0) {
            sections.back().Lines.push_back(CommentText(line));
            written.back().push_back(line);
        } else if (!Trim(line).empty()) {
            others.push_back(CommentText(line));
        }
    }
    // The writer titles its sections "By:", "Description:"; Hercules' own scripts open with its
    // ruler too, but go on with "License" and a layout of their own, which is no field of ours.
    if (std::any_of(sections.begin() + 1, sections.end(), [](const TSection& s) { return s.Title.back() != ':'; }))
        return false;
    header = TNPCHeader{};
    // The author's own header: the editor names itself only in a header it wrote.
    header.AuthorsHeader = true;
    const std::pair<std::string, std::string*> fields[] = {
        {sections.front().Title, &header.ScriptName}, {"By:", &header.Author},
        {"Current Version:", &header.Version},  {"Compatible With:", &header.Compatible},
        {"Description:", &header.Description},
    };
    for (std::size_t i = 0; i < sections.size(); ++i) {
        TSection& section = sections[i];
        if (i == 0 &&
            std::erase_if(section.Lines, [](const std::string& l) { return l.rfind("Created with Vask's NPC Editor", 0) == 0; }) > 0)
            header.AuthorsHeader = false;
        const auto field = std::find_if(std::begin(fields), std::end(fields),
                                        [&](const auto& f) { return section.Title == f.first; });
        if (field != std::end(fields))
            *field->second = JoinLines(section.Lines, "\r\n");
        else if (section.Title == "Additional Comments:")
            header.Comments = JoinLines(section.Lines, "\r\n");
        else
            for (const std::string& line : written[i])
                AddComment(header.OtherSections, line);
    }
    for (const std::string& line : others)
        AddComment(header.Comments, line);
    return true;
}

} // namespace

void ImportHeader(const TImportSource& source, const script::TTopLevel& entry, TNPCHeader& header)
{
    const auto& entries = source.File.Entries;
    const std::size_t fileStart = entries.empty() ? 0 : entries.front().Range.Begin.Offset;
    std::size_t entryStart = entry.Range.Begin.Offset, previousEnd = 0;
    for (const script::TTopLevel& other : entries)
        if (other.Range.End.Offset <= entryStart)
            previousEnd = std::max(previousEnd, other.Range.End.Offset);
    std::vector<const script::TComment*> leading, before;
    for (const script::TComment& comment : source.File.Comments) {
        if (comment.Range.End.Offset <= fileStart)
            leading.push_back(&comment);
        else if (previousEnd > 0 && comment.Range.Begin.Offset >= previousEnd && comment.Range.End.Offset <= entryStart)
            before.push_back(&comment);
    }
    const std::vector<std::string> leadingLines = CommentLines(leading);
    header = DefaultHeader();
    std::vector<std::string> others;
    const bool standard = ReadStandardBlock(leadingLines, header);
    if (!standard)
        for (const std::string& line : leadingLines)
            if (!Trim(line).empty())
                others.push_back(CommentText(line));
    for (const std::string& line : CommentLines(before))
        if (!Trim(line).empty())
            others.push_back(CommentText(line));
    // Comments of another layout replace the placeholder a new project has; the header written
    // for them names no editor, as the script is its author's.
    if (!standard && !others.empty()) {
        header.Comments.clear();
        header.AuthorsHeader = true;
    }
    for (const std::string& line : others)
        AddComment(header.Comments, line);
}
