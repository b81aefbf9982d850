#pragma once
// The integer field of the NPC window and the task editors. Its text is what counts: the value is
// the text read as a signed 32-bit decimal, and anything else (an empty field, a lone sign) reads
// as 0. It has no range narrower than that: the server takes any number where a catalogue lists
// only some (a sprite of a newer client, FAKE_NPC's -1), and no field corrects what it holds.

#include <QAbstractSpinBox>

#include <cstdint>

class TSpinField : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinField(QWidget* parent = nullptr);

    std::int32_t Value() const;
    // Sets the text to value. Setting the text the field already shows changes nothing and
    // reports nothing.
    void SetValue(std::int32_t value);

    void stepBy(int steps) override;

signals:
    // The text changed, by typing, by a step or by the program.
    void Changed();
    // The focus is leaving the field for another control. A menu or another window taking the
    // focus is no leaving.
    void Exiting();

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

};
