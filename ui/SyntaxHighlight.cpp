#include "SyntaxHighlight.h"

#include "ScriptHighlighter.h"
#include "ShownLines.h"

#include "platform/TextEncoding.h"

#include "output/Highlight.h"

#include "model/Records.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// Above this many lines to colour again, colouring the whole text is the quicker way.
constexpr int RecolourLineLimit = 500;

QString JoinedLines(std::vector<std::string>::const_iterator first, std::vector<std::string>::const_iterator last,
                    const TTextEncoding& encoding)
{
    std::string text;
    for (auto line = first; line != last; ++line) {
        if (line != first)
            text += '\n';
        text += *line;
    }
    return encoding.ToQ(text);
}

// All but a common beginning and end of the two versions of a script, within the lines a change
// is known to be in (all of both, when nothing is known).
TLineChange ChangedLines(const std::vector<std::string>& old, const std::vector<std::string>& now,
                         const TLineChange& within)
{
    std::size_t first = within.First;
    const std::size_t oldEnd = within.First + within.OldCount;
    const std::size_t newEnd = within.First + within.NewCount;
    while (first < oldEnd && first < newEnd && old[first] == now[first])
        ++first;
    std::size_t last = 0;
    while (last < oldEnd - first && last < newEnd - first && old[oldEnd - 1 - last] == now[newEnd - 1 - last])
        ++last;
    return {first, oldEnd - first - last, newEnd - first - last};
}

// The edits that turn old into now, last first (so that each leaves the lines of the next where
// they were). Two edits far apart (a task dragged up or down the tree: its lines leave one place
// and arrive at another, and the lines next to either place may change with them) leave a long
// run of lines in between that is the same, only shifted. When most of the changed part of old is
// such a run, two small edits around it replace one of everything in between. The run is found
// from the middle line of old's changed part, looked for in now's nearest to where it was.
std::vector<TLineEdit> EditsAroundACommonRun(const std::vector<std::string>& old, const std::vector<std::string>& now,
                                             const TLineChange& change)
{
    constexpr std::size_t SearchWidth = 4096;  // how far a line may have shifted: a large group moved
    const TLineEdit whole{change.First, change.OldCount, change.First, change.NewCount};
    if (change.OldCount < 2 || change.NewCount == 0)
        return {whole};
    const auto oldLine = [&](std::size_t i) -> const std::string& { return old[change.First + i]; };
    const auto newLine = [&](std::size_t i) -> const std::string& { return now[change.First + i]; };
    const std::size_t middle = change.OldCount / 2;
    for (std::size_t step = 0; step < 2 * SearchWidth; ++step) {
        // middle, middle - 1, middle + 1, middle - 2, ...
        const std::size_t distance = (step + 1) / 2;
        if (step % 2 == 1 && distance > middle)
            continue;
        const std::size_t at = step % 2 == 1 ? middle - distance : middle + distance;
        if (at >= change.NewCount || newLine(at) != oldLine(middle))
            continue;
        std::size_t oldBegin = middle, newBegin = at, oldEnd = middle + 1, newEnd = at + 1;
        while (oldBegin > 0 && newBegin > 0 && oldLine(oldBegin - 1) == newLine(newBegin - 1))
            --oldBegin, --newBegin;
        while (oldEnd < change.OldCount && newEnd < change.NewCount && oldLine(oldEnd) == newLine(newEnd))
            ++oldEnd, ++newEnd;
        // A run at the start of both would leave nothing to do in the first half.
        if (2 * (oldEnd - oldBegin) <= change.OldCount || (oldBegin == 0 && newBegin == 0))
            continue;
        return {{change.First + oldEnd, change.OldCount - oldEnd, change.First + newEnd, change.NewCount - newEnd},
                {change.First, oldBegin, change.First, newBegin}};
    }
    return {whole};
}

