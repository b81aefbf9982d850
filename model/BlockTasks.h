#pragma once
// Tasks that hold tasks and write them as a block of the script: if / else if / else (an if task
// whose children are its branches), while / for / do loops, and switch (its children are its
// cases). The script reads as the author wrote it, `{ ... }` and all, without labels or jumps.
// They exist in the extended project file only.

#include "model/ConditionTasks.h"
#include "model/Tasks.h"

#include <cstdint>
#include <string>

// `if (...) { ... } else if (...) { ... } else { ... }`: its children are its branches, in order.
class TIfTask : public TBlockTask {
public:
    TTaskKind Kind() const override { return TTaskKind::If; }
    void WriteScriptEnd(TScriptWriter& writer) const override;  // "}" after the last branch

    std::string SummaryText() const { return "If"; }
};

// One branch of an if: its checks (none: the else branch), then its tasks.
class TBranchTask : public TBlockTask {
public:
    TTaskKind Kind() const override { return TTaskKind::Branch; }
    bool IsPart() const override { return true; }
    // Record: the checks as a condition's.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    // "if (...) {", "} else if (...) {" or "} else {", by its place among the branches.
    void WriteScript(TScriptWriter& writer) const override;

    bool IsElse() const { return Checks.empty(); }
    // "If <checks>" (the first), "Else if <checks>", "Else"
    std::string SummaryText(const TCatalogues& catalogues) const;
    std::string PlacedCaption(const TCatalogues& catalogues) const override
    {
        return UserNamed ? Caption : SummaryText(catalogues);
    }

    TConChecks Checks;
};

enum class TLoopKind : std::uint8_t { While = 0, For = 1, DoWhile = 2 };

// `while (C) { ... }`, `for (I; C; S) { ... }`, `do { ... } while (C);`
class TLoopTask : public TBlockTask {
public:
    TTaskKind Kind() const override { return TTaskKind::Loop; }
    // Record: LoopKind (a byte), Init, Condition, Step.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;
    void WriteScriptEnd(TScriptWriter& writer) const override;

    std::string SummaryText() const;  // "While C", "For I; C; S", "Do ... while C"

    TLoopKind LoopKind = TLoopKind::While;
    std::string Init;       // for: a statement without its ';' (may be empty)
    std::string Condition;  // an expression (for: may be empty)
    std::string Step;       // for: a statement without its ';' (may be empty)
};

// `switch (Value) { ... }`: its children are its cases.
class TSwitchTask : public TBlockTask {
public:
    TTaskKind Kind() const override { return TTaskKind::Switch; }
    // Record: Value.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;
    void WriteScriptEnd(TScriptWriter& writer) const override;

    std::string SummaryText() const { return "Switch on " + Value; }

    std::string Value;
};

// `case Value:` or `default:`, then its tasks; without a break the next case follows on.
class TCaseTask : public TBlockTask {
public:
    TTaskKind Kind() const override { return TTaskKind::Case; }
    bool IsPart() const override { return true; }
    // Record: IsDefault (a byte), Value.
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;

    std::string SummaryText() const { return IsDefault ? "Default" : "Case " + Value; }

    bool IsDefault = false;
    std::string Value;  // an expression the server reads as a number
};
