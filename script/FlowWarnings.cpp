#include "script/FlowWarnings.h"

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
    TDeadCode(const TFlowGraph& graph, std::vector<TDiagnostic>& out)
        : Graph_(graph), Reached_(ReachableNodes(graph)), Out_(out)
    {
    }

    void Walk(const TStmt& s)
    {
        if (s.Kind == TStmtKind::Block)
            return Sequence(s.Children);
        for (const TStmt* inner : {s.Then.get(), s.Else.get()}) {
            if (inner && inner->Kind == TStmtKind::Block) {
                Walk(*inner);
            } else if (inner) {
                const TStmt* const alone[] = {inner};
                Sequence(alone);
            }
        }
    }

private:
    // Dead when no node of the statement is reached: a label inside a block or branch may be
    // jumped to even when the way into the statement is closed.
    bool Dead(const TStmt& s) const
    {
        if (s.Kind != TStmtKind::Block) {
            if (const int first = Graph_.FirstNodeOf(s); first >= 0 && Reached_[first])
                return false;
        }
        for (const auto& child : s.Children)
            if (!Dead(*child))
                return false;
        for (const TStmt* inner : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
            if (inner && !Dead(*inner))
                return false;
        return true;
    }

    static const TStmt* Get(const TStmt* s) { return s; }
    static const TStmt* Get(const std::unique_ptr<TStmt>& s) { return s.get(); }

    // Reports each run of dead statements once, from its first statement to its last. children:
    // the statements of a block, or a branch's statement alone.
    template <class TChildren>
    void Sequence(const TChildren& children)
    {
        const TStmt* first = nullptr;
        const TStmt* last = nullptr;
        bool matters = false;
        auto flush = [&] {
            if (first && matters)
                Warn(Out_, {first->Range.Begin, last->Range.End},
                     "this code never runs: no label, case or way through the lines before it leads here");
            first = nullptr;
            matters = false;
        };
        for (const auto& item : children) {
            const TStmt* child = Get(item);
            // A local function runs when called, wherever it is written.
            if (child->Kind != TStmtKind::Function && Dead(*child)) {
                first = first ? first : child;
                last = child;
                matters = matters || !Harmless(*child);
                continue;
            }
            flush();
            Walk(*child);
        }
        flush();
    }

    const TFlowGraph& Graph_;
    const std::vector<bool> Reached_;
    std::vector<TDiagnostic>& Out_;
};

void CheckBody(const TTopLevel& entry, std::vector<TDiagnostic>& out)
{
    const TFlowGraph graph = BuildFlowGraph(*entry.Body, entry.Kind == TTopKind::Function);
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
    for (std::size_t i = 0; i < graph.Nodes.size(); ++i) {
        const TFlowNode& node = graph.Nodes[i];
        if (!(facts[i] & DialogOpen))
            continue;
        if (node.Role == TNodeRole::Plain && IsCommand(*node.Stmt, "end"))
            Warn(out, node.Stmt->Range, message);
        else if (static_cast<int>(i) == graph.BodyEnd && !graph.IsFunction)
            Warn(out, ClosingBrace(*node.Stmt), message);
    }
}

void CheckEmptyDialog(const TFlowGraph& graph, const std::vector<TFlowFacts>& facts,
                      std::vector<TDiagnostic>& out)
{
    for (std::size_t i = 0; i < graph.Nodes.size(); ++i) {
        const TFlowNode& node = graph.Nodes[i];
        if (node.Role != TNodeRole::Plain || !(facts[i] & DialogClosed))
            continue;
        if (IsCommand(*node.Stmt, "next") || IsCommand(*node.Stmt, "close"))
            Warn(out, node.Stmt->Range,
                 LowerCase(node.Stmt->Name) + " with no mes before it: the player gets an empty dialog");
    }
}

void CheckUnreachable(const TStmt& body, const TFlowGraph& graph, std::vector<TDiagnostic>& out)
{
    TDeadCode(graph, out).Walk(body);
}

void CheckMenuOptions(const TFlowGraph& graph, std::vector<TDiagnostic>& out)
{
    for (const TFlowNode& node : graph.Nodes) {
        if (node.Role != TNodeRole::Plain || !IsCommand(*node.Stmt, "menu"))
            continue;
        for (std::size_t i = 0; i < node.Stmt->Args.size(); i += 2) {
            const TExpr& option = *node.Stmt->Args[i];
            if (option.Kind != TExprKind::String)
                continue;
            if (option.Text.empty())
                Warn(out, option.Range, "empty menu option: the client does not show it");
            else if (option.Text.find(':') != std::string::npos)
                Warn(out, option.Range, "menu option \"" + option.Text + "\" contains ':': the client shows it as "
                                        "several options and the numbers of the later options shift");
        }
    }
}

void CheckUncheckedZeny(const TFlowGraph& graph, const std::vector<TFlowFacts>& facts,
                        std::vector<TDiagnostic>& out)
{
    for (std::size_t i = 0; i < graph.Nodes.size(); ++i) {
        const TFlowNode& node = graph.Nodes[i];
        if (node.Role == TNodeRole::Plain && (facts[i] & ZenyUnchecked) && TakesZeny(*node.Stmt))
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

std::vector<TDiagnostic> CheckFlow(const TScriptFile& file)
{
    std::vector<TDiagnostic> out;
    for (const TTopLevel& entry : file.Entries) {
        CheckNameLength(entry, out);
        if ((entry.Kind == TTopKind::Script || entry.Kind == TTopKind::Function) && entry.Body)
            CheckBody(entry, out);
    }
    std::stable_sort(out.begin(), out.end(), [](const TDiagnostic& a, const TDiagnostic& b) {
        return a.Range.Begin.Offset < b.Range.Begin.Offset;
    });
    return out;
}

} // namespace script
