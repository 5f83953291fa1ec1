#include "widgets/exchange_scope.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

#include "platform/idle_hook.h"

namespace {

int openScopes = 0;

void ProcessEventsWhileWaiting() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

bool IsOperatorInput(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease: return true;
        default: return false;
    }
}

bool ExchangeScope::InputFilter::eventFilter(QObject* receiver, QEvent* event) {
    if (window_ == nullptr || !IsOperatorInput(*event)) return false;
    const auto* widget = qobject_cast<QWidget*>(receiver);
    return widget != nullptr && widget->window() == window_.data();
}

ExchangeScope::ExchangeScope(QWidget& window) : filter_(window) {
    ++openScopes;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(&filter_);
    platform::SetIdleHook(&ProcessEventsWhileWaiting);
}

ExchangeScope::~ExchangeScope() {
    platform::SetIdleHook(nullptr);
    // Input that arrived while waiting is still queued: deliver it now, into the filter.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(&filter_);
    QApplication::restoreOverrideCursor();
    --openScopes;
}

bool ExchangeScope::Active() { return openScopes > 0; }
