#include "exporter/exporter_metrics.h"

#include <cstdio>

#include "netconfig/address_text.h"

namespace exporter {

namespace {

void Family(std::string& out, std::string_view name, std::string_view type, std::string_view help) {
    out.append("# HELP ").append(name).append(" ").append(help).append("\n");
    out.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

template <typename Number>
void Sample(std::string& out, std::string_view name, std::string_view labels, Number value) {
    out.append(name).append(labels).append(" ").append(std::to_string(value)).append("\n");
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", seconds < 0 ? 0.0 : seconds);
    return text;
}

}  // namespace

std::string EscapeLabelValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string ProbeMetrics(const ProbeResult& result, std::string_view mac) {
    const bool online = result.outcome == ProbeOutcome::kChecked && result.check.online;
    std::string out;
    Family(out, "vantrel_probe_success", "gauge",
           "1 when the device answered the switcher address request as Check expects, else 0.");
    Sample(out, "vantrel_probe_success", "", online ? 1 : 0);
    Family(out, "vantrel_probe_duration_seconds", "gauge",
           "How long the probe's exchange took, or waited before the scrape timeout.");
    out.append("vantrel_probe_duration_seconds ").append(Seconds(result.seconds)).append("\n");
    if (online) {
        Family(out, "vantrel_device_info", "gauge",
               "The device's MAC address from the device list and the switcher address it "
               "reported.");
        const std::string labels = "{mac=\"" + EscapeLabelValue(mac) + "\",switcher=\"" +
                                   netconfig::FormatIpAddress(result.check.switcher) + "\"}";
        Sample(out, "vantrel_device_info", labels, 1);
    }
    return out;
}

std::string ExporterMetrics(const ExporterCounters& counters, const ExporterState& state,
                            std::string_view version) {
    std::string out;
    Family(out, "vantrel_exporter_probes_total", "counter",
           "Probe requests answered, by result: success, failure (the device did not answer as "
           "it should), refused (403), malformed (400), busy (503).");
    Sample(out, "vantrel_exporter_probes_total", "{result=\"success\"}",
           counters.probesSucceeded.load());
    Sample(out, "vantrel_exporter_probes_total", "{result=\"failure\"}",
           counters.probesFailed.load());
    Sample(out, "vantrel_exporter_probes_total", "{result=\"refused\"}",
           counters.probesRefused.load());
    Sample(out, "vantrel_exporter_probes_total", "{result=\"malformed\"}",
           counters.probesMalformed.load());
    Sample(out, "vantrel_exporter_probes_total", "{result=\"busy\"}", counters.probesBusy.load());
    Family(out, "vantrel_exporter_probes_in_flight", "gauge", "Probe exchanges running now.");
    Sample(out, "vantrel_exporter_probes_in_flight", "", state.probesInFlight);
    Family(out, "vantrel_exporter_probes_queued", "gauge",
           "Probes waiting for an exchange to become free.");
    Sample(out, "vantrel_exporter_probes_queued", "", state.probesQueued);
    Family(out, "vantrel_exporter_devices", "gauge", "Devices in the list the exporter serves.");
    Sample(out, "vantrel_exporter_devices", "", state.listedDevices);
    Family(out, "vantrel_exporter_settings_reload_errors_total", "counter",
           "Changed settings files that could not be read as a device list; the last good list "
           "stayed in use.");
    Sample(out, "vantrel_exporter_settings_reload_errors_total", "", state.reloadErrors);
    Family(out, "vantrel_exporter_connections_refused_total", "counter",
           "Connections answered 503 at once because the exporter already served its most.");
    Sample(out, "vantrel_exporter_connections_refused_total", "",
           counters.connectionsRefused.load());
    Family(out, "process_resident_memory_bytes", "gauge", "Resident memory size in bytes.");
    Sample(out, "process_resident_memory_bytes", "", state.residentBytes);
    Family(out, "vantrel_exporter_build_info", "gauge", "The exporter's version.");
    Sample(out, "vantrel_exporter_build_info", "{version=\"" + EscapeLabelValue(version) + "\"}",
           1);
    return out;
}

}  // namespace exporter
