#include "game/ai_kordalts.h"

#include <algorithm>
#include <limits>
#include <string>

#include "game/ai_economy.h"
#include "game/fronts.h"
#include "game/game_state.h"
#include "game/kordalt_pool.h"
#include "game/player_actions.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/ui_hooks.h"
#include "platform/arith.h"
#include "platform/cp1251.h"

namespace kordalt {
namespace {

constexpr int kMaxKordalts = 10;
constexpr int kMaxImprovementSteps = 1000;

struct Candidate {
    int age, mastery, mark, speed;
};

// A starting profile of the non-urgent purchase.
struct Profile {
    Candidate start;
    bool plusR;         // r is added to the speed
    int minKordalts;    // the test needs KordaltCount >= this
    int belowKordalts;  // ... and KordaltCount < this (11: any count)
    double chance;
};
constexpr Profile kProfiles[] = {
    {{30, 30, 3, 80}, true, 0, 11, 0.9},  {{25, 1, 4, 70}, true, 0, 11, 0.9},
    {{20, 1, 3, 100}, false, 4, 11, 0.7}, {{15, 1, 2, 100}, false, 3, 11, 0.5},
    {{15, 1, 5, 1}, false, 0, 4, 0.2},    {{25, 1, 4, 46}, true, 0, 11, 0.9},
    {{25, 1, 4, 27}, true, 0, 11, 0.9},   {{20, 1, 3, 21}, true, 0, 11, 0.9},
    {{15, 1, 2, 30}, true, 2, 11, 0.8},   {{20, 1, 3, 11}, true, 0, 11, 0.9},
    {{15, 1, 2, 20}, true, 2, 11, 0.7},   {{20, 1, 3, 7}, true, 0, 11, 0.8},
};

int64_t PriceOf(const Candidate& c) { return KordaltPrice(c.age, c.mastery, c.mark, c.speed); }

// The slot being bought into and the last affordable version written into it.
class Purchase {
public:
    Purchase(uint8_t gos, int slot) : gos_(gos), slot_(slot) {}

    bool Affordable(const Candidate& c) const { return PriceOf(c) <= Game.mGos[gos_].Money; }

    // Writes an affordable version into the slot; false when it is not affordable.
    bool Try(const Candidate& c) {
        const int64_t price = PriceOf(c);
        if (price > Game.mGos[gos_].Money) return false;
        TKordaltRec& k = Game.mKordalt[slot_];
        k.Age = static_cast<uint8_t>(c.age);
        k.Mastery = static_cast<uint8_t>(c.mastery);
        k.Mark = static_cast<uint8_t>(c.mark);
        k.Speed = static_cast<uint8_t>(c.speed);
        k.Owner = gos_;
        k.Order = kOrderRest;
        k.Front = 0;
        price_ = price;
        return true;
    }

