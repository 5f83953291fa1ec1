#pragma once
// The files that carry many devices at once (device lists in and out, site files): CSV with a
// header line naming the columns, or a JSON array of objects with the same names, told apart by
// their first character. Every row keeps the line it came from, so a bad row is named by it.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct TableRow {
    std::size_t line = 0;                           // 1-based, in the file's text
    std::vector<std::optional<std::string>> cells;  // one per known column, in their order
};

struct Table {
    std::vector<bool> hasColumn;  // per known column: named by the header (CSV) or by any row
    std::vector<TableRow> rows;
};

// CSV: blank lines and lines starting with '#' are skipped; fields are split at ',' and trimmed,
// a field in double quotes loses them; a row may have fewer fields than the header, not more.
// JSON: an array of objects whose values are texts (or null, as absent). A column name the
// caller does not know is refused. False with a one-line reason naming the line.
bool ReadTable(std::string_view text, std::span<const std::string_view> columns, Table& table,
               std::string& error);

// The whole file at path, or false with the reason it cannot be read.
bool ReadTextFile(const std::string& path, std::string& text, std::string& error);

}  // namespace cli
