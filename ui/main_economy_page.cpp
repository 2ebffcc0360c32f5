// The economy page: sowing, grain trade, training and dismissing people.
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <algorithm>

#include "controls/ex_label.h"
#include "controls/scroll_text_panel.h"
#include "controls/speed_button.h"
#include "game/fronts.h"
#include "game/language_file.h"
#include "game/player_actions.h"
#include "platform/arith.h"
#include "platform/format.h"
#include "ui/main_screen.h"
#include "ui/main_screen_support.h"

namespace kordalt {

constexpr TColor kShapeColor = 0xBBE3F7;

// The round "OK" shape of an action panel.
class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent) : QWidget(parent) {}
    TColor Brush() const { return brush_; }
    void SetBrush(TColor colour) {
        brush_ = colour;
        update();
    }

signals:
    void MouseDown();
    void MouseUp();

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(ToQColor(brush_));
        painter.drawEllipse(rect().adjusted(1, 1, -1, -1));
    }
    void mousePressEvent(QMouseEvent*) override { emit MouseDown(); }
    void mouseReleaseEvent(QMouseEvent*) override { emit MouseUp(); }

private:
    TColor brush_ = kShapeColor;
};

namespace {

long double Effect(int branch) { return CurrentRec().Research[branch].Effect; }

// Names of a panel's controls, and what its slider and its "OK" run.
struct PanelNames {
    const char *panel, *title, *trackBar, *minLabel, *maxLabel, *amount, *result, *shape, *text, *max;
    void (TMain::*amountChange)();
    void (TMain::*act)();
};
constexpr PanelNames kPanels[kEconomyPanelCount] = {
    {"Panel14", "Label132", "TrackBar11", "Label104", "Label105", "Label124", "Label106", "Shape28",
     "StaticText7", "ExLabel7", &TMain::SowAmountChange, &TMain::SowClick},
    {"Panel15", "Label133", "TrackBar5", "Label26", "Label27", "Label126", "Label28", "Shape26",
     "StaticText5", "ExLabel14", &TMain::SellAmountChange, &TMain::SellGrainClick},
    {"Panel16", "Label134", "TrackBar6", "Label29", "Label30", "Label31", "Label33", "Shape24", "StaticText3",
     "ExLabel2", &TMain::TrainScientistsAmountChange, &TMain::TrainScientistsClick},
    {"Panel17", "Label135", "TrackBar7", "Label34", "Label35", "Label36", "Label38", "Shape25", "StaticText4",
     "ExLabel15", &TMain::TrainSoldiersAmountChange, &TMain::TrainSoldiersClick},
    {"Panel18", "Label136", "TrackBar9", "Label107", "Label108", "Label109", nullptr, "Shape18",
     "StaticText1", "ExLabel16", &TMain::DismissScientistsAmountChange, &TMain::DismissScientistsClick},
    {"Panel19", "Label137", "TrackBar10", "Label112", "Label113", "Label114", nullptr, "Shape23",
     "StaticText2", "ExLabel17", &TMain::DismissSoldiersAmountChange, &TMain::DismissSoldiersClick},
    {"Panel20", "Label138", "TrackBar12", "Label32", "Label37", "Label115", "Label110", "Shape27",
     "StaticText6", "ExLabel18", &TMain::BuyAmountChange, &TMain::BuyGrainClick},
};

// Rows of the summary panel: a caption, and the label of its value (none for
// a heading).
struct SummaryRow {
    const char* caption;
    const char* value;
    QLabel* TEconomySummary::*target;
};
constexpr SummaryRow kSummaryRows[] = {
    {"Label87", nullptr, nullptr},
    {"Label14", "Label20", &TEconomySummary::Population},
    {"Label15", "Label23", &TEconomySummary::Peasants},
    {"Label16", "Label24", &TEconomySummary::Scientists},
    {"Label17", "Label25", &TEconomySummary::Soldiers},
    {"Label18", "Label21", &TEconomySummary::Territory},
    {"Label19", "Label22", &TEconomySummary::MaxPopulation},
    {"Label39", "Label40", &TEconomySummary::Money},
    {"Label102", "Label103", &TEconomySummary::Grain},
    {"Label88", nullptr, nullptr},
    {"Label85", "Label86", &TEconomySummary::GrainGrowth},
    {"Label89", "Label90", &TEconomySummary::PopulationGrowth},
    {"Label117", nullptr, nullptr},
    {"Label118", "Label119", &TEconomySummary::ScienceCost},
    {"Label120", "Label121", &TEconomySummary::ArmyCost},
    {"Label122", "Label123", &TEconomySummary::Balance},
};

QString People(int n) { return Dec(n) + " " + Qs(LangText(kPeople)); }
QString SquareKm(int64_t n) { return Dec(n) + " " + Qs(LangText(kSquareKm)); }

}  // namespace

