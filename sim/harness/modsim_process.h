#pragma once
// vantrel-modsim as a child of a test or a benchmark: started with the given arguments, waited
// for until it reports ready, stopped when the object goes.
#include <string>
#include <vector>

#include "sim/harness/child_process.h"

namespace harness {

// Where the build put vantrel-modsim and vantrel-cli.
std::string ModsimPath();
std::string CliPath();

class ModsimProcess {
public:
    ModsimProcess() = default;
    ~ModsimProcess();  // stops the simulator

    // args go to vantrel-modsim as they are, plus a --duration backstop when they have none,
    // so a simulator outlives no run. inDeviceNamespace runs it inside vtl-dev.
    bool Start(const std::vector<std::string>& args, std::string& error,
               bool inDeviceNamespace = false);
    // The same inside the named namespace of the test network.
    bool StartIn(const std::string& ns, const std::vector<std::string>& args, std::string& error);
    int Stop();
    std::string ErrorText() const;
    // One simulator, stopped once.
    ModsimProcess(const ModsimProcess&) = delete;
    ModsimProcess& operator=(const ModsimProcess&) = delete;

private:
#ifdef _WIN32
    // A test built for Windows runs under Wine, where it cannot hold a Linux program as its
    // child: the script that runs it (tests/windows/with_linux_modsim.sh) starts and stops the
    // Linux simulator on request, through files in the folder VANTREL_MODSIM_REQUESTS names.
    std::string request_;  // this simulator's request, empty when none is running
#else
    ChildProcess child_;
#endif
};

}  // namespace harness
