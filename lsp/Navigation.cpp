// Names and where they are: the outline, definitions, references and rename.

#include "lsp/Features.h"

#include "lsp/Json.h"
#include "lsp/Server.h"
#include "script/SyntaxWalk.h"
#include "script/ServerRules.h"

#include <QJsonArray>

#include <algorithm>
#include <cctype>

namespace lsp {

namespace {

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool IsCallfunc(const script::TStmt& stmt)
{
    return stmt.Kind == script::TStmtKind::Command && !stmt.Args.empty() &&
           (stmt.Name == "callfunc" || stmt.Name == "Callfunc" || stmt.Name == "CALLFUNC");
}

// The name's bytes inside a header's third field, without an NPC's `::` part or `#` suffix kept.
std::size_t NameEnd(const THeader& header)
{
    return header.NameOffset + header.Name.size();
}

} // namespace

TFeatures::TFeatures(TWorkspace& workspace, TUriOf uriOf, std::filesystem::path dataDir, TLog log)
    : Workspace_(workspace), UriOf_(std::move(uriOf)), DataDir_(std::move(dataDir)), Log_(std::move(log))
{
}

bool TFeatures::SameName(std::string_view a, std::string_view b) const
{
    if (script::TServerRules::For(Workspace_.Target()).CaseSensitive())
        return a == b;
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool TFeatures::Mentions(const std::string& text, std::string_view name) const
{
    return std::search(text.begin(), text.end(), name.begin(), name.end(), [this](char a, char b) {
               return SameName(std::string_view(&a, 1), std::string_view(&b, 1));
           }) != text.end();
}

const std::string& TFeatures::OpenText(const std::string& path, const std::string& shown) const
{
    const std::string* text = Workspace_.Text(path);
    if (!text)
        throw ERequestError(codes::InvalidParams, shown + ": no such file");
    return *text;
}

std::size_t TFeatures::OffsetAt(const std::string& path, const QJsonObject& params)
{
    const std::string* text = &OpenText(path);
    try {
        return TLineIndex(*text).Offset(PositionFromJson(params["position"].toObject()));
    } catch (const EOutsideText& e) {
        throw ERequestError(codes::InvalidParams, e.what());
    }
}

QJsonObject TFeatures::Location(const TPlace& place)
{
    const std::string* text = Workspace_.Text(place.Path);
    const TLineIndex lines(text ? std::string_view(*text) : std::string_view());
    return {{"uri", UriOf_(place.Path)},
            {"range", RangeToJson({lines.Position(place.Begin), lines.Position(place.End)})}};
}

TFeatures::TSymbol TFeatures::SymbolAt(const std::string& path, std::size_t offset)
{
    const std::string* text = Workspace_.Text(path);
    if (!text)
        return {};
    std::size_t begin = offset, end = offset;
    while (begin > 0 && IsNameChar((*text)[begin - 1]))
        --begin;
    while (end < text->size() && IsNameChar((*text)[end]))
        ++end;
    if (std::optional<TSymbol> named = StringSymbolAt(path, offset))
        return *named;
    const std::string word = text->substr(begin, end - begin);
    if (word.empty())
        return {};
    for (const THeader& header : Workspace_.Headers(path))
        if (header.Kind == THeader::Duplicate && offset >= header.LineOffset && offset < header.NameOffset)
            return {TSymbol::Npc, header.DuplicateOf, {}, 0, 0};
    const auto syntax = Workspace_.Syntax(path);
    for (const script::TTopLevel& entry : syntax->Entries) {
        if (!entry.Body || offset < entry.Range.Begin.Offset || offset >= entry.Range.End.Offset)
            continue;
        bool label = false;
        script::Walk(entry.Body.get(), [&](const script::TStmt& s) {
            label = label || (s.Kind == script::TStmtKind::Label && SameName(s.Name, word));
        }, [](const script::TExpr&) {});
        if (label)
            return {TSymbol::Label, word, path, entry.Range.Begin.Offset, entry.Range.End.Offset};
    }
    for (const std::string& file : Workspace_.Files())
        for (const THeader& header : Workspace_.Headers(file))
            if (header.Kind == THeader::Function && SameName(header.Name, word))
                return {TSymbol::Function, header.Name, {}, 0, 0};
    for (const std::string& file : Workspace_.Files())
        for (const THeader& header : Workspace_.Headers(file))
            if (header.Kind == THeader::Npc && script::TLoadState::UniqueName(header.Name) == word)
                return {TSymbol::Npc, word, {}, 0, 0};
    return {};
}

std::vector<TFeatures::TPlace> TFeatures::Places(const TSymbol& symbol, bool uses)
{
    std::vector<TPlace> places;
    if (symbol.Kind == TSymbol::Label) {
        const auto syntax = Workspace_.Syntax(symbol.Path);
        for (const script::TTopLevel& entry : syntax->Entries) {
            if (entry.Range.Begin.Offset != symbol.EntryBegin || !entry.Body)
                continue;
            script::Walk(entry.Body.get(), [&](const script::TStmt& s) {
                if (s.Kind == script::TStmtKind::Label && SameName(s.Name, symbol.Name))
                    places.push_back({symbol.Path, s.Range.Begin.Offset, s.Range.Begin.Offset + s.Name.size(), true});
            }, [&](const script::TExpr& e) {
                if (e.Kind == script::TExprKind::Identifier && SameName(e.Text, symbol.Name))
                    places.push_back({symbol.Path, e.Range.Begin.Offset, e.Range.End.Offset, false});
            });
        }
    } else if (symbol.Kind != TSymbol::None) {
        const bool function = symbol.Kind == TSymbol::Function;
        for (const std::string& file : Workspace_.Files()) {
            for (const THeader& header : Workspace_.Headers(file)) {
                const bool named = function ? header.Kind == THeader::Function && SameName(header.Name, symbol.Name)
                                            : header.Kind == THeader::Npc && script::TLoadState::UniqueName(header.Name) == symbol.Name;
                if (named) {
                    const std::size_t colons = function ? std::string::npos : header.Name.find("::");
                    const std::size_t begin = colons == std::string::npos ? header.NameOffset : header.NameOffset + colons + 2;
                    places.push_back({file, begin, NameEnd(header), true});
                } else if (!function && header.Kind == THeader::Duplicate && header.DuplicateOf == symbol.Name) {
                    const std::size_t at = header.LineOffset + Workspace_.Text(file)->substr(header.LineOffset).find("duplicate(") + 10;
                    places.push_back({file, at, at + symbol.Name.size(), false});
                }
            }
            if (!function || !uses)
                continue;
            if (!Mentions(*Workspace_.Text(file), symbol.Name))
                continue;
            const auto syntax = Workspace_.Syntax(file);
            for (const script::TTopLevel& entry : syntax->Entries)
                script::Walk(entry.Body.get(), [&](const script::TStmt& s) {
                    const script::TExpr* first = IsCallfunc(s) ? s.Args[0].get() : nullptr;
                    if (first && first->Kind == script::TExprKind::String && SameName(first->Text, symbol.Name))
                        places.push_back({file, first->Range.Begin.Offset + 1, first->Range.End.Offset - 1, false});
                    if (s.Kind == script::TStmtKind::Command && SameName(s.Name, symbol.Name))
                        places.push_back({file, s.NameRange.Begin.Offset, s.NameRange.End.Offset, false});
                }, [&](const script::TExpr& e) {
                    if (e.Kind == script::TExprKind::Call && SameName(e.Text, symbol.Name))
                        places.push_back({file, e.Range.Begin.Offset, e.Range.Begin.Offset + e.Text.size(), false});
                    if (e.Kind == script::TExprKind::Call && SameName(e.Text, "callfunc") && !e.Args.empty() &&
                        e.Args[0]->Kind == script::TExprKind::String && SameName(e.Args[0]->Text, symbol.Name))
                        places.push_back({file, e.Args[0]->Range.Begin.Offset + 1, e.Args[0]->Range.End.Offset - 1, false});
                });
        }
    }
    if (uses && (symbol.Kind == TSymbol::Label || symbol.Kind == TSymbol::Npc))
        StringPlaces(symbol, places);
    std::stable_sort(places.begin(), places.end(), [](const TPlace& a, const TPlace& b) { return a.Definition > b.Definition; });
    return places;
}

QJsonValue TFeatures::Definition(const std::string& path, const QJsonObject& params)
{
    QJsonArray locations;
    for (const TPlace& place : Places(SymbolAt(path, OffsetAt(path, params))))
        if (place.Definition)
            locations.append(Location(place));
    return locations;
}

QJsonValue TFeatures::References(const std::string& path, const QJsonObject& params)
{
    const bool declarations = params["context"].toObject()["includeDeclaration"].toBool(true);
    QJsonArray locations;
    for (const TPlace& place : Places(SymbolAt(path, OffsetAt(path, params))))
        if (declarations || !place.Definition)
            locations.append(Location(place));
    return locations;
}

QJsonValue TFeatures::Rename(const std::string& path, const QJsonObject& params)
{
    const TSymbol symbol = SymbolAt(path, OffsetAt(path, params));
    if (symbol.Kind != TSymbol::Label && symbol.Kind != TSymbol::Function)
        throw ERequestError(codes::RequestFailed, "only a label or a function can be renamed here");
    const std::string name = params["newName"].toString().toStdString();
    if (name.empty() || !std::all_of(name.begin(), name.end(), IsNameChar) || std::isdigit(static_cast<unsigned char>(name[0])))
        throw ERequestError(codes::InvalidParams, "'" + name + "' is no name: letters, digits and _ only, not a digit first");
    if (symbol.Kind == TSymbol::Label && name.size() > script::MaxNameLength)
        throw ERequestError(codes::InvalidParams, "a label keeps at most 23 bytes; '" + name + "' has " + std::to_string(name.size()));
    QJsonObject changes;
    for (const TPlace& place : Places(symbol)) {
        const QString uri = UriOf_(place.Path);
        QJsonArray edits = changes[uri].toArray();
        edits.append(QJsonObject{{"range", Location(place)["range"]}, {"newText", QString::fromStdString(name)}});
        changes[uri] = edits;
    }
    return QJsonObject{{"changes", changes}};
}

QJsonValue TFeatures::DocumentSymbols(const std::string& path, const QJsonObject&)
{
    const std::string* text = &OpenText(path);
    const TLineIndex lines(*text);
    QJsonArray symbols;
    for (const script::TTopLevel& entry : Workspace_.Syntax(path)->Entries) {
        if (entry.Kind == script::TTopKind::Monster || entry.Kind == script::TTopKind::Mapflag || entry.Fields.size() < 3)
            continue;
        QJsonArray labels;
        script::Walk(entry.Body.get(), [&](const script::TStmt& s) {
            if (s.Kind == script::TStmtKind::Label)
                labels.append(QJsonObject{{"name", QString::fromUtf8(s.Name)},
                                          {"kind", s.Name.rfind("On", 0) == 0 ? 24 : 20},
                                          {"range", RangeToJson(lines.Range(s.Range))},
                                          {"selectionRange", RangeToJson(lines.Range(s.Range))}});
        }, [](const script::TExpr&) {});
        const bool function = entry.Kind == script::TTopKind::Function;
        symbols.append(QJsonObject{{"name", QString::fromUtf8(entry.Name.empty() ? entry.Fields[2].Text : entry.Name)},
                                   {"detail", function ? QString("function") : QString::fromUtf8(entry.Map)},
                                   {"kind", function ? 12 : 5},
                                   {"range", RangeToJson(lines.Range(entry.Range))},
                                   {"selectionRange", RangeToJson(lines.Range(entry.Fields[2].Range))},
                                   {"children", labels}});
    }
    return symbols;
}

QJsonValue TFeatures::WorkspaceSymbols(const QJsonObject& params)
{
    const QString query = params["query"].toString();
    constexpr int MostSymbols = 500;
    QJsonArray symbols;
    for (const std::string& file : Workspace_.Files()) {
        for (const THeader& header : Workspace_.Headers(file)) {
            const QString name = QString::fromUtf8(header.Name);
            if (!name.contains(query, Qt::CaseInsensitive) || symbols.size() >= MostSymbols)
                continue;
            symbols.append(QJsonObject{{"name", name},
                                       {"kind", header.Kind == THeader::Function ? 12 : 5},
                                       {"location", Location({file, header.NameOffset, NameEnd(header), true})}});
        }
    }
    return symbols;
}

} // namespace lsp
