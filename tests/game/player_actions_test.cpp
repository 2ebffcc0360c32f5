#include "game/player_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "game/ai_economy.h"
#include "game/fronts.h"
#include "game/kordalt_pool.h"
#include "game/random.h"
#include "platform/cp1251.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

class PlayerActions : public RulesTest {
protected:
    PlayerActions() {
        Game.GosCount = 4;
        Game.MapSize = 50;
        Game.Year = 5;
        for (int gos = 1; gos <= 4; ++gos) {
            TGosRec& g = Game.mGos[gos];
            g.Alive = 1;
            for (int k = 0; k < ResearchBranchCount; ++k) g.Research[k].Effect = 1;
        }
    }
    static TGosRec& State() { return Game.mGos[2]; }
};

// The counters an economy action may change.
struct Counters {
    int32_t money, grain, peasants, scientists, free, soldiers, reserve;
    int fieldsSown;
    bool operator==(const Counters&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Counters& c) {
    return os << "{money " << c.money << ", grain " << c.grain << ", peasants " << c.peasants
              << ", scientists " << c.scientists << "/" << c.free << ", soldiers " << c.soldiers << "/"
              << c.reserve << ", sown " << c.fieldsSown << "}";
}

void Set(TGosRec& g, const Counters& c) {
    g.Money = c.money;
    g.Grain = c.grain;
    g.Peasants = c.peasants;
    g.Scientists = c.scientists;
    g.FreeScientists = c.free;
    g.Soldiers = c.soldiers;
    g.Reserve = c.reserve;
    g.FieldsSown = static_cast<uint16_t>(c.fieldsSown);
}

Counters Get(const TGosRec& g) {
    return {g.Money,          g.Grain,    g.Peasants, g.Scientists,
            g.FreeScientists, g.Soldiers, g.Reserve,  g.FieldsSown};
}

enum Action { Sow, Sell, Buy, TrainSci, TrainSol, DismissSci, DismissSol };

TActionResult Do(Action a, uint8_t gos, int64_t n, TActionMode mode = TActionMode::Do) {
    switch (a) {
        case Sow:
            return SowFields(gos, n, mode);
        case Sell:
            return SellGrain(gos, n, mode);
        case Buy:
            return BuyGrain(gos, n, mode);
        case TrainSci:
            return TrainScientists(gos, static_cast<int32_t>(n), mode);
        case TrainSol:
            return TrainSoldiers(gos, static_cast<int32_t>(n), mode);
        case DismissSci:
            return DismissScientists(gos, static_cast<int32_t>(n));
        case DismissSol:
            return DismissSoldiers(gos, static_cast<int32_t>(n));
    }
    return {TRefusal::BadArgument};
}

// State 2 with agrarian effect 1.5, financial 2, territory 100 and the counters c.
TGosRec& EconomyState(const Counters& c) {
    TGosRec& g = Game.mGos[2];
    g.Research[AgrarianLevel].Effect = 1.5F;
    g.Research[FinancialLevel].Effect = 2.0F;
    g.Territory = 100;
    Set(g, c);
    return g;
}

TEST_F(PlayerActions, EconomyActionsCheckTheirArgumentsAndSaturate) {
    const Counters base{1000, 100, 50, 6, 3, 8, 5, 10};
    struct Case {
        const char* name;
        Action action;
        int64_t n;
        Counters start;
        bool ok;
        Counters end;
    };
    const Case cases[] = {
        {"sow 10", Sow, 10, base, true, {1000, 85, 50, 6, 3, 8, 5, 20}},
        {"sow up to the grain", Sow, 66, base, false, base},  // peasants 50 - sown 10 = 40 fields
        {"sow all fields", Sow, 40, base, true, {1000, 40, 50, 6, 3, 8, 5, 50}},
        {"sow nothing", Sow, 0, base, true, base},
        {"sow negative", Sow, -1, base, false, base},
        {"sell 30", Sell, 30, base, true, {1060, 70, 50, 6, 3, 8, 5, 10}},
        {"sell all", Sell, 100, base, true, {1200, 0, 50, 6, 3, 8, 5, 10}},
        {"sell more than held", Sell, 101, base, false, base},
        {"sell into a full treasury",
         Sell,
         100,
         {kMax - 5, 100, 50, 6, 3, 8, 5, 10},
         true,
         {kMax, 0, 50, 6, 3, 8, 5, 10}},
        {"buy 10 at 4 each", Buy, 10, base, true, {960, 110, 50, 6, 3, 8, 5, 10}},
        {"buy for all the money", Buy, 250, base, true, {0, 350, 50, 6, 3, 8, 5, 10}},
        {"buy beyond the money stops at 0", Buy, 300, base, true, {0, 400, 50, 6, 3, 8, 5, 10}},
        {"buy negative", Buy, -1, base, false, base},
        {"train scientists to exactly 0 money", TrainSci, 10, base, true, {0, 100, 40, 16, 13, 8, 5, 10}},
        {"train scientists beyond the money", TrainSci, 11, base, false, base},
        {"train beyond the peasants",
         TrainSci,
         51,
         {kMax, 100, 50, 6, 3, 8, 5, 10},
         false,
         {kMax, 100, 50, 6, 3, 8, 5, 10}},
        {"train soldiers", TrainSol, 4, base, true, {600, 100, 46, 6, 3, 12, 9, 10}},
        {"train negative", TrainSol, -1, base, false, base},
        {"dismiss free scientists", DismissSci, 3, base, true, {1000, 100, 53, 3, 0, 8, 5, 10}},
        {"dismiss busy scientists", DismissSci, 4, base, false, base},
        {"dismiss the reserve", DismissSol, 5, base, true, {1000, 100, 55, 6, 3, 3, 0, 10}},
        {"dismiss soldiers on fronts", DismissSol, 6, base, false, base},
        {"dismiss negative", DismissSol, -1, base, false, base},
    };
    for (const Case& c : cases) {
        TGosRec& g = EconomyState(c.start);
        EXPECT_EQ(Do(c.action, 2, c.n).Done(), c.ok) << c.name;
        EXPECT_EQ(Get(g), c.end) << c.name;
    }
}

TEST_F(PlayerActions, AskingAnswersAsDoingWouldAndChangesNothing) {
    const Counters base{1000, 100, 50, 6, 3, 8, 5, 10};
    const Counters rich{100000, 100, 50, 6, 3, 8, 5, 10};
    struct Case {
        const char* name;
        Action action;
        int64_t n;
        Counters start;
        TRefusal refusal;
        int64_t money, grain;
    };
    const Case cases[] = {
        {"sow", Sow, 10, base, TRefusal::None, 0, 15},
        {"sow beyond the fields", Sow, 41, base, TRefusal::NoFieldsToSow, 0, 61},
        {"sell", Sell, 30, base, TRefusal::None, -60, 30},
        {"sell beyond the grain", Sell, 101, base, TRefusal::NoGrain, -202, 101},
        {"buy", Buy, 10, base, TRefusal::None, 40, -10},
        {"buy negative", Buy, -1, base, TRefusal::BadArgument, 0, 0},
        {"train scientists", TrainSci, 10, base, TRefusal::None, 1000, 0},
        {"train beyond the money", TrainSci, 11, base, TRefusal::NoMoney, 1100, 0},
        {"train beyond the peasants", TrainSol, 51, rich, TRefusal::NoPeasants, 5100, 0},
        {"beyond both: the money first", TrainSol, 51, base, TRefusal::NoMoney, 5100, 0},
    };
    for (const Case& c : cases) {
        TGosRec& g = EconomyState(c.start);
        const TActionResult asked = Do(c.action, 2, c.n, TActionMode::Ask);
        EXPECT_EQ(Get(g), c.start) << c.name;
        EXPECT_EQ(asked.Refusal, c.refusal) << c.name;
        EXPECT_EQ(asked.Money, c.money) << c.name;
        EXPECT_EQ(asked.Grain, c.grain) << c.name;
        const TActionResult done = Do(c.action, 2, c.n);
        EXPECT_EQ(done.Refusal, asked.Refusal) << c.name;
        EXPECT_EQ(done.Money, asked.Money) << c.name;
        EXPECT_EQ(done.Grain, asked.Grain) << c.name;
        EXPECT_EQ(done.Done(), !(Get(g) == c.start)) << c.name;
    }
}

TEST_F(PlayerActions, EachRefusalHasItsOwnReason) {
    const TRefusal refusals[] = {
        TRefusal::BadArgument,  TRefusal::NoMoney,           TRefusal::NoPeasants,
        TRefusal::NoGrain,      TRefusal::NoFieldsToSow,     TRefusal::NoFreeScientists,
        TRefusal::NoReserve,    TRefusal::NotYourKordalt,    TRefusal::TooManyKordalts,
        TRefusal::TooFewFronts, TRefusal::NoMoneyForKordalt, TRefusal::NoKordaltSlot,
        TRefusal::StateTaken,
    };
    std::set<std::string> reasons;
    for (TRefusal r : refusals) {
        const std::string reason = TActionResult{r}.Reason();
        EXPECT_FALSE(reason.empty()) << static_cast<int>(r);
        reasons.insert(reason);
    }
    EXPECT_EQ(reasons.size(), std::size(refusals));
    EXPECT_EQ(TActionResult{}.Reason(), "");
    EXPECT_EQ(TrainScientists(2, 1).Reason(), Cp("У Вас недостаточно денег!"));
    State().Money = 100;
    EXPECT_EQ(TrainScientists(2, 1).Reason(), Cp("У Вас недостаточно крестьян!"));
}

TEST_F(PlayerActions, ActionsOfAStateOutsideTheGameChangeNothing) {
    const auto gos = Game.mGos;
    const auto kordalts = Game.mKordalt;
    for (uint8_t state : {0, 5, 255})
        for (Action a : {Sow, Sell, Buy, TrainSci, TrainSol, DismissSci, DismissSol})
            EXPECT_FALSE(Do(a, state, 0));
    EXPECT_FALSE(SetBranchScientists(0, 0, 0));
    EXPECT_FALSE(SetBranchScientists(2, ResearchBranchCount, 0));
    EXPECT_FALSE(PlaceFrontSoldiers(2, 5, 0));
    EXPECT_FALSE(ReleaseKordaltFromFront(2, KordaltSlotCount + 1));
    EXPECT_EQ(HumanBuyKordalt(5, 20, 1, 3, 20, "").Refusal, TRefusal::BadArgument);
    EXPECT_EQ(std::memcmp(&gos, &Game.mGos, sizeof gos), 0);
    EXPECT_EQ(std::memcmp(&kordalts, &Game.mKordalt, sizeof kordalts), 0);
}

TEST_F(PlayerActions, HumanTrainingLimit) {
    struct Case {
        const char* name;
        int32_t money, peasants, scientists, soldiers, fieldsSown;
        bool forScientists;
        int32_t limit;
    };
    const Case cases[] = {
        {"under one price", 99, 50, 0, 0, 0, true, 0},
        {"next year's salaries cut 10 to 9", 1000, 50, 0, 0, 0, true, 9},  // 9^1.6 = 33 <= 100
        {"the fields' income pays them", 1000, 50, 0, 0, 100, true, 10},
        {"14 scientists: 14^1.6 = 68 <= 100 left", 1500, 50, 0, 0, 0, true, 14},
        {"13 soldiers: 14^1.8 = 115 > 100 left", 1500, 50, 0, 0, 0, false, 13},
        {"no more than the peasants", 1000000, 3, 0, 0, 0, true, 3},
        {"40000 in the profession", 2000000000, 1000, 39990, 0, 0, true, 10},
        {"the profession full", 2000000000, 1000, 0, 40000, 0, false, 0},
    };
    for (const Case& c : cases) {
        TGosRec& g = State();
        g.Money = c.money;
        g.Peasants = c.peasants;
        g.Scientists = c.scientists;
        g.Soldiers = c.soldiers;
        g.FieldsSown = static_cast<uint16_t>(c.fieldsSown);
        EXPECT_EQ(HumanTrainingLimit(2, c.forScientists), c.limit) << c.name;
    }
}

// The buy slider never offers more grain than the money pays for.
TEST_F(PlayerActions, BuyGrainLimitStaysWithinTheMoney) {
    for (const auto& [money, effect] : {std::pair{1000, 1.0f}, {999, 1.5f}, {7, 0.3f}, {0, 1.0f}}) {
        State().Money = money;
        State().Research[FinancialLevel].Effect = effect;
        const int64_t limit = BuyGrainLimit(2);
        EXPECT_LE(BuyGrain(2, limit, TActionMode::Ask).Money, money) << money << " " << effect;
        EXPECT_GE(limit, money / (effect * 2) - 1) << money << " " << effect;
    }
    EXPECT_EQ(BuyGrainLimit(9), 0);
}

TEST_F(PlayerActions, HumanTrainingStepStopsBeforeTheMoneyRunsOut) {
    struct Case {
        int32_t money;
        bool forScientists;
        int32_t maximum, step;
    };
    // 1000 money: 9 scientists cost 900 + 9^1.6 = 33; 10 cost 1000 + 39.
    // 1500: 13 soldiers cost 1300 + 13^1.8 = 101; 14 cost 1400 + 115.
    const Case cases[] = {
        {1000, true, 20, 9}, {1000, true, 5, 5}, {1500, false, 20, 13}, {99, true, 20, 0}, {1000, true, 0, 0},
    };
    for (const Case& c : cases) {
        TGosRec& g = State();
        g.Money = c.money;
        EXPECT_EQ(HumanTrainingStep(2, c.forScientists, c.maximum), c.step) << c.money << " " << c.maximum;
    }
}

// The limits as the rules define them: counted down, or up, one person at a time.
int32_t LimitCountedDown(const TGosRec& g, bool scientists) {
    const int32_t people = scientists ? g.Scientists : g.Soldiers;
    const long double income = g.FieldsSown * static_cast<long double>(g.Research[AgrarianLevel].Effect) *
                               g.Research[FinancialLevel].Effect;
    int64_t n = std::min<int64_t>(g.Money / kTrainingPrice, kMaxProfession - people);
    const auto salaries = [&](int64_t extra) {
        return scientists ? Salaries(static_cast<int32_t>(g.Scientists + extra), g.Soldiers)
                          : Salaries(g.Scientists, static_cast<int32_t>(g.Soldiers + extra));
    };
    while (n > 0 && salaries(n) > income + g.Money - kTrainingPrice * n) --n;
    return n <= 0 ? 0 : static_cast<int32_t>(std::min<int64_t>(n, g.Peasants));
}

int32_t StepCountedUp(const TGosRec& g, bool scientists, int32_t maximum) {
    int32_t n = 0;
    while (n < maximum) {
        const int32_t next = n + 1;
        const int64_t salaries = scientists ? Salaries(g.Scientists + next, g.Soldiers)
                                            : Salaries(g.Scientists, g.Soldiers + next);
        if (int64_t{g.Money} - int64_t{kTrainingPrice} * next - salaries < 0) break;
        n = next;
    }
    return n;
}

TEST_F(PlayerActions, TrainingLimitsAnswerAsCountingOnePersonAtATime) {
    Xoshiro256 rng(2026);
    for (int i = 0; i < 400; ++i) {
        TGosRec& g = State();
        g.Money = rng.Below(300000);
        g.Peasants = rng.Below(5000);
        g.Scientists = rng.Below(2) ? rng.Below(2000) : 38000 + rng.Below(3000);
        g.Soldiers = rng.Below(3000);
        g.FieldsSown = static_cast<uint16_t>(rng.Below(3000));
        g.Research[AgrarianLevel].Effect = 1.0f + static_cast<float>(rng.Below(20)) / 20;
        g.Research[FinancialLevel].Effect = 10.0f + static_cast<float>(rng.Below(20)) / 2;
        const int32_t maximum = rng.Below(4000);
        for (bool scientists : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "case " << i << (scientists ? " scientists" : " soldiers"));
            EXPECT_EQ(HumanTrainingLimit(2, scientists), LimitCountedDown(g, scientists));
            EXPECT_EQ(HumanTrainingStep(2, scientists, maximum), StepCountedUp(g, scientists, maximum));
        }
    }
}

