#pragma once
// The import's recognisers: which statements are exactly what a message, an action, a condition
// or a menu task writes, and the task that writes it again. Everything they refuse stays manual.

#include "model/ActionTasks.h"
#include "model/ConditionTasks.h"
#include "model/MenuTasks.h"

#include "script/SyntaxTree.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct TMatchContext {
    const std::string& Text;  // the file, for the bytes of string literals
    // The imported project's: the maps a literal may name, the jobs a caption shows.
    const TCatalogues& Catalogues;
    // Labels that became groups: name in lower case -> group number.
    const std::map<std::string, std::int32_t>& Groups;
    // The same -> the label the writer gives the group; null: labels are kept as written.
    const std::map<std::string, std::string>* Labels = nullptr;
    // The comments of the body, in file order: code that holds one stays manual.
    const std::vector<const script::TComment*>* Comments = nullptr;
    TServerTarget Target = DefaultTarget;
};

// The bytes between the quotes of a string literal as written (escapes kept), when the
// expression is one literal on one line.
std::optional<std::string> RawString(const TMatchContext& ctx, const script::TExpr& e);
// The group a label argument names.
std::optional<std::int32_t> GroupOf(const TMatchContext& ctx, const script::TExpr& e);
// `mes "text";`: the text as written.
std::optional<std::string> MatchMes(const TMatchContext& ctx, const script::TStmt& s);
// One of the 19 catalogued statements with literal arguments.
std::unique_ptr<TActionTask> MatchAction(const TMatchContext& ctx, const script::TStmt& s);
// `if (condition) goto Label;`: the comparisons the condition editor can express, else one
// expression check.
std::unique_ptr<TConTask> MatchCondition(const TMatchContext& ctx, const script::TStmt& s);
// The comparisons of cond as checks, when the condition editor can express them.
std::optional<TConChecks> MatchComparisons(const TMatchContext& ctx, const script::TExpr& cond);

struct TMenuMatch {
    std::unique_ptr<TMenuTask> Task;
    bool FallsThrough = false;  // an option goes on with the next line: a group must start there
};
// `menu "A", L_A, "B", -;`: options whose `-` targets are given nextGroup.
std::optional<TMenuMatch> MatchMenu(const TMatchContext& ctx, const script::TStmt& s, std::int32_t nextGroup);

// The catalogue's captions of the task kinds, as the task window gives them.
std::string ActionCaption(const TActionTask& task, const TCatalogues& catalogues);
