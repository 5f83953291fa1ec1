#pragma once
// Builds a wizard page's controls from its template and re-captions them in the current
// language, so the four pages share one way of placing and naming controls.
#include <map>
#include <span>

#include <QString>

#include "wizard/wizard_template.h"

class QWidget;

using PageControls = std::map<int, QWidget*>;

// Creates each control at its rectangle (converted with the page's dialog font), in tab order,
// and fixes the page's size at 296 x 146 dialog units. Labels become their field's buddy.
PageControls BuildPageControls(QWidget& page,
                               std::span<const add_wizard::ControlTemplate> controls);

// Gives every text-bearing control the localized string of its own id.
void RecaptionControls(const PageControls& controls);

QString LocalizedText(int id);

// Gives the field the focus with its first number selected, once the page change that is under
// way has settled (the sheet moves the focus to its buttons while it changes pages).
void FocusForTyping(QWidget& field);
// The control with that template id, or nullptr.
QWidget* FindControl(const PageControls& controls, int id);
