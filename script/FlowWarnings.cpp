#include "script/FlowWarnings.h"

#include "script/KeptFindings.h"

#include <algorithm>

namespace script {
namespace {

// The server keeps an NPC's display and unique names in buffers of 24 bytes and a terminating
// zero, and cuts what is longer (names of exactly 24 bytes are common in its own scripts).
constexpr std::size_t MaxNameBytes = 24;

void Warn(std::vector<TDiagnostic>& out, TSourceRange range, std::string message)
{
    out.push_back({TSeverity::Warning, range, std::move(message)});
}

// The closing brace of a block: the last byte of its range.
TSourceRange ClosingBrace(const TStmt& block)
{
    TSourcePos end = block.Range.End;
    TSourcePos brace = end;
    brace.Column = end.Column > 1 ? end.Column - 1 : 1;
    brace.Offset = end.Offset > 0 ? end.Offset - 1 : 0;
    return {brace, end};
}

// Statements that do nothing where nothing reaches them: a `break;` or `end;` after a close, a
// stray `;`, a label no one jumps to.
bool Harmless(const TStmt& s)
{
    switch (s.Kind) {
    case TStmtKind::Empty:
    case TStmtKind::Break:
    case TStmtKind::Continue:
    case TStmtKind::Label: return true;
    case TStmtKind::Block:
        return std::all_of(s.Children.begin(), s.Children.end(), [](const auto& c) { return Harmless(*c); });
    case TStmtKind::Command: return IsCommand(s, "end") || (IsCommand(s, "return") && s.Args.empty());
    default: return false;
    }
}

class TDeadCode {
public:
    TDeadCode(const TFlowGraph& graph, std::vector<TDiagnostic>& out) : Graph_(graph), Out_(out)
    {
        // A statement is alive when the run reaches its first node; how many of the statements
        // numbered below n are tells at once whether any within a statement is.
        const std::vector<bool> reached = ReachableNodes(graph);
        AliveBefore_.resize(graph.FirstNodes.size() + 1, 0);
        for (std::size_t n = 0; n < graph.FirstNodes.size(); ++n) {
            const int first = graph.FirstNodes[n];
            AliveBefore_[n + 1] = AliveBefore_[n] + (first >= 0 && reached[static_cast<std::size_t>(first)] ? 1 : 0);
        }
    }

    // s is statement `number` of the graph.
    void Walk(const TStmt& s, int number)
    {
        if (s.Kind == TStmtKind::Block)
            return Sequence(s, number);
        ForEachInner(s, number, Graph_.Sizes, [&](const TStmt& inner, int at) {
            if (&inner != s.Then.get() && &inner != s.Else.get())
                return;
            if (inner.Kind == TStmtKind::Block)
                Walk(inner, at);
            else
                Run(inner, at);
        });
    }

private:
    // Dead when no statement within it is reached: a label inside a block or branch may be
    // jumped to even when the way into the statement is closed.
    bool Dead(int number) const
    {
        const auto n = static_cast<std::size_t>(number);
        return AliveBefore_[n + static_cast<std::size_t>(Graph_.Sizes[n])] == AliveBefore_[n];
    }

    // Reports each run of dead statements once, from its first statement to its last.
    struct TRun {
        const TStmt* First = nullptr;
        const TStmt* Last = nullptr;
        bool Matters = false;
    };

    void Flush(TRun& run)
    {
        if (run.First && run.Matters)
            Warn(Out_, {run.First->Range.Begin, run.Last->Range.End},
                 "this code never runs: no label, case or way through the lines before it leads here");
        run = {};
    }

    void Step(TRun& run, const TStmt& child, int number)
    {
        // A local function runs when called, wherever it is written.
        if (Dead(number) && child.Kind != TStmtKind::Function) {
            run.First = run.First ? run.First : &child;
            run.Last = &child;
            run.Matters = run.Matters || !Harmless(child);
            return;
        }
        Flush(run);
        // A statement with none within it has nothing more to walk: most have none, and not
        // reading them keeps the walk to the numbers.
        if (Graph_.Sizes[static_cast<std::size_t>(number)] > 1)
            Walk(child, number);
    }

    // The statements of a block.
    void Sequence(const TStmt& block, int number)
    {
        TRun run;
        ForEachInner(block, number, Graph_.Sizes, [&](const TStmt& child, int at) { Step(run, child, at); });
        Flush(run);
    }

    // A branch's statement alone.
    void Run(const TStmt& s, int number)
    {
        TRun run;
        Step(run, s, number);
        Flush(run);
    }

