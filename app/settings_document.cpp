#include "app/settings_document.h"

#include "app/text_chars.h"

namespace app {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    return true;
}

// FNV-1a over the lower-case name, seeded with its owner, then mixed so that the low bits that
// pick a slot depend on every byte.
std::uint32_t NameHash(std::uint32_t owner, std::string_view name) {
    std::uint64_t hash = 0xCBF29CE484222325ull ^ owner;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(ToLowerAscii(c));
        hash *= 0x100000001B3ull;
    }
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    return static_cast<std::uint32_t>(hash);
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

struct LineView {
    enum Kind { kJunk, kComment, kSection, kEntry } kind = kJunk;
    std::string_view name;    // section or key name
    std::string_view value;   // entries only, as it stands (quotes kept)
    std::size_t valueAt = 0;  // where a new value starts in the line, entries only
};

LineView Classify(std::string_view text) {
    LineView view;
    const std::string_view meaningful = text.substr(0, text.find('\0'));
    const std::string_view body = TrimLeadingBlanks(meaningful);
    if (body.empty()) return view;
    if (body.front() == ';') {
        view.kind = LineView::kComment;
        return view;
    }
    if (body.front() == '[') {
        // Without its "]" the name runs to the end of the line.
        view.kind = LineView::kSection;
        view.name = TrimBlanks(body.substr(1, body.find(']', 1) - 1));
        return view;
    }
    const auto equals = body.find('=');
    if (equals == std::string_view::npos) return view;
    view.name = TrimBlanks(body.substr(0, equals));
    if (view.name.empty()) return view;
    view.kind = LineView::kEntry;
    view.value = TrimBlanks(body.substr(equals + 1));
    const std::size_t afterEquals =
        static_cast<std::size_t>(body.data() - text.data()) + equals + 1;
    // Spacing after "=" survives a rewrite of the value, unless there was no value at all.
    view.valueAt = view.value.empty() ? afterEquals
                                      : static_cast<std::size_t>(view.value.data() - text.data());
    return view;
}

}  // namespace

std::string_view SettingsDocument::EndText(LineEnd end) {
    switch (end) {
        case LineEnd::kLf: return "\n";
        case LineEnd::kCrLf: return "\r\n";
        case LineEnd::kCr: return "\r";
        case LineEnd::kNone: break;
    }
    return {};
}

void SettingsDocument::Clear() {
    text_.clear();
    written_.clear();
    byteOrderMark_ = false;
    newLineEnd_ = LineEnd::kLf;
    lines_.assign(1, Line{});
    parsedLines_ = 1;
    writtenSpans_.clear();
    sections_.assign(1, Section{});
    parsedSections_ = 1;
    slots_.assign(16, Slot{});
    slotCount_ = 0;
}

std::string_view SettingsDocument::TextOf(const Line& line) const {
    if (line.written == kNone) return std::string_view(text_).substr(line.begin, line.length);
    const Span& span = writtenSpans_[line.written];
    return std::string_view(written_).substr(span.begin, span.length);
}

std::string_view SettingsDocument::NameOf(const Slot& slot) const {
    const std::uint32_t line =
        slot.owner == kSectionOwner ? sections_[slot.line].header : slot.line;
    return Classify(TextOf(lines_[line])).name;
}

