#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "sim/harness/modsim_process.h"

// The Windows side of the simulator for tests under Wine. The Linux simulator is started by the
// script that runs the test; each simulator is a request N in its folder, as files:
//   N.args     written by the test (one argument a line), renamed into place whole
//   N.ready    or N.failed (why), written by the script once the simulator is ready or is not
//   N.err      the simulator's standard error
//   N.stop     written by the test; N.stopped (the exit code) by the script once it has ended

namespace harness {

namespace {

constexpr unsigned kAnswerTimeoutMs = 20000;  // beyond the script's own wait for the ready line
constexpr const char* kBackstopSeconds = "300";

std::filesystem::path RequestFolder() {
    const char* folder = std::getenv("VANTREL_MODSIM_REQUESTS");
    return folder != nullptr ? std::filesystem::path(folder) : std::filesystem::path();
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The first of the answers to appear, or none after timeoutMs.
std::filesystem::path WaitForAnswer(const std::vector<std::filesystem::path>& answers,
                                    unsigned timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        for (const auto& answer : answers) {
            std::error_code ignored;
            if (std::filesystem::exists(answer, ignored)) return answer;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return {};
}

}  // namespace

bool ModsimProcess::Start(const std::vector<std::string>& args, std::string& error,
                          bool inDeviceNamespace) {
    return StartIn(inDeviceNamespace ? "the devices' namespace" : "", args, error);
}

bool ModsimProcess::StartIn(const std::string& ns, const std::vector<std::string>& args,
                            std::string& error) {
    if (!ns.empty()) {
        error = "the test network is not reached from a test built for Windows";
        return false;
    }
    const std::filesystem::path folder = RequestFolder();
    if (folder.empty()) {
        error =
            "no VANTREL_MODSIM_REQUESTS: run this test through tests/windows/with_linux_modsim.sh";
        return false;
    }
    static unsigned requests = 0;
    const std::string name = std::to_string(++requests);
    {
        std::ofstream file(folder / (name + ".args.part"), std::ios::binary);
        for (const std::string& arg : args) file << arg << '\n';
        if (std::find(args.begin(), args.end(), "--duration") == args.end())
            file << "--duration\n" << kBackstopSeconds << '\n';
        if (!file) {
            error = "cannot write the request in " + folder.string();
            return false;
        }
    }
    std::error_code renamed;
    std::filesystem::rename(folder / (name + ".args.part"), folder / (name + ".args"), renamed);
    if (renamed) {
        error = "cannot hand the request over in " + folder.string() + ": " + renamed.message();
        return false;
    }
    const auto answer =
        WaitForAnswer({folder / (name + ".ready"), folder / (name + ".failed")}, kAnswerTimeoutMs);
    if (answer.empty()) {
        error = "vantrel-modsim did not get ready: no answer from the test's script";
        return false;
    }
    request_ = name;
    if (answer == folder / (name + ".ready")) return true;
    error = "vantrel-modsim did not get ready: " + ReadText(answer);
    Stop();
    return false;
}

ModsimProcess::~ModsimProcess() { Stop(); }

int ModsimProcess::Stop() {
    if (request_.empty()) return -1;
    const std::filesystem::path folder = RequestFolder();
    std::ofstream(folder / (request_ + ".stop")) << "stop\n";
    const auto answer = WaitForAnswer({folder / (request_ + ".stopped")}, kAnswerTimeoutMs);
    request_.clear();
    if (answer.empty()) return -1;
    return std::atoi(ReadText(answer).c_str());
}

std::string ModsimProcess::ErrorText() const {
    return request_.empty() ? std::string() : ReadText(RequestFolder() / (request_ + ".err"));
}

}  // namespace harness
