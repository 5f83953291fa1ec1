#pragma once
// Small helpers the network tests share.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tick.h"
#include "sim/harness/child_process.h"
#include "tests/net/capture_reader.h"
#include "tests/support/temp_folder.h"

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

// The command-line tests' name for the shared test folder.
using TempDir = test_support::TempFolder;

std::string ReadWholeFile(const std::string& path);

// Runs `exchange` under a stepped test clock and returns how far the clock moved: the time the
// exchange spent waiting, counted in whole time-outs, so its deadlines can be pinned exactly.
// The clock starts just before its 32-bit wrap, which the deadlines must survive. With
// blockInWaits false no wait blocks, for peers that never answer.
template <typename Exchange>
std::uint32_t SteppedMilliseconds(Exchange&& exchange, bool blockInWaits = true) {
    constexpr std::uint32_t kJustBeforeTheWrap = 0xFFFFFF00u;
    platform::SteppedClock clock{kJustBeforeTheWrap, blockInWaits};
    const platform::SteppedClockScope installed(clock);
    exchange();
    return clock.now - kJustBeforeTheWrap;
}

// vantrel-cli with these arguments, bounded in time.
harness::ProgramResult RunCli(std::vector<std::string> args);

}  // namespace nettest
