#include "ShownLines.h"

#include <QPlainTextEdit>
#include <QTextDocument>

#include <algorithm>

namespace {

const char* const ShownLinesName = "ShownLines";

} // namespace

TShownLines::TShownLines(QPlainTextEdit* control) : QObject(control)
{
    setObjectName(QLatin1String(ShownLinesName));
}

TShownLines* TShownLines::Of(QPlainTextEdit* control)
{
    auto* shown = control->findChild<TShownLines*>(QLatin1String(ShownLinesName), Qt::FindDirectChildrenOnly);
    return shown ? shown : new TShownLines(control);
}

int TShownLines::BlockCount(const std::string& line)
{
    // Nearly every line has no break at all: two library searches tell, instead of a loop over
    // every byte.
    if (line.find('\n') == std::string::npos && line.find('\r') == std::string::npos)
        return 1;
    int count = 1;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\n' || line[i] == '\r') {
            ++count;
            if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
                ++i;
        }
    }
    return count;
}

void TShownLines::Follow(QTextDocument* document)
{
    if (Document_ == document)
        return;
    if (Document_)
        disconnect(Document_, &QTextDocument::contentsChange, this, nullptr);
    Document_ = document;
    connect(document, &QTextDocument::contentsChange, this, &TShownLines::ContentsChange);
}

void TShownLines::ContentsChange(int /*from*/, int removed, int added)
{
    // The colouring marks blocks changed without changing their text (as many characters
    // removed as added); a change of the text by anyone else voids the record.
    if (!Writing_ && removed != added)
        Valid_ = false;
}

bool TShownLines::Shows(const QTextDocument* document, std::size_t lineCount) const
{
    return Valid_ && document && Document_ == document && Lines_ == lineCount && document->blockCount() == Blocks_;
}

int TShownLines::ExtraBefore(std::size_t line) const
{
    const auto after = std::lower_bound(Breaks_.begin(), Breaks_.end(), line,
                                        [](const TBreak& entry, std::size_t number) { return entry.Line < number; });
    return after == Breaks_.begin() ? 0 : std::prev(after)->ExtraThrough;
}

int TShownLines::BlockOf(std::size_t line) const
{
    return static_cast<int>(line) + ExtraBefore(line);
}

void TShownLines::AppendBreaks(const std::vector<std::string>& lines, std::size_t first, std::size_t count,
                               std::size_t at, int extra, std::vector<TBreak>& into) const
{
    for (std::size_t i = 0; i < count; ++i) {
        const int blocks = BlockCount(lines[first + i]);
        if (blocks > 1) {
            extra += blocks - 1;
            into.push_back({at + i, extra});
        }
    }
}

void TShownLines::Record(QTextDocument* document, const std::vector<std::string>& lines)
{
    Follow(document);
    Breaks_.clear();
    AppendBreaks(lines, 0, lines.size(), 0, 0, Breaks_);
    Lines_ = lines.size();
    Blocks_ = static_cast<int>(Lines_) + (Breaks_.empty() ? 0 : Breaks_.back().ExtraThrough);
    Valid_ = true;
}

void TShownLines::Replace(const TLineEdit& edit, const std::vector<std::string>& now)
{
    const auto before = std::lower_bound(Breaks_.begin(), Breaks_.end(), edit.OldFirst,
                                         [](const TBreak& entry, std::size_t line) { return entry.Line < line; });
    const auto after = std::lower_bound(before, Breaks_.end(), edit.OldFirst + edit.OldCount,
                                        [](const TBreak& entry, std::size_t line) { return entry.Line < line; });
    const int extraBefore = before == Breaks_.begin() ? 0 : std::prev(before)->ExtraThrough;
    const int oldExtra = (after == Breaks_.begin() ? 0 : std::prev(after)->ExtraThrough) - extraBefore;
    std::vector<TBreak> replaced;
    AppendBreaks(now, edit.NewFirst, edit.NewCount, edit.OldFirst, extraBefore, replaced);
    const int newExtra = (replaced.empty() ? extraBefore : replaced.back().ExtraThrough) - extraBefore;
    // The lines after the edit move by the lines and blocks it added or removed.
    for (auto entry = after; entry != Breaks_.end(); ++entry) {
        entry->Line = entry->Line + edit.NewCount - edit.OldCount;
        entry->ExtraThrough += newExtra - oldExtra;
    }
    const auto at = Breaks_.erase(before, after);
    Breaks_.insert(at, replaced.begin(), replaced.end());
    Lines_ = Lines_ + edit.NewCount - edit.OldCount;
    Blocks_ += static_cast<int>(edit.NewCount) - static_cast<int>(edit.OldCount) + newExtra - oldExtra;
}
