#include "cli/outcome.h"

#include <iostream>

namespace cli {

void Tell(const std::string& command, const std::string& message) {
    std::cerr << "vantrel-cli: ";
    if (!command.empty()) std::cerr << command << ": ";
    std::cerr << message << '\n';
}

int Report(const Outcome& outcome) {
    if (!outcome.message.empty()) Tell(outcome.command, outcome.message);
    return outcome.code;
}

}  // namespace cli
