#include "DFileAccess.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <locale.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// Paths are the system's bytes, passed through untouched: a folder whose name is not valid in the
// locale's encoding must open like any other (Qt's file classes turn such names into other text).

std::string SystemMessage(int error)
{
    const locale_t untranslated = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    if (!untranslated)
        return std::strerror(error);
    std::string message = ::strerror_l(error, untranslated);
    ::freelocale(untranslated);
    return message;
}

namespace {

// Closes the descriptor and removes the unfinished file on every way out but Commit.
class TPendingFile {
public:
    explicit TPendingFile(const std::string& target) : Target_(target)
    {
        for (int attempt = 0; attempt < 100 && Fd_ < 0; ++attempt) {
            Name_ = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
            Fd_ = ::open(Name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (Fd_ < 0 && errno != EEXIST)
                break;
        }
        if (Fd_ < 0)
            throw EInOutError(target, SystemMessage(errno));
        // A file that is replaced keeps its permissions.
        struct stat old {};
        if (::stat(target.c_str(), &old) == 0)
            ::fchmod(Fd_, old.st_mode & 07777);
    }
    ~TPendingFile()
    {
        if (Fd_ >= 0)
            ::close(Fd_);
        if (!Committed_)
            ::unlink(Name_.c_str());
    }
    TPendingFile(const TPendingFile&) = delete;
    TPendingFile& operator=(const TPendingFile&) = delete;

    void Write(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = ::write(Fd_, bytes.data() + done, bytes.size() - done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                Fail();
            done += static_cast<std::size_t>(written);
        }
    }

    void Commit()
    {
        if (::fsync(Fd_) != 0)
            Fail();
        const int fd = Fd_;
        Fd_ = -1;
        if (::close(fd) != 0 || ::rename(Name_.c_str(), Target_.c_str()) != 0)
            Fail();
        Committed_ = true;
    }

private:
    [[noreturn]] void Fail() const { throw EInOutError(Target_, SystemMessage(errno)); }

    std::string Target_;
    std::string Name_;
    int Fd_ = -1;
    bool Committed_ = false;
};

} // namespace

std::string ReadWholeFile(const std::string& path)
{
    const std::filesystem::path file(path);
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored))
        throw EInOutError(path, "File not found");
    if (std::filesystem::is_directory(file, ignored))
        throw EInOutError(path, SystemMessage(EISDIR));
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw EInOutError(path, SystemMessage(errno != 0 ? errno : EIO));
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw EInOutError(path, SystemMessage(errno != 0 ? errno : EIO));
    return bytes;
}

void WriteFileSafely(const std::string& path, const std::string& bytes)
{
    TPendingFile file(path);
    file.Write(bytes);
    file.Commit();
}
