// The settings file shared with other processes and with a failing file system: changes made
// elsewhere are seen, unchanged files are not parsed again, and the file is never torn.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/settings_file.h"
#include "settings_test_support.h"

namespace {

using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

// Runs body in a child process and waits for it, as another program editing the file would.
void InOtherProcess(const std::function<void()>& body) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Overwrites the file where it is, keeping its inode, as an editor that does not rename would.
void OverwriteInPlace(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        _exit(1);
    close(fd);
}

TEST(SettingsSharing, ChangeByAnotherProcessIsSeenAtTheNextRead) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    app::SettingsFile settings(path);
    ASSERT_TRUE(settings.WriteInt("List", "Total", 1));
    ASSERT_EQ(settings.ReadInt("List", "Total", 0), 1);

    // Same size, same inode, within the same time stamp tick as our own write.
    InOtherProcess([&] { OverwriteInPlace(path, "[List]\nTotal=2\n"); });
    EXPECT_EQ(settings.ReadInt("List", "Total", 0), 2);

    InOtherProcess([&] {
        WriteBytes(path + ".new", "[List]\nTotal=3\nIP0=5\n");
        if (rename((path + ".new").c_str(), path.c_str()) != 0) _exit(1);
    });
    EXPECT_EQ(settings.ReadInt("List", "Total", 0), 3);
    EXPECT_EQ(settings.ReadInt("List", "IP0", 0), 5);

    InOtherProcess([&] { unlink(path.c_str()); });
    EXPECT_EQ(settings.ReadInt("List", "Total", -1), -1);
}

TEST(SettingsSharing, WriteAfterAnotherProcessChangedTheFileKeepsItsKeys) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[Layout]\nLeft=1\n[List]\nTotal=0\n");
    app::SettingsFile settings(path);
    ASSERT_EQ(settings.ReadInt("Layout", "Left", -1), 1);

    // Same size, in place, right after our read; then a rename by the other program.
    InOtherProcess([&] { OverwriteInPlace(path, "[Layout]\nLeft=2\n[List]\nTotal=0\n"); });
    ASSERT_TRUE(settings.WriteInt("Layout", "Top", 3));
    EXPECT_EQ(ReadBytes(path), "[Layout]\nLeft=2\nTop=3\n[List]\nTotal=0\n");

    InOtherProcess([&] {
        WriteBytes(path + ".new", "[Layout]\nLeft=2\nTop=3\n[Config]\nLocalIP=16777226\n");
        if (rename((path + ".new").c_str(), path.c_str()) != 0) _exit(1);
    });
    ASSERT_TRUE(settings.WriteText("List", "MAC0", "x"));
    EXPECT_EQ(ReadBytes(path),
              "[Layout]\nLeft=2\nTop=3\n[Config]\nLocalIP=16777226\n[List]\nMAC0=x\n");
}

TEST(SettingsSharing, SameSizeRewriteThatKeepsTheOldModificationTimeIsSeen) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[List]\nTotal=1\n");
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    app::SettingsFile settings(path);
    ASSERT_EQ(settings.ReadInt("List", "Total", 0), 1);

    // The other writer puts the old modification time back, as a rewrite inside one tick leaves it.
    InOtherProcess([&] {
        OverwriteInPlace(path, "[List]\nTotal=9\n");
        const timespec times[2] = {before.st_atim, before.st_mtim};
        if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) _exit(1);
    });
    EXPECT_EQ(settings.ReadInt("List", "Total", 0), 9);
}

TEST(SettingsSharing, UnchangedFileIsParsedOnce) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[List]\nTotal=1\n");
    // Old enough that its time stamp alone tells every later change.
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);

    app::SettingsFile settings(path);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(settings.ReadInt("List", "Total", 0), 1);
    EXPECT_EQ(settings.ParseCount(), 1u);

    // Our own write needs no parse; a touch that changes no byte needs none either.
    ASSERT_TRUE(settings.WriteInt("List", "Total", 2));
    ASSERT_EQ(settings.ReadInt("List", "Total", 0), 2);
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), nullptr, 0), 0);
    ASSERT_EQ(settings.ReadInt("List", "Total", 0), 2);
    EXPECT_EQ(settings.ParseCount(), 1u);
}

