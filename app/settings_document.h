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
//
// Lines are not copied one by one: they point into the file's text, or into a second buffer for
// the lines that Set wrote, and the keys sit in one flat hash table, so that parsing and looking
// up a list of 65,536 devices stays linear and cheap.
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

    // Replaces the document by the lines of bytes (at most 4 GiB).
    void Parse(std::string bytes);
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
    // The bytes Parse was given (clipped at 4 GiB), whatever Set changed since.
    const std::string& ParsedText() const { return text_; }

    static constexpr std::size_t kMaxTextBytes = 16u << 20;

    // Names and values that read back as written: not empty, no line break or NUL, no blank at
    // either end, and nothing that would read as another kind of line; none above kMaxTextBytes.
    static bool IsValidSectionName(std::string_view name);
    static bool IsValidKeyName(std::string_view name);
    // A value may hold anything but LF or NUL; blanks (CR among them) at its ends do not read
    // back.
    static bool IsValidValue(std::string_view value);

private:
    enum class LineEnd : std::uint8_t { kNone, kLf, kCrLf };
    struct Line {
        std::uint32_t begin = 0;   // in text_, or in written_ when rewritten
        std::uint32_t length = 0;  // without the line end
        LineEnd end = LineEnd::kNone;
        bool rewritten = false;
        bool indexed = false;  // the first key of its name in its section: the one in keys_
    };
    struct Section {
        std::vector<Line> lines;    // the "[name]" line first, when named
        std::uint32_t lastEntry = 0;  // new keys go after this line
    };
    struct KeySlot {  // one key of the hash table; section kEmpty marks a free slot
        std::uint32_t hash = 0;
        std::uint32_t section = kEmpty;
        std::uint32_t line = 0;
    };
    struct Position {
        std::uint32_t section = kEmpty;
        std::uint32_t line = 0;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    struct PendingKey {  // a key met while parsing, not yet in the table
        std::uint32_t hash = 0;
        std::uint32_t section = 0;
        std::uint32_t line = 0;
        std::string_view name;
    };

    std::string_view TextOf(const Line& line) const;
    // Adds the line to the current section; true when it is a key, then described by key.
    bool AddParsedLine(const Line& line, PendingKey& key);
    void IndexPendingKey(const PendingKey& key);
    Line AppendWritten(std::string_view text, LineEnd end);
    void EnsureLineEnd(Line& line) const;
    static std::string_view LineEndText(LineEnd end);

    // The slot that holds the key of the section, or the free slot where it would go.
    std::size_t FindSlot(std::uint32_t section, std::string_view key, std::uint32_t hash) const;
    // Where the key is, or section kEmpty; then freeSlot (when given) gets the free slot that
    // the table search ended on, unless the line after the last one found answered.
    Position Locate(std::uint32_t section, std::string_view key, std::size_t* freeSlot = nullptr) const;
    // False when the section already has a key of that name.
    bool AddKey(std::uint32_t section, std::uint32_t line, std::string_view key, std::uint32_t hash);
    void GrowKeys();

    std::string text_;     // the file as parsed, without its byte order mark
    std::string written_;  // the text of lines that Set wrote
    bool byteOrderMark_ = false;
    LineEnd newLineEnd_ = LineEnd::kLf;
    std::vector<Section> sections_;  // [0] holds the lines before the first section
    std::unordered_map<std::string, std::uint32_t> sectionIndex_;  // lower-case name -> section
    std::vector<KeySlot> keys_;  // open addressing, a power of two in size, at most half full
    std::size_t keyCount_ = 0;
    // The line found last: keys are mostly read in file order (a device list is), so the line
    // after it is tried before the table. Only a hint; it never changes what a lookup finds.
    mutable Position lastFound_;
};
