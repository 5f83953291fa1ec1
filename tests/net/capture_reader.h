#pragma once
// Reading vantrel-modsim's capture file back: what reached the simulated modules, byte for byte.
#include <cstdint>
#include <string>
#include <vector>

namespace nettest {

struct CapturedDatagram {
    std::uint32_t ms = 0;
    std::string from;  // "a.b.c.d:port"
    std::string to;
    std::string hex;  // upper case, no spaces
};

std::vector<CapturedDatagram> ReadCapture(const std::string& path);

// The datagrams sent to `toAddress` ("a.b.c.d", any port), in order, once at least `count` of
// them are there or after timeoutMs: the simulator may log the second port's copy just after
// the exchange that the first one answered has returned.
std::vector<CapturedDatagram> WaitForCaptured(const std::string& path, const std::string& toAddress,
                                              std::size_t count, unsigned timeoutMs = 2000);

}  // namespace nettest
