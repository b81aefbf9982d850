#pragma once
// The few variables whose values decide branches, followed along each path so that the flow
// facts do not travel ways the script cannot take: a loop that runs while `.@loop` is 1 and is
// left only after `set .@loop, 0; close2;`, an if-chain over every value of `rand(1,5)`.
//
// Only variables that the body both tests and sets to a number are followed, at most
// MaxTracked of them; every other value is unknown and lets the run take every way.

#include "script/FlowGraph.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace script {

// The variable and the value of `set V, value;` or `V = value;`, when the statement is one of them.
std::optional<std::pair<const TExpr*, const TExpr*>> SimpleAssignment(const TStmt& s);
// A number, or a value ChoiceValues knows.
bool IsNumberOrChoice(const TExpr& value);
// Whether a test names a variable the way TTrackedValues follows it .
bool TestsAnyVariable(const TExpr& cond);

class TTrackedValues {
public:
    static constexpr std::size_t MaxTracked = 4;
    static constexpr std::int64_t Unknown = std::numeric_limits<std::int64_t>::min();
    using TValues = std::array<std::int64_t, MaxTracked>;

    explicit TTrackedValues(const TFlowGraph& graph);

    static TValues AllUnknown();
    // No variable is followed: every run takes every way.
    bool Empty() const { return Names_.empty(); }
    // The values after `node` runs; more than one when it sets a variable to a random number.
    std::vector<TValues> After(const TFlowNode& node, const TValues& before) const;
    // The nodes a test may go on to with these values (all of node.Next when undecided).
    std::vector<int> Ways(const TFlowNode& node, const TValues& values) const;

private:
    int Index(const TExpr& e) const;
    std::optional<std::int64_t> Value(const TExpr& e, const TValues& values) const;
    std::optional<bool> Truth(const TExpr& e, const TValues& values) const;
    void Assign(const TExpr& target, const TExpr* value, std::vector<TValues>& out) const;

    const TFlowGraph& Graph_;
    std::vector<std::string> Names_;  // lower case
};

} // namespace script