void TMain::BuildEconomySummary(QWidget* page) {
    Economy.SummaryPanel = new QWidget(page);
    Economy.SummaryPanel->setObjectName("Panel1");
    Economy.SummaryPanel->setGeometry(4, 4, 180, 392);
    Economy.SummaryPanel->setAutoFillBackground(true);
    int y = 4;
    for (const SummaryRow& row : kSummaryRows) {
        const bool heading = row.value == nullptr;
        const int height = std::string_view(row.caption) == "Label19" ? 30 : 20;
        QLabel* caption = MakeLabel(Economy.SummaryPanel, row.caption, 4, y, heading ? 170 : 96, height);
        if (heading) {
            QFont bold = caption->font();
            bold.setBold(true);
            caption->setFont(bold);
            caption->setAlignment(Qt::AlignCenter);
        } else {
            QLabel*& value = Economy.Summary.*row.target;
            value = MakeLabel(Economy.SummaryPanel, row.value, 100, y, 74, height);
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        y += height + (row.caption == std::string_view("Label122") ? 0 : 3);
    }
}

void TMain::BuildEconomyAction(QWidget* page, int i) {
    const PanelNames& n = kPanels[i];
    TEconomyAction& a = Economy.Actions[static_cast<size_t>(i)];
    a.Panel = new QWidget(page);
    a.Panel->setObjectName(n.panel);
    a.Panel->setGeometry(190 + (i / 4) * 222, 4 + (i % 4) * 98, 218, 94);
    a.Panel->setAutoFillBackground(true);
    a.Title = MakeLabel(a.Panel, n.title, 4, 2, 210, 16);
    QFont bold = a.Title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 0.9);
    a.Title->setFont(bold);
    a.TrackBar = MakeTrackBar(a.Panel, n.trackBar, 4, 20, 150, 22);
    a.TrackBar->setTickPosition(QSlider::NoTicks);
    a.MinLabel = MakeLabel(a.Panel, n.minLabel, 4, 42, 60, 14);
    a.MaxLabel = MakeLabel(a.Panel, n.maxLabel, 94, 42, 60, 14);
    a.MaxLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    a.AmountLabel = MakeLabel(a.Panel, n.amount, 4, 58, 150, 16);
    if (n.result)
        a.ResultLabel = MakeLabel(a.Panel, n.result, i == epSow ? 94 : 4, 75, i == epSow ? 60 : 150, 16);
    a.Shape = new TShape(a.Panel);
    a.Shape->setObjectName(n.shape);
    a.Shape->setGeometry(164, 20, 46, 46);
    a.StaticText = MakeLabel(a.Shape, n.text, 8, 15, 30, 16, "OK");
    a.StaticText->setAlignment(Qt::AlignCenter);
    a.StaticText->setAttribute(Qt::WA_TransparentForMouseEvents);
    a.StaticText->setAutoFillBackground(true);
    SetPaletteColor(*a.StaticText, QPalette::Window, kShapeColor);
    a.MaxButton = new TExLabel(a.Panel);
    a.MaxButton->setObjectName(n.max);
    a.MaxButton->setGeometry(170, 70, 40, 16);
    a.MaxButton->SetCaption("MAX");
    a.MaxButton->SetFontColor(clBlue);
    connect(a.TrackBar, &QSlider::valueChanged, this, n.amountChange);
    connect(a.Shape, &TShape::MouseDown, this, [&a] {
        a.Shape->SetBrush(clGreen);
        SetPaletteColor(*a.StaticText, QPalette::Window, clGreen);
    });
    connect(a.Shape, &TShape::MouseUp, this, [this, &a, act = n.act] {
        a.Shape->SetBrush(kShapeColor);
        SetPaletteColor(*a.StaticText, QPalette::Window, kShapeColor);
        (this->*act)();
    });
    // MAX: the click sets the maximum; on all but the buy panel the
    // release then carries the action out.
    connect(a.MaxButton, &TExLabel::OnClick, this, [&a] { a.TrackBar->setValue(a.TrackBar->maximum()); });
    if (i != epBuy) {
        connect(a.MaxButton, &TExLabel::OnMouseDown, a.Shape, &TShape::MouseDown);
        connect(a.MaxButton, &TExLabel::OnMouseUp, a.Shape, &TShape::MouseUp);
    }
}

