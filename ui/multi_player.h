// The waiting window of a network game: a client waits for the year's result
// (page ClientWait), every peer waits for the others' turns (page ServerWait).
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "game/game_windows.h"
#include "multiplayer/net_game_loop.h"

class QLabel;
class QLineEdit;
class QStackedWidget;
class QTextEdit;
class QTimer;

namespace kordalt {

class TExCheckListBox;
class TExSpeedButton;

// The modal result of the abort button.
constexpr int kAbortResult = 3;

class TMultiPlayer : public QDialog {
    Q_OBJECT
public:
    enum TPage { ClientWait = 0, ServerWait = 1 };

    explicit TMultiPlayer(QWidget* parent = nullptr);
    ~TMultiPlayer() override;

    void FormCreate();
    void Localize();
    void LoadGlyphs();
    void FormShow();
    void FormActivate();
    void FormClose();
    void WatchTheWait();
    void TimerSecTimer();
    void AbortGameClick();
    void ShowMapClick();

    void SetPage(TPage page);
    TPage Page() const;
    // Page ServerWait: the humans' names, sorted, none ticked.
    void SetPlayers(const std::vector<std::string>& names);
    // Shows the page modally until its awaited thing happened; the modal result.
    int RunWait(TPage page);
    // Ends the wait without its awaited thing (the server was not found).
    void CloseWait() { done(QDialog::Rejected); }

    uint8_t WaitDone = 0;
    int WaitSeconds = 0;

    QStackedWidget* Notebook = nullptr;
    QLabel* SendingLabel = nullptr;
    QLabel* ClientSecondsLabel = nullptr;
    QLabel* MapImage = nullptr;
    QTextEdit* ChroniclePane = nullptr;  // the battles' chronicle
    QTextEdit* RichEditInWaitEOT = nullptr;
    QLineEdit* ChatInput = nullptr;
    QLabel* OthersPlayLabel = nullptr;
    QLabel* ServerSecondsLabel = nullptr;
    TExCheckListBox* PlayerList = nullptr;
    TExSpeedButton* AbortButton = nullptr;
    QTimer* WaitTimer = nullptr;  // watches for the awaited thing
    QTimer* TimerSec = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    // Escape and the close box ask to leave the game, as the abort button does.
    void reject() override;

private:
    QLabel* SecondsLabel() const;
};

// The network year loop's windows: the waiting window, the main game screen,
// the defeat screen and the charts.
class TNetLoopWindows final : public INetLoopUi {
public:
    void BeginNetGame() override;
    void WaitForYear() override;
    TTurnResult PlayTurn() override;
    void WaitForOthers(const std::vector<std::string>& humanNames) override;
    void ShowDefeat(uint8_t gos) override;
    bool AskOthersContinue() override;
    void GameLost(bool canSave) override;
};

}  // namespace kordalt
