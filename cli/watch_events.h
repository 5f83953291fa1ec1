#pragma once
// What vantrel-cli watch reports: one event per change of a device between two rounds of
// checks, and each device's state once when it is first seen.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "netconfig/parallel_check.h"

namespace cli {

struct WatchedState {
    bool online = false;
    std::uint32_t switcher = 0;  // meaningful while online
};

enum class WatchEventKind { kOnline, kOffline, kSwitcherChanged, kUnlisted };

struct WatchEvent {
    WatchEventKind kind = WatchEventKind::kOnline;
    std::uint32_t address = 0;
    std::string mac;
    WatchedState state;             // after the change
    std::uint32_t oldSwitcher = 0;  // kSwitcherChanged only
};

// A device is its address and listed MAC: a unit swapped under the same address is a new one.
using WatchKey = std::pair<std::uint32_t, std::string>;
using WatchStates = std::map<WatchKey, WatchedState>;

// The events from one round: `listed` are the devices checked, in list order, with their
// results. `states` holds what the last round saw and is brought up to date.
std::vector<WatchEvent> NextWatchEvents(const std::vector<WatchKey>& listed,
                                        const std::vector<netconfig::SwitcherCheck>& results,
                                        WatchStates& states);

const char* WatchEventName(WatchEventKind kind);

}  // namespace cli
