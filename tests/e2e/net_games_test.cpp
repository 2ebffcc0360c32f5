// Network games of several automatic players, each its own process on its own
// loopback address; players are killed on purpose. Each test runs in a network
// namespace of its own, so any port is free and no packet leaves it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/player_processes.h"
#include "game/fronts.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/saved_game.h"
#include "game/squares.h"
#include "game/turn_report.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "support/test_files.h"
#include "tools/listing_server.h"

namespace kordalt::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kKeepAlive = 3s;
constexpr auto kGameLimit = 50s;
constexpr int kLastYear = 8;

struct GameSetup {
    std::string name;
    int players = 3;
    int years = kLastYear;        // of every client
    int serverYears = kLastYear;  // the server leaves with the hand-over after these
    int slow = -1;                // this player's turns last a second
    int victim = -1;              // killed once the slow player printed year 3
    bool othersEnded = false;     // the victim dies once the others ended their turn too
    bool heirDies = false;        // the first to take the dead victim's role dies at once
    int twin = -1;                // this client has the address of the one before it
    int resultsBeforeDeath = -1;  // the server dies once its year-3 result went to this many
    std::string listing{};        // an Internet game through this listing server
    std::string load{};           // the server plays this saved network game
    bool chat = false;            // each player says a line every year, and logs the chat
};

std::ostream& operator<<(std::ostream& os, const GameSetup& s) { return os << s.name; }

