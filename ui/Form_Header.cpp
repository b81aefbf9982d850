#include "Form_Header.h"
#include "ui_Form_Header.h"

#include "ChildWindows.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "platform/TextEncoding.h"
#include "model/Records.h"
#include "document/Document.h"

#include <QSignalBlocker>
#include <QKeyEvent>

#include <algorithm>


QString CommentsToEditText(const std::string& comments, const TTextEncoding& encoding)
{
    QString text = encoding.ToQ(comments);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

std::string EditTextToComments(const QString& text, const TTextEncoding& encoding)
{
    QStringList lines = text.split(u'\n');
    // The empty line after a final line break is where the caret can go, not a line of text.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    std::string comments;
    for (const QString& line : lines)
        comments += encoding.FromQ(line) + "\r\n";
    return comments;
}

THeaderForm::THeaderForm(TProjectDocument& document, QWidget* parent)
    : QWidget(parent), Document_(document), Ui_(std::make_unique<Ui::THeaderForm>())
{
    Ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(Ui_->ApplyButton, &QPushButton::clicked, this, &THeaderForm::ApplyButtonClick);
    connect(Ui_->CancelButton, &QPushButton::clicked, this, &THeaderForm::CancelButtonClick);
    for (const TTargetRules& rules : ServerTargets())
        Ui_->TargetCombo->addItem(Document_.Encoding().ToQ(rules.Name));
    for (QLineEdit* edit : {Ui_->NameEdit, Ui_->AuthorEdit, Ui_->VersionEdit, Ui_->CompatEdit, Ui_->DescEdit}) {
        // A stored text longer than the limit stays whole; typing can only shorten it until it
        // is back under the limit.
        connect(edit, &QLineEdit::textEdited, edit, [edit] {
            edit->setMaxLength(std::max<int>(FieldLimit, static_cast<int>(edit->text().size())));
        });
    }
    FormCreate();
    // Connected once filled: only the user's choice may replace the Compatible text.
    connect(Ui_->TargetCombo, &QComboBox::currentIndexChanged, this, &THeaderForm::TargetComboChange);
    // The fields were filled from the header as it was: once an undo or a redo changes it, an
    // Apply would write the old header back over the step. The window ends as a cancel. Another
    // project (New, Load, Import, a restored copy) is shown as it is: what was typed belonged to
    // the project that went.
    connect(&Document_, &TProjectDocument::Changed, this, [this](const TProjectChange& change) {
        if (change.Has(CP_Replaced)) {
            const QSignalBlocker quiet(Ui_->TargetCombo);
            Guarded(this, [this] { FormCreate(); });
        } else if (change.FromHistory && change.Has(CP_Header)) {
            ChildFrame(this)->close();
        }
    });
}

THeaderForm::~THeaderForm() = default;

void THeaderForm::SetField(QLineEdit* edit, const std::string& text)
{
    const QString shown = Document_.Encoding().ToQ(text);
    // QLineEdit cuts a text set from the program to its maximum length.
    edit->setMaxLength(std::max<int>(FieldLimit, static_cast<int>(shown.size())));
    edit->setText(shown);
}

void THeaderForm::FormCreate()
{
    const TNPCHeader& HeaderInfo = Document_.Project().HeaderInfo;
    SetField(Ui_->NameEdit, HeaderInfo.ScriptName);
    SetField(Ui_->AuthorEdit, HeaderInfo.Author);
    SetField(Ui_->VersionEdit, HeaderInfo.Version);
    SetField(Ui_->CompatEdit, HeaderInfo.Compatible);
    SetField(Ui_->DescEdit, HeaderInfo.Description);
    Ui_->CommentsEdit->setPlainText(CommentsToEditText(HeaderInfo.Comments, Document_.Encoding()));
    const auto& targets = ServerTargets();
    for (std::size_t i = 0; i < targets.size(); ++i)
        if (targets[i].Target == HeaderInfo.Target)
            Ui_->TargetCombo->setCurrentIndex(static_cast<int>(i));
}

// A "Compatible With" that is still some target's default names the chosen one instead; a text
// the user wrote stays.
void THeaderForm::TargetComboChange()
{
    const int chosen = Ui_->TargetCombo->currentIndex();
    if (chosen < 0)
        return;
    if (IsDefaultCompatible(Document_.Encoding().FromQ(Ui_->CompatEdit->text())))
        SetField(Ui_->CompatEdit, ServerTargets()[static_cast<std::size_t>(chosen)].DefaultCompatible);
}

void THeaderForm::ApplyButtonClick()
{
    // Every field is converted before any is stored: a character the script text encoding lacks
    // leaves the header as it was and the window open.
    const bool stored = Guarded(this, [this] {
        TNPCHeader header;
        header.ScriptName = Document_.Encoding().FromQ(Ui_->NameEdit->text());
        header.Author = Document_.Encoding().FromQ(Ui_->AuthorEdit->text());
        header.Version = Document_.Encoding().FromQ(Ui_->VersionEdit->text());
        header.Compatible = Document_.Encoding().FromQ(Ui_->CompatEdit->text());
        header.Description = Document_.Encoding().FromQ(Ui_->DescEdit->text());
        header.Comments = EditTextToComments(Ui_->CommentsEdit->toPlainText(), Document_.Encoding());
        header.Target = ServerTargets()[static_cast<std::size_t>(Ui_->TargetCombo->currentIndex())].Target;
        Document_.SetHeader(header);
    });
    if (stored)
        ChildFrame(this)->close();
}

void THeaderForm::CancelButtonClick()
{
    ChildFrame(this)->close();
}

void THeaderForm::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event, nullptr, Ui_->CancelButton))
        QWidget::keyPressEvent(event);
}
