#include <gtest/gtest.h>

#include "cli/module_command_args.h"

namespace {

using cli::ModuleCommandArg;
using Bytes = std::vector<std::uint8_t>;

bool Parses(std::string_view text, ModuleCommandArg& arg) {
    std::string error;
    const bool ok = cli::ParseModuleCommandArg(text, arg, error);
    EXPECT_EQ(ok, error.empty()) << text << ": " << error;
    return ok;
}

TEST(CliModuleCommand, NumberAndHexDataAreRead) {
    ModuleCommandArg arg;
    ASSERT_TRUE(Parses("401:0102a0FF05", arg));
    EXPECT_EQ(arg.command, 401);
    EXPECT_EQ(arg.data, (Bytes{0x01, 0x02, 0xA0, 0xFF, 0x05}));
    ASSERT_TRUE(Parses("202", arg));
    EXPECT_TRUE(arg.data.empty());
    ASSERT_TRUE(Parses("303:", arg));
    EXPECT_TRUE(arg.data.empty());
    // An unknown number sends nothing, so it is no bad argument, whatever data it has.
    ASSERT_TRUE(Parses("206:0011", arg));
    EXPECT_EQ(arg.command, 206);
}

TEST(CliModuleCommand, MalformedCommandsAreRefusedWithTheirReason) {
    ModuleCommandArg arg;
    std::string error;
    for (const char* text :
         {"", "x401", "401x", "-1", "+401", "1234567890", "401:0", "401:0g", "401: 01", ":01"}) {
        EXPECT_FALSE(cli::ParseModuleCommandArg(text, arg, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    cli::ParseModuleCommandArg("401:123", arg, error);
    EXPECT_NE(error.find("odd length"), std::string::npos) << error;
}

TEST(CliModuleCommand, DataMustFitWhatTheCommandCarries) {
    ModuleCommandArg arg;
    std::string error;
    EXPECT_TRUE(Parses("302:" + std::string(500, 'A'), arg));
    EXPECT_FALSE(cli::ParseModuleCommandArg("302:" + std::string(502, 'A'), arg, error));
    EXPECT_NE(error.find("at most 250"), std::string::npos) << error;
    EXPECT_TRUE(Parses("401:" + std::string(4080, '0'), arg));
    EXPECT_FALSE(cli::ParseModuleCommandArg("403:" + std::string(4082, '0'), arg, error));
    EXPECT_TRUE(Parses("501:0102030405060708", arg));
    EXPECT_FALSE(cli::ParseModuleCommandArg("503:01020304050607", arg, error));
    EXPECT_FALSE(cli::ParseModuleCommandArg("501:010203040506070809", arg, error));
    EXPECT_FALSE(cli::ParseModuleCommandArg("402:01", arg, error));
    EXPECT_TRUE(Parses("203:7F", arg));
    EXPECT_FALSE(cli::ParseModuleCommandArg("203:7F7F", arg, error));
    EXPECT_TRUE(Parses("303:" + std::string(2 * 65535, 'F'), arg));
    EXPECT_FALSE(cli::ParseModuleCommandArg("303:" + std::string(2 * 65536, 'F'), arg, error));
}

TEST(CliModuleCommand, TargetAndParameterTakeDecimalOrHex) {
    std::uint32_t value = 0;
    EXPECT_TRUE(cli::ParseNumberOption("0x1Fd", value));
    EXPECT_EQ(value, 0x1FDu);
    EXPECT_TRUE(cli::ParseNumberOption("4294967295", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    for (const char* text : {"", "0x", "4294967296", "-1", "0x100000000", "12a", "0xg"})
        EXPECT_FALSE(cli::ParseNumberOption(text, value)) << text;
}

TEST(CliModuleCommand, OutputListsEveryCommandInOrder) {
    const std::vector<cli::ModuleCommandOutcome> outcomes = {
        {401, 0, {}}, {402, 0, {0xA1, 0xB2}}, {202, 3, {}}};
    EXPECT_EQ(cli::FormatOutcomesText(outcomes),
              "401: 0 success\n402: 0 success A1B2\n202: 3 no answer\n");
    EXPECT_EQ(cli::FormatOutcomesJson(outcomes),
              "[{\"command\": 401, \"result\": 0, \"data\": \"\"}, "
              "{\"command\": 402, \"result\": 0, \"data\": \"A1B2\"}, "
              "{\"command\": 202, \"result\": 3, \"data\": \"\"}]\n");
}

}  // namespace
