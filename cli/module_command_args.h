#pragma once
// The arguments and output of "vantrel-cli command": each checked before anything is sent.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct ModuleCommandArg {
    int command = 0;
    std::vector<std::uint8_t> data;
};

// "401", "401:0102030405": a decimal command number, then optionally ':' and an even number of
// hexadecimal digits. The data must fit the command's row of the command table (302: 250
// bytes, 501/503 exactly 8, commands that send nothing none); an unknown number takes any
// data, since it sends nothing. False with a one-line reason.
bool ParseModuleCommandArg(std::string_view text, ModuleCommandArg& arg, std::string& error);

// The help's list of command numbers, one line each from the command table: how each goes out,
// what data it carries and whether it returns data.
std::string ModuleCommandsHelp();

// --target and --param: decimal or 0x hexadecimal, 0 to 4294967295.
bool ParseNumberOption(std::string_view text, std::uint32_t& value);

struct ModuleCommandOutcome {
    int command = 0;
    std::uint16_t result = 0;
    std::vector<std::uint8_t> data;
};

// "401: 0 success" and, with data, " A1B2"; one line each.
std::string FormatOutcomesText(const std::vector<ModuleCommandOutcome>& outcomes);
// [{"command": 401, "result": 0, "data": "A1B2"}, ...]
std::string FormatOutcomesJson(const std::vector<ModuleCommandOutcome>& outcomes);

std::string UpperHex(const std::vector<std::uint8_t>& bytes);

}  // namespace cli
