#pragma once
// The settings file: initialisation-file text ("[Section]" lines, "key=value" lines) read and
// written the way the Windows profile functions do it, so hand-edited files keep working.
//
// Contract:
// - Section and key names match without regard to ASCII letter case; the first matching
//   section and the first matching key in it win (settings_document.h tells how lines read).
// - A hand-edited file reads as GetPrivateProfileString and GetPrivateProfileInt read it: a line
//   ends at LF, CR LF or a CR on its own; a "[" without its "]" opens the section named by the
//   rest of the line; a value in a matching pair of quotes (double or single) reads without
//   them, blanks inside kept, before an integer is parsed too (`Total="2"` is 2); a file that
//   starts with a UTF-16 byte order mark is UTF-16 (settings_encoding.h).
// - A missing file, section or key reads as the caller's default. Blanks around names and
//   values are dropped; a text value is everything after the first "=" up to the line end (or
//   up to a NUL byte).
// - Integers read as GetPrivateProfileInt reads them (ParseProfileInt below); they are written
//   as "%d" of the signed 32-bit value.
// - A write replaces the value in place or adds the key after the last key of its section (the
//   section at the end of the file); every other line stays byte for byte, with its line end,
//   and a UTF-16 file stays UTF-16. A value that would lose its blanks or quotes on reading is
//   written in double quotes, so every value written reads back as given. No key is ever
//   deleted.
// - Every read sees what another process wrote since the last read: the file's size, time
//   stamps and identity are compared, and while the file is younger than a time stamp tick can
//   hide (kRecentWriteNs) its bytes are compared too. An unchanged file is not parsed again.
// - The file is replaced atomically: written beside it and renamed over it, so a crash or a full
//   disk leaves either the old or the new file. When its folder refuses the new file but the
//   file itself may be written, it is rewritten in place (platform/file_store.h tells what that
//   guarantees). A write that cannot happen reports false and changes nothing; no caller is
//   required to look. Writes are refused (false) when the file exists but cannot be read, so
//   that its other values are never lost; when it is UTF-16 that could not be read whole, or the
//   write holds text that UTF-16 cannot (not UTF-8); when a name or value could not read back
//   (an empty name, a line break (LF or CR) or NUL anywhere, blanks at the ends of a name, "="
//   in a key, "]" in a section); and when the file is read-only.
// - Damaged input never crashes and costs memory within a small multiple of the file's size:
//   NUL bytes, junk lines, megabyte-long lines, millions of empty lines, a missing final
//   newline, a directory or unreadable file at the path (these read as defaults), a file above
//   kMaxFileBytes (read as unreadable).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace app {

// GetPrivateProfileInt's reading of a value: leading blanks, an optional sign, then "0x"/"0X"
// and hexadecimal digits or decimal digits, up to the first other character; the value taken
// modulo 2^32. An empty value (quotes already removed) gives defaultValue; text without digits
// gives 0.
//   "-939415360" -> -939415360, " 42 " -> 42, "+7" -> 7, "12abc" -> 12, "abc" -> 0,
//   "0x10" -> 16, "4294967295" -> -1, "99999999999" -> 1215752191.
std::int32_t ParseProfileInt(std::string_view value, std::int32_t defaultValue);

// An IPv4 address (network byte order, first number in the lowest-addressed byte) as the settings
// integer that stores it: its four bytes read as a little-endian signed integer, so
// 192.168.1.10 is 167880896 and 192.168.1.200 is -939415360. And back.
std::int32_t AddressToSettingInt(std::uint32_t address);
std::uint32_t SettingIntToAddress(std::int32_t value);

class SettingsFile {
public:
    static constexpr std::size_t kMaxFileBytes = 256u << 20;
    static constexpr std::int64_t kRecentWriteNs = 2'000'000'000;  // covers 2 s FAT time stamps

    explicit SettingsFile(std::string path = {});
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // Forgets everything read, and any open batch.
    void SetPath(std::string path);
    const std::string& Path() const;

    std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t defaultValue);
    // The empty text when the key is missing.
    std::string ReadText(std::string_view section, std::string_view key);

    bool WriteInt(std::string_view section, std::string_view key, std::int32_t value);
    bool WriteText(std::string_view section, std::string_view key, std::string_view text);

    // A batch: reads inside it all see one snapshot of the file (taken by BeginBatch) and the
    // batch's own writes; writes only change the copy in memory. CommitBatch replaces the file
    // once, applying the batch's writes to the file as it is then, so a change another process
    // made meanwhile is kept unless the batch writes the same key. Batches nest; only the
    // outermost CommitBatch writes. True when there was nothing to write or the file was
    // replaced.
    void BeginBatch();
    bool CommitBatch();

    // How many times the file's text has been parsed since the path was set; it grows only when
    // the file really changed. For tests and benchmarks.
    std::uint64_t ParseCount() const;

    // False when the last read found something at the path that it could not read (a folder, a
    // file without read permission or above kMaxFileBytes), which then read as defaults.
    bool Readable() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace app
