#include "ui/connect.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "controls/classic.h"
#include "controls/list_box.h"
#include "controls/slider.h"
#include "controls/speed_button.h"
#include "controls/spin_edit.h"
#include "controls/switch.h"
#include "game/fronts.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/player_actions.h"
#include "game/random.h"
#include "game/saved_game.h"
#include "game/seats.h"
#include "game/self_test.h"
#include "game/squares.h"
#include "multiplayer/net_codes.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_game_loop.h"
#include "multiplayer/net_messages.h"
#include "multiplayer/player_addresses.h"
#include "multiplayer/web_protocol.h"
#include "platform/ansi_text.h"
#include "platform/format.h"
#include "platform/guid.h"
#include "session/com_ptr.h"
#include "session/peer_loader.h"
#include "ui/connect_chat.h"
#include "ui/connect_controls.h"
#include "ui/dop_info.h"
#include "ui/help_window.h"
#include "ui/internet_games.h"
#include "ui/internet_support.h"
#include "ui/main_menu.h"
#include "ui/map_drawing.h"
#include "ui/multi_player.h"
#include "ui/picture_store.h"
#include "ui/screens.h"
#include "ui/start.h"
#include "ui/ui_support.h"

namespace kordalt {

uint8_t LobbyHost = 0;

void InstallCaptureChat(bool on);

void ConnectSendAllMessage(const std::string& text, uint32_t colour) {
    if (Connect) Connect->SendAllMessage(text, colour);
}

ScopedCaptureChat::ScopedCaptureChat() { InstallCaptureChat(true); }
ScopedCaptureChat::~ScopedCaptureChat() { InstallCaptureChat(false); }

namespace {

constexpr TColor kReadyColour = 0xFF8080;
constexpr int kLobbyHelpTopic = 20;

// A spin edit or slider of the server's page, with its range and first value.
template <class Control>
Control* MakeRangeControl(QWidget* parent, const char* name, const QRect& r, int min, int max, int value) {
    auto* control = MakeControl<Control>(parent, name, r);
    control->SetMinValue(min);
    control->SetMaxValue(max);
    control->SetValue(value);
    return control;
}

QString StyleColour(TColor c) { return ToQColor(c).name(); }

std::string Formatted(TText text, const std::string& arg) { return FormatText(LangText(text), {arg}); }

// The game's id in the listing server's requests.
std::string GameId() { return GUIDToStr(InternetChoice.NetGameGUID); }

std::string LanguageName() { return LangText(kWebLanguage); }

// The server of an Internet game tells the listing server.
bool ListedServer() { return PlayMode.IsInternetGame && PlayMode.GameMode == kServer; }

}  // namespace

TConnect::TConnect(QWidget* parent, IPeerPlayService& service)
    : TConnect(parent, std::make_unique<TPeerPlay>(nullptr, service)) {}

TConnect::TConnect(QWidget* parent, std::unique_ptr<TPeerPlay> peer)
    : QDialog(parent),
      Session(peer.get()),
      Network(std::move(peer), *this, *this, *this),
      NetQueue(Network.Queue()) {
    setObjectName("Connect");
    setFixedSize(640, 480);
    RunLoop = [](TConnect& lobby) {
        TNetLoopWindows windows;
        lobby.Network.PlayYears(windows);
    };
    BuildControls();
    InstallHelpKey(this, kLobbyHelpTopic);
    FormCreate();
}

TConnect::~TConnect() {
    if (Connect == this) Connect = nullptr;
}

void TConnect::BuildControls() {
    Background = MakeLabel(this, "Image2", rect());
    Background->setScaledContents(true);
    MapPicture = MakeLabel(this, "Image1", {8, 8, 300, 300});
    MapPicture->hide();
    MapCaption = MakeLabel(this, "MapCaption", {8, 8, 300, 300});
    MapCaption->setAlignment(Qt::AlignCenter);
    QFont big = MapCaption->font();
    big.setPointSize(20);
    big.setBold(true);
    MapCaption->setFont(big);
    // The chat takes the map's width: the player list lies to its right.
    ChatPane = MakePane(this, "RichEdit1", {8, 316, 300, 128});
    ChatInput = MakeChatInput(this, {8, 448, 300, 24}, this);

    RolePages = new QStackedWidget(this);
    RolePages->setObjectName("Notebook1");
    RolePages->setGeometry(316, 8, 316, 170);
    auto* serverPage = new QWidget;
    serverPage->setObjectName("Server");
    auto* clientPage = new QWidget;
    clientPage->setObjectName("Client");
    RolePages->addWidget(serverPage);
    RolePages->addWidget(clientPage);
    ServerLabel = MakeLabel(serverPage, "Label4", {0, 0, 316, 20});
    TurnLengthLabel = MakeLabel(serverPage, "Label1", {0, 24, 240, 20});
    TurnLengthEdit = MakeRangeControl<TExSpinEdit>(serverPage, "SpinEdit1", {248, 22, 60, 22}, 0, 10, 2);
    TurnLengthEdit->SetEditorEnabled(false);
    connect(TurnLengthEdit, &TExSpinEdit::OnChange, this, [this] { TurnLengthChange(); });
    StatesLabel = MakeLabel(serverPage, "Label6", {0, 52, 200, 20});
    CntGosCaption = MakeLabel(serverPage, "CntGosCaption", {248, 52, 60, 20});
    StatesSlider = MakeRangeControl<TExSlider>(serverPage, "ExSlider1", {0, 74, 308, 30}, 2, 20, 20);
    connect(StatesSlider, &TExSlider::OnChange, this, [this] { StateCountChange(); });
    CreateMap = MakeControl<TExSpeedButton>(serverPage, "CreateMap", {0, 110, 150, 56});
    connect(CreateMap, &TExSpeedButton::OnClick, this, [this] { CreateMapClick(); });
    LoadGame = MakeControl<TExSpeedButton>(serverPage, "LoadGame", {158, 110, 150, 56});
    connect(LoadGame, &TExSpeedButton::OnClick, this, [this] { LoadGameClick(); });
    ClientLabel = MakeLabel(clientPage, "Label5", {0, 0, 316, 20});
    ClientTurnLengthLabel = MakeLabel(clientPage, "Label2", {0, 24, 240, 20});
    ClientTurnLength = MakeLabel(clientPage, "Label3", {248, 24, 60, 20});
    ClientTurnLength->setStyleSheet("color: #b00000");  // a red that stands out from the map
    WaitingInfo = MakePane(clientPage, "RichEdit4", {0, 50, 316, 116});

    PlayersLabel = MakeLabel(this, "Label9", {316, 184, 316, 20});
    PlayerList = MakePlayerList(this, {316, 206, 316, 150}, 2);
    // Clicks fall through to the picture beneath (the drop-player menu).
    PlayerList->setAttribute(Qt::WA_TransparentForMouseEvents);
    mnuOffUser = new QMenu(this);
    mnuOffUser->setObjectName("mnuOffUser");
    StartShape = new QFrame(this);
    StartShape->setObjectName("StartShape");
    StartShape->setGeometry(400, 376, 70, 90);
    StartCheck = new TExSwitch(StartShape);
    StartCheck->setObjectName("StartCheck");
    StartCheck->setGeometry(10, 10, 50, 70);
    StartCheck->SetTextPosition(tpAbove);
    connect(StartCheck, &TExSwitch::OnClick, this, [] { MainState.AutoPass = 0; });
    connect(StartCheck, &TExSwitch::OnOn, this, [this] { StartCheckOn(); });
    connect(StartCheck, &TExSwitch::OnOff, this, [this] { StartCheckOff(); });
    LeaveButton = MakeControl<TExSpeedButton>(this, "SpeedButton1", {482, 414, 150, 58});
    connect(LeaveButton, &TExSpeedButton::OnClick, this, [this] { LeaveClick(); });
    ReadyTimer = new QTimer(this);
    ReadyTimer->setObjectName("Timer1");
    ReadyTimer->setInterval(1);
    connect(ReadyTimer, &QTimer::timeout, this, [this] { StartWhenAllReady(); });
}

void TConnect::FormCreate() {
    if (Start && Start->SetupBackground)
        Background->setPixmap(QPixmap::fromImage(Start->SetupBackground->Picture));
    Localize();
    LoadGlyphs();
}

void TConnect::Localize() {
    setWindowTitle(Qs(LangText(kLobbyCaption)));
    LeaveButton->SetCaption(Qs(LangText(kLobbyExit)));
    CreateMap->SetCaption(Qs(LangText(kLobbyNewGame)));
    LoadGame->SetCaption(Qs(LangText(kLobbyLoadGame)));
    StartCheck->SetCaption(Qs(LangText(kLobbyReady)));
    ChatInput->setText(Qs(LangText(kLobbyGreeting)));
    MapCaption->setText(Qs(LangText(kLobbyMap)));
    ServerLabel->setText(Qs(LangText(kLobbyServer)));
    TurnLengthLabel->setText(Qs(LangText(kLobbyTurnLength)));
    ClientTurnLengthLabel->setText(TurnLengthLabel->text());
    StatesLabel->setText(Qs(LangText(kLobbyStates)));
    ClientLabel->setText(Qs(LangText(kLobbyClient)));
    PlayersLabel->setText(Qs(LangText(kLobbyPlayers)));
    ApplyLanguageFont(this);
}

void TConnect::LoadGlyphs() {
    if (!PictureList) return;
    for (auto [button, index] : {std::pair{CreateMap, 7}, {LoadGame, 8}, {LeaveButton, 13}}) {
        QImage glyph;
        PictureList->LoadGlyph(glyph, index);
        button->SetGlyph(glyph);
    }
}

void TConnect::ColourStartCheck(TColor colour) {
    StartCheck->SetColor(colour);
    StartShape->setStyleSheet("QFrame#StartShape { background: " + StyleColour(colour) +
                              "; border-radius: 22px; }");
}

void TConnect::FormShow() {
    if (ListedServer())
        QueryServerAsync(InternetServer,
                         GameUpdateRequest(GameId(), InternetChoice.LocalAddress, 0, LanguageName()));
    if (MultiPlayer) MultiPlayer->WaitTimer->setInterval(1);
    StartCheck->setEnabled(false);
    ColourStartCheck(clBtnFace);
    MapPicture->hide();
    StatesSlider->SetMinValue(2);
    StatesSlider->SetMaxValue(20);
    StatesSlider->SetValue(20);
    CntGosCaption->setText("20");
    RolePages->setCurrentIndex(PlayMode.GameMode == kNetworkClient ? 1 : 0);
    if (PlayMode.GameMode != kNetworkClient) TurnLengthChange();
    Net.AcceptHalfInf = 0;
    Net.AcceptFullInf = 0;
    ReadyTimer->start();
}

void TConnect::FormHide() { ReadyTimer->stop(); }

void TConnect::FormClose() {
    if (PlayMode.GameMode == kServer && Session->Players().Count() > 1) {
        SendServerRight(*Session);
        PlayMode.GameMode = kNetworkClient;
    }
    Session->Close();
}

// ---- Session events ----

void TConnect::SessionOpened() {
    Refused = false;
    LobbyHost = PlayMode.GameMode == kServer ? 1 : 0;
    PlayerList->Items().Clear();
    ChatPane->clear();
    AppendChatLine(ChatPane, Qs(LangText(kChatFirstLine)), clBlack, false, kLobbyChatLines);
    if (PlayMode.IsInternetGame && AddressTaken(*Session)) {
        SendAllMessage(LangText(kAddressNotUniqueNotice), clOlive);
        Refuse(Qs(LangText(kAddressNotUnique)));
        return;
    }
    const TPeerPlayPlayer* own = Session->LocalPlayer();
    for (int i = 0; i < Session->Players().Count(); ++i) {
        const TPeerPlayPlayer& p = Session->Players().GetItem(i);
        PlayerList->Items().Add(Qs(p.Name));
        if (p.Remote && own && AnsiSameText(p.Name, own->Name)) {
            RejectDuplicateName();
            return;
        }
        if (&p == own)
            AppendChatLine(ChatPane, Qs(Formatted(kChatGreeting, p.Name)), clGreen, false, kLobbyChatLines);
    }
    SendAllMessage(Formatted(kPlayerJoined, kGameVersion), clBlue);
    if (PlayMode.IsInternetGame && own)
        QueryServerAsync(InternetServer, GameUserUpdateRequest(GameId(), own->Name));
}

// The session cannot close inside its own opening: right after it, the
// refused player leaves, and only then reads why.
void TConnect::Refuse(const QString& reason) {
    Refused = true;
    QTimer::singleShot(0, this, [this, reason] {
        Session->Close();
        ShowMessageBox(TMsgType::Warning, reason);
        reject();
    });
}

void TConnect::RejectDuplicateName() {
    SendAllMessage(LangText(kNameTakenNotice), clOlive);
    Refuse(Qs(LangText(kNameTaken)));
}

void TConnect::SessionClosed() {
    if (ListedServer()) QueryServerAsync(InternetServer, GameDestroyRequest(GameId()));
}

void TConnect::PlayerJoined(const TPeerPlayPlayer& player) {
    if (player.Remote) PlayerList->Items().Add(Qs(player.Name));
    if (LobbyHost != 1 || Net.GameRunning != 0) return;
    if (StartCheck->isEnabled()) SendMapClick();
    // Also before the map: who joined then would never learn the turn duration otherwise.
    SendTurnDelayClick();
}

void TConnect::PlayerLeft(const TPeerPlayPlayer& player) {
    if (PlayMode.IsInternetGame) {
        int sameName = 0;
        for (int i = 0; i < Session->Players().Count(); ++i)
            sameName += Session->Players().GetItem(i).Name == player.Name ? 1 : 0;
        if (sameName == 1) QueryServerAsync(InternetServer, GameUserDeleteRequest(GameId(), player.Name));
    }
    if (const int row = LeaverRow(player); row >= 0) PlayerList->Items().Delete(row);
    ShowChatMessage(player.Name, LangText(kPlayerLeftSession), clNavy);
}

// The rows follow the session's player list: his row is at his index there,
// else the first with exactly his name; -1 when none.
int TConnect::LeaverRow(const TPeerPlayPlayer& player) {
    const TExListBoxStrings& items = PlayerList->Items();
    auto his = [&](int row) {
        return row >= 0 && row < items.Count() && Cs(items.Strings(row)) == player.Name;
    };
    if (const int at = Session->Players().IndexOf(player.ID); his(at)) return at;
    for (int row = 0; row < items.Count(); ++row)
        if (his(row)) return row;
    return -1;
}

void TConnect::SessionLost() {
    // During a game the year loop says it, with the offer to save.
    if (!Net.GameRunning) ShowMessageBox(TMsgType::Error, Qs(LangText(kSessionLostText)));
}

void TConnect::ShowNetError(const std::string& text) { ShowMessageBox(TMsgType::Error, Qs(text)); }

// ---- Map, turn duration, ready switch ----

void TConnect::CreateMapClick() {
    MainState.AutoPass = 0;
    StartCheck->setEnabled(true);
    ColourStartCheck(kReadyColour);
    SetMapShape(StatesSlider->Value(), 100);
    MapPicture->hide();
    const QString caption = MapCaption->text();
    MapCaption->setText(Qs(LangText(kGeneratingMap)));
    MapCaption->repaint();
    GenerateNewGame();
    SetDifficultyLevel(1);
    MapCaption->setText(caption);
    ShowMapClick();
    SendAllMessage(Formatted(kNewMapNotice, kGameVersion), clBlack);
    SendMapClick();
}

void TConnect::ShowMapClick() {
    QPixmap picture(302, 302);
    picture.fill(Qt::white);
    if (Map) {
        QPainter canvas(&picture);
        DrawMapPreview(canvas, TRect{1, 1, 301, 301});
    }
    MapPicture->setPixmap(picture);
    MapPicture->raise();
    MapPicture->show();
}

void TConnect::SendMapClick() {
    if (Map && Session->Opened()) SendMap(*Session);
}

void TConnect::StateCountChange() { CntGosCaption->setText(QString::number(StatesSlider->Value())); }

void TConnect::TurnLengthChange() {
    PlayMode.TurnMinutes = TurnLengthEdit->GetSpinIntValue();
    SendTurnDelayClick();
}

void TConnect::SendTurnDelayClick() {
    if (Session->Opened()) SendTurnDelay(*Session, PlayMode.TurnMinutes);
}

void TConnect::StartCheckOn() {
    StartCheck->SetFontColor(clRed);
    SendStartNewGame(*Session, true);
}

void TConnect::StartCheckOff() {
    StartCheck->SetFontColor(clBlack);
    SendStartNewGame(*Session, false);
}

void TConnect::LeaveClick() { reject(); }

// ---- INetLobbyUi ----

void TConnect::ShowChatMessage(const std::string& name, const std::string& text, uint32_t colour) {
    ShowChatLine(ChatPane, Session->LocalPlayer() ? Session->LocalPlayer()->Name : "", name, text, colour);
}

void TConnect::SetReadyMark(const std::string& name, bool ready, int rows) {
    TExListBoxStrings& items = PlayerList->Items();
    for (int row = 0; row < std::min(rows, items.Count()); ++row)
        if (AnsiSameText(Cs(items.Strings(row)), name)) PlayerList->SetItemChecked(row, ready);
}

bool TConnect::AllReady(int rows) {
    if (rows > PlayerList->Items().Count()) return false;
    for (int row = 0; row < rows; ++row)
        if (!PlayerList->GetItemChecked(row)) return false;
    return true;
}

void TConnect::MarkAllReady(int rows) {
    for (int row = 0; row < std::min(rows, PlayerList->Items().Count()); ++row)
        PlayerList->SetItemChecked(row, true);
}

void TConnect::ShowTurnDelay(int minutes) { ClientTurnLength->setText(QString::number(minutes)); }

void TConnect::LobbyMapReceived() {
    ShowMapClick();
    StartCheck->setEnabled(true);
    ColourStartCheck(kReadyColour);
    StartCheck->SetStateOn(false);
}

void TConnect::BecomeServer() { RolePages->setCurrentIndex(0); }

void TConnect::ShowMapForWaiting() { ShowMapClick(); }

void TConnect::ShowWaitingInfo(const std::string& text) {
    WaitingInfo->clear();
    if (!text.empty()) WaitingInfo->setPlainText(Qs(text));
}

// ---- INetSendUi ----

void TConnect::ShowSendingNotice(bool visible) {
    if (!DopInfo) return;
    if (visible)
        DopInfo->ShowNotice();
    else
        DopInfo->hide();
}

void TConnect::ServerNotFound() {
    ShowMessageBox(TMsgType::Error, "Error. Server not found.");
    if (MultiPlayer && MultiPlayer->isVisible()) MultiPlayer->CloseWait();
}

// ---- TMainNetwork ----

TExitGame TConnect::ExitGame() const { return Net.ExitGame; }

std::vector<TMainNetwork::TSessionPlayer> TConnect::SessionPlayers() const {
    std::vector<TSessionPlayer> players;
    for (int i = 0; i < Session->Players().Count(); ++i) {
        const TPeerPlayPlayer& p = Session->Players().GetItem(i);
        players.push_back({p.ID, p.Name});
    }
    return players;
}

void TConnect::SendAllMessage(const std::string& text, TColor color) {
    if (Session->Opened()) kordalt::SendAllMessage(*Session, text, color);
}

void TConnect::SendGameUpdate(int year, const std::string& language) {
    QueryServerAsync(InternetServer,
                     GameUpdateRequest(GameId(), InternetChoice.LocalAddress, year, language));
}

// ---- Game start ----

bool TConnect::DealStates() {
    if (Map && DealNetStates(*Session)) return true;
    ShowMessageBox(TMsgType::Warning, QString::fromUtf8(kFewerFreeStatesThanPlayers));
    return false;
}

void TConnect::StartWhenAllReady() {
    const bool ready = AllReady(Session->Players().Count()) && Session->Players().Count() > 0;
    KeepYearMessagesForTheRun(NetQueue, ready);
    if (!ready) return;
    ReadyTimer->stop();
    AlignScreens(this);
    PreviousScreen = nullptr;
    if (PlayMode.GameMode != kNetworkClient && !DealStates()) {
        StartCheck->SetStateOn(false);
        ReadyTimer->start();
        return;
    }
    RunGame();
}

void TConnect::RunGame() {
    reshow_ = true;
    hide();
    Network.RunGame([this] {
        ScopedCaptureChat chat;
        TMainNetwork* previous = SetMainNetwork(this);
        RunLoop(*this);
        SetMainNetwork(previous);
    });
    ReportGameEnd();
    if (Net.ServerLost) {
        Session->Close();
        reshow_ = false;
        reject();
        return;
    }
    show();
    // Back in the lobby: nobody ready, the timer waits for the next game.
    MapPicture->hide();
    StartCheck->SetStateOn(false);
    for (int row = 0; row < PlayerList->Items().Count(); ++row) PlayerList->SetItemChecked(row, false);
    ReadyTimer->start();
}

void TConnect::LoadGameClick() {
    MainState.AutoPass = 0;
    MapPicture->hide();
    StartCheck->SetStateOn(false);
    StartCheck->setEnabled(false);
    ColourStartCheck(clBtnFace);
    if (!kordalt::LoadGame()) return;
    const int humans = CountHumanStates();
    std::string listA, listB;
    int k = 0, kb = 0;
    for (int i = 1; i <= Game.GosCount; ++i) {
        const TGosRec& g = Game.mGos[i];
        if (g.Player != 0 && g.Alive != 0)
            listA += std::to_string(++k) + ". " + g.PlayerName.Str() + "\r";
        else if (g.Alive != 0 && !g.PlayerName.Str().empty() && g.Player == 0)
            listB += std::to_string(++kb) + ". " + g.PlayerName.Str() + "\r";
    }
    std::string text = LangText(kSavedGamePlayers) + listA;
    if (!listB.empty()) text += LangText(kSavedGameLeftPlayers) + listB;
    const int matches = SeatSessionPlayers(*Session);
    if (matches != Session->Players().Count() || matches != humans) {
        ShowMessageBox(TMsgType::Information, Qs(text));
        bool ownSaved = false;
        const std::string own = Session->LocalPlayer() ? Session->LocalPlayer()->Name : "";
        for (int i = 1; i <= Game.GosCount; ++i)
            ownSaved = ownSaved || AnsiSameText(Game.mGos[i].PlayerName.Str(), own);
        if (!ownSaved || !AskYesNo(Qs(LangText(kPlayersDifferQuestion)))) return;
    }
    SendAllLoadGame(*Session);
    ReadyTimer->stop();
    RunGame();
}

// ---- Dropping a player ----

namespace {

bool BreakPlayersOption() { return LanguageFile && LanguageFile->ReadBool("Debug", "BreakPlayers", false); }

}  // namespace

void TConnect::PlayerListMouseUp(Qt::MouseButton button, int x, int y) {
    if (button != Qt::RightButton || PlayMode.GameMode != kServer || !BreakPlayersOption()) return;
    if (!IsPointInRect(QPoint(x, y), TRect::FromQRect(PlayerList->geometry()))) return;
    mnuOffUserPopup();
    if (!mnuOffUser->isEmpty()) mnuOffUser->popup(mapToGlobal(QPoint(x, y)));
}

void TConnect::mnuOffUserPopup() {
    mnuOffUser->clear();
    if (PlayMode.GameMode != kServer || !BreakPlayersOption()) return;
    const std::string own = Session->LocalPlayer() ? Session->LocalPlayer()->Name : "";
    for (int i = 0; i < Session->Players().Count(); ++i) {
        const std::string name = Session->Players().GetItem(i).Name;
        if (AnsiSameText(name, own) || !CanBreakPlayer(AnsiLowerCase(name))) continue;
        QAction* item = mnuOffUser->addAction(Qs(Formatted(kLobbyDisconnect, name)));
        connect(item, &QAction::triggered, this, [this, i] { MenuOnClick(i); });
    }
}

void TConnect::MenuOnClick(int index) {
    if (index < 0 || index >= Session->Players().Count() || !Session->DirectPlay()) return;
    const TPeerPlayPlayer& player = Session->Players().GetItem(index);
    SendAllMessage(Formatted(kLobbyDisconnected, player.Name), clBlue);
    Session->DirectPlay()->DestroyPlayer(player.ID);
}

bool TConnect::CanBreakPlayer(const std::string& lowerName) {
    if (!ListedServer()) return true;
    std::string reply;
    return AskListingServer(CanBreakPlayerRequest(GameId(), lowerName), reply) && CanBreakPlayerReply(reply);
}

void TConnect::ReportGameEnd() {
    if (!PlayMode.IsInternetGame || PlayMode.GameMode == kNetworkClient) return;
    EndUndecidedGame();
    SendGameEnd(InternetServer, GameEndRequest(Game, Net.ExitGame == TExitGame::ClosedByServer),
                [] { return AskYesNo(Qs(LangText(kRetryEndReport))); });
}

// ---- Window ----

void TConnect::mouseReleaseEvent(QMouseEvent* event) {
    PlayerListMouseUp(event->button(), event->position().toPoint().x(), event->position().toPoint().y());
    QDialog::mouseReleaseEvent(event);
}

bool TConnect::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ChatInput && event->type() == QEvent::KeyPress)
        return ChatInputKeyPress(ChatInput, static_cast<QKeyEvent*>(event), this);
    return QDialog::eventFilter(watched, event);
}

void TConnect::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TConnect::hideEvent(QHideEvent* event) {
    FormHide();
    QDialog::hideEvent(event);
}

void TConnect::done(int result) {
    if (!closing_) {
        closing_ = true;
        FormClose();
        closing_ = false;
    }
    QDialog::done(result);
}

void CreateNetworkWindows() {
    if (!Connect) Connect = new TConnect(TopWindow());
    if (!MultiPlayer) MultiPlayer = new TMultiPlayer(TopWindow());
    if (!DopInfo) DopInfo = new TDopInfo(TopWindow());
}

void ShowLobby() {
    if (!Connect || Connect->Refused || !Connect->Session->Opened()) return;
    // Hiding the lobby for a game ends its modal loop; it goes on afterwards.
    do {
        Connect->reshow_ = false;
        ExecModal(*Connect);
    } while (Connect->reshow_ && Connect->isVisible());
}

void RunNetworkGame() {
    CreateNetworkWindows();
    Connect->Session->Open();
    ShowLobby();
}

}  // namespace kordalt
