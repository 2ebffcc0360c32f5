// The computer player's Kordalts and fronts: buying and saving for Kordalts,
// the threat and the victim, the placement of the army and the orders.
#pragma once

#include <cstdint>

#include "game/ai_economy.h"

namespace kordalt {

// Values of one state's move.
struct TAiMove {
    int64_t V = 0;      // worth of this year's sowing
    int64_t W = 1;      // salaries + 1, after the hiring
    int32_t Saved = 0;  // money set aside for a Kordalt this year
    uint8_t Threat = 0;
    uint8_t Victim = 0;
    TAiMode Mode;
};

// Buys at most one Kordalt, as good as the money allows.
void AiBuyKordalt(uint8_t gos, bool urgent);
// The state's neighbour fronts; halved (plus one) when it owns a corner of the map.
int AiFrontCount(uint8_t gos);
int UsableTactics(int slot);
// The best free Kordalt of the state for each role; 0 when there is none.
int AiPickAttacker(uint8_t gos);
int AiPickDefender(uint8_t gos);
int AiPickExpendable(uint8_t gos);

// Urgent purchase, saving and normal purchase, after sowing.
void AiPurchase(uint8_t gos, TAiMove& move);
// 0 when the state has no neighbour.
uint8_t AiChooseThreat(uint8_t gos);
uint8_t AiChooseVictim(uint8_t gos);
// Takes the army off every front and places it on the threat, victim and home fronts.
void AiPlaceArmy(uint8_t gos, const TAiMove& move);
// Puts Kordalts in command of the threat, victim and home fronts.
void AiGiveOrders(uint8_t gos, const TAiMove& move);
// Final checks; idle Kordalts are dismissed, train or rest.
void AiCloseTurn(uint8_t gos);

}  // namespace kordalt
