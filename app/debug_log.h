#pragma once
// The diagnostic log of the module command protocol: one time-stamped line per event in a text
// file beside the settings file, off unless section "Debug" switches it on.
//
// Contract:
// - The switches are read once, at the first call of DebugLog or DebugHexDumpOn: "Debug"/"Log"
//   (default 0; non-zero turns the log on) and, only when the log is on, "Debug"/"Serial"
//   (default 0; non-zero adds the hex dumps). A later change of the file has no effect.
// - Each line is "DD.MM.YYYY hh:mm:ss.mmm - " and the message, ended by CR LF on every platform.
//   The file is opened, appended to and closed for every line; a line that cannot be written
//   (no right, another writer holds the file) is dropped without notice.
// - A message is at most kMaxMessageLength characters; a longer one is cut.
// - With the log off a call costs one test of a flag.
#include <cstdint>
#include <span>
#include <string>

namespace app {

inline constexpr std::size_t kMaxMessageLength = 255;

void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The hex-dump switch (false while the log is off).
bool DebugHexDumpOn();

// Up to 16 bytes as "%02X " each: "E2 E4 01 " for three bytes.
struct HexRow {
    char text[16 * 3 + 1];
};
inline constexpr std::size_t kHexRowBytes = 16;
HexRow FormatHexRow(std::span<const std::uint8_t> bytes);

// The bytes in rows of 16 (the last row shorter), each logged as "<prefix>[<row>]", so "WR: "
// gives "WR: [E2 E4 ]". Only when the hex-dump switch is on.
void DebugLogHexRows(const char* prefix, std::span<const std::uint8_t> bytes);

// The settings file the switches are read from; the log file is its path with the extension
// ".log". Without a call, the application object's settings file is used. A call makes the
// next DebugLog read the switches again, so it belongs before the first line.
void UseDebugLogSettings(const std::string& settingsPath);
// Switches the log on into logPath whatever the settings say (the command line's --log).
void ForceDebugLog(const std::string& logPath, bool hexDump);

// The line as written for a message and a time: the time stamp, the message, CR LF.
std::string FormatDebugLogLine(int day, int month, int year, int hour, int minute, int second,
                               int millisecond, const char* message);

}  // namespace app
