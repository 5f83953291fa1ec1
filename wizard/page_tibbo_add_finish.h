#pragma once
// Page 4: the device counts as added; only Finish is left.
#include <QWizardPage>

#include "wizard/wizard_page_controls.h"

class CPageTibboAddFinish : public QWizardPage {
    Q_OBJECT

public:
    CPageTibboAddFinish();
    QWidget* Control(int id) const;

private:
    PageControls controls_;
};
