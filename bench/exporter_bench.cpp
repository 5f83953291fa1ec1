// vantrel-exporter probed as Prometheus probes a site: 500 simulated devices on loopback, 25 of
// them silent, all 500 probes sent at once; and /sd for a list of 65,536 devices. Ports 9100,
// 9101 and 9110-9111 of 127.0.0.1 must be free, so run it in a network namespace of its own:
//   unshare -n sh -c 'ip link set lo up; build/<dir>/bin/exporter_bench'
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/device_list.h"
#include "app/settings_file.h"
#include "bench/bench_support.h"
#include "platform/descriptor_limit.h"
#include "platform/poller.h"
#include "sim/harness/child_process.h"
#include "tests/support/temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kDevices = 500;
constexpr std::size_t kSilentEvery = 20;  // 25 of 500
constexpr std::size_t kLargeList = 65536;
constexpr std::uint16_t kProbePort = 9110;
constexpr std::uint16_t kListPort = 9111;

using bench::Address;

// The site's own devices answer on loopback; the large list is for /sd only.
std::string LargeListAddress(std::size_t n) {
    return "10." + std::to_string(n / 65536 % 256) + "." + std::to_string(n / 256 % 256) + "." +
           std::to_string(n % 256);
}

void SaveList(const std::string& path, std::size_t count) {
    app::SettingsFile settings(path);
    app::SaveDeviceList(settings, count == kDevices
                                      ? bench::DeviceListOf(count, bench::LoopbackSiteAddress)
                                      : bench::DeviceListOf(count, LargeListAddress));
}

struct Site {
    test_support::TempFolder folder{"vantrel-exporter-bench"};
    harness::ModsimProcess simulator;
    harness::ChildProcess probing;
    harness::ChildProcess listing;
    bool ready = false;
};
std::optional<Site> site;

bool StartExporter(harness::ChildProcess& exporter, const std::string& settings,
                   std::uint16_t port) {
    const std::string listen = "127.0.0.1:" + std::to_string(port);
    std::string error;
    if (!exporter.Start({VANTREL_BIN_DIR "/vantrel-exporter", "--settings", settings, "--from",
                         "127.0.0.1", "--listen", listen},
                        error) ||
        !exporter.WaitForLine(
            "vantrel-exporter: listening on http://" + listen + "/, probing from 127.0.0.1",
            10000)) {
        bench::ReportFailure("vantrel-exporter did not start: " + error + " " +
                             exporter.ErrorText());
        return false;
    }
    return true;
}

bool PrepareSite() {
    if (site) return site->ready;
    platform::RaiseDescriptorLimit(4 * kDevices);  // 500 probes at once, each with its sockets
    site.emplace();
    if (!bench::StartSimulator(
            site->simulator, bench::ModuleArgs(kDevices, bench::LoopbackSiteAddress, kSilentEvery)))
        return false;
    SaveList(site->folder.File("site.ini"), kDevices);
    SaveList(site->folder.File("large.ini"), kLargeList);
    site->ready = StartExporter(site->probing, site->folder.File("site.ini"), kProbePort) &&
                  StartExporter(site->listing, site->folder.File("large.ini"), kListPort);
    return site->ready;
}

// One HTTP exchange on a raw socket, so that 500 can be under way at once.
struct Request {
    platform::SocketHandle socket = platform::kInvalidSocket;
    Clock::time_point sent;
    double ms = 0;
    std::string answer;
};

bool OpenAndSend(Request& request, std::uint16_t port, const std::string& path) {
    request.sent = Clock::now();
    request.socket = platform::OpenTcpSocket();
    if (!platform::ConnectWithin(request.socket, Address("127.0.0.1"), port, 2000)) return false;
    const std::string text = "GET " + path +
                             " HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Prometheus-Scrape-Timeout-Seconds: "
                             "10\r\nConnection: close\r\n\r\n";
    return platform::Send(
               request.socket,
               std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))
               .status == platform::IoStatus::Done;
}

// Answers in progress: every readable one is read on, and one read to its end (the exporter
// closes each connection) gets its time.
class Answers {
public:
    explicit Answers(std::vector<Request>& requests) : requests_(requests) {}

    void Add(std::size_t n) { open_.push_back(n); }