TEST(SettingsSharing, BatchLandsAsOneReplacementAndKeepsOtherWritersKeys) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[Layout]\nLeft=1\n[List]\nTotal=0\n");
    app::SettingsFile settings(path);

    settings.BeginBatch();
    ASSERT_TRUE(settings.WriteInt("List", "Total", 2));
    ASSERT_TRUE(settings.WriteInt("List", "IP0", 167880896));
    EXPECT_EQ(settings.ReadInt("List", "Total", 0), 2);  // the batch reads its own writes
    EXPECT_EQ(ReadBytes(path), "[Layout]\nLeft=1\n[List]\nTotal=0\n");  // nothing on disk yet

    // Another program changes a key the batch does not write.
    InOtherProcess([&] { OverwriteInPlace(path, "[Layout]\nLeft=5\n[List]\nTotal=0\n"); });
    settings.BeginBatch();  // nested: its commit writes nothing
    ASSERT_TRUE(settings.WriteInt("List", "IP1", -939415360));
    ASSERT_TRUE(settings.CommitBatch());
    EXPECT_EQ(ReadBytes(path), "[Layout]\nLeft=5\n[List]\nTotal=0\n");

    ASSERT_TRUE(settings.CommitBatch());
    EXPECT_EQ(ReadBytes(path),
              "[Layout]\nLeft=5\n[List]\nTotal=2\nIP0=167880896\nIP1=-939415360\n");
}

TEST(SettingsSharing, KilledWriterNeverLeavesATornFile) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    // The writer alternates between a list of 3000 devices and one of 200; keys beyond "Total"
    // stay, so the file can only ever hold one of these three texts.
    auto keys = [](int from, int to, int value) {
        std::string text;
        for (int n = from; n < to; ++n)
            text += "IP" + std::to_string(n) + "=" + std::to_string(value) + "\n";
        return text;
    };
    const std::string initial = "[List]\nTotal=200\n" + keys(0, 200, 1);
    const std::string large = "[List]\nTotal=3000\n" + keys(0, 3000, 2);
    const std::string small = "[List]\nTotal=200\n" + keys(0, 200, 1) + keys(200, 3000, 2);
    WriteBytes(path, initial);

    for (int round = 0; round < 40; ++round) {
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            // Bounded, so that a writer whose parent died before the kill still ends.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            app::SettingsFile settings(path);
            for (bool big = true; std::chrono::steady_clock::now() < deadline; big = !big) {
                const int count = big ? 3000 : 200;
                settings.BeginBatch();
                settings.WriteInt("List", "Total", count);
                for (int n = 0; n < count; ++n)
                    settings.WriteInt("List", "IP" + std::to_string(n), big ? 2 : 1);
                settings.CommitBatch();
            }
            _exit(0);
        }
        // Kill times spread over the whole cycle of building, writing and renaming.
        std::this_thread::sleep_for(std::chrono::milliseconds(3 + round * 7 % 45));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);

        const std::string bytes = ReadBytes(path);
        ASSERT_TRUE(bytes == initial || bytes == large || bytes == small)
            << "round " << round << ": a torn file of " << bytes.size() << " bytes";
    }
}

// A writer that the file size limit stops after `limit` bytes of its new file: killed there by
// SIGXFSZ, or, with the signal ignored, told that the disk is full.
int WriteStoppedAfter(const std::string& path, rlim_t limit, bool ignoreSignal) {
    const pid_t writer = fork();
    if (writer < 0) return -1;
    if (writer == 0) {
        if (ignoreSignal) signal(SIGXFSZ, SIG_IGN);
        const rlimit bound{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &bound) != 0) _exit(3);
        app::SettingsFile settings(path);
        settings.BeginBatch();
        for (int n = 0; n < 2000; ++n) settings.WriteInt("List", "IP" + std::to_string(n), n);
        _exit(settings.CommitBatch() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(writer, &status, 0) != writer) return -1;
    return status;
}

TEST(SettingsSharing, WriterKilledPartWayThroughTheNewFileLeavesTheOldOne) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    const std::string original = "[Layout]\nLeft=1\n[List]\nTotal=0\n";
    for (const rlim_t limit : {rlim_t{0}, rlim_t{7}, rlim_t{4096}, rlim_t{20000}}) {
        WriteBytes(path, original);
        const int status = WriteStoppedAfter(path, limit, false);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "limit " << limit;
        EXPECT_EQ(ReadBytes(path), original) << "limit " << limit;
    }
}

TEST(SettingsSharing, FullDiskLosesTheWriteSilentlyAndLeavesNothingBehind) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    const std::string original = "[Layout]\nLeft=1\n[List]\nTotal=0\n";
    WriteBytes(path, original);
    const int status = WriteStoppedAfter(path, 4096, true);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);  // the commit reported the failure
    EXPECT_EQ(ReadBytes(path), original);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        ++entries;
    EXPECT_EQ(entries, 1u);  // no temporary file left beside it
}

}  // namespace