void TMain::BuildEconomyPage() {
    QWidget* page = TabSheetEconomy;
    BuildEconomySummary(page);
    for (int i = 0; i < kEconomyPanelCount; ++i) BuildEconomyAction(page, i);
    auto& act = Economy.Actions;
    Economy.SeedCaption = MakeLabel(act[epSow].Panel, "Label125", 4, 75, 88, 16);
    auto* stepScientists =
        MakeSpeedButton(act[epTrainScientists].Panel, "SpeedButton1", QRect(140, 58, 16, 16), ">");
    auto* stepSoldiers =
        MakeSpeedButton(act[epTrainSoldiers].Panel, "SpeedButton2", QRect(140, 58, 16, 16), ">");
    Economy.StepScientists = stepScientists;
    Economy.StepSoldiers = stepSoldiers;
    connect(stepScientists, &TExSpeedButton::OnClick, this, &TMain::StepScientistsClick);
    connect(stepSoldiers, &TExSpeedButton::OnClick, this, &TMain::StepSoldiersClick);
    Economy.HelpScroll = MakeScrollPanel(page, "ScrollTextPanel2", QRect(412, 298, 218, 94), 70);
}

void TMain::LocalizeEconomyPage() {
    Economy.SeedCaption->setText(Qs(LangText(kSeedCaption)));
    for (int i = 0; i < kEconomyPanelCount; ++i) {
        Economy.Actions[static_cast<size_t>(i)].Title->setText(Qs(LangText(kEconomyPanelTitles[i])));
        Economy.Actions[static_cast<size_t>(i)].Panel->setToolTip(Qs(LangText(kEconomyPanelHints[i])));
    }
    int i = 0;
    for (const SummaryRow& row : kSummaryRows)
        Economy.SummaryPanel->findChild<QLabel*>(row.caption)
            ->setText(Qs(LangText(kEconomySummaryCaptions[i++])));
    LoadIntroLines(*Economy.HelpScroll, 1);
}

