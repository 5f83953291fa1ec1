#include "netconfig/parallel_check.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <utility>

#include "netconfig/module_replies.h"
#include "platform/idle_hook.h"
#include "platform/socket_poll.h"

namespace {

// One running exchange: its sockets and when it began.
struct RunningCheck {
    std::size_t index = 0;  // into the results
    std::uint32_t start = 0;
    bool decided = false;
    std::unique_ptr<ExchangeSockets> sockets = std::make_unique<ExchangeSockets>();
};

// ReadSwitcherAddress's judgement of one datagram: false while the exchange goes on.
bool TakeSwitcherDatagram(std::span<const std::uint8_t> datagram, SwitcherCheck& result) {
    std::array<std::uint8_t, wire::kReceiveBufferSize> reply{};
    std::size_t stored = 0;
    if (!TakeSufficientDatagram(datagram, wire::kSwitcherReplyMinLength, reply, stored))
        return false;
    result.answered = true;
    result.online = CheckSwitcherReply(std::span(reply).first(stored), result.switcher);
    return true;
}

class CheckRunner {
public:
    CheckRunner(std::uint32_t local, std::span<const std::uint32_t> devices, std::size_t jobs,
                std::function<void(std::size_t)> onEnded)
        : local_(local), devices_(devices), jobs_(jobs), results_(devices.size()),
          onEnded_(std::move(onEnded)) {
        for (std::size_t i = 0; i < devices.size(); ++i) results_[i].address = devices[i];
    }

    const SwitcherCheck& Result(std::size_t index) const { return results_[index]; }

    std::vector<SwitcherCheck> Run() {
        StartWhileRoom();
        while (!running_.empty()) {
            platform::RunIdleHook();
            PollStep();
            // Deadlines are tested after the step, so a step that has begun always finishes,
            // as in the single exchange.
            std::erase_if(running_, [this](const RunningCheck& check) {
                const bool ended = check.decided || !check.sockets->AnyUsable() ||
                                   platform::ElapsedSince(check.start) >= kUnicastDeadlineMs;
                if (ended) onEnded_(check.index);
                return ended;
            });
            StartWhileRoom();
        }
        return std::move(results_);
    }

private:
    void StartWhileRoom() {
        const auto request = BuildReadSwitcherRequest();
        while (running_.size() < jobs_ && next_ < devices_.size()) {
            RunningCheck check;
            check.index = next_++;
            check.start = platform::TickCount();
            for (std::size_t i = 0; i < ExchangeSockets::kCount; ++i)
                check.sockets->OpenConnected(i, local_, devices_[check.index], request);
            // Neither socket usable: the exchange fails at once, its sockets closed here.
            if (check.sockets->AnyUsable())
                running_.push_back(std::move(check));
            else
                onEnded_(check.index);
        }
    }

    // One wait of up to a polling step over every usable socket; then, for each exchange, its
    // readable sockets in port order, one datagram each, until one decides the exchange. The
    // single exchange's second wait, on each socket alone, is left out: the one wait has already
    // told which sockets are readable, and waiting on each of hundreds would hold up the rest.
    void PollStep() {
        handles_.clear();
        for (const auto& check : running_)
            for (std::size_t i = 0; i < ExchangeSockets::kCount; ++i)
                handles_.push_back(check.sockets->Usable(i) ? check.sockets->Handle(i)
                                                            : platform::kInvalidSocket);
        if (platform::WaitReadableMany(handles_, kPollStepMs, readable_) == 0) return;
        for (std::size_t n = 0; n < running_.size(); ++n) {
            auto& check = running_[n];
            for (std::size_t i = 0; i < ExchangeSockets::kCount && !check.decided; ++i)
                check.decided = readable_[n * ExchangeSockets::kCount + i] && ReadOne(check, i);
        }
    }

    // True when the datagram read decided the exchange.
    bool ReadOne(RunningCheck& check, std::size_t i) {
        const auto received = platform::Receive(check.sockets->Handle(i), datagram_);
        if (received.status == platform::ReceiveStatus::Failed) {
            check.sockets->MarkFailed(i);
            return false;
        }
        if (received.status != platform::ReceiveStatus::Received) return false;
        return TakeSwitcherDatagram(std::span(datagram_).first(received.length),
                                    results_[check.index]);
    }

    std::uint32_t local_;
    std::span<const std::uint32_t> devices_;
    std::size_t jobs_;
    std::vector<SwitcherCheck> results_;
    std::function<void(std::size_t)> onEnded_;
    std::vector<RunningCheck> running_;
    std::size_t next_ = 0;
    std::vector<platform::SocketHandle> handles_;
    std::vector<bool> readable_;
    std::array<std::uint8_t, wire::kReceiveBufferSize> datagram_{};
};

}  // namespace

std::size_t JobsThatFit(std::size_t jobs, std::size_t descriptorLimit) {
    const std::size_t spare =
        descriptorLimit > kReservedDescriptors ? descriptorLimit - kReservedDescriptors : 0;
    return std::max<std::size_t>(1, std::min(jobs, spare / kDescriptorsPerCheck));
}

std::vector<SwitcherCheck> CheckSwitchers(std::uint32_t localAddress,
                                          std::span<const std::uint32_t> devices,
                                          std::size_t jobs, const CheckedCallback& onChecked) {
    // A device listed twice is asked once: two exchanges with the same addresses and ports at
    // the same time could not tell their replies apart, and one would go without.
    std::vector<std::uint32_t> distinct;
    std::vector<std::size_t> slotOf(devices.size());
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto found = std::find(distinct.begin(), distinct.end(), devices[i]);
        slotOf[i] = static_cast<std::size_t>(found - distinct.begin());
        if (found == distinct.end()) distinct.push_back(devices[i]);
    }
    std::vector<SwitcherCheck> checked(distinct.size());
    const auto tell = [&](std::size_t slot, const SwitcherCheck& result) {
        if (!onChecked) return;
        for (std::size_t i = 0; i < devices.size(); ++i)
            if (slotOf[i] == slot) onChecked(i, result);
    };
    if (jobs <= 1) {
        for (std::size_t i = 0; i < distinct.size(); ++i) {
            checked[i].address = distinct[i];
            checked[i].online = ReadSwitcherAddress(localAddress, distinct[i], checked[i].switcher,
                                                    &checked[i].answered);
            tell(i, checked[i]);
        }
    } else {
        CheckRunner runner(localAddress, distinct, jobs,
                           [&](std::size_t slot) { tell(slot, runner.Result(slot)); });
        checked = runner.Run();
    }
    std::vector<SwitcherCheck> results(devices.size());
    for (std::size_t i = 0; i < devices.size(); ++i) results[i] = checked[slotOf[i]];
    return results;
}
