#include "app/settings_document.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

struct LineView {
    enum Kind { kJunk, kComment, kSection, kEntry } kind = kJunk;
    std::string_view name;    // section or key name
    std::string_view value;   // entries only
    std::size_t valueAt = 0;  // where a new value starts in the line, entries only
};

LineView Classify(std::string_view text) {
    LineView view;
    const std::string_view meaningful = text.substr(0, text.find('\0'));
    const std::string_view body = TrimLeft(meaningful);
    if (body.empty()) return view;
    if (body.front() == ';') {
        view.kind = LineView::kComment;
        return view;
    }
    if (body.front() == '[') {
        const auto close = body.find(']');
        if (close == std::string_view::npos) return view;
        view.kind = LineView::kSection;
        view.name = Trim(body.substr(1, close - 1));
        return view;
    }
    const auto equals = body.find('=');
    if (equals == std::string_view::npos) return view;
    view.name = Trim(body.substr(0, equals));
    if (view.name.empty()) return view;
    view.kind = LineView::kEntry;
    view.value = Trim(body.substr(equals + 1));
    const std::size_t afterEquals = static_cast<std::size_t>(body.data() - text.data()) + equals + 1;
    // Spacing after "=" survives a rewrite of the value, unless there was no value at all.
    view.valueAt = view.value.empty() ? afterEquals
                                      : static_cast<std::size_t>(view.value.data() - text.data());
    return view;
}

}  // namespace

void SettingsDocument::Clear() {
    byteOrderMark_ = false;
    newLineEnd_ = LineEnd::kLf;
    sections_.clear();
    sections_.emplace_back();
    sectionIndex_.clear();
}

void SettingsDocument::Parse(std::string_view bytes) {
    Clear();
    if (bytes.starts_with(kByteOrderMark)) {
        byteOrderMark_ = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    bool sawLineEnd = false;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto newline = bytes.find('\n', start);
        if (newline == std::string_view::npos) {
            AddParsedLine(bytes.substr(start), LineEnd::kNone);
            break;
        }
        std::string_view text = bytes.substr(start, newline - start);
        LineEnd end = LineEnd::kLf;
        if (text.ends_with('\r')) {
            text.remove_suffix(1);
            end = LineEnd::kCrLf;
        }
        if (!sawLineEnd) newLineEnd_ = end;
        sawLineEnd = true;
        AddParsedLine(text, end);
        start = newline + 1;
    }
}

void SettingsDocument::AddParsedLine(std::string_view text, LineEnd end) {
    const LineView view = Classify(text);
    if (view.kind == LineView::kSection) {
        sections_.emplace_back();
        if (!view.name.empty()) sectionIndex_.try_emplace(Lower(view.name), sections_.size() - 1);
    }
    Section& section = sections_.back();
    section.lines.push_back(Line{std::string(text), end});
    const bool named = sections_.size() > 1;
    if (view.kind == LineView::kEntry && named) {
        section.lastEntry = section.lines.size() - 1;
        section.keys.try_emplace(Lower(view.name), section.lastEntry);
    }
}

std::optional<std::string_view> SettingsDocument::Find(std::string_view section,
                                                       std::string_view key) const {
    const auto named = sectionIndex_.find(Lower(section));
    if (named == sectionIndex_.end()) return std::nullopt;
    const Section& found = sections_[named->second];
    const auto entry = found.keys.find(Lower(key));
    if (entry == found.keys.end()) return std::nullopt;
    return Classify(found.lines[entry->second].text).value;
}

bool SettingsDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string lowerSection = Lower(section);
    auto named = sectionIndex_.find(lowerSection);
    if (named == sectionIndex_.end()) {
        for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
            if (it->lines.empty()) continue;
            EnsureLineEnd(it->lines.back());
            break;
        }
        sections_.emplace_back();
        sections_.back().lines.push_back(
            Line{"[" + std::string(section) + "]", newLineEnd_});
        named = sectionIndex_.emplace(std::move(lowerSection), sections_.size() - 1).first;
    }
    Section& target = sections_[named->second];
    std::string lowerKey = Lower(key);
    const auto entry = target.keys.find(lowerKey);
    if (entry != target.keys.end()) {
        Line& line = target.lines[entry->second];
        const LineView view = Classify(line.text);
        if (view.value == value) return false;
        line.text = line.text.substr(0, view.valueAt).append(value);
        return true;
    }
    EnsureLineEnd(target.lines[target.lastEntry]);
    const std::size_t at = target.lastEntry + 1;
    std::string text(key);
    text.append("=").append(value);
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(at),
                        Line{std::move(text), newLineEnd_});
    // Only blank, junk and comment lines follow the last key, so no indexed line has moved.
    target.keys.emplace(std::move(lowerKey), at);
    target.lastEntry = at;
    return true;
}

void SettingsDocument::EnsureLineEnd(Line& line) const {
    if (line.end == LineEnd::kNone) line.end = newLineEnd_;
}

std::string_view SettingsDocument::LineEndText(LineEnd end) {
    switch (end) {
        case LineEnd::kLf: return "\n";
        case LineEnd::kCrLf: return "\r\n";
        case LineEnd::kNone: break;
    }
    return {};
}

std::string SettingsDocument::Serialize() const {
    std::size_t size = byteOrderMark_ ? kByteOrderMark.size() : 0;
    for (const Section& section : sections_)
        for (const Line& line : section.lines) size += line.text.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    if (byteOrderMark_) bytes.append(kByteOrderMark);
    for (const Section& section : sections_)
        for (const Line& line : section.lines) bytes.append(line.text).append(LineEndText(line.end));
    return bytes;
}

bool SettingsDocument::IsValidSectionName(std::string_view name) {
    return !name.empty() && Trim(name).size() == name.size() && !HasLineBreakOrNul(name) &&
           name.find(']') == std::string_view::npos;
}

bool SettingsDocument::IsValidKeyName(std::string_view name) {
    return !name.empty() && Trim(name).size() == name.size() && !HasLineBreakOrNul(name) &&
           name.find('=') == std::string_view::npos && name.front() != '[' && name.front() != ';';
}

bool SettingsDocument::IsValidValue(std::string_view value) { return !HasLineBreakOrNul(value); }