    const TFlowGraph& Graph_;
    std::vector<int> AliveBefore_;  // by statement number, and one past the last
    std::vector<TDiagnostic>& Out_;
};

void CheckBody(const TTopLevel& entry, TKeptFlowParts* kept, std::vector<TDiagnostic>& out)
{
    const bool isFunction = entry.Kind == TTopKind::Function;
    const TFlowGraph graph = kept && !kept->Whole() ? JoinFlowParts(*entry.Body, isFunction, kept->Parts(*entry.Body))
                                                    : BuildFlowGraph(*entry.Body, isFunction);
    const std::vector<TFlowFacts> facts = FlowFactsOnEntry(graph);
    CheckMissingTargets(graph, out);
    CheckDialogLeftOpen(graph, facts, out);
    CheckEmptyDialog(graph, facts, out);
    CheckUnreachable(*entry.Body, graph, out);
    CheckMenuOptions(graph, out);
    CheckUncheckedZeny(graph, facts, out);
}

} // namespace

void CheckMissingTargets(const TFlowGraph& graph, std::vector<TDiagnostic>& out)
{
    for (const TMissingTarget& missing : graph.Missing) {
        const std::string what = missing.Target->Kind == TExprKind::Identifier
                                     ? "'" + missing.Target->Text + "' is not a label of this NPC"
                                     : "the target is not a label";
        Warn(out, missing.Target->Range,
             LowerCase(missing.Jump->Name) + ": " + what +
                 "; the server stops the script when a player gets here");
    }
}

void CheckDialogLeftOpen(const TFlowGraph& graph, const std::vector<TFlowFacts>& facts,
                         std::vector<TDiagnostic>& out)
{
    const std::string message = "the dialog is still open when the script ends here: the player is "
                                "left with a window that has no close button (use close)";
    for (const int n : graph.Warned) {
        const auto i = static_cast<std::size_t>(n);
        const TFlowNode& node = graph.Nodes[i];
        if (!(facts[i] & DialogOpen))
            continue;
        if (node.Traits & EndsRun)
            Warn(out, node.Stmt->Range, message);
        else if (n == graph.BodyEnd && !graph.IsFunction)
            Warn(out, ClosingBrace(*node.Stmt), message);
    }
}

void CheckEmptyDialog(const TFlowGraph& graph, const std::vector<TFlowFacts>& facts,
                      std::vector<TDiagnostic>& out)
{
    for (const int n : graph.Warned) {
        const auto i = static_cast<std::size_t>(n);
        const TFlowNode& node = graph.Nodes[i];
        if ((node.Traits & NeedsDialog) && (facts[i] & DialogClosed))
            Warn(out, node.Stmt->Range,
                 LowerCase(node.Stmt->Name) + " with no mes before it: the player gets an empty dialog");
    }
}

void CheckUnreachable(const TStmt& body, const TFlowGraph& graph, std::vector<TDiagnostic>& out)
{
    TDeadCode(graph, out).Walk(body, 0);
}

void CheckMenuOptions(const TFlowGraph& graph, std::vector<TDiagnostic>& out)
{
    if (!(graph.Traits & BadMenuOption))
        return;
    for (const int n : graph.Warned) {
        const TFlowNode& node = graph.Nodes[static_cast<std::size_t>(n)];
        if (!(node.Traits & BadMenuOption))
            continue;
        for (std::size_t i = 0; i < node.Stmt->Args.size(); i += 2) {
            const TExpr& option = *node.Stmt->Args[i];
            if (!IsBadMenuOption(option))
                continue;
            if (option.Text.empty())
                Warn(out, option.Range, "empty menu option: the client does not show it");
            else
                Warn(out, option.Range, "menu option \"" + option.Text + "\" contains ':': the client shows it as "
                                        "several options and the numbers of the later options shift");
        }
    }
}

void CheckUncheckedZeny(const TFlowGraph& graph, const std::vector<TFlowFacts>& facts,
                        std::vector<TDiagnostic>& out)
{
    if (!(graph.Traits & TakesZenyAway))
        return;
    for (const int n : graph.Warned) {
        const auto i = static_cast<std::size_t>(n);
        const TFlowNode& node = graph.Nodes[i];
        if ((node.Traits & TakesZenyAway) && (facts[i] & ZenyUnchecked))
            Warn(out, node.Stmt->Range,
                 "Zeny is taken on a path where no comparison of Zeny guards it: with too little Zeny "
                 "the server leaves it unchanged and the script goes on");
    }
}

void CheckNameLength(const TTopLevel& entry, std::vector<TDiagnostic>& out)
{
    if (entry.Kind == TTopKind::Function || entry.Kind == TTopKind::Monster || entry.Kind == TTopKind::Mapflag ||
        entry.Fields.size() < 3)
        return;
    // `Display::Unique` keeps each part in a buffer of its own.
    const std::string& name = entry.Name;
    const std::size_t split = name.find("::");
    const std::string display = name.substr(0, split);
    const std::string unique = split == std::string::npos ? std::string() : name.substr(split + 2);
    for (const std::string* part : {&display, &unique})
        if (part->size() > MaxNameBytes)
            Warn(out, entry.Fields[2].Range,
                 "NPC name '" + *part + "' is " + std::to_string(part->size()) +
                     " bytes long: the server cuts it to " + std::to_string(MaxNameBytes));
}

std::vector<TDiagnostic> CheckFlow(const TScriptFile& file, TKeptFlowParts* kept)
{
    std::vector<TDiagnostic> out;
    for (const TTopLevel& entry : file.Entries) {
        CheckNameLength(entry, out);
        if ((entry.Kind == TTopKind::Script || entry.Kind == TTopKind::Function) && entry.Body)
            CheckBody(entry, kept, out);
    }
    std::stable_sort(out.begin(), out.end(), [](const TDiagnostic& a, const TDiagnostic& b) {
        return a.Range.Begin.Offset < b.Range.Begin.Offset;
    });
    return out;
}

} // namespace script
