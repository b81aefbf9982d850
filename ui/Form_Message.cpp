#include "Form_Message.h"

#include "ui_Form_Message.h"

#include "ChildWindows.h"
#include "ControlStrings.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "platform/TextEncoding.h"
#include "model/MessageTasks.h"
#include "platform/Errors.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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
    MakeSpeakerRow();

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
    SetEditLines(Ui_->MessageEdit, message->Lines, Encoding());
    SpeakerCombo_->setCurrentIndex(static_cast<int>(message->Speaker));
    SpeakerEdit_->setText(Encoding().ToQ(message->SpeakerText));
    UpdateSpeaker();
    SetEditedTask(message);
}

void TMessageForm::MakeSpeakerRow()
{
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Speaker:"), this);
    SpeakerCombo_ = new QComboBox(this);
    SpeakerCombo_->setObjectName(QStringLiteral("SpeakerCombo"));
    SpeakerCombo_->addItems({QStringLiteral("Name shown, first in group"), QStringLiteral("NPC's full name"),
                             QStringLiteral("Name shown (before #)"), QStringLiteral("Other:"),
                             QStringLiteral("None")});
    SpeakerCombo_->setToolTip(QStringLiteral("The name written as \"[Name]\" before the message"));
    label->setBuddy(SpeakerCombo_);
    SpeakerEdit_ = new QLineEdit(this);
    SpeakerEdit_->setObjectName(QStringLiteral("SpeakerEdit"));
    row->addWidget(label);
    row->addWidget(SpeakerCombo_);
    row->addStretch();
    // The other speaker's name on a line of its own: beside the list it had room for a few letters.
    auto* other = new QHBoxLayout;
    other->addWidget(SpeakerEdit_);
    Ui_->FormLayout->insertLayout(0, other);
    Ui_->FormLayout->insertLayout(0, row);
    connect(SpeakerCombo_, &QComboBox::currentIndexChanged, this, &TMessageForm::UpdateSpeaker);
    UpdateSpeaker();
}

void TMessageForm::UpdateSpeaker()
{
    SpeakerEdit_->setEnabled(SpeakerCombo_->currentIndex() == static_cast<int>(TSpeakerKind::Other));
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
        const std::optional<QColor> chosen = Dialogs(this).ChooseColor(this, Color_);
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

bool TMessageForm::ReadyToApply() const
{
    if (SpeakerCombo_->currentIndex() == static_cast<int>(TSpeakerKind::Other) &&
        SpeakerEdit_->text().trimmed().isEmpty())
        throw EListError("Write the speaker's name, or choose another speaker.");
    return true;
}

std::unique_ptr<TTask> TMessageForm::NewTask() const
{
    return std::make_unique<TMessageTask>();
}

void TMessageForm::Store(TTask& task) const
{
    auto& message = static_cast<TMessageTask&>(task);
    message.Lines = EditLines(Ui_->MessageEdit, Encoding());
    message.Speaker = static_cast<TSpeakerKind>(SpeakerCombo_->currentIndex());
    // Only another speaker has a name of its own; the record keeps none for the rest.
    message.SpeakerText = message.Speaker == TSpeakerKind::Other ? Encoding().FromQ(SpeakerEdit_->text()) : std::string();
}
