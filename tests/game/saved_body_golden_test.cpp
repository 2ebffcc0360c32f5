// The body of a saved game of a small seeded game, compared byte for byte with
// golden/saved_body.bin: older files must keep loading, so any changed byte is
// a fault. KORDALT_WRITE_GOLDEN=1 rewrites the file from this build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "game/new_game.h"
#include "game/saved_game.h"
#include "rules_fixture.h"
#include "support/golden_game.h"

namespace kordalt {
namespace {

const std::string kGoldenPath = KORDALT_SOURCE_DIR "/tests/game/golden/saved_body.bin";

class GoldenSave : public RulesTest {
protected:
    GoldenSave() {
        golden::BuildGame();
        // A file also checks its names and human counts.
        for (int i = 1; i <= MaxGos; ++i)
            for (auto* name : {&Game.mGos[i].Name, &Game.mGos[i].PlayerName, &Game.mGos[i].StartPlayerName})
                name->Length %= name->Capacity + 1;
        for (int i = 1; i <= KordaltSlotCount; ++i) Game.mKordalt[i].Name.Length %= 14;
        Game.HumanCount = 2;
        Game.CurrentHuman = 1;
        Game.SaveCounter = 6;
        PlayMode.IsInternetGame = true;
    }
    ~GoldenSave() override {
        ReplaceMap(nullptr);
        PlayMode.IsInternetGame = false;
        Rules.TroopTypeCount = 3;
    }
};

std::string ReadGolden() {
    std::ifstream in(kGoldenPath, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.empty()) ADD_FAILURE() << "missing " << kGoldenPath;
    return bytes;
}

TEST_F(GoldenSave, BodyKeepsItsBytesAndLoadsBack) {
    const std::string body = SavedGameBody();
    if (std::getenv("KORDALT_WRITE_GOLDEN")) std::ofstream(kGoldenPath, std::ios::binary) << body;
    const std::string golden = ReadGolden();
    EXPECT_EQ(body.size(), golden.size());
    const auto diff = std::mismatch(body.begin(), body.end(), golden.begin(), golden.end());
    EXPECT_TRUE(body == golden) << "first difference at byte " << diff.first - body.begin();

    GameState saved = Game;
    saved.ResumeHuman = saved.CurrentHuman;
    const std::string savedBytes = std::string(reinterpret_cast<const char*>(&saved.mGos), sizeof saved.mGos);
    Game = GameState{};
    Game.mGos[1].Money = 1;
    ASSERT_TRUE(LoadGameImage(SavedGameFile(golden)));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&Game.mGos), sizeof Game.mGos), savedBytes);
    EXPECT_EQ(Game.BattleChronicle, saved.BattleChronicle);
    EXPECT_EQ(Game.SaveCounter, saved.SaveCounter);
    EXPECT_EQ(Game.ResumeHuman, 1);
    EXPECT_EQ(Messages.Count(), 3);
}

}  // namespace
}  // namespace kordalt
