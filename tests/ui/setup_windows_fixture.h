// The windows of a local game's start, made as the start-up makes them, over
// the program folder's settings file; message boxes are answered and recorded.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QString>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "controls/ex_label.h"
#include "controls/slider.h"
#include "controls/speed_button.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/squares.h"
#include "game_reset.h"
#include "platform/fatal.h"
#include "platform/program_path.h"
#include "ui/dop_info.h"
#include "ui/game_windows_impl.h"
#include "ui/main_screen.h"
#include "ui/picture_store.h"
#include "ui/select_gos.h"
#include "ui/select_man.h"
#include "ui/select_player.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {

class SetupWindows : public ::testing::Test {
protected:
    explicit SetupWindows(const std::string& programFile = KORDALT_BIN_DIR "/kordalt")
        : program_(programFile) {
        CreateLanguageFile();
        LoadPictures();
        ResetGame();
        previousUi_ = SetGameUi(&QtGameUi());
        Start = new TStart;
        SelectPlayer = new TSelectPlayer;
        SelectGos = new TSelectGos;
        Main = new TMain;
        SelectMan = new TSelectMan;
        DopInfo = new TDopInfo;
        previousWindows_ = SetGameWindows(nullptr);
        InstallGameWindows();
    }
    ~SetupWindows() override {
        SetGameWindows(previousWindows_);
        SetGameUi(previousUi_);
        for (QWidget* window :
             std::vector<QWidget*>{DopInfo, SelectMan, Main, SelectGos, SelectPlayer, Start})
            delete window;
        DopInfo = nullptr;
        SelectMan = nullptr;
        Main = nullptr;
        SelectGos = nullptr;
        SelectPlayer = nullptr;
        Start = nullptr;
        ResetGame();
        PictureList.reset();
        FreeLanguageFile();
    }

    // The picture store of the program folder; its bitmap is named relative to
    // the working directory.
    static void LoadPictures() {
        const QString current = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(ProgramDirectory()));
        PictureList =
            std::make_unique<TPictureFragmentList>(ProgramDirectory() + DefaultIniFileName(), "Icons");
        QDir::setCurrent(current);
    }

    // Sets the counts and generates a map with the set-up window's button.
    void Generate(int states, int side) {
        Start->StatesSlider->SetValue(states);
        Start->MapSizeSlider->SetValue(side);
        QTest::mouseClick(Start->GenerateMapButton, Qt::LeftButton);
    }

    // The pixel of the state-choice map at the middle of a square of state
    // `gos` (never (0, 0), which a test click takes for the widget's centre).
    static QPoint PixelOf(uint8_t gos) {
        const int side = TSelectGos::kMapSide;
        for (int y = 0; y < Map->Height; ++y)
            for (int x = 0; x < Map->Width; ++x)
                if (Map->GetSquare(SquareId(x, y)) == gos)
                    return {(2 * x + 1) * side / (2 * Map->Width), (2 * y + 1) * side / (2 * Map->Height)};
        ADD_FAILURE() << "state " << int{gos} << " has no square";
        return {};
    }

    std::vector<QString> messages;

private:
    ScopedProgramFileName program_;

protected:
    // Every box is recorded; a question is answered yes.
    ScopedMessageBoxHook boxes_{[this](TMsgType type, const QString& text) {
        messages.push_back(text);
        return type == TMsgType::Confirmation ? TMsgButton::Yes : TMsgButton::Ok;
    }};

private:
    TGameUi* previousUi_ = nullptr;
    TGameWindows* previousWindows_ = nullptr;
};

// A text of the settings file as a control shows it.
inline QString Shown(const QString& text) { return NormalizeLineBreaks(text); }

}  // namespace kordalt
