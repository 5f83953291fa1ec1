// vantrel-cli sweep: every host address of some ranges asked with Check's own exchange, for
// devices that broadcasts do not reach, paced so that a sweep never floods a network.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/control_panel_app.h"
#include "app/device_list.h"
#include "app/settings_file.h"
#include "cli/commands.h"
#include "cli/devices_transfer.h"
#include "cli/local_address.h"
#include "cli/network_args.h"
#include "cli/sweep_ranges.h"
#include "netconfig/address_text.h"
#include "netconfig/parallel_check.h"
#include "platform/descriptor_limit.h"
#include "platform/stop_request.h"
#include "platform/tick.h"

namespace cli {

namespace {

constexpr std::size_t kDefaultRate = 500;
constexpr std::size_t kMaxRate = 10000;
// New exchanges start in batches this often, each batch rate * step / 1000 hosts.
constexpr unsigned kPaceStepMs = 100;

const CommandOutcomes kSweep("sweep");

// The devices found so far, shared by the batches' threads.
class SweepFindings {
public:
    void Add(const netconfig::SwitcherCheck& check) {
        const std::lock_guard lock(mutex_);
        if (check.online) found_.push_back(check);
        ++asked_;
    }
    std::size_t Asked() const {
        const std::lock_guard lock(mutex_);
        return asked_;
    }
    std::vector<netconfig::SwitcherCheck> Sorted(std::size_t& asked) const {
        const std::lock_guard lock(mutex_);
        auto sorted = found_;
        std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
            return netconfig::DottedOrder(a.address) < netconfig::DottedOrder(b.address);
        });
        asked = asked_;
        return sorted;
    }

private:
    mutable std::mutex mutex_;
    std::vector<netconfig::SwitcherCheck> found_;
    std::size_t asked_ = 0;
};

// Starts a batch every step until every host is asked or a stop is requested; each batch is one
// concurrent check of its own. Returns once every batch has ended, or at once on a stop.
bool SweepPaced(std::uint32_t local, const std::vector<std::uint32_t>& hosts, std::size_t rate,
                SweepFindings& findings) {
    const std::size_t batch = std::max<std::size_t>(1, rate * kPaceStepMs / 1000);
    std::vector<std::thread> batches;
    std::size_t next = 0;
    const std::uint32_t start = platform::TickCount();
    while (next < hosts.size() && !platform::StopRequested()) {
        const std::size_t count = std::min(batch, hosts.size() - next);
        std::vector<std::uint32_t> part(hosts.begin() + next, hosts.begin() + next + count);
        next += count;
        batches.emplace_back([local, part = std::move(part), &findings] {
            netconfig::CheckSwitchers(
                local, part, std::min(part.size(), netconfig::kMaxCheckJobs),
                [&](std::size_t, const netconfig::SwitcherCheck& check) { findings.Add(check); });
        });
        // Paced from the start, not from the last batch, so slow starts do not add up.
        const std::uint32_t due = static_cast<std::uint32_t>(batches.size()) * kPaceStepMs;
        const std::uint32_t elapsed = platform::ElapsedSince(start);
        if (next < hosts.size() && elapsed < due) platform::SleepUnlessStopped(due - elapsed);
    }
    // The last exchanges end within their 3 s; a stop does not wait for them.
    while (!platform::StopRequested()) {
        if (findings.Asked() >= hosts.size()) break;
        platform::SleepUnlessStopped(kPaceStepMs / 2);
    }
    if (platform::StopRequested()) {
        for (auto& thread : batches) thread.detach();
        return false;
    }
    for (auto& thread : batches) thread.join();
    return true;
}

void PrintFound(const std::vector<netconfig::SwitcherCheck>& found, bool json) {
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const auto& check : found)
            list.push_back({{"address", netconfig::FormatIpAddress(check.address)},
                            {"switcher", netconfig::FormatIpAddress(check.switcher)}});
        std::cout << list.dump() << '\n';
        return;
    }
    for (const auto& check : found) {
        char line[80];
        std::snprintf(line, sizeof line, "%-15s  switcher %s\n",
                      netconfig::FormatIpAddress(check.address).c_str(),
                      netconfig::FormatIpAddress(check.switcher).c_str());
        std::cout << line;
    }
}