class NetGames : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnterOwnNetwork()) << "no network namespace of its own";
        setenv("KORDALT_DPLAY_KEEPALIVE_MS", "3000", 1);
    }

    void Start(const GameSetup& s) {
        const int admitted = s.twin >= 0 ? s.players - 1 : s.players;
        for (int i = 0; i < s.players; ++i) {
            const std::string name = i == 0 ? "server" : "client" + std::to_string(i);
            const int address = i == s.twin ? i + 1 : i + 2;
            std::vector<std::string> args = {i == 0 ? "--create" : "--join",
                                             "e2e",
                                             "--player",
                                             name,
                                             "--bind",
                                             "127.0.0." + std::to_string(address),
                                             "--port",
                                             "23700",
                                             "--years",
                                             std::to_string(i == 0 ? s.serverYears : s.years),
                                             "--seed",
                                             std::to_string(100 + i)};
            if (i == 0) args.insert(args.end(), {"--players", std::to_string(admitted)});
            if (i == 0 && s.load.empty()) args.insert(args.end(), {"--states", "6", "--side", "50"});
            if (i == 0 && !s.load.empty()) args.insert(args.end(), {"--load", s.load});
            const std::string folder = dir.Path("p" + std::to_string(i));
            if (s.chat) {
                args.insert(args.end(), {"--chat", ChatText(name)});
                LogTheChat(folder);
            }
            if (i == s.slow) args.insert(args.end(), {"--turn-seconds", "1"});
            if (i == 0 && s.resultsBeforeDeath >= 0)
                args.insert(args.end(),
                            {"--die-year", "3", "--die-after", std::to_string(s.resultsBeforeDeath)});
            if (!s.listing.empty()) args.insert(args.end(), {"--listing", s.listing});
            players.push_back(std::make_unique<PlayerProcess>(name, folder, args));
        }
    }

    static std::string ChatText(const std::string& player) { return "привет от " + player; }

    // The player's own settings file: the program's, with the chat log on.
    static void LogTheChat(const std::string& folder) {
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(KORDALT_BIN_DIR "/kordalt.INI", folder + "/kordalt.INI");
        TIniFile settings(folder + "/kordalt.INI");
        settings.WriteBool("Preferences", "SaveChat", true);
        settings.WriteString("Preferences", "ChatFileName", "chat.txt");
    }

    // Plays until every player ended; the victim is killed in its third year.
    void Play(const GameSetup& s) {
        Start(s);
        const bool ended = ReadUntil(
            players,
            [&] {
                if (s.victim >= 0 && players[s.victim]->Running() && players[s.slow]->LastYear() >= 3 &&
                    (!s.othersEnded || OthersEndedYear3(s)))
                    KillVictim(s.victim);
                if (s.heirDies && !players[s.victim]->Running()) KillHeir();
                for (auto& p : players)
                    if (p->Running()) return false;
                return true;
            },
            kGameLimit);
        ASSERT_TRUE(ended) << Report();
    }

    // Every player but the slow one has begun year 3 a while ago: its turn's
    // end is sent at once, and the slow one's turn lasts a second.
    bool OthersEndedYear3(const GameSetup& s) const {
        for (int i = 0; i < s.players; ++i) {
            const PlayerProcess& p = *players[i];
            if (i == s.slow) continue;
            if (p.LastYear() < 3 || Clock::now() - p.Years().back().at < 300ms) return false;
        }
        return true;
    }

    void KillVictim(int victim) {
        yearAtKill = LatestYear();
        players[victim]->Kill();
    }

    // The heir is killed before the year it finishes reached anybody.
    void KillHeir() {
        for (size_t i = 0; i < players.size(); ++i)
            if (players[i]->Running() && players[i]->ServerInYear() != 0 && heir < 0) {
                heir = static_cast<int>(i);
                heirKilledBeforeItsResult = LatestYear() == yearAtKill;
                players[i]->Kill();
            }
    }

    int LatestYear() const {
        int year = 0;
        for (auto& p : players) year = std::max(year, p->LastYear());
        return year;
    }

    // Every year's checksum is the same on every player that played it.
    void ExpectChecksumsAgree() {
        std::map<int, std::set<long long>> checksums;
        for (auto& p : players)
            for (const YearLine& y : p->Years()) checksums[y.year].insert(y.checksum);
        for (const auto& [year, sums] : checksums) EXPECT_EQ(sums.size(), 1u) << "year " << year << Report();
    }

    void ExpectPlayedToTheEnd(int player, int lastYear) {
        const PlayerProcess& p = *players[player];
        EXPECT_EQ(p.ExitStatus(), 0) << p.Name() << Report();
        ASSERT_FALSE(p.Years().empty()) << p.Name();
        EXPECT_EQ(p.Years().size(), static_cast<size_t>(lastYear)) << p.Name() << Report();
        EXPECT_EQ(p.LastYear(), lastYear) << p.Name() << Report();
        for (size_t i = 1; i < p.Years().size(); ++i) {
            EXPECT_EQ(p.Years()[i].year, p.Years()[i - 1].year + 1) << p.Name();
            EXPECT_LT(p.Years()[i].at - p.Years()[i - 1].at, kKeepAlive + 5s)
                << p.Name() << " year " << p.Years()[i].year;
        }
    }

    std::string Report() const { return Describe(players); }

    ScratchDir dir;
    std::vector<std::unique_ptr<PlayerProcess>> players;
    int yearAtKill = 0;  // the latest year any player had begun when the victim died
    int heir = -1;       // the player who took the victim's role and died
    bool heirKilledBeforeItsResult = false;
};

TEST_F(NetGames, EveryPlayerHoldsTheSameGameEveryYear) {
    Play({.name = "three", .players = 3});
    for (int i = 0; i < 3; ++i) ExpectPlayedToTheEnd(i, kLastYear);
    ExpectChecksumsAgree();
}

// A player dies (SIGKILL) in year 3: the others play on to the last year. When
// the server dies, the latest player becomes the server from the state every
// player holds, whether the others were in their turn or waiting; when that
// heir dies too before its first result, the next one takes over.
class KilledPlayer : public NetGames, public ::testing::WithParamInterface<GameSetup> {};

TEST_P(KilledPlayer, LeavesTheOthersPlaying) {
    const GameSetup& s = GetParam();
    Play(s);
    EXPECT_EQ(players[s.victim]->ExitStatus(), -9);
    if (s.heirDies) {
        ASSERT_GE(heir, 0) << "nobody took the server's role" << Report();
        EXPECT_TRUE(heirKilledBeforeItsResult) << players[heir]->Name() << Report();
    }
    for (int i = 0; i < s.players; ++i)
        if (i != s.victim && i != heir) ExpectPlayedToTheEnd(i, kLastYear);
    ExpectChecksumsAgree();
}

