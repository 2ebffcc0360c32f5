// The set-up window: its texts, the difficulty and count controls, the map
// generation and preview, the progress page and the open dialog.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <filesystem>
#include <set>
#include <vector>

#include "controls/scroll_text_panel.h"
#include "controls/slider.h"
#include "controls/spin_edit.h"
#include "game/rules_data.h"
#include "game/saved_game.h"
#include "setup_windows_fixture.h"
#include "support/test_files.h"
#include "ui/help_window.h"
#include "ui/map_drawing.h"

namespace kordalt {
namespace {

using StartWindow = SetupWindows;

TEST_F(StartWindow, TextsComeFromTheLanguage) {
    struct Case {
        const char* label;
        const char* text;
    };
    for (const Case& c : {Case{"Label1", "Количество государств"}, Case{"Label5", "Размер территории"},
                          Case{"Label9", "Количество людей\nна карте:"}, Case{"Label14", "Сложность игры:"},
                          Case{"Label12", "Карта"}, Case{"Label11", "Ходят компьютерные игроки"},
                          Case{"Label10", "Просчитываются сражения"}, Case{"Label2", "2"},
                          Case{"Label3", "20"}, Case{"Label4", "20"}, Case{"Label6", "50"},
                          Case{"Label7", "100"}, Case{"Label8", "100"}, Case{"Label15", "100 %"}}) {
        auto* label = Start->findChild<QLabel*>(c.label);
        ASSERT_NE(label, nullptr) << c.label;
        EXPECT_EQ(label->text(), QString::fromUtf8(c.text)) << c.label;
    }
    for (const auto& [name, text] :
         {std::pair{"ExSpeedButton1", "Генерация\nновой карты"},
          std::pair{"ExSpeedButton2", "Выбор\nтерритории"}, std::pair{"SpeedButton3", "Выход"},
          std::pair{"SpeedButton4", "Помощь"}}) {
        auto* button = Start->findChild<TExSpeedButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(Shown(button->Caption()), QString::fromUtf8(text)) << name;
    }
    EXPECT_EQ(Start->windowTitle(), QString::fromUtf8("Новая игра"));
    const QList<QRadioButton*> items = Start->RadioGroupDiffLevel->findChildren<QRadioButton*>();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(Start->RadioGroupDiffLevel->ItemIndex(), 0);
    EXPECT_EQ(items[0]->text(), QString::fromUtf8("Тренировка"));
    EXPECT_EQ(items[2]->text(), QString::fromUtf8("Эксперт"));
    EXPECT_EQ(Start->PleaseWait->Caption(), QString::fromUtf8("Пожалуйста подождите..."));
    // The intro scrolls the language's first introduction, one step every 70 ms.
    ASSERT_EQ(Start->IntroScroll->Lines().size(), 14);
    EXPECT_EQ(Start->IntroScroll->Lines().front(), QString::fromUtf8("Добро пожаловать в мир Kordalt!"));
    EXPECT_EQ(Start->IntroScroll->Interval(), 70u);
    EXPECT_EQ(Start->size(), QSize(640, 480));
}

TEST_F(StartWindow, ButtonsShowTheirFragments) {
    for (const auto& [button, fragment] :
         {std::pair{Start->GenerateMapButton, 18}, std::pair{Start->ChooseTerritoryButton, 19},
          std::pair{Start->ExitButton, 20}, std::pair{Start->HelpButton, 21},
          std::pair{SelectGos->ConfirmButton, 22}, std::pair{SelectGos->RejectButton, 23}}) {
        QImage expected;
        PictureList->LoadGlyph(expected, fragment);
        EXPECT_FALSE(expected.isNull());
        EXPECT_EQ(button->Glyph(), expected) << fragment;
        EXPECT_EQ(button->NumGlyphs(), 2);
    }
}

TEST_F(StartWindow, DifficultyLevels) {
    struct Case {
        int item;
        const char* name;
        bool mapSliderEnabled;
    };
    Start->MapSizeSlider->SetValue(50);
    for (const Case& c : {Case{2, "Профессиональная игра", false}, Case{0, "Тренировочная игра", true},
                          Case{1, "Нормальная игра", true}}) {
        SCOPED_TRACE(c.item);
        Start->ChooseTerritoryButton->show();
        QTest::mouseClick(
            Start->RadioGroupDiffLevel->findChild<QRadioButton*>(QStringLiteral("Item%1").arg(c.item)),
            Qt::LeftButton);
        EXPECT_EQ(Start->LabelDiffLevel->text(), QString::fromUtf8(c.name));
        EXPECT_EQ(Game.DifficultyLevel, c.item);
        EXPECT_EQ(Start->DifficultyAbout->text(), DifficultyTexts[static_cast<size_t>(c.item)]);
        EXPECT_EQ(Start->MapSizeSlider->isEnabled(), c.mapSliderEnabled);
        // Expert forces the largest map; going back keeps it.
        EXPECT_EQ(Start->MapSizeSlider->Value(), 100);
        EXPECT_EQ(Start->MapSizeValue->text(), QStringLiteral("100"));
        EXPECT_FALSE(Start->ChooseTerritoryButton->isVisibleTo(Start));
        EXPECT_TRUE(Start->GenerateMapButton->isVisibleTo(Start));
    }
    EXPECT_TRUE(Start->DifficultyAbout->text().startsWith(QString::fromUtf8("Обычная игра")));
}

TEST_F(StartWindow, ApplyDifficultyRepairsAMissingChoice) {
    Start->RadioGroupDiffLevel->SetItemIndex(-1);
    Game.DifficultyLevel = 2;
    Start->ApplyDifficulty();
    EXPECT_EQ(Start->RadioGroupDiffLevel->ItemIndex(), 0);
    EXPECT_EQ(Game.DifficultyLevel, 0);
    EXPECT_EQ(Start->LabelDiffLevel->text(), QString::fromUtf8("Тренировочная игра"));
}

TEST_F(StartWindow, StatesCountResetsHumansAndBoundsThem) {
    Start->HumansEdit->StepUp();
    Start->HumansEdit->StepUp();
    ASSERT_EQ(Start->HumanCount(), 3);
    Start->ChooseTerritoryButton->show();
    Start->StatesSlider->SetValue(5);
    EXPECT_EQ(Start->StatesValue->text(), QStringLiteral("5"));
    EXPECT_EQ(Start->DifficultyPercent->text(), QStringLiteral("25 %"));
    EXPECT_EQ(Start->HumanCount(), 1);
    EXPECT_FALSE(Start->ChooseTerritoryButton->isVisibleTo(Start));
    // Only the arrows change the count.
    EXPECT_FALSE(Start->HumansEdit->EditorEnabled());

    Start->StatesSlider->SetValue(3);
    for (int i = 0; i < 5; ++i)
        QTest::mouseClick(Start->HumansEdit->Button(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(Start->HumanCount(), 3);
    Start->StatesSlider->SetValue(2);
    EXPECT_EQ(Start->DifficultyPercent->text(), QStringLiteral("10 %"));
    EXPECT_EQ(Start->HumanCount(), 1);
}

TEST_F(StartWindow, MapSliderMovesInStepsOfFive) {
    Start->ChooseTerritoryButton->show();
    Start->MapSizeSlider->setFocus();
    Start->MapSizeSlider->StepValue(4);
    EXPECT_EQ(Start->MapSide(), 95);
    EXPECT_EQ(Start->MapSizeValue->text(), QStringLiteral("95"));
    EXPECT_FALSE(Start->ChooseTerritoryButton->isVisibleTo(Start));
    Start->MapSizeSlider->StepValue(1);
    EXPECT_EQ(Start->MapSide(), 50);
}

TEST_F(StartWindow, GenerationReadsTheCountsAndShowsThePreview) {
    Start->StatesSlider->SetValue(4);
    Start->HumansEdit->StepUp();
    EXPECT_EQ(GameWindows().HumanCountValue(), 2);
    Generate(4, 60);
    ASSERT_NE(Map, nullptr);
    EXPECT_EQ(Game.GosCount, 4);
    EXPECT_EQ(Game.MapSize, 60);
    EXPECT_EQ(Map->Width, 60);
    EXPECT_EQ(Game.Year, 1);
    EXPECT_EQ(Start->HumanCount(), 2);
    EXPECT_TRUE(Start->Preview->isVisibleTo(Start));
    EXPECT_TRUE(Start->GenerateMapButton->isVisibleTo(Start));
    EXPECT_TRUE(Start->ChooseTerritoryButton->isVisibleTo(Start));
    // The status label has its caption back.
    EXPECT_EQ(Start->MapStatus->text(), QString::fromUtf8("Карта"));
    // The preview shows every state in its colour.
    std::set<QRgb> colours;
    const QImage& preview = Start->Preview->Picture;
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x) colours.insert(preview.pixel(x, y));
    for (int i = 1; i <= 4; ++i) EXPECT_TRUE(colours.count(ToQRgb(GosColors[i]))) << "state " << i;
}

TEST_F(StartWindow, MapGenerationShowsItsStatusMeanwhile) {
    Start->ChooseTerritoryButton->show();
    Start->Preview->show();
    Start->BeginMapGeneration(QString::fromUtf8("Подождите\rсоздается карта"));
    EXPECT_EQ(Start->MapStatus->text(), QString::fromUtf8("Подождите\nсоздается карта"));
    EXPECT_FALSE(Start->Preview->isVisibleTo(Start));
    EXPECT_FALSE(Start->GenerateMapButton->isVisibleTo(Start));
    EXPECT_FALSE(Start->ChooseTerritoryButton->isVisibleTo(Start));
}

TEST_F(StartWindow, ActivationHidesThePreviewAndTheChoice) {
    Generate(3, 50);
    ASSERT_TRUE(Start->ChooseTerritoryButton->isVisibleTo(Start));
    ActivateWindow(Start);
    EXPECT_FALSE(Start->Preview->isVisibleTo(Start));
    EXPECT_FALSE(Start->ChooseTerritoryButton->isVisibleTo(Start));
    Generate(3, 50);
    Start->show();
    EXPECT_FALSE(Start->ChooseTerritoryButton->isVisible());
    Start->close();
}

TEST_F(StartWindow, ExitClosesAndStopsTheIntro) {
    Start->show();
    Start->IntroScroll->SetActive(true);
    QTest::mouseClick(Start->ExitButton, Qt::LeftButton);
    EXPECT_FALSE(Start->isVisible());
    EXPECT_FALSE(Start->IntroScroll->Active());
}

TEST_F(StartWindow, HelpOpensItsTopic) {
    const std::string previous = HelpFile();
    SetHelpFile(KORDALT_BIN_DIR "/kordalt.html");
    QTest::mouseClick(Start->HelpButton, Qt::LeftButton);
    ASSERT_NE(HelpBrowser(), nullptr);
    EXPECT_EQ(HelpBrowser()->source().fragment(), QStringLiteral("8"));
    HelpBrowser()->window()->close();
    // F1 opens the same topic.
    delete HelpBrowser()->window();
    Start->show();
    QApplication::setActiveWindow(Start);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Start, 2000));
    QTest::keyClick(Start, Qt::Key_F1);
    ASSERT_NE(HelpBrowser(), nullptr);
    EXPECT_EQ(HelpBrowser()->source().fragment(), QStringLiteral("8"));
    delete HelpBrowser()->window();
    Start->hide();
    SetHelpFile(previous);
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartWindow, ProgressPage) {
    EXPECT_FALSE(Start->ProgressPageShown());
    GameWindows().BeginYearLoop();
    EXPECT_TRUE(Start->ProgressPageShown());
    GameWindows().ShowYear(Cp("Год: 7"));
    EXPECT_EQ(Start->YearLabel->text(), QString::fromUtf8("Год: 7"));
    GameUi().StartProgress(TProgressBar::Battles, 12);
    GameUi().SetProgress(TProgressBar::Battles, 5);
    GameUi().StartProgress(TProgressBar::ComputerTurns, 3);
    EXPECT_EQ(Start->BattlesBar->maximum(), 12);
    EXPECT_EQ(Start->BattlesBar->value(), 5);
    EXPECT_EQ(Start->ComputersMoveBar->maximum(), 3);
    EXPECT_EQ(Start->ComputersMoveBar->value(), 0);
    Start->ShowProgressPage(false);
    EXPECT_FALSE(Start->ProgressPageShown());
}

// Drawing a bar at once waits for the display, so a year's hundreds of steps
// draw it when it starts, at most once a frame, and at its end.
TEST_F(StartWindow, ProgressBarsAreDrawnAtTheirStartAndEndNotAtEveryStep) {
    Start->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Start));
    GameWindows().BeginYearLoop();
    GameWindows().ShowYear(Cp("Год: 7"));
    struct PaintRecorder : QObject {
        std::vector<int> values;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                values.push_back(static_cast<QProgressBar*>(watched)->value());
            return false;
        }
    } painted;
    Start->BattlesBar->installEventFilter(&painted);
    QElapsedTimer clock;
    clock.start();
    GameUi().StartProgress(TProgressBar::Battles, 300);
    for (int step = 1; step <= 300; ++step) {
        GameUi().SetProgress(TProgressBar::Battles, step);
        if (step == 150) EXPECT_EQ(Start->BattlesBar->value(), 150);
    }
    const qint64 frames = clock.elapsed() / 40;
    Start->BattlesBar->removeEventFilter(&painted);
    EXPECT_TRUE(Start->BattlesBar->isVisible());
    ASSERT_GE(painted.values.size(), 2u);
    EXPECT_LE(static_cast<qint64>(painted.values.size()), 2 + frames);
    EXPECT_EQ(painted.values.front(), 0);
    EXPECT_EQ(painted.values.back(), 300);
    Start->hide();
}

