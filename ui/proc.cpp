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
    Notebook1 = new QStackedWidget(this);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    Notebook1->setGeometry(0, 0, 300, kHeight);

    auto* lose = new QWidget;
    lose->setObjectName(QStringLiteral("lose"));
    Label1 = MakeLabel(lose, "Label1", {10, 30, 280, 30}, 16, clWhite);
    Label2 = MakeLabel(lose, "Label2", {10, 70, 280, 40}, 22, clYellow);
    Label3 = MakeLabel(lose, "Label3", {10, 120, 280, 30}, 16, clWhite);
    Label4 = MakeLabel(lose, "Label4", {10, 170, 280, 40}, 20, clYellow);
    Label5 = MakeLabel(lose, "Label5", {10, 230, 280, 140}, 28, clWhite);
    SpeedButton3 = MakeButton(lose, "SpeedButton3");
    Notebook1->addWidget(lose);

    auto* win = new QWidget;
    win->setObjectName(QStringLiteral("win"));
    Label7 = MakeLabel(win, "Label7", {10, 30, 280, 40}, 22, clYellow);
    Label9 = MakeLabel(win, "Label9", {10, 80, 280, 40}, 20, clWhite);
    Label6 = MakeLabel(win, "Label6", {10, 140, 280, 100}, 14, clWhite);
    Label10 = MakeLabel(win, "Label10", {10, 260, 280, 100}, 26, clYellow);
    SpeedButton1 = MakeButton(win, "SpeedButton1");
    Notebook1->addWidget(win);

    LastBattle = new QTextEdit(this);
    LastBattle->setObjectName(QStringLiteral("LastBattle"));
    LastBattle->setGeometry(310, 10, 320, kHeight - 20);
    LastBattle->setReadOnly(true);
    LastBattle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(SpeedButton1, &TExSpeedButton::OnClick, this, &TProc::CloseClick);
    connect(SpeedButton3, &TExSpeedButton::OnClick, this, &TProc::CloseClick);
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
    Label1->setText(NormalizeLineBreaks(Qs(LangText(kProcLoseBefore))));
    Label3->setText(NormalizeLineBreaks(Qs(LangText(kProcLoseAfter))));
    Label5->setText(NormalizeLineBreaks(Qs(LangText(kProcLoseVerdict))));
    SpeedButton3->SetCaption(Qs(LangText(kProcLoseClose)));
    Label7->setText(NormalizeLineBreaks(Qs(LangText(kProcWinGreeting))));
    Label6->setText(NormalizeLineBreaks(Qs(LangText(kProcWinMessage))));
    Label10->setText(NormalizeLineBreaks(Qs(LangText(kProcWinBanner))));
    SpeedButton1->SetCaption(Qs(LangText(kProcWinClose)));
    ApplyLanguageFont(this);
}

void TProc::LoadGlyphs() {
    if (!PictureList) return;
    QImage glyph;
    PictureList->LoadGlyph(glyph, 28);
    SpeedButton1->SetGlyph(glyph);
    PictureList->LoadGlyph(glyph, 29);
    SpeedButton3->SetGlyph(glyph);
}

void TProc::FormActivate() {
    SetPaletteColor(*this, QPalette::Window, Notebook1->currentIndex() == kLosePage ? kLoseColor : kWinColor);
    const uint8_t defender = CurrentBattleDefender();
    if (defender >= 1 && defender <= MaxGos) {
        const TGosRec& gos = Game.mGos[defender];
        Label4->setText(Qs(gos.PlayerName.Str()));
        Label9->setText(Qs(gos.PlayerName.Str()));
        Label2->setText(Qs(gos.Name.Str()));
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
    Proc->Notebook1->setCurrentIndex(kLosePage);
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
    Proc->Notebook1->setCurrentIndex(kWinPage);
    ExecModal(*Proc);
    AlignScreensKeep(Proc);
}

void TProc::ShowLocalDefeat() {
    if (Proc) Proc->Notebook1->setCurrentIndex(kLosePage);
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
