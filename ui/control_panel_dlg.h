#pragma once
// The program's only top-level window: the device list, the language and adapter choice, and
// the commands Check, Check All, Setup, Add, Remove, Passport and Close.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QIcon>
#include <QSize>

#include "app/device_list.h"
#include "widgets/dialog_units.h"
#include "wizard/tibbo_add_wizard.h"

class QComboBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CControlPanelDlg : public QDialog {
    Q_OBJECT

public:
    // Fills the list with this computer's usable IPv4 addresses; tests give their own.
    using AdapterSource = std::function<bool(std::vector<std::uint32_t>&)>;

    // Opens the window: reads the language, builds the controls, restores the place, loads the
    // device list and chooses the adapter (telling the operator when there is none).
    explicit CControlPanelDlg(AdapterSource adapterSource = {}, QWidget* parent = nullptr);
    // Frees the device list, then saves the window's place and size.
    ~CControlPanelDlg() override;

    // Rebuilds every row with redrawing suspended; selects and focuses row selectIndex (-1: none).
    void RefreshDeviceList(int selectIndex);
    // Enables each command by the availability rules.
    void UpdateCommandStates();
    // Asks the device at position for its switcher address; true if it answered.
    bool CheckDevice(std::size_t position);

    // The control with that template id, or nullptr.
    QWidget* Control(int id) const;
    const app::DeviceList& Devices() const { return devices_; }
    int ChosenAdapter() const { return chosenAdapter_; }
    std::uint32_t LocalAddress() const { return localAddress_; }
    const DialogBaseUnits& BaseUnits() const { return baseUnits_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void OnCheck();
    void OnCheckAll();
    void OnRemove();
    void OnClose();
    void OnSetup();
    void OnAdd();
    void OnPassport();
    void OnLanguageChanged(int index);
    void OnAdapterChanged(int index);
    void OnListSelectionChanged();
    void OnListDoubleClicked();

private:
    void CreateControls();
    void WireSignals();
    void ChooseLanguage();
    void SetUpList();
    void Recaption();
    void ChooseAdapter();
    // Sets the smallest client size so that the whole window, frame included, keeps the minimum.
    void ApplyMinimumSize();
    void RestorePlacement();
    void SavePlacement();
    // Applies the anchor table for a client area grown by dx, dy.
    void MoveAnchoredControls(int dx, int dy);
    // The selected row's position in the list, or -1.
    int SelectedPosition() const;
    // Runs a key before the focused control sees it; true when the key is used up.
    bool PreTranslateKey(const QKeyEvent& key);
    // How many devices Check All asks at a time ("Config"/"CheckJobs", bounded).
    std::size_t CheckAllJobs() const;
    // Check All with that many exchanges at once, each row showing its answer as it comes.
    void CheckAllAtOnce(std::size_t jobs);
    // Gives a row the texts of every column and the status image of the device at position.
    void FillRow(QTreeWidgetItem& row, std::size_t position) const;

    AdapterSource adapterSource_;
    DialogBaseUnits baseUnits_;
    std::map<int, QWidget*> controls_;
    QTreeWidget* list_ = nullptr;
    QComboBox* languageBox_ = nullptr;
    QComboBox* adapterBox_ = nullptr;

    std::array<QIcon, 4> statusImages_;
    std::string answerYes_;
    std::string answerNo_;
    std::optional<QSize> previousClientSize_;

    std::vector<std::uint32_t> adapterList_;
    int chosenAdapter_ = -1;
    std::uint32_t localAddress_ = 0;
    app::DeviceList devices_;
};
