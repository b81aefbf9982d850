#include "Form_Menus.h"

#include "ui_Form_Menus.h"

#include "ControlStrings.h"
#include "Dialogs.h"
#include "EditorControls.h"
#include "platform/TextEncoding.h"

#include <QHeaderView>
#include <QStyle>

#include <algorithm>
#include <vector>

namespace {

constexpr int EntryRole = Qt::UserRole;

TDMenu* RowEntry(const QTreeWidgetItem* row)
{
    return reinterpret_cast<TDMenu*>(row->data(0, EntryRole).value<quintptr>());
}

// The buttons of a row laid out for the font in use, up to right: each as wide as its caption
// needs ("Move Down" was cut where the font is wider than the one the window was drawn with),
// the room left over shared among them.
void SpreadButtons(const QList<QPushButton*>& buttons, int right)
{
    constexpr int Gap = 4;
    const int count = static_cast<int>(buttons.size());
    std::vector<int> widths;
    int needed = Gap * (count - 1);
    for (const QPushButton* button : buttons) {
        const QStyle* style = button->style();
        const int margins = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                                 style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
        widths.push_back(button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) + margins);
        needed += widths.back();
    }
    const int spare = std::max(0, right - buttons.front()->x() - needed);
    int x = buttons.front()->x();
    for (int i = 0; i < count; ++i) {
        const int width = widths[static_cast<std::size_t>(i)] + spare * (i + 1) / count - spare * i / count;
        buttons[i]->setGeometry(x, buttons[i]->y(), width, buttons[i]->height());
        x += width + Gap;
    }
}

} // namespace

