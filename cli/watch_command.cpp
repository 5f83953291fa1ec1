// vantrel-cli watch: the stored list checked every few seconds, one line per change.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/device_list.h"
#include "app/settings_file.h"
#include "cli/commands.h"
#include "cli/local_address.h"
#include "cli/network_args.h"
#include "cli/watch_events.h"
#include "netconfig/address_text.h"
#include "platform/descriptor_limit.h"
#include "platform/stop_request.h"
#include "platform/tick.h"

namespace cli {

namespace {

constexpr unsigned kDefaultIntervalMs = 30'000;
constexpr unsigned kMinIntervalMs = 100;
constexpr unsigned kMaxIntervalMs = 86'400'000;
// A watch ends by itself after this long unless told otherwise; a service manager restarts it.
constexpr unsigned kDefaultDurationS = 86'400;
constexpr unsigned kMaxDurationS = 31 * 86'400;

struct WatchOptions {
    unsigned intervalMs = kDefaultIntervalMs;
    unsigned durationS = kDefaultDurationS;
    std::size_t jobs = netconfig::kDefaultCheckJobs;
    bool json = false;
    LocalAddressOptions local;
};

// Seconds with up to three decimals, as milliseconds within [minimum, maximum].
bool ParseSeconds(std::string_view text, unsigned minimumMs, unsigned maximumMs, unsigned& ms) {
    unsigned long long value = 0, scale = 1000;
    bool digits = false, fraction = false;
    for (const char c : text) {
        if (c == '.' && !fraction) {
            fraction = true;
            continue;
        }
        if (c < '0' || c > '9' || (fraction && scale == 1)) return false;
        digits = true;
        if (fraction) {
            scale /= 10;
            value += static_cast<unsigned long long>(c - '0') * scale;
        } else {
            value = value * 10 + static_cast<unsigned long long>(c - '0') * 1000;
            if (value > maximumMs) return false;
        }
    }
    if (!digits || value < minimumMs || value > maximumMs) return false;
    ms = static_cast<unsigned>(value);
    return true;
}

// "2026-12-08T23:40:01Z": UTC, so lines from machines in different zones sort together.
std::string TimeStamp() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lldZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()),
                  static_cast<long long>(time.hours().count()),
                  static_cast<long long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()));
    return text;
}

void PrintEvent(const WatchEvent& event, bool json) {
    const std::string time = TimeStamp();
    if (json) {
        nlohmann::ordered_json line = {{"time", time},
                                       {"ip", netconfig::FormatIpAddress(event.address)},
                                       {"mac", event.mac},
                                       {"event", WatchEventName(event.kind)}};
        if (event.state.online) line["switcher"] = netconfig::FormatIpAddress(event.state.switcher);
        if (event.kind == WatchEventKind::kSwitcherChanged)
            line["previous_switcher"] = netconfig::FormatIpAddress(event.oldSwitcher);
        std::cout << line.dump() << '\n';
        return;
    }
    std::string text = time + "  " + netconfig::FormatIpAddress(event.address);
    if (!event.mac.empty()) text += " (" + event.mac + ")";
    switch (event.kind) {
        case WatchEventKind::kOnline:
            text += " online, switcher " + netconfig::FormatIpAddress(event.state.switcher);
            break;
        case WatchEventKind::kOffline: text += " offline"; break;
        case WatchEventKind::kSwitcherChanged:
            text += " switcher changed from " + netconfig::FormatIpAddress(event.oldSwitcher) +
                    " to " + netconfig::FormatIpAddress(event.state.switcher);
            break;
        case WatchEventKind::kUnlisted: text += " no longer listed"; break;
    }
    std::cout << text << '\n';
}

const CommandOutcomes kWatch("watch");

Outcome Fail(const std::string& message) { return kWatch.BadArguments(message); }

