// vantrel-exporter against vantrel-modsim on loopback: what a probe answers, the device list it
// follows, and the bounds it keeps on requests and clients.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "platform/poller.h"
#include "tests/exporter/exporter_test_support.h"
#include "tests/net/loopback_fixture.h"

namespace {

using exportertest::Get;
using exportertest::SampleValue;
using exportertest::SaveDevices;
using nettest::Ip;

constexpr std::uint16_t kPort = 9110;
const std::pair<std::string, std::string> kOneSecondScrape{"X-Prometheus-Scrape-Timeout-Seconds",
                                                           "1"};

class ExporterOnLoopback : public nettest::LoopbackSimulatorSuite {
protected:
    static void SetUpTestSuite() {
        StartSuiteSimulator({"--module",
                             "ip=127.0.0.150,mac=00:0A:1B:2C:3D:10,switcher=198.18.0.100",
                             "--module", "ip=127.0.0.151,reply=silent", "--module",
                             "ip=127.0.0.152,reply=wrong-magic", "--module", "ip=127.0.0.159"});
    }

    void StartExporter(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {"--settings", settings_});
        std::string error;
        ASSERT_TRUE(exporter_.Start(args, "127.0.0.1", kPort, error)) << error;
    }

    // Waits, bounded, until the exporter's own metric shows the value.
    static bool MetricReaches(const std::string& series, double value) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (SampleValue(Get(kPort, "/metrics").body, series) == value) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    nettest::TempDir folder_{"vantrel-exporter"};
    std::string settings_ = folder_.File("panel.ini");
    exportertest::ExporterProcess exporter_;
};

TEST_F(ExporterOnLoopback, ProbeAnswersAsCheckDoesAndEveryPagePassesPromtool) {
    SaveDevices(settings_,
                {{"127.0.0.150", "00:0A:1B:2C:3D:10"}, {"127.0.0.151", ""}, {"127.0.0.152", ""}});
    StartExporter();

    const auto answering = Get(kPort, "/probe?target=127.0.0.150");
    EXPECT_EQ(answering.status, 200);
    EXPECT_EQ(answering.contentType, "text/plain; version=0.0.4; charset=utf-8");
    EXPECT_EQ(SampleValue(answering.body, "vantrel_probe_success"), 1.0);
    EXPECT_EQ(
        SampleValue(answering.body,
                    "vantrel_device_info{mac=\"00:0A:1B:2C:3D:10\",switcher=\"198.18.0.100\"}"),
        1.0)
        << answering.body;
    EXPECT_EQ(exportertest::PromtoolComplaint(answering.body), "");

    // A wrong reply is a failure at once; a silent device is answered before the announced
    // scrape timeout of 1 s runs out, though its exchange takes 3 s.
    const auto wrong = Get(kPort, "/probe?target=127.0.0.152");
    EXPECT_EQ(SampleValue(wrong.body, "vantrel_probe_success"), 0.0);
    EXPECT_EQ(wrong.body.find("vantrel_device_info"), std::string::npos);
    const auto silent = Get(kPort, "/probe?target=127.0.0.151", {kOneSecondScrape}, 1000);
    EXPECT_EQ(silent.status, 200);
    EXPECT_EQ(SampleValue(silent.body, "vantrel_probe_success"), 0.0) << silent.body;
    EXPECT_EQ(exportertest::PromtoolComplaint(silent.body), "");

    const auto unlisted = Get(kPort, "/probe?target=127.0.0.159");
    EXPECT_EQ(unlisted.status, 403);
    EXPECT_EQ(
        unlisted.body,
        "target 127.0.0.159 is neither in the device list nor in a range given with --allow\n");
    EXPECT_EQ(Get(kPort, "/probe?target=127.0.0.1.5").status, 400);
    EXPECT_EQ(Get(kPort, "/probe").status, 400);
    EXPECT_EQ(Get(kPort, "/probe?target=127.0.0.150&target=127.0.0.151").status, 400);
    EXPECT_TRUE(nettest::WaitForCaptured(CapturePath(), "127.0.0.159", 1, 300).empty());

    const auto metrics = Get(kPort, "/metrics");
    EXPECT_EQ(metrics.contentType, "text/plain; version=0.0.4; charset=utf-8");
    EXPECT_EQ(SampleValue(metrics.body, "vantrel_exporter_probes_total{result=\"success\"}"), 1.0);
    EXPECT_EQ(SampleValue(metrics.body, "vantrel_exporter_probes_total{result=\"failure\"}"), 2.0);
    EXPECT_EQ(SampleValue(metrics.body, "vantrel_exporter_probes_total{result=\"refused\"}"), 1.0);
    EXPECT_EQ(SampleValue(metrics.body, "vantrel_exporter_probes_total{result=\"malformed\"}"),
              3.0);
    EXPECT_EQ(SampleValue(metrics.body, "vantrel_exporter_devices"), 3.0);
    EXPECT_NE(metrics.body.find("vantrel_exporter_build_info{version=\""), std::string::npos);
    EXPECT_EQ(exportertest::PromtoolComplaint(metrics.body), "");
    EXPECT_NE(Get(kPort, "/").body.find("<a href=\"/sd\">"), std::string::npos);
}

