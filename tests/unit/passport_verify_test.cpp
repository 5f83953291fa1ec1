// Passport files read back: what counts as intact, the first problem named for a damaged file,
// and the vantrel-cli command that reports on a batch of files.
#include "netconfig/passport_verify.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <sstream>

#include "cli/commands.h"
#include "protocol/crc16.h"
#include "tests/support/temp_folder.h"
#include "tests/unit/netconfig_test_support.h"
#include "tests/unit/settings_test_support.h"

namespace {

netconfig::PassportRecord ExampleRecord() {
    return netconfig::BuildPassportRecord(kExampleDevice, ExamplePassport());
}

std::string ExampleFile() { return netconfig::FormatPassportFile(ExampleRecord()); }

std::string WithLf(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
}

// Offset of the first character of line `line` (1-based) in a CR LF file.
std::size_t LineStart(int line) {
    return line == 1 ? 0 : 22 + static_cast<std::size_t>(line - 2) * 66;
}

// A record with a changed header field, checksummed again so only the field is wrong.
std::string FileWithHeaderField(std::size_t offset, std::uint32_t value) {
    netconfig::PassportRecord record = ExampleRecord();
    for (std::size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    record[16] = record[17] = 0;
    const std::uint16_t crc = protocol::CalcCRC16(record);
    record[16] = static_cast<std::uint8_t>(crc & 0xFF);
    record[17] = static_cast<std::uint8_t>(crc >> 8);
    return netconfig::FormatPassportFile(record);
}

TEST(PassportVerify, TheWriterOutputIsValidWithEitherLineEnd) {
    for (const std::string& text :
         {ExampleFile(), WithLf(ExampleFile()), ExampleFile().substr(0, 1025)}) {
        const netconfig::PassportCheck check = netconfig::VerifyPassportText(text);
        EXPECT_TRUE(check.valid) << check.problem;
        EXPECT_EQ(check.problem, "");
        ASSERT_TRUE(check.decoded);
        EXPECT_EQ(netconfig::FormatIpAddress(check.deviceAddress), "192.168.1.10");
        EXPECT_EQ(netconfig::FormatMacAddress(check.mac), "00:0A:1B:2C:3D:4E");
        EXPECT_EQ(check.record, ExampleRecord());
    }
}

TEST(PassportVerify, AnySingleChangedDigitIsFound) {
    const std::string good = ExampleFile();
    for (int line = 2; line <= 16; ++line) {
        for (std::size_t column = 0; column < 64; ++column) {
            std::string damaged = good;
            char& digit = damaged[LineStart(line) + column];
            digit = digit == '0' ? '8' : '0';
            const netconfig::PassportCheck check = netconfig::VerifyPassportText(damaged);
            ASSERT_FALSE(check.valid) << "line " << line << " column " << column + 1;
            // Damage in the header is named there; damage elsewhere breaks the checksum.
            EXPECT_EQ(check.problem.rfind("line 2: ", 0), 0u) << check.problem;
            EXPECT_TRUE(check.decoded);
        }
    }
}

TEST(PassportVerify, TheChecksumProblemNamesBothValues) {
    std::string damaged = ExampleFile();
    damaged[LineStart(5) + 10] = 'F';
    EXPECT_EQ(netconfig::VerifyPassportText(damaged).problem,
              "line 2: checksum is 47AC, the data gives 0DDC")
        << "CRC-16/MODBUS of the damaged record, computed apart from this code";
}

TEST(PassportVerify, HeaderFieldsMustBeTheWritersEvenWithAMatchingChecksum) {
    EXPECT_EQ(netconfig::VerifyPassportText(FileWithHeaderField(0, 2)).problem,
              "line 2: format is 2, expected 1");
    EXPECT_EQ(netconfig::VerifyPassportText(FileWithHeaderField(4, 64)).problem,
              "line 2: data offset is 64, expected 62");
    EXPECT_EQ(netconfig::VerifyPassportText(FileWithHeaderField(8, 290)).problem,
              "line 2: data length is 290, expected 418");
}

TEST(PassportVerify, DataLinesMustBeSixtyFourUpperCaseHexDigits) {
    const std::string good = ExampleFile();
    std::string lower = good;
    lower[LineStart(4) + 2] = 'a';  // "5A" -> "5a"
    EXPECT_EQ(netconfig::VerifyPassportText(lower).problem,
              "line 4: 'a' at column 3 is not an upper-case hexadecimal digit");

    std::string nul = good;
    nul[LineStart(9) + 63] = '\0';
    EXPECT_EQ(netconfig::VerifyPassportText(nul).problem,
              "line 9: byte 0x00 at column 64 is not an upper-case hexadecimal digit");

    std::string shortLine = good;
    shortLine.erase(LineStart(3), 2);
    EXPECT_EQ(netconfig::VerifyPassportText(shortLine).problem,
              "line 3: 62 characters, expected 64 hexadecimal digits");

    std::string blankAtEnd = good;
    blankAtEnd.insert(LineStart(16) + 64, " ");
    EXPECT_EQ(netconfig::VerifyPassportText(blankAtEnd).problem,
              "line 16: 65 characters, expected 64 hexadecimal digits");
}

TEST(PassportVerify, MarkersAndLineCountAreChecked) {
    const std::string good = ExampleFile();
    EXPECT_EQ(netconfig::VerifyPassportText("").problem, "the file is empty");
    EXPECT_EQ(netconfig::VerifyPassportText("\xEF\xBB\xBF" + good).problem,
              "line 1: expected ---DEVICEPASSPORT---");
    EXPECT_EQ(netconfig::VerifyPassportText(good.substr(0, LineStart(11))).problem,
              "line 11: missing a data line: the file ends after line 10");
    const netconfig::PassportCheck noEnd =
        netconfig::VerifyPassportText(good.substr(0, good.size() - 15));
    EXPECT_EQ(noEnd.problem, "line 17: missing ---DATAEND---: the file ends after line 16");
    EXPECT_TRUE(noEnd.decoded);  // the address and MAC are still reported
    EXPECT_EQ(netconfig::VerifyPassportText(good.substr(0, good.size() - 3) + "\r\n").problem,
              "line 17: expected ---DATAEND---");
    EXPECT_EQ(netconfig::VerifyPassportText(good + "\r\n").problem,
              "line 18: text after ---DATAEND---");
    EXPECT_EQ(netconfig::VerifyPassportText(good + good).problem,
              "line 18: text after ---DATAEND---");
}

TEST(PassportVerify, StrayCarriageReturnsAndHugeInputAreRefused) {
    std::string doubled = ExampleFile();
    doubled.insert(LineStart(6) + 64, "\r");
    EXPECT_EQ(netconfig::VerifyPassportText(doubled).problem,
              "line 6: carriage return inside the line, at column 65");
    std::string classicMac = ExampleFile();
    for (std::size_t at; (at = classicMac.find("\r\n")) != std::string::npos;)
        classicMac.erase(at + 1, 1);
    EXPECT_EQ(netconfig::VerifyPassportText(classicMac).problem,
              "line 1: carriage return inside the line, at column 21");
    EXPECT_EQ(netconfig::VerifyPassportText(std::string(netconfig::kMaxPassportFileSize + 1, '0'))
                  .problem,
              "the file is 4097 bytes, far larger than a passport");
}

// vantrel-cli passport verify, run in this process with its outputs captured.
class PassportVerifyCommand : public ::testing::Test {
protected:
    struct Run {
        int exitCode;
        std::string out, err;
    };
    Run Verify(std::vector<std::string> args) {
        std::ostringstream out, err;
        auto* oldOut = std::cout.rdbuf(out.rdbuf());
        auto* oldErr = std::cerr.rdbuf(err.rdbuf());
        const int code = cli::Report(cli::PassportVerifyCommand(std::move(args)));
        std::cout.rdbuf(oldOut);
        std::cerr.rdbuf(oldErr);
        return {code, out.str(), err.str()};
    }
    std::string Good() {
        const std::string path = folder_.File("good.txt");
        test_support::WriteBytes(path, ExampleFile());
        return path;
    }
    test_support::TempFolder folder_;
};

TEST_F(PassportVerifyCommand, ReportsEachFileAndFailsWhenOneIsBad) {
    const std::string good = Good();
    const std::string bad = folder_.File("bad.txt");
    std::string damaged = ExampleFile();
    damaged[LineStart(5) + 10] = 'F';
    test_support::WriteBytes(bad, damaged);
    const std::string missing = folder_.File("missing.txt");

    const Run all = Verify({good, bad, missing});
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_EQ(all.out,
              good + ": valid (address 192.168.1.10, MAC 00:0A:1B:2C:3D:4E)\n" + bad +
                  ": line 2: checksum is 47AC, the data gives 0DDC (address 192.168.1.10, MAC "
                  "00:0A:1B:2C:3D:4E)\n" +
                  missing + ": no such file\n");
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(Verify({good}).exitCode, 0);
    EXPECT_EQ(Verify({folder_.Path()}).out, folder_.Path() + ": is a folder, not a file\n");
}

TEST_F(PassportVerifyCommand, JsonHasOneObjectPerFile) {
#ifdef _WIN32
    GTEST_SKIP() << "a Windows file name cannot hold a double quote";
#endif
    const std::string good = Good();
    const std::string quoted = folder_.File("say \"hi\".txt");
    test_support::WriteBytes(quoted, "---DEVICEPASSPORT---\n");
    const Run run = Verify({"--json", good, quoted});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(
        run.out,
        "[\n  {\"file\": \"" + good +
            "\", \"valid\": true, \"address\": \"192.168.1.10\", \"mac\": \"00:0A:1B:2C:3D:4E\", "
            "\"problem\": null},\n  {\"file\": \"" +
            folder_.Path() +
            "/say \\\"hi\\\".txt\", \"valid\": false, \"address\": null, \"mac\": null, "
            "\"problem\": \"line 2: missing a data line: the file ends after line 1\"}\n]\n");
}

TEST_F(PassportVerifyCommand, BadArgumentsExitTwoWithOneLine) {
    const Run none = Verify({});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err, "vantrel-cli: passport verify: name at least one FILE (see --help)\n");
    const Run unknown = Verify({"--jsn", Good()});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err, "vantrel-cli: passport verify: unknown option '--jsn' (see --help)\n");
    EXPECT_EQ(unknown.out, "");
    const Run help = Verify({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: vantrel-cli passport verify FILE... [--json]\n", 0), 0u);
    // After "--" a name that starts with a dash is a file.
    const Run dashed = Verify({"--", "-odd.txt"});
    EXPECT_EQ(dashed.exitCode, 1);
    EXPECT_EQ(dashed.out, "-odd.txt: no such file\n");
}

}  // namespace
