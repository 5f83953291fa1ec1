// Settings files that cannot be read or written: reads give defaults, writes report false, and
// nothing at the path is damaged or left behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "app/settings_file.h"
#include "settings_test_support.h"
#include "tests/support/plain_user.h"

namespace {

using test_support::AsPlainUser;
using test_support::FolderAccess;
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
    app::SettingsFile settings(path);
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), -1);
    EXPECT_FALSE(settings.WriteInt("Layout", "Left", 5));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"panel.ini"});
}

TEST(SettingsFailures, FifoAtThePathNeverBlocksAndIsNotReplaced) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    app::SettingsFile settings(path);
    EXPECT_EQ(settings.ReadText("List", "MAC0"), "");
    EXPECT_FALSE(settings.WriteText("List", "MAC0", "x"));
    EXPECT_TRUE(std::filesystem::is_fifo(path));
}

TEST(SettingsFailures, MissingFolderLosesTheWriteSilently) {
    TempFolder folder;
    app::SettingsFile settings(folder.File("gone/panel.ini"));
    EXPECT_FALSE(settings.WriteInt("Layout", "Left", 5));
    settings.BeginBatch();
    EXPECT_TRUE(settings.WriteInt("Layout", "Left", 5));  // only queued
    EXPECT_FALSE(settings.CommitBatch());
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), -1);  // the lost write is not remembered
}

TEST(SettingsFailures, ReadOnlyFileIsLeftAsItIs) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[Layout]\nLeft=1\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(AsPlainUser(folder.Path(), FolderAccess::kOwned,
                          [&]() -> std::string {
                              app::SettingsFile settings(path);
                              if (settings.WriteInt("Layout", "Left", 2))
                                  return "the write reported success";
                              if (ReadBytes(path) != "[Layout]\nLeft=1\n")
                                  return "the file changed";
                              if (settings.ReadInt("Layout", "Left", -1) != 1)
                                  return "the old value does not read";
                              return {};
                          }),
              "");
}

// Root may write any file, but a file without a single write permission was made read-only
// on purpose, and the panel must not replace it either way.
TEST(SettingsFailures, ReadOnlyFileIsLeftAsItIsWhoeverRunsThePanel) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[Layout]\nLeft=1\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    app::SettingsFile settings(path);
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
    EXPECT_EQ(AsPlainUser(folder.Path(), FolderAccess::kOwned,
                          [&]() -> std::string {
                              app::SettingsFile settings(path);
                              if (settings.ReadInt("List", "Total", 0) != 0)
                                  return "an unreadable file gave a value";
                              if (settings.WriteInt("Layout", "Left", 2))
                                  return "the write reported success";
                              return {};
                          }),
              "");
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(ReadBytes(path), "[Layout]\nLeft=1\n[List]\nTotal=4\n");
}

TEST(SettingsFailures, ReplacementKeepsPermissionsAndSymbolicLinks) {
    TempFolder folder;
    const std::string real = folder.File("real.ini"), link = folder.File("panel.ini");
    WriteBytes(real, "[Layout]\nLeft=1\n");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink("real.ini", link.c_str()), 0);

    app::SettingsFile settings(link);
    ASSERT_TRUE(settings.WriteInt("Layout", "Left", 2));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[Layout]\nLeft=2\n");
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    // Nothing is left beside the file.
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"panel.ini", "real.ini"}));
}

