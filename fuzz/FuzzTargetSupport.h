#pragma once
// What the parser fuzz targets share: a scratch folder for the loaders that read files, and the
// end of a run that found a problem.

#include "OracleSupport.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace parsercheck {

// A folder of this process's own for the loaders that read files, there for one input: a
// fuzzer's run ends without running exit handlers, so nothing would remove a folder kept longer.
class TScratchDir {
public:
    TScratchDir()
        : Path_(std::filesystem::temp_directory_path() /
                ("npc-parser-fuzz-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(Path_);
    }
    ~TScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Path_, ignored);
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    const std::filesystem::path& Path() const { return Path_; }

private:
    std::filesystem::path Path_;
};

// A problem is a finding: libFuzzer keeps the input when the process aborts.
inline void AbortOnProblems(const TProblems& problems)
{
    if (problems.empty())
        return;
    for (const std::string& problem : problems)
        std::fprintf(stderr, "PROBLEM: %s\n", problem.c_str());
    std::abort();
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace parsercheck
