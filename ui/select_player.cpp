#include "ui/select_player.h"

#include <QLinearGradient>
#include <QPainter>

#include "controls/ex_label.h"
#include "controls/speed_button.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "ui/screens.h"
#include "ui/start.h"
#include "ui/ui_support.h"

namespace kordalt {
namespace {

constexpr int kWidth = TScreenDialog::kWidth, kHeight = TScreenDialog::kHeight;

// The window's own picture: a dark blue sky over a dark green field.
QImage HandoverPicture() {
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(8, 16, 64));
    sky.setColorAt(0.7, QColor(40, 70, 140));
    sky.setColorAt(0.7001, QColor(20, 60, 20));
    sky.setColorAt(1, QColor(10, 30, 10));
    painter.fillRect(picture.rect(), sky);
    return picture;
}

}  // namespace

TSelectPlayer::TSelectPlayer(QWidget* parent) : TScreenDialog("SelectPlayer", parent) {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    Background = new TImage(this);
    Background->setObjectName(QStringLiteral("Image1"));
    Background->setGeometry(0, 0, kWidth, kHeight);
    Background->Picture = HandoverPicture();
    RequestLabel = MakeShadowLabel(this, "ExLabel2", {40, 100, 560, 120}, 16, clWhite);
    PlayerName = MakeShadowLabel(this, "ExLabel1", {40, 230, 560, 80}, 48, clWhite);
    ReadyButton = new TExSpeedButton(this);
    ReadyButton->setObjectName(QStringLiteral("ExSpeedButton1"));
    ReadyButton->setGeometry(245, 360, 150, 40);
    ReadyButton->SetModalResult(1);
    Localize();
    SetActivationHandler(this, [this] { FormActivate(); });
}

void TSelectPlayer::Localize() {
    setWindowTitle(Qs(LangText(kSelectPlayerCaption)));
    ReadyButton->SetCaption(Qs(LangText(kSelectPlayerOk)));
    RequestLabel->SetCaption(Qs(LangText(kSelectPlayerRequest)));
    ApplyLanguageFont(this);
}

void TSelectPlayer::FormActivate() { PlayerName->SetCaption(Qs(Game.CurrentPlayerName)); }

void TSelectPlayer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

}  // namespace kordalt
