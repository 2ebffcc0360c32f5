#include "ui/internet_create_game.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "game/language_file.h"
#include "ui/internet_support.h"
#include "ui/screens.h"
#include "ui/ui_support.h"

namespace kordalt {

TInternetCreateGame::TInternetCreateGame(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("InternetCreateGame"));
    setWindowTitle(QStringLiteral("Internet create game"));
    setFixedSize(257, 91);
    GameNameLabel = new QLabel(this);
    GameNameLabel->setObjectName(QStringLiteral("Label1"));
    GameNameLabel->setGeometry(8, 8, 241, 16);
    EditName = new QLineEdit(this);
    EditName->setObjectName(QStringLiteral("EditName"));
    EditName->setGeometry(8, 26, 241, 22);
    ButCreate = new QPushButton(this);
    ButCreate->setObjectName(QStringLiteral("ButCreate"));
    ButCreate->setGeometry(48, 58, 96, 25);
    ButCreate->setDefault(true);
    ButCancel = new QPushButton(this);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    ButCancel->setGeometry(153, 58, 96, 25);
    connect(ButCreate, &QPushButton::clicked, this, [this] { ButCreateClick(); });
    connect(ButCancel, &QPushButton::clicked, this, [this] { ButCancelClick(); });
}

void TInternetCreateGame::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TInternetCreateGame::FormShow() {
    GameNameLabel->setText(Qs(LangText(kCreateGameLabel)));
    ButCreate->setText(Qs(LangText(kCreateGameCreate)));
    ButCancel->setText(Qs(LangText(kCreateGameCancel)));
    ApplyLanguageFont(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        MoveWindowTo(*this, screen->availableGeometry().center() - rect().center());
}

void TInternetCreateGame::ButCreateClick() {
    if (IsValidNetName(EditName->text()))
        done(1);
    else
        ShowMessageBox(TMsgType::Plain, QString::fromUtf8(kBadGameName));
}

void TInternetCreateGame::ButCancelClick() { done(2); }

}  // namespace kordalt
