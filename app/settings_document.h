#pragma once
// The text of a settings file held in memory, and an index from section and key names (without
// regard to ASCII letter case) to the lines that hold them. No input and output here;
// SettingsFile decides when to read and write, and settings_encoding.h turns UTF-16 files into
// the UTF-8 text read here.
//
// How the text reads, as GetPrivateProfileString reads it:
// - a line ends at LF, at CR LF or at a CR on its own; only its bytes before any NUL byte count;
// - blanks first are skipped; blanks are space, tab, CR, vertical tab and form feed;
// - "[name]..." opens section "name" (blanks around the name dropped, text after "]" ignored);
//   a "[" without "]" opens the section named by the rest of the line;
// - ";..." is a comment;
// - "key=value" is a value (blanks around key and value dropped); a line without "=", or with
//   nothing before it, is a junk line;
// - a value in a matching pair of quotes, double or single, reads without them, blanks inside
//   kept: `Total="2"` reads as 2, `MAC0=' a '` as " a ";
// - lines before the first section belong to no section and cannot be read.
// The first section of a name and the first key of a name in it are the ones read and written;
// later duplicates stay in the file untouched. A UTF-8 byte order mark opens no line: it is kept
// in front of the file.
//
// Memory stays within a small multiple of the text whatever it holds: only the lines that can be
// read or written (a section's first header, a section's first key of a name) are recorded; every
// other line (blank, comment, junk, duplicate) is kept as untouched text between them. A recorded
// line costs 20 bytes and 16 to 32 in the name table; distinct names make it at least a few bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

class SettingsDocument {
public:
    SettingsDocument() { Clear(); }

    // Replaces the document by the lines of text (at most 4 GiB).
    void Parse(std::string text);
    void Clear();

    // The value of the key as it reads, or nullopt when the section or the key is missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    // Replaces the value of the key in its line, or adds the key after the last key of its
    // section, or adds the section at the end. New lines end the way the file's first line ends
    // (LF for a new file). A value that would lose its blanks or quotes on reading is written in
    // double quotes, so that it reads back as given. False when nothing changed: the key already
    // read as that value. The caller has checked the names and the value with the Is* functions.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's text: everything that Set did not change is as Parse found it.
    std::string Serialize() const;
    // The text Parse was given (clipped at 4 GiB), whatever Set changed since.
    const std::string& ParsedText() const { return text_; }

    static constexpr std::size_t kMaxTextBytes = 16u << 20;

    // Names and values that read back as written: not empty, no line break or NUL, no blank at
    // either end, and nothing that would read as another kind of line; none above kMaxTextBytes.
    static bool IsValidSectionName(std::string_view name);
    static bool IsValidKeyName(std::string_view name);
    // A value may hold anything but a line break (LF or CR) or NUL.
    static bool IsValidValue(std::string_view value);

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    static constexpr std::uint32_t kSectionOwner = 0xFFFFFFFEu;  // marks a section's own slot

    enum class LineEnd : std::uint8_t { kNone, kLf, kCrLf, kCr };
    struct Line {
        std::uint32_t begin = 0;        // where the line stood in text_; unused for added lines
        std::uint32_t length = 0;       // without the line end
        std::uint32_t written = kNone;  // its new text in writtenSpans_, when Set changed it
        std::uint32_t next = kNone;     // the first line Set added after it, and so on
        LineEnd end = LineEnd::kNone;
    };
    struct Span {
        std::uint32_t begin = 0;
        std::uint32_t length = 0;
    };
    struct Section {
        std::uint32_t header = 0;  // its "[name]" line
        std::uint32_t last = 0;    // new keys go after this line
    };
    // One entry of the name table: a key (owner is its section) or a section (owner is
    // kSectionOwner, line is the section's number). owner kNone marks a free slot.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t owner = kNone;
        std::uint32_t line = 0;
    };

    static std::string_view EndText(LineEnd end);
    std::string_view TextOf(const Line& line) const;
    std::string_view NameOf(const Slot& slot) const;
    void AddParsedLine(const Line& line, std::uint32_t& section);
    std::uint32_t AddWrittenLine(std::string_view text);
    void SetWrittenText(Line& line, std::string_view text);
    void AppendWithFollowers(std::string& out, std::uint32_t first) const;

    // The slot that holds the name, or the free slot where it would go.
    std::size_t FindSlot(std::uint32_t owner, std::string_view name, std::uint32_t hash) const;
    std::uint32_t FindSection(std::string_view name) const;
    void AddSlot(std::uint32_t owner, std::uint32_t line, std::string_view name);
    void GrowSlots();

    std::string text_;     // the text as parsed
    std::string written_;  // the text of lines that Set wrote
    bool byteOrderMark_ = false;
    LineEnd newLineEnd_ = LineEnd::kLf;
    std::vector<Line> lines_;        // [0] stands before the text; then the recorded lines in
    std::uint32_t parsedLines_ = 0;  // file order, then the lines Set added
    std::vector<Span> writtenSpans_;
    std::vector<Section> sections_;  // [0] holds the lines before the first section
    std::uint32_t parsedSections_ = 0;
    // Open addressing, a power of two in size, at most 3/4 full. A std::unordered_set over the
    // same lines loaded 65,536 devices in 41.5 ms (Release, this 2-core machine) against 27.4 ms
    // here, above half the 75 ms target; saving took 48 ms against 41 ms.
    std::vector<Slot> slots_;
    std::size_t slotCount_ = 0;
};

}  // namespace app
