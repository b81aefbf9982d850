#include "Form_Message.h"

#include "ui_Form_Message.h"

#include "ChildWindows.h"
#include "ControlStrings.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "model/MessageTasks.h"

#include <QCloseEvent>
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
    connect(Ui_->ApplyButton, &QPushButton::clicked, this, &TMessageForm::ApplyButtonClick);
    connect(Ui_->CancelButton, &QPushButton::clicked, this, &TMessageForm::CancelButtonClick);
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

void TMessageForm::ApplyButtonClick()
{
    Guarded(this, [this] {
        if (!EditMode())
            SetResult(std::make_unique<TMessageTask>(EditLines(Ui_->MessageEdit)));
        else if (auto message = CopyOfEdited<TMessageTask>()) {
            message->Lines = EditLines(Ui_->MessageEdit);
            SetResult(std::move(message));
        }
        End(false);
    });
}

void TMessageForm::CancelButtonClick()
{
    Guarded(this, [this] { End(true); });
}

void TMessageForm::End(bool cancelled)
{
    Ending_ = true;
    Finish(cancelled);
}

void TMessageForm::closeEvent(QCloseEvent* event)
{
    if (Ending_) {
        event->accept();
        return;
    }
    // The message stays open until Apply or Cancel.
    event->ignore();
    MinimizeChild(this);
}

void TMessageForm::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event, nullptr, Ui_->CancelButton))
        TTaskEditorForm::keyPressEvent(event);
}
