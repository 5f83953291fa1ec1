// vantrel-exporter on the private test network: a real Prometheus discovers the devices through
// /sd and probes each through the exporter; refused targets never reach a module; a flood of
// connections is refused or queued within bounded memory.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "platform/descriptor_limit.h"
#include "platform/poller.h"
#include "tests/exporter/exporter_test_support.h"
#include "tests/net/testnet_fixture.h"

namespace {

using exportertest::Get;
using exportertest::SampleValue;
using nettest::Ip;

constexpr std::uint16_t kPort = 9110;
constexpr std::uint16_t kPrometheusPort = 9090;
// The flood may cost the threads of the connection cap (about 700 with the default --jobs),
// which a sanitized build makes about 130 KiB each; a thread for every one of the 10,000
// connections would need several times this.
constexpr double kMaxFloodGrowthBytes = 256.0 * 1024 * 1024;

class ExporterOnTestNetwork : public nettest::TestNetworkFixture {
protected:
    void SetUp() override {
        nettest::TestNetworkFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(
            StartModsim({"--module", "ip=198.18.0.10,mac=00:0A:1B:2C:3D:10,switcher=198.18.0.100",
                         "--module", "ip=198.18.0.11,mac=00:0A:1B:2C:3D:11", "--module",
                         "ip=198.18.0.12,reply=silent", "--module", "ip=198.18.0.20"}));
        exportertest::SaveDevices(settings_, {{"198.18.0.10", "00:0A:1B:2C:3D:10"},
                                              {"198.18.0.11", "00:0A:1B:2C:3D:11"},
                                              {"198.18.0.12", ""}});
        if (HasFatalFailure()) return;
        std::string error;
        ASSERT_TRUE(
            exporter_.Start({"--settings", settings_}, harness::kPanelAddressText, kPort, error))
            << error;
    }

    std::string settings_ = directory_.File("panel.ini");
    exportertest::ExporterProcess exporter_;
};

// The package's example configuration and alert rules, with the intervals of a test: each
// replacement must find its line, so the test runs the example as shipped otherwise.
bool WriteExampleConfiguration(const nettest::TempDir& folder, std::string& error) {
    const std::string examples = VANTREL_SOURCE_DIR "/packaging/prometheus/";
    std::string config = nettest::ReadWholeFile(examples + "prometheus.yml");
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"scrape_interval: 15s", "scrape_interval: 1s"},
          {"scrape_timeout: 10s", "scrape_timeout: 1s"},
          {"refresh_interval: 1m", "refresh_interval: 1s"}}) {
        const std::size_t at = config.find(from);
        if (at == std::string::npos) {
            error = "the example prometheus.yml has no '" + from + "'";
            return false;
        }
        config.replace(at, from.size(), to);
    }
    std::ofstream(folder.File("prometheus.yml")) << config;
    std::ofstream(folder.File("vantrel-alerts.yml"))
        << nettest::ReadWholeFile(examples + "vantrel-alerts.yml");
    return true;
}

// instance -> value of every series in a query API answer.
std::map<std::string, std::string> ValuesByInstance(const std::string& json) {
    std::map<std::string, std::string> values;
    const std::regex series(R"re("instance":"([^"]+)"[^}]*\},"value":\[[^,]+,"([^"]+)"\])re");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), series);
         it != std::sregex_iterator(); ++it)
        values[(*it)[1]] = (*it)[2];
    return values;
}

