#pragma once
// What the doctor prints: the facts, the judgement of each, and the next step, as readable text
// or as JSON carrying the same facts.
#include <string>

#include "cli/doctor_judge.h"

namespace cli {

std::string DoctorText(const DoctorFacts& facts, const DoctorVerdict& verdict);
std::string DoctorJson(const DoctorFacts& facts, const DoctorVerdict& verdict);

}  // namespace cli
