#include "app/settings_encoding.h"

namespace app {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUnit(std::string& out, char32_t unit, bool bigEndian) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// The next code point of valid UTF-8 at text[at], moving at past it; false for anything else
// (overlong forms, surrogates, values above U+10FFFF, a cut sequence).
bool NextUtf8(std::string_view text, std::size_t& at, char32_t& c) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80                   ? 1
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                         : lead >= 0xE0 && lead < 0xF0 ? 3
                         : lead >= 0xF0 && lead < 0xF5 ? 4
                                                       : 0;
    if (length == 0 || at + length > text.size()) return false;
    c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return false;
        c = c << 6 | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || c > 0x10FFFF || IsSurrogate(c)) return false;
    at += length;
    return true;
}

}  // namespace

DecodedSettings DecodeSettingsText(std::string bytes) {
    DecodedSettings decoded;
    const bool little = bytes.starts_with("\xFF\xFE"), big = bytes.starts_with("\xFE\xFF");
    if (!little && !big) {
        decoded.text = std::move(bytes);
        return decoded;
    }
    decoded.encoding = little ? SettingsEncoding::kUtf16Le : SettingsEncoding::kUtf16Be;
    decoded.text.reserve(bytes.size() + bytes.size() / 2);
    auto unitAt = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]),
                   second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(little ? first | second << 8 : second | first << 8);
    };
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        char32_t c = unitAt(at);
        if (c >= 0xD800 && c < 0xDC00 && at + 3 < bytes.size() && unitAt(at + 2) >= 0xDC00 &&
            unitAt(at + 2) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00);
            at += 2;
        } else if (IsSurrogate(c)) {
            c = kReplacement;
            decoded.exact = false;
        }
        AppendUtf8(decoded.text, c);
    }
    if (at < bytes.size()) {
        AppendUtf8(decoded.text, kReplacement);
        decoded.exact = false;
    }
    decoded.utf16 = std::move(bytes);
    return decoded;
}

bool EncodeSettingsText(std::string& text, SettingsEncoding encoding) {
    if (encoding == SettingsEncoding::kBytes) return true;
    std::string bytes;
    const bool bigEndian = encoding == SettingsEncoding::kUtf16Be;
    bytes.reserve(text.size() * 2);
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        if (!NextUtf8(text, at, c)) return false;
        if (c >= 0x10000) {
            AppendUnit(bytes, 0xD800 + ((c - 0x10000) >> 10), bigEndian);
            AppendUnit(bytes, 0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian);
        } else {
            AppendUnit(bytes, c, bigEndian);
        }
    }
    text = std::move(bytes);
    return true;
}

}  // namespace app