// Rewrites the control's lines of edit with the new ones.
void ReplaceLines(QTextDocument* document, const TShownLines& shown, const std::vector<std::string>& now,
                  const TLineEdit& edit, const TTextEncoding& encoding)
{
    if (edit.OldCount == 0 && edit.NewCount == 0)
        return;
    const int firstBlock = shown.BlockOf(edit.OldFirst);
    const int oldBlocks = shown.BlockOf(edit.OldFirst + edit.OldCount) - firstBlock;
    const int blocksAfter = document->blockCount() - firstBlock - oldBlocks;
    const auto newFirst = now.begin() + static_cast<std::ptrdiff_t>(edit.NewFirst);
    const QString text = JoinedLines(newFirst, newFirst + static_cast<std::ptrdiff_t>(edit.NewCount), encoding);
    const auto blockStart = [document](int number) { return document->findBlockByNumber(number).position(); };
    const auto blockEnd = [document](int number) {
        const QTextBlock block = document->findBlockByNumber(number);
        return block.position() + block.length() - 1;
    };

    QTextCursor cursor(document);
    cursor.beginEditBlock();
    if (edit.OldCount > 0 && edit.NewCount > 0) {
        cursor.setPosition(blockStart(firstBlock));
        cursor.setPosition(blockEnd(firstBlock + oldBlocks - 1), QTextCursor::KeepAnchor);
        cursor.insertText(text);
    } else if (edit.NewCount > 0) {
        // Inserted lines: after the line before them, so that the line after them stays the
        // block it was (a break typed at a block's start would make that line a new block, to be
        // laid out and coloured again); at the top, before the first line.
        if (firstBlock > 0) {
            cursor.setPosition(blockEnd(firstBlock - 1));
            cursor.insertText(QLatin1Char('\n') + text);
        } else {
            cursor.setPosition(0);
            cursor.insertText(text + QLatin1Char('\n'));
        }
    } else {
        // Removed lines go with the line break after them, or before them at the end.
        if (blocksAfter > 0) {
            cursor.setPosition(blockStart(firstBlock));
            cursor.setPosition(blockStart(firstBlock + oldBlocks), QTextCursor::KeepAnchor);
        } else {
            cursor.setPosition(blockEnd(firstBlock - 1));
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        }
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
}

// Colours again the lines outside the edits (numbered in lines) that hold a word whose colour has
// changed (a label whose group has come or gone).
void RecolourLinesWith(TScriptHighlighter* highlighter, const std::vector<std::string>& words,
                       const std::vector<std::string>& lines, const TShownLines& shown,
                       const std::vector<TLineEdit>& edits)
{
    if (words.empty())
        return;
    std::vector<int> blocks;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool rewritten = std::any_of(edits.begin(), edits.end(), [i](const TLineEdit& edit) {
            return i >= edit.NewFirst && i < edit.NewFirst + edit.NewCount;
        });
        const bool holdsWord = std::any_of(words.begin(), words.end(), [&](const std::string& word) {
            return lines[i].find(word) != std::string::npos;
        });
        if (!rewritten && holdsWord) {
            for (int block = shown.BlockOf(i); block < shown.BlockOf(i + 1); ++block)
                blocks.push_back(block);
        }
    }
    if (static_cast<int>(blocks.size()) > RecolourLineLimit) {
        highlighter->RecolourAll();
        return;
    }
    for (const int number : blocks)
        highlighter->Recolour(number, number);
}

} // namespace

void HighlightLine(QPlainTextEdit* control, int line)
{
    if (control->document()->findBlockByNumber(line).isValid())
        TScriptHighlighter::Of(control)->Recolour(line, line);
}

void HighlightAll(QPlainTextEdit* control, const TTextEncoding& encoding, const TProjectDocument* document)
{
    TScriptHighlighter* highlighter = TScriptHighlighter::Of(control);
    highlighter->SetSource(document);
    highlighter->SetEncoding(encoding);
    highlighter->ColourWith(TScriptHighlighter::WordsOf(document), [highlighter] { highlighter->RecolourAll(); });
    highlighter->Finish();
}

