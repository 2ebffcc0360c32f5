#include "ui/multi_player.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>

#include "controls/list_box.h"
#include "controls/speed_button.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/self_test.h"
#include "multiplayer/net_game.h"
#include "multiplayer/net_messages.h"
#include "multiplayer/net_senders.h"
#include "platform/ansi_text.h"
#include "ui/connect.h"
#include "ui/connect_chat.h"
#include "ui/connect_controls.h"
#include "ui/graph.h"
#include "ui/main_screen.h"
#include "ui/map_drawing.h"
#include "ui/picture_store.h"
#include "ui/proc.h"
#include "ui/screens.h"
#include "ui/ui_support.h"

namespace kordalt {

namespace {

constexpr int kFastTick = 1;
constexpr int kSlowTick = 1000;

}  // namespace

TMultiPlayer::TMultiPlayer(QWidget* parent) : QDialog(parent) {
    setObjectName("MultiPlayer");
    setFixedSize(640, 480);
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    Notebook = new QStackedWidget(this);
    Notebook->setGeometry(0, 0, 640, 480);
    auto* client = new QWidget;
    client->setObjectName("ClientWait");
    auto* server = new QWidget;
    server->setObjectName("ServerWait");
    Notebook->addWidget(client);
    Notebook->addWidget(server);
    SendingLabel = MakeLabel(client, "Label1", {120, 200, 400, 40});
    SendingLabel->setWordWrap(true);
    SendingLabel->setAlignment(Qt::AlignCenter);
    ClientSecondsLabel = MakeLabel(client, "Label2", {120, 250, 400, 20});
    ClientSecondsLabel->setAlignment(Qt::AlignCenter);
    MapImage = MakeLabel(server, "MapImage", {8, 8, 202, 202});
    MapImage->hide();
    ChroniclePane = MakePane(server, "RichEdit1", {218, 8, 414, 202});
    RichEditInWaitEOT = MakePane(server, "RichEditInWaitEOT", {8, 218, 414, 222});
    ChatInput = MakeChatInput(server, {8, 446, 414, 24}, this);
    OthersPlayLabel = MakeLabel(server, "Label3", {430, 218, 202, 40});
    OthersPlayLabel->setWordWrap(true);
    ServerSecondsLabel = MakeLabel(server, "Label4", {430, 262, 202, 20});
    PlayerList = MakePlayerList(server, {430, 288, 202, 120}, 3);
    PlayerList->SetSorted(true);
    AbortButton = new TExSpeedButton(server);
    AbortButton->setObjectName("SpeedButton1");
    AbortButton->setGeometry(430, 414, 202, 56);
    connect(AbortButton, &TExSpeedButton::OnClick, this, [this] { AbortGameClick(); });
    WaitTimer = new QTimer(this);
    WaitTimer->setObjectName("Timer1");
    WaitTimer->setInterval(kFastTick);
    connect(WaitTimer, &QTimer::timeout, this, [this] { WatchTheWait(); });
    TimerSec = new QTimer(this);
    TimerSec->setObjectName("TimerSec");
    TimerSec->setInterval(1000);
    connect(TimerSec, &QTimer::timeout, this, [this] { TimerSecTimer(); });
    SetActivationHandler(this, [this] { FormActivate(); });
    FormCreate();
}

TMultiPlayer::~TMultiPlayer() {
    if (MultiPlayer == this) MultiPlayer = nullptr;
}

void TMultiPlayer::FormCreate() {
    Localize();
    LoadGlyphs();
}

void TMultiPlayer::Localize() {
    setWindowTitle(Qs(LangText(kMultiPlayerCaption)));
    SendingLabel->setText(Qs(LangText(kMultiPlayerSending)));
    OthersPlayLabel->setText(Qs(LangText(kMultiPlayerOthersPlay)));
    AbortButton->SetCaption(Qs(LangText(kMultiPlayerAbort)));
    ApplyLanguageFont(this);
}

void TMultiPlayer::LoadGlyphs() {
    if (!PictureList) return;
    QImage glyph;
    PictureList->LoadGlyph(glyph, 13);
    AbortButton->SetGlyph(glyph);
}

void TMultiPlayer::SetPage(TPage page) { Notebook->setCurrentIndex(page); }

TMultiPlayer::TPage TMultiPlayer::Page() const { return static_cast<TPage>(Notebook->currentIndex()); }

QLabel* TMultiPlayer::SecondsLabel() const {
    return Page() == ClientWait ? ClientSecondsLabel : ServerSecondsLabel;
}

void TMultiPlayer::SetPlayers(const std::vector<std::string>& names) {
    PlayerList->Items().Clear();
    for (const std::string& name : names) PlayerList->Items().Add(Qs(name));
    // Up to three columns hold twenty names, but cut all but the shortest: no more columns than needed.
    constexpr int kMaxColumns = 3;
    const int rowHeight = std::max(1, PlayerList->ItemBounds(0).Height());
    const int rows = std::max(1, (PlayerList->height() - 2 * PlayerList->frameWidth()) / rowHeight);
    const int count = static_cast<int>(names.size());
    PlayerList->SetColumns(std::clamp((count + rows - 1) / rows, 1, kMaxColumns));
}

void TMultiPlayer::FormShow() { SecondsLabel()->clear(); }

void TMultiPlayer::FormActivate() {
    WaitSeconds = 0;
    WaitTimer->start();
    TimerSec->start();
}

void TMultiPlayer::FormClose() {
    WaitTimer->stop();
    TimerSec->stop();
    WaitTimer->setInterval(kSlowTick);
}

void TMultiPlayer::TimerSecTimer() {
    ++WaitSeconds;
    SecondsLabel()->setText(QString::number(WaitSeconds));
}

void TMultiPlayer::WatchTheWait() {
    if (Net.ExitGame != TExitGame::None) {
        done(QDialog::Rejected);
        return;
    }
    if (Page() == ClientWait) {
        if (Connect) Connect->Network.YearLoop().LoseTheGameWhenNoResultCanCome();
        if (ClientWaitDone()) done(QDialog::Accepted);
        return;
    }
    const TNetYearLoop* loop = Connect ? &Connect->Network.YearLoop() : nullptr;
    WaitDone = loop && loop->OthersWaitDone() ? 1 : 0;
    TExListBoxStrings& items = PlayerList->Items();
    for (const std::string& name : FinishedPlayerNames())
        for (int row = 0; row < items.Count(); ++row)
            if (AnsiSameText(Cs(items.Strings(row)), name)) PlayerList->SetItemChecked(row, true);
    bool allTicked = true;
    for (int row = 0; row < items.Count(); ++row) allTicked = allTicked && PlayerList->GetItemChecked(row);
    if (allTicked && !(loop && loop->ReportsAwaited())) WaitDone = 1;
    if (WaitDone == 1) done(QDialog::Accepted);
}

void TMultiPlayer::AbortGameClick() {
    if (!AskYesNo(Qs(LangText(kAbortGameQuestion)))) return;
    if (Connect) {
        if (PlayMode.GameMode == kServer)
            SendCloseGame(*Connect->Session);
        else
            SendExit(*Connect->Session);
    }
    Net.ExitGame = TExitGame::AbortedHere;
    done(kAbortResult);
}

void TMultiPlayer::ShowMapClick() {
    QPixmap picture(202, 202);
    picture.fill(Qt::white);
    if (Map) {
        QPainter canvas(&picture);
        DrawMap(canvas, TRect{1, 1, 201, 201});
    }
    MapImage->setPixmap(picture);
    MapImage->show();
}

int TMultiPlayer::RunWait(TPage page) {
    SetPage(page);
    return ExecModal(*this);
}

bool TMultiPlayer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ChatInput && event->type() == QEvent::KeyPress)
        return ChatInputKeyPress(ChatInput, static_cast<QKeyEvent*>(event), Connect);
    return QDialog::eventFilter(watched, event);
}

