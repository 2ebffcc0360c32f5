#include "game/player_actions.h"

#include <algorithm>

#include "game/fronts.h"
#include "game/game_state.h"
#include "game/kordalt_pool.h"
#include "game/language_file.h"
#include "game/rules_data.h"
#include "platform/arith.h"
#include "platform/cp1251.h"
#include "platform/format.h"

namespace kordalt {

namespace {

constexpr double kScientistSalaryExponent = 1.6;
constexpr double kSoldierSalaryExponent = 1.8;

bool ValidGos(uint8_t gos) { return gos >= 1 && gos <= Game.GosCount; }

long double EffectOf(const TGosRec& g, int branch) { return g.Research[branch].Effect; }

int32_t Add(int32_t a, int64_t b) { return SaturateI32(int64_t{a} + b); }

// Carries a result out with `apply` unless it is refused or only asked.
template <class Apply>
TActionResult Settle(const TActionResult& result, TActionMode mode, Apply apply) {
    if (result && mode == TActionMode::Do) apply();
    return result;
}

// Turns n peasants into trained people of one profession.
TActionResult Train(uint8_t gos, int32_t n, TActionMode mode, int32_t TGosRec::*total,
                    int32_t TGosRec::*idle) {
    if (!ValidGos(gos) || n < 0) return {TRefusal::BadArgument};
    TGosRec& g = Game.mGos[gos];
    const int64_t price = int64_t{kTrainingPrice} * n;
    const TRefusal refusal = price > g.Money  ? TRefusal::NoMoney
                             : n > g.Peasants ? TRefusal::NoPeasants
                                              : TRefusal::None;
    return Settle({refusal, price}, mode, [&] {
        g.Money = Add(g.Money, -price);
        g.*total = Add(g.*total, n);
        g.*idle = Add(g.*idle, n);
        g.Peasants -= n;
    });
}

TActionResult Dismiss(uint8_t gos, int32_t n, TRefusal tooMany, int32_t TGosRec::*total,
                      int32_t TGosRec::*idle) {
    if (!ValidGos(gos) || n < 0) return {TRefusal::BadArgument};
    TGosRec& g = Game.mGos[gos];
    if (n > g.*idle || n > g.*total) return {tooMany};
    g.*idle -= n;
    g.*total -= n;
    g.Peasants = Add(g.Peasants, n);
    return {};
}

bool ValidBranch(int branch) { return branch >= 0 && branch < ResearchBranchCount; }

// Kordalt k exists and serves gos.
TRefusal Serves(uint8_t gos, int k) {
    if (!ValidGos(gos) || k < 1 || k > KordaltSlotCount) return TRefusal::BadArgument;
    return Game.mKordalt[k].Owner == gos ? TRefusal::None : TRefusal::NotYourKordalt;
}

// Others of gos holding the same post go to rest or training.
template <class Holds>
void Relieve(uint8_t gos, int k, Holds holds) {
    for (int other = 1; other <= KordaltSlotCount; ++other)
        if (other != k && Game.mKordalt[other].Owner == gos && holds(Game.mKordalt[other])) {
            ReleaseKordaltFromFront(gos, other);
            AutoRestOrTrain(other);
        }
}

// Next year's salaries with `extra` more people in one profession; the other
// profession's share is computed once.
class ProfessionSalaries {
public:
    ProfessionSalaries(const TGosRec& g, bool scientists)
        : people_(scientists ? g.Scientists : g.Soldiers),
          exponent_(scientists ? kScientistSalaryExponent : kSoldierSalaryExponent),
          others_(scientists ? Salaries(0, g.Soldiers) : Salaries(g.Scientists, 0)) {}