INSTANTIATE_TEST_SUITE_P(
    NetGames, KilledPlayer,
    ::testing::Values(GameSetup{.name = "ClientInHisTurn", .players = 4, .slow = 2, .victim = 2},
                      GameSetup{.name = "ServerInHisTurn", .players = 4, .slow = 0, .victim = 0},
                      GameSetup{.name = "ServerWhileAClientPlays", .players = 3, .slow = 1, .victim = 0},
                      GameSetup{.name = "ServerBetweenTheClientsTurns",
                                .players = 3,
                                .slow = 1,
                                .victim = 0,
                                .othersEnded = true},
                      GameSetup{.name = "ServerThenItsHeir",
                                .players = 4,
                                .slow = 1,
                                .victim = 0,
                                .othersEnded = true,
                                .heirDies = true}),
    [](const ::testing::TestParamInfo<GameSetup>& info) { return info.param.name; });

// The server dies while it sends its result of year 3, once k of its three
// clients got it: the survivors go on in one game from the latest year any of
// them holds, and each plays every year.
class ServerDiesSendingAResult : public NetGames, public ::testing::WithParamInterface<GameSetup> {};

TEST_P(ServerDiesSendingAResult, LeavesOneGameWhereEverySurvivorPlaysEveryYear) {
    const GameSetup& s = GetParam();
    Play(s);
    EXPECT_EQ(players[0]->ExitStatus(), -9) << Report();
    EXPECT_EQ(players[0]->LastYear(), 2) << Report();
    for (int i = 1; i < s.players; ++i) ExpectPlayedToTheEnd(i, kLastYear);
    ExpectChecksumsAgree();
}

INSTANTIATE_TEST_SUITE_P(NetGames, ServerDiesSendingAResult,
                         ::testing::Values(GameSetup{.name = "ToNone", .players = 4, .resultsBeforeDeath = 0},
                                           GameSetup{.name = "ToOne", .players = 4, .resultsBeforeDeath = 1},
                                           GameSetup{
                                               .name = "ToAllButOne", .players = 4, .resultsBeforeDeath = 2}),
                         [](const ::testing::TestParamInfo<GameSetup>& info) { return info.param.name; });

// The server leaves through the main screen's exit after three years: it hands
// the game over and the others play on.
TEST_F(NetGames, TheServerHandsTheGameOver) {
    Play({.name = "hand-over", .players = 3, .serverYears = 3});
    ExpectPlayedToTheEnd(0, 3);
    for (int i = 1; i < 3; ++i) ExpectPlayedToTheEnd(i, kLastYear);
    ExpectChecksumsAgree();
}

// Every player says a line at the start of each of his turns, with the chat
// log on: each player's log holds every line said, stamped, whole and in order.
TEST_F(NetGames, EveryPlayersChatLogHoldsEveryLineSaid) {
    constexpr int kYears = 3;
    Play({.name = "chat", .players = 3, .years = kYears, .serverYears = kYears, .chat = true});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(players[i]->ExitStatus(), 0) << Report();
    const std::regex stamped(R"(\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d <([^>]*)> (.*)\r)");
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(players[i]->Name());
        std::istringstream log(ReadFile(dir.Path("p" + std::to_string(i)) + "/chat.txt"));
        std::map<std::string, int> said;
        std::string line;
        while (std::getline(log, line)) {
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, stamped)) << line;
            if (m[2] == Cp(ChatText(m[1]))) ++said[m[1]];
        }
        EXPECT_EQ(said,
                  (std::map<std::string, int>{{"server", kYears}, {"client1", kYears}, {"client2", kYears}}));
    }
}

