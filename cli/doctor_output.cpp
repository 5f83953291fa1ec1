#include "cli/doctor_output.h"

#include "cli/cli_support.h"
#include "netconfig/address_text.h"

namespace cli {

namespace {

std::string AddressWithPrefix(const platform::InterfaceFacts& facts) {
    if (!facts.hasAddress) return "no address";
    return netconfig::FormatIpAddress(facts.address) + "/" + std::to_string(facts.prefix);
}

std::string RouteText(platform::BroadcastRoute route) {
    switch (route) {
        case platform::BroadcastRoute::LimitedBroadcast:
            return "leave through it (route for 255.255.255.255)";
        case platform::BroadcastRoute::Default: return "leave through it (default route)";
        // Sent from a socket bound to the adapter's address, a broadcast leaves by that adapter
        // whatever the routes say, so this is no obstacle, only worth knowing.
        case platform::BroadcastRoute::None:
            return "leave through it as sent from its address (no route names it)";
        case platform::BroadcastRoute::Unknown:
            return "unknown (the route table could not be read)";
    }
    return "";
}

std::string RouteKey(platform::BroadcastRoute route) {
    switch (route) {
        case platform::BroadcastRoute::LimitedBroadcast: return "broadcast-route";
        case platform::BroadcastRoute::Default: return "default-route";
        case platform::BroadcastRoute::None: return "source-address";
        case platform::BroadcastRoute::Unknown: return "unknown";
    }
    return "";
}

std::string BindText(const platform::PortBind& bind) {
    const std::string who = bind.holder.empty() ? "another program" : bind.holder;
    if (!bind.bindable)
        return "cannot be bound: " + (bind.heldByOther ? "held by " + who : bind.error);
    return bind.heldByOther ? "can be bound, shared with " + who + " (it may take replies)"
                            : "can be bound";
}

std::string VerdictKey(FirewallVerdict verdict) {
    switch (verdict) {
        case FirewallVerdict::Allowed: return "allowed";
        case FirewallVerdict::Dropped: return "dropped";
        case FirewallVerdict::Unknown: return "unknown";
    }
    return "";
}

std::string PortsAnswered(const netconfig::ModuleSighting& module, const std::string& separator) {
    std::string ports;
    for (std::size_t i = 0; i < netconfig::wire::kPorts.size(); ++i)
        if (module.answeredOn[i])
            ports += (ports.empty() ? "" : separator) + std::to_string(netconfig::wire::kPorts[i]);
    return ports;
}

std::string RouteAnswered(const netconfig::ModuleSighting& module) {
    if (module.byUnicast && module.byBroadcast) return "unicast and broadcast";
    return module.byBroadcast ? "broadcast only" : "unicast";
}

std::string ModuleText(const netconfig::ModuleSighting& module) {
    return netconfig::FormatMacAddress(module.record.Mac()) + " " +
           netconfig::FormatIpAddress(module.record.Ip()) +
           "  ports=" + PortsAnswered(module, ",") + "  by " + RouteAnswered(module);
}

std::string ModuleJson(const netconfig::ModuleSighting& module) {
    return "{\"mac\": " + JsonString(netconfig::FormatMacAddress(module.record.Mac())) +
           ", \"ip\": " + JsonString(netconfig::FormatIpAddress(module.record.Ip())) +
           ", \"ports\": [" + PortsAnswered(module, ", ") +
           "], \"unicast\": " + (module.byUnicast ? "true" : "false") +
           ", \"broadcast\": " + (module.byBroadcast ? "true" : "false") + "}";
}

}  // namespace

std::string DoctorText(const DoctorFacts& facts, const DoctorVerdict& verdict) {
    std::string text = "interfaces:\n";
    for (const auto& interface : facts.interfaces) {
        text += "  " + interface.name + "  " + AddressWithPrefix(interface) + "  " +
                (interface.up ? "up" : "down") + ", " + (interface.link ? "link" : "no link") +
                "  " + AdapterUseText(JudgeInterface(interface)) + "\n";
    }
    for (std::size_t a = 0; a < facts.adapters.size(); ++a) {
        const auto& adapter = facts.adapters[a];
        text += "adapter " + adapter.facts.name + " (" +
                netconfig::FormatIpAddress(adapter.facts.address) + "):\n";
        text += "  broadcasts: " + RouteText(adapter.route) + "\n";
        for (std::size_t i = 0; i < netconfig::wire::kPorts.size(); ++i) {
            const std::string port = "UDP " + std::to_string(netconfig::wire::kPorts[i]);
            text += "  " + port + ": " + BindText(adapter.ports[i]) + "\n";
            text += "  firewall on " + port +
                    " replies: " + VerdictKey(adapter.firewall[i].verdict) + " (" +
                    adapter.firewall[i].reason + ")\n";
        }
        if (!facts.searched) continue;
        const auto& found = facts.found[a];
        text += "  search: " + std::to_string(found.size()) +
                (found.size() == 1 ? " module" : " modules") + " answered\n";
        for (const auto& module : found) text += "    " + ModuleText(module) + "\n";
    }
    if (!facts.searched)
        text +=
            "search: not done; --search would broadcast a module search on each usable adapter\n";
    for (const auto& conflict : facts.conflicts)
        text += "conflict: " + ConflictText(conflict) + "\n";
    return text + "next step: " + verdict.nextStep + "\n";
}

std::string DoctorJson(const DoctorFacts& facts, const DoctorVerdict& verdict) {
    std::string json = "{\"interfaces\": [";
    for (std::size_t n = 0; n < facts.interfaces.size(); ++n) {
        const auto& interface = facts.interfaces[n];
        const AdapterUse use = JudgeInterface(interface);
        json +=
            std::string(n ? ", " : "") + "{\"name\": " + JsonString(interface.name) +
            ", \"address\": " +
            (interface.hasAddress ? JsonString(netconfig::FormatIpAddress(interface.address))
                                  : "null") +
            ", \"prefix\": " + (interface.hasAddress ? std::to_string(interface.prefix) : "null") +
            ", \"up\": " + (interface.up ? "true" : "false") +
            ", \"link\": " + (interface.link ? "true" : "false") +
            ", \"usable\": " + (use == AdapterUse::Usable ? "true" : "false") + ", \"why\": " +
            (use == AdapterUse::Usable ? "null" : JsonString(AdapterUseReason(use))) + "}";
    }
    json += "], \"adapters\": [";
    for (std::size_t a = 0; a < facts.adapters.size(); ++a) {
        const auto& adapter = facts.adapters[a];
        json += std::string(a ? ", " : "") + "{\"name\": " + JsonString(adapter.facts.name) +
                ", \"address\": " + JsonString(netconfig::FormatIpAddress(adapter.facts.address)) +
                ", \"broadcasts\": " + JsonString(RouteKey(adapter.route)) + ", \"ports\": [";
        for (std::size_t i = 0; i < netconfig::wire::kPorts.size(); ++i) {
            const auto& bind = adapter.ports[i];
            const auto& firewall = adapter.firewall[i];
            json += std::string(i ? ", " : "") +
                    "{\"port\": " + std::to_string(netconfig::wire::kPorts[i]) +
                    ", \"bindable\": " + (bind.bindable ? "true" : "false") +
                    ", \"held_by_other\": " + (bind.heldByOther ? "true" : "false") +
                    ", \"holder\": " + (bind.holder.empty() ? "null" : JsonString(bind.holder)) +
                    ", \"bind_error\": " + (bind.error.empty() ? "null" : JsonString(bind.error)) +
                    ", \"firewall\": " + JsonString(VerdictKey(firewall.verdict)) +
                    ", \"firewall_reason\": " + JsonString(firewall.reason) + "}";
        }
        json += "], \"modules\": ";
        if (!facts.searched) {
            json += "null}";
            continue;
        }
        json += "[";
        for (std::size_t m = 0; m < facts.found[a].size(); ++m)
            json += std::string(m ? ", " : "") + ModuleJson(facts.found[a][m]);
        json += "]}";
    }
    json += "], \"conflicts\": [";
    for (std::size_t c = 0; c < facts.conflicts.size(); ++c)
        json += std::string(c ? ", " : "") + ConflictJson(facts.conflicts[c]);
    json += "], \"searched\": " + std::string(facts.searched ? "true" : "false") +
            ", \"clear\": " + (verdict.clear ? "true" : "false") +
            ", \"next_step\": " + JsonString(verdict.nextStep) + "}\n";
    return json;
}

}  // namespace cli
