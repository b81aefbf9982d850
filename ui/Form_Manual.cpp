#include "Form_Manual.h"

#include "ui_Form_Manual.h"

#include "ChildWindows.h"
#include "ControlStrings.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "platform/TextEncoding.h"
#include "SyntaxHighlight.h"
#include "document/Document.h"
#include "model/ManualTasks.h"

#include <QLabel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

namespace {

const QColor Navy(0, 0, 128);
const QColor Yellow(255, 255, 0);
// An error on the navy background: a light red wave over a dark red ground, both plain to see
// where a red wave alone sinks into the blue.
const QColor ErrorWave(255, 120, 120);
const QColor ErrorGround(128, 0, 0);
// Long enough not to check between two keys of a word, short enough to feel immediate.
constexpr int CheckPauseMs = 250;

} // namespace

TManualForm::TManualForm(TProjectDocument& document, QWidget* parent)
    : TTaskEditorForm(document, parent), Ui_(std::make_unique<Ui::TManualForm>())
{
    Ui_->setupUi(this);
    QPlainTextEdit* code = Ui_->CodeEdit;
    UseScriptFont(this, code);
    QPalette palette = code->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, Navy);
        palette.setColor(group, QPalette::Text, Yellow);
    }
    code->setPalette(palette);
    KeepSelectionVisible(code);
    // Colours as typed from the start, the project's group labels among the words it knows.
    HighlightAll(code, Encoding(), &Document());

    CheckStatus_ = new QLabel(this);
    CheckStatus_->setObjectName(QStringLiteral("CheckStatus"));
    CheckStatus_->setWordWrap(true);
    Ui_->CodeLayout->addWidget(CheckStatus_);
    CheckTimer_ = new QTimer(this);
    CheckTimer_->setSingleShot(true);
    CheckTimer_->setInterval(CheckPauseMs);
    connect(CheckTimer_, &QTimer::timeout, this, [this] { Guarded(this, [this] { CheckNow(); }); });

    connect(code, &QPlainTextEdit::textChanged, this, &TManualForm::CodeEditChange);
    connect(code, &QPlainTextEdit::cursorPositionChanged, this, &TManualForm::ShowCaretMessage);
    SetButtons(Ui_->ApplyButton, Ui_->CancelButton, nullptr);
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
    SetEditLines(code, manual->Lines, Encoding());
    HighlightAll(code, Encoding(), &Document());
    Colouring_ = false;
    code->setUpdatesEnabled(true);
    SetEditedTask(manual);
    CheckNow();
}

void TManualForm::GoToLine(int line)
{
    QPlainTextEdit* code = Ui_->CodeEdit;
    const QTextBlock block = code->document()->findBlockByNumber(std::max(line, 0));
    if (!block.isValid())
        return;
    code->setTextCursor(QTextCursor(block));
    code->centerCursor();
    code->setFocus();
}

void TManualForm::CheckNow()
{
    CheckTimer_->stop();
    const auto* task = EditMode() ? static_cast<const TManualTask*>(EditedTask()) : nullptr;
    Findings_ = CheckManualCode(Project(), task, EditLines(Ui_->CodeEdit, Encoding()));
    ShowFindings();
}

void TManualForm::ShowFindings()
{
    QPlainTextEdit* code = Ui_->CodeEdit;
    QList<QTextEdit::ExtraSelection> marks;
    for (const TCodeFinding& finding : Findings_) {
        if (finding.Severity != script::TSeverity::Error)
            continue;
        const QTextBlock block = code->document()->findBlockByNumber(finding.Line);
        if (!block.isValid())
            continue;
        // From the reported column to the line's end; a finding past the end marks the line.
        QTextCursor cursor(block);
        const int column = std::min(finding.Column - 1, std::max(block.length() - 2, 0));
        cursor.setPosition(block.position() + column);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextEdit::ExtraSelection mark;
        mark.cursor = cursor;
        mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.format.setUnderlineColor(ErrorWave);
        mark.format.setBackground(ErrorGround);
        marks << mark;
    }
    code->setExtraSelections(marks);
    ShowCaretMessage();
}

void TManualForm::ShowCaretMessage()
{
    const int line = Ui_->CodeEdit->textCursor().blockNumber();
    QStringList messages;
    for (const TCodeFinding& finding : Findings_) {
        if (finding.Line == line)
            messages << (finding.Severity == script::TSeverity::Error ? QStringLiteral("Error: ")
                                                                       : QStringLiteral("Warning: ")) +
                            Encoding().ToQ(finding.Message);
    }
    CheckStatus_->setText(messages.join(u'\n'));
}

void TManualForm::CodeEditChange()
{
    // Colouring changes the document's formats, which reports a change again.
    if (Colouring_)
        return;
    CheckTimer_->start();
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

std::unique_ptr<TTask> TManualForm::NewTask() const
{
    return std::make_unique<TManualTask>();
}

void TManualForm::Store(TTask& task) const
{
    static_cast<TManualTask&>(task).Lines = EditLines(Ui_->CodeEdit, Encoding());
}

void TManualForm::showEvent(QShowEvent* event)
{
    TTaskEditorForm::showEvent(event);
    if (!Sized_) {
        Sized_ = true;
        SetClientSize(this, 400, 400);
    }
}
