#pragma once
// One vantrel-modsim for a whole suite of loopback tests: the panel side is 127.0.0.1 and each
// test talks to modules of its own, so the capture tells the tests' datagrams apart.
#include <gtest/gtest.h>

#include "sim/harness/modsim_process.h"
#include "tests/net/net_test_support.h"

namespace nettest {

class LoopbackSimulatorSuite : public ::testing::Test {
protected:
    // For SetUpTestSuite: the simulator with these arguments, capturing.
    static void StartSuiteSimulator(std::vector<std::string> args) {
        directory_ = new test_support::TempFolder("vantrel-net");
        simulator_ = new harness::ModsimProcess;
        args.insert(args.end(), {"--capture", CapturePath()});
        started_ = simulator_->Start(args, startError_);
    }
    static void TearDownTestSuite() {
        delete simulator_;
        delete directory_;
        simulator_ = nullptr;
        directory_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(started_) << startError_; }

    static std::string CapturePath() { return directory_->File("capture.txt"); }
    static std::uint32_t Local() { return Ip("127.0.0.1"); }

private:
    static inline test_support::TempFolder* directory_ = nullptr;
    static inline harness::ModsimProcess* simulator_ = nullptr;
    static inline bool started_ = false;
    static inline std::string startError_;
};

}  // namespace nettest
