#include "app/debug_log.h"

#include <cstdarg>
#include <cstdio>

#include "app/control_panel_app.h"
#include "app/panel_settings.h"
#include "app/settings_file.h"
#include "app/settings_location.h"
#include "platform/append_file.h"
#include "platform/local_time.h"

namespace app {

namespace {

enum class LogState : std::uint8_t { Unread, Off, On };

// Process-wide, used from the one thread that runs the module commands. The state stands alone
// and is constant-initialized, so that with the log off a call tests it and nothing else.
LogState g_state = LogState::Unread;

struct LogSwitches {
    bool hexDump = false;
    bool settingsChosen = false;
    std::string settingsPath;
    std::string logPath;
};

LogSwitches& Switches() {
    static LogSwitches switches;
    return switches;
}

void ReadSwitches(LogSwitches& switches) {
    const std::string settingsPath =
        switches.settingsChosen ? switches.settingsPath : TheApp().SettingsPath();
    SettingsFile settings(settingsPath);
    namespace keys = panel_settings;
    const bool on =
        !settingsPath.empty() && settings.ReadInt(keys::kDebugSection, keys::kLogKey, 0) != 0;
    g_state = on ? LogState::On : LogState::Off;
    if (!on) return;
    switches.hexDump = settings.ReadInt(keys::kDebugSection, keys::kSerialKey, 0) != 0;
    switches.logPath = settings_location::LogPathForSettings(settingsPath);
}

LogSwitches& ReadSwitchesOnce() {
    LogSwitches& switches = Switches();
    if (g_state == LogState::Unread) ReadSwitches(switches);
    return switches;
}

}  // namespace

std::string FormatDebugLogLine(int day, int month, int year, int hour, int minute, int second,
                               int millisecond, const char* message) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d.%02d.%04d %02d:%02d:%02d.%03d - ", day, month, year,
                  hour, minute, second, millisecond);
    std::string line = stamp;
    line += message;
    line += "\r\n";
    return line;
}

void DebugLog(const char* format, ...) {
    if (g_state == LogState::Off) return;
    LogSwitches& switches = ReadSwitchesOnce();
    if (g_state != LogState::On) return;
    char message[kMaxMessageLength + 1];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    const platform::LocalTimeMs now = platform::CurrentLocalTimeMs();
    const platform::LocalTime& t = now.time;
    platform::AppendExclusive(switches.logPath,
                              FormatDebugLogLine(t.day, t.month, t.year, t.hour, t.minute, t.second,
                                                 now.millisecond, message));
}

bool DebugHexDumpOn() {
    const LogSwitches& switches = ReadSwitchesOnce();
    return g_state == LogState::On && switches.hexDump;
}

HexRow FormatHexRow(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    HexRow row{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < bytes.size() && i < kHexRowBytes; ++i) {
        row.text[at++] = kDigits[bytes[i] >> 4];
        row.text[at++] = kDigits[bytes[i] & 0x0F];
        row.text[at++] = ' ';
    }
    row.text[at] = '\0';
    return row;
}

void DebugLogHexRows(const char* prefix, std::span<const std::uint8_t> bytes) {
    if (!DebugHexDumpOn()) return;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kHexRowBytes) {
        const HexRow row = FormatHexRow(bytes.subspan(offset));
        DebugLog("%s[%s]", prefix, row.text);
    }
}

void UseDebugLogSettings(const std::string& settingsPath) {
    LogSwitches& switches = Switches();
    switches = LogSwitches{};
    g_state = LogState::Unread;
    switches.settingsChosen = true;
    switches.settingsPath = settingsPath;
}

void ForceDebugLog(const std::string& logPath, bool hexDump) {
    LogSwitches& switches = Switches();
    switches = LogSwitches{};
    g_state = LogState::On;
    switches.hexDump = hexDump;
    switches.logPath = logPath;
}

}  // namespace app
