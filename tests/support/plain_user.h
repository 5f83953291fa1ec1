#pragma once
// Runs a check as a plain user. Root may read and write any file and create files in any folder,
// so under root (as in CI) the check runs in a child process that has given up root for
// "nobody"; a plain user runs it directly.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace test_support {

enum class FolderAccess {
    kOwned,   // the user owns the folder and the files in it
    kLocked,  // the user owns the files but may not create or remove any in the folder
};

// check returns what went wrong, or the empty text.
inline std::string AsPlainUser(const std::string& folder, FolderAccess access,
                               const std::function<std::string()>& check) {
    const bool root = geteuid() == 0;
    if (!root && access == FolderAccess::kOwned) return check();
    if (!root) {
        if (chmod(folder.c_str(), 0555) != 0) return "cannot lock the folder";
        std::string error = check();
        chmod(folder.c_str(), 0700);
        return error;
    }
    constexpr uid_t kNobody = 65534;
    if (access == FolderAccess::kOwned && chown(folder.c_str(), kNobody, kNobody) != 0)
        return "cannot hand the folder over";
    if (access == FolderAccess::kLocked && chmod(folder.c_str(), 0755) != 0)
        return "cannot open the folder";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (chown(entry.path().c_str(), kNobody, kNobody) != 0) return "cannot hand a file over";
    int result[2];
    if (pipe(result) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(result[0]);
        std::string error = "cannot become nobody";
        if (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0)
            error = check();
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

}  // namespace test_support
