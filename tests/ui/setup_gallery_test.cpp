// Renders the set-up, state-choice, hand-over, turn-banner and sending-notice
// windows to PNG files in <build>/gallery for a look.
#include <QProgressBar>

#include "controls/slider.h"
#include "setup_windows_fixture.h"
#include "support/gallery.h"

namespace kordalt {
namespace {

void Save(QWidget& window, const char* name) { test::SaveToGallery(window.grab().toImage(), name); }

using SetupGallery = SetupWindows;

TEST_F(SetupGallery, Windows) {
    Start->ApplyDifficulty();
    Start->show();
    Save(*Start, "ui_start");
    Generate(6, 60);
    Save(*Start, "ui_start_map");
    Start->ShowProgressPage(true);
    Start->ShowYear(QString::fromUtf8("Год: 12"));
    Start->ComputersMoveBar->setValue(40);
    Start->BattlesBar->setValue(70);
    Save(*Start, "ui_start_progress");
    Start->hide();

    Game.CurrentPlayerName = "1";
    GameWindows().PrepareStateChoice();
    SelectGos->show();
    QTest::mouseClick(SelectGos->MapPicture, Qt::LeftButton, {}, PixelOf(2));
    Save(*SelectGos, "ui_select_gos");
    SelectGos->hide();

    SelectPlayer->show();
    Save(*SelectPlayer, "ui_select_player");
    SelectPlayer->hide();

    Game.HumanCount = 2;
    Game.Year = 12;
    for (int i : {1, 2}) {
        Game.mGos[i].Player = static_cast<uint32_t>(i);
        Game.mGos[i].PlayerName.AssignUtf8(i == 1 ? "Емеля" : "Василиса");
        Game.mGos[i].TimeSpent = i * 0.0123;
    }
    Game.CurrentGos = 2;
    Game.CurrentPlayerName = Game.mGos[2].PlayerName.Str();
    SelectMan->show();
    Save(*SelectMan, "ui_select_man");
    SelectMan->hide();

    DopInfo->ShowNotice();
    Save(*DopInfo, "ui_dop_info");
    DopInfo->hide();
}

}  // namespace
}  // namespace kordalt
