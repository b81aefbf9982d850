#pragma once
// The import's recognisers for code beyond the catalogue: expression texts as the author wrote
// them, conditions as checks, and the statements that become command, set, call and bare
// statement tasks.

#include "import/ImportMatch.h"
#include "model/ConditionTasks.h"

#include "catalogue/Targets.h"
#include "script/SyntaxTree.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

// A piece of source written anew: a label argument as its group's label.
struct TReplacement {
    std::size_t Begin, End;
    std::string Text;
};
// The label arguments in s and everything below it.
void CollectLabelRefs(const TMatchContext& ctx, const script::TStmt& s, std::vector<TReplacement>& out);
// text, which starts at offset begin of the file, with refs put in.
std::string ApplyReplacements(const std::string& text, std::size_t begin, std::vector<TReplacement> refs);

// The source between begin and end as one line, whole parentheses included, refs put in; nothing
// when a comment stands inside or the parentheses do not match.
std::optional<std::string> RangeText(const TMatchContext& ctx, std::size_t begin, std::size_t end,
                                     const std::vector<TReplacement>& refs);
std::optional<std::string> RangeText(const TMatchContext& ctx, std::size_t begin, std::size_t end);
// An expression's text, its label arguments read as their groups' labels.
std::optional<std::string> ExprText(const TMatchContext& ctx, const script::TExpr& e);

// The three parts of a for loop's "(init; condition; step)", each trimmed.
std::optional<std::tuple<std::string, std::string, std::string>> ForParts(const std::string& header);

// The condition as checks: the comparisons the condition editor can say, else one expression.
std::optional<TConChecks> MatchChecks(const TMatchContext& ctx, const script::TExpr& cond);

// `set`, an assignment, callfunc / callsub, end, return, break, continue, or any other command
// of the target's table, as its task; nullptr for anything else.
std::unique_ptr<TTask> MatchCode(const TMatchContext& ctx, const script::TStmt& s);