    int64_t operator()(int64_t extra) const { return PowerTrunc(Add(people_, extra), exponent_) + others_; }

private:
    int32_t people_;
    double exponent_;
    int64_t others_;
};

// The training action of one profession, only asked.
TActionResult TrainAsked(uint8_t gos, bool scientists, int64_t n) {
    const auto people = static_cast<int32_t>(n);
    return scientists ? TrainScientists(gos, people, TActionMode::Ask)
                      : TrainSoldiers(gos, people, TActionMode::Ask);
}

// The largest n in first..last for which `fits` holds, where it holds on a
// prefix of the range; first - 1 when it holds nowhere.
template <class Fits>
int64_t LastFitting(int64_t first, int64_t last, Fits fits) {
    while (first <= last) {
        const int64_t middle = first + (last - first) / 2;
        if (fits(middle))
            first = middle + 1;
        else
            last = middle - 1;
    }
    return last;
}

}  // namespace

int64_t Salaries(int32_t scientists, int32_t soldiers) {
    return PowerTrunc(scientists, kScientistSalaryExponent) + PowerTrunc(soldiers, kSoldierSalaryExponent);
}

std::string TActionResult::Reason() const {
    switch (Refusal) {
        case TRefusal::None:
            return {};
        case TRefusal::BadArgument:
            return Cp(kBadActionValue);
        case TRefusal::NoMoney:
            return LangText(kNoMoneyToTrain);
        case TRefusal::NoPeasants:
            return Cp(kNoPeasants);
        case TRefusal::NoGrain:
            return Cp(kNoGrain);
        case TRefusal::NoFieldsToSow:
            return Cp(kNoFieldsToSow);
        case TRefusal::NoFreeScientists:
            return Cp(kNoFreeScientists);
        case TRefusal::NoReserve:
            return Cp(kNoReserveSoldiers);
        case TRefusal::NotYourKordalt:
            return Cp(kNotYourKordalt);
        case TRefusal::TooManyKordalts:
            return FormatText(LangText(kKordaltLimit), {kMaxHumanKordalts});
        case TRefusal::TooFewFronts:
            return LangText(kTooFewFronts);
        case TRefusal::NoMoneyForKordalt:
            return LangText(kNoMoneyForKordalt);
        case TRefusal::NoKordaltSlot:
            return LangText(kNoFreeKordaltSlot);
        case TRefusal::StateTaken:
            return LangText(kStateTaken);
    }
    return {};
}

TActionResult SowFields(uint8_t gos, int64_t fields, TActionMode mode) {
    if (!ValidGos(gos) || fields < 0) return {TRefusal::BadArgument};
    TGosRec& g = Game.mGos[gos];
    const TRefusal refusal = fields > FieldsToSow(gos) ? TRefusal::NoFieldsToSow : TRefusal::None;
    const int64_t seed = Trunc(fields * EffectOf(g, AgrarianLevel));
    return Settle({refusal, 0, seed}, mode, [&] {
        g.Grain = SaturateI32(g.Grain - seed);
        g.FieldsSown = static_cast<uint16_t>(g.FieldsSown + fields);
    });
}

TActionResult SellGrain(uint8_t gos, int64_t grain, TActionMode mode) {
    if (!ValidGos(gos) || grain < 0) return {TRefusal::BadArgument};
    TGosRec& g = Game.mGos[gos];
    const TRefusal refusal = grain > g.Grain ? TRefusal::NoGrain : TRefusal::None;
    const int64_t income = Round(grain * EffectOf(g, FinancialLevel));
    return Settle({refusal, -income, grain}, mode, [&] {
        g.Money = Add(g.Money, income);
        g.Grain = Add(g.Grain, -grain);
    });
}

TActionResult BuyGrain(uint8_t gos, int64_t grain, TActionMode mode) {
    if (!ValidGos(gos) || grain < 0 || grain > INT32_MAX) return {TRefusal::BadArgument};
    TGosRec& g = Game.mGos[gos];
    const int64_t price = Round(grain * EffectOf(g, FinancialLevel) * 2.0L);
    return Settle({TRefusal::None, price, -grain}, mode, [&] {
        g.Money = SaturateI32(std::max<int64_t>(0, g.Money - price));
        g.Grain = Add(g.Grain, grain);
    });
}

int64_t BuyGrainLimit(uint8_t gos) {
    if (!ValidGos(gos)) return 0;
    const TGosRec& g = Game.mGos[gos];
    return Trunc(g.Money / (EffectOf(g, FinancialLevel) * 2.0L));
}

long double FieldIncome(uint8_t gos) {
    if (!ValidGos(gos)) return 0;
    const TGosRec& g = Game.mGos[gos];
    return g.FieldsSown * EffectOf(g, AgrarianLevel) * EffectOf(g, FinancialLevel);
}

TActionResult TrainScientists(uint8_t gos, int32_t n, TActionMode mode) {
    return Train(gos, n, mode, &TGosRec::Scientists, &TGosRec::FreeScientists);
}
TActionResult TrainSoldiers(uint8_t gos, int32_t n, TActionMode mode) {
    return Train(gos, n, mode, &TGosRec::Soldiers, &TGosRec::Reserve);
}
TActionResult DismissScientists(uint8_t gos, int32_t n) {
    return Dismiss(gos, n, TRefusal::NoFreeScientists, &TGosRec::Scientists, &TGosRec::FreeScientists);
}
TActionResult DismissSoldiers(uint8_t gos, int32_t n) {
    return Dismiss(gos, n, TRefusal::NoReserve, &TGosRec::Soldiers, &TGosRec::Reserve);
}

int32_t HumanTrainingLimit(uint8_t gos, bool scientists) {
    if (!ValidGos(gos)) return 0;
    const TGosRec& g = Game.mGos[gos];
    const int32_t people = scientists ? g.Scientists : g.Soldiers;
    const long double income = FieldIncome(gos);
    int64_t n = Trunc(g.Money / static_cast<long double>(kTrainingPrice));
    if (people + n > kMaxProfession) n = kMaxProfession - people;
    const ProfessionSalaries salaries(g, scientists);
    n = LastFitting(1, n, [&](int64_t extra) {
        const TActionResult training = TrainAsked(gos, scientists, extra);
        return training && salaries(extra) <= income + g.Money - training.Money;
    });
    return static_cast<int32_t>(std::max<int64_t>(n, 0));
}

int32_t HumanTrainingStep(uint8_t gos, bool scientists, int32_t maximum) {
    if (!ValidGos(gos)) return 0;
    const TGosRec& g = Game.mGos[gos];
    const ProfessionSalaries salaries(g, scientists);
    const int64_t n = LastFitting(1, maximum, [&](int64_t extra) {
        return g.Money - TrainAsked(gos, scientists, extra).Money - salaries(extra) >= 0;
    });
    return static_cast<int32_t>(std::max<int64_t>(n, 0));
}

TActionResult SetBranchScientists(uint8_t gos, int branch, int32_t n) {
    if (!ValidGos(gos) || !ValidBranch(branch) || n < 0) return {TRefusal::BadArgument};
    TGosRec& g = Game.mGos[gos];
    TResearchRec& r = g.Research[branch];
    if (n > int64_t{g.FreeScientists} + r.Scientists) return {TRefusal::NoFreeScientists};
    g.FreeScientists = SaturateI32(int64_t{g.FreeScientists} + r.Scientists - n);
    r.Scientists = n;
    return {};
}

void RecallBranchScientists(uint8_t gos, int branch) {
    if (!ValidGos(gos) || !ValidBranch(branch)) return;
    TGosRec& g = Game.mGos[gos];
    g.FreeScientists = Add(g.FreeScientists, g.Research[branch].Scientists);
    g.Research[branch].Scientists = 0;
}

void RecallAllScientists(uint8_t gos) {
    for (int k = 0; k < ResearchBranchCount; ++k) RecallBranchScientists(gos, k);
}

int64_t HumanScientistsForOneYear(uint8_t gos, int branch) {
    if (!ValidGos(gos) || !ValidBranch(branch)) return 0;
    const TGosRec& g = Game.mGos[gos];
    const TResearchRec& r = g.Research[branch];
    const long double points = EffectOf(g, ScienceLevel);
    int64_t n = Trunc((int64_t{r.Cost} - r.Points) / points);
    if (r.Cost > Trunc(n * points + r.Points)) ++n;
    return n;
}

void RecallIdleFrontSoldiers(uint8_t gos) {
    if (!ValidGos(gos)) return;
    for (int j = 1; j <= Game.GosCount; ++j) {
        const uint8_t k = Game.mGos[gos].Fronts[j].Kordalt;
        if (k == 0 || Game.mKordalt[k].Order != kOrderAttack)
            MoveFrontToReserve(gos, static_cast<uint8_t>(j));
    }
}

TActionResult PlaceFrontSoldiers(uint8_t gos, uint8_t front, int32_t count) {
    if (!ValidGos(gos) || front < 1 || front > Game.GosCount || count < 0) return {TRefusal::BadArgument};
    TGosRec& g = Game.mGos[gos];
    const int64_t available = int64_t{g.Reserve} + FrontSoldiers(gos, front);
    if (count > available) return {TRefusal::NoReserve};
    for (int t = 1; t <= Rules.TroopTypeCount; ++t) g.Fronts[front].Soldiers[t] = 0;
    g.Fronts[front].Soldiers[1] = count;
    g.Reserve = static_cast<int32_t>(available - count);
    return {};
}

TActionResult ReleaseKordaltFromFront(uint8_t gos, int k) {
    if (const TRefusal refusal = Serves(gos, k); refusal != TRefusal::None) return {refusal};
    TKordaltRec& rec = Game.mKordalt[k];
    if (rec.Front >= 1 && rec.Front <= Game.GosCount) Game.mGos[gos].Fronts[rec.Front].Kordalt = 0;
    rec.Front = 0;
    return {};
}

TActionResult OrderKordaltRest(uint8_t gos, int k) {
    if (const TRefusal refusal = Serves(gos, k); refusal != TRefusal::None) return {refusal};
    Game.mKordalt[k].Order = kOrderRest;
    return {};
}

TActionResult OrderKordaltTrain(uint8_t gos, int k) {
    if (const TRefusal refusal = Serves(gos, k); refusal != TRefusal::None) return {refusal};
    Game.mKordalt[k].Order = kOrderTrain;
    return {};
}

void AutoRestOrTrain(int k) {
    if (k < 1 || k > KordaltSlotCount) return;
    TKordaltRec& rec = Game.mKordalt[k];
    if (rec.Condition < 80 && rec.Mastery > 70)
        rec.Order = kOrderRest;
    else if (rec.Condition > 80 && rec.Mastery < 70)
        rec.Order = kOrderTrain;
    else if (rec.Condition == 100)
        rec.Order = kOrderTrain;
    else
        rec.Order = kOrderRest;
}

TActionResult FortifyWithKordalt(uint8_t gos, int k) {
    if (const TRefusal refusal = Serves(gos, k); refusal != TRefusal::None) return {refusal};
    Relieve(gos, k, [](const TKordaltRec& r) { return r.Order == kOrderFortify; });
    TKordaltRec& rec = Game.mKordalt[k];
    rec.Front = gos;
    Game.mGos[gos].Fronts[gos].Kordalt = static_cast<uint8_t>(k);
    rec.Order = kOrderFortify;
    return {};
}

TActionResult AttackWithKordalt(uint8_t gos, int k, uint8_t enemy) {
    if (const TRefusal refusal = Serves(gos, k); refusal != TRefusal::None) return {refusal};
    if (enemy < 1 || enemy > Game.GosCount || enemy == gos) return {TRefusal::BadArgument};
    Relieve(gos, k, [enemy](const TKordaltRec& r) { return r.Order == kOrderAttack && r.Front == enemy; });
    TKordaltRec& rec = Game.mKordalt[k];
    rec.Front = enemy;
    rec.Order = kOrderAttack;
    Game.mGos[gos].Fronts[enemy].Kordalt = static_cast<uint8_t>(k);
    return {};
}

TActionResult DismissKordalt(uint8_t gos, int k) {
    if (const TRefusal refusal = Serves(gos, k); refusal != TRefusal::None) return {refusal};
    ReleaseKordaltFromFront(gos, k);
    Game.mKordalt[k].Order = kOrderRest;
    InitKordalt(k);
    TGosRec& g = Game.mGos[gos];
    if (g.KordaltCount > 0) --g.KordaltCount;
    return {};
}

void RestAllKordalts(uint8_t gos) {
    if (!ValidGos(gos)) return;
    for (int j = 1; j <= Game.GosCount; ++j) Game.mGos[gos].Fronts[j].Kordalt = 0;
    for (int k = 1; k <= KordaltSlotCount; ++k)
        if (Game.mKordalt[k].Owner == gos) {
            Game.mKordalt[k].Front = 0;
            Game.mKordalt[k].Order = kOrderRest;
        }
}

TActionResult HumanBuyKordalt(uint8_t gos, int age, int mastery, int mark, int speed, std::string_view name,
                              int* slot, TActionMode mode) {
    if (!ValidGos(gos) || age < 1 || age > 255 || mastery < 0 || mastery > 100 || mark < 1 || mark > 5 ||
        speed < 1 || speed > 100)
        return {TRefusal::BadArgument};
    TGosRec& g = Game.mGos[gos];
    const int64_t price = KordaltPrice(age, mastery, mark, speed);
    const int free = FreeKordaltSlot(gos);
    const TRefusal refusal = g.KordaltCount >= kMaxHumanKordalts      ? TRefusal::TooManyKordalts
                             : g.KordaltCount >= g.NeighbourCount + 2 ? TRefusal::TooFewFronts
                             : price > g.Money                        ? TRefusal::NoMoneyForKordalt
                             : free == 0                              ? TRefusal::NoKordaltSlot
                                                                      : TRefusal::None;
    return Settle({refusal, price}, mode, [&] {
        ++g.KordaltCount;
        g.Money = SaturateI32(g.Money - price);
        TKordaltRec& k = Game.mKordalt[free];
        k.Owner = gos;
        if (!name.empty()) k.Name.Assign(name.substr(0, 13));
        k.Age = static_cast<uint8_t>(age);
        k.Mastery = static_cast<uint8_t>(mastery);
        k.Mark = static_cast<uint8_t>(mark);
        k.Speed = static_cast<uint8_t>(speed);
        k.Order = kOrderTrain;
        if (slot) *slot = free;
    });
}

TActionResult SetDifficultyLevel(int level) {
    if (level < 0 || level > 2) return {TRefusal::BadArgument};
    Game.DifficultyLevel = static_cast<uint8_t>(level);
    return {};
}

TActionResult SetMapShape(int gosCount, int mapSize) {
    if (gosCount < 2 || gosCount > 20 || mapSize < 50 || mapSize > 100) return {TRefusal::BadArgument};
    Game.GosCount = static_cast<uint8_t>(gosCount);
    Game.MapSize = static_cast<uint8_t>(mapSize);
    return {};
}

TActionResult SetKordaltBaseName(int i, std::string_view name) {
    if (i < 1 || i > 11) return {TRefusal::BadArgument};
    Game.KordaltBaseNames[i] = std::string(name);
    return {};
}

void SetCurrentPlayerName(uint8_t gos) {
    if (ValidGos(gos)) Game.CurrentPlayerName = Game.mGos[gos].PlayerName.Str();
}

TActionResult ClaimState(uint8_t gos, std::string_view playerName, uint32_t player) {
    if (!ValidGos(gos)) return {TRefusal::BadArgument};
    TGosRec& g = Game.mGos[gos];
    if (g.Alive == 1) return {TRefusal::StateTaken};
    g.PlayerName.Assign(playerName);
    g.Alive = 1;
    g.Player = player;
    return {};
}

void UnseatPlayers() {
    for (int i = 1; i <= Game.GosCount; ++i) Game.mGos[i].Player = 0;
}

TActionResult SeatPlayer(uint8_t gos, uint32_t player) {
    if (!ValidGos(gos) || Game.mGos[gos].Alive == 0) return {TRefusal::BadArgument};
    if (Game.mGos[gos].Player != 0) return {TRefusal::StateTaken};
    Game.mGos[gos].Player = player;
    return {};
}

}  // namespace kordalt
