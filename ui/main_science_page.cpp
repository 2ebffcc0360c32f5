// The science page: scientists per research branch.
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "controls/scroll_text_panel.h"
#include "controls/speed_button.h"
#include "controls/spin_edit.h"
#include "game/language_file.h"
#include "game/player_actions.h"
#include "platform/arith.h"
#include "platform/format.h"
#include "ui/main_screen.h"
#include "ui/main_screen_support.h"

namespace kordalt {

namespace {

struct BranchNames {
    const char *caption, *panel, *gauge, *level, *effect, *years, *needed, *levelCaption, *yearsCaption,
        *spin, *oneYear, *max, *min;
};
constexpr BranchNames kBranches[6] = {
    {"Label116", "Panel8", "Gauge1", "Label46", "Label48", "Label47", "Label44", "Label43", "Label45",
     "ExSpinEdit1", "ExSpeedButton5", "ExSpeedButton1", "MinButton1"},
    {"Label127", "Panel9", "Gauge2", "Label53", "Label55", "Label54", "Label51", "Label50", "Label52",
     "ExSpinEdit2", "ExSpeedButton6", "ExSpeedButton11", "MinButton2"},
    {"Label131", "Panel10", "Gauge3", "Label60", "Label62", "Label61", "Label58", "Label57", "Label59",
     "ExSpinEdit3", "ExSpeedButton7", "ExSpeedButton14", "MinButton3"},
    {"Label129", "Panel11", "Gauge4", "Label67", "Label69", "Label68", "Label65", "Label64", "Label66",
     "ExSpinEdit4", "ExSpeedButton8", "ExSpeedButton15", "MinButton4"},
    {"Label130", "Panel12", "Gauge6", "Label81", "Label83", "Label82", "Label79", "Label78", "Label80",
     "ExSpinEdit6", "ExSpeedButton10", "ExSpeedButton16", "MinButton5"},
    {"Label128", "Panel13", "Gauge5", "Label74", "Label76", "Label75", "Label72", "Label71", "Label73",
     "ExSpinEdit5", "ExSpeedButton9", "ExSpeedButton17", "MinButton6"},
};

const TResearchRec& Branch(int k) { return CurrentRec().Research[k]; }
long double PointsPerScientist() { return CurrentRec().Research[ScienceLevel].Effect; }
int64_t Remaining(int k) { return int64_t{Branch(k).Cost} - Branch(k).Points; }

int64_t Needed(int k) {
    const long double x = Remaining(k) / PointsPerScientist();
    const int64_t whole = Trunc(x);
    return x - whole > 0 ? whole + 1 : whole;
}

int64_t Years(int k) {
    long double years = Remaining(k) / ((Branch(k).Scientists + 0.001L) * PointsPerScientist()) + 1.0L;
    if (years > 99.0L) years = 99.0L;
    if (years < 0) years = 0;
    return Trunc(years);
}

int64_t Progress(int k) { return Trunc(Branch(k).Scientists * PointsPerScientist()) + Branch(k).Points; }

void SetSpin(TExSpinEdit* spin, int value) {
    spin->blockSignals(true);
    spin->SetValue(value);
    spin->blockSignals(false);
}

void ShowProgress(QProgressBar* gauge, int64_t progress) {
    gauge->setValue(static_cast<int>(std::clamp<int64_t>(progress, gauge->minimum(), gauge->maximum())));
}

}  // namespace

void TMain::BuildSciencePage() {
    QWidget* page = TabSheetScience;
    for (int k = 0; k < 6; ++k) {
        const BranchNames& n = kBranches[k];
        TBranchControls& b = Science.Branches[static_cast<size_t>(k)];
        b.Panel = new QWidget(page);
        b.Panel->setObjectName(n.panel);
        b.Panel->setGeometry(4 + (k % 3) * 210, 4 + (k / 3) * 180, 206, 176);
        b.Panel->setAutoFillBackground(true);
        b.Caption = MakeLabel(b.Panel, n.caption, 4, 2, 198, 16);
        QFont bold = b.Caption->font();
        bold.setBold(true);
        b.Caption->setFont(bold);
        b.Gauge = new QProgressBar(b.Panel);
        b.Gauge->setObjectName(n.gauge);
        b.Gauge->setOrientation(Qt::Vertical);
        b.Gauge->setTextVisible(false);
        b.Gauge->setGeometry(4, 22, 16, 148);
        b.CurrentLevelCaption = MakeLabel(b.Panel, n.levelCaption, 26, 22, 122, 16);
        b.LevelLabel = MakeLabel(b.Panel, n.level, 150, 22, 50, 16);
        b.EffectLabel = MakeLabel(b.Panel, n.effect, 140, 40, 60, 16);
        b.NeededLabel = MakeLabel(b.Panel, n.needed, 26, 58, 176, 16);
        b.YearsCaption = MakeLabel(b.Panel, n.yearsCaption, 26, 76, 176, 16);
        b.YearsLabel = MakeLabel(b.Panel, n.years, 132, 76, 24, 16);
        b.YearsLabel->setAlignment(Qt::AlignCenter);
        b.SpinEdit = new TExSpinEdit(b.Panel);
        b.SpinEdit->setObjectName(n.spin);
        b.SpinEdit->setGeometry(26, 98, 80, 22);
        b.SpinEdit->SetMinValue(0);
        b.SpinEdit->SetMaxValue(999999);
        b.ForOneYear = MakeSpeedButton(b.Panel, n.oneYear, QRect(110, 98, 90, 22));
        b.Max = MakeSpeedButton(b.Panel, n.max, QRect(26, 126, 60, 22), "Max");
        b.Min = MakeSpeedButton(b.Panel, n.min, QRect(90, 126, 60, 22), "Min");
        connect(b.SpinEdit, &TExSpinEdit::OnChange, this, [this, k] { SpinEditChange(k); });
        connect(b.ForOneYear, &TExSpeedButton::OnClick, this, [this, k] { ForOneYearClick(k); });
        connect(b.Max, &TExSpeedButton::OnClick, this, [this, k] { MaxClick(k); });
        connect(b.Min, &TExSpeedButton::OnClick, this, [this, k] { MinClick(k); });
    }
    Science.FreeCaption = MakeLabel(page, "Label41", 8, 370, 130, 20);
    Science.FreeScientists = MakeLabel(page, "Label84", 140, 370, 60, 20);
    Science.RecallAll = MakeSpeedButton(page, "SpeedButton4", QRect(214, 368, 120, 22));
    connect(Science.RecallAll, &TExSpeedButton::OnClick, this, [this] { RecallAllClick(); });
    Science.HelpScroll = MakeScrollPanel(page, "ScrollTextPanel3", QRect(344, 364, 286, 36), 60);
}

void TMain::LocalizeSciencePage() {
    for (int k = 0; k < 6; ++k) {
        TBranchControls& b = Science.Branches[static_cast<size_t>(k)];
        b.Caption->setText(Qs(LangText(kScienceBranches[k])));
        b.CurrentLevelCaption->setText(Qs(LangText(kScienceLevel)));
        b.YearsCaption->setText(Qs(LangText(kScienceYears)));
        b.ForOneYear->SetCaption(Qs(LangText(kScienceForOneYear)));
    }
    // The needed-scientists labels in the order Label44, 51, 58, 65, 72, 79.
    static constexpr int neededOrder[6] = {0, 1, 2, 3, 5, 4};
    for (int i = 0; i < 6; ++i)
        Science.Branches[static_cast<size_t>(neededOrder[i])].NeededLabel->setText(
            Qs(LangText(kScienceNeededCaptions[i])));
    Science.FreeCaption->setText(Qs(LangText(kScienceFree)));
    Science.RecallAll->SetCaption(Qs(LangText(kScienceRecallAll)));
    Science.RecallAll->setToolTip(Qs(LangText(kScienceRecallAllHint)));
    LoadIntroLines(*Science.HelpScroll, 2);
}

void TMain::RefreshSciencePage() {
    const TGosRec& rec = CurrentRec();
    Science.FreeScientists->setText(Dec(rec.FreeScientists));
    for (int k = 0; k < 6; ++k) {
        TBranchControls& b = Science.Branches[static_cast<size_t>(k)];
        const TResearchRec& r = Branch(k);
        b.LevelLabel->setText(Dec(r.Level));
        b.EffectLabel->setText(QString::number(static_cast<double>(r.Effect), 'f', 2));
        b.YearsLabel->setText(Dec(Years(k)));
        b.Gauge->setRange(0, std::max(0, r.Cost));
        ShowProgress(b.Gauge, Progress(k));
        const int maximum = rec.FreeScientists + r.Scientists;
        b.SpinEdit->SetMaxValue(maximum);
        b.SpinEdit->SetIncrement(static_cast<long double>(Trunc(maximum / 30.0L + 1.0L)));
        SetSpin(b.SpinEdit, r.Scientists);
        b.NeededLabel->setText(Qs(FormatText(LangText(kScienceNeeded), {Needed(k)})));
    }
    MainState.ScienceDirty = false;
}

void TMain::RefreshScienceCounts() {
    const TGosRec& rec = CurrentRec();
    for (int k = 0; k < 6; ++k) {
        TBranchControls& b = Science.Branches[static_cast<size_t>(k)];
        const long double maximum =
            b.SpinEdit->GetSpinIntValue() + static_cast<long double>(rec.FreeScientists);
        b.SpinEdit->SetMaxValue(maximum);
        b.SpinEdit->SetIncrement(static_cast<long double>(Trunc(maximum / 15.0L + 1.0L)));
        b.YearsLabel->setText(Dec(Years(k)));
        ShowProgress(b.Gauge, Progress(k));
    }
    Science.FreeScientists->setText(Dec(rec.FreeScientists));
}

void TMain::SpinEditChange(int k) {
    const TGosRec& rec = CurrentRec();
    const TResearchRec& r = Branch(k);
    TExSpinEdit* spin = Science.Branches[static_cast<size_t>(k)].SpinEdit;
    if (r.Scientists < 1 && rec.FreeScientists < 1) {
        SetSpin(spin, 0);
        return;
    }
    // A typed number above the free scientists is taken as all of them.
    SetBranchScientists(Game.CurrentGos, k,
                        std::clamp(spin->GetSpinIntValue(), 0, rec.FreeScientists + r.Scientists));
    RefreshScienceCounts();
}

void TMain::ForOneYearClick(int k) {
    const int64_t n = HumanScientistsForOneYear(Game.CurrentGos, k);
    if (n > 0 && SetBranchScientists(Game.CurrentGos, k, SaturateI32(n)))
        SetSpin(Science.Branches[static_cast<size_t>(k)].SpinEdit, static_cast<int>(n));
    RefreshScienceCounts();
}

void TMain::MaxClick(int k) {
    const int m = CurrentRec().FreeScientists + Branch(k).Scientists;
    if (m > 0 && SetBranchScientists(Game.CurrentGos, k, m))
        SetSpin(Science.Branches[static_cast<size_t>(k)].SpinEdit, m);
    RefreshScienceCounts();
}

void TMain::MinClick(int k) {
    RecallBranchScientists(Game.CurrentGos, k);
    SetSpin(Science.Branches[static_cast<size_t>(k)].SpinEdit, 0);
    RefreshScienceCounts();
}

void TMain::RecallAllClick() {
    RecallAllScientists(Game.CurrentGos);
    // ExSpinEdit1 to ExSpinEdit6 in name order.
    for (int k : {0, 1, 2, 3, 5, 4}) SetSpin(Science.Branches[static_cast<size_t>(k)].SpinEdit, 0);
    RefreshScienceCounts();
}

}  // namespace kordalt
