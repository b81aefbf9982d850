#include "SpinField.h"

#include "global/DCatalogues.h"
#include "ui/QtText.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>

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
    return ParseIntDef(FromQ(lineEdit()->text()), Min_);
}

void TSpinField::SetValue(std::int32_t value)
{
    const QString text = QString::number(Clamped(value));
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
}

void TSpinField::SetRange(std::int32_t min, std::int32_t max)
{
    Min_ = min;
    Max_ = max;
    if (HasRange())
        SetValue(Value());
}

void TSpinField::stepBy(int steps)
{
    SetValue(Clamped(static_cast<std::int64_t>(Value()) + steps));
    lineEdit()->selectAll();
}

QValidator::State TSpinField::validate(QString& text, int& /*pos*/) const
{
    const QChar separator = locale().decimalPoint().at(0);
    const bool typeable = std::all_of(text.cbegin(), text.cend(), [separator](QChar c) {
        return c.isDigit() || c == u'+' || c == u'-' || c == separator;
    });
    return typeable ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled TSpinField::stepEnabled() const
{
    if (!HasRange())
        return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    const std::int32_t value = Value();
    if (value < Max_)
        enabled |= StepUpEnabled;
    if (value > Min_)
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
    if (!pause) {
        emit Exiting();
        if (HasRange())
            SetValue(Value());
    }
    QAbstractSpinBox::focusOutEvent(event);
}

std::int32_t TSpinField::Clamped(std::int64_t value) const
{
    if (HasRange())
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, Min_, Max_));
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}
