#include "app/localized_strings.h"

#include <climits>

#include "app/string_table.h"
#include "platform/locale.h"

namespace app {

namespace {

constexpr std::uint16_t kRussianLanguageId = 0x0419;

// Read and written only on the user-interface thread.
int currentLanguage = kEnglish;

const StringTable& Table() {
    static const StringTable table = ParseStringTable(StringTableText());
    return table;
}

}  // namespace

std::string LoadTableString(int id) {
    const auto& texts = Table().texts;
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
}

std::string LoadLocalizedString(int id) {
    if (currentLanguage == kEnglish) return LoadTableString(id);
    return id > INT_MAX - kRussianStringOffset ? std::string()
                                               : LoadTableString(id + kRussianStringOffset);
}

void SetLanguage(int language) { currentLanguage = language; }

int CurrentLanguage() { return currentLanguage; }

int DefaultLanguageFor(std::uint16_t languageId) {
    return languageId == kRussianLanguageId ? kRussian : kEnglish;
}

int DefaultLanguage() { return DefaultLanguageFor(platform::UserDefaultLangId()); }

std::string FormatWithText(const std::string& format, const std::string& argument) {
    const auto at = format.find("%s");
    if (at == std::string::npos) return format;
    return format.substr(0, at) + argument + format.substr(at + 2);
}

}  // namespace app
