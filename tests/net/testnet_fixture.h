#pragma once
// What every test on the private test network shares: the check that it runs on the panel side
// before anything is sent, and a simulator with broadcast reception on the device side.
#include <gtest/gtest.h>

#include "sim/harness/modsim_process.h"
#include "sim/harness/test_network.h"
#include "tests/net/net_test_support.h"

namespace nettest {

class TestNetworkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        // Not a skip: run outside the test network, this executable must not send at all.
        ASSERT_TRUE(harness::InsideTestNetworkPanel(why)) << why;
    }

    // vantrel-modsim inside vtl-dev with these modules, hearing broadcasts, capturing.
    [[nodiscard]] bool StartModsim(std::vector<std::string> args) {
        args.insert(args.end(), {"--broadcast", "--capture", CapturePath()});
        std::string error;
        const bool started = simulator_.Start(args, error, true);
        EXPECT_TRUE(started) << error;
        return started;
    }

    std::string CapturePath() const { return directory_.File("capture.txt"); }
    static std::uint32_t Panel() { return Ip(harness::kPanelAddressText); }

    test_support::TempFolder directory_{"vantrel-net"};
    harness::ModsimProcess simulator_;
};

}  // namespace nettest
