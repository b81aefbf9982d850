#include "Form_Items.h"

#include "ui_Form_Items.h"

#include "ChildWindows.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "QtText.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace {

// Names are sorted without regard to letter case first, so "apple" stands next to "Apple";
// the byte order only breaks ties.
bool NameLess(const std::string& a, const std::string& b)
{
    const auto folded = [](unsigned char c) { return std::tolower(c); };
    const bool less = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [&](unsigned char x, unsigned char y) { return folded(x) < folded(y); });
    const bool greater = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(),
        [&](unsigned char x, unsigned char y) { return folded(x) < folded(y); });
    return less || (!greater && a < b);
}

QString Unsigned(std::int32_t value)
{
    return QString::number(static_cast<std::uint32_t>(value));
}

} // namespace

// One row per catalogued item, kept sorted by the text of the Name column.
class TItemTableModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Fill(const TOwnedList<TItem>& items)
    {
        beginResetModel();
        Rows_.clear();
        Rows_.reserve(items.size());
        for (const auto& item : items)
            Rows_.push_back({ItemCaption(*item), item.get()});
        std::stable_sort(Rows_.begin(), Rows_.end(),
                         [](const TRow& a, const TRow& b) { return NameLess(a.Caption, b.Caption); });
        endResetModel();
    }

    const TItem* ItemAt(int row) const
    {
        return row >= 0 && row < rowCount() ? Rows_[static_cast<std::size_t>(row)].Item : nullptr;
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(Rows_.size());
    }

    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(Headers.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const TRow& row = Rows_[static_cast<std::size_t>(index.row())];
        switch (index.column()) {
        case 0: return ToQ(row.Caption);
        case 1: return Unsigned(row.Item->ID);
        case 2: return Unsigned(row.Item->Price);
        case 3: return Unsigned(row.Item->Weight);
        case 4: return Unsigned(row.Item->ATK);
        case 5: return Unsigned(row.Item->DEF);
        default: return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= static_cast<int>(Headers.size()))
            return {};
        return QString::fromLatin1(Headers[static_cast<std::size_t>(section)]);
    }

private:
    static constexpr std::array<const char*, 6> Headers{"Name", "ID", "Price", "Weight", "ATK", "DEF"};

    struct TRow {
        std::string Caption;
        const TItem* Item;
    };
    std::vector<TRow> Rows_;
};

TItemForm::TItemForm(QWidget* parent)
    : QWidget(parent), Ui_(std::make_unique<Ui::TItemForm>()), Model_(new TItemTableModel(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    Ui_->setupUi(this);
    QTableView* view = Ui_->ItemView;
    view->setModel(Model_);
    QHeaderView* header = view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < Model_->columnCount(); ++column)
        header->resizeSection(column, 52);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    KeepSelectionVisible(view);

    Model_->Fill(ItemList);
    if (Model_->rowCount() > 0)
        view->selectRow(0);

    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TItemForm::UpdateApplyButton);
    connect(Ui_->ApplyButton, &QPushButton::clicked, this, &TItemForm::ApplyButtonClick);
    connect(Ui_->CancelButton, &QPushButton::clicked, this, &TItemForm::CancelButtonClick);
    UpdateApplyButton();
}

TItemForm::~TItemForm() = default;

const TItem* TItemForm::RowItem() const
{
    const QModelIndexList rows = Ui_->ItemView->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : Model_->ItemAt(rows.front().row());
}

void TItemForm::UpdateApplyButton()
{
    // Apply hands back the selected item, so it waits for one.
    Ui_->ApplyButton->setEnabled(RowItem() != nullptr);
}

void TItemForm::ApplyButtonClick()
{
    Guarded(this, [this] {
        const TItem* item = RowItem();
        if (!item)
            return;
        SelectedItem_ = item;
        Finish(false);
    });
}

void TItemForm::CancelButtonClick()
{
    Guarded(this, [this] { Finish(true); });
}

void TItemForm::Finish(bool cancelled)
{
    if (Ending_)
        return;
    Ending_ = true;
    if (OnDone)
        OnDone(this, cancelled);
    ChildFrame(this)->close();
    deleteLater();
}

void TItemForm::closeEvent(QCloseEvent* event)
{
    if (Ending_) {
        event->accept();
        return;
    }
    // The picker ends only through its buttons or with the editor that owns it.
    event->ignore();
    MinimizeChild(this);
}

void TItemForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!Sized_) {
        Sized_ = true;
        SetClientSize(this, 400, 400);
    }
}
