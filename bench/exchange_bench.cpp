// Unicast exchange latency against vantrel-modsim on loopback (panel side 127.0.0.1). Targets:
// a Check of a module answering on 9100 at most twice a bare UDP round trip over loopback
// (median, measured in the same run, so the ratio holds on a busy machine where absolute times
// drift); a silent device 3000 ms plus at most one polling pass; a device whose two sockets both
// fail (port unreachable) under 50 ms.
#include <array>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <thread>

#include "bench/exchange_timing.h"
#include "netconfig/address_text.h"
#include "netconfig/module_exchange.h"
#include "netconfig/module_replies.h"
#include "platform/tick.h"
#include "platform/udp_socket.h"
#include "sim/harness/modsim_process.h"

namespace {

std::uint32_t Address(const char* text) {
    std::uint32_t address = 0;
    ParseIpAddress(text, address);
    return address;
}

const std::uint32_t kLocal = Address("127.0.0.1");
const std::uint32_t kAnswering = Address("127.0.0.150");
const std::uint32_t kSilent = Address("127.0.0.151");
const std::uint32_t kNobody = Address("127.0.0.152");  // no socket: port unreachable on both
const std::uint32_t kEcho = Address("127.0.0.153");

constexpr unsigned kWaitStepMs = 100;

// A plain UDP echo in a thread of its own: the bare round trip a Check is measured against.
// It only answers what it receives, and only on loopback; it stops when asked, after a bounded
// number of answers or after a bounded time, whichever comes first.
class LoopbackEcho {
public:
    bool Start() {
        socket_ = platform::OpenUdpSocket();
        if (socket_ == platform::kInvalidSocket || !platform::Bind(socket_, kEcho, wire::kPortA))
            return false;
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    ~LoopbackEcho() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        platform::CloseSocket(socket_);
    }

private:
    static constexpr unsigned kMaxAnswers = 100000;
    static constexpr std::uint32_t kMaxRunMs = 600000;

    void Run() {
        std::array<std::uint8_t, wire::kReceiveBufferSize> datagram{};
        const std::uint32_t start = platform::TickCount();
        unsigned answers = 0;
        while (!stop_ && answers < kMaxAnswers && platform::ElapsedSince(start) < kMaxRunMs) {
            const platform::SocketHandle one[1] = {socket_};
            if (platform::WaitReadable(one, kWaitStepMs) == 0) continue;
            const auto received = platform::Receive(socket_, datagram);
            if (received.status != platform::ReceiveStatus::Received ||
                !IsLoopbackAddress(received.fromAddress))
                continue;
            platform::SendTo(socket_, std::span(datagram).first(received.length),
                             received.fromAddress, received.fromPort);
            ++answers;
        }
    }

    platform::SocketHandle socket_ = platform::kInvalidSocket;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

// One request the size of a Check's to the echo and its answer back, on one connected socket.
class RoundTrip {
public:
    RoundTrip() : socket_(platform::OpenUdpSocket()) {
        ready_ = socket_ != platform::kInvalidSocket && platform::Bind(socket_, kLocal, 0) &&
                 platform::Connect(socket_, kEcho, wire::kPortA);
    }
    ~RoundTrip() { platform::CloseSocket(socket_); }
    bool operator()() {
        if (!ready_) return false;
        const auto request = BuildReadSwitcherRequest();
        if (platform::Send(socket_, request) != static_cast<long>(request.size())) return false;
        const platform::SocketHandle one[1] = {socket_};
        if (platform::WaitReadable(one, kWaitStepMs) == 0) return false;
        const auto received = platform::Receive(socket_, reply_);
        return received.status == platform::ReceiveStatus::Received &&
               received.length == request.size();
    }

private:
    platform::SocketHandle socket_;
    bool ready_ = false;
    std::array<std::uint8_t, wire::kReceiveBufferSize> reply_{};
};

double roundTripMedianMs = 0;

bool Check(std::uint32_t device) {
    std::uint32_t switcher = 0;
    return ReadSwitcherAddress(kLocal, device, switcher);
}

void BM_BareUdpRoundTrip(benchmark::State& state) {
    LoopbackEcho echo;
    if (!echo.Start()) {
        state.SkipWithError("cannot bind the echo socket on 127.0.0.153:9100");
        return;
    }
    RoundTrip roundTrip;
    roundTripMedianMs = bench::ExchangeTimes().Measure(state, [&] { return roundTrip(); });
}
BENCHMARK(BM_BareUdpRoundTrip)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_CheckAnsweringModule(benchmark::State& state) {
    const double median = bench::ExchangeTimes().Measure(state, [] { return Check(kAnswering); });
    if (roundTripMedianMs > 0) state.counters["x_round_trip"] = median / roundTripMedianMs;
}
BENCHMARK(BM_CheckAnsweringModule)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_CheckSilentModule(benchmark::State& state) {
    bench::ExchangeTimes().Measure(state, [] { return !Check(kSilent); });
}
BENCHMARK(BM_CheckSilentModule)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CheckWithBothSocketsFailing(benchmark::State& state) {
    bench::ExchangeTimes().Measure(state, [] { return !Check(kNobody); });
}
BENCHMARK(BM_CheckWithBothSocketsFailing)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    harness::ModsimProcess simulator;
    std::string error;
    if (!simulator.Start({"--module", "ip=127.0.0.150,switcher=10.1.1.1", "--module",
                          "ip=127.0.0.151,reply=silent"},
                         error)) {
        std::fprintf(stderr, "exchange_bench: %s\n", error.c_str());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
