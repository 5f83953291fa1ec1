#include "platform/temporary_name.h"

#include <charconv>

namespace platform::temporary_name {

namespace {
constexpr std::string_view kMark = ".tmp.";
}

std::string Beside(const std::string& target, unsigned long processId, unsigned counter) {
    return target + std::string(kMark) + std::to_string(processId) + "." + std::to_string(counter);
}

unsigned long WriterOf(std::string_view name, std::string_view targetName) {
    if (!name.starts_with(targetName) || !name.substr(targetName.size()).starts_with(kMark))
        return 0;
    const std::string_view rest = name.substr(targetName.size() + kMark.size());
    unsigned long pid = 0;
    unsigned counter = 0;
    const char* end = rest.data() + rest.size();
    const auto afterPid = std::from_chars(rest.data(), end, pid);
    if (afterPid.ec != std::errc() || afterPid.ptr == end || *afterPid.ptr != '.' || pid == 0)
        return 0;
    const auto afterCounter = std::from_chars(afterPid.ptr + 1, end, counter);
    return afterCounter.ec == std::errc() && afterCounter.ptr == end ? pid : 0;
}

}  // namespace platform::temporary_name
