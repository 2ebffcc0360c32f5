// Whole local games through the windows: the set-up window is run modally, a
// scripted human generates a map, picks his state on the state-choice map and
// ends his turns on the main game screen, while the game's year loop drives
// the windows. A timer plays the human; every game is bounded in time.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "controls/spin_edit.h"
#include "game/random.h"
#include "setup_windows_fixture.h"
#include "support/test_files.h"
#include "ui/screens.h"

namespace kordalt {
namespace {

constexpr qint64 kTimeLimitMs = 240000;

class LocalGame : public SetupWindows {
protected:
    // The turns' automatic saves go to the scratch folder.
    LocalGame() : previousDir_(QDir::currentPath()) {
        QDir::setCurrent(QString::fromStdString(scratch_.Dir()));
        driver_.setInterval(2);
        QObject::connect(&driver_, &QTimer::timeout, [this] { Drive(); });
    }
    ~LocalGame() override { QDir::setCurrent(previousDir_); }

    // Runs the set-up window modally until the game has ended.
    void Play(int states, int side, int humans) {
        states_ = states;
        side_ = side;
        humans_ = humans;
        clock_.start();
        driver_.start();
        ExecModal(*Start);
        driver_.stop();
        EXPECT_LT(clock_.elapsed(), kTimeLimitMs) << "the game did not end in time";
    }

    // One step of the human, run by the timer; what opens a modal window runs
    // from a timer of its own so that the driver keeps ticking.
    void Drive() {
        QWidget* top = QApplication::activeModalWidget();
        if (top == Start && !started_) {
            started_ = true;
            if (!setupPlace.isNull()) {
                Start->move(setupPlace);
                AlignScreensKeep(Start);  // as the main menu leaves them
            }
            Start->StatesSlider->SetValue(states_);
            Start->MapSizeSlider->SetValue(side_);
            for (int h = 1; h < humans_; ++h) Start->HumansEdit->StepUp();
            QTest::mouseClick(Start->GenerateMapButton, Qt::LeftButton);
            QTimer::singleShot(0, [] { QTest::mouseClick(Start->ChooseTerritoryButton, Qt::LeftButton); });
        } else if (top == SelectPlayer) {
            handovers.push_back(SelectPlayer->PlayerName->Caption());
            handoverPlaces.push_back(SelectPlayer->pos());
            QTest::mouseClick(SelectPlayer->ReadyButton, Qt::LeftButton);
        } else if (top == SelectGos) {
            ChooseFreeState();
        } else if (top == Main) {
            EndTurn();
        } else if (top == SelectMan) {
            banners.push_back(SelectMan->PlayerName->Caption());
            bannerPlaces.push_back(SelectMan->pos());
            bannerGrids.push_back(SelectMan->TimeTable->isVisibleTo(SelectMan));
            QTest::mouseClick(SelectMan->OkButton, Qt::LeftButton);
        }
    }

    // Clicks the first state that is not in play and confirms it.
    void ChooseFreeState() {
        for (int i = 1; i <= Game.GosCount; ++i)
            if (!Game.mGos[i].Alive) {
                QTest::mouseClick(SelectGos->MapPicture, Qt::LeftButton, {},
                                  PixelOf(static_cast<uint8_t>(i)));
                SelectGos->RulerNameEdit->setText(
                    QStringLiteral("Human%1").arg(QString::fromStdString(Game.CurrentPlayerName)));
                QTest::mouseClick(SelectGos->ConfirmButton, Qt::LeftButton);
                return;
            }
    }

    // Passes the turn, or ends the game in the year to quit or after the time limit.
    void EndTurn() {
        turns.push_back(Qs(Game.mGos[Game.CurrentGos].PlayerName.Str()));
        EXPECT_FALSE(Start->isVisible() && !Start->ProgressPageShown()) << "set-up page during a turn";
        if (clock_.elapsed() > kTimeLimitMs || (quitYear && Game.Year >= quitYear))
            QTest::mouseClick(Main->ExitButton, Qt::LeftButton);
        else
            QTest::mouseClick(Main->PassButton, Qt::LeftButton);
    }

