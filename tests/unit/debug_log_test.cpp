#include "app/debug_log.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The messages of the log file, time stamps checked and cut off.
std::vector<std::string> Messages(const std::string& path) {
    static const std::regex kStamp(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3} - )");
    std::vector<std::string> messages;
    const std::string text = ReadAll(path);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF";
        if (end == std::string::npos) break;
        const std::string line = text.substr(start, end - start);
        EXPECT_TRUE(std::regex_search(line, kStamp)) << line;
        messages.push_back(line.size() >= 26 ? line.substr(26) : line);
        start = end + 2;
    }
    return messages;
}

class DebugLogTest : public ::testing::Test {
protected:
    void TearDown() override { app::UseDebugLogSettings(""); }  // off for every later test
    std::string Settings(const std::string& text, const std::string& name = "panel.ini") {
        const std::string path = folder_.File(name);
        WriteText(path, text);
        app::UseDebugLogSettings(path);
        return path;
    }
    test_support::TempFolder folder_{"vantrel-debuglog"};
};

TEST_F(DebugLogTest, WithoutTheDebugSectionNothingIsWrittenAndNoFileMade) {
    Settings("[Config]\nLocalIP=1\n");
    app::DebugLog("CModuleInterface::DoCommand(%d to %02X)", 401, 0);
    EXPECT_FALSE(app::DebugHexDumpOn());
    EXPECT_FALSE(std::filesystem::exists(folder_.File("panel.log")));
}

TEST_F(DebugLogTest, SerialAloneTurnsNothingOn) {
    Settings("[Debug]\nLog=0\nSerial=1\n");
    app::DebugLog("line");
    EXPECT_FALSE(app::DebugHexDumpOn());
    EXPECT_FALSE(std::filesystem::exists(folder_.File("panel.log")));
}

TEST_F(DebugLogTest, LogOnWritesStampedCrLfLinesAppendedToOldOnesWithoutHexRows) {
    Settings("[Debug]\nLog=1\n");
    WriteText(folder_.File("panel.log"), "old line\r\n");
    app::DebugLog("CModuleInterface::DoCommand(%d to %02X)", 401, 0x1AB & 0xFF);
    app::DebugLogHexRows("WR: ", std::vector<std::uint8_t>{1, 2});
    app::DebugLog("CTCPTransport::Connect() = %d", 3);
    EXPECT_FALSE(app::DebugHexDumpOn());
    const std::string text = ReadAll(folder_.File("panel.log"));
    ASSERT_EQ(text.rfind("old line\r\n", 0), 0u);
    WriteText(folder_.File("tail.log"), text.substr(10));
    EXPECT_EQ(Messages(folder_.File("tail.log")),
              (std::vector<std::string>{"CModuleInterface::DoCommand(401 to AB)",
                                        "CTCPTransport::Connect() = 3"}));
}

TEST_F(DebugLogTest, SwitchesAreReadOnceSoALaterChangeWaitsForTheNextStart) {
    const std::string settings = Settings("[Debug]\nLog=1\n");
    app::DebugLog("first");
    WriteText(settings, "[Debug]\nLog=0\n");
    app::DebugLog("second");
    EXPECT_EQ(Messages(folder_.File("panel.log")), (std::vector<std::string>{"first", "second"}));
}

TEST_F(DebugLogTest, LogPathIsTheSettingsPathWithItsExtensionReplacedOrAdded) {
    Settings("[Debug]\nLog=1\n", "panel");
    app::DebugLog("no extension");
    EXPECT_TRUE(std::filesystem::exists(folder_.File("panel.log")));
    Settings("[Debug]\nLog=1\n", "other.cfg");
    app::DebugLog("other extension");
    EXPECT_EQ(Messages(folder_.File("other.log")), std::vector<std::string>{"other extension"});
}

TEST_F(DebugLogTest, HexRowsHoldSixteenBytesEachWithTheirTrailingBlank) {
    Settings("[Debug]\nLog=1\nSerial=1\n");
    EXPECT_TRUE(app::DebugHexDumpOn());
    std::vector<std::uint8_t> bytes(20);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0xF0 + i);
    app::DebugLogHexRows("CTCPTransport::WriteData() ", bytes);
    EXPECT_EQ(Messages(folder_.File("panel.log")),
              (std::vector<std::string>{
                  "CTCPTransport::WriteData() [F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF ]",
                  "CTCPTransport::WriteData() [00 01 02 03 ]"}));
}

TEST_F(DebugLogTest, LongMessageIsCutAt255Characters) {
    app::ForceDebugLog(folder_.File("forced.log"), false);
    const std::string longText(1000, 'x');
    app::DebugLog("%s", longText.c_str());
    EXPECT_EQ(Messages(folder_.File("forced.log")),
              std::vector<std::string>{std::string(255, 'x')});
}

TEST_F(DebugLogTest, LineThatCannotBeWrittenIsDroppedAndLoggingGoesOn) {
    app::ForceDebugLog(folder_.File("busy.log"), false);
    std::filesystem::create_directory(folder_.File("busy.log"));
    app::DebugLog("lost");
    std::filesystem::remove(folder_.File("busy.log"));
    app::DebugLog("kept");
    EXPECT_EQ(Messages(folder_.File("busy.log")), std::vector<std::string>{"kept"});
}

TEST(DebugLogFormat, TimeStampIsDayMonthYearAndMilliseconds) {
    EXPECT_EQ(
        app::FormatDebugLogLine(6, 12, 2026, 14, 5, 9, 42, "CTCPTransport::ReadData(): CLOSED!"),
        "06.12.2026 14:05:09.042 - CTCPTransport::ReadData(): CLOSED!\r\n");
}

}  // namespace
