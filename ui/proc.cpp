#include "ui/proc.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextCursor>
#include <QTextEdit>

#include "controls/classic.h"
#include "controls/speed_button.h"
#include "game/game_state.h"
#include "game/game_windows.h"
#include "game/language_file.h"
#include "game/player_actions.h"
#include "ui/picture_store.h"
#include "ui/screens.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr TColor kLoseColor = 0x0000C1;
constexpr TColor kWinColor = 0xC08000;
constexpr int kCloseResult = 2;

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry, int pointSize, TColor colour) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    SetPaletteColor(*label, QPalette::WindowText, colour);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(true);
    label->setFont(font);
    return label;
}

TExSpeedButton* MakeButton(QWidget* parent, const char* name) {
    auto* button = new TExSpeedButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(40, 400, 220, 40);
    button->SetLayout(blGlyphLeft);
    return button;
}

}  // namespace

TProc::TProc(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Proc"));
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    Pages = new QStackedWidget(this);
    Pages->setObjectName(QStringLiteral("Notebook1"));
    Pages->setGeometry(0, 0, 300, kHeight);

    auto* lose = new QWidget;
    lose->setObjectName(QStringLiteral("lose"));
    LoseBefore = MakeLabel(lose, "Label1", {10, 30, 280, 30}, 16, clWhite);
    LoseStateName = MakeLabel(lose, "Label2", {10, 70, 280, 40}, 22, clYellow);
    LoseAfter = MakeLabel(lose, "Label3", {10, 120, 280, 30}, 16, clWhite);
    LosePlayerName = MakeLabel(lose, "Label4", {10, 170, 280, 40}, 20, clYellow);
    LoseVerdict = MakeLabel(lose, "Label5", {10, 230, 280, 140}, 28, clWhite);
    LoseClose = MakeButton(lose, "SpeedButton3");
    Pages->addWidget(lose);

    auto* win = new QWidget;
    win->setObjectName(QStringLiteral("win"));
    WinGreeting = MakeLabel(win, "Label7", {10, 30, 280, 40}, 22, clYellow);
    WinPlayerName = MakeLabel(win, "Label9", {10, 80, 280, 40}, 20, clWhite);
    WinMessage = MakeLabel(win, "Label6", {10, 140, 280, 100}, 14, clWhite);
    WinBanner = MakeLabel(win, "Label10", {10, 260, 280, 100}, 26, clYellow);
    WinClose = MakeButton(win, "SpeedButton1");
    Pages->addWidget(win);

    LastBattle = new QTextEdit(this);
    LastBattle->setObjectName(QStringLiteral("LastBattle"));
    LastBattle->setGeometry(310, 10, 320, kHeight - 20);
    LastBattle->setReadOnly(true);
    LastBattle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(WinClose, &TExSpeedButton::OnClick, this, &TProc::CloseClick);
    connect(LoseClose, &TExSpeedButton::OnClick, this, &TProc::CloseClick);
    Localize();
    LoadGlyphs();
    SetActivationHandler(this, [this] { FormActivate(); });
}

TProc::~TProc() {
    if (Proc == this) Proc = nullptr;
}

void TProc::Localize() {
    if (QGuiApplication::primaryScreen()->size() == QSize(kWidth, kHeight))
        setWindowFlag(Qt::FramelessWindowHint, true);
    setWindowTitle(Qs(LangText(kProcCaption)));
    LoseBefore->setText(NormalizeLineBreaks(Qs(LangText(kProcLoseBefore))));
    LoseAfter->setText(NormalizeLineBreaks(Qs(LangText(kProcLoseAfter))));
    LoseVerdict->setText(NormalizeLineBreaks(Qs(LangText(kProcLoseVerdict))));
    LoseClose->SetCaption(Qs(LangText(kProcLoseClose)));
    WinGreeting->setText(NormalizeLineBreaks(Qs(LangText(kProcWinGreeting))));
    WinMessage->setText(NormalizeLineBreaks(Qs(LangText(kProcWinMessage))));
    WinBanner->setText(NormalizeLineBreaks(Qs(LangText(kProcWinBanner))));
    WinClose->SetCaption(Qs(LangText(kProcWinClose)));
    ApplyLanguageFont(this);
}

void TProc::LoadGlyphs() {
    if (!PictureList) return;
    QImage glyph;
    PictureList->LoadGlyph(glyph, 28);
    WinClose->SetGlyph(glyph);
    PictureList->LoadGlyph(glyph, 29);
    LoseClose->SetGlyph(glyph);
}

void TProc::FormActivate() {
    SetPaletteColor(*this, QPalette::Window, Pages->currentIndex() == kLosePage ? kLoseColor : kWinColor);
    const uint8_t defender = CurrentBattleDefender();
    if (defender >= 1 && defender <= MaxGos) {
        const TGosRec& gos = Game.mGos[defender];
        LosePlayerName->setText(Qs(gos.PlayerName.Str()));
        WinPlayerName->setText(Qs(gos.PlayerName.Str()));
        LoseStateName->setText(Qs(gos.Name.Str()));
    }
    FillLastBattle();
}

void TProc::FillLastBattle() {
    LastBattle->setUpdatesEnabled(false);
    LastBattle->clear();
    QTextCursor cursor(LastBattle->document());
    bool first = true;
    for (const TBattleLine& line : BattleLinesOf(CurrentBattleDefender())) {
        if (!first) cursor.insertBlock();
        first = false;
        QTextCharFormat format;
        format.setForeground(ToQColor(line.Color));
        cursor.insertText(line.Text, format);
    }
    LastBattle->setUpdatesEnabled(true);
}

void TProc::CloseClick() { done(kCloseResult); }

void TProc::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TProc::ShowDefeat(uint8_t Gos) {
    SetCurrentPlayerName(Gos);
    GameWindows().AlignScreens(TScreen::MainScreen, true);
    GameWindows().ShowTurnBanner();
    GameWindows().AlignScreens(TScreen::TurnBanner, true);
    if (!Proc) return;
    Proc->Pages->setCurrentIndex(kLosePage);
    SetBattleDefender(Gos);
    ExecModal(*Proc);
    AlignScreensKeep(Proc);
}

void TProc::ShowVictory(uint8_t Gos) {
    SetCurrentPlayerName(Gos);
    GameWindows().AlignScreens(TScreen::MainScreen, true);
    GameWindows().ShowTurnBanner();
    SetBattleDefender(Gos);
    GameWindows().AlignScreens(TScreen::TurnBanner, true);
    if (!Proc) return;
    Proc->Pages->setCurrentIndex(kWinPage);
    ExecModal(*Proc);
    AlignScreensKeep(Proc);
}

void TProc::ShowLocalDefeat() {
    if (Proc) Proc->Pages->setCurrentIndex(kLosePage);
    GameWindows().AlignScreens(TScreen::Setup, false);
    GameWindows().ShowTurnBanner();
    GameWindows().AlignScreens(TScreen::TurnBanner, false);
    GameWindows().AlignScreens(TScreen::Setup, false);
    if (!Proc) return;
    ExecModal(*Proc);
    AlignScreens(Proc);
    // The year goes on in the set-up window, which the turn banner hid; the
    // boxes that end the game show over it.
    GameWindows().ShowSetup();
}

}  // namespace kordalt
