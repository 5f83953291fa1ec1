// The single-instance guard across real processes: a second holder is refused while the first
// lives, and the guard comes free when the first exits or is killed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "app/control_panel_app.h"
#include "settings_test_support.h"

namespace {

class InstanceGuard : public ::testing::Test {
protected:
    void SetUp() override {
        // A private lock folder, so a panel running on this machine does not take part.
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        saved_ = saved != nullptr ? std::optional<std::string>(saved) : std::nullopt;
        setenv("XDG_RUNTIME_DIR", folder_.Path().c_str(), 1);
    }
    void TearDown() override {
        if (saved_) setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
        else unsetenv("XDG_RUNTIME_DIR");
    }

    // A child process that takes the guard, reports whether it got it, and then holds it until
    // it is told to go (or killed). Returns the child's id; held tells the child's result.
    pid_t StartHolder(bool& held) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) return -1;
        const pid_t child = fork();
        if (child == 0) {
            close(ready[0]);
            close(release[1]);
            CControlPanelApp app;
            const char got = app.AcquireInstanceGuard() ? 'y' : 'n';
            if (write(ready[1], &got, 1) != 1) _exit(1);
            char ignored;
            (void)!read(release[0], &ignored, 1);  // returns when the parent closes its end
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        char got = 'n';
        held = read(ready[0], &got, 1) == 1 && got == 'y';
        close(ready[0]);
        releaseFd_ = release[1];
        return child;
    }
    void LetHolderExit(pid_t child) {
        close(releaseFd_);
        waitpid(child, nullptr, 0);
    }

    test_support::TempFolder folder_;
    std::optional<std::string> saved_;
    int releaseFd_ = -1;
};

TEST_F(InstanceGuard, SecondCopyIsRefusedWhileTheFirstRuns) {
    bool held = false;
    const pid_t first = StartHolder(held);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(held);

    CControlPanelApp second;
    EXPECT_FALSE(second.AcquireInstanceGuard());

    LetHolderExit(first);
    EXPECT_TRUE(second.AcquireInstanceGuard());
    // Now this process holds it, and another one is refused.
    bool otherHeld = true;
    const pid_t other = StartHolder(otherHeld);
    EXPECT_FALSE(otherHeld);
    LetHolderExit(other);
    second.ReleaseInstanceGuard();
}

TEST_F(InstanceGuard, GuardComesFreeWhenTheHolderIsKilled) {
    bool held = false;
    const pid_t first = StartHolder(held);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(held);
    CControlPanelApp second;
    EXPECT_FALSE(second.AcquireInstanceGuard());

    kill(first, SIGKILL);
    LetHolderExit(first);
    EXPECT_TRUE(second.AcquireInstanceGuard());
    second.ReleaseInstanceGuard();
}

}  // namespace
