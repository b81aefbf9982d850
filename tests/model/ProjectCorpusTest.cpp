// Replays the fuzzer's seed corpus and every input that once crashed it: a seed loads, a crash
// input loads or is refused with EInOutError, and a file that loads saves and reloads to the same
// bytes and writes a script.

#include "TaskFixture.h"
#include "DocumentSupport.h"
#include "TestSupport.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FuzzInputs()
{
    return FuzzInputFiles("project");
}

std::string TestName(const fs::path& path)
{
    std::string name = path.parent_path().parent_path().filename().string() + "_" + path.filename().string();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

class FuzzInputTest : public TaskTest, public ::testing::WithParamInterface<fs::path> {};

TEST_P(FuzzInputTest, LoadsOrIsRefusedCleanly)
{
    const std::string bytes = ReadBytes(GetParam());
    const bool seed = GetParam().parent_path().parent_path().filename() == "corpus";
    try {
        Document().LoadProjectBytes(GetParam().filename().string(), bytes);
    } catch (const EInOutError& error) {
        EXPECT_FALSE(seed) << "a seed file is refused: " << error.what();
        EXPECT_NE(std::string(error.what()).find(GetParam().filename().string()), std::string::npos);
        return;
    }
    const std::string saved = SaveProjectBytes(Project());
    Document().LoadProjectBytes("saved.NPC", saved);
    EXPECT_EQ(SaveProjectBytes(Project()), saved);
    std::vector<std::string> lines;
    GenerateScript(Project(), lines);
    EXPECT_EQ(lines.back(), "}");
}

INSTANTIATE_TEST_SUITE_P(Fuzz, FuzzInputTest, ::testing::ValuesIn(FuzzInputs()),
                         [](const auto& info) { return TestName(info.param); });

TEST(FuzzCorpusTest, SeedCorpusIsPresent)
{
    const auto inputs = FuzzInputs();
    EXPECT_GE(std::count_if(inputs.begin(), inputs.end(),
                            [](const fs::path& p) { return p.parent_path().parent_path().filename() == "corpus"; }),
              4);
}

}  // namespace
