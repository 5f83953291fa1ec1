#pragma once
// Files for the settings tests: a private folder removed afterwards, whole-file reads and writes,
// and the fixture files of tests/fixtures/settings.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/paths.h"
#include "tests/support/temp_folder.h"

namespace test_support {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string Fixture(const std::string& name) {
    return ReadBytes(std::string(VANTREL_FIXTURES_DIR) + "/settings/" + name);
}

inline bool RunningAsRoot() { return platform::RunsAsAdministrator(); }

// A test with a folder of its own, where PathWith puts a settings file holding the bytes given.
class SettingsFileTest : public ::testing::Test {
protected:
    std::string PathWith(const std::string& bytes) {
        const std::string path = folder_.File("panel.ini");
        WriteBytes(path, bytes);
        return path;
    }
    TempFolder folder_;
};

}  // namespace test_support
