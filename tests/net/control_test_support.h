#pragma once
// What the control-module tests share: the simulator's capture split into TCP events, TCP
// bytes and datagrams per module, and the diagnostic log's messages.
#include <memory>
#include <string>
#include <vector>

#include "app/debug_log.h"
#include "tests/net/capture_reader.h"
#include "tests/net/loopback_fixture.h"

namespace nettest {

struct ControlWire {
    std::vector<std::string> events;     // "tcp-accepted", "tcp-closed" in order
    std::string tcpBytes;                // every byte received on TCP, in hex, in order
    std::vector<std::string> datagrams;  // hex of each datagram to port 9000
};

inline ControlWire ControlCapture(const std::string& capturePath, const std::string& module,
                                  std::size_t atLeastLines = 0) {
    ControlWire wire;
    for (const CapturedDatagram& line : WaitForCaptured(capturePath, module, atLeastLines)) {
        if (line.hex.rfind("tcp:", 0) == 0)
            wire.tcpBytes += line.hex.substr(4);
        else if (line.hex.rfind("tcp-", 0) == 0)
            wire.events.push_back(line.hex);
        else
            wire.datagrams.push_back(line.hex);
    }
    return wire;
}

// The log's messages without their time stamps ("dd.mm.yyyy hh:mm:ss.mmm - " is 26 characters).
inline std::vector<std::string> LogMessages(const std::string& path) {
    std::vector<std::string> messages;
    const std::string text = ReadWholeFile(path);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        messages.push_back(line.size() > 26 ? line.substr(26) : line);
        start = end + 2;
    }
    return messages;
}

inline std::size_t CountOf(const std::vector<std::string>& lines, const std::string& line) {
    std::size_t count = 0;
    for (const std::string& each : lines) count += each == line ? 1 : 0;
    return count;
}

inline std::size_t CountStartingWith(const std::vector<std::string>& lines,
                                     const std::string& prefix) {
    std::size_t count = 0;
    for (const std::string& each : lines) count += each.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

// A suite against one simulator whose every test logs, with hex dumps, into a file of its own.
class ControlSimulatorSuite : public LoopbackSimulatorSuite {
protected:
    // For SetUpTestSuite: one simulator playing these modules ("--module" texts).
    static void StartModules(const std::vector<std::string>& modules) {
        std::vector<std::string> args;
        for (const std::string& module : modules) args.insert(args.end(), {"--module", module});
        StartSuiteSimulator(args);
    }

    void SetUp() override {
        LoopbackSimulatorSuite::SetUp();
        logFolder_ = std::make_unique<TempDir>();
        app::ForceDebugLog(LogPath(), true);
    }
    void TearDown() override { app::UseDebugLogSettings(""); }
    std::string LogPath() const { return logFolder_->File("panel.log"); }
    std::vector<std::string> Log() const { return LogMessages(LogPath()); }

private:
    std::unique_ptr<TempDir> logFolder_;
};

}  // namespace nettest
