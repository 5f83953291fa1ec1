#include "tests/ui/modal_script.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace uitest {

namespace {
constexpr int kIntervalMs = 20;
}

ModalScript::ModalScript(std::vector<Step> steps, int boundMs)
    : steps_(std::move(steps)), boundMs_(boundMs) {
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &ModalScript::Look);
    timer_.start();
}

ModalScript::~ModalScript() { timer_.stop(); }

void ModalScript::Look() {
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr) return;
    if (window != active_.data()) waitedMs_ = 0;
    active_ = window;
    const bool handled =
        std::any_of(handled_.begin(), handled_.end(),
                    [window](const QPointer<QWidget>& seen) { return seen.data() == window; });
    if (handled) {
        waitedMs_ += kIntervalMs;
        if (waitedMs_ > boundMs_) {
            if (auto* dialog = qobject_cast<QDialog*>(window))
                dialog->reject();
            else
                window->close();
        }
        return;
    }
    handled_.emplace_back(window);
    const auto* box = qobject_cast<QMessageBox*>(window);
    seen_ << (box != nullptr ? box->text()
                             : QString::fromLatin1(window->metaObject()->className()));
    Step step = next_ < steps_.size() ? steps_[next_++] : Reject();
    QPointer<QWidget> target(window);
    // Run after this timer returns: a step that opens a nested modal window would otherwise
    // block the timer that has to answer it.
    QTimer::singleShot(0, window, [step, target] {
        if (!target.isNull()) step(*target.data());
    });
}

ModalScript::Step PressButton(int standardButton) {
    return [standardButton](QWidget& window) {
        auto* box = qobject_cast<QMessageBox*>(&window);
        QAbstractButton* button =
            box != nullptr ? box->button(static_cast<QMessageBox::StandardButton>(standardButton))
                           : nullptr;
        if (button != nullptr)
            button->click();
        else if (auto* dialog = qobject_cast<QDialog*>(&window))
            dialog->reject();
    };
}

ModalScript::Step Reject() {
    return [](QWidget& window) {
        if (auto* dialog = qobject_cast<QDialog*>(&window))
            dialog->reject();
        else
            window.close();
    };
}

}  // namespace uitest
