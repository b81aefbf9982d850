#include "Form_Import.h"

#include "platform/TextEncoding.h"
#include "SyntaxHighlight.h"
#include "document/Document.h"
#include "import/ImportProof.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr int PreviewWidth = 640;
constexpr int PreviewHeight = 360;

QString CandidateText(const TImportCandidate& c, const TTextEncoding& encoding)
{
    QString text = encoding.ToQ(c.Name) + QStringLiteral("  (lines %1-%2)").arg(c.FirstLine).arg(c.LastLine);
    if (!c.Importable)
        text += QStringLiteral(": ") + encoding.ToQ(c.Reason);
    return text;
}

} // namespace

TImportForm::TImportForm(std::string fileName, std::string text, TServerTarget target, const TTextEncoding& encoding,
                         QWidget* parent)
    : QDialog(parent), FileName_(std::move(fileName)), Text_(std::move(text)), Encoding_(encoding)
{
    setWindowTitle(QStringLiteral("Import Script - ") + QString::fromStdString(FileName_));
    ServerCombo_ = new QComboBox(this);
    ServerCombo_->setObjectName(QStringLiteral("ServerCombo"));
    for (const TTargetRules& rules : ServerTargets()) {
        ServerCombo_->addItem(Encoding_.ToQ(rules.Name));
        if (rules.Target == target)
            ServerCombo_->setCurrentIndex(ServerCombo_->count() - 1);
    }
    auto* serverLabel = new QLabel(QStringLiteral("&Written for:"), this);
    serverLabel->setBuddy(ServerCombo_);
    NpcList_ = new QListWidget(this);
    NpcList_->setObjectName(QStringLiteral("NpcList"));
    PreviewEdit_ = new QPlainTextEdit(this);
    PreviewEdit_->setObjectName(QStringLiteral("PreviewEdit"));
    PreviewEdit_->setReadOnly(true);
    PreviewEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    PreviewEdit_->setMinimumSize(PreviewWidth, PreviewHeight);
    // The script as the output window shows one: columns line up, tabs are four characters.
    UseScriptFont(this, PreviewEdit_);
    Buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons_->setObjectName(QStringLiteral("Buttons"));
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(serverLabel);
    serverRow->addWidget(ServerCombo_);
    serverRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(serverRow);
    layout->addWidget(new QLabel(QStringLiteral("NPCs in the file:"), this));
    layout->addWidget(NpcList_);
    layout->addWidget(PreviewEdit_, 1);
    layout->addWidget(Buttons_);
    connect(NpcList_, &QListWidget::currentRowChanged, this, [this] { NpcListChange(); });
    connect(Buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The servers read some entries differently (rAthena's warp2, say): the list follows the choice.
    connect(ServerCombo_, &QComboBox::currentIndexChanged, this, [this] { ReadForTarget(); });
    ReadForTarget();
}

TImportForm::~TImportForm() = default;

TServerTarget TImportForm::ChosenTarget() const
{
    return ServerTargets()[static_cast<std::size_t>(std::max(0, ServerCombo_->currentIndex()))].Target;
}

void TImportForm::ReadForTarget()
{
    const QSignalBlocker quiet(NpcList_);
    NpcList_->clear();
    Source_ = std::make_unique<TImportSource>(FileName_, Text_, ChosenTarget());
    Candidates_ = ListCandidates(*Source_);
    for (const TImportCandidate& c : Candidates_) {
        auto* item = new QListWidgetItem(CandidateText(c, Encoding_), NpcList_);
        if (!c.Importable)
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    }
    for (std::size_t i = 0; i < Candidates_.size(); ++i)
        if (Candidates_[i].Importable) {
            NpcList_->setCurrentRow(static_cast<int>(i));
            break;
        }
    NpcListChange();
}

std::optional<std::size_t> TImportForm::ChosenEntry() const
{
    const int row = NpcList_->currentRow();
    if (row < 0 || row >= static_cast<int>(Candidates_.size()) || !Candidates_[static_cast<std::size_t>(row)].Importable)
        return std::nullopt;
    return Candidates_[static_cast<std::size_t>(row)].Entry;
}

void TImportForm::NpcListChange()
{
    const int row = NpcList_->currentRow();
    const bool valid = row >= 0 && row < static_cast<int>(Candidates_.size());
    PreviewEdit_->setPlainText(
        valid ? Encoding_.ToQ(Source_->Slice(Source_->File.Entries[Candidates_[static_cast<std::size_t>(row)].Entry].Range)) : QString());
    Buttons_->button(QDialogButtonBox::Ok)->setEnabled(ChosenEntry().has_value());
}

QStringList ImportChosenNpc(TProjectDocument& document, const TImportSource& source, std::size_t entry,
                            TServerTarget target)
{
    // The imported project reads the catalogues the document gives a new project.
    const std::shared_ptr<const TCatalogues>& catalogues = document.Servers()->Catalogues();
    const auto maps = ProofMaps(*catalogues);
    TProofOptions options;
    // The server the file is written for: the imported project targets it.
    options.Target = target;
    options.Maps = &maps;
    options.Catalogues = catalogues;
    // Built apart from the open project, which is replaced only once the import has been proved.
    TProvedImport result = ImportAndProve(source, source.File.Entries.at(entry), options);
    QStringList notes;
    for (const std::string& note : result.Import.Notes)
        notes << document.Encoding().ToQ(note);
    document.ReplaceProject("Import script", std::move(result.Import.Project));
    return notes;
}