TEST_F(PlayerActions, ScienceAssignmentsKeepTheScientistsCounted) {
    TGosRec& g = State();
    g.Scientists = 10;
    g.FreeScientists = 6;
    g.Research[AgrarianLevel].Scientists = 4;
    EXPECT_TRUE(SetBranchScientists(2, AgrarianLevel, 10));
    EXPECT_EQ(g.FreeScientists, 0);
    EXPECT_FALSE(SetBranchScientists(2, FinancialLevel, 1));
    EXPECT_FALSE(SetBranchScientists(2, AgrarianLevel, 11));
    EXPECT_FALSE(SetBranchScientists(2, AgrarianLevel, -1));
    EXPECT_TRUE(SetBranchScientists(2, AgrarianLevel, 3));
    EXPECT_EQ(g.FreeScientists, 7);
    EXPECT_TRUE(SetBranchScientists(2, FinancialLevel, 2));
    RecallBranchScientists(2, AgrarianLevel);
    EXPECT_EQ((std::vector<int32_t>{g.FreeScientists, g.Research[AgrarianLevel].Scientists}),
              (std::vector<int32_t>{8, 0}));
    RecallAllScientists(2);
    EXPECT_EQ(g.FreeScientists, 10);
    EXPECT_EQ(g.Research[FinancialLevel].Scientists, 0);
}

