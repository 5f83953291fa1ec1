#pragma once
// The command line of vantrel-exporter.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/local_address.h"
#include "exporter/target_access.h"

namespace exporter {

struct ExporterOptions {
    std::uint32_t listenAddress = 0;  // network byte order
    std::uint16_t listenPort = 0;
    cli::LocalAddressOptions local;  // --from, --settings, as vantrel-cli reads them
    std::size_t jobs = 0;
    std::vector<AddressRange> allow;
    bool help = false;
    bool version = false;
};

extern const char* const kUsage;

// False with a one-line reason for a bad argument.
bool ParseExporterOptions(std::vector<std::string> args, ExporterOptions& options,
                          std::string& error);

// "ADDR:PORT", IPv4 only, port 1-65535.
bool ParseListenAddress(const std::string& text, std::uint32_t& address, std::uint16_t& port);

}  // namespace exporter
