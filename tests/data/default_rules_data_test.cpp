// The rules data file the build writes into the program folder.
#include <gtest/gtest.h>

#include <cmath>

#include "game/fake_game_ui.h"
#include "game/language_file.h"
#include "game/rules_data.h"
#include "platform/program_path.h"

namespace kordalt {
namespace {

class DefaultRulesData : public ::testing::Test {
protected:
    DefaultRulesData() {
        CreateLanguageFile();
        LoadRulesData();
    }
    ~DefaultRulesData() override { FreeLanguageFile(); }

    FakeGameUi ui;
    ScopedProgramFileName program{KORDALT_BIN_DIR "/kordalt"};
};

TEST_F(DefaultRulesData, LoadsWithoutAMessage) {
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(Rules.DimLoadFailed, 0);
}

TEST_F(DefaultRulesData, PlaysWithThreeTroopTypesAndAMoveForEveryCommander) {
    EXPECT_EQ(Rules.TroopTypeCount, 3);  // armies are dealt over three types
    EXPECT_GE(Rules.TacticCount, 7);
    EXPECT_LE(Rules.TacticCount, 10);
    EXPECT_EQ(Rules.Tactics[1].MinMastery, 0);
    EXPECT_EQ(Rules.Tactics[1].MinCondition, 0);
    EXPECT_EQ(Rules.Tactics[1].MinMorale, 0);
    // Tactics 6 and 7 are what an outnumbered side plays: they ask for no morale
    // and no mastery.
    for (int t : {6, 7}) {
        EXPECT_EQ(Rules.Tactics[t].MinMastery, 0) << t;
        EXPECT_EQ(Rules.Tactics[t].MinMorale, 0) << t;
    }
    for (int t = 1; t <= Rules.TacticCount; ++t)
        for (int e = 1; e <= Rules.TacticCount; ++e)
            for (int k = 1; k <= Rules.TroopTypeCount; ++k)
                for (int c = 1; c <= kBattleCoefficients; ++c) {
                    const double v = Rules.BattleTable[t][e][k][c];
                    EXPECT_TRUE(std::isfinite(v) && v >= 0) << t << " " << e << " " << k << " " << c;
                }
}

}  // namespace
}  // namespace kordalt
