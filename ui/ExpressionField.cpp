#include "ExpressionField.h"

#include "platform/TextEncoding.h"

#include "script/Parser.h"

#include <QLabel>
#include <QLineEdit>

namespace {

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Described(const script::TDiagnostic& error)
{
    return "column " + std::to_string(error.Range.Begin.Column) + ": " + error.Message;
}

} // namespace

std::string ExpressionProblem(const std::string& text, TServerTarget target)
{
    if (Trimmed(text).empty())
        return "an expression is needed";
    std::optional<script::TDiagnostic> error;
    const auto expr = script::ParseExpression(text, error, target);
    if (error)
        return Described(*error);
    return expr ? std::string() : "not an expression";
}

std::string StatementProblem(const std::string& text, TServerTarget target)
{
    if (Trimmed(text).empty())
        return "a statement is needed";
    // One statement: a second one, or a block, would not stand in a for loop's head.
    if (text.find_first_of(";{}") != std::string::npos)
        return "one statement without ';', braces or a second statement";
    const script::TBodyResult result = script::ParseStatements(text + ";", nullptr, target);
    return result.Error ? Described(*result.Error) : std::string();
}

TExpressionField::TExpressionField(QLineEdit* edit, QLabel* message, TServerTarget target, const TTextEncoding& encoding,
                                   TShape shape, bool emptyAllowed)
    : QObject(edit), Edit_(edit), Message_(message), Target_(target), Encoding_(encoding), Shape_(shape),
      EmptyAllowed_(emptyAllowed)
{
    connect(edit, &QLineEdit::textChanged, this, &TExpressionField::Check);
}

std::string TExpressionField::Text() const
{
    return Trimmed(Encoding_.FromQ(Edit_->text()));
}

std::string TExpressionField::Problem() const
{
    try {
        const std::string text = Text();
        if (text.empty() && EmptyAllowed_)
            return {};
        return Shape_ == TShape::Expression ? ExpressionProblem(text, Target_) : StatementProblem(text, Target_);
    } catch (const std::exception& error) {
        return error.what();  // a character the script's encoding cannot hold
    }
}

void TExpressionField::Check()
{
    const std::string problem = Problem();
    // An empty field that must be filled is not yet an error while the user has typed nothing.
    const bool shown = !problem.empty() && !Edit_->text().isEmpty();
    Edit_->setStyleSheet(shown ? QStringLiteral("QLineEdit { color: red; }") : QString());
    Edit_->setToolTip(shown ? Encoding_.ToQ(problem) : QString());
    if (Message_)
        Message_->setText(shown ? Encoding_.ToQ(problem) : QString());
}