void SettingsDocument::Parse(std::string text) {
    Clear();
    text_ = std::move(text);
    if (text_.size() >= kNone)
        text_.resize(kNone - 1);  // offsets are 32-bit; callers stay far below
    const std::string_view all(text_);
    std::size_t start = 0;
    if (all.starts_with(kByteOrderMark)) {
        byteOrderMark_ = true;
        start = kByteOrderMark.size();
    }
    lines_[0].begin = static_cast<std::uint32_t>(start);
    std::uint32_t section = 0;
    bool sawLineEnd = false;
    while (start < all.size()) {
        std::size_t stop = start;
        while (stop < all.size() && all[stop] != '\n' && all[stop] != '\r') ++stop;
        Line line;
        line.begin = static_cast<std::uint32_t>(start);
        line.length = static_cast<std::uint32_t>(stop - start);
        if (stop < all.size()) {
            line.end = all[stop] == '\n'                                ? LineEnd::kLf
                       : stop + 1 < all.size() && all[stop + 1] == '\n' ? LineEnd::kCrLf
                                                                        : LineEnd::kCr;
            if (!sawLineEnd) newLineEnd_ = line.end;
            sawLineEnd = true;
        }
        AddParsedLine(line, section);
        start = stop + EndText(line.end).size();
    }
    parsedLines_ = static_cast<std::uint32_t>(lines_.size());
    parsedSections_ = static_cast<std::uint32_t>(sections_.size());
}

// Records the line when it can be read or written; section is the one the line stands in, or
// kNone inside a section that cannot be reached (a later duplicate, an empty name).
void SettingsDocument::AddParsedLine(const Line& line, std::uint32_t& section) {
    const LineView view = Classify(TextOf(line));
    const auto number = static_cast<std::uint32_t>(lines_.size());
    if (view.kind == LineView::kSection) {
        section = kNone;
        if (view.name.empty() || FindSection(view.name) != kNone) return;
        lines_.push_back(line);
        section = static_cast<std::uint32_t>(sections_.size());
        sections_.push_back(Section{number, number});
        AddSlot(kSectionOwner, section, view.name);
        return;
    }
    if (view.kind != LineView::kEntry || section == 0 || section == kNone) return;
    const std::uint32_t hash = NameHash(section, view.name);
    if (slots_[FindSlot(section, view.name, hash)].owner != kNone) return;  // the first one wins
    lines_.push_back(line);
    sections_[section].last = number;
    AddSlot(section, number, view.name);
}

std::size_t SettingsDocument::FindSlot(std::uint32_t owner, std::string_view name,
                                       std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.owner == kNone) return at;
        if (slot.hash == hash && slot.owner == owner && EqualsIgnoringCase(NameOf(slot), name))
            return at;
    }
}

std::uint32_t SettingsDocument::FindSection(std::string_view name) const {
    const Slot& slot = slots_[FindSlot(kSectionOwner, name, NameHash(kSectionOwner, name))];
    return slot.owner == kNone ? kNone : slot.line;
}

// The name must not be in the table yet.
void SettingsDocument::AddSlot(std::uint32_t owner, std::uint32_t line, std::string_view name) {
    if ((slotCount_ + 1) * 4 > slots_.size() * 3) GrowSlots();
    const std::uint32_t hash = NameHash(owner, name);
    slots_[FindSlot(owner, name, hash)] = Slot{hash, owner, line};
    ++slotCount_;
}

void SettingsDocument::GrowSlots() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.owner == kNone) continue;
        std::size_t at = slot.hash & mask;
        while (slots_[at].owner != kNone) at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

std::optional<std::string_view> SettingsDocument::Find(std::string_view section,
                                                       std::string_view key) const {
    const std::uint32_t number = FindSection(section);
    if (number == kNone) return std::nullopt;
    const Slot& slot = slots_[FindSlot(number, key, NameHash(number, key))];
    if (slot.owner == kNone) return std::nullopt;
    return Unquoted(Classify(TextOf(lines_[slot.line])).value);
}

void SettingsDocument::SetWrittenText(Line& line, std::string_view text) {
    line.written = static_cast<std::uint32_t>(writtenSpans_.size());
    writtenSpans_.push_back(
        Span{static_cast<std::uint32_t>(written_.size()), static_cast<std::uint32_t>(text.size())});
    written_.append(text);
}

std::uint32_t SettingsDocument::AddWrittenLine(std::string_view text) {
    Line line;
    line.end = newLineEnd_;
    SetWrittenText(line, text);
    lines_.push_back(line);
    return static_cast<std::uint32_t>(lines_.size() - 1);
}

