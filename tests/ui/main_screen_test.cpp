// Turn control of the main game screen: the ways a turn ends, autosaves, the
// turn clock, the status bar, and the year loop showing the screen.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QTextBrowser>
#include <QTimer>
#include <filesystem>

#include "controls/list_box.h"
#include "controls/scroll_text_panel.h"
#include "controls/speed_button.h"
#include "game/game_windows.h"
#include "main_screen_fixture.h"
#include "ui/graph.h"
#include "ui/help_window.h"
#include "ui/preference.h"
#include "ui/start.h"

namespace kordalt::test {
namespace {

class TurnControl : public MainScreenTest {
protected:
    // Runs the turn; `play` acts on the shown window in place of the user.
    TTurnResult Run(const std::function<void()>& play) {
        ScopedModalHook hook([&](QDialog& dialog) {
            play();
            return dialog.result();
        });
        return screen->RunTurn();
    }
    void Sow() { Click("Shape28"); }
    // Alt and a letter of the Russian keyboard in the active window; a button
    // clicks a moment after its shortcut.
    void AltKey(char16_t letter) {
        screen->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
        QTest::sendKeyEvent(QTest::Click, screen.get(), Qt::Key(letter), QString(QChar(letter)).toLower(),
                            Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !screen->isVisible(); }, 2000));
    }
    bool Autosaved(const std::string& name = "autosave.kordalt") {
        return std::filesystem::exists(scratch.Path(name));
    }
};

TEST_F(TurnControl, NextPassAndEscEndTheTurnWithAnAutosave) {
    struct Case {
        const char* how;
        std::function<void()> press;
        TTurnResult result;
    };
    const Case cases[] = {
        {"Next after sowing",
         [this] {
             OpenPage(1);
             Sow();
             screen->NextButton->click();
         },
         TTurnResult::Next},
        {"Alt+Д after sowing",
         [this] {
             OpenPage(1);
             Sow();
             AltKey(u'Д');
         },
         TTurnResult::Next},
        {"Pass", [this] { screen->PassButton->click(); }, TTurnResult::Pass},
        {"Alt+П", [this] { AltKey(u'П'); }, TTurnResult::Pass},
        {"Esc", [this] { QTest::keyClick(screen.get(), Qt::Key_Escape); }, TTurnResult::Pass},
        {"p on Pass", [this] { QTest::keyClick(screen->PassButton, Qt::Key_P); }, TTurnResult::Pass},
        {"Enter on Pass",
         [this] {
             QTest::keyClick(Find("EditName"), Qt::Key_Return);
             EXPECT_TRUE(screen->isVisible()) << "Enter in an edit goes on";
             screen->PassButton->setFocus();
             QTest::keyClick(screen->PassButton, Qt::Key_Return);
         },
         TTurnResult::Pass},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(scratch.Path("autosave.kordalt"));
        EXPECT_EQ(Run(c.press), c.result) << c.how;
        EXPECT_EQ(MainState.TurnResult, c.result) << c.how;
        EXPECT_TRUE(Autosaved()) << c.how;
        EXPECT_FALSE(screen->isVisible()) << c.how;
    }
}

TEST_F(TurnControl, NextStaysDisabledUntilSowing) {
    const TTurnResult result = Run([&] {
        EXPECT_FALSE(screen->NextButton->isEnabled());
        screen->NextButton->click();
        EXPECT_TRUE(screen->isVisible()) << "a disabled Next does nothing";
        screen->PassButton->click();
    });
    EXPECT_EQ(result, TTurnResult::Pass);
}

TEST_F(TurnControl, ExitAsksAndTheTurnClockRunsOnAcrossTheBox) {
    const TTurnResult result = Run([&] {
        OpenPage(1);
        Sow();
        screen->TurnClockTick();
        answer = TMsgButton::No;
        screen->ExitButton->click();
        EXPECT_EQ(boxes.back(), "Вы уверены, что хотите закончить игру ?");
        EXPECT_TRUE(screen->isVisible());
        EXPECT_EQ(screen->StatusBar->PanelText(7), "0:01") << "the box does not restart the clock";
        screen->TurnClockTick();
        EXPECT_EQ(screen->StatusBar->PanelText(7), "0:02");
        EXPECT_EQ(MainState.TurnResult, std::nullopt) << "the turn is open";
        answer = TMsgButton::Yes;
        screen->ExitButton->click();
    });
    EXPECT_EQ(result, TTurnResult::Quit);
    EXPECT_EQ(MainState.TurnResult, TTurnResult::Quit);
    EXPECT_FALSE(Autosaved()) << "leaving writes no autosave";
}

