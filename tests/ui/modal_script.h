#pragma once
// Answers the modal windows of one test in order, whatever their kind: each new modal window
// gets the next step, run just after the timer that found it, so a step may open a nested modal
// window (the overwrite question inside the Save As dialog) and that one is answered as well. A
// window left open past the bound, and any window beyond the steps, is rejected, so a failing
// test never hangs.
#include <functional>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace uitest {

class ModalScript : public QObject {
public:
    using Step = std::function<void(QWidget&)>;
    explicit ModalScript(std::vector<Step> steps, int boundMs = 15000);
    ~ModalScript() override;

    // One entry per modal window that opened: a message box's text, otherwise its class name.
    const QStringList& Seen() const { return seen_; }

private:
    void Look();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int boundMs_;
    int waitedMs_ = 0;
    QTimer timer_;
    QPointer<QWidget> active_;
    std::vector<QPointer<QWidget>> handled_;
    QStringList seen_;
};

// Steps for the common answers.
ModalScript::Step PressButton(int standardButton);  // a QMessageBox's button
ModalScript::Step Reject();

}  // namespace uitest
