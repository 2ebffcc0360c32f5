#include "game/new_game.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "game/fronts.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/game_windows.h"
#include "game/kordalt_pool.h"
#include "game/language_file.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/turn_report.h"
#include "platform/arith.h"
#include "platform/fatal.h"

namespace kordalt {

namespace {

constexpr int kCharacterCount = 3;

void CheckMapSize() {
    if (Game.MapSize < 50 || Game.MapSize > 100)
        FatalExit(kBadMapSizeExitCode, "map side " + std::to_string(Game.MapSize) + " outside 50..100");
}

// Clamps a window's count into a byte so that a bad value fails the checks.
uint8_t CountByte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

void InitResearch(TGosRec& g) {
    const long double perState = static_cast<long double>(Game.MapSize) * Game.MapSize / Game.GosCount;
    int64_t cost = Trunc(perState / 5.0L);
    if (cost > 100) cost = Trunc(cost / 3.0L + 100.0L);
    Game.ResearchCostStep = static_cast<float>(cost / 5.0L);
    for (int k = 0; k < ResearchBranchCount; ++k) {
        TResearchRec& r = g.Research[k];
        r.Level = 0;
        r.Points = 0;
        r.Cost = static_cast<int32_t>(cost);
        r.Scientists = 0;
        r.Effect = InitialResearch[k].Effect;
        r.Increment = InitialResearch[k].Increment;
    }
}

void InitRelationsAndFronts(TGosRec& g) {
    for (int j = 1; j <= Game.GosCount; ++j) {
        g.Relations[j] = {100, 0};
        TFrontRec& front = g.Fronts[j];
        front.Neighbour = 0;
        front.Kordalt = 0;
        front.Fortified = 0;
        for (int k = 1; k <= Rules.TroopTypeCount; ++k) front.Soldiers[k] = 0;
    }
}

void InitState(int i) {
    TGosRec& g = Game.mGos[i];
    g.Territory = Map->RegionSize(static_cast<uint8_t>(i));
    g.Player = 0;
    g.Name.Assign(LangText(kStateNames[i - 1]));
    g.PlayerName.Assign("");
    g.StartPlayerName.Assign("");
    g.TimeSpent = 0;
    g.Passed = 0;
    g.Alive = 0;
    g.KordaltCount = 0;
    g.Character = i == 1 ? Random(kCharacterCount) + 1 : Game.mGos[i - 1].Character % kCharacterCount + 1;
    g.Destroyed = g.DestroyedAsPlayer = g.HumanVictimCount = 0;
    for (int v = 1; v <= MaxGos; ++v) g.HumanVictims[v] = 0;
    g.TimesAttacked = 0;
    g.Money = 0;
    g.SavingForKordalt = 0;
    g.FieldsSown = 0;
    g.CapturedThisTurn = 0;
    const int64_t people =
        Round(static_cast<long double>(Game.MapSize) * Game.MapSize / Game.GosCount / 1.1L);
    g.Grain = SaturateI32(2 * people);
    g.Peasants = SaturateI32(people);
    g.Reserve = 0;
    g.FreeScientists = 0;
    g.Soldiers = g.Reserve;
    g.Scientists = g.FreeScientists;
    InitRelationsAndFronts(g);
    InitResearch(g);
}

// The game before this one leaves nothing behind but what the set-up chose
// for this one: the counts, the level and the Kordalts' base names.
void ForgetLastGame() {
    GameState fresh;
    fresh.GosCount = Game.GosCount;
    fresh.MapSize = Game.MapSize;
    fresh.DifficultyLevel = Game.DifficultyLevel;
    fresh.KordaltBaseNames = std::move(Game.KordaltBaseNames);
    Game = std::move(fresh);
}

}  // namespace

void ReplaceMap(std::unique_ptr<TSquares> map) {
    delete Map;
    Map = map.release();
}

void GenerateNewGame() {
    const bool local = PlayMode.GameMode == kLocalGame;
    if (local) {
        GameWindows().BeginMapGeneration(LangText(kGeneratingMap));
        Game.GosCount = CountByte(GameWindows().StatesSliderValue());
        Game.MapSize = CountByte(GameWindows().MapSizeSliderValue());
    }
    if (Game.GosCount < 2 || Game.GosCount > MaxGos)
        throw std::out_of_range("GenerateNewGame: " + std::to_string(Game.GosCount) +
                                " states, outside 2..20");
    ForgetLastGame();
    NewGUID(Game.GameGuid);
    Game.GameOnInternet = PlayMode.IsInternetGame ? 1 : 0;
    ReplaceMap(nullptr);
    CheckMapSize();
    auto map = std::make_unique<TSquares>(Game.MapSize, Game.MapSize, false, Game.GosCount);
    map->Generate();
    ReplaceMap(std::move(map));
    CheckMapSize();
    for (int i = 1; i <= Game.GosCount; ++i) InitState(i);
    for (int i = 1; i <= KordaltSlotCount; ++i) {
        Game.mKordalt[i].Front = 0;
        InitKordalt(i);
    }
    Game.BattleChronicle.clear();
    Messages.Clear();
    Game.Year = 1;
    if (local) GameWindows().EndMapGeneration();
}

std::vector<bool> HumanChoicePositions(int humanCount) {
    std::vector<bool> flagged(Game.GosCount, false);
    if (humanCount == 1) flagged[0] = true;
    if (humanCount < 2) return flagged;
    for (int h = 1; h <= humanCount; ++h) {
        int p;
        do p = Random(Random(Game.GosCount) + 1) + 1;
        while (flagged[p - 1]);
        flagged[p - 1] = true;
    }
    return flagged;
}

void HandOutStates() {
    TGameWindows& windows = GameWindows();
    Game.SaveCounter = 0;
    windows.HideMapPreview();
    windows.PrepareStateChoice();
    Game.HumanCount = CountByte(std::min(windows.HumanCountValue(), static_cast<int>(Game.GosCount)));
    const std::vector<bool> humanChooses = HumanChoicePositions(Game.HumanCount);
    int human = 0;
    bool rejected = false;
    for (int p = 1; p <= Game.GosCount && !rejected; ++p) {
        if (humanChooses[p - 1]) {
            ++human;
            Game.CurrentPlayerName = std::to_string(human);
            windows.AlignScreens(TScreen::Setup, false);
            if (Game.HumanCount > 1) {
                windows.ShowPlayerHandover();
                windows.AlignScreens(TScreen::PlayerHandover, false);
            }
            if (windows.ShowStateChoice(human) == kChoiceRejected) {
                windows.HideChoiceButton();
                windows.AlignScreens(TScreen::StateChoice, false);
                rejected = true;
            }
        } else {
            windows.AlignScreens(TScreen::StateChoice, false);
            int t;
            do t = Random(Game.GosCount) + 1;
            while (Game.mGos[t].Alive);
            Game.mGos[t].Alive = 1;
        }
    }
    windows.ShowSetup();
    if (rejected) return;
    windows.HideChoiceButton();
    CheckFronts();
    Game.ResumeHuman = 1;
    GameLoop();
}

}  // namespace kordalt
