#pragma once
// How a lock holder's published note is stored, on every system: the note and a closing newline,
// which tells a reader the line is whole (a holder may be writing it at that very moment).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Longer than any path a holder publishes; a longer file is not a note of ours.
inline constexpr std::size_t kMostNoteBytes = 65536;

inline std::string NoteLine(std::string_view note) {
    std::string line(note);
    line += '\n';
    return line;
}

// The note of a whole line; none while the line is still being written, or when it is longer
// than a note may be.
inline std::optional<std::string> NoteOfLine(std::string text) {
    if (text.empty() || text.back() != '\n' || text.size() > kMostNoteBytes) return std::nullopt;
    text.pop_back();
    return text;
}

}  // namespace platform
