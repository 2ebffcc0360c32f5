// The defeat and victory screen: tells a human that his state was destroyed
// or that he has won, beside the battle texts of his state from the turn report.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <vector>

class QLabel;
class QStackedWidget;
class QTextEdit;

namespace kordalt {

class TExSpeedButton;

class TProc : public QDialog {
    Q_OBJECT

public:
    // Pages of Pages.
    static constexpr int kLosePage = 0;
    static constexpr int kWinPage = 1;

    explicit TProc(QWidget* parent = nullptr);
    ~TProc() override;

    void Localize();
    void LoadGlyphs();
    // Colours the window for its page and shows BattleDefender's names and
    // battle texts.
    void FormActivate();

    // The sequences that open the window (on `Proc`; nothing is shown without
    // it): the turn banner first, then this window modally.
    static void ShowDefeat(uint8_t Gos);
    static void ShowVictory(uint8_t Gos);
    // The local game's defeat of CurrentPlayerName's state, which is
    // BattleDefender (the capture's TCaptureUi::ShowLocalDefeat).
    static void ShowLocalDefeat();

    QStackedWidget* Pages = nullptr;
    // The lose page.
    QLabel* LoseBefore = nullptr;
    QLabel* LoseStateName = nullptr;
    QLabel* LoseAfter = nullptr;
    QLabel* LosePlayerName = nullptr;
    QLabel* LoseVerdict = nullptr;
    TExSpeedButton* LoseClose = nullptr;
    // The win page.
    QLabel* WinMessage = nullptr;
    QLabel* WinGreeting = nullptr;
    QLabel* WinPlayerName = nullptr;
    QLabel* WinBanner = nullptr;
    TExSpeedButton* WinClose = nullptr;
    QTextEdit* LastBattle = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CloseClick();
    void FillLastBattle();
};

// One battle text of the turn report as the window shows it: the record's text
// up to its first "~", in its colour ($00BBGGRR).
struct TBattleLine {
    QString Text;
    uint32_t Color = 0;
};
// The battle texts (Kind 2) of state `gos`, in report order.
std::vector<TBattleLine> BattleLinesOf(uint8_t gos);
uint8_t CurrentBattleDefender();
void SetBattleDefender(uint8_t gos);

// Installs the capture interface whose local defeat opens this screen; chat
// lines still go to the interface installed before.
void InstallDefeatScreen();

}  // namespace kordalt