TEST_F(ExporterOnTestNetwork, PrometheusSeesEveryListedDeviceAndWhichOnesAnswer) {
    if (harness::RunProgram({"prometheus", "--version"}, 10000).exitCode != 0)
        GTEST_SKIP() << "Debian's prometheus is not installed (scripts/install-deps)";
    // Prometheus keeps its data in the build tree, in a folder of this run.
    const nettest::TempDir data("vantrel-prometheus");
    std::string error;
    ASSERT_TRUE(WriteExampleConfiguration(data, error)) << error;
    harness::ChildProcess prometheus;
    ASSERT_TRUE(
        prometheus.Start({"prometheus", "--config.file=" + data.File("prometheus.yml"),
                          "--storage.tsdb.path=" + data.File("data"),
                          "--web.listen-address=127.0.0.1:" + std::to_string(kPrometheusPort)},
                         error))
        << error;

    // Two scrape intervals after every device has a sample, within a bound.
    std::map<std::string, std::string> success;
    for (int attempt = 0; attempt < 60 && success.size() < 3; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        success = ValuesByInstance(
            Get(kPrometheusPort, "/api/v1/query?query=vantrel_probe_success").body);
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    success =
        ValuesByInstance(Get(kPrometheusPort, "/api/v1/query?query=vantrel_probe_success").body);
    const std::map<std::string, std::string> expected = {
        {"198.18.0.10", "1"}, {"198.18.0.11", "1"}, {"198.18.0.12", "0"}};
    EXPECT_EQ(success, expected) << prometheus.ErrorText();
    const std::map<std::string, std::string> up = ValuesByInstance(
        Get(kPrometheusPort, "/api/v1/query?query=up%7Bjob%3D%22vantrel%22%7D").body);
    EXPECT_EQ(up, (std::map<std::string, std::string>{
                      {"198.18.0.10", "1"}, {"198.18.0.11", "1"}, {"198.18.0.12", "1"}}));
    const std::string info =
        Get(kPrometheusPort,
            "/api/v1/query?query=vantrel_device_info%7Binstance%3D%22198.18.0.10%22%7D")
            .body;
    EXPECT_NE(info.find("\"mac\":\"00:0A:1B:2C:3D:10\""), std::string::npos) << info;
    EXPECT_NE(info.find("\"switcher\":\"198.18.0.100\""), std::string::npos) << info;
    // The example's second job scrapes the exporter itself, and its alert rules are loaded.
    EXPECT_EQ(
        ValuesByInstance(
            Get(kPrometheusPort, "/api/v1/query?query=up%7Bjob%3D%22vantrel-exporter%22%7D").body),
        (std::map<std::string, std::string>{{"127.0.0.1:9110", "1"}}));
    EXPECT_NE(Get(kPrometheusPort, "/api/v1/rules").body.find("\"name\":\"VantrelDeviceDown\""),
              std::string::npos);
    EXPECT_EQ(prometheus.Stop(), 0);
}

TEST_F(ExporterOnTestNetwork, RefusedTargetsReachNoModule) {
    for (const char* target : {"198.18.0.20", "198.18.0.255", "255.255.255.255", "0.0.0.0"}) {
        const auto answer = Get(kPort, std::string("/probe?target=") + target);
        EXPECT_EQ(answer.status, 403) << target;
        EXPECT_EQ(std::count(answer.body.begin(), answer.body.end(), '\n'), 1) << answer.body;
    }
    // A probe the exporter may send marks the capture: whatever came before it is in.
    EXPECT_EQ(SampleValue(Get(kPort, "/probe?target=198.18.0.10").body, "vantrel_probe_success"),
              1.0);
    ASSERT_EQ(nettest::WaitForCaptured(CapturePath(), "198.18.0.10", 2).size(), 2u);
    const std::vector<nettest::CapturedDatagram> wire = nettest::ReadCapture(CapturePath());
    EXPECT_EQ(wire.size(), 2u);
    for (const nettest::CapturedDatagram& datagram : wire)
        EXPECT_EQ(datagram.to.rfind("198.18.0.10:", 0), 0u) << datagram.to;
}

TEST_F(ExporterOnTestNetwork, TenThousandConnectionsAtOnceAreRefusedOrQueuedInBoundedMemory) {
    constexpr std::size_t kConnections = 10000;
    ASSERT_GE(platform::RaiseDescriptorLimit(kConnections + 256), kConnections + 256);
    const double before =
        *SampleValue(Get(kPort, "/metrics").body, "process_resident_memory_bytes");

    // Every connection is begun without waiting for it; none sends a request.
    std::vector<platform::SocketHandle> sockets;
    for (std::size_t n = 0; n < kConnections; ++n) {
        const platform::SocketHandle socket = platform::OpenTcpSocket();
        ASSERT_NE(socket, platform::kInvalidSocket);
        platform::SetNonBlocking(socket);
        platform::ConnectWithin(socket, Ip("127.0.0.1"), kPort, 0);
        sockets.push_back(socket);
    }
    // Each is answered 503 at once or served and, sending nothing, cut with 408; a bound of
    // 40 s covers the kernel's retried handshakes of connections that waited for accept.
    std::size_t refused = 0, cut = 0, ended = 0;
    std::vector<platform::PollEntry> entries;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (!sockets.empty() && std::chrono::steady_clock::now() < deadline) {
        entries.assign(sockets.size(), {});
        for (std::size_t n = 0; n < sockets.size(); ++n) entries[n].socket = sockets[n];
        if (platform::Poll(entries, 500) == 0) continue;
        std::vector<platform::SocketHandle> open;
        for (std::size_t n = 0; n < sockets.size(); ++n) {
            if (entries[n].ready == 0) {
                open.push_back(sockets[n]);
                continue;
            }
            std::array<std::uint8_t, 64> head{};
            const platform::IoResult got = platform::ReceiveStream(sockets[n], head);
            const std::string text(reinterpret_cast<const char*>(head.data()), got.length);
            if (text.rfind("HTTP/1.1 503", 0) == 0)
                ++refused;
            else if (text.rfind("HTTP/1.1 408", 0) == 0)
                ++cut;
            else
                ++ended;
            platform::CloseSocket(sockets[n]);
        }
        sockets.swap(open);
    }
    EXPECT_TRUE(sockets.empty()) << sockets.size() << " connections got no answer";
    for (const platform::SocketHandle socket : sockets) platform::CloseSocket(socket);
    EXPECT_GT(refused, 0u);
    EXPECT_GT(cut, 0u);
    EXPECT_EQ(refused + cut + ended, kConnections - sockets.size());

    const auto metrics = Get(kPort, "/metrics");
    EXPECT_EQ(SampleValue(metrics.body, "vantrel_exporter_connections_refused_total"),
              static_cast<double>(refused));
    const double after = *SampleValue(metrics.body, "process_resident_memory_bytes");
    EXPECT_LT(after - before, kMaxFloodGrowthBytes) << before << " -> " << after;
    // And it goes on answering.
    EXPECT_EQ(SampleValue(Get(kPort, "/probe?target=198.18.0.10").body, "vantrel_probe_success"),
              1.0);
}

}  // namespace
