#include "script/KeptFindings.h"

#include <algorithm>
#include <iterator>

namespace script {

void TStatementFindings::Follow(const TIncrementalReader::TChange& change)
{
    if (!change.Partial) {
        Places_.clear();
        Found_.clear();
        Free_.clear();
        return;
    }
    const std::size_t end = std::min(change.First + change.Removed, Places_.size());
    for (std::size_t i = change.First; i < end; ++i)
        Release(Places_[i]);
    FollowChange(Places_, change);
}

void TStatementFindings::Release(std::uint32_t place)
{
    if (place < First)
        return;
    Found_[place - First].Found.clear();
    Free_.push_back(place - First);
}

void TStatementFindings::Take(const TFound& found, const TStmt& stmt, std::vector<TDiagnostic>& out)
{
    // The reader moves a statement as a whole, by whole lines: every position in it by the same
    // lines and bytes, columns as they were.
    const int lines = stmt.Range.Begin.Line - found.At.Line;
    const std::ptrdiff_t bytes = static_cast<std::ptrdiff_t>(stmt.Range.Begin.Offset) - static_cast<std::ptrdiff_t>(found.At.Offset);
    const auto move = [&](TSourcePos& pos) {
        pos.Line += lines;
        pos.Offset = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(pos.Offset) + bytes);
    };
    for (TDiagnostic d : found.Found) {
        move(d.Range.Begin);
        move(d.Range.End);
        out.push_back(std::move(d));
    }
}

std::uint32_t TStatementFindings::Place()
{
    if (Free_.empty()) {
        Found_.emplace_back();
        return static_cast<std::uint32_t>(Found_.size() - 1);
    }
    const std::uint32_t at = Free_.back();
    Free_.pop_back();
    return at;
}

void TStatementFindings::Keep(std::size_t index, const TStmt& stmt, std::span<const TDiagnostic> found)
{
    if (found.empty()) {
        Places_[index] = Clean;
        return;
    }
    const std::uint32_t at = Place();
    Found_[at] = {stmt.Range.Begin, std::vector<TDiagnostic>(found.begin(), found.end())};
    Places_[index] = First + at;
}

void TStatementFindings::KeepName(std::size_t index, std::size_t hash)
{
    const std::uint32_t at = Place();
    Found_[at] = {{}, {}, true, hash};
    Places_[index] = First + at;
}

std::span<const TFlowPart> TKeptFlowParts::Parts(const TStmt& body)
{
    Parts_.resize(body.Children.size());
    for (std::size_t i = 0; i < Parts_.size(); ++i) {
        const TStmt& stmt = *body.Children[i];
        // A part names the statement it was built from: one left at another's place by a faulty
        // follow is built again rather than joined in.
        if (Parts_[i].Stmt != &stmt)
            Parts_[i] = BuildFlowPart(stmt);
    }
    return Parts_;
}

} // namespace script
