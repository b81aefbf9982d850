#pragma once
// The item picker: the whole item catalogue in a table, sorted by name and narrowed by a filter on
// name or ID as the user types; hands one item back to the action editor that opened it.

#include "catalogue/ServerData.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class TItemForm;
}
class TItemTableModel;

class TTextEncoding;

class TItemForm : public QWidget {
    Q_OBJECT
public:
    using TDoneHandler = std::function<void(TItemForm* picker, bool cancelled)>;

    // Lists the items of server's catalogue, which the picker holds while it is open, their names
    // read in encoding.
    TItemForm(std::shared_ptr<const TServerData> server, const TTextEncoding& encoding, QWidget* parent = nullptr);
    ~TItemForm() override;

    // Selects and shows the row of the item numbered id, the one the editor holds now; the first
    // row stays selected when the catalogue has no such item.
    void SelectItemID(std::int32_t id);
    // The item handed back by Apply; nullptr before.
    const TItem* SelectedItem() const { return SelectedItem_; }
    // Called once when the picker ends by Apply or Cancel, just before it destroys itself.
    TDoneHandler OnDone;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Enter applies, Escape cancels, as in a dialog box.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const TItem* RowItem() const;
    void MeasureColumns();
    void FitColumns();
    void FilterChanged(const QString& text);
    void UpdateApplyButton();
    void ApplyButtonClick();
    void CancelButtonClick();
    void Finish(bool cancelled);

    std::shared_ptr<const TServerData> Server_;
    std::unique_ptr<Ui::TItemForm> Ui_;
    TItemTableModel* Model_;
    const TItem* SelectedItem_ = nullptr;
    bool Ending_ = false;
    bool Sized_ = false;
    std::vector<int> ColumnWidths_;  // what each column's widest text needs
};
