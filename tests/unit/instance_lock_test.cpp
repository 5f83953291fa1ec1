// The single-instance guard across real processes: a second holder is refused while the first
// lives, and the guard comes free when the first exits or is killed. Its lock file lives only in
// a folder nobody else can write, and tells other programs which settings file the holder uses.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/control_panel_app.h"
#include "settings_test_support.h"
#include "tests/support/scoped_env.h"

namespace {

using test_support::ScopedEnv;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class InstanceGuard : public ::testing::Test {
protected:
    // A child process that takes the guard, reports whether it got it, and then holds it until
    // it is told to go (or killed). Returns the child's id; held tells the child's result.
    pid_t StartHolder(bool& held) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) return -1;
        const pid_t child = fork();
        if (child == 0) {
            close(ready[0]);
            close(release[1]);
            app::CControlPanelApp app;
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
    // A holder started in another process, and `second` refused while it runs.
    void StartHolderThatRefuses(app::CControlPanelApp& second, pid_t& holder) {
        bool held = false;
        holder = StartHolder(held);
        ASSERT_GT(holder, 0);
        ASSERT_TRUE(held);
        EXPECT_FALSE(second.AcquireInstanceGuard());
    }
    void LetHolderExit(pid_t child) {
        close(releaseFd_);
        waitpid(child, nullptr, 0);
    }

    test_support::TempFolder folder_;
    // A private lock folder, so a panel running on this machine does not take part.
    const ScopedEnv runtime_{"XDG_RUNTIME_DIR", folder_.Path()};
    int releaseFd_ = -1;
};

TEST_F(InstanceGuard, SecondCopyIsRefusedWhileTheFirstRuns) {
    app::CControlPanelApp second;
    pid_t first = -1;
    ASSERT_NO_FATAL_FAILURE(StartHolderThatRefuses(second, first));

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
    app::CControlPanelApp second;
    pid_t first = -1;
    ASSERT_NO_FATAL_FAILURE(StartHolderThatRefuses(second, first));

    kill(first, SIGKILL);
    LetHolderExit(first);
    EXPECT_TRUE(second.AcquireInstanceGuard());
    second.ReleaseInstanceGuard();
}

// Another local user must not be able to keep the panel from starting by making its lock file
// first, so the lock never lives in a shared folder such as /tmp.
TEST(InstanceLockFolder, WithoutARuntimeFolderTheLockIsInAPrivateFolderOfTheHome) {
    test_support::TempFolder home;
    const ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    const ScopedEnv homeVariable("HOME", home.Path().c_str());
    const std::string folder = home.File(".cache/vantrel");
    EXPECT_EQ(platform::InstanceLock::LockFilePath("QVM_ControlPanel"),
              folder + "/QVM_ControlPanel.lock");
    EXPECT_EQ(ModeOf(folder), 0700u);

    app::CControlPanelApp app;
    EXPECT_TRUE(app.AcquireInstanceGuard());
    EXPECT_TRUE(std::filesystem::exists(folder + "/QVM_ControlPanel.lock"));
    EXPECT_EQ(ModeOf(folder + "/QVM_ControlPanel.lock"), 0600u);
}

TEST(InstanceLockFolder, ARuntimeFolderOthersMayWriteIsNotUsed) {
    test_support::TempFolder home, shared;
    const ScopedEnv runtime("XDG_RUNTIME_DIR", shared.Path().c_str());
    const ScopedEnv homeVariable("HOME", home.Path().c_str());
    for (const mode_t mode : {01777, 0770, 0702}) {
        ASSERT_EQ(chmod(shared.Path().c_str(), mode), 0);
        EXPECT_EQ(platform::InstanceLock::LockFolder(), home.File(".cache/vantrel"))
            << std::oct << mode;
    }
    ASSERT_EQ(chmod(shared.Path().c_str(), 0700), 0);
    EXPECT_EQ(platform::InstanceLock::LockFolder(), shared.Path());

    // A link is not the folder itself: whoever owns the link's folder could point it elsewhere.
    const std::string link = home.File("runtime-link");
    std::filesystem::create_directory_symlink(shared.Path(), link);
    const ScopedEnv linked("XDG_RUNTIME_DIR", link.c_str());
    EXPECT_EQ(platform::InstanceLock::LockFolder(), home.File(".cache/vantrel"));
}

TEST(InstanceLockFolder, AFallbackFolderThatIsNotPrivateIsRefused) {
    test_support::TempFolder home;
    const ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    const ScopedEnv homeVariable("HOME", home.Path().c_str());
    const std::string folder = home.File(".cache/vantrel");
    std::filesystem::create_directories(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    EXPECT_EQ(platform::InstanceLock::LockFolder(), "");
    platform::InstanceLock lock;
    EXPECT_FALSE(lock.Acquire("QVM_ControlPanel"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/QVM_ControlPanel.lock"));

    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
    if (geteuid() == 0) {  // only root can hand a folder to another user
        ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
        EXPECT_EQ(platform::InstanceLock::LockFolder(), "");
        EXPECT_FALSE(lock.Acquire("QVM_ControlPanel"));
        ASSERT_EQ(chown(folder.c_str(), 0, 0), 0);
    }
    EXPECT_TRUE(lock.Acquire("QVM_ControlPanel"));
    // A name is a file name, never a way out of the folder.
    platform::InstanceLock other;
    EXPECT_FALSE(other.Acquire("../QVM_ControlPanel"));
}

TEST_F(InstanceGuard, HolderShowsItsNoteOnlyWhileItHoldsTheGuard) {
    std::optional<std::string> note = "stale";
    EXPECT_FALSE(platform::InstanceLock::ReadHolder("QVM_ControlPanel", note));
    EXPECT_FALSE(note);

    platform::InstanceLock lock;
    ASSERT_TRUE(lock.Acquire("QVM_ControlPanel"));
    // Held, but nothing published yet: the reader learns that it knows nothing.
    EXPECT_TRUE(platform::InstanceLock::ReadHolder("QVM_ControlPanel", note));
    EXPECT_FALSE(note);
    ASSERT_TRUE(lock.Publish("/a/path with\nnewline.ini"));
    EXPECT_TRUE(platform::InstanceLock::ReadHolder("QVM_ControlPanel", note));
    EXPECT_EQ(note, "/a/path with\nnewline.ini");
    ASSERT_TRUE(lock.Publish("/b/panel.ini"));  // replaces, never appends
    EXPECT_TRUE(platform::InstanceLock::ReadHolder("QVM_ControlPanel", note));
    EXPECT_EQ(note, "/b/panel.ini");

    lock.Release();
    EXPECT_FALSE(lock.Publish("/c/panel.ini"));
    EXPECT_FALSE(platform::InstanceLock::ReadHolder("QVM_ControlPanel", note));
    EXPECT_FALSE(note);
    // A new holder does not inherit the last one's note.
    ASSERT_TRUE(lock.Acquire("QVM_ControlPanel"));
    EXPECT_TRUE(platform::InstanceLock::ReadHolder("QVM_ControlPanel", note));
    EXPECT_FALSE(note);
}

// The command line asks this before it edits the device list, which a running copy would
// overwrite from memory at its next save.
TEST_F(InstanceGuard, RunningCopyHoldsItsSettingsFileUnderAnyNameOfIt) {
    test_support::TempFolder files;
    const std::string path = files.File("panel.ini");
    test_support::WriteBytes(path, "[List]\nTotal=0\n");
    const auto holds = app::CControlPanelApp::PanelHoldsSettingsFile;
    EXPECT_FALSE(holds(path));  // no copy runs

    app::CControlPanelApp app;
    ASSERT_TRUE(app.AcquireInstanceGuard());
    // Until the copy has named its file, any file may be the one.
    EXPECT_TRUE(holds(files.File("other.ini")));
    app.SetSettingsPath(path);
    EXPECT_TRUE(holds(path));
    EXPECT_FALSE(holds(files.File("other.ini")));
    EXPECT_TRUE(holds(files.File("missing/../panel.ini")));
    std::filesystem::create_symlink(path, files.File("link.ini"));
    EXPECT_TRUE(holds(files.File("link.ini")));
    std::filesystem::create_hard_link(path, files.File("hard.ini"));
    EXPECT_TRUE(holds(files.File("hard.ini")));

    // Relative names, on either side, mean the file in the folder they were given in.
    const auto started = std::filesystem::current_path();
    std::filesystem::current_path(files.Path());
    EXPECT_TRUE(holds("panel.ini"));
    app.SetSettingsPath("new.ini");  // a file that does not exist yet
    std::filesystem::current_path(started);
    EXPECT_TRUE(holds(files.File("new.ini")));
    EXPECT_FALSE(holds(path));

    app.ReleaseInstanceGuard();
    EXPECT_FALSE(holds(files.File("new.ini")));
}

}  // namespace
