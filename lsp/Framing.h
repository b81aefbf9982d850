#pragma once
// The base protocol's framing: each message is a header block ("Content-Length: N", blank line)
// and N bytes of JSON. The reader takes the bytes as they come from the editor and hands out whole
// message bodies; a frame it cannot read is dropped with a reason, and the reading goes on.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lsp {

// A larger body is refused unread: nothing an editor sends about a script file comes near it.
constexpr std::size_t MaxMessageBytes = std::size_t{64} << 20;
// A header block longer than this is no header block.
constexpr std::size_t MaxHeaderBytes = 8192;

struct TFrame {
    std::string Body;   // the message's bytes, when Error is empty
    std::string Error;  // why the frame was dropped
};

class TMessageReader {
public:
    void Feed(std::string_view bytes);
    // The next whole frame, or nothing until more bytes come.
    std::optional<TFrame> Next();
    // Bytes waiting for the rest of their frame.
    std::size_t Pending() const { return Buffer_.size() - Start_; }

private:
    std::optional<TFrame> ReadHeader();
    void Compact();

    std::string Buffer_;
    std::size_t Start_ = 0;         // where the unread bytes begin
    std::size_t BodyLength_ = 0;    // of the frame whose header was read
    bool InBody_ = false;
    std::size_t Skipping_ = 0;      // bytes still to drop of a body refused for its size
};

// One message framed for sending.
std::string Framed(std::string_view body);

} // namespace lsp
