#include "tests/exporter/exporter_test_support.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <httplib.h>

#include "app/device_list.h"
#include "app/settings_file.h"
#include "tests/net/net_test_support.h"

#include "tests/support/temp_folder.h"

namespace exportertest {

namespace {
constexpr unsigned kListenTimeoutMs = 10000;
}

std::string ExporterPath() { return VANTREL_EXPORTER_PATH; }

void SaveDevices(const std::string& path,
                 const std::vector<std::pair<std::string, std::string>>& devices) {
    app::SettingsFile settings(path);
    app::DeviceList list;
    for (const auto& [ip, mac] : devices) {
        auto record = std::make_unique<app::DeviceRecord>();
        record->address = nettest::Ip(ip);
        record->mac = mac;
        list.push_back(std::move(record));
    }
    ASSERT_TRUE(app::SaveDeviceList(settings, list));
}

bool ExporterProcess::Start(std::vector<std::string> args, const std::string& from,
                            std::uint16_t port, std::string& error) {
    const std::string listen = "127.0.0.1:" + std::to_string(port);
    args.insert(args.begin(), {ExporterPath(), "--listen", listen, "--from", from});
    if (!child_.Start(args, error)) return false;
    const std::string line =
        "vantrel-exporter: listening on http://" + listen + "/, probing from " + from;
    if (child_.WaitForLine(line, kListenTimeoutMs)) return true;
    error = "vantrel-exporter did not start: " + child_.ErrorText();
    child_.Stop();
    return false;
}

HttpAnswer Get(std::uint16_t port, const std::string& path,
               const std::vector<std::pair<std::string, std::string>>& headers,
               unsigned timeoutMs) {
    httplib::Client client("127.0.0.1", port);
    const auto seconds = static_cast<time_t>(timeoutMs / 1000);
    const auto micros = static_cast<time_t>(timeoutMs % 1000) * 1000;
    client.set_connection_timeout(seconds, micros);
    client.set_read_timeout(seconds, micros);
    httplib::Headers sent;
    for (const auto& [name, value] : headers) sent.emplace(name, value);
    const httplib::Result result = client.Get(path, sent);
    HttpAnswer answer;
    if (!result) return answer;
    answer.status = result->status;
    answer.contentType = result->get_header_value("Content-Type");
    answer.body = result->body;
    return answer;
}

std::optional<double> SampleValue(const std::string& text, const std::string& series) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > series.size() && line.compare(0, series.size(), series) == 0 &&
            line[series.size()] == ' ')
            return std::stod(line.substr(series.size() + 1));
    }
    return std::nullopt;
}

std::string PromtoolComplaint(const std::string& text) {
    const test_support::TempFolder folder("vantrel-promtool");
    const std::string file = folder.File("metrics.txt");
    std::ofstream(file) << text;
    const harness::ProgramResult result =
        harness::RunProgram({"sh", "-c", "promtool check metrics < \"$0\"", file}, 30000);
    if (result.exitCode == 0 && result.err.empty() && result.out.empty()) return {};
    return "exit " + std::to_string(result.exitCode) + ": " + result.out + result.err;
}

}  // namespace exportertest
