#include "workspace/ScriptWorkspace.h"

#include "platform/FileAccess.h"
#include "script/Checker.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <unordered_map>

namespace {

TPartKind KindOf(const script::TTopLevel& entry)
{
    switch (entry.Kind) {
    case script::TTopKind::Script: return TPartKind::Npc;
    case script::TTopKind::Function: return TPartKind::Function;
    case script::TTopKind::Shop: return TPartKind::Shop;
    case script::TTopKind::Warp: return TPartKind::Warp;
    case script::TTopKind::Duplicate: return TPartKind::Duplicate;
    case script::TTopKind::Monster: return TPartKind::Monster;
    case script::TTopKind::Mapflag: return TPartKind::Mapflag;
    }
    return TPartKind::Npc;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Walks the text between entries past the reader's comments (in file order, as the reader keeps
// them) to the first byte the loader did not read: a line it skipped, or where it stopped.
class TUnreadFinder {
public:
    TUnreadFinder(const std::string& text, const std::vector<script::TComment>& comments)
        : Text_(text), Comments_(comments)
    {
    }

    // The offset of the first byte in [begin, end) that is neither blank nor inside a comment;
    // npos when there is none. Calls come in file order.
    std::size_t FirstUnread(std::size_t begin, std::size_t end)
    {
        while (Next_ < Comments_.size() && Comments_[Next_].Range.End.Offset <= begin)
            ++Next_;
        std::size_t at = begin;
        while (at < end) {
            if (Next_ < Comments_.size() && Comments_[Next_].Range.Begin.Offset <= at) {
                at = std::max(at, Comments_[Next_++].Range.End.Offset);
                continue;
            }
            const std::size_t stop = Next_ < Comments_.size() ? std::min(end, Comments_[Next_].Range.Begin.Offset) : end;
            for (; at < stop; ++at)
                if (!IsBlank(Text_[at]))
                    return at;
        }
        return std::string::npos;
    }

private:
    const std::string& Text_;
    const std::vector<script::TComment>& Comments_;
    std::size_t Next_ = 0;
};

int LineAt(const std::string& text, std::size_t from, int fromLine, std::size_t offset)
{
    return fromLine + static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(from),
                                                  text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// The reader's first error at or after offset: why the loader did not read the text there.
std::string ReadingError(const script::TScriptFile& file, std::size_t offset)
{
    for (const script::TDiagnostic& d : file.Diagnostics)
        if (d.Severity == script::TSeverity::Error && d.Range.Begin.Offset >= offset)
            return d.Message;
    return "the loader cannot read this line";
}

// Whether the loader gave up on the rest of the file at or after offset. A line it skips (a header
// with a missing or extra tab) it reads on after, as it does after such a line between entries;
// every other error there ends the reading.
bool LoaderStopped(const script::TScriptFile& file, std::size_t offset)
{
    for (const script::TDiagnostic& d : file.Diagnostics)
        if (d.Severity == script::TSeverity::Error && d.Range.Begin.Offset >= offset &&
            d.Message.find("probably a missing or extra tab") == std::string::npos)
            return true;
    return false;
}

// Why a file in which the loader found no entry at all is refused. A first line that is no
// entry's header means some other kind of text (a README, a note): the reader's guess about a '}'
// above would mislead, there being nothing above.
std::string NoEntryReason(const script::TScriptFile& file, const std::string& firstUnread)
{
    for (const script::TDiagnostic& d : file.Diagnostics)
        if (d.Severity == script::TSeverity::Error)
            return d.Message.find("a header has four fields") == std::string::npos
                       ? firstUnread
                       : "line " + std::to_string(d.Range.Begin.Line) +
                             " begins no NPC, function, shop, warp, monster or map flag";
    return firstUnread;
}

// Refuses what is no script before reading it: the parts would be meaningless, and writing them
// back would corrupt the file.
void CheckSize(const std::string& fileName, std::uintmax_t size)
{
    if (size > MaxScriptFileSize)
        throw EInOutError(fileName, "the file is " + std::to_string(size >> 20) + " MB; script files larger than " +
                                        std::to_string(MaxScriptFileSize >> 20) + " MB are not opened");
}

void CheckReadable(const std::string& fileName, const std::string& bytes)
{
    CheckSize(fileName, bytes.size());
    if (const void* zero = std::memchr(bytes.data(), 0, bytes.size()))
        throw EInOutError(fileName, "a binary file, not a script (a zero byte at offset " +
                                        std::to_string(static_cast<const char*>(zero) - bytes.data()) + ")");
}

std::vector<std::string> ErrorMessages(const std::string& bytes, script::TTarget target)
{
    script::TCheckOptions options;
    options.Target = target;
    std::vector<std::string> messages;
    for (const script::TDiagnostic& d : script::CheckScriptText(bytes, options))
        if (d.Severity == script::TSeverity::Error)
            messages.push_back(d.Message);
    return messages;
}

// A text's lines and the end after each but the last (LF or CR LF).
struct TEndedLines {
    std::vector<std::string> Lines;
    std::vector<std::string> Ends;
};

TEndedLines SplitKeepingEnds(const std::string& text)
{
    TEndedLines split;
    std::size_t start = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
        const bool cr = lf > start && text[lf - 1] == '\r';
        split.Lines.push_back(text.substr(start, lf - start - (cr ? 1 : 0)));
        split.Ends.push_back(cr ? "\r\n" : "\n");
        start = lf + 1;
    }
    split.Lines.push_back(text.substr(start));
    return split;
}

// Joins lines where old stood. A file may end its lines both ways, and an edit must not touch the
// lines it leaves alone: the unchanged lines at the start and at the end keep their own line end,
// the lines between take that of the old line at their place, and lines past the old ones usual.
std::string JoinKeepingEnds(const std::vector<std::string>& lines, const TEndedLines& old, const std::string& usual)
{
    const std::size_t n = old.Lines.size(), m = lines.size(), both = std::min(n, m);
    std::size_t prefix = 0, suffix = 0;
    while (prefix < both && lines[prefix] == old.Lines[prefix])
        ++prefix;
    while (suffix < both - prefix && lines[m - 1 - suffix] == old.Lines[n - 1 - suffix])
        ++suffix;
    std::string text;
    for (std::size_t k = 0; k < m; ++k) {
        if (k > 0) {
            const std::size_t end = k - 1;  // the end between lines k - 1 and k
            if (end < prefix && end + 1 < n)
                text += old.Ends[end];
            else if (k >= m - suffix)
                text += old.Ends[end + n - m];
            else
                text += end + 1 < n ? old.Ends[end] : usual;
        }
        text += lines[k];
    }
    return text;
}

} // namespace

const char* PartKindName(TPartKind kind)
{
    switch (kind) {
    case TPartKind::Between: return "text";
    case TPartKind::Npc: return "NPC";
    case TPartKind::Function: return "function";
    case TPartKind::Shop: return "shop";
    case TPartKind::Warp: return "warp";
    case TPartKind::Duplicate: return "duplicate";
    case TPartKind::Monster: return "monster";
    case TPartKind::Mapflag: return "map flag";
    }
    return "text";
}

std::string JoinLines(const std::vector<std::string>& lines, const std::string& lineEnd)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += lineEnd;
        text += lines[i];
    }
    return text;
}