// A new network game of ten states dated `year`, saved by its server, three
// of its states held by "server", "client1" and "client2".
void SaveNetworkGameOfYear(int year, const std::string& path) {
    ScopedProgramFileName program{KORDALT_BIN_DIR "/kordalt"};
    CreateLanguageFile();
    LoadRulesData();
    ScopedSeed seed(7);
    Game = GameState{};
    Game.GosCount = 10;
    Game.MapSize = 100;
    GenerateNewGame();
    for (int i = 1; i <= Game.GosCount; ++i) Game.mGos[i].Alive = 1;
    CheckFronts();
    PlayMode.GameMode = kServer;
    // Computed from the first year, the computer would have won by now.
    Game.Year = static_cast<uint8_t>(year);
    const char* const names[] = {"server", "client1", "client2"};
    for (int i = 1; i <= 3; ++i) {
        Game.mGos[i].Player = 100 + static_cast<uint32_t>(i);
        Game.mGos[i].PlayerName.Assign(names[i - 1]);
        Game.mGos[i].StartPlayerName.Assign(names[i - 1]);
    }
    SaveGame(path);
    PlayMode.GameMode = kLocalGame;
    ReplaceMap(nullptr);
    Messages.Clear();
    FreeLanguageFile();
}

// A saved network game of year 116: the server loads it, each player takes the
// state saved under his name, and they play it to its natural end in year 120,
// which every player sees with the same game.
TEST_F(NetGames, ASavedGamePlaysToItsNaturalEnd) {
    constexpr int kSavedYear = 116;
    const std::string saved = dir.Path("saved.kordalt");
    SaveNetworkGameOfYear(kSavedYear, saved);
    Play({.name = "saved", .players = 3, .years = YearCount, .serverYears = YearCount, .load = saved});
    std::set<long long> endings;
    for (auto& p : players) {
        SCOPED_TRACE(p->Name());
        EXPECT_EQ(p->ExitStatus(), 0) << Report();
        std::vector<int> years;
        for (const YearLine& y : p->Years()) years.push_back(y.year);
        EXPECT_EQ(years, (std::vector<int>{116, 117, 118, 119})) << Report();
        EXPECT_EQ(p->GameEnd().year, YearCount) << Report();
        endings.insert(p->GameEnd().checksum);
    }
    EXPECT_EQ(endings.size(), 1u) << Report();
    ExpectChecksumsAgree();
}

// An Internet game: the server lists its game on the listing server, the
// clients find its address there, and the server reports the game's end.
TEST_F(NetGames, AnInternetGameMeetsThroughTheListingServer) {
    ListingServer listing;
    const int port = listing.Start(0);
    ASSERT_GT(port, 0);
    Play({.name = "internet",
          .players = 3,
          .listing = "http://127.0.0.1:" + std::to_string(port) + "/list.php"});
    for (int i = 0; i < 3; ++i) ExpectPlayedToTheEnd(i, kLastYear);
    ExpectChecksumsAgree();
    listing.Stop();
}

// Two players of an Internet game on one address: whichever of them joins
// second is refused and leaves at once; the others play the game.
TEST_F(NetGames, AnInternetGameRefusesASecondPlayerOfOneAddress) {
    ListingServer listing;
    const int port = listing.Start(0);
    ASSERT_GT(port, 0);
    const GameSetup s{.name = "same address",
                      .players = 4,
                      .twin = 3,
                      .listing = "http://127.0.0.1:" + std::to_string(port) + "/list.php"};
    Play(s);
    std::vector<int> refused;
    for (int i = 0; i < s.players; ++i)
        if (players[i]->ExitStatus() != 0) refused.push_back(i);
    ASSERT_EQ(refused.size(), 1u) << Report();
    const PlayerProcess& twin = *players[refused[0]];
    EXPECT_TRUE(refused[0] == s.twin || refused[0] == s.twin - 1) << twin.Name();
    EXPECT_TRUE(twin.Years().empty()) << Report();
    EXPECT_EQ(twin.Errors(), "kordalt_netplayer: refused: IP адрес должен быть уникальным\n");
    for (int i = 0; i < s.players; ++i)
        if (i != refused[0]) ExpectPlayedToTheEnd(i, kLastYear);
    ExpectChecksumsAgree();
    listing.Stop();
}

}  // namespace
}  // namespace kordalt::test
