#pragma once
// The player panel of the play-test window: the character the NPC talks to (Zeny, job, sex,
// levels, status points, weights, items), and named presets of it kept in the user's settings
// (QSettings, in the form npc-play's --player takes).

#include "script/PlayTypes.h"

#include <QGroupBox>

#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TTextEncoding;

class TPlayerPanel : public QGroupBox {
    Q_OBJECT
public:
    // Typed text is taken in encoding, the played document's, which outlives the panel.
    explicit TPlayerPanel(const TTextEncoding& encoding, QWidget* parent = nullptr);

    // Shows the player's parameters and items.
    void ShowPlayer(const script::TPlayerState& player);
    // The player with the panel's fields written over `base` (whose variables stay). Raises
    // std::invalid_argument naming the item entry that is not "ID=COUNT".
    script::TPlayerState EditedPlayer(const script::TPlayerState& base) const;

    // Presets: saved under the name in the preset box, loaded by picking one.
    void SavePreset();
    void LoadPreset(const QString& name);
    void DeletePreset();
    QStringList PresetNames() const;

signals:
    // The user asked for the fields to take effect.
    void ApplyRequested();
    // The user asked for a new character, without the values applied so far.
    void ResetRequested();

private:
    QSpinBox* AddNumber(const char* name, const QString& label, int min, int max);
    void FillPresetBox();

    QSpinBox* Zeny_ = nullptr;
    QSpinBox* Class_ = nullptr;
    QComboBox* Sex_ = nullptr;
    QSpinBox* BaseLevel_ = nullptr;
    QSpinBox* JobLevel_ = nullptr;
    QSpinBox* StatusPoint_ = nullptr;
    QSpinBox* Weight_ = nullptr;
    QSpinBox* MaxWeight_ = nullptr;
    QLineEdit* Items_ = nullptr;
    QComboBox* Presets_ = nullptr;
    const TTextEncoding& Encoding_;
};
