#include "remote/remote_control_wnd.h"

#include <algorithm>

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "app/control_panel_app.h"
#include "app/panel_settings.h"
#include "platform/tick.h"
#include "remote/remote_panel_accessible.h"
#include "widgets/localized_message_box.h"

CRemoteControlWnd::CRemoteControlWnd(std::uint32_t deviceAddress, Skin skin, QWidget* parent,
                                     TickSource ticks)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ticks_(ticks ? std::move(ticks) : TickSource(&platform::TickCount)),
      surface_(skin.normal.copy()),
      normal_(std::move(skin.normal)),
      pressed_(std::move(skin.pressed)),
      buttons_(std::move(skin.buttons)),
      keyOrder_(ReadingOrder(buttons_)),
      deviceAddress_(deviceAddress) {
    InstallRemotePanelAccessibility();
    // Every pixel comes from the surface, so nothing is erased first and nothing flickers.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFixedSize(normal_.size());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Remote control"));
    // A Qt timer that falls behind fires once, not once per missed interval, so ticks that
    // piled up during a blocking send are dropped rather than replayed.
    // Precise, and re-aimed at each repeat's due time: a coarse timer may fire a little early,
    // and a tick just short of the due time would put the repeat off by a whole interval.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTimerIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &CRemoteControlWnd::OnTimer);
}

CRemoteControlWnd::~CRemoteControlWnd() { Shutdown(); }

void CRemoteControlWnd::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    app::panel_settings::WriteSkinLayout(app::TheApp().Settings(), {pos().x(), pos().y()});
    timer_.stop();
    failureShown_ = false;
    ReleaseButton();
    buttons_.clear();
    keyOrder_.clear();
    focus_ = -1;
    surface_ = QImage();
    normal_ = QImage();
    pressed_ = QImage();
    module_.reset();
}

void CRemoteControlWnd::paintEvent(QPaintEvent* event) {
    const QRect clip = event->rect();
    if (clip.isEmpty()) return;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(clip.topLeft(), surface_, clip);
    const int focused = FocusedButton();
    if (focused < 0) return;
    // Dots of black on white show on any face.
    const ButtonRect& r = buttons_[static_cast<std::size_t>(focused)]->rectangle;
    const QRect frame =
        QRect(r.left, r.top, r.right - r.left, r.bottom - r.top).adjusted(1, 1, -2, -2);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(frame);
    painter.setPen(QPen(Qt::black, 2, Qt::DotLine));
    painter.drawRect(frame);
}

int CRemoteControlWnd::ButtonAt(QPoint point) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i]->rectangle.Holds(point.x(), point.y())) return static_cast<int>(i);
    }
    return -1;
}

void CRemoteControlWnd::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QPoint point = event->position().toPoint();
    if (active_ == -1 && !capturing_) {
        const int index = ButtonAt(point);
        if (index >= 0 && !buttons_[static_cast<std::size_t>(index)]->pressed) {
            // The press itself holds the mouse for this window until the button comes up (the
            // desktop's implicit grab), so no explicit grab is taken.
            capturing_ = true;
            setCursor(Qt::ClosedHandCursor);
            PressButton(index);
            return;
        }
    }
    if (point.y() <= kDragStripLastRow) {
        emit dragStarted();
        if (QWindow* window = windowHandle()) window->startSystemMove();
    }
}

void CRemoteControlWnd::mouseReleaseEvent(QMouseEvent* event) {
    QDialog::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && capturing_ && active_ != -1) ReleaseButton();
    ShowCursorFor(event->position().toPoint());
}

void CRemoteControlWnd::mouseMoveEvent(QMouseEvent* event) {
    QDialog::mouseMoveEvent(event);
    if (!capturing_) ShowCursorFor(event->position().toPoint());
}

void CRemoteControlWnd::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) CaptureLost();
}

// A panel being closed loses activation too; its held button is let go at destruction.
void CRemoteControlWnd::done(int result) {
    closing_ = true;
    QDialog::done(result);
}

void CRemoteControlWnd::showEvent(QShowEvent* event) {
    closing_ = false;
    QDialog::showEvent(event);
    timer_.start();
}

// A closed panel repeats nothing; the held button itself is let go when the panel is destroyed.
void CRemoteControlWnd::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    timer_.stop();
}

void CRemoteControlWnd::CaptureLost() {
    if (failureShown_ || closing_ || (!capturing_ && !keyHeld_) || active_ == -1) return;
    keyHeld_ = false;
    ReleaseButton();
    unsetCursor();
}

void CRemoteControlWnd::ClickButton(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= buttons_.size() || active_ != -1 ||
        failureShown_)
        return;
    PressButton(index);
    // A button that closed the panel is let go when the panel is destroyed, as after a click.
    if (!closing_) ReleaseButton();
}

bool CRemoteControlWnd::focusNextPrevChild(bool next) {
    MoveFocus(next ? 1 : -1);
    return true;
}

