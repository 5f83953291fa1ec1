#pragma once
// Runs one blocking exchange the way the window expects it: the wait cursor is shown, the
// window keeps repainting and answering the desktop (the core calls the idle hook between its
// polls), and the operator's input to the window is dropped until the exchange ends, so a click
// made while waiting never starts a second command afterwards. Modal message boxes opened
// inside the scope are other windows and take input as usual.
#include <QObject>
#include <QPointer>
#include <QWidget>

class ExchangeScope {
public:
    explicit ExchangeScope(QWidget& window);
    ~ExchangeScope();
    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;

    // True while any scope is open; commands refuse to start then.
    static bool Active();

private:
    class InputFilter : public QObject {
    public:
        explicit InputFilter(QWidget& window) : window_(&window) {}
        bool eventFilter(QObject* receiver, QEvent* event) override;

    private:
        QPointer<QWidget> window_;
    };

    InputFilter filter_;
};

// True for the events through which the operator acts on a window: mouse buttons, wheel,
// keys, shortcuts, context menus, touch and tablet.
bool IsOperatorInput(const QEvent& event);
