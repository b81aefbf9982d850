#pragma once
// The integer field of the NPC window. Its text is what counts: the value is the text read as a
// signed 32-bit decimal, and anything else (an empty field, a lone sign) reads as the minimum.
// A range is in force only when the minimum differs from the maximum; it clamps values set by the
// program and by the arrows at once, but typed text only when the field is left, so that the
// digits typed on the way to a valid number are not corrected under the user's fingers.

#include <QAbstractSpinBox>

#include <cstdint>

class TSpinField : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinField(QWidget* parent = nullptr);

    std::int32_t Value() const;
    // Sets the text to value, clamped into the range. Setting the text the field already shows
    // changes nothing and reports nothing.
    void SetValue(std::int32_t value);

    // min >= max means no range; the minimum is still what a non-number reads as.
    void SetRange(std::int32_t min, std::int32_t max);
    std::int32_t Minimum() const { return Min_; }
    std::int32_t Maximum() const { return Max_; }
    bool HasRange() const { return Min_ < Max_; }

    void stepBy(int steps) override;

signals:
    // The text changed, by typing, by a step or by the program.
    void Changed();
    // The focus is leaving the field for another control; the range is enforced right after
    // this. A menu or another window taking the focus is no leaving.
    void Exiting();

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::int32_t Clamped(std::int64_t value) const;

    std::int32_t Min_ = 0;
    std::int32_t Max_ = 0;
};
