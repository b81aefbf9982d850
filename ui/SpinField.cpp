#include "SpinField.h"

#include "catalogue/Catalogues.h"

#include <QFocusEvent>
#include <QLineEdit>

#include <algorithm>
#include <limits>

TSpinField::TSpinField(QWidget* parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinField::Changed);
}

std::int32_t TSpinField::Value() const
{
    return ParseIntDef(lineEdit()->text().toStdString(), 0);
}

void TSpinField::SetValue(std::int32_t value)
{
    const QString text = QString::number(value);
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
}

void TSpinField::stepBy(int steps)
{
    SetValue(static_cast<std::int32_t>(std::clamp<std::int64_t>(static_cast<std::int64_t>(Value()) + steps,
                                                                std::numeric_limits<std::int32_t>::min(),
                                                                std::numeric_limits<std::int32_t>::max())));
    lineEdit()->selectAll();
}

namespace {

// The whole number the text starts with (sign and digits, up to a decimal separator) does not
// fit the 32-bit value the field stands for. Such text would read as 0 while the field shows
// something else, so it is never let in.
bool WholePartOverflows(const QString& text)
{
    qsizetype end = text.indexOf(u'.');
    if (end < 0)
        end = text.size();
    const QStringView whole = QStringView(text).left(end);
    qsizetype first = whole.startsWith(u'+') || whole.startsWith(u'-') ? 1 : 0;
    if (first == whole.size() || !std::all_of(whole.begin() + first, whole.end(), [](QChar c) { return c.isDigit(); }))
        return false;
    while (first + 1 < whole.size() && whole[first] == u'0')
        ++first;  // leading zeros add nothing
    const qsizetype digits = whole.size() - first;
    constexpr qsizetype MaxDigits = 10;  // 2147483648
    if (digits > MaxDigits)
        return true;
    const qint64 magnitude = whole.mid(first).toLongLong();
    const qint64 limit = whole.startsWith(u'-') ? -static_cast<qint64>(std::numeric_limits<std::int32_t>::min())
                                                : std::numeric_limits<std::int32_t>::max();
    return magnitude > limit;
}

} // namespace

QValidator::State TSpinField::validate(QString& text, int& /*pos*/) const
{
    // The decimal separator is '.' in every locale, so that the same keys give the same value
    // wherever the editor runs (a separator never makes an integer, so it reads as 0).
    const bool typeable = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
    });
    if (!typeable || WholePartOverflows(text))
        return QValidator::Invalid;
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinField::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    const std::int32_t value = Value();
    if (value < std::numeric_limits<std::int32_t>::max())
        enabled |= StepUpEnabled;
    if (value > std::numeric_limits<std::int32_t>::min())
        enabled |= StepDownEnabled;
    return enabled;
}

void TSpinField::focusOutEvent(QFocusEvent* event)
{
    // A menu or another window taking the focus is a pause, not the end of the typing: the field
    // gets the focus back with the digits as they were.
    const Qt::FocusReason reason = event->reason();
    const bool pause = reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason ||
                       reason == Qt::ActiveWindowFocusReason;
    if (!pause)
        emit Exiting();
    QAbstractSpinBox::focusOutEvent(event);
}