    void Pay() const {
        if (price_ < 0) return;
        TGosRec& g = Game.mGos[gos_];
        g.Money = static_cast<int32_t>(g.Money - price_);
        ++g.KordaltCount;
    }

private:
    uint8_t gos_;
    int slot_;
    int64_t price_ = -1;
};

// One step of the urgent ladder; false when nothing changed.
bool UrgentStep(Candidate& c) {
    bool changed = false;
    if (c.mastery < 31) {
        c.mastery += 5;
        changed = true;
    } else if (c.mark < 5) {
        ++c.mark;
        changed = true;
    }
    if (c.age > 15) {
        c.age = std::max(15, c.age - 2);
        changed = true;
    }
    if (c.speed < 96) {
        ++c.speed;
        changed = true;
    }
    return changed;
}

bool CanImprove(const Candidate& c) {
    return c.mastery + 5 <= 31 || c.mark != 5 || c.age != 15 || c.speed != 100;
}

void ImprovementStep(Candidate& c) {
    const double ratio = AliveShare();
    if (c.mastery + 5 <= 31 && (c.speed == 100 || (c.speed > 50 && ratio < 0.3))) c.mastery += 5;
    if (c.mark == 2) {
        if (RandomReal() < 0.2) c.mark = 3;
    } else if (c.mark == 3) {
        if (RandomReal() < 0.3) c.mark = 4;
    } else if (c.mark == 4) {
        if (RandomReal() < 0.05) c.mark = 5;
    }
    c.age = std::max(15, c.age - (ratio <= 0.2 ? 2 : 5));
    if (c.speed == 0)
        c.speed = 1;
    else if (RandomReal() < 0.9)
        c.speed = std::min(100, c.speed + Random(Game.Year / 10) + 1 + Game.Year / 20);
}

bool PassesTest(const Profile& p, int kordalts) {
    return kordalts >= p.minKordalts && kordalts < p.belowKordalts && RandomReal() < p.chance;
}

void BuyUrgently(Purchase& purchase) {
    Candidate c{30, 1, 3, 0};
    if (purchase.Try(c))
        while (UrgentStep(c) && purchase.Try(c)) {
        }
    purchase.Pay();
    CheckGameState(Cp("Срочно покупали нового Kordaltа"));
}

void BuyNormally(uint8_t gos, Purchase& purchase) {
    const TGosRec& g = Game.mGos[gos];
    Candidate c{30, 1, 3, 0};
    if (RandomReal() < 0.05 && g.KordaltCount < 4) c.mark = 5;
    const int r = Random(10);
    for (const Profile& p : kProfiles) {
        const Candidate start{p.start.age, p.start.mastery, p.start.mark, p.start.speed + (p.plusR ? r : 0)};
        if (purchase.Affordable(start) && PassesTest(p, g.KordaltCount)) {
            c = start;
            purchase.Try(c);
            break;
        }
    }
    for (int step = 0; step < kMaxImprovementSteps && CanImprove(c); ++step) {
        ImprovementStep(c);
        if (!purchase.Try(c)) break;
    }
    purchase.Pay();
    CheckGameState(Cp("Не срочно покупали нового Kordaltа"));
}

// Neighbours that make the state want a Kordalt at once.
int UrgentThreats(uint8_t gos) {
    int threats = 0;
    for (int j = 1; j <= Game.GosCount; ++j) {
        if (!Borders(gos, static_cast<uint8_t>(j))) continue;
        const uint8_t a = Game.mGos[gos].Relations[j].Attitude;
        if (a < 50 || StrengthRatio(static_cast<uint8_t>(j), gos) > 1.2) ++threats;
    }
    return threats;
}

bool StartsSaving(uint8_t gos, int64_t v, const TAiMode& mode) {
    const TGosRec& g = Game.mGos[gos];
    const int kordalts = g.KordaltCount;
    if (Game.Year <= 1) return false;
    if (!(kordalts < g.NeighbourCount + 2 && kordalts < kMaxKordalts && Game.Year < 85 && !mode.WarFooting &&
          !g.SavingForKordalt))
        return false;
    // The rule that keeps up a saving already begun needs SavingForKordalt,
    // which is clear here: a saving lasts one year.
    const long double salaries = ScientistSalary(g) + SoldierSalary(g);
    if (RandomReal() >= 0.1 && v / 1.5L <= salaries) return false;
    if (Game.Year < 21 && (kordalts > g.Character || RandomReal() >= 0.5)) return false;
    return ScientistSalary(g) > v / 4.0L;
}

bool MayBuyNormally(uint8_t gos, int64_t v, const TAiMode& mode) {
    const TGosRec& g = Game.mGos[gos];
    const int kordalts = g.KordaltCount;
    const int32_t money = g.Money;
    const bool saving = g.SavingForKordalt != 0;
    const int year = Game.Year;
    if (KordaltPrice(30, 1, 4, 1) >= money) return false;
    if (year < 21) {
        if (kordalts < g.Character) {
            if (RandomReal() >= 0.5 && !saving) return false;
        } else if (!saving)
            return false;
    }
    if (kordalts >= 4 && year < 21) return false;
    if (kordalts >= 4 && money <= v) {
        const bool bargain = (year >= 1 && year <= 40 && KordaltPrice(20, 1, 3, 20) < money) ||
                             (year >= 40 && year <= 60 && KordaltPrice(20, 1, 3, 40) < money);
        if (!bargain && KordaltPrice(25, 1, 3, 60) >= money && !(RandomReal() < 0.01)) return false;
    }
    return !mode.WarFooting && kordalts < g.NeighbourCount + 2 && kordalts < kMaxKordalts;
}

// The best free Kordalt of the state by `score`; the first of equals wins.
template <class Score>
int PickFree(uint8_t gos, double floor, Score score) {
    int best = 0;
    double bestScore = floor;
    for (int slot = 1; slot <= KordaltSlotCount; ++slot) {
        const TKordaltRec& k = Game.mKordalt[slot];
        if (k.Owner != gos || k.Front != 0) continue;
        const double s = score(k, UsableTactics(slot));
        if (s > bestScore) {
            bestScore = s;
            best = slot;
        }
    }
    return best;
}

// Victim rules, each 0 when it yields none.
uint8_t VictimByAttacks(uint8_t gos) {
    if (!(Game.Year < 35 && RandomReal() < 0.3)) return 0;
    uint8_t victim = 0;
    uint32_t m = Game.mGos[gos].TimesAttacked;
    for (int j = 1; j <= Game.GosCount; ++j) {
        const TGosRec& other = Game.mGos[j];
        if (!Borders(gos, static_cast<uint8_t>(j)) || other.TimesAttacked > m) continue;
        if (RandomReal() < 0.7) {
            m = other.TimesAttacked;
            victim = static_cast<uint8_t>(j);
        }
    }
    return victim;
}

uint8_t VictimByGrudge(uint8_t gos) {
    const TGosRec& g = Game.mGos[gos];
    if (!(AliveShare() > 0.2)) return 0;
    uint8_t victim = 0;
    int best = 100;
    for (int j = 1; j <= Game.GosCount; ++j) {
        const TRelationRec& rel = g.Relations[j];
        if (!Borders(gos, static_cast<uint8_t>(j)) || !(rel.Attitude < 10 * g.Character)) continue;
        const int v = rel.Attitude - rel.Aggression * rel.Aggression;
        if (v <= best) {
            best = v;
            victim = static_cast<uint8_t>(j);
        }
    }
    return victim;
}

uint8_t VictimBySize(uint8_t gos, bool smallOnly) {
    const TGosRec& g = Game.mGos[gos];
    uint8_t victim = 0;
    double best = 200000;
    for (int jj = 1; jj <= Game.GosCount; ++jj) {
        const auto j = static_cast<uint8_t>(jj);
        const uint16_t t = Game.mGos[j].Territory;
        if (!Borders(gos, j) || (smallOnly && !(t < g.Territory / 2.0))) continue;
        const TRelationRec& rel = g.Relations[j];
        const double v = (AiFrontCount(j) / 30.0 + 1) * t / (rel.Aggression + 2) * (rel.Attitude / 200.0 + 1);
        if (v <= best) {
            best = v;
            victim = j;
        }
    }
    return victim;
}

uint8_t VictimByEmptiness(uint8_t gos) {
    const TGosRec& g = Game.mGos[gos];
    uint8_t victim = 0;
    double best = 0;
    for (int jj = 1; jj <= Game.GosCount; ++jj) {
        const auto j = static_cast<uint8_t>(jj);
        const double population = Population(j);
        const double t = Game.mGos[j].Territory;
        if (!Borders(gos, j) || !(Share(population, t) < 1.4)) continue;
        const TRelationRec& rel = g.Relations[j];
        const double v = population == 0 ? std::numeric_limits<double>::infinity()
                                         : t / population / (rel.Attitude / 200.0 + 1) * (rel.Aggression + 2);
        if (v > best) {
            best = v;
            victim = j;
        }
    }
    return victim;
}

void Command(uint8_t gos, int slot, uint8_t front, uint8_t order) {
    TKordaltRec& k = Game.mKordalt[slot];
    k.Order = order;
    k.Front = front;
    Game.mGos[gos].Fronts[front].Kordalt = static_cast<uint8_t>(slot);
}

// Empties a front; its soldiers go back to the reserve.
void EmptyFront(uint8_t gos, uint8_t front) { SetFrontSoldiers(gos, front, -FrontSoldiers(gos, front)); }

void SendReserve(uint8_t gos, uint8_t front) { SetFrontSoldiers(gos, front, Game.mGos[gos].Reserve); }

void SendPartOfReserve(uint8_t gos, uint8_t front, long double part) {
    SetFrontSoldiers(gos, front, static_cast<int32_t>(Trunc(part * Game.mGos[gos].Reserve)));
}

void CommandThreatFront(uint8_t gos, const TAiMove& move) {
    const int32_t n = FrontSoldiers(gos, move.Threat);
    if (n <= 0) return;
    const bool weak = Salaries(0, n) < move.V / 6.0L;  // their pay
    if (weak && !move.Mode.WarFooting) {
        EmptyFront(gos, move.Threat);
        SendReserve(gos, FrontSoldiers(gos, move.Victim) > 0 ? move.Victim : gos);
        return;
    }
    const int k = weak ? AiPickExpendable(gos) : AiPickAttacker(gos);
    if (k > 0) Command(gos, k, move.Threat, kOrderAttack);
}

void CommandVictimFront(uint8_t gos, const TAiMove& move) {
    const TGosRec& g = Game.mGos[gos];
    if (move.Victim == move.Threat && g.Fronts[move.Victim].Kordalt != 0) return;
    if (FrontSoldiers(gos, move.Victim) <= Game.mGos[move.Victim].Territory / 20.0 + 1) {
        EmptyFront(gos, move.Victim);
        SendReserve(gos, gos);
        return;
    }
    const int k = AiPickDefender(gos);
    if (k > 0) Command(gos, k, move.Victim, kOrderAttack);
}

void CommandHomeFront(uint8_t gos, const TAiMove& move) {
    const TGosRec& g = Game.mGos[gos];
    const int32_t h = FrontSoldiers(gos, gos);
    const bool quiet =
        move.V / static_cast<long double>(g.Character + 3) >= Salaries(0, h) &&
        h <= Population(gos) * static_cast<long double>(g.Research[PopulationGrowth].Effect) / 100 &&
        (g.KordaltCount < 6 || h < 1);
    if (quiet) return;
    const int k = AiPickDefender(gos);
    if (k > 0) Command(gos, k, gos, kOrderFortify);
}

}  // namespace

void AiBuyKordalt(uint8_t gos, bool urgent) {
    const int slot = FreeKordaltSlot(gos);
    if (slot == 0) {
        ShowMessage(Cp("Все Kordaltы уже забиты, не могу купить"));
        return;
    }
    Purchase purchase(gos, slot);
    if (urgent)
        BuyUrgently(purchase);
    else
        BuyNormally(gos, purchase);
}

int AiFrontCount(uint8_t gos) {
    const int fronts = Game.mGos[gos].NeighbourCount;
    if (Map == nullptr) return fronts;
    const int right = Map->Width - 1, bottom = Map->Height - 1;
    for (const uint16_t corner :
         {SquareId(0, 0), SquareId(right, 0), SquareId(0, bottom), SquareId(right, bottom)})
        if (Map->GetSquare(corner) == gos) return fronts / 2 + 1;
    return fronts;
}

int UsableTactics(int slot) {
    const TKordaltRec& k = Game.mKordalt[slot];
    int usable = 0;
    for (int t = 1; t <= std::min<int>(Rules.TacticCount, kMaxTactics); ++t) {
        const TTacticRec& tactic = Rules.Tactics[t];
        if (tactic.MinMastery > k.Mastery) continue;
        usable += (tactic.MinCondition <= k.Condition) + (tactic.MinMorale <= k.Condition);
    }
    return usable;
}

int AiPickAttacker(uint8_t gos) {
    return PickFree(gos, 0, [](const TKordaltRec& k, int usable) {
        return usable + k.Speed / 20.0 + k.Age / 30.0 + k.Condition / 10.0;
    });
}

int AiPickDefender(uint8_t gos) {
    return PickFree(gos, 0, [](const TKordaltRec& k, int usable) {
        return usable + k.Speed / 5.0 + k.Age / 40.0 + k.Condition / 10.0;
    });
}

int AiPickExpendable(uint8_t gos) {
    return PickFree(gos, -100,
                    [](const TKordaltRec& k, int usable) { return k.Age / 5.0 - k.Speed / 5.0 - usable; });
}

void AiPurchase(uint8_t gos, TAiMove& move) {
    TGosRec& g = Game.mGos[gos];
    CheckGameState(Cp("До покупки Срочно ! нового Kordaltа"));
    if (g.KordaltCount < 3 && g.KordaltCount < UrgentThreats(gos)) AiBuyKordalt(gos, true);
    if (StartsSaving(gos, move.V, move.Mode)) {
        move.Saved = g.Money;
        g.Money = 0;
        g.SavingForKordalt = 1;
        return;
    }
    if (MayBuyNormally(gos, move.V, move.Mode)) AiBuyKordalt(gos, false);
    g.SavingForKordalt = 0;
    move.Saved = 0;
    CheckGameState(Cp("После покупки нового Kordaltа"));
}

uint8_t AiChooseThreat(uint8_t gos) {
    const TGosRec& g = Game.mGos[gos];
    uint8_t threat = 0;
    double best = 0;
    for (int jj = 1; jj <= Game.GosCount; ++jj) {
        const auto j = static_cast<uint8_t>(jj);
        if (!Borders(gos, j)) continue;
        const double score = StrengthRatio(j, gos) / (g.Relations[j].Attitude / 100.0 + 1) /
                             (AiFrontCount(j) / 20.0 + 1) * (Game.mGos[j].Destroyed + 1);
        if (threat == 0 || score > best) {
            best = score;
            threat = j;
        }
    }
    return threat;
}

uint8_t AiChooseVictim(uint8_t gos) {
    if (const uint8_t v = VictimByAttacks(gos)) return v;
    if (const uint8_t v = VictimByGrudge(gos)) return v;
    if (const uint8_t v = VictimBySize(gos, true)) return v;
    if (const uint8_t v = VictimByEmptiness(gos)) return v;
    return VictimBySize(gos, false);
}

void AiPlaceArmy(uint8_t gos, const TAiMove& move) {
    const TGosRec& g = Game.mGos[gos];
    CheckGameState(Cp("До снятия солдат с фронтов"));
    for (int j = 1; j <= Game.GosCount; ++j) MoveFrontToReserve(gos, static_cast<uint8_t>(j));
    CheckGameState(Cp("После снятия солдат с фронтов"));
    if (move.Threat == 0 || move.Victim == 0) return;

    const long double v = move.V;
    const int64_t soldierSalary = SoldierSalary(g);
    const int character = g.Character;
    if (move.Mode.WarFooting && !move.Mode.Dominant) {
        if (v / move.W >= 1.3L && character != 3) {
            SendPartOfReserve(gos, move.Victim, 0.9L);
            SendReserve(gos, move.Threat);
        } else {
            SendReserve(gos, move.Threat);
            SendReserve(gos, move.Threat);
        }
    } else if (move.Mode.WarFooting) {
        if (soldierSalary > v / 2 && (character == 1 || character == 2) && RandomReal() < 0.6) {
            SendPartOfReserve(gos, move.Threat, 0.5L);
            SendReserve(gos, move.Victim);
        } else
            SendReserve(gos, move.Victim);
    } else if (move.Mode.Outsized) {
        SendReserve(gos, v / (character + 2) < soldierSalary ? move.Threat : gos);
    } else if (move.Mode.Dominant) {
        if (v / 1.5L > soldierSalary && g.Soldiers < g.Territory / 2.0 && RandomReal() < 0.8) {
            SendReserve(gos, gos);
        } else {
            SendPartOfReserve(gos, character == 1 ? move.Victim : move.Threat, character == 1 ? 0.7L : 0.9L);
            SendReserve(gos, gos);
        }
    } else if (Share(Population(gos), g.Territory) <= 1.5 && character != 3) {
        SendReserve(gos, gos);
    } else {
        const bool stayHome = v / (2 * character) >= soldierSalary && g.Soldiers <= g.Territory / 10.0;
        SendReserve(gos, stayHome ? gos : move.Victim);
    }
}

void AiGiveOrders(uint8_t gos, const TAiMove& move) {
    TGosRec& g = Game.mGos[gos];
    CheckGameState(Cp("Перед снятием Kordaltов с фронтов"));
    for (int j = 1; j <= Game.GosCount; ++j) g.Fronts[j].Kordalt = 0;
    for (int slot = 1; slot <= KordaltSlotCount; ++slot) {
        TKordaltRec& k = Game.mKordalt[slot];
        if (k.Owner != gos) continue;
        k.Front = 0;
        k.Order = kOrderRest;
    }
    CheckGameState(Cp("Уже сняли Kordaltов с фронтов"));
    if (move.Threat != 0 && move.Victim != 0) {
        CommandThreatFront(gos, move);
        CommandVictimFront(gos, move);
    }
    CommandHomeFront(gos, move);
}

void AiCloseTurn(uint8_t gos) {
    TGosRec& g = Game.mGos[gos];
    CheckKordaltsWithoutTroops(gos, Cp("В конце проверим Kordaltов без войск"));
    if (g.Reserve > 0) ShowMessage(Cp("Незанятые солдаты у гос-ва:") + g.Name.Str());
    for (int slot = 1; slot <= KordaltSlotCount; ++slot) {
        TKordaltRec& k = Game.mKordalt[slot];
        if (k.Owner != gos || k.Front != 0) continue;
        if (k.Age >= 55 && k.Condition + k.Mastery + k.Speed < 201 &&
            g.KordaltCount >= g.NeighbourCount + 2 && Game.Year < 91) {
            --g.KordaltCount;
            InitKordalt(slot);
        } else if (k.Mastery < 30)
            k.Order = kOrderTrain;
        else
            k.Order = Random(17) + 80 <= k.Condition && k.Mastery < 100 ? kOrderTrain : kOrderRest;
    }
}

}  // namespace kordalt