TEST_F(ExporterOnLoopback, AllowedRangesMayBeProbedAndTheListFollowsTheSettingsFile) {
    SaveDevices(settings_, {{"127.0.0.150", "00:0A:1B:2C:3D:10"}});
    StartExporter({"--allow", "127.0.0.156/30"});
    EXPECT_EQ(Get(kPort, "/probe?target=127.0.0.159").status, 200);
    EXPECT_EQ(Get(kPort, "/probe?target=127.0.0.155").status, 403);

    const auto first = Get(kPort, "/sd");
    EXPECT_EQ(first.contentType, "application/json");
    EXPECT_EQ(first.body,
              "[{\"targets\":[\"127.0.0.150\"],\"labels\":{\"__meta_vantrel_mac\":\"00:0A:1B:2C:3D:"
              "10\"}}]");

    // The panel or vantrel-cli saves a longer list: the next request sees it.
    SaveDevices(settings_,
                {{"127.0.0.150", "00:0A:1B:2C:3D:10"}, {"127.0.0.151", ""}, {"127.0.0.152", ""}});
    EXPECT_EQ(Get(kPort, "/sd").body,
              "[{\"targets\":[\"127.0.0.150\"],\"labels\":{\"__meta_vantrel_mac\":\"00:0A:1B:2C:3D:"
              "10\"}},"
              "{\"targets\":[\"127.0.0.151\",\"127.0.0.152\"],\"labels\":{\"__meta_vantrel_mac\":"
              "\"\"}}]");
    EXPECT_EQ(Get(kPort, "/probe?target=127.0.0.152").status, 200);

    // A hand edit that names more devices than it lists keeps the last good list, counted.
    std::ofstream(settings_) << "[List]\nTotal=2\nIP0=-1778384767\n";
    const auto kept = Get(kPort, "/sd");
    EXPECT_NE(kept.body.find("127.0.0.152"), std::string::npos) << kept.body;
    EXPECT_EQ(
        SampleValue(Get(kPort, "/metrics").body, "vantrel_exporter_settings_reload_errors_total"),
        1.0);
    EXPECT_NE(exporter_.ErrorText().find("without an address"), std::string::npos);

    // An empty list is an empty answer, not an error.
    std::ofstream(settings_) << "[List]\nTotal=0\n";
    EXPECT_EQ(Get(kPort, "/sd").body, "[]");
    EXPECT_EQ(Get(kPort, "/probe?target=127.0.0.150").status, 403);
}

