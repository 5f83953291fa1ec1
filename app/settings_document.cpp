#include "app/settings_document.h"

#include <algorithm>

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

char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = ToLower(c);
    return lower;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLower(a[i]) != ToLower(b[i])) return false;
    return true;
}

// FNV-1a over the lower-case name, seeded with the section, then mixed so that the low bits
// that pick a slot depend on every byte.
std::uint32_t KeyHash(std::uint32_t section, std::string_view key) {
    std::uint64_t hash = 0xCBF29CE484222325ull ^ section;
    for (const char c : key) {
        hash ^= static_cast<unsigned char>(ToLower(c));
        hash *= 0x100000001B3ull;
    }
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    return static_cast<std::uint32_t>(hash);
}

bool HasLineBreakOrNul(std::string_view text) {
    for (const char c : text)
        if (c == '\r' || c == '\n' || c == '\0') return true;
    return false;
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
    text_.clear();
    written_.clear();
    byteOrderMark_ = false;
    newLineEnd_ = LineEnd::kLf;
    sections_.assign(1, Section{});
    sectionIndex_.clear();
    keys_.assign(16, KeySlot{});
    keyCount_ = 0;
    lastFound_ = Position{};
}

std::string_view SettingsDocument::TextOf(const Line& line) const {
    return std::string_view(line.rewritten ? written_ : text_).substr(line.begin, line.length);
}

void SettingsDocument::Parse(std::string bytes) {
    Clear();
    text_ = std::move(bytes);
    if (text_.size() > kEmpty) text_.resize(kEmpty);  // offsets are 32-bit; callers stay far below
    const std::string_view all(text_);
    std::size_t start = 0;
    if (all.starts_with(kByteOrderMark)) {
        byteOrderMark_ = true;
        start = kByteOrderMark.size();
    }
    // Room for every line as a key, so the table never grows while parsing.
    const auto lineCount = static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n')) + 1;
    std::size_t slots = 16;
    while (slots * 3 < lineCount * 4) slots *= 2;
    keys_.assign(slots, KeySlot{});

    // A key waits a few lines before it goes into the table, while the slot it will probe is
    // fetched: a long list's table is far larger than the caches.
    constexpr std::size_t kAhead = 8;
    PendingKey pending[kAhead];
    std::size_t oldest = 0, waiting = 0;
    auto indexOldest = [&] {  // in file order, so that the first key of a name wins
        IndexPendingKey(pending[oldest]);
        oldest = (oldest + 1) % kAhead;
        --waiting;
    };
    auto add = [&](const Line& line) {
        PendingKey key;
        if (!AddParsedLine(line, key)) return;
        __builtin_prefetch(&keys_[key.hash & (keys_.size() - 1)]);
        if (waiting == kAhead) indexOldest();
        pending[(oldest + waiting++) % kAhead] = key;
    };
    bool sawLineEnd = false;
    while (start < all.size()) {
        Line line;
        line.begin = static_cast<std::uint32_t>(start);
        const auto newline = all.find('\n', start);
        if (newline == std::string_view::npos) {
            line.length = static_cast<std::uint32_t>(all.size() - start);
            add(line);
            break;
        }
        line.length = static_cast<std::uint32_t>(newline - start);
        line.end = LineEnd::kLf;
        if (line.length > 0 && all[newline - 1] == '\r') {
            --line.length;
            line.end = LineEnd::kCrLf;
        }
        if (!sawLineEnd) newLineEnd_ = line.end;
        sawLineEnd = true;
        add(line);
        start = newline + 1;
    }
    while (waiting > 0) indexOldest();
}

bool SettingsDocument::AddParsedLine(const Line& line, PendingKey& key) {
    const LineView view = Classify(TextOf(line));
    if (view.kind == LineView::kSection) {
        sections_.emplace_back();
        if (!view.name.empty())
            sectionIndex_.try_emplace(Lower(view.name), static_cast<std::uint32_t>(sections_.size() - 1));
    }
    const auto sectionNumber = static_cast<std::uint32_t>(sections_.size() - 1);
    Section& section = sections_.back();
    section.lines.push_back(line);
    if (view.kind != LineView::kEntry || sectionNumber == 0) return false;
    section.lastEntry = static_cast<std::uint32_t>(section.lines.size() - 1);
    key = PendingKey{KeyHash(sectionNumber, view.name), sectionNumber, section.lastEntry, view.name};
    return true;
}

void SettingsDocument::IndexPendingKey(const PendingKey& key) {
    sections_[key.section].lines[key.line].indexed = AddKey(key.section, key.line, key.name, key.hash);
}

std::size_t SettingsDocument::FindSlot(std::uint32_t section, std::string_view key,
                                       std::uint32_t hash) const {
    const std::size_t mask = keys_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const KeySlot& slot = keys_[at];
        if (slot.section == kEmpty) return at;
        if (slot.hash == hash && slot.section == section &&
            EqualsIgnoringCase(Classify(TextOf(sections_[section].lines[slot.line])).name, key))
            return at;
    }
}

bool SettingsDocument::AddKey(std::uint32_t section, std::uint32_t line, std::string_view key,
                              std::uint32_t hash) {
    if ((keyCount_ + 1) * 4 > keys_.size() * 3) GrowKeys();
    KeySlot& slot = keys_[FindSlot(section, key, hash)];
    if (slot.section != kEmpty) return false;  // a later duplicate: the first key of a name wins
    slot = KeySlot{hash, section, line};
    ++keyCount_;
    return true;
}

