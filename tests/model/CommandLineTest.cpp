// The npc-* programs' shared command-line reader: options from a table, positional arguments,
// `--`, "-", --help and the messages of a command line the programs cannot use.

#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct TRead {
    std::string Data;
    std::string Output;
    bool Json = false;
    script::TTarget Target = script::TTarget::EAthena;
    std::vector<app::TOption> Options()
    {
        return {app::ValueOption({"--data"}, Data), app::ValueOption({"-o", "--output"}, Output),
                app::FlagOption({"--json"}, Json), app::ServerOption(Target)};
    }
};

struct ReadRow {
    const char* Name;
    std::vector<std::string> Args;
    std::vector<std::string> Positional;
    bool Help;
    std::string Data, Output;
    bool Json;
    script::TTarget Target;
};

class ReadArgumentsTest : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadArgumentsTest, TakesOptionsAndArguments)
{
    TRead read;
    const app::TArguments args = app::ReadArguments(GetParam().Args, read.Options());
    EXPECT_EQ(args.Positional, GetParam().Positional);
    EXPECT_EQ(args.Help, GetParam().Help);
    EXPECT_EQ(read.Data, GetParam().Data);
    EXPECT_EQ(read.Output, GetParam().Output);
    EXPECT_EQ(read.Json, GetParam().Json);
    EXPECT_EQ(read.Target, GetParam().Target);
}

using script::TTarget;

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadArgumentsTest,
    ::testing::Values(
        ReadRow{"Nothing", {}, {}, false, "", "", false, TTarget::EAthena},
        ReadRow{"EveryKind", {"a.txt", "--data", "d", "--json", "-o", "out", "--server", "Hercules", "b.txt"},
                {"a.txt", "b.txt"}, false, "d", "out", true, TTarget::Hercules},
        ReadRow{"LongNameOfAnOption", {"--output", "x"}, {}, false, "", "x", false, TTarget::EAthena},
        // A value is the next argument whatever it looks like.
        ReadRow{"ValueLikeAnOption", {"-o", "--json"}, {}, false, "", "--json", false, TTarget::EAthena},
        ReadRow{"DashIsAnArgument", {"-", "--json"}, {"-"}, false, "", "", true, TTarget::EAthena},
        ReadRow{"EmptyIsAnArgument", {""}, {""}, false, "", "", false, TTarget::EAthena},
        ReadRow{"DoubleDashEndsOptions", {"--json", "--", "--data", "-o"}, {"--data", "-o"}, false, "", "", true,
                TTarget::EAthena},
        // What follows --help is not read: neither taken nor refused.
        ReadRow{"HelpStopsReading", {"--data", "d", "--help", "--bogus", "-o", "x"}, {}, true, "d", "", false,
                TTarget::EAthena},
        ReadRow{"ShortHelp", {"x", "-h"}, {"x"}, true, "", "", false, TTarget::EAthena}),
    [](const auto& info) { return std::string(info.param.Name); });

struct RefusedRow {
    const char* Name;
    std::vector<std::string> Args;
    const char* Message;
};

class RefusedArgumentsTest : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(RefusedArgumentsTest, SaysWhatIsWrong)
{
    TRead read;
    try {
        app::ReadArguments(GetParam().Args, read.Options());
        FAIL() << "the command line was taken";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), GetParam().Message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedArgumentsTest,
    ::testing::Values(RefusedRow{"UnknownOption", {"x", "--colour"}, "unknown option --colour"},
                      RefusedRow{"MissingValue", {"x", "-o"}, "option -o needs a value"},
                      RefusedRow{"UnknownServer", {"--server", "athena"}, "unknown server athena (eathena, rathena or hercules)"},
                      // An error before --help is the answer: the line was read up to it.
                      RefusedRow{"ErrorBeforeHelp", {"--bogus", "--help"}, "unknown option --bogus"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(NumberValueTest, TakesWholeNumbersOnly)
{
    EXPECT_EQ(app::NumberValue<int>("42", "--choose"), 42);
    EXPECT_EQ(app::NumberValue<int>("-3", "--choose"), -3);
    EXPECT_EQ(app::NumberValue<std::uint32_t>("4294967295", "--seed"), 4294967295u);
    for (const char* bad : {"", "x", "1x", " 1", "4294967296"})
        EXPECT_THROW(app::NumberValue<std::uint32_t>(bad, "--seed"), std::invalid_argument) << bad;
    try {
        app::NumberValue<int>("1,2", "--choose");
        FAIL() << "1,2 was taken";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "option --choose: 1,2 is not a number");
    }
}

} // namespace
