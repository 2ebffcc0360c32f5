// Requests off the calling thread: the self-freeing notice thread and the game
// list's worker polled until it stops.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "multiplayer/web_protocol.h"
#include "web_test_support.h"

namespace kordalt {
namespace {

const std::string kGameId = "0A1B2C3D-0000-4000-8000-000000000002";

using GamesThread = std::unique_ptr<TServerQueryThread, TThreadEC::Deleter>;

class WebAsync : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(listing_.Port, 0);
        std::string reply;
        QueryServer(listing_.Url, PlayerNewRequest("Ivan", "pw"), reply);
        QueryServer(listing_.Url, GameCreateRequest("Duel", kGameId, "127.0.0.2", "Ivan", "pw", "Russian"),
                    reply);
        ASSERT_EQ(reply, "ok");
    }
    int ListedYear() const {
        std::string reply;
        QueryServer(listing_.Url, GameListRequest(), reply);
        std::vector<NetGameInfo> games;
        return ParseGameList(reply, games) && games.size() == 1 ? games[0].Year : -1;
    }
    // Starts the worker and polls it as the list window's timer does.
    static std::string PollGameList(GamesThread& worker) {
        worker->StartThread();
        EXPECT_TRUE(test::WaitUntil([&] { return !worker->Running(); }, 8000));
        return worker->Reply;
    }

    test::RunningListingServer listing_;
};

// A loopback listener that takes a request and never answers it.
class SilentListener {
public:
    SilentListener() {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof addr;
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), size) == 0 && listen(listener_, 4) == 0 &&
            getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &size) == 0)
            Port = ntohs(addr.sin_port);
    }
    ~SilentListener() {
        if (link_ >= 0) close(link_);
        close(listener_);
    }
    // Takes the next link and reads what it sent; true when the sender still waits for
    // an answer (the link is open), false when it gave up or nothing came.
    bool SenderWaitsForAnswer() {
        pollfd in{listener_, POLLIN, 0};
        if (poll(&in, 1, 10000) != 1) return false;
        link_ = accept(listener_, nullptr, nullptr);
        in = {link_, POLLIN, 0};
        if (link_ < 0 || poll(&in, 1, 10000) != 1) return false;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = recv(link_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
        }
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    int Port = 0;

private:
    int listener_ = -1;
    int link_ = -1;
};

TEST_F(WebAsync, NoticeReachesTheServerWhileTheCallerGoesOn) {
    // The caller is back while its request still waits for the server's answer.
    SilentListener silent;
    ASSERT_GT(silent.Port, 0);
    QueryServerAsync(test::LoopbackUrl(silent.Port, "/list.php"),
                     GameUpdateRequest(kGameId, "127.0.0.2", 4, "Russian"));
    EXPECT_TRUE(silent.SenderWaitsForAnswer());

    QueryServerAsync(listing_.Url, GameUpdateRequest(kGameId, "127.0.0.2", 5, "Russian"));
    QueryServerAsync(listing_.Url, GameUserUpdateRequest(kGameId, "Ivan"));
    EXPECT_TRUE(test::WaitUntil([&] { return ListedYear() == 5; }, 5000));
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            std::string reply;
            QueryServer(listing_.Url, GameUserListRequest(kGameId), reply);
            std::vector<NetPlayerInfo> players;
            return ParsePlayerList(reply, players) && players.size() == 1;
        },
        5000));
}

TEST_F(WebAsync, NoticesThatFailAtOnceAreDropped) {
    // Threads that end at once, many times over, free themselves cleanly.
    for (int i = 0; i < 200; ++i)
        QueryServerAsync(test::LoopbackUrl(listing_.Port, ""),
                         GameUpdateRequest(kGameId, "127.0.0.2", 9, "Russian"));
    QueryServerAsync(listing_.Url, GameUpdateRequest(kGameId, "127.0.0.2", 6, "Russian"));
    EXPECT_TRUE(test::WaitUntil([&] { return ListedYear() == 6; }, 5000));
}

TEST_F(WebAsync, GameListWorker) {
    GamesThread worker(new TServerQueryThread(GameListRequest(), listing_.Url));
    std::vector<NetGameInfo> games;
    ASSERT_TRUE(ParseGameList(PollGameList(worker), games));
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].Id, kGameId);

    // The update button runs the same object again.
    std::string reply;
    QueryServer(listing_.Url, GameDestroyRequest(kGameId), reply);
    EXPECT_EQ(GameListReply(PollGameList(worker)), WebReply::Ok);
    ASSERT_TRUE(ParseGameList(worker->Reply, games));
    EXPECT_TRUE(games.empty());
}

TEST_F(WebAsync, GameListWorkerAsksTheSettingsServerAndReportsNoConnection) {
    InternetServer = test::LoopbackUrl(listing_.Port, "");
    GamesThread worker(new TServerQueryThread(GameListRequest()));
    InternetServer.clear();
    EXPECT_EQ(GameListReply(PollGameList(worker)), WebReply::NoConnection);

    InternetServer = listing_.Url;
    GamesThread listed(new TServerQueryThread(GameListRequest()));
    InternetServer.clear();
    std::vector<NetGameInfo> games;
    ASSERT_TRUE(ParseGameList(PollGameList(listed), games));
    EXPECT_EQ(games.size(), 1u);
}

}  // namespace
}  // namespace kordalt