TEST_F(StartWindow, OpenDialogForSavedGames) {
    QFileDialog* dialog = Start->OpenDialog;
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Загрузить сохранённую игру"));
    EXPECT_EQ(dialog->nameFilters(), (QStringList{QString::fromUtf8("Сохранённые игры (*.kordalt)"),
                                                  QString::fromUtf8("Все файлы (*.*)")}));
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("kordalt"));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(QDir(dialog->directory()).canonicalPath(),
              QDir(QStringLiteral(KORDALT_BIN_DIR)).canonicalPath());
    std::string fileName = "unchanged";
    QTimer::singleShot(0, dialog, &QDialog::reject);
    EXPECT_FALSE(GameWindows().OpenGameDialog(fileName));
    EXPECT_EQ(fileName, "unchanged");
}

// The set-up window is hidden while the menu or the game shows: the dialog
// opens over the window in sight, not where its hidden owner was.
TEST_F(StartWindow, OpenDialogOpensOverTheWindowInSight) {
    Start->move(300, 200);
    Main->move(0, 0);
    Main->show();
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QPoint centre;
    QTimer::singleShot(0, Start->OpenDialog, [&centre] {
        centre = Start->OpenDialog->frameGeometry().center();
        Start->OpenDialog->reject();
    });
    std::string fileName;
    EXPECT_FALSE(GameWindows().OpenGameDialog(fileName));
    EXPECT_LE((centre - Main->frameGeometry().center()).manhattanLength(), 8);
    Main->hide();
}

