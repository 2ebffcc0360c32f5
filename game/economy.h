// The yearly economy of a state (harvest, growth, research, salaries) and the
// yearly statistics. Each step writes its news into the turn report.
#pragma once

#include <cstdint>

namespace kordalt {

void Harvest(uint8_t gos);
void GrowPopulation(uint8_t gos);
void AdvanceResearch(uint8_t gos);
// Scientists first, then soldiers; an unpaid group loses people.
void PaySalaries(uint8_t gos);
// The state's YearStats entry of the current Year (Harvest is left alone).
void RecordYearStatistics(uint8_t gos);

}  // namespace kordalt