TEST_F(PlayerActions, OneYearOfScienceDiffersForTheHumanAndTheComputer) {
    // 9 points left at 3 a scientist: the human's button takes 3, the
    // computer's formula 4.
    struct Case {
        int cost, points;
        float perScientist;
        int64_t human, computer;
    };
    const Case cases[] = {{10, 1, 3, 3, 4}, {10, 0, 3, 4, 4}, {10, 10, 3, 0, 1}, {7, 0, 2.5F, 3, 3}};
    for (const Case& c : cases) {
        TGosRec& g = State();
        g.Scientists = g.FreeScientists = 20;
        g.Research[ScienceLevel].Effect = c.perScientist;
        TResearchRec& r = g.Research[AgrarianLevel];
        r.Cost = c.cost;
        r.Points = c.points;
        r.Scientists = 0;
        EXPECT_EQ(HumanScientistsForOneYear(2, AgrarianLevel), c.human) << c.cost << " " << c.points;
        AiAssignScientists(2, AgrarianLevel);
        EXPECT_EQ(r.Scientists, c.computer) << c.cost << " " << c.points;
    }
}

TEST_F(PlayerActions, FrontSoldiersMoveWithoutLosingAny) {
    TGosRec& g = State();
    g.Soldiers = 30;
    g.Reserve = 10;
    g.Fronts[1].Soldiers[1] = 5;
    g.Fronts[1].Soldiers[2] = 5;
    g.Fronts[3].Soldiers[1] = 10;
    Game.mKordalt[22] = TKordaltRec{.Owner = 2, .Order = kOrderAttack};
    g.Fronts[3].Kordalt = 22;
    EXPECT_FALSE(PlaceFrontSoldiers(2, 1, 21));  // reserve 10 + front 10
    EXPECT_TRUE(PlaceFrontSoldiers(2, 1, 20));
    EXPECT_EQ((std::vector<int32_t>{g.Reserve, g.Fronts[1].Soldiers[1], g.Fronts[1].Soldiers[2]}),
              (std::vector<int32_t>{0, 20, 0}));
    EXPECT_TRUE(PlaceFrontSoldiers(2, 1, 4));
    EXPECT_EQ(g.Reserve, 16);
    RecallIdleFrontSoldiers(2);  // front 3 has an attacker, front 1 none
    EXPECT_EQ((std::vector<int32_t>{g.Reserve, FrontSoldiers(2, 1), FrontSoldiers(2, 3)}),
              (std::vector<int32_t>{20, 0, 10}));
}

