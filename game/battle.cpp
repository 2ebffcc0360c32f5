#include "game/battle.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <span>
#include <string>
#include <vector>

#include "game/capture.h"
#include "game/fronts.h"
#include "game/game_state.h"
#include "game/kordalt_pool.h"
#include "game/language_file.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/tactics.h"
#include "game/turn_report.h"
#include "game/ui_hooks.h"
#include "platform/format.h"

namespace kordalt {
namespace {

constexpr int kMaxRounds = 20;
constexpr int kMaxMastery = 100;
constexpr int kFullCondition = 100;
constexpr int kRestGain = 5;
constexpr int kFortifyCost = 3;
constexpr int kBattles = 2;  // a battle and at most one re-fight

enum Result { Lost, Draw, Won };

void Lower(uint8_t& value, int by) { value = static_cast<uint8_t>(std::max(0, value - by)); }

template <class T>
void Raise(T& value, int by) {
    value = static_cast<T>(std::min<int64_t>(int64_t{value} + by, std::numeric_limits<T>::max()));
}

std::string NameOf(int gos) { return Game.mGos[gos].Name.Str(); }

// Working state of one battle phase.
struct Phase {
    bool deadAfterMove = false;
    OneBased<bool, KordaltSlotCount> diesAfterPhase{};
    OneBased<bool, KordaltSlotCount> diedAttacking{};
    int battleNumber = 0;
};

struct Battle {
    uint8_t a, d;  // attacker and defender
    int k;         // the attacking Kordalt
    int z = 0;     // the defending commander
    bool hadKordalt = false;
    int32_t a0 = 0, d0 = 0;
    int rounds = 0;
    int32_t captured = 0;  // squares taken when the defenders fell
};

// Slots 1..201, fastest first, equal speeds in slot order.
std::vector<int> OrderOfAction() {
    std::vector<int> order(KordaltSlotCount);
    std::iota(order.begin(), order.end(), 1);
    std::ranges::stable_sort(order, std::greater<>{}, [](int slot) { return Game.mKordalt[slot].Speed; });
    return order;
}

void Die(int slot, TText text) {
    TKordaltRec& k = Game.mKordalt[slot];
    AddMessage(kEventMessage, k.Owner, clRed, FormatText(LangText(text), {k.Name.Str()}));
    Lower(Game.mGos[k.Owner].KordaltCount, 1);
    InitKordalt(slot);
}

void OpenBattle(Battle& b) {
    TGosRec& defender = Game.mGos[b.d];
    const std::string a = RecordField(NameOf(b.a)), d = RecordField(NameOf(b.d));
    AddBattleMessage(clBlue, LangText(kBattleStart));
    AddBattleMessage(clRed, LangText(kBattleFanfare));
    AddBattleMessage(clNavy, FormatText(LangText(kBattleOpening), {a, d}) + "~" + a + "~" + d);
    if (b.hadKordalt) {
        AddBattleMessage(clBlack, FormatText(LangText(kBattleBorderArmy), {NameOf(b.d), NameOf(b.a)}));
        AddBattleMessage(clBlack, LangText(kBattleNoRetreat));
        AddBattleMessage(clBlack, LangText(kBattleHomeArmyNext));
    }
    AddBattleMessage(clBlue, FormatText(LangText(kBattleAttackLeader), {Game.mKordalt[b.k].Name.Str()}));

    TFrontRec& front = defender.Fronts[b.a];
    const std::string commanderText = LangText(kBattleDefenceCommander);
    if (front.Kordalt != 0) {
        b.z = front.Kordalt;
        AddBattleMessage(clBlue, FormatText(commanderText, {Game.mKordalt[b.z].Name.Str()}));
        if (front.Fortified) AddBattleMessage(clGreen, LangText(kBattleFortified));
    } else {
        b.z = PeopleKordalt;
        AddBattleMessage(clRed, LangText(kBattleNoCommander));
        TKordaltRec& candidate = Game.mKordalt[PeopleKordalt];
        candidate.Name.Assign(LangText(kBattleCandidateName));
        candidate.Front = b.a;
        candidate.Owner = b.d;
        front.Kordalt = PeopleKordalt;
        AddBattleMessage(clBlue, FormatText(commanderText, {candidate.Name.Str()}));
    }
    Game.mGos[b.a].Morale = Game.mKordalt[b.k].Condition;
    defender.Morale = Game.mKordalt[b.z].Condition;
    AddBattleMessage(clRed, LangText(kBattleArmiesFace));
}

// One side's move; true when it destroyed the other side's army.
bool Move(int mover, int target, int tactic, int enemyPrev) {
    AddBattleText(Rules.TacticTexts[tactic][enemyPrev].Str());
    bool destroyed = false;
    ApplyBattleMove(mover, target, tactic, enemyPrev, destroyed);
    return destroyed;
}

// The rounds of a battle; true when the defending front's own army fell and
// the home army is to be fought next.
bool FightRounds(Battle& b) {
    TGosRec& attacker = Game.mGos[b.a];
    TGosRec& defender = Game.mGos[b.d];
    int prev = 1;
    for (b.rounds = 1;; ++b.rounds) {
        AddBattleMessage(clBlack, BattleStatusLine(b.a, b.d));
        AddBattleMessage(clBlue, FormatText(LangText(kBattleMove), {NameOf(b.a)}));
        const int t = ChooseTactic(b.a, b.d, b.k, prev);
        if (Move(b.a, b.d, t, prev)) {
            if (b.hadKordalt) {
                Lower(defender.Relations[b.a].Aggression, 2);
                return true;
            }
            Lower(defender.Relations[b.a].Attitude, 3);
            Lower(attacker.Relations[b.d].Attitude, 5);
            b.captured = CaptureTerritory(b.a, b.d);
            return false;
        }

        AddBattleMessage(clBlue, FormatText(LangText(kBattleMove), {NameOf(b.d)}));
        const int u = ChooseTactic(b.d, b.a, b.z, t);
        const bool attackerDestroyed = Move(b.d, b.a, u, t);
        if (!attackerDestroyed && b.rounds >= kMaxRounds) {
            AddBattleMessage(clGreen, FormatText(LangText(kBattleDraw), {NameOf(b.a), NameOf(b.d)}));
            return false;
        }
        CheckGameState(Cp("Бой затянулся между :") + NameOf(b.a) + Cp(" и ") + NameOf(b.d) + ":");
        if (attackerDestroyed) {
            Lower(attacker.Relations[b.d].Attitude, 4);
            CheckGameState(NameOf(b.a) + Cp(" не смог победить ") + NameOf(b.d) + ":");
            return false;
        }
        prev = u;
    }
}

void CloseBattle(Phase& phase, const Battle& b) {
    TKordaltRec& k = Game.mKordalt[b.k];
    TKordaltRec& z = Game.mKordalt[b.z];
    GainExperience(b.k, b.rounds);
    GainExperience(b.z, b.rounds);
    Lower(k.Condition, b.hadKordalt ? 5 : 10);
    Lower(z.Condition, 5);
    // The result names the commander who fought, before the candidate is re-rolled.
    const std::string zName = RecordField(z.Name.Str());
    if (b.z == PeopleKordalt) {
        InitKordalt(PeopleKordalt);
        Game.mGos[b.d].Fronts[b.a].Kordalt = 0;
    }

    const int32_t a1 = FrontSoldiers(b.a, b.d), d1 = FrontSoldiers(b.d, b.a);
    Result attackerResult = Draw, defenderResult = Draw;
    if (a1 > 0 && d1 == 0) attackerResult = Won, defenderResult = Lost;
    if (d1 > 0 && a1 == 0) attackerResult = Lost, defenderResult = Won;
    ++phase.battleNumber;
    const std::vector<FormatArg> values{RecordField(NameOf(b.a)),
                                        RecordField(k.Name.Str()),
                                        RecordField(NameOf(b.d)),
                                        zName,
                                        BattleResultTexts[attackerResult],
                                        BattleResultTexts[defenderResult],
                                        b.a0,
                                        a1,
                                        b.d0,
                                        d1,
                                        b.rounds,
                                        b.captured};
    const std::string result = b.captured > 0
                                   ? FormatText(LangText(kBattleResultCaptured), values)
                                   : FormatText(LangText(kBattleResult), std::span(values).first(11));
    AddBattleMessage(clBlue, "");
    AddBattleMessage(clBlue, result + "~" + std::to_string(phase.battleNumber));

    if (!b.hadKordalt) SwapWithHomeFront(b.d, b.a);
    CheckGameState(NameOf(b.a) + Cp(" дрался с ") + NameOf(b.d) + ":");
    CheckFronts();
}

enum class Outcome { NoBattle, Fought, FightAgain };

Outcome FightBattle(Phase& phase, int slot, uint8_t a, uint8_t d) {
    Battle b{a, d, slot};
    TGosRec& defender = Game.mGos[d];
    b.hadKordalt = defender.Fronts[a].Kordalt != 0;
    if (!b.hadKordalt) SwapWithHomeFront(d, a);
    CheckGameState(Cp("Задолго до битвы, после престановки Kordaltа и войск: ") + NameOf(a) + Cp(" на ") +
                   NameOf(d) + ":");
    b.a0 = FrontSoldiers(a, d);
    b.d0 = FrontSoldiers(d, a);
    if (b.a0 == 0) {
        if (!b.hadKordalt) SwapWithHomeFront(d, a);
        return Outcome::NoBattle;
    }
    Lower(defender.Relations[a].Attitude, 3);
    Game.BattleChronicle += NameOf(a) + " - " + NameOf(d) + std::string(ChronicleSeparator);
    OpenBattle(b);
    const bool again = FightRounds(b);
    CloseBattle(phase, b);
    return again ? Outcome::FightAgain : Outcome::Fought;
}

// An attack needs a living neighbour other than the owner at the front.
bool CanAttack(uint8_t a, uint8_t d) {
    return d >= 1 && d <= Game.GosCount && d != a && Game.mGos[d].Alive && Game.mGos[a].Fronts[d].Neighbour;
}

void Attack(Phase& phase, int slot) {
    TKordaltRec& k = Game.mKordalt[slot];
    const uint8_t a = k.Owner, d = k.Front;
    if (!CanAttack(a, d)) {
        k.Order = kOrderRest;
        return;
    }
    BattleAttacker = a;
    BattleDefender = d;
    Raise(Game.mGos[d].TimesAttacked, 1);
    Raise(Game.mGos[d].Relations[a].Aggression, 2);
    for (int battle = 0; battle < kBattles; ++battle)
        if (FightBattle(phase, slot, a, d) != Outcome::FightAgain) break;
}

void Act(Phase& phase, int slot) {
    TKordaltRec& k = Game.mKordalt[slot];
    if (k.Owner == 0) return;
    if (k.Age > k.Lifespan) {
        if (!phase.deadAfterMove) return Die(slot, kKordaltDied);
        phase.diesAfterPhase[slot] = true;
        phase.diedAttacking[slot] = k.Order == kOrderAttack;
        return;
    }
    Raise(k.Age, 1);
    if (k.Order == kOrderTrain) {
        if (k.Mastery + k.Mark > kMaxMastery) {
            k.Mastery = kMaxMastery;
            if (k.Condition < kFullCondition) k.Order = kOrderRest;
        } else {
            k.Mastery = static_cast<uint8_t>(k.Mastery + k.Mark);
        }
    }
    if (k.Order == kOrderRest) {
        if (k.Condition <= kFullCondition - kRestGain) {
            k.Condition = static_cast<uint8_t>(k.Condition + kRestGain);
        } else {
            k.Condition = kFullCondition;
            if (k.Mastery < kMaxMastery) k.Order = kOrderTrain;
        }
    }
    if (k.Order == kOrderFortify) {
        for (int j = 1; j <= Game.GosCount; ++j) Game.mGos[k.Owner].Fronts[j].Fortified = 1;
        Lower(k.Condition, kFortifyCost);
    }
    if (k.Order == kOrderAttack) Attack(phase, slot);
}

}  // namespace

bool DeadAfterMove() { return LanguageFile && LanguageFile->ReadBool("Preferences", "DeadAfterMove", false); }

void GainExperience(int slot, int rounds) {
    const int gain = rounds / 2;
    if (gain < 1 || slot < 1 || slot >= PeopleKordalt) return;
    TKordaltRec& k = Game.mKordalt[slot];
    if (k.Mastery >= kMaxMastery) return;
    k.Mastery = static_cast<uint8_t>(std::min(kMaxMastery, k.Mastery + gain));
    const std::string ending = gain == 1 ? Cp("у") : gain <= 4 ? Cp("ы") : "";
    AddMessage(kEventMessage, k.Owner, clBlack,
               FormatText(LangText(kKordaltExperience), {k.Name.Str(), gain, ending}));
}

void ProcessBattles() {
    Phase phase;
    phase.deadAfterMove = DeadAfterMove();
    GameUi().StartProgress(TProgressBar::Battles, KordaltSlotCount);
    for (int i = 1; i <= Game.GosCount; ++i)
        for (int j = 1; j <= Game.GosCount; ++j) Game.mGos[i].Fronts[j].Fortified = 0;
    const std::vector<int> order = OrderOfAction();
    for (int step = 1; step <= KordaltSlotCount; ++step) {
        GameUi().SetProgress(TProgressBar::Battles, step);
        Act(phase, order[step - 1]);
    }
    if (!phase.deadAfterMove) return;
    for (int slot = 1; slot <= KordaltSlotCount; ++slot)
        if (phase.diesAfterPhase[slot])
            Die(slot, phase.diedAttacking[slot] ? kKordaltDiedAttacking : kKordaltDied);
}

}  // namespace kordalt
