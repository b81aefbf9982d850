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
    return FuzzInputFiles("interpreter");
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

// The server's const.txt as its loader reads it: a line with two tabs still gives its value, and the
// character parameters are not constants.
TEST(InterpreterRealScripts, ConstantsReadAsTheServerReadsThem)
{
    SKIP_WITHOUT_SHARED_DATA(data);
    const script::TConstants constants = script::ReadConstants(ReadBytes(data / "const.txt"));
    ASSERT_TRUE(constants.count("bagivit"));
    EXPECT_EQ(constants.at("bagivit"), 1074);
    EXPECT_EQ(constants.at("job_knight"), 7);
    EXPECT_EQ(constants.count("zeny"), 0u);
    EXPECT_EQ(constants.count("baselevel"), 0u);
}

// Every NPC of the server's own script files, played with the first option of every menu and the
// server's constants: each play ends, waits or stops on a fault with the event that says so, and
// no play runs into the step budget (none of them loops without end).
TEST(InterpreterRealScripts, EveryNpcPlaysToAnOutcome)
{
    SKIP_WITHOUT_SHARED_DATA(data);
    const script::TConstants constants = script::ReadConstants(ReadBytes(data / "const.txt"));
    script::TPlaySetup setup;
    setup.Choices.assign(50, 1);
    setup.Inputs.assign(10, "1");
    int played = 0;
    for (const auto& entry : fs::recursive_directory_iterator(data / "npc")) {
        if (!entry.is_regular_file())
            continue;
        const std::string text = ReadBytes(entry.path());
        const script::TScriptFile file = script::ReadScriptFile(text);
        const script::TProgram program(file);
        for (const std::string& npc : program.NpcNames()) {
            const script::TRunResult run = script::Play(program, npc, setup, nullptr, &constants);
            const std::string where = entry.path().filename().string() + " " + npc;
            ASSERT_FALSE(run.Events.empty()) << where;
            const script::TEventKind last = run.Events.back().Kind;
            EXPECT_EQ(last, run.Outcome == script::TOutcome::Ended     ? script::TEventKind::End
                            : run.Outcome == script::TOutcome::Waiting ? script::TEventKind::Waiting
                                                                       : script::TEventKind::Fault)
                << where;
            EXPECT_LT(run.Steps, setup.StepBudget) << where;
            ++played;
        }
    }
    EXPECT_GT(played, 100);
}

} // namespace
