#include "ui/internet_game_info.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/draw_grid.h"
#include "game/language_file.h"
#include "multiplayer/web_protocol.h"
#include "ui/internet_support.h"
#include "ui/screens.h"
#include "ui/ui_support.h"

namespace kordalt {

std::vector<TInternetUserUnit> LoadGameUsers(const TGUID& GameId) {
    std::string reply;
    AskListingServer(GameUserListRequest(GUIDToStr(GameId)), reply);
    std::vector<NetPlayerInfo> players;
    ParsePlayerList(reply, players);
    std::vector<TInternetUserUnit> users;
    for (const NetPlayerInfo& p : players) users.push_back({p.Number, p.Name, p.Rating});
    return users;
}

TInternetGameInfo::TInternetGameInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("InternetGameInfo"));
    setWindowTitle(QString::fromUtf8(kGameInfoCaption));
    resize(380, 260);
    PlayerList = new TExDrawGrid(this);
    PlayerList->setObjectName(QStringLiteral("ExDrawGrid1"));
    PlayerList->SetColCount(3);
    PlayerList->SetFixedCols(0);
    PlayerList->SetRowCount(2);
    PlayerList->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect);
    const int widths[] = {23, 250, 57};
    for (int c = 0; c < 3; ++c) PlayerList->SetColWidths(c, widths[c]);
    PlayerList->OnDrawCell = [this](TExDrawGrid*, int col, int row, const TRect& rect, TGridDrawState) {
        DrawPlayerCell(col, row, rect);
    };
    ButUpdate = new QPushButton(QString::fromUtf8(kGameInfoUpdate), this);
    ButUpdate->setObjectName(QStringLiteral("ButUpdate"));
    ButClose = new QPushButton(QString::fromUtf8(kGameInfoClose), this);
    ButClose->setObjectName(QStringLiteral("ButClose"));
    connect(ButUpdate, &QPushButton::clicked, this, [this] { ButUpdateClick(); });
    connect(ButClose, &QPushButton::clicked, this, [this] { ButCloseClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButUpdate);
    buttons->addWidget(ButClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PlayerList);
    layout->addLayout(buttons);
}

void TInternetGameInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TInternetGameInfo::hideEvent(QHideEvent* event) {
    FormHide();
    QDialog::hideEvent(event);
}

void TInternetGameInfo::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TInternetGameInfo::FormShow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        MoveWindowTo(*this, screen->availableGeometry().center() - rect().center());
    ButUpdateClick();
    ApplyLanguageFont(this);
}

void TInternetGameInfo::FormHide() { Users.clear(); }

void TInternetGameInfo::FormResize() { PlayerList->viewport()->update(); }

void TInternetGameInfo::ButUpdateClick() {
    Users = LoadGameUsers(GameGUID);
    PlayerList->SetRowCount(std::max<int>(2, static_cast<int>(Users.size()) + 1));
    PlayerList->viewport()->update();
}

void TInternetGameInfo::ButCloseClick() { done(1); }

void TInternetGameInfo::DrawPlayerCell(int col, int row, const TRect& rect) {
    QString text;
    if (row == 0) {
        if (col == 1) text = Qs(LangText(kPlayersName));
        if (col == 2) text = Qs(LangText(kPlayersRating));
    } else if (static_cast<size_t>(row) <= Users.size()) {
        const TInternetUserUnit& user = Users[static_cast<size_t>(row - 1)];
        text = col == 0   ? QString::number(user.Number)
               : col == 1 ? Qs(user.Name)
                          : QString::number(user.Rating, 'g', 7);
    } else {
        return;
    }
    DrawInternetCell(*PlayerList, row, rect, text);
}

}  // namespace kordalt
