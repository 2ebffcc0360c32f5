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
    Image2 = new TImage(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(0, 0, kWidth, kHeight);
    Image2->Stretch = true;
    if (Start) Image2->Picture = Start->Image3->Picture;
    MakeButtonPanel(this);

    Image1 = new TImage(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(10, 40, kMapSide, kMapSide);
    Image1->Picture = QImage(kMapSide, kMapSide, QImage::Format_RGB32);
    Image1->Picture.fill(Qt::white);
    Image1->setCursor(Qt::PointingHandCursor);

    Shape1 = MakeBar(this, "Shape1", {425, 60, 200, 6});
    ExLabel1 = MakeShadowLabel(this, "ExLabel1", {420, 70, 210, 30}, 14, kTextColour);
    ExLabel3 = MakeShadowLabel(this, "ExLabel3", {420, 102, 210, 24}, 12, kTextColour);
    Shape3 = MakeBar(this, "Shape3", {425, 130, 200, 6});
    ExLabel2 = MakeShadowLabel(this, "ExLabel2", {420, 150, 210, 60}, 12, kTextColour);
    for (TExLabel* label : {ExLabel1, ExLabel3, ExLabel2}) label->SetShadowColor(clBtnHighlight);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(425, 230, 200, 16);
    SetPaletteColor(*Label1, QPalette::WindowText, kTextColour);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(425, 248, 200, 22);
    Edit1->setMaxLength(kNameLength);
    // Both buttons on the dark panel of the background.
    ExSpeedButton1 = MakeGameButton(this, "ExSpeedButton1", {420, 342, 205, 62});
    ExSpeedButton2 = MakeGameButton(this, "ExSpeedButton2", {420, 406, 205, 62});
    ExSpeedButton2->SetModalResult(3);
    ExLabel1->hide();
    ExLabel3->hide();
    ExSpeedButton1->hide();
    SetBarColour(Qt::white);

    connect(Image1, &TImage::OnMouseUp, this, &TSelectGos::MapMouseUp);
    connect(ExSpeedButton1, &TExSpeedButton::OnClick, this, &TSelectGos::ConfirmClick);
    Localize();
    LoadGlyphs();
    SetActivationHandler(this, [this] { FormActivate(); });
}

void TSelectGos::Localize() {
    DropBorderOnSmallScreen();
    setWindowTitle(Qs(LangText(kSelectGosCaption)));
    ExLabel2->SetCaption(Qs(LangText(kSelectGosPrompt)));
    Label1->setText(Qs(LangText(kSelectGosRulerName)));
    ExSpeedButton1->SetCaption(Qs(LangText(kSelectGosConfirm)));
    ExSpeedButton2->SetCaption(Qs(LangText(kSelectGosReject)));
    for (int i = 0; i < static_cast<int>(RulerNames.size()); ++i)
        RulerNames[i] = Qs(LangText(kRulerNames[i]));
    ApplyLanguageFont(this);
}

void TSelectGos::LoadGlyphs() {
    LoadButtonGlyph(*ExSpeedButton1, 22);
    LoadButtonGlyph(*ExSpeedButton2, 23);
}

void TSelectGos::FormActivate() {
    ChoiceRefused.fill(false);
    ExSpeedButton1->hide();
    Edit1->setText(RulerNames[static_cast<size_t>(Random(10))]);
    SetBarColour(Qt::white);
    ExLabel1->hide();
    ExLabel2->show();
    Image1->show();
}

void TSelectGos::MapMouseUp(Qt::MouseButton, int x, int y) {
    // A release dragged outside the picture names no square.
    if (!Map || x < 0 || y < 0 || x >= Image1->width() || y >= Image1->height()) return;
    const int column = Map->Width * x / Image1->width();
    const int row = Map->Height * y / Image1->height();
    const uint8_t owner = Map->GetSquare(SquareId(column, row));
    if (owner < 1 || owner > Game.GosCount) return;
    ChoiceSelectedGos = owner;
    const TGosRec& g = Game.mGos[owner];
    SetBarColour(ToQColor(GosColors[owner]));
    ExLabel1->SetCaption(Qs(g.Name.Str()));
    ExLabel1->show();
    ExLabel3->SetCaption(QString::number(g.Territory));
    ExLabel3->show();
    const bool refused = ChoiceRefused[owner - 1];
    ExSpeedButton1->setVisible(!refused);
    ExLabel2->setVisible(refused);
}

void TSelectGos::ConfirmClick() {
    if (ChoiceSelectedGos < 1 || ChoiceSelectedGos > Game.GosCount) return;
    const TActionResult claim =
        ClaimState(static_cast<uint8_t>(ChoiceSelectedGos), Cs(Edit1->text()), HumanNumber());
    if (!claim) {
        ExLabel2->SetCaption(Qs(claim.Reason()));
        ChoiceRefused[ChoiceSelectedGos - 1] = true;
        ExLabel2->show();
        return;
    }
    accept();
}

// Alt+F4 or the close box rejects the map, as the reject button does.
void TSelectGos::reject() { done(ExSpeedButton2->ModalResult()); }

void TSelectGos::ShowMapPreview() {
    QPainter painter(&Image1->Picture);
    painter.setFont(Image1->font());
    DrawMapPreview(painter, TRect{1, 1, kMapSide, kMapSide});
    Image1->show();
    Image1->update();
}

void TSelectGos::SetBarColour(const QColor& colour) {
    for (QFrame* bar : {Shape1, Shape3}) {
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
