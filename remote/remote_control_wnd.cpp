#include "remote/remote_control_wnd.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "app/control_panel_app.h"
#include "app/panel_settings.h"
#include "platform/tick.h"
#include "widgets/localized_message_box.h"

CRemoteControlWnd::CRemoteControlWnd(std::uint32_t deviceAddress, Skin skin, QWidget* parent,
                                     TickSource ticks)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ticks_(ticks ? std::move(ticks) : TickSource(&platform::TickCount)),
      surface_(skin.normal.copy()),
      normal_(std::move(skin.normal)),
      pressed_(std::move(skin.pressed)),
      buttons_(std::move(skin.buttons)),
      deviceAddress_(deviceAddress) {
    // Every pixel comes from the surface, so nothing is erased first and nothing flickers.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFixedSize(normal_.size());
    setMouseTracking(true);
    setAccessibleName(tr("Remote control"));
    // A Qt timer that falls behind fires once, not once per missed interval, so ticks that
    // piled up during a blocking send are dropped rather than replayed.
    timer_.setInterval(kTimerIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &CRemoteControlWnd::OnTimer);
}

CRemoteControlWnd::~CRemoteControlWnd() { Shutdown(); }

void CRemoteControlWnd::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    panel_settings::WriteSkinLayout(TheApp().Settings(), {pos().x(), pos().y()});
    timer_.stop();
    failureShown_ = false;
    ReleaseButton();
    buttons_.clear();
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
    if (failureShown_ || closing_ || !capturing_ || active_ == -1) return;
    ReleaseButton();
    unsetCursor();
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

void CRemoteControlWnd::SendButtonCommand(const ButtonCommand& command) {
    if (failureShown_) return;
    if (!module_) module_ = std::make_unique<CModuleInterface>(deviceAddress_);
    std::uint32_t count = 0;
    // The command stays the button's: DoCommand writes into its buffer only for reading commands.
    ButtonCommand copy = command;
    const std::uint16_t result =
        module_->DoCommand(count, 0, kButtonCommand, 0, copy.length, copy.data.data());
    if (result == 0) return;
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
    emit timerHandled();
}
