#include "lsp/Server.h"

#include "check/Lint.h"
#include "lsp/Features.h"
#include "lsp/Json.h"
#include "lsp/TextPosition.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <algorithm>

namespace lsp {

namespace {

std::filesystem::path RootOf(const QJsonObject& params)
{
    QString uri = params["rootUri"].toString();
    const QJsonArray folders = params["workspaceFolders"].toArray();
    if (uri.isEmpty() && !folders.isEmpty())
        uri = folders.first().toObject()["uri"].toString();
    if (!uri.isEmpty())
        return std::filesystem::path(QUrl(uri).toLocalFile().toStdString()).lexically_normal();
    if (const QString path = params["rootPath"].toString(); !path.isEmpty())
        return std::filesystem::path(path.toStdString()).lexically_normal();
    return {};
}

QJsonObject Capabilities()
{
    return QJsonObject{
        {"positionEncoding", "utf-16"},
        {"textDocumentSync", QJsonObject{{"openClose", true}, {"change", 2}, {"save", true}}},
        {"hoverProvider", true},
        {"completionProvider", QJsonObject{{"triggerCharacters", QJsonArray{"(", "\"", ","}}}},
        {"definitionProvider", true},
        {"referencesProvider", true},
        {"renameProvider", QJsonObject{{"prepareProvider", false}}},
        {"documentSymbolProvider", true},
        {"workspaceSymbolProvider", true},
        {"semanticTokensProvider", QJsonObject{{"legend", SemanticLegend()}, {"full", true}}},
        {"codeLensProvider", QJsonObject{{"resolveProvider", false}}},
        {"executeCommandProvider", QJsonObject{{"commands", QJsonArray{PlayCommand}}}},
    };
}

} // namespace

TServer::TServer(TServerOptions options, TSend send) : Options_(std::move(options)), Send_(std::move(send))
{
    const auto on = [this](const char* method, THandler handler) { Requests_.emplace(method, std::move(handler)); };
    on("initialize", [this](const QJsonObject& p) { return Initialize(p); });
    on("shutdown", [this](const QJsonObject&) {
        ShutDown_ = true;
        return QJsonValue();
    });
    const auto feature = [this](QJsonValue (TFeatures::*method)(const std::string&, const QJsonObject&)) {
        return [this, method](const QJsonObject& p) { return (Features_.get()->*method)(PathOf(p), p); };
    };
    on("textDocument/hover", feature(&TFeatures::Hover));
    on("textDocument/completion", feature(&TFeatures::Completion));
    on("textDocument/definition", feature(&TFeatures::Definition));
    on("textDocument/references", feature(&TFeatures::References));
    on("textDocument/rename", feature(&TFeatures::Rename));
    on("textDocument/documentSymbol", feature(&TFeatures::DocumentSymbols));
    on("textDocument/semanticTokens/full", feature(&TFeatures::SemanticTokens));
    on("textDocument/codeLens", feature(&TFeatures::CodeLenses));
    on("workspace/symbol", [this](const QJsonObject& p) { return Features_->WorkspaceSymbols(p); });
    on("workspace/executeCommand", [this](const QJsonObject& p) { return Features_->Execute(p); });
}

TServer::~TServer() = default;

void TServer::Send(const QJsonObject& message)
{
    QJsonObject framed = message;
    framed["jsonrpc"] = "2.0";
    Send_(QJsonDocument(framed).toJson(QJsonDocument::Compact));
}

void TServer::Notify(const QString& method, const QJsonObject& params)
{
    Send({{"method", method}, {"params", params}});
}

void TServer::Error(const QJsonValue& id, int code, const QString& message)
{
    Send({{"id", id.isUndefined() ? QJsonValue() : id}, {"error", QJsonObject{{"code", code}, {"message", message}}}});
}

void TServer::BadFrame(const std::string& why)
{
    Error(QJsonValue(), codes::InvalidRequest, QString::fromStdString("unreadable message: " + why));
}

void TServer::Receive(const QByteArray& body)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return Error(QJsonValue(), codes::ParseError,
                     "not JSON: " + parseError.errorString() + " at byte " + QString::number(parseError.offset));
    const QJsonObject message = document.object();
    const QJsonValue id = message["id"];
    if (!document.isObject() || !message["method"].isString()) {
        if (!document.isObject() || (!message.contains("result") && !message.contains("error")))
            Error(id, codes::InvalidRequest, "a message without a method");
        return;  // an answer to a request of ours: we send none that waits for one
    }
    const QString method = message["method"].toString();
    const QJsonObject params = message["params"].toObject();
    if (message.contains("id"))
        Request(id, method, params);
    else
        Notification(method, params);
}

