#include "exporter/exporter_routes.h"

#include <charconv>
#include <cmath>

#include "exporter/exporter_limits.h"
#include "platform/process_memory.h"

namespace exporter {

namespace {

constexpr const char* kScrapeTimeoutHeader = "X-Prometheus-Scrape-Timeout-Seconds";
constexpr const char* kTextType = "text/plain; charset=utf-8";

constexpr const char* kIndexPage =
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>vantrel-exporter</title></head>\n"
    "<body><h1>vantrel-exporter</h1>\n"
    "<p>Prometheus watches the devices of the panel's list through this exporter.</p>\n<ul>\n"
    "<li><a href=\"/probe?target=198.18.0.10\">/probe?target=IP</a>: checks one device now</li>\n"
    "<li><a href=\"/sd\">/sd</a>: the devices, for HTTP service discovery</li>\n"
    "<li><a href=\"/metrics\">/metrics</a>: the exporter's own metrics</li>\n"
    "</ul></body></html>\n";

void Answer(httplib::Response& res, int status, std::string line) {
    res.status = status;
    res.set_content(line + "\n", kTextType);
}

void ServeProbe(ExporterContext& context, const httplib::Request& req, httplib::Response& res) {
    if (req.get_param_value_count("target") > 1) {
        ++context.counters.probesMalformed;
        return Answer(res, 400, "give one target, not several");
    }
    const std::shared_ptr<const DeviceSnapshot> devices = context.devices.Current();
    const TargetDecision decision =
        DecideTarget(req.get_param_value("target"), context.allow,
                     [&](std::uint32_t address) { return devices->Find(address) != nullptr; });
    if (decision.verdict == TargetVerdict::kMalformed) {
        ++context.counters.probesMalformed;
        return Answer(res, 400, decision.reason);
    }
    if (decision.verdict == TargetVerdict::kRefused) {
        ++context.counters.probesRefused;
        return Answer(res, 403, decision.reason);
    }
    const ProbeResult result = context.probes.Probe(
        decision.address, ProbeWait(req.get_header_value(kScrapeTimeoutHeader)));
    if (result.outcome == ProbeOutcome::kBusy) {
        ++context.counters.probesBusy;
        return Answer(res, 503, "every probe slot is taken; try again, or raise --jobs");
    }
    const bool online = result.outcome == ProbeOutcome::kChecked && result.check.online;
    ++(online ? context.counters.probesSucceeded : context.counters.probesFailed);
    const ListedDevice* listed = devices->Find(decision.address);
    res.set_content(ProbeMetrics(result, listed ? listed->mac : std::string()),
                    kMetricsContentType);
}

}  // namespace

std::chrono::milliseconds ProbeWait(std::string_view header) {
    const std::chrono::milliseconds bound(kProbeWaitMs);
    double seconds = 0;
    const auto [end, problem] =
        std::from_chars(header.data(), header.data() + header.size(), seconds);
    if (header.empty() || problem != std::errc() || end != header.data() + header.size() ||
        !std::isfinite(seconds) || seconds <= 0)
        return bound;
    const double ms = seconds * 1000.0 - kScrapeTimeoutMarginMs;
    if (ms >= static_cast<double>(kProbeWaitMs)) return bound;
    return std::chrono::milliseconds(
        static_cast<long>(std::max(ms, static_cast<double>(kMinProbeWaitMs))));
}

void InstallRoutes(httplib::Server& server, ExporterContext& context) {
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(kIndexPage, "text/html; charset=utf-8");
    });
    server.Get("/probe", [&context](const httplib::Request& req, httplib::Response& res) {
        ServeProbe(context, req, res);
    });
    server.Get("/sd", [&context](const httplib::Request&, httplib::Response& res) {
        res.set_content(context.devices.Current()->serviceDiscoveryJson, "application/json");
    });
    server.Get("/metrics", [&context](const httplib::Request&, httplib::Response& res) {
        const std::shared_ptr<const DeviceSnapshot> devices = context.devices.Current();
        const ExporterState state{context.probes.InFlight(), context.probes.Queued(),
                                  devices->devices.size(), context.devices.ReloadErrors(),
                                  platform::ResidentMemoryBytes()};
        res.set_content(ExporterMetrics(context.counters, state, context.version),
                        kMetricsContentType);
    });
    const httplib::Server::HandlerWithResponse onError = [](const httplib::Request&,
                                                            httplib::Response& res) {
        if (!res.body.empty() || res.status != 404)
            return httplib::Server::HandlerResponse::Unhandled;
        Answer(res, 404, "no such page: see / for the exporter's pages");
        return httplib::Server::HandlerResponse::Handled;
    };
    server.set_error_handler(onError);
}

}  // namespace exporter
