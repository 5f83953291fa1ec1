#include "cli/local_address.h"

namespace cli {

// The settings engine is not in this build yet; until it is, only --from chooses the adapter.
bool ReadStoredLocalIp(const std::string&, std::int32_t&) { return false; }

}  // namespace cli
