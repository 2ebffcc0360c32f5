// The state choice: clicking states on the map, confirming, refusals and the
// rejection of the whole map.
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLineEdit>
#include <QTimer>

#include "game/random.h"
#include "setup_windows_fixture.h"
#include "ui/map_drawing.h"

namespace kordalt {
namespace {

class StateChoice : public SetupWindows {
protected:
    StateChoice() {
        Generate(4, 50);
        Game.CurrentPlayerName = "2";
        GameWindows().PrepareStateChoice();
        ActivateWindow(SelectGos);
    }

    void ClickState(uint8_t gos) {
        QTest::mouseClick(SelectGos->MapPicture, Qt::LeftButton, {}, PixelOf(gos));
    }
    void Confirm() { QTest::mouseClick(SelectGos->ConfirmButton, Qt::LeftButton); }
    bool ConfirmShown() const { return SelectGos->ConfirmButton->isVisibleTo(SelectGos); }
    bool PromptShown() const { return SelectGos->Prompt->isVisibleTo(SelectGos); }
};

TEST_F(StateChoice, TextsAndOfferedName) {
    EXPECT_EQ(SelectGos->windowTitle(), QString::fromUtf8("Выбор территории"));
    EXPECT_EQ(SelectGos->Prompt->Caption(), QString::fromUtf8("Выберите себе государство"));
    EXPECT_EQ(Shown(SelectGos->RejectButton->Caption()),
              QString::fromUtf8("Меня не устаивает\n эта территория"));
    EXPECT_EQ(SelectGos->RulerNames[0], QString::fromUtf8("Царь Горох"));
    EXPECT_EQ(SelectGos->RulerNames[9], QString::fromUtf8("Емеля"));
    EXPECT_EQ(SelectGos->RulerNameEdit->maxLength(), 13);
    for (int draw : {0, 9}) {
        ScopedScriptedRandom script({draw});
        ActivateWindow(SelectGos);
        EXPECT_EQ(SelectGos->RulerNameEdit->text(), SelectGos->RulerNames[static_cast<size_t>(draw)]);
    }
    EXPECT_FALSE(ConfirmShown());
    EXPECT_FALSE(SelectGos->StateName->isVisibleTo(SelectGos));
    EXPECT_EQ(SelectGos->UpperBar->palette().color(QPalette::Window), QColor(Qt::white));
    // The map is drawn in the state colours.
    EXPECT_EQ(SelectGos->MapPicture->Picture.pixelColor(PixelOf(2) + QPoint(1, 1)), ToQColor(GosColors[2]));
    EXPECT_TRUE(PromptShown());
}

TEST_F(StateChoice, ClickShowsTheStateUnderThePointer) {
    for (uint8_t gos : {1, 4, 3}) {
        const QPoint pixel = PixelOf(gos);
        QTest::mouseClick(SelectGos->MapPicture, Qt::LeftButton, {}, pixel);
        EXPECT_EQ(SelectGos->ChoiceSelectedGos, gos);
        EXPECT_EQ(SelectGos->StateName->Caption(), Qs(Game.mGos[gos].Name.Str()));
        EXPECT_TRUE(SelectGos->StateName->isVisibleTo(SelectGos));
        for (QFrame* bar : {SelectGos->UpperBar, SelectGos->LowerBar})
            EXPECT_EQ(bar->palette().color(QPalette::Window), ToQColor(GosColors[gos]));
        EXPECT_EQ(SelectGos->StateTerritory->Caption(), QString::number(Game.mGos[gos].Territory));
        EXPECT_TRUE(ConfirmShown());
        EXPECT_FALSE(PromptShown());
    }
    // The square is column 50 * x div 400 and row 50 * y div 400 of the map.
    QTest::mouseClick(SelectGos->MapPicture, Qt::LeftButton, {}, QPoint(399, 7));
    EXPECT_EQ(SelectGos->ChoiceSelectedGos, Map->GetSquare(SquareId(49, 0)));
}

TEST_F(StateChoice, ConfirmGivesTheStateToTheHuman) {
    SelectGos->show();
    ClickState(3);
    SelectGos->RulerNameEdit->setText(QString::fromUtf8("Ярослав Мудрый"));
    Confirm();
    EXPECT_FALSE(SelectGos->isVisible());
    const TGosRec& g = Game.mGos[3];
    EXPECT_EQ(g.Alive, 1);
    EXPECT_EQ(g.Player, 2u);
    // The edit holds at most 13 characters.
    EXPECT_EQ(g.PlayerName.Utf8(), "Ярослав Мудры");
}

TEST_F(StateChoice, EmptyNameIsStoredEmpty) {
    ClickState(1);
    SelectGos->RulerNameEdit->clear();
    Confirm();
    EXPECT_EQ(Game.mGos[1].Alive, 1);
    EXPECT_EQ(Game.mGos[1].PlayerName.Str(), "");
}

TEST_F(StateChoice, StateInPlayIsRefused) {
    SelectGos->show();
    Game.mGos[2].Alive = 1;
    Game.mGos[2].Player = 1;
    Game.mGos[2].PlayerName.Assign("first");
    ClickState(2);
    Confirm();
    EXPECT_TRUE(SelectGos->isVisible());
    EXPECT_EQ(Shown(SelectGos->Prompt->Caption()), QString::fromUtf8("Извините\nэта территория уже выбрана"));
    EXPECT_TRUE(PromptShown());
    EXPECT_EQ(Game.mGos[2].Player, 1u);
    EXPECT_EQ(Game.mGos[2].PlayerName.Str(), "first");
    // Clicking it again hides the confirmation; a free state shows it again.
    ClickState(2);
    EXPECT_FALSE(ConfirmShown());
    EXPECT_TRUE(PromptShown());
    ClickState(4);
    EXPECT_TRUE(ConfirmShown());
    EXPECT_FALSE(PromptShown());
    // A new activation forgets the refusals but keeps the refusal text.
    ActivateWindow(SelectGos);
    ClickState(2);
    EXPECT_TRUE(ConfirmShown());
    EXPECT_EQ(Shown(SelectGos->Prompt->Caption()), QString::fromUtf8("Извините\nэта территория уже выбрана"));
    SelectGos->hide();
}

TEST_F(StateChoice, ReleaseOutsideTheMapChangesNothing) {
    ClickState(1);
    for (QPoint outside : {QPoint(-1, 5), QPoint(400, 5), QPoint(5, 400), QPoint(5, -3)}) {
        QTest::mouseRelease(SelectGos->MapPicture, Qt::LeftButton, {}, outside);
        EXPECT_EQ(SelectGos->ChoiceSelectedGos, 1);
    }
}

TEST_F(StateChoice, RunModallyThroughTheGameInterface) {
    QTimer::singleShot(0, SelectGos, [this] {
        ClickState(4);
        Confirm();
    });
    EXPECT_NE(GameWindows().ShowStateChoice(2), kChoiceRejected);
    EXPECT_EQ(Game.mGos[4].Player, 2u);
    QTimer::singleShot(0, SelectGos, [] { QTest::mouseClick(SelectGos->RejectButton, Qt::LeftButton); });
    EXPECT_EQ(GameWindows().ShowStateChoice(3), kChoiceRejected);
}

// Alt+F4 or the close box acts as the reject button; a confirmed choice does not.
TEST_F(StateChoice, ClosingTheWindowRejectsTheMap) {
    QTimer::singleShot(0, SelectGos, [] { SelectGos->close(); });
    EXPECT_EQ(GameWindows().ShowStateChoice(1), kChoiceRejected);
    for (int i = 1; i <= Game.GosCount; ++i) EXPECT_EQ(Game.mGos[i].Alive, 0) << i;
    // The window system's close box and Alt+F4 send a close event.
    QTimer::singleShot(0, SelectGos, [] {
        QCloseEvent close;
        QApplication::sendEvent(SelectGos, &close);
    });
    EXPECT_EQ(GameWindows().ShowStateChoice(1), kChoiceRejected);
}

// Rejecting the map stops the hand-out: the choice button is hidden until a
// new map is made, and the set-up window stays.
TEST_F(StateChoice, RejectedMapLeavesTheSetupOpen) {
    QTimer::singleShot(0, Start, [this] {
        Generate(3, 50);
        QTimer::singleShot(0, SelectGos, [] { QTest::mouseClick(SelectGos->RejectButton, Qt::LeftButton); });
        QTest::mouseClick(Start->ChooseTerritoryButton, Qt::LeftButton);
        EXPECT_TRUE(Start->isVisible());
        EXPECT_FALSE(Start->ChooseTerritoryButton->isVisible());
        EXPECT_EQ(Game.Year, 1);
        QTest::mouseClick(Start->ExitButton, Qt::LeftButton);
    });
    ExecModal(*Start);
    EXPECT_FALSE(Start->isVisible());
    EXPECT_EQ(Game.mGos[1].Alive + Game.mGos[2].Alive + Game.mGos[3].Alive, 0);
}

}  // namespace
}  // namespace kordalt
