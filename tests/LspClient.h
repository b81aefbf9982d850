#pragma once
// A language client inside the test: drives npc-lsp's server object with JSON-RPC messages and
// keeps everything it sends back.

#include "TestSupport.h"

#include "lsp/Server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <vector>

class TLspClient {
public:
    explicit TLspClient(lsp::TServerOptions options = {})
        : Server(std::move(options), [this](const QByteArray& body) { Sent.push_back(QJsonDocument::fromJson(body).object()); })
    {
    }

    static QString Uri(const std::filesystem::path& path)
    {
        return QUrl::fromLocalFile(QString::fromStdString(path.lexically_normal().string())).toString();
    }

    // The answer to the request.
    QJsonObject Request(const QString& method, const QJsonObject& params)
    {
        const int id = ++LastId_;
        Server.Receive(QJsonDocument(QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}).toJson());
        Settle();
        for (auto it = Sent.rbegin(); it != Sent.rend(); ++it)
            if ((*it)["id"] == QJsonValue(id))
                return *it;
        return {};
    }
    void Notify(const QString& method, const QJsonObject& params)
    {
        Server.Receive(QJsonDocument(QJsonObject{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}).toJson());
        Settle();
    }
    // Runs the checks the messages called for, as the connection does while no message waits.
    void Settle()
    {
        while (Server.Idle()) {
        }
    }
    QJsonObject Initialize(const std::filesystem::path& root, const QJsonObject& options = {})
    {
        return Request("initialize", {{"rootUri", Uri(root)}, {"capabilities", QJsonObject()}, {"initializationOptions", options}});
    }
    void Open(const std::filesystem::path& path, const QString& text)
    {
        Notify("textDocument/didOpen",
               {{"textDocument", QJsonObject{{"uri", Uri(path)}, {"languageId", "npc"}, {"version", 1}, {"text", text}}}});
    }
    // The last diagnostics published for the file, as "LINE:COLUMN: severity: message" (from 1).
    std::vector<std::string> Diagnostics(const std::filesystem::path& path) const
    {
        for (auto it = Sent.rbegin(); it != Sent.rend(); ++it) {
            const QJsonObject params = (*it)["params"].toObject();
            if ((*it)["method"] != QJsonValue("textDocument/publishDiagnostics") || params["uri"] != QJsonValue(Uri(path)))
                continue;
            std::vector<std::string> lines;
            for (const QJsonValue& value : params["diagnostics"].toArray()) {
                const QJsonObject d = value.toObject(), start = d["range"].toObject()["start"].toObject();
                lines.push_back(std::to_string(start["line"].toInt() + 1) + ":" + std::to_string(start["character"].toInt() + 1) +
                                ": " + (d["severity"].toInt() == 1 ? "error" : "warning") + ": " +
                                d["message"].toString().toStdString());
            }
            return lines;
        }
        return {"(no diagnostics published)"};
    }

    std::vector<QJsonObject> Sent;
    lsp::TServer Server;

private:
    int LastId_ = 0;
};
