#pragma once
// The colouring attached to a script view's document. It gives each line the colours of the
// scanner (output/Highlight) as the layout's extra formats, and follows the document's changes.
//
// A large text is not coloured all at once: a change colours its first lines at once (enough for
// any window's view) and leaves the rest pending, coloured in order from the top in idle time, or
// at once up to the view when the view shows pending lines, or all at once by Finish. Every line
// before the first pending one is coloured. Showing a 15,000-line script thus costs setting its
// text and colouring what is in view.

#include "output/Highlight.h"
#include "platform/TextEncoding.h"

#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextLayout>

#include <memory>
#include <utility>
#include <vector>

class QPlainTextEdit;
class QTextBlock;
class QTextDocument;
class QTimer;
class TProjectDocument;

class TScriptHighlighter final : public QObject {
public:
    using TWords = std::shared_ptr<const TWordLookup>;

    // Attached to the control's document (and followed to another one by SetDocument).
    explicit TScriptHighlighter(QPlainTextEdit* control);
    ~TScriptHighlighter() override;

    // The highlighter attached to control, made if there is none.
    static TScriptHighlighter* Of(QPlainTextEdit* control);
    // The highlighter attached to control, or none.
    static TScriptHighlighter* Find(QPlainTextEdit* control);
    // What a document's project knows about words: its group labels; without one, the catalogues'.
    static TWordLookup WordsOf(const TProjectDocument* document);
    // The same, as before when it knows the same labels: a change that leaves the groups' labels
    // alone builds no new lookup.
    static TWords WordsOf(const TProjectDocument* document, const TWords& before);

    QTextDocument* Document() const { return Document_; }
    // Follows document from now on; none of its lines counts as coloured.
    void SetDocument(QTextDocument* document);

    // Runs change with words for every line it makes the highlighter colour (taken once instead of
    // once per line); afterwards the whole text is known to be coloured with them.
    template <class F>
    void ColourWith(TWordLookup words, F&& change)
    {
        ColourWith(std::make_shared<const TWordLookup>(std::move(words)), std::forward<F>(change));
    }
    template <class F>
    void ColourWith(TWords words, F&& change)
    {
        Words_ = std::move(words);
        Coloured_.reset();
        struct TPassEnd {
            TWords& Words;
            TWords& Coloured;
            ~TPassEnd() { Coloured = std::move(Words); Words.reset(); }
        } passEnd{Words_, Coloured_};
        change();
    }

    // The words the whole text was last coloured with (or is to be, where lines are pending); none
    // when that is not known.
    const TWordLookup* Coloured() const { return Coloured_.get(); }
    const TWords& ColouredWords() const { return Coloured_; }
    // Whose group labels a line coloured outside a pass (as the user types) knows.
    void SetSource(const TProjectDocument* document) { Source_ = document; }
    // The encoding the text's characters stand for bytes in, as the scanner reads them.
    const TTextEncoding& Encoding() const { return Encoding_; }
    void SetEncoding(const TTextEncoding& encoding) { Encoding_ = encoding; }

    // Colours the blocks first to last (counted from 0) now, and the blocks after them while the
    // comment state they hand on changes.
    void Recolour(int first, int last);
    // Colours every block anew: the first ones now, the rest pending.
    void RecolourAll();
    // Colours the pending blocks now.
    void Finish();
    bool HasPending() const { return Pending_ >= 0; }

protected:
    // Before the view is painted, the pending blocks up to its bottom are coloured.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ContentsChange(int from, int removed, int added);
    void ColourIdleChunk();
    // Colours from block on, to last and past it while the state handed on changes, but never
    // stop or beyond (cut is then set); returns the number of the block after the last coloured.
    int ColourBlocks(QTextBlock block, int last, int stop, const TWordLookup& words, bool& cut);
    // Colours one block; openComment says whether it starts inside a "/*" comment and, on return,
    // whether it ends inside one.
    void ColourBlock(QTextBlock block, bool& openComment, const TWordLookup& words, TRgb ownColour);
    // Colours the pending blocks through last now.
    void ColourPendingThrough(int last);
    // The words for colouring outside the pending part: the pass's, or the model's as it is now.
    TWords CurrentWords();
    // How many blocks a change colours at once: more than any window shows.
    int AheadBlocks() const;
    int LastBlockInView() const;
    const QTextCharFormat& FormatOf(TRgb colour);

    QPlainTextEdit* Control_;
    QPointer<QTextDocument> Document_;
    QTimer* Idle_;
    int Blocks_ = 0;      // the document's block count when last seen
    int Pending_ = -1;    // the first block not coloured; -1: none
    TWords PendingWords_;  // what the pending blocks are to be coloured with
    TWords Words_;
    TWords Coloured_;
    std::vector<std::pair<TRgb, QTextCharFormat>> Formats_;
    const TProjectDocument* Source_ = nullptr;
    TTextEncoding Encoding_;
};
