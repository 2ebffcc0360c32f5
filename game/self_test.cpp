#include "game/self_test.h"

#include "game/format.h"
#include "game/fronts.h"
#include "game/game_state.h"
#include "game/rules_data.h"
#include "game/rules_text.h"
#include "game/ui_hooks.h"
#include "platform/cp1251.h"
#include "platform/fatal.h"

namespace kordalt {

uint8_t GameMode = 0;

namespace {

constexpr int kClosingText = 3121;

std::string NameOf(int gos) { return Game.mGos[gos].Name.Str(); }

// False when a state's soldiers do not add up; stops at the first such state.
bool CheckArmies(const std::string& label) {
    for (int i = 1; i <= Game.GosCount; ++i) {
        const TGosRec& gos = Game.mGos[i];
        int64_t sum = 0;
        for (int j = 1; j <= Game.GosCount; ++j)
            for (int k = 1; k <= TroopTypeCount; ++k) {
                const int32_t soldiers = gos.Fronts[j].Soldiers[k];
                if (soldiers < 0)
                    ShowMessage(Cp("У гос-ва ") + NameOf(i) + Cp(" количество солдат на границе с ") + NameOf(j) +
                                Cp("отрицательное"));
                sum += soldiers;
            }
        const int64_t total = gos.Reserve + sum;
        if (gos.Soldiers != total) {
            ShowMessage(label + " " + NameOf(i) + Cp(" количество солдат не сходится") + std::to_string(gos.Soldiers) +
                        " " + std::to_string(total) + " " + std::to_string(sum));
            return false;
        }
    }
    return true;
}

void CheckPeople() {
    for (int i = 1; i <= Game.GosCount; ++i) {
        const TGosRec& gos = Game.mGos[i];
        if (gos.Peasants < 0) ShowMessage(Cp("У гос-ва ") + NameOf(i) + Cp(" количество крестьян отрицательное"));
        if (gos.FreeScientists < 0)
            ShowMessage(Cp("У гос-ва ") + NameOf(i) + Cp(" количество свободных ученых отрицательное"));
    }
}

// False when a front's Kordalt does not record that front (every such front is reported).
bool CheckFrontLinks(const std::string& label) {
    bool ok = true;
    for (int i = 1; i <= Game.GosCount; ++i)
        for (int j = 1; j <= Game.GosCount; ++j) {
            const TFrontRec& front = Game.mGos[i].Fronts[j];
            if (front.Kordalt == 0 || !(front.Neighbour || j == i)) continue;
            const bool known = front.Kordalt <= KordaltSlotCount;
            if (known && Game.mKordalt[front.Kordalt].Front == j) continue;
            const int recorded = known ? Game.mKordalt[front.Kordalt].Front : 0;
            ShowMessage(label + " " + Cp("У гос-ва ") + NameOf(i) + Cp(" на границе с") + NameOf(j) +
                        Cp(" Kordalt стоит, а у Kordaltа инф. о границе не хватает !") + Cp(" фронт номер ") +
                        std::to_string(recorded));
            ok = false;
        }
    return ok;
}

}  // namespace

void CheckGameState(const std::string& label) {
    if (GameMode == kNetworkClient) return;
    bool ok = CheckArmies(label);
    CheckPeople();
    ok = CheckFrontLinks(label) && ok;
    if (ok) return;
    ShowMessage(RulesText(kClosingText, "Блок предупреждения ошибок закрывает программу. Просьба при повторении "
                                        "ошибки связаться с разработчиком"));
    FatalExit(kSelfTestExitCode, "consistency self-test failed: " + Cp1251ToUtf8(label));
}

void CheckKordaltsWithoutTroops(uint8_t gos, const std::string& label) {
    for (int j = 1; j <= Game.GosCount; ++j)
        if (Game.mGos[gos].Fronts[j].Kordalt != 0 && FrontSoldiers(gos, static_cast<uint8_t>(j)) == 0)
            ShowMessage(FormatText(Cp("Нету у меня войск %s"), {label}));
}

}  // namespace kordalt
