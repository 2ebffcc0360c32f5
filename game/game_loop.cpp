#include "game/game_loop.h"

#include <chrono>
#include <string>

#include "game/battle.h"
#include "game/capture.h"
#include "game/computer_player.h"
#include "game/economy.h"
#include "game/fronts.h"
#include "game/game_state.h"
#include "game/game_windows.h"
#include "game/language_file.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "game/turn_report.h"
#include "game/ui_hooks.h"
#include "platform/arith.h"
#include "platform/format.h"

namespace kordalt {

namespace {

constexpr TColor kVictoryChatColor = 0x8000;

bool SinglePlayerOption() {
    return LanguageFile && LanguageFile->ReadBool("Preferences", "SinglePlayer", false);
}

}  // namespace

void MergeTroopTypes(TGosRec& g) {
    for (int j = 1; j <= Game.GosCount; ++j) {
        TFrontRec& front = g.Fronts[j];
        for (int k = 2; k <= Rules.TroopTypeCount; ++k) {
            front.Soldiers[1] = SaturateI32(int64_t{front.Soldiers[1]} + front.Soldiers[k]);
            front.Soldiers[k] = 0;
        }
    }
}

void DeployArmy(uint8_t gos) {
    SetFrontSoldiers(gos, gos, Game.mGos[gos].Reserve);
    for (int j = 1; j <= Game.GosCount; ++j) SetFrontSoldiers(gos, static_cast<uint8_t>(j), 0);
}

void ApplyTurnResult(uint8_t gos, TTurnResult result) {
    if (result == TTurnResult::Next) {
        DeployArmy(gos);
        Game.mGos[gos].Passed = 0;
    } else if (result == TTurnResult::Pass) {
        Game.mGos[gos].Passed = 1;
    }
}

void ClearCaptureCounts() {
    for (int i = 1; i <= Game.GosCount; ++i) Game.mGos[i].CapturedThisTurn = 0;
}

void ClearEndOfTurnMarks(uint8_t except) {
    for (int i = 1; i <= Game.GosCount; ++i)
        if (i != except && Game.mGos[i].Player != 0) Game.mGos[i].CapturedThisTurn = 0;
}

void MarkEndOfTurn(uint8_t gos) { Game.mGos[gos].CapturedThisTurn = kEndOfTurnMark; }

void ClearYearReport() {
    Messages.Clear();
    Game.BattleChronicle.clear();
}

void BeginNextYear() { ++Game.Year; }

void ComputeYearSteps() {
    ComputerTurn();
    CheckGameState(Cp("Проверка после хода компьютеров:"));
    for (int i = 1; i <= Game.GosCount; ++i) RecordYearStatistics(static_cast<uint8_t>(i));
    ClearCaptureCounts();
    ProcessBattles();
    CheckGameState(Cp("Проверка после хода Kordaltов:"));
    for (int i = 1; i <= Game.GosCount; ++i) {
        const auto gos = static_cast<uint8_t>(i);
        Harvest(gos);
        GrowPopulation(gos);
        AdvanceResearch(gos);
        PaySalaries(gos);
    }
}

namespace {

// A human's turn with state `gos`; returns the main game screen's result.
TTurnResult PlayTurn(uint8_t gos) {
    TGameWindows& windows = GameWindows();
    TGosRec& g = Game.mGos[gos];
    MergeTroopTypes(g);
    if (Game.HumanCount == 1 && SinglePlayerOption()) {
        windows.AlignScreens(TScreen::Setup, false);
    } else {
        windows.ShowTurnBanner();
        windows.AlignScreens(TScreen::TurnBanner, false);
    }
    const auto start = std::chrono::steady_clock::now();
    PlayMode.TurnShown = 1;
    const TTurnResult result = windows.ShowMainScreen();
    PlayMode.TurnShown = 0;
    windows.EndTurn();
    ApplyTurnResult(gos, result);
    const std::chrono::duration<double, std::ratio<86400>> days = std::chrono::steady_clock::now() - start;
    g.TimeSpent += days.count();
    return result;
}

// Every human plays his living states in turn; true after Quit.
bool PlayHumanTurns() {
    for (int h = 1; h <= Game.HumanCount; ++h)
        for (int i = 1; i <= Game.GosCount; ++i) {
            TGosRec& g = Game.mGos[i];
            if (g.Player != static_cast<uint32_t>(h) || g.Alive != 1) continue;
            g.Passed = 0;
            Game.CurrentPlayerName = g.PlayerName.Str();
            Game.CurrentGos = static_cast<uint8_t>(i);
            Game.CurrentHuman = static_cast<uint8_t>(h);
            if (Game.ResumeHuman > h) continue;
            if (PlayTurn(static_cast<uint8_t>(i)) == TTurnResult::Quit) return true;
        }
    return false;
}

void ComputeYear() {
    CheckGameState(Cp("Проверка после хода людей:"));
    GameWindows().ShowYear(LangText(kStartYear) + " " + std::to_string(Game.Year));
    ComputeYearSteps();
    BeginNextYear();
}

void EndGame() {
    TGameWindows& windows = GameWindows();
    Messages.Clear();
    windows.HideSetup();
    if (Game.HumanCount == 1) windows.EnterHallOfFame();
    windows.ReturnToMainMenu();
}

bool AnyHumanAlive() {
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player > 0 && Game.mGos[i].Alive == 1) return true;
    return false;
}

void AnnounceWinner(uint8_t winner) {
    const TGosRec& g = Game.mGos[winner];
    ShowMessage(FormatText(LangText(kVictory), {g.Name.Str()}));
    if (g.Player == 0) return;
    Game.HumanWon = 1;
    GameWindows().ShowVictory(winner);
    if (PlayMode.GameMode != kLocalGame)
        CaptureUi().SendAllMessage(FormatText(LangText(kVictoryChat), {g.PlayerName.Str()}),
                                   kVictoryChatColor);
}

}  // namespace

