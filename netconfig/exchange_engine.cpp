#include "netconfig/exchange_engine.h"

#include <algorithm>
#include <memory>

#include "platform/idle_hook.h"
#include "platform/poller.h"
#include "platform/socket.h"
#include "platform/tick.h"

namespace netconfig {

namespace {

constexpr std::size_t kPorts = wire::kPorts.size();
constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;
// A step in which no running exchange reads sleeps in slices this long, so the idle hook can
// keep a window painted while send-only sockets stay open.
constexpr std::uint32_t kSendOnlySliceMs = 20;
// Poll entries per exchange: per port its socket, then its listener.
constexpr std::size_t kEntriesPerExchange = 2 * kPorts;
// Datagrams an ending exchange still holds that are read to pass on; a socket's queue is short.
constexpr std::size_t kMaxQueuedPerSocket = 64;

// One exchange under way. Its sockets close when it goes, on every path.
struct Running {
    std::size_t index = 0;  // into the plans and the results
    const ExchangePlan* plan = nullptr;
    std::uint32_t start = 0;
    bool decided = false;
    bool over = false;        // ends after this step
    bool unexpected = false;  // collect: a sufficient datagram failed the check
    std::array<platform::SocketHandle, kPorts> sockets{platform::kInvalidSocket,
                                                       platform::kInvalidSocket};
    // A failed socket takes no further part; it stays open until the exchange ends.
    std::array<bool, kPorts> usable{};
    std::array<platform::SocketHandle, kPorts> listeners{platform::kInvalidSocket,
                                                         platform::kInvalidSocket};

    Running() = default;
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    ~Running() {
        for (const auto socket : sockets) platform::CloseSocket(socket);
        for (const auto socket : listeners) platform::CloseSocket(socket);
    }
    bool AnyUsable() const { return std::find(usable.begin(), usable.end(), true) != usable.end(); }
};

// Port i's socket: a failing step leaves it unusable and skips the rest.
void OpenPort(Running& running, std::size_t i) {
    const ExchangePlan& plan = *running.plan;
    const std::uint16_t port = plan.ports[i];
    const auto socket = running.sockets[i] = platform::OpenUdpSocket();
    if (socket == platform::kInvalidSocket) return;
    const bool broadcast = plan.route == ExchangeRoute::Broadcast;
    if ((broadcast && !platform::SetBroadcast(socket)) || !platform::SetReuseAddress(socket) ||
        !platform::SetNonBlocking(socket) || !platform::Bind(socket, plan.localAddress, port))
        return;
    const auto sent = broadcast ? platform::SendTo(socket, plan.request, kLimitedBroadcast, port)
                                : (platform::Connect(socket, plan.deviceAddress, port)
                                       ? platform::Send(socket, plan.request)
                                       : platform::IoResult{});
    running.usable[i] = platform::SentWhole(sent, plan.request.size());
}

void OpenListener(Running& running, std::size_t i) {
    const auto socket = platform::OpenUdpSocket();
    if (socket != platform::kInvalidSocket && platform::SetReuseAddress(socket) &&
        platform::SetNonBlocking(socket) && platform::SetReceiveArrivalInterface(socket) &&
        platform::Bind(socket, kLimitedBroadcast, running.plan->ports[i])) {
        running.listeners[i] = socket;
        return;
    }
    platform::CloseSocket(socket);
}

class Engine {
public:
    Engine(std::span<const ExchangePlan> plans, std::size_t jobs, const ExchangeEnded& onEnded)
        : plans_(plans),
          jobs_(std::max<std::size_t>(1, jobs)),
          results_(plans.size()),
          onEnded_(onEnded),
          eachSocketAlone_(std::min(jobs_, plans.size()) == 1) {}

