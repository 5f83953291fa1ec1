#include "widgets/ip_address_edit.h"

#include <cstring>

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "netconfig/address_text.h"

namespace {

constexpr int kMaxDigits = 3;
constexpr int kMaxNumber = 255;

bool IsBlankOrDot(const QString& text) {
    return text == QLatin1String(".") || text == QLatin1String(" ");
}

}  // namespace

std::uint32_t IpFieldValueFromAddress(std::uint32_t networkOrder) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &networkOrder, sizeof bytes);
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

std::uint32_t AddressFromIpFieldValue(std::uint32_t fieldValue) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(fieldValue >> 24), static_cast<std::uint8_t>(fieldValue >> 16),
        static_cast<std::uint8_t>(fieldValue >> 8), static_cast<std::uint8_t>(fieldValue)};
    std::uint32_t networkOrder = 0;
    std::memcpy(&networkOrder, bytes, sizeof bytes);
    return networkOrder;
}

CIpAddressEdit::CIpAddressEdit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    const auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int index = 0; index < kFieldCount; ++index) {
        if (index > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(kMaxDigits);
        field->setValidator(digits);
        field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        field->setMinimumWidth(0);
        // A paste goes through PasteAddress from the keyboard; the menu would insert the text.
        field->setContextMenuPolicy(Qt::PreventContextMenu);
        // Only the first field is a tab stop: the four are one control.
        field->setFocusPolicy(index == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, index] { OnTextEdited(index); });
        layout->addWidget(field, 1);
        fields_[static_cast<std::size_t>(index)] = field;
    }
    setFocusProxy(fields_[0]);
    SetFieldNames(QString());
}

std::uint32_t CIpAddressEdit::Address() const {
    std::uint32_t value = 0;
    for (const QLineEdit* field : fields_)
        value = value << 8 | static_cast<std::uint32_t>(field->text().toInt());
    return value;
}

int CIpAddressEdit::FilledFieldCount() const {
    int filled = 0;
    for (const QLineEdit* field : fields_) filled += field->text().isEmpty() ? 0 : 1;
    return filled;
}

void CIpAddressEdit::SetAddress(std::uint32_t fieldValue) {
    for (int index = 0; index < kFieldCount; ++index)
        fields_[static_cast<std::size_t>(index)]->setText(
            QString::number((fieldValue >> (8 * (3 - index))) & 0xFF));
    autoMovedInto_ = -1;
}

void CIpAddressEdit::ClearAddress() {
    for (QLineEdit* field : fields_) field->clear();
    autoMovedInto_ = -1;
}

void CIpAddressEdit::SetFieldNames(const QString& name) {
    setAccessibleName(name);
    for (int index = 0; index < kFieldCount; ++index) {
        const QString number = QString::number(index + 1);
        fields_[static_cast<std::size_t>(index)]->setAccessibleName(
            name.isEmpty() ? number : name + QLatin1Char(' ') + number);
    }
}

int CIpAddressEdit::IndexOf(const QObject* field) const {
    for (int index = 0; index < kFieldCount; ++index)
        if (fields_[static_cast<std::size_t>(index)] == field) return index;
    return -1;
}

bool CIpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    if (index < 0) return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) return HandleKey(index, *static_cast<QKeyEvent*>(event));
    // The dot that a third digit's move swallows is only the one typed right after it.
    if (event->type() == QEvent::MouseButtonPress) autoMovedInto_ = -1;
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::OtherFocusReason)
        autoMovedInto_ = -1;
    if (event->type() == QEvent::FocusIn) {
        // Entering from outside (Tab, the dialog opening, a page shown) selects the text so that
        // typing replaces it; a click places the cursor as usual.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason)
            fields_[static_cast<std::size_t>(index)]->selectAll();
    }
    return false;
}

bool CIpAddressEdit::HandleKey(int index, QKeyEvent& key) {
    QLineEdit* field = fields_[static_cast<std::size_t>(index)];
    const bool justMovedHere = autoMovedInto_ == index;
    switch (key.key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta: return false;
        default: break;
    }
    autoMovedInto_ = -1;

    if (key.matches(QKeySequence::Paste)) {
        PasteAddress();
        return true;
    }
    const bool plain = (key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0;
    const bool noSelection = !field->hasSelectedText();
    switch (key.key()) {
        case Qt::Key_Backspace:
            if (!field->text().isEmpty() || index == 0) return false;
            MoveTo(index - 1, Place::End);
            return true;
        case Qt::Key_Left:
            if (!plain || !noSelection || field->cursorPosition() > 0 || index == 0) return false;
            MoveTo(index - 1, Place::End);
            return true;
        case Qt::Key_Right:
            if (!plain || !noSelection || field->cursorPosition() < field->text().size() ||
                index == kFieldCount - 1)
                return false;
            MoveTo(index + 1, Place::Start);
            return true;
        case Qt::Key_Home:
            if (key.modifiers() != Qt::NoModifier) return false;
            MoveTo(0, Place::Start);
            return true;
        case Qt::Key_End:
            if (key.modifiers() != Qt::NoModifier) return false;
            MoveTo(kFieldCount - 1, Place::End);
            return true;
        default: break;
    }

    const QString text = key.text();
    if (text.isEmpty() || !plain || !text.at(0).isPrint()) return false;
    if (IsBlankOrDot(text)) {
        // The dot that ends a number whose third digit already moved on belongs to that move.
        if (!justMovedHere && index + 1 < kFieldCount) MoveTo(index + 1, Place::SelectAll);
        return true;
    }
    // Digits go to the field; every other character is dropped.
    return !(text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9'));
}

void CIpAddressEdit::OnTextEdited(int index) {
    QLineEdit* field = fields_[static_cast<std::size_t>(index)];
    if (field->text().toInt() > kMaxNumber) field->setText(QString::number(kMaxNumber));
    if (field->text().size() == kMaxDigits && field->cursorPosition() == kMaxDigits &&
        index + 1 < kFieldCount) {
        MoveTo(index + 1, Place::SelectAll);
        autoMovedInto_ = index + 1;
    }
    emit AddressEdited();
}

void CIpAddressEdit::MoveTo(int index, Place place) {
    QLineEdit* field = fields_[static_cast<std::size_t>(index)];
    field->setFocus(Qt::OtherFocusReason);
    switch (place) {
        case Place::SelectAll: field->selectAll(); break;
        case Place::Start: field->setCursorPosition(0); break;
        case Place::End: field->setCursorPosition(static_cast<int>(field->text().size())); break;
    }
}

bool CIpAddressEdit::PasteAddress() {
    const QString text = QGuiApplication::clipboard()->text().trimmed();
    std::uint32_t address = 0;
    if (!netconfig::ParseIpAddress(text.toStdString(), address)) return false;
    SetAddress(IpFieldValueFromAddress(address));
    MoveTo(kFieldCount - 1, Place::End);
    emit AddressEdited();
    return true;
}

bool CIpAddressEdit::focusNextPrevChild(bool next) {
    // Shift+Tab from a later field must leave the control, not land on its first field: step
    // back from the first field's place in the chain to the previous tab stop outside.
    if (!next) {
        for (QWidget* widget = fields_[0]->previousInFocusChain(); widget != fields_[0];
             widget = widget->previousInFocusChain()) {
            if (widget == this || isAncestorOf(widget) || widget->window() != window()) continue;
            if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(window()) &&
                widget->isEnabled() && widget->focusProxy() == nullptr) {
                widget->setFocus(Qt::BacktabFocusReason);
                return true;
            }
        }
    }
    return QFrame::focusNextPrevChild(next);
}
