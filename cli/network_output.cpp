#include "cli/network_output.h"

#include <cstdio>

#include "cli/cli_support.h"
#include "cli/device_exchanges.h"
#include "netconfig/address_text.h"

namespace cli {

namespace {

std::string JsonAddress(std::uint32_t address) {
    return JsonString(netconfig::FormatIpAddress(address));
}

template <typename Item, typename Format>
std::string JsonArray(const std::vector<Item>& items, Format&& format) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ", ";
        out += format(items[i]);
    }
    return out + "]\n";
}

std::string Row(const char* format, const std::string& a, const std::string& b,
                const std::string& c, const std::string& d) {
    char line[128];
    std::snprintf(line, sizeof line, format, a.c_str(), b.c_str(), c.c_str(), d.c_str());
    return line;
}

constexpr const char* kModuleRow = "%-17s  %-15s  %-15s  %s\n";

}  // namespace

std::string AdaptersJson(const std::vector<std::uint32_t>& adapters) {
    return JsonArray(adapters, JsonAddress);
}

std::string AdaptersText(const std::vector<std::uint32_t>& adapters) {
    std::string out;
    for (const auto address : adapters) out += netconfig::FormatIpAddress(address) + "\n";
    return out;
}

std::string CheckJson(const std::vector<CheckResult>& results) {
    return JsonArray(results, [](const CheckResult& result) {
        const bool online = ResultOf(result) == ExchangeResult::Answered;
        return "{\"address\": " + JsonAddress(result.address) +
               ", \"online\": " + (online ? "true" : "false") +
               ", \"switcher\": " + (online ? JsonAddress(result.switcher) : "null") + "}";
    });
}

std::string CheckText(const std::vector<CheckResult>& results) {
    std::string out;
    for (const auto& result : results) {
        char line[96];
        const ExchangeResult outcome = ResultOf(result);
        if (outcome == ExchangeResult::Answered)
            std::snprintf(line, sizeof line, "%-15s  online   switcher %s\n",
                          netconfig::FormatIpAddress(result.address).c_str(),
                          netconfig::FormatIpAddress(result.switcher).c_str());
        else
            std::snprintf(
                line, sizeof line, "%-15s  %s\n",
                netconfig::FormatIpAddress(result.address).c_str(),
                outcome == ExchangeResult::UnexpectedReply ? "unexpected reply" : "offline");
        out += line;
    }
    return out;
}

std::string DiscoverJson(const std::vector<FoundModule>& modules,
                         const std::vector<Conflict>& conflicts, bool withAdapters) {
    std::string json =
        "{\"modules\": " + JsonArray(modules, [&](const FoundModule& found) {
            const auto& module = found.sighting.record;
            std::string item =
                "{\"mac\": " + JsonString(netconfig::FormatMacAddress(module.Mac())) +
                ", \"ip\": " + JsonAddress(module.Ip()) +
                ", \"mask\": " + JsonAddress(module.Mask()) +
                ", \"gateway\": " + JsonAddress(module.Gateway());
            if (withAdapters) {
                item += ", \"adapters\": [";
                for (std::size_t i = 0; i < found.adapters.size(); ++i)
                    item += (i ? ", " : "") + JsonAddress(found.adapters[i]);
                item += "]";
            }
            return item + "}";
        });
    json.pop_back();  // JsonArray's newline
    json += ", \"conflicts\": [";
    for (std::size_t c = 0; c < conflicts.size(); ++c)
        json += (c ? ", " : "") + ConflictJson(conflicts[c]);
    return json + "]}\n";
}

std::string DiscoverText(const std::vector<FoundModule>& modules,
                         const std::vector<Conflict>& conflicts, bool withAdapters) {
    // With adapters, the gateway column is padded like the others and the adapters follow.
    const auto row = [&](const std::string& mac, const std::string& ip, const std::string& mask,
                         const std::string& gateway, const std::string& adapters) {
        std::string line = Row(kModuleRow, mac, ip, mask, gateway);
        if (withAdapters)
            line.insert(
                line.size() - 1,
                std::string(gateway.size() < 15 ? 15 - gateway.size() : 0, ' ') + "  " + adapters);
        return line;
    };
    std::string out;
    if (!modules.empty()) out = row("MAC", "IP", "MASK", "GATEWAY", "ADAPTERS");
    for (const auto& found : modules) {
        const auto& module = found.sighting.record;
        std::string adapters;
        for (const auto adapter : found.adapters)
            adapters += (adapters.empty() ? "" : ",") + netconfig::FormatIpAddress(adapter);
        out +=
            row(netconfig::FormatMacAddress(module.Mac()), netconfig::FormatIpAddress(module.Ip()),
                netconfig::FormatIpAddress(module.Mask()),
                netconfig::FormatIpAddress(module.Gateway()), adapters);
    }
    for (const auto& conflict : conflicts) out += "conflict: " + ConflictText(conflict) + "\n";
    return out;
}

}  // namespace cli
