#include "script/KeptFindings.h"

#include <algorithm>
#include <iterator>

namespace script {

void TStatementFindings::Follow(const TIncrementalReader::TChange& change)
{
    if (!change.Partial) {
        Statements_.clear();
        return;
    }
    if (change.First >= Statements_.size())
        return;  // nothing kept from there on anyway
    const auto first = Statements_.begin() + static_cast<std::ptrdiff_t>(change.First);
    const auto last = Statements_.begin() + static_cast<std::ptrdiff_t>(std::min(change.First + change.Removed, Statements_.size()));
    Statements_.insert(Statements_.erase(first, last), change.Inserted, TKept{});
}

bool TStatementFindings::Take(std::size_t index, const TStmt& stmt, std::vector<TDiagnostic>& out) const
{
    if (index >= Statements_.size() || !Statements_[index].Known)
        return false;
    const TKept& kept = Statements_[index];
    // The reader moves a statement as a whole, by whole lines: every position in it by the same
    // lines and bytes, columns as they were.
    const int lines = stmt.Range.Begin.Line - kept.At.Line;
    const std::ptrdiff_t bytes = static_cast<std::ptrdiff_t>(stmt.Range.Begin.Offset) - static_cast<std::ptrdiff_t>(kept.At.Offset);
    const auto move = [&](TSourcePos& pos) {
        pos.Line += lines;
        pos.Offset = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(pos.Offset) + bytes);
    };
    for (TDiagnostic d : kept.Found) {
        move(d.Range.Begin);
        move(d.Range.End);
        out.push_back(std::move(d));
    }
    return true;
}

void TStatementFindings::Keep(std::size_t index, const TStmt& stmt, std::span<const TDiagnostic> found)
{
    if (index >= Statements_.size())
        Statements_.resize(index + 1);
    Statements_[index] = {true, stmt.Range.Begin, std::vector<TDiagnostic>(found.begin(), found.end())};
}

} // namespace script
