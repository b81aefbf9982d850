#pragma once
// Shared helpers of the tests: paths, temporary folders and file bytes.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The project's source folder (golden files, sample data).
std::filesystem::path SourceDir();
// The real server data beside the project (../shared/data/eathena), when present.
std::optional<std::filesystem::path> SharedDataDir();
// Skips the running test, saying why, when the server data is absent.
#define SKIP_WITHOUT_SHARED_DATA(dirVar)                                                        \
    const auto dirVar##Opt = SharedDataDir();                                                   \
    if (!dirVar##Opt)                                                                           \
        GTEST_SKIP() << "the server data folder ../shared/data/eathena is not present";          \
    const std::filesystem::path dirVar = *dirVar##Opt

// A fresh empty folder, removed when the object goes.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::filesystem::path& Path() const { return Path_; }
    std::filesystem::path operator/(const std::string& name) const { return Path_ / name; }

private:
    std::filesystem::path Path_;
};

// The inputs a fuzzer keeps (fuzz/corpus/<target> and fuzz/crashes/<target>), sorted; hidden
// files left out.
std::vector<std::filesystem::path> FuzzInputFiles(const std::string& target);

std::string ReadBytes(const std::filesystem::path& path);
// The message of the file error (EInOutError) call raises; "no error" when it raises none.
std::string InOutErrorOf(const std::function<void()>& call);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// Compares text with a golden file under tests/golden; with NPC_REGENERATE_GOLDEN=1 in the
// environment it rewrites the golden file instead. Returns a unified diff, empty when equal.
std::string CompareWithGolden(const std::string& goldenName, const std::string& actual);

// A name for one row of a parameter table, made from text: letters and digits are kept, every run
// of anything else becomes one '_' (GoogleTest allows nothing more in a name).
std::string ReadableName(std::string_view text);
// The name generator of a table whose rows carry their name in a member Name.
struct TNameOfRow {
    template <class TInfo>
    std::string operator()(const TInfo& info) const
    {
        return ReadableName(info.param.Name);
    }
};
