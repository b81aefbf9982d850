#include "Form_Items.h"

#include "ui_Form_Items.h"

#include "ChildWindows.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "platform/TextEncoding.h"
#include "script/Text.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QStyle>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Names are sorted without regard to letter case first, so "apple" stands next to "Apple";
// the byte order only breaks ties. The folding is the program's own, so the order never depends
// on the user's locale.
bool NameLess(const std::string& a, const std::string& b)
{
    const std::string foldedA = script::LowerCase(a);
    const std::string foldedB = script::LowerCase(b);
    return foldedA < foldedB || (foldedA == foldedB && a < b);
}

QString Unsigned(std::int32_t value)
{
    return QString::number(static_cast<std::uint32_t>(value));
}

} // namespace

// One row per catalogued item, kept sorted by the text of the Name column; a filter shows the rows
// whose name holds the filter text or whose ID starts with it, still in that order.
class TItemTableModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The names shown are read in encoding.
    void Fill(const TOwnedList<TItem>& items, const TTextEncoding& encoding)
    {
        beginResetModel();
        All_.clear();
        All_.reserve(items.size());
        for (const auto& item : items)
            All_.push_back({ItemCaption(*item), {}, {}, item.get()});
        std::stable_sort(All_.begin(), All_.end(),
                         [](const TRow& a, const TRow& b) { return NameLess(a.Caption, b.Caption); });
        Rows_.clear();
        Rows_.reserve(All_.size());
        for (TRow& row : All_) {
            row.Shown = encoding.ToQ(row.Caption);
            row.ID = Unsigned(row.Item->ID);
            Rows_.push_back(&row);
        }
        endResetModel();
    }

    void SetFilter(const QString& text)
    {
        const QString wanted = text.trimmed();
        beginResetModel();
        Rows_.clear();
        for (const TRow& row : All_) {
            if (wanted.isEmpty() || row.ID.startsWith(wanted) || row.Shown.contains(wanted, Qt::CaseInsensitive))
                Rows_.push_back(&row);
        }
        endResetModel();
    }

    const TItem* ItemAt(int row) const
    {
        return row >= 0 && row < rowCount() ? Rows_[static_cast<std::size_t>(row)]->Item : nullptr;
    }

    int RowOfID(std::int32_t id) const
    {
        const auto found = std::find_if(Rows_.begin(), Rows_.end(), [id](const TRow* row) { return row->Item->ID == id; });
        return found != Rows_.end() ? static_cast<int>(found - Rows_.begin()) : -1;
    }

    int RowOf(const TItem* item) const
    {
        const auto found = std::find_if(Rows_.begin(), Rows_.end(), [item](const TRow* row) { return row->Item == item; });
        return item && found != Rows_.end() ? static_cast<int>(found - Rows_.begin()) : -1;
    }

    // The widest text of the column among all items, filtered out or not, so the columns keep
    // their widths while the filter changes.
    int WidestText(int column, const QFontMetrics& metrics) const
    {
        if (column == 0)
            return WidestName(metrics);
        // Digits are equally wide in the table's fonts: the longest number is the widest.
        qsizetype digits = 1;
        for (const TRow& row : All_)
            digits = std::max(digits, Cell(row, column).size());
        return metrics.horizontalAdvance(QString(digits, u'0'));
    }

    // Shaping every name cost more than the rest of opening the picker: the characters' own
    // advances, summed, find the few names that may be the widest, and only those are measured.
    int WidestName(const QFontMetrics& metrics) const
    {
        std::vector<int> estimates;
        estimates.reserve(All_.size());
        int most = 0;
        for (const TRow& row : All_) {
            int sum = 0;
            for (const QChar c : row.Shown)
                sum += metrics.horizontalAdvance(c);
            estimates.push_back(sum);
            most = std::max(most, sum);
        }
        int widest = 0;
        for (std::size_t i = 0; i < All_.size(); ++i)
            if (estimates[i] * 10 >= most * 9)
                widest = std::max(widest, metrics.horizontalAdvance(All_[i].Shown));
        return widest;
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
        return Cell(*Rows_[static_cast<std::size_t>(index.row())], index.column());
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
        QString Shown;  // Caption as displayed and searched
        QString ID;
        const TItem* Item;
    };

    static QString Cell(const TRow& row, int column)
    {
        switch (column) {
        case 0: return row.Shown;
        case 1: return row.ID;
        case 2: return Unsigned(row.Item->Price);
        case 3: return Unsigned(row.Item->Weight);
        case 4: return Unsigned(row.Item->ATK);
        case 5: return Unsigned(row.Item->DEF);
        default: return {};
        }
    }

    std::vector<TRow> All_;
    std::vector<const TRow*> Rows_;
};

