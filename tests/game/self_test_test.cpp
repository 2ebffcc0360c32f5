#include "game/self_test.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/fatal.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

const char kClosing[] =
    "Блок предупреждения ошибок закрывает программу. Просьба при повторении ошибки связаться с разработчиком";

// Three states A, B, C; A and B border each other; every army adds up.
class SelfTest : public RulesTest {
protected:
    SelfTest() {
        Game.GosCount = 3;
        const char* names[] = {"A", "B", "C"};
        for (int i = 1; i <= 3; ++i) {
            SetName(i, names[i - 1]);
            Game.mGos[i].Alive = 1;
            Game.mGos[i].Soldiers = Game.mGos[i].Reserve = 5;
        }
        Game.mGos[1].Fronts[2].Neighbour = Game.mGos[2].Fronts[1].Neighbour = 1;
        Game.mGos[1].Fronts[2].Soldiers[1] = 4;
        Game.mGos[1].Soldiers += 4;
        Post(1, 2, 1);
        Post(1, 1, 21);
    }

    static void Post(int gos, int front, int slot) {
        Game.mGos[gos].Fronts[front].Kordalt = static_cast<uint8_t>(slot);
        Game.mKordalt[slot].Owner = static_cast<uint8_t>(gos);
        Game.mKordalt[slot].Front = static_cast<uint8_t>(front);
    }

    // Runs the self-test; true when it ended the program.
    bool Stopped(const std::string& label = "L:") {
        ScopedFatalExitThrows fatal;
        try {
            CheckGameState(Cp(label));
        } catch (const FatalExitCalled& e) {
            EXPECT_EQ(e.code, kSelfTestExitCode);
            return true;
        }
        return false;
    }
};

TEST_F(SelfTest, ConsistentStatePassesSilently) {
    EXPECT_FALSE(Stopped());
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
}

TEST_F(SelfTest, Cases) {
    struct Case {
        const char* what;
        std::function<void()> spoil;
        bool stops;
        std::vector<std::string> messages;
    } cases[] = {
        {"negative peasants",
         [] { Game.mGos[2].Peasants = -1; },
         false,
         {"У гос-ва B количество крестьян отрицательное"}},
        {"negative free scientists",
         [] { Game.mGos[3].FreeScientists = -5; },
         false,
         {"У гос-ва C количество свободных ученых отрицательное"}},
        {"negative front entry that still adds up",
         [] {
             Game.mGos[2].Fronts[3].Soldiers[2] = -2;
             Game.mGos[2].Reserve += 2;
         },
         false,
         {"У гос-ва B количество солдат на границе с Cотрицательное"}},
        {"soldiers do not add up",
         [] { Game.mGos[2].Soldiers = 7; },
         true,
         {"L: B количество солдат не сходится7 5 0", kClosing}},
        {"only the first state that does not add up is reported",
         [] {
             Game.mGos[1].Reserve = 0;
             Game.mGos[3].Reserve = 0;
             Game.mGos[2].Peasants = -1;
         },
         true,
         {"L: A количество солдат не сходится9 4 4", "У гос-ва B количество крестьян отрицательное",
          kClosing}},
        {"Kordalt records another front",
         [] { Game.mKordalt[1].Front = 3; },
         true,
         {"L: У гос-ва A на границе сB Kordalt стоит, а у Kordaltа инф. о границе не хватает ! фронт номер 3",
          kClosing}},
        {"home front Kordalt records no front",
         [] { Game.mKordalt[21].Front = 0; },
         true,
         {"L: У гос-ва A на границе сA Kordalt стоит, а у Kordaltа инф. о границе не хватает ! фронт номер 0",
          kClosing}},
        {"every broken link is reported",
         [] {
             Game.mKordalt[1].Front = 0;
             Game.mKordalt[21].Front = 0;
         },
         true,
         {"L: У гос-ва A на границе сA Kordalt стоит, а у Kordaltа инф. о границе не хватает ! фронт номер 0",
          "L: У гос-ва A на границе сB Kordalt стоит, а у Kordaltа инф. о границе не хватает ! фронт номер 0",
          kClosing}},
        {"front Kordalt beyond the table",
         [] { Game.mGos[2].Fronts[1].Kordalt = 250; },
         true,
         {"L: У гос-ва B на границе сA Kordalt стоит, а у Kordaltа инф. о границе не хватает ! фронт номер 0",
          kClosing}},
        {"Kordalt on a front that is no longer a neighbour front is left alone",
         [] {
             Post(1, 3, 41);
             Game.mKordalt[41].Front = 0;
         },
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const GameState saved = Game;
        ui.messages.clear();
        c.spoil();
        EXPECT_EQ(Stopped(), c.stops);
        EXPECT_EQ(ui.messages, c.messages);
        Game = saved;
    }
}

TEST_F(SelfTest, ClosingTextComesFromTheLanguage) {
    TestLanguage language("3121=Конец");
    Game.mGos[3].Soldiers = 0;
    EXPECT_TRUE(Stopped("X"));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"X C количество солдат не сходится0 5 0", "Конец"}));
}

TEST_F(SelfTest, NetworkClientShowsNothing) {
    PlayMode.GameMode = kNetworkClient;
    Game.mGos[1].Soldiers = 100;
    Game.mGos[2].Peasants = -1;
    Game.mKordalt[1].Front = 0;
    EXPECT_FALSE(Stopped());
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
}

TEST_F(SelfTest, KordaltsWithoutTroops) {
    Game.mGos[1].Fronts[1].Soldiers[4] = 9;  // a type not in use is no soldier
    CheckKordaltsWithoutTroops(1, Cp("после покупки"));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Нету у меня войск после покупки"});  // the home front
    ui.messages.clear();
    Game.mGos[1].Fronts[1].Soldiers[1] = 1;
    CheckKordaltsWithoutTroops(1, "x");
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
}

}  // namespace
}  // namespace kordalt
