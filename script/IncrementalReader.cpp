#include "script/IncrementalReader.h"

#include "script/FileReader.h"
#include "script/Parser.h"

#include <algorithm>
#include <iterator>

namespace script {

namespace {

// Moves what stands after an edit by the lines and bytes the edit added (negative: took away).
// Columns stay: only statements whose whole first line follows the edit are moved.
class TShift {
public:
    TShift(std::size_t from, int lines, std::ptrdiff_t bytes) : From_(from), Lines_(lines), Bytes_(bytes) {}

    void Pos(TSourcePos& pos) const
    {
        if (pos.Offset < From_)
            return;
        pos.Line += Lines_;
        pos.Offset = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(pos.Offset) + Bytes_);
    }
    void Range(TSourceRange& range) const
    {
        Pos(range.Begin);
        Pos(range.End);
    }
    // Every statement after an edit is moved, each time: a plain recursion over the fields that
    // hold positions, nothing else of the nodes read.
    void Stmt(TStmt& s) const
    {
        Range(s.Range);
        Range(s.NameRange);
        for (const auto& arg : s.Args)
            Expr(*arg);
        for (TExpr* e : {s.Expr.get(), s.Cond.get()})
            if (e)
                Expr(*e);
        for (TStmt* inner : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
            if (inner)
                Stmt(*inner);
        for (const auto& child : s.Children)
            Stmt(*child);
    }
    void Expr(TExpr& e) const
    {
        Range(e.Range);
        for (const auto& arg : e.Args)
            Expr(*arg);
    }

private:
    std::size_t From_;
    int Lines_;
    std::ptrdiff_t Bytes_;
};

int LineBreaks(std::string_view text, std::size_t begin, std::size_t end)
{
    return static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(begin),
                                       text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

// Where the line holding offset begins.
std::size_t LineStart(std::string_view text, std::size_t offset)
{
    const std::size_t lineEnd = offset == 0 ? std::string_view::npos : text.rfind('\n', offset - 1);
    return lineEnd == std::string_view::npos ? 0 : lineEnd + 1;
}

// Replaces the items of list (comments or diagnostics, in text order) that begin inside the
// stretch [from, to) of the old text by fresh ones, and moves those after it. The list is changed
// in place: a new copy of a long list each time costs more than the reading saved.
template <class T>
void Splice(std::vector<T>& list, std::vector<T> fresh, std::size_t from, std::size_t to, const TShift& shift)
{
    const auto first = std::partition_point(list.begin(), list.end(), [&](const T& item) { return item.Range.Begin.Offset < from; });
    const auto last = std::partition_point(first, list.end(), [&](const T& item) { return item.Range.Begin.Offset < to; });
    for (auto it = last; it != list.end(); ++it)
        shift.Range(it->Range);
    const auto at = list.erase(first, last);
    list.insert(at, std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
}

bool InTextOrder(const std::vector<TDiagnostic>& list)
{
    return std::is_sorted(list.begin(), list.end(), [](const TDiagnostic& a, const TDiagnostic& b) {
        return a.Range.Begin.Offset < b.Range.Begin.Offset;
    });
}

} // namespace

TIncrementalReader::TEdit TIncrementalReader::EditTo(std::string_view text) const
{
    const std::string_view old = Text_;
    const std::size_t common = std::min(old.size(), text.size());
    const std::size_t prefix = static_cast<std::size_t>(
        std::mismatch(old.begin(), old.begin() + static_cast<std::ptrdiff_t>(common), text.begin()).first - old.begin());
    std::size_t suffix = 0;
    while (suffix < common - prefix && old[old.size() - 1 - suffix] == text[text.size() - 1 - suffix])
        ++suffix;
    return {prefix, old.size() - suffix};
}

// An edit that does not fit the two texts is not trusted: the texts are compared instead.
bool TIncrementalReader::Fits(const TEdit& edit, std::string_view text) const
{
    const std::size_t tail = Text_.size() - std::min(edit.OldEnd, Text_.size());
    return edit.Begin <= edit.OldEnd && edit.OldEnd <= Text_.size() && edit.Begin + tail <= text.size();
}

const TScriptFile& TIncrementalReader::Read(std::string text, TTarget target, const TEdit* edit)
{
    if (target != Target_)
        Valid_ = false;
    Target_ = target;
    if (edit && !Fits(*edit, text))
        edit = nullptr;
    const bool same = edit ? edit->Same(Text_, text) : text == Text_;
    if (Valid_ && same) {
        Change_ = {true, 0, 0, 0};
        return File_;
    }
    if (Valid_ && ReadChangedStatements(text, edit ? *edit : EditTo(text))) {
        ++PartialReads_;
    } else {
        Valid_ = false;
        Change_ = {};
        File_ = ReadScriptFile(text, Target_);
    }
    Text_ = std::move(text);
    // Only a file read without an error is read in part next time: after an error the server
    // reads no further, and what was read depends on everything before it.
    Valid_ = File_.Entries.size() == 1 && File_.Entries[0].Kind == TTopKind::Script && File_.Entries[0].Body &&
             std::none_of(File_.Diagnostics.begin(), File_.Diagnostics.end(),
                          [](const TDiagnostic& d) { return d.Severity == TSeverity::Error; }) &&
             InTextOrder(File_.Diagnostics);
    return File_;
}

bool TIncrementalReader::ReadChangedStatements(std::string_view text, const TEdit& edit)
{
    const std::string_view old = Text_;
    TTopLevel& entry = File_.Entries[0];
    TStmt& body = *entry.Body;
    const std::size_t prefix = edit.Begin, oldEditEnd = edit.OldEnd;
    // Both braces of the body stay as they were.
    const std::size_t open = body.Range.Begin.Offset, close = body.Range.End.Offset - 1;
    if (prefix <= open || close < oldEditEnd)
        return false;

    // The statements the edit touches: from the first that ends at or after its start (an `if`
    // that ends just there may take an `else` typed after it) to the last that begins before its
    // end. The stretch read again ends where a statement begins whose line lies wholly after it.
    auto& children = body.Children;
    std::size_t first = 0;
    while (first < children.size() && children[first]->Range.End.Offset < prefix)
        ++first;
    const TSourcePos start = first == 0 ? TSourcePos{body.Range.Begin.Line, body.Range.Begin.Column + 1, open + 1}
                                        : children[first - 1]->Range.End;
    std::size_t last = first;
    // An edit that ends with a line break in both texts (whole lines changed) leaves the line
    // after it beginning a line, as it did.
    const std::size_t newEditEnd = text.size() - (old.size() - oldEditEnd);
    const bool endsLines = oldEditEnd > 0 && newEditEnd > 0 && old[oldEditEnd - 1] == '\n' && text[newEditEnd - 1] == '\n';
    const auto afterEdit = [&](std::size_t offset) {
        const std::size_t line = LineStart(old, offset);
        return line > oldEditEnd || (endsLines && line == oldEditEnd);
    };
    while (last < children.size() && !(children[last]->Range.Begin.Offset >= oldEditEnd &&
                                       afterEdit(children[last]->Range.Begin.Offset)))
        ++last;
    const std::size_t oldLimit = last < children.size() ? children[last]->Range.Begin.Offset : close;
    if (!afterEdit(oldLimit))
        return false;
    const std::ptrdiff_t bytes = static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(old.size());
    const auto newLimit = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(oldLimit) + bytes);

    std::vector<TComment> comments;
    TBodyResult read = ParseStatements(text, start, newLimit, &comments, Target_);
    if (read.Error || !read.Body)
        return false;
    // What the stretch ends with must end a statement by itself, as it did before; a comment left
    // open would run on over what follows.
    if (!read.Body->Children.empty() && std::string_view(";}:").find(text[read.Body->Children.back()->Range.End.Offset - 1]) == std::string_view::npos)
        return false;
    if (std::any_of(comments.begin(), comments.end(), [](const TComment& c) {
            return c.Text.starts_with("/*") && (c.Text.size() < 4 || !c.Text.ends_with("*/"));
        }))
        return false;

    const TShift shift(oldLimit, LineBreaks(text, start.Offset, newLimit) - LineBreaks(old, start.Offset, oldLimit), bytes);
    for (std::size_t i = last; i < children.size(); ++i)
        shift.Stmt(*children[i]);
    Change_ = {true, first, last - first, read.Body->Children.size()};
    children.erase(children.begin() + static_cast<std::ptrdiff_t>(first), children.begin() + static_cast<std::ptrdiff_t>(last));
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(first),
                    std::make_move_iterator(read.Body->Children.begin()), std::make_move_iterator(read.Body->Children.end()));
    shift.Range(body.Range);
    shift.Range(entry.Range);
    Splice(File_.Comments, std::move(comments), start.Offset, oldLimit, shift);
    Splice(File_.Diagnostics, std::move(read.Warnings), start.Offset, oldLimit, shift);
    return true;
}

} // namespace script