    int quitYear = 0;  // the humans quit in this year; 0: they pass to the end
    std::vector<QString> handovers, banners, turns;
    std::vector<bool> bannerGrids;
    QPoint setupPlace;  // where the game's windows are, if moved
    std::vector<QPoint> handoverPlaces, bannerPlaces;

private:
    test::ScratchDir scratch_;
    QString previousDir_;
    QTimer driver_;
    QElapsedTimer clock_;
    int states_ = 0, side_ = 0, humans_ = 0;
    bool started_ = false;
};

bool Contains(const std::vector<QString>& texts, const char* start) {
    for (const QString& text : texts)
        if (Shown(text).startsWith(QString::fromUtf8(start))) return true;
    return false;
}

TEST_F(LocalGame, OneHumanPassesToTheEnd) {
    ScopedSeed seed(7);
    Play(2, 50, 1);
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(Shown(messages.back()).startsWith(QString::fromUtf8("Спасибо за игру!")));
    // The end: a state owns the whole map, the human's state fell, or the draw.
    EXPECT_TRUE(Contains(messages, "Игра окончена.\nГосударство") || Contains(messages, "Все люди погибли") ||
                Contains(messages, "Игра затянулась."));
    EXPECT_GE(Game.Year, 2);
    // The progress page named the last year computed.
    EXPECT_EQ(Start->YearLabel->text(), QString::fromUtf8("Год: %1").arg(Game.Year - 1));
    // One banner before every turn, for the one human, without a time table.
    ASSERT_FALSE(turns.empty());
    EXPECT_EQ(banners.size(), turns.size());
    EXPECT_EQ(banners.front(), QStringLiteral("Human1"));
    EXPECT_EQ(std::count(bannerGrids.begin(), bannerGrids.end(), true), 0);
    EXPECT_TRUE(handovers.empty());
    // Every pass saved the game.
    EXPECT_TRUE(QFile::exists(QStringLiteral("autosave.kordalt")));
    // Back to the main menu: the set-up window closed on its set-up page.
    EXPECT_FALSE(Start->isVisible());
    EXPECT_FALSE(Start->ProgressPageShown());
    EXPECT_EQ(Game.DifficultyLevel, 0);
}

TEST_F(LocalGame, HotSeatHumansQuitInTheThirdYear) {
    ScopedSeed seed(3);
    quitYear = 3;
    setupPlace = QPoint(37, 23);
    Play(4, 50, 2);
    // The hand-over window opens where the game's windows are, and they stay there.
    EXPECT_EQ(handoverPlaces, std::vector<QPoint>(2, QPoint(37, 23)));
    EXPECT_EQ(bannerPlaces, std::vector<QPoint>(turns.size(), QPoint(37, 23)));
    // Each human chose after the hand-over window named him.
    EXPECT_EQ(handovers, (std::vector<QString>{QStringLiteral("1"), QStringLiteral("2")}));
    int humans = 0;
    for (int i = 1; i <= Game.GosCount; ++i)
        if (Game.mGos[i].Player > 0) {
            ++humans;
            EXPECT_EQ(Qs(Game.mGos[i].PlayerName.Str()), QStringLiteral("Human%1").arg(Game.mGos[i].Player));
        }
    EXPECT_EQ(humans, 2);
    // Two years of two turns and the quit at the first turn of the third.
    EXPECT_EQ(Game.Year, 3);
    EXPECT_EQ(turns.size(), 5u);
    EXPECT_EQ(banners.size(), turns.size());
    EXPECT_EQ(std::count(bannerGrids.begin(), bannerGrids.end(), false), 0);
    EXPECT_EQ(turns[0], QStringLiteral("Human1"));
    EXPECT_EQ(turns[1], QStringLiteral("Human2"));
    EXPECT_FALSE(Start->isVisible());
}

}  // namespace
}  // namespace kordalt
