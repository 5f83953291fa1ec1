// Settings files that cannot be read or written: reads give defaults, writes report false, and
// nothing at the path is damaged or left behind.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

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

TEST(SettingsFailures, ReadOnlyFileIsLeftAsItIs) {
    if (test_support::RunningAsRoot()) GTEST_SKIP() << "root may write any file";
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[Layout]\nLeft=1\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    SettingsFile settings(path);
    EXPECT_FALSE(settings.WriteInt("Layout", "Left", 2));
    EXPECT_EQ(ReadBytes(path), "[Layout]\nLeft=1\n");
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), 1);
}

TEST(SettingsFailures, UnreadableFileIsNeverOverwritten) {
    if (test_support::RunningAsRoot()) GTEST_SKIP() << "root may read any file";
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[Layout]\nLeft=1\n[List]\nTotal=4\n");
    ASSERT_EQ(chmod(path.c_str(), 0200), 0);
    SettingsFile settings(path);
    EXPECT_EQ(settings.ReadInt("List", "Total", 0), 0);
    EXPECT_FALSE(settings.WriteInt("Layout", "Left", 2));
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
