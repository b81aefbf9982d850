#include "Form_ScriptEntry.h"

#include "ChildWindows.h"
#include "Dialogs.h"
#include "Form_Editor.h"
#include "Form_NPC.h"
#include "Form_PlayTest.h"
#include "Form_ScriptFile.h"
#include "Form_Tasks.h"
#include "platform/TextEncoding.h"
#include "SyntaxHighlight.h"

#include "document/Document.h"
#include "output/Highlight.h"
#include "script/Checker.h"
#include "workspace/WriteBack.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Pause in typing before the file is checked again.
constexpr int CheckDelayMs = 400;

QPushButton* AddButton(QWidget* owner, QHBoxLayout* row, const char* name, const QString& text)
{
    auto* button = new QPushButton(text, owner);
    button->setObjectName(QLatin1String(name));
    row->addWidget(button);
    return button;
}

QString EntryTitle(const TScriptPart& part, const char* as, const TTextEncoding& encoding)
{
    return QString::fromLatin1(PartKindName(part.Kind)) + u' ' + encoding.ToQ(part.Name) + QStringLiteral(" (") +
           QString::fromLatin1(as) + u')';
}

} // namespace

void UseScriptLook(QWidget* window, QPlainTextEdit* control)
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    control->setFont(font);
    QPalette palette = control->palette();
    const auto colour = [](TRgb rgb) { return QColor(rgb.R, rgb.G, rgb.B); };
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, colour(ScriptBackground));
        palette.setColor(group, QPalette::Text, colour(ScriptTextColour));
    }
    control->setPalette(palette);
    control->setLineWrapMode(QPlainTextEdit::NoWrap);
    SetTabStops(window, control);
}

int ShowErrorMarks(QPlainTextEdit* control, const std::vector<script::TDiagnostic>& diagnostics,
                   const TTextEncoding& encoding, int firstLine)
{
    QList<QTextEdit::ExtraSelection> marks;
    for (const script::TDiagnostic& d : diagnostics) {
        const QTextBlock block = control->document()->findBlockByNumber(d.Range.Begin.Line - firstLine);
        if (d.Severity != script::TSeverity::Error || !block.isValid())
            continue;
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.format.setUnderlineColor(Qt::red);
        mark.format.setToolTip(encoding.ToQ(d.Message));
        marks << mark;
    }
    control->setExtraSelections(marks);
    return static_cast<int>(marks.size());
}

// ---- As code -----------------------------------------------------------------------------------

TScriptCodeForm::TScriptCodeForm(TScriptFileForm& file, std::size_t part, QWidget* parent)
    : QWidget(parent), File_(file), Part_(part)
{
    setObjectName(QStringLiteral("ScriptCodeForm"));
    setWindowTitle(EntryTitle(file.Workspace().Parts()[part], "code", file.Encoding()));
    Code_ = new QPlainTextEdit(this);
    Code_->setObjectName(QStringLiteral("CodeEdit"));
    UseScriptLook(this, Code_);
    SetScriptText(Code_, file.Encoding().ToQ(file.Workspace().CurrentText(part)), file.Encoding());
    Code_->document()->clearUndoRedoStacks();
    Shown_ = Code_->toPlainText();
    Check_ = new QLabel(this);
    Check_->setObjectName(QStringLiteral("CheckStatus"));
    Check_->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    connect(AddButton(this, buttons, "UndoButton", QStringLiteral("&Undo")), &QPushButton::clicked, Code_, &QPlainTextEdit::undo);
    connect(AddButton(this, buttons, "RedoButton", QStringLiteral("&Redo")), &QPushButton::clicked, Code_, &QPlainTextEdit::redo);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Code_, 1);
    layout->addWidget(Check_);
    layout->addLayout(buttons);
    CheckTimer_ = new QTimer(this);
    CheckTimer_->setSingleShot(true);
    CheckTimer_->setInterval(CheckDelayMs);
    connect(CheckTimer_, &QTimer::timeout, this, [this] { Guarded(this, [this] { CheckNow(); }); });
    connect(Code_, &QPlainTextEdit::textChanged, this, [this] { Guarded(this, [this] { TextEdited(); }); });
    resize(700, 450);
    CheckNow();
}

void TScriptCodeForm::TextEdited()
{
    // Colouring reports a change too, without changing a character.
    if (Code_->toPlainText() == Shown_)
        return;
    Shown_ = Code_->toPlainText();
    File_.Workspace().SetPartText(Part_, File_.Encoding().FromQ(Code_->toPlainText()));
    File_.PartEdited();
    CheckTimer_->start();
}

// The whole new file is checked, so that calls of the file's functions and duplicates of its NPCs
// are known; the marks are those on this entry's lines.
void TScriptCodeForm::CheckNow()
{
    CheckTimer_->stop();
    const TScriptWorkspace& workspace = File_.Workspace();
    script::TCheckOptions options;
    options.Target = workspace.Target();
    const std::vector<script::TDiagnostic> found = script::CheckScriptText(workspace.NewBytes(), options);
    const int first = workspace.NewFirstLine(Part_);
    const int last = first + Code_->blockCount() - 1;
    std::vector<script::TDiagnostic> mine;
    for (const script::TDiagnostic& d : found)
        if (d.Range.Begin.Line >= first && d.Range.Begin.Line <= last)
            mine.push_back(d);
    const int errors = ShowErrorMarks(Code_, mine, File_.Encoding(), first);
    Check_->setText(errors == 0 ? QStringLiteral("No error the server would refuse.")
                                : QStringLiteral("%1 error(s); first: line %2: %3")
                                      .arg(errors)
                                      .arg(mine.front().Range.Begin.Line - first + 1)
                                      .arg(File_.Encoding().ToQ(mine.front().Message)));
}

