// The computer player's view of its neighbours and its economy: strength,
// attitudes, the mode flags of the state being played, sowing, hiring and the
// staffing of the research branches.
#pragma once

#include <array>
#include <cstdint>

#include "game/game_state.h"

namespace kordalt {

// Mode flags of the state being played, worked out at the start of its move.
struct TAiMode {
    bool WarFooting = false;  // threatened: arm
    bool Safe = true;         // no neighbour is much stronger
    bool Dominant = true;     // bigger than every neighbour and at least average size
    bool Outsized = false;    // some neighbour is clearly bigger
};

// part / whole, 0 when whole is 0.
double Share(double part, double whole);
// AliveGosCount / GosCount.
double AliveShare();
// The average territory of a living state.
double AverageTerritory();
// True when j is a neighbour of i.
bool Borders(uint8_t i, uint8_t j);

double GosStrength(uint8_t gos);
// Strength of a over strength of b; 0 when b has no strength.
double StrengthRatio(uint8_t a, uint8_t b);

// Worth of sowing `fields` fields: fields times the agrarian and financial effects.
long double SowingWorth(const TGosRec& g, long double fields);
int64_t ScientistSalary(const TGosRec& g);
int64_t SoldierSalary(const TGosRec& g);

// Every branch's scientists go back to FreeScientists.
void ReturnAllScientists(TGosRec& g);

// The yearly change of the state's attitudes toward all others.
void AiUpdateRelations(uint8_t gos);
TAiMode AiModeFlags(uint8_t gos);
// At war and outsized, a small state turns scientists back into peasants.
void AiShedScientists(uint8_t gos, const TAiMode& mode);
// Sows what it can and sells all grain; returns the worth of this year's sowing.
int64_t AiSowAndSell(uint8_t gos);
// Hiring and research by character and year; v is the worth of the sowing.
void AiHireAndResearch(uint8_t gos, int64_t v, const TAiMode& mode);

// Turns peasants into scientists and soldiers for the state's money.
void AiHirePeople(uint8_t gos, double soldierShare, double scientistShare, const TAiMode& mode);
// Staffs branch 0..5 when it has no scientists.
void AiAssignScientists(uint8_t gos, int branch);
// `p` holds six ascending percentage thresholds of the random fill.
void AiDistributeScientists(uint8_t gos, std::array<int, 6> p, const TAiMode& mode);

}  // namespace kordalt
