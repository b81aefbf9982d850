#pragma once
// Where each script line stands in a script view's document, as UpdateScriptText last wrote it.
// A line holding a line break is more than one block of the document; such lines are rare, so
// only they are kept, and a line's block is found from them without looking at every line again
// after each change. Any change of the document by someone else (text typed or set) makes the
// record void, and the next update sets the whole text again.

#include <QObject>
#include <QPointer>

#include <cstddef>
#include <string>
#include <vector>

class QPlainTextEdit;
class QTextDocument;

// Lines of the shown text [OldFirst, + OldCount) replaced by lines of the new text [NewFirst, +
// NewCount).
struct TLineEdit {
    std::size_t OldFirst = 0;
    std::size_t OldCount = 0;
    std::size_t NewFirst = 0;
    std::size_t NewCount = 0;
};

class TShownLines final : public QObject {
public:
    // The record attached to control, made (void) if there is none.
    static TShownLines* Of(QPlainTextEdit* control);

    // How many blocks of a document one script line makes: the control breaks a line at CR LF, at a
    // lone LF and at a lone CR, as it does when the text is set.
    static int BlockCount(const std::string& line);

    // True while document holds exactly the lineCount lines last recorded.
    bool Shows(const QTextDocument* document, std::size_t lineCount) const;
    // The block (counted from 0) the line starts; for the line after the last, the block count.
    int BlockOf(std::size_t line) const;

    // The whole text of document was set from lines.
    void Record(QTextDocument* document, const std::vector<std::string>& lines);
    // The lines of edit were replaced in the document by those of now.
    void Replace(const TLineEdit& edit, const std::vector<std::string>& now);

    // Runs change, a change of the document that the caller records itself.
    template <class F>
    void Writing(F&& change)
    {
        struct TEnd {
            bool& Flag;
            ~TEnd() { Flag = false; }
        } end{Writing_};
        Writing_ = true;
        change();
    }

private:
    explicit TShownLines(QPlainTextEdit* control);
    void ContentsChange(int from, int removed, int added);
    void Follow(QTextDocument* document);

    // A line that makes more than one block: its number, and the extra blocks of it and of every
    // such line before it.
    struct TBreak {
        std::size_t Line;
        int ExtraThrough;
    };
    // The breaks of lines [first, first + count) of lines, numbered from at on, after extra blocks.
    void AppendBreaks(const std::vector<std::string>& lines, std::size_t first, std::size_t count, std::size_t at,
                      int extra, std::vector<TBreak>& into) const;
    int ExtraBefore(std::size_t line) const;

    QPointer<QTextDocument> Document_;
    std::vector<TBreak> Breaks_;  // by line
    std::size_t Lines_ = 0;
    int Blocks_ = 0;
    bool Valid_ = false;
    bool Writing_ = false;
};
