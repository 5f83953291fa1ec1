#include "wizard/page_tibbo_add_finish.h"

using namespace add_wizard;

CPageTibboAddFinish::CPageTibboAddFinish() : controls_(BuildPageControls(*this, kFinishControls)) {
    RecaptionControls(controls_);
    setFinalPage(true);
}

QWidget* CPageTibboAddFinish::Control(int id) const { return FindControl(controls_, id); }