bool SettingsDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    // Offsets are 32-bit: a document rewritten that often starts over from its own text, which
    // drops the text of the lines replaced since. Names and values are bounded, so one Set
    // cannot pass the limit.
    if (written_.size() > (1u << 30)) Parse(Serialize());
    std::string text;
    // A value that would not read back as itself goes in quotes, which reading removes.
    const bool quoted = value != Unquoted(TrimBlanks(value));
    std::uint32_t number = FindSection(section);
    if (number == kNone) {
        text.append("[").append(section).append("]");
        const std::uint32_t header = AddWrittenLine(text);
        number = static_cast<std::uint32_t>(sections_.size());
        sections_.push_back(Section{header, header});
        AddSlot(kSectionOwner, number, section);
    }
    const Slot& slot = slots_[FindSlot(number, key, NameHash(number, key))];
    if (slot.owner != kNone) {
        Line& line = lines_[slot.line];
        const LineView view = Classify(TextOf(line));
        if (Unquoted(view.value) == value) return false;
        text.assign(TextOf(line).substr(0, view.valueAt));
    } else {
        text.assign(key).append("=");
    }
    if (quoted) text.append("\"");
    text.append(value);
    if (quoted) text.append("\"");
    if (slot.owner != kNone) {
        SetWrittenText(lines_[slot.line], text);
        return true;
    }
    const std::uint32_t added = AddWrittenLine(text);
    Section& target = sections_[number];
    lines_[target.last].next = added;
    target.last = added;
    AddSlot(number, added, key);
    return true;
}

// The line, then the lines added after it, each on a line of its own.
void SettingsDocument::AppendWithFollowers(std::string& out, std::uint32_t first) const {
    const std::size_t markSize = byteOrderMark_ ? kByteOrderMark.size() : 0;
    for (std::uint32_t at = first; at != kNone; at = lines_[at].next) {
        const Line& line = lines_[at];
        if (out.size() > markSize && out.back() != '\n' && out.back() != '\r')
            out.append(EndText(newLineEnd_));
        out.append(TextOf(line)).append(EndText(line.end));
    }
}

std::string SettingsDocument::Serialize() const {
    std::string out;
    out.reserve(text_.size() + written_.size() + 2 * (lines_.size() - parsedLines_));
    if (byteOrderMark_) out.append(kByteOrderMark);
    const std::string_view all(text_);
    for (std::uint32_t at = 0; at < parsedLines_; ++at) {
        const Line& line = lines_[at];
        out.append(TextOf(line));
        // The line's own end, then what Set added after it, then the unrecorded lines that
        // followed it in the file.
        const std::size_t afterLine = line.begin + line.length;
        const std::size_t afterEnd = afterLine + EndText(line.end).size();
        out.append(all.substr(afterLine, afterEnd - afterLine));
        if (line.next != kNone) AppendWithFollowers(out, line.next);
        const std::size_t nextLine = at + 1 < parsedLines_ ? lines_[at + 1].begin : all.size();
        out.append(all.substr(afterEnd, nextLine - afterEnd));
    }
    for (std::uint32_t number = parsedSections_; number < sections_.size(); ++number)
        AppendWithFollowers(out, sections_[number].header);
    return out;
}

bool SettingsDocument::IsValidSectionName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxTextBytes &&
           TrimBlanks(name).size() == name.size() && !HasLineBreakOrNul(name) &&
           name.find(']') == std::string_view::npos;
}

bool SettingsDocument::IsValidKeyName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxTextBytes &&
           TrimBlanks(name).size() == name.size() && !HasLineBreakOrNul(name) &&
           name.find('=') == std::string_view::npos && name.front() != '[' && name.front() != ';';
}

bool SettingsDocument::IsValidValue(std::string_view value) {
    return value.size() <= kMaxTextBytes && !HasLineBreakOrNul(value);
}

}  // namespace app