    std::vector<ExchangeResult> Run() {
        for (;;) {
            StartWhileRoom();
            if (running_.empty()) break;
            platform::RunIdleHook();
            Step();
            // Decided once per step, so what the ending ones still hold can go to the others.
            for (const auto& running : running_) running->over = IsOver(*running);
            for (const auto& running : running_)
                if (running->over) PassOnQueued(*running);
            std::erase_if(running_, [this](const std::unique_ptr<Running>& running) {
                if (!running->over) return false;
                End(*running);
                return true;
            });
        }
        return std::move(results_);
    }

private:
    void StartWhileRoom() {
        while (running_.size() < jobs_ && next_ < plans_.size()) {
            auto running = std::make_unique<Running>();
            running->index = next_;
            running->plan = &plans_[next_++];
            for (std::size_t i = 0; i < kPorts; ++i) {
                // Listening before sending, so an immediate broadcast answer is not missed.
                if (running->plan->route == ExchangeRoute::Broadcast &&
                    running->plan->listenInterface != 0)
                    OpenListener(*running, i);
                OpenPort(*running, i);
            }
            // Nothing went out, so nothing can answer.
            results_[running->index].outcome =
                running->AnyUsable() ? ExchangeOutcome::Silent : ExchangeOutcome::NotSent;
            running->start = platform::TickCount();
            if (IsOver(*running))
                End(*running);
            else
                running_.push_back(std::move(running));
        }
    }

    bool IsOver(const Running& running) const {
        return running.decided || !running.AnyUsable() ||
               platform::ElapsedSince(running.start) >= running.plan->deadlineMs;
    }

    void End(const Running& running) {
        ExchangeResult& result = results_[running.index];
        if (result.outcome == ExchangeOutcome::Silent && running.unexpected)
            result.outcome = ExchangeOutcome::UnexpectedReply;
        if (onEnded_) onEnded_(running.index, result);
    }

    // One wait of up to a polling step over the sockets of every reading exchange; then, for
    // each exchange, its sockets in port order, one datagram each, until one decides it.
    void Step() {
        entries_.assign(running_.size() * kEntriesPerExchange, {});
        bool anyReading = false;
        for (std::size_t n = 0; n < running_.size(); ++n) {
            const Running& running = *running_[n];
            if (running.plan->sendOnly) continue;
            anyReading = true;
            for (std::size_t i = 0; i < kPorts; ++i) {
                if (!running.usable[i]) continue;
                entries_[n * kEntriesPerExchange + 2 * i].socket = running.sockets[i];
                entries_[n * kEntriesPerExchange + 2 * i + 1].socket = running.listeners[i];
            }
        }
        if (!anyReading) return SleepWithSocketsOpen();
        if (platform::Poll(entries_, kPollStepMs) == 0) return;
        for (std::size_t n = 0; n < running_.size(); ++n) {
            Running& running = *running_[n];
            if (running.plan->sendOnly) continue;
            for (std::size_t i = 0; i < kPorts && !running.decided; ++i) {
                if (!running.usable[i]) continue;
                const auto port = std::span(entries_).subspan(n * kEntriesPerExchange + 2 * i, 2);
                const bool readable =
                    eachSocketAlone_ ? WaitAlone(port) : port[0].ready + port[1].ready != 0;
                if (readable) Read(running, i);
            }
        }
    }

    // The single exchange's second wait, on one port's socket and listener alone, gives the
    // earlier port its precedence. False when it times out.
    static bool WaitAlone(std::span<platform::PollEntry> port) {
        return platform::Poll(port, kPollStepMs) != 0;
    }

    void SleepWithSocketsOpen() {
        std::uint32_t left = kSendOnlySliceMs;
        for (const auto& running : running_) {
            const std::uint32_t deadline = running->plan->deadlineMs;
            const std::uint32_t elapsed = platform::ElapsedSince(running->start);
            left = std::min(left, deadline - std::min(elapsed, deadline));
        }
        platform::SleepMs(left);
    }

    // Reads one datagram from port i's socket and, in collect mode, one from its listener.
    void Read(Running& running, std::size_t i) {
        const auto received = platform::ReceiveDatagram(running.sockets[i], datagram_);
        if (received.status == platform::IoStatus::Failed) running.usable[i] = false;
        if (received.status == platform::IoStatus::Done) Take(running, i, received.length, false);
        if (!running.plan->collect || running.listeners[i] == platform::kInvalidSocket) return;
        const auto heard = platform::ReceiveDatagram(running.listeners[i], datagram_);
        if (heard.status == platform::IoStatus::Failed) {
            platform::CloseSocket(running.listeners[i]);
            running.listeners[i] = platform::kInvalidSocket;
        }
        // The listener hears every interface's broadcasts; only the adapter's count.
        if (heard.status == platform::IoStatus::Done &&
            heard.arrivalInterface == running.plan->listenInterface)
            Take(running, i, heard.length, true);
    }

