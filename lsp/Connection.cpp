#include "lsp/Connection.h"

#include "lsp/Framing.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace lsp {

namespace {

// The bytes read so far and whether the input has ended, shared with the reading thread.
struct TInbox {
    std::mutex Lock;
    std::condition_variable Arrived;
    std::deque<std::string> Chunks;
    bool Ended = false;
};

void ReadInput(int input, const std::shared_ptr<TInbox>& inbox)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(input, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        const std::lock_guard lock(inbox->Lock);
        if (n <= 0) {
            inbox->Ended = true;
            inbox->Arrived.notify_one();
            return;
        }
        inbox->Chunks.emplace_back(buffer, static_cast<std::size_t>(n));
        inbox->Arrived.notify_one();
    }
}

} // namespace

int RunConnection(TServerOptions options, int input, std::FILE* output)
{
    TServer server(std::move(options), [output](const QByteArray& body) {
        const std::string framed = Framed(std::string_view(body.constData(), static_cast<std::size_t>(body.size())));
        std::fwrite(framed.data(), 1, framed.size(), output);
        std::fflush(output);
    });
    // The reader may be blocked in read() when the editor says exit: it is left to end with the process.
    const auto inbox = std::make_shared<TInbox>();
    std::thread(ReadInput, input, inbox).detach();
    TMessageReader reader;
    bool ended = false;
    while (!server.Exited() && !ended) {
        std::deque<std::string> chunks;
        {
            std::unique_lock lock(inbox->Lock);
            bool more = true;
            while (inbox->Chunks.empty() && !inbox->Ended && more) {
                lock.unlock();
                more = server.Idle();  // a check, between messages
                lock.lock();
            }
            if (inbox->Chunks.empty() && !inbox->Ended)
                inbox->Arrived.wait(lock, [&] { return !inbox->Chunks.empty() || inbox->Ended; });
            chunks.swap(inbox->Chunks);
            ended = inbox->Ended && chunks.empty();
        }
        for (const std::string& chunk : chunks)
            reader.Feed(chunk);
        while (!server.Exited()) {
            std::optional<TFrame> frame = reader.Next();
            if (!frame)
                break;
            if (frame->Error.empty())
                server.Receive(QByteArray::fromStdString(frame->Body));
            else
                server.BadFrame(frame->Error);
        }
    }
    return server.ExitStatus();
}

} // namespace lsp
