#pragma once
// A private folder for one test or benchmark, removed with everything in it afterwards. Every
// test that writes files makes its folder here, so none ever writes beside "/" or into another
// test's folder.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace test_support {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "vantrel-test") {
        // As mkdtemp does, which Windows lacks: a random name, made only if nobody has it yet.
        std::random_device seed;
        std::mt19937_64 pick(seed());
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate =
                base / (prefix + "-" + std::to_string(pick() % 1000000000));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::replace, error);
                path_ = candidate.generic_string();
            }
        }
        // Without its folder a test would write beside "/"; better to stop at once.
        if (path_.empty()) std::abort();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace test_support