    // One look at every open request, waiting up to timeoutMs for one to have something.
    void Pump(unsigned timeoutMs) {
        if (open_.empty()) return;
        entries_.assign(open_.size(), {});
        for (std::size_t i = 0; i < open_.size(); ++i)
            entries_[i].socket = requests_[open_[i]].socket;
        if (platform::Poll(entries_, timeoutMs) == 0) return;
        std::vector<std::size_t> still;
        for (std::size_t i = 0; i < open_.size(); ++i) {
            Request& request = requests_[open_[i]];
            std::array<std::uint8_t, 4096> chunk{};
            const platform::IoResult got = entries_[i].ready != 0
                                               ? platform::ReceiveStream(request.socket, chunk)
                                               : platform::IoResult{platform::IoStatus::WouldBlock};
            if (got.status == platform::IoStatus::Done)
                request.answer.append(reinterpret_cast<const char*>(chunk.data()), got.length);
            if (got.status == platform::IoStatus::Done ||
                got.status == platform::IoStatus::WouldBlock) {
                still.push_back(open_[i]);
                continue;
            }
            request.ms =
                std::chrono::duration<double, std::milli>(Clock::now() - request.sent).count();
            platform::CloseSocket(request.socket);
        }
        open_.swap(still);
    }

    // Reads on until every answer is in, up to 10 s.
    void Finish() {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
        while (!open_.empty() && Clock::now() < deadline) Pump(100);
        for (const std::size_t n : open_) platform::CloseSocket(requests_[n].socket);
        open_.clear();
    }

private:
    std::vector<Request>& requests_;
    std::vector<std::size_t> open_;
    std::vector<platform::PollEntry> entries_;
};

// Sends every request, reading the answers that come meanwhile, and reads the rest.
void SendAndRead(std::vector<Request>& requests, std::uint16_t port,
                 const std::vector<std::string>& paths, std::size_t& unsent) {
    Answers answers(requests);
    for (std::size_t n = 0; n < requests.size(); ++n) {
        if (OpenAndSend(requests[n], port, paths[n]))
            answers.Add(n);
        else
            ++unsent;
        answers.Pump(0);
    }
    answers.Finish();
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()))];
}

std::optional<double> Sample(const std::string& text, const std::string& name) {
    const std::size_t at = text.find("\n" + name + " ");
    if (at == std::string::npos) return std::nullopt;
    return std::stod(text.substr(at + name.size() + 2));
}

void BM_ProbeSiteAtOnce(benchmark::State& state) {
    if (!PrepareSite()) {
        state.SkipWithError("the simulator or the exporter did not start");
        return;
    }
    std::vector<double> answering, silent;
    std::size_t wrong = 0;
    std::vector<std::string> paths;
    for (std::size_t n = 0; n < kDevices; ++n)
        paths.push_back("/probe?target=" + bench::LoopbackSiteAddress(n));
    for (auto _ : state) {
        std::vector<Request> requests(kDevices);
        const Clock::time_point start = Clock::now();
        SendAndRead(requests, kProbePort, paths, wrong);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        for (std::size_t n = 0; n < kDevices; ++n) {
            const bool succeeded =
                requests[n].answer.find("\nvantrel_probe_success 1\n") != std::string::npos;
            const bool failed =
                requests[n].answer.find("\nvantrel_probe_success 0\n") != std::string::npos;
            if (bench::IsSilent(n, kSilentEvery) ? !failed : !succeeded) ++wrong;
            (bench::IsSilent(n, kSilentEvery) ? silent : answering).push_back(requests[n].ms);
        }
    }
    std::vector<Request> one(1);
    SendAndRead(one, kProbePort, {"/metrics"}, wrong);
    state.counters["answering_median_ms"] = Percentile(answering, 0.5);
    state.counters["answering_p99_ms"] = Percentile(answering, 0.99);
    state.counters["silent_max_ms"] = Percentile(silent, 1.0);
    state.counters["wrong"] = static_cast<double>(wrong);
    state.counters["exporter_rss_MB"] =
        Sample(one[0].answer, "process_resident_memory_bytes").value_or(0) / 1e6;
}
BENCHMARK(BM_ProbeSiteAtOnce)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ServiceDiscoveryOfLargeList(benchmark::State& state) {
    if (!PrepareSite()) {
        state.SkipWithError("the simulator or the exporter did not start");
        return;
    }
    std::vector<double> times;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::vector<Request> requests(1);
        std::size_t unsent = 0;
        SendAndRead(requests, kListPort, {"/sd"}, unsent);
        state.SetIterationTime(requests[0].ms / 1000.0);
        times.push_back(requests[0].ms);
        bytes = requests[0].answer.size();
    }
    state.counters["median_ms"] = Percentile(times, 0.5);
    state.counters["max_ms"] = Percentile(times, 1.0);
    state.counters["answer_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ServiceDiscoveryOfLargeList)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    const int result = bench::Main(argc, argv);
    site.reset();
    return result;
}
