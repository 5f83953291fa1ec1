#include "cli/table_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

namespace cli {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string LineText(std::size_t line) { return "line " + std::to_string(line); }

std::optional<std::size_t> ColumnIndex(std::span<const std::string_view> columns,
                                       std::string_view name) {
    const auto found = std::find(columns.begin(), columns.end(), name);
    if (found == columns.end()) return std::nullopt;
    return static_cast<std::size_t>(found - columns.begin());
}

std::string UnknownColumn(std::span<const std::string_view> columns, std::string_view name) {
    std::string known;
    for (const auto column : columns) known += (known.empty() ? "" : ", ") + std::string(column);
    return "unknown column '" + std::string(name) + "' (the columns are " + known + ")";
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const auto comma = line.find(',', start);
        auto field =
            Trim(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
            field = field.substr(1, field.size() - 2);
        fields.push_back(field);
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

bool ReadCsv(std::string_view text, std::span<const std::string_view> columns, Table& table,
             std::string& error) {
    std::vector<std::size_t> order;  // known column of each header field
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const auto line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#') continue;
        const auto fields = SplitFields(line);
        if (order.empty()) {
            for (const auto name : fields) {
                const auto index = ColumnIndex(columns, name);
                if (!index) {
                    error = LineText(lineNumber) + ": " + UnknownColumn(columns, name);
                    return false;
                }
                if (table.hasColumn[*index]) {
                    error = LineText(lineNumber) + ": column '" + std::string(name) + "' twice";
                    return false;
                }
                table.hasColumn[*index] = true;
                order.push_back(*index);
            }
            continue;
        }
        // Fewer fields leave the last columns empty; more have no column to go to.
        if (fields.size() > order.size()) {
            error = LineText(lineNumber) + ": " + std::to_string(fields.size()) +
                    " fields, but the header names " + std::to_string(order.size());
            return false;
        }
        TableRow row{lineNumber, std::vector<std::optional<std::string>>(columns.size())};
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (!fields[i].empty()) row.cells[order[i]] = std::string(fields[i]);
        table.rows.push_back(std::move(row));
    }
    if (order.empty()) {
        error = "no header line naming the columns";
        return false;
    }
    return true;
}

// The line on which each element of the top-level array begins. The JSON library reports no
// positions for values, and a bad row must be named by its line as in CSV.
std::vector<std::size_t> ElementLines(std::string_view text) {
    std::vector<std::size_t> lines;
    std::size_t line = 1;
    int depth = 0;
    bool inString = false, escaped = false, expectElement = false;
    for (const char c : text) {
        if (c == '\n') ++line;
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (depth == 1 && expectElement && c != ']') lines.push_back(line);
        expectElement = depth == 1 && c == ',';
        if (c == '"') inString = true;
        if (c == '[' || c == '{') {
            ++depth;
            if (depth == 1) expectElement = true;
        }
        if (c == ']' || c == '}') --depth;
    }
    return lines;
}

bool ReadJson(std::string_view text, std::span<const std::string_view> columns, Table& table,
              std::string& error) {
    const auto document = nlohmann::json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        error = "not valid JSON";
        return false;
    }
    if (!document.is_array()) {
        error = "the JSON must be an array of objects";
        return false;
    }
    const auto lines = ElementLines(text);
    for (std::size_t n = 0; n < document.size(); ++n) {
        const auto& element = document[n];
        const std::size_t lineNumber = n < lines.size() ? lines[n] : 0;
        const std::string where = LineText(lineNumber) + " (entry " + std::to_string(n + 1) + ")";
        if (!element.is_object()) {
            error = where + ": not an object";
            return false;
        }
        TableRow row{lineNumber, std::vector<std::optional<std::string>>(columns.size())};
        for (const auto& [name, value] : element.items()) {
            const auto index = ColumnIndex(columns, name);
            if (!index) {
                error = where + ": " + UnknownColumn(columns, name);
                return false;
            }
            if (value.is_null()) continue;
            if (!value.is_string()) {
                error = where + ": \"" + name + "\" must be a text";
                return false;
            }
            table.hasColumn[*index] = true;
            const std::string cell(Trim(value.get<std::string>()));
            if (!cell.empty()) row.cells[*index] = cell;
        }
        table.rows.push_back(std::move(row));
    }
    return true;
}

}  // namespace

bool ReadTable(std::string_view text, std::span<const std::string_view> columns, Table& table,
               std::string& error) {
    table = Table{std::vector<bool>(columns.size()), {}};
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] == '[')
        return ReadJson(text, columns, table, error);
    return ReadCsv(text, columns, table, error);
}

bool ReadTextFile(const std::string& path, std::string& text, std::string& error) {
    std::error_code folderCheck;
    const bool folder = std::filesystem::is_directory(path, folderCheck);
    std::ifstream file;
    if (!folder) file.open(path, std::ios::binary);
    if (folder || !file) {
        error = "cannot read " + path + ": " + std::strerror(folder ? EISDIR : errno);
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

}  // namespace cli