uint8_t SoleOwner() {
    const uint8_t first = Map->GetSquare(SquareId(0, 0));
    for (int x = 0; x < Game.MapSize; ++x)
        for (int y = 0; y < Game.MapSize; ++y)
            if (Map->GetSquare(SquareId(x, y)) != first) return 0;
    return first;
}

void GameLoop() {
    Game.HumanWon = 0;
    if (!HasHumanPlayers()) ShowMessage(LangText(kNoHumans));
    GameWindows().BeginYearLoop();
    PlayMode.TurnMinutes = 0;
    for (;;) {
        const bool quit = PlayHumanTurns();
        Map->SnapshotOwners();
        Game.ResumeHuman = 1;
        ClearYearReport();
        if (quit) break;
        ComputeYear();
        if (GameOver()) break;
    }
    EndGame();
}

void EndUndecidedGame() {
    int alive = 0;
    for (int i = 1; i <= Game.GosCount; ++i) alive += Game.mGos[i].Alive != 0 ? 1 : 0;
    if (alive > 1)
        for (int i = 1; i <= Game.GosCount; ++i) Game.mGos[i].Alive = 0;
}

bool GameOver() {
    const uint8_t owner = SoleOwner();
    bool over = owner != 0;
    if (over && owner <= Game.GosCount) AnnounceWinner(owner);
    if (!AnyHumanAlive()) {
        ShowMessage(LangText(kHumansLost));
        over = true;
    }
    if (Game.Year >= YearCount && !over) {
        ShowMessage(LangText(kGameDrawn));
        over = true;
    }
    if (over) {
        GameWindows().AlignScreens(TScreen::TurnBanner, true);
        GameWindows().ShowCharts();
        ShowMessage(LangText(kClosingNotice));
    }
    return over;
}

}  // namespace kordalt