void FinishColouring(QPlainTextEdit* control)
{
    if (TScriptHighlighter* highlighter = TScriptHighlighter::Find(control))
        highlighter->Finish();
}

void SetTabStops(QWidget* window, QPlainTextEdit* control)
{
    QPaintDevice* surface = window ? static_cast<QPaintDevice*>(window) : control;
    const QFontMetrics metrics(control->font(), surface);
    const std::vector<int> stops = TabStopPositions(metrics.horizontalAdvance(QLatin1Char('A')));
    // The stops are evenly spaced, so the first one is the spacing; it is given in points.
    const qreal pixels = stops.front() * surface->logicalDpiX() / 72.0;
    // In a fixed-pitch font that spacing is under two characters, too little to tell nesting
    // levels apart at a glance; four characters per level is the least shown.
    const qreal fourCharacters = QFontMetricsF(control->font(), surface).horizontalAdvance(QStringLiteral("    "));
    control->setTabStopDistance(std::max(pixels, fourCharacters));
}

void UseScriptFont(QWidget* window, QPlainTextEdit* control, int pixels)
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(pixels);
    control->setFont(font);
    SetTabStops(window, control);
}

void SetScriptText(QPlainTextEdit* control, const QString& text, const TTextEncoding& encoding,
                   const TProjectDocument* document)
{
    // Attached before the text arrives, the highlighter colours the new text as it arrives: the
    // lines in view at once, the rest after.
    TScriptHighlighter* highlighter = TScriptHighlighter::Of(control);
    highlighter->SetSource(document);
    highlighter->SetEncoding(encoding);
    highlighter->ColourWith(TScriptHighlighter::WordsOf(document), [&] { control->setPlainText(text); });
}

void UpdateScriptText(QPlainTextEdit* control, const std::vector<std::string>& shownLines,
                      const std::vector<std::string>& lines, const TTextEncoding& encoding,
                      const TProjectDocument* document, const std::optional<TLineChange>& changed)
{
    TScriptHighlighter* highlighter = TScriptHighlighter::Find(control);
    TShownLines* shown = TShownLines::Of(control);
    // Lines shown in another encoding are all read again: the control never mixes two.
    const bool colouredWhole = highlighter && highlighter->Document() == control->document() &&
                               highlighter->Coloured() && highlighter->Encoding() == encoding;
    if (!colouredWhole || shownLines.empty() || lines.empty() ||
        !shown->Shows(control->document(), shownLines.size())) {
        shown->Writing([&] {
            SetScriptText(control, JoinedLines(lines.begin(), lines.end(), encoding), encoding, document);
        });
        shown->Record(control->document(), lines);
        return;
    }
    // A range that does not fit the two scripts cannot be what changed between them: rather than
    // trust it, every line is compared.
    const TLineChange whole{0, shownLines.size(), lines.size()};
    TLineChange within = changed.value_or(whole);
    if (!within.Fits(shownLines.size(), lines.size()))
        within = whole;
    const TLineChange change = ChangedLines(shownLines, lines, within);
    const std::vector<TLineEdit> edits = EditsAroundACommonRun(shownLines, lines, change);
    // The lines still waiting for their colours get them first, with the words they were
    // meant for: those the recolouring below compares the model's words with.
    highlighter->Finish();
    const TScriptHighlighter::TWords coloured = highlighter->ColouredWords();
    TScriptHighlighter::TWords words = TScriptHighlighter::WordsOf(document, coloured);
    const std::vector<std::string> changedWords =
        words == coloured ? std::vector<std::string>{} : words->WordsColouredOtherwise(*coloured);
    highlighter->ColourWith(std::move(words), [&] {
        shown->Writing([&] {
            for (const TLineEdit& edit : edits) {
                ReplaceLines(control->document(), *shown, lines, edit, encoding);
                shown->Replace(edit, lines);
            }
        });
        RecolourLinesWith(highlighter, changedWords, lines, *shown, edits);
    });
}