TEST_F(TurnControl, EscapeOnTheRealExitQuestionAnswersNo) {
    ScopedMessageBoxHook realBoxes{nullptr};
    QString question;
    const TTurnResult result = Run([&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            question = box->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        screen->ExitButton->click();
        EXPECT_TRUE(screen->isVisible()) << "the game goes on";
        EXPECT_EQ(MainState.TurnResult, std::nullopt);
        screen->PassButton->click();
    });
    EXPECT_EQ(question, "Вы уверены, что хотите закончить игру ?");
    EXPECT_EQ(result, TTurnResult::Pass);
}

// A limit that runs out while the exit question is open waits for the answer:
// Yes leaves the game, No lets the clock end the turn at its next tick.
TEST_F(TurnControl, TheExitQuestionsAnswerWinsOverTheTimeLimit) {
    PlayMode.GameMode = kServer;
    PlayMode.TurnMinutes = 1;
    for (const auto& [yes, expected] :
         {std::pair{true, TTurnResult::Quit}, std::pair{false, TTurnResult::Next}}) {
        ScopedMessageBoxHook ticking([&](TMsgType, const QString&) {
            for (int i = 0; i < 3; ++i) screen->TurnClockTick();  // the limit runs out meanwhile
            EXPECT_TRUE(screen->isVisible()) << "the clock waits for the answer";
            return yes ? TMsgButton::Yes : TMsgButton::No;
        });
        const TTurnResult result = Run([&] {
            for (int i = 0; i < 59; ++i) screen->TurnClockTick();
            screen->ExitButton->click();
            if (!yes) {
                EXPECT_TRUE(screen->isVisible());
                screen->TurnClockTick();
            }
        });
        EXPECT_EQ(result, expected) << yes;
        EXPECT_EQ(MainState.TurnResult, expected) << yes;
    }
}

// The clock of a turn runs on while the save dialog, the settings and the
// charts are open; a press that falls due meanwhile waits for their closing.
TEST_F(TurnControl, TheTurnClockRunsAcrossDialogsAndTheirButtonsWork) {
    PlayMode.GameMode = kServer;
    PlayMode.TurnMinutes = 2;
    Game.Year = 3;
    TPreference preference;
    Preference = &preference;
    TGraph graph;
    Graph = &graph;
    std::vector<QDialog*> opened;
    auto tick = [&](int n) {
        for (int i = 0; i < n; ++i) screen->TurnClockTick();
    };
    ScopedModalHook hook([&](QDialog& dialog) {
        if (&dialog != screen.get()) {
            opened.push_back(&dialog);
            if (&dialog == Preference) {
                EXPECT_FALSE(Preference->LanguageList->isEnabled());
            }
            tick(40);
            EXPECT_TRUE(screen->isVisible()) << "nothing is pressed under a dialog";
            return 0;
        }
        tick(30);
        screen->Info.SaveGame->Click();  // save
        EXPECT_EQ(screen->StatusBar->PanelText(7), "0:50") << "the dialog did not restart the clock";
        screen->Info.Settings->Click();  // settings
        Game.DifficultyLevel = 0;
        PlayMode.GameMode = kLocalGame;
        screen->FormActivate();
        screen->Borders.ShowGraph->Click();  // charts
        PlayMode.GameMode = kServer;
        EXPECT_TRUE(screen->isVisible()) << "the limit ran out under the charts";
        tick(1);
        return dialog.result();
    });
    EXPECT_EQ(screen->RunTurn(), TTurnResult::Next);
    EXPECT_EQ(opened, (std::vector<QDialog*>{screen->SaveDialog, &preference, &graph}));
    Preference = nullptr;
    Graph = nullptr;
}

