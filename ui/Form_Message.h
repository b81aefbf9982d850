#pragma once
// The message editor: the lines of a dialogue message, with colour codes inserted from the colour
// chooser.

#include "TaskEditor.h"

#include <QColor>

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
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowPanelColor();
    void ColorPanelClick();
    void InsertAtCaret(const QString& text);
    void ApplyButtonClick();
    void CancelButtonClick();
    void End(bool cancelled);

    std::unique_ptr<Ui::TMessageForm> Ui_;
    QColor Color_ = Qt::black;
    bool Ending_ = false;
};
