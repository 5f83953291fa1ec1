#pragma once
// The character sets of the filtered input controls and the one rule they share: a text passes
// when every character of it is in the set (the empty text passes).
#include <QString>

inline constexpr const char* kDecimalDigits = "0123456789";
inline constexpr const char* kHexDigits = "0123456789ABCDEFabcdef";

inline bool PassesFilter(const QString& text, const QString& allowed) {
    for (const QChar c : text) {
        if (!allowed.contains(c)) return false;
    }
    return true;
}
