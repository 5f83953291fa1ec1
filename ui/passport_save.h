#pragma once
// Saving a device's passport through the Save As dialog: the proposed name from the module's
// MAC address and the time the dialog opens, the file types from a localized filter text, and
// the file written by the passport file writer.
#include <cstdint>
#include <string>

#include <QStringList>

#include "netconfig/module_exchange.h"

class QWidget;

// "description|pattern|description|pattern||" as Qt's name filters, "description (patterns)";
// a description that already ends with its patterns in brackets is kept as it is.
QStringList QtNameFilters(const std::string& filterText);

// Runs the Save As dialog modally over parent and writes the passport file to the chosen path.
// False only when the chosen file cannot be written; true after a save and after a cancel.
bool SavePassportFile(QWidget* parent, std::uint32_t deviceAddress,
                      const netconfig::PassportBuffer& passport, const std::string& filterText);
