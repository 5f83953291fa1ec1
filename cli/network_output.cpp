#include "cli/network_output.h"

#include <cstdio>

#include "cli/cli_support.h"
#include "cli/device_exchanges.h"
#include "netconfig/address_text.h"

namespace cli {

namespace {

std::string JsonAddress(std::uint32_t address) { return JsonString(FormatIpAddress(address)); }

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
    for (const auto address : adapters) out += FormatIpAddress(address) + "\n";
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
                          FormatIpAddress(result.address).c_str(),
                          FormatIpAddress(result.switcher).c_str());
        else
            std::snprintf(line, sizeof line, "%-15s  %s\n", FormatIpAddress(result.address).c_str(),
                          outcome == ExchangeResult::UnexpectedReply ? "unexpected reply" : "offline");
        out += line;
    }
    return out;
}

std::string ModulesJson(const std::vector<ModuleHelloRecord>& modules) {
    return JsonArray(modules, [](const ModuleHelloRecord& module) {
        return "{\"mac\": " + JsonString(FormatMacAddress(module.Mac())) +
               ", \"ip\": " + JsonAddress(module.Ip()) + ", \"mask\": " + JsonAddress(module.Mask()) +
               ", \"gateway\": " + JsonAddress(module.Gateway()) + "}";
    });
}

std::string ModulesText(const std::vector<ModuleHelloRecord>& modules) {
    if (modules.empty()) return {};
    std::string out = Row(kModuleRow, "MAC", "IP", "MASK", "GATEWAY");
    for (const auto& module : modules)
        out += Row(kModuleRow, FormatMacAddress(module.Mac()), FormatIpAddress(module.Ip()),
                   FormatIpAddress(module.Mask()), FormatIpAddress(module.Gateway()));
    return out;
}

}  // namespace cli