// A folder the user may not write refuses the temporary file of an atomic replacement; a file
// there that the user may write is rewritten in place instead of never being updated.
TEST(SettingsFailures, WritableFileInALockedFolderIsRewrittenInPlace) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "; kept\n[Layout]\nLeft=1\n[List]\nTotal=12\nIP0=5\n");
    EXPECT_EQ(
        AsPlainUser(
            folder.Path(), FolderAccess::kLocked,
            [&]() -> std::string {
                app::SettingsFile settings(path);
                if (!settings.WriteInt("List", "Total", 1)) return "the shorter write failed";
                if (ReadBytes(path) != "; kept\n[Layout]\nLeft=1\n[List]\nTotal=1\nIP0=5\n")
                    return "shorter: " + ReadBytes(path);
                if (!settings.WriteText("Config", "LocalIP", "16777226"))
                    return "the longer write failed";
                if (ReadBytes(path) !=
                    "; "
                    "kept\n[Layout]\nLeft=1\n[List]\nTotal=1\nIP0=5\n[Config]\nLocalIP=16777226\n")
                    return "longer: " + ReadBytes(path);
                if (app::SettingsFile(path).ReadInt("Config", "LocalIP", 0) != 16777226)
                    return "a new reader misses the value";
                // A new file cannot be made there at all.
                if (app::SettingsFile(folder.File("other.ini")).WriteInt("Layout", "Left", 1))
                    return "a new file was reported";
                return {};
            }),
        "");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"panel.ini"});
}

// In place, a longer text first reserves its room: when it does not fit (here a file size limit
// stands in for a full disk), the old file is left whole.
TEST(SettingsFailures, InPlaceRewriteThatDoesNotFitLeavesTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    const std::string original = "[Layout]\nLeft=1\n" + std::string(4000, ';') + "\n";
    WriteBytes(path, original);
    EXPECT_EQ(AsPlainUser(
                  folder.Path(), FolderAccess::kLocked,
                  [&]() -> std::string {
                      // Only this check's process (a child under root) gets the limit; a failing
                      // write then reports EFBIG instead of raising SIGXFSZ.
                      std::signal(SIGXFSZ, SIG_IGN);
                      rlimit limit{};
                      getrlimit(RLIMIT_FSIZE, &limit);
                      const rlimit small{static_cast<rlim_t>(original.size() + 8), limit.rlim_max};
                      if (setrlimit(RLIMIT_FSIZE, &small) != 0) return "cannot limit the file size";
                      app::SettingsFile settings(path);
                      const bool written =
                          settings.WriteText("List", "MAC0", std::string(200, 'x'));
                      setrlimit(RLIMIT_FSIZE, &limit);
                      std::signal(SIGXFSZ, SIG_DFL);
                      if (written) return "a write that did not fit reported success";
                      if (ReadBytes(path) != original) return "the old file was damaged";
                      if (settings.ReadInt("Layout", "Left", 0) != 1)
                          return "the old value does not read";
                      return {};
                  }),
              "");
}

// A process id that surely belongs to no process now: a child that has ended and been reaped.
pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

void MakeFile(const std::string& path, std::int64_t ageSeconds) {
    WriteBytes(path, "partial");
    const timespec times[2] = {{time(nullptr) - ageSeconds, 0}, {time(nullptr) - ageSeconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Only temporary files of this target, whose writer is gone and that are old, are removed.
TEST(SettingsFailures, StaleTemporariesOfEndedWritersAreRemovedByTheNextWrite) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    const std::string ended = std::to_string(EndedProcess());
    constexpr std::int64_t kTwoHours = 7200;
    MakeFile(path + ".tmp." + ended + ".3", kTwoHours);                 // stale
    MakeFile(path + ".tmp.1.0", kTwoHours);                             // process 1 is alive
    MakeFile(path + ".tmp." + ended + ".4", 60);                        // too young to judge
    MakeFile(path + ".tmp." + ended + ".x", kTwoHours);                 // not our pattern
    MakeFile(folder.File("other.ini.tmp." + ended + ".0"), kTwoHours);  // another file's
    app::SettingsFile settings(path);
    ASSERT_TRUE(settings.WriteInt("Layout", "Left", 1));
    std::vector<std::string> expected{"other.ini.tmp." + ended + ".0", "panel.ini",
                                      "panel.ini.tmp.1.0", "panel.ini.tmp." + ended + ".4",
                                      "panel.ini.tmp." + ended + ".x"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(folder.Path()), expected);
}

}  // namespace