void TMain::RefreshEconomySummary() {
    const TGosRec& rec = CurrentRec();
    const TEconomySummary& s = Economy.Summary;
    const int32_t population = rec.Peasants + rec.Scientists + rec.Soldiers;
    s.Population->setText(Dec(population));
    s.Peasants->setText(Dec(rec.Peasants));
    s.Scientists->setText(Dec(rec.Scientists));
    s.Soldiers->setText(Dec(rec.Soldiers));
    s.Territory->setText(Dec(rec.Territory));
    s.MaxPopulation->setText(Dec(Round(rec.Territory * Effect(PopulationDensity))));
    s.Money->setText(Dollars(rec.Money));
    s.Grain->setText(Dec(rec.Grain));
    s.GrainGrowth->setText(Dec(2 * Round(rec.FieldsSown * Effect(AgrarianLevel))));
    s.PopulationGrowth->setText(Dec(Round(population * Effect(PopulationGrowth) / 100 + 1)));
    s.ScienceCost->setText(Dollars(Salaries(rec.Scientists, 0)));
    s.ArmyCost->setText(Dollars(Salaries(0, rec.Soldiers)));
    s.Balance->setText(Dollars(Round(FieldIncome(Game.CurrentGos) - Salaries(rec.Scientists, rec.Soldiers))));
    SetFontColor(s.Balance, s.Balance->text().startsWith('-') ? clRed : clBlack);
}

void TMain::RefreshEconomyPage() {
    RefreshEconomySummary();
    const TGosRec& rec = CurrentRec();
    auto reset = [this](TEconomyPanel panel, int64_t maximum) {
        TEconomyAction& a = Economy.Actions[panel];
        a.TrackBar->setRange(0, static_cast<int>(std::clamp<int64_t>(maximum, 0, INT32_MAX)));
        a.TrackBar->setValue(0);
        a.MinLabel->setText("0");
        a.MaxLabel->setText(Dec(a.TrackBar->maximum()));
    };
    auto& act = Economy.Actions;
    const int64_t toSow = FieldsToSow(Game.CurrentGos);
    reset(epSow, toSow);
    act[epSow].ResultLabel->setText(Dec(SowFields(Game.CurrentGos, 0, TActionMode::Ask).Grain));
    act[epSow].AmountLabel->setText(SquareKm(0));
    if (toSow == 0) NextButton->setEnabled(true);
    reset(epBuy, BuyGrainLimit(Game.CurrentGos));
    act[epBuy].AmountLabel->setText("0");
    act[epBuy].ResultLabel->setText(Dec(BuyGrain(Game.CurrentGos, 0, TActionMode::Ask).Money));
    SetFontColor(act[epSell].Title, toSow == 0 ? clBlack : clRed);
    reset(epSell, rec.Grain);
    act[epSell].AmountLabel->setText("0");
    act[epSell].ResultLabel->setText(Dec(-SellGrain(Game.CurrentGos, 0, TActionMode::Ask).Money));
    for (TEconomyPanel panel : {epTrainScientists, epTrainSoldiers}) {
        reset(panel, HumanTrainingLimit(Game.CurrentGos, panel == epTrainScientists));
        act[panel].AmountLabel->setText(People(0));
        act[panel].ResultLabel->setText(Dollars(0));
    }
    reset(epDismissScientists, rec.FreeScientists);
    act[epDismissScientists].AmountLabel->setText(People(0));
    reset(epDismissSoldiers, rec.Reserve);
    act[epDismissSoldiers].AmountLabel->setText(People(0));
}

int TMain::EconomyAmount(TEconomyPanel panel) const {
    return Economy.Actions[static_cast<size_t>(panel)].TrackBar->value();
}

void TMain::SowAmountChange() {
    TEconomyAction& a = Economy.Actions[epSow];
    const int n = a.TrackBar->value();
    a.AmountLabel->setText(SquareKm(n));
    a.ResultLabel->setText(Dec(SowFields(Game.CurrentGos, n, TActionMode::Ask).Grain));
}

void TMain::SellAmountChange() {
    TEconomyAction& a = Economy.Actions[epSell];
    const int n = a.TrackBar->value();
    a.AmountLabel->setText(Dec(n));
    a.ResultLabel->setText(Dec(-SellGrain(Game.CurrentGos, n, TActionMode::Ask).Money) + " $");
}

