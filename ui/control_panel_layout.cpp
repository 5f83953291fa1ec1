// The main window's layout: anchored controls follow the client size, a minimum size, and the
// place and size kept in section "Layout" of the settings file.
#include <algorithm>

#include <QMoveEvent>
#include <QResizeEvent>
#include <QShowEvent>
#include <QWindow>

#include "app/control_panel_app.h"
#include "app/panel_settings.h"
#include "ui/control_panel_dlg.h"
#include "ui/main_dialog_template.h"

using namespace main_dialog;

namespace {
constexpr int kLargestRestoredSide = 8192;
// Far off every screen, yet near enough that the window's edges, frame included, are still
// pixel numbers: a hand-edited value near the ends of the integer range would overflow them.
constexpr int kFarthestRestoredPlace = 1 << 24;
}  // namespace

void CControlPanelDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const QSize size = event->size();
    // A minimised window reports a degenerate size; the layout waits for the real one.
    if (size.width() <= 1 || size.height() <= 1) return;
    if (!previousClientSize_) {
        previousClientSize_ = size;
        return;
    }
    MoveAnchoredControls(size.width() - previousClientSize_->width(),
                         size.height() - previousClientSize_->height());
    update();
    previousClientSize_ = size;
}

void CControlPanelDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ApplyMinimumSize();
}

void CControlPanelDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    ApplyMinimumSize();
}

void CControlPanelDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // A window manager tells its frame after it has mapped the window, and a window it keeps in
    // place need not move; it activates the window once the frame is there.
    if (event->type() == QEvent::ActivationChange) ApplyMinimumSize();
}

// The minimum counts the whole window, frame included, while Qt sizes the client area, so the
// frame comes off. The window manager's frame is known once the window is mapped. Until then, and
// where no frame is drawn (offscreen, a bare X server), the frame of the desktop the template was
// drawn for is counted: its minimum is 21 units taller than its client area, and those units are
// caption and borders, so the designed client size is exactly the smallest. The side borders are
// a few pixels and the minimum width lies far below the designed width, so the width minimum is
// kept whole while no frame is known.
void CControlPanelDlg::ApplyMinimumSize() {
    const QSize whole = DialogSizeToPixels(baseUnits_, kMinimumWidth, kMinimumHeight);
    // Asked of the native window each time: the widget's own frameGeometry() keeps the frame it
    // saw at the last move or resize.
    const QWindow* native = windowHandle();
    QSize frame =
        native == nullptr ? QSize() : native->frameGeometry().size() - native->geometry().size();
    if (frame.width() <= 0 && frame.height() <= 0)
        frame = QSize(0, whole.height() - DialogUnitsToPixelsY(baseUnits_, kClientHeight));
    const QSize client = (whole - frame).expandedTo(QSize(0, 0));
    if (client != minimumSize()) setMinimumSize(client);
}

void CControlPanelDlg::MoveAnchoredControls(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    // Deltas go onto the current rectangles, so resizing back restores the layout exactly.
    for (const Anchor& anchor : kAnchors) {
        QWidget* control = Control(anchor.id);
        if (control == nullptr || anchor.flags == 0) continue;
        QRect rect = control->geometry();
        if (anchor.flags & kMoveRight) rect.translate(dx, 0);
        if (anchor.flags & kMoveDown) rect.translate(0, dy);
        if (anchor.flags & kGrowWidth) rect.setWidth(rect.width() + dx);
        if (anchor.flags & kGrowHeight) rect.setHeight(rect.height() + dy);
        control->setGeometry(rect);
    }
}

// "Layout" holds the window's normal client rectangle in screen pixels. The frame around it
// belongs to the window manager and is known only once the window is mapped, so the client
// rectangle is what comes back exactly at the next start.
void CControlPanelDlg::RestorePlacement() {
    app::panel_settings::WindowPlace place;
    if (!app::panel_settings::ReadWindowPlace(app::TheApp().Settings(), place)) return;
    // Not compared with the screens: a place off every screen is restored as it is. A size no
    // screen has comes from a damaged file and would only cost the memory of its backing store;
    // a size below the minimum grows to it.
    setGeometry(std::clamp(place.left, -kFarthestRestoredPlace, kFarthestRestoredPlace),
                std::clamp(place.top, -kFarthestRestoredPlace, kFarthestRestoredPlace),
                std::clamp(place.width, 0, kLargestRestoredSide),
                std::clamp(place.height, 0, kLargestRestoredSide));
}

void CControlPanelDlg::SavePlacement() {
    // The normal rectangle, also when the window was closed maximised.
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    app::panel_settings::WriteWindowPlace(
        app::TheApp().Settings(), {normal.left(), normal.top(), normal.width(), normal.height()});
}
