// vantrel-cli watch against vantrel-modsim on loopback (127.0.0.160-161): a module that goes
// away and comes back, a switcher address changed under it and a device listed while it runs,
// each told by exactly one line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/harness/child_process.h"
#include "sim/harness/modsim_process.h"
#include "tests/net/net_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using testing::HasSubstr;

constexpr unsigned kEventTimeoutMs = 15000;

std::size_t Count(const std::string& text, const std::string& fragment) {
    std::size_t count = 0;
    for (auto at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1))
        ++count;
    return count;
}

// The event names of the JSON lines, in order.
std::vector<std::string> Events(const std::string& output) {
    std::vector<std::string> events;
    const std::string key = "\"event\":\"";
    for (auto at = output.find(key); at != std::string::npos; at = output.find(key, at + 1)) {
        const auto begin = at + key.size();
        events.push_back(output.substr(begin, output.find('"', begin) - begin));
    }
    return events;
}

TEST(WatchOverLoopback, EachChangeIsOneLineAndNothingIsPrintedWhileNothingChanges) {
    test_support::TempFolder folder("vantrel-watch");
    const std::string settings = folder.File("vantrel-panel.ini");
    ASSERT_EQ(nettest::RunCli(
                  {"devices", "add", "127.0.0.160", "00:0A:1B:2C:3D:60", "--settings", settings})
                  .exitCode,
              0);
    const std::vector<std::string> module = {
        "--module", "ip=127.0.0.160,mac=00:0A:1B:2C:3D:60,switcher=10.60.0.1"};
    auto simulator = std::make_unique<harness::ModsimProcess>();
    std::string error;
    ASSERT_TRUE(simulator->Start(module, error)) << error;

    harness::ChildProcess watch;
    ASSERT_TRUE(watch.Start({harness::CliPath(), "watch", "--interval", "0.2", "--from",
                             "127.0.0.1", "--settings", settings, "--json"},
                            error))
        << error;
    const auto seen = [&](const std::string& fragment, std::size_t count) {
        return watch.WaitForOutput(
            [&](const std::string& output) { return Count(output, fragment) >= count; },
            kEventTimeoutMs);
    };
    ASSERT_TRUE(seen("\"event\":\"online\",\"switcher\":\"10.60.0.1\"", 1)) << watch.OutputText();

    simulator->Stop();
    ASSERT_TRUE(seen("\"event\":\"offline\"", 1)) << watch.OutputText();
    simulator = std::make_unique<harness::ModsimProcess>();
    ASSERT_TRUE(simulator->Start(module, error)) << error;
    ASSERT_TRUE(seen("\"event\":\"online\"", 2)) << watch.OutputText();

    ASSERT_EQ(
        nettest::RunCli({"switcher", "set", "--from", "127.0.0.1", "127.0.0.160", "10.60.0.9"})
            .exitCode,
        0);
    ASSERT_TRUE(seen("\"previous_switcher\":\"10.60.0.1\"", 1)) << watch.OutputText();
    // The list is read again: a device listed now is told once, in the next round.
    ASSERT_EQ(nettest::RunCli({"devices", "add", "127.0.0.161", "--settings", settings}).exitCode,
              0);
    ASSERT_TRUE(seen("\"ip\":\"127.0.0.161\"", 1)) << watch.OutputText();

    EXPECT_EQ(watch.Stop(), 0);
    EXPECT_EQ(Events(watch.OutputText()),
              (std::vector<std::string>{"online", "offline", "online", "switcher-changed",
                                        "offline", "stopped"}))
        << watch.OutputText();
    EXPECT_THAT(watch.OutputText(), HasSubstr("\"changes\":4,\"online\":1,\"offline\":1"));
}

}  // namespace
