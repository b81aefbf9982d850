#include "SyntaxHighlight.h"

#include "ScriptHighlighter.h"

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

// How many lines of the control one script line makes: the control breaks a line at CR LF, at a
// lone LF and at a lone CR, as it does when the text is set.
int BlockCount(const std::string& line)
{
    // Nearly every line has no break at all: two library searches tell, instead of a loop over
    // every byte of the script after each change.
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

int BlockCount(std::vector<std::string>::const_iterator first, std::vector<std::string>::const_iterator last)
{
    int count = 0;
    for (auto line = first; line != last; ++line)
        count += BlockCount(*line);
    return count;
}

// The lines that differ between two versions of a script: all but a common beginning and end.
struct TChangedLines {
    std::size_t First = 0;     // lines before the change, the same in both
    std::size_t OldCount = 0;  // changed lines of the old version
    std::size_t NewCount = 0;  // lines that replace them
};

TChangedLines ChangedLines(const std::vector<std::string>& old, const std::vector<std::string>& now)
{
    std::size_t first = 0;
    while (first < old.size() && first < now.size() && old[first] == now[first])
        ++first;
    std::size_t last = 0;
    while (last < old.size() - first && last < now.size() - first &&
           old[old.size() - 1 - last] == now[now.size() - 1 - last])
        ++last;
    return {first, old.size() - first - last, now.size() - first - last};
}

// Two edits far apart (a task dragged up or down the tree: its lines leave one place and arrive at
// another, and the lines next to either place may change with them) leave a long run of lines in
// between that is the same, only shifted. When most of the changed part of old is such a run, the
// lines the control shows halfway are those after only the part before the run was rewritten, so
// that two small rewrites replace one of everything in between. The run is found from the middle
// line of old's changed part, looked for in now's nearest to where it was.
std::optional<std::vector<std::string>> HalfwayAroundACommonRun(const std::vector<std::string>& old,
                                                                const std::vector<std::string>& now,
                                                                const TChangedLines& change)
{
    constexpr std::size_t SearchWidth = 4096;  // how far a line may have shifted: a large group moved
    if (change.OldCount < 2 || change.NewCount == 0)
        return std::nullopt;
    const auto oldMid = old.begin() + static_cast<std::ptrdiff_t>(change.First);
    const auto newMid = now.begin() + static_cast<std::ptrdiff_t>(change.First);
    const auto oldLine = [&](std::size_t i) -> const std::string& { return oldMid[static_cast<std::ptrdiff_t>(i)]; };
    const auto newLine = [&](std::size_t i) -> const std::string& { return newMid[static_cast<std::ptrdiff_t>(i)]; };
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
        std::vector<std::string> lines(old.begin(), oldMid);
        lines.insert(lines.end(), newMid, newMid + static_cast<std::ptrdiff_t>(newBegin));
        lines.insert(lines.end(), oldMid + static_cast<std::ptrdiff_t>(oldBegin), old.end());
        return lines;
    }
    return std::nullopt;
}

// Rewrites the control's lines that show old[change.First, + OldCount) with the new ones.
void ReplaceLines(QTextDocument* document, const std::vector<std::string>& old, const std::vector<std::string>& now,
                  const TChangedLines& change, const TTextEncoding& encoding)
{
    const auto oldFirst = old.begin() + static_cast<std::ptrdiff_t>(change.First);
    const auto newFirst = now.begin() + static_cast<std::ptrdiff_t>(change.First);
    const int firstBlock = BlockCount(old.begin(), oldFirst);
    const int oldBlocks = BlockCount(oldFirst, oldFirst + static_cast<std::ptrdiff_t>(change.OldCount));
    const int blocksAfter = document->blockCount() - firstBlock - oldBlocks;
    const QString text = JoinedLines(newFirst, newFirst + static_cast<std::ptrdiff_t>(change.NewCount), encoding);
    const auto blockStart = [document](int number) { return document->findBlockByNumber(number).position(); };
    const auto blockEnd = [document](int number) {
        const QTextBlock block = document->findBlockByNumber(number);
        return block.position() + block.length() - 1;
    };

    QTextCursor cursor(document);
    cursor.beginEditBlock();
    if (change.OldCount > 0 && change.NewCount > 0) {
        cursor.setPosition(blockStart(firstBlock));
        cursor.setPosition(blockEnd(firstBlock + oldBlocks - 1), QTextCursor::KeepAnchor);
        cursor.insertText(text);
    } else if (change.NewCount > 0) {
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
    } else if (change.OldCount > 0) {
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

// Colours again the lines outside the change that hold a word whose colour has changed (a label
// whose group has come or gone).
void RecolourLinesWith(TScriptHighlighter* highlighter, const std::vector<std::string>& words,
                       const std::vector<std::string>& lines, const TChangedLines& change)
{
    if (words.empty())
        return;
    std::vector<int> blocks;
    int block = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool rewritten = i >= change.First && i < change.First + change.NewCount;
        const int count = BlockCount(lines[i]);
        const bool holdsWord = std::any_of(words.begin(), words.end(), [&](const std::string& word) {
            return lines[i].find(word) != std::string::npos;
        });
        if (!rewritten && holdsWord) {
            for (int k = 0; k < count; ++k)
                blocks.push_back(block + k);
        }
        block += count;
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
                      const TProjectDocument* document)
{
    TScriptHighlighter* highlighter = TScriptHighlighter::Find(control);
    // Lines shown in another encoding are all read again: the control never mixes two.
    const bool colouredWhole = highlighter && highlighter->Document() == control->document() &&
                               highlighter->Coloured() && highlighter->Encoding() == encoding;
    if (!colouredWhole || shownLines.empty() || lines.empty() ||
        BlockCount(shownLines.begin(), shownLines.end()) != control->document()->blockCount()) {
        SetScriptText(control, JoinedLines(lines.begin(), lines.end(), encoding), encoding, document);
        return;
    }
    const TChangedLines change = ChangedLines(shownLines, lines);
    if (const auto halfway = HalfwayAroundACommonRun(shownLines, lines, change)) {
        UpdateScriptText(control, shownLines, *halfway, encoding, document);
        UpdateScriptText(control, *halfway, lines, encoding, document);
        return;
    }
    // The lines still waiting for their colours get them first, with the words they were
    // meant for: those the recolouring below compares the model's words with.
    highlighter->Finish();
    TWordLookup words = TScriptHighlighter::WordsOf(document);
    const std::vector<std::string> changedWords = words.WordsColouredOtherwise(*highlighter->Coloured());
    highlighter->ColourWith(std::move(words), [&] {
        ReplaceLines(control->document(), shownLines, lines, change, encoding);
        RecolourLinesWith(highlighter, changedWords, lines, change);
    });
}
