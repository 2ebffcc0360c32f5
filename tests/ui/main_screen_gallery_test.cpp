// Renders each page of the main game screen to <build>/gallery/ui_main_*.png.
#include "main_screen_fixture.h"
#include "support/gallery.h"

namespace kordalt::test {
namespace {

TEST_F(MainScreenTest, GalleryOfThePages) {
    for (int slot : {1, 21}) {
        Game.mKordalt[slot].Owner = 1;
        Game.mKordalt[slot].Order = kOrderTrain;
        Game.mKordalt[slot].Age = slot == 1 ? 62 : 30;
        Game.mKordalt[slot].Mastery = 100;
    }
    Gos().KordaltCount = 2;
    Gos().Scientists = Gos().FreeScientists = 30;
    Gos().Soldiers = Gos().Reserve = 400;
    Gos().Money = 5000;
    AddEventLine(1, 0x008000, "Собран урожай: 900");
    AddEventLine(1, 0x0000FF, "Население уменьшилось");
    AddBattleLine(1, 0, "*** Новое сражение ***");
    AddBattleLine(1, 0, "Битва у реки~0");
    for (int r = 1; r <= 4; ++r)
        AddBattleLine(1, 0x800000,
                      "Раунд " + std::to_string(r) + "~" + std::to_string(300 - 50 * r) + "~10~0~" +
                          std::to_string(90 - 10 * r) + "~" + std::to_string(200 - 20 * r) + "~5~0~70");
    Game.BattleChronicle = Cp(Gos().Name.Utf8() + " напал на " + Game.mGos[2].Name.Utf8() + "\n");
    screen->show();
    screen->FormActivate();
    const char* names[5] = {"info", "economy", "science", "borders", "shop"};
    for (int page = 0; page < 5; ++page) {
        OpenPage(page);
        if (page == 3) screen->findChild<QWidget*>("dgrKordalts")->setProperty("row", 1);
        const QImage image = screen->grab().toImage();
        EXPECT_EQ(image.size(), QSize(640, 480));
        SaveToGallery(image, QStringLiteral("ui_main_") + names[page]);
    }
    screen->hide();
}

}  // namespace
}  // namespace kordalt::test
