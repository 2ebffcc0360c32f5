#include "ui/select_gos.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <charconv>

#include "controls/ex_label.h"
#include "controls/speed_button.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/player_actions.h"
#include "game/random.h"
#include "game/squares.h"
#include "ui/map_drawing.h"
#include "ui/screens.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

// The texts on the set-up page's paper.
constexpr TColor kTextColour = clNavy;

QFrame* MakeBar(QWidget* parent, const char* name, QRect geometry) {
    auto* bar = new QFrame(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setGeometry(geometry);
    bar->setAutoFillBackground(true);
    return bar;
}

// The human's number in CurrentPlayerName; 0 when it holds none.
uint32_t HumanNumber() {
    const std::string& text = Game.CurrentPlayerName;
    uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() ? number : 0;
}

}  // namespace

TSelectGos::TSelectGos(QWidget* parent) : TScreenDialog("SelectGos", parent) {
    // Beneath the background picture, and in its place when there is none.
    SetPaletteColor(*this, QPalette::Window, kPaperColour);
    Background = new TImage(this);
    Background->setObjectName(QStringLiteral("Image2"));
    Background->setGeometry(0, 0, kWidth, kHeight);
    Background->Stretch = true;
    if (Start) Background->Picture = Start->SetupBackground->Picture;
    MakeButtonPanel(this);

    MapPicture = new TImage(this);
    MapPicture->setObjectName(QStringLiteral("Image1"));
    MapPicture->setGeometry(10, 40, kMapSide, kMapSide);
    MapPicture->Picture = QImage(kMapSide, kMapSide, QImage::Format_RGB32);
    MapPicture->Picture.fill(Qt::white);
    MapPicture->setCursor(Qt::PointingHandCursor);

    UpperBar = MakeBar(this, "Shape1", {425, 60, 200, 6});
    StateName = MakeShadowLabel(this, "ExLabel1", {420, 70, 210, 30}, 14, kTextColour);
    StateTerritory = MakeShadowLabel(this, "ExLabel3", {420, 102, 210, 24}, 12, kTextColour);
    LowerBar = MakeBar(this, "Shape3", {425, 130, 200, 6});
    Prompt = MakeShadowLabel(this, "ExLabel2", {420, 150, 210, 60}, 12, kTextColour);
    for (TExLabel* label : {StateName, StateTerritory, Prompt}) label->SetShadowColor(clBtnHighlight);
    RulerNameLabel = new QLabel(this);
    RulerNameLabel->setObjectName(QStringLiteral("Label1"));
    RulerNameLabel->setGeometry(425, 230, 200, 16);
    SetPaletteColor(*RulerNameLabel, QPalette::WindowText, kTextColour);
    RulerNameEdit = new QLineEdit(this);
    RulerNameEdit->setObjectName(QStringLiteral("Edit1"));
    RulerNameEdit->setGeometry(425, 248, 200, 22);
    RulerNameEdit->setMaxLength(kNameLength);
    // Both buttons on the dark panel of the background.
    ConfirmButton = MakeGameButton(this, "ExSpeedButton1", {420, 342, 205, 62});
    RejectButton = MakeGameButton(this, "ExSpeedButton2", {420, 406, 205, 62});
    RejectButton->SetModalResult(3);
    StateName->hide();
    StateTerritory->hide();
    ConfirmButton->hide();
    SetBarColour(Qt::white);

    connect(MapPicture, &TImage::OnMouseUp, this, &TSelectGos::MapMouseUp);
    connect(ConfirmButton, &TExSpeedButton::OnClick, this, &TSelectGos::ConfirmClick);
    Localize();
    LoadGlyphs();
    SetActivationHandler(this, [this] { FormActivate(); });
}

void TSelectGos::Localize() {
    DropBorderOnSmallScreen();
    setWindowTitle(Qs(LangText(kSelectGosCaption)));
    Prompt->SetCaption(Qs(LangText(kSelectGosPrompt)));
    RulerNameLabel->setText(Qs(LangText(kSelectGosRulerName)));
    ConfirmButton->SetCaption(Qs(LangText(kSelectGosConfirm)));
    RejectButton->SetCaption(Qs(LangText(kSelectGosReject)));
    for (int i = 0; i < static_cast<int>(RulerNames.size()); ++i)
        RulerNames[i] = Qs(LangText(kRulerNames[i]));
    ApplyLanguageFont(this);
}

void TSelectGos::LoadGlyphs() {
    LoadButtonGlyph(*ConfirmButton, 22);
    LoadButtonGlyph(*RejectButton, 23);
}

void TSelectGos::FormActivate() {
    ChoiceRefused.fill(false);
    ConfirmButton->hide();
    RulerNameEdit->setText(RulerNames[static_cast<size_t>(Random(10))]);
    SetBarColour(Qt::white);
    StateName->hide();
    Prompt->show();
    MapPicture->show();
}

void TSelectGos::MapMouseUp(Qt::MouseButton, int x, int y) {
    // A release dragged outside the picture names no square.
    if (!Map || x < 0 || y < 0 || x >= MapPicture->width() || y >= MapPicture->height()) return;
    const int column = Map->Width * x / MapPicture->width();
    const int row = Map->Height * y / MapPicture->height();
    const uint8_t owner = Map->GetSquare(SquareId(column, row));
    if (owner < 1 || owner > Game.GosCount) return;
    ChoiceSelectedGos = owner;
    const TGosRec& g = Game.mGos[owner];
    SetBarColour(ToQColor(GosColors[owner]));
    StateName->SetCaption(Qs(g.Name.Str()));
    StateName->show();
    StateTerritory->SetCaption(QString::number(g.Territory));
    StateTerritory->show();
    const bool refused = ChoiceRefused[owner - 1];
    ConfirmButton->setVisible(!refused);
    Prompt->setVisible(refused);
}

void TSelectGos::ConfirmClick() {
    if (ChoiceSelectedGos < 1 || ChoiceSelectedGos > Game.GosCount) return;
    const TActionResult claim =
        ClaimState(static_cast<uint8_t>(ChoiceSelectedGos), Cs(RulerNameEdit->text()), HumanNumber());
    if (!claim) {
        Prompt->SetCaption(Qs(claim.Reason()));
        ChoiceRefused[ChoiceSelectedGos - 1] = true;
        Prompt->show();
        return;
    }
    accept();
}

// Alt+F4 or the close box rejects the map, as the reject button does.
void TSelectGos::reject() { done(RejectButton->ModalResult()); }

void TSelectGos::ShowMapPreview() {
    QPainter painter(&MapPicture->Picture);
    painter.setFont(MapPicture->font());
    DrawMapPreview(painter, TRect{1, 1, kMapSide, kMapSide});
    MapPicture->show();
    MapPicture->update();
}

void TSelectGos::SetBarColour(const QColor& colour) {
    for (QFrame* bar : {UpperBar, LowerBar}) {
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Window, colour);
        bar->setPalette(palette);
    }
}

void TSelectGos::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    HidePreviousScreen();
    FormActivate();
}

}  // namespace kordalt
