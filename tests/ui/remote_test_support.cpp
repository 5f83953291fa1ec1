#include "tests/ui/remote_test_support.h"

#include <algorithm>
#include <cstdio>

#include <QPainter>

#include "netconfig/address_text.h"
#include "tests/net/capture_reader.h"

namespace remotetest {

namespace {

ButtonCommand Command(const std::string& hex) {
    ButtonCommand command;
    if (hex == "-") return command;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        command.data[i / 2] = static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16));
    command.length = static_cast<std::int32_t>(hex.size() / 2);
    return command;
}

}  // namespace

Skin MakeSkin(const std::vector<ButtonLayout>& buttons) {
    Skin skin;
    skin.normal = QImage(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    skin.normal.fill(Qt::white);
    skin.pressed = QImage(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    skin.pressed.fill(Qt::black);
    for (const ButtonLayout& layout : buttons) {
        auto button = std::make_unique<CPanelButton>();
        button->name = layout.name;
        button->rectangle = layout.rect;
        button->press = Command(layout.press);
        button->release = Command(layout.release);
        button->repeat = Command(layout.repeat);
        skin.buttons.push_back(std::move(button));
    }
    return skin;
}

bool DrawnPressed(const CRemoteControlWnd& panel, QPoint point) {
    return panel.Surface().pixelColor(point) == QColor(Qt::black);
}

QPoint Centre(const ButtonRect& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::vector<std::string> ControlSim::Datagrams(const std::string& address,
                                               std::size_t count) const {
    std::vector<std::string> hex;
    for (const nettest::CapturedDatagram& line :
         nettest::WaitForCaptured(CapturePath().toStdString(), address, count)) {
        if (line.to == address + ":9000" && line.hex.rfind("tcp", 0) != 0) hex.push_back(line.hex);
    }
    return hex;
}

std::vector<std::string> ControlSim::DatagramsAfter(const std::string& address, std::size_t before,
                                                    std::size_t count) const {
    std::vector<std::string> all = Datagrams(address, before + count);
    all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())));
    return all;
}

std::string CommandDatagram(std::uint16_t sequence, const std::string& hexBytes) {
    const std::size_t length = hexBytes.size() / 2;
    char header[24];
    std::snprintf(header, sizeof header, "0300%02X%02X0000%02X%02X", sequence & 0xFF, sequence >> 8,
                  static_cast<unsigned>(length & 0xFF), static_cast<unsigned>(length >> 8));
    std::string datagram = header + hexBytes;
    if (length % 2 != 0) datagram += "00";
    return datagram;
}

std::uint32_t Address(const std::string& dotted) {
    std::uint32_t address = 0;
    netconfig::ParseIpAddress(dotted, address);
    return address;
}

}  // namespace remotetest
