#include "remote/remote_panel_accessible.h"

#include <map>

#include <QAccessibleWidget>
#include <QPointer>

#include "remote/remote_control_wnd.h"

namespace {

// One key: not a widget of its own, so the panel's interface makes it and registers it.
class PanelKeyAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PanelKeyAccessible(CRemoteControlWnd& panel, std::size_t index)
        : panel_(&panel), index_(index) {}

    bool isValid() const override { return panel_ != nullptr && index_ < panel_->Buttons().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return panel_ ? panel_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return panel_ ? QAccessible::queryAccessibleInterface(panel_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return {};
        return QString::fromStdString(Button().name);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const ButtonRect& r = Button().rectangle;
        return QRect(panel_->mapToGlobal(QPoint(r.left, r.top)),
                     QSize(r.right - r.left, r.bottom - r.top));
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focusable = true;
        state.focused = panel_->hasFocus() && panel_->FocusedButton() == static_cast<int>(index_);
        state.pressed = Button().pressed;
        state.invisible = !panel_->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid()) panel_->ClickButton(static_cast<int>(index_));
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    const CPanelButton& Button() const { return *panel_->Buttons()[index_]; }

    QPointer<CRemoteControlWnd> panel_;
    std::size_t index_;  // into the panel's buttons
};

class PanelAccessible : public QAccessibleWidget {
public:
    explicit PanelAccessible(CRemoteControlWnd& panel)
        : QAccessibleWidget(&panel, QAccessible::Dialog) {}
    ~PanelAccessible() override {
        for (const auto& [place, id] : keys_) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return static_cast<int>(Order().size()); }
    QAccessibleInterface* child(int place) const override {
        if (place < 0 || place >= childCount()) return nullptr;
        const auto found = keys_.find(place);
        if (found != keys_.end()) return QAccessible::accessibleInterface(found->second);
        auto* key = new PanelKeyAccessible(Panel(), Order()[static_cast<std::size_t>(place)]);
        keys_[place] = QAccessible::registerAccessibleInterface(key);
        return key;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [place, id] : keys_)
            if (QAccessible::accessibleInterface(id) == child) return place;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint point = Panel().mapFromGlobal(QPoint(x, y));
        for (int place = 0; place < childCount(); ++place) {
            const ButtonRect& r =
                Panel().Buttons()[Order()[static_cast<std::size_t>(place)]]->rectangle;
            if (r.Holds(point.x(), point.y())) return child(place);
        }
        return nullptr;
    }

private:
    CRemoteControlWnd& Panel() const { return *static_cast<CRemoteControlWnd*>(widget()); }
    const std::vector<std::size_t>& Order() const { return Panel().KeyOrder(); }

    mutable std::map<int, QAccessible::Id> keys_;
};

QAccessibleInterface* DescribePanel(const QString&, QObject* object) {
    if (auto* panel = qobject_cast<CRemoteControlWnd*>(object)) return new PanelAccessible(*panel);
    return nullptr;
}

}  // namespace

void InstallRemotePanelAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&DescribePanel);
        return true;
    }();
    (void)installed;
}
