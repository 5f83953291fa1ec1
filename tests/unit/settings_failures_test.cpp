// Settings files that cannot be read or written: reads give defaults, writes report false, and
// nothing at the path is damaged or left behind.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "app/settings_file.h"
#include "settings_test_support.h"

namespace {

using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SettingsFailures, FolderAtThePathReadsDefaultsAndIsNotReplaced) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    SettingsFile settings(path);
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), -1);
    EXPECT_FALSE(settings.WriteInt("Layout", "Left", 5));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"panel.ini"});
}

TEST(SettingsFailures, FifoAtThePathNeverBlocksAndIsNotReplaced) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    SettingsFile settings(path);
    EXPECT_EQ(settings.ReadText("List", "MAC0"), "");
    EXPECT_FALSE(settings.WriteText("List", "MAC0", "x"));
    EXPECT_TRUE(std::filesystem::is_fifo(path));
}

TEST(SettingsFailures, MissingFolderLosesTheWriteSilently) {
    TempFolder folder;
    SettingsFile settings(folder.File("gone/panel.ini"));
    EXPECT_FALSE(settings.WriteInt("Layout", "Left", 5));
    settings.BeginBatch();
    EXPECT_TRUE(settings.WriteInt("Layout", "Left", 5));  // only queued
    EXPECT_FALSE(settings.CommitBatch());
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), -1);  // the lost write is not remembered
}

// Runs check as a plain user: root may read and write any file, so under root (as in CI) it
// runs in a child process that has given up root for "nobody". check returns what went wrong,
// or the empty text.
std::string AsPlainUser(const std::string& folder, const std::function<std::string()>& check) {
    if (!test_support::RunningAsRoot()) return check();
    constexpr uid_t kNobody = 65534;
    if (chown(folder.c_str(), kNobody, kNobody) != 0) return "cannot hand the folder over";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (chown(entry.path().c_str(), kNobody, kNobody) != 0) return "cannot hand a file over";
    int result[2];
    if (pipe(result) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(result[0]);
        std::string error = "cannot become nobody";
        if (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0) error = check();
        (void)!write(result[1], error.data(), error.size());
        _exit(0);
    }
    close(result[1]);
    std::string error;
    char buffer[256];
    for (ssize_t got; (got = read(result[0], buffer, sizeof buffer)) > 0;)
        error.append(buffer, static_cast<std::size_t>(got));
    close(result[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? error : "the check crashed";
}

TEST(SettingsFailures, ReadOnlyFileIsLeftAsItIs) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[Layout]\nLeft=1\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(AsPlainUser(folder.Path(), [&]() -> std::string {
        SettingsFile settings(path);
        if (settings.WriteInt("Layout", "Left", 2)) return "the write reported success";
        if (ReadBytes(path) != "[Layout]\nLeft=1\n") return "the file changed";
        if (settings.ReadInt("Layout", "Left", -1) != 1) return "the old value does not read";
        return {};
    }), "");
}

// Root may write any file, but a file without a single write permission was made read-only
// on purpose, and the panel must not replace it either way.
TEST(SettingsFailures, ReadOnlyFileIsLeftAsItIsWhoeverRunsThePanel) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[Layout]\nLeft=1\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    SettingsFile settings(path);
    EXPECT_FALSE(settings.WriteInt("Layout", "Left", 2));
    EXPECT_EQ(ReadBytes(path), "[Layout]\nLeft=1\n");
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), 1);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"panel.ini"});
}

TEST(SettingsFailures, UnreadableFileIsNeverOverwritten) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[Layout]\nLeft=1\n[List]\nTotal=4\n");
    ASSERT_EQ(chmod(path.c_str(), 0200), 0);
    EXPECT_EQ(AsPlainUser(folder.Path(), [&]() -> std::string {
        SettingsFile settings(path);
        if (settings.ReadInt("List", "Total", 0) != 0) return "an unreadable file gave a value";
        if (settings.WriteInt("Layout", "Left", 2)) return "the write reported success";
        return {};
    }), "");
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(ReadBytes(path), "[Layout]\nLeft=1\n[List]\nTotal=4\n");
}

TEST(SettingsFailures, ReplacementKeepsPermissionsAndSymbolicLinks) {
    TempFolder folder;
    const std::string real = folder.File("real.ini"), link = folder.File("panel.ini");
    WriteBytes(real, "[Layout]\nLeft=1\n");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink("real.ini", link.c_str()), 0);

    SettingsFile settings(link);
    ASSERT_TRUE(settings.WriteInt("Layout", "Left", 2));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[Layout]\nLeft=2\n");
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    // Nothing is left beside the file.
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"panel.ini", "real.ini"}));
}

}  // namespace
