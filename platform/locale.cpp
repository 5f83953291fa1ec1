#include "platform/locale.h"

#include <string>

namespace platform {

namespace {
constexpr std::uint16_t kCustomUnspecified = 0x1000;
struct LocaleLangId {
    std::string_view name;  // language_TERRITORY
    std::uint16_t id;
};
constexpr LocaleLangId kKnown[] = {
    {"ru_RU", 0x0419}, {"ru_MD", 0x0819}, {"ru", 0x0419},    {"en_US", 0x0409},
    {"en_GB", 0x0809}, {"en", 0x0409},    {"de_DE", 0x0407}, {"fr_FR", 0x040C},
    {"uk_UA", 0x0422}, {"be_BY", 0x0423}, {"kk_KZ", 0x043F},
};
}  // namespace

std::uint16_t LangIdFromLocaleName(std::string_view localeName) {
    // Strip ".codeset" and "@modifier".
    const auto cut = localeName.find_first_of(".@");
    if (cut != std::string_view::npos) localeName = localeName.substr(0, cut);
    for (const auto& known : kKnown)
        if (known.name == localeName) return known.id;
    const auto underscore = localeName.find('_');
    if (underscore != std::string_view::npos) {
        const auto language = localeName.substr(0, underscore);
        // ru_UA and the like are Russian as spoken there, which Windows gives a custom
        // identifier, not Russia's 0x0419.
        if (language == "ru") return kCustomUnspecified;
        for (const auto& known : kKnown)
            if (known.name == language) return known.id;
    }
    return 0x0409;
}

}  // namespace platform
