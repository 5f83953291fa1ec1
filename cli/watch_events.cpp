#include "cli/watch_events.h"

#include <set>

namespace cli {

std::vector<WatchEvent> NextWatchEvents(const std::vector<WatchKey>& listed,
                                        const std::vector<netconfig::SwitcherCheck>& results,
                                        WatchStates& states) {
    std::vector<WatchEvent> events;
    std::set<WatchKey> seen;
    for (std::size_t i = 0; i < listed.size() && i < results.size(); ++i) {
        const WatchKey& key = listed[i];
        if (!seen.insert(key).second) continue;  // listed twice: told once
        const WatchedState now{results[i].online, results[i].online ? results[i].switcher : 0};
        WatchEvent event{WatchEventKind::kOnline, key.first, key.second, now, 0};
        const auto before = states.find(key);
        if (before == states.end() || before->second.online != now.online) {
            event.kind = now.online ? WatchEventKind::kOnline : WatchEventKind::kOffline;
            events.push_back(event);
        } else if (now.online && before->second.switcher != now.switcher) {
            event.kind = WatchEventKind::kSwitcherChanged;
            event.oldSwitcher = before->second.switcher;
            events.push_back(event);
        }
        states[key] = now;
    }
    for (auto it = states.begin(); it != states.end();) {
        if (seen.count(it->first) != 0) {
            ++it;
            continue;
        }
        events.push_back(
            {WatchEventKind::kUnlisted, it->first.first, it->first.second, it->second, 0});
        it = states.erase(it);
    }
    return events;
}

const char* WatchEventName(WatchEventKind kind) {
    switch (kind) {
        case WatchEventKind::kOnline: return "online";
        case WatchEventKind::kOffline: return "offline";
        case WatchEventKind::kSwitcherChanged: return "switcher-changed";
        case WatchEventKind::kUnlisted: return "unlisted";
    }
    return "online";
}

}  // namespace cli