TItemForm::TItemForm(std::shared_ptr<const TServerData> server, const TTextEncoding& encoding, QWidget* parent)
    : QWidget(parent), Server_(std::move(server)), Ui_(std::make_unique<Ui::TItemForm>()),
      Model_(new TItemTableModel(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    Ui_->setupUi(this);
    QTableView* view = Ui_->ItemView;
    view->setModel(Model_);
    QHeaderView* header = view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setStretchLastSection(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    KeepSelectionVisible(view);

    Model_->Fill(Server_->Catalogues().Items, encoding);
    MeasureColumns();
    FitColumns();
    view->viewport()->installEventFilter(this);
    Ui_->FilterEdit->installEventFilter(this);
    if (Model_->rowCount() > 0)
        view->selectRow(0);

    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TItemForm::UpdateApplyButton);
    connect(Ui_->FilterEdit, &QLineEdit::textChanged, this, &TItemForm::FilterChanged);
    connect(Ui_->ApplyButton, &QPushButton::clicked, this, &TItemForm::ApplyButtonClick);
    connect(view, &QTableView::doubleClicked, this, &TItemForm::ApplyButtonClick);
    connect(Ui_->CancelButton, &QPushButton::clicked, this, &TItemForm::CancelButtonClick);
    UpdateApplyButton();
}

TItemForm::~TItemForm() = default;

void TItemForm::MeasureColumns()
{
    QTableView* view = Ui_->ItemView;
    QHeaderView* header = view->horizontalHeader();
    // Room for the cell's margins and grid line around the text.
    const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) + 1;
    ColumnWidths_.clear();
    for (int column = 0; column < Model_->columnCount(); ++column)
        ColumnWidths_.push_back(std::max(header->sectionSizeHint(column),
                                         Model_->WidestText(column, view->fontMetrics()) + margins));
}

// The numbers take what their widest value needs; the name column gets its widest name and, when
// the table is wider, the rest of the room.
void TItemForm::FitColumns()
{
    QHeaderView* header = Ui_->ItemView->horizontalHeader();
    int numbers = 0;
    for (int column = 1; column < static_cast<int>(ColumnWidths_.size()); ++column) {
        header->resizeSection(column, ColumnWidths_[static_cast<std::size_t>(column)]);
        numbers += ColumnWidths_[static_cast<std::size_t>(column)];
    }
    const int room = Ui_->ItemView->viewport()->width() - numbers;
    header->resizeSection(0, std::max(ColumnWidths_.front(), room));
}

// The filter keeps the focus while the keys that move through a list move through the table, so
// the user types, steps to the row and presses Enter without leaving the field.
bool TItemForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Ui_->ItemView->viewport() && event->type() == QEvent::Resize)
        FitColumns();
    if (watched == Ui_->FilterEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(Ui_->ItemView, event);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TItemForm::SelectItemID(std::int32_t id)
{
    const int row = Model_->RowOfID(id);
    if (row < 0)
        return;
    Ui_->ItemView->selectRow(row);
    Ui_->ItemView->scrollTo(Model_->index(row, 0), QAbstractItemView::PositionAtCenter);
}

void TItemForm::FilterChanged(const QString& text)
{
    const TItem* selected = RowItem();
    Model_->SetFilter(text);
    int row = Model_->RowOf(selected);
    if (row < 0 && Model_->rowCount() > 0)
        row = 0;
    if (row >= 0) {
        Ui_->ItemView->selectRow(row);
        Ui_->ItemView->scrollTo(Model_->index(row, 0));
    }
    UpdateApplyButton();
}

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
    FinishOnce(this, Ending_, OnDone, cancelled);
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

void TItemForm::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event, Ui_->ApplyButton, Ui_->CancelButton))
        QWidget::keyPressEvent(event);
}
