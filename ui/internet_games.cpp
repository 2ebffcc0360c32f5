#include "ui/internet_games.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "controls/draw_grid.h"
#include "controls/speed_button.h"
#include "game/language_file.h"
#include "multiplayer/web_protocol.h"
#include "platform/host_address.h"
#include "platform/support.h"
#include "ui/internet_create_game.h"
#include "ui/internet_game_info.h"
#include "ui/internet_support.h"
#include "ui/screens.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {

TInternetChoice InternetChoice;

std::function<bool(std::vector<std::string>&)> TInternetGames::HostAddressSource = LocalHostAddresses;

namespace {

constexpr int kWidth = 415, kHeight = 336;
constexpr int kPollMs = 300;
constexpr char kLoopback[] = "127.0.0.1";

QString GroupCaption(TText text) {
    return QStringLiteral("   ") + Qs(LangText(text)) + QStringLiteral("   ");
}

// The listed games, or false when a record is incomplete or its id is not a GUID.
bool ReadGames(const std::string& reply, std::vector<TInternetGamesUnit>& games) {
    std::vector<NetGameInfo> infos;
    if (!ParseGameList(reply, infos)) return false;
    try {
        for (const NetGameInfo& g : infos)
            games.push_back({g.Name, StrToGUID(g.Id), g.Address, g.Year, g.Language, g.PlayerCount});
    } catch (const ECError&) {
        games.clear();
        return false;
    }
    return true;
}

// A control of the window, named and placed.
template <class T>
T* NewControl(QWidget* parent, const char* name, QRect geometry) {
    auto* control = new T(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

QLabel* NewLabel(QWidget* parent, const char* text, QRect geometry) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

TInternetGames::TInternetGames(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("InternetGames"));
    setWindowTitle(QString::fromUtf8(kInternetGamesCaption));
    setFixedSize(kWidth, kHeight);

    GroupAddress = NewControl<QGroupBox>(this, "GroupAddress", {8, 4, 190, 100});
    CBAddress = NewControl<QComboBox>(GroupAddress, "CBAddress", {10, 30, 170, 24});
    connect(CBAddress, &QComboBox::activated, this, [this] { CBAddressChange(); });

    GroupPlayer = NewControl<QGroupBox>(this, "GroupPlayer", {206, 4, 201, 100});
    NewLabel(GroupPlayer, kInternetNameLabel, {8, 22, 50, 18});
    EditName = NewControl<QLineEdit>(GroupPlayer, "EditName", {62, 20, 130, 22});
    EditName->setMaxLength(12);
    NewLabel(GroupPlayer, kInternetPasswordLabel, {8, 48, 50, 18});
    EditPassword = NewControl<QLineEdit>(GroupPlayer, "EditPassword", {62, 46, 130, 22});
    EditPassword->setMaxLength(15);
    EditPassword->setEchoMode(QLineEdit::Password);
    SpeedPlayerNew = NewControl<TExSpeedButton>(GroupPlayer, "SpeedPlayerNew", {62, 72, 130, 22});
    connect(SpeedPlayerNew, &TExSpeedButton::OnClick, this, [this] { SpeedPlayerNewClick(); });

    GroupGames = NewControl<QGroupBox>(this, "GroupGames", {8, 108, 399, 186});
    GridGameList = NewControl<TExDrawGrid>(GroupGames, "GridGameList", {8, 20, 383, 126});
    GridGameList->SetColCount(4);
    GridGameList->SetFixedCols(0);
    GridGameList->SetRowCount(2);
    GridGameList->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect);
    const int widths[] = {32, 110, 64, 60};  // the players' column fits its title
    for (int c = 0; c < 4; ++c) GridGameList->SetColWidths(c, widths[c]);
    GridGameList->OnDrawCell = [this](TExDrawGrid*, int col, int row, const TRect& rect, TGridDrawState) {
        GridGameListDrawCell(col, row, rect);
    };
    connect(GridGameList, &TExDrawGrid::OnDblClick, this, [this] { GridGameListDblClick(); });
    SpeedUpdate = NewControl<TExSpeedButton>(GroupGames, "SpeedUpdate", {8, 154, 100, 24});
    connect(SpeedUpdate, &TExSpeedButton::OnClick, this, [this] { SpeedUpdateClick(); });
    LabelCom = NewControl<QLabel>(GroupGames, "LabelCom", {116, 158, 275, 18});

    ButNewGame = NewControl<QPushButton>(this, "ButNewGame", {8, 302, 120, 26});
    connect(ButNewGame, &QPushButton::clicked, this, [this] { ButNewGameClick(); });
    ButJoin = NewControl<QPushButton>(this, "ButJoin", {136, 302, 120, 26});
    connect(ButJoin, &QPushButton::clicked, this, [this] { ButJoinClick(); });
    btnClose = NewControl<QPushButton>(this, "btnClose", {287, 302, 120, 26});
    connect(btnClose, &QPushButton::clicked, this, [this] { done(kInternetClose); });
    SpeedPlayerNew->hide();
    ButNewGame->hide();
    ButJoin->hide();

    TimerUpdate = new QTimer(this);
    TimerUpdate->setObjectName(QStringLiteral("TimerUpdate"));
    TimerUpdate->setInterval(kPollMs);
    connect(TimerUpdate, &QTimer::timeout, this, [this] { TimerUpdateTimer(); });
}

TInternetGames::~TInternetGames() = default;

void TInternetGames::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TInternetGames::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TInternetGames::Localize() {
    GroupAddress->setTitle(GroupCaption(kInternetAddress));
    GroupPlayer->setTitle(GroupCaption(kInternetAccount));
    GroupGames->setTitle(GroupCaption(kInternetGames));
    SpeedPlayerNew->SetCaption(Qs(LangText(kInternetRegisterButton)));
    SpeedUpdate->SetCaption(Qs(LangText(kInternetUpdateButton)));
    ButNewGame->setText(Qs(LangText(kInternetCreateGameButton)));
    ButJoin->setText(Qs(LangText(kInternetJoinButton)));
    btnClose->setText(Qs(LangText(kInternetCloseButton)));
    ApplyLanguageFont(this);
}

void TInternetGames::FormShow() {
    const QString stored =
        LanguageFile ? Qs(LanguageFile->ReadString("Preferences", "PlayerName", "")).trimmed() : QString();
    if (!stored.isEmpty() && EditName->text().isEmpty()) EditName->setText(stored);
    Localize();
    FillAddresses();
}

void TInternetGames::FillAddresses() {
    CBAddress->clear();
    std::vector<std::string> addresses;
    if (!HostAddressSource || !HostAddressSource(addresses)) return;
    if (addresses.empty() || addresses.front() != kLoopback) addresses.insert(addresses.begin(), kLoopback);
    for (const std::string& address : addresses) CBAddress->addItem(Qs(address));
    CBAddress->setCurrentIndex(CBAddress->count() - 1);
    InternetChoice.LocalAddress = addresses.back();
    SpeedUpdateClick();
}

void TInternetGames::CBAddressChange() { InternetChoice.LocalAddress = Cs(CBAddress->currentText()); }

void TInternetGames::SpeedUpdateClick() {
    if (!ListThread) ListThread.reset(new TServerQueryThread(GameListRequest(), InternetServer));
    if (ListThread->Running()) return;
    ButJoin->hide();
    SpeedUpdate->hide();
    LabelCom->setText(QString::fromUtf8(kGamesUpdating));
    ListThread->StartThread();
    TimerUpdate->start();
}

void TInternetGames::TimerUpdateTimer() {
    if (!ListThread) {
        TimerUpdate->stop();
        SpeedUpdate->show();
        return;
    }
    if (ListThread->Running()) {
        LabelCom->setVisible(!LabelCom->isVisible());
        return;
    }
    TimerUpdate->stop();
    LabelCom->show();
    LabelCom->clear();
    SpeedUpdate->show();
    Games.clear();
    ShowGameList(ListThread->Reply);
}

void TInternetGames::ShowGameList(const std::string& reply) {
    const WebReply kind = GameListReply(reply);
    if (kind == WebReply::BadVersion) {
        LabelCom->setText(Qs(LangText(kWrongVersion)));
        return;
    }
    if (kind != WebReply::Ok || !ReadGames(reply, Games)) {
        LabelCom->setText(Qs(LangText(kNoConnection)));
        return;
    }
    SpeedPlayerNew->show();
    ButNewGame->show();
    LabelCom->setText(Qs(LangText(kGamesFound)) + QString::number(Games.size()));
    ButJoin->setVisible(!Games.empty());
    GridGameList->SetRowCount(std::max<int>(2, static_cast<int>(Games.size()) + 1));
    GridGameList->viewport()->update();
}

void TInternetGames::GridGameListDrawCell(int col, int row, const TRect& rect) {
    QString text;
    if (row == 0) {
        static constexpr TText kTitles[] = {kGamesYear, kGamesName, kGamesLanguage, kGamesPlayers};
        text = Qs(LangText(kTitles[col]));
    } else if (static_cast<size_t>(row) <= Games.size()) {
        const TInternetGamesUnit& g = Games[static_cast<size_t>(row - 1)];
        const QString values[] = {QString::number(g.Year), Qs(g.Name), Qs(g.Language),
                                  QString::number(g.Players)};
        text = values[col];
    } else {
        return;
    }
    DrawInternetCell(*GridGameList, row, rect, text);
}

const TInternetGamesUnit* TInternetGames::SelectedGame() const {
    const int index = GridGameList->Row() - 1;
    return index >= 0 && static_cast<size_t>(index) < Games.size() ? &Games[static_cast<size_t>(index)]
                                                                   : nullptr;
}

void TInternetGames::GridGameListDblClick() {
    const TInternetGamesUnit* game = SelectedGame();
    if (!game || !InternetGameInfo) return;
    InternetGameInfo->GameGUID = game->GameId;
    ExecModal(*InternetGameInfo);
}

bool TInternetGames::TakeAccount(const QString& invalidText) {
    EditName->setText(EditName->text().trimmed());
    EditPassword->setText(EditPassword->text().trimmed());
    if (IsValidNetName(EditName->text()) && IsValidNetName(EditPassword->text())) return true;
    ShowMessageBox(TMsgType::Plain, invalidText);
    return false;
}

void TInternetGames::SpeedPlayerNewClick() {
    if (!TakeAccount(Qs(LangText(kBadNameOrPassword)))) return;
    if (!AskYesNo(Qs(LangText(kRegisterQuestion)))) return;
    std::string reply;
    if (!AskListingServer(PlayerNewRequest(Cs(EditName->text()), Cs(EditPassword->text())), reply)) return;
    if (!ReportReply(PlayerNewReply(reply),
                     {{WebReply::NoConnection, kNoConnection}, {WebReply::NameTaken, kNameRegistered}}))
        return;
    ShowMessageBox(TMsgType::Plain, Qs(LangText(kPlayerRegistered)));
    StorePlayerName(EditName->text());
}

void TInternetGames::ButNewGameClick() {
    if (!TakeAccount(Qs(LangText(kBadNameOrPassword)))) return;
    if (!InternetCreateGame || ExecModal(*InternetCreateGame) != 1) return;
    InternetChoice.HostAddress = InternetChoice.LocalAddress;
    NewGUID(InternetChoice.NetGameGUID);
    InternetChoice.NetGameName = Cs(InternetCreateGame->EditName->text());
    InternetChoice.NetPlayerName = Cs(EditName->text());
    InternetChoice.NetPassword = Cs(EditPassword->text());
    std::string reply;
    if (!AskListingServer(GameCreateRequest(InternetChoice.NetGameName, GUIDToStr(InternetChoice.NetGameGUID),
                                            InternetChoice.LocalAddress, InternetChoice.NetPlayerName,
                                            InternetChoice.NetPassword, LangText(kWebLanguage)),
                          reply))
        return;
    if (!ReportReply(GameCreateReply(reply), {{WebReply::NoConnection, kNoConnection},
                                              {WebReply::NoPlayer, kNoSuchPlayer},
                                              {WebReply::BadPassword, kWrongPassword},
                                              {WebReply::GameExists, kGameNameTaken}}))
        return;
    StorePlayerName(EditName->text());
    done(kInternetCreate);
}

void TInternetGames::ButJoinClick() {
    const TInternetGamesUnit* game = SelectedGame();
    if (!game) return;
    if (!TakeAccount(Qs(LangText(kBadNameOrPassword)))) return;
    std::string reply;
    if (!AskListingServer(PlayerCheckRequest(Cs(EditName->text()), Cs(EditPassword->text())), reply)) return;
    if (!ReportReply(PlayerCheckReply(reply), {{WebReply::NoConnection, kNoConnection},
                                               {WebReply::NoPlayer, kNoSuchPlayer},
                                               {WebReply::BadPassword, kWrongPassword}}))
        return;
    StorePlayerName(EditName->text());
    InternetChoice.HostAddress = game->Address;
    InternetChoice.NetGameGUID = game->GameId;
    InternetChoice.NetGameName = game->Name;
    InternetChoice.NetPlayerName = Cs(EditName->text());
    InternetChoice.NetPassword = Cs(EditPassword->text());
    done(kInternetJoin);
}

void TInternetGames::FormClose() {
    TimerUpdate->stop();
    SpeedPlayerNew->hide();
    ButNewGame->hide();
    ButJoin->hide();
    ListThread.reset();
    Games.clear();
}

void CreateInternetWindows() {
    if (!InternetGames) InternetGames = new TInternetGames;
    if (!InternetCreateGame) InternetCreateGame = new TInternetCreateGame;
    if (!InternetGameInfo) InternetGameInfo = new TInternetGameInfo;
}

void FreeInternetWindows() {
    delete InternetGames;
    InternetGames = nullptr;
    delete InternetCreateGame;
    InternetCreateGame = nullptr;
    delete InternetGameInfo;
    InternetGameInfo = nullptr;
}

int RunInternetGame(const TInternetGameStarter& start) {
    CreateInternetWindows();
    const int result = ExecModal(*InternetGames);
    if (result == kInternetCreate || result == kInternetJoin) start(result);
    return result;
}

}  // namespace kordalt
