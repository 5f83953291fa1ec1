// Unicast exchange latency on loopback (panel side 127.0.0.1), against vantrel-modsim and against
// a tiny responder in a thread. Targets: a Check of a module answering on 9100 at most 1.2 times
// the floor of the system calls a Check must make, met by the same responder (medians, measured
// in the same run, so the ratio holds on a busy machine where absolute times drift); a silent
// device 3000 ms plus at most one polling pass; a device whose two sockets both fail (port
// unreachable) under 50 ms.
#include <array>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "bench/bench_support.h"
#include "bench/exchange_timing.h"
#include "netconfig/module_exchange.h"
#include "netconfig/module_replies.h"
#include "platform/poller.h"
#include "platform/tick.h"

namespace {

using bench::Address;

const std::uint32_t kLocal = Address("127.0.0.1");
const std::uint32_t kAnswering = Address("127.0.0.150");
const std::uint32_t kSilent = Address("127.0.0.151");
const std::uint32_t kNobody = Address("127.0.0.152");  // no socket: port unreachable on both
const std::uint32_t kResponder = Address("127.0.0.153");

constexpr unsigned kWaitStepMs = 100;

// The reply a module on 9100 and 9101 gives a switcher read: switcher 10.1.1.1.
std::array<std::uint8_t, netconfig::wire::kSwitcherReplyModuleLength> SwitcherReply() {
    std::array<std::uint8_t, netconfig::wire::kSwitcherReplyModuleLength> reply{};
    netconfig::wire::PutMagic(reply, netconfig::wire::kSwitcherReplyMagic);
    reply[netconfig::wire::kSwitcherReplyStatusA] = 1;
    netconfig::wire::PutAddress(reply, netconfig::wire::kSwitcherReplyAddress, Address("10.1.1.1"));
    return reply;
}

// The tiniest module there is, on both ports in a thread of its own: every datagram gets the
// switcher reply, so the floor and a Check meet the same responder. It only answers on loopback
// and stops when asked, after a bounded number of answers or after a bounded time.
class LoopbackResponder {
public:
    bool Start() {
        for (std::size_t i = 0; i < netconfig::wire::kPorts.size(); ++i) {
            sockets_[i] = platform::OpenUdpSocket();
            if (sockets_[i] == platform::kInvalidSocket ||
                !platform::Bind(sockets_[i], kResponder, netconfig::wire::kPorts[i]))
                return false;
        }
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    ~LoopbackResponder() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        for (const auto socket : sockets_) platform::CloseSocket(socket);
    }

private:
    static constexpr unsigned kMaxAnswers = 200000;
    static constexpr std::uint32_t kMaxRunMs = 600000;

    void Run() {
        std::array<std::uint8_t, netconfig::wire::kReceiveBufferSize> datagram{};
        const std::uint32_t start = platform::TickCount();
        unsigned answers = 0;
        while (!stop_ && answers < kMaxAnswers && platform::ElapsedSince(start) < kMaxRunMs) {
            std::array<platform::PollEntry, netconfig::wire::kPorts.size()> entries{};
            for (std::size_t i = 0; i < sockets_.size(); ++i) entries[i].socket = sockets_[i];
            if (platform::Poll(entries, kWaitStepMs) == 0) continue;
            for (std::size_t i = 0; i < sockets_.size(); ++i) {
                if (entries[i].ready == 0) continue;
                const auto received = platform::ReceiveDatagram(sockets_[i], datagram);
                if (received.status != platform::IoStatus::Done ||
                    !netconfig::IsLoopbackAddress(received.fromAddress))
                    continue;
                platform::SendTo(sockets_[i], reply_, received.fromAddress, received.fromPort);
                ++answers;
            }
        }
    }

    std::array<platform::SocketHandle, netconfig::wire::kPorts.size()> sockets_{
        platform::kInvalidSocket, platform::kInvalidSocket};
    const std::array<std::uint8_t, netconfig::wire::kSwitcherReplyModuleLength> reply_ =
        SwitcherReply();
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

LoopbackResponder responder;
bool responderStarted = false;

// The bare system calls one Check must make, and nothing else: two UDP sockets created, bound
// to the panel's address and the port and connected to the responder on the same port, one
// request and one reply on each (each reply waited for with a bounded poll, since an exchange
// must never wait for ever), and both closed.
bool CheckFloor() {
    const auto request = netconfig::BuildReadSwitcherRequest();
    std::array<int, netconfig::wire::kPorts.size()> sockets{-1, -1};
    bool ok = true;
    for (std::size_t i = 0; i < sockets.size() && ok; ++i) {
        sockets[i] = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = kLocal;
        local.sin_port = htons(netconfig::wire::kPorts[i]);
        sockaddr_in remote = local;
        remote.sin_addr.s_addr = kResponder;
        ok = sockets[i] >= 0 &&
             bind(sockets[i], reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0 &&
             connect(sockets[i], reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0 &&
             send(sockets[i], request.data(), request.size(), 0) ==
                 static_cast<ssize_t>(request.size());
    }
    std::array<std::uint8_t, netconfig::wire::kReceiveBufferSize> reply{};
    for (std::size_t i = 0; i < sockets.size() && ok; ++i) {
        pollfd entry{sockets[i], POLLIN, 0};
        ok = poll(&entry, 1, static_cast<int>(kWaitStepMs)) == 1 &&
             recv(sockets[i], reply.data(), reply.size(), 0) ==
                 static_cast<ssize_t>(netconfig::wire::kSwitcherReplyModuleLength);
    }
    for (const int socket : sockets)
        if (socket >= 0) close(socket);
    return ok;
}

double floorMedianMs = 0;

bool Check(std::uint32_t device) {
    std::uint32_t switcher = 0;
    return netconfig::ReadSwitcherAddress(kLocal, device, switcher);
}

void BM_CheckFloor(benchmark::State& state) {
    if (!responderStarted) {
        state.SkipWithError("cannot bind the responder on 127.0.0.153:9100 and :9101");
        return;
    }
    floorMedianMs = bench::ExchangeTimes().Measure(state, [] { return CheckFloor(); });
}
BENCHMARK(BM_CheckFloor)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

// A Check of an answering device, with its median in multiples of the floor's.
void CheckAgainstTheFloor(benchmark::State& state, std::uint32_t device) {
    const double median = bench::ExchangeTimes().Measure(state, [=] { return Check(device); });
    if (floorMedianMs > 0) state.counters["x_floor"] = median / floorMedianMs;
}

void BM_CheckAnsweringModule(benchmark::State& state) { CheckAgainstTheFloor(state, kAnswering); }
BENCHMARK(BM_CheckAnsweringModule)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

// The same Check against the floor's own responder: the ratio then counts only what the
// exchange adds to the system calls, not how quickly the simulator's process is scheduled.
void BM_CheckOfTheFloorResponder(benchmark::State& state) {
    CheckAgainstTheFloor(state, kResponder);
}
BENCHMARK(BM_CheckOfTheFloorResponder)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

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
    harness::ModsimProcess simulator;
    return bench::Main(argc, argv, [&] {
        if (!bench::StartSimulator(simulator, {"--module", "ip=127.0.0.150,switcher=10.1.1.1",
                                               "--module", "ip=127.0.0.151,reply=silent"}))
            return false;
        responderStarted = responder.Start();
        return true;
    });
}
