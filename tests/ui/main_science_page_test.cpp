// The science page driven through its spin edits and quick buttons.
#include "controls/spin_edit.h"
#include "main_screen_fixture.h"

namespace kordalt::test {
namespace {

class SciencePage : public MainScreenTest {
protected:
    void SetUp() override {
        TGosRec& g = Gos();
        g.Scientists = g.FreeScientists = 20;
        for (TResearchRec& r : g.Research) r.Scientists = 0;
        g.Research[ScienceLevel].Effect = 3.0f;
        g.Research[PopulationDensity].Cost = 110;
        g.Research[PopulationDensity].Points = 100;  // 10 points left: 4 scientists at 3 points each
        screen->FormActivate();
        OpenPage(2);
    }
    TExSpinEdit* Spin(const char* name) { return Find<TExSpinEdit>(name); }
    void ExpectInvariant() {
        int32_t assigned = 0;
        for (const TResearchRec& r : Gos().Research) assigned += r.Scientists;
        EXPECT_GE(Gos().FreeScientists, 0);
        EXPECT_EQ(Gos().FreeScientists + assigned, Gos().Scientists);
        EXPECT_EQ(Text("Label84"), QString::number(Gos().FreeScientists));
    }
};

TEST_F(SciencePage, FullRefreshShowsEveryBranch) {
    EXPECT_FALSE(MainState.ScienceDirty);
    EXPECT_EQ(Text("Label47"), "99") << "a branch without scientists";
    EXPECT_EQ(Text("Label44"), "Нужно учёных: 4");
    EXPECT_EQ(Text("Label76"), "3.00");
    EXPECT_EQ(Spin("ExSpinEdit1")->MaxValue(), 20);
    EXPECT_EQ(Find<QProgressBar>("Gauge1")->maximum(), 110);
    EXPECT_EQ(Find<QProgressBar>("Gauge1")->value(), 100);
}

TEST_F(SciencePage, ForOneYearAssignsExactlyWhatFinishesTheLevel) {
    struct Case {
        int32_t free;
        int32_t expected;  // scientists on the branch afterwards
    };
    for (const Case& c : {Case{3, 0}, Case{4, 4}, Case{20, 4}}) {
        Gos().Scientists = Gos().FreeScientists = c.free;
        for (TResearchRec& r : Gos().Research) r.Scientists = 0;
        screen->RefreshSciencePage();
        Click("ExSpeedButton5");
        EXPECT_EQ(Gos().Research[0].Scientists, c.expected) << c.free;
        EXPECT_EQ(Spin("ExSpinEdit1")->GetSpinIntValue(), c.expected);
        ExpectInvariant();
    }
    EXPECT_EQ(Text("Label47"), "1");
}

TEST_F(SciencePage, MaxMinAndAllOffKeepTheScientistsCounted) {
    Click("ExSpeedButton16");  // Max of the military branch
    EXPECT_EQ(Gos().Research[MilitaryTraining].Scientists, 20);
    EXPECT_EQ(Gos().FreeScientists, 0);
    EXPECT_EQ(Spin("ExSpinEdit6")->GetSpinIntValue(), 20);
    ExpectInvariant();
    Click("MinButton5");
    EXPECT_EQ(Gos().Research[MilitaryTraining].Scientists, 0);
    EXPECT_EQ(Gos().FreeScientists, 20);
    ExpectInvariant();
    Spin("ExSpinEdit2")->setText("7");
    Spin("ExSpinEdit5")->setText("5");
    EXPECT_EQ(Gos().Research[PopulationGrowth].Scientists, 7);
    EXPECT_EQ(Gos().Research[ScienceLevel].Scientists, 5);
    ExpectInvariant();
    EXPECT_EQ(Spin("ExSpinEdit3")->MaxValue(), 8) << "value plus the free scientists";
    Click("SpeedButton4");
    EXPECT_EQ(Gos().FreeScientists, 20);
    for (const char* name : {"ExSpinEdit1", "ExSpinEdit2", "ExSpinEdit5"})
        EXPECT_EQ(Spin(name)->GetSpinIntValue(), 0) << name;
    ExpectInvariant();
}

TEST_F(SciencePage, TypedNumbersNeverTakeMoreThanTheFreeScientists) {
    Spin("ExSpinEdit1")->setText("50");
    EXPECT_EQ(Gos().Research[0].Scientists, 20);
    ExpectInvariant();
    // Nobody free and nobody on the branch: the edit goes back to 0.
    Spin("ExSpinEdit2")->setText("5");
    EXPECT_EQ(Spin("ExSpinEdit2")->text(), "0");
    EXPECT_EQ(Gos().Research[1].Scientists, 0);
    ExpectInvariant();
}

TEST_F(SciencePage, RebuiltOnlyWhenDirty) {
    Gos().FreeScientists += 5;
    Gos().Scientists += 5;
    OpenPage(0);
    OpenPage(2);
    EXPECT_EQ(Text("Label84"), "20") << "opened again without a change: not rebuilt";
    OpenPage(1);
    Gos().Money = 1000;
    screen->RefreshEconomyPage();
    Slide("TrackBar6", 2);
    Click("Shape24");
    EXPECT_TRUE(MainState.ScienceDirty);
    OpenPage(2);
    EXPECT_EQ(Text("Label84"), "27");
    EXPECT_EQ(Spin("ExSpinEdit1")->MaxValue(), 27);
}

}  // namespace
}  // namespace kordalt::test
