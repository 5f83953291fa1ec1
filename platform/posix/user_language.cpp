#include <cstdlib>

#include "platform/locale.h"

namespace platform {

std::uint16_t UserDefaultLangId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return LangIdFromLocaleName(value);
    }
    return 0x0409;
}

}  // namespace platform
