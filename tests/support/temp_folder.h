#pragma once
// A private folder for one test or benchmark, removed with everything in it afterwards. Every
// test that writes files makes its folder here, so none ever writes beside "/" or into another
// test's folder.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace test_support {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "vantrel-test") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        // Without its folder a test would write beside "/"; better to stop at once.
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
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
