#include "PlayerPanel.h"

#include "Dialogs.h"
#include "platform/TextEncoding.h"

#include "play/Play.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include <climits>

namespace {

const QString PresetGroup = QStringLiteral("PlayerPresets");

// "501=10, 909=3": how the panel writes the inventory.
QString ItemsText(const script::TPlayerState& player)
{
    QStringList entries;
    for (const auto& [id, count] : player.Inventory)
        entries << QStringLiteral("%1=%2").arg(id).arg(count);
    return entries.join(QStringLiteral(", "));
}

// The inventory field in the form of npc-play's item entries, so that one reader checks both.
std::string ItemsOption(const QString& text, const TTextEncoding& encoding)
{
    std::string option;
    for (const QString& entry : text.split(u',', Qt::SkipEmptyParts)) {
        const QString trimmed = entry.trimmed();
        if (trimmed.isEmpty())
            continue;
        option += (option.empty() ? "item:" : ",item:") + encoding.FromQ(trimmed);
    }
    return option;
}

} // namespace

TPlayerPanel::TPlayerPanel(const TTextEncoding& encoding, QWidget* parent)
    : QGroupBox(QStringLiteral("Player"), parent), Encoding_(encoding)
{
    auto* form = new QFormLayout(this);
    Zeny_ = AddNumber("ZenyField", QStringLiteral("Zeny"), 0, INT_MAX);
    Class_ = AddNumber("ClassField", QStringLiteral("Class"), 0, 99999);
    Sex_ = new QComboBox(this);
    Sex_->setObjectName(QStringLiteral("SexField"));
    Sex_->addItems({QStringLiteral("Female (0)"), QStringLiteral("Male (1)")});
    form->addRow(QStringLiteral("Sex"), Sex_);
    BaseLevel_ = AddNumber("BaseLevelField", QStringLiteral("BaseLevel"), 1, 9999);
    JobLevel_ = AddNumber("JobLevelField", QStringLiteral("JobLevel"), 1, 9999);
    StatusPoint_ = AddNumber("StatusPointField", QStringLiteral("StatusPoint"), 0, INT_MAX);
    Weight_ = AddNumber("WeightField", QStringLiteral("Weight"), 0, INT_MAX);
    MaxWeight_ = AddNumber("MaxWeightField", QStringLiteral("MaxWeight"), 0, INT_MAX);
    Items_ = new QLineEdit(this);
    Items_->setObjectName(QStringLiteral("ItemsField"));
    Items_->setPlaceholderText(QStringLiteral("ID=count, ..."));
    form->addRow(QStringLiteral("Items"), Items_);

    auto* apply = new QPushButton(QStringLiteral("Apply to the run"), this);
    apply->setObjectName(QStringLiteral("ApplyPlayerButton"));
    connect(apply, &QPushButton::clicked, this, &TPlayerPanel::ApplyRequested);
    // Restart keeps the values applied; this starts over with a character nobody has changed.
    auto* reset = new QPushButton(QStringLiteral("New character"), this);
    reset->setObjectName(QStringLiteral("ResetPlayerButton"));
    reset->setToolTip(QStringLiteral("Play the NPC again for a new character, without the values applied"));
    connect(reset, &QPushButton::clicked, this, &TPlayerPanel::ResetRequested);
    auto* applyRow = new QHBoxLayout;
    applyRow->addWidget(apply, 1);
    applyRow->addWidget(reset);
    form->addRow(applyRow);

    Presets_ = new QComboBox(this);
    Presets_->setObjectName(QStringLiteral("PresetBox"));
    Presets_->setEditable(true);
    Presets_->setInsertPolicy(QComboBox::NoInsert);
    auto* save = new QPushButton(QStringLiteral("Save"), this);
    save->setObjectName(QStringLiteral("SavePresetButton"));
    auto* remove = new QPushButton(QStringLiteral("Delete"), this);
    remove->setObjectName(QStringLiteral("DeletePresetButton"));
    auto* presetRow = new QHBoxLayout;
    presetRow->addWidget(Presets_, 1);
    presetRow->addWidget(save);
    presetRow->addWidget(remove);
    form->addRow(QStringLiteral("Preset"), presetRow);
    connect(save, &QPushButton::clicked, this, [this] { Guarded(this, [this] { SavePreset(); }); });
    connect(remove, &QPushButton::clicked, this, [this] { Guarded(this, [this] { DeletePreset(); }); });
    connect(Presets_, &QComboBox::textActivated, this,
            [this](const QString& name) { Guarded(this, [&] { LoadPreset(name); }); });
    FillPresetBox();
    ShowPlayer({});
}