// With the settings' box checked every activation starts the three help
// panels; they cycle, and every line fits its panel.
TEST_F(TurnControl, ScrollHelpRunsEveryTimeAndItsLinesFit) {
    TPreference preference;
    Preference = &preference;
    preference.CheckBoxScroll->setChecked(true);
    struct Case {
        TScrollTextPanel* panel;
        int group;
        unsigned interval;
    };
    const Case cases[] = {{screen->Shop.HelpScroll, 3, 30},
                          {screen->Economy.HelpScroll, 1, 70},
                          {screen->Science.HelpScroll, 2, 60}};
    for (int activation = 0; activation < 2; ++activation) {
        screen->FormActivate();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.panel->objectName().toStdString());
            EXPECT_TRUE(c.panel->Active());
            EXPECT_TRUE(c.panel->Cycled()) << "it never runs out";
            EXPECT_EQ(c.panel->Interval(), c.interval);
            const int room = c.panel->width() - 2 * (c.panel->FrameWidth() + 3);
            const QFontMetrics metrics(c.panel->font());
            for (const QString& line : c.panel->Lines())
                EXPECT_LE(metrics.horizontalAdvance(line), room) << line.toStdString();
            std::vector<std::string> intro;
            LanguageFile->LoadIntro(c.group, intro);
            QStringList words;
            for (const std::string& line : intro) words << Qs(line).split(' ', Qt::SkipEmptyParts);
            EXPECT_EQ(c.panel->Lines().join(' ').split(' ', Qt::SkipEmptyParts), words) << "no word is lost";
        }
        screen->FormDeactivate();
        for (const Case& c : cases) EXPECT_FALSE(c.panel->Active());
    }
    Preference = nullptr;
}

TEST_F(TurnControl, CloseBoxAsksBeforeLeaving) {
    const TTurnResult result = Run([&] {
        answer = TMsgButton::No;
        screen->close();
        EXPECT_TRUE(screen->isVisible());
        answer = TMsgButton::Yes;
        screen->close();
    });
    EXPECT_EQ(result, TTurnResult::Quit);
    EXPECT_EQ(boxes.size(), 2);
}

TEST_F(TurnControl, NoAutosaveAtExpertLevelOrOnANetworkClient) {
    struct Case {
        uint8_t difficulty, mode;
    };
    for (const Case& c : {Case{2, kLocalGame}, Case{0, kNetworkClient}}) {
        Game.DifficultyLevel = c.difficulty;
        PlayMode.GameMode = c.mode;
        EXPECT_EQ(Run([&] { screen->PassButton->click(); }), TTurnResult::Pass);
        EXPECT_FALSE(Autosaved());
        EXPECT_TRUE(QDir(QString::fromStdString(scratch.Dir())).entryList(QDir::Files).isEmpty());
    }
}

TEST_F(TurnControl, AutoPassPassesAtTheFirstTick) {
    MainState.AutoPass = true;
    EXPECT_EQ(Run([&] { screen->TurnClockTick(); }), TTurnResult::Pass);
    EXPECT_TRUE(MainState.AutoPass);
}

TEST_F(TurnControl, TimeLimitPressesNextAfterExactlyTheMinutes) {
    PlayMode.GameMode = kServer;
    PlayMode.TurnMinutes = 2;
    int ticks = 0;
    const TTurnResult result = Run([&] {
        while (screen->isVisible() && ticks < 200) {
            screen->TurnClockTick();
            ++ticks;
        }
    });
    EXPECT_EQ(result, TTurnResult::Next);
    EXPECT_EQ(ticks, 120);
    EXPECT_TRUE(Autosaved("autosave_Ivan.kordalt"));
}

// A network autosave named after a Cyrillic player is a UTF-8 file name, the
// form the game's own load dialog lists.
TEST_F(TurnControl, ANetworkAutosaveOfACyrillicNameIsListedUnderThatName) {
    PlayMode.GameMode = kServer;
    Game.mGos[1].PlayerName.Assign(Cp("Альфа"));
    EXPECT_EQ(Run([&] { screen->PassButton->click(); }), TTurnResult::Pass);
    EXPECT_TRUE(Autosaved("autosave_Альфа.kordalt"));
    EXPECT_EQ(QDir(QString::fromStdString(scratch.Dir())).entryList({"*.kordalt"}, QDir::Files),
              QStringList{QString::fromUtf8("autosave_Альфа.kordalt")});
}

