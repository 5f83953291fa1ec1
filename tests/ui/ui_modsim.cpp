#include "tests/ui/ui_modsim.h"

#include <QFile>
#include <QList>

namespace uitest {

Modsim::Modsim(const std::vector<std::string>& modules, Where where) {
    std::vector<std::string> args{"--capture", CapturePath().toStdString(), "--duration", "120"};
    if (where == Where::kTestNetwork) args.push_back("--broadcast");
    for (const std::string& module : modules) args.insert(args.end(), {"--module", module});
    ready_ = process_.Start(args, error_, where == Where::kTestNetwork);
}

Modsim::~Modsim() { Stop(); }

void Modsim::Stop() {
    if (ready_ && !stopped_) process_.Stop();
    stopped_ = true;
}

int Modsim::Count(const char* requestHex) const {
    QFile file(CapturePath());
    if (!file.open(QIODevice::ReadOnly)) return 0;
    int count = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 4 && fields[3].startsWith(requestHex)) ++count;
    }
    return count;
}

ModsimWindow::ModsimWindow(const std::vector<std::string>& modules, const QString& settingsText,
                           std::vector<std::uint32_t> adapters, Modsim::Where where)
    : modsim(modules, where), settings(settingsText) {
    if (modsim.Ready()) window = OpenWindow(AdapterList(std::move(adapters)));
}

OneDeviceWindow::OneDeviceWindow(const std::string& module)
    : ModsimWindow({module}, DeviceListText({Loopback(2)})) {
    if (window) SelectRow(*window, 0);
}

}  // namespace uitest
