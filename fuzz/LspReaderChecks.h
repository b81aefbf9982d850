#pragma once
// The promises of the language server's message reader, for its fuzzer and the corpus replay:
// however the bytes are cut into reads, the same frames come out; no body is over the limit; and
// the server answers every frame (a message, or the reason it was dropped) with JSON-RPC, without
// an exception escaping.

#include "OracleSupport.h"

#include "lsp/Framing.h"
#include "lsp/Server.h"

#include <QJsonDocument>

#include <string_view>

namespace parsercheck {

inline std::vector<lsp::TFrame> FramesOf(std::string_view bytes, std::size_t chunk)
{
    lsp::TMessageReader reader;
    std::vector<lsp::TFrame> frames;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        reader.Feed(bytes.substr(at, chunk));
        while (std::optional<lsp::TFrame> frame = reader.Next())
            frames.push_back(std::move(*frame));
    }
    return frames;
}

inline TProblems CheckLspReader(std::string_view bytes)
{
    TProblems problems;
    // The first byte chooses how small the reads are: editors write in any pieces.
    const std::size_t chunk = bytes.empty() ? 1 : 1 + static_cast<unsigned char>(bytes[0]) % 17;
    const std::vector<lsp::TFrame> whole = FramesOf(bytes, bytes.size() + 1), cut = FramesOf(bytes, chunk);
    if (whole.size() != cut.size())
        problems.push_back(std::to_string(whole.size()) + " frame(s) read at once, " + std::to_string(cut.size()) +
                           " in reads of " + std::to_string(chunk) + " byte(s)");
    for (std::size_t i = 0; i < std::min(whole.size(), cut.size()); ++i)
        if (whole[i].Body != cut[i].Body || whole[i].Error != cut[i].Error)
            problems.push_back("frame " + std::to_string(i) + " differs when read in pieces: " + Shown(whole[i].Body.substr(0, 60)) +
                               " / " + Shown(cut[i].Body.substr(0, 60)));
    int answers = 0;
    lsp::TServer server({}, [&](const QByteArray& body) {
        ++answers;
        if (!QJsonDocument::fromJson(body).isObject())
            problems.push_back("an answer that is no JSON object: " + Shown(body.left(80).toStdString()));
    });
    try {
        for (const lsp::TFrame& frame : whole) {
            if (frame.Body.size() > lsp::MaxMessageBytes)
                problems.push_back("a body over the limit: " + std::to_string(frame.Body.size()) + " bytes");
            if (frame.Error.empty())
                server.Receive(QByteArray::fromStdString(frame.Body));
            else
                server.BadFrame(frame.Error);
            while (server.Idle()) {
            }
        }
    } catch (const std::exception& e) {
        problems.push_back(std::string("the server let an exception out: ") + e.what());
    }
    return problems;
}

} // namespace parsercheck
