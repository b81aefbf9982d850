#include "script/KeptFindings.h"

#include <algorithm>
#include <iterator>

namespace script {

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
