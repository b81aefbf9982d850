// Replays the interpreter fuzzer's seeds and every kept finding through the fuzzer's own check
// (fuzz/PlayCheck.h), so that a fixed finding stays fixed.

#include "TestSupport.h"

#include "fuzz/PlayCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> PlayInputs()
{
    std::vector<fs::path> files;
    for (const char* folder : {"corpus", "crashes"}) {
        const fs::path dir = SourceDir() / "fuzz" / folder / "interpreter";
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

class InterpreterCorpusTest : public ::testing::TestWithParam<fs::path> {};

TEST_P(InterpreterCorpusTest, PlaysCleanly)
{
    std::string problems;
    for (const std::string& problem : parsercheck::CheckPlay(ReadBytes(GetParam())))
        problems += problem + "\n";
    EXPECT_EQ(problems, "");
}

INSTANTIATE_TEST_SUITE_P(Fuzz, InterpreterCorpusTest, ::testing::ValuesIn(PlayInputs()), [](const auto& info) {
    std::string name = info.param.parent_path().parent_path().filename().string() + "_" + info.param.filename().string();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
});

} // namespace