TEST_F(PlayerActions, KordaltOrdersRelieveTheOneHoldingThePost) {
    TGosRec& g = State();
    g.KordaltCount = 3;
    auto hire = [](int k, uint8_t order, uint8_t front) {
        Game.mKordalt[k] = TKordaltRec{.Id = static_cast<uint8_t>(k),
                                       .Front = front,
                                       .Owner = 2,
                                       .Mastery = 50,
                                       .Condition = 100,
                                       .Order = order};
        if (front) Game.mGos[2].Fronts[front].Kordalt = static_cast<uint8_t>(k);
    };
    hire(2, kOrderFortify, 2);
    hire(22, kOrderAttack, 3);
    hire(42, kOrderRest, 0);
    Game.mKordalt[3] = TKordaltRec{.Owner = 3, .Order = kOrderRest};  // someone else's

    EXPECT_FALSE(FortifyWithKordalt(2, 3));
    EXPECT_TRUE(FortifyWithKordalt(2, 42));
    EXPECT_EQ((std::vector<int>{Game.mKordalt[2].Order, Game.mKordalt[2].Front, g.Fronts[2].Kordalt}),
              (std::vector<int>{kOrderTrain, 0, 42}));
    EXPECT_TRUE(AttackWithKordalt(2, 2, 4));  // another front: the attacker on 3 stays
    EXPECT_EQ(Game.mKordalt[22].Order, kOrderAttack);
    EXPECT_FALSE(AttackWithKordalt(2, 2, 2));
    EXPECT_TRUE(AttackWithKordalt(2, 2, 3));
    EXPECT_EQ((std::vector<int>{Game.mKordalt[22].Order, Game.mKordalt[22].Front, g.Fronts[3].Kordalt}),
              (std::vector<int>{kOrderTrain, 0, 2}));
    EXPECT_EQ(g.Fronts[4].Kordalt, 2);  // the last order moves him, not the front's record

    EXPECT_TRUE(ReleaseKordaltFromFront(2, 42));
    EXPECT_EQ((std::vector<int>{Game.mKordalt[42].Front, g.Fronts[2].Kordalt}), (std::vector<int>{0, 0}));
    EXPECT_TRUE(DismissKordalt(2, 22));
    EXPECT_EQ((std::vector<int>{Game.mKordalt[22].Owner, g.KordaltCount}), (std::vector<int>{0, 2}));
    RestAllKordalts(2);
    for (int k : {2, 42})
        EXPECT_EQ((std::vector<int>{Game.mKordalt[k].Order, Game.mKordalt[k].Front}),
                  (std::vector<int>{kOrderRest, 0}));
    EXPECT_EQ(Game.mKordalt[3].Owner, 3);
}

