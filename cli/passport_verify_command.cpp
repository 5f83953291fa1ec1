// vantrel-cli passport verify: reads passport files back and says for each whether it is intact,
// with the device address and the module MAC address it carries.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/commands.h"
#include "netconfig/address_text.h"
#include "netconfig/passport_verify.h"

namespace cli {

namespace {

constexpr std::string_view kVerifyUsage =
    "usage: vantrel-cli passport verify FILE... [--json]\n"
    "Checks that each passport file is intact: its marker lines, its 15 data lines, the record's\n"
    "format, offset and length, and its checksum. Prints the device address, the module's MAC\n"
    "address and \"valid\" or the first problem found. Exit 0 when every file is valid, 1 when "
    "one\n"
    "is not (a file that cannot be read is not), 2 for bad arguments.\n";

struct FileResult {
    std::string file;
    netconfig::PassportCheck check;
};

netconfig::PassportCheck CheckFile(const std::string& path) {
    netconfig::PassportCheck check;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        check.problem = "no such file";
        return check;
    }
    if (std::filesystem::is_directory(status)) {
        check.problem = "is a folder, not a file";
        return check;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        check.problem = "cannot be read";
        return check;
    }
    // One byte more than the largest file accepted, so a larger one is told apart unread.
    std::string text(netconfig::kMaxPassportFileSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        check.problem = "cannot be read";
        return check;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > netconfig::kMaxPassportFileSize) {
        check.problem = "larger than " + std::to_string(netconfig::kMaxPassportFileSize) +
                        " bytes: not a passport file";
        return check;
    }
    return netconfig::VerifyPassportText(text);
}

void PrintText(const FileResult& result) {
    std::cout << result.file << ": " << (result.check.valid ? "valid" : result.check.problem);
    if (result.check.decoded) {
        const std::string mac = netconfig::FormatMacAddress(result.check.mac);
        std::cout << " (address " << netconfig::FormatIpAddress(result.check.deviceAddress)
                  << ", MAC " << (mac.empty() ? "none" : mac) << ')';
    }
    std::cout << '\n';
}

void PrintJson(const std::vector<FileResult>& results) {
    std::cout << "[\n";
    for (std::size_t n = 0; n < results.size(); ++n) {
        const netconfig::PassportCheck& check = results[n].check;
        std::cout << "  {\"file\": " << JsonString(results[n].file)
                  << ", \"valid\": " << (check.valid ? "true" : "false") << ", \"address\": "
                  << (check.decoded ? JsonString(netconfig::FormatIpAddress(check.deviceAddress))
                                    : "null")
                  << ", \"mac\": "
                  << (check.decoded ? JsonString(netconfig::FormatMacAddress(check.mac)) : "null")
                  << ", \"problem\": " << (check.valid ? "null" : JsonString(check.problem)) << '}'
                  << (n + 1 < results.size() ? ",\n" : "\n");
    }
    std::cout << "]\n";
}

}  // namespace

Outcome PassportVerifyCommand(Arguments args) {
    const CommandOutcomes run("passport verify");
    bool json = false;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            std::cout << kVerifyUsage;
            return run.Done();
        }
        if (!optionsEnded && arg == "--json") {
            json = true;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && app::command_line::LooksLikeOption(arg)) {
            return run.BadArguments(app::command_line::UnknownOption(arg) + " (see --help)");
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return run.BadArguments("name at least one FILE (see --help)");

    std::vector<FileResult> results;
    bool allValid = true;
    for (const std::string& file : files) {
        results.push_back({file, CheckFile(file)});
        allValid = allValid && results.back().check.valid;
        if (!json) PrintText(results.back());
    }
    if (json) PrintJson(results);
    return allValid ? run.Done() : run.Failed();
}

}  // namespace cli
