#include "remote/skin_buttons.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "app/number_text.h"
#include "app/text_chars.h"

namespace {

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && app::IsBlank(line[at])) ++at;
        const std::size_t start = at;
        while (at < line.size() && !app::IsBlank(line[at])) ++at;
        if (at > start) fields.push_back(line.substr(start, at - start));
    }
    return fields;
}

bool ParseCoordinate(std::string_view text, std::int32_t& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// "" on success, otherwise what is wrong with the command text.
std::string ParseCommand(std::string_view text, ButtonCommand& command) {
    command = ButtonCommand{};
    if (text == "-") return {};
    if (text.size() % 2 != 0)
        return "odd number of hex digits in command \"" + std::string(text) + "\"";
    if (text.size() / 2 > ButtonCommand::kMaxLength)
        return "command of " + std::to_string(text.size() / 2) + " bytes is longer than " +
               std::to_string(ButtonCommand::kMaxLength);
    if (!app::DecodeHex(text, std::span(command.data).first(text.size() / 2)))
        return "command \"" + std::string(text) + "\" is not hex bytes or \"-\"";
    command.length = static_cast<std::int32_t>(text.size() / 2);
    return {};
}

std::string CheckRect(const ButtonRect& r, int width, int height) {
    if (r.left >= r.right || r.top >= r.bottom)
        return "empty rectangle (left < right and top < bottom needed)";
    if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height)
        return "rectangle lies outside the " + std::to_string(width) + " x " +
               std::to_string(height) + " picture";
    return {};
}

}  // namespace

SkinButtonsResult ParseSkinButtons(std::string_view text, int width, int height,
                                   PanelButtons& buttons) {
    buttons.clear();
    PanelButtons read;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    auto fail = [&](std::string error) {
        return SkinButtonsResult{false, lineNumber, std::move(error)};
    };
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find('\0') != std::string_view::npos) return fail("NUL byte in line");
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.empty() || fields[0].front() == '#') continue;
        if (fields.size() != 8)
            return fail(
                "expected 8 fields (name left top right bottom press release repeat), found " +
                std::to_string(fields.size()));
        if (read.size() == kMaxSkinButtons)
            return fail("more than " + std::to_string(kMaxSkinButtons) + " buttons");
        auto button = std::make_unique<CPanelButton>();
        button->name = std::string(fields[0]);
        std::int32_t* corners[] = {&button->rectangle.left, &button->rectangle.top,
                                   &button->rectangle.right, &button->rectangle.bottom};
        for (std::size_t i = 0; i < 4; ++i) {
            if (!ParseCoordinate(fields[1 + i], *corners[i]))
                return fail(
                    std::string("\"").append(fields[1 + i]).append("\" is not a whole number"));
        }
        if (std::string error = CheckRect(button->rectangle, width, height); !error.empty())
            return fail(std::move(error));
        ButtonCommand* commands[] = {&button->press, &button->release, &button->repeat};
        for (std::size_t i = 0; i < 3; ++i) {
            if (std::string error = ParseCommand(fields[5 + i], *commands[i]); !error.empty())
                return fail(std::move(error));
        }
        read.push_back(std::move(button));
    }
    buttons = std::move(read);
    return SkinButtonsResult{true, 0, {}};
}

std::vector<std::size_t> ReadingOrder(const PanelButtons& buttons) {
    const auto centre = [&](std::size_t i) {
        const ButtonRect& r = buttons[i]->rectangle;
        return (r.top + r.bottom) / 2;
    };
    std::vector<std::size_t> order(buttons.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return centre(a) < centre(b); });
    auto rowStart = order.begin();
    while (rowStart != order.end()) {
        const ButtonRect& first = buttons[*rowStart]->rectangle;
        auto rowEnd = std::find_if(rowStart, order.end(), [&](std::size_t i) {
            return centre(i) < first.top || centre(i) >= first.bottom;
        });
        std::stable_sort(rowStart, rowEnd, [&](std::size_t a, std::size_t b) {
            return buttons[a]->rectangle.left < buttons[b]->rectangle.left;
        });
        rowStart = rowEnd;
    }
    return order;
}
