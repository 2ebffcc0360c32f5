// The Internet game list: this machine's address, the account, the games that
// the game-listing server announces; it ends with 1 (create), 6 (join) or 2.
// Also the values it leaves for the session and the entry from the main menu.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/classic.h"
#include "platform/guid.h"
#include "platform/thread_ec.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kordalt {

class TExDrawGrid;
class TExSpeedButton;
class TServerQueryThread;

// What the list dialog leaves for the session (cp1251 texts).
struct TInternetChoice {
    std::string LocalAddress;  // this machine's chosen address
    std::string HostAddress;   // where to connect: LocalAddress, or the joined game's host
    std::string NetGameName;
    TGUID NetGameGUID{};  // the game's listing id
    std::string NetPlayerName;
    std::string NetPassword;
};
extern TInternetChoice InternetChoice;

// One listed game.
struct TInternetGamesUnit {
    std::string Name;
    TGUID GameId{};
    std::string Address;
    int32_t Year = 0;
    std::string Language;
    int32_t Players = 0;
};

// The list dialog's modal results.
inline constexpr int kInternetCreate = 1, kInternetClose = 2, kInternetJoin = 6;

class TInternetGames : public QDialog {
    Q_OBJECT

public:
    explicit TInternetGames(QWidget* parent = nullptr);
    ~TInternetGames() override;

    void FormShow();
    void FormClose();
    void CBAddressChange();
    void SpeedUpdateClick();
    void TimerUpdateTimer();
    void GridGameListDblClick();
    void SpeedPlayerNewClick();
    void ButNewGameClick();
    void ButJoinClick();

    void done(int result) override;

    // This machine's addresses (LocalHostAddresses by default; tests replace it).
    static std::function<bool(std::vector<std::string>&)> HostAddressSource;

    QGroupBox* GroupAddress = nullptr;
    QComboBox* CBAddress = nullptr;
    QGroupBox* GroupPlayer = nullptr;
    QLineEdit* EditName = nullptr;
    QLineEdit* EditPassword = nullptr;
    TExSpeedButton* SpeedPlayerNew = nullptr;
    QGroupBox* GroupGames = nullptr;
    TExDrawGrid* GridGameList = nullptr;
    TExSpeedButton* SpeedUpdate = nullptr;
    QPushButton* ButNewGame = nullptr;
    QPushButton* ButJoin = nullptr;
    QPushButton* btnClose = nullptr;
    QLabel* LabelCom = nullptr;
    QTimer* TimerUpdate = nullptr;

    std::unique_ptr<TServerQueryThread, TThreadEC::Deleter> ListThread;
    std::vector<TInternetGamesUnit> Games;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Localize();
    void FillAddresses();
    void ShowGameList(const std::string& reply);
    void GridGameListDrawCell(int col, int row, const TRect& rect);
    // Trims both edits; false, after the message, when either is not a valid name.
    bool TakeAccount(const QString& invalidText);
    // The game of the grid's selected row, or nullptr.
    const TInternetGamesUnit* SelectedGame() const;
};

// Opens or joins the session over TCP/IP after the list ended with kInternetCreate
// or kInternetJoin; the values above tell which game.
using TInternetGameStarter = std::function<void(int modalResult)>;

// Makes InternetGames, InternetCreateGame and InternetGameInfo where they do not exist yet.
void CreateInternetWindows();
void FreeInternetWindows();

// The main menu's Internet game: shows the list modally and, on create or join,
// hands over to `start`. Returns the list's modal result.
int RunInternetGame(const TInternetGameStarter& start);

}  // namespace kordalt
