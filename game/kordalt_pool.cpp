#include "game/kordalt_pool.h"

#include <string>

#include "game/game_state.h"
#include "game/random.h"
#include "platform/arith.h"

namespace kordalt {
namespace {

constexpr int kSlotsPerBaseName = 20;

int64_t MarkFactor(int mark) {
    switch (mark) {
        case 2:
            return 3;
        case 3:
            return 9;
        case 4:
            return 18;
        case 5:
            return 36;
        default:
            return mark;
    }
}

}  // namespace

void InitKordalt(int slot) {
    TKordaltRec& k = Game.mKordalt[slot];
    if (k.Owner > 0 && k.Owner <= MaxGos && k.Front > 0 && k.Front <= MaxGos)
        Game.mGos[k.Owner].Fronts[k.Front].Kordalt = 0;
    k.Id = static_cast<uint8_t>(slot);
    k.Front = 0;
    k.Owner = 0;
    k.Order = kOrderRest;
    k.Speed = 1;
    k.Condition = 100;
    k.Mastery = 0;
    int r = Random(40);
    if (RandomReal() < 0.5)
        r /= 3;
    else if (RandomReal() < 0.5)
        r /= 2;
    k.Lifespan = static_cast<uint8_t>(60 + r);
    k.Name.Assign(Game.KordaltBaseNames[(slot - 1) / kSlotsPerBaseName + 1] +
                  std::to_string(slot % kSlotsPerBaseName));
}

int64_t KordaltPrice(int age, int mastery, int mark, int speed) {
    const long double s = PowerTrunc(static_cast<double>(speed * 0.3L), 1.15) + 1;
    const long double squaresPerGos = static_cast<long double>(Game.MapSize * Game.MapSize) / Game.GosCount;
    const long double years = (age < 1 ? 1 : age) / 15.0L;
    return Round(s * squaresPerGos * ((mastery + 1) / 4.0L) * MarkFactor(mark) / years);
}

int FreeKordaltSlot(uint8_t gos) {
    for (int slot = gos; slot >= 1 && slot < KordaltSlotCount; slot += MaxGos)
        if (Game.mKordalt[slot].Owner == 0) return slot;
    return 0;
}

}  // namespace kordalt
