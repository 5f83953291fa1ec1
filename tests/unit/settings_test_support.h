#pragma once
// Files for the settings tests: a private folder removed afterwards, whole-file reads and writes,
// and the fixture files of tests/fixtures/settings.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

inline bool RunningAsRoot() { return geteuid() == 0; }

}  // namespace test_support
