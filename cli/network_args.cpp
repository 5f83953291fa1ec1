#include "cli/network_args.h"

#include <array>

#include "app/number_text.h"
#include "netconfig/address_text.h"
#include "netconfig/parallel_check.h"
#include "netconfig/passport_file.h"
#include "platform/path_rules.h"
#include "platform/paths.h"

namespace cli {

namespace {

// Digits only, at most `most`; a value this small fits every caller's type.
bool ParseBoundedDecimal(std::string_view text, std::uint32_t most, std::uint32_t& value) {
    std::uint64_t parsed = 0;
    if (!app::ParseDecimal(text, 5, most, parsed)) return false;
    value = static_cast<std::uint32_t>(parsed);
    return true;
}

}  // namespace

bool ParseQueryCode(std::string_view text, std::uint16_t& code) {
    std::uint32_t value = 0;
    if (!ParseBoundedDecimal(text, 0xFFFF, value)) return false;
    code = static_cast<std::uint16_t>(value);
    return true;
}

bool ParseCheckJobs(std::string_view text, std::size_t& jobs) {
    std::uint32_t value = 0;
    if (!ParseBoundedDecimal(text, netconfig::kMaxCheckJobs, value) ||
        value < netconfig::kMinCheckJobs)
        return false;
    jobs = value;
    return true;
}

bool IsContiguousMask(std::uint32_t mask) {
    const std::uint32_t value = netconfig::DottedOrder(mask);
    // The host part must be a run of ones at the low end: adding one then clears them all.
    const std::uint32_t hostBits = ~value;
    return (hostBits & (hostBits + 1)) == 0;
}

std::string PassportOutputPath(const std::string& out, const netconfig::PassportBuffer& passport,
                               const platform::LocalTime& time) {
    if (!platform::IsFolder(out)) return out;
    return platform::JoinPath(out, netconfig::ProposedPassportName(passport, time) + ".txt");
}

}  // namespace cli