TEST_F(TurnControl, StatusBarAndTurnClock) {
    Game.Year = 7;
    Gos().Money = 1234;
    for (int k = 0; k < 6; ++k) Gos().Research[k].Level = k + 1;
    Run([&] {
        EXPECT_EQ(screen->StatusBar->PanelText(0), "Год 7");
        EXPECT_EQ(screen->StatusBar->PanelText(1), Qs(Gos().Name.Str()));
        EXPECT_EQ(screen->StatusBar->PanelText(2), "Ivan");
        EXPECT_EQ(screen->StatusBar->PanelText(3), "1234 $");
        EXPECT_EQ(screen->StatusBar->PanelText(4), "1:2:3:4:5:6");
        for (int i = 0; i < 65; ++i) screen->TurnClockTick();
        EXPECT_EQ(screen->StatusBar->PanelText(7), "1:05");
        EXPECT_TRUE(screen->TurnClock->isActive());
        EXPECT_FALSE(screen->Pages->isTabVisible(5)) << "no chat in a local game";
        screen->PassButton->click();
    });
    EXPECT_FALSE(screen->TurnClock->isActive()) << "hiding stops the clock";
}

TEST_F(TurnControl, HelpButtonAndF1OpenThePagesTopic) {
    WriteFile(scratch.Path("help.html"),
              "<html><body><a name=\"11\">x</a><a name=\"14\">y</a></body></html>");
    SetHelpFile(scratch.Path("help.hlp"));
    for (const auto& [page, topic] : {std::pair{1, "11"}, {4, "14"}}) {
        OpenPage(page);
        screen->HelpButton->click();
        ASSERT_NE(HelpBrowser(), nullptr);
        EXPECT_EQ(HelpBrowser()->source().fragment(), topic);
    }
    delete HelpBrowser()->window();
    screen->activateWindow();
    QApplication::setActiveWindow(screen.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get(), 2000));
    for (const auto& [page, topic] : {std::pair{3, "13"}, {1, "11"}}) {
        OpenPage(page);
        QTest::keyClick(screen.get(), Qt::Key_F1);
        ASSERT_NE(HelpBrowser(), nullptr);
        EXPECT_EQ(HelpBrowser()->source().fragment(), topic);
    }
    SetHelpFile("");
    HelpBrowser()->window()->close();
}

TEST_F(TurnControl, PagesShowTheSetupWindowsBackground) {
    TStart start;
    start.SetupBackground->Picture = QImage(640, 480, QImage::Format_RGB32);
    start.SetupBackground->Picture.fill(Qt::darkCyan);
    Start = &start;
    TMain main;
    Start = nullptr;
    for (const char* name : {"Image1", "Image2", "Image3", "Image4", "Image5", "Image7"}) {
        auto* image = main.findChild<QLabel*>(name);
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->pixmap().size(), QSize(632, 429));
        EXPECT_EQ(image->pixmap().toImage().pixelColor(300, 200), QColor(Qt::darkCyan));
    }
}

TEST_F(TurnControl, MapSideOutsideTheRangeStopsTheProgram) {
    Game.MapSize = 49;
    try {
        screen->FormActivate();
        FAIL() << "no exit";
    } catch (const FatalExitCalled& e) {
        EXPECT_EQ(e.code, 50100);
    }
    Game.MapSize = 50;
}

class FakeNetwork final : public TMainNetwork {
public:
    TExitGame ExitGame() const override { return exitGame; }
    std::vector<TSessionPlayer> SessionPlayers() const override { return players; }
    void SendAllMessage(const std::string& text, uint32_t colour) override {
        sent.push_back(text);
        colours.push_back(colour);
    }
    void SendGameUpdate(int year, const std::string& language) override {
        updates.push_back(std::to_string(year) + ";" + language);
    }
    TExitGame exitGame = TExitGame::None;
    std::vector<TSessionPlayer> players;
    std::vector<std::string> sent, updates;
    std::vector<uint32_t> colours;
};