std::unique_ptr<TScriptWorkspace> TScriptWorkspace::Open(const std::string& path, script::TTarget target)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error)
        CheckSize(path, size);  // before reading it
    return std::make_unique<TScriptWorkspace>(path, ReadWholeFile(path), target);
}

TScriptWorkspace::TScriptWorkspace(const std::string& fileName, std::string bytes, script::TTarget target)
    : FileName_(fileName), Target_(target)
{
    CheckReadable(fileName, bytes);
    script::TScriptFile read;
    read.Diagnostics = Read(std::move(bytes));
    const TScriptPart& last = Parts_.back();
    if (last.Reason.empty())
        return;
    if (Parts_.size() == 1)
        throw EInOutError(fileName, "not a script file: " + NoEntryReason(read, last.Reason));
    if (LoaderStopped(read, last.Begin))
        throw EInOutError(fileName, last.Reason + "; the loader stops there, so the file is not opened");
}

std::vector<script::TDiagnostic> TScriptWorkspace::Read(std::string bytes)
{
    TImportSource source(FileName_, std::move(bytes), Target_);
    FindParts(source);
    Bytes_ = std::move(source.Text);
    return std::move(source.File.Diagnostics);
}

std::unique_ptr<TImportSource> TScriptWorkspace::FullSource() const
{
    return std::make_unique<TImportSource>(FileName_, Bytes_, Target_);
}

