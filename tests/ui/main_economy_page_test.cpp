// The economy page driven through its sliders, "OK" shapes and "MAX" labels.
#include <cstring>

#include "main_screen_fixture.h"
#include "platform/arith.h"

namespace kordalt::test {
namespace {

class EconomyPage : public MainScreenTest {
protected:
    void SetUp() override {
        TGosRec& g = Gos();
        g.Money = 10000;
        g.Grain = 5000;
        g.FieldsSown = 0;
        g.Peasants = 800;
        g.Territory = 600;
        screen->FormActivate();
        OpenPage(1);
    }
    long double E(int branch) { return Gos().Research[branch].Effect; }
    QSlider* Slider(const char* name) { return Find<QSlider>(name); }
};

TEST_F(EconomyPage, SowingIsLimitedAndUnlocksNext) {
    const int64_t toSow = FieldsToSow(1);
    ASSERT_GT(toSow, 2);
    EXPECT_EQ(Slider("TrackBar11")->maximum(), toSow);
    EXPECT_EQ(Text("Label105"), QString::number(toSow));
    EXPECT_FALSE(screen->NextButton->isEnabled());
    for (int n : {0, 2}) {
        const int32_t grain = Gos().Grain;
        const int sown = Gos().FieldsSown;
        Slide("TrackBar11", n);
        EXPECT_EQ(Text("Label106"), QString::number(Trunc(n * E(AgrarianLevel))));
        Click("Shape28");
        EXPECT_EQ(Gos().Grain, grain - Trunc(n * E(AgrarianLevel))) << n;
        EXPECT_EQ(Gos().FieldsSown, sown + n) << n;
        EXPECT_TRUE(screen->NextButton->isEnabled());
        EXPECT_EQ(Slider("TrackBar11")->value(), 0) << "the refresh puts the slider back";
    }
    // MAX on the sow panel sows everything at once.
    Click("ExLabel7");
    EXPECT_EQ(FieldsToSow(1), 0);
    EXPECT_EQ(Slider("TrackBar11")->maximum(), 0);
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(EconomyPage, NothingToSowEnablesNextWhenThePageOpens) {
    Gos().FieldsSown = static_cast<uint16_t>(std::min<int32_t>(Gos().Peasants, Gos().Territory));
    screen->FormActivate();
    EXPECT_FALSE(screen->NextButton->isEnabled());
    OpenPage(0);
    OpenPage(1);
    EXPECT_TRUE(screen->NextButton->isEnabled());
    EXPECT_EQ(FontColor(Find("Label133")), clBlack);
}

TEST_F(EconomyPage, SellingWithFieldsLeftAsksFirst) {
    EXPECT_EQ(FontColor(Find("Label133")), clRed);
    struct Case {
        TMsgButton answer;
        bool sold;
    };
    for (const Case& c : {Case{TMsgButton::No, false}, Case{TMsgButton::Yes, true}}) {
        answer = c.answer;
        boxes.clear();
        const int32_t money = Gos().Money, grain = Gos().Grain;
        Slide("TrackBar5", 100);
        EXPECT_EQ(Text("Label28"), QString::number(Round(100 * E(FinancialLevel))) + " $");
        Click("Shape26");
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0], "Вы уверены, что не хотите сначала обработать землю ?");
        EXPECT_EQ(Gos().Money, c.sold ? money + Round(100 * E(FinancialLevel)) : money);
        EXPECT_EQ(Gos().Grain, c.sold ? grain - 100 : grain);
    }
}

TEST_F(EconomyPage, MaxSellsAllGrainButOnlyMovesTheBuySlider) {
    const int32_t grain = Gos().Grain, money = Gos().Money;
    Click("ExLabel14");
    EXPECT_EQ(Gos().Grain, 0);
    EXPECT_EQ(Gos().Money, money + Round(grain * E(FinancialLevel)));
    const int32_t afterSale = Gos().Money;
    Click("ExLabel18");
    EXPECT_EQ(Slider("TrackBar12")->value(), Trunc(afterSale / (E(FinancialLevel) * 2.0L)));
    EXPECT_EQ(Gos().Money, afterSale);
    EXPECT_EQ(Gos().Grain, 0);
    Click("Shape27");
    EXPECT_GE(Gos().Money, 0);
    EXPECT_EQ(Gos().Grain, Trunc(afterSale / (E(FinancialLevel) * 2.0L)));
}

TEST_F(EconomyPage, TrainingMaximumCountsIncomeSalariesAndLimits) {
    struct Case {
        int32_t money, scientists, soldiers, peasants, sown;
        int scientistsMax, soldiersMax;
    };
    const Case cases[] = {
        {250, 0, 0, 800, 0, 2, 2},               // a third person would cost 300
        {2000000000, 39995, 0, 800, 0, 5, 800},  // at most 40000 of a kind
        {1000000, 39995, 0, 800, 0, 0, 0},       // 40000 scientists cost more than the treasury
        {100000, 0, 0, 30, 0, 30, 30},           // no more than the peasants
        {0, 0, 0, 800, 0, 0, 0},
    };
    for (const Case& c : cases) {
        TGosRec& g = Gos();
        g.Money = c.money;
        g.Scientists = g.FreeScientists = c.scientists;
        for (TResearchRec& r : g.Research) r.Scientists = 0;
        g.Soldiers = g.Reserve = c.soldiers;
        g.Peasants = c.peasants;
        g.FieldsSown = static_cast<uint16_t>(c.sown);
        screen->RefreshEconomyPage();
        EXPECT_EQ(Slider("TrackBar6")->maximum(), c.scientistsMax) << c.money << " " << c.scientists;
        EXPECT_EQ(Slider("TrackBar7")->maximum(), c.soldiersMax) << c.money << " " << c.soldiers;
    }
}

TEST_F(EconomyPage, StepButtonStopsBeforeSalariesExceedTheTreasury) {
    Gos().Money = 3000;
    Gos().FieldsSown = 500;  // income lets the slider go further than the step button
    Gos().Scientists = Gos().FreeScientists = 0;
    for (TResearchRec& r : Gos().Research) r.Scientists = 0;
    Gos().Soldiers = Gos().Reserve = 0;
    screen->RefreshEconomyPage();
    Click("SpeedButton1");
    const int n = Slider("TrackBar6")->value();
    EXPECT_GE(3000 - 100 * n - PowerTrunc(n, 1.6), 0);
    EXPECT_LT(3000 - 100 * (n + 1) - PowerTrunc(n + 1, 1.6), 0);
    EXPECT_LE(n, Slider("TrackBar6")->maximum());
    EXPECT_EQ(Text("Label33"), QString::number(100 * n) + " $");
    EXPECT_EQ(FontColor(Find("Label33")), clOlive);
}

TEST_F(EconomyPage, TrainingMovesPeasantsAndMarksScienceDirty) {
    struct Case {
        const char *slider, *shape;
        int32_t TGosRec::*group;
        int32_t TGosRec::*pool;
    };
    for (const Case& c : {Case{"TrackBar6", "Shape24", &TGosRec::Scientists, &TGosRec::FreeScientists},
                          Case{"TrackBar7", "Shape25", &TGosRec::Soldiers, &TGosRec::Reserve}}) {
        TGosRec& g = Gos();
        const TGosRec before = g;
        MainState.ScienceDirty = false;
        Slide(c.slider, 7);
        Click(c.shape);
        EXPECT_EQ(g.Money, before.Money - 700);
        EXPECT_EQ(g.*c.group, before.*c.group + 7);
        EXPECT_EQ(g.*c.pool, before.*c.pool + 7);
        EXPECT_EQ(g.Peasants, before.Peasants - 7);
        EXPECT_EQ(MainState.ScienceDirty, c.group == &TGosRec::Scientists);
    }
    // More than the treasury is refused.
    const TGosRec before = Gos();
    Gos().Money = 50;
    Slide("TrackBar7", 3);
    screen->TrainSoldiersClick();
    EXPECT_EQ(boxes.back(), "У Вас недостаточно денег!");
    EXPECT_EQ(Gos().Soldiers, before.Soldiers);
}

// The state changes under a slider that was set while the amount fitted: the
// action refuses and its box names what is missing.
TEST_F(EconomyPage, ARefusalShowsItsOwnReason) {
    struct Case {
        const char *slider, *shape;
        int amount;
        void (*shrink)(TGosRec&);
        const char* reason;
    };
    const Case cases[] = {
        {"TrackBar11", "Shape28", 5, [](TGosRec& g) { g.Grain = 0; }, "Столько полей засеять нельзя!"},
        {"TrackBar5", "Shape26", 100, [](TGosRec& g) { g.Grain = 10; }, "У Вас недостаточно зерна!"},
        {"TrackBar6", "Shape24", 3, [](TGosRec& g) { g.Money = 250; }, "У Вас недостаточно денег!"},
        {"TrackBar6", "Shape24", 3, [](TGosRec& g) { g.Peasants = 2; }, "У Вас недостаточно крестьян!"},
        {"TrackBar7", "Shape25", 3, [](TGosRec& g) { g.Money = 0; }, "У Вас недостаточно денег!"},
        {"TrackBar7", "Shape25", 3, [](TGosRec& g) { g.Peasants = 0; }, "У Вас недостаточно крестьян!"},
        {"TrackBar9", "Shape18", 5, [](TGosRec& g) { g.FreeScientists = 4; },
         "У Вас нет столько свободных учёных!"},
        {"TrackBar10", "Shape23", 5, [](TGosRec& g) { g.Reserve = 0; },
         "У Вас нет столько солдат в резерве!"},
    };
    for (const Case& c : cases) {
        TGosRec& g = Gos();
        g.Money = 10000;
        g.Grain = 5000;
        g.Peasants = 800;
        g.Scientists = g.FreeScientists = 20;
        for (TResearchRec& r : g.Research) r.Scientists = 0;
        g.Soldiers = g.Reserve = 30;
        screen->RefreshEconomyPage();
        Slide(c.slider, c.amount);
        ASSERT_EQ(Find<QSlider>(c.slider)->value(), c.amount) << c.reason;
        c.shrink(g);
        const TGosRec before = g;
        boxes.clear();
        Click(c.shape);
        ASSERT_FALSE(boxes.isEmpty()) << c.reason;
        EXPECT_EQ(boxes.back(), c.reason);
        EXPECT_EQ(std::memcmp(&before, &g, sizeof g), 0) << c.reason;
        EXPECT_EQ(Find<QSlider>(c.slider)->value(), c.amount) << "a refusal keeps the amount: " << c.reason;
    }
}

TEST_F(EconomyPage, DismissingAsksWithTheNumberAndZeroAsksNothing) {
    Gos().Scientists = Gos().FreeScientists = 20;
    for (TResearchRec& r : Gos().Research) r.Scientists = 0;
    Gos().Soldiers = Gos().Reserve = 30;
    screen->RefreshEconomyPage();
    Click("Shape18");
    Click("Shape23");
    EXPECT_TRUE(boxes.isEmpty());
    answer = TMsgButton::No;
    Slide("TrackBar9", 5);
    Click("Shape18");
    EXPECT_EQ(boxes.back(), "Вы уверены, что хотите уволить 5 учёных?");
    EXPECT_EQ(Gos().Scientists, 20);
    answer = TMsgButton::Yes;
    const int32_t peasants = Gos().Peasants;
    Slide("TrackBar9", 5);
    Click("Shape18");
    EXPECT_EQ(Gos().Scientists, 15);
    EXPECT_EQ(Gos().FreeScientists, 15);
    Click("ExLabel17");
    EXPECT_EQ(boxes.back(), "Вы уверены, что хотите уволить 30 солдат?");
    EXPECT_EQ(Gos().Soldiers, 0);
    EXPECT_EQ(Gos().Reserve, 0);
    EXPECT_EQ(Gos().Peasants, peasants + 5 + 30);
}

TEST_F(EconomyPage, SummaryPanel) {
    TGosRec& g = Gos();
    g.FieldsSown = 10;
    g.Scientists = 100;
    g.Soldiers = 50;
    screen->RefreshEconomyPage();
    EXPECT_EQ(Text("Label20"), QString::number(g.Peasants + 150));
    EXPECT_EQ(Text("Label86"), QString::number(2 * Round(10 * E(AgrarianLevel))));
    EXPECT_EQ(Text("Label119"), QString::number(PowerTrunc(100, 1.6)) + " $");
    EXPECT_EQ(Text("Label121"), QString::number(PowerTrunc(50, 1.8)) + " $");
    const int64_t balance =
        Round(10 * E(AgrarianLevel) * E(FinancialLevel) - PowerTrunc(100, 1.6) - PowerTrunc(50, 1.8));
    EXPECT_EQ(Text("Label123"), QString::number(balance) + " $");
    EXPECT_EQ(FontColor(Find("Label123")), balance < 0 ? clRed : clBlack);
    g.Soldiers = 5000;
    screen->RefreshEconomyPage();
    EXPECT_TRUE(Text("Label123").startsWith('-'));
    EXPECT_EQ(FontColor(Find("Label123")), clRed);
}

}  // namespace
}  // namespace kordalt::test
