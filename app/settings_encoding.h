#pragma once
// How the bytes of a settings file become the text SettingsDocument reads, and back.
//
// A file that starts with a UTF-16 byte order mark (FF FE little-endian, as Notepad saves
// "Unicode" and Windows PowerShell's ">" writes; FE FF big-endian) is UTF-16: it reads as UTF-8
// text, its mark as the UTF-8 mark, and it is written back in UTF-16 of the same byte order, so
// a rewrite changes only the lines it changes. Any other file is taken byte for byte.
#include <cstdint>
#include <string>
#include <string_view>

namespace app {

enum class SettingsEncoding : std::uint8_t { kBytes, kUtf16Le, kUtf16Be };

struct DecodedSettings {
    SettingsEncoding encoding = SettingsEncoding::kBytes;
    std::string text;
    std::string utf16;  // a UTF-16 file's own bytes, which text holds as UTF-8
    // False when the UTF-16 was damaged (an odd byte at the end, a lone surrogate, read as
    // U+FFFD): such a file reads as far as it can but cannot be written back without loss.
    bool exact = true;
};

DecodedSettings DecodeSettingsText(std::string bytes);

// Turns the text into the bytes of the given encoding; false, with the text unchanged, when the
// encoding is UTF-16 and the text is not valid UTF-8.
bool EncodeSettingsText(std::string& text, SettingsEncoding encoding);

}  // namespace app
