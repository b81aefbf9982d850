#pragma once
// Menu tasks: a list of choices, each jumping to a group.

#include "model/Tasks.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDMenu {
public:
    TDMenu() = default;
    TDMenu(std::string text, std::int32_t target) : Target(target), Text(std::move(text)) {}
    TDMenu(const TDMenu& source) = default;

    void SaveToFile(TFileWriter& file) const;
    void LoadFromFile(TFileReader& file);

    std::int32_t Target = 0;
    std::string Text;
};

class TMenuTask : public TTask {
public:
    TMenuTask() = default;
    explicit TMenuTask(const std::string& caption) : TTask(caption) {}

    TTaskKind Kind() const override { return TTaskKind::Menu; }
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;

    void Assign(const TMenuTask& source);
    int EntryCount() const { return static_cast<int>(Entries.size()); }
    // Past the end: the last entry; nullptr when there are none.
    TDMenu* EntryAt(int i) const;
    void AddEntry(std::unique_ptr<TDMenu> entry);
    void RemoveEntry(TDMenu* entry);
    // The entry texts joined by ", ": the caption a menu gets when not user-named.
    std::string SummaryText() const;

    std::vector<std::unique_ptr<TDMenu>> Entries;
};
