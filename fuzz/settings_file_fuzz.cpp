// Arbitrary bytes as a settings file: they must read back byte for byte when nothing is
// written, every write must read back, writes must not disturb other keys, UTF-16 must turn into
// text and back without loss, and a file of any content must survive the engine's read, write
// and re-read without a crash (or, damaged UTF-16, refuse the write and stay as it was).
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings_document.h"
#include "app/settings_encoding.h"
#include "app/settings_file.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

struct Name {
    std::string section;
    std::string key;
};

// Fixed names the panel uses, in odd letter cases, and one made of the input's last bytes.
std::array<Name, 5> NamesFor(std::string_view bytes) {
    std::string derived(bytes.substr(bytes.size() > 6 ? bytes.size() - 6 : 0));
    if (!app::SettingsDocument::IsValidKeyName(derived)) derived = "Derived";
    return {Name{"Layout", "Left"}, Name{"LIST", "total"}, Name{"list", "IP0"},
            Name{"List", "MAC0"}, Name{"List", derived}};
}

bool SameName(const Name& a, const Name& b) {
    auto lower = [](std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    };
    return lower(a.section) == lower(b.section) && lower(a.key) == lower(b.key);
}

void CheckDocument(std::string_view bytes) {
    app::SettingsDocument document;
    document.Parse(std::string(bytes));
    Check(document.Serialize() == bytes);

    const auto names = NamesFor(bytes);
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::array<std::optional<std::string>, names.size()> before;
        for (std::size_t j = 0; j < names.size(); ++j)
            if (const auto value = document.Find(names[j].section, names[j].key)) {
                // Whatever a file holds can be written back (a device list saves what it read).
                Check(app::SettingsDocument::IsValidValue(*value));
                before[j] = std::string(*value);
            }

        const std::string value = "v" + std::to_string(i) + " x";
        const std::string unchanged = document.Serialize();
        if (!document.Set(names[i].section, names[i].key, value))
            Check(document.Serialize() == unchanged && before[i] == value);

        app::SettingsDocument reread;
        reread.Parse(document.Serialize());
        for (std::size_t j = 0; j < names.size(); ++j) {
            const auto now = reread.Find(names[j].section, names[j].key);
            if (SameName(names[i], names[j])) {
                Check(now.has_value() && *now == value);
            } else {
                Check(now.has_value() == before[j].has_value());
                if (now) Check(*now == *before[j]);
            }
        }
        document.Parse(reread.Serialize());
    }
}

// A value made of the input's first bytes reads back as itself, blanks and quotes included.
void CheckValueReadsBack(std::string_view bytes) {
    const std::string value(bytes.substr(0, 12));
    if (!app::SettingsDocument::IsValidValue(value)) return;
    app::SettingsDocument document;
    document.Parse(std::string(bytes));
    document.Set("List", "MAC0", value);
    app::SettingsDocument reread;
    reread.Parse(document.Serialize());
    const auto now = reread.Find("List", "MAC0");
    Check(now.has_value() && *now == value);
}

// UTF-16 read whole comes back byte for byte; the text of any file encodes unless it is damaged
// UTF-16 or holds bytes that are not UTF-8.
void CheckEncoding(std::string_view bytes) {
    app::DecodedSettings decoded = app::DecodeSettingsText(std::string(bytes));
    if (decoded.encoding == app::SettingsEncoding::kBytes) {
        Check(decoded.text == bytes);
        return;
    }
    Check(decoded.utf16 == bytes);
    std::string encoded = decoded.text;
    Check(app::EncodeSettingsText(encoded, decoded.encoding));
    if (decoded.exact) Check(encoded == bytes);
}

// One file per fuzzing process, in memory where there is a RAM disk; removed at exit.
struct ScratchFile {
    ScratchFile() {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path = std::string(folder) + "/vantrel-settings-fuzz-" + std::to_string(getpid()) + ".ini";
    }
    ~ScratchFile() { unlink(path.c_str()); }
    std::string path;
};

std::string FileBytes(const std::string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

void CheckFile(std::string_view bytes) {
    static const ScratchFile scratch;
    const std::string& path = scratch.path;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    app::SettingsFile settings(path);
    (void)settings.ReadInt("Layout", "Left", -1);
    (void)settings.ReadText("List", "MAC0");
    // Spread over the whole 32-bit range, negatives included; unsigned arithmetic wraps safely.
    const std::int32_t number =
        bytes.empty() ? 0
                      : static_cast<std::int32_t>(static_cast<std::uint8_t>(bytes[0]) * 16777259u);
    // Damaged UTF-16 is never written over: its damaged bytes would be lost.
    const bool writable = app::DecodeSettingsText(std::string(bytes)).exact;
    Check(settings.WriteInt("List", "IP0", number) == writable);
    Check(settings.WriteText("list", "mac0", "00:11:22:33:44:55") == writable);
    if (!writable) {
        Check(FileBytes(path) == bytes);
        return;
    }
    Check(settings.ReadInt("LIST", "ip0", 0) == number);

    app::SettingsFile fresh(path);
    Check(fresh.ReadInt("List", "IP0", 0) == number);
    Check(fresh.ReadText("List", "MAC0") == "00:11:22:33:44:55");
    (void)app::ParseProfileInt(bytes, 7);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckDocument(bytes);
    CheckValueReadsBack(bytes);
    CheckEncoding(bytes);
    CheckFile(bytes);
    return 0;
}
