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
    // args go to vantrel-modsim as they are, plus a --duration backstop when they have none,
    // so a simulator outlives no run. inDeviceNamespace runs it inside vtl-dev.
    bool Start(const std::vector<std::string>& args, std::string& error,
               bool inDeviceNamespace = false);
    // The same inside the named namespace of the test network.
    bool StartIn(const std::string& ns, const std::vector<std::string>& args, std::string& error);
    int Stop() { return child_.Stop(); }
    std::string ErrorText() const { return child_.ErrorText(); }

private:
    ChildProcess child_;
};

}  // namespace harness
