#include "game/self_test.h"

#include "game/fronts.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/rules_data.h"
#include "game/ui_hooks.h"
#include "game/validate.h"
#include "platform/cp1251.h"
#include "platform/fatal.h"
#include "platform/format.h"

namespace kordalt {

namespace {

std::string NameOf(int gos) { return Game.mGos[gos].Name.Str(); }

// Shows the breach; true when it ends the program.
bool Report(const TInvariantBreach& b, const std::string& label) {
    switch (b.Kind) {
        case TBreachKind::NegativeFrontSoldiers:
            ShowMessage(Cp("У гос-ва ") + NameOf(b.Gos) + Cp(" количество солдат на границе с ") +
                        NameOf(b.Front) + Cp("отрицательное"));
            return false;
        case TBreachKind::ArmyTotal:
            ShowMessage(label + " " + NameOf(b.Gos) + Cp(" количество солдат не сходится") +
                        std::to_string(b.Soldiers) + " " + std::to_string(b.Total) + " " +
                        std::to_string(b.FrontSum));
            return true;
        case TBreachKind::NegativePeasants:
            ShowMessage(Cp("У гос-ва ") + NameOf(b.Gos) + Cp(" количество крестьян отрицательное"));
            return false;
        case TBreachKind::NegativeFreeScientists:
            ShowMessage(Cp("У гос-ва ") + NameOf(b.Gos) + Cp(" количество свободных ученых отрицательное"));
            return false;
        case TBreachKind::FrontLink:
            ShowMessage(label + " " + Cp("У гос-ва ") + NameOf(b.Gos) + Cp(" на границе с") +
                        NameOf(b.Front) + Cp(" Kordalt стоит, а у Kordaltа инф. о границе не хватает !") +
                        Cp(" фронт номер ") + std::to_string(b.RecordedFront));
            return true;
    }
    return false;
}

}  // namespace

void CheckGameState(const std::string& label) {
    if (PlayMode.GameMode == kNetworkClient) return;
    bool ok = true;
    for (const TInvariantBreach& b :
         FindInvariantBreaches(Game, Rules.TroopTypeCount, TLinkScope::ActiveFronts))
        ok = !Report(b, label) && ok;
    if (ok) return;
    ShowMessage(LangText(kSelfTestClosing));
    FatalExit(kSelfTestExitCode, "consistency self-test failed: " + Cp1251ToUtf8(label));
}

void CheckKordaltsWithoutTroops(uint8_t gos, const std::string& label) {
    for (int j = 1; j <= Game.GosCount; ++j)
        if (Game.mGos[gos].Fronts[j].Kordalt != 0 && FrontSoldiers(gos, static_cast<uint8_t>(j)) == 0)
            ShowMessage(FormatText(Cp("Нету у меня войск %s"), {label}));
}

}  // namespace kordalt
