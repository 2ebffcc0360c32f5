#include "game/tactics.h"

#include <algorithm>
#include <cstdint>

#include "game/fronts.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/rules_data.h"
#include "game/turn_report.h"
#include "game/ui_hooks.h"
#include "platform/arith.h"
#include "platform/format.h"

namespace kordalt {
namespace {

constexpr int kOutnumberedTactics[] = {6, 7};
constexpr double kOutnumberedRatio = 1.5;
constexpr double kOutnumberedBonus = 1000;
constexpr long double kFortifiedDivisor = 1.5L;
constexpr int kRecordTroopTypes = 3;
constexpr int kMaxMorale = 100;

enum Coefficient { AttackFactor = 1, OwnMoraleGain = 2, EnemyMoraleLoss = 3 };

double Table(int tactic, int enemyPrev, int troopType, Coefficient c) {
    return Rules.BattleTable[tactic][enemyPrev][troopType][c];
}

TFrontRec& ArmyOf(int side, int enemy) { return Game.mGos[side].Fronts[enemy]; }

long double MilitaryLevel(int side) { return Game.mGos[side].Research[MilitaryTraining].Effect; }

uint8_t MoraleWithin(long double morale) {
    return static_cast<uint8_t>(std::clamp<int64_t>(Round(morale), 0, kMaxMorale));
}

// Kills `kills` (below the army's size) one soldier at a time, cycling through
// the troop types and skipping empty ones; returns the losses per type.
OneBased<int64_t, kMaxTroopTypes> KillSoldiers(TFrontRec& army, int64_t kills) {
    OneBased<int64_t, kMaxTroopTypes> killed{};
    while (kills > 0) {
        int filled = 0;
        int64_t fewest = INT64_MAX;
        for (int k = 1; k <= Rules.TroopTypeCount; ++k)
            if (army.Soldiers[k] > 0) {
                ++filled;
                fewest = std::min<int64_t>(fewest, army.Soldiers[k]);
            }
        if (filled == 0) break;
        // Whole cycles while no type runs out, then one soldier from each of
        // the first types until the kills are done.
        const int64_t cycles = std::min(fewest, kills / filled);
        for (int k = 1; k <= Rules.TroopTypeCount; ++k) {
            if (army.Soldiers[k] <= 0) continue;
            const int64_t taken = cycles > 0 ? cycles : (kills > 0 ? 1 : 0);
            army.Soldiers[k] -= static_cast<int32_t>(taken);
            killed[k] += taken;
            kills -= taken;
        }
    }
    return killed;
}

void ReleaseCommander(TFrontRec& army) {
    const int slot = army.Kordalt;
    if (slot < 1 || slot > KordaltSlotCount || slot == PeopleKordalt) return;
    Game.mKordalt[slot].Front = 0;
    Game.mKordalt[slot].Order = kOrderRest;
    army.Kordalt = 0;
}

std::string ArmyText(int side, int enemy) {
    std::string text = RecordField(Game.mGos[side].Name.Str()) + ": ";
    for (int k = 1; k <= Rules.TroopTypeCount; ++k)
        text += Rules.TroopNames[k].Str() + ": " + std::to_string(ArmyOf(side, enemy).Soldiers[k]) + ", ";
    return text + LangText(kBattleMorale) + std::to_string(Game.mGos[side].Morale) + "%";
}

std::string ArmyFields(int side, int enemy) {
    std::string fields;
    for (int k = 1; k <= kRecordTroopTypes; ++k)
        fields += "~" + std::to_string(ArmyOf(side, enemy).Soldiers[k]);
    return fields + "~" + std::to_string(Game.mGos[side].Morale);
}

}  // namespace

double TacticScore(int side, int enemy, int tactic, int enemyPrev) {
    const TFrontRec& army = ArmyOf(side, enemy);
    double score = 0;
    for (int k = 1; k <= Rules.TroopTypeCount; ++k)
        score = static_cast<double>(army.Soldiers[k] *
                                        static_cast<long double>(Table(tactic, enemyPrev, k, AttackFactor)) +
                                    score + 1);
    const bool outnumbered = FrontSoldiers(side, enemy) < FrontSoldiers(enemy, side) / kOutnumberedRatio;
    if (outnumbered && std::ranges::count(kOutnumberedTactics, tactic) > 0) score *= kOutnumberedBonus;
    return score;
}

int ChooseTactic(int side, int enemy, int kordalt, int enemyPrev) {
    const TKordaltRec& commander = Game.mKordalt[kordalt];
    int best = 0;
    double bestScore = 0;
    for (int i = 1; i <= Rules.TacticCount; ++i) {
        const TTacticRec& tactic = Rules.Tactics[i];
        if (commander.Mastery < tactic.MinMastery || commander.Condition < tactic.MinCondition ||
            Game.mGos[side].Morale < tactic.MinMorale)
            continue;
        const double score = TacticScore(side, enemy, i, enemyPrev);
        if (score >= bestScore) {
            best = i;
            bestScore = score;
        }
    }
    if (best != 0) return best;
    ShowMessage(LangText(kNoTactic));
    return 1;
}

void ApplyBattleMove(int mover, int target, int tactic, int enemyPrev, bool& destroyed) {
    TGosRec& attacker = Game.mGos[mover];
    TGosRec& defender = Game.mGos[target];
    TFrontRec& own = ArmyOf(mover, target);
    TFrontRec& enemy = ArmyOf(target, mover);
    const long double fortification = enemy.Fortified ? kFortifiedDivisor : 1.0L;

    double strike = 0;
    long double gain = 0, loss = 0;  // sums of rounded terms, exact in 64 bits
    for (int k = 1; k <= Rules.TroopTypeCount; ++k) {
        const long double soldiers = own.Soldiers[k];
        strike = static_cast<double>(strike + soldiers * Table(tactic, enemyPrev, k, AttackFactor) *
                                                  MilitaryLevel(mover) / 100 / fortification);
        gain += Round(soldiers * Table(tactic, enemyPrev, k, OwnMoraleGain));
        loss += Round(soldiers * Table(tactic, enemyPrev, k, EnemyMoraleLoss));
    }
    const int64_t kills = std::max<int64_t>(1, Round(strike / MilitaryLevel(target)));

    const int32_t before = FrontSoldiers(target, mover);
    if (kills < before) {
        const auto killed = KillSoldiers(enemy, kills);
        defender.Soldiers = SaturateI32(defender.Soldiers - kills);
        const long double ownSoldiers = FrontSoldiers(mover, target);
        const long double rest = FrontSoldiers(target, mover);
        if (ownSoldiers > 0)
            attacker.Morale = MoraleWithin((attacker.Morale * ownSoldiers + gain) / ownSoldiers);
        defender.Morale = MoraleWithin((defender.Morale * rest - loss) / rest);
        std::string text = LangText(kBattleLosses);
        for (int k = 1; k <= Rules.TroopTypeCount; ++k)
            text += Rules.TroopNames[k].Str() + ": " + std::to_string(killed[k]) + ", ";
        AddBattleMessage(clRed, text);
        return;
    }
    AddBattleMessage(clRed, FormatText(LangText(kArmyDestroyed), {defender.Name.Str()}));
    ReleaseCommander(enemy);
    destroyed = true;
    for (int k = 1; k <= Rules.TroopTypeCount; ++k) {
        defender.Soldiers = SaturateI32(int64_t{defender.Soldiers} - enemy.Soldiers[k]);
        enemy.Soldiers[k] = 0;
    }
}

std::string BattleStatusLine(int attacker, int defender) {
    const std::string line = ArmyText(attacker, defender) + "\n" + ArmyText(defender, attacker);
    return "\n" + line + "\n" + ArmyFields(attacker, defender) + ArmyFields(defender, attacker);
}

}  // namespace kordalt
