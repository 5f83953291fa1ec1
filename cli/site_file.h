#pragma once
// A site file: what each module of a site should be, named by its MAC. CSV with a header naming
// some of mac, ip, mask, gateway, switcher (mac required; ip, mask and gateway together or not at
// all), or the same as a JSON array of objects.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "netconfig/address_text.h"

namespace cli {

struct NetworkSettings {
    std::uint32_t ip = 0;  // network byte order, like every address
    std::uint32_t mask = 0;
    std::uint32_t gateway = 0;

    bool operator==(const NetworkSettings&) const = default;
};

struct SiteRow {
    std::size_t line = 0;
    netconfig::MacAddress mac{};
    std::optional<NetworkSettings> network;
    std::optional<std::uint32_t> switcher;
};

// False with a one-line reason naming the line: a missing or bad MAC, a MAC named twice, an
// address that is not one host, a mask that is not contiguous, ip/mask/gateway given only in
// part, or two modules given one address.
bool ParseSiteFile(std::string_view text, std::vector<SiteRow>& rows, std::string& error);

}  // namespace cli