SettingsDocument::Position SettingsDocument::Locate(std::uint32_t section, std::string_view key,
                                                    std::size_t* freeSlot) const {
    if (lastFound_.section == section) {
        const auto& lines = sections_[section].lines;
        const std::uint32_t next = lastFound_.line + 1;
        if (next < lines.size() && lines[next].indexed &&
            EqualsIgnoringCase(Classify(TextOf(lines[next])).name, key)) {
            lastFound_.line = next;
            return lastFound_;
        }
    }
    const std::size_t at = FindSlot(section, key, KeyHash(section, key));
    const KeySlot& slot = keys_[at];
    if (slot.section == kEmpty) {
        if (freeSlot != nullptr) *freeSlot = at;
        return Position{};
    }
    lastFound_ = Position{slot.section, slot.line};
    return lastFound_;
}

void SettingsDocument::GrowKeys() {
    std::vector<KeySlot> old(keys_.size() * 2);
    old.swap(keys_);
    const std::size_t mask = keys_.size() - 1;
    for (const KeySlot& slot : old) {
        if (slot.section == kEmpty) continue;
        std::size_t at = slot.hash & mask;
        while (keys_[at].section != kEmpty) at = (at + 1) & mask;
        keys_[at] = slot;
    }
}

std::optional<std::string_view> SettingsDocument::Find(std::string_view section,
                                                       std::string_view key) const {
    const auto named = sectionIndex_.find(Lower(section));
    if (named == sectionIndex_.end()) return std::nullopt;
    const Position found = Locate(named->second, key);
    if (found.section == kEmpty) return std::nullopt;
    return Classify(TextOf(sections_[found.section].lines[found.line])).value;
}

SettingsDocument::Line SettingsDocument::AppendWritten(std::string_view text, LineEnd end) {
    Line line;
    line.begin = static_cast<std::uint32_t>(written_.size());
    line.length = static_cast<std::uint32_t>(text.size());
    line.end = end;
    line.rewritten = true;
    written_.append(text);
    return line;
}

bool SettingsDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    // Offsets are 32-bit: a document rewritten that often starts over from its own text, which
    // drops the text of the lines replaced since. Names and values are bounded, so one Set
    // cannot pass the limit.
    if (written_.size() > (1u << 30)) Parse(Serialize());
    std::string lowerSection = Lower(section);
    auto named = sectionIndex_.find(lowerSection);
    if (named == sectionIndex_.end()) {
        for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
            if (it->lines.empty()) continue;
            EnsureLineEnd(it->lines.back());
            break;
        }
        std::string header;
        header.append("[").append(section).append("]");
        const Line line = AppendWritten(header, newLineEnd_);
        sections_.emplace_back();
        sections_.back().lines.push_back(line);
        named = sectionIndex_.emplace(std::move(lowerSection),
                                      static_cast<std::uint32_t>(sections_.size() - 1)).first;
    }
    const std::uint32_t number = named->second;
    // Grown first, so that the free slot a miss finds is the one the new key takes.
    if ((keyCount_ + 1) * 4 > keys_.size() * 3) GrowKeys();
    std::size_t freeSlot = keys_.size();
    const Position found = Locate(number, key, &freeSlot);
    if (found.section != kEmpty) {
        Line& line = sections_[number].lines[found.line];
        const LineView view = Classify(TextOf(line));
        if (view.value == value) return false;
        std::string text(TextOf(line).substr(0, view.valueAt));
        text.append(value);
        Line rewritten = AppendWritten(text, line.end);
        rewritten.indexed = true;
        line = rewritten;
        return true;
    }
    std::string text(key);
    text.append("=").append(value);
    Line line = AppendWritten(text, newLineEnd_);
    line.indexed = true;
    Section& target = sections_[number];
    EnsureLineEnd(target.lines[target.lastEntry]);
    const std::uint32_t at = target.lastEntry + 1;
    target.lines.insert(target.lines.begin() + at, line);
    // Only blank, junk and comment lines follow the last key, so no indexed line has moved.
    target.lastEntry = at;
    if (freeSlot == keys_.size()) freeSlot = FindSlot(number, key, KeyHash(number, key));
    keys_[freeSlot] = KeySlot{KeyHash(number, key), number, at};
    ++keyCount_;
    lastFound_ = Position{number, at};
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
        for (const Line& line : section.lines) size += line.length + 2;
    std::string bytes;
    bytes.reserve(size);
    if (byteOrderMark_) bytes.append(kByteOrderMark);
    for (const Section& section : sections_)
        for (const Line& line : section.lines) bytes.append(TextOf(line)).append(LineEndText(line.end));
    return bytes;
}

bool SettingsDocument::IsValidSectionName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxTextBytes && Trim(name).size() == name.size() && !HasLineBreakOrNul(name) &&
           name.find(']') == std::string_view::npos;
}

bool SettingsDocument::IsValidKeyName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxTextBytes && Trim(name).size() == name.size() && !HasLineBreakOrNul(name) &&
           name.find('=') == std::string_view::npos && name.front() != '[' && name.front() != ';';
}

bool SettingsDocument::IsValidValue(std::string_view value) {
    // A CR reads as a blank: inside a value it reads back, at its end it is dropped like any
    // blank. Refusing it would leave a hand-edited value like "b\rc" impossible to write back.
    return value.size() <= kMaxTextBytes &&
           value.find_first_of(std::string_view("\n\0", 2)) == std::string_view::npos;
}