// A game saved and loaded again through the open dialog.
TEST_F(StartWindow, LoadGameThroughTheOpenDialog) {
    test::ScratchDir dir;
    Generate(3, 50);
    for (int i = 1; i <= 3; ++i) Game.mGos[i].Alive = 1;
    Game.mGos[2].Player = 1;
    Game.HumanCount = 1;
    Game.CurrentHuman = 1;
    const std::string file = dir.Path("Сохранение.kordalt");
    SaveGame(file);
    const int64_t checksum = GameChecksum();
    Game.Year = 9;
    QTimer::singleShot(0, Start->OpenDialog, [file] {
        Start->OpenDialog->selectFile(QString::fromStdString(file));
        static_cast<QDialog*>(Start->OpenDialog)->accept();
    });
    ASSERT_TRUE(LoadGame());
    EXPECT_EQ(Game.Year, 1);
    EXPECT_EQ(GameChecksum(), checksum);
    EXPECT_TRUE(messages.empty());
}

// A program folder whose settings name pictures that exist and no rules data.
class StartPictures : public SetupWindows {
protected:
    static std::string Folder() {
        const std::string dir = KORDALT_TEST_TMP "/start_pictures";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        for (const char* file : {"/kordalt.INI", "/icons.bmp"})
            std::filesystem::copy_file(KORDALT_BIN_DIR + std::string(file), dir + file);
        QImage progress(64, 48, QImage::Format_RGB32);
        progress.fill(QColor(10, 200, 30));
        progress.save(QString::fromStdString(dir + "/setup.bmp"));
        QImage background(320, 240, QImage::Format_RGB32);
        background.fill(QColor(200, 20, 20));
        background.save(QString::fromStdString(dir + "/setup2.bmp"));
        return dir + "/kordalt";
    }
    StartPictures() : SetupWindows(Folder()) {}
};