QSpinBox* TPlayerPanel::AddNumber(const char* name, const QString& label, int min, int max)
{
    auto* field = new QSpinBox(this);
    field->setObjectName(QString::fromLatin1(name));
    field->setRange(min, max);
    static_cast<QFormLayout*>(layout())->addRow(label, field);
    return field;
}

void TPlayerPanel::ShowPlayer(const script::TPlayerState& player)
{
    Zeny_->setValue(player.Zeny);
    Class_->setValue(player.Class);
    Sex_->setCurrentIndex(player.Sex == 0 ? 0 : 1);
    BaseLevel_->setValue(player.BaseLevel);
    JobLevel_->setValue(player.JobLevel);
    StatusPoint_->setValue(player.StatusPoint);
    Weight_->setValue(player.Weight);
    MaxWeight_->setValue(player.MaxWeight);
    Items_->setText(ItemsText(player));
}

script::TPlayerState TPlayerPanel::EditedPlayer(const script::TPlayerState& base) const
{
    script::TPlayerState player = base;
    player.Inventory = ParsePlayerOption(ItemsOption(Items_->text(), Encoding_)).Player.Inventory;
    player.Zeny = Zeny_->value();
    player.Class = Class_->value();
    player.Sex = Sex_->currentIndex();
    player.BaseLevel = BaseLevel_->value();
    player.JobLevel = JobLevel_->value();
    player.StatusPoint = StatusPoint_->value();
    player.Weight = Weight_->value();
    player.MaxWeight = MaxWeight_->value();
    return player;
}

QStringList TPlayerPanel::PresetNames() const
{
    QSettings settings;
    settings.beginGroup(PresetGroup);
    return settings.childKeys();
}

void TPlayerPanel::FillPresetBox()
{
    const QString shown = Presets_->currentText();
    Presets_->clear();
    Presets_->addItems(PresetNames());
    Presets_->setCurrentText(shown);
}

void TPlayerPanel::SavePreset()
{
    const QString name = Presets_->currentText().trimmed();
    if (name.isEmpty())
        throw std::invalid_argument("Type a name for the preset first.");
    // The key is the name: a slash would open a settings group instead.
    if (name.contains(u'/') || name.contains(u'\\'))
        throw std::invalid_argument("A preset's name cannot contain / or \\.");
    const std::string option = PlayerOptionText(EditedPlayer({}));
    QSettings settings;
    settings.setValue(PresetGroup + u'/' + name, QString::fromStdString(option));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw std::runtime_error("The preset could not be written to " + settings.fileName().toStdString());
    FillPresetBox();
    Presets_->setCurrentText(name);
}

void TPlayerPanel::LoadPreset(const QString& name)
{
    QSettings settings;
    const QString option = settings.value(PresetGroup + u'/' + name).toString();
    if (option.isEmpty())
        return;
    ShowPlayer(ParsePlayerOption(option.toStdString()).Player);
}

void TPlayerPanel::DeletePreset()
{
    const QString name = Presets_->currentText().trimmed();
    if (name.isEmpty())
        return;
    QSettings settings;
    settings.remove(PresetGroup + u'/' + name);
    FillPresetBox();
    Presets_->setCurrentText(QString());
}
