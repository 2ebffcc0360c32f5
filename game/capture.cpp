#include "game/capture.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <utility>

#include "game/fronts.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "platform/arith.h"
#include "platform/format.h"

namespace kordalt {

namespace {

class THeadlessCaptureUi final : public TCaptureUi {
public:
    void SendAllMessage(const std::string&, TColor) override {}
    void ShowLocalDefeat() override {}
};

THeadlessCaptureUi headlessCaptureUi;
TCaptureUi* installedCaptureUi = nullptr;

// The loser's grudge: the smaller the share of his land taken, the smaller it is.
int AttitudePenalty(int64_t territory, int64_t captured) {
    const int64_t r = Round(static_cast<long double>(territory) / (captured + 1));
    if (r < 4) return 100;
    if (r <= 5) return 35;
    if (r <= 7) return 20;
    if (r <= 10) return 7;
    return 1;
}

void LowerAttitude(TRelationRec& relation, int by) {
    relation.Attitude = static_cast<uint8_t>(std::max(0, relation.Attitude - by));
}

template <class T>
void Increment(T& counter) {
    if (counter < std::numeric_limits<T>::max()) ++counter;
}

void CountVictim(TGosRec& winner, const TGosRec& loser, uint8_t loserNumber) {
    Increment(winner.Destroyed);
    if (winner.PlayerName.Length == 0) return;
    Increment(winner.DestroyedAsPlayer);
    if (loser.Player == 0 || winner.HumanVictimCount >= MaxGos) return;
    ++winner.HumanVictimCount;
    winner.HumanVictims[winner.HumanVictimCount] = loserNumber;
}

void DestroyState(uint8_t winner, uint8_t loser) {
    TGosRec& w = Game.mGos[winner];
    TGosRec& l = Game.mGos[loser];
    const bool human = l.Player != 0;
    const std::string destroyed = FormatText(LangText(kStateDestroyed), {l.Name.Str()});
    const std::string overthrown = FormatText(LangText(kPlayerOverthrown), {l.PlayerName.Str()});
    AddBattleMessage(clGreen, destroyed);
    if (PlayMode.GameMode != kLocalGame && human)
        CaptureUi().SendAllMessage(overthrown, kDestroyedNoticeColor);
    CountVictim(w, l, loser);
    l.Alive = 0;
    // The texts carry their own line breaks; none is added between them.
    Game.BattleChronicle += destroyed;
    if (human) Game.BattleChronicle += overthrown;
    for (int i = 1; i <= Game.GosCount; ++i) {
        TRelationRec& toWinner = Game.mGos[i].Relations[winner];
        if (Game.mGos[i].Alive) toWinner.Attitude = static_cast<uint8_t>(Round(toWinner.Attitude / 3.0L));
    }
    if (PlayMode.GameMode == kLocalGame && human) {
        Game.CurrentPlayerName = l.PlayerName.Str();
        CaptureUi().ShowLocalDefeat();
    }
}

}  // namespace

TCaptureUi& CaptureUi() { return installedCaptureUi ? *installedCaptureUi : headlessCaptureUi; }

TCaptureUi* SetCaptureUi(TCaptureUi* ui) { return std::exchange(installedCaptureUi, ui); }

int64_t SquaresToCapture(int speed, int32_t soldiers) {
    float step = static_cast<float>(speed / 166.0L + 0.7L);
    float total = 0;
    for (int32_t i = 0; i < soldiers; ++i) {
        step = static_cast<float>(step * 0.9995L);
        const float next = static_cast<float>(total + static_cast<long double>(step));
        if (next == total) break;  // the steps only shrink: nothing more is added
        total = next;
    }
    return Trunc(total);
}

int32_t CaptureTerritory(uint8_t winner, uint8_t loser) {
    TGosRec& w = Game.mGos[winner];
    TGosRec& l = Game.mGos[loser];
    const int slot = w.Fronts[loser].Kordalt;
    const int speed = slot >= 1 && slot <= KordaltSlotCount ? Game.mKordalt[slot].Speed : 0;
    const int64_t squares = SquaresToCapture(speed, FrontSoldiers(winner, loser));

    const int before = Map->RegionSize(loser);
    Map->TransferSquares(loser, winner, static_cast<int>(std::min<int64_t>(squares, INT_MAX)));
    const int captured = before - Map->RegionSize(loser);

    w.CapturedThisTurn = static_cast<uint16_t>(std::min(w.CapturedThisTurn + captured, 0xFFFF));
    AddBattleMessage(clGreen, FormatText(LangText(kSquaresCaptured), {w.Name.Str(), captured}));
    LowerAttitude(l.Relations[winner], AttitudePenalty(l.Territory, captured));
    if (Map->RegionSize(loser) == 0) DestroyState(winner, loser);
    return captured;
}

}  // namespace kordalt
