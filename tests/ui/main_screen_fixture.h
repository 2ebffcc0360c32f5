// A small generated local game with the main game screen showing the turn of
// state 1; message boxes are answered by `answer` and recorded in `boxes`.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <memory>
#include <string>

#include "game/fake_game_windows.h"
#include "game/fronts.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "platform/fatal.h"
#include "platform/program_path.h"
#include "support/test_files.h"
#include "ui/main_screen.h"
#include "ui/main_screen_support.h"
#include "ui/picture_store.h"
#include "ui/ui_support.h"

namespace kordalt::test {

// Builds turn reports with the game's own routines (their header cannot share
// a file with the controls' colour names).
void ClearReport();
void AddEventLine(uint8_t gos, uint32_t colour, const std::string& utf8);
void AddBattleLine(uint8_t gos, uint32_t colour, const std::string& utf8);
int ReportSize();

class MainScreenTest : public ::testing::Test {
protected:
    MainScreenTest() {
        EXPECT_EQ(chdir(scratch.Dir().c_str()), 0);
        CreateLanguageFile();
        EXPECT_EQ(chdir(KORDALT_BIN_DIR), 0);
        PictureList = std::make_unique<TPictureFragmentList>("kordalt.INI", "Icons");
        EXPECT_EQ(chdir(scratch.Dir().c_str()), 0);
        LoadRulesData();
        PlayMode.GameMode = kLocalGame;
        PlayMode.IsInternetGame = false;
        MainState.AutoPass = false;
        PlayMode.TurnMinutes = 0;
        Game = GameState{};
        {
            ScopedSeed seed(11);
            FakeGameWindows windows;
            windows.states = 4;
            windows.mapSize = 50;
            GenerateNewGame();
        }
        for (int i = 1; i <= Game.GosCount; ++i) Game.mGos[i].Alive = 1;
        Game.mGos[1].Player = 1;
        Game.mGos[1].PlayerName.Assign("Ivan");
        Game.HumanCount = 1;
        Game.CurrentGos = 1;
        CheckFronts();
        ClearReport();
        PlayMode.TurnShown = 1;
        screen = std::make_unique<TMain>();
        screen->show();
    }
    ~MainScreenTest() override {
        PlayMode.TurnShown = 0;
        screen.reset();
        ReplaceMap(nullptr);
        ClearReport();
        PictureList.reset();
        FreeLanguageFile();
        EXPECT_EQ(chdir(KORDALT_TEST_TMP), 0);
    }

    TGosRec& Gos() { return Game.mGos[1]; }

    template <class T = QWidget>
    T* Find(const char* name) {
        T* w = screen->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }
    void Slide(const char* name, int value) { Find<QSlider>(name)->setValue(value); }
    // A press and release of the mouse on a control.
    void Click(const char* name) { QTest::mouseClick(Find(name), Qt::LeftButton, {}, QPoint(10, 8)); }
    void OpenPage(int page) {
        if (screen->Pages->currentIndex() == page)
            screen->PageChange();
        else
            screen->Pages->setCurrentIndex(page);
    }

    ScratchDir scratch;
    ScopedProgramFileName program{KORDALT_BIN_DIR "/kordalt"};
    ScopedFatalExitThrows fatalThrows;
    TMsgButton answer = TMsgButton::Yes;
    QStringList boxes;
    ScopedMessageBoxHook boxHook{[this](TMsgType, const QString& text) {
        boxes << text;
        return answer;
    }};
    std::unique_ptr<TMain> screen;
};

}  // namespace kordalt::test
