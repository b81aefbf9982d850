#include "Form_Manual.h"

#include "ui_Form_Manual.h"

#include "ChildWindows.h"
#include "ControlStrings.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "SyntaxHighlight.h"
#include "tasks/DManual.h"

#include <QCloseEvent>
#include <QTextCursor>

namespace {

const QColor Navy(0, 0, 128);
const QColor Yellow(255, 255, 0);

} // namespace

TManualForm::TManualForm(QWidget* parent)
    : TTaskEditorForm(parent), Ui_(std::make_unique<Ui::TManualForm>())
{
    Ui_->setupUi(this);
    QPlainTextEdit* code = Ui_->CodeEdit;
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    code->setFont(font);
    QPalette palette = code->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, Navy);
        palette.setColor(group, QPalette::Text, Yellow);
    }
    code->setPalette(palette);
    KeepSelectionVisible(code);
    SetTabStops(this, code);

    connect(code, &QPlainTextEdit::textChanged, this, &TManualForm::CodeEditChange);
    connect(Ui_->ApplyButton, &QPushButton::clicked, this, &TManualForm::ApplyButtonClick);
    connect(Ui_->CancelButton, &QPushButton::clicked, this, &TManualForm::CancelButtonClick);
}

TManualForm::~TManualForm() = default;

void TManualForm::LoadTask(TTask* task)
{
    auto* manual = dynamic_cast<TManualTask*>(task);
    if (!manual)
        return;
    QPlainTextEdit* code = Ui_->CodeEdit;
    code->setUpdatesEnabled(false);
    Colouring_ = true;
    SetEditLines(code, manual->Lines);
    HighlightAll(code);
    Colouring_ = false;
    code->setUpdatesEnabled(true);
    SetEditedTask(manual);
}

void TManualForm::CodeEditChange()
{
    // Colouring changes the document's formats, which reports a change again.
    if (Colouring_)
        return;
    Colouring_ = true;
    QPlainTextEdit* code = Ui_->CodeEdit;
    const QTextCursor caret = code->textCursor();
    const int position = caret.selectionStart();
    HighlightLine(code, caret.blockNumber());
    if (code->textCursor().position() != position || code->textCursor().hasSelection()) {
        QTextCursor restored = code->textCursor();
        restored.setPosition(position);
        code->setTextCursor(restored);
    }
    Colouring_ = false;
}

void TManualForm::ApplyButtonClick()
{
    Guarded(this, [this] {
        if (!EditMode())
            SetResult(std::make_unique<TManualTask>(EditLines(Ui_->CodeEdit)));
        else if (auto manual = CopyOfEdited<TManualTask>()) {
            manual->Lines = EditLines(Ui_->CodeEdit);
            SetResult(std::move(manual));
        }
        End(false);
    });
}

void TManualForm::CancelButtonClick()
{
    Guarded(this, [this] { End(true); });
}

void TManualForm::End(bool cancelled)
{
    Ending_ = true;
    Finish(cancelled);
}

void TManualForm::closeEvent(QCloseEvent* event)
{
    if (!Ending_)
        CancelButtonClick();
    event->accept();
}

void TManualForm::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event, nullptr, Ui_->CancelButton))
        TTaskEditorForm::keyPressEvent(event);
}

void TManualForm::showEvent(QShowEvent* event)
{
    TTaskEditorForm::showEvent(event);
    if (!Sized_) {
        Sized_ = true;
        SetClientSize(this, 400, 400);
    }
}
