#pragma once
// Colouring of the script views (the output window, the script file window and the code editors).
// The tokens and their colours come from the scanner in output/Highlight; this layer applies them
// to a QPlainTextEdit's document as foreground colours, without touching the text itself.
//
// A large text is coloured in view first: SetScriptText colours the lines the control can show,
// and the rest as they come into view or in idle time. Code that reads the colours of lines that
// may not have been shown calls FinishColouring first.

#include "model/LineChange.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class QPlainTextEdit;
class QWidget;
class TProjectDocument;
class TTextEncoding;

// Where a document is given, the labels of its project's groups are coloured as such (the project
// as it is whenever a line is coloured); without, only the catalogues' words are. The text's
// characters are scanned as the bytes they stand for in the encoding given (the document's).

// Colours one line (counted from 0) of the control's text.
void HighlightLine(QPlainTextEdit* control, int line);
// Colours every line of the control's text now. From then on the control's document keeps its
// colours up to date as its text changes.
void HighlightAll(QPlainTextEdit* control, const TTextEncoding& encoding, const TProjectDocument* document = nullptr);
// Colours now the lines of the control's text that are still waiting for their colours.
void FinishColouring(QPlainTextEdit* control);
// Script text in the fixed-pitch font every view of a script uses (output, manual code, import
// preview), pixels high, with the tab stops of SetTabStops.
void UseScriptFont(QWidget* window, QPlainTextEdit* control, int pixels = 12);
// Gives the control 30 evenly spaced tab stops measured from the letter "A" in its font, as
// drawn on window, but never closer than four blanks of that font.
void SetTabStops(QWidget* window, QPlainTextEdit* control);
// Replaces the whole text of the control and colours it, in one colouring pass: the lines in view
// at once, the rest after (FinishColouring).
void SetScriptText(QPlainTextEdit* control, const QString& text, const TTextEncoding& encoding,
                   const TProjectDocument* document = nullptr);
// The control shows shownLines (joined by line breaks); makes it show lines, coloured, with the
// same result as SetScriptText. Only the lines that differ are rewritten, and of the others only
// those holding a word the model now colours otherwise are coloured again; the view keeps its
// place. After a small change to a large script that is a small part of the work. Where the
// caller knows the lines that changed (every line outside changed is the same in both), only
// those are compared; a range that does not fit the two scripts is ignored and every line compared.
void UpdateScriptText(QPlainTextEdit* control, const std::vector<std::string>& shownLines,
                      const std::vector<std::string>& lines, const TTextEncoding& encoding,
                      const TProjectDocument* document = nullptr,
                      const std::optional<TLineChange>& changed = std::nullopt);