TMenuForm::TMenuForm(TProjectDocument& document, QWidget* parent)
    : TTaskEditorForm(document, parent), Ui_(std::make_unique<Ui::TMenuForm>()),
      Working_(std::make_unique<TMenuTask>(std::string()))
{
    Ui_->setupUi(this);
    setFixedSize(400, 400);
    SpreadButtons({Ui_->AddButton, Ui_->DeleteButton, Ui_->ChangeButton, Ui_->UpButton, Ui_->DownButton},
                  Ui_->MenusGroup->geometry().right());
    // A long choice keeps the room its group's name leaves; the whole text is in its tooltip.
    Ui_->MenuView->header()->setStretchLastSection(false);
    Ui_->MenuView->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    Ui_->MenuView->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    KeepSelectionVisible(Ui_->MenuView);
    FillGroupCombo(Ui_->GroupCombo, Project().TaskList, Encoding());
    // No group is chosen for the user: Enter in the text field adds nothing until one is picked.
    Ui_->GroupCombo->setPlaceholderText(QStringLiteral("Choose a group"));
    Ui_->GroupCombo->setCurrentIndex(-1);

    connect(Ui_->MenuEdit, &QLineEdit::textChanged, this, &TMenuForm::UpdateMenuControls);
    connect(Ui_->GroupCombo, &QComboBox::currentIndexChanged, this, &TMenuForm::UpdateMenuControls);
    connect(Ui_->AddButton, &QPushButton::clicked, this, &TMenuForm::AddButtonClick);
    connect(Ui_->DeleteButton, &QPushButton::clicked, this, &TMenuForm::DeleteButtonClick);
    connect(Ui_->ChangeButton, &QPushButton::clicked, this, &TMenuForm::ChangeButtonClick);
    connect(Ui_->UpButton, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(Ui_->DownButton, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    connect(Ui_->MenuView, &QTreeWidget::currentItemChanged, this, &TMenuForm::ShowSelectedRow);
    // Enter adds the choice being typed; Apply is a click away.
    SetButtons(Ui_->ApplyButton, Ui_->CancelButton, Ui_->AddButton);
    UpdateMenuControls();
}

TMenuForm::~TMenuForm() = default;

void TMenuForm::LoadTask(TTask* task)
{
    auto* menu = dynamic_cast<TMenuTask*>(task);
    if (!menu)
        return;
    Working_->Assign(*menu);
    for (const auto& entry : Working_->Entries)
        AppendRow(entry.get(), GroupText(entry->Target));
    SetEditedTask(menu);
    UpdateMenuControls();
}

void TMenuForm::UpdateMenuControls()
{
    const bool hasRows = Ui_->MenuView->topLevelItemCount() > 0;
    Ui_->ApplyButton->setEnabled(hasRows);
    Ui_->DeleteButton->setEnabled(hasRows);
    // A choice needs a text and a group to jump to.
    const bool complete = !Ui_->MenuEdit->text().isEmpty() && Ui_->GroupCombo->currentIndex() >= 0;
    Ui_->AddButton->setEnabled(complete);
    const int row = Ui_->MenuView->indexOfTopLevelItem(Ui_->MenuView->currentItem());
    Ui_->ChangeButton->setEnabled(complete && row >= 0);
    Ui_->UpButton->setEnabled(row > 0);
    Ui_->DownButton->setEnabled(row >= 0 && row + 1 < Ui_->MenuView->topLevelItemCount());
}

// The selected choice's text and group go into the fields, where Change takes them back edited.
void TMenuForm::ShowSelectedRow()
{
    if (const QTreeWidgetItem* row = Ui_->MenuView->currentItem()) {
        const TDMenu* entry = RowEntry(row);
        Ui_->MenuEdit->setText(Encoding().ToQ(entry->Text));
        Ui_->GroupCombo->setCurrentIndex(IndexOfComboGroup(Ui_->GroupCombo, Project().TaskList, entry->Target));
    }
    UpdateMenuControls();
}

void TMenuForm::ChangeButtonClick()
{
    Guarded(this, [this] {
        QTreeWidgetItem* row = Ui_->MenuView->currentItem();
        const auto target = ComboGroupNumber(Ui_->GroupCombo, Ui_->GroupCombo->currentIndex());
        if (!row || Ui_->MenuEdit->text().isEmpty() || !target)
            return;
        TDMenu* entry = RowEntry(row);
        entry->Text = Encoding().FromQ(Ui_->MenuEdit->text());
        entry->Target = *target;
        row->setText(0, Encoding().ToQ(entry->Text));
        row->setToolTip(0, row->text(0));
        row->setText(1, Ui_->GroupCombo->currentText());
    });
}

// The choices are offered in the order of the list: a choice moves one place up or down.
void TMenuForm::MoveSelected(int step)
{
    QTreeWidget* view = Ui_->MenuView;
    const int from = view->indexOfTopLevelItem(view->currentItem());
    const int to = from + step;
    if (from < 0 || to < 0 || to >= view->topLevelItemCount())
        return;
    auto& entries = Working_->Entries;
    std::swap(entries[static_cast<std::size_t>(from)], entries[static_cast<std::size_t>(to)]);
    QTreeWidgetItem* row = view->takeTopLevelItem(from);
    view->insertTopLevelItem(to, row);
    view->setCurrentItem(row);
    UpdateMenuControls();
}

QString TMenuForm::GroupText(std::int32_t target) const
{
    const int index = IndexOfComboGroup(Ui_->GroupCombo, Project().TaskList, target);
    return index >= 0 ? Ui_->GroupCombo->itemText(index) : QString();
}

void TMenuForm::GroupsChanged()
{
    RefillGroupCombo(Ui_->GroupCombo, Project().TaskList, Encoding());
    // A choice whose group is gone shows no group; Apply then refuses.
    QTreeWidget* view = Ui_->MenuView;
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = view->topLevelItem(i);
        row->setText(1, GroupText(RowEntry(row)->Target));
    }
    UpdateMenuControls();
}

void TMenuForm::AppendRow(TDMenu* entry, const QString& groupText)
{
    auto* row = new QTreeWidgetItem(Ui_->MenuView, {Encoding().ToQ(entry->Text), groupText});
    row->setToolTip(0, row->text(0));
    row->setData(0, EntryRole, QVariant::fromValue(reinterpret_cast<quintptr>(entry)));
    Ui_->MenuView->setCurrentItem(row);
}

void TMenuForm::AddButtonClick()
{
    Guarded(this, [this] {
        const QString text = Ui_->MenuEdit->text();
        const auto target = ComboGroupNumber(Ui_->GroupCombo, Ui_->GroupCombo->currentIndex());
        if (text.isEmpty() || !target)
            return;
        auto entry = std::make_unique<TDMenu>(Encoding().FromQ(text), *target);
        TDMenu* added = entry.get();
        Working_->AddEntry(std::move(entry));
        AppendRow(added, Ui_->GroupCombo->currentText());
        // Ready for the next choice: typing replaces the text just used.
        Ui_->MenuEdit->setFocus();
        Ui_->MenuEdit->selectAll();
        UpdateMenuControls();
    });
}

void TMenuForm::DeleteButtonClick()
{
    Guarded(this, [this] {
        QTreeWidget* view = Ui_->MenuView;
        const int count = view->topLevelItemCount();
        if (count == 0)
            return;
        // Always the most recent choice, whichever row is selected.
        QTreeWidgetItem* last = view->topLevelItem(count - 1);
        Working_->RemoveEntry(RowEntry(last));
        delete last;
        if (view->topLevelItemCount() > 0)
            view->setCurrentItem(view->topLevelItem(view->topLevelItemCount() - 1));
        UpdateMenuControls();
    });
}

bool TMenuForm::ReadyToApply() const
{
    if (Ui_->MenuView->topLevelItemCount() == 0)
        return false;
    for (const auto& entry : Working_->Entries) {
        if (!Project().TaskList.FindGroup(entry->Target))
            throw EListError("The choice \"" + entry->Text +
                             "\" jumps to a group that no longer exists: delete it, or cancel.");
    }
    return true;
}

std::unique_ptr<TTask> TMenuForm::NewTask() const
{
    return std::make_unique<TMenuTask>();
}

void TMenuForm::Store(TTask& task) const
{
    auto& menu = static_cast<TMenuTask&>(task);
    menu.Assign(*Working_);
    if (menu.UserNamed == 0)
        menu.Caption = menu.SummaryText();
}
