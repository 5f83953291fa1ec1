#pragma once
// What the remote panel tests share: skins made in memory, a clock the test moves by hand, and
// the datagrams the simulator's control modules received.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QPoint>

#include "remote/remote_control_wnd.h"
#include "remote/skin.h"
#include "tests/ui/ui_modsim.h"

namespace remotetest {

// A button with commands as hex text, "-" for none.
struct ButtonLayout {
    std::string name;
    ButtonRect rect;
    std::string press = "-";
    std::string release = "-";
    std::string repeat = "-";
};

inline constexpr int kSkinWidth = 200;
inline constexpr int kSkinHeight = 120;
// Normal face white, pressed face black, so a pixel tells whether its key is drawn down.
Skin MakeSkin(const std::vector<ButtonLayout>& buttons);
bool DrawnPressed(const CRemoteControlWnd& panel, QPoint point);
QPoint Centre(const ButtonRect& rect);

// The auto-repeat's clock, moved only by the test.
struct FakeClock {
    std::uint32_t now = 0x10000;
    CRemoteControlWnd::TickSource Source() {
        return [this] { return now; };
    }
};

// vantrel-modsim playing control modules on the given loopback addresses.
class ControlSim : public uitest::Modsim {
public:
    using Modsim::Modsim;
    // Hex of every datagram that reached port 9000 of `address`, once `count` are there (or
    // after a bound).
    std::vector<std::string> Datagrams(const std::string& address, std::size_t count) const;
    // Those after the first `before`, once `count` more are there (or after the same bound).
    std::vector<std::string> DatagramsAfter(const std::string& address, std::size_t before,
                                            std::size_t count) const;
};

// Command 401's datagram as the simulator records it: code 3, the sequence number, parameter 0,
// the length, the bytes and a zero byte when the length is odd.
std::string CommandDatagram(std::uint16_t sequence, const std::string& hexBytes);

std::uint32_t Address(const std::string& dotted);

}  // namespace remotetest
