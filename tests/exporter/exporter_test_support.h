#pragma once
// What the exporter's tests share: the program as a child, HTTP requests to it, and reading the
// metrics it answers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/harness/child_process.h"

namespace exportertest {

std::string ExporterPath();

// Writes the device list (address text, MAC text) into the settings file at path, as the panel
// saves it.
void SaveDevices(const std::string& path,
                 const std::vector<std::pair<std::string, std::string>>& devices);

// vantrel-exporter with these arguments, listening on 127.0.0.1:port and probing from `from`;
// started once it says it listens, stopped when the object goes.
class ExporterProcess {
public:
    bool Start(std::vector<std::string> args, const std::string& from, std::uint16_t port,
               std::string& error);
    // SIGTERM, and up to timeoutMs for the end; the exit code, -1 when it had to be killed.
    int Stop(unsigned timeoutMs = 3000) { return child_.Stop(timeoutMs); }
    std::string ErrorText() const { return child_.ErrorText(); }

private:
    harness::ChildProcess child_;
};

struct HttpAnswer {
    int status = 0;  // 0 when no answer came
    std::string contentType;
    std::string body;
};

// GET http://127.0.0.1:port/path, waiting up to timeoutMs for the answer.
HttpAnswer Get(std::uint16_t port, const std::string& path,
               const std::vector<std::pair<std::string, std::string>>& headers = {},
               unsigned timeoutMs = 10000);

// The value of the sample `series` (a name, with its labels as written, e.g.
// vantrel_exporter_probes_total{result="busy"}) in exposition text; nullopt when it is not there.
std::optional<double> SampleValue(const std::string& text, const std::string& series);

// `promtool check metrics` on the text: empty when it passes, its complaint otherwise.
std::string PromtoolComplaint(const std::string& text);

}  // namespace exportertest