void TScriptWorkspace::FindParts(const TImportSource& source)
{
    Parts_.clear();
    const std::string& text = source.Text;
    TUnreadFinder unread(text, source.File.Comments);
    std::size_t at = 0;
    int line = 1;
    const auto between = [&](std::size_t end) {
        TScriptPart part;
        part.Begin = at;
        part.End = end;
        part.FirstLine = line;
        part.LastLine = LineAt(text, at, line, end);
        if (const std::size_t first = unread.FirstUnread(at, end); first != std::string::npos)
            part.Reason = "line " + std::to_string(LineAt(text, at, line, first)) + ": " +
                          ReadingError(source.File, first);
        Parts_.push_back(std::move(part));
    };
    for (const TImportCandidate& candidate : ListCandidates(source)) {
        const script::TTopLevel& entry = source.File.Entries[candidate.Entry];
        if (entry.Range.Begin.Offset > at || Parts_.empty())
            between(entry.Range.Begin.Offset);
        TScriptPart part;
        part.Kind = KindOf(entry);
        part.Begin = entry.Range.Begin.Offset;
        part.End = entry.Range.End.Offset;
        part.FirstLine = candidate.FirstLine;
        part.LastLine = candidate.LastLine;
        part.Name = entry.Name;
        part.Importable = candidate.Importable;
        part.Reason = candidate.Reason;
        part.Entry = candidate.Entry;
        Parts_.push_back(std::move(part));
        at = entry.Range.End.Offset;
        line = entry.Range.End.Line;
    }
    // The text after the last entry, also when empty: where the loader stopped shows there.
    between(text.size());
}

std::unique_ptr<TImportSource> TScriptWorkspace::NewSource() const
{
    return std::make_unique<TImportSource>(FileName_, NewBytes(), Target_);
}

const script::TTopLevel& TScriptWorkspace::EditedEntry(const TImportSource& newSource, std::size_t part) const
{
    std::size_t begin = Parts_.at(part).Begin;
    for (auto edit = Edits_.begin(); edit != Edits_.end() && edit->first < part; ++edit)
        begin = begin + edit->second.size() - (Parts_[edit->first].End - Parts_[edit->first].Begin);
    const std::size_t end = begin + CurrentText(part).size();
    const std::string& name = Parts_[part].Name;
    for (const TImportCandidate& candidate : ListCandidates(newSource)) {
        const script::TTopLevel& entry = newSource.File.Entries[candidate.Entry];
        if (entry.Range.Begin.Offset != begin || entry.Range.End.Offset != end)
            continue;
        if (!candidate.Importable)
            throw EImportError(name + " cannot be imported as edited: " + candidate.Reason);
        return entry;
    }
    throw EImportError(name + " as edited is no longer one entry of the file");
}

std::vector<std::size_t> TScriptWorkspace::EntryParts() const
{
    std::vector<std::size_t> parts;
    for (std::size_t i = 0; i < Parts_.size(); ++i)
        if (Parts_[i].IsEntry())
            parts.push_back(i);
    return parts;
}

