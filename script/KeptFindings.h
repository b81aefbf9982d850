#pragma once
// What a check found in each top-level statement of an NPC's body, kept for the next check of a
// text the incremental reader read in part: a statement it moved but did not read again gives the
// same findings as before, moved with it, so only the statements read again are checked again.

#include "script/FlowGraph.h"
#include "script/IncrementalReader.h"
#include "script/SyntaxTree.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <span>
#include <vector>

namespace script {

// Follows the reader's last change in what is kept for each of the body's statements: what was
// kept for statements it read again gives way to empty places for the statements now there, the
// rest moves with its statement; a whole read drops everything.
template <class TKept>
void FollowChange(std::vector<TKept>& kept, const TIncrementalReader::TChange& change)
{
    if (!change.Partial) {
        kept.clear();
        return;
    }
    if (change.First >= kept.size())
        return;  // nothing kept from there on anyway
    // The places of the statements read again are emptied and reused; only the difference in
    // their number moves the rest, once.
    const std::size_t removed = std::min(change.Removed, kept.size() - change.First);
    const std::size_t reused = std::min(removed, change.Inserted);
    for (std::size_t i = change.First; i < change.First + reused; ++i)
        kept[i] = TKept{};
    const auto at = kept.begin() + static_cast<std::ptrdiff_t>(change.First + reused);
    if (change.Inserted > reused) {
        std::vector<TKept> fresh(change.Inserted - reused);
        kept.insert(at, std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    } else {
        kept.erase(at, at + static_cast<std::ptrdiff_t>(removed - reused));
    }
}

class TStatementFindings {
public:
    // Follows the reader's last change: the findings of statements it read again are dropped, the
    // rest move to the statements' new places; a whole read drops everything.
    void Follow(const TIncrementalReader::TChange& change) { FollowChange(Statements_, change); }
    // Appends the findings kept for the body's statement `index` (now `stmt`), moved to where the
    // statement stands now; false when none are kept.
    bool Take(std::size_t index, const TStmt& stmt, std::vector<TDiagnostic>& out) const;
    // Keeps what the check found in the statement, which depends on nothing outside it.
    void Keep(std::size_t index, const TStmt& stmt, std::span<const TDiagnostic> found);
    // Checks body's statements in order with check, which appends what it finds to out and says
    // whether that depends on the statement alone (and so may be kept); a statement with findings
    // kept takes them instead.
    template <class F>
    void CheckEach(const TStmt& body, std::vector<TDiagnostic>& out, F&& check)
    {
        for (std::size_t i = 0; i < body.Children.size(); ++i) {
            const TStmt& s = *body.Children[i];
            if (Take(i, s, out))
                continue;
            const std::size_t before = out.size();
            if (check(s))
                Keep(i, s, std::span<const TDiagnostic>(out).subspan(before));
        }
    }

private:
    struct TKept {
        bool Known = false;
        TSourcePos At;  // where the statement began when the findings were made
        std::vector<TDiagnostic> Found;
    };
    std::vector<TKept> Statements_;
};

// The flow graph's part of each of the body's statements (see TFlowPart), kept like the findings.
// After a whole read none is built: a check that is not followed by an edit (the project's check
// from nothing) then costs no more than without them, and the first edit after it builds them all.
class TKeptFlowParts {
public:
    void Follow(const TIncrementalReader::TChange& change)
    {
        Whole_ = !change.Partial;
        FollowChange(Parts_, change);
    }
    // Whether the last read was whole: the graph is then better built at once.
    bool Whole() const { return Whole_; }
    // A part for each of body's statements: those kept, the others built and kept.
    std::span<const TFlowPart> Parts(const TStmt& body);

private:
    bool Whole_ = true;
    // Side by side rather than each in a block of its own: a join reads every part after every
    // edit, and parts scattered over the heap cost it a miss of the cache each.
    std::vector<TFlowPart> Parts_;
};

// One for each check that looks at the body's statements one by one.
struct TKeptFindings {
    TStatementFindings Load;    // the load-time checks of commands, arguments and statements
    TStatementFindings Values;  // the warnings about values
    TKeptFlowParts Flow;        // the flow checks' graph

    void Follow(const TIncrementalReader::TChange& change)
    {
        Load.Follow(change);
        Values.Follow(change);
        Flow.Follow(change);
    }
};

} // namespace script
