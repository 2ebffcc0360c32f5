// A player of a network game of three is stopped (SIGSTOP) past the keep-alive
// time and resumed: the others have dropped it and play on; it says that the
// session is lost and never takes the server's role.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "e2e/player_processes.h"
#include "support/test_files.h"

namespace kordalt::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kKeepAlive = 3s;
constexpr int kPlayers = 3, kLastYear = 8;

struct Frozen {
    const char* name;
    int player;  // 0: the server; 2: the latest client, heir of the server
};

class FrozenPlayer : public ::testing::TestWithParam<Frozen> {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnterOwnNetwork()) << "no network namespace of its own";
        setenv("KORDALT_DPLAY_KEEPALIVE_MS", std::to_string(kKeepAlive.count() * 1000).c_str(), 1);
        for (int i = 0; i < kPlayers; ++i) {
            const std::string name = i == 0 ? "server" : "client" + std::to_string(i);
            std::vector<std::string> args = {i == 0 ? "--create" : "--join",
                                             "frozen",
                                             "--player",
                                             name,
                                             "--bind",
                                             "127.0.0." + std::to_string(i + 2),
                                             "--years",
                                             std::to_string(kLastYear),
                                             "--seed",
                                             std::to_string(200 + i)};
            if (i == 0) args.insert(args.end(), {"--players", "3", "--states", "6", "--side", "50"});
            if (i == 1) args.insert(args.end(), {"--turn-seconds", "1"});
            players.push_back(std::make_unique<PlayerProcess>(name, dir.Path("p" + std::to_string(i)), args));
        }
    }

    std::string Report() const { return Describe(players); }

    ScratchDir dir;
    std::vector<std::unique_ptr<PlayerProcess>> players;
};

TEST_P(FrozenPlayer, IsToldTheSessionIsLostWhileTheOthersPlayOn) {
    PlayerProcess& frozen = *players[GetParam().player];
    std::vector<PlayerProcess*> others;
    for (auto& p : players)
        if (p.get() != &frozen) others.push_back(p.get());
    auto anyRunning = [&] {
        for (auto& p : players)
            if (p->Running()) return true;
        return false;
    };

    ASSERT_TRUE(ReadUntil(
        players, [&] { return frozen.LastYear() >= 3 || !anyRunning(); }, 60s))
        << Report();
    ASSERT_TRUE(frozen.Running()) << Report();
    frozen.Freeze(true);
    // The others drop it after the keep-alive time; a frozen server's heir says it took over.
    const auto until = Clock::now() + kKeepAlive * 2;
    ReadUntil(
        players,
        [&] {
            for (PlayerProcess* p : others)
                if (p->ServerInYear() != 0) return true;
            return Clock::now() >= until;
        },
        kKeepAlive * 4);
    frozen.Freeze(false);
    ASSERT_TRUE(ReadUntil(
        players, [&] { return !anyRunning(); }, 90s))
        << Report();

    EXPECT_EQ(frozen.ExitStatus(), 1) << Report();
    EXPECT_NE(frozen.Errors().find("the session was lost"), std::string::npos) << Report();
    EXPECT_EQ(frozen.Errors().find("Sanitizer"), std::string::npos) << Report();
    EXPECT_EQ(frozen.ServerInYear(), 0) << Report();
    EXPECT_LT(frozen.LastYear(), kLastYear) << Report();
    std::map<int, std::set<long long>> checksums;
    for (PlayerProcess* p : others) {
        EXPECT_EQ(p->ExitStatus(), 0) << p->Name() << Report();
        EXPECT_EQ(p->LastYear(), kLastYear) << p->Name() << Report();
        EXPECT_EQ(p->Years().size(), static_cast<size_t>(kLastYear)) << p->Name() << Report();
        for (const YearLine& y : p->Years()) checksums[y.year].insert(y.checksum);
    }
    for (const auto& [year, sums] : checksums) EXPECT_EQ(sums.size(), 1u) << "year " << year << Report();
}

INSTANTIATE_TEST_SUITE_P(NetGames, FrozenPlayer, ::testing::Values(Frozen{"Server", 0}, Frozen{"Heir", 2}),
                         [](const ::testing::TestParamInfo<Frozen>& info) { return info.param.name; });

}  // namespace
}  // namespace kordalt::test
