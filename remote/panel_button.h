#pragma once
// One button of the remote control panel and its three commands. Plain data that knows nothing
// of Qt, so the skin reader that fills it can be fuzzed in the core build.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One command of a button, stored inline: length 0 means the button has no such command.
struct ButtonCommand {
    static constexpr std::size_t kMaxLength = 128;
    std::int32_t length = 0;
    std::array<std::uint8_t, kMaxLength> data{};
};

// Client coordinates; a point lies inside when left <= x < right and top <= y < bottom.
struct ButtonRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool Holds(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
};

class CPanelButton {
public:
    // Pressing a button of exactly this name (letter case counts) closes the panel.
    static constexpr std::string_view kCloseName = "SYSTEM:Close";

    virtual ~CPanelButton() = default;

    bool ClosesPanel() const { return name == kCloseName; }

    std::string name;
    ButtonRect rectangle;
    ButtonCommand press;
    ButtonCommand release;
    ButtonCommand repeat;
    bool pressed = false;
    std::uint32_t stamp = 0;  // tick count the auto-repeat counts from; 0 while not held
};