TEST_F(PlayerActions, TheHumansKordaltPurchase) {
    const int64_t price = KordaltPrice(20, 1, 3, 20);
    struct Case {
        const char* name;
        int count, neighbours;
        int64_t money;
        bool slotsFull;
        TRefusal refusal;
    };
    const Case cases[] = {
        {"exact price", 0, 1, price, false, TRefusal::None},
        {"ten already", 10, 18, price, false, TRefusal::TooManyKordalts},
        {"neighbours + 2", 3, 1, price, false, TRefusal::TooFewFronts},
        {"one short", 0, 1, price - 1, false, TRefusal::NoMoneyForKordalt},
        {"no free slot", 0, 1, price, true, TRefusal::NoKordaltSlot},
    };
    for (const Case& c : cases) {
        for (int s = 1; s <= KordaltSlotCount; ++s)
            Game.mKordalt[s] = TKordaltRec{.Id = static_cast<uint8_t>(s)};
        if (c.slotsFull)
            for (int s = 2; s <= 182; s += 20) Game.mKordalt[s].Owner = 3;
        TGosRec& g = State();
        g.KordaltCount = static_cast<uint8_t>(c.count);
        g.NeighbourCount = static_cast<uint8_t>(c.neighbours);
        g.Money = static_cast<int32_t>(c.money);
        int slot = 0;
        const TActionResult asked = HumanBuyKordalt(2, 20, 1, 3, 20, "", &slot, TActionMode::Ask);
        EXPECT_EQ(asked.Refusal, c.refusal) << c.name;
        EXPECT_EQ(asked.Money, price) << c.name;
        EXPECT_EQ(slot, 0) << "asking buys nothing: " << c.name;
        EXPECT_EQ(HumanBuyKordalt(2, 20, 1, 3, 20, "Bold Hero Of The North", &slot).Refusal, c.refusal)
            << c.name;
        if (c.refusal != TRefusal::None) {
            EXPECT_EQ(g.Money, c.money) << c.name;
            EXPECT_EQ(g.KordaltCount, c.count) << c.name;
            continue;
        }
        EXPECT_EQ(slot, 2);
        EXPECT_EQ(g.Money, 0);
        EXPECT_EQ(g.KordaltCount, 1);
        const TKordaltRec& k = Game.mKordalt[2];
        EXPECT_EQ(k.Name.Str(), "Bold Hero Of ");
        EXPECT_EQ((std::vector<int>{k.Owner, k.Age, k.Mastery, k.Mark, k.Speed, k.Order}),
                  (std::vector<int>{2, 20, 1, 3, 20, kOrderTrain}));
    }
    EXPECT_EQ(HumanBuyKordalt(2, 20, 1, 6, 20, "").Refusal, TRefusal::BadArgument);
}

}  // namespace
}  // namespace kordalt
