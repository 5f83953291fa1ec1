#pragma once
// Argument checks shared by the network commands. Everything here is decided before any socket
// is opened, so a bad argument never sends anything.
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/cli_support.h"
#include "netconfig/module_exchange.h"
#include "platform/tick.h"

namespace cli {

// A decimal number 0-65535, digits only.
bool ParseQueryCode(std::string_view text, std::uint16_t& code);

// --jobs N of check: a decimal number kMinCheckJobs-kMaxCheckJobs, digits only.
bool ParseCheckJobs(std::string_view text, std::size_t& jobs);

// A network mask: ones from the first bit, then zeros only (0.0.0.0 and 255.255.255.255
// included). Network byte order, like every address.
bool IsContiguousMask(std::uint32_t mask);

// --out PATH of the passport command: PATH itself, or, when PATH is an existing folder, the
// proposed name with ".txt" inside it.
std::string PassportOutputPath(const std::string& out, const netconfig::PassportBuffer& passport,
                               const platform::LocalTime& time);

}  // namespace cli
