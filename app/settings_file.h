#pragma once
// The settings file: initialisation-file text ("[Section]" lines, "key=value" lines) read and
// written the way the Windows profile functions do it, so hand-edited files keep working.
//
// Contract:
// - Section and key names match without regard to ASCII letter case; the first matching
//   section and the first matching key in it win.
// - A missing file, section or key reads as the caller's default. Blanks around names and
//   values are dropped; a text value is everything after the first "=" up to the line end.
// - Integers read as GetPrivateProfileInt reads them (ParseProfileInt below); they are written
//   as "%d" of the signed 32-bit value.
// - A write replaces the value in place or adds the key at the end of its section (the section
//   at the end of the file); every other line stays byte for byte. No key is ever deleted.
// - Every read sees what another process wrote since the last read (the file's size, time
//   stamp and identity are compared); an unchanged file is not parsed again.
// - The file is replaced atomically: written beside it and renamed over it, so a crash or a full
//   disk leaves either the old or the new file. A write that cannot happen reports false and
//   changes nothing; no caller is required to look.
// - Damaged input never crashes: CR LF or LF, a UTF-8 byte order mark, NUL bytes, junk lines,
//   megabyte-long lines, a missing final newline, a directory or unreadable file at the path.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// GetPrivateProfileInt's reading of a value: leading blanks, an optional sign, then "0x"/"0X"
// and hexadecimal digits or decimal digits, up to the first other character; the value taken
// modulo 2^32. An empty value gives defaultValue; text without digits gives 0.
//   "-939415360" -> -939415360, " 42 " -> 42, "+7" -> 7, "12abc" -> 12, "abc" -> 0,
//   "0x10" -> 16, "4294967295" -> -1, "99999999999" -> 1215752191.
std::int32_t ParseProfileInt(std::string_view value, std::int32_t defaultValue);

class SettingsFile {
public:
    explicit SettingsFile(std::string path = {});
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    void SetPath(std::string path);
    const std::string& Path() const;

    std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t defaultValue);
    // The empty text when the key is missing.
    std::string ReadText(std::string_view section, std::string_view key);

    bool WriteInt(std::string_view section, std::string_view key, std::int32_t value);
    bool WriteText(std::string_view section, std::string_view key, std::string_view text);

    // Between BeginBatch and CommitBatch writes only change the in-memory copy (reads see them);
    // CommitBatch replaces the file once. Batches do not nest.
    void BeginBatch();
    bool CommitBatch();

private:
    struct State;
    std::unique_ptr<State> state_;
};
