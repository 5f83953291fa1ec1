#include "cli/site_file.h"

#include <array>
#include <map>

#include "cli/network_args.h"
#include "cli/table_file.h"

namespace cli {

namespace {

constexpr std::array<std::string_view, 5> kColumns = {"mac", "ip", "mask", "gateway", "switcher"};
enum Column : std::size_t { kMac, kIp, kMask, kGateway, kSwitcher };

bool ParseAddressCell(const std::string& text, std::string_view what, std::uint32_t& address,
                      std::string& error) {
    if (netconfig::ParseIpAddress(text, address)) return true;
    error = std::string(what) + " '" + text + "' is not an IPv4 address";
    return false;
}

bool ParseRow(const TableRow& row, SiteRow& site, std::string& error) {
    site.line = row.line;
    const auto& cells = row.cells;
    if (!cells[kMac]) {
        error = "no MAC";
        return false;
    }
    if (!netconfig::ParseMacAddress(*cells[kMac], site.mac)) {
        error = "'" + *cells[kMac] + "' is not a MAC address (six hexadecimal bytes)";
        return false;
    }
    const int networkCells = !!cells[kIp] + !!cells[kMask] + !!cells[kGateway];
    if (networkCells != 0 && networkCells != 3) {
        error = "ip, mask and gateway go together: give all three or none";
        return false;
    }
    if (networkCells == 3) {
        NetworkSettings network;
        if (!ParseAddressCell(*cells[kIp], "ip", network.ip, error) ||
            !ParseAddressCell(*cells[kMask], "mask", network.mask, error) ||
            !ParseAddressCell(*cells[kGateway], "gateway", network.gateway, error))
            return false;
        if (!netconfig::IsSingleHostAddress(network.ip)) {
            error = "ip '" + *cells[kIp] + "' is not the address of one host";
            return false;
        }
        if (!IsContiguousMask(network.mask)) {
            error = "mask '" + *cells[kMask] + "' is not a network mask";
            return false;
        }
        site.network = network;
    }
    if (cells[kSwitcher]) {
        std::uint32_t switcher = 0;
        if (!ParseAddressCell(*cells[kSwitcher], "switcher", switcher, error)) return false;
        site.switcher = switcher;
    }
    return true;
}

}  // namespace

bool ParseSiteFile(std::string_view text, std::vector<SiteRow>& rows, std::string& error) {
    rows.clear();
    Table table;
    if (!ReadTable(text, kColumns, table, error)) return false;
    std::map<netconfig::MacAddress, std::size_t> lineOfMac;
    std::map<std::uint32_t, std::size_t> lineOfIp;
    for (const auto& row : table.rows) {
        const std::string where = "line " + std::to_string(row.line) + ": ";
        SiteRow site;
        if (!ParseRow(row, site, error)) {
            error = where + error;
            return false;
        }
        if (const auto [earlier, fresh] = lineOfMac.emplace(site.mac, site.line); !fresh) {
            error = where + netconfig::FormatMacAddress(site.mac) + " is already on line " +
                    std::to_string(earlier->second);
            return false;
        }
        if (site.network) {
            if (const auto [earlier, fresh] = lineOfIp.emplace(site.network->ip, site.line);
                !fresh) {
                error = where + netconfig::FormatIpAddress(site.network->ip) +
                        " is already given on line " + std::to_string(earlier->second) +
                        " (two modules, one address)";
                return false;
            }
        }
        rows.push_back(site);
    }
    return true;
}

}  // namespace cli
