// What a player does to the game state: one function per action. Each checks
// its arguments against the state and, when they do not fit, changes nothing.
// Windows, the computer player and the network client call these; only the
// rules that differ between them stay apart.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kordalt {

constexpr int kTrainingPrice = 100;        // money per trained person
constexpr int32_t kMaxProfession = 40000;  // the human's cap on scientists and on soldiers
constexpr int kMaxHumanKordalts = 10;      // the human's cap on Kordalts

int64_t Salaries(int32_t scientists, int32_t soldiers);

// Why an action refused.
enum class TRefusal {
    None,
    BadArgument,  // no such state, a negative amount
    NoMoney,
    NoPeasants,
    NoGrain,
    NoFieldsToSow,
    NoFreeScientists,
    NoReserve,
    NotYourKordalt,
    TooManyKordalts,
    TooFewFronts,
    NoMoneyForKordalt,
    NoKordaltSlot,
    StateTaken,
};

// What an action did, or would do when only asked: done, or refused with a
// reason; and its price in money and grain, negative for what it pays out.
// A refusal for want of money or people still carries the price.
struct TActionResult {
    TRefusal Refusal = TRefusal::None;
    int64_t Money = 0;
    int64_t Grain = 0;

    bool Done() const { return Refusal == TRefusal::None; }
    explicit operator bool() const { return Done(); }
    // The text a window shows for the refusal (cp1251); empty when done.
    std::string Reason() const;
};

// Do carries the action out; Ask only answers what it would do.
enum class TActionMode { Do, Ask };

// Economy.
TActionResult SowFields(uint8_t gos, int64_t fields, TActionMode mode = TActionMode::Do);  // 0..FieldsToSow
TActionResult SellGrain(uint8_t gos, int64_t grain, TActionMode mode = TActionMode::Do);   // 0..Grain
// Money never goes below 0.
TActionResult BuyGrain(uint8_t gos, int64_t grain, TActionMode mode = TActionMode::Do);
// The most grain the state's money pays for.
int64_t BuyGrainLimit(uint8_t gos);
// The expected income of the state's sown fields.
long double FieldIncome(uint8_t gos);
// kTrainingPrice each, out of the peasants.
TActionResult TrainScientists(uint8_t gos, int32_t n, TActionMode mode = TActionMode::Do);
TActionResult TrainSoldiers(uint8_t gos, int32_t n, TActionMode mode = TActionMode::Do);
TActionResult DismissScientists(uint8_t gos, int32_t n);  // free scientists only
TActionResult DismissSoldiers(uint8_t gos, int32_t n);    // the reserve only

// The human's training limit: the most people the training action takes, at
// most kMaxProfession in the profession, while next year's salaries stay
// covered by the fields' income and the money left.
int32_t HumanTrainingLimit(uint8_t gos, bool scientists);
// The human's step button: the most of 0..maximum people whose training price
// and salaries the money still pays.
int32_t HumanTrainingStep(uint8_t gos, bool scientists, int32_t maximum);

// Science.
TActionResult SetBranchScientists(uint8_t gos, int branch, int32_t n);  // 0..free + the branch's
void RecallBranchScientists(uint8_t gos, int branch);
void RecallAllScientists(uint8_t gos);
// The human's "one year" count: enough scientists to finish the branch in a year.
int64_t HumanScientistsForOneYear(uint8_t gos, int branch);

// Fronts and Kordalts.
// Soldiers of fronts without an attacking Kordalt go back to the reserve.
void RecallIdleFrontSoldiers(uint8_t gos);
// The front holds exactly `count` soldiers of troop type 1, the rest of the
// front's and the reserve's soldiers stay in the reserve.
TActionResult PlaceFrontSoldiers(uint8_t gos, uint8_t front, int32_t count);
TActionResult ReleaseKordaltFromFront(uint8_t gos, int k);
TActionResult OrderKordaltRest(uint8_t gos, int k);
TActionResult OrderKordaltTrain(uint8_t gos, int k);
void AutoRestOrTrain(int k);  // rest or train as his condition and mastery ask
TActionResult FortifyWithKordalt(uint8_t gos, int k);
TActionResult AttackWithKordalt(uint8_t gos, int k, uint8_t enemy);
TActionResult DismissKordalt(uint8_t gos, int k);
void RestAllKordalts(uint8_t gos);

// The human's purchase: at most kMaxHumanKordalts and neighbours + 2; its
// price is KordaltPrice. `name` is cp1251; an empty one keeps the slot's name.
// `slot` receives the slot bought.
TActionResult HumanBuyKordalt(uint8_t gos, int age, int mastery, int mark, int speed, std::string_view name,
                              int* slot = nullptr, TActionMode mode = TActionMode::Do);

// Setting up a game.
TActionResult SetDifficultyLevel(int level);                     // 0 training, 1 normal, 2 expert
TActionResult SetMapShape(int gosCount, int mapSize);            // 2..20 states on 50..100 squares
TActionResult SetKordaltBaseName(int i, std::string_view name);  // 1..11, cp1251
void SetCurrentPlayerName(uint8_t gos);                          // the player who won or lost
// A player takes a state nobody lives in.
TActionResult ClaimState(uint8_t gos, std::string_view playerName, uint32_t player);
// The session's players take their saved states again.
void UnseatPlayers();
TActionResult SeatPlayer(uint8_t gos, uint32_t player);

}  // namespace kordalt
