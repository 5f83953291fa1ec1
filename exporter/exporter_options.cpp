#include "exporter/exporter_options.h"

#include <charconv>

#include "cli/network_args.h"
#include "exporter/exporter_limits.h"
#include "netconfig/address_text.h"
#include "netconfig/parallel_check.h"

namespace exporter {

const char* const kUsage =
    "usage: vantrel-exporter [--listen ADDR:PORT] [--settings FILE] [--from LOCAL] [--jobs N]\n"
    "                        [--allow CIDR]... [--help] [--version]\n"
    "Lets Prometheus watch the devices of the panel's list: GET /probe?target=IP checks one\n"
    "device with the exchange of Check, /sd lists the devices for HTTP service discovery,\n"
    "/metrics tells how the exporter itself is doing.\n"
    "  --listen ADDR:PORT  where to answer (default 127.0.0.1:9110)\n"
    "  --settings FILE     the panel's settings file, whose device list is read again whenever\n"
    "                      it changes (default: the panel's own)\n"
    "  --from LOCAL        the local address the probes are sent from (default: the adapter\n"
    "                      the panel stored)\n"
    "  --jobs N            up to N probes at once (1-256, default 64); up to 8 N more wait, and\n"
    "                      past them a probe is answered 503\n"
    "  --allow CIDR        also probe addresses in this range (repeatable), e.g. 198.18.0.0/24;\n"
    "                      any other target is refused with 403 and nothing is sent\n";

bool ParseListenAddress(const std::string& text, std::uint32_t& address, std::uint16_t& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    std::uint32_t parsedAddress = 0;
    if (!netconfig::ParseIpAddress(std::string_view(text).substr(0, colon), parsedAddress))
        return false;
    const std::string_view digits = std::string_view(text).substr(colon + 1);
    unsigned value = 0;
    const auto [end, problem] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || digits.size() > 5 || problem != std::errc() ||
        end != digits.data() + digits.size() || value == 0 || value > 65535)
        return false;
    address = parsedAddress;
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool ParseExporterOptions(std::vector<std::string> args, ExporterOptions& options,
                          std::string& error) {
    options = {};
    options.help = cli::TakeFlag(args, "--help") || cli::TakeFlag(args, "-h");
    options.version = cli::TakeFlag(args, "--version");
    if (options.help || options.version) return true;

    if (!cli::TakeLocalAddressOptions(args, options.local, error)) return false;
    bool missing = false;
    const std::optional<std::string> listen = cli::TakeOption(args, "--listen", missing);
    if (missing) {
        error = "--listen needs ADDR:PORT";
        return false;
    }
    netconfig::ParseIpAddress("127.0.0.1", options.listenAddress);
    options.listenPort = kDefaultPort;
    if (listen && !ParseListenAddress(*listen, options.listenAddress, options.listenPort)) {
        error = "--listen: '" + *listen + "' is not ADDR:PORT such as 127.0.0.1:9110";
        return false;
    }
    const std::optional<std::string> jobs = cli::TakeOption(args, "--jobs", missing);
    options.jobs = netconfig::kDefaultCheckJobs;
    if (missing || (jobs && !cli::ParseCheckJobs(*jobs, options.jobs))) {
        error = "--jobs needs a number from " + std::to_string(netconfig::kMinCheckJobs) + " to " +
                std::to_string(netconfig::kMaxCheckJobs);
        return false;
    }
    for (;;) {
        const std::optional<std::string> allow = cli::TakeOption(args, "--allow", missing);
        if (missing) {
            error = "--allow needs a range such as 198.18.0.0/24";
            return false;
        }
        if (!allow) break;
        AddressRange range;
        if (!ParseAddressRange(*allow, range, error)) return false;
        options.allow.push_back(range);
    }
    if (!args.empty()) {
        error = "unexpected argument '" + args.front() + "' (see --help)";
        return false;
    }
    return true;
}

}  // namespace exporter
