// Names inside strings: an event `"NPC::OnLabel"` (donpcevent, addtimer, deltimer, a
// waitingroom's or a monster's event, ...) is a use of the label OnLabel of the NPC whose unique
// name is NPC, and a string the NPC timer and visibility commands take is a use of that NPC.

#include "lsp/Features.h"

#include "script/SyntaxWalk.h"

#include <algorithm>
#include <array>

namespace lsp {

namespace {

// The commands whose string arguments are NPC names (their unique names).
bool NamesNpc(std::string_view command)
{
    static constexpr std::array<std::string_view, 12> commands{
        "initnpctimer", "stopnpctimer", "startnpctimer", "setnpctimer", "getnpctimer", "enablenpc",
        "disablenpc", "hideonnpc", "hideoffnpc", "cloakonnpc", "cloakoffnpc", "unloadnpc"};
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

// (A file that is not open is read again for each use of its syntax: the features hold it while
// they walk it.)

// A string argument that names an NPC and maybe one of its labels, with the file offsets of the
// two names.
struct TNamedString {
    std::string_view Npc, Label;  // Label empty: the string names the NPC alone
    std::size_t NpcBegin = 0, LabelBegin = 0;
};

// Calls see with every string argument of a command or a call in body that names an event or an
// NPC. Only a string written as it reads (no escapes) has places for its names.
template <class TSee>
void NamedStrings(const script::TStmt* body, const std::string& text, const TSee& see)
{
    const auto look = [&](std::string_view command, const std::vector<std::unique_ptr<script::TExpr>>& args) {
        for (const auto& arg : args) {
            const std::string_view value = arg->Text;
            const std::size_t begin = arg->Range.Begin.Offset + 1;
            if (arg->Kind != script::TExprKind::String || text.compare(begin, value.size(), value) != 0)
                continue;
            const std::size_t colons = value.find("::");
            // `"::OnLabel"` is every NPC's label of that name: no one label's use.
            if (colons != std::string_view::npos && colons > 0 && colons + 2 < value.size())
                see(TNamedString{value.substr(0, colons), value.substr(colons + 2), begin, begin + colons + 2});
            else if (colons == std::string_view::npos && !value.empty() && NamesNpc(command))
                see(TNamedString{value, {}, begin, 0});
        }
    };
    script::Walk(body, [&](const script::TStmt& s) {
        if (s.Kind == script::TStmtKind::Command)
            look(s.Name, s.Args);
    }, [&](const script::TExpr& e) {
        if (e.Kind == script::TExprKind::Call)
            look(e.Text, e.Args);
    });
}

bool HasLabel(const script::TStmt* body, std::string_view label, const std::function<bool(std::string_view, std::string_view)>& same)
{
    bool found = false;
    script::Walk(body, [&](const script::TStmt& s) { found = found || (s.Kind == script::TStmtKind::Label && same(s.Name, label)); },
         [](const script::TExpr&) {});
    return found;
}

} // namespace

TFeatures::TSymbol TFeatures::LabelsOf(std::string_view npc, int depth)
{
    constexpr int MostCopies = 8;  // a duplicate of a duplicate ...: deeper is a loop
    for (const std::string& file : Workspace_.Files())
        for (const THeader& header : Workspace_.Headers(file)) {
            if (script::TLoadState::UniqueName(header.Name) != npc)
                continue;
            if (header.Kind == THeader::Duplicate)
                return depth < MostCopies ? LabelsOf(header.DuplicateOf, depth + 1) : TSymbol{};
            if (header.Kind != THeader::Npc)
                continue;
            const auto syntax = Workspace_.Syntax(file);
            for (const script::TTopLevel& entry : syntax->Entries)
                if (entry.Body && entry.Range.Begin.Offset <= header.NameOffset && header.NameOffset < entry.Range.End.Offset)
                    return {TSymbol::Label, {}, file, entry.Range.Begin.Offset, entry.Range.End.Offset};
        }
    return {};
}

std::optional<TFeatures::TSymbol> TFeatures::StringSymbolAt(const std::string& path, std::size_t offset)
{
    const std::string& text = *Workspace_.Text(path);
    std::optional<TSymbol> symbol;
    const auto syntax = Workspace_.Syntax(path);
    for (const script::TTopLevel& entry : syntax->Entries) {
        if (!entry.Body || offset < entry.Range.Begin.Offset || offset >= entry.Range.End.Offset)
            continue;
        NamedStrings(entry.Body.get(), text, [&](const TNamedString& named) {
            if (offset >= named.NpcBegin && offset <= named.NpcBegin + named.Npc.size()) {
                symbol = TSymbol{TSymbol::Npc, std::string(named.Npc), {}, 0, 0};
            } else if (!named.Label.empty() && offset >= named.LabelBegin && offset <= named.LabelBegin + named.Label.size()) {
                const TSymbol labels = LabelsOf(named.Npc);
                const auto same = [this](std::string_view a, std::string_view b) { return SameName(a, b); };
                symbol = TSymbol{};
                if (labels.Kind != TSymbol::Label)
                    return;
                const auto holders = Workspace_.Syntax(labels.Path);
                for (const script::TTopLevel& holder : holders->Entries)
                    if (holder.Range.Begin.Offset == labels.EntryBegin && HasLabel(holder.Body.get(), named.Label, same))
                        symbol = TSymbol{TSymbol::Label, std::string(named.Label), labels.Path, labels.EntryBegin, labels.EntryEnd};
            }
        });
    }
    return symbol;
}

void TFeatures::StringPlaces(const TSymbol& symbol, std::vector<TPlace>& places)
{
    // The unique names that reach the symbol's NPC: its own and its duplicates'.
    std::vector<std::string> npcs;
    if (symbol.Kind == TSymbol::Npc) {
        npcs.push_back(symbol.Name);
    } else {
        const auto syntax = Workspace_.Syntax(symbol.Path);
        for (const script::TTopLevel& entry : syntax->Entries)
            if (entry.Range.Begin.Offset == symbol.EntryBegin)
                npcs.push_back(script::TLoadState::UniqueName(entry.Name));
        for (const std::string& file : Workspace_.Files())
            for (const THeader& header : Workspace_.Headers(file))
                if (header.Kind == THeader::Duplicate && !npcs.empty() && header.DuplicateOf == npcs.front())
                    npcs.push_back(script::TLoadState::UniqueName(header.Name));
    }
    for (const std::string& file : Workspace_.Files()) {
        const std::string& text = *Workspace_.Text(file);
        if (!Mentions(text, symbol.Name))
            continue;
        const auto syntax = Workspace_.Syntax(file);
        for (const script::TTopLevel& entry : syntax->Entries)
            NamedStrings(entry.Body.get(), text, [&](const TNamedString& named) {
                if (std::find(npcs.begin(), npcs.end(), named.Npc) == npcs.end())
                    return;
                if (symbol.Kind == TSymbol::Npc)
                    places.push_back({file, named.NpcBegin, named.NpcBegin + named.Npc.size(), false});
                else if (!named.Label.empty() && SameName(named.Label, symbol.Name))
                    places.push_back({file, named.LabelBegin, named.LabelBegin + named.Label.size(), false});
            });
    }
}

} // namespace lsp
