// The skin's button list is read from a file the operator may have written by hand: any bytes
// must end in a list or a line-numbered error, and a list that was read must hold only what the
// reader promises (rectangles inside the picture, commands within their 128 bytes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "remote/skin_buttons.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr int kWidth = 200;
    constexpr int kHeight = 488;
    PanelButtons buttons;
    const SkinButtonsResult result = ParseSkinButtons(
        std::string_view(reinterpret_cast<const char*>(data), size), kWidth, kHeight, buttons);
    if (!result.ok && (!buttons.empty() || result.line == 0 || result.error.empty())) std::abort();
    for (const auto& button : buttons) {
        const ButtonRect& r = button->rectangle;
        if (r.left < 0 || r.top < 0 || r.right > kWidth || r.bottom > kHeight ||
            r.left >= r.right || r.top >= r.bottom)
            std::abort();
        for (const ButtonCommand* command : {&button->press, &button->release, &button->repeat}) {
            if (command->length < 0 ||
                command->length > static_cast<std::int32_t>(ButtonCommand::kMaxLength))
                std::abort();
        }
    }
    return 0;
}
