// The local adapter list as the system reports it, in a network namespace of the test's own with
// one interface up and one down. Nothing is sent: the namespace has no way out.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "netconfig/address_text.h"
#include "netconfig/local_adapters.h"

namespace {

constexpr int kCannotSetUp = 77;

// In a forked child, so the test process keeps its own namespace: a veth pair whose end a0 is up
// (without carrier, as its peer is down) and whose end b0 is down, each with an address.
// Writes the adapters it finds to `out`, comma-separated.
[[noreturn]] void ListAdaptersInFreshNamespace(int out) {
    if (unshare(CLONE_NEWNET) != 0) _exit(kCannotSetUp);
    const int made = std::system(
        "ip link add a0 type veth peer name b0 && ip addr add 198.18.0.9/24 dev a0 && "
        "ip addr add 198.18.0.10/24 dev b0 && ip link set a0 up");
    if (made != 0) _exit(kCannotSetUp);
    std::vector<std::uint32_t> adapters;
    netconfig::GetLocalAdapters(adapters);
    std::string text;
    for (const std::uint32_t address : adapters) text += netconfig::FormatIpAddress(address) + ",";
    const bool written = write(out, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    _exit(written ? 0 : 1);
}

TEST(LocalAdaptersOfThisComputer, AnInterfaceThatIsDownIsNotOffered) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make a network namespace";
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeEnds[0]);
        ListAdaptersInFreshNamespace(pipeEnds[1]);
    }
    close(pipeEnds[1]);
    std::string listed;
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) listed.append(buffer, n);
    close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kCannotSetUp) GTEST_SKIP() << "cannot make a veth pair here";
    ASSERT_EQ(WEXITSTATUS(status), 0);
    // Up without carrier still counts as up; loopback is skipped, as everywhere.
    EXPECT_EQ(listed, "198.18.0.9,");
}

}  // namespace
