#pragma once
// The device list as operators know it from the desktop's list views. Qt makes row 0 current,
// though not selected, when the list gets the focus, so a first Down would select row 1; here,
// while no row is selected, the moving keys select the first row (End the last) and Space
// selects the current row.
#include <QTreeWidget>

class DeviceListView : public QTreeWidget {
    Q_OBJECT

public:
    explicit DeviceListView(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The row a key selects from a list without selection, or -1 to let the key take its course.
    int RowForKey(const QKeyEvent& key) const;
};