    void Take(Running& running, std::size_t port, std::size_t length, bool byBroadcast) {
        const ExchangePlan& plan = *running.plan;
        if (length < plan.minimumReplyLength) return;
        const std::span<const std::uint8_t> bytes = std::span(datagram_).first(length);
        const bool expected = plan.check == nullptr || plan.check(bytes);
        if (!expected && PassOn(running, port, bytes)) return;
        ExchangeResult& result = results_[running.index];
        if (plan.collect && !expected) {
            running.unexpected = true;
            return;
        }
        result.datagrams.push_back({{bytes.begin(), bytes.end()}, port, byBroadcast});
        result.outcome = expected ? ExchangeOutcome::Answered : ExchangeOutcome::UnexpectedReply;
        running.decided = !plan.collect;
    }

    // A connected socket is handed every datagram from its device, even one that answers a
    // collecting broadcast exchange on the same local address and port (a hello to a listing
    // from a module that is also being checked). Such a datagram goes to the first of those
    // whose check accepts it, as it would have reached that one's unconnected socket; true when
    // one took it.
    bool PassOn(const Running& from, std::size_t port, std::span<const std::uint8_t> bytes) {
        if (from.plan->route != ExchangeRoute::Connected) return false;
        for (const auto& other : running_) {
            const ExchangePlan& plan = *other->plan;
            if (plan.route != ExchangeRoute::Broadcast || !plan.collect || plan.sendOnly ||
                plan.check == nullptr || plan.localAddress != from.plan->localAddress ||
                bytes.size() < plan.minimumReplyLength || !plan.check(bytes))
                continue;
            const auto same =
                std::find(plan.ports.begin(), plan.ports.end(), from.plan->ports[port]);
            if (same == plan.ports.end()) continue;
            results_[other->index].datagrams.push_back(
                {{bytes.begin(), bytes.end()},
                 static_cast<std::size_t>(same - plan.ports.begin()),
                 false});
            results_[other->index].outcome = ExchangeOutcome::Answered;
            return true;
        }
        return false;
    }

    // An ending connected exchange's sockets close with what is queued on them; what a
    // collector would take is read and passed on first.
    void PassOnQueued(const Running& running) {
        if (running.plan->route != ExchangeRoute::Connected || running.plan->sendOnly) return;
        const bool anyCollector = std::any_of(running_.begin(), running_.end(), [](const auto& r) {
            return r->plan->route == ExchangeRoute::Broadcast && r->plan->collect;
        });
        if (!anyCollector) return;
        for (std::size_t i = 0; i < kPorts; ++i) {
            if (!running.usable[i]) continue;
            for (std::size_t n = 0; n < kMaxQueuedPerSocket; ++n) {
                const auto received = platform::ReceiveDatagram(running.sockets[i], datagram_);
                if (received.status != platform::IoStatus::Done) break;
                PassOn(running, i, std::span(datagram_).first(received.length));
            }
        }
    }

    std::span<const ExchangePlan> plans_;
    std::size_t jobs_;
    std::vector<ExchangeResult> results_;
    const ExchangeEnded& onEnded_;
    const bool eachSocketAlone_;
    std::vector<std::unique_ptr<Running>> running_;
    std::size_t next_ = 0;
    std::vector<platform::PollEntry> entries_;
    std::array<std::uint8_t, wire::kReceiveBufferSize> datagram_{};
};

}  // namespace

const char* ExchangeOutcomeName(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::Answered: return "answered";
        case ExchangeOutcome::UnexpectedReply: return "unexpected reply";
        case ExchangeOutcome::Silent: return "silent";
        case ExchangeOutcome::NotSent: return "not sent";
    }
    return "unknown outcome";
}

std::span<const std::uint8_t> ExchangeResult::Reply() const {
    if (datagrams.empty()) return {};
    return datagrams.front().bytes;
}

std::vector<ExchangeResult> RunExchanges(std::span<const ExchangePlan> plans, std::size_t jobs,
                                         const ExchangeEnded& onEnded) {
    return Engine(plans, jobs, onEnded).Run();
}

ExchangeResult RunExchange(const ExchangePlan& plan) {
    return std::move(RunExchanges(std::span(&plan, 1), 1).front());
}

}  // namespace netconfig