TEST_F(ExporterOnLoopback, ProbesPastTheQueueGet503AndAStopSignalEndsItWithinOneSecond) {
    std::vector<std::pair<std::string, std::string>> devices = {{"127.0.0.151", ""}};
    // Ten listed addresses without a module: nothing answers them, so each probe's exchange
    // holds the one job until its deadline.
    for (int n = 160; n < 170; ++n) devices.emplace_back("127.0.0." + std::to_string(n), "");
    SaveDevices(settings_, devices);
    StartExporter({"--jobs", "1"});

    // One exchange runs, eight probes wait, the next is refused at once.
    auto running =
        std::async(std::launch::async, [] { return Get(kPort, "/probe?target=127.0.0.151"); });
    ASSERT_TRUE(MetricReaches("vantrel_exporter_probes_in_flight", 1));
    std::vector<std::future<exportertest::HttpAnswer>> queued;
    for (int n = 160; n < 168; ++n) {
        const std::string path = "/probe?target=127.0.0." + std::to_string(n);
        queued.push_back(std::async(std::launch::async, [path] { return Get(kPort, path); }));
    }
    ASSERT_TRUE(MetricReaches("vantrel_exporter_probes_queued", 8));
    const auto refused = Get(kPort, "/probe?target=127.0.0.169");
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.body, "every probe slot is taken; try again, or raise --jobs\n");
    EXPECT_EQ(SampleValue(Get(kPort, "/metrics").body, "vantrel_exporter_probes_in_flight"), 1.0);
    for (auto& answer : queued) EXPECT_NE(answer.get().status, 0);
    EXPECT_EQ(SampleValue(running.get().body, "vantrel_probe_success"), 0.0);

    // Request line and headers are bounded at 8 KiB.
    EXPECT_EQ(Get(kPort, "/probe?target=" + std::string(9000, '1')).status, 414);
    EXPECT_EQ(Get(kPort, "/sd", {{"X-Filler", std::string(9000, 'a')}}).status, 431);

    // SIGTERM in the middle of a silent device's exchange.
    auto cut =
        std::async(std::launch::async, [] { return Get(kPort, "/probe?target=127.0.0.151"); });
    ASSERT_TRUE(MetricReaches("vantrel_exporter_probes_in_flight", 1));
    EXPECT_EQ(exporter_.Stop(1000), 0);
    cut.get();
}

TEST_F(ExporterOnLoopback, SlowClientsAreCutAndHoldNoProbeBack) {
    SaveDevices(settings_, {{"127.0.0.150", "00:0A:1B:2C:3D:10"}});
    StartExporter({"--jobs", "1"});
    // More slow clients than exchanges: each sends the start of a request and then nothing.
    constexpr int kSlowClients = 20;
    std::vector<platform::SocketHandle> slow;
    for (int n = 0; n < kSlowClients; ++n) {
        const platform::SocketHandle socket = platform::OpenTcpSocket();
        ASSERT_TRUE(platform::ConnectWithin(socket, Ip("127.0.0.1"), kPort, 2000));
        const std::string start = "GET /probe?target=127.0.0.150 HTTP/1.1\r\nHost: x\r\n";
        platform::Send(
            socket, std::span(reinterpret_cast<const std::uint8_t*>(start.data()), start.size()));
        slow.push_back(socket);
    }
    // A probe sent now is answered while every slow client still holds its connection.
    const auto probe = Get(kPort, "/probe?target=127.0.0.150");
    EXPECT_EQ(SampleValue(probe.body, "vantrel_probe_success"), 1.0);
    for (const platform::SocketHandle socket : slow)
        EXPECT_FALSE(platform::WaitUntilReady(socket, platform::kPollReadable, 0))
            << "cut before the probe was answered";
    // Then each is cut with 408 within the request deadline of 3 s.
    for (const platform::SocketHandle socket : slow) {
        ASSERT_TRUE(platform::WaitUntilReady(socket, platform::kPollReadable, 6000));
        std::array<std::uint8_t, 256> reply{};
        const platform::IoResult got = platform::ReceiveStream(socket, reply);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data()), got.length)
                      .rfind("HTTP/1.1 408 Request Timeout\r\n", 0),
                  0u);
        platform::CloseSocket(socket);
    }
}

TEST_F(ExporterOnLoopback, ASecondExporterOnTheSamePortIsRefused) {
    SaveDevices(settings_, {{"127.0.0.150", "00:0A:1B:2C:3D:10"}});
    StartExporter();
    const harness::ProgramResult second =
        harness::RunProgram({exportertest::ExporterPath(), "--settings", settings_, "--listen",
                             "127.0.0.1:" + std::to_string(kPort), "--from", "127.0.0.1"},
                            5000);
    EXPECT_FALSE(second.timedOut) << "the second exporter listens beside the first";
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("cannot listen on 127.0.0.1:9110"), std::string::npos) << second.err;
    EXPECT_EQ(SampleValue(Get(kPort, "/probe?target=127.0.0.150").body, "vantrel_probe_success"),
              1.0);
}

}  // namespace
