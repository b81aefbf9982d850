#pragma once
// What a check found in each top-level statement of an NPC's body, kept for the next check of a
// text the incremental reader read in part: a statement it moved but did not read again gives the
// same findings as before, moved with it, so only the statements read again are checked again.

#include "script/FlowGraph.h"
#include "script/IncrementalReader.h"
#include "script/SyntaxTree.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
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
    // What a check says of a statement's findings: they depend on other statements and are found
    // again next time (Context), on the statement alone and are kept (Alone), or on the statement
    // and on whether one before it defines the same name (Named): then what depends on the name
    // alone is kept, and the name's hash with it, so that the name is looked up again unhashed.
    struct TVerdict {
        enum TKind { Context, Alone, Named } Kind = Context;
        std::size_t Hash = 0;  // Named: the name's hash
    };

    // Follows the reader's last change: the findings of statements it read again are dropped, the
    // rest move to the statements' new places; a whole read drops everything.
    void Follow(const TIncrementalReader::TChange& change);
    // Checks body's statements in order with check, which appends what it finds to out and says
    // whether that depends on the statement alone (and so may be kept); a statement with findings
    // kept takes them instead.
    template <class F>
    void CheckEach(const TStmt& body, std::vector<TDiagnostic>& out, F&& check)
    {
        CheckEach(body, out, [&check](const TStmt& s) { return TVerdict{check(s) ? TVerdict::Alone : TVerdict::Context}; },
                  [](const TStmt&, std::size_t) {});
    }
    // As above, with check giving a TVerdict; named(statement, hash) is called for every kept
    // Named statement in its turn, for what depends on the names before it. Check does that part
    // itself for the statements it checks.
    template <class F, class N>
    void CheckEach(const TStmt& body, std::vector<TDiagnostic>& out, F&& check, N&& named)
    {
        // Most statements are kept and found nothing: they are passed over without touching them.
        Places_.resize(body.Children.size(), Unknown);
        for (std::size_t i = 0; i < body.Children.size(); ++i) {
            if (const std::uint32_t place = Places_[i]; place != Unknown) {
                if (place == Clean)
                    continue;
                const TFound& found = Found_[place - First];
                if (found.Named)
                    named(*body.Children[i], found.Hash);
                else
                    Take(found, *body.Children[i], out);
                continue;
            }
            const TStmt& s = *body.Children[i];
            const std::size_t before = out.size();
            const TVerdict verdict = check(s);
            if (verdict.Kind == TVerdict::Named)
                KeepName(i, verdict.Hash);
            else if (verdict.Kind == TVerdict::Alone)
                Keep(i, s, std::span<const TDiagnostic>(out).subspan(before));
        }
    }

private:
    // What a statement with findings found, and where it began when they were made.
    struct TFound {
        TSourcePos At;
        std::vector<TDiagnostic> Found;
        bool Named = false;    // a Named statement's: Found is empty
        std::size_t Hash = 0;  // the name's
    };
    // A place left empty by FollowChange is Unknown.
    static constexpr std::uint32_t Unknown = 0;
    static constexpr std::uint32_t Clean = 1;
    static constexpr std::uint32_t First = 2;  // the place of Found_[0]

    // Appends found's findings, moved to where stmt stands now.
    static void Take(const TFound& found, const TStmt& stmt, std::vector<TDiagnostic>& out);
    void Keep(std::size_t index, const TStmt& stmt, std::span<const TDiagnostic> found);
    void KeepName(std::size_t index, std::size_t hash);
    // A free entry of Found_, made if none is.
    std::uint32_t Place();
    void Release(std::uint32_t place);

    // For each of the body's statements: Unknown (checked next time), Clean (kept, nothing
    // found) or where its findings are kept, First for Found_[0].
    std::vector<std::uint32_t> Places_;
    std::vector<TFound> Found_;
    std::vector<std::uint32_t> Free_;  // indexes of Found_ no statement holds
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
