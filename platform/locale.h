#pragma once
#include <cstdint>
#include <string_view>

namespace platform {

// The user's language as a Windows language identifier (ru_RU is 0x0419, ru_MD 0x0819, en_US
// 0x0409); 0x0409 when the locale names no language we know.
std::uint16_t UserDefaultLangId();

// The same mapping for a POSIX locale name such as "ru_RU.UTF-8".
std::uint16_t LangIdFromLocaleName(std::string_view localeName);

}  // namespace platform