std::size_t TScriptWorkspace::PartOfEntry(std::size_t entry) const
{
    for (std::size_t i = 0; i < Parts_.size(); ++i)
        if (Parts_[i].IsEntry() && Parts_[i].Entry == entry)
            return i;
    throw EListError("no part holds entry " + std::to_string(entry));
}

std::string TScriptWorkspace::PartText(std::size_t part) const
{
    const TScriptPart& p = Parts_.at(part);
    return Bytes_.substr(p.Begin, p.End - p.Begin);
}

std::string TScriptWorkspace::LineEndOf(std::size_t part) const
{
    const std::string& text = Bytes_;
    const TScriptPart& p = Parts_.at(part);
    std::size_t lf = text.find('\n', p.Begin);
    if (lf == std::string::npos && p.Begin > 0)
        lf = text.rfind('\n', p.Begin - 1);
    if (lf == std::string::npos)
        return "\r\n";
    return lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

void TScriptWorkspace::SetPartText(std::size_t part, const std::string& text)
{
    if (!Parts_.at(part).IsEntry())
        throw EListError("part " + std::to_string(part) + " is no entry");
    std::string bytes = JoinKeepingEnds(SplitSourceLines(text), SplitKeepingEnds(PartText(part)), LineEndOf(part));
    if (bytes == PartText(part))
        Edits_.erase(part);
    else
        Edits_[part] = std::move(bytes);
}

void TScriptWorkspace::RevertPart(std::size_t part)
{
    Edits_.erase(part);
}

void TScriptWorkspace::RestorePart(std::size_t part, const std::string& bytes)
{
    if (bytes == PartText(part))
        Edits_.erase(part);
    else
        Edits_[part] = bytes;
}

std::string TScriptWorkspace::CurrentText(std::size_t part) const
{
    const auto edit = Edits_.find(part);
    return edit != Edits_.end() ? edit->second : PartText(part);
}

std::string TScriptWorkspace::NewBytes() const
{
    const std::string& text = Bytes_;
    std::string bytes;
    bytes.reserve(text.size() + 1024);
    std::size_t at = 0;
    for (const auto& [part, edit] : Edits_) {
        const TScriptPart& p = Parts_[part];
        bytes.append(text, at, p.Begin - at).append(edit);
        at = p.End;
    }
    return bytes.append(text, at, std::string::npos);
}

int TScriptWorkspace::NewFirstLine(std::size_t part) const
{
    const auto lines = [](const std::string& text, std::size_t begin, std::size_t end) {
        return LineAt(text, begin, 0, end);
    };
    int line = Parts_.at(part).FirstLine;
    for (auto edit = Edits_.begin(); edit != Edits_.end() && edit->first < part; ++edit) {
        const TScriptPart& p = Parts_[edit->first];
        line += lines(edit->second, 0, edit->second.size()) - lines(Bytes_, p.Begin, p.End);
    }
    return line;
}

std::vector<TSaveProblem> TScriptWorkspace::CheckNewBytes() const
{
    // An error is new unless the file as read has as many with the same message: lines move when
    // an entry grows, messages do not.
    std::unordered_map<std::string, int> before;
    for (const std::string& message : ErrorMessages(Bytes_, Target_))
        ++before[message];
    script::TCheckOptions options;
    options.Target = Target_;
    std::vector<TSaveProblem> problems;
    for (script::TDiagnostic& d : script::CheckScriptText(NewBytes(), options)) {
        if (d.Severity != script::TSeverity::Error)
            continue;
        int& old = before[d.Message];
        problems.push_back({std::move(d), old == 0});
        old = std::max(old - 1, 0);
    }
    return problems;
}

bool TScriptWorkspace::ChangedOnDisk() const
{
    try {
        return ReadWholeFile(FileName()) != Bytes_;
    } catch (const EInOutError&) {
        return true;  // removed or unreadable: not the file read
    }
}

void TScriptWorkspace::Save()
{
    std::string bytes = NewBytes();
    WriteFileSafely(FileName(), bytes);
    Edits_.clear();
    Read(std::move(bytes));
}
