#pragma once
// A line of script text in an editor (an expression, or a statement such as a loop's step),
// checked by the script reader as it is typed: the field turns red and its message label says
// what the reader found, the same way in every editor that has one.

#include "catalogue/Targets.h"

#include <QObject>

#include <string>

class QLabel;
class QLineEdit;

// What the reader finds wrong in text as an expression of target's scripts; empty when nothing.
std::string ExpressionProblem(const std::string& text, TServerTarget target);
// The same for text as one statement without its ';' (a for loop's start or step).
std::string StatementProblem(const std::string& text, TServerTarget target);

class TTextEncoding;

class TExpressionField : public QObject {
    Q_OBJECT
public:
    enum class TShape { Expression, Statement };
    // Checks edit as it changes; message (may be nullptr) shows the finding. Empty text is left
    // alone when emptyAllowed. The text is read in encoding, the document's, which outlives the
    // field.
    TExpressionField(QLineEdit* edit, QLabel* message, TServerTarget target, const TTextEncoding& encoding,
                     TShape shape = TShape::Expression, bool emptyAllowed = false);

    // What the reader found in the field's text now (or a character the script's encoding cannot
    // hold); empty when it is fit.
    std::string Problem() const;
    // The text, trimmed of blanks round it.
    std::string Text() const;
    void Check();

private:
    QLineEdit* Edit_;
    QLabel* Message_;
    TServerTarget Target_;
    const TTextEncoding& Encoding_;
    TShape Shape_;
    bool EmptyAllowed_;
};
