// The passport record and its file, checked against the worked example of a module with MAC
// 00:0A:1B:2C:3D:4E at 192.168.1.10.
#include "netconfig/passport_file.h"

#include <gtest/gtest.h>

#include "tests/unit/netconfig_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "protocol/crc16.h"
#include "tests/support/plain_user.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

std::uint16_t RecomputedChecksum(netconfig::PassportRecord record) {
    record[16] = record[17] = 0;
    return protocol::CalcCRC16(record);
}

std::uint16_t StoredChecksum(const netconfig::PassportRecord& record) {
    return static_cast<std::uint16_t>(record[16] | record[17] << 8);
}

TEST(PassportRecord, WorkedExampleHasChecksum47ACStoredLowByteFirst) {
    const netconfig::PassportRecord record =
        netconfig::BuildPassportRecord(kExampleDevice, ExamplePassport());
    EXPECT_EQ(record[16], 0xAC);
    EXPECT_EQ(record[17], 0x47);
    EXPECT_EQ(RecomputedChecksum(record), 0x47AC);
}

TEST(PassportFile, WorkedExampleLinesAndSize) {
    const std::string text = netconfig::FormatPassportFile(
        netconfig::BuildPassportRecord(kExampleDevice, ExamplePassport()));
    EXPECT_EQ(text.size(), 1027u);
    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0], "---DEVICEPASSPORT---");
    EXPECT_EQ(lines[1], "010000003E000000A2010000C0A8010AAC470000000000000000000000000000");
    EXPECT_EQ(lines[2], "0000000000000000000000000000000000000000000000000000000000005769");
    EXPECT_EQ(lines[3], "5A6E50615373000A1B2C3D4E0000000000000000000000000000000000000000");
    for (std::size_t i = 4; i < 16; ++i) EXPECT_EQ(lines[i], std::string(64, '0')) << i;
    EXPECT_EQ(lines[16], "---DATAEND---");
}

TEST(PassportFile, FullPassportIsAlso1027BytesOfUpperCaseHex) {
    netconfig::PassportBuffer passport;
    for (std::size_t i = 0; i < passport.size(); ++i)
        passport[i] = static_cast<std::uint8_t>(i * 37);
    const std::string text =
        netconfig::FormatPassportFile(netconfig::BuildPassportRecord(0xFFFFFFFFu, passport));
    EXPECT_EQ(text.size(), 1027u);
    const auto lines = Lines(text);
    for (std::size_t i = 1; i < 16; ++i)
        EXPECT_EQ(lines[i].find_first_not_of("0123456789ABCDEF"), std::string::npos) << lines[i];
}

TEST(PassportRecord, ChecksumCoversTheZeroTailOfA290ByteReply) {
    netconfig::PassportBuffer passport = ExamplePassport();
    for (std::size_t i = 14; i < 290; ++i) passport[i] = 0x11;
    netconfig::PassportRecord record = netconfig::BuildPassportRecord(kExampleDevice, passport);
    for (std::size_t i = 352; i < record.size(); ++i) ASSERT_EQ(record[i], 0) << i;
    EXPECT_EQ(RecomputedChecksum(record), StoredChecksum(record));
    record[479] = 1;
    EXPECT_NE(RecomputedChecksum(record), StoredChecksum(record));
}

TEST(PassportRecord, ChangingAnySingleByteBreaksTheChecksum) {
    const netconfig::PassportRecord original =
        netconfig::BuildPassportRecord(kExampleDevice, ExamplePassport());
    for (std::size_t i = 0; i < original.size(); ++i) {
        if (i == 16 || i == 17) continue;
        netconfig::PassportRecord damaged = original;
        damaged[i] ^= 0x01;
        ASSERT_NE(RecomputedChecksum(damaged), StoredChecksum(original)) << "byte " << i;
    }
}

TEST(PassportName, UsesTheReplyMacAndTheSavingTime) {
    EXPECT_EQ(netconfig::ProposedPassportName(ExamplePassport(), {2025, 3, 3, 14, 5, 9}),
              "passport_000A1B2C3D4E_20250303140509");
    netconfig::PassportBuffer other{};
    other[8] = 0xFE;
    other[13] = 0xA1;
    EXPECT_EQ(netconfig::ProposedPassportName(other, {2024, 12, 31, 0, 0, 0}),
              "passport_FE00000000A1_20241231000000");
}

class PassportFileOnDisk : public testing::Test {
protected:
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    test_support::TempFolder folder_{"passport"};
};

TEST_F(PassportFileOnDisk, WritesExactlyTheFormattedText) {
    const std::string path = folder_.File("p.txt");
    ASSERT_TRUE(netconfig::WritePassportFile(path, kExampleDevice, ExamplePassport()));
    EXPECT_EQ(Contents(path), netconfig::FormatPassportFile(netconfig::BuildPassportRecord(
                                  kExampleDevice, ExamplePassport())));
    EXPECT_EQ(Entries(), std::vector<std::string>{"p.txt"});
}

TEST_F(PassportFileOnDisk, ReplacesAnExistingFileWhole) {
    const std::string path = folder_.File("p.txt");
    std::ofstream(path) << std::string(5000, 'x');
    ASSERT_TRUE(netconfig::WritePassportFile(path, kExampleDevice, ExamplePassport()));
    EXPECT_EQ(Contents(path).size(), 1027u);
    EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(PassportFileOnDisk, MissingFolderFailsAndLeavesNothing) {
    EXPECT_FALSE(netconfig::WritePassportFile(folder_.File("absent/p.txt"), kExampleDevice,
                                              ExamplePassport()));
    EXPECT_FALSE(netconfig::WritePassportFile("", kExampleDevice, ExamplePassport()));
    EXPECT_TRUE(Entries().empty());
}

TEST_F(PassportFileOnDisk, FolderInTheWayFailsAndKeepsTheFolder) {
    const std::string path = folder_.File("taken");
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    EXPECT_FALSE(netconfig::WritePassportFile(path, kExampleDevice, ExamplePassport()));
    EXPECT_EQ(Entries(), std::vector<std::string>{"taken"});
    rmdir(path.c_str());
}

// A passport saved over an existing file in a folder the user may not write replaces the file's
// text in place; a new passport cannot be made there.
TEST_F(PassportFileOnDisk, ExistingFileInALockedFolderIsOverwrittenInPlace) {
    const std::string path = folder_.File("p.txt");
    std::ofstream(path) << std::string(5000, 'x');
    const std::string expected = netconfig::FormatPassportFile(
        netconfig::BuildPassportRecord(kExampleDevice, ExamplePassport()));
    EXPECT_EQ(test_support::AsPlainUser(
                  folder_.Path(), test_support::FolderAccess::kLocked,
                  [&]() -> std::string {
                      if (!netconfig::WritePassportFile(path, kExampleDevice, ExamplePassport()))
                          return "the write failed";
                      if (Contents(path) != expected)
                          return "the file does not hold the passport alone";
                      if (netconfig::WritePassportFile(folder_.File("new.txt"), kExampleDevice,
                                                       ExamplePassport()))
                          return "a new file was reported";
                      return {};
                  }),
              "");
    EXPECT_EQ(Entries(), std::vector<std::string>{"p.txt"});
}

}  // namespace
