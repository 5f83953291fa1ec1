#pragma once
// The string table (res/strings.txt, compiled in) and the current interface language.
// Callers name the English id; the Russian twin is id + 1000 and only LoadLocalizedString
// applies the offset.
#include <cstdint>
#include <string>

namespace app {

constexpr int kRussianStringOffset = 1000;
constexpr int kEnglish = 0;
constexpr int kRussian = 1;

// Table entry `id` exactly, without any offset; the empty text when missing.
std::string LoadTableString(int id);

// Entry id + 1000 when the current language is not 0, else entry id; empty when missing.
std::string LoadLocalizedString(int id);

// Sets the current language unchanged (every value other than 0 counts as Russian).
void SetLanguage(int language);
int CurrentLanguage();

// 1 when the language identifier is exactly 0x0419, else 0.
int DefaultLanguageFor(std::uint16_t languageId);
// DefaultLanguageFor the user's default language identifier.
int DefaultLanguage();

// Replaces the first "%s" of a localized format text (string 10101) with the argument.
std::string FormatWithText(const std::string& format, const std::string& argument);

}  // namespace app
