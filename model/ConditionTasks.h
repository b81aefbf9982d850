#pragma once
// Condition tasks: a flat sequence of comparisons joined by AND / OR that jumps to a group or to
// the exit of the group that holds it.

#include "model/ActionTasks.h"
#include "model/Tasks.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::int32_t ConAnd = -1;
inline constexpr std::int32_t ConOr = -2;
// A check that is any expression the server reads (Expression), true when it is not 0 or "".
inline constexpr std::int32_t ConExpression = 6;
inline constexpr std::int32_t GroupExitTarget = -1;

// "Equal to", "Not", "At least", "At most", "More than", "Less than" (Kind 0..5).
extern const char* const ConditionNames[6];
// The kind's name as shown: the six names, "And" for -1, "OR" for -2, "Expression" for 6.
std::string ConditionName(std::int32_t kind);
// " == ", " != ", " >= ", " <= ", " > ", " < ", " && ", " || ".
std::string ConditionScriptText(std::int32_t kind);

class TConCheck {
public:
    TConCheck() = default;
    // Copies Kind, Value, Variable, Expression and a copy of ValueAction.
    TConCheck(const TConCheck& source);
    TConCheck& operator=(const TConCheck&) = delete;

    // Kind, Value, then for a comparison the variable's index (or -1 and the action's record),
    // for an expression (extended file only) its text.
    void SaveToFile(TFileWriter& file) const;
    void LoadFromFile(TFileReader& file);
    bool IsComparison() const { return Kind >= 0 && Kind <= 5; }
    bool IsExpression() const { return Kind == ConExpression; }

    std::int32_t Kind = 0;
    std::int32_t Value = 0;
    const TVariable* Variable = nullptr;  // wins over ValueAction when both are set
    std::unique_ptr<TActionTask> ValueAction;
    std::string Expression;  // for ConExpression, as the author writes it
};

// A list of checks, as a condition and an if's branch hold them.
using TConChecks = std::vector<std::unique_ptr<TConCheck>>;
void SaveChecks(TFileWriter& file, const TConChecks& checks);
TConChecks LoadChecks(TFileReader& file);
TConChecks CopyChecks(const TConChecks& checks);
bool HasExpressionCheck(const TConChecks& checks);
// The checks as the script's condition: each check in parentheses, joined by && and ||; a single
// check stands without them when bareSingle is set. Problems go to writer.
std::string ChecksScriptText(const TConChecks& checks, TScriptWriter& writer, bool bareSingle);
// The check texts joined by one blank.
std::string ChecksSummary(const TConChecks& checks, const TCatalogues& catalogues);

// Kind of the value a check's left side yields: the variable's ValueKind, else the ResultKind of
// the value action's entry, else PT_None.
ParamTypes LeftValueKind(const TConCheck& check);
// "At least 1000 Zeny", "Equal to Female Sex", "More than 5 Item Amount(501)", "And", "OR".
std::string CheckText(const TConCheck& check, const TCatalogues& catalogues);

class TConTask : public TTask {
public:
    TConTask() = default;

    TTaskKind Kind() const override { return TTaskKind::Condition; }
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;
    bool NeedsExtendedFormat(const TCatalogues& /*catalogues*/) const override { return HasExpressionCheck(Checks); }

    void Assign(const TConTask& source);
    int CheckCount() const { return static_cast<int>(Checks.size()); }
    // Past the end: the last check; nullptr when there are none.
    TConCheck* CheckAt(int i) const;
    void AddCheck(std::unique_ptr<TConCheck> check);
    void RemoveCheck(TConCheck* check);
    // The check texts joined by one blank: the caption a condition gets when not user-named.
    std::string SummaryText(const TCatalogues& catalogues) const;

    std::int32_t Target = 0;  // group number, or GroupExitTarget
    TConChecks Checks;
};
