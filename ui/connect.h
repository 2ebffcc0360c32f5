// The network lobby: the players of a session meet, the server makes or loads
// a game, everyone switches ready, and the game runs from here.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "multiplayer/network_game.h"
#include "session/peer_play_qt.h"
#include "ui/main_screen.h"

class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStackedWidget;
class QTextEdit;
class QTimer;

namespace kordalt {

class TExCheckListBox;
class TExSlider;
class TExSpeedButton;
class TExSpinEdit;
class TExSwitch;

// 1 when this peer was alone in the session when it opened.
extern uint8_t LobbyHost;

class TConnect : public QDialog,
                 public INetSessionUi,
                 public INetLobbyUi,
                 public INetSendUi,
                 public TMainNetwork {
    Q_OBJECT
public:
    explicit TConnect(QWidget* parent = nullptr, IPeerPlayService& service = LoadedSessionService());
    ~TConnect() override;

    void FormCreate();
    void Localize();
    void LoadGlyphs();
    void FormShow();
    void FormHide();
    void FormClose();

    // INetSessionUi
    void SessionOpened() override;
    void SessionClosed() override;
    void PlayerJoined(const TPeerPlayPlayer& player) override;
    void PlayerLeft(const TPeerPlayPlayer& player) override;
    void SessionLost() override;
    void ShowNetError(const std::string& text) override;

    // Controls.
    void CreateMapClick();
    void ShowMapClick();
    void SendMapClick();
    void StateCountChange();
    void TurnLengthChange();
    void SendTurnDelayClick();
    void StartCheckOn();
    void StartCheckOff();
    void LeaveClick();
    void StartWhenAllReady();
    void LoadGameClick();
    void RejectDuplicateName();
    // This peer may not stay (duplicate name or address): it leaves the
    // session, then `reason` shows and the lobby closes.
    void Refuse(const QString& reason);
    // Dropping a player (server, [Debug] BreakPlayers).
    void PlayerListMouseUp(Qt::MouseButton button, int x, int y);
    void mnuOffUserPopup();
    void MenuOnClick(int index);
    bool CanBreakPlayer(const std::string& lowerName);

    // The loop runs a game from the lobby and comes back.
    void RunGame();
    // An Internet game's server reports the result to the listing server.
    void ReportGameEnd();

    // INetLobbyUi
    void ShowChatMessage(const std::string& name, const std::string& text, uint32_t colour) override;
    void SetReadyMark(const std::string& name, bool ready, int rows) override;
    bool AllReady(int rows) override;
    void MarkAllReady(int rows) override;
    void ShowTurnDelay(int minutes) override;
    void LobbyMapReceived() override;
    void BecomeServer() override;
    void ShowMapForWaiting() override;
    void ShowWaitingInfo(const std::string& text) override;
    // INetSendUi
    void ShowSendingNotice(bool visible) override;
    void ServerNotFound() override;
    // TMainNetwork
    TExitGame ExitGame() const override;
    std::vector<TSessionPlayer> SessionPlayers() const override;
    void SendAllMessage(const std::string& text, TColor color) override;
    void SendGameUpdate(int year, const std::string& language) override;

    // The session component and the queue belong to Network.
    TPeerPlay* const Session;
    TNetworkGame Network;
    TNetQueue& NetQueue;
    // Runs the network year loop with the program's windows (tests replace it).
    std::function<void(TConnect& lobby)> RunLoop;

    QLabel* Background = nullptr;
    QLabel* MapPicture = nullptr;
    QLabel* MapCaption = nullptr;
    QTextEdit* ChatPane = nullptr;
    QLineEdit* ChatInput = nullptr;
    QStackedWidget* RolePages = nullptr;  // the server's page, the client's page
    QLabel* ServerLabel = nullptr;
    QLabel* TurnLengthLabel = nullptr;
    TExSpinEdit* TurnLengthEdit = nullptr;
    QLabel* StatesLabel = nullptr;
    TExSlider* StatesSlider = nullptr;
    QLabel* CntGosCaption = nullptr;
    TExSpeedButton* CreateMap = nullptr;
    TExSpeedButton* LoadGame = nullptr;
    QLabel* ClientLabel = nullptr;
    QLabel* ClientTurnLengthLabel = nullptr;
    QLabel* ClientTurnLength = nullptr;  // as the server set it
    QTextEdit* WaitingInfo = nullptr;
    TExCheckListBox* PlayerList = nullptr;
    QLabel* PlayersLabel = nullptr;
    TExSwitch* StartCheck = nullptr;
    QFrame* StartShape = nullptr;
    TExSpeedButton* LeaveButton = nullptr;
    QTimer* ReadyTimer = nullptr;  // starts the game once everyone is ready
    QMenu* mnuOffUser = nullptr;
    // The open handler refused this peer (duplicate name or address); the lobby closes.
    bool Refused = false;
    // A game hid the lobby and showed it again.
    bool reshow_ = false;

protected:
    TConnect(QWidget* parent, std::unique_ptr<TPeerPlay> peer);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void done(int result) override;

private:
    void BuildControls();
    void ColourStartCheck(TColor colour);
    // States dealt at random to the session's players; false (with a message)
    // when there are fewer free states than players.
    bool DealStates();
    int LeaverRow(const TPeerPlayPlayer& player);
    bool closing_ = false;
};

// While alive, the game's notices (victory, a state overthrown) go to the chat.
class ScopedCaptureChat {
public:
    ScopedCaptureChat();
    ~ScopedCaptureChat();
    ScopedCaptureChat(const ScopedCaptureChat&) = delete;
    ScopedCaptureChat& operator=(const ScopedCaptureChat&) = delete;
};

// Makes Connect, MultiPlayer and DopInfo where they do not exist yet.
void CreateNetworkWindows();
// Shows the lobby of Connect's open session modally until it closes.
void ShowLobby();
// Opens a session through the connection wizard (or the command-line launch)
// and shows the lobby. Exceptions of the opening pass to the caller.
void RunNetworkGame();

}  // namespace kordalt
