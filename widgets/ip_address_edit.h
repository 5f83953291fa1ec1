#pragma once
// The IP address field operators know: four number fields of 0-255 in one box, separated by
// dots, that reports how many of its fields are filled in. The whole field is one tab stop.
//
// Keyboard: only digits are typed; "." or a blank moves to the next field and selects its text;
// a third digit moves on by itself, and a "." typed right after that move does nothing, so a
// dotted address typed in full fills the four fields; Backspace in an empty field goes back;
// Left/Right at a field's edge cross into the neighbour; Home/End go to the first/last field.
// A number above 255 becomes 255. Pasting a dotted address fills the four fields.
#include <array>
#include <cstdint>

#include <QFrame>
#include <QString>

class QLineEdit;
class QKeyEvent;

// The field's value has the first number of the dotted form in its most significant byte; the
// rest of the program keeps addresses in network byte order (first number in the lowest byte).
std::uint32_t IpFieldValueFromAddress(std::uint32_t networkOrder);  // ntohl
std::uint32_t AddressFromIpFieldValue(std::uint32_t fieldValue);    // htonl

class CIpAddressEdit : public QFrame {
    Q_OBJECT

public:
    static constexpr int kFieldCount = 4;

    explicit CIpAddressEdit(QWidget* parent = nullptr);

    // The four numbers, the first in the most significant byte; a blank field counts as 0.
    std::uint32_t Address() const;
    // How many of the four number fields hold a number.
    int FilledFieldCount() const;
    // Fills all four fields.
    void SetAddress(std::uint32_t fieldValue);
    // Blanks all four fields.
    void ClearAddress();
    // Names the fields for a screen reader: "<name> 1" ... "<name> 4".
    void SetFieldNames(const QString& name);

    // The number field at index 0-3 (for tests and for accessibility).
    QLineEdit* Field(int index) const { return fields_[static_cast<std::size_t>(index)]; }

signals:
    void AddressEdited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    int IndexOf(const QObject* field) const;
    // True when the key is used up here.
    bool HandleKey(int index, QKeyEvent& key);
    void OnTextEdited(int index);
    // Gives field `index` the focus: its text selected, or the cursor at its start or end.
    enum class Place { SelectAll, Start, End };
    void MoveTo(int index, Place place);
    bool PasteAddress();

    std::array<QLineEdit*, kFieldCount> fields_{};
    // The field entered by a third digit's automatic move, until something is typed there.
    int autoMovedInto_ = -1;
};
