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
    std::unique_ptr<TTask> NewTask() const override;
    void Store(TTask& task) const override;

private:
    void ShowPanelColor();
    void ColorPanelClick();
    void InsertAtCaret(const QString& text);

    std::unique_ptr<Ui::TMessageForm> Ui_;
    QColor Color_ = Qt::black;
};
