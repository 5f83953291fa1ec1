#pragma once
// Small helpers the network tests share.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/harness/child_process.h"
#include "tests/net/capture_reader.h"

namespace nettest {

// A dotted address the test writes as text; an invalid one fails the test.
std::uint32_t Ip(std::string_view text);
std::string Hex(std::span<const std::uint8_t> bytes);
// The magic followed by `zeros` zero bytes, in capture form.
std::string MagicThenZerosHex(std::string_view magic, std::size_t zeros);

// The capture holds exactly one request from `fromHost` to `toHost` on port 9100, then one on
// 9101, both carrying `hex`.
void ExpectSentOnBothPorts(const std::vector<CapturedDatagram>& wire, const std::string& fromHost,
                           const std::string& toHost, const std::string& hex);

// A fresh folder under /tmp, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);

// vantrel-cli with these arguments, bounded in time.
harness::ProgramResult RunCli(std::vector<std::string> args);

}  // namespace nettest