TEST_F(StartPictures, BackgroundsAndMissingRulesData) {
    EXPECT_EQ(Start->ProgressBackground->Picture.pixelColor(5, 5), QColor(10, 200, 30));
    ASSERT_EQ(Start->SetupBackground->Picture.size(), QSize(640, 480));
    EXPECT_EQ(Start->SetupBackground->Picture.pixelColor(639, 479), QColor(200, 20, 20));
    // The other windows copy them.
    EXPECT_EQ(SelectGos->Background->Picture.pixelColor(320, 240), QColor(200, 20, 20));
    EXPECT_EQ(SelectMan->Background->Picture.pixelColor(5, 5), QColor(10, 200, 30));
    // The folder has no rules data file: its text was shown while the window was made.
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(Start->isVisible());
    // New game: the window closes at once, saying why again.
    bool waited = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, Start, [&] {
        waited = true;
        Start->done(0);
    });
    guard.start(3000);
    EXPECT_EQ(Start->exec(), QDialog::Rejected);
    EXPECT_FALSE(waited) << "the window waited for the player";
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages.back(), messages.front());
    EXPECT_TRUE(Rules.DimLoadFailed);
}

// A program folder with the shipped settings and rules data but none of the
// pictures they name.
class StartWithoutPictures : public SetupWindows {
protected:
    static std::string Folder() {
        const std::string dir = KORDALT_TEST_TMP "/start_without_pictures";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        for (const char* file : {"/kordalt.INI", "/icons.bmp", "/dim.dat"})
            std::filesystem::copy_file(KORDALT_BIN_DIR + std::string(file), dir + file);
        return dir + "/kordalt";
    }
    StartWithoutPictures() : SetupWindows(Folder()) {}
};

TEST_F(StartWithoutPictures, PagesStayBare) {
    EXPECT_TRUE(Start->ProgressBackground->Picture.isNull());
    EXPECT_TRUE(Start->SetupBackground->Picture.isNull());
    EXPECT_TRUE(SelectGos->Background->Picture.isNull());
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kordalt
