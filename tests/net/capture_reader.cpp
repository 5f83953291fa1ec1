#include "tests/net/capture_reader.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace nettest {

std::vector<CapturedDatagram> ReadCapture(const std::string& path) {
    std::vector<CapturedDatagram> datagrams;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        CapturedDatagram datagram;
        // An empty datagram leaves the last field empty.
        if (fields >> datagram.ms >> datagram.from >> datagram.to) {
            fields >> datagram.hex;
            datagrams.push_back(datagram);
        }
    }
    return datagrams;
}

std::vector<CapturedDatagram> WaitForCaptured(const std::string& path, const std::string& toAddress,
                                              std::size_t count, unsigned timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string prefix = toAddress + ":";
    for (;;) {
        std::vector<CapturedDatagram> matching;
        for (const CapturedDatagram& datagram : ReadCapture(path))
            if (datagram.to.compare(0, prefix.size(), prefix) == 0) matching.push_back(datagram);
        if (matching.size() >= count || std::chrono::steady_clock::now() >= deadline)
            return matching;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace nettest
