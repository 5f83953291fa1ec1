// vantrel-remote DEVICE [--skin DIR] [--settings FILE]: the remote control panel for the device
// at DEVICE. A bad argument or an unreadable skin gets one line on standard error and exit
// code 2, before any window opens.
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>

#include "app/command_line.h"
#include "app/control_panel_app.h"
#include "app/panel_settings.h"
#include "app/program_version.h"
#include "app/settings_location.h"
#include "netconfig/address_text.h"
#include "platform/paths.h"
#include "remote/remote_control_wnd.h"
#include "remote/skin.h"

namespace {

constexpr int kBadUsage = 2;
constexpr const char* kUsage = "usage: vantrel-remote DEVICE [--skin DIR] [--settings FILE]";
// The default skin is compiled into the program.
constexpr const char* kDefaultSkin = ":/skins/default";

int Fail(const std::string& message) {
    std::cerr << "vantrel-remote: " << message << '\n';
    return kBadUsage;
}

struct Options {
    bool help = false;
    bool version = false;
    std::string device;
    std::string skin;
    std::optional<std::string> settings;
};

// "" when the arguments are good, otherwise what is wrong with them.
std::string ParseArguments(int argc, char** argv, Options& options) {
    app::command_line::Arguments rest(argv + 1, argv + argc);
    // Options with values first, so that a value is never taken for a flag.
    std::optional<std::string> skin;
    for (const auto& [name, value] :
         {std::pair{"--skin", &skin}, std::pair{"--settings", &options.settings}}) {
        bool missing = false;
        const std::vector<std::string> values =
            app::command_line::TakeEveryOption(rest, name, missing);
        if (missing) return app::command_line::NeedsValue(name) + "; " + kUsage;
        if (values.size() > 1) return app::command_line::GivenTwice(name) + "; " + kUsage;
        if (!values.empty()) *value = values[0];
    }
    options.skin = skin.value_or(kDefaultSkin);
    options.version = app::command_line::TakeFlag(rest, "--version");
    options.help =
        app::command_line::TakeFlag(rest, "--help") || app::command_line::TakeFlag(rest, "-h");
    if (options.help || options.version) return {};
    if (const std::string option = app::command_line::FirstOption(rest); !option.empty())
        return app::command_line::UnknownOption(option) + "; " + kUsage;
    if (rest.empty()) return std::string("no device given; ") + kUsage;
    if (rest.size() > 1) return "one device only, got " + rest[0] + " and " + rest[1];
    options.device = rest[0];
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const std::string error = ParseArguments(argc, argv, options); !error.empty())
        return Fail(error);
    if (options.help) {
        std::cout << kUsage << "\n"
                  << "Shows the front panel of the device at DEVICE and sends the presses to its\n"
                     "module. --skin DIR draws it from another skin folder than the built-in one;\n"
                     "--settings FILE uses another settings file than the control panel's.\n";
        return 0;
    }
    if (options.version) {
        std::cout << app::VersionLine("vantrel-remote");
        return 0;
    }
    std::uint32_t device = 0;
    if (!netconfig::ParseIpAddress(options.device, device) ||
        !netconfig::IsSingleHostAddress(device))
        return Fail("DEVICE must be one host's IPv4 address such as 198.18.0.10, not \"" +
                    options.device + "\"");

    Skin skin;
    std::string error;
    if (!LoadSkin(QString::fromStdString(options.skin), skin, error)) return Fail(error);

    app::CControlPanelApp& app = app::TheApp();
    app.SetSettingsPath(options.settings ? *options.settings
                                         : app::settings_location::PanelSettingsPathBeside(
                                               platform::ExecutablePath()));

    // The arguments are this program's own; Qt sees only its name.
    char name[] = "vantrel-remote";
    char* qtArgv[] = {name, nullptr};
    int qtArgc = 1;
    QApplication application(qtArgc, qtArgv);
    CRemoteControlWnd window(device, std::move(skin));
    window.setWindowTitle(QString::fromStdString(app.ApplicationTitle() + " - " + options.device));
    // Placed where it was left, without correction, like the main window.
    app::panel_settings::SkinPlace place;
    if (app::panel_settings::ReadSkinLayout(app.Settings(), place))
        window.move(place.left, place.top);
    window.exec();
    return 0;
}