TEST_F(TurnControl, NetworkGameThroughItsInterface) {
    FakeNetwork network;
    TMainNetwork* previous = SetMainNetwork(&network);
    PlayMode.GameMode = kServer;
    PlayMode.IsInternetGame = true;
    Gos().Player = 77;
    Gos().CapturedThisTurn = 39;
    network.players = {{77, Cp("Иван")}, {88, Cp("Пётр")}};
    const TTurnResult result = Run([&] {
        EXPECT_EQ(network.updates, std::vector<std::string>{"1;Russian"});
        EXPECT_FALSE(screen->Info.SaveGame->isEnabled()) << "no saving in an Internet game";
        EXPECT_TRUE(screen->Pages->isTabVisible(5));
        OpenPage(5);
        auto* chat = Find<QLineEdit>("ChatEdit");
        chat->setText("  привет  ");
        QTest::keyClick(chat, Qt::Key_Return);
        EXPECT_EQ(chat->text(), " ") << "the line holds one blank again";
        chat->setText("   ");
        QTest::keyClick(chat, Qt::Key_Return);
        EXPECT_EQ(network.sent, std::vector<std::string>{Cp("привет")});
        EXPECT_EQ(chat->text(), "   ") << "a blank line is not sent";
        screen->TurnClockTick();  // second 1 rebuilds the player list
        auto* players = Find<TExCheckListBox>("ChatExCheckListBox");
        ASSERT_EQ(players->Items().Count(), 2);
        EXPECT_EQ(players->Items().Strings(0), "Иван");
        EXPECT_TRUE(players->GetItemChecked(0));
        EXPECT_EQ(players->Items().Strings(1), "вне игры: Пётр");
        network.exitGame = TExitGame::SessionLost;
        screen->TurnClockTick();
    });
    EXPECT_EQ(result, TTurnResult::Next) << "the lost session ends the turn as Next";
    EXPECT_FALSE(Autosaved("autosave_Ivan.kordalt")) << "the hidden exit writes no autosave";
    SetMainNetwork(previous);
    PlayMode.IsInternetGame = false;
}

// The year loop shows the screen for the human's turns through the windows
// interface; Pass lets the computer play the year, Exit ends the game.
class ScreenWindows final : public TInertGameWindows {
public:
    explicit ScreenWindows(FakeGameWindows& fake, TMain& screen) : fake_(fake), screen_(screen) {}
    int StatesSliderValue() override { return fake_.StatesSliderValue(); }
    int MapSizeSliderValue() override { return fake_.MapSizeSliderValue(); }
    int HumanCountValue() override { return fake_.HumanCountValue(); }
    void BeginMapGeneration(const std::string& s) override { fake_.BeginMapGeneration(s); }
    int ShowStateChoice(int human) override { return fake_.ShowStateChoice(human); }
    TTurnResult ShowMainScreen() override {
        years.push_back(Game.Year);
        return screen_.RunTurn();
    }
    void ReturnToMainMenu() override { returned = true; }

    std::vector<int> years;
    bool returned = false;

private:
    FakeGameWindows& fake_;
    TMain& screen_;
};

TEST_F(TurnControl, TheYearLoopRunsTheScreen) {
    PlayMode.TurnShown = 0;
    Game = GameState{};
    ScopedSeed seed(5);
    FakeGameWindows fake;
    fake.humans = 1;
    ScreenWindows windows(fake, *screen);
    ScopedGameWindows installed(windows);
    GenerateNewGame();
    ScopedModalHook hook([&](QDialog& dialog) {
        EXPECT_EQ(PlayMode.TurnShown, 1);
        if (Game.Year == 1)
            screen->PassButton->click();
        else
            screen->ExitButton->click();  // answered Yes
        return dialog.result();
    });
    HandOutStates();
    EXPECT_EQ(windows.years, (std::vector<int>{1, 2}));
    EXPECT_TRUE(windows.returned);
    EXPECT_EQ(PlayMode.TurnShown, 0);
}

}  // namespace
}  // namespace kordalt::test
