#include "ControlStrings.h"

#include "platform/TextEncoding.h"
#include "model/Tasks.h"
#include "script/ServerRules.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr int ObjectRole = Qt::UserRole;
constexpr int GroupRole = Qt::UserRole + 1;
constexpr int MapRole = Qt::UserRole + 2;

QVariant ObjectData(const void* object)
{
    return QVariant::fromValue(reinterpret_cast<quintptr>(object));
}

const void* DataObject(const QVariant& data)
{
    return reinterpret_cast<const void*>(data.value<quintptr>());
}

// FillGroupList hands out the groups themselves; the combo keeps only their numbers.
class TGroupComboStrings final : public TStrings {
public:
    TGroupComboStrings(QComboBox* combo, const TTextEncoding& encoding) : Combo_(combo), Encoding_(encoding) {}
    void AddObject(const std::string& text, const void* object) override
    {
        const auto* group = static_cast<const TGroupTask*>(object);
        Combo_->addItem(Encoding_.ToQ(text));
        Combo_->setItemData(Combo_->count() - 1, group->GroupNumber, GroupRole);
    }

private:
    QComboBox* Combo_;
    const TTextEncoding& Encoding_;
};

} // namespace

void TComboStrings::BeginUpdate()
{
    if (Depth_++ == 0)
        WasBlocked_ = Combo_->blockSignals(true);
}

void TComboStrings::EndUpdate()
{
    if (--Depth_ == 0)
        Combo_->blockSignals(WasBlocked_);
}

void TComboStrings::AddObject(const std::string& text, const void* object)
{
    Combo_->addItem(Encoding_.ToQ(text), ObjectData(object));
}

void TListStrings::AddObject(const std::string& text, const void* object)
{
    auto* item = new QListWidgetItem(Encoding_.ToQ(text), List_);
    item->setData(ObjectRole, ObjectData(object));
}

const void* ComboObject(const QComboBox* combo, int index)
{
    if (index < 0 || index >= combo->count())
        return nullptr;
    return DataObject(combo->itemData(index, ObjectRole));
}

int IndexOfComboObject(const QComboBox* combo, const void* object)
{
    for (int i = 0; i < combo->count(); ++i)
        if (ComboObject(combo, i) == object)
            return i;
    return -1;
}

const void* ListObject(const QListWidgetItem* item)
{
    return item ? DataObject(item->data(ObjectRole)) : nullptr;
}

int IndexOfListObject(const QListWidget* list, const void* object)
{
    for (int row = 0; row < list->count(); ++row)
        if (ListObject(list->item(row)) == object)
            return row;
    return -1;
}

void FillGroupCombo(QComboBox* combo, const TTaskList& tasks, const TTextEncoding& encoding)
{
    const bool wasBlocked = combo->blockSignals(true);
    TGroupComboStrings strings(combo, encoding);
    tasks.FillGroupList(strings);
    combo->blockSignals(wasBlocked);
}

void RefillGroupCombo(QComboBox* combo, const TTaskList& tasks, const TTextEncoding& encoding)
{
    const int current = combo->currentIndex();
    const std::optional<std::int32_t> chosen = ComboGroupNumber(combo, current);
    const bool wasBlocked = combo->blockSignals(true);
    for (int i = combo->count() - 1; i >= 0; --i) {
        if (ComboGroupNumber(combo, i))
            combo->removeItem(i);
    }
    FillGroupCombo(combo, tasks, encoding);
    // An entry that stands for no group keeps its place before the groups.
    combo->setCurrentIndex(chosen ? IndexOfComboGroup(combo, tasks, *chosen) : current);
    combo->blockSignals(wasBlocked);
}

std::optional<std::int32_t> ComboGroupNumber(const QComboBox* combo, int index)
{
    if (index < 0 || index >= combo->count())
        return std::nullopt;
    const QVariant number = combo->itemData(index, GroupRole);
    if (!number.isValid())
        return std::nullopt;
    return number.toInt();
}

int IndexOfComboGroup(const QComboBox* combo, const TTaskList& tasks, std::int32_t number)
{
    if (!tasks.FindGroup(number))
        return -1;
    for (int i = 0; i < combo->count(); ++i)
        if (ComboGroupNumber(combo, i) == number)
            return i;
    return -1;
}

std::vector<std::string> EditLines(const QPlainTextEdit* edit, const TTextEncoding& encoding)
{
    const QTextDocument* document = edit->document();
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(document->blockCount()));
    for (int i = 0; i < document->blockCount(); ++i)
        lines.push_back(encoding.FromQ(document->findBlockByNumber(i).text()));
    // The empty line after a final line break is where the caret can go, not a line of text.
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

void SetEditLines(QPlainTextEdit* edit, const std::vector<std::string>& lines, const TTextEncoding& encoding)
{
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        text << encoding.ToQ(line);
    // A last line that is empty needs the break that ends it, or EditLines would not see it.
    if (!lines.empty() && lines.back().empty())
        text << QString();
    edit->setPlainText(text.join(QLatin1Char('\n')));
}

void FillServerMapCombo(QComboBox* combo, const TServerData& server, const TTextEncoding& encoding)
{
    const TCatalogues& catalogues = server.Catalogues();
    const bool wasBlocked = combo->blockSignals(true);
    combo->clear();
    const auto add = [combo, &encoding](const std::string& text, const std::string& file) {
        combo->addItem(encoding.ToQ(text));
        // The file name's bytes as they are: no encoding chosen later can change what is written.
        combo->setItemData(combo->count() - 1, QByteArray::fromStdString(file), MapRole);
    };
    for (const auto& map : catalogues.Maps)
        add(map->Name, map->MapFile);
    std::vector<std::string> others;
    for (const std::string& name : script::BuiltInMaps(server.Target()))
        if (!catalogues.FindMapNamed(name))
            others.push_back(name);
    std::sort(others.begin(), others.end());
    for (const std::string& name : others)
        add(name, name + ".gat");
    combo->blockSignals(wasBlocked);
}

std::string ComboMapFile(const QComboBox* combo, int index)
{
    if (index < 0 || index >= combo->count())
        return {};
    return combo->itemData(index, MapRole).toByteArray().toStdString();
}

int IndexOfComboMap(const QComboBox* combo, const std::string& name)
{
    for (int i = 0; !name.empty() && i < combo->count(); ++i)
        if (SameMapName(ComboMapFile(combo, i), name))
            return i;
    return -1;
}

void ShowKeptMap(QComboBox* combo, const std::string& name, const TTextEncoding& encoding)
{
    combo->setPlaceholderText(name.empty() ? QString() : encoding.ToQ(name) + QStringLiteral(" (kept as written)"));
    combo->setToolTip(name.empty() ? QString()
                                   : QStringLiteral("The server's map list has no map %1; it is written unchanged "
                                                    "until you pick one.")
                                         .arg(encoding.ToQ(name)));
}
