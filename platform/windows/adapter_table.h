#pragma once
// GetAdaptersAddresses, which both the address table and the doctor's facts read.
#include <winsock2.h>
#include <iphlpapi.h>

#include <memory>

namespace platform::windows {

struct FreeAdapters {
    void operator()(IP_ADAPTER_ADDRESSES* table) const;
};
using AdapterTable = std::unique_ptr<IP_ADAPTER_ADDRESSES, FreeAdapters>;

// Every adapter with its IPv4 addresses, in the system's order (null when there is none). False
// when the table cannot be read.
bool ReadAdapters(AdapterTable& table);

}  // namespace platform::windows