// ---- As tasks ----------------------------------------------------------------------------------

TScriptNpcForm::TScriptNpcForm(TScriptFileForm& file, std::size_t part, QWidget* parent)
    : QWidget(parent), File_(file), Entry_(file.Workspace(), part, file.Servers()->Catalogues()),
      Document_(std::make_unique<TProjectDocument>(file.Servers()))
{
    setObjectName(QStringLiteral("ScriptNpcForm"));
    const TScriptPart& entry = file.Workspace().Parts()[part];
    Document_->SetEncoding(file.Encoding());
    Document_->AdoptProject(entry.Name, Entry_.TakeProject());
    setWindowTitle(EntryTitle(entry, "tasks", Document_->Encoding()));

    Tasks_ = new TTaskForm(*Document_, this);
    // Beside the main window's output, each NPC's output says whose script it shows.
    Tasks_->OutputTitle = QStringLiteral("Output - ") + Document_->Encoding().ToQ(Document_->Project().NPCInfo.Name);
    Npc_ = new TNPCForm(*Document_, this);
    Status_ = new QLabel(QStringLiteral("As opened."), this);
    Status_->setObjectName(QStringLiteral("Status"));
    Status_->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    connect(AddButton(this, buttons, "UndoButton", QStringLiteral("&Undo")), &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { Document_->Undo(); }); });
    connect(AddButton(this, buttons, "RedoButton", QStringLiteral("&Redo")), &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { Document_->Redo(); }); });
    connect(AddButton(this, buttons, "PlayTestButton", QStringLiteral("&Play Test")), &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { PlayTest(); }); });
    buttons->addStretch();
    auto* windows = new QHBoxLayout;
    windows->addWidget(Tasks_, 1);
    windows->addWidget(Npc_, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(windows, 1);
    layout->addWidget(Status_);
    layout->addLayout(buttons);
    connect(Document_.get(), &TProjectDocument::Changed, this, [this] { Guarded(this, [this] { ProjectChanged(); }); });
    resize(Npc_->width() + 420, std::max(Npc_->height(), 360) + 80);
}

TScriptNpcForm::~TScriptNpcForm()
{
    // The windows bound to this NPC's document that other windows frame (the output, play-test
    // and task editor windows) and the children inside follow the document, which is a member and
    // so dies before Qt would delete them: they go first.
    QList<QPointer<QWidget>> bound{PlayTest_.data()};
    for (QWidget* window : Tasks_->OpenedWindows())
        bound << window;
    for (const QPointer<QWidget>& window : bound)
        if (window)
            delete ChildFrame(window);
    DeleteChildrenFirst(*this, false);
}

TPlayTestForm* TScriptNpcForm::PlayTest()
{
    if (!PlayTest_) {
        // The output window shows the line that runs.
        if (!Tasks_->Output())
            Tasks_->ShowOutput();
        PlayTest_ = new TPlayTestForm(*Document_, Tasks_);
        PlayTest_->setWindowTitle(QStringLiteral("Play Test - ") + Document_->Encoding().ToQ(Document_->Project().NPCInfo.Name));
        PlayTest_->Place(this);
        PlayTest_->Restart();
    }
    BringToFront(PlayTest_);
    return PlayTest_;
}

namespace {

bool IsUndoKey(const QKeyEvent& key)
{
    return key.matches(QKeySequence::Undo);
}

bool IsRedoKey(const QKeyEvent& key)
{
    const QKeyCombination pressed = key.keyCombination();
    return key.matches(QKeySequence::Redo) || pressed == QKeyCombination(Qt::CTRL | Qt::Key_Y) ||
           pressed == QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
}

} // namespace

// A control that has an undo of its own (a text field) takes the keys first; what reaches the
// window is the NPC's.
bool TScriptNpcForm::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (IsUndoKey(key) || IsRedoKey(key)) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TScriptNpcForm::keyPressEvent(QKeyEvent* event)
{
    if (IsUndoKey(*event))
        Guarded(this, [this] { Document_->Undo(); });
    else if (IsRedoKey(*event))
        Guarded(this, [this] { Document_->Redo(); });
    else
        QWidget::keyPressEvent(event);
}

// Tasks the writer refuses leave the NPC unsaved: the file window refuses to save or close over
// them without asking.
void TScriptNpcForm::ProjectChanged()
{
    Entry_.Follow(File_.Workspace(), Document_->Project());
    if (!Entry_.WriteError().empty())
        Status_->setText(QStringLiteral("Not written into the file: ") + Document_->Encoding().ToQ(Entry_.WriteError()));
    else if (Document_->Project().Modified)
        Status_->setText(QStringLiteral("Changed: the file gets the editor's lines for this NPC when saved."));
    else
        Status_->setText(QStringLiteral("As opened."));
    File_.PartEdited();
}

void TScriptNpcForm::Saved()
{
    Entry_.Saved(File_.Workspace());
    Document_->SetModified(false);
}
