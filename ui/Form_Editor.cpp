#include "Form_Editor.h"
#include "ui_Form_Editor.h"

#include "ChildWindows.h"
#include "WindowPlaces.h"
#include "SyntaxHighlight.h"
#include "document/Document.h"
#include "model/ScriptMemo.h"

#include "output/Highlight.h"

#include <QCloseEvent>
#include <QFont>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextBlock>


namespace {

constexpr int ClientWidth = 400;
constexpr int ClientHeight = 400;
constexpr int MinimumOuterWidth = 208;
constexpr int MinimumOuterHeight = 227;
constexpr int ScriptFontPixels = 12;

QColor ToColor(TRgb colour)
{
    return QColor(colour.R, colour.G, colour.B);
}

// Repainting stays off while the text is replaced and coloured, on every way out.
class TUpdatesSuspended {
public:
    explicit TUpdatesSuspended(QWidget* widget) : Widget_(widget) { Widget_->setUpdatesEnabled(false); }
    ~TUpdatesSuspended() { Widget_->setUpdatesEnabled(true); }
    TUpdatesSuspended(const TUpdatesSuspended&) = delete;
    TUpdatesSuspended& operator=(const TUpdatesSuspended&) = delete;

private:
    QWidget* Widget_;
};

} // namespace

TEditorForm::TEditorForm(TProjectDocument& document, QWidget* parent)
    : QWidget(parent), Document_(document), Ui_(std::make_unique<Ui::TEditorForm>())
{
    Ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    FormCreate();
}

TEditorForm::~TEditorForm() = default;

void TEditorForm::FormCreate()
{
    UseScriptFont(this, Editor(), ScriptFontPixels);
    QPalette palette = Editor()->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, ToColor(ScriptBackground));
        palette.setColor(group, QPalette::Text, ToColor(ScriptTextColour));
    }
    Editor()->setPalette(palette);
}

void TEditorForm::Place(QObject* owner)
{
    QWidget* frame = ShowChildWindow(this, owner);
    // A system menu and a minimise button, no maximise button.
    const Qt::WindowFlags kind = frame == this ? Qt::Window : Qt::SubWindow;
    frame->setWindowFlags(kind | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    frame->setMinimumSize(MinimumOuterWidth, MinimumOuterHeight);
    SetClientSize(this, ClientWidth, ClientHeight);
    RememberPlace(this);
    BringToFront(this);
}

QPlainTextEdit* TEditorForm::Editor() const
{
    return Ui_->Editor;
}

void TEditorForm::ShowScript(std::vector<std::string> lines)
{
    ShownMemo_ = nullptr;
    ShowLines(std::move(lines));
}

void TEditorForm::ShowLines(std::vector<std::string> lines)
{
    {
        TUpdatesSuspended suspended(Editor());
        UpdateScriptText(Editor(), Lines_, lines, Document_.Encoding(), &Document_);
    }
    Lines_ = std::move(lines);
}

void TEditorForm::ShowScript(const TScriptMemo& memo)
{
    const std::vector<std::string>& lines = memo.Lines();
    const bool follows = ShownMemo_ == &memo && memo.ChangeFollows(ShownWrite_) &&
                         memo.Change().Fits(Lines_.size(), lines.size());
    ShownMemo_ = &memo;
    ShownWrite_ = memo.Writes();
    if (!follows) {
        ShowLines(std::vector<std::string>(lines));
        return;
    }
    const TLineChange& changed = memo.Change();
    {
        TUpdatesSuspended suspended(Editor());
        UpdateScriptText(Editor(), Lines_, lines, Document_.Encoding(), &Document_, changed);
    }
    // Only the changed lines are copied: the rest are the same already.
    const auto first = static_cast<std::ptrdiff_t>(changed.First);
    const auto from = lines.begin() + first;
    Lines_.erase(Lines_.begin() + first, Lines_.begin() + first + static_cast<std::ptrdiff_t>(changed.OldCount));
    Lines_.insert(Lines_.begin() + first, from, from + static_cast<std::ptrdiff_t>(changed.NewCount));
}

void TEditorForm::ShowScriptAgain()
{
    std::vector<std::string> lines = std::move(Lines_);
    Lines_.clear();
    ShowLines(std::move(lines));
}

void TEditorForm::ShowPlayingLine(int line)
{
    const QTextBlock block = Editor()->document()->findBlockByNumber(line - 1);
    PlayingLine_ = block.isValid() ? line : 0;
    QList<QTextEdit::ExtraSelection> marks;
    if (block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.format.setBackground(QColor(0, 96, 96));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks << mark;
        QTextCursor caret = Editor()->textCursor();
        caret.setPosition(block.position());
        Editor()->setTextCursor(caret);
        Editor()->centerCursor();
    }
    Editor()->setExtraSelections(marks);
}

void TEditorForm::closeEvent(QCloseEvent* event)
{
    // The window goes once the close has been handled (it deletes itself on close); from now on
    // the next ShowOutput makes a new one.
    Closed_ = true;
    event->accept();
}
