#pragma once
// Page 1: the modules found on the adapter's segment that are not listed yet, sorted by MAC, and
// the box for a device that was not found. The first search starts just after the page is first
// shown; Refresh searches again.
#include <vector>

#include <QWizardPage>

#include "netconfig/discovery.h"
#include "wizard/wizard_page_controls.h"

class QCheckBox;
class QPushButton;
class QTimer;
class QTreeWidget;
class CTibboAddWizard;

class CPageTibboAddList : public QWizardPage {
    Q_OBJECT

public:
    explicit CPageTibboAddList(CTibboAddWizard& sheet);

    // Searches the segment under the wait cursor and refills the list.
    void RefreshList();

    const std::vector<netconfig::ModuleHelloRecord>& Records() const { return records_; }
    int Selected() const { return selected_; }
    bool NotListed() const { return notListed_; }
    QWidget* Control(int id) const;

    void initializePage() override;
    bool isComplete() const override;
    bool validatePage() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnFirstSearch();
    void OnNotListedToggled(bool checked);
    void OnSelectionChanged();
    void UpdateListControls();
    void FillRows();

    CTibboAddWizard& sheet_;
    PageControls controls_;
    QTreeWidget* list_;
    QPushButton* refresh_;
    QCheckBox* notListedBox_;
    QTimer* timer_;
    bool refreshed_ = false;
    std::vector<netconfig::ModuleHelloRecord> records_;
    int selected_ = -1;
    bool notListed_ = false;
};

// The wizard's view of a search result: modules whose MAC text is listed already are dropped,
// the rest sorted by their six MAC bytes as unsigned bytes.
void FilterAndSortModules(std::vector<netconfig::ModuleHelloRecord>& records,
                          const CTibboAddWizard& sheet);