bool ParseRate(const std::string& text, std::size_t& rate) {
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), rate);
    return failed == std::errc() && end == text.data() + text.size() && rate >= 1 &&
           rate <= kMaxRate;
}

}  // namespace

Outcome SweepCommand(Arguments args) {
    const bool json = TakeFlag(args, "--json");
    const bool addToList = TakeFlag(args, "--add-to-list");
    const bool force = TakeFlag(args, "--force");
    bool missing = false;
    std::size_t rate = kDefaultRate;
    if (const auto rateText = TakeOption(args, "--rate", missing);
        missing || (rateText && !ParseRate(*rateText, rate)))
        return kSweep.BadArguments("--rate needs a number of requests a second, 1-" +
                                   std::to_string(kMaxRate));
    LocalAddressOptions options;
    std::string error;
    if (!TakeLocalAddressOptions(args, options, error)) return kSweep.BadArguments(error);
    if (const auto option = FirstOption(args); !option.empty())
        return kSweep.BadArguments("unknown option '" + option + "'");
    if (args.empty())
        return kSweep.BadArguments(
            "usage: sweep CIDR... [--from LOCAL] [--rate N] [--json] [--add-to-list]");
    std::vector<std::uint32_t> hosts;
    if (!SweepHosts(args, hosts, error)) return kSweep.BadArguments(error);
    const std::string listPath = options.settingsPath.value_or(DefaultSettingsPath());
    if (addToList) {
        if (!CheckSettingsFile(listPath, false, error)) return kSweep.BadArguments(error);
        if (!force && app::CControlPanelApp::PanelHoldsSettingsFile(listPath))
            return kSweep.Failed("the panel has the device list of " + listPath +
                                 " open and would undo --add-to-list; close it or give "
                                 "--force");
    }
    const auto choice = ChooseLocalAddress(options);
    if (!choice.ok) return kSweep.BadArguments(choice.error);
    // Every host may be waiting at once: 3 s of requests at the rate, two sockets each.
    platform::RaiseDescriptorLimit(std::min(hosts.size(), 3 * rate + 64) *
                                       netconfig::kDescriptorsPerCheck +
                                   netconfig::kReservedDescriptors);

    platform::CatchStopRequests();
    SweepFindings findings;
    const bool finished = SweepPaced(choice.address, hosts, rate, findings);
    std::size_t asked = 0;
    const auto found = findings.Sorted(asked);
    PrintFound(found, json);
    Tell(kSweep.Name(), std::to_string(found.size()) +
                            (found.size() == 1 ? " device" : " devices") + " answered of " +
                            std::to_string(finished ? hosts.size() : asked) + " hosts asked" +
                            (finished ? "" : "; stopped before the end"));
    if (addToList && !found.empty()) {
        std::vector<ImportedDevice> devices;
        for (const auto& check : found) {
            ImportedDevice device;
            device.address = check.address;
            devices.push_back(device);
        }
        app::SettingsFile settings(listPath);
        app::DeviceList list;
        app::LoadDeviceList(settings, list);
        const auto counts = ImportDevices(list, devices, false);
        if (list.size() > static_cast<std::size_t>(app::kMaxLoadedDevices) ||
            !app::SaveDeviceList(settings, list))
            return kSweep.Failed("cannot write the device list of " + listPath);
        Tell(kSweep.Name(), std::to_string(counts.added) + " added to the device list, " +
                                std::to_string(counts.unchanged) + " already listed");
    }
    std::cout << std::flush;
    // A stop leaves exchanges running in their threads; ending here closes their sockets.
    if (!finished) std::_Exit(kExitFailed);
    return found.empty() ? kSweep.Failed() : kSweep.Done();
}

}  // namespace cli
