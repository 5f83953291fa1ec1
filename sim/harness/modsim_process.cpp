#include "sim/harness/modsim_process.h"

#include <algorithm>

#include "sim/harness/test_network.h"

namespace harness {

namespace {
constexpr const char* kReadyLine = "vantrel-modsim: ready";
constexpr unsigned kReadyTimeoutMs = 10000;
constexpr const char* kBackstopSeconds = "300";
}  // namespace

std::string ModsimPath() { return VANTREL_MODSIM_PATH; }
std::string CliPath() { return VANTREL_CLI_PATH; }

bool ModsimProcess::Start(const std::vector<std::string>& args, std::string& error,
                          bool inDeviceNamespace) {
    return StartIn(inDeviceNamespace ? DeviceNamespace() : std::string(), args, error);
}

bool ModsimProcess::StartIn(const std::string& ns, const std::vector<std::string>& args,
                            std::string& error) {
    std::vector<std::string> command = {ModsimPath()};
    command.insert(command.end(), args.begin(), args.end());
    if (std::find(args.begin(), args.end(), "--duration") == args.end()) {
        command.push_back("--duration");
        command.push_back(kBackstopSeconds);
    }
    if (!ns.empty()) command = InNamespace(ns, command);
    if (!child_.Start(command, error)) return false;
    if (child_.WaitForLine(kReadyLine, kReadyTimeoutMs)) return true;
    child_.Stop();
    error = "vantrel-modsim did not get ready: " + child_.ErrorText();
    return false;
}

ModsimProcess::~ModsimProcess() = default;  // the child goes with its ChildProcess

int ModsimProcess::Stop() { return child_.Stop(); }

std::string ModsimProcess::ErrorText() const { return child_.ErrorText(); }

}  // namespace harness
