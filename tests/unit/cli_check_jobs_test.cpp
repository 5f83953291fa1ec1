// check's --jobs and --all: how many exchanges may run, and the arguments refused before any
// socket is opened (so nothing here ever sends).
#include <gtest/gtest.h>

#include <fstream>

#include "cli/commands.h"
#include "cli/network_args.h"
#include "netconfig/parallel_check.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(CheckJobs, AcceptsDecimal1To256Only) {
    std::size_t jobs = 0;
    EXPECT_TRUE(cli::ParseCheckJobs("1", jobs));
    EXPECT_EQ(jobs, 1u);
    EXPECT_TRUE(cli::ParseCheckJobs("256", jobs));
    EXPECT_EQ(jobs, 256u);
    EXPECT_TRUE(cli::ParseCheckJobs("064", jobs));
    EXPECT_EQ(jobs, 64u);
    for (const char* bad : {"0", "257", "", "-1", "+5", "1e2", "12x", "99999", "4294967297"}) {
        jobs = 7;
        EXPECT_FALSE(cli::ParseCheckJobs(bad, jobs)) << bad;
        EXPECT_EQ(jobs, 7u) << bad;
    }
}

// Two descriptors per exchange, after those kept for the rest of the process; never below one.
TEST(CheckJobs, DescriptorLimitLowersJobsToWhatFits) {
    EXPECT_EQ(netconfig::JobsThatFit(64, 1024), 64u);
    EXPECT_EQ(netconfig::JobsThatFit(256, 1024), 256u);
    EXPECT_EQ(netconfig::JobsThatFit(64, netconfig::kReservedDescriptors + 2 * 64), 64u);
    EXPECT_EQ(netconfig::JobsThatFit(64, netconfig::kReservedDescriptors + 2 * 64 - 1), 63u);
    EXPECT_EQ(netconfig::JobsThatFit(256, 256), (256 - netconfig::kReservedDescriptors) / 2);
    EXPECT_EQ(netconfig::JobsThatFit(64, netconfig::kReservedDescriptors), 1u);
    EXPECT_EQ(netconfig::JobsThatFit(64, 0), 1u);
}

TEST(CheckCommand, BadJobsAndAllArgumentsExitWithTwo) {
    test_support::TempFolder folder("vantrel-check");
    testing::internal::CaptureStderr();
    for (const char* jobs : {"0", "257", "many"})
        EXPECT_EQ(
            cli::Report(cli::CheckCommand({"--from", "127.0.0.1", "--jobs", jobs, "127.0.0.2"})),
            cli::kExitBadArguments)
            << jobs;
    EXPECT_EQ(cli::Report(cli::CheckCommand({"--from", "127.0.0.1", "127.0.0.2", "--jobs"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::CheckCommand({"--from", "127.0.0.1", "--all", "127.0.0.2"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::CheckCommand({"--all", "--settings", folder.File("missing.ini")})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::CheckCommand({"--all", "--settings", folder.Path()})),
              cli::kExitBadArguments);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("vantrel-cli: check: --jobs needs a number 1-256\n"), std::string::npos)
        << messages;
    EXPECT_NE(messages.find("vantrel-cli: check: --all takes no DEVICE ('127.0.0.2')\n"),
              std::string::npos)
        << messages;
}

// An empty stored list is not a successful check of nothing: it says where it looked.
TEST(CheckCommand, AllWithNoStoredDevicesFailsNamingTheFile) {
    test_support::TempFolder folder("vantrel-check");
    const std::string path = folder.File("panel.ini");
    std::ofstream(path) << "[Config]\n";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::Report(cli::CheckCommand({"--all", "--settings", path, "--from", "127.0.0.1"})),
              cli::kExitFailed);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vantrel-cli: check: no devices are stored in " + path + "\n");
}

}  // namespace
