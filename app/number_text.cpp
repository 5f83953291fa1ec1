#include "app/number_text.h"

#include "app/text_chars.h"

namespace app {

namespace {

constexpr std::size_t kMostDigits = 19;  // every 19-digit number fits 64 bits

}  // namespace

bool ParseDecimal(std::string_view text, std::size_t maxDigits, std::uint64_t maximum,
                  std::uint64_t& value) {
    if (text.empty() || text.size() > maxDigits || text.size() > kMostDigits) return false;
    std::uint64_t parsed = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        parsed = parsed * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (parsed > maximum) return false;
    value = parsed;
    return true;
}

bool DecodeHex(std::string_view digits, std::span<std::uint8_t> bytes) {
    if (digits.size() != bytes.size() * 2) return false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexDigitValue(digits[2 * i]);
        const int low = HexDigitValue(digits[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return true;
}

}  // namespace app
