// Tactics and battle moves: the tactic a commander picks against the enemy's
// previous tactic, one move of a battle with its losses and morale, and the
// status record of a round. A side's army is its front toward the enemy.
#pragma once

#include <string>

namespace kordalt {

// The score of `tactic` for side's army against the enemy's previous tactic:
// every troop type adds its soldiers times the attack factor, plus 1; an army
// outnumbered by more than 1.5 to 1 scores tactics 6 and 7 a thousandfold.
double TacticScore(int side, int enemy, int tactic, int enemyPrev);

// The qualifying tactic (the commander's mastery and condition and the side's
// morale reach its minimums) with the best score, the later one on equal
// scores. When none qualifies, text 3314 is shown and tactic 1 is used.
int ChooseTactic(int side, int enemy, int kordalt, int enemyPrev);

// One move of `mover` against `target`'s army on their common front: kills
// (at least one) and morale changes, or the army's end, which releases its
// commander (not the candidate from the people) and sets `destroyed`.
void ApplyBattleMove(int mover, int target, int tactic, int enemyPrev, bool& destroyed);

// The status record of a round: a text of both armies and their morale, then
// "~" fields of the attacker's troop types 1..3 and morale and the defender's.
std::string BattleStatusLine(int attacker, int defender);

}  // namespace kordalt
