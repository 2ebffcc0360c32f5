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

// Expected income of the sown fields.
long double FieldIncome() { return CurrentRec().FieldsSown * Effect(AgrarianLevel) * Effect(FinancialLevel); }

struct PanelNames {
    const char *panel, *title, *trackBar, *minLabel, *maxLabel, *amount, *result, *shape, *text, *max,
        *button;
};
constexpr PanelNames kPanels[kEconomyPanelCount] = {
    {"Panel14", "Label132", "TrackBar11", "Label104", "Label105", "Label124", "Label106", "Shape28",
     "StaticText7", "ExLabel7", "Button5"},
    {"Panel15", "Label133", "TrackBar5", "Label26", "Label27", "Label126", "Label28", "Shape26",
     "StaticText5", "ExLabel14", "Button7"},
    {"Panel16", "Label134", "TrackBar6", "Label29", "Label30", "Label31", "Label33", "Shape24", "StaticText3",
     "ExLabel2", "Button8"},
    {"Panel17", "Label135", "TrackBar7", "Label34", "Label35", "Label36", "Label38", "Shape25", "StaticText4",
     "ExLabel15", "Button9"},
    {"Panel18", "Label136", "TrackBar9", "Label107", "Label108", "Label109", nullptr, "Shape18",
     "StaticText1", "ExLabel16", nullptr},
    {"Panel19", "Label137", "TrackBar10", "Label112", "Label113", "Label114", nullptr, "Shape23",
     "StaticText2", "ExLabel17", nullptr},
    {"Panel20", "Label138", "TrackBar12", "Label32", "Label37", "Label115", "Label110", "Shape27",
     "StaticText6", "ExLabel18", "Button10"},
};

QString People(int n) { return Dec(n) + " " + Qs(LangText(1166, "чел.")); }

}  // namespace