void TMultiPlayer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
    FormActivate();
}

void TMultiPlayer::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TMultiPlayer::reject() {
    if (isVisible()) AbortGameClick();
}

// ---- The year loop's windows ----

void TNetLoopWindows::BeginNetGame() {
    if (Main) Main->LastPage = 0;
    if (Graph) Graph->ResetGraphFilter();
}

void TNetLoopWindows::WaitForYear() {
    if (MultiPlayer) MultiPlayer->RunWait(TMultiPlayer::ClientWait);
}

TTurnResult TNetLoopWindows::PlayTurn() {
    const TTurnResult result = Main ? Main->RunTurn() : TTurnResult::Quit;
    if (Main) AlignScreensKeep(Main);
    return result;
}

void TNetLoopWindows::WaitForOthers(const std::vector<std::string>& humanNames) {
    if (!MultiPlayer) return;
    MultiPlayer->SetPlayers(humanNames);
    if (Main) Main->ShowChronicle(MultiPlayer->ChroniclePane, Game.BattleChronicle);
    MultiPlayer->ShowMapClick();
    MultiPlayer->RunWait(TMultiPlayer::ServerWait);
    AlignScreensKeep(MultiPlayer);
}

void TNetLoopWindows::ShowDefeat(uint8_t gos) {
    TProc::ShowDefeat(gos);
    TGraph::ShowModalGraph();
}

bool TNetLoopWindows::AskOthersContinue() {
    if (Game.GameOnInternet) return true;
    return AskYesNo(Qs(LangText(kServerLeavesQuestion)));
}

void TNetLoopWindows::GameLost(bool canSave) {
    const QString text = Qs(LangText(kSessionLostText));
    if (!canSave || PlayMode.IsInternetGame || !Main) {
        ShowMessageBox(TMsgType::Error, text);
        return;
    }
    if (AskYesNo(text + "\n" + Qs(LangText(kSaveBeforeLeavingQuestion)))) Main->SaveGameClick();
}

}  // namespace kordalt
