#include "platform/windows/adapter_table.h"

#include <cstdlib>

namespace platform::windows {

void FreeAdapters::operator()(IP_ADAPTER_ADDRESSES* table) const { std::free(table); }

bool ReadAdapters(AdapterTable& table) {
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    // The table can grow between the call that sizes it and the one that fills it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        table.reset(static_cast<IP_ADAPTER_ADDRESSES*>(std::malloc(size)));
        if (!table) return false;
        const ULONG result = GetAdaptersAddresses(AF_INET, kFlags, nullptr, table.get(), &size);
        if (result == ERROR_SUCCESS) return true;
        table.reset();
        if (result == ERROR_NO_DATA) return true;
        if (result != ERROR_BUFFER_OVERFLOW) return false;
    }
    return false;
}

}  // namespace platform::windows
