#pragma once
// The language features over the workspace: outline, navigation, rename, hover, completion,
// colours (the editor's own highlighter) and the play command with its code lenses.

#include "lsp/ItemDb.h"
#include "lsp/Workspace.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

namespace lsp {

inline const QString PlayCommand = QStringLiteral("npc.play");
QJsonObject SemanticLegend();

class TFeatures {
public:
    using TUriOf = std::function<QString(const std::string& path)>;
    using TLog = std::function<void(const std::string& message)>;
    TFeatures(TWorkspace& workspace, TUriOf uriOf, std::filesystem::path dataDir, TLog log = {});

    QJsonValue Hover(const std::string& path, const QJsonObject& params);
    QJsonValue Completion(const std::string& path, const QJsonObject& params);
    QJsonValue Definition(const std::string& path, const QJsonObject& params);
    QJsonValue References(const std::string& path, const QJsonObject& params);
    QJsonValue Rename(const std::string& path, const QJsonObject& params);
    QJsonValue DocumentSymbols(const std::string& path, const QJsonObject& params);
    QJsonValue SemanticTokens(const std::string& path, const QJsonObject& params);
    QJsonValue CodeLenses(const std::string& path, const QJsonObject& params);
    QJsonValue WorkspaceSymbols(const QJsonObject& params);
    // npc.play [uri, NPC name, {choose, input, player, seed}]: the play's transcript.
    QJsonValue Execute(const QJsonObject& params);

    // What a name at a place of the tree stands for.
    struct TSymbol {
        enum TKind { None, Label, Function, Npc } Kind = None;
        std::string Name;
        std::string Path;         // Label: the file of the NPC that holds it
        std::size_t EntryBegin = 0, EntryEnd = 0;  // Label: that NPC's bytes
    };
    TSymbol SymbolAt(const std::string& path, std::size_t offset);
    // Every place that names symbol, the definitions first: path and byte range.
    struct TPlace {
        std::string Path;
        std::size_t Begin = 0, End = 0;
        bool Definition = false;
    };
    // uses: the places that use it too, not only its definitions.
    std::vector<TPlace> Places(const TSymbol& symbol, bool uses = true);

private:
    // The text of a file of the workspace; a request about any other is refused, naming it as shown.
    const std::string& OpenText(const std::string& path, const std::string& shown) const;
    const std::string& OpenText(const std::string& path) const { return OpenText(path, path); }
    std::size_t OffsetAt(const std::string& path, const QJsonObject& params);
    QJsonObject Location(const TPlace& place);
    bool SameName(std::string_view a, std::string_view b) const;
    // Whether text holds name anywhere, as the target compares names: a file that does not
    // cannot use it, and is not read.
    bool Mentions(const std::string& text, std::string_view name) const;
    // Names in strings (lsp/EventStrings.cpp): the symbol a string under offset names, if it
    // names one; the NPC entry that holds the labels of the NPC of a unique name (a duplicate's
    // are its source's), as a label symbol without a name; the strings that name symbol.
    std::optional<TSymbol> StringSymbolAt(const std::string& path, std::size_t offset);
    TSymbol LabelsOf(std::string_view npc, int depth = 0);
    void StringPlaces(const TSymbol& symbol, std::vector<TPlace>& places);
    // The tree's items, read when first asked for: a tree whose database is missing or broken
    // has none, and the editor's log says why once.
    const TItemDb& Items();
    const TItemRecord* ItemAt(const std::string& path, std::size_t offset, script::TSourceRange& range);
    std::optional<QJsonValue> ItemCompletion(const std::string& before, const std::string& prefix);

    TWorkspace& Workspace_;
    TUriOf UriOf_;
    std::filesystem::path DataDir_;
    TLog Log_;
    std::optional<TItemDb> Items_;
};

} // namespace lsp
