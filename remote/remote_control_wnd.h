#pragma once
// The remote control panel for one device: a frameless dialog showing a drawn handheld remote.
// Pressing a key sends its press command to the device's control module, holding it repeats
// its repeat command, letting go sends its release command; every command is command 401 of
// one CModuleInterface, made at the first send. The band across the top drags the window.
// Without a mouse, Tab and the arrow keys move a focus frame between the keys in reading order,
// Space or Enter holds the framed key down until it is let go, and Escape closes the panel.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QDialog>
#include <QImage>
#include <QTimer>

#include "protocol/module_interface.h"
#include "remote/skin.h"

class CRemoteControlWnd : public QDialog {
    Q_OBJECT

public:
    using TickSource = std::function<std::uint32_t()>;

    static constexpr int kDragStripLastRow = 32;
    static constexpr int kTimerIntervalMs = 50;
    static constexpr std::uint32_t kFirstRepeatDelayMs = 1000;  // added to the press stamp
    static constexpr std::int32_t kRepeatIntervalMs = 100;
    static constexpr int kButtonCommand = 401;
    static constexpr const char* kFailureText = "Ошибка!";

    // deviceAddress in network byte order. The skin's faces must be of one size; the panel is
    // that size. ticks is the millisecond clock of the auto-repeat.
    CRemoteControlWnd(std::uint32_t deviceAddress, Skin skin, QWidget* parent = nullptr,
                      TickSource ticks = {});
    ~CRemoteControlWnd() override;

    // -1 while no button is held.
    int ActiveButton() const { return active_; }
    // The button in the keyboard's focus frame, or -1 before the keyboard moved it there.
    int FocusedButton() const {
        return focus_ < 0 ? -1 : static_cast<int>(keyOrder_[static_cast<std::size_t>(focus_)]);
    }
    // The buttons' indices in the order the keyboard visits them.
    const std::vector<std::size_t>& KeyOrder() const { return keyOrder_; }
    // Presses and lets go of a button, as a click on it does.
    void ClickButton(int index);
    const PanelButtons& Buttons() const { return buttons_; }
    // The picture as shown.
    const QImage& Surface() const { return surface_; }
    // Null until the first command is sent.
    const protocol::CModuleInterface* ModuleInterface() const { return module_.get(); }

signals:
    // A left click in the drag strip off every button: the window is handed to the desktop to
    // be moved with the mouse.
    void dragStarted();
    // After each tick of the auto-repeat timer has been handled.
    void timerHandled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;
    void done(int result) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int ButtonAt(QPoint point) const;
    void PressButton(int index);
    void ReleaseButton();
    void RepeatButton(int index);
    void DrawButton(int index);
    void SendButtonCommand(const ButtonCommand& command);
    void OnTimer();
    // The next tick comes when the held button's repeat is due, or after the usual interval.
    void ScheduleNextTick();
    // Moves the focus frame by `step` places in reading order, wrapping around.
    void MoveFocus(int step);
    void UpdateButtonArea(int index);
    // The mouse capture was taken away: let go of the held button, as on a button-up.
    void CaptureLost();
    void ShowCursorFor(QPoint point);
    void Shutdown();

    TickSource ticks_;
    QImage surface_;
    QImage normal_;
    QImage pressed_;
    bool capturing_ = false;
    int active_ = -1;
    QTimer timer_{this};
    PanelButtons buttons_;
    std::vector<std::size_t> keyOrder_;
    int focus_ = -1;        // place in keyOrder_ of the framed button
    bool keyHeld_ = false;  // the active button is held by Space or Enter
    std::uint32_t deviceAddress_;
    std::unique_ptr<protocol::CModuleInterface> module_;
    // While the failure message is open nothing is sent, so a failing device never stacks
    // message boxes; a capture lost meanwhile is handled when it closes.
    bool failureShown_ = false;
    bool closing_ = false;  // from the close of the dialog until it is shown again
    bool shutDown_ = false;
};
