#pragma once
// The language features over the workspace: outline, navigation, rename, hover, completion,
// colours (the editor's own highlighter) and the play command with its code lenses.

#include "lsp/Workspace.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <filesystem>
#include <functional>

namespace lsp {

inline const QString PlayCommand = QStringLiteral("npc.play");
QJsonObject SemanticLegend();

class TFeatures {
public:
    using TUriOf = std::function<QString(const std::string& path)>;
    TFeatures(TWorkspace& workspace, TUriOf uriOf, std::filesystem::path dataDir);

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
    std::vector<TPlace> Places(const TSymbol& symbol);

private:
    std::size_t OffsetAt(const std::string& path, const QJsonObject& params);
    QJsonObject Location(const TPlace& place);
    bool SameName(std::string_view a, std::string_view b) const;

    TWorkspace& Workspace_;
    TUriOf UriOf_;
    std::filesystem::path DataDir_;
};

} // namespace lsp
