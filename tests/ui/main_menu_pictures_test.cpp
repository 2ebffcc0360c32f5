// The main menu over the shipped settings file and language pictures: the
// white captions stand on a dark background and the emblems' key colour is
// left out. Also drawn into <build>/gallery to be looked at.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <memory>

#include "controls/speed_button.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "support/gallery.h"
#include "support/test_files.h"
#include "ui/fake_music_player.h"
#include "ui/main_menu.h"
#include "ui/ui_support.h"

namespace kordalt {
namespace {

const std::string kBinDir = std::string(KORDALT_BIN_DIR) + "/";
const char* const kPictures[] = {"menu.bmp", "menu2.bmp", "menu3.bmp", "setup.bmp", "setup2.bmp"};

TEST(MainMenuPicturesTest, CaptionsStandOnDarkGroundAndTheKeyColourIsLeftOut) {
    test::ScratchDir dir;
    ScopedProgramFileName program{dir.Path("kordalt")};
    FakeMusicPlayer music;
    ScopedGameUi gameUi{QtGameUi()};
    for (const char* name : {"kordalt.INI", "dim.dat"})
        test::WriteFile(dir.Path(name), test::ReadFile(kBinDir + name));
    for (const char* name : kPictures) test::WriteFile(dir.Path(name), test::ReadFile(kBinDir + name));
    TIniFile(dir.Path("kordalt.INI")).WriteString("Icons", "Icons", kBinDir + "icons.bmp");

    TMainForm form;
    const QImage background = form.BackgroundImage->pixmap().toImage();
    ASSERT_EQ(background.size(), QSize(640, 480));
    const QColor key = QImage(dir.Path("menu2.bmp").c_str()).pixelColor(0, 69);
    EXPECT_EQ(key, QColor(255, 0, 255));
    int brightest = 0, keyPixels = 0;
    for (const char* name : {"ExSpeedButton2", "SpeedButton1", "SpeedButton3"}) {
        const QRect caption = form.findChild<TExSpeedButton*>(name)->geometry();
        for (int y = caption.top(); y <= caption.bottom(); ++y)
            for (int x = caption.left(); x <= caption.right(); ++x)
                brightest = std::max(brightest, qGray(background.pixel(x, y)));
    }
    for (int y = 0; y < background.height(); ++y)
        for (int x = 0; x < background.width(); ++x) keyPixels += background.pixelColor(x, y) == key;
    EXPECT_LT(brightest, 100) << "white captions need a dark ground";
    EXPECT_EQ(keyPixels, 0) << "the emblems' key colour shows";
    EXPECT_NE(background.pixelColor(455, 40), background.pixelColor(300, 40)) << "no crown at (400, 10)";

    test::SaveToGallery(form.grab().toImage(), "ui_main_menu_pictures");
}

// The set-up page's picture lies under the main game screen's pages, the state
// choice and the lobby as well: pale all over, with no panel of the set-up window in it.
TEST(MainMenuPicturesTest, SetUpBackgroundIsPaleAllOver) {
    const QImage picture(QString::fromStdString(kBinDir + "setup2.bmp"));
    ASSERT_EQ(picture.size(), QSize(640, 480));
    int darkest = 255;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) darkest = std::min(darkest, qGray(picture.pixel(x, y)));
    EXPECT_GT(darkest, 150);
}

}  // namespace
}  // namespace kordalt