void TMain::BuildEconomyPage() {
    QWidget* page = TabSheet1;
    Economy.Panel1 = new QWidget(page);
    Economy.Panel1->setObjectName("Panel1");
    Economy.Panel1->setGeometry(4, 4, 180, 392);
    Economy.Panel1->setAutoFillBackground(true);
    struct Row {
        const char* caption;
        const char* value;
        QLabel** target;
    };
    const Row rows[] = {
        {"Label87", nullptr, nullptr},
        {"Label14", "Label20", &Economy.Label20},
        {"Label15", "Label23", &Economy.Label23},
        {"Label16", "Label24", &Economy.Label24},
        {"Label17", "Label25", &Economy.Label25},
        {"Label18", "Label21", &Economy.Label21},
        {"Label19", "Label22", &Economy.Label22},
        {"Label39", "Label40", &Economy.Label40},
        {"Label102", "Label103", &Economy.Label103},
        {"Label88", nullptr, nullptr},
        {"Label85", "Label86", &Economy.Label86},
        {"Label89", "Label90", &Economy.Label90},
        {"Label117", nullptr, nullptr},
        {"Label118", "Label119", &Economy.Label119},
        {"Label120", "Label121", &Economy.Label121},
        {"Label122", "Label123", &Economy.Label123},
    };
    int y = 4;
    for (const Row& row : rows) {
        const bool heading = row.value == nullptr;
        const int height = std::string_view(row.caption) == "Label19" ? 30 : 20;
        QLabel* caption = MakeLabel(Economy.Panel1, row.caption, 4, y, heading ? 170 : 96, height);
        if (heading) {
            QFont bold = caption->font();
            bold.setBold(true);
            caption->setFont(bold);
            caption->setAlignment(Qt::AlignCenter);
        } else {
            *row.target = MakeLabel(Economy.Panel1, row.value, 100, y, 74, height);
            (*row.target)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        y += height + (row.caption == std::string_view("Label122") ? 0 : 3);
    }

    for (int i = 0; i < kEconomyPanelCount; ++i) {
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
        if (n.button) {
            a.ActionButton = MakeHiddenButton(a.Panel, n.button);
        }
        connect(a.Shape, &TShape::MouseDown, this, [this, i] {
            TEconomyAction& act = Economy.Actions[static_cast<size_t>(i)];
            act.Shape->SetBrush(clGreen);
            SetPaletteColor(*act.StaticText, QPalette::Window, clGreen);
        });
        connect(a.Shape, &TShape::MouseUp, this, [this, i] {
            TEconomyAction& act = Economy.Actions[static_cast<size_t>(i)];
            act.Shape->SetBrush(kShapeColor);
            SetPaletteColor(*act.StaticText, QPalette::Window, kShapeColor);
            EconomyAction(i);
        });
        // MAX: the click sets the maximum; on all but the buy panel the
        // release then carries the action out.
        connect(a.MaxButton, &TExLabel::OnClick, this, [this, i] {
            QSlider* s = Economy.Actions[static_cast<size_t>(i)].TrackBar;
            s->setValue(s->maximum());
        });
        if (i != epBuy) {
            connect(a.MaxButton, &TExLabel::OnMouseDown, a.Shape, &TShape::MouseDown);
            connect(a.MaxButton, &TExLabel::OnMouseUp, a.Shape, &TShape::MouseUp);
        }
    }
    Economy.Label125 = MakeLabel(Economy.Actions[epSow].Panel, "Label125", 4, 75, 88, 16);
    auto& act = Economy.Actions;
    connect(act[epSow].TrackBar, &QSlider::valueChanged, this, [this] { TrackBar11Change(); });
    connect(act[epSell].TrackBar, &QSlider::valueChanged, this, [this] { TrackBar5Change(); });
    connect(act[epTrainScientists].TrackBar, &QSlider::valueChanged, this, [this] { TrackBar6Change(); });
    connect(act[epTrainSoldiers].TrackBar, &QSlider::valueChanged, this, [this] { TrackBar7Change(); });
    connect(act[epDismissScientists].TrackBar, &QSlider::valueChanged, this, [this] { TrackBar9Change(); });
    connect(act[epDismissSoldiers].TrackBar, &QSlider::valueChanged, this, [this] { TrackBar10Change(); });
    connect(act[epBuy].TrackBar, &QSlider::valueChanged, this, [this] { TrackBar12Change(); });
    connect(act[epSow].ActionButton, &QPushButton::clicked, this, [this] { ExSpeedButton12Click(); });
    connect(act[epSell].ActionButton, &QPushButton::clicked, this, [this] { ExSpeedButton2Click(); });
    connect(act[epTrainScientists].ActionButton, &QPushButton::clicked, this,
            [this] { ExSpeedButton3Click(); });
    connect(act[epTrainSoldiers].ActionButton, &QPushButton::clicked, this,
            [this] { ExSpeedButton4Click(); });
    connect(act[epBuy].ActionButton, &QPushButton::clicked, this, [this] { ExSpeedButton13Click(); });

    auto* step1 = MakeSpeedButton(act[epTrainScientists].Panel, "SpeedButton1", QRect(140, 58, 16, 16), ">");
    auto* step2 = MakeSpeedButton(act[epTrainSoldiers].Panel, "SpeedButton2", QRect(140, 58, 16, 16), ">");
    Economy.SpeedButton1 = step1;
    Economy.SpeedButton2 = step2;
    connect(step1, &TExSpeedButton::OnClick, this, [this] { SpeedButton1Click(); });
    connect(step2, &TExSpeedButton::OnClick, this, [this] { SpeedButton2Click(); });

    Economy.ScrollTextPanel2 = MakeScrollPanel(page, "ScrollTextPanel2", QRect(412, 298, 218, 94), 70);
    Economy.EconomyInfo = MakeHiddenButton(page, "EconomyInfo");
    connect(Economy.EconomyInfo, &QPushButton::clicked, this, [this] { EconomyInfoClick(); });
}

void TMain::LocalizeEconomyPage() {
    Economy.Label125->setText(Qs(LangText(1514)));
    for (int i = 0; i < kEconomyPanelCount; ++i) {
        Economy.Actions[static_cast<size_t>(i)].Title->setText(Qs(LangText(1515 + i, "")));
        Economy.Actions[static_cast<size_t>(i)].Panel->setToolTip(Qs(LangText(1522 + i, "")));
    }
    const char* captions[16] = {"Label87",  "Label14",  "Label15",  "Label16", "Label17", "Label18",
                                "Label19",  "Label39",  "Label102", "Label88", "Label85", "Label89",
                                "Label117", "Label118", "Label120", "Label122"};
    for (int i = 0; i < 16; ++i)
        Economy.Panel1->findChild<QLabel*>(captions[i])->setText(Qs(LangText(1529 + i, "")));
    LoadIntroLines(*Economy.ScrollTextPanel2, 1);
}

void TMain::EconomyInfoClick() {
    const TGosRec& rec = CurrentRec();
    const int32_t population = rec.Peasants + rec.Scientists + rec.Soldiers;
    Economy.Label20->setText(Dec(population));
    Economy.Label23->setText(Dec(rec.Peasants));
    Economy.Label24->setText(Dec(rec.Scientists));
    Economy.Label25->setText(Dec(rec.Soldiers));
    Economy.Label21->setText(Dec(rec.Territory));
    Economy.Label22->setText(Dec(Round(rec.Territory * Effect(PopulationDensity))));
    Economy.Label40->setText(Dollars(rec.Money));
    Economy.Label103->setText(Dec(rec.Grain));
    Economy.Label86->setText(Dec(2 * Round(rec.FieldsSown * Effect(AgrarianLevel))));
    Economy.Label90->setText(Dec(Round(population * Effect(PopulationGrowth) / 100 + 1)));
    Economy.Label119->setText(Dollars(PowerTrunc(rec.Scientists, 1.6)));
    Economy.Label121->setText(Dollars(PowerTrunc(rec.Soldiers, 1.8)));
    Economy.Label123->setText(Dollars(Round(FieldIncome() - Salaries(rec.Scientists, rec.Soldiers))));
    SetFontColor(Economy.Label123, Economy.Label123->text().startsWith('-') ? clRed : clBlack);

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
    act[epSow].ResultLabel->setText(Dec(Trunc(0 * Effect(AgrarianLevel))));
    act[epSow].AmountLabel->setText("0 " + Qs(LangText(1165, "кв.км")));
    if (toSow == 0) BitBtn1->setEnabled(true);
    reset(epBuy, Trunc(rec.Money / (Effect(FinancialLevel) * 2.0L)));
    act[epBuy].AmountLabel->setText("0");
    act[epBuy].ResultLabel->setText(Dec(Round(0 * Effect(FinancialLevel) * 2.0L)));
    SetFontColor(act[epSell].Title, toSow == 0 ? clBlack : clRed);
    reset(epSell, rec.Grain);
    act[epSell].AmountLabel->setText("0");
    act[epSell].ResultLabel->setText(Dec(Round(0 * Effect(FinancialLevel))));
    for (TEconomyPanel panel : {epTrainScientists, epTrainSoldiers}) {
        const bool scientists = panel == epTrainScientists;
        reset(panel, HumanTrainingLimit(Game.CurrentGos, scientists));
        act[panel].AmountLabel->setText(People(0));
        act[panel].ResultLabel->setText(Dollars(0));
    }
    reset(epDismissScientists, rec.FreeScientists);
    act[epDismissScientists].AmountLabel->setText(People(0));
    reset(epDismissSoldiers, rec.Reserve);
    act[epDismissSoldiers].AmountLabel->setText(People(0));
}

void TMain::TrackBar11Change() {
    TEconomyAction& a = Economy.Actions[epSow];
    const int n = a.TrackBar->value();
    a.AmountLabel->setText(Dec(n) + " " + Qs(LangText(1165, "кв.км")));
    a.ResultLabel->setText(Dec(SowFields(Game.CurrentGos, n, TActionMode::Ask).Grain));
}

void TMain::TrackBar5Change() {
    TEconomyAction& a = Economy.Actions[epSell];
    const int n = a.TrackBar->value();
    a.AmountLabel->setText(Dec(n));
    a.ResultLabel->setText(Dec(-SellGrain(Game.CurrentGos, n, TActionMode::Ask).Money) + " $");
}

void TMain::TrackBar12Change() {
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

void TMain::TrackBar6Change() { ShowTrainingCost(Economy.Actions[epTrainScientists], true); }
void TMain::TrackBar7Change() { ShowTrainingCost(Economy.Actions[epTrainSoldiers], false); }

void TMain::TrackBar9Change() {
    TEconomyAction& a = Economy.Actions[epDismissScientists];
    a.AmountLabel->setText(People(a.TrackBar->value()));
}

void TMain::TrackBar10Change() {
    TEconomyAction& a = Economy.Actions[epDismissSoldiers];
    a.AmountLabel->setText(People(a.TrackBar->value()));
}

void TMain::StepTraining(QSlider* slider, bool scientists) {
    if (slider->maximum() < 1) return;
    slider->blockSignals(true);
    slider->setValue(HumanTrainingStep(Game.CurrentGos, scientists, slider->maximum()));
    slider->blockSignals(false);
    if (scientists)
        TrackBar6Change();
    else
        TrackBar7Change();
}

void TMain::SpeedButton1Click() { StepTraining(Economy.Actions[epTrainScientists].TrackBar, true); }
void TMain::SpeedButton2Click() { StepTraining(Economy.Actions[epTrainSoldiers].TrackBar, false); }

void TMain::EconomyAction(int panel) {
    TEconomyAction& a = Economy.Actions[static_cast<size_t>(panel)];
    if (a.ActionButton)
        a.ActionButton->click();
    else if (panel == epDismissScientists)
        Shape18MouseUp();
    else
        Shape23MouseUp();
}

void TMain::ExSpeedButton12Click() {
    BitBtn1->setEnabled(true);
    Settled(SowFields(Game.CurrentGos, Economy.Actions[epSow].TrackBar->value()));
}

void TMain::ExSpeedButton2Click() {
    const int n = Economy.Actions[epSell].TrackBar->value();
    if (FieldsToSow(Game.CurrentGos) > 0 &&
        !Ask(LangText(3112, "Вы уверены, что не хотите сначала обработать землю ?")))
        return;
    Settled(SellGrain(Game.CurrentGos, n));
}

void TMain::ExSpeedButton13Click() {
    Settled(BuyGrain(Game.CurrentGos, Economy.Actions[epBuy].TrackBar->value()));
}

void TMain::ExSpeedButton3Click() {
    if (Settled(TrainScientists(Game.CurrentGos, Economy.Actions[epTrainScientists].TrackBar->value())))
        MainState.ScienceDirty = 1;
}

void TMain::ExSpeedButton4Click() {
    Settled(TrainSoldiers(Game.CurrentGos, Economy.Actions[epTrainSoldiers].TrackBar->value()));
}

void TMain::Shape18MouseUp() {
    const int n = Economy.Actions[epDismissScientists].TrackBar->value();
    if (n <= 0) return;
    if (!Ask(FormatText(LangText(3114, "Вы уверены, что хотите уволить %d учёных?"), {n}))) return;
    if (Settled(DismissScientists(Game.CurrentGos, n))) MainState.ScienceDirty = 1;
}

void TMain::Shape23MouseUp() {
    const int n = Economy.Actions[epDismissSoldiers].TrackBar->value();
    if (n <= 0) return;
    if (!Ask(FormatText(LangText(3115, "Вы уверены, что хотите уволить %d солдат?"), {n}))) return;
    Settled(DismissSoldiers(Game.CurrentGos, n));
}

bool TMain::Settled(const TActionResult& result) {
    if (!result) {
        Tell(result.Reason());
        return false;
    }
    Economy.EconomyInfo->click();
    return true;
}

}  // namespace kordalt

#include "main_economy_page.moc"