void CRemoteControlWnd::MoveFocus(int step) {
    if (keyOrder_.empty() || active_ != -1) return;
    const int count = static_cast<int>(keyOrder_.size());
    const int before = FocusedButton();
    focus_ = focus_ < 0 ? (step > 0 ? 0 : count - 1) : (focus_ + step + count) % count;
    UpdateButtonArea(before);
    UpdateButtonArea(FocusedButton());
    if (QAccessible::isActive()) {
        if (QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(this)) {
            if (QAccessibleInterface* key = panel->child(focus_)) {
                QAccessibleEvent focused(key, QAccessible::Focus);
                QAccessible::updateAccessibility(&focused);
            }
        }
    }
}

void CRemoteControlWnd::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down: MoveFocus(1); return;
        case Qt::Key_Left:
        case Qt::Key_Up: MoveFocus(-1); return;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The desktop's own repeats of a held key are not presses: the panel repeats by itself.
            if (!event->isAutoRepeat() && FocusedButton() >= 0 && active_ == -1 && !failureShown_) {
                keyHeld_ = true;
                PressButton(FocusedButton());
            }
            return;
        default: QDialog::keyPressEvent(event);
    }
}

void CRemoteControlWnd::keyReleaseEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool pressKey = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!pressKey || event->isAutoRepeat()) {
        QDialog::keyReleaseEvent(event);
        return;
    }
    if (keyHeld_ && active_ != -1) {
        keyHeld_ = false;
        ReleaseButton();
    }
}

void CRemoteControlWnd::ShowCursorFor(QPoint point) {
    if (ButtonAt(point) >= 0)
        setCursor(Qt::PointingHandCursor);
    else if (point.y() <= kDragStripLastRow)
        setCursor(Qt::SizeAllCursor);
    else
        unsetCursor();
}

void CRemoteControlWnd::PressButton(int index) {
    CPanelButton& button = *buttons_[static_cast<std::size_t>(index)];
    button.pressed = true;
    button.stamp = ticks_() + kFirstRepeatDelayMs;
    active_ = index;
    DrawButton(index);
    if (button.press.length != 0) SendButtonCommand(button.press);
    if (button.ClosesPanel()) reject();
}

void CRemoteControlWnd::ReleaseButton() {
    capturing_ = false;
    if (active_ == -1) return;
    // Let go before sending, so a failure message shown by the send finds nothing held.
    const int index = active_;
    active_ = -1;
    CPanelButton& button = *buttons_[static_cast<std::size_t>(index)];
    button.pressed = false;
    button.stamp = 0;
    DrawButton(index);
    if (button.release.length != 0) SendButtonCommand(button.release);
}

void CRemoteControlWnd::RepeatButton(int index) {
    CPanelButton& button = *buttons_[static_cast<std::size_t>(index)];
    button.stamp = ticks_();
    if (button.repeat.length != 0) SendButtonCommand(button.repeat);
}

void CRemoteControlWnd::DrawButton(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= buttons_.size()) return;
    const CPanelButton& button = *buttons_[static_cast<std::size_t>(index)];
    const ButtonRect& r = button.rectangle;
    const QRect rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    {
        QPainter painter(&surface_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(rect.topLeft(), button.pressed ? pressed_ : normal_, rect);
    }
    update(rect);
}

void CRemoteControlWnd::UpdateButtonArea(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= buttons_.size()) return;
    const ButtonRect& r = buttons_[static_cast<std::size_t>(index)]->rectangle;
    update(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

void CRemoteControlWnd::SendButtonCommand(const ButtonCommand& command) {
    if (failureShown_) return;
    if (!module_) module_ = std::make_unique<protocol::CModuleInterface>(deviceAddress_);
    std::uint32_t count = 0;
    // The command stays the button's: DoCommand writes into its buffer only for reading commands.
    ButtonCommand copy = command;
    const protocol::ModuleResult result =
        module_->DoCommand(count, 0, kButtonCommand, 0, copy.length, copy.data.data());
    if (result == protocol::ModuleResult::Ok) return;
    failureShown_ = true;
    LocalizedMessageBoxText(kFailureText, MessageStyle::Warning);
    failureShown_ = false;
    // The operator has answered the box, so the mouse is no longer on the panel's button.
    if (!shutDown_) CaptureLost();
}

void CRemoteControlWnd::OnTimer() {
    const QWidget* grabber = QWidget::mouseGrabber();
    if (!failureShown_ && capturing_ && grabber != nullptr && grabber != this) CaptureLost();
    if (!failureShown_ && active_ != -1) {
        const CPanelButton& button = *buttons_[static_cast<std::size_t>(active_)];
        const auto due = static_cast<std::int32_t>(ticks_() - button.stamp);
        if (due >= kRepeatIntervalMs) RepeatButton(active_);
    }
    ScheduleNextTick();
    emit timerHandled();
}

void CRemoteControlWnd::ScheduleNextTick() {
    int interval = kTimerIntervalMs;
    if (active_ != -1) {
        const CPanelButton& held = *buttons_[static_cast<std::size_t>(active_)];
        const auto since = static_cast<std::int32_t>(ticks_() - held.stamp);
        interval = std::clamp(kRepeatIntervalMs - since, 1, kTimerIntervalMs);
    }
    // Restarts the timer from now, so the next tick is measured from this one.
    timer_.setInterval(interval);
}
