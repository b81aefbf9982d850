#include "lsp/Framing.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace lsp {

namespace {

bool SameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

void TMessageReader::Feed(std::string_view bytes)
{
    if (Skipping_) {
        const std::size_t dropped = std::min(Skipping_, bytes.size());
        Skipping_ -= dropped;
        bytes.remove_prefix(dropped);
    }
    Buffer_.append(bytes);
}

void TMessageReader::Compact()
{
    // Reading moves Start_ on; the consumed bytes go once they are the larger part.
    if (Start_ > 0 && Start_ * 2 >= Buffer_.size()) {
        Buffer_.erase(0, Start_);
        Start_ = 0;
    }
}

std::optional<TFrame> TMessageReader::ReadHeader()
{
    const std::string_view unread = std::string_view(Buffer_).substr(Start_);
    const std::size_t end = unread.find("\r\n\r\n");
    if (end == std::string_view::npos) {
        if (unread.size() <= MaxHeaderBytes)
            return std::nullopt;
        Start_ = Buffer_.size();
        Compact();
        return TFrame{{}, "a header block of more than 8192 bytes without its end (\\r\\n\\r\\n)"};
    }
    const std::string_view header = unread.substr(0, end);
    Start_ += end + 4;
    std::optional<std::size_t> length;
    for (std::size_t at = 0; at <= header.size();) {
        const std::size_t lineEnd = std::min(header.find("\r\n", at), header.size());
        const std::string_view line = header.substr(at, lineEnd - at);
        at = lineEnd + 2;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return TFrame{{}, "a header line without ':' (" + std::string(line.substr(0, 80)) + ")"};
        if (!SameLetters(Trimmed(line.substr(0, colon)), "Content-Length"))
            continue;  // Content-Type and whatever may come
        const std::string_view value = Trimmed(line.substr(colon + 1));
        std::size_t n = 0;
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
        if (value.empty() || ec != std::errc() || ptr != value.data() + value.size())
            return TFrame{{}, "Content-Length is not a number (" + std::string(value.substr(0, 40)) + ")"};
        length = n;
    }
    if (!length)
        return TFrame{{}, "a header block without Content-Length"};
    if (*length > MaxMessageBytes) {
        const std::size_t here = std::min(*length, Buffer_.size() - Start_);
        Start_ += here;
        Skipping_ = *length - here;
        Compact();
        return TFrame{{}, "a message of " + std::to_string(*length) + " bytes, over the limit of 64 MB"};
    }
    BodyLength_ = *length;
    InBody_ = true;
    return std::nullopt;
}

std::optional<TFrame> TMessageReader::Next()
{
    if (!InBody_) {
        if (std::optional<TFrame> bad = ReadHeader())
            return bad;
        if (!InBody_)
            return std::nullopt;
    }
    if (Buffer_.size() - Start_ < BodyLength_)
        return std::nullopt;
    TFrame frame{Buffer_.substr(Start_, BodyLength_), {}};
    Start_ += BodyLength_;
    InBody_ = false;
    Compact();
    return frame;
}

std::string Framed(std::string_view body)
{
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

} // namespace lsp
