#include "Form_About.h"
#include "ui_Form_About.h"

#include "ChildWindows.h"
#include "EditorControls.h"
#include "model/Records.h"

#include <QKeyEvent>
#include <QTextOption>


namespace {

const char* const CreditLines[] = {
    "Vask's NPC Editor",
    "Builds eAthena NPC scripts from a tree of tasks",
    "Written in C++ with the Qt toolkit",
    "Thanks to every script author who tried it",
};

} // namespace

TAboutForm::TAboutForm(const QString& catalogueFolder, QWidget* parent)
    : QWidget(parent), Ui_(std::make_unique<Ui::TAboutForm>())
{
    Ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());
    connect(Ui_->OKButton, &QPushButton::clicked, this, [this] { ChildFrame(this)->close(); });
    FormCreate(catalogueFolder);
    Ui_->OKButton->setFocus();
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::FormCreate(const QString& catalogueFolder)
{
    QTextEdit* memo = Ui_->AboutMemo;
    QTextOption centred = memo->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    memo->document()->setDefaultTextOption(centred);
    for (const char* line : CreditLines)
        memo->append(QString::fromLatin1(line));
    memo->append(QString());
    memo->append(QStringLiteral("Version: %1").arg(QString::fromLatin1(VersionText)));
    // Which copy of the catalogues is in use is the first question when a picker looks wrong.
    if (!catalogueFolder.isEmpty())
        memo->append(QStringLiteral("Catalogues: %1").arg(catalogueFolder));
}

void TAboutForm::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event, Ui_->OKButton, Ui_->OKButton))
        QWidget::keyPressEvent(event);
}
