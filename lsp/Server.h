#pragma once
// The language server: JSON-RPC messages in, answers and notifications out, over a workspace
// that is a server tree. One thread: the messages are handled in order, and the checks that
// changes call for run when no message waits, the edited file first.

#include "lsp/Workspace.h"

#include <QJsonObject>
#include <QJsonValue>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace lsp {

class TFeatures;

struct TServerOptions {
    std::optional<script::TTarget> Target;      // --server; otherwise the editor's or the tree's
    std::optional<std::filesystem::path> DataDir;  // its maps.ini names the known maps
};

// A request the server answers with a JSON-RPC error.
class ERequestError : public std::runtime_error {
public:
    ERequestError(int code, const std::string& message) : std::runtime_error(message), Code(code) {}
    int Code;
};

namespace codes {
constexpr int ParseError = -32700;
constexpr int InvalidRequest = -32600;
constexpr int MethodNotFound = -32601;
constexpr int InvalidParams = -32602;
constexpr int InternalError = -32603;
constexpr int ServerNotInitialized = -32002;
constexpr int RequestFailed = -32803;
}

class TServer {
public:
    using TSend = std::function<void(const QByteArray& body)>;
    TServer(TServerOptions options, TSend send);
    ~TServer();

    void Receive(const QByteArray& body);
    // A frame the reader dropped: answered as an invalid request without an id.
    void BadFrame(const std::string& why);
    // Runs one waiting check; false when none waits.
    bool Idle();
    bool Exited() const { return Exited_; }
    // 0 after shutdown then exit, 1 for an exit without shutdown, as the protocol asks.
    int ExitStatus() const { return ShutDown_ ? 0 : 1; }
    TWorkspace* Workspace() { return Workspace_.get(); }

private:
    using THandler = std::function<QJsonValue(const QJsonObject& params)>;
    void Request(const QJsonValue& id, const QString& method, const QJsonObject& params);
    void Notification(const QString& method, const QJsonObject& params);
    void Send(const QJsonObject& message);
    void Notify(const QString& method, const QJsonObject& params);
    void Error(const QJsonValue& id, int code, const QString& message);

    QJsonValue Initialize(const QJsonObject& params);
    void DidOpen(const QJsonObject& params);
    void DidChange(const QJsonObject& params);
    void DidClose(const QJsonObject& params);
    void DidChangeWatched(const QJsonObject& params);
    void Publish(const std::string& path);
    void PublishOutOfStep(const std::string& path, const std::string& why);
    void Schedule(const std::string& path, bool first);
    void ScheduleWithOthers(const std::string& path);

    std::string PathOf(const QJsonObject& params);
    QString UriOf(const std::string& path) const;

    TServerOptions Options_;
    TSend Send_;
    std::unique_ptr<TWorkspace> Workspace_;
    std::unique_ptr<TFeatures> Features_;
    std::unordered_map<QString, THandler> Requests_;
    std::unordered_map<std::string, QString> Uris_;  // as the editor named each open file
    std::deque<std::string> Waiting_;                // files to check again, in order
    bool ShutDown_ = false;
    bool Exited_ = false;
};

} // namespace lsp
