#pragma once
// What a check found in each top-level statement of an NPC's body, kept for the next check of a
// text the incremental reader read in part: a statement it moved but did not read again gives the
// same findings as before, moved with it, so only the statements read again are checked again.

#include "script/IncrementalReader.h"
#include "script/SyntaxTree.h"

#include <cstddef>
#include <span>
#include <vector>

namespace script {

class TStatementFindings {
public:
    // Follows the reader's last change: the findings of statements it read again are dropped, the
    // rest move to the statements' new places; a whole read drops everything.
    void Follow(const TIncrementalReader::TChange& change);
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

// One for each check that looks at the body's statements one by one.
struct TKeptFindings {
    TStatementFindings Load;    // the load-time checks of commands, arguments and statements
    TStatementFindings Values;  // the warnings about values

    void Follow(const TIncrementalReader::TChange& change)
    {
        Load.Follow(change);
        Values.Follow(change);
    }
};

} // namespace script
