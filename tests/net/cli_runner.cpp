#include "sim/harness/modsim_process.h"
#include "tests/net/net_test_support.h"

namespace nettest {

harness::ProgramResult RunCli(std::vector<std::string> args) {
    constexpr unsigned kCommandTimeoutMs = 15000;
    args.insert(args.begin(), harness::CliPath());
    return harness::RunProgram(args, kCommandTimeoutMs);
}

}  // namespace nettest
