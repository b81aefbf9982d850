#include "platform/FileAccess.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <signal.h>
#include <locale.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// Paths are the system's bytes, passed through untouched: a folder whose name is not valid in the
// locale's encoding must open like any other. Qt's file classes (QSaveFile among them) turn such
// names into other text and then fail to open them, so the one safe-save mechanism of the program
// is this one, on the system's calls.

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

constexpr const char* TemporaryMark = ".tmp";
// Links of links are followed this far, as the system itself does.
constexpr int MaxLinkDepth = 40;

// The file a save to path really replaces: the target of a symbolic link (of links), so that the
// link stays a link and the file it names gets the new content.
std::string FinalTarget(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path current(path);
    for (int depth = 0; depth < MaxLinkDepth; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)) || error)
            return current.string();
        const fs::path link = fs::read_symlink(current, error);
        if (error)
            return current.string();
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    throw EInOutError(path, SystemMessage(ELOOP));
}

// Removes what an earlier save of target left behind when its program died between writing and
// renaming: "<target>.tmp<pid>-<n>" of a process that no longer runs.
void RemoveAbandonedTemporaries(const std::string& target)
{
    namespace fs = std::filesystem;
    const fs::path targetPath(target);
    const std::string prefix = targetPath.filename().string() + TemporaryMark;
    std::error_code error;
    fs::directory_iterator entries(targetPath.has_parent_path() ? targetPath.parent_path() : fs::path("."), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::size_t dash = name.find('-', prefix.size());
        const std::string digits = name.substr(prefix.size(), dash == std::string::npos ? 0 : dash - prefix.size());
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9)
            continue;
        const auto pid = static_cast<pid_t>(std::stol(digits));
        if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            fs::remove(entries->path(), ignored);
        }
    }
}

// Closes the descriptor and removes the unfinished file on every way out but Commit.
class TPendingFile {
public:
    explicit TPendingFile(const std::string& path) : Target_(FinalTarget(path))
    {
        RemoveAbandonedTemporaries(Target_);
        const std::string& target = Target_;
        for (int attempt = 0; attempt < 100 && Fd_ < 0; ++attempt) {
            Name_ = target + TemporaryMark + std::to_string(::getpid()) + "-" + std::to_string(attempt);
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

    // Everything written reaches the disk; the file is not yet in place.
    void Finish()
    {
        if (::fsync(Fd_) != 0)
            Fail();
        const int fd = Fd_;
        Fd_ = -1;
        if (::close(fd) != 0)
            Fail();
    }

    void Commit()
    {
        if (Fd_ >= 0)
            Finish();
        if (::rename(Name_.c_str(), Target_.c_str()) != 0)
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
    // In blocks: a character at a time cost three times the parsing of the largest catalogue.
    std::string bytes;
    std::array<char, 1 << 16> block;
    while (in.read(block.data(), block.size()) || in.gcount() > 0)
        bytes.append(block.data(), static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        throw EInOutError(path, SystemMessage(errno != 0 ? errno : EIO));
    return bytes;
}

void WriteFileSafely(const std::string& path, const std::string& bytes)
{
    WriteFilesSafely({{path, bytes}});
}

void WriteFilesSafely(const std::vector<TFileContent>& files)
{
    std::vector<std::unique_ptr<TPendingFile>> pending;
    pending.reserve(files.size());
    for (const TFileContent& file : files) {
        pending.push_back(std::make_unique<TPendingFile>(file.Path));
        pending.back()->Write(file.Bytes);
        pending.back()->Finish();
    }
    for (const auto& file : pending)
        file->Commit();
}
