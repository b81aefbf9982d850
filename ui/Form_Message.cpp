#include "Form_Message.h"

#include "ui_Form_Message.h"

#include "ChildWindows.h"
#include "ControlStrings.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "model/MessageTasks.h"

#include <QTextCursor>

TMessageForm::TMessageForm(TProjectDocument& document, QWidget* parent)
    : TTaskEditorForm(document, parent), Ui_(std::make_unique<Ui::TMessageForm>())
{
    Ui_->setupUi(this);
    setFixedSize(400, 400);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    Ui_->MessageEdit->setFont(font);
    KeepSelectionVisible(Ui_->MessageEdit);
    ShowPanelColor();

    connect(Ui_->ColorPanel, &QPushButton::clicked, this, &TMessageForm::ColorPanelClick);
    // The message keeps what was typed until Apply or Cancel; Enter starts a new line.
    SetButtons(Ui_->ApplyButton, Ui_->CancelButton, nullptr, TCloseBox::Minimises);
}

TMessageForm::~TMessageForm() = default;

void TMessageForm::LoadTask(TTask* task)
{
    auto* message = dynamic_cast<TMessageTask*>(task);
    if (!message)
        return;
    SetEditLines(Ui_->MessageEdit, message->Lines);
    SetEditedTask(message);
}

QString TMessageForm::ColorCode(const QColor& color)
{
    const auto hex = [](int component) { return QStringLiteral("%1").arg(component, 2, 16, QLatin1Char('0')); };
    return (QLatin1Char('^') + hex(color.red()) + hex(color.green()) + hex(color.blue())).toUpper();
}

void TMessageForm::ShowPanelColor()
{
    Ui_->ColorPanel->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid gray; }").arg(Color_.name()));
}

void TMessageForm::ColorPanelClick()
{
    Guarded(this, [this] {
        const std::optional<QColor> chosen = Dialogs().ChooseColor(this, Color_);
        if (!chosen)
            return;
        Color_ = *chosen;
        ShowPanelColor();
        InsertAtCaret(ColorCode(Color_));
        // The user goes on typing the words the code colours.
        Ui_->MessageEdit->setFocus();
    });
}

void TMessageForm::InsertAtCaret(const QString& text)
{
    // The code goes in front of a selection rather than replacing it: the selected words are what
    // the user wants coloured.
    QTextCursor cursor = Ui_->MessageEdit->textCursor();
    cursor.setPosition(cursor.selectionStart());
    cursor.insertText(text);
    Ui_->MessageEdit->setTextCursor(cursor);
}

std::unique_ptr<TTask> TMessageForm::NewTask() const
{
    return std::make_unique<TMessageTask>();
}

void TMessageForm::Store(TTask& task) const
{
    static_cast<TMessageTask&>(task).Lines = EditLines(Ui_->MessageEdit);
}
