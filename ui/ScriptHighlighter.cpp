#include "ScriptHighlighter.h"

#include "document/Document.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace {

const char* const HighlighterName = "ScriptHighlighter";

// The state of a block that ends inside a "/*" comment; 0 for one that does not, and Qt's -1 for
// one not coloured yet.
constexpr int OpenCommentState = 1;

// A change colours at least this many blocks at once, and twice the view's lines when it shows
// more; about half a millisecond on a large script.
constexpr int MinimumAheadBlocks = 300;

// Blocks coloured at a time in idle time: about 3 ms, short enough not to hold up typing.
constexpr int IdleChunkBlocks = 1500;

TRgb ToRgb(const QColor& colour)
{
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

} // namespace

TScriptHighlighter::TScriptHighlighter(QPlainTextEdit* control)
    : QObject(control), Control_(control), Idle_(new QTimer(this))
{
    setObjectName(QLatin1String(HighlighterName));
    Idle_->setSingleShot(true);
    Idle_->setInterval(0);
    connect(Idle_, &QTimer::timeout, this, &TScriptHighlighter::ColourIdleChunk);
    control->viewport()->installEventFilter(this);
    SetDocument(control->document());
}

TScriptHighlighter::~TScriptHighlighter() = default;

TScriptHighlighter* TScriptHighlighter::Find(QPlainTextEdit* control)
{
    return control->findChild<TScriptHighlighter*>(QLatin1String(HighlighterName), Qt::FindDirectChildrenOnly);
}

TScriptHighlighter* TScriptHighlighter::Of(QPlainTextEdit* control)
{
    TScriptHighlighter* highlighter = Find(control);
    if (!highlighter)
        highlighter = new TScriptHighlighter(control);
    if (highlighter->Document() != control->document())
        highlighter->SetDocument(control->document());
    return highlighter;
}

TWordLookup TScriptHighlighter::WordsOf(const TProjectDocument* document)
{
    return document ? TWordLookup::FromModel(document->Project().TaskList) : TWordLookup::FromCatalogues();
}

TScriptHighlighter::TWords TScriptHighlighter::WordsOf(const TProjectDocument* document, const TWords& before)
{
    if (before && document && before->HasLabelsOf(document->Project().TaskList))
        return before;
    return std::make_shared<const TWordLookup>(WordsOf(document));
}

void TScriptHighlighter::SetDocument(QTextDocument* document)
{
    if (Document_)
        disconnect(Document_, &QTextDocument::contentsChange, this, nullptr);
    Document_ = document;
    Idle_->stop();
    Pending_ = -1;
    PendingWords_.reset();
    Coloured_.reset();
    if (!document)
        return;
    connect(document, &QTextDocument::contentsChange, this, &TScriptHighlighter::ContentsChange);
    Blocks_ = document->blockCount();
    if (!document->isEmpty())
        Pending_ = 0;
}

TScriptHighlighter::TWords TScriptHighlighter::CurrentWords()
{
    if (Words_)
        return Words_;
    // Coloured as the model is now, which may differ from the rest.
    Coloured_.reset();
    return std::make_shared<const TWordLookup>(WordsOf(Source_));
}

void TScriptHighlighter::ContentsChange(int from, int removed, int added)
{
    const int blocks = Document_->blockCount();
    const int shift = blocks - Blocks_;
    Blocks_ = blocks;
    const QTextBlock first = Document_->findBlock(from);
    if (!first.isValid())
        return;
    const int firstNumber = first.blockNumber();
    // A change past the coloured part is coloured when its turn comes.
    if (Pending_ >= 0 && firstNumber > Pending_)
        return;
    const QTextBlock last = Document_->findBlock(from + added + (removed > 0 ? 1 : 0));
    const int lastNumber = last.isValid() ? last.blockNumber() : blocks - 1;
    // The blocks after the change that were pending are still; those before them are coloured.
    const int pendingAfter = Pending_ >= 0 ? std::max(Pending_ + shift, firstNumber) : INT_MAX;
    const int stop = std::min(std::max(pendingAfter, lastNumber + 1), firstNumber + AheadBlocks());
    const TWords words = CurrentWords();
    bool cut = false;
    const int next = ColourBlocks(first, lastNumber, stop, *words, cut);
    if (cut) {
        Pending_ = next;
        PendingWords_ = words;
    } else if (Pending_ >= 0) {
        Pending_ = std::max(pendingAfter, next);
    }
    if (Pending_ >= blocks)
        Pending_ = -1;
    if (Pending_ >= 0)
        Idle_->start();
}

int TScriptHighlighter::ColourBlocks(QTextBlock block, int last, int stop, const TWordLookup& words, bool& cut)
{
    const TRgb own = ToRgb(Control_->palette().color(QPalette::Text));
    const QTextBlock previous = block.previous();
    bool openComment = previous.isValid() && previous.userState() == OpenCommentState;
    int number = block.blockNumber();
    const int start = block.position();
    QTextBlock coloured;
    bool handsOnOtherState = false;
    for (; block.isValid() && (number <= last || handsOnOtherState); block = block.next(), ++number) {
        if (number >= stop) {
            cut = true;
            break;
        }
        const int before = block.userState();
        ColourBlock(block, openComment, words, own);
        handsOnOtherState = block.userState() != before;
        coloured = block;
    }
    // One mark for the whole run: the plain-text layout then only forgets the run's layouts
    // instead of laying out each block again at once.
    if (coloured.isValid())
        Document_->markContentsDirty(start, coloured.position() + coloured.length() - start);
    return number;
}

