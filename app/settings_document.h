#pragma once
// The text of a settings file held in memory: every line exactly as it was read, and an index
// from section and key names (without regard to ASCII letter case) to the lines that hold them.
// No input and output here; SettingsFile decides when to read and write.
//
// How a line reads, looking only at its bytes before any NUL byte:
// - blanks first are skipped; blanks are space, tab, CR, vertical tab and form feed;
// - "[name]..." opens section "name" (blanks around the name dropped, text after "]" ignored);
//   a "[" without "]" is a junk line and leaves the current section open;
// - ";..." is a comment;
// - "key=value" is a value (blanks around key and value dropped); a line without "=", or with
//   nothing before it, is a junk line;
// - lines before the first section belong to no section and cannot be read.
// The first section of a name and the first key of a name in it are the ones read and written;
// later duplicates stay in the file untouched. A UTF-8 byte order mark opens no line: it is kept
// in front of the file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class SettingsDocument {
public:
    SettingsDocument() { Clear(); }

    // Replaces the document by the lines of bytes.
    void Parse(std::string_view bytes);
    void Clear();

    // The value of the key, or nullopt when the section or the key is missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    // Replaces the value of the key in its line, or adds the key after the last key of its
    // section, or adds the section at the end. New lines end the way the file's first line ends
    // (LF for a new file). False when nothing changed: the key already held that value.
    // The caller has checked the names and the value with the Is* functions below.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes: every line that Set did not touch is as Parse found it.
    std::string Serialize() const;

    // Names and values that read back as written: not empty, no line break or NUL, no blank at
    // either end, and nothing that would read as another kind of line.
    static bool IsValidSectionName(std::string_view name);
    static bool IsValidKeyName(std::string_view name);
    // A value may hold anything but a line break or NUL; blanks at its ends do not read back.
    static bool IsValidValue(std::string_view value);

private:
    enum class LineEnd : std::uint8_t { kNone, kLf, kCrLf };
    struct Line {
        std::string text;  // without its line end
        LineEnd end = LineEnd::kNone;
    };
    struct Section {
        std::vector<Line> lines;                       // the "[name]" line first, when named
        std::size_t lastEntry = 0;                     // new keys go after this line
        std::unordered_map<std::string, std::size_t> keys;  // lower-case key -> line
    };

    void AddParsedLine(std::string_view text, LineEnd end);
    void EnsureLineEnd(Line& line) const;
    static std::string_view LineEndText(LineEnd end);

    bool byteOrderMark_ = false;
    LineEnd newLineEnd_ = LineEnd::kLf;
    std::vector<Section> sections_;  // [0] holds the lines before the first section
    std::unordered_map<std::string, std::size_t> sectionIndex_;  // lower-case name -> section
};
