#pragma once
#include <cstdint>
#include <vector>

// The usable addresses of a system address table, in table order: 0.0.0.0, first octets 127
// and 255 (low seven bits all set) and repeats are skipped.
std::vector<std::uint32_t> FilterAdapterAddresses(const std::vector<std::uint32_t>& table);

// Fills `list` with this computer's usable IPv4 addresses; true when it holds at least one.
bool GetLocalAdapters(std::vector<std::uint32_t>& list);
