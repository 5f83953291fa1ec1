#include "app/string_table.h"

#include "app/text_chars.h"

namespace app {

namespace {

constexpr int kMaxStringId = 65535;  // string resource ids are 16-bit

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        if (text[i] == 'n')
            out += '\n';
        else if (text[i] == '\\')
            out += '\\';
        else
            return false;
    }
    return true;
}

bool ParseEntry(std::string_view line, int& id, std::string& text) {
    std::size_t at = 0;
    id = 0;
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
        id = id * 10 + (line[at] - '0');
        if (id > kMaxStringId) return false;
    }
    if (at == 0 || at == line.size() || !IsBlank(line[at])) return false;
    const std::string_view entry = TrimLeadingBlanks(line.substr(at));
    return !entry.empty() && Unescape(entry, text);
}

}  // namespace

StringTable ParseStringTable(std::string_view text) {
    StringTable table;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        int id = 0;
        std::string entry;
        if (!ParseEntry(line, id, entry) || !table.texts.emplace(id, std::move(entry)).second)
            table.badLines.push_back(lineNumber);
    }
    return table;
}

}  // namespace app
