#include "platform/locale.h"

#include <windows.h>

namespace platform {

std::uint16_t UserDefaultLangId() { return GetUserDefaultUILanguage(); }

}  // namespace platform