void TMain::BuyAmountChange() {
    TEconomyAction& a = Economy.Actions[epBuy];
    const int n = a.TrackBar->value();
    a.AmountLabel->setText(Dec(n));
    a.ResultLabel->setText(Dec(BuyGrain(Game.CurrentGos, n, TActionMode::Ask).Money) + " $");
}

namespace {

void ShowTrainingCost(TEconomyAction& a, bool scientists) {
    const int n = a.TrackBar->value();
    const TActionMode ask = TActionMode::Ask;
    const TActionResult training =
        scientists ? TrainScientists(Game.CurrentGos, n, ask) : TrainSoldiers(Game.CurrentGos, n, ask);
    a.AmountLabel->setText(People(n));
    a.ResultLabel->setText(Dollars(training.Money));
    SetFontColor(a.ResultLabel, training.Refusal == TRefusal::NoMoney ? clRed : clOlive);
}

}  // namespace

void TMain::TrainScientistsAmountChange() { ShowTrainingCost(Economy.Actions[epTrainScientists], true); }
void TMain::TrainSoldiersAmountChange() { ShowTrainingCost(Economy.Actions[epTrainSoldiers], false); }

void TMain::DismissScientistsAmountChange() {
    TEconomyAction& a = Economy.Actions[epDismissScientists];
    a.AmountLabel->setText(People(a.TrackBar->value()));
}

void TMain::DismissSoldiersAmountChange() {
    TEconomyAction& a = Economy.Actions[epDismissSoldiers];
    a.AmountLabel->setText(People(a.TrackBar->value()));
}

// The ">" button: as many as the treasury pays with next year's salaries.
void TMain::StepTraining(TEconomyPanel panel) {
    QSlider* slider = Economy.Actions[panel].TrackBar;
    if (slider->maximum() < 1) return;
    const bool scientists = panel == epTrainScientists;
    slider->blockSignals(true);
    slider->setValue(HumanTrainingStep(Game.CurrentGos, scientists, slider->maximum()));
    slider->blockSignals(false);
    ShowTrainingCost(Economy.Actions[panel], scientists);
}

void TMain::StepScientistsClick() { StepTraining(epTrainScientists); }
void TMain::StepSoldiersClick() { StepTraining(epTrainSoldiers); }

void TMain::SowClick() {
    NextButton->setEnabled(true);
    Settled(SowFields(Game.CurrentGos, EconomyAmount(epSow)));
}

void TMain::SellGrainClick() {
    const int n = EconomyAmount(epSell);
    if (FieldsToSow(Game.CurrentGos) > 0 && !Ask(LangText(kSellGrainQuestion))) return;
    Settled(SellGrain(Game.CurrentGos, n));
}

void TMain::BuyGrainClick() { Settled(BuyGrain(Game.CurrentGos, EconomyAmount(epBuy))); }

void TMain::TrainScientistsClick() {
    if (Settled(TrainScientists(Game.CurrentGos, EconomyAmount(epTrainScientists))))
        MainState.ScienceDirty = true;
}

void TMain::TrainSoldiersClick() { Settled(TrainSoldiers(Game.CurrentGos, EconomyAmount(epTrainSoldiers))); }

void TMain::DismissScientistsClick() {
    const int n = EconomyAmount(epDismissScientists);
    if (n <= 0) return;
    if (!Ask(FormatText(LangText(kDismissScientistsQuestion), {n}))) return;
    if (Settled(DismissScientists(Game.CurrentGos, n))) MainState.ScienceDirty = true;
}

void TMain::DismissSoldiersClick() {
    const int n = EconomyAmount(epDismissSoldiers);
    if (n <= 0) return;
    if (!Ask(FormatText(LangText(kDismissSoldiersQuestion), {n}))) return;
    Settled(DismissSoldiers(Game.CurrentGos, n));
}

bool TMain::Settled(const TActionResult& result) {
    if (!result) {
        Tell(result.Reason());
        return false;
    }
    RefreshEconomyPage();
    return true;
}

}  // namespace kordalt

#include "main_economy_page.moc"