void TScriptHighlighter::ColourBlock(QTextBlock block, bool& openComment, const TWordLookup& words, TRgb own)
{
    // The scanner reads the bytes the server reads; its byte ranges are mapped back onto the
    // characters (more than one byte each in the multi-byte encodings).
    const TEncodedLine line = Encoding_.EncodeLine(block.text());
    const std::vector<TColourRange> tokens = ScanLine(line.Bytes, words, openComment);
    block.setUserState(openComment ? OpenCommentState : 0);

    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(static_cast<qsizetype>(tokens.size()));
    for (const TColourRange& token : tokens) {
        // A plain word keeps the control's own text colour; so does a token of that very colour,
        // which needs no format of its own to look the same (and a large script has many).
        if (!token.Colour || *token.Colour == own)
            continue;
        const int start = line.CharAt(token.Start);
        const int end = line.CharAt(token.Start + token.Length);
        const QTextCharFormat& format = FormatOf(*token.Colour);
        if (!ranges.isEmpty() && ranges.back().start + ranges.back().length == start && ranges.back().format == format)
            ranges.back().length = end - ranges.back().start;
        else
            ranges.append({start, end - start, format});
    }

    QTextLayout* layout = block.layout();
    const QString preedit = layout->preeditAreaText();
    if (!preedit.isEmpty()) {
        // Text an input method is composing sits inside the block's text: the ranges move around
        // it, and the method's own formats for it stay.
        const int at = layout->preeditAreaPosition();
        for (QTextLayout::FormatRange& range : ranges) {
            if (range.start >= at)
                range.start += static_cast<int>(preedit.size());
            else if (range.start + range.length >= at)
                range.length += static_cast<int>(preedit.size());
        }
        for (const QTextLayout::FormatRange& range : layout->formats()) {
            if (range.start >= at && range.start + range.length <= at + preedit.size())
                ranges.append(range);
        }
    }
    if (!ranges.isEmpty() || !layout->formats().isEmpty())
        layout->setFormats(ranges);
}

const QTextCharFormat& TScriptHighlighter::FormatOf(TRgb colour)
{
    // One shared format per colour: equal shared formats compare without looking at their
    // properties, and the document keeps one copy of each.
    for (const auto& [rgb, format] : Formats_) {
        if (rgb == colour)
            return format;
    }
    QTextCharFormat format;
    format.setForeground(QColor(colour.R, colour.G, colour.B));
    Formats_.emplace_back(colour, format);
    return Formats_.back().second;
}

void TScriptHighlighter::ColourPendingThrough(int last)
{
    if (Pending_ < 0 || last < Pending_)
        return;
    if (!PendingWords_)
        PendingWords_ = std::make_shared<const TWordLookup>(WordsOf(Source_));
    bool cut = false;
    const int next = ColourBlocks(Document_->findBlockByNumber(Pending_), last, last + 1, *PendingWords_, cut);
    Pending_ = next >= Document_->blockCount() ? -1 : next;
    if (Pending_ < 0) {
        PendingWords_.reset();
        Idle_->stop();
    } else {
        Idle_->start();
    }
}

void TScriptHighlighter::Finish()
{
    if (Document_)
        ColourPendingThrough(Document_->blockCount() - 1);
}

void TScriptHighlighter::ColourIdleChunk()
{
    if (Document_)
        ColourPendingThrough(Pending_ + IdleChunkBlocks - 1);
}

void TScriptHighlighter::Recolour(int first, int last)
{
    Finish();
    const QTextBlock block = Document_ ? Document_->findBlockByNumber(first) : QTextBlock();
    if (!block.isValid())
        return;
    bool cut = false;
    ColourBlocks(block, last, INT_MAX, *CurrentWords(), cut);
}

void TScriptHighlighter::RecolourAll()
{
    if (!Document_ || Document_->isEmpty())
        return;
    PendingWords_ = CurrentWords();
    Pending_ = 0;
    ColourPendingThrough(AheadBlocks() - 1);
}

int TScriptHighlighter::AheadBlocks() const
{
    const int lineHeight = std::max(1, Control_->fontMetrics().lineSpacing());
    return std::max(MinimumAheadBlocks, 2 * (Control_->viewport()->height() / lineHeight + 1));
}

int TScriptHighlighter::LastBlockInView() const
{
    // The vertical scroll bar counts the lines above the view.
    const QTextBlock top = Document_->findBlockByLineNumber(Control_->verticalScrollBar()->value());
    if (!top.isValid())
        return Document_->blockCount() - 1;
    const int lineHeight = std::max(1, Control_->fontMetrics().lineSpacing());
    return top.blockNumber() + Control_->viewport()->height() / lineHeight + 1;
}

bool TScriptHighlighter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && Pending_ >= 0 && Document_ && watched == Control_->viewport())
        ColourPendingThrough(LastBlockInView());
    return QObject::eventFilter(watched, event);
}
