#include "ui/game_windows_impl.h"

#include <QFile>
#include <QPushButton>

#include "controls/speed_button.h"
#include "ui/graph.h"
#include "ui/main_screen.h"
#include "ui/proc.h"
#include "ui/record_table.h"
#include "ui/screens.h"
#include "ui/select_gos.h"
#include "ui/select_man.h"
#include "ui/select_player.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

QWidget* ScreenWindow(TScreen screen) {
    switch (screen) {
        case TScreen::Setup:
            return Start;
        case TScreen::PlayerHandover:
            return SelectPlayer;
        case TScreen::StateChoice:
            return SelectGos;
        case TScreen::TurnBanner:
            return SelectMan;
        case TScreen::MainScreen:
            return Main;
    }
    return nullptr;
}

}  // namespace

int TGameWindowsImpl::StatesSliderValue() { return Start ? Start->StatesCount() : 0; }

int TGameWindowsImpl::MapSizeSliderValue() { return Start ? Start->MapSide() : 0; }

int TGameWindowsImpl::HumanCountValue() { return Start ? Start->HumanCount() : 0; }

void TGameWindowsImpl::BeginMapGeneration(const std::string& status) {
    if (Start) Start->BeginMapGeneration(Qs(status));
}

void TGameWindowsImpl::EndMapGeneration() {
    if (Start) Start->EndMapGeneration();
}

void TGameWindowsImpl::HideMapPreview() {
    if (Start) Start->Preview->hide();
}

void TGameWindowsImpl::HideChoiceButton() {
    if (Start) Start->ChooseTerritoryButton->hide();
}

void TGameWindowsImpl::ShowSetup() {
    if (Start) Start->show();
}

void TGameWindowsImpl::AlignScreens(TScreen screen, bool keep) {
    QWidget* window = ScreenWindow(screen);
    if (!window) return;
    if (keep)
        AlignScreensKeep(window);
    else
        kordalt::AlignScreens(window);
}

void TGameWindowsImpl::PrepareStateChoice() {
    if (SelectGos) SelectGos->ShowMapPreview();
}

// The hand-over window is not one of the windows that move together, yet they
// all move to it afterwards: it opens where they are, not where Qt centres it.
void TGameWindowsImpl::ShowPlayerHandover() {
    if (!SelectPlayer) return;
    CopyFormPos(Start, SelectPlayer);
    ExecModal(*SelectPlayer);
}

int TGameWindowsImpl::ShowStateChoice(int) { return SelectGos ? ExecModal(*SelectGos) : kChoiceRejected; }

void TGameWindowsImpl::BeginYearLoop() {
    if (Start) Start->ShowProgressPage(true);
    if (Main) Main->LastPage = 0;
    if (Graph) Graph->ResetGraphFilter();
}

void TGameWindowsImpl::ShowYear(const std::string& caption) {
    if (Start) Start->ShowYear(Qs(caption));
}

void TGameWindowsImpl::ShowTurnBanner() {
    if (SelectMan) ExecModal(*SelectMan);
}

TTurnResult TGameWindowsImpl::ShowMainScreen() { return Main ? Main->RunTurn() : TTurnResult::Quit; }

void TGameWindowsImpl::EndTurn() {
    if (Main) AlignScreensKeep(Main);
    if (!Start) return;
    Start->close();
    Start->show();
}

void TGameWindowsImpl::HideSetup() {
    if (Start) Start->hide();
}

void TGameWindowsImpl::EnterHallOfFame() { TRecordTable::EnterHallOfFame(); }

void TGameWindowsImpl::ReturnToMainMenu() {
    if (!Start) return;
    Start->ShowProgressPage(false);
    Start->show();
    kordalt::AlignScreens(Start);
    Start->close();
}

void TGameWindowsImpl::ShowVictory(uint8_t winner) { TProc::ShowVictory(winner); }

void TGameWindowsImpl::ShowCharts() { TGraph::ShowModalGraph(); }

bool TGameWindowsImpl::OpenGameDialog(std::string& fileName) {
    QString chosen;
    if (!Start || !Start->ChooseSavedGame(chosen)) return false;
    fileName = QFile::encodeName(chosen).toStdString();
    return true;
}

void InstallGameWindows() {
    static TGameWindowsImpl windows;
    SetGameWindows(&windows);
}

}  // namespace kordalt
