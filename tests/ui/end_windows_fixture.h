// The end-of-game windows over the program folder's settings file: a game
// state of a few states, a logging TGameWindows, and message boxes and modal
// dialogs answered and recorded.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "game/game_windows.h"
#include "game/language_file.h"
#include "game_reset.h"
#include "platform/cp1251.h"
#include "platform/program_path.h"
#include "support/gallery.h"
#include "ui/ui_support.h"

namespace kordalt {

// Logs the screen alignments, the turn banner and the set-up window shown;
// everything else is inert.
class LoggingGameWindows final : public TInertGameWindows {
public:
    void AlignScreens(TScreen screen, bool keep) override {
        static const char* const names[] = {"Setup", "PlayerHandover", "StateChoice", "TurnBanner",
                                            "MainScreen"};
        log.push_back(std::string("Align ") + names[static_cast<int>(screen)] + (keep ? " keep" : ""));
    }
    void ShowTurnBanner() override { log.push_back("Banner " + Cp1251ToUtf8(Game.CurrentPlayerName)); }
    void ShowSetup() override { log.push_back("Show Setup"); }

    std::vector<std::string> log;
};

class EndWindows : public ::testing::Test {
protected:
    explicit EndWindows(const std::string& programFile = KORDALT_BIN_DIR "/kordalt") : program_(programFile) {
        CreateLanguageFile();
        ResetGame();
    }
    ~EndWindows() override {
        ResetGame();
        FreeLanguageFile();
    }

    // States 1..count named "Государство<i>", all alive; `human` is played by "Игрок".
    static void SetUpStates(int count, int human) {
        Game.GosCount = static_cast<uint8_t>(count);
        for (int i = 1; i <= count; ++i) {
            TGosRec& g = Game.mGos[i];
            g.Name.AssignUtf8("Государство" + std::to_string(i));
            g.Alive = 1;
            if (i == human) {
                g.Player = 1;
                g.PlayerName.AssignUtf8("Игрок");
            }
        }
    }

    static QString Text(int id) { return NormalizeText(Qs(LanguageFile->GetText(id, ""))); }
    static QString NormalizeText(QString text) {
        return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }

    // Saves `image` as <build>/gallery/ui_<name>.png.
    static void SaveToGallery(const QImage& image, const char* name) {
        test::SaveToGallery(image, QStringLiteral("ui_") + QString::fromLatin1(name));
    }

    std::vector<QString> messages;
    std::vector<TMsgType> messageTypes;
    TMsgButton answer = TMsgButton::Ok;

private:
    ScopedProgramFileName program_;

protected:
    ScopedMessageBoxHook boxes_{[this](TMsgType type, const QString& text) {
        messages.push_back(text);
        messageTypes.push_back(type);
        return answer;
    }};
    LoggingGameWindows windows_;
    ScopedGameWindows windowsScope_{windows_};
};

// A record of the turn report (the report's header clashes with the controls').
void AddReportRecord(uint8_t kind, uint8_t gos, uint32_t color, const std::string& utf8);
// The installed capture interface's local defeat, and its removal.
void CaptureShowsLocalDefeat();
void RemoveCaptureUi();

}  // namespace kordalt
