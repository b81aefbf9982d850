#pragma once
// Fills the editors' pickers from the model's TStrings fillers and reads back what the user chose.
// Every entry keeps the object it stands for as its item data. Groups are the exception: they are
// kept by GroupNumber, because a group can be deleted from the tree while an editor still lists
// it, and a number cannot dangle.

#include "catalogue/Catalogues.h"
#include "catalogue/ServerData.h"
#include "catalogue/Targets.h"
#include "platform/TextEncoding.h"

#include <QComboBox>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TTaskList;

class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;

// Appends entries to a combo box. Its signals are held back while it is being filled.
class TComboStrings final : public TStrings {
public:
    // Entries read their texts in encoding.
    TComboStrings(QComboBox* combo, const TTextEncoding& encoding) : Combo_(combo), Encoding_(encoding) {}
    void BeginUpdate() override;
    void EndUpdate() override;
    void AddObject(const std::string& text, const void* object) override;

private:
    QComboBox* Combo_;
    TTextEncoding Encoding_;
    bool WasBlocked_ = false;
    int Depth_ = 0;
};

// Appends entries to a list box.
class TListStrings final : public TStrings {
public:
    TListStrings(QListWidget* list, const TTextEncoding& encoding) : List_(list), Encoding_(encoding) {}
    void AddObject(const std::string& text, const void* object) override;

private:
    QListWidget* List_;
    TTextEncoding Encoding_;
};

// The object of entry index (nullptr outside the list or for an entry without one).
const void* ComboObject(const QComboBox* combo, int index);
template <class T>
const T* SelectedComboObject(const QComboBox* combo)
{
    return static_cast<const T*>(ComboObject(combo, combo->currentIndex()));
}
// The first entry whose object is object (nullptr finds an entry without one); -1 when none.
int IndexOfComboObject(const QComboBox* combo, const void* object);

const void* ListObject(const QListWidgetItem* item);
// The row whose object is object, or -1.
int IndexOfListObject(const QListWidget* list, const void* object);

// Appends every group of tasks (its Caption), each keeping its GroupNumber.
void FillGroupCombo(QComboBox* combo, const TTaskList& tasks, const TTextEncoding& encoding);
// Lists the groups of tasks again (after groups came, went or were renamed), keeping the chosen
// group by its number; when that group is gone nothing is chosen. Entries that stand for no group
// stay as they are. Signals are held back: the caller updates what depends on the choice.
void RefillGroupCombo(QComboBox* combo, const TTaskList& tasks, const TTextEncoding& encoding);
// The group number of entry index; nothing for an entry without a group or outside the list.
std::optional<std::int32_t> ComboGroupNumber(const QComboBox* combo, int index);
// The entry of the group numbered number, or -1 when that group is not listed or no longer exists.
int IndexOfComboGroup(const QComboBox* combo, const TTaskList& tasks, std::int32_t number);

// The server's catalogue maps under their display names, entry i being catalogue map i, then every
// other map the server knows (its map index), by name. Each entry's data is the map's file name.
void FillServerMapCombo(QComboBox* combo, const TServerData& server, const TTextEncoding& encoding);
// The map file name of entry index; empty outside the list.
std::string ComboMapFile(const QComboBox* combo, int index);
// The entry of the map named name, compared as the server looks maps up; -1 when none.
int IndexOfComboMap(const QComboBox* combo, const std::string& name);
// Shows a map no entry has (name) as the list's placeholder, kept as written until the user picks
// an entry; an empty name clears it.
void ShowKeptMap(QComboBox* combo, const std::string& name, const TTextEncoding& encoding);

// The lines of a plain-text control, one per paragraph, as the model's 8-bit text. A final line
// break ends the last line rather than opening another (as in the header's comments): an empty
// control has no lines.
std::vector<std::string> EditLines(const QPlainTextEdit* edit, const TTextEncoding& encoding);
// Replaces the text of a plain-text control by lines, so that EditLines gives them back.
void SetEditLines(QPlainTextEdit* edit, const std::vector<std::string>& lines, const TTextEncoding& encoding);

