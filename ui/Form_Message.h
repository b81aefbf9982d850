#pragma once
// The message editor: the lines of a dialogue message, with colour codes inserted from the colour
// chooser, and who speaks it (the "[Name]" line written before it).

#include "TaskEditor.h"

#include <QColor>

class QComboBox;
class QLineEdit;

#include <memory>

namespace Ui {
class TMessageForm;
}

class TMessageForm : public TTaskEditorForm {
    Q_OBJECT
public:
    explicit TMessageForm(TProjectDocument& document, QWidget* parent = nullptr);
    ~TMessageForm() override;

    void LoadTask(TTask* task) override;

    // "^RRGGBB": the colour code that the server reads inside a message line.
    static QString ColorCode(const QColor& color);

protected:
    bool ReadyToApply() const override;
    std::unique_ptr<TTask> NewTask() const override;
    void Store(TTask& task) const override;

private:
    void ShowPanelColor();
    void ColorPanelClick();
    void InsertAtCaret(const QString& text);
    void MakeSpeakerRow();
    void UpdateSpeaker();

    std::unique_ptr<Ui::TMessageForm> Ui_;
    QColor Color_ = Qt::black;
    QComboBox* SpeakerCombo_ = nullptr;  // in the order of TSpeakerKind
    QLineEdit* SpeakerEdit_ = nullptr;   // the Other speaker's name
};
