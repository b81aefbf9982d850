#include "TestSupport.h"

#include "platform/Errors.h"

#include <QProcess>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

fs::path SourceDir()
{
    return fs::path(NPC_SOURCE_DIR);
}

std::vector<fs::path> FuzzInputFiles(const std::string& target)
{
    std::vector<fs::path> files;
    for (const char* folder : {"corpus", "crashes"}) {
        const fs::path dir = SourceDir() / "fuzz" / folder / target;
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::optional<fs::path> SharedDataDir()
{
    const fs::path dir = SourceDir() / ".." / "shared" / "data" / "eathena";
    if (fs::is_directory(dir))
        return fs::weakly_canonical(dir);
    return std::nullopt;
}

TTempDir::TTempDir()
{
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("npc-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            Path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TTempDir::~TTempDir()
{
    std::error_code ignored;
    fs::permissions(Path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(Path_, ignored);
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string CompareWithGolden(const std::string& goldenName, const std::string& actual)
{
    const fs::path golden = SourceDir() / "tests" / "golden" / goldenName;
    const char* regenerate = std::getenv("NPC_REGENERATE_GOLDEN");
    if (regenerate && std::string(regenerate) == "1") {
        WriteBytes(golden, actual);
        return {};
    }
    if (!fs::exists(golden))
        return "golden file missing: tests/golden/" + goldenName;
    if (ReadBytes(golden) == actual)
        return {};
    TTempDir dir;
    WriteBytes(dir / "actual", actual);
    QProcess diff;
    diff.start(QStringLiteral("diff"),
               {QStringLiteral("-u"), QString::fromStdString(golden.string()),
                QString::fromStdString((dir / "actual").string())});
    diff.waitForFinished();
    const std::string output = diff.readAllStandardOutput().toStdString();
    return output.empty() ? "files differ: tests/golden/" + goldenName : output;
}

std::string ReadableName(std::string_view text)
{
    std::string name;
    bool gap = false;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            if (gap && !name.empty())
                name += '_';
            name += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return name.empty() ? std::string("Empty") : name;
}

std::string InOutErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EInOutError& error) {
        return error.what();
    }
    return "no error";
}
