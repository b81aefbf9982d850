#include "workspace/WorkspaceRecovery.h"

#include "platform/Errors.h"

#include <algorithm>
#include <charconv>

namespace {

const std::string FormatLine = "npc-editor script file edits 1\n";
constexpr int KindCount = static_cast<int>(TPartKind::Mapflag) + 1;

void AddField(std::string& out, const std::string& field)
{
    out += std::to_string(field.size());
    out += ':';
    out += field;
    out += '\n';
}

// Reads the copy field by field; each field is "<length>:<bytes>\n".
class TFieldReader {
public:
    TFieldReader(const std::string& copyName, const std::string& bytes) : Name_(copyName), Bytes_(bytes) {}

    std::string Next(const char* what)
    {
        const std::size_t colon = Bytes_.find(':', At_);
        std::size_t length = 0;
        const char* begin = Bytes_.data() + At_;
        const char* end = Bytes_.data() + (colon == std::string::npos ? At_ : colon);
        const auto [stop, error] = std::from_chars(begin, end, length);
        if (colon == std::string::npos || error != std::errc() || stop != end || begin == end)
            Fail(std::string("no length before the ") + what);
        if (length > Bytes_.size() - colon - 1 || Bytes_.size() - colon - 1 - length < 1 ||
            Bytes_[colon + 1 + length] != '\n')
            Fail(std::string("the ") + what + " is cut short");
        At_ = colon + 2 + length;
        return Bytes_.substr(colon + 1, length);
    }

    int Number(const char* what, int limit)
    {
        const std::string text = Next(what);
        int value = -1;
        const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || stop != text.data() + text.size() || value < 0 || value >= limit)
            Fail(std::string("the ") + what + " is no number below " + std::to_string(limit));
        return value;
    }

    bool AtEnd() const { return At_ == Bytes_.size(); }
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw EInOutError(Name_, "not a script file's recovery copy: " + what + " (offset " + std::to_string(At_) + ")");
    }

private:
    const std::string& Name_;
    const std::string& Bytes_;
    std::size_t At_ = FormatLine.size();
};

} // namespace

TScriptEdits EditsOf(const TScriptWorkspace& workspace)
{
    TScriptEdits edits{workspace.FileName(), workspace.Target(), {}};
    for (std::size_t part : workspace.EntryParts())
        if (workspace.IsChanged(part))
            edits.Entries.push_back({workspace.Parts()[part].Kind, workspace.Parts()[part].Name,
                                     workspace.PartText(part), workspace.CurrentText(part)});
    return edits;
}

std::string EditsBytes(const TScriptEdits& edits)
{
    std::string out = FormatLine;
    AddField(out, edits.FileName);
    AddField(out, script::TargetKey(edits.Target));
    AddField(out, std::to_string(edits.Entries.size()));
    for (const TRecoveredEntry& entry : edits.Entries) {
        AddField(out, std::to_string(static_cast<int>(entry.Kind)));
        AddField(out, entry.Name);
        AddField(out, entry.Old);
        AddField(out, entry.New);
    }
    return out;
}

TScriptEdits ReadEditsBytes(const std::string& copyName, const std::string& bytes)
{
    if (bytes.compare(0, FormatLine.size(), FormatLine) != 0)
        throw EInOutError(copyName, "not a script file's recovery copy: its first line is not \"" +
                                        FormatLine.substr(0, FormatLine.size() - 1) + "\"");
    TFieldReader reader(copyName, bytes);
    TScriptEdits edits;
    edits.FileName = reader.Next("file name");
    if (!script::TargetFromName(reader.Next("server"), edits.Target))
        reader.Fail("an unknown server");
    // An entry takes at least four fields of three bytes: a count above that is a broken copy.
    const int count = reader.Number("entry count", static_cast<int>(bytes.size() / 12) + 1);
    for (int i = 0; i < count; ++i) {
        TRecoveredEntry entry;
        entry.Kind = static_cast<TPartKind>(reader.Number("entry kind", KindCount));
        if (entry.Kind == TPartKind::Between)
            reader.Fail("an entry of text between entries");
        entry.Name = reader.Next("entry name");
        entry.Old = reader.Next("entry as read");
        entry.New = reader.Next("entry as edited");
        edits.Entries.push_back(std::move(entry));
    }
    if (!reader.AtEnd())
        reader.Fail("bytes after the last entry");
    return edits;
}

std::size_t FindEntryAsRead(const TScriptWorkspace& workspace, const TRecoveredEntry& entry, std::string& why)
{
    std::size_t named = 0;
    std::vector<std::size_t> same;
    for (std::size_t part : workspace.EntryParts())
        if (workspace.Parts()[part].Kind == entry.Kind && workspace.Parts()[part].Name == entry.Name) {
            ++named;
            if (workspace.PartText(part) == entry.Old)
                same.push_back(part);
        }
    const std::string what = std::string(PartKindName(entry.Kind)) + " " + entry.Name;
    if (same.size() == 1)
        return same.front();
    // Entries of one name are many in a file (map flags, monsters, duplicates): their bytes tell
    // them apart, and where those are alike too nothing says which one was edited.
    if (named == 0)
        why = "the file no longer has the " + what;
    else if (same.empty())
        why = named == 1 ? "the " + what + " has changed in the file since"
                         : "none of the file's " + std::to_string(named) + " entries " + what + " is as it was read";
    else
        why = "the file has more than one " + what + " as it was read, and nothing says which one was edited";
    return std::string::npos;
}

std::string ApplyEdits(TScriptWorkspace& workspace, const TScriptEdits& edits)
{
    std::vector<std::size_t> places;
    for (const TRecoveredEntry& entry : edits.Entries) {
        std::string why;
        const std::size_t part = FindEntryAsRead(workspace, entry, why);
        if (part == std::string::npos)
            return why;
        if (std::find(places.begin(), places.end(), part) != places.end())
            return "the file has fewer entries " + std::string(PartKindName(entry.Kind)) + " " + entry.Name +
                   " as they were read than were edited";
        places.push_back(part);
    }
    for (std::size_t i = 0; i < places.size(); ++i)
        workspace.SetPartText(places[i], edits.Entries[i].New);
    return {};
}

std::string RecoveredText(const TScriptEdits& edits, const std::string& lineEnd)
{
    std::string text;
    for (const TRecoveredEntry& entry : edits.Entries)
        text += entry.New + lineEnd;
    return text;
}
