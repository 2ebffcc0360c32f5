// The Kordalt shop: four quality sliders, the price and the purchase.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>

#include "controls/ex_label.h"
#include "controls/scroll_text_panel.h"
#include "controls/speed_button.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/player_actions.h"
#include "game/self_test.h"
#include "platform/arith.h"
#include "platform/format.h"
#include "ui/main_screen.h"
#include "ui/main_screen_support.h"

namespace kordalt {

namespace {

struct SliderSpec {
    const char *trackBar, *minLabel, *maxLabel, *valueLabel;
    int minimum, maximum, tick;
};
constexpr SliderSpec kSliders[4] = {
    {"TrackBar2", "Label2", "Label3", "Label10", 15, 60, 5},
    {"TrackBar3", "Label6", "Label7", "Label11", 1, 30, 3},
    {"TrackBar4", "Label8", "Label9", "Label12", 2, 5, 1},
    {"TrackBar8", "Label94", "Label95", "Label96", 1, 100, 0},
};
constexpr const char* kCaptions[7] = {"ExLabel8",  "ExLabel12", "ExLabel13", "ExLabel9",
                                      "ExLabel10", "ExLabel11", "ExLabel6"};

}  // namespace

void TMain::BuildShopPage() {
    QWidget* page = TabSheetShop;
    for (size_t i = 0; i < Shop.Captions.size(); ++i) {
        Shop.Captions[i] = new TExLabel(page);
        Shop.Captions[i]->setObjectName(kCaptions[i]);
    }
    auto& c = Shop.Captions;
    c[0]->setGeometry(20, 8, 600, 24);    // heading
    c[1]->setGeometry(20, 44, 120, 20);   // name
    c[2]->setGeometry(20, 300, 200, 40);  // price
    c[3]->setGeometry(20, 84, 120, 20);   // age
    c[4]->setGeometry(20, 134, 120, 20);  // mastery
    c[5]->setGeometry(20, 184, 120, 20);  // mark
    c[6]->setGeometry(20, 234, 120, 20);  // speed
    c[0]->SetFontColor(clNavy);
    // Caption rows of age, mastery, mark and speed.
    static constexpr int rowY[4] = {84, 134, 184, 234};
    for (int i = 0; i < 4; ++i) {
        const SliderSpec& s = kSliders[i];
        TShopSlider& slider = Shop.Sliders[static_cast<size_t>(i)];
        slider.TrackBar = MakeTrackBar(page, s.trackBar, 150, rowY[i], 300, 26);
        slider.TrackBar->setRange(s.minimum, s.maximum);
        slider.TrackBar->setValue(s.minimum);
        if (s.tick > 0) slider.TrackBar->setTickInterval(s.tick);
        slider.MinLabel = MakeLabel(page, s.minLabel, 150, rowY[i] + 28, 40, 14);
        slider.MaxLabel = MakeLabel(page, s.maxLabel, 410, rowY[i] + 28, 40, 14);
        slider.MaxLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        slider.ValueLabel = MakeLabel(page, s.valueLabel, 460, rowY[i] + 2, 60, 20);
        QFont bold = slider.ValueLabel->font();
        bold.setBold(true);
        slider.ValueLabel->setFont(bold);
        connect(slider.TrackBar, &QSlider::valueChanged, this, [this] { RefreshShopPrice(); });
    }
    Shop.EditName = new QLineEdit(page);
    Shop.EditName->setObjectName("EditName");
    Shop.EditName->setGeometry(150, 42, 160, 22);
    Shop.EditName->installEventFilter(this);
    Shop.Price = MakeLabel(page, "Label13", 230, 304, 160, 24);
    QFont big = Shop.Price->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 4);
    Shop.Price->setFont(big);
    // On white, so its red and olive stand out whatever the page's picture.
    Shop.Price->setAutoFillBackground(true);
    SetPaletteColor(*Shop.Price, QPalette::Window, clWhite);
    Shop.Price->setAlignment(Qt::AlignCenter);
    Shop.Purchase = MakeSpeedButton(page, "SpeedButton5", QRect(410, 300, 120, 32));
    connect(Shop.Purchase, &TExSpeedButton::OnClick, this, [this] { PurchaseClick(); });
    Shop.HelpScroll = MakeScrollPanel(page, "ScrollTextPanel1", QRect(20, 350, 600, 46), 30);
}

void TMain::LocalizeShopPage() {
    static constexpr int captions[7] = {0, 1, 2, 4, 5, 6, 7};
    for (size_t i = 0; i < Shop.Captions.size(); ++i)
        Shop.Captions[i]->SetCaption(Qs(LangText(kShopCaptions[captions[i]])));
    Shop.Purchase->SetCaption(Qs(LangText(kShopCaptions[3])));
    LoadIntroLines(*Shop.HelpScroll, 3);
}

// At most 10 characters are typed into the name; a longer text set by the
// program stays as it is.
bool TMain::NameKeyRefused(QKeyEvent* event) const {
    constexpr int kMaxNameTyped = 10;
    const QString typed = event->text();
    if (typed.isEmpty() || !typed.at(0).isPrint()) return false;
    return Shop.EditName->text().size() - Shop.EditName->selectedText().size() >= kMaxNameTyped;
}

void TMain::RefreshShopPrice() {
    for (TShopSlider& s : Shop.Sliders) {
        s.MinLabel->setText(Dec(s.TrackBar->minimum()));
        s.MaxLabel->setText(Dec(s.TrackBar->maximum()));
        s.ValueLabel->setText(Dec(s.TrackBar->value()));
    }
    const int64_t price = ShopPurchase(TActionMode::Ask).Money;
    Shop.Price->setText(Dollars(price));
    SetFontColor(Shop.Price, price <= CurrentRec().Money ? clOlive : clRed);
}

TActionResult TMain::ShopPurchase(TActionMode mode) {
    auto value = [this](TShopQuality q) { return Shop.Sliders[q].TrackBar->value(); };
    // The name box's preset keeps the pool's name.
    const std::string name = Cs(Shop.EditName->text());
    const std::string chosen = name != LangText(kDefaultKordaltName) ? name : std::string();
    return HumanBuyKordalt(Game.CurrentGos, value(sqAge), value(sqMastery), value(sqMark), value(sqSpeed),
                           chosen, nullptr, mode);
}

void TMain::PurchaseClick() {
    const TActionResult bought = ShopPurchase(TActionMode::Do);
    if (!bought) Tell(bought.Reason());
    // Without a free slot the window still moves on to the borders page.
    if (!bought && bought.Refusal != TRefusal::NoKordaltSlot) return;
    if (bought) FillKordaltList(Game.CurrentGos);
    if (!PlayMode.IsInternetGame && PlayMode.GameMode == kLocalGame && Game.HumanCount > 1)
        for (TShopSlider& s : Shop.Sliders) s.TrackBar->setValue(s.TrackBar->minimum());
    if (Pages->currentIndex() == 3)
        PageChange();
    else
        Pages->setCurrentIndex(3);
}

}  // namespace kordalt
