#include "Form_NPCBrowser.h"
#include "ui_Form_NPCBrowser.h"

#include "ChildWindows.h"
#include "EditorControls.h"
#include "platform/TextEncoding.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPixmap>
#include <QShowEvent>

namespace {

constexpr int SpriteRole = Qt::UserRole;

QString SpriteCaption(const TNPCImg& sprite, const TTextEncoding& encoding)
{
    return QStringLiteral("%1 (%2)").arg(static_cast<std::uint32_t>(sprite.ID)).arg(encoding.ToQ(sprite.Name));
}

QIcon SpriteIcon(const TImageList& images, const TNPCImg& sprite)
{
    if (sprite.ImageIndex < 0 || sprite.ImageIndex >= images.Count())
        return {};
    return QIcon(QPixmap::fromImage(images.At(sprite.ImageIndex)));
}

} // namespace

TNPCBrowserForm::TNPCBrowserForm(std::shared_ptr<const TServerData> server, const TTextEncoding& encoding,
                                 QWidget* parent)
    : QWidget(parent), Server_(std::move(server)), Ui_(std::make_unique<Ui::TNPCBrowserForm>())
{
    Ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    KeepSelectionVisible(Ui_->NPCListView);
    connect(Ui_->NPCListView, &QListWidget::itemSelectionChanged, this,
            &TNPCBrowserForm::UpdateApplyButton);
    connect(Ui_->ApplyButton, &QPushButton::clicked, this, &TNPCBrowserForm::ApplyButtonClick);
    connect(Ui_->NPCListView, &QListWidget::itemDoubleClicked, this, &TNPCBrowserForm::ApplyButtonClick);
    connect(Ui_->CancelButton, &QPushButton::clicked, this, &TNPCBrowserForm::CancelButtonClick);
    FormCreate(encoding);
}

TNPCBrowserForm::~TNPCBrowserForm() = default;

void TNPCBrowserForm::FormCreate(const TTextEncoding& encoding)
{
    const TCatalogues& catalogues = Server_->Catalogues();
    const TImageList& images = catalogues.Images;
    QListWidget* list = Ui_->NPCListView;
    list->setIconSize(QSize(images.Width(), images.Height()));
    // Room for a caption of three lines under each picture; a longer one is whole in its tooltip.
    const int lines = 3 * list->fontMetrics().lineSpacing();
    list->setGridSize(QSize(images.Width() + 50, images.Height() + lines + 12));
    list->setUpdatesEnabled(false);
    for (const auto& sprite : catalogues.Sprites) {
        auto* item = new QListWidgetItem(SpriteIcon(images, *sprite), SpriteCaption(*sprite, encoding), list);
        item->setData(SpriteRole, QVariant::fromValue(reinterpret_cast<quintptr>(sprite.get())));
        item->setToolTip(item->text());
    }
    if (list->count() > 0)
        list->setCurrentRow(0);
    list->setUpdatesEnabled(true);
    UpdateApplyButton();
}

void TNPCBrowserForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (QListWidgetItem* current = Ui_->NPCListView->currentItem())
        Ui_->NPCListView->scrollToItem(current, QAbstractItemView::PositionAtCenter);
}

void TNPCBrowserForm::SetSelectedImg(const TNPCImg* sprite)
{
    SelectedImg_ = sprite;
    QListWidget* list = Ui_->NPCListView;
    for (int row = 0; sprite && row < list->count(); ++row) {
        if (RowSprite(row) == sprite) {
            list->setCurrentRow(row);
            list->scrollToItem(list->item(row));
            return;
        }
    }
}

const TNPCImg* TNPCBrowserForm::RowSprite(int row) const
{
    const QListWidgetItem* item = Ui_->NPCListView->item(row);
    if (!item)
        return nullptr;
    return reinterpret_cast<const TNPCImg*>(item->data(SpriteRole).value<quintptr>());
}

// Apply needs a chosen sprite; the user can clear the selection by clicking beside the icons.
void TNPCBrowserForm::UpdateApplyButton()
{
    Ui_->ApplyButton->setEnabled(!Ui_->NPCListView->selectedItems().isEmpty());
}

void TNPCBrowserForm::ApplyButtonClick()
{
    const QList<QListWidgetItem*> selected = Ui_->NPCListView->selectedItems();
    if (selected.isEmpty())
        return;
    SelectedImg_ = RowSprite(Ui_->NPCListView->row(selected.first()));
    Finish(false);
}

void TNPCBrowserForm::CancelButtonClick()
{
    Finish(true);
}

void TNPCBrowserForm::closeEvent(QCloseEvent* event)
{
    Finish(true);
    QWidget::closeEvent(event);
}

void TNPCBrowserForm::Finish(bool cancelled)
{
    FinishOnce(this, Finished_, OnDone, cancelled);
}

void TNPCBrowserForm::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event, Ui_->ApplyButton, Ui_->CancelButton))
        QWidget::keyPressEvent(event);
}