Refusal ParseWatchOptions(Arguments& args, WatchOptions& options) {
    options.json = TakeFlag(args, "--json");
    bool missing = false;
    if (const auto interval = TakeOption(args, "--interval", missing);
        missing ||
        (interval && !ParseSeconds(*interval, kMinIntervalMs, kMaxIntervalMs, options.intervalMs)))
        return Fail("--interval needs a number of seconds from 0.1 to 86400");
    unsigned durationMs = 0;
    if (const auto duration = TakeOption(args, "--duration", missing);
        missing || (duration && !ParseSeconds(*duration, 1000, kMaxDurationS * 1000u, durationMs)))
        return Fail("--duration needs a number of seconds from 1 to " +
                    std::to_string(kMaxDurationS));
    if (durationMs != 0) options.durationS = (durationMs + 999) / 1000;
    if (const auto jobs = TakeOption(args, "--jobs", missing);
        missing || (jobs && !ParseCheckJobs(*jobs, options.jobs)))
        return Fail("--jobs needs a number " + std::to_string(netconfig::kMinCheckJobs) + "-" +
                    std::to_string(netconfig::kMaxCheckJobs));
    std::string error;
    if (!TakeLocalAddressOptions(args, options.local, error)) return Fail(error);
    if (!args.empty()) return Fail(app::command_line::UnexpectedArgument(args.front()));
    return std::nullopt;
}

}  // namespace

Outcome WatchCommand(Arguments args) {
    WatchOptions options;
    if (auto refused = ParseWatchOptions(args, options)) return *refused;
    const std::string path = options.local.settingsPath.value_or(DefaultSettingsPath());
    std::string error;
    if (!CheckSettingsFile(path, options.local.settingsPath.has_value(), error)) return Fail(error);
    const auto choice = ChooseLocalAddress(options.local);
    if (!choice.ok) return Fail(choice.error);
    const std::size_t limit = platform::RaiseDescriptorLimit(
        options.jobs * netconfig::kDescriptorsPerCheck + netconfig::kReservedDescriptors);
    const std::size_t jobs = netconfig::JobsThatFit(options.jobs, limit);

    platform::CatchStopRequests();
    app::SettingsFile settings(path);
    WatchStates states;
    std::size_t rounds = 0, changes = 0;
    const std::uint32_t started = platform::TickCount();
    while (!platform::StopRequested()) {
        const std::uint32_t roundStart = platform::TickCount();
        // Read each round: the panel and vantrel-cli edit the list while we watch, and an
        // unchanged file is not parsed again.
        app::DeviceList list;
        app::LoadDeviceList(settings, list);
        std::vector<WatchKey> listed;
        std::vector<std::uint32_t> addresses;
        for (const auto& record : list) {
            listed.emplace_back(record->address, record->mac);
            addresses.push_back(record->address);
        }
        const auto results = netconfig::CheckSwitchers(choice.address, addresses, jobs);
        if (platform::StopRequested()) break;  // a round cut short says nothing about devices
        for (const auto& event : NextWatchEvents(listed, results, states)) {
            PrintEvent(event, options.json);
            changes += rounds > 0 ? 1 : 0;
        }
        std::cout << std::flush;
        ++rounds;
        const std::uint32_t elapsed = platform::ElapsedSince(started);
        if (elapsed / 1000 >= options.durationS) break;
        const std::uint32_t used = platform::ElapsedSince(roundStart);
        if (used < options.intervalMs) platform::SleepUnlessStopped(options.intervalMs - used);
    }
    std::size_t online = 0;
    for (const auto& [key, state] : states) online += state.online ? 1 : 0;
    const std::size_t offline = states.size() - online;
    if (options.json) {
        std::cout << nlohmann::ordered_json{{"time", TimeStamp()}, {"event", "stopped"},
                                            {"rounds", rounds},    {"changes", changes},
                                            {"online", online},    {"offline", offline}}
                         .dump()
                  << '\n';
    } else {
        std::cout << TimeStamp() << "  stopped after " << rounds
                  << (rounds == 1 ? " round: " : " rounds: ") << changes
                  << (changes == 1 ? " change; " : " changes; ") << online << " online, " << offline
                  << " offline\n";
    }
    return kWatch.Done();
}

}  // namespace cli