void TServer::Request(const QJsonValue& id, const QString& method, const QJsonObject& params)
{
    if (!Workspace_ && method != "initialize")
        return Error(id, codes::ServerNotInitialized, "initialize comes first");
    if (ShutDown_)
        return Error(id, codes::InvalidRequest, "the server is shut down; only exit is left");
    const auto handler = Requests_.find(method);
    if (handler == Requests_.end())
        return Error(id, codes::MethodNotFound, "no method " + method);
    try {
        Send({{"id", id}, {"result", handler->second(params)}});
    } catch (const ERequestError& e) {
        Error(id, e.Code, QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        Error(id, codes::RequestFailed, QString::fromStdString(e.what()));
    }
}

void TServer::Notification(const QString& method, const QJsonObject& params)
{
    if (method == "exit") {
        Exited_ = true;
        return;
    }
    if (!Workspace_ || ShutDown_)
        return;  // the protocol drops notifications before initialize
    try {
        if (method == "textDocument/didOpen")
            DidOpen(params);
        else if (method == "textDocument/didChange")
            DidChange(params);
        else if (method == "textDocument/didClose")
            DidClose(params);
        else if (method == "textDocument/didSave" || method == "workspace/didChangeWatchedFiles")
            DidChangeWatched(params);
    } catch (const std::exception& e) {
        // A notification has no answer: the editor's log gets the reason.
        Notify("window/logMessage", {{"type", 1}, {"message", QString::fromStdString(e.what())}});
    }
}

QJsonValue TServer::Initialize(const QJsonObject& params)
{
    if (Workspace_)
        throw ERequestError(codes::InvalidRequest, "initialize came twice");
    const QJsonObject given = params["initializationOptions"].toObject();
    const std::filesystem::path root = RootOf(params);
    std::optional<script::TTarget> target = Options_.Target;
    if (!target && given.contains("server")) {
        script::TTarget named{};
        if (script::TargetFromName(given["server"].toString().toStdString(), named))
            target = named;
        else
            throw ERequestError(codes::InvalidParams, "initializationOptions.server: " + given["server"].toString().toStdString() +
                                                          " is none of eathena, rathena, hercules");
    }
    if (!target && !root.empty())
        target = DetectServer(root);
    TServerTree tree =
        root.empty() ? TServerTree{} : ReadServerTree(root, target.value_or(script::TTarget::EAthena), given["renewal"].toBool(true));
    tree.Target = target.value_or(script::TTarget::EAthena);
    std::unordered_set<std::string> maps;
    std::optional<std::filesystem::path> data = Options_.DataDir;
    if (!data && given["data"].isString())
        data = given["data"].toString().toStdString();
    if (data)
        maps = CatalogueMapNames(*data);
    Workspace_ = std::make_unique<TWorkspace>(std::move(tree), std::move(maps));
    Features_ = std::make_unique<TFeatures>(
        *Workspace_, [this](const std::string& path) { return UriOf(path); }, data.value_or(std::filesystem::path()),
        [this](const std::string& message) { Notify("window/logMessage", {{"type", 2}, {"message", QString::fromStdString(message)}}); });
    return QJsonObject{{"capabilities", Capabilities()},
                       {"serverInfo", QJsonObject{{"name", "npc-lsp"}, {"version", "0.9"}}}};
}

std::string TServer::PathOf(const QJsonObject& params)
{
    const QString uri = params["textDocument"].toObject()["uri"].toString();
    if (uri.isEmpty())
        throw ERequestError(codes::InvalidParams, "textDocument.uri is missing");
    const QUrl url(uri);
    // A document that is no file (an unsaved buffer) is known by its address; it lies outside the tree.
    const std::string path = url.isLocalFile() ? std::filesystem::path(url.toLocalFile().toStdString()).lexically_normal().string()
                                               : uri.toStdString();
    Uris_.emplace(path, uri);
    return path;
}

QString TServer::UriOf(const std::string& path) const
{
    if (const auto it = Uris_.find(path); it != Uris_.end())
        return it->second;
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
}

void TServer::Schedule(const std::string& path, bool first)
{
    std::erase(Waiting_, path);
    if (first)
        Waiting_.push_front(path);
    else
        Waiting_.push_back(path);
}

void TServer::DidOpen(const QJsonObject& params)
{
    const std::string path = PathOf(params);
    Workspace_->Open(path, params["textDocument"].toObject()["text"].toString().toStdString());
    ScheduleWithOthers(path);
}

void TServer::DidChange(const QJsonObject& params)
{
    const std::string path = PathOf(params);
    const std::string* current = Workspace_->IsOpen(path) ? Workspace_->Text(path) : nullptr;
    if (!current)
        return PublishOutOfStep(path, "a change of a file that is not open");
    std::string text = *current;
    try {
        for (const QJsonValue& change : params["contentChanges"].toArray()) {
            const QJsonObject c = change.toObject();
            const std::string replacement = c["text"].toString().toStdString();
            if (c.contains("range"))
                ApplyChange(text, RangeFromJson(c["range"].toObject()), replacement);
            else
                text = replacement;
        }
    } catch (const EOutsideText& e) {
        // The editor's text and ours differ from here on: keep ours and say so where it shows.
        return PublishOutOfStep(path, e.what());
    }
    Workspace_->Replace(path, std::move(text));
    ScheduleWithOthers(path);
}

// The editor's copy of a file takes the disk's place in the load: the other open files may use its
// functions, NPCs and duplicate sources.
void TServer::ScheduleWithOthers(const std::string& path)
{
    Schedule(path, true);
    for (const std::string& other : Workspace_->OpenFiles())
        if (other != path)
            Schedule(other, false);
}

void TServer::DidClose(const QJsonObject& params)
{
    const std::string path = PathOf(params);
    Workspace_->Close(path);
    std::erase(Waiting_, path);
    Notify("textDocument/publishDiagnostics", {{"uri", UriOf(path)}, {"diagnostics", QJsonArray()}});
    for (const std::string& other : Workspace_->OpenFiles())
        Schedule(other, false);
}

void TServer::DidChangeWatched(const QJsonObject& params)
{
    if (params.contains("textDocument"))
        Workspace_->Forget(PathOf(params));
    for (const QJsonValue& change : params["changes"].toArray())
        Workspace_->Forget(std::filesystem::path(QUrl(change.toObject()["uri"].toString()).toLocalFile().toStdString())
                               .lexically_normal()
                               .string());
    for (const std::string& other : Workspace_->OpenFiles())
        Schedule(other, false);
}

void TServer::PublishOutOfStep(const std::string& path, const std::string& why)
{
    const QJsonObject diagnostic{{"range", RangeToJson({})},
                                 {"severity", 1},
                                 {"source", "npc-lsp"},
                                 {"message", QString::fromStdString("the editor's change could not be applied (" + why +
                                                                    "): close and reopen the file")}};
    Notify("textDocument/publishDiagnostics", {{"uri", UriOf(path)}, {"diagnostics", QJsonArray{diagnostic}}});
}

void TServer::Publish(const std::string& path)
{
    const std::string* text = Workspace_->Text(path);
    if (!text)
        return;
    const TLineIndex lines(*text);
    QJsonArray diagnostics;
    for (const script::TDiagnostic& d : Workspace_->Check(path))
        diagnostics.append(QJsonObject{{"range", RangeToJson(lines.Range(d.Range))},
                                       {"severity", d.Severity == script::TSeverity::Error ? 1 : 2},
                                       {"source", "npc-lint"},
                                       {"message", QString::fromUtf8(d.Message)}});
    Notify("textDocument/publishDiagnostics", {{"uri", UriOf(path)}, {"diagnostics", diagnostics}});
}

bool TServer::Idle()
{
    if (Waiting_.empty() || !Workspace_)
        return false;
    const std::string path = Waiting_.front();
    Waiting_.pop_front();
    if (Workspace_->IsOpen(path)) {
        try {
            Publish(path);
        } catch (const std::exception& e) {
            Notify("window/logMessage", {{"type", 1}, {"message", QString::fromStdString(e.what())}});
        }
    }
    return !Waiting_.empty();
}

} // namespace lsp
